#include "cycle/marker_readouts.h"

#include <cfloat>
#include <cmath>

#include "common/colour.h"
#include "common/display_format.h"
#include "common/leading_number.h"
#include "common/rounding.h"
#include "measure/conversion.h"

namespace {

// A readout's text and the number read back from it; no number when the
// value could not be computed.
struct Shown {
    std::string text;
    std::optional<double> value;
};

Shown ShowTwoDecimals(std::optional<double> v) {
    if (!v || !std::isfinite(*v)) {
        return {std::string(NoValueText), std::nullopt};
    }
    std::string text = FormatTwoDecimals(*v);
    const double back = ParseReadout(text);
    return {std::move(text), back};
}

// A count outside the buffers reads as 0 rather than outside the memory.
template <typename T>
T SampleAt(std::span<const T> samples, std::int32_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= samples.size()) {
        return T{0};
    }
    return samples[static_cast<std::size_t>(index)];
}

// A two-decimal value parsed back into a 32-bit float, when it fits.
std::optional<float> TwoDecimalFloat(std::optional<double> v) {
    const Shown shown = ShowTwoDecimals(v);
    if (!shown.value || std::fabs(*shown.value) > FLT_MAX) {
        return std::nullopt;
    }
    return static_cast<float>(*shown.value);
}

double Squared(double v) {
    return v * v;
}

std::string TextOrNone(std::optional<float> v) {
    if (!v || !std::isfinite(*v)) {
        return std::string(NoValueText);
    }
    return FloatText(*v);
}

}  // namespace

std::int32_t MarkerIndex(double x, double W, std::int32_t Champ, std::int16_t Step) {
    const double step = Step < 1 ? 1.0 : static_cast<double>(Step);
    double i = 0.0;
    if (W > 0.0 && std::isfinite(W) && !std::isnan(x)) {
        i = RoundHalfEven(static_cast<double>(Champ) / W * x);
        if (std::isnan(i)) {  // Champ 0 against an infinite x
            i = 0.0;
        }
    }
    i = RoundHalfEven(i / step) * step;
    if (i < step) {
        i = step;
    }
    if (i == 0.0) {
        i = 1.0;
    }
    if (i > static_cast<double>(Champ)) {
        i = static_cast<double>(Champ);
    }
    return static_cast<std::int32_t>(i);
}

float CalOffsetDbFor(float TransmissionMode, std::int16_t caloffsetrx, std::int16_t caloffsettx) {
    const std::int16_t tenths = TransmissionMode != 0.0f ? caloffsettx : caloffsetrx;
    return static_cast<float>(static_cast<double>(tenths) / 10.0);
}

double LossErrorAt(std::span<const double> LossErrors, std::int32_t index) {
    return SampleAt(LossErrors, index);
}

MarkerReadout ComputeMarkerReadout(const MarkerReadoutInputs& in, double LossError) {
    MarkerReadout r;
    const float n = SampleAt(in.MagnitudeSamples, in.Index);
    const float p = SampleAt(in.PhaseSamples, in.Index);

    const Shown phase = ShowTwoDecimals(p * 0.176);
    r.Phase = phase.text;

    const double LossOffset = LeadingNumber(in.txtLossOffset);
    const Shown loss =
        ShowTwoDecimals(((n * Conversion::DbPerCount - Conversion::DbAtZero) - LossError) +
                        (in.CalOffsetDb + LossOffset));
    r.Loss = loss.text;

    r.Frequency = FormatThousands(in.Index * in.FreqStep + in.FMin);
    if (r.Frequency == "0") {
        // Keeps the L/C equivalents below finite at a zero frequency.
        r.Frequency = "0.0001";
    }
    std::optional<double> f;
    if (r.Frequency != NoValueText) {
        f = ParseReadout(r.Frequency);
    }

    std::optional<double> rho;
    if (loss.value) {
        r.Rho = HeldFloat(1.0 / std::pow(10.0, *loss.value / 20.0));
        rho = r.Rho;
    }

    Shown xs{std::string(NoValueText), std::nullopt};
    Shown rs{std::string(NoValueText), std::nullopt};
    if (rho && phase.value) {
        // 57.324 rather than 180/pi, as the traces use it too.
        const double phi = *phase.value / 57.324;
        r.CosPhi = static_cast<float>(std::cos(phi));
        r.SinPhi = static_cast<float>(std::sin(phi));
        r.GammaRe = r.Rho * r.CosPhi;
        r.GammaIm = r.Rho * r.SinPhi;
        const float oneMinusRe = 1.0f - r.GammaRe;
        const double D = Squared(oneMinusRe) + Squared(r.GammaIm);
        // D = 0 is an open circuit at zero phase: no finite Rs or Xs exists.
        if (D != 0.0) {
            xs = ShowTwoDecimals(std::fabs(2.0 * r.GammaIm / D * 50.0) + 0.01);
            rs = ShowTwoDecimals(
                std::fabs(((1.0 - Squared(r.GammaRe)) - Squared(r.GammaIm)) / D * 50.0));
        }
    }
    r.Xs = xs.text;
    r.Rs = rs.text;

    if (xs.value && f && *f != 0.0 && *xs.value != 0.0) {
        const double X = *xs.value;
        r.Uh = TwoDecimalFloat(X / (*f * 6.28) * 1e6);
        r.Pf = TwoDecimalFloat(1e12 * (1.0 / (*f * (X * 6.28))));
    }

    if (rho) {
        // 1.001 keeps the denominator off zero for a loss readout of 0.
        const float rhoPlusOne = r.Rho + 1.0f;
        r.Swr = ShowTwoDecimals(std::fabs(rhoPlusOne / (1.001 - r.Rho))).text;
    } else {
        r.Swr = std::string(NoValueText);
    }

    if (rs.value && xs.value) {
        r.Z = ShowTwoDecimals(std::sqrt(Squared(*rs.value) + Squared(*xs.value))).text;
    } else {
        r.Z = std::string(NoValueText);
    }
    return r;
}

MarkerWidgets MarkerWidgetsShown(bool markerChecked, float TransmissionMode) {
    MarkerWidgets w;
    // The three rules as the window applies them, one after the other; a
    // mode value other than 0 and 1.0 leaves only the line.
    if (markerChecked && TransmissionMode == 1.0f) {
        w.Loss = w.Phase = w.Frequency = w.Line = w.NameLabel = true;
    } else {
        w.Frequency = w.Loss = w.Phase = false;
    }
    if (markerChecked && TransmissionMode == 0.0f) {
        w.ColourButton = w.Frequency = w.Swr = w.Z = w.Loss = w.Phase = w.Rs = w.Xs = true;
        w.Line = w.NameLabel = true;
    } else {
        w.ColourButton = w.Swr = w.Z = w.Rs = w.Xs = w.NameLabel = false;
    }
    w.Line = markerChecked;
    return w;
}

std::uint32_t ReadoutTextColour(int marker, bool traceChecked, bool fullChecked) {
    if (traceChecked || fullChecked) {
        return 0;
    }
    return marker == 3 ? Colour::ReadoutBack3 : Colour::ReadoutBack12;
}

bool ValuesFrameShown(bool chkMkr1, bool chkMkr2, bool chkMinSWR) {
    return chkMkr1 || chkMkr2 || chkMinSWR;
}

XsColumnDisplay XcXlDisplay(std::optional<float> Mkr1Pf, std::optional<float> Mkr2Pf,
                            std::optional<float> Mkr1Uh, std::optional<float> Mkr2Uh, double Mkr1Hz,
                            double Mkr2Hz) {
    const auto throughText = [](std::optional<float> v) -> std::optional<double> {
        if (!v || !std::isfinite(*v)) {
            return std::nullopt;
        }
        return ParseReadout(FloatText(*v));
    };
    const std::optional<double> pf1 = throughText(Mkr1Pf);
    const std::optional<double> pf2 = throughText(Mkr2Pf);

    XsColumnDisplay d;
    d.XjShown = true;
    // An inductance's capacitance equivalent falls as the frequency rises.
    const bool swapped = Mkr1Hz > Mkr2Hz;
    const std::optional<double>& lowerPf = swapped ? pf2 : pf1;
    const std::optional<double>& higherPf = swapped ? pf1 : pf2;
    d.Inductive = lowerPf && higherPf && *higherPf < *lowerPf;
    if (d.Inductive) {
        d.lblMkrXSCaption = "| Xs | +j";
        d.lblMkrXSColour = d.lblMkrXJColour = Colour::Red;
        d.lblMkrXJCaption = "Xl to uH";
        d.txtMkr1XJ = TextOrNone(Mkr1Uh);
        d.txtMkr2XJ = TextOrNone(Mkr2Uh);
    } else {
        d.lblMkrXSCaption = "| Xs | -j";
        d.lblMkrXSColour = d.lblMkrXJColour = Colour::Blue;
        d.lblMkrXJCaption = "Xc to pf";
        d.txtMkr1XJ = TextOrNone(Mkr1Pf);
        d.txtMkr2XJ = TextOrNone(Mkr2Pf);
    }
    return d;
}

XsColumnDisplay PlainXsColumn(float colorS3) {
    XsColumnDisplay d;
    d.lblMkrXSCaption = "| Xs |";
    // A colour that does not round to a 24-bit value shows black.
    const std::optional<std::int32_t> c = ToInt32HalfEven(colorS3);
    d.lblMkrXSColour = c && *c >= 0 && *c <= 0xFFFFFF ? static_cast<std::uint32_t>(*c) : 0;
    return d;
}
