#include "measure/memory_layer.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <iterator>

#include "display/vb_colour.h"
#include "measure/trace_paint.h"

namespace {

// One dash to each of the four slots, in pen widths.
QPen DashedPen(const QColor& colour, int slot) {
    static const QList<qreal> Dashes[] = {{6, 3}, {2, 3}, {8, 3, 2, 3}, {14, 4}};
    QPen pen(colour);
    pen.setCosmetic(true);
    pen.setDashPattern(Dashes[static_cast<std::size_t>(slot) % std::size(Dashes)]);
    return pen;
}

// Halfway to white: a memory never matches its live trace's shade.
QColor Lighter(std::uint32_t colour) {
    const QColor c = VbColour(colour);
    return QColor((c.red() + 255) / 2, (c.green() + 255) / 2, (c.blue() + 255) / 2);
}

// Grey reads on a dark background and on a light one.
const QColor LegendColour(160, 160, 160);

}  // namespace

void MemoryLayer::set(std::vector<Trace> traces, std::vector<Name> names) {
    traces_ = std::move(traces);
    names_ = std::move(names);
}

void MemoryLayer::thin(const GraphMapping& m, qreal ratio, const QFont& font) {
    for (Trace& t : traces_) {
        ToPixelPolylines(t.segments, m.pixelsPerTwipX(), m.pixelsPerTwipY(), ratio, t.pixels,
                         m.heightPx);
    }
    if (empty()) {
        picture_ = QImage();
        return;
    }
    const QSize size(static_cast<int>(std::ceil(m.widthPx * ratio)),
                     static_cast<int>(std::ceil(m.heightPx * ratio)));
    picture_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
    picture_.setDevicePixelRatio(ratio);
    picture_.fill(Qt::transparent);
    QPainter painter(&picture_);
    draw(painter, m, ratio, true, font);
}

void MemoryLayer::paint(QPainter& painter, const GraphMapping& m, qreal ratio, bool cached,
                        const QFont& font) const {
    if (empty()) {
        return;
    }
    if (cached && !picture_.isNull()) {
        painter.drawImage(QPointF(0, 0), picture_);
        return;
    }
    draw(painter, m, ratio, false, font);
}

void MemoryLayer::draw(QPainter& painter, const GraphMapping& m, qreal ratio, bool thinned,
                       const QFont& font) const {
    painter.save();
    TracePolylines scratch;
    for (const Trace& t : traces_) {
        const TracePolylines* pixels = &t.pixels;
        if (!thinned) {
            ToPixelPolylines(t.segments, m.pixelsPerTwipX(), m.pixelsPerTwipY(), ratio, scratch,
                             m.heightPx);
            pixels = &scratch;
        }
        painter.setPen(DashedPen(Lighter(t.colour), t.slot));
        DrawRuns(painter, *pixels);
    }

    painter.setFont(font);
    const QFontMetrics metrics(font);
    constexpr int Sample = 20, Gap = 4, Margin = 4;
    const int line = metrics.height();
    int right = 0;
    for (const Name& n : names_) {
        right = std::max(right, metrics.horizontalAdvance(n.text));
    }
    const int left = static_cast<int>(m.widthPx) - Margin - right - Gap - Sample;
    int top = Margin;
    for (const Name& n : names_) {
        painter.setPen(DashedPen(LegendColour, n.slot));
        const int middle = top + line / 2;
        painter.drawLine(QPointF(left, middle + 0.5), QPointF(left + Sample, middle + 0.5));
        painter.setPen(LegendColour);
        painter.drawText(QRect(left + Sample + Gap, top, right, line),
                         Qt::AlignLeft | Qt::AlignVCenter, n.text);
        top += line;
    }
    painter.restore();
}
