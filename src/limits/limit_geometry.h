#pragma once

#include <cstdint>
#include <vector>

#include "common/trace_kind.h"
#include "limits/limits.h"
#include "measure/trace_scale.h"

// Where the limit lines lie on the graph, in twips (origin at the top left,
// y growing downwards): each segment's part inside the swept range, on the y
// rule of its trace, so a limit line crosses a trace exactly where the trace
// reaches the limit. Every y rule is straight in its value, so a segment
// straight in frequency stays one straight line.

struct LimitGeometryInput {
    float FMin = 0.0f;  // Hz, the graph's left and right edges
    float FMax = 0.0f;
    float W = 0.0f;  // twips
    float H = 0.0f;
    GraphScales Scales;
    float CalOffsetDb = 0.0f;
    double LossOffset = 0.0;
    std::uint8_t LossScale = 1;
};

struct LimitLine {
    TraceKind trace = TraceKind::Loss;
    float x1 = 0.0f, y1 = 0.0f, x2 = 0.0f, y2 = 0.0f;
    bool failing = false;  // a failing stretch along the line, not the line itself
};

// y of a value of a trace as that trace draws it.
float LimitY(TraceKind trace, double value, const LimitGeometryInput& in);

// The segments' lines, then their failing stretches (those of verdict, over
// the points of values), each stretch at least one point wide.
std::vector<LimitLine> LimitLines(const LimitSet& limits, const LimitVerdict& verdict,
                                  const LimitTraceValues& values, const LimitGeometryInput& in);
