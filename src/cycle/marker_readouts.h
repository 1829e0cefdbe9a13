#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// Rules of the marker readout rows: where a marker lands, what each of its
// readouts shows, and which of its widgets are visible. The readouts follow
// the instrument program's own order: several are formatted, and the rounded
// text is read back for the next step, so the shown values agree with each
// other digit for digit. Whatever cannot be computed (an open circuit at zero
// phase, a non-finite sample from a file) shows NoValueText; every other
// readout of the row is still produced.

// Sweep point under a marker line at x on a graph W wide: the nearest point
// to Champ / W x x, then the nearest multiple of Step (halves to even both
// times), kept within Step..Champ (and never 0). A line at x = 0 gives Step,
// one beyond the right edge gives Champ. A graph without width or a
// non-finite x counts as x = 0; a Step below 1 counts as 1.
std::int32_t MarkerIndex(double x, double W, std::int32_t Champ, std::int16_t Step);

// Calibration offset of the current mode in dB: caloffsettx / 10 in the
// Transmission mode (TransmissionMode not 0), caloffsetrx / 10 otherwise.
float CalOffsetDbFor(float TransmissionMode, std::int16_t caloffsetrx, std::int16_t caloffsettx);

struct MarkerReadoutInputs {
    std::int32_t Index = 1;  // MkrNIndex; a point outside the buffers reads counts of 0
    std::span<const float> MagnitudeSamples;
    std::span<const float> PhaseSamples;
    float FMin = 0.0f;
    double FreqStep = 0.0;
    float CalOffsetDb = 0.0f;
    std::string_view txtLossOffset;  // read with the leading-number rule
};

// The texts of one readout row and the fields the row leaves behind.
struct MarkerReadout {
    std::string Phase;      // txtMkrNPH, degrees
    std::string Loss;       // txtMkrNRL, dB
    std::string Frequency;  // lblMkrNFreq, Hz; "0.0001" instead of "0"
    float Rho = 0.0f;       // MkrNRho; 0 when the loss has no number
    float CosPhi = 0.0f;    // working values of this marker
    float SinPhi = 0.0f;
    float GammaRe = 0.0f;
    float GammaIm = 0.0f;
    std::string Xs;   // txtMkrNXS, |Xs| + 0.01 ohm
    std::string Rs;   // txtMkrNRS, ohm
    std::string Swr;  // txtMkrNSWR
    std::string Z;    // txtMkrNZ, ohm
    // |Xs| as microhenry and picofarad, each rounded to two decimals
    // (MkrNUh, MkrNPf; only markers 1 and 2 show them). Empty when |Xs| has
    // no value.
    std::optional<float> Uh;
    std::optional<float> Pf;
};

// LossError is a normalisation's error at the marker's point in dB, taken
// off the loss before anything else is worked out from it (0: none).
MarkerReadout ComputeMarkerReadout(const MarkerReadoutInputs& in, double LossError = 0.0);

// The error of point index in a normalisation's errors of points 0..Champ;
// 0 when there are none or the point lies outside them.
double LossErrorAt(std::span<const double> LossErrors, std::int32_t index);

// Which widgets of marker 1's or marker 2's row are shown, from its check box
// (value 1) and the mode: all of them in reflection, only line, frequency,
// loss and phase in Transmission, none when unchecked.
struct MarkerWidgets {
    bool Line = false;       // linMN
    bool NameLabel = false;  // lblMN
    bool Frequency = false;  // lblMkrNFreq
    bool Swr = false;
    bool Z = false;
    bool Loss = false;
    bool Phase = false;
    bool Rs = false;
    bool Xs = false;
    bool ColourButton = false;  // cmdMkrNColour
};

MarkerWidgets MarkerWidgetsShown(bool markerChecked, float TransmissionMode);

// Text colour of one readout box (marker 1, 2 or 3): black when the
// quantity's trace is checked or "Full" is; otherwise the box's own
// background, so the value is there but cannot be seen.
std::uint32_t ReadoutTextColour(int marker, bool traceChecked, bool fullChecked);

// The "VALUES" frame is shown while any of the three markers is on.
bool ValuesFrameShown(bool chkMkr1, bool chkMkr2, bool chkMinSWR);

// The |Xs| column header and the L/C column of markers 1 and 2.
struct XsColumnDisplay {
    bool XjShown = false;  // lblMkrXJ, txtMkr1XJ, txtMkr2XJ; also forces
                           // chkXS, chkMkr1 and chkMkr2 on
    bool Inductive = false;
    std::string lblMkrXSCaption;
    std::uint32_t lblMkrXSColour = 0;
    std::string lblMkrXJCaption;  // empty when hidden
    std::uint32_t lblMkrXJColour = 0;
    std::string txtMkr1XJ;  // empty when hidden
    std::string txtMkr2XJ;
};

// "Xc / Xl" checked: the reactance counts as inductive when the capacitance
// equivalent (through its plain text and back) of the marker at the higher
// frequency is below that of the marker at the lower one; at equal
// frequencies marker 2 counts as the higher, as the markers were designed.
// Equal values, or a marker without a value, count as capacitive.
XsColumnDisplay XcXlDisplay(std::optional<float> Mkr1Pf, std::optional<float> Mkr2Pf,
                            std::optional<float> Mkr1Uh, std::optional<float> Mkr2Uh, double Mkr1Hz,
                            double Mkr2Hz);

// "Xc / Xl" unchecked: the plain "| Xs |" header in the Xs trace's colour.
XsColumnDisplay PlainXsColumn(float colorS3);
