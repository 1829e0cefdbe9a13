#include "measure/trace_paint.h"

#include <QPainter>

void DrawRuns(QPainter& painter, const TracePolylines& pixels, double fromX, double toX) {
    std::size_t start = 0;
    for (const std::size_t end : pixels.runEnds) {
        const auto [first, last] = PointsWithin(pixels, start, end, fromX, toX);
        if (last - first >= 2) {
            painter.drawPolyline(pixels.points.data() + first, static_cast<int>(last - first));
        }
        start = end;
    }
}
