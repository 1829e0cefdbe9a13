#include "cycle/bandwidth.h"

#include <cmath>

#include "common/display_format.h"

BandwidthReadout ComputeBandwidth(std::int32_t Mkr1Index, std::int32_t Mkr2Index, double FreqStep,
                                  float FMin) {
    const double F1 = Mkr1Index * FreqStep + FMin;
    const double F2 = Mkr2Index * FreqStep + FMin;
    BandwidthReadout r;
    r.Bandwidth = std::fabs(F1 - F2);
    r.txtBandwidth = FormatThousands(r.Bandwidth);
    r.txtQ = FormatThousands(std::fabs((F2 + F1) / 2.0 / (r.Bandwidth + 0.0001)));
    return r;
}

float MinSwrMarkerX(float W, float BestMatchPoint, std::int32_t Champ) {
    if (Champ < 1) {
        return 0.0f;
    }
    const float product = W * BestMatchPoint;
    const float x = product / static_cast<float>(Champ);
    return std::isfinite(x) ? x : 0.0f;
}
