#include "files/vec_file.h"

#include <QFileInfo>

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QtEndian>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

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

    const auto firstBad = [](const auto& values) -> qsizetype {
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (!std::isfinite(values[i])) {
                return static_cast<qsizetype>(i);
            }
        }
        return -1;
    };
    const struct {
        const char* name;
        qsizetype index;
    } blocks[] = {{"magnitude", firstBad(data.buffers.MagnitudeSamples)},
                  {"phase", firstBad(data.buffers.PhaseSamples)},
                  {"reserved", firstBad(data.buffers.ReservedSamples)}};
    for (const auto& block : blocks) {
        if (block.index >= 0) {
            result.error = QStringLiteral("The %1 value of point %2 is not a number")
                               .arg(QLatin1String(block.name))
                               .arg(block.index);
            return result;
        }
    }
    if (!std::isfinite(data.FMin) || !std::isfinite(data.FMax)) {
        result.error = QStringLiteral("The sweep limits are not numbers");
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
    if (!file.open(QIODevice::WriteOnly)) {
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
