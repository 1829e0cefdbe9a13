#include "measure/conversion.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>

namespace {

double FiniteOrZero(double v) {
    return std::isfinite(v) ? v : 0.0;
}

// The three stages of a point. ConvertPoint runs them in order; the
// converter looks the first two up for whole counts.
void LossStage(double nd, double cal, double offset, PointValues& v) {
    v.L = ToFiniteFloat(nd * 0.0587 - 20.16 + cal + offset);
    v.a = ToFiniteFloat(std::pow(10.0, static_cast<double>(v.L) / 20.0));
    const double rho = 1.0 / static_cast<double>(v.a);  // a == 0 gives +inf
    v.Rho = ToFiniteFloat(rho);
}

void PhaseStage(double pd, PointValues& v) {
    const double phi = pd * 0.176 / 57.324;
    v.CosPhi = static_cast<float>(std::cos(phi));
    v.SinPhi = static_cast<float>(std::sin(phi));
}

void ImpedanceStage(PointValues& v) {
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
}

// The table index of a whole count 0..1023, or -1 for any other value
// (fractions from a file, NaN, out of range, and -0, whose sine keeps its sign).
int CountIndex(float count) {
    if (!(count >= 0.0f && count < static_cast<float>(PointConverter::Counts)) ||
        std::signbit(count)) {
        return -1;
    }
    const int i = static_cast<int>(count);
    return static_cast<float>(i) == count ? i : -1;
}

struct PhaseTable {
    float CosPhi[PointConverter::Counts];
    float SinPhi[PointConverter::Counts];
};

const PhaseTable& Phases() {
    static const PhaseTable table = [] {
        PhaseTable t{};
        for (int i = 0; i < PointConverter::Counts; ++i) {
            PointValues v;
            PhaseStage(i, v);
            t.CosPhi[i] = v.CosPhi;
            t.SinPhi[i] = v.SinPhi;
        }
        return t;
    }();
    return table;
}

}  // namespace

PointValues ConvertPoint(float n, float p, float CalOffsetDb, double LossOffset) {
    PointValues v;
    LossStage(FiniteOrZero(n), FiniteOrZero(CalOffsetDb), FiniteOrZero(LossOffset), v);
    PhaseStage(FiniteOrZero(p), v);
    ImpedanceStage(v);
    return v;
}

PointConverter::PointConverter(float CalOffsetDb, double LossOffset)
    : cal_(static_cast<float>(FiniteOrZero(CalOffsetDb))), offset_(FiniteOrZero(LossOffset)) {}

bool PointConverter::serves(float CalOffsetDb, double LossOffset) const {
    return std::bit_cast<std::uint32_t>(static_cast<float>(FiniteOrZero(CalOffsetDb))) ==
               std::bit_cast<std::uint32_t>(cal_) &&
           std::bit_cast<std::uint64_t>(FiniteOrZero(LossOffset)) ==
               std::bit_cast<std::uint64_t>(offset_);
}

PointValues PointConverter::operator()(float n, float p) {
    PointValues v;
    const int ni = CountIndex(n);
    if (ni < 0) {
        LossStage(FiniteOrZero(n), cal_, offset_, v);
    } else {
        LossStep& known = loss_[ni];
        if (!known.known) {
            LossStage(ni, cal_, offset_, v);
            known = LossStep{v.L, v.a, v.Rho, true};
        }
        v.L = known.L;
        v.a = known.a;
        v.Rho = known.Rho;
    }
    const int pi = CountIndex(p);
    if (pi < 0) {
        PhaseStage(FiniteOrZero(p), v);
    } else {
        const PhaseTable& phases = Phases();
        v.CosPhi = phases.CosPhi[pi];
        v.SinPhi = phases.SinPhi[pi];
    }
    ImpedanceStage(v);
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
