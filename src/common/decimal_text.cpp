#include "common/decimal_text.h"

#include <charconv>
#include <cmath>

std::string ShortestDecimal(double value) {
    if (!std::isfinite(value)) {
        return "0";
    }
    if (value == 0.0) {
        return "0";  // never "-0"
    }
    char buf[400];  // the longest fixed form of a double fits
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    return std::string(buf, r.ptr);
}

std::string HzAsMHzText(double hz) {
    if (!std::isfinite(hz)) {
        return "0";
    }
    return ShortestDecimal(std::round(hz) / 1e6);
}

void IncrementDigits(std::string& digits) {
    std::size_t i = digits.size();
    while (i > 0 && digits[i - 1] == '9') {
        digits[--i] = '0';
    }
    if (i == 0) {
        digits.insert(digits.begin(), '1');
    } else {
        ++digits[i - 1];
    }
}
