#include "measure/trace_scale.h"

#include <algorithm>
#include <initializer_list>

#include "common/decimal_text.h"
#include "measure/trace_geometry.h"

using namespace trace_y;

float PhaseY(float H, float p) {
    return PhaseYAt(FiniteOrZero(H), p);
}

float LossY(float H, float n, float CalOffsetDb, double LossOffset, std::uint8_t LossScale) {
    return LossYAt(FiniteOrZero(H), n, LossTerms(CalOffsetDb, LossOffset, LossScale));
}

float OhmY(float H, float ohm) {
    return OhmYAt(FiniteOrZero(H), ohm);
}

float SwrY(float H, float swr) {
    return SwrYAt(FiniteOrZero(H), swr);
}

float LossYOn(LossRange range, float H, float n, float CalOffsetDb, double LossOffset,
              std::uint8_t LossScale) {
    return LossYAt(FiniteOrZero(H), n, LossTerms(CalOffsetDb, LossOffset, LossScale, range));
}

float OhmYOn(OhmScale scale, float H, float ohm) {
    float y = 0.0f;
    WithOhmRule(scale, [&](auto rule) { y = rule(FiniteOrZero(H), ohm); });
    return y;
}

float SwrYOn(SwrScale scale, float H, float swr) {
    float y = 0.0f;
    WithSwrRule(scale, [&](auto rule) { y = rule(FiniteOrZero(H), swr); });
    return y;
}

void ValueRange::take(float v) {
    if (!any) {
        min = max = v;
        any = true;
        return;
    }
    min = std::min(min, v);
    max = std::max(max, v);
}

TraceExtremes SweepExtremes(const TracePass& pass, std::optional<PointConverter>& convert) {
    TraceExtremes e;
    if (pass.MagnitudeSamples == nullptr || pass.PhaseSamples == nullptr) {
        return e;
    }
    const std::int32_t last = PassLastIndex(pass);
    const std::int32_t step = PassStep(pass);
    for (std::int32_t i = 1; i <= last; i += step) {
        e.LossCount.take(static_cast<float>(FiniteOrZero(pass.MagnitudeSamples[i])));
    }
    if (!convert || !convert->serves(pass.CalOffsetDb, pass.LossOffset)) {
        convert.emplace(pass.CalOffsetDb, pass.LossOffset);
    }
    for (std::int32_t i = 0; i <= last; i += step) {
        const PointValues v = (*convert)(pass.MagnitudeSamples[i], pass.PhaseSamples[i]);
        e.Swr.take(v.Swr);
        e.Z.take(v.Zmag);
        e.Xs.take(v.Xs);
        e.Rs.take(v.Rs);
    }
    return e;
}


GraphScalePositions ComputeGraphScalePositions(const float T, const float H, OhmScale ohm) {
    const float third = H / 3.0f;
    const float twoThirds = third * 2.0f;
    const float half = H / 2.0f;
    const float quarter = H / 4.0f;
    const float threeQuarters = quarter * 3.0f;
    const float tenth = H / 10.0f;

    GraphScalePositions p{};
    p.lbl0ohm = T - 100.0f;
    p.lbl50ohm = T + (H - tenth) - 200.0f;
    p.lbl75ohm = T + quarter - 200.0f;
    p.lbl150ohm = T + half - 200.0f;
    p.lbl225ohm = T + threeQuarters - 200.0f;
    p.lbl300ohm = T + H - 100.0f;
    p.lbl0db = T - 100.0f;
    p.lbl10dB = T + third - 100.0f;
    p.lbl20dB = T + twoThirds - 100.0f;
    p.lbl30dB = T + H - 100.0f;
    p.markerY1 = 0.0f;
    p.markerY2 = H;
    p.lblMTop = H - 250.0f;
    p.lin10dB = third;
    p.lin20dB = twoThirds;
    p.lin50ohm = H - 100.0f - tenth;
    p.lin75ohm = H - 100.0f - quarter;
    p.lin150ohm = H - 100.0f - half;
    p.lin225ohm = H - 100.0f - threeQuarters;
    if (ohm != OhmScale::To500) {
        p.lin50ohm = OhmYOn(ohm, H, 50.0f);
        p.lbl50ohm = T + p.lin50ohm - 100.0f;
    }
    return p;
}

LossScaleCaptions LossScaleFor(const bool scaleX2) {
    if (scaleX2) {
        return {2, " 0dB/10", "20dB", "40dB", "60dB/1.0"};
    }
    return {1, " 0dB/10", "10dB", "20dB", "30dB/1.0"};
}

namespace {

// To a tenth, shortest: 3.33 -> "3.3", 20 -> "20".
std::string Tenths(double v) {
    return ShortestDecimal(std::round(v * 10.0) / 10.0);
}

// The first of choices (narrowest first) that holds [r.min, r.max] under
// yOf, unless current still holds it.
template <class Choice, class YOf>
Choice Pick(Choice current, std::initializer_list<Choice> narrowestFirst, const ValueRange& r,
            float H, YOf yOf) {
    if (!r.any) {
        return current;
    }
    const auto holds = [&](Choice c) {
        const float a = yOf(c, r.min);
        const float b = yOf(c, r.max);
        return a >= 0.0f && a <= H && b >= 0.0f && b <= H;
    };
    if (holds(current)) {
        return current;
    }
    for (const Choice c : narrowestFirst) {
        if (holds(c)) {
            return c;
        }
    }
    return *(narrowestFirst.end() - 1);
}

void Merge(ValueRange& into, const ValueRange& r) {
    if (r.any) {
        into.take(r.min);
        into.take(r.max);
    }
}

}  // namespace

LossCaptions LossCaptionsFor(bool scaleX2, LossRange range, SwrScale swr) {
    const LossScaleCaptions designed = LossScaleFor(scaleX2);
    LossCaptions c{designed.LossScale, designed.lbl0db, designed.lbl10dB, designed.lbl20dB,
                   designed.lbl30dB};
    if (range == LossRange::To30 && swr == SwrScale::ZeroTo10) {
        return c;
    }
    const double full = LossRangeDb(range) * c.LossScale;
    c.lbl0db = " 0dB/" + ShortestDecimal(SwrScaleTop(swr));
    c.lbl10dB = Tenths(full / 3.0) + "dB";
    c.lbl20dB = Tenths(full * 2.0 / 3.0) + "dB";
    c.lbl30dB = Tenths(full) + "dB/1.0";
    return c;
}

std::array<std::string, 5> OhmCaptionsFor(OhmScale ohm) {
    const double top = OhmScaleTop(ohm);
    const auto ohms = [](double v) { return ShortestDecimal(v) + " ohm"; };
    return {"180 \u00b0 / " + ohms(top), "135\u00b0 / " + ohms(top * 0.75),
            "90\u00b0 / " + ohms(top * 0.5), "45\u00b0 / " + ohms(top * 0.25),
            "0\u00b0 / " + ohms(0.0)};
}

GraphScales AutoScales(const GraphScales& current, const TracePass& pass, const TraceExtremes& e) {
    const float H = pass.H;
    GraphScales next = current;
    if (pass.Enabled.Swr) {
        next.Swr = Pick(current.Swr,
                        {SwrScale::OneTo2, SwrScale::OneTo3, SwrScale::OneTo5, SwrScale::ZeroTo10},
                        e.Swr, H, [H](SwrScale s, float v) { return SwrYOn(s, H, v); });
    }
    ValueRange ohms;
    if (pass.Enabled.Z) {
        Merge(ohms, e.Z);
    }
    if (pass.Enabled.Xs) {
        Merge(ohms, e.Xs);
    }
    if (pass.Enabled.Rs) {
        Merge(ohms, e.Rs);
    }
    next.Ohm = Pick(
        current.Ohm,
        {OhmScale::To100, OhmScale::To200, OhmScale::To500, OhmScale::To1000, OhmScale::To2000},
        ohms, H, [H](OhmScale s, float v) { return OhmYOn(s, H, v); });
    if (pass.Enabled.Loss) {
        next.Loss =
            Pick(current.Loss, {LossRange::To3, LossRange::To10, LossRange::To30}, e.LossCount, H,
                 [&pass, H](LossRange r, float n) {
                     return LossYOn(r, H, n, pass.CalOffsetDb, pass.LossOffset, pass.LossScale);
                 });
    }
    return next;
}
