#include "files/vec_file.h"

#include <QFileInfo>

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QtEndian>

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include <unistd.h>

#include "common/display_format.h"

namespace {

constexpr qint64 kTrailerBytes = 8;    // FMin and FMax
constexpr qint64 kBytesPerPoint = 16;  // float32 + float32 + float64

void PutFloat(char* at, float value) {
    qToLittleEndian<quint32>(std::bit_cast<quint32>(value), at);
}

void PutDouble(char* at, double value) {
    qToLittleEndian<quint64>(std::bit_cast<quint64>(value), at);
}

float GetFloat(const char* at) {
    return std::bit_cast<float>(qFromLittleEndian<quint32>(at));
}

double GetDouble(const char* at) {
    return std::bit_cast<double>(qFromLittleEndian<quint64>(at));
}

template <typename T>
T ElementOrZero(const std::vector<T>& values, std::size_t i) {
    return i < values.size() ? values[i] : T{0};
}

QString Shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// The analyser's counts are 10-bit; its range ends well below 1 GHz. A value
// beyond either is no measurement, and would fill the screen with nonsense.
constexpr float kHighestCount = 1023.0f;
constexpr float kHighestLimitHz = 1e9f;

// Why the file cannot hold a sweep, naming its first bad value in file
// order, or nothing when every value is possible.
std::optional<QString> FirstImpossibleValue(const VecFileData& data) {
    const struct {
        const char* name;
        const std::vector<float>& counts;
    } counts[] = {{"magnitude", data.buffers.MagnitudeSamples},
                  {"phase", data.buffers.PhaseSamples}};
    for (const auto& block : counts) {
        for (std::size_t i = 0; i < block.counts.size(); ++i) {
            const float v = block.counts[i];
            if (!std::isfinite(v)) {
                return QStringLiteral("The %1 value of point %2 is not a number")
                    .arg(QLatin1String(block.name))
                    .arg(i);
            }
            if (v < 0.0f || v > kHighestCount) {
                return QStringLiteral("The %1 count of point %2 is %3, outside 0 to 1023")
                    .arg(QLatin1String(block.name))
                    .arg(i)
                    .arg(QString::fromStdString(FloatText(v)));
            }
        }
    }
    const std::vector<double>& reserved = data.buffers.ReservedSamples;
    for (std::size_t i = 0; i < reserved.size(); ++i) {
        if (!std::isfinite(reserved[i])) {
            return QStringLiteral("The reserved value of point %1 is not a number").arg(i);
        }
    }
    const struct {
        const char* name;
        float hz;
    } limits[] = {{"start", data.FMin}, {"stop", data.FMax}};
    for (const auto& limit : limits) {
        if (!std::isfinite(limit.hz)) {
            return QStringLiteral("The sweep limits are not numbers");
        }
        if (limit.hz < 0.0f || limit.hz > kHighestLimitHz) {
            return QStringLiteral("The %1 limit is %2 MHz, %3")
                .arg(QLatin1String(limit.name), QString::fromStdString(FloatText(limit.hz / 1e6f)),
                     limit.hz < 0.0f ? QStringLiteral("below 0") : QStringLiteral("above 1 GHz"));
        }
    }
    // No sweep runs downwards: such a file would be drawn as nothing at all.
    if (data.FMin > data.FMax) {
        return QStringLiteral("The start limit %1 MHz lies above the stop limit %2 MHz")
            .arg(QString::fromStdString(FloatText(data.FMin / 1e6f)),
                 QString::fromStdString(FloatText(data.FMax / 1e6f)));
    }
    return std::nullopt;
}

}  // namespace

qint64 VecFileSize(std::int32_t champ) {
    return kBytesPerPoint * (static_cast<qint64>(champ) + 1) + kTrailerBytes;
}

QByteArray VecFileBytes(const SweepBuffers& buffers, float FMin, float FMax) {
    const std::int32_t champ = buffers.champ();
    if (champ < 0) {
        return {};
    }
    const auto count = static_cast<std::size_t>(champ) + 1;
    QByteArray bytes(static_cast<qsizetype>(VecFileSize(champ)), '\0');
    char* at = bytes.data();
    for (std::size_t i = 0; i < count; ++i, at += 4) {
        PutFloat(at, ElementOrZero(buffers.MagnitudeSamples, i));
    }
    for (std::size_t i = 0; i < count; ++i, at += 4) {
        PutFloat(at, ElementOrZero(buffers.PhaseSamples, i));
    }
    for (std::size_t i = 0; i < count; ++i, at += 8) {
        PutDouble(at, ElementOrZero(buffers.ReservedSamples, i));
    }
    PutFloat(at, FMin);
    PutFloat(at + 4, FMax);
    return bytes;
}

std::optional<std::int32_t> VecPointsForSize(qint64 size) {
    if (size < kBytesPerPoint * 2 + kTrailerBytes || (size - kTrailerBytes) % kBytesPerPoint != 0) {
        return std::nullopt;
    }
    const qint64 points = (size - kTrailerBytes) / kBytesPerPoint - 1;
    if (points > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(points);
}

VecReadResult ReadVecBytes(const QByteArray& bytes, std::int32_t champ) {
    VecReadResult result;
    if (champ < 1) {
        result.error = QStringLiteral("The number of points must be at least 1, not %1").arg(champ);
        return result;
    }
    const qint64 expected = VecFileSize(champ);
    if (bytes.size() != expected) {
        const auto points = VecPointsForSize(bytes.size());
        result.error = QStringLiteral("A sweep file of %1 points has %2 bytes, this one has %3")
                           .arg(champ)
                           .arg(expected)
                           .arg(bytes.size());
        if (points) {
            result.error += QStringLiteral(" (a sweep of %1 points)").arg(*points);
        }
        return result;
    }

    VecFileData data;
    data.buffers.resize(champ);
    const auto count = static_cast<std::size_t>(champ) + 1;
    const char* at = bytes.constData();
    for (std::size_t i = 0; i < count; ++i, at += 4) {
        data.buffers.MagnitudeSamples[i] = GetFloat(at);
    }
    for (std::size_t i = 0; i < count; ++i, at += 4) {
        data.buffers.PhaseSamples[i] = GetFloat(at);
    }
    for (std::size_t i = 0; i < count; ++i, at += 8) {
        data.buffers.ReservedSamples[i] = GetDouble(at);
    }
    data.FMin = GetFloat(at);
    data.FMax = GetFloat(at + 4);

    if (const std::optional<QString> bad = FirstImpossibleValue(data)) {
        result.error = *bad;
        return result;
    }
    result.data = std::move(data);
    return result;
}

bool WriteFileSafely(const QString& path, const QByteArray& bytes, QString* error) {
    const auto fail = [&](const QString& text) {
        if (error) {
            *error = text;
        }
        return false;
    };
    if (path.isEmpty()) {
        return fail(QStringLiteral("No file name given"));
    }
    QSaveFile file(path);
    // Unbuffered, so that every write reaches the file system at once and its
    // failure shows here: QSaveFile::commit() does not check the flush of a
    // buffered tail, and a small file would be renamed over the old one empty.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return fail(QStringLiteral("Cannot create %1: %2").arg(Shown(path), file.errorString()));
    }
    const auto reason = [&file]() {
        // QFileDevice reports a full disk (ENOSPC) as a resource error.
        return file.error() == QFileDevice::ResourceError ? QStringLiteral("disk full")
                                                          : file.errorString();
    };
    // A write can stop short without an error (the disk filled part-way);
    // writing the rest then fails and says why.
    qint64 written = 0;
    while (written < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0) {
            const QString why = reason();
            file.cancelWriting();
            return fail(QStringLiteral("Cannot write %1: %2").arg(Shown(path), why));
        }
        written += n;
    }
    // A file system that allocates late (ext4, XFS, NFS) may report a full
    // disk only when the data goes out: fsync before the rename, and a
    // failure keeps the old file. File systems without fsync say EINVAL.
    const int fd = file.handle();
    if (fd >= 0 && ::fsync(fd) != 0 && errno != EINVAL && errno != ENOTSUP) {
        const QString why = errno == ENOSPC || errno == EDQUOT
                                ? QStringLiteral("disk full")
                                : QString::fromLocal8Bit(std::strerror(errno));
        file.cancelWriting();
        return fail(QStringLiteral("Cannot write %1: %2").arg(Shown(path), why));
    }
    if (!file.commit()) {
        return fail(QStringLiteral("Cannot write %1: %2").arg(Shown(path), reason()));
    }
    return true;
}

bool ReadFileLimited(const QString& path, qint64 maxBytes, QByteArray* bytes, QString* error) {
    maxBytes = qMax<qint64>(0, maxBytes);
    const auto fail = [&](const QString& text) {
        if (error) {
            *error = text;
        }
        return false;
    };
    // A pipe or a device would block the window, or never end: only plain
    // files are read.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        return fail(QStringLiteral("Cannot open %1: not a regular file").arg(Shown(path)));
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return fail(QStringLiteral("Cannot open %1: %2").arg(Shown(path), file.errorString()));
    }
    const auto tooLarge = [&]() {
        return fail(QStringLiteral("%1 is larger than %2 bytes").arg(Shown(path)).arg(maxBytes));
    };
    if (!file.isSequential() && file.size() > maxBytes) {
        return tooLarge();
    }
    // Read in pieces rather than trusting the size: devices and pipes report
    // none, and a file may grow while it is read.
    QByteArray data;
    while (true) {
        const QByteArray piece = file.read(qMin<qint64>(64 * 1024, maxBytes + 1 - data.size()));
        if (file.error() != QFileDevice::NoError) {
            return fail(QStringLiteral("Cannot read %1: %2").arg(Shown(path), file.errorString()));
        }
        if (piece.isEmpty()) {
            break;
        }
        data += piece;
        if (data.size() > maxBytes) {
            return tooLarge();
        }
    }
    if (bytes) {
        *bytes = data;
    }
    return true;
}
