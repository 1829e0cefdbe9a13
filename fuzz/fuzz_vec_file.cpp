// Fuzzes the .vec reader with arbitrary files and point counts.
//
// Input: byte 0 picks where the point count comes from (the file's own size,
// or bytes 1..4 as a raw count, which is usually wrong); the rest is the file.
//
// Beyond "no crash":
// - a read gives either the data or a message, never both, never neither;
// - the data is accepted exactly when the file has the size for the point
//   count and every value in it is possible: finite, counts within 0..1023,
//   limits within 0..1 GHz, the start not above the stop (checked here on the
//   raw bytes);
// - accepted data has Champ + 1 elements in every block, and written back it
//   gives the very same bytes;
// - VecPointsForSize and VecFileSize agree for every size, however odd.

#include <QByteArray>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

#include "files/vec_file.h"
#include "fuzz_check.h"

namespace {

template <typename T>
T LittleEndianAt(const QByteArray& bytes, qsizetype at) {
    // The build machine is little-endian, as is the file.
    T value{};
    std::memcpy(&value, bytes.constData() + at, sizeof value);
    return value;
}

// Every value of a file of champ points is possible: the reader's own rule,
// worked out independently on the bytes.
bool AllPossible(const QByteArray& bytes, std::int32_t champ) {
    const qsizetype count = static_cast<qsizetype>(champ) + 1;
    qsizetype at = 0;
    for (qsizetype i = 0; i < 2 * count; ++i, at += 4) {
        const float n = LittleEndianAt<float>(bytes, at);
        if (!(n >= 0.0f && n <= 1023.0f)) {
            return false;
        }
    }
    for (qsizetype i = 0; i < count; ++i, at += 8) {
        if (!std::isfinite(LittleEndianAt<double>(bytes, at))) {
            return false;
        }
    }
    for (const qsizetype limit : {at, at + 4}) {
        const float hz = LittleEndianAt<float>(bytes, limit);
        if (!(hz >= 0.0f && hz <= 1e9f)) {
            return false;
        }
    }
    // No sweep runs downwards.
    return LittleEndianAt<float>(bytes, at) <= LittleEndianAt<float>(bytes, at + 4);
}

void CheckPointsForSize(qint64 size) {
    const std::optional<std::int32_t> points = VecPointsForSize(size);
    if (points) {
        FUZZ_CHECK(*points >= 1, "a sweep file holds at least one point");
        FUZZ_CHECK(VecFileSize(*points) == size, "the points found give back the size");
    } else if (size >= 8 && (size - 8) % 16 == 0) {
        const qint64 c = (size - 8) / 16 - 1;
        FUZZ_CHECK(c < 1 || c > 2147483647, "only sizes that fit no point count are refused");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5) {
        return 0;
    }
    const std::uint8_t mode = data[0];
    std::int32_t rawChamp = 0;
    std::memcpy(&rawChamp, data + 1, sizeof rawChamp);
    const QByteArray file(reinterpret_cast<const char*>(data + 5),
                          static_cast<qsizetype>(size - 5));

    std::int32_t champ = rawChamp;
    if ((mode & 1) == 0) {
        // Most files should have a size the reader can take.
        champ = VecPointsForSize(file.size()).value_or(rawChamp);
    }

    const VecReadResult result = ReadVecBytes(file, champ);
    FUZZ_CHECK(result.data.has_value() == result.error.isEmpty(),
               "a read gives either the data or a message");

    const bool sizeFits = champ >= 1 && file.size() == VecFileSize(champ);
    const bool expectData = sizeFits && AllPossible(file, champ);
    FUZZ_CHECK(result.data.has_value() == expectData,
               "a file is read exactly when its size fits and every value is possible");

    if (result.data) {
        const VecFileData& d = *result.data;
        const auto n = static_cast<std::size_t>(champ) + 1;
        FUZZ_CHECK(d.buffers.champ() == champ && d.buffers.MagnitudeSamples.size() == n &&
                       d.buffers.PhaseSamples.size() == n && d.buffers.ReservedSamples.size() == n,
                   "every block holds Champ + 1 elements");
        FUZZ_CHECK(VecFileBytes(d.buffers, d.FMin, d.FMax) == file,
                   "a file read back writes the same bytes");
    }

    // Sizes far outside what a file of this input could have.
    qint64 oddSize = 0;
    std::memcpy(&oddSize, data + 1, std::min<std::size_t>(sizeof oddSize, size - 1));
    CheckPointsForSize(file.size());
    CheckPointsForSize(oddSize);
    CheckPointsForSize(VecFileSize(rawChamp));
    return 0;
}
