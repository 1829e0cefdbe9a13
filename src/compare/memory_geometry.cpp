#include "compare/memory_geometry.h"

#include "measure/conversion.h"

void PlotMemory(const MemoryTrace& m, const MemoryAxis& a, MemorySegments& out) {
    for (std::vector<Segment>& trace : out) {
        trace.clear();
    }
    const double span = a.FMax - a.FMin;
    const std::size_t n = m.size();
    if (!(span > 0.0) || n < 2) {
        return;
    }
    std::vector<float> x(n);
    const double perHz = a.Width / span;
    for (std::size_t k = 0; k < n; ++k) {
        x[k] = ToFiniteFloat((m.frequencies[k] - a.FMin) * perHz);
    }
    std::vector<float> y(n);
    const auto trace = [&](bool on, std::vector<Segment>& batch, auto yOf) {
        if (!on) {
            return;
        }
        for (std::size_t k = 0; k < n; ++k) {
            y[k] = yOf(k);
        }
        for (std::size_t k = 1; k < n; ++k) {
            if (x[k] >= 0.0f && x[k - 1] <= a.Width) {
                batch.push_back(Segment{x[k - 1], y[k - 1], x[k], y[k]});
            }
        }
    };
    const float h = a.H;
    trace(a.Enabled.Phase, out[0], [&](std::size_t k) { return PhaseY(h, m.Phase[k]); });
    trace(a.Enabled.Loss, out[1], [&](std::size_t k) {
        return LossYOn(a.Scales.Loss, h, m.Magnitude[k], m.CalOffsetDb, m.LossOffset, a.LossScale);
    });
    trace(a.Enabled.Z, out[2], [&](std::size_t k) { return OhmYOn(a.Scales.Ohm, h, m.Zmag[k]); });
    trace(a.Enabled.Xs, out[3], [&](std::size_t k) { return OhmYOn(a.Scales.Ohm, h, m.Xs[k]); });
    trace(a.Enabled.Rs, out[4], [&](std::size_t k) { return OhmYOn(a.Scales.Ohm, h, m.Rs[k]); });
    trace(a.Enabled.Swr, out[5], [&](std::size_t k) { return SwrYOn(a.Scales.Swr, h, m.Swr[k]); });
}
