#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "compare/memory_geometry.h"
#include "compare/memory_trace.h"
#include "measure/memory_layer.h"

// The memories of a bank as the graph's memory layer draws them: each
// enabled trace of each memory in its live trace's colour, dashed by its
// slot, and the legend's names in slot order.
struct MemoryDrawing {
    std::vector<MemoryLayer::Trace> traces;
    std::vector<MemoryLayer::Name> names;
};

// The axis the memories are drawn over: the limits shown, and the height,
// scales and traces of the pass the live sweep is drawn with.
MemoryAxis MemoryAxisOf(const TracePass& pass, double FMin, double FMax);

// colours: the live traces' colours in the graph's drawing order.
MemoryDrawing DrawMemories(const MemoryBank& bank, const MemoryAxis& axis,
                           const std::array<std::uint32_t, 6>& colours);
