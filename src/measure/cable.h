#pragma once

#include <cstdint>
#include <string>

// Cable loss at the two user markers and cable length from their spacing.

// Half the measured loss of a count n, corrected by caloffsetvalue (tenths
// of a dB) and without the user's loss offset, stored as a 32-bit float:
// ((n x 0.0587 - 20.16) - LossError - caloffsetvalue / 10 + CalOffsetDb) / 2,
// LossError being a normalisation's error at the point (0 without one).
float CableLoss(float n, std::int16_t caloffsetvalue, float CalOffsetDb, double LossError = 0.0);

struct CableLossReadout {
    float MinCableLoss = 0.0f;  // at marker 1
    float MaxCableLoss = 0.0f;  // at marker 2
    std::string txtMinCL;       // "##0.##"
    std::string txtMaxCL;
    std::string txtAvgCL;  // of the two, averaged in single precision
};

// n1 and n2 are the magnitude counts under marker 1 and marker 2. "Min." and
// "Max." only name the markers; the values are not sorted.
CableLossReadout ComputeCableLoss(float n1, float n2, std::int16_t caloffsetvalue,
                                  float CalOffsetDb, double LossError1 = 0.0,
                                  double LossError2 = 0.0);

struct CableLengthReadout {
    std::string lblVF;      // plain text of the velocity factor
    double Metres = 0.0;    // 300000000 / (Bandwidth + 0.0001) / 2 x InputVelFactor
    std::string txtMeters;  // "Fixed"; NoValueText when not finite
};

// The 0.0001 Hz keeps the length finite (about 1.5E12 x InputVelFactor
// metres) with both markers on one point.
CableLengthReadout ComputeCableLength(double Bandwidth, float InputVelFactor);

// Marker check boxes and the loss frame's arrangement after a plotting pass.
// Both markers must be on for the three labelled values; with marker 1 alone
// only its unlabelled loss shows.
struct CableMarkerState {
    bool chkMkr1 = false;  // new values of the check boxes (1 = true)
    bool chkMkr2 = false;
    std::string lblMinCLCaption;  // "Min." or empty
    bool AvgMaxShown = false;     // lblAvgCL, lblMaxCL, txtAvgCL, txtMaxCL
};

// The cable-loss frame keeps marker 1 on; the cable-length frame keeps both
// markers on. A frame counts as visible by its own visibility setting.
CableMarkerState ApplyCableMarkerRules(bool fraCableLossVisible, bool fraCableLengthVisible,
                                       bool chkMkr1, bool chkMkr2);
