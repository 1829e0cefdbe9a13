#include "measure/graph_captions.h"

#include <algorithm>
#include <cmath>

#include "common/twips.h"

namespace {

constexpr double LeftWidth = GraphDesign::Graph.left - 40;
constexpr double RightLeft = GraphDesign::Graph.left + GraphDesign::Graph.width + 40;
constexpr double RightWidth = GraphDesign::FormWidth - RightLeft - 30;
constexpr double CaptionHeight = 225;

bool LeftOfGraph(ScaleCaption c) {
    return c < ScaleCaption::Ohm0;
}

}  // namespace

int ScaledPixels(int designPixels, double scale) {
    return static_cast<int>(std::lround(designPixels * scale));
}

QRect ScaledRect(const QRect& design, double scale) {
    const int left = ScaledPixels(design.left(), scale);
    const int top = ScaledPixels(design.top(), scale);
    return QRect(left, top, ScaledPixels(design.left() + design.width(), scale) - left,
                 ScaledPixels(design.top() + design.height(), scale) - top);
}

QSize ScaledSize(const QSize& design, double scale) {
    return QSize(ScaledPixels(design.width(), scale), ScaledPixels(design.height(), scale));
}

QRect DesignTwips::pixels() const {
    return QRect(Twips::ToPixels(left), Twips::ToPixels(top), Twips::ToPixels(width),
                 Twips::ToPixels(height));
}

DesignTwips ScaleCaptionDesign(ScaleCaption c) {
    // The tops of the scales are the designed ones; the graph's lines move them.
    constexpr double Tops[kScaleCaptions] = {120, 120,  380,  1645, 2910, 4175,
                                             380, 1229, 2178, 3126, 4175, 3696};
    const double top = Tops[static_cast<std::size_t>(c)];
    return LeftOfGraph(c) ? DesignTwips{0, top, LeftWidth, CaptionHeight}
                          : DesignTwips{RightLeft, top, RightWidth, CaptionHeight};
}

Qt::Alignment ScaleCaptionAlignment(ScaleCaption c) {
    return (LeftOfGraph(c) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
}

Qt::Alignment FrequencyAxisAlignment(std::size_t label) {
    const Qt::Alignment across = label == 0                          ? Qt::AlignLeft
                                 : label + 1 == kFrequencyAxisLabels ? Qt::AlignRight
                                                                     : Qt::AlignHCenter;
    return across | Qt::AlignTop;
}

QRect GraphPlace(QSize graph, double scale) {
    const QRect design = ScaledRect(GraphDesign::Graph.pixels(), scale);
    return QRect(design.topLeft(), graph);
}

std::array<QRect, kScaleCaptions> ScaleCaptionPlaces(QSize graph, double scale, OhmScale ohm) {
    const QRect at = GraphPlace(graph, scale);
    const int grown = graph.width() - ScaledRect(GraphDesign::Graph.pixels(), scale).width();
    const auto T = static_cast<float>(Twips::FromPixels(at.y()));
    const auto H = static_cast<float>(GraphSpace::Height);
    const GraphScalePositions p = ComputeGraphScalePositions(T, H, ohm);
    const GraphMapping m{static_cast<double>(graph.width()), static_cast<double>(graph.height())};
    // Each caption's top lies 100 twips above the line beside it; the 100
    // twips stay as designed, at the text size.
    const auto top = [&](float twips) {
        const double lineY = static_cast<double>(twips) - T + 100.0;
        return static_cast<int>(
            std::lround(at.y() + m.toPixelY(lineY) - 100.0 * scale / Twips::PerPixel));
    };
    const float tops[kScaleCaptions] = {0,           0,           p.lbl0db,    p.lbl10dB,
                                        p.lbl20dB,   p.lbl30dB,   p.lbl0ohm,   p.lbl75ohm,
                                        p.lbl150ohm, p.lbl225ohm, p.lbl300ohm, p.lbl50ohm};
    std::array<QRect, kScaleCaptions> places;
    for (std::size_t i = 0; i < kScaleCaptions; ++i) {
        const auto c = static_cast<ScaleCaption>(i);
        QRect r = ScaledRect(ScaleCaptionDesign(c).pixels(), scale);
        if (!LeftOfGraph(c)) {
            r.moveLeft(r.left() + grown);
        }
        // The headings above the loss scale keep their designed top.
        if (c != ScaleCaption::RL_SWR && c != ScaleCaption::TL_SWR) {
            r.moveTop(top(tops[i]));
        }
        places[i] = r.translated(-at.topLeft());
    }
    return places;
}

std::array<QRect, kFrequencyAxisLabels> FrequencyAxisPlaces(QSize graph, double scale) {
    const GraphMapping m{static_cast<double>(graph.width()), static_cast<double>(graph.height())};
    const int tenth = std::max(1, m.pixelX(GraphSpace::Width / 10.0));
    // Its height scales with its edges where the design size lays it out, just
    // below the designed graph.
    const QRect design(0, GraphDesign::Graph.pixels().bottom() + 2, 0,
                       kFrequencyAxisDesign.pixels().height());
    const int height = ScaledRect(design, scale).height();
    const int top = graph.height() - 1 + ScaledPixels(2, scale);
    const int last = static_cast<int>(kFrequencyAxisLabels) - 1;
    std::array<QRect, kFrequencyAxisLabels> places;
    for (int k = 0; k <= last; ++k) {
        const int at = m.pixelX(GraphSpace::Width * k / 10.0);
        const int left = k == 0 ? at : k == last ? at - tenth : at - tenth / 2;
        places[static_cast<std::size_t>(k)] = QRect(left, top, tenth, height);
    }
    return places;
}
