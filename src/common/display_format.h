#pragma once

#include <string>

// Text forms of numbers shown in the window. All of them use "." for the
// decimal point and "," for thousands, whatever the user's locale.

// The plain decimal text of a 32-bit float: rounded to 7 significant digits,
// shortest form, no leading blank, "0.15" not ".15", "12.5", "1121378".
// Magnitudes of 10^7 and more take exponent form ("1.1E+10"); so do nonzero
// magnitudes below 10^-5 ("6.6E-06"), which would otherwise need long runs of
// zeros.
std::string FloatText(float value);
