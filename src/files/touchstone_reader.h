#pragma once

#include <QByteArray>
#include <QString>

#include <complex>
#include <cstddef>
#include <optional>
#include <vector>

// Reading Touchstone (version 1) files of one or two ports, as circuit
// simulators and other analysers write them:
// - "!" starts a comment, anywhere on a line; blank lines are skipped;
// - the option line "# <unit> S <format> R <ohm>" (any order, any case;
//   missing fields are GHz, MA and 50 ohm) comes before the data, and only
//   the first one counts;
// - unit Hz, kHz, MHz or GHz; format RI (real, imaginary), MA (magnitude,
//   degrees) or DB (dB, degrees); S parameters only;
// - one point is the frequency and 1 (.s1p) or 4 (.s2p, in the order S11
//   S21 S12 S22) pairs; a point may run on over several lines but starts a
//   line of its own; frequencies rise strictly. In a .s2p a frequency that
//   does not rise starts the noise parameters, which are not read.
// Values against another reference impedance are renormalised to 50 ohm.
struct TouchstoneData {
    int ports = 1;                          // 1 or 2
    std::vector<double> frequencies;        // Hz, finite, strictly rising
    std::vector<std::complex<double>> s11;  // against 50 ohm, finite
    std::vector<std::complex<double>> s21;  // two ports only, else empty
};

struct TouchstoneReadResult {
    std::optional<TouchstoneData> data;
    QString error;  // "line N: why" (or why, when no line is to blame), when data is empty
};

// 1 for a .s1p, 2 for a .s2p (in any case), else 0.
int TouchstonePortsOf(const QString& path);

// More points than this is no measurement anyone compares against.
constexpr std::size_t kMaxTouchstonePoints = 1'000'000;

// ports must be 1 or 2 (the file's extension says which).
TouchstoneReadResult ReadTouchstone(const QByteArray& text, int ports);
