#pragma once

#include <QPointer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "measure/graph_mapping.h"
#include "measure/graph_paint.h"
#include "measure/memory_layer.h"
#include "measure/trace_geometry.h"
#include "measure/trace_pixels.h"

// picGraph1: the drawing surface of the traces. Callers work in twips with
// the origin at the top left, y growing downwards, in the designed drawing
// space of 8835 x 3795 twips whatever the widget's size; the mapping to
// logical pixels follows the size, x and y apart. Each batch is kept in twips
// and thinned to the device pixel columns of the current size once, when it
// is set or the widget resizes. Line objects and marker tags are child
// widgets lying over it, placed in twips through the same mapping.
class GraphWidget : public QWidget {
    Q_OBJECT
public:
    explicit GraphWidget(QWidget* parent);

    // Width and height in twips: the designed 8835 x 3795 at any size.
    float ScaleWidth() const;
    float ScaleHeight() const;
    // From twips to this widget's logical pixels and back.
    GraphMapping mapping() const;
    static GraphMapping mappingFor(QSize pixels);

    std::uint32_t backColour() const { return backColour_; }
    void setBackColour(std::uint32_t colour);

    // Dotted vertical lines at the tenths of the width, under the traces.
    bool frequencyGrid() const { return grid_; }
    void setFrequencyGrid(bool on);

    // The six traces, in drawing order: the impedance traces lie on top.
    enum Trace { Phase, Loss, Z, Xs, Rs, Swr, TraceCount };
    // Clears the picture: every trace is emptied.
    void Cls();
    // Batches of segments (twips), each in one colour and drawn with one call.
    // No copy: the graph takes the segments and hands back the storage of the
    // batches it held, for the caller's next pass to fill. The thinning of
    // large batches is shared between two cores.
    struct TraceTake {
        Trace trace;
        std::vector<Segment>* segments;
        std::uint32_t colour;
    };
    void takeTraces(std::span<const TraceTake> takes);
    // Segments of a trace, in twips, as last set.
    qsizetype traceSegments(Trace trace) const {
        return static_cast<qsizetype>(traces_[trace].segments.size());
    }
    std::span<const Segment> segmentsOf(Trace trace) const { return traces_[trace].segments; }
    // Points left to paint once the segments are thinned to the pixel columns.
    qsizetype tracePaintedPoints(Trace trace) const {
        return static_cast<qsizetype>(traces_[trace].pixels.points.size());
    }
    std::uint32_t traceColour(Trace trace) const { return traces_[trace].colour; }

    // The trace memories and their legend, painted under the traces.
    void setMemories(std::vector<MemoryLayer::Trace> traces, std::vector<MemoryLayer::Name> names);
    const MemoryLayer& memories() const { return memories_; }

    // Stretches of the frequency axis shaded lightly in colour under
    // everything (amateur bands), and straight lines over the traces (limit
    // lines); none by default. Repainted only on a change.
    void setBands(std::vector<GraphBand> bands, std::uint32_t colour);
    void setStrokes(std::vector<GraphStroke> strokes);
    const std::vector<GraphBand>& bands() const { return bands_; }
    const std::vector<GraphStroke>& strokes() const { return strokes_; }

    // A label lying over the graph (a marker tag): its left edge pixelOffset
    // pixels from x, and its top at top (twips) at the design size; a taller
    // graph keeps it as far above the bottom edge. It keeps its place through
    // resizes.
    void placeTag(QWidget* tag, float x, int pixelOffset);
    void setTagTop(QWidget* tag, float top);
    // The window's text size, by which the tags were made larger: they keep
    // their designed distance from the bottom edge at that scale, and a tag
    // left of its line keeps its right edge on the line.
    void setTagScale(double scale);

    // What the graph shows, as plain values: with overlays also the line
    // objects and tags that are not hidden. The window paints through it,
    // and so does any picture of the graph, at any size.
    GraphScene scene(bool overlays) const;
    // The scene painted at size (logical pixels).
    using Sharing = PaintSharing;
    bool paintGraph(QPainter& painter, QSize size, qreal devicePixelRatio, bool overlays,
                    Sharing sharing = Sharing::Allowed) const;

signals:
    // Button as 1 left, 2 right, 4 middle; x and y in twips.
    void mouseUp(int button, int shift, float x, float y);
    // 1, 2, Left, Right, Home or End pressed while the graph has the focus.
    void markerKey(int key, bool shift);
    void resized();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // In twips as set, and in pixels for the size and ratio last thinned to;
    // capacity is kept from pass to pass.
    struct Batch {
        std::vector<Segment> segments;
        TracePolylines pixels;
        std::uint32_t colour = 0;
    };
    struct Tag {
        QPointer<QWidget> widget;
        float x = 0.0f;
        int pixelOffset = 0;
        float top = 0.0f;
    };
    void thin(Batch& b) const;
    // After a move to a screen of another ratio, the traces and the memories
    // are thinned again together: whichever is set first after the move, a
    // picture cached at the old ratio must not survive in the other. True
    // when it thinned them.
    bool followRatio();
    void placeTagWidget(const Tag& tag);
    GraphTag sceneTag(const Tag& tag) const;
    Tag& tagFor(QWidget* widget);

    std::uint32_t backColour_;
    bool grid_ = false;
    std::array<Batch, TraceCount> traces_;
    MemoryLayer memories_;
    std::vector<GraphBand> bands_;
    std::uint32_t bandColour_ = 0;
    std::vector<GraphStroke> strokes_;
    qreal thinnedRatio_ = 1.0;  // of the traces and the memories alike
    std::vector<Tag> tags_;
    double tagScale_ = 1.0;
};
