#include "measure/cable.h"

#include <cmath>

#include "common/display_format.h"
#include "common/rounding.h"
#include "measure/conversion.h"

float CableLoss(float n, std::int16_t caloffsetvalue, float CalOffsetDb, double LossError) {
    return HeldFloat(((n * Conversion::DbPerCount - Conversion::DbAtZero) - LossError -
                      caloffsetvalue / 10.0 + CalOffsetDb) /
                     2.0);
}

CableLossReadout ComputeCableLoss(float n1, float n2, std::int16_t caloffsetvalue,
                                  float CalOffsetDb, double LossError1, double LossError2) {
    CableLossReadout r;
    r.MinCableLoss = CableLoss(n1, caloffsetvalue, CalOffsetDb, LossError1);
    r.MaxCableLoss = CableLoss(n2, caloffsetvalue, CalOffsetDb, LossError2);
    r.txtMinCL = FormatTwoDecimals(r.MinCableLoss);
    r.txtMaxCL = FormatTwoDecimals(r.MaxCableLoss);
    // Two losses near the float limit would overflow their sum; halving each
    // first keeps the average finite.
    const float sum = r.MaxCableLoss + r.MinCableLoss;
    const float avg =
        std::isfinite(sum) ? sum / 2.0f : r.MaxCableLoss / 2.0f + r.MinCableLoss / 2.0f;
    r.txtAvgCL = FormatTwoDecimals(avg);
    return r;
}

CableLengthReadout ComputeCableLength(double Bandwidth, float InputVelFactor) {
    CableLengthReadout r;
    r.lblVF = FloatText(InputVelFactor);
    // 300000000 m/s is the speed of light.
    r.Metres = 300000000.0 / (Bandwidth + 0.0001) / 2.0 * InputVelFactor;
    r.txtMeters = FormatFixed(r.Metres);
    return r;
}

CableMarkerState ApplyCableMarkerRules(bool fraCableLossVisible, bool fraCableLengthVisible,
                                       bool chkMkr1, bool chkMkr2) {
    CableMarkerState s;
    s.chkMkr1 = chkMkr1 || fraCableLossVisible || fraCableLengthVisible;
    s.chkMkr2 = chkMkr2 || fraCableLengthVisible;
    s.AvgMaxShown = s.chkMkr1 && s.chkMkr2;
    s.lblMinCLCaption = s.AvgMaxShown ? "Min." : "";
    return s;
}
