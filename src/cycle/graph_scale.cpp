#include "cycle/graph_scale.h"

GraphScalePositions ComputeGraphScalePositions(const float T, const float H) {
    const float third = H / 3.0f;
    const float twoThirds = third * 2.0f;
    const float half = H / 2.0f;
    const float quarter = H / 4.0f;
    const float threeQuarters = quarter * 3.0f;
    const float tenth = H / 10.0f;

    GraphScalePositions p{};
    p.lbl0ohm = T - 100.0f;
    p.lbl50ohm = T + (H - tenth) - 200.0f;
    p.lbl75ohm = T + quarter - 200.0f;
    p.lbl150ohm = T + half - 200.0f;
    p.lbl225ohm = T + threeQuarters - 200.0f;
    p.lbl300ohm = T + H - 100.0f;
    p.lbl0db = T - 100.0f;
    p.lbl10dB = T + third - 100.0f;
    p.lbl20dB = T + twoThirds - 100.0f;
    p.lbl30dB = T + H - 100.0f;
    p.markerY1 = 0.0f;
    p.markerY2 = H;
    p.lblMTop = H - 250.0f;
    p.lin10dB = third;
    p.lin20dB = twoThirds;
    p.lin50ohm = H - 100.0f - tenth;
    p.lin75ohm = H - 100.0f - quarter;
    p.lin150ohm = H - 100.0f - half;
    p.lin225ohm = H - 100.0f - threeQuarters;
    return p;
}

LossScaleCaptions LossScaleFor(const bool scaleX2) {
    if (scaleX2) {
        return {2, " 0dB/10", "20dB", "40dB", "60dB/1.0"};
    }
    return {1, " 0dB/10", "10dB", "20dB", "30dB/1.0"};
}
