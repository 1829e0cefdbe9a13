// Fuzzes the .norm reader with arbitrary text, and the normalisation it gives
// with sweeps of every shape.
//
// Input: the file's bytes, whole.
//
// Beyond "no crash":
// - a read gives either a normalisation or a message, never both or neither;
// - a message is one line that names the line it refers to, which lies
//   within the file (or just after its end);
// - an accepted normalisation holds at least one reference and each one
//   passes CheckReference (1..32767 points, finite different limits, counts
//   0..1023, not all 0);
// - written back it reads back the same, and writing that again gives the
//   same text;
// - for a few sweeps over and around the references, in both modes, the
//   errors are finite, one per point or none at all (exactly when no
//   reference serves the mode), and the points outside are at most Champ.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "calibrate/norm_file.h"
#include "fuzz_check.h"

namespace {

std::size_t LineCount(std::string_view text) {
    std::size_t lines = 1;
    for (const char c : text) {
        lines += c == '\n';
    }
    return lines;
}

void CheckErrors(const Normalisation& n, float FMin, float FMax, std::int32_t Champ, float mode) {
    const LossErrors e = ComputeLossErrors(n, FMin, FMax, Champ, mode, 3, -7);
    const bool serves = !InUse(n, mode).empty();
    FUZZ_CHECK(e.Error.empty() == !serves, "errors exactly when a reference serves the mode");
    if (!serves) {
        return;
    }
    FUZZ_CHECK(e.Error.size() == static_cast<std::size_t>(Champ) + 1, "one error a point");
    for (const double error : e.Error) {
        FUZZ_CHECK(std::isfinite(error) && std::fabs(error) < 100.0, "errors are finite dB");
    }
    FUZZ_CHECK(e.Outside >= 0 && e.Outside <= Champ, "at most every measured point outside");
    FUZZ_CHECK(OutsideText(e).empty() == (e.Outside == 0), "a word only when points are left");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const NormReadResult read = ReadNormText(text);
    FUZZ_CHECK(read.normalisation.has_value() == read.error.empty(),
               "a read gives either the normalisation or a message");

    if (!read.normalisation) {
        FUZZ_CHECK(read.error.starts_with("line ") && read.error.find('\n') == std::string::npos,
                   "a refusal is one line naming the line");
        const std::size_t line = std::stoul(read.error.substr(5));
        FUZZ_CHECK(line >= 1 && line <= LineCount(text) + 1, "the line named is in the file");
        return 0;
    }

    const Normalisation& n = *read.normalisation;
    FUZZ_CHECK(!n.empty(), "an accepted file holds a reference");
    for (const Standard s : Held(n)) {
        FUZZ_CHECK(!CheckReference(*n[s]).has_value(), "every reference can serve");
    }
    const std::string written = NormFileText(n);
    const NormReadResult again = ReadNormText(written);
    FUZZ_CHECK(again.normalisation && *again.normalisation == n,
               "written back, it reads back the same");
    FUZZ_CHECK(NormFileText(*again.normalisation) == written, "and writes the same text");

    // Sweeps at the first reference's own limits, around them, and across
    // the whole band, in both modes.
    const Reference& first = *n[Held(n).front()];
    for (const float mode : {0.0f, 1.0f}) {
        CheckErrors(n, first.FMin, first.FMax, static_cast<std::int32_t>(first.Counts.size()),
                    mode);
        CheckErrors(n, first.FMin - 1000.0f, first.FMax * 2.0f, 37, mode);
        CheckErrors(n, 1e6f, 180e6f, 1, mode);
        CheckErrors(n, 5e6f, 5e6f, 3, mode);
    }
    return 0;
}
