#include "compare/memory_drawing.h"

MemoryAxis MemoryAxisOf(const TracePass& pass, double FMin, double FMax) {
    MemoryAxis axis;
    axis.FMin = FMin;
    axis.FMax = FMax;
    axis.Width = static_cast<float>(GraphSpace::Width);
    axis.H = pass.H;
    axis.LossScale = pass.LossScale;
    axis.Enabled = pass.Enabled;
    axis.Scales = pass.Scales;
    return axis;
}

MemoryDrawing DrawMemories(const MemoryBank& bank, const MemoryAxis& axis,
                           const std::array<std::uint32_t, 6>& colours) {
    MemoryDrawing out;
    MemorySegments segments;
    for (std::size_t slot = 0; slot < MemoryBank::Slots; ++slot) {
        const std::optional<MemoryTrace>& m = bank.slot(slot);
        if (!m) {
            continue;
        }
        out.names.push_back({m->name, static_cast<int>(slot)});
        PlotMemory(*m, axis, segments);
        for (std::size_t t = 0; t < segments.size(); ++t) {
            if (!segments[t].empty()) {
                out.traces.push_back(
                    {std::move(segments[t]), colours[t], static_cast<int>(slot), {}});
                segments[t] = {};
            }
        }
    }
    return out;
}
