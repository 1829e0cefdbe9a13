#include "common/display_format.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "common/decimal_text.h"

namespace {

// The digits of round(|value| x 10^decimals), halves away from zero, worked
// on the 15 significant digits of the value's decimal form. Empty when the
// result is zero. No leading zeros.
std::string ScaledDigits(double value, int decimals) {
    if (value == 0.0) {
        return {};
    }
    constexpr int Significant = 15;
    // "d.dddddddddddddde+XXX": always fits, whatever the exponent
    // to_chars, unlike printf, never takes the locale's decimal comma.
    char buf[40];
    const auto end = std::to_chars(buf, buf + sizeof buf - 1, std::fabs(value),
                                   std::chars_format::scientific, Significant - 1);
    *end.ptr = '\0';
    std::string mantissa;
    const char* p = buf;
    for (; *p != 'e'; ++p) {
        if (*p != '.') {
            mantissa += *p;
        }
    }
    const int exponent = std::atoi(p + 1);
    // Digits to keep: those in front of the point plus the decimals.
    const int keep = exponent + 1 + decimals;
    if (keep < 0) {
        return {};
    }
    if (keep >= Significant) {
        return mantissa + std::string(static_cast<std::size_t>(keep - Significant), '0');
    }
    const bool roundUp = mantissa[static_cast<std::size_t>(keep)] >= '5';
    std::string digits = mantissa.substr(0, static_cast<std::size_t>(keep));
    if (roundUp) {
        IncrementDigits(digits);
    }
    const auto firstNonZero = digits.find_first_not_of('0');
    return firstNonZero == std::string::npos ? std::string{} : digits.substr(firstNonZero);
}

struct RoundedText {
    std::string sign;      // "-" or empty
    std::string integer;   // at least one digit
    std::string fraction;  // exactly the requested number of decimals
};

RoundedText Rounded(double value, int decimals) {
    std::string digits = ScaledDigits(value, decimals);
    RoundedText out;
    if (!digits.empty() && value < 0) {
        out.sign.push_back('-');  // = "-" trips a false -Wrestrict in GCC 12 at -O3
    }
    const auto need = static_cast<std::size_t>(decimals) + 1;
    if (digits.size() < need) {
        digits.insert(0, need - digits.size(), '0');
    }
    const std::size_t split = digits.size() - static_cast<std::size_t>(decimals);
    out.integer = digits.substr(0, split);
    out.fraction = digits.substr(split);
    return out;
}

}  // namespace

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
    const auto end = std::to_chars(buf, buf + sizeof buf, static_cast<double>(value),
                                   std::chars_format::scientific, 6);
    const std::string s(buf, end.ptr);
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

std::string FormatTwoDecimals(double value) {
    if (!std::isfinite(value)) {
        return std::string(NoValueText);
    }
    RoundedText r = Rounded(value, 2);
    while (!r.fraction.empty() && r.fraction.back() == '0') {
        r.fraction.pop_back();
    }
    return r.sign + r.integer + "." + r.fraction;
}

std::string FormatThousands(double value) {
    if (!std::isfinite(value)) {
        return std::string(NoValueText);
    }
    const RoundedText r = Rounded(value, 0);
    std::string out = r.sign;
    const std::size_t n = r.integer.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) {
            out += ',';
        }
        out += r.integer[i];
    }
    return out;
}

std::string FormatFixed(double value) {
    if (!std::isfinite(value)) {
        return std::string(NoValueText);
    }
    const RoundedText r = Rounded(value, 2);
    return r.sign + r.integer + "." + r.fraction;
}

std::optional<double> ReadoutNumber(std::string_view text) {
    std::size_t i = 0;
    const auto at = [&](std::size_t k) { return k < text.size() ? text[k] : '\0'; };
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    while (at(i) == ' ' || at(i) == '\t') {
        ++i;
    }
    // Gather the number without its separators, then let the locale-free
    // from_chars do the correctly rounded conversion.
    std::string clean;
    if (at(i) == '-' || at(i) == '+') {
        if (at(i) == '-') {
            clean += '-';
        }
        ++i;
    }
    bool anyDigit = false;
    while (isDigit(at(i)) || (at(i) == ',' && anyDigit)) {
        if (at(i) != ',') {
            clean += at(i);
            anyDigit = true;
        }
        ++i;
    }
    if (at(i) == '.') {
        clean += '.';
        ++i;
        while (isDigit(at(i))) {
            clean += at(i);
            anyDigit = true;
            ++i;
        }
    }
    if (!anyDigit) {
        return std::nullopt;
    }
    if ((at(i) == 'E' || at(i) == 'e')) {
        std::size_t k = i + 1;
        std::string exponent = "e";
        if (at(k) == '-' || at(k) == '+') {
            exponent += at(k);
            ++k;
        }
        if (isDigit(at(k))) {
            while (isDigit(at(k))) {
                exponent += at(k);
                ++k;
            }
            clean += exponent;
        }
    }
    double value = 0.0;
    const auto [end, ec] = std::from_chars(clean.data(), clean.data() + clean.size(), value);
    (void)end;
    if (ec != std::errc{} || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value == 0.0 ? 0.0 : value;  // no negative zero
}

double ParseReadout(std::string_view text) {
    return ReadoutNumber(text).value_or(0.0);
}
