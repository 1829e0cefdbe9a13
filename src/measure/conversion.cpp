#include "measure/conversion.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <type_traits>

namespace {

double FiniteOrZero(double v) {
    return std::isfinite(v) ? v : 0.0;
}

// The first two stages of a point (ConvertImpedance is the third); the
// converter looks them up for whole counts.
void LossStage(double nd, double cal, double offset, PointValues& v, double error = 0.0) {
    v.L = ToFiniteFloat(nd * Conversion::DbPerCount - Conversion::DbAtZero + cal + offset - error);
    v.a = ToFiniteFloat(std::pow(10.0, static_cast<double>(v.L) / 20.0));
    const double rho = 1.0 / static_cast<double>(v.a);  // a == 0 gives +inf
    v.Rho = ToFiniteFloat(rho);
}

void PhaseStage(double pd, PointValues& v) {
    const double phi = pd * Conversion::DegreesPerCount / 57.324;
    v.CosPhi = static_cast<float>(std::cos(phi));
    v.SinPhi = static_cast<float>(std::sin(phi));
}

const PointConverter::PhaseTable& Phases() {
    static const PointConverter::PhaseTable table = [] {
        PointConverter::PhaseTable t{};
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

PointValues ConvertPoint(float n, float p, float CalOffsetDb, double LossOffset, double LossError) {
    PointValues v;
    LossStage(FiniteOrZero(n), FiniteOrZero(CalOffsetDb), FiniteOrZero(LossOffset), v,
              FiniteOrZero(LossError));
    PhaseStage(FiniteOrZero(p), v);
    ConvertImpedance(v);
    return v;
}

PointConverter::PointConverter(float CalOffsetDb, double LossOffset)
    : cal_(static_cast<float>(FiniteOrZero(CalOffsetDb))),
      offset_(FiniteOrZero(LossOffset)),
      phases_(&Phases()) {}

bool PointConverter::serves(float CalOffsetDb, double LossOffset) const {
    return std::bit_cast<std::uint32_t>(static_cast<float>(FiniteOrZero(CalOffsetDb))) ==
               std::bit_cast<std::uint32_t>(cal_) &&
           std::bit_cast<std::uint64_t>(FiniteOrZero(LossOffset)) ==
               std::bit_cast<std::uint64_t>(offset_);
}

void PointConverter::lossMiss(float n, int index, PointValues& v) {
    if (index < 0) {
        LossStage(FiniteOrZero(n), cal_, offset_, v);
        return;
    }
    LossStage(index, cal_, offset_, v);
    loss_[index] = LossStep{v.L, v.a, v.Rho, true};
}

PointValues PointConverter::operator()(float n, float p, double LossError) {
    if (LossError == 0.0 || !std::isfinite(LossError)) {
        return (*this)(n, p);
    }
    PointValues v;
    LossStage(FiniteOrZero(n), cal_, offset_, v, LossError);
    phaseStep(p, v);
    ConvertImpedance(v);
    return v;
}

void PointConverter::phaseMiss(float p, PointValues& v) {
    PhaseStage(FiniteOrZero(p), v);
}

namespace {
// Points 1, 1 + Step, ... up to Champ; the strictly largest count wins, so
// the first of equal maxima is kept, and none above 0 leaves point 0.
template <typename T, typename CountAt>
BestMatchResult LargestCount(std::int32_t Champ, std::int16_t Step, CountAt countAt) {
    BestMatchResult best;
    T bestCount = 0;
    const std::int32_t last = std::min(Champ, Conversion::CounterLimit);
    const std::int32_t step = std::max<std::int32_t>(Step, 1);
    // int32 counters: i + step stays below 65535, so passing the last point ends the loop.
    for (std::int32_t i = 1; i <= last; i += step) {
        const T count = countAt(i);
        if (count > bestCount) {
            best.BestMatchPoint = i;
            bestCount = count;
        }
    }
    if constexpr (std::is_same_v<T, float>) {
        best.BestMatchCount = bestCount;
    } else {
        best.BestMatchCount = ToFiniteFloat(bestCount);
    }
    return best;
}
}  // namespace

BestMatchResult BestMatch(const float* magnitude, std::int32_t Champ, std::int16_t Step) {
    if (magnitude == nullptr) {
        return {};
    }
    return LargestCount<float>(Champ, Step, [magnitude](std::int32_t i) { return magnitude[i]; });
}

BestMatchResult BestMatch(const float* magnitude, const double* LossErrors, std::int32_t Champ,
                          std::int16_t Step) {
    if (LossErrors == nullptr || magnitude == nullptr) {
        return BestMatch(magnitude, Champ, Step);
    }
    return LargestCount<double>(Champ, Step, [magnitude, LossErrors](std::int32_t i) {
        return CountLessLossError(magnitude[i], FiniteOrZero(LossErrors[i]));
    });
}
