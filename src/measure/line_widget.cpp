#include "measure/line_widget.h"

#include <QPainter>

#include "measure/graph_widget.h"

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

void LineWidget::followGraph() {
    relayout();
}

void LineWidget::relayout() {
    // Outside a graph (never in the window) the design's 15 twips a pixel hold.
    const auto* graph = qobject_cast<const GraphWidget*>(parentWidget());
    setGeometry(pixelRect(graph ? graph->mapping() : GraphMapping{}));
    update();
}


void LineWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintLine(painter, rect(), style_, colour_);
}
