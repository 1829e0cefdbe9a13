#include "measure/line_widget.h"

#include <QPainter>
#include <algorithm>

#include "common/twips.h"
#include "display/vb_colour.h"

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

void LineWidget::relayout() {
    const int left = Twips::ToPixels(std::min(x1_, x2_));
    const int right = Twips::ToPixels(std::max(x1_, x2_));
    const int top = Twips::ToPixels(std::min(y1_, y2_));
    const int bottom = Twips::ToPixels(std::max(y1_, y2_));
    setGeometry(left, top, std::max(right - left, Thickness), std::max(bottom - top, Thickness));
    update();
}

void LineWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QPen pen(VbColour(colour_));
    pen.setWidth(Thickness);
    pen.setStyle(style_ == Style::Solid  ? Qt::SolidLine
                 : style_ == Style::Dash ? Qt::DashLine
                                         : Qt::DotLine);
    painter.setPen(pen);
    const bool vertical = width() <= Thickness;
    if (vertical) {
        painter.drawLine(0, 0, 0, height());
    } else {
        painter.drawLine(0, 0, width(), 0);
    }
}
