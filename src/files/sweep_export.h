#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "measure/conversion.h"

// What every export of a sweep reads: the counts, the limits and how they
// were measured. The .csv and Touchstone inputs add their own few fields.
struct SweepExportInput {
    std::span<const float> MagnitudeSamples;  // indices 0..Champ
    std::span<const float> PhaseSamples;      // indices 0..Champ
    std::int32_t Champ = 0;
    float FMin = 0.0f;  // Hz
    float FMax = 0.0f;  // Hz
    float TransmissionMode = 0.0f;
    float CalOffsetDb = 0.0f;  // dB, of the current mode
    double LossOffset = 0.0;   // dB, the number typed in the loss offset box
    // A normalisation's loss error of each point 0..Champ, dB, taken off the
    // loss; empty: none. NormalisedTo names its references ("open+short").
    std::span<const double> LossErrors;
    std::string NormalisedTo;
};

// Why no export can be made of the sweep (a Champ below 1, arrays shorter
// than Champ + 1, limits or offsets that are not finite), or nothing. The
// points' own values are checked as they are read.
std::optional<QString> SweepExportRefusal(const SweepExportInput& input);

// Point i at FMin + i x (FMax - FMin) / Champ, in Hz, as a double.
double SweepPointHz(const SweepExportInput& input, std::int32_t i);

// The phase of a count in degrees, as the readouts and the .csv show it.
inline double SweepPhaseDegrees(double p) {
    return p * Conversion::DegreesPerCount;
}

// The loss of a point in dB, as the .csv writes it and the readouts show it:
// the counts less the detector's zero and `calibrationDb`, plus the mode's
// calibration offset (at its decimal value, so 0.3 dB is 0.3) and the loss
// offset, less the normalisation's error. The arrays must hold the point.
struct SweepLoss {
    explicit SweepLoss(const SweepExportInput& input, double calibrationDb = 0.0);

    double countsDb(std::size_t at) const {
        return static_cast<double>(input_.MagnitudeSamples[at]) * Conversion::DbPerCount;
    }
    double errorDb(std::size_t at) const {
        return input_.LossErrors.empty() ? 0.0 : input_.LossErrors[at];
    }
    double operator()(std::size_t at) const {
        return countsDb(at) - Conversion::DbAtZero - calibration_ + offsets_ - errorDb(at);
    }
    double calOffsetDb() const { return calOffsetDb_; }

private:
    const SweepExportInput& input_;
    double calibration_;
    double calOffsetDb_;
    double offsets_;
};

// Point `at` through the graph's conversion, with the normalisation's error
// of the point when there is one. The arrays must hold the point.
inline PointValues SweepPointValues(PointConverter& convert, const SweepExportInput& input,
                                    std::size_t at) {
    return input.LossErrors.empty()
               ? convert(input.MagnitudeSamples[at], input.PhaseSamples[at])
               : convert(input.MagnitudeSamples[at], input.PhaseSamples[at], input.LossErrors[at]);
}
