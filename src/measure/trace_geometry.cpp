#include "measure/trace_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

double FiniteOrZero(double v) {
    return std::isfinite(v) ? v : 0.0;
}

std::int32_t LastIndex(const TracePass& pass) {
    return std::min(pass.Champ, Conversion::CounterLimit);
}

std::int32_t StepOf(const TracePass& pass) {
    return std::max<std::int32_t>(pass.Step, 1);
}

// Room for every point of a pass, taken once; clear() keeps it.
void Prepare(std::vector<Segment>& batch, std::int32_t last) {
    batch.clear();
    batch.reserve(static_cast<std::size_t>(std::max(last, 0)) + 1);
}

// x of point i: i as a 32-bit float times PointWidth, rounded once to a float
// as the single-precision product would be.
float PointX(std::int32_t i, float PointWidth) {
    return ToFiniteFloat(static_cast<double>(static_cast<float>(i)) * PointWidth);
}

// The y rules with the graph height h already made finite, so that a pass
// works it out once.
float PhaseYAt(double h, float p) {
    return ToFiniteFloat(h - (h / 1024.0) * FiniteOrZero(p));
}

struct LossYTerms {
    double offsets = 0.0;  // CalOffsetDb + LossOffset, each finite
    double scale = 1.0;
};

LossYTerms LossTerms(float CalOffsetDb, double LossOffset, std::uint8_t LossScale) {
    return LossYTerms{FiniteOrZero(CalOffsetDb) + FiniteOrZero(LossOffset),
                      LossScale < 1 ? 1.0 : LossScale};
}

float LossYAt(double h, float n, const LossYTerms& t) {
    const double y = h * FiniteOrZero(n) / 512.0 - h + t.offsets * 129.0 + 1250.0;
    // Halving is exact as a product; the usual scale of 1 needs no division.
    return ToFiniteFloat(t.scale == 1.0 ? y : t.scale == 2.0 ? y * 0.5 : y / t.scale);
}

float OhmYAt(double h, float ohm) {
    return ToFiniteFloat(h - h * FiniteOrZero(ohm) / 500.0 - 100.0);
}

float SwrYAt(double h, float swr) {
    return ToFiniteFloat(h - h * FiniteOrZero(swr) / 10.0);
}

}  // namespace

float ComputePointWidth(float width, std::int32_t Champ) {
    if (Champ < 1) {
        return 0.0f;
    }
    return ToFiniteFloat(FiniteOrZero(width) / Champ);
}

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

void PlotLossPhasePass(const TracePass& pass, PenState& pen, LossPhaseGeometry& out) {
    const std::int32_t last = LastIndex(pass);
    Prepare(out.Phase, last);
    Prepare(out.Loss, last);
    out.Best = BestMatch(pass.MagnitudeSamples, pass.Champ, pass.Step);
    if (pass.MagnitudeSamples == nullptr || pass.PhaseSamples == nullptr) {
        return;
    }

    // The pass's own pens: phase from the top edge, loss from the carried y,
    // both at x = 1 (the phase Y2 is overwritten by the first point).
    Segment phaseSeg{1.0f, 0.0f, 1.0f, pen.CarryYPhase};
    Segment lossSeg{1.0f, pen.CarryYLoss, 1.0f, pen.CarryYLoss};
    const double h = FiniteOrZero(pass.H);
    const LossYTerms lossTerms = LossTerms(pass.CalOffsetDb, pass.LossOffset, pass.LossScale);
    const std::int32_t step = StepOf(pass);
    for (std::int32_t i = 1; i <= last; i += step) {
        const float n = pass.MagnitudeSamples[i];
        const float p = pass.PhaseSamples[i];
        const float x = PointX(i, pass.PointWidth);
        if (pass.Enabled.Phase) {
            phaseSeg.x2 = x;
            phaseSeg.y2 = PhaseYAt(h, p);
            out.Phase.push_back(phaseSeg);
            phaseSeg.x1 = phaseSeg.x2;
            phaseSeg.y1 = phaseSeg.y2;
        }
        if (pass.Enabled.Loss) {
            lossSeg.x2 = x;
            lossSeg.y2 = LossYAt(h, n, lossTerms);
            out.Loss.push_back(lossSeg);
            lossSeg.x1 = lossSeg.x2;
            lossSeg.y1 = lossSeg.y2;
        }
        pen.CarryYPhase = ToFiniteFloat(h * FiniteOrZero(p) / 1024.0);
        pen.CarryYLoss = ToFiniteFloat(h - h * FiniteOrZero(n) / 512.0);
    }
}

void PlotImpedancePass(const TracePass& pass, PenState& pen, ImpedanceGeometry& out) {
    const std::int32_t last = LastIndex(pass);
    Prepare(out.Z, last);
    Prepare(out.Xs, last);
    Prepare(out.Rs, last);
    Prepare(out.Swr, last);
    if (pass.MagnitudeSamples == nullptr || pass.PhaseSamples == nullptr) {
        return;
    }

    if (!out.Converter || !out.Converter->serves(pass.CalOffsetDb, pass.LossOffset)) {
        out.Converter.emplace(pass.CalOffsetDb, pass.LossOffset);
    }
    PointConverter& convert = *out.Converter;
    const double h = FiniteOrZero(pass.H);
    const std::int32_t step = StepOf(pass);
    // The pens and the last point live in locals during the loop, so the
    // stores into the batches cannot make the compiler reload them.
    const auto draw = [](std::vector<Segment>& batch, float& lastY, float x1, float x2, float y) {
        batch.push_back(Segment{x1, lastY, x2, y});
        lastY = y;
    };
    PenState p = pen;
    PointValues v = out.Last;
    for (std::int32_t i = 0; i <= last; i += step) {
        v = convert(pass.MagnitudeSamples[i], pass.PhaseSamples[i]);
        const float x1 = PointX(i, pass.PointWidth);
        const float x2 = ToFiniteFloat(static_cast<double>(x1) + pass.PointWidth);
        if (pass.Enabled.Z) {
            draw(out.Z, p.LastYZ, x1, x2, OhmYAt(h, v.Zmag));
        }
        if (pass.Enabled.Xs) {
            draw(out.Xs, p.LastYXs, x1, x2, OhmYAt(h, v.Xs));
        }
        if (pass.Enabled.Rs) {
            draw(out.Rs, p.LastYRs, x1, x2, OhmYAt(h, v.Rs));
        }
        if (pass.Enabled.Swr) {
            draw(out.Swr, p.LastYSwr, x1, x2, SwrYAt(h, v.Swr));
        }
    }
    pen.LastYZ = p.LastYZ;
    pen.LastYXs = p.LastYXs;
    pen.LastYRs = p.LastYRs;
    pen.LastYSwr = p.LastYSwr;
    out.Last = v;
}
