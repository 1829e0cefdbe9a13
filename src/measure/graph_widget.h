#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <vector>

#include "measure/trace_geometry.h"
#include "measure/trace_pixels.h"

// picGraph1: the drawing surface of the traces. Callers work in twips with
// the origin at the top left, y growing downwards; each batch is scaled to
// logical pixels and thinned to the device pixel columns once when it is set,
// and Qt's high-DPI scaling keeps it sharp on any screen. Line objects and marker tags are child
// widgets lying over it.
class GraphWidget : public QWidget {
    Q_OBJECT
public:
    explicit GraphWidget(QWidget* parent);

    // Width and height in twips (the designed 8835 x 3795).
    float ScaleWidth() const;
    float ScaleHeight() const;

    std::uint32_t backColour() const { return backColour_; }
    void setBackColour(std::uint32_t colour);

    // The six traces, in drawing order: the impedance traces lie on top.
    enum Trace { Phase, Loss, Z, Xs, Rs, Swr, TraceCount };
    // Clears the picture: every trace is emptied.
    void Cls();
    // One batch of segments (twips) in one colour, drawn with one call.
    void setTrace(Trace trace, const std::vector<Segment>& segments, std::uint32_t colour);
    // Segments of a trace, in twips, as last set.
    qsizetype traceSegments(Trace trace) const {
        return static_cast<qsizetype>(traces_[trace].pixels.segments);
    }
    // Points left to paint once the segments are thinned to the pixel columns.
    qsizetype tracePaintedPoints(Trace trace) const {
        return static_cast<qsizetype>(traces_[trace].pixels.points.size());
    }
    std::uint32_t traceColour(Trace trace) const { return traces_[trace].colour; }

signals:
    // Button as 1 left, 2 right, 4 middle; x and y in twips.
    void mouseUp(int button, int shift, float x, float y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // In pixels, ready to paint; capacity is kept from pass to pass.
    struct Batch {
        TracePolylines pixels;
        std::uint32_t colour = 0;
    };
    std::uint32_t backColour_;
    std::array<Batch, TraceCount> traces_;
};
