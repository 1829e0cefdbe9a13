#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

#include "common/sweep_buffers.h"

// The .vec sweep file: five little-endian blocks and nothing else (no header,
// no point count). With C = Champ of the writer:
//   MagnitudeSamples[0..C] float32, PhaseSamples[0..C] float32,
//   ReservedSamples[0..C] float64, FMin float32, FMax float32
// so the file is 16 x (C + 1) + 8 bytes and can only be read back with the
// same Champ.

// Bytes of a .vec file for the buffers (C = buffers.champ()). A block that is
// shorter than C + 1 in a malformed SweepBuffers is padded with zeros.
QByteArray VecFileBytes(const SweepBuffers& buffers, float FMin, float FMax);

// Size in bytes of a .vec file of champ points.
qint64 VecFileSize(std::int32_t champ);

struct VecFileData {
    SweepBuffers buffers;  // champ + 1 elements in every array
    float FMin = 0.0f;
    float FMax = 0.0f;
};

struct VecReadResult {
    std::optional<VecFileData> data;  // set when the bytes are a valid file
    QString error;                    // why not, when data is empty
};

// Reads a .vec file written with this champ. Refuses a size other than
// 16 x (champ + 1) + 8, any value that is not finite (a NaN count would
// poison every readout drawn from it), a count outside 0..1023 and a limit
// below 0 or above 1 GHz; the message names the first such value and its
// point. Fractional counts within range are taken.
VecReadResult ReadVecBytes(const QByteArray& bytes, std::int32_t champ);

// The number of points of a .vec file of this size: (size - 8) / 16 - 1 when
// that is exact and at least 1, else nothing.
std::optional<std::int32_t> VecPointsForSize(qint64 size);

// Writes through QSaveFile: an existing file is replaced only when the whole
// write succeeded, so a failure never leaves a half-written file behind. On
// failure *error (when given) names the file and the reason.
bool WriteFileSafely(const QString& path, const QByteArray& bytes, QString* error);

// Reads a whole file of at most maxBytes bytes into *bytes. A larger file, a
// missing one or a read failure gives false and *error naming the file.
bool ReadFileLimited(const QString& path, qint64 maxBytes, QByteArray* bytes, QString* error);
