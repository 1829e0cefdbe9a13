#pragma once

#include <QRect>
#include <QSize>
#include <array>
#include <cstdint>

#include "measure/graph_mapping.h"
#include "measure/trace_scale.h"

// Where the captions around the graph lie: the scales beside it and the
// frequency axis under it, for a graph of any size at or above its design
// size and at any text size. The window places its labels by these rules,
// and a picture of the graph drawn without the window places its captions
// by them too.

// Design pixels at a scale (the View menu's text size). A rectangle's edges
// are scaled, not its size, so that widgets that meet in the design still
// meet.
int ScaledPixels(int designPixels, double scale);
QRect ScaledRect(const QRect& design, double scale);
QSize ScaledSize(const QSize& design, double scale);

// A place in the window's design, in twips as the definition states it.
struct DesignTwips {
    double left, top, width, height;
    // Each edge and length to whole pixels, as the definition places it.
    QRect pixels() const;
};

namespace GraphDesign {
// The graph on the form: 8835 x 3795 twips at 1080, 480.
constexpr DesignTwips Graph{1080, 480, GraphSpace::Width, GraphSpace::Height};
// The form's width; the captions right of the graph reach to 30 twips short of it.
constexpr double FormWidth = 11880;
// The window's font, which every caption and tag inherits, at text size 1.
constexpr int FontPixels = 11;
}  // namespace GraphDesign

// The scale captions, in the order of ScaleCaptionPlaces.
enum class ScaleCaption : std::uint8_t {
    RL_SWR,  // above the loss scale in reflection,
    TL_SWR,  // and in Transmission
    Db0,
    Db10,
    Db20,
    Db30,
    Ohm0,  // the impedance and phase scale, top to bottom
    Ohm75,
    Ohm150,
    Ohm225,
    Ohm300,
    Ohm50,  // the 50-ohm line's caption
    Count
};
// The loss scale's headings in reflection and in Transmission, and the
// 50-ohm line's caption; the scales' own captions are the scale rules'.
constexpr const char* kLossScaleHeadings[2] = {"R.L./ SWR", "T.L./ SWR"};
constexpr const char* kFiftyOhmCaption = "50 ohm";
constexpr std::size_t kScaleCaptions = static_cast<std::size_t>(ScaleCaption::Count);
constexpr std::size_t kFrequencyAxisLabels = 11;

// Each caption's place in the design, and its alignment: the loss scale's
// right-aligned left of the graph, the impedance scale's left-aligned right
// of it.
DesignTwips ScaleCaptionDesign(ScaleCaption caption);
Qt::Alignment ScaleCaptionAlignment(ScaleCaption caption);
// The frequency axis: its labels' height, and their alignments (the end ones
// stay inside the graph's width).
constexpr DesignTwips kFrequencyAxisDesign{
    GraphDesign::Graph.left, GraphDesign::Graph.top + GraphDesign::Graph.height, 0, 195};
Qt::Alignment FrequencyAxisAlignment(std::size_t label);

// The graph's place on the form at a scale, grown by as much as the graph is
// larger than its scaled design.
QRect GraphPlace(QSize graph, double scale);

// The scale captions relative to the graph's top left, for a graph of graph
// pixels at scale, the 50-ohm caption on the impedance scale chosen. Each
// scale's caption lies with its top 100 twips (at the text size) above the
// line it names, through the graph's mapping, so a grown graph keeps them
// level with their lines; the captions right of the graph follow its right
// edge.
std::array<QRect, kScaleCaptions> ScaleCaptionPlaces(QSize graph, double scale, OhmScale ohm);

// The frequency axis relative to the graph's top left: one label a tenth
// wide at each tenth, the end ones inside the graph, just below its bottom
// edge.
std::array<QRect, kFrequencyAxisLabels> FrequencyAxisPlaces(QSize graph, double scale);
