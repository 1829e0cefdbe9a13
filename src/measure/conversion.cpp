#include "measure/conversion.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace {

double FiniteOrZero(double v) {
    return std::isfinite(v) ? v : 0.0;
}

}  // namespace

float ToFiniteFloat(double v) {
    if (std::isnan(v)) {
        return 0.0f;
    }
    return static_cast<float>(
        std::clamp(v, -static_cast<double>(FLT_MAX), static_cast<double>(FLT_MAX)));
}

PointValues ConvertPoint(float n, float p, float CalOffsetDb, double LossOffset) {
    const double nd = FiniteOrZero(n);
    const double pd = FiniteOrZero(p);
    const double cal = FiniteOrZero(CalOffsetDb);
    const double offset = FiniteOrZero(LossOffset);

    PointValues v;
    v.L = ToFiniteFloat(nd * 0.0587 - 20.16 + cal + offset);

    v.a = ToFiniteFloat(std::pow(10.0, static_cast<double>(v.L) / 20.0));
    const double rho = 1.0 / static_cast<double>(v.a);  // a == 0 gives +inf
    v.Rho = ToFiniteFloat(rho);

    const double phi = pd * 0.176 / 57.324;
    v.CosPhi = static_cast<float>(std::cos(phi));
    v.SinPhi = static_cast<float>(std::sin(phi));

    // Rho <= FLT_MAX and |CosPhi|, |SinPhi| <= 1, so both stay in range.
    v.GammaRe = static_cast<float>(static_cast<double>(v.Rho) * v.CosPhi);
    v.GammaIm = static_cast<float>(static_cast<double>(v.SinPhi) * v.Rho);

    const double re = v.GammaRe;
    const double im = v.GammaIm;
    const double D = (1.0 - re) * (1.0 - re) + im * im;  // finite: squares of floats fit a double
    if (D == 0.0) {
        // Gamma is exactly 1: an open circuit, infinite and purely resistive.
        v.Xs = 0.0f;
        v.Rs = Conversion::OhmCeiling;
    } else {
        const double ceiling = Conversion::OhmCeiling;
        v.Xs = static_cast<float>(std::min(std::fabs(50.0 * (2.0 * im) / D), ceiling));
        v.Rs = static_cast<float>(
            std::min(std::fabs(50.0 * ((1.0 - re * re) - im * im) / D), ceiling));
    }

    const double r = v.Rho;
    if (r == 1.0) {
        v.Swr = Conversion::SwrCeiling;
    } else {
        const double swr = std::fabs((r + 1.0) / (1.0 - r));
        v.Swr = static_cast<float>(std::min(swr, static_cast<double>(Conversion::SwrCeiling)));
    }

    const double xs = v.Xs;
    const double rs = v.Rs;
    v.Zmag = static_cast<float>(
        std::min(std::sqrt(xs * xs + rs * rs), static_cast<double>(Conversion::OhmCeiling)));
    return v;
}

BestMatchResult BestMatch(const float* magnitude, std::int32_t Champ, std::int16_t Step) {
    BestMatchResult best;
    if (magnitude == nullptr) {
        return best;
    }
    const std::int32_t last = std::min(Champ, Conversion::CounterLimit);
    const std::int32_t step = std::max<std::int32_t>(Step, 1);
    // int32 counters: i + step stays below 65535, so passing the last point ends the loop.
    for (std::int32_t i = 1; i <= last; i += step) {
        const float count = magnitude[i];
        if (count > best.BestMatchCount) {
            best.BestMatchPoint = i;
            best.BestMatchCount = count;
        }
    }
    return best;
}
