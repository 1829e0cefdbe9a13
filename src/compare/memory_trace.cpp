#include "compare/memory_trace.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "files/vec_file.h"
#include "measure/conversion.h"

namespace {

void Reserve(MemoryTrace& m, std::size_t n) {
    for (auto* v : {&m.Magnitude, &m.Phase, &m.Swr, &m.Rs, &m.Xs, &m.Zmag}) {
        v->reserve(n);
    }
    m.frequencies.reserve(n);
}

void Append(MemoryTrace& m, double hz, float n, float p, const PointValues& v) {
    m.frequencies.push_back(hz);
    m.Magnitude.push_back(n);
    m.Phase.push_back(p);
    m.Swr.push_back(v.Swr);
    m.Rs.push_back(v.Rs);
    m.Xs.push_back(v.Xs);
    m.Zmag.push_back(v.Zmag);
}

}  // namespace

MemoryTrace MemoryFromSweep(const QString& name, std::span<const float> magnitude,
                            std::span<const float> phase, std::int32_t Champ, float FMin,
                            float FMax, float CalOffsetDb, double LossOffset) {
    MemoryTrace m;
    m.name = name;
    m.CalOffsetDb = CalOffsetDb;
    m.LossOffset = LossOffset;
    if (Champ < 1 || magnitude.size() <= static_cast<std::size_t>(Champ) ||
        phase.size() <= static_cast<std::size_t>(Champ)) {
        return m;
    }
    const auto last = static_cast<std::size_t>(Champ);
    Reserve(m, last);
    PointConverter convert(CalOffsetDb, LossOffset);
    const double step = (static_cast<double>(FMax) - static_cast<double>(FMin)) / Champ;
    for (std::size_t i = 1; i <= last; ++i) {
        Append(m, static_cast<double>(FMin) + static_cast<double>(i) * step, magnitude[i], phase[i],
               convert(magnitude[i], phase[i]));
    }
    return m;
}

std::optional<MemoryTrace> MemoryFromTouchstone(const QString& name, const TouchstoneData& data,
                                                bool transmission) {
    const auto& s = transmission ? data.s21 : data.s11;
    if (s.size() != data.frequencies.size()) {
        return std::nullopt;
    }
    MemoryTrace m;
    m.name = name;
    Reserve(m, s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double magnitude = std::abs(s[i]);
        const double phi = std::fabs(std::arg(s[i]));  // 0..pi: the detector has no sign
        PointValues v;
        v.L = ToFiniteFloat(-20.0 * std::log10(magnitude));
        v.Rho = ToFiniteFloat(magnitude);
        v.CosPhi = static_cast<float>(std::cos(phi));
        v.SinPhi = static_cast<float>(std::sin(phi));
        ConvertImpedance(v);
        // The counts the detector reads for that loss and phase, with no
        // offsets: the loss and phase steps backwards.
        const float n = ToFiniteFloat((static_cast<double>(v.L) + Conversion::DbAtZero) /
                                      Conversion::DbPerCount);
        const float p =
            static_cast<float>(phi * 180.0 / std::numbers::pi / Conversion::DegreesPerCount);
        Append(m, data.frequencies[i], n, p, v);
    }
    return m;
}

MemoryLoadResult MemoryFromFile(const QString& fileName, const QByteArray& bytes, bool transmission,
                                float CalOffsetDb, double LossOffset) {
    const QString name = QFileInfo(fileName).fileName();
    const auto refused = [&](const QString& why) {
        return MemoryLoadResult{std::nullopt, QStringLiteral("%1: %2").arg(name, why)};
    };
    if (const int ports = TouchstonePortsOf(fileName); ports > 0) {
        const TouchstoneReadResult read = ReadTouchstone(bytes, ports);
        if (!read.data) {
            return refused(read.error);
        }
        std::optional<MemoryTrace> m = MemoryFromTouchstone(name, *read.data, transmission);
        if (!m) {
            return refused(QStringLiteral("a .s1p holds no S21 for the Transmission mode"));
        }
        return {std::move(m), QString()};
    }
    const std::optional<std::int32_t> points = VecPointsForSize(bytes.size());
    if (!points || *points > Conversion::CounterLimit) {
        return refused(QStringLiteral("%1 bytes is no .vec file of 1 to %2 points")
                           .arg(bytes.size())
                           .arg(Conversion::CounterLimit));
    }
    const VecReadResult read = ReadVecBytes(bytes, *points);
    if (!read.data) {
        return refused(read.error);
    }
    const SweepBuffers& b = read.data->buffers;
    return {MemoryFromSweep(name, b.MagnitudeSamples, b.PhaseSamples, *points, read.data->FMin,
                            read.data->FMax, CalOffsetDb, LossOffset),
            QString()};
}

std::size_t MemoryBank::add(MemoryTrace memory) {
    std::size_t at = 0;
    for (std::size_t i = 0; i < Slots; ++i) {
        if (!slots_[i].memory) {
            at = i;
            break;
        }
        if (slots_[i].stored < slots_[at].stored) {
            at = i;
        }
    }
    slots_[at].memory = std::move(memory);
    slots_[at].stored = next_++;
    return at;
}

void MemoryBank::clear() {
    for (Slot& s : slots_) {
        s.memory.reset();
    }
}

std::size_t MemoryBank::count() const {
    std::size_t n = 0;
    for (const Slot& s : slots_) {
        n += s.memory.has_value();
    }
    return n;
}

QString LoadMemoryFile(const QString& path, bool transmission, float CalOffsetDb, double LossOffset,
                       MemoryBank& bank) {
    QByteArray bytes;
    QString error;
    if (!ReadFileLimited(path, kMaxMemoryFileBytes, &bytes, &error)) {
        return error;
    }
    MemoryLoadResult read = MemoryFromFile(path, bytes, transmission, CalOffsetDb, LossOffset);
    if (!read.memory) {
        return QStringLiteral("Cannot load the memory %1").arg(read.error);
    }
    bank.add(std::move(*read.memory));
    return {};
}
