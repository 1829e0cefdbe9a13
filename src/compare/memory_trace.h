#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "files/touchstone_reader.h"

// A trace memory: a sweep kept to compare against, at its own frequencies,
// so that it stays where it was measured when the range or the number of
// points changes. Every array has one element per point.
struct MemoryTrace {
    QString name;                     // what the legend calls it
    std::vector<double> frequencies;  // Hz, rising
    // The detector's counts, or what they would have been for a file's
    // values: the loss and phase traces are drawn from them by the live y
    // rules, with the offsets the loss was read with.
    std::vector<float> Magnitude;
    std::vector<float> Phase;
    float CalOffsetDb = 0.0f;
    double LossOffset = 0.0;
    // What the impedance traces show, as the live conversion gives them.
    std::vector<float> Swr, Rs, Xs, Zmag;

    std::size_t size() const { return frequencies.size(); }
};

// Points 1..Champ of a sweep (magnitude and phase hold 0..Champ), point i at
// FMin + i x (FMax - FMin) / Champ, converted as the live sweep is with these
// offsets. Empty when Champ is below 1 or the arrays are shorter.
MemoryTrace MemoryFromSweep(const QString& name, std::span<const float> magnitude,
                            std::span<const float> phase, std::int32_t Champ, float FMin,
                            float FMax, float CalOffsetDb, double LossOffset);

// S11 in the reflection modes, S21 in the Transmission mode: the loss
// 20 log10 (1 / |S|), the phase |angle S| (0..180 degrees, as the detector
// gives it) and, from the reflection coefficient on, the live conversion's
// SWR, Rs, |Xs| and |Z|. Nothing when the file holds no S21 for the
// Transmission mode.
std::optional<MemoryTrace> MemoryFromTouchstone(const QString& name, const TouchstoneData& data,
                                                bool transmission);

struct MemoryLoadResult {
    std::optional<MemoryTrace> memory;
    QString error;  // one line, when memory is empty
};

// A .vec (at its own points and limits), .s1p or .s2p file as a memory named
// after the file. The offsets are those of a .vec's conversion.
MemoryLoadResult MemoryFromFile(const QString& fileName, const QByteArray& bytes, bool transmission,
                                float CalOffsetDb, double LossOffset);

// The largest file a memory is loaded from.
constexpr qint64 kMaxMemoryFileBytes = 64 * 1024 * 1024;

class MemoryBank;

// "Load memory…": the file read whole (within kMaxMemoryFileBytes) and made a
// memory in bank, as MemoryFromFile makes it; else why not, in one line.
QString LoadMemoryFile(const QString& path, bool transmission, float CalOffsetDb, double LossOffset,
                       MemoryBank& bank);

// Up to four memories, each in a slot of its own (the slot picks its dash
// pattern); a fifth replaces the oldest. They last as long as the window.
class MemoryBank {
public:
    static constexpr std::size_t Slots = 4;

    // The slot it went into.
    std::size_t add(MemoryTrace memory);
    void clear();
    const std::optional<MemoryTrace>& slot(std::size_t i) const { return slots_[i].memory; }
    std::size_t count() const;
    bool empty() const { return count() == 0; }

private:
    struct Slot {
        std::optional<MemoryTrace> memory;
        std::uint64_t stored = 0;  // order of storing
    };
    std::array<Slot, Slots> slots_;
    std::uint64_t next_ = 1;
};
