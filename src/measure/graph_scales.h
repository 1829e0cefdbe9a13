#pragma once

#include <cstdint>

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
