#pragma once

#include <QPointF>
#include <cstddef>
#include <limits>
#include <span>
#include <utility>
#include <vector>

#include "measure/trace_geometry.h"

// A trace's segments turned into polylines in logical pixels, ready for
// QPainter::drawPolyline, with no more points than the screen can show.
//
// Segments that meet (end to start, to within a 1/64 of a pixel) form one
// polyline. Along a polyline, where several points fall in the same device
// pixel column only the first, the lowest, the highest and the last of them
// are kept, in their order. A one-pixel pen lights the same pixels either
// way: the path still enters and leaves the column where it did, and still
// runs through its whole height. At 6000 points across 589 pixels this drops
// about eight points in ten.
struct TracePolylines {
    std::vector<QPointF> points;
    std::vector<std::size_t> runEnds;  // one past the last point of each polyline
    std::size_t segments = 0;          // segments taken in, before thinning
    bool rising = true;                // x never falls from one point to the next

    void clear();
};

// devicePixelRatio sets the column width (1 / ratio logical pixels); below 1
// counts as 1. Capacity is kept from call to call. x and y may scale apart.
// Where the path runs on beyond the top or the bottom edge of a picture
// height pixels high, it is cut to the points where it turns back: nothing
// of it is lit there either way.
void ToPixelPolylines(std::span<const Segment> segments, double pixelsPerTwipX,
                      double pixelsPerTwipY, double devicePixelRatio, TracePolylines& out,
                      double height = std::numeric_limits<double>::infinity());

inline void ToPixelPolylines(const std::vector<Segment>& segments, double pixelsPerTwip,
                             double devicePixelRatio, TracePolylines& out) {
    ToPixelPolylines(segments, pixelsPerTwip, pixelsPerTwip, devicePixelRatio, out);
}

// The points of the polyline [first, last) of pixels whose segments can
// light a pixel between fromX and toX (logical pixels): from the last point
// left of that range to the first right of it, where x rises along the
// points, else all of them. A polyline cut so lights the same pixels within
// the range as the whole one.
std::pair<std::size_t, std::size_t> PointsWithin(const TracePolylines& pixels, std::size_t first,
                                                 std::size_t last, double fromX, double toX);
