#include "measure/graph_paint.h"

#include <QPaintEngine>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "display/vb_colour.h"
#include "measure/fork_join.h"
#include "measure/memory_layer.h"
#include "measure/trace_paint.h"

namespace {

constexpr int Thickness = 1;

// The design's pixel, kept for the gaps that stay as designed on a grown graph.
constexpr double DesignTwipsPerPixel = 15.0;

QPen PenOf(LineStyle style, std::uint32_t colour, int width) {
    QPen pen(VbColour(colour));
    pen.setWidth(width);
    pen.setStyle(style == LineStyle::Solid  ? Qt::SolidLine
                 : style == LineStyle::Dash ? Qt::DashLine
                                            : Qt::DotLine);
    return pen;
}

// A band's shade: light enough that every trace colour reads over it.
constexpr int kBandAlpha = 40;

// Below this many points to draw, handing half of the work to the other core
// costs more than it saves.
constexpr std::size_t kShared = 20000;

// The plate within part (logical pixels): background, frame, grid, memories
// and traces.
void PaintPlate(QPainter& painter, const GraphScene& s, QSize size, qreal ratio, bool cached,
                QRect part) {
    const QRect area(QPoint(0, 0), size);
    const GraphMapping m{static_cast<double>(size.width()), static_cast<double>(size.height())};
    painter.save();
    painter.setClipRect(part, Qt::IntersectClip);
    painter.fillRect(area, VbColour(s.back));
    if (!s.bands.empty()) {
        QColor shade = VbColour(s.bandColour);
        shade.setAlpha(kBandAlpha);
        for (const GraphBand& band : s.bands) {
            const int left = m.pixelX(std::min(band.x1, band.x2));
            const int right = m.pixelX(std::max(band.x1, band.x2));
            painter.fillRect(QRect(left, 0, std::max(right - left, 1), size.height()), shade);
        }
    }
    painter.setPen(s.frame);
    painter.drawRect(area.adjusted(0, 0, -1, -1));
    if (s.frequencyGrid) {
        for (int tenth = 1; tenth < 10; ++tenth) {
            const int x = m.pixelX(GraphSpace::Width * tenth / 10.0);
            PaintLine(painter, QRect(x, 0, 1, size.height()), LineStyle::Dot, s.grid);
        }
    }
    if (s.memories) {
        s.memories->paint(painter, m, ratio, cached, s.font);
    }
    TracePolylines scratch;
    for (const GraphScene::Trace& t : s.traces) {
        const TracePolylines* pixels = cached ? t.thinned : nullptr;
        if (pixels == nullptr) {
            ToPixelPolylines(t.segments, m.pixelsPerTwipX(), m.pixelsPerTwipY(), ratio, scratch,
                             m.heightPx);
            pixels = &scratch;
        }
        QPen pen(VbColour(t.colour));
        pen.setCosmetic(true);  // one device pixel wide at any screen scale
        painter.setPen(pen);
        DrawRuns(painter, *pixels, part.left(), part.left() + part.width());
    }
    painter.restore();
}

// The plate in two halves on two cores, when the painter and the picture
// allow it; false, having painted nothing, when they do not.
bool PaintPlateShared(QPainter& painter, const GraphScene& s, QSize size, qreal ratio,
                      bool cached) {
    std::size_t points = 0;
    for (const GraphScene::Trace& t : s.traces) {
        points += t.thinned ? t.thinned->points.size() : 0;
    }
    QPaintEngine* engine = painter.paintEngine();
    if (!cached || points < kShared || engine == nullptr ||
        engine->type() != QPaintEngine::Raster || engine->paintDevice() == nullptr ||
        engine->paintDevice()->devType() != QInternal::Image) {
        return false;
    }
    const auto* image = static_cast<const QImage*>(engine->paintDevice());
    // Whole device pixels to a logical one, so that the two halves meet on a
    // pixel edge; and an image the other thread can reach row by row.
    const QTransform toDevice = painter.deviceTransform();
    if (toDevice.type() > QTransform::TxScale || toDevice.m11() != toDevice.m22() ||
        toDevice.m11() != std::floor(toDevice.m11()) || image->depth() != 32) {
        return false;
    }
    // Where the painter may paint, in device pixels: the other painter keeps
    // to the same, so nothing outside the region being painted is touched.
    QRegion allowed = engine->systemClip();
    if (allowed.isEmpty()) {
        allowed = QRegion(image->rect());
    }
    if (painter.hasClipping()) {
        allowed &= toDevice.map(painter.clipRegion());
    }
    const int half = size.width() / 2;
    const QRect left(0, 0, half, size.height());
    const QRect right(half, 0, size.width() - half, size.height());
    ForkJoin(
        [&] {
            // The same pixels under a painter of its own; the halves never
            // share a pixel, and the lines in each are drawn exactly as in
            // the whole.
            QImage same(const_cast<uchar*>(image->constBits()), image->width(), image->height(),
                        image->bytesPerLine(), image->format());
            QPainter other(&same);
            other.setClipRegion(allowed);
            other.setTransform(toDevice);
            PaintPlate(other, s, size, ratio, cached, right);
        },
        [&] { PaintPlate(painter, s, size, ratio, cached, left); });
    return true;
}

}  // namespace

QRect LinePixelRect(const GraphLine& line, const GraphMapping& m) {
    const int left = m.pixelX(std::min(line.x1, line.x2));
    const int right = m.pixelX(std::max(line.x1, line.x2));
    const int top = m.pixelY(std::min(line.y1, line.y2));
    const int bottom = m.pixelY(std::max(line.y1, line.y2));
    return QRect(left, top, std::max(right - left, Thickness), std::max(bottom - top, Thickness));
}

void PaintLine(QPainter& painter, const QRect& rect, LineStyle style, std::uint32_t colour) {
    const QPen pen = PenOf(style, colour, Thickness);
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    painter.setPen(pen);
    if (rect.width() <= Thickness) {
        painter.drawLine(rect.left(), rect.top(), rect.left(), rect.top() + rect.height());
    } else {
        painter.drawLine(rect.left(), rect.top(), rect.left() + rect.width(), rect.top());
    }
    painter.restore();
}

// A tag keeps its designed distance, in pixels, from the bottom edge.
QPoint TagPosition(const GraphTag& tag, const GraphMapping& m) {
    const double fromBottom = (GraphSpace::Height - tag.top) / DesignTwipsPerPixel * tag.scale;
    return QPoint(m.pixelX(tag.x) + tag.pixelOffset,
                  static_cast<int>(std::lround(m.toPixelY(GraphSpace::Height) - fromBottom)));
}

void PaintTag(QPainter& painter, const GraphTag& tag, QPoint at) {
    const QRect rect(at, tag.size);
    painter.save();
    painter.fillRect(rect, tag.back);
    painter.setFont(tag.font);
    painter.setPen(tag.fore);
    painter.drawText(rect, static_cast<int>(tag.alignment), tag.text);
    painter.restore();
}

bool PaintGraph(QPainter& painter, const GraphScene& scene, QSize size, qreal devicePixelRatio,
                PaintSharing sharing) {
    const QRect area(QPoint(0, 0), size);
    const GraphMapping m{static_cast<double>(size.width()), static_cast<double>(size.height())};
    // The size and ratio the traces were thinned to are painted from that;
    // any other picture thins its own copy.
    const bool cached = size == scene.thinnedSize && devicePixelRatio == scene.thinnedRatio;
    painter.save();
    const bool shared = sharing == PaintSharing::Allowed &&
                        PaintPlateShared(painter, scene, size, devicePixelRatio, cached);
    if (!shared) {
        PaintPlate(painter, scene, size, devicePixelRatio, cached, area);
    }
    painter.setClipRect(area);
    for (const GraphStroke& stroke : scene.strokes) {
        painter.setPen(PenOf(stroke.style, stroke.colour, stroke.width));
        painter.drawLine(QPointF(m.toPixelX(stroke.x1), m.toPixelY(stroke.y1)),
                         QPointF(m.toPixelX(stroke.x2), m.toPixelY(stroke.y2)));
    }
    for (const GraphLine& line : scene.lines) {
        PaintLine(painter, LinePixelRect(line, m), line.style, line.colour);
    }
    for (const GraphTag& tag : scene.tags) {
        PaintTag(painter, tag, TagPosition(tag, m));
    }
    painter.restore();
    return shared;
}
