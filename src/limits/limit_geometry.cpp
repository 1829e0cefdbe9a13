#include "limits/limit_geometry.h"

#include <algorithm>

#include "measure/conversion.h"
#include "measure/trace_geometry.h"

float LimitY(TraceKind trace, double value, const LimitGeometryInput& in) {
    using namespace trace_y;
    const double h = in.H;
    const auto v = static_cast<float>(FiniteOrZero(value));
    float y = 0.0f;
    switch (trace) {
        case TraceKind::Loss: {
            // The loss trace draws the count less the loss error; the value
            // shown is that count's loss with the offsets added.
            const double cal = FiniteOrZero(in.CalOffsetDb);
            const double offset = FiniteOrZero(in.LossOffset);
            const double n = (FiniteOrZero(value) + Conversion::DbAtZero - cal - offset) /
                             Conversion::DbPerCount;
            y = LossYAt(h, n,
                        LossTerms(in.CalOffsetDb, in.LossOffset, in.LossScale, in.Scales.Loss));
            break;
        }
        case TraceKind::Phase:
            y = PhaseYAt(h, static_cast<float>(FiniteOrZero(value) / Conversion::DegreesPerCount));
            break;
        case TraceKind::Swr:
            WithSwrRule(in.Scales.Swr, [&](auto rule) { y = rule(h, v); });
            break;
        case TraceKind::Rs:
        case TraceKind::Xs:
        case TraceKind::Z:
            WithOhmRule(in.Scales.Ohm, [&](auto rule) { y = rule(h, v); });
            break;
    }
    return y;
}

namespace {

// The line of segment s between fromHz and toHz.
LimitLine LineBetween(const LimitSegment& s, double fromHz, double toHz, bool failing,
                      const LimitGeometryInput& in) {
    return {s.trace,
            FrequencyX(fromHz, in.FMin, in.FMax, in.W),
            LimitY(s.trace, LimitAt(s, fromHz), in),
            FrequencyX(toHz, in.FMin, in.FMax, in.W),
            LimitY(s.trace, LimitAt(s, toHz), in),
            failing};
}

}  // namespace

std::vector<LimitLine> LimitLines(const LimitSet& limits, const LimitVerdict& verdict,
                                  const LimitTraceValues& values, const LimitGeometryInput& in) {
    std::vector<LimitLine> out;
    const double low = std::min(in.FMin, in.FMax);
    const double high = std::max(in.FMin, in.FMax);
    for (const LimitSegment& s : limits.segments) {
        const double from = std::max(s.f1Hz, low);
        const double to = std::min(s.f2Hz, high);
        if (from <= to) {
            out.push_back(LineBetween(s, from, to, false, in));
        }
    }
    const std::vector<double>& f = values.frequencyHz;
    const double halfStep = f.size() > 1 ? (f.back() - f.front()) / (f.size() - 1) / 2.0 : 0.0;
    const std::size_t count = std::min(limits.segments.size(), verdict.segments.size());
    for (std::size_t k = 0; k < count; ++k) {
        const LimitSegment& s = limits.segments[k];
        for (const LimitStretch& stretch : verdict.segments[k].failing) {
            if (stretch.first >= f.size() || stretch.last >= f.size()) {
                continue;
            }
            const double from = std::max(f[stretch.first] - halfStep, s.f1Hz);
            const double to = std::min(f[stretch.last] + halfStep, s.f2Hz);
            out.push_back(LineBetween(s, from, std::max(from, to), true, in));
        }
    }
    return out;
}
