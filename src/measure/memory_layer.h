#pragma once

#include <QFont>
#include <QImage>
#include <QString>
#include <cstdint>
#include <vector>

#include "measure/graph_mapping.h"
#include "measure/trace_geometry.h"
#include "measure/trace_pixels.h"

class QPainter;

// The trace memories as the graph paints them, under the live traces: each
// trace of each memory in a lighter shade of its trace's colour, dashed by
// the memory's slot, thinned to the pixel columns as the live traces are;
// and in the top right corner a legend naming the memories, each beside a
// short sample of its dash. Nothing at all while it holds no memory.
class MemoryLayer {
public:
    struct Trace {
        std::vector<Segment> segments;  // twips
        std::uint32_t colour = 0;       // the live trace's
        int slot = 0;                   // picks the dash
        TracePolylines pixels;          // as last thinned
    };
    struct Name {
        QString text;
        int slot = 0;
    };

    void set(std::vector<Trace> traces, std::vector<Name> names);
    bool empty() const { return traces_.empty() && names_.empty(); }
    const std::vector<Trace>& traces() const { return traces_; }
    const std::vector<Name>& names() const { return names_; }

    // Thins every trace to the columns of a graph mapped by m at ratio and
    // paints the layer once into a picture of that size, which then serves
    // every paint of it: dashed lines are slow to draw.
    void thin(const GraphMapping& m, qreal ratio, const QFont& font);
    // With cached the picture last made serves; else the layer is thinned
    // and drawn for m and ratio on the way.
    void paint(QPainter& painter, const GraphMapping& m, qreal ratio, bool cached,
               const QFont& font) const;

private:
    void draw(QPainter& painter, const GraphMapping& m, qreal ratio, bool thinned,
              const QFont& font) const;

    std::vector<Trace> traces_;
    std::vector<Name> names_;
    QImage picture_;
};
