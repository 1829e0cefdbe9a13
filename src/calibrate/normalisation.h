#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Scalar normalisation, as scalar network analysers do it: a sweep of a
// standard whose loss is known (0 dB for an open, a short and a through)
// measures the detector's error at each of its frequencies, and every later
// sweep subtracts that error from its loss point by point, before Rho. The
// detector gives no sign for the phase, so no full error model can be solved;
// the phase is left as it is.

enum class Standard { Open, Short, Through };
constexpr std::size_t StandardCount = 3;
constexpr std::array<Standard, StandardCount> AllStandards = {Standard::Open, Standard::Short,
                                                              Standard::Through};

// "open", "short", "through"
std::string_view StandardName(Standard standard);
std::optional<Standard> StandardFromName(std::string_view name);

// An open or a short serves the reflection modes (TransmissionMode 0), a
// through the Transmission mode.
bool AppliesIn(Standard standard, float TransmissionMode);

// A reference sweep as raw counts with its own limits: point j = 1..Counts.size()
// lies at FMin + j x (FMax - FMin) / Counts.size() Hz, as in any sweep.
struct Reference {
    float FMin = 0.0f;          // Hz
    float FMax = 0.0f;          // Hz
    std::vector<float> Counts;  // magnitude counts of points 1..Champ (index 0 is never measured)

    bool operator==(const Reference&) const = default;
};

// The most points a reference may have: the point loops count with 16 bits.
constexpr std::int32_t MaxReferencePoints = 32767;

// Why a reference cannot serve, or nothing: 1..32767 points, finite and
// different limits, every count a detector count 0..1023, and not every
// count 0 (buffers that no sweep has filled).
std::optional<std::string> CheckReference(const Reference& reference);

// Points 1..Champ of the sweep buffers (indices 0..Champ) with their limits.
Reference ReferenceFromSweep(std::span<const float> MagnitudeSamples, std::int32_t Champ,
                             float FMin, float FMax);

struct Normalisation {
    std::array<std::optional<Reference>, StandardCount> references;

    std::optional<Reference>& operator[](Standard s) {
        return references[static_cast<std::size_t>(s)];
    }
    const std::optional<Reference>& operator[](Standard s) const {
        return references[static_cast<std::size_t>(s)];
    }
    bool empty() const;
    bool operator==(const Normalisation&) const = default;
};

// The references held, and those that correct a sweep of this mode, each in
// the order open, short, through.
std::vector<Standard> Held(const Normalisation& normalisation);
std::vector<Standard> InUse(const Normalisation& normalisation, float TransmissionMode);

// Their names joined by "+", such as "open+short"; empty when none is in use.
std::string StandardsText(const std::vector<Standard>& standards);
// The mark of a sweep shown normalised, such as "Norm: open+short"; empty
// when none is in use.
std::string NormalisedMarkText(const std::vector<Standard>& standards);

// The loss error of every point of a sweep, in dB.
struct LossErrors {
    // Points 0..Champ; 0 where nothing corrects the point. Empty when no
    // reference is in use, so that the sweep converts exactly as without.
    std::vector<double> Error;
    std::vector<Standard> Standards;  // the references in use
    // Points 1..Champ (the measured ones) that no reference in use covers.
    std::int32_t Outside = 0;
    // The frequencies covered by the references in use, Hz.
    double CoveredLowHz = 0.0;
    double CoveredHighHz = 0.0;
};

// The sweep's point i lies at FMin + i x (FMax - FMin) / Champ Hz. The
// error there is each reference's loss (step 1 of the conversion on its
// count, with the calibration offset of its mode and no loss offset),
// interpolated linearly in dB between its two neighbouring points; with both
// an open and a short covering the point it is the mean of the two. A point
// outside a reference's range takes nothing from it.
LossErrors ComputeLossErrors(const Normalisation& normalisation, float FMin, float FMax,
                             std::int32_t Champ, float TransmissionMode, std::int16_t caloffsetrx,
                             std::int16_t caloffsettx);

// What to tell the user when some points of the sweep are not corrected,
// such as "Normalisation covers 1 to 30 MHz: 5000 points outside it are not
// corrected"; empty when every point is.
std::string OutsideText(const LossErrors& errors);
