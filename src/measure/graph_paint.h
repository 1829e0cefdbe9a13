#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "measure/graph_mapping.h"
#include "measure/trace_geometry.h"
#include "measure/trace_pixels.h"

class MemoryLayer;
class QPainter;

// The graph's picture as plain values: what the window shows in picGraph1,
// what a saved picture holds, and what the command line draws, all painted
// by PaintGraph. Nothing here knows a widget.

enum class LineStyle { Solid, Dash, Dot };

// A straight line object over the graph, in twips.
struct GraphLine {
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    LineStyle style = LineStyle::Solid;
    std::uint32_t colour = 0;
};

// A marker tag: its left edge pixelOffset pixels from x, and its top at top
// (twips) at the design size, a taller graph keeping it as far above the
// bottom edge, by scale (the window's text size).
struct GraphTag {
    float x = 0.0f;
    int pixelOffset = 0;
    float top = static_cast<float>(GraphSpace::Height);
    double scale = 1.0;
    QSize size;  // logical pixels
    QString text;
    QFont font;
    QColor fore, back;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
};

// A stretch of the frequency axis shaded lightly under everything else (an
// amateur band), in twips.
struct GraphBand {
    float x1 = 0.0f, x2 = 0.0f;
    bool operator==(const GraphBand&) const = default;
};

// A straight line in any direction over the traces (a limit line), in twips.
struct GraphStroke {
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    LineStyle style = LineStyle::Solid;
    std::uint32_t colour = 0;
    int width = 1;  // logical pixels
    bool operator==(const GraphStroke&) const = default;
};

struct GraphScene {
    std::uint32_t back = 0;  // the background's colour value
    QColor frame;
    bool frequencyGrid = false;  // dotted lines at the tenths of the width
    std::uint32_t grid = 0;
    QFont font;  // of the memories' legend
    // The six traces in drawing order (phase, loss, |Z|, |Xs|, Rs, SWR), not
    // owned; thinned holds them in pixels for thinnedSize at thinnedRatio,
    // or is null.
    struct Trace {
        std::span<const Segment> segments;
        const TracePolylines* thinned = nullptr;
        std::uint32_t colour = 0;
    };
    std::array<Trace, 6> traces;
    QSize thinnedSize;
    qreal thinnedRatio = 1.0;
    const MemoryLayer* memories = nullptr;  // null: none
    std::vector<GraphBand> bands;           // under the frame, the grid and the traces
    std::uint32_t bandColour = 0;           // painted with a light touch of it
    std::vector<GraphStroke> strokes;       // over the traces, under the lines
    // Over the traces; only those shown.
    std::vector<GraphLine> lines;
    std::vector<GraphTag> tags;
};

// Where a line lies in pixels under a mapping: at least one pixel wide and
// high.
QRect LinePixelRect(const GraphLine& line, const GraphMapping& m);
// Draws a line filling rect: down its left edge when it is one pixel wide,
// else along its top edge.
void PaintLine(QPainter& painter, const QRect& rect, LineStyle style, std::uint32_t colour);
// A tag's top left in pixels under a mapping.
QPoint TagPosition(const GraphTag& tag, const GraphMapping& m);
// A tag as the window's label shows it: its background, and its text.
void PaintTag(QPainter& painter, const GraphTag& tag, QPoint at);

// The whole picture at size (logical pixels): background, frame, grid,
// memories and traces, then the lines and tags. A large picture of the
// thinned size on a raster image is painted in two halves side by side, one
// on each core, and true returned; Never paints it whole on the caller's
// thread. The pixels are the same.
enum class PaintSharing { Allowed, Never };
bool PaintGraph(QPainter& painter, const GraphScene& scene, QSize size, qreal devicePixelRatio,
                PaintSharing sharing = PaintSharing::Allowed);
