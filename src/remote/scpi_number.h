#pragma once

#include <string>
#include <string_view>

// Numbers of the remote commands, read and written without the locale.

// A numeric parameter as written: a decimal number with an optional exponent
// ("7.1e6", "+.5", "-3E-2"), then an optional unit, HZ, KHZ, MHZ or GHZ in any
// case ("7.1MHz": MHZ is mega for hertz, as in SCPI). code is 0, -121
// (invalid character in number), -131 (invalid suffix) or -222 (beyond a
// double).
struct ScpiNumber {
    int code = 0;
    double value = 0.0;  // in hertz when a unit was given
    bool hasUnit = false;
};
ScpiNumber ParseScpiNumber(std::string_view text);

// Appends v the way every response writes numbers: whole values below 1e15
// as integers ("7100000"), a value that is exactly a 32-bit float in the
// float's shortest round-trip form ("1.23456"), any other in the double's
// ("3.0000000000000004e-05"); NaN as 9.91E37 and infinities as +-9.9E37,
// SCPI's stand-ins.
void AppendScpiNumber(std::string& out, double v);

// Values joined by commas.
void AppendScpiList(std::string& out, const double* values, std::size_t count);
