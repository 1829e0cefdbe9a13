#pragma once

#include <QWidget>
#include <cstdint>

#include "measure/graph_mapping.h"
#include "measure/graph_paint.h"

class QPainter;

// A straight line object lying over the graph, addressed like the graph
// itself in twips (X1, Y1, X2, Y2). It is a widget of its own so that it keeps
// its own name, colour and visibility, and clearing the graph leaves it be.
// Its pixels follow the graph's mapping, so it keeps its place in the
// drawing space when the graph resizes. Mouse events pass through to the
// graph below.
class LineWidget : public QWidget {
    Q_OBJECT
public:
    using Style = LineStyle;

    LineWidget(const QString& name, Style style, std::uint32_t colour, QWidget* graph);

    float X1() const { return x1_; }
    float Y1() const { return y1_; }
    float X2() const { return x2_; }
    float Y2() const { return y2_; }
    void setX1(float v);
    void setY1(float v);
    void setX2(float v);
    void setY2(float v);
    std::uint32_t borderColour() const { return colour_; }
    void setBorderColour(std::uint32_t colour);
    Style style() const { return style_; }

    // The line as the graph's scene holds it.
    GraphLine line() const { return {x1_, y1_, x2_, y2_, style_, colour_}; }
    // Where the line lies in pixels under a mapping: at least one pixel wide
    // and high.
    QRect pixelRect(const GraphMapping& mapping) const { return LinePixelRect(line(), mapping); }
    // Takes its place again after the graph has resized.
    void followGraph();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void relayout();

    Style style_;
    std::uint32_t colour_;
    float x1_ = 0, y1_ = 0, x2_ = 0, y2_ = 0;
};
