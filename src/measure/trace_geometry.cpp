#include "measure/trace_geometry.h"

#include "measure/trace_scale.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

using namespace trace_y;

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

float FrequencyX(double hz, float FMin, float FMax, float W) {
    const double span = static_cast<double>(FMax) - static_cast<double>(FMin);
    if (span == 0.0) {
        return 0.0f;
    }
    return ToFiniteFloat((hz - static_cast<double>(FMin)) / span * W);
}

float ComputePointWidth(float width, std::int32_t Champ) {
    if (Champ < 1) {
        return 0.0f;
    }
    return ToFiniteFloat(FiniteOrZero(width) / Champ);
}

void PlotLossPhasePass(const TracePass& pass, PenState& pen, LossPhaseGeometry& out) {
    const std::int32_t last = PassLastIndex(pass);
    Prepare(out.Phase, last);
    Prepare(out.Loss, last);
    out.Best = BestMatch(pass.MagnitudeSamples, pass.LossErrors, pass.Champ, pass.Step);
    if (pass.MagnitudeSamples == nullptr || pass.PhaseSamples == nullptr) {
        return;
    }

    // The pass's own pens: phase from the top edge, loss from the carried y,
    // both at x = 1 (the phase Y2 is overwritten by the first point).
    Segment phaseSeg{1.0f, 0.0f, 1.0f, pen.CarryYPhase};
    Segment lossSeg{1.0f, pen.CarryYLoss, 1.0f, pen.CarryYLoss};
    const double h = FiniteOrZero(pass.H);
    const LossYTerms lossTerms =
        LossTerms(pass.CalOffsetDb, pass.LossOffset, pass.LossScale, pass.Scales.Loss);
    const std::int32_t step = PassStep(pass);
    const std::size_t count = last < 1 ? 0 : static_cast<std::size_t>((last - 1) / step) + 1;
    out.Phase.resize(pass.Enabled.Phase ? count : 0);
    out.Loss.resize(pass.Enabled.Loss ? count : 0);
    // The loop keeps its pens and its output in locals: it runs beside the
    // impedance pass, and storing to the shared pen on every point would
    // pull that memory to and fro between the two cores.
    const bool phaseOn = pass.Enabled.Phase;
    const bool lossOn = pass.Enabled.Loss;
    Segment* phaseOut = out.Phase.data();
    Segment* lossOut = out.Loss.data();
    float carryPhase = pen.CarryYPhase;
    float carryLoss = pen.CarryYLoss;
    const float* phase = pass.PhaseSamples;
    // One loop for each kind of sweep, so that the plain one stays as lean as
    // it was.
    const auto points = [&](auto countAt) {
        for (std::int32_t i = 1; i <= last; i += step) {
            const double n = countAt(i);
            const float p = phase[i];
            const float x = PointX(i, pass.PointWidth);
            if (phaseOn) {
                phaseSeg.x2 = x;
                phaseSeg.y2 = PhaseYAt(h, p);
                *phaseOut++ = phaseSeg;
                phaseSeg.x1 = phaseSeg.x2;
                phaseSeg.y1 = phaseSeg.y2;
            }
            if (lossOn) {
                lossSeg.x2 = x;
                lossSeg.y2 = LossYAt(h, n, lossTerms);
                *lossOut++ = lossSeg;
                lossSeg.x1 = lossSeg.x2;
                lossSeg.y1 = lossSeg.y2;
            }
            carryPhase = ToFiniteFloat(h * FiniteOrZero(p) / 1024.0);
            carryLoss = ToFiniteFloat(h - h * FiniteOrZero(n) / 512.0);
        }
    };
    const float* magnitude = pass.MagnitudeSamples;
    if (const double* errors = pass.LossErrors) {
        // A normalised count is a double: the error is rarely whole counts.
        points([=](std::int32_t i) {
            return CountLessLossError(FiniteOrZero(magnitude[i]), FiniteOrZero(errors[i]));
        });
    } else {
        points([=](std::int32_t i) { return static_cast<double>(magnitude[i]); });
    }
    pen.CarryYPhase = carryPhase;
    pen.CarryYLoss = carryLoss;
}

void PlotImpedancePass(const TracePass& pass, PenState& pen, ImpedanceGeometry& out) {
    const std::int32_t last = PassLastIndex(pass);
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
    const double* errors = pass.LossErrors;
    const double h = FiniteOrZero(pass.H);
    const std::int32_t step = PassStep(pass);
    // Every point is converted first; then each trace works out its y in a
    // plain loop over an array, which the compiler runs two points at a time.
    auto& w = out.Work;
    const std::size_t count = last < 0 ? 0 : static_cast<std::size_t>(last / step) + 1;
    for (auto* column : {&w.x1, &w.x2, &w.Zmag, &w.Xs, &w.Rs, &w.Swr, &w.y}) {
        column->resize(count);
    }
    PointValues v = out.Last;
    const auto points = [&](auto convertAt) {
        for (std::size_t k = 0; k < count; ++k) {
            const auto i = static_cast<std::int32_t>(k) * step;
            v = convertAt(i);
            const float x1 = PointX(i, pass.PointWidth);
            w.x1[k] = x1;
            w.x2[k] = ToFiniteFloat(static_cast<double>(x1) + pass.PointWidth);
            w.Zmag[k] = v.Zmag;
            w.Xs[k] = v.Xs;
            w.Rs[k] = v.Rs;
            w.Swr[k] = v.Swr;
        }
    };
    const float* magnitude = pass.MagnitudeSamples;
    const float* phase = pass.PhaseSamples;
    if (errors != nullptr) {
        points([&](std::int32_t i) { return convert(magnitude[i], phase[i], errors[i]); });
    } else {
        points([&](std::int32_t i) { return convert(magnitude[i], phase[i]); });
    }
    const auto trace = [&](std::vector<Segment>& batch, float& lastY,
                           const std::vector<float>& values, auto yOf) {
        float* y = w.y.data();
        const float* value = values.data();
        for (std::size_t k = 0; k < count; ++k) {
            y[k] = yOf(h, value[k]);
        }
        batch.resize(count);
        Segment* segment = batch.data();
        float from = lastY;
        for (std::size_t k = 0; k < count; ++k) {
            segment[k] = Segment{w.x1[k], from, w.x2[k], y[k]};
            from = y[k];
        }
        lastY = from;
    };
    WithOhmRule(pass.Scales.Ohm, [&](auto ohmY) {
        if (pass.Enabled.Z) {
            trace(out.Z, pen.LastYZ, w.Zmag, ohmY);
        }
        if (pass.Enabled.Xs && pass.XsSigns != nullptr) {
            const float zero =
                0.5f * (ohmY(h, 0.0f) + ohmY(h, static_cast<float>(OhmScaleTop(pass.Scales.Ohm))));
            const std::int8_t* signs = pass.XsSigns;
            for (std::size_t k = 0; k < count; ++k) {
                w.Xs[k] = signs[static_cast<std::size_t>(k) * static_cast<std::size_t>(step)] < 0
                              ? -w.Xs[k]
                              : w.Xs[k];
            }
            trace(out.Xs, pen.LastYXs, w.Xs, [&](double hh, float xs) {
                const float half = 0.5f * (ohmY(hh, 0.0f) - ohmY(hh, std::fabs(xs)));
                return xs < 0.0f ? zero + half : zero - half;
            });
        } else if (pass.Enabled.Xs) {
            trace(out.Xs, pen.LastYXs, w.Xs, ohmY);
        }
        if (pass.Enabled.Rs) {
            trace(out.Rs, pen.LastYRs, w.Rs, ohmY);
        }
    });
    if (pass.Enabled.Swr) {
        WithSwrRule(pass.Scales.Swr, [&](auto swrY) { trace(out.Swr, pen.LastYSwr, w.Swr, swrY); });
    }
    out.Last = v;
}

float SignedXsZeroY(OhmScale scale, float H) {
    return 0.5f *
           (OhmYOn(scale, H, 0.0f) + OhmYOn(scale, H, static_cast<float>(OhmScaleTop(scale))));
}
