#include "measure/line_widget.h"

#include <QPainter>
#include <algorithm>

#include "display/vb_colour.h"
#include "measure/graph_widget.h"

namespace {
constexpr int Thickness = 1;
}

LineWidget::LineWidget(const QString& name, Style style, std::uint32_t colour, QWidget* graph)
    : QWidget(graph), style_(style), colour_(colour) {
    setObjectName(name);
    setAccessibleDescription(name);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    relayout();
}

void LineWidget::setX1(float v) {
    x1_ = v;
    relayout();
}
void LineWidget::setY1(float v) {
    y1_ = v;
    relayout();
}
void LineWidget::setX2(float v) {
    x2_ = v;
    relayout();
}
void LineWidget::setY2(float v) {
    y2_ = v;
    relayout();
}

void LineWidget::setBorderColour(std::uint32_t colour) {
    colour_ = colour;
    update();
}

QRect LineWidget::pixelRect(const GraphMapping& m) const {
    const int left = m.pixelX(std::min(x1_, x2_));
    const int right = m.pixelX(std::max(x1_, x2_));
    const int top = m.pixelY(std::min(y1_, y2_));
    const int bottom = m.pixelY(std::max(y1_, y2_));
    return QRect(left, top, std::max(right - left, Thickness), std::max(bottom - top, Thickness));
}

void LineWidget::followGraph() {
    relayout();
}

void LineWidget::relayout() {
    // Outside a graph (never in the window) the design's 15 twips a pixel hold.
    const auto* graph = qobject_cast<const GraphWidget*>(parentWidget());
    setGeometry(pixelRect(graph ? graph->mapping() : GraphMapping{}));
    update();
}

void LineWidget::paintLine(QPainter& painter, const QRect& rect, Style style,
                           std::uint32_t colour) {
    QPen pen(VbColour(colour));
    pen.setWidth(Thickness);
    pen.setStyle(style == Style::Solid  ? Qt::SolidLine
                 : style == Style::Dash ? Qt::DashLine
                                        : Qt::DotLine);
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

void LineWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintLine(painter, rect(), style_, colour_);
}
