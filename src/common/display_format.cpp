#include "common/display_format.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

std::string FloatText(float value) {
    if (std::isnan(value)) {
        return "NaN";
    }
    if (std::isinf(value)) {
        return value > 0 ? "Infinity" : "-Infinity";
    }
    if (value == 0.0f) {
        return "0";
    }
    // Seven significant digits: d.dddddde+XX
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6e", static_cast<double>(value));
    const std::string s(buf);
    const auto ePos = s.find('e');
    const bool negative = s[0] == '-';
    std::string digits;  // mantissa digits without the point
    for (std::size_t i = negative ? 1 : 0; i < ePos; ++i) {
        if (s[i] != '.') {
            digits += s[i];
        }
    }
    const int exponent = std::atoi(s.c_str() + ePos + 1);
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
    }
    std::string out = negative ? "-" : "";
    if (exponent >= 7 || exponent < -5) {
        out += digits[0];
        if (digits.size() > 1) {
            out += '.';
            out += digits.substr(1);
        }
        char exp[16];
        std::snprintf(exp, sizeof exp, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
        return out + exp;
    }
    if (exponent < 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-exponent - 1), '0');
        return out + digits;
    }
    const auto intDigits = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= intDigits) {
        out += digits;
        out.append(intDigits - digits.size(), '0');
        return out;
    }
    return out + digits.substr(0, intDigits) + "." + digits.substr(intDigits);
}
