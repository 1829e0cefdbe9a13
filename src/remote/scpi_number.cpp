#include "remote/scpi_number.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <system_error>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

char Upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualsUpper(std::string_view a, std::string_view upper) {
    if (a.size() != upper.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Upper(a[i]) != upper[i]) {
            return false;
        }
    }
    return true;
}

// Roughly the decimal exponent of a number's text ("123e5": 8, "0.001":
// -2); enough to tell a number too large for a double from one too small.
long DecimalMagnitude(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && text[i] == '-') {
        ++i;
    }
    long magnitude = 0;
    bool significant = false;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        significant = significant || text[i] != '0';
        magnitude += significant ? 1 : 0;
    }
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && IsDigit(text[i]) && !significant; ++i) {
            significant = text[i] != '0';
            magnitude -= significant ? 0 : 1;
        }
        while (i < text.size() && IsDigit(text[i])) {
            ++i;
        }
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        const bool negative = i < text.size() && text[i] == '-';
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            ++i;
        }
        long exponent = 0;
        for (; i < text.size() && IsDigit(text[i]); ++i) {
            exponent = exponent < 100000 ? exponent * 10 + (text[i] - '0') : exponent;
        }
        magnitude += negative ? -exponent : exponent;
    }
    return magnitude;
}

ScpiNumber Refused(int code) {
    return {code, 0.0, false};
}

struct Unit {
    std::string_view name;
    double factor;
};
constexpr std::array<Unit, 4> kUnits = {{{"HZ", 1.0}, {"KHZ", 1e3}, {"MHZ", 1e6}, {"GHZ", 1e9}}};

}  // namespace

ScpiNumber ParseScpiNumber(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return Refused(-121);
    }
    // An exponent needs its digits; "7E" is no number, "7 E" would be a unit.
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            ++j;
        }
        std::size_t exponentDigits = 0;
        while (j < text.size() && IsDigit(text[j])) {
            ++j;
            ++exponentDigits;
        }
        if (exponentDigits == 0) {
            return Refused(-121);
        }
        i = j;
    }
    std::string_view mantissa = text.substr(0, i);
    if (!mantissa.empty() && mantissa.front() == '+') {
        mantissa.remove_prefix(1);  // from_chars takes no plus sign
    }
    double value = 0.0;
    const auto r = std::from_chars(mantissa.data(), mantissa.data() + mantissa.size(), value);
    if (r.ec == std::errc::result_out_of_range) {
        // from_chars says neither which way nor gives a value: beyond a
        // double is an error, below its smallest reads as 0.
        if (DecimalMagnitude(mantissa) > 0) {
            return Refused(-222);
        }
        value = 0.0;
    }

    std::string_view rest = text.substr(i);
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) {
        rest.remove_prefix(1);
    }
    if (rest.empty()) {
        return {0, value, false};
    }
    for (const char c : rest) {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) {
            return Refused(-121);
        }
    }
    for (const Unit& unit : kUnits) {
        if (EqualsUpper(rest, unit.name)) {
            const double scaled = value * unit.factor;
            if (!std::isfinite(scaled)) {
                return Refused(-222);
            }
            return {0, scaled, true};
        }
    }
    return Refused(-131);
}

void AppendScpiNumber(std::string& out, double v) {
    if (std::isnan(v)) {
        out += "9.91E37";
        return;
    }
    if (std::isinf(v)) {
        out += v > 0 ? "9.9E37" : "-9.9E37";
        return;
    }
    std::array<char, 32> buffer{};
    std::to_chars_result r{};
    if (std::fabs(v) < 1e15 && v == std::trunc(v)) {
        // -0 prints as 0.
        r = std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                          static_cast<std::int64_t>(v));
    } else if (const auto f = static_cast<float>(v); static_cast<double>(f) == v) {
        // The window computes in 32-bit floats: their own shortest form
        // ("1.23456", not "1.2345600128173828") reads back to the same float.
        r = std::to_chars(buffer.data(), buffer.data() + buffer.size(), f);
    } else {
        r = std::to_chars(buffer.data(), buffer.data() + buffer.size(), v);
    }
    out.append(buffer.data(), r.ptr);
}

void AppendScpiList(std::string& out, const double* values, std::size_t count) {
    // About 20 characters a number at most; one allocation for a whole trace.
    out.reserve(out.size() + count * 12);
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) {
            out.push_back(',');
        }
        AppendScpiNumber(out, values[i]);
    }
}
