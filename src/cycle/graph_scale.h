#pragma once

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

GraphScalePositions ComputeGraphScalePositions(float T, float H);

// The loss scale's captions and divisor, from "Scale X2".
struct LossScaleCaptions {
    unsigned char LossScale;  // 1, or 2 when the loss trace is squeezed to half
    const char* lbl0db;
    const char* lbl10dB;
    const char* lbl20dB;
    const char* lbl30dB;
};

LossScaleCaptions LossScaleFor(bool scaleX2);
