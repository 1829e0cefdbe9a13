#pragma once

#include <array>
#include <cstdint>

#include "measure/graph_captions.h"
#include "measure/graph_paint.h"
#include "measure/trace_scale.h"

// The line objects and marker tags lying over the graph, as designed, and
// where the scale positions and the markers put them. The window makes its
// line widgets and tags from these, and a picture drawn without the window
// makes its scene's lines and tags from them.

// In the order the window makes them, which is the order they are painted.
enum class GraphLineId : std::uint8_t {
    Db10,
    Db20,
    Ohm225,
    Ohm150,
    Ohm75,
    Ohm50,
    M1,
    M2,
    M3,
    Count
};
constexpr std::size_t kGraphLines = static_cast<std::size_t>(GraphLineId::Count);

struct GraphLineDesign {
    const char* name;
    LineStyle style;
    std::uint32_t colour;  // unless inFrameColour
    bool inFrameColour;    // the impedance scale's lines, in the frame's colour
    float x1, y1, x2, y2;  // twips
};
const GraphLineDesign& GraphLineDesignOf(GraphLineId line);

// The designed line at the heights p gives it: the reference lines level at
// their y, markers 1 and 2 spanning the graph at x (marker 3 keeps its
// design span).
GraphLine PlacedGraphLine(GraphLineId line, const GraphScalePositions& p, std::uint32_t frameColour,
                          float x);

// Marker tags "M1" and "M2": their design, left edge in twips.
struct MarkerTagDesign {
    const char* name;
    const char* text;
    std::uint32_t colour;
    DesignTwips place;  // at the design size; the scale positions move its top
};
const MarkerTagDesign& MarkerTagDesignOf(std::size_t marker);  // 0 or 1
constexpr std::uint32_t kMarkerTagBack = 0xFFFFFF;

// A tag goes left of its line (its right edge on it) in the right half of
// the graph, right of it otherwise.
int MarkerTagOffset(float x, int tagWidth);
