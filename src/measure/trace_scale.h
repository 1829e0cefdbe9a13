#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

#include "measure/conversion.h"

// The scale rules of the traces, in one place: the scales a pass can draw on,
// the y of each trace on each of them, what a pass plots, the automatic
// choice of scales, and the captions and positions of the scale labels and
// reference lines. The passes, the tick, the picture and the views all call
// these.

struct TracePass;

// The vertical scales a pass can draw the SWR, impedance and loss traces on.
// The first of each is the designed scale and the default; the others are
// further y rules beside it, chosen in the View menu.
enum class SwrScale : std::uint8_t {
    ZeroTo10,  // 0 at the bottom edge, 10 at the top
    OneTo5,    // the rest: SWR 1 at the bottom edge, the upper value at the top
    OneTo3,
    OneTo2,
};

// |Z|, |Xs| and Rs: 0 ohm 100 twips above the bottom edge and the upper value
// 100 twips above the top edge, as designed for 500 ohm.
enum class OhmScale : std::uint8_t { To500, To100, To200, To1000, To2000 };

// Loss from 0 dB at the top edge to the range at the bottom ("Scale X2"
// doubles each); offsets shift the trace as they do on the designed 30 dB.
enum class LossRange : std::uint8_t { To30, To10, To3 };

struct GraphScales {
    SwrScale Swr = SwrScale::ZeroTo10;
    OhmScale Ohm = OhmScale::To500;
    LossRange Loss = LossRange::To30;
    bool operator==(const GraphScales&) const = default;
};

// The value at the top edge of an SWR scale (10, 5, 3, 2) and at its bottom
// edge (0 for the designed scale, else 1); the upper value of an impedance
// scale; the range of a loss scale.
inline double SwrScaleTop(SwrScale s) {
    constexpr double Tops[] = {10.0, 5.0, 3.0, 2.0};
    return Tops[static_cast<int>(s)];
}
inline double SwrScaleBottom(SwrScale s) {
    return s == SwrScale::ZeroTo10 ? 0.0 : 1.0;
}
inline double OhmScaleTop(OhmScale s) {
    constexpr double Tops[] = {500.0, 100.0, 200.0, 1000.0, 2000.0};
    return Tops[static_cast<int>(s)];
}
inline double LossRangeDb(LossRange r) {
    constexpr double Ranges[] = {30.0, 10.0, 3.0};
    return Ranges[static_cast<int>(r)];
}

// The y of each trace, exposed for the scale labels and the tests.
float PhaseY(float H, float p);
float LossY(float H, float n, float CalOffsetDb, double LossOffset, std::uint8_t LossScale);
float OhmY(float H, float ohm);  // |Z|, |Xs| and Rs
float SwrY(float H, float swr);

// The same on a chosen scale; the designed scale gives the rules above, bit
// for bit.
float LossYOn(LossRange range, float H, float n, float CalOffsetDb, double LossOffset,
              std::uint8_t LossScale);
float OhmYOn(OhmScale scale, float H, float ohm);
float SwrYOn(SwrScale scale, float H, float swr);

// The smallest and largest value a pass plots on a trace; any is false when
// the pass visits no point.
struct ValueRange {
    float min = 0.0f;
    float max = 0.0f;
    bool any = false;
    void take(float v);
};

// What a pass plots, by trace, whether the trace is on or not: the magnitude
// counts of the loss points and the converted values of the impedance points.
struct TraceExtremes {
    ValueRange LossCount;
    ValueRange Swr, Z, Xs, Rs;
};

// Visits the points the two passes visit; convert is kept by the caller so
// that its table serves pass after pass.
TraceExtremes SweepExtremes(const TracePass& pass, std::optional<PointConverter>& convert);

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

// The 50-ohm line and its label lie at 50 ohm on the impedance scale chosen;
// every other position is the same on every scale.
GraphScalePositions ComputeGraphScalePositions(float T, float H, OhmScale ohm = OhmScale::To500);

// The loss scale's captions and divisor, from "Scale X2".
struct LossScaleCaptions {
    unsigned char LossScale;  // 1, or 2 when the loss trace is squeezed to half
    const char* lbl0db;
    const char* lbl10dB;
    const char* lbl20dB;
    const char* lbl30dB;
};

LossScaleCaptions LossScaleFor(bool scaleX2);

// The loss captions of the scales chosen: the loss at the top, at the thirds
// and at the bottom, the top and bottom ones carrying the SWR scale's ends.
// The designed scales give LossScaleFor's captions.
struct LossCaptions {
    unsigned char LossScale;
    std::string lbl0db, lbl10dB, lbl20dB, lbl30dB;
};
LossCaptions LossCaptionsFor(bool scaleX2, LossRange range, SwrScale swr);

// The phase and impedance captions, top to bottom (lbl0ohm, lbl75ohm,
// lbl150ohm, lbl225ohm, lbl300ohm): phase keeps 0 to 180 degrees on every
// impedance scale.
std::array<std::string, 5> OhmCaptionsFor(OhmScale ohm);

// "Auto scale": each group takes the smallest of its scales that holds the
// values its enabled traces plot (every y within the graph's height), but
// keeps the scale it has while that still holds, so that noise does not
// make it jump. A group whose traces are all off keeps its scale; one that
// no scale holds takes its widest.
GraphScales AutoScales(const GraphScales& current, const TracePass& pass, const TraceExtremes& e);

// The y rules as the passes call them, with the graph height h already made
// finite so that a pass works it out once. Inline: they run for every point.
namespace trace_y {

inline double FiniteOrZero(double v) {
    return std::isfinite(v) ? v : 0.0;
}

// The y rules with the graph height h already made finite, so that a pass
// works it out once.
inline float PhaseYAt(double h, float p) {
    return ToFiniteFloat(h - (h / 1024.0) * FiniteOrZero(p));
}

struct LossYTerms {
    double offsets = 0.0;  // CalOffsetDb + LossOffset, each finite
    double scale = 1.0;
    double stretch = 1.0;  // 30 dB over the range chosen
};

inline LossYTerms LossTerms(float CalOffsetDb, double LossOffset, std::uint8_t LossScale,
                     LossRange range = LossRange::To30) {
    return LossYTerms{FiniteOrZero(CalOffsetDb) + FiniteOrZero(LossOffset),
                      LossScale < 1 ? 1.0 : LossScale, 30.0 / LossRangeDb(range)};
}

inline float LossYAt(double h, double n, const LossYTerms& t) {
    const double designed = h * FiniteOrZero(n) / 512.0 - h + t.offsets * 129.0 + 1250.0;
    // A narrower range stretches the designed picture down from its top, so
    // the offsets keep their 129 twips a dB on the designed scale.
    const double y = t.stretch == 1.0 ? designed : designed * t.stretch;
    // Halving is exact as a product; the usual scale of 1 needs no division.
    return ToFiniteFloat(t.scale == 1.0 ? y : t.scale == 2.0 ? y * 0.5 : y / t.scale);
}

inline float OhmYAt(double h, float ohm) {
    return ToFiniteFloat(h - h * FiniteOrZero(ohm) / 500.0 - 100.0);
}

inline float SwrYAt(double h, float swr) {
    return ToFiniteFloat(h - h * FiniteOrZero(swr) / 10.0);
}

// A scale other than the designed one: bottom lies margin twips above the
// bottom edge and top margin twips above the top edge.
struct LinearY {
    double bottom = 0.0;
    double span = 1.0;
    double margin = 0.0;
    float operator()(double h, float v) const {
        return ToFiniteFloat(h - h * (FiniteOrZero(v) - bottom) / span - margin);
    }
};

inline LinearY OhmRule(OhmScale s) {
    return LinearY{0.0, OhmScaleTop(s), 100.0};
}

inline LinearY SwrRule(SwrScale s) {
    return LinearY{SwrScaleBottom(s), SwrScaleTop(s) - SwrScaleBottom(s), 0.0};
}

// Calls use with the y rule of the scale: the designed function itself for
// the designed scale, so its arithmetic stays exactly as it was.
template <class Use>
void WithRule(bool designed, float (*designedRule)(double, float), LinearY other, Use use) {
    if (designed) {
        use(designedRule);
    } else {
        use(other);
    }
}

template <class Use>
void WithOhmRule(OhmScale s, Use use) {
    WithRule(s == OhmScale::To500, OhmYAt, OhmRule(s), use);
}

template <class Use>
void WithSwrRule(SwrScale s, Use use) {
    WithRule(s == SwrScale::ZeroTo10, SwrYAt, SwrRule(s), use);
}

}  // namespace trace_y
