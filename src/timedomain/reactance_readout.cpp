#include "timedomain/reactance_readout.h"

#include <cmath>

#include "common/display_format.h"

namespace {

std::string InductanceOrCapacitance(ReactanceSign sign, const MarkerReadout& r) {
    const auto text = [](const std::optional<float>& v) {
        return v && std::isfinite(*v) ? FloatText(*v) : std::string(NoValueText);
    };
    switch (sign) {
        case ReactanceSign::Plus:
            return text(r.Uh) + " uH";
        case ReactanceSign::Minus:
            return text(r.Pf) + " pF";
        default:
            return "?";
    }
}

}  // namespace

std::string SignedXsText(ReactanceSign sign, const std::string& magnitude) {
    if (magnitude.empty() || magnitude == NoValueText) {
        return magnitude;
    }
    return ReactanceSignChar(sign) + magnitude;
}

XsColumnDisplay CausalXsColumn(ReactanceSign mkr1, ReactanceSign mkr2, const MarkerReadout& r1,
                               const MarkerReadout& r2, float colorS3) {
    XsColumnDisplay d = PlainXsColumn(colorS3);
    d.XjShown = true;
    d.lblMkrXSCaption = "Xs inf.";  // the column is narrow: the tooltip says it whole
    d.lblMkrXJCaption = "L or C";
    d.lblMkrXJColour = d.lblMkrXSColour;
    d.txtMkr1XJ = InductanceOrCapacitance(mkr1, r1);
    d.txtMkr2XJ = InductanceOrCapacitance(mkr2, r2);
    return d;
}
