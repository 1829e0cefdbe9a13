// Fuzzes the sweep-reply decoder with arbitrary byte streams, lengths and
// point counts, as a misbehaving analyser or a noisy line would deliver them.
//
// Input: byte 0 picks how the point count and the buffer sizes are chosen,
// bytes 1..4 are a raw point count, the rest is the reply.
//
// Beyond "no crash" (the buffers are exactly as long as the caller's, so any
// write past them is an AddressSanitizer report):
// - a reply of any size other than 4 x Champ, or buffers too short for it,
//   is refused and nothing at all is written;
// - an accepted reply never writes element 0 and writes every record whose
//   high byte is 0..3 as low + 256 x high, so every written value is a whole
//   number 0..1023; every other record keeps the element's old value;
// - the reply deadline grows with the reply and is never shorter than its
//   wire time at 115200 baud.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <span>
#include <vector>

#include "fuzz_check.h"
#include "instrument/protocol.h"

namespace {

// Outside 0..1023, so an element the decoder wrote is told from one it left.
constexpr float kUntouched = -7.5f;

// The largest sweep the settings allow; larger counts get small buffers only.
constexpr std::int64_t kMaxChamp = 32767;

void CheckNothingWritten(const std::vector<float>& values) {
    for (const float v : values) {
        FUZZ_CHECK(v == kUntouched, "a refused reply writes nothing");
    }
}

// Element k after decoding record k, for one of the two readings.
void CheckDecoded(std::span<const std::uint8_t> reply, const std::vector<float>& values,
                  std::size_t lowByte) {
    const std::size_t champ = reply.size() / 4;
    FUZZ_CHECK(values[0] == kUntouched, "element 0 is never written");
    for (std::size_t k = 1; k <= champ; ++k) {
        const unsigned low = reply[4 * (k - 1) + lowByte];
        const unsigned high = reply[4 * (k - 1) + lowByte + 1];
        if (high <= 3) {
            FUZZ_CHECK(values[k] == static_cast<float>(low + 256 * high),
                       "a good record is decoded as low + 256 x high");
            FUZZ_CHECK(values[k] >= 0.0f && values[k] <= 1023.0f, "a count is 0..1023");
        } else {
            FUZZ_CHECK(values[k] == kUntouched, "a corrupt record keeps the old value");
        }
    }
    for (std::size_t k = champ + 1; k < values.size(); ++k) {
        FUZZ_CHECK(values[k] == kUntouched, "nothing past Champ is written");
    }
}

std::int64_t WireMs(std::int64_t bytes) {
    return (bytes * 10 * 1000 + kBaudRate - 1) / kBaudRate;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5) {
        return 0;
    }
    const std::uint8_t mode = data[0];
    std::int32_t rawChamp = 0;
    std::memcpy(&rawChamp, data + 1, sizeof rawChamp);
    const std::span<const std::uint8_t> reply(data + 5, size - 5);
    const std::size_t records = reply.size() / 4;

    // Pointer form: the caller's Champ and buffers of Champ + 1, as the
    // exchange passes them.
    {
        std::int32_t champ = rawChamp;
        if (mode & 1) {
            // Most replies should match, so the decoding itself is exercised.
            champ = static_cast<std::int32_t>(records);
        }
        // A matching count gives Champ + 1 either way; a count too large to
        // allocate for must be refused before anything is touched.
        const bool sized = champ >= 0 && champ <= kMaxChamp;
        const std::size_t n = sized ? static_cast<std::size_t>(champ) + 1 : records + 1;
        std::vector<float> phase(n, kUntouched);
        std::vector<float> magnitude(n, kUntouched);
        const bool fits = champ >= 0 && reply.size() == 4 * static_cast<std::uint64_t>(champ);
        const bool ok =
            DecodeSweepReply(reply.data(), reply.size(), phase.data(), magnitude.data(), champ);
        FUZZ_CHECK(ok == fits, "a reply is accepted exactly when it is 4 x Champ bytes");
        if (ok) {
            CheckDecoded(reply, phase, 0);
            CheckDecoded(reply, magnitude, 2);
        } else {
            CheckNothingWritten(phase);
            CheckNothingWritten(magnitude);
        }
    }

    // Span form: the point count comes from the reply; the buffers are a few
    // elements short of, or beyond, Champ + 1.
    {
        const int phaseDelta = static_cast<int>((mode >> 1) & 3) - 2;      // -2..1
        const int magnitudeDelta = static_cast<int>((mode >> 3) & 3) - 2;  // -2..1
        const auto length = [&](int delta) {
            const auto n = static_cast<std::int64_t>(records) + 1 + delta;
            return static_cast<std::size_t>(n < 0 ? 0 : n);
        };
        std::vector<float> phase(length(phaseDelta), kUntouched);
        std::vector<float> magnitude(length(magnitudeDelta), kUntouched);
        const bool ok = DecodeSweepReply(reply, phase, magnitude);
        const bool fits =
            reply.size() % 4 == 0 && phase.size() >= records + 1 && magnitude.size() >= records + 1;
        FUZZ_CHECK(ok == fits, "the span form accepts exactly whole records into long buffers");
        if (ok) {
            CheckDecoded(reply, phase, 0);
            CheckDecoded(reply, magnitude, 2);
        } else {
            CheckNothingWritten(phase);
            CheckNothingWritten(magnitude);
        }
    }

    // The deadline over the whole range of sweeps the protocol can ask for.
    {
        const std::int64_t bytes = ReplyBytes(rawChamp);
        const std::int64_t deadline = ReplyDeadlineMs(bytes);
        const std::int64_t wire = WireMs(bytes < 0 ? 0 : bytes);
        FUZZ_CHECK(deadline >= 500 && deadline >= wire, "the deadline covers the wire time");
        if (rawChamp < std::numeric_limits<std::int32_t>::max()) {
            FUZZ_CHECK(ReplyDeadlineMs(ReplyBytes(rawChamp + 1)) >= deadline,
                       "a longer reply never gets a shorter deadline");
        }
    }
    return 0;
}
