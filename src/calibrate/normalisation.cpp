#include "calibrate/normalisation.h"

#include <algorithm>
#include <cmath>

#include "common/decimal_text.h"
#include "cycle/marker_readouts.h"
#include "measure/conversion.h"

namespace {

constexpr double kMaxCount = 1023.0;
// A sweep point counts as inside a reference's range this close (in points)
// beyond its ends: the same limits worked out twice may differ in the last bit.
constexpr double kEdgeTolerancePoints = 1e-6;

// A reference's losses on its own frequency grid.
struct Grid {
    std::vector<double> loss;  // points 1..N
    double FMin = 0.0;
    double step = 0.0;  // Hz per point, never 0

    double lowHz() const { return std::min(FMin + step, FMin + step * loss.size()); }
    double highHz() const { return std::max(FMin + step, FMin + step * loss.size()); }

    // Linear in dB between the two neighbouring points; nothing outside.
    std::optional<double> at(double hz) const {
        const auto points = static_cast<double>(loss.size());
        double u = (hz - FMin) / step;  // 1-based position on the grid
        if (!(u >= 1.0 - kEdgeTolerancePoints && u <= points + kEdgeTolerancePoints)) {
            return std::nullopt;
        }
        if (loss.size() == 1) {
            return loss[0];
        }
        u = std::clamp(u, 1.0, points);
        const double j = std::min(std::floor(u), points - 1.0);
        const auto below = static_cast<std::size_t>(j) - 1;
        const double t = u - j;
        return t == 0.0 ? loss[below] : loss[below] + t * (loss[below + 1] - loss[below]);
    }
};

Grid GridOf(const Reference& reference, Standard standard, std::int16_t caloffsetrx,
            std::int16_t caloffsettx) {
    // The offset of the reference's own mode, so that it cancels against the
    // sweep's; the user's loss offset is left to the sweep.
    const double cal =
        CalOffsetDbFor(standard == Standard::Through ? 1.0f : 0.0f, caloffsetrx, caloffsettx);
    Grid g;
    g.FMin = reference.FMin;
    g.step = (static_cast<double>(reference.FMax) - static_cast<double>(reference.FMin)) /
             static_cast<double>(reference.Counts.size());
    g.loss.reserve(reference.Counts.size());
    for (const float n : reference.Counts) {
        g.loss.push_back(n * Conversion::DbPerCount - Conversion::DbAtZero + cal);
    }
    return g;
}

}  // namespace

std::string_view StandardName(Standard standard) {
    switch (standard) {
        case Standard::Open:
            return "open";
        case Standard::Short:
            return "short";
        case Standard::Through:
            return "through";
    }
    return "";
}

std::optional<Standard> StandardFromName(std::string_view name) {
    for (const Standard s : AllStandards) {
        if (name == StandardName(s)) {
            return s;
        }
    }
    return std::nullopt;
}

bool AppliesIn(Standard standard, float TransmissionMode) {
    return (standard == Standard::Through) == (TransmissionMode != 0.0f);
}

std::optional<std::string> CheckReference(const Reference& reference) {
    const std::size_t points = reference.Counts.size();
    if (points == 0) {
        return "it has no points";
    }
    if (points > static_cast<std::size_t>(MaxReferencePoints)) {
        return "it has " + std::to_string(points) + " points, more than " +
               std::to_string(MaxReferencePoints);
    }
    if (!std::isfinite(reference.FMin) || !std::isfinite(reference.FMax)) {
        return "its limits are not finite numbers";
    }
    if (reference.FMin == reference.FMax) {
        return "its start and stop are the same frequency";
    }
    bool measured = false;
    for (std::size_t j = 0; j < points; ++j) {
        const float n = reference.Counts[j];
        if (!(n >= 0.0f && n <= kMaxCount)) {
            return "point " + std::to_string(j + 1) + " holds no detector count (0 to 1023)";
        }
        measured = measured || n != 0.0f;
    }
    if (!measured) {
        return "every count is 0: no sweep has been taken";
    }
    return std::nullopt;
}

Reference ReferenceFromSweep(std::span<const float> MagnitudeSamples, std::int32_t Champ,
                             float FMin, float FMax) {
    Reference r;
    r.FMin = FMin;
    r.FMax = FMax;
    if (Champ >= 1 && MagnitudeSamples.size() > 1) {
        const std::size_t last =
            std::min(static_cast<std::size_t>(Champ), MagnitudeSamples.size() - 1);
        r.Counts.assign(MagnitudeSamples.begin() + 1,
                        MagnitudeSamples.begin() + static_cast<std::ptrdiff_t>(last) + 1);
    }
    return r;
}

bool Normalisation::empty() const {
    return std::none_of(references.begin(), references.end(),
                        [](const std::optional<Reference>& r) { return r.has_value(); });
}

std::vector<Standard> Held(const Normalisation& normalisation) {
    std::vector<Standard> out;
    for (const Standard s : AllStandards) {
        if (normalisation[s]) {
            out.push_back(s);
        }
    }
    return out;
}

std::vector<Standard> InUse(const Normalisation& normalisation, float TransmissionMode) {
    std::vector<Standard> out = Held(normalisation);
    std::erase_if(out, [TransmissionMode](Standard s) { return !AppliesIn(s, TransmissionMode); });
    return out;
}

std::string StandardsText(const std::vector<Standard>& standards) {
    std::string text;
    for (const Standard s : standards) {
        if (!text.empty()) {
            text += '+';
        }
        text += StandardName(s);
    }
    return text;
}

std::string NormalisedMarkText(const std::vector<Standard>& standards) {
    const std::string names = StandardsText(standards);
    return names.empty() ? std::string() : "Norm: " + names;
}

LossErrors ComputeLossErrors(const Normalisation& normalisation, float FMin, float FMax,
                             std::int32_t Champ, float TransmissionMode, std::int16_t caloffsetrx,
                             std::int16_t caloffsettx) {
    LossErrors out;
    std::vector<Grid> grids;
    for (const Standard s : InUse(normalisation, TransmissionMode)) {
        if (!CheckReference(*normalisation[s])) {
            out.Standards.push_back(s);
            grids.push_back(GridOf(*normalisation[s], s, caloffsetrx, caloffsettx));
        }
    }
    if (grids.empty() || Champ < 1) {
        return out;
    }
    out.CoveredLowHz = grids.front().lowHz();
    out.CoveredHighHz = grids.front().highHz();
    for (const Grid& g : grids) {
        out.CoveredLowHz = std::min(out.CoveredLowHz, g.lowHz());
        out.CoveredHighHz = std::max(out.CoveredHighHz, g.highHz());
    }

    const double FreqStep = (static_cast<double>(FMax) - static_cast<double>(FMin)) / Champ;
    out.Error.assign(static_cast<std::size_t>(Champ) + 1, 0.0);
    for (std::int32_t i = 0; i <= Champ; ++i) {
        const double hz = static_cast<double>(FMin) + i * FreqStep;
        double sum = 0.0;
        int covering = 0;
        for (const Grid& g : grids) {
            if (const std::optional<double> e = g.at(hz)) {
                sum += *e;
                ++covering;
            }
        }
        // An open and a short together: the mean of their two losses, which
        // halves the ripple of the bridge's mismatch.
        if (covering > 0) {
            out.Error[static_cast<std::size_t>(i)] = sum / covering;
        } else if (i >= 1) {
            ++out.Outside;
        }
    }
    return out;
}

std::string OutsideText(const LossErrors& errors) {
    if (errors.Outside == 0) {
        return {};
    }
    return "Normalisation covers " + HzAsMHzText(errors.CoveredLowHz) + " to " +
           HzAsMHzText(errors.CoveredHighHz) + " MHz: " + std::to_string(errors.Outside) +
           (errors.Outside == 1 ? " point outside it is" : " points outside it are") +
           " not corrected";
}
