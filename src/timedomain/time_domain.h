#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "timedomain/time_window.h"

// The lowpass time domain of a sweep whose detector gives the phase without
// its sign. Re G = |G| cos |phi| needs no sign, and the impulse response h of
// a real, causal network is twice the even part of the inverse transform of
// Re G for t > 0, so the impulse and step responses, the impedance along a
// line and where each reflection lies all follow from what is measured.
namespace TimeDomain {
constexpr double SpeedOfLight = 299792458.0;  // m/s
constexpr double Z0 = 50.0;                   // ohm
// |G| above this is held at it: no passive port comes near, and the sums
// stay far inside the float range of the transform.
constexpr double RhoCeiling = 1000.0;
// The impedance never exceeds this (the conversion's ceiling) nor falls below
// Z0 * Z0 / OhmCeiling: rho is held just inside +-1.
constexpr double OhmCeiling = 1.0e6;
// The most harmonic bins, DC to the highest point, a sweep may need: a
// narrow sweep far above its step is refused rather than extrapolated over
// nearly all of its band.
constexpr std::size_t MaxBins = 131072;
constexpr std::size_t MinPoints = 3;
// Peaks below this share of the largest are left out of the list.
constexpr double PeakFloor = 0.01;
}  // namespace TimeDomain

// A sweep as the time domain reads it: point i (0-based) at StartHz + i x
// StepHz, with |G| (the reflection coefficient's magnitude, or |S21| for a
// Transmission sweep) and |phi| in degrees, 0..180.
struct TimeDomainSweep {
    double StartHz = 0.0;
    double StepHz = 0.0;
    std::vector<double> Rho;
    std::vector<double> PhaseDeg;
};

struct TimeDomainOptions {
    double VelocityFactor = 0.66;  // (0, 1]
    TimeWindow Window = TimeWindow::Kaiser;
    double KaiserBeta = 6.0;  // 0..50, Kaiser only
};

// A local maximum of |impulse|: how far, and its reflection with its sign
// (positive: a rise in impedance, negative: a fall).
struct TimeDomainPeak {
    double DistanceM = 0.0;
    double Reflection = 0.0;
};

// One value per time bin in each array, bin n at n x BinSeconds (the round
// trip), from 0 to the alias-free range.
struct TimeDomainResponse {
    std::vector<double> DistanceM;  // one way: VF x c x t / 2
    std::vector<double> Impulse;    // reflection per bin: a peak reads as the G of its step
    std::vector<double> Step;       // rho(t)
    std::vector<double> Ohms;       // Z0 (1 + rho) / (1 - rho)
    // Largest |Reflection| first; every local maximum above PeakFloor of the
    // largest.
    std::vector<TimeDomainPeak> Peaks;
    double ResolutionM = 0.0;  // width of the impulse's main lobe at -6 dB
    double AliasFreeM = 0.0;   // VF x c / (4 StepHz)
    double BinSeconds = 0.0;
    std::size_t Bins = 0;              // harmonic bins, DC to the highest point
    std::size_t ExtrapolatedBins = 0;  // of them below the sweep's first point
};

struct TimeDomainResult {
    std::optional<TimeDomainResponse> response;
    std::string error;  // one line, when response is empty
};

// A two-port's delay: where the Transmission sweep's impulse peaks.
struct TransmissionDelay {
    double DelaySeconds = 0.0;
    double LengthM = 0.0;  // VF x c x delay
    double Gain = 0.0;     // the peak's value, signed: |S21| of the path
};

struct TransmissionDelayResult {
    std::optional<TransmissionDelay> delay;
    std::string error;
};

// Why the sweep cannot be transformed, or nothing: at least 3 points, as many
// phases as magnitudes, a finite start of 0 Hz or more, a finite step above
// 0, finite values, a velocity factor in (0, 1], a Kaiser beta in 0..50, and
// at most MaxBins harmonic bins.
std::optional<std::string> CheckTimeDomain(const TimeDomainSweep& sweep,
                                           const TimeDomainOptions& options);

// Keeps the FFT's plan, its buffers and the window's weights from one call to
// the next; they are made again only when the sweep's bins or the window
// change. One object per view, not copied; not for two threads at once.
class TimeDomainTransform {
public:
    TimeDomainTransform();
    ~TimeDomainTransform();

    // A reflection sweep's impulse, step, impedance, peaks and ranges.
    TimeDomainResult reflection(const TimeDomainSweep& sweep, const TimeDomainOptions& options);
    // A Transmission sweep's delay and length.
    TransmissionDelayResult transmission(const TimeDomainSweep& sweep,
                                         const TimeDomainOptions& options);

private:
    struct Work;
    // The windowed impulse into work_; the error, or an empty text.
    std::string impulse(const TimeDomainSweep& sweep, const TimeDomainOptions& options);
    std::unique_ptr<Work> work_;
};

// The same, each with an object of its own for a single call.
TimeDomainResult ReflectionTimeDomain(const TimeDomainSweep& sweep,
                                      const TimeDomainOptions& options);
TransmissionDelayResult TransmissionTimeDomain(const TimeDomainSweep& sweep,
                                               const TimeDomainOptions& options);
