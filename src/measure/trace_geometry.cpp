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

}  // namespace

float ComputePointWidth(float width, std::int32_t Champ) {
    if (Champ < 1) {
        return 0.0f;
    }
    return ToFiniteFloat(FiniteOrZero(width) / Champ);
}

float PhaseY(float H, float p) {
    const double h = FiniteOrZero(H);
    return ToFiniteFloat(h - (h / 1024.0) * FiniteOrZero(p));
}

float LossY(float H, float n, float CalOffsetDb, double LossOffset, std::uint8_t LossScale) {
    const double h = FiniteOrZero(H);
    const double offsets = FiniteOrZero(CalOffsetDb) + FiniteOrZero(LossOffset);
    const double scale = LossScale < 1 ? 1.0 : LossScale;
    return ToFiniteFloat((h * FiniteOrZero(n) / 512.0 - h + offsets * 129.0 + 1250.0) / scale);
}

float OhmY(float H, float ohm) {
    const double h = FiniteOrZero(H);
    return ToFiniteFloat(h - h * FiniteOrZero(ohm) / 500.0 - 100.0);
}

float SwrY(float H, float swr) {
    const double h = FiniteOrZero(H);
    return ToFiniteFloat(h - h * FiniteOrZero(swr) / 10.0);
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
    const std::int32_t step = StepOf(pass);
    for (std::int32_t i = 1; i <= last; i += step) {
        const float n = pass.MagnitudeSamples[i];
        const float p = pass.PhaseSamples[i];
        const float x = PointX(i, pass.PointWidth);
        if (pass.Enabled.Phase) {
            phaseSeg.x2 = x;
            phaseSeg.y2 = PhaseY(pass.H, p);
            out.Phase.push_back(phaseSeg);
            phaseSeg.x1 = phaseSeg.x2;
            phaseSeg.y1 = phaseSeg.y2;
        }
        if (pass.Enabled.Loss) {
            lossSeg.x2 = x;
            lossSeg.y2 = LossY(pass.H, n, pass.CalOffsetDb, pass.LossOffset, pass.LossScale);
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

    const auto draw = [](std::vector<Segment>& batch, float& lastY, float x1, float x2, float y) {
        batch.push_back(Segment{x1, lastY, x2, y});
        lastY = y;
    };
    const std::int32_t step = StepOf(pass);
    for (std::int32_t i = 0; i <= last; i += step) {
        out.Last = ConvertPoint(pass.MagnitudeSamples[i], pass.PhaseSamples[i], pass.CalOffsetDb,
                                pass.LossOffset);
        const PointValues& v = out.Last;
        const float x1 = PointX(i, pass.PointWidth);
        const float x2 = ToFiniteFloat(static_cast<double>(x1) + pass.PointWidth);
        if (pass.Enabled.Z) {
            draw(out.Z, pen.LastYZ, x1, x2, OhmY(pass.H, v.Zmag));
        }
        if (pass.Enabled.Xs) {
            draw(out.Xs, pen.LastYXs, x1, x2, OhmY(pass.H, v.Xs));
        }
        if (pass.Enabled.Rs) {
            draw(out.Rs, pen.LastYRs, x1, x2, OhmY(pass.H, v.Rs));
        }
        if (pass.Enabled.Swr) {
            draw(out.Swr, pen.LastYSwr, x1, x2, SwrY(pass.H, v.Swr));
        }
    }
}
