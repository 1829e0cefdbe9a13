#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "compare/memory_trace.h"
#include "measure/trace_scale.h"
#include "measure/trace_geometry.h"

// What a memory's picture depends on besides the memory: the axis the live
// sweep is drawn over and the y rules of its traces as they stand.
struct MemoryAxis {
    double FMin = 0.0;   // Hz, at the left edge
    double FMax = 0.0;   // Hz, at the right edge
    float Width = 0.0f;  // graph, twips
    float H = 0.0f;
    std::uint8_t LossScale = 1;  // 2 with "Scale X2"
    TraceEnables Enabled;
    GraphScales Scales;
    bool operator==(const MemoryAxis&) const = default;
};

// The six traces of a memory, in the graph's drawing order: phase, loss,
// |Z|, |Xs|, Rs, SWR.
using MemorySegments = std::array<std::vector<Segment>, 6>;

// Each enabled trace of m as a line through its points, in twips: a point at
// the x of its own frequency on the axis, (f - FMin) / (FMax - FMin) x Width,
// and the y the live trace's rule gives on the scale in use (the loss with
// the offsets the memory was read with). Segments wholly left or right of
// the graph are left out; an axis of no span shows nothing.
void PlotMemory(const MemoryTrace& m, const MemoryAxis& axis, MemorySegments& out);
