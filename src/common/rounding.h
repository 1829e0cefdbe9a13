#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

// Halves go to the even neighbour (banker's rounding), as every integer
// conversion of the instrument program does: 2.5 -> 2, 3.5 -> 4.
inline double RoundHalfEven(double v) {
    const double r = std::round(v);  // halves away from zero
    if (std::fabs(v - std::trunc(v)) == 0.5) {
        return 2.0 * std::round(v / 2.0);
    }
    return r;
}

// The nearest 32-bit signed integer, halves to even; nothing when the value
// (or NaN) does not fit.
inline std::optional<std::int32_t> ToInt32HalfEven(double v) {
    const double r = RoundHalfEven(v);
    if (!(r >= static_cast<double>(std::numeric_limits<std::int32_t>::min()) &&
          r <= static_cast<double>(std::numeric_limits<std::int32_t>::max()))) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(r);
}

// The same for 16 bits.
inline std::optional<std::int16_t> ToInt16HalfEven(double v) {
    const double r = RoundHalfEven(v);
    if (!(r >= -32768.0 && r <= 32767.0)) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(r);
}

// A double stored as a 32-bit float: beyond the float range it is held at the
// largest float (which keeps a ratio usable instead of infinite); NaN stays
// NaN.
inline float HeldFloat(double v) {
    if (v > std::numeric_limits<float>::max()) {
        return std::numeric_limits<float>::max();
    }
    if (v < -std::numeric_limits<float>::max()) {
        return -std::numeric_limits<float>::max();
    }
    return static_cast<float>(v);
}
