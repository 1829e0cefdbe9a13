#pragma once

#include <cstdint>
#include <span>
#include <string>

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
