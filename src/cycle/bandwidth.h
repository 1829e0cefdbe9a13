#pragma once

#include <cstdint>
#include <string>

// Bandwidth and Q between the two user markers, and where the minimum-SWR
// marker line goes.

struct BandwidthReadout {
    double Bandwidth = 0.0;    // Hz between the markers' frequencies
    std::string txtBandwidth;  // "##,##0", Hz
    std::string txtQ;          // "##,##0"
};

// F = index x FreqStep + FMin for each marker; Bandwidth = |F1 - F2| and
// Q = |(F1 + F2) / 2 / (Bandwidth + 0.0001)|. The 0.0001 Hz keeps Q finite
// with both markers on one point. Texts of non-finite values (only from
// non-finite inputs) are NoValueText.
BandwidthReadout ComputeBandwidth(std::int32_t Mkr1Index, std::int32_t Mkr2Index, double FreqStep,
                                  float FMin);

// X of linM3 on a graph W wide: W x BestMatchPoint / Champ in single
// precision. Champ below 1, or a non-finite result, puts it at 0.
float MinSwrMarkerX(float W, float BestMatchPoint, std::int32_t Champ);
