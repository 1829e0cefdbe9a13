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
