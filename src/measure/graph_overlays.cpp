#include "measure/graph_overlays.h"

#include <utility>

#include "common/colour.h"

namespace {

constexpr auto W = static_cast<float>(GraphSpace::Width);
constexpr auto H = static_cast<float>(GraphSpace::Height);

constexpr GraphLineDesign Lines[kGraphLines] = {
    {"lin10dB", LineStyle::Dot, Colour::DottedDb, false, 0, 1265, W, 1265},
    {"lin20dB", LineStyle::Dot, Colour::DottedDb, false, 0, 2530, W, 2530},
    {"lin225ohm", LineStyle::Dot, 0, true, 0, 849, W, 849},
    {"lin150ohm", LineStyle::Dot, 0, true, 0, 1798, W, 1798},
    {"lin75ohm", LineStyle::Dot, 0, true, 0, 2746, W, 2746},
    {"lin50ohm", LineStyle::Solid, Colour::Red, false, 0, 3316, W, 3316},
    {"linM1", LineStyle::Dash, Colour::Red, false, 2160, 0, 2160, H},
    {"linM2", LineStyle::Dash, Colour::Blue, false, 6480, 0, 6480, H},
    {"linM3", LineStyle::Dash, Colour::MarkerGreen, false, 4320, 0, 4320, H},
};

constexpr MarkerTagDesign Tags[2] = {
    {"lblM1", "M1", Colour::Red, {2190, 3545, 255, 225}},
    {"lblM2", "M2", Colour::Blue, {6210, 3545, 255, 225}},
};

// The level lines, and the position each takes its height from.
constexpr std::pair<GraphLineId, float GraphScalePositions::*> Levels[] = {
    {GraphLineId::Db10, &GraphScalePositions::lin10dB},
    {GraphLineId::Db20, &GraphScalePositions::lin20dB},
    {GraphLineId::Ohm225, &GraphScalePositions::lin225ohm},
    {GraphLineId::Ohm150, &GraphScalePositions::lin150ohm},
    {GraphLineId::Ohm75, &GraphScalePositions::lin75ohm},
    {GraphLineId::Ohm50, &GraphScalePositions::lin50ohm},
};

}  // namespace

const GraphLineDesign& GraphLineDesignOf(GraphLineId line) {
    return Lines[static_cast<std::size_t>(line)];
}

GraphLine PlacedGraphLine(GraphLineId line, const GraphScalePositions& p, std::uint32_t frameColour,
                          float x) {
    const GraphLineDesign& d = GraphLineDesignOf(line);
    GraphLine l{d.x1, d.y1, d.x2, d.y2, d.style, d.inFrameColour ? frameColour : d.colour};
    for (const auto& [id, y] : Levels) {
        if (id == line) {
            l.y1 = l.y2 = p.*y;
            return l;
        }
    }
    l.x1 = l.x2 = x;  // a marker line; those of markers 1 and 2 span the graph
    if (line == GraphLineId::M1 || line == GraphLineId::M2) {
        l.y1 = p.markerY1;
        l.y2 = p.markerY2;
    }
    return l;
}

const MarkerTagDesign& MarkerTagDesignOf(std::size_t marker) {
    return Tags[marker];
}

int MarkerTagOffset(float x, int tagWidth) {
    return static_cast<float>(GraphSpace::Width) / 2.0f < x ? -tagWidth : 0;
}
