#pragma once

#include <array>
#include <string>

#include "measure/graph_scales.h"
#include "measure/trace_geometry.h"

// Where the scale labels (by Top, in the window) and the reference lines (by
// y, inside the graph) go, from the graph's top T and height H in twips. Each
// position is worked in single precision, as placed at load.
struct GraphScalePositions {
    // Loss scale, left of the graph
    float lbl0db, lbl10dB, lbl20dB, lbl30dB;
    // Impedance and phase scale, right of the graph
    float lbl0ohm, lbl75ohm, lbl150ohm, lbl225ohm, lbl300ohm, lbl50ohm;
    // Horizontal lines inside the graph
    float lin10dB, lin20dB, lin225ohm, lin150ohm, lin75ohm, lin50ohm;
    // Marker lines span the graph; their tags sit near its bottom edge
    float markerY1, markerY2, lblMTop;
};

// The 50-ohm line and its label lie at 50 ohm on the impedance scale chosen;
// every other position is the same on every scale.
GraphScalePositions ComputeGraphScalePositions(float T, float H, OhmScale ohm = OhmScale::To500);

// The loss scale's captions and divisor, from "Scale X2".
struct LossScaleCaptions {
    unsigned char LossScale;  // 1, or 2 when the loss trace is squeezed to half
    const char* lbl0db;
    const char* lbl10dB;
    const char* lbl20dB;
    const char* lbl30dB;
};

LossScaleCaptions LossScaleFor(bool scaleX2);

// The loss captions of the scales chosen: the loss at the top, at the thirds
// and at the bottom, the top and bottom ones carrying the SWR scale's ends.
// The designed scales give LossScaleFor's captions.
struct LossCaptions {
    unsigned char LossScale;
    std::string lbl0db, lbl10dB, lbl20dB, lbl30dB;
};
LossCaptions LossCaptionsFor(bool scaleX2, LossRange range, SwrScale swr);

// The phase and impedance captions, top to bottom (lbl0ohm, lbl75ohm,
// lbl150ohm, lbl225ohm, lbl300ohm): phase keeps 0 to 180 degrees on every
// impedance scale.
std::array<std::string, 5> OhmCaptionsFor(OhmScale ohm);

// "Auto scale": each group takes the smallest of its scales that holds the
// values its enabled traces plot (every y within the graph's height), but
// keeps the scale it has while that still holds, so that noise does not
// make it jump. A group whose traces are all off keeps its scale; one that
// no scale holds takes its widest.
GraphScales AutoScales(const GraphScales& current, const TracePass& pass, const TraceExtremes& e);
