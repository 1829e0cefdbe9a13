#pragma once

#include <cstdint>

// Colours are 24-bit values with red in the low byte, green in the next and
// blue in the third: 255 red, 65280 green, 16711680 blue, 33023 orange.
namespace Colour {
constexpr std::uint32_t Red = 0x0000FF;
constexpr std::uint32_t Green = 0x00FF00;
constexpr std::uint32_t Blue = 0xFF0000;
constexpr std::uint32_t Orange = 0x0080FF;
constexpr std::uint32_t MarkerGreen = 0x00C000;
constexpr std::uint32_t GraphGrey = 0xE0E0E0;
constexpr std::uint32_t ReadoutBack12 = 0xFFFFC0;  // readouts of markers 1 and 2
constexpr std::uint32_t ReadoutBack3 = 0xFFFFFF;   // readouts of marker 3
constexpr std::uint32_t DottedDb = 0xFF8080;

constexpr int RedOf(std::uint32_t c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(std::uint32_t c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(std::uint32_t c) { return static_cast<int>((c >> 16) & 0xFF); }
}  // namespace Colour

#include <charconv>
#include <string>

#include "common/rounding.h"

// The colour a setting holds: colorS1..colorS5 are floats rounded to the
// nearest integer (halves to even); colorS6 is the integer as decimal text.
inline std::uint32_t ColourFromSetting(float setting) {
    return static_cast<std::uint32_t>(static_cast<std::int64_t>(RoundHalfEven(setting)));
}

inline std::uint32_t ColourFromSetting(const std::string& text) {
    long long value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return static_cast<std::uint32_t>(value);
}
