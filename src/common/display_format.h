#pragma once

#include <optional>
#include <string>
#include <string_view>

// Text forms of numbers shown in the window. All of them use "." for the
// decimal point and "," for thousands, whatever the user's locale.

// What a readout shows when its value cannot be computed (or is not finite).
inline constexpr std::string_view NoValueText = "---";

// The plain decimal text of a 32-bit float: rounded to 7 significant digits,
// shortest form, no leading blank, "0.15" not ".15", "12.5", "1121378".
// Magnitudes of 10^7 and more take exponent form ("1.1E+10"); so do nonzero
// magnitudes below 10^-5 ("6.6E-06"), which would otherwise need long runs of
// zeros.
std::string FloatText(float value);

// The three readout patterns below round the value's decimal form, taken to
// the 15 significant digits a double holds reliably, with halves away from
// zero, as the classic format function did: 2.675 -> "2.68" although the
// double lies just below 2.675, and 0.125 -> "0.13". A value that rounds to
// zero shows no sign ("0.", "0", "0.00"), so a zero readout always reads the
// same. Non-finite values give NoValueText. Any finite magnitude is written
// out in full, without exponent; digits past the 15th are zeros.

// "##0.##": two decimals at most, trailing zeros dropped, at least one
// integer digit and always the decimal point: 12 -> "12.", 1.5 -> "1.5",
// 0.123 -> "0.12", -3.456 -> "-3.46". No thousands separator.
std::string FormatTwoDecimals(double value);

// "##,##0": rounded to a whole number with commas between thousands:
// 14200000 -> "14,200,000", -1234 -> "-1,234".
std::string FormatThousands(double value);

// "Fixed": exactly two decimals, at least one integer digit, no grouping:
// 99 -> "99.00", 1234.5 -> "1234.50".
std::string FormatFixed(double value);

// Reads back the program's own readout texts: an optional sign, digits with
// "," thousands separators, an optional "." with or without decimals after
// it, and an optional exponent ("1.1E+10"). Blanks around the number are
// ignored and reading stops at the first character that does not fit. A text
// without a number (NoValueText, "NaN") gives 0, as does a number beyond the
// double range; the result is always finite.
double ParseReadout(std::string_view text);

// The same, but nothing when the text shows no number (or one beyond the
// double range) instead of 0.
std::optional<double> ReadoutNumber(std::string_view text);
