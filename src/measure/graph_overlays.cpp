#include "measure/graph_overlays.h"

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

}  // namespace

const GraphLineDesign& GraphLineDesignOf(GraphLineId line) {
    return Lines[static_cast<std::size_t>(line)];
}

GraphLine PlacedGraphLine(GraphLineId line, const GraphScalePositions& p, std::uint32_t frameColour,
                          float x) {
    const GraphLineDesign& d = GraphLineDesignOf(line);
    GraphLine l{d.x1, d.y1, d.x2, d.y2, d.style, d.inFrameColour ? frameColour : d.colour};
    const auto level = [&l](float y) { l.y1 = l.y2 = y; };
    switch (line) {
        case GraphLineId::Db10:
            level(p.lin10dB);
            break;
        case GraphLineId::Db20:
            level(p.lin20dB);
            break;
        case GraphLineId::Ohm225:
            level(p.lin225ohm);
            break;
        case GraphLineId::Ohm150:
            level(p.lin150ohm);
            break;
        case GraphLineId::Ohm75:
            level(p.lin75ohm);
            break;
        case GraphLineId::Ohm50:
            level(p.lin50ohm);
            break;
        case GraphLineId::M1:
        case GraphLineId::M2:
            l.x1 = l.x2 = x;
            l.y1 = p.markerY1;
            l.y2 = p.markerY2;
            break;
        default:
            l.x1 = l.x2 = x;
            break;
    }
    return l;
}

const MarkerTagDesign& MarkerTagDesignOf(std::size_t marker) {
    return Tags[marker];
}

int MarkerTagOffset(float x, int tagWidth) {
    return static_cast<float>(GraphSpace::Width) / 2.0f < x ? -tagWidth : 0;
}
