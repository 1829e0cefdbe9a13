#pragma once

#include <string>

// The shortest plain decimal text that reads back as the same double: "."
// for the point, no exponent, no trailing zeros ("180", "0.01", "14.35").
std::string ShortestDecimal(double value);

// A frequency in Hz as MHz text, to the Hz: 14200000 -> "14.2",
// 500000 -> "0.5", 7050123 -> "7.050123".
std::string HzAsMHzText(double hz);

// Adds one unit in the last place of a string of decimal digits, carrying
// ("129" -> "130", "99" -> "100").
void IncrementDigits(std::string& digits);
