// Fuzzes the two number readers that take typed or shown text: the
// leading-number parse of every text box, and the read-back of readout texts.
//
// Beyond "no crash":
// - LeadingNumber is always finite, never a negative zero, blind to blanks,
//   tabs and line feeds, and equals the correctly rounded value of the
//   longest leading number (checked against std::from_chars on the text with
//   its blanks taken out), or 0 when that is out of the double range;
// - text after the number changes nothing;
// - ParseReadout is always finite and never a negative zero, and reads the
//   program's own readout texts back to the value they show.

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <system_error>

#include "common/display_format.h"
#include "common/leading_number.h"
#include "fuzz_check.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

// The value of the longest leading number by an independent route: blanks
// out, D read as E, then the standard conversion of the longest prefix.
double ReferenceLeadingNumber(std::string_view text) {
    std::string s;
    s.reserve(text.size());
    for (const char c : text) {
        if (!IsBlank(c)) {
            s.push_back((c == 'd' || c == 'D') ? 'e' : c);
        }
    }
    std::size_t start = 0;
    // from_chars takes no plus sign; "+-1" and "++1" stay refused.
    if (s.size() >= 2 && s[0] == '+' && s[1] != '+' && s[1] != '-') {
        start = 1;
    }
    double value = 0.0;
    const auto r =
        std::from_chars(s.data() + start, s.data() + s.size(), value, std::chars_format::general);
    if (r.ec != std::errc() || !std::isfinite(value)) {
        return 0.0;  // no number, out of range, or "inf" / "nan" spelt out
    }
    return value;
}

bool IsPlainZeroOrNonZero(double v) {
    return v != 0.0 || !std::signbit(v);
}

void CheckLeadingNumber(std::string_view text) {
    const double value = LeadingNumber(text);
    FUZZ_CHECK(std::isfinite(value), "LeadingNumber is finite");
    FUZZ_CHECK(IsPlainZeroOrNonZero(value), "LeadingNumber gives no negative zero");

    const double expected = ReferenceLeadingNumber(text);
    if (value != expected) {
        std::fprintf(stderr, "LeadingNumber %.17g, longest leading number %.17g\n", value,
                     expected);
    }
    FUZZ_CHECK(value == expected, "LeadingNumber is the correctly rounded leading number");

    const std::string followed = std::string(text) + "x";
    FUZZ_CHECK(LeadingNumber(followed) == value, "text after the number changes nothing");
}

void CheckParseReadout(std::string_view text) {
    const double value = ParseReadout(text);
    FUZZ_CHECK(std::isfinite(value), "ParseReadout is finite");
    FUZZ_CHECK(IsPlainZeroOrNonZero(value), "ParseReadout gives no negative zero");
}

// The readout patterns round the value's 15 significant digits, so a
// read-back may differ from the value by the rounding step plus that much.
void CheckReadoutRoundTrip(double x) {
    if (!std::isfinite(x)) {
        FUZZ_CHECK(FormatTwoDecimals(x) == NoValueText && FormatThousands(x) == NoValueText &&
                       FormatFixed(x) == NoValueText,
                   "a value that is not finite shows as ---");
        FUZZ_CHECK(ParseReadout(NoValueText) == 0.0, "--- reads back as 0");
        return;
    }
    // Near the top of the double range 15 rounded digits exceed it, and the
    // read-back gives 0 by design.
    if (std::fabs(x) > 1e300) {
        return;
    }
    const double slack = std::fabs(x) * 1e-14;
    const double whole = ParseReadout(FormatThousands(x));
    FUZZ_CHECK(whole == std::trunc(whole), "\"##,##0\" reads back as a whole number");
    FUZZ_CHECK(std::fabs(whole - x) <= 0.5 + slack, "\"##,##0\" reads back to the value");
    FUZZ_CHECK(std::fabs(ParseReadout(FormatTwoDecimals(x)) - x) <= 0.005 + slack,
               "\"##0.##\" reads back to the value");
    FUZZ_CHECK(std::fabs(ParseReadout(FormatFixed(x)) - x) <= 0.005 + slack,
               "\"Fixed\" reads back to the value");
}

void CheckFloatTextRoundTrip(float f) {
    const std::string text = FloatText(f);
    if (!std::isfinite(f)) {
        FUZZ_CHECK(ParseReadout(text) == 0.0, "NaN and Infinity read back as 0");
        return;
    }
    // Seven significant digits: at most half a unit in the seventh.
    const double back = ParseReadout(text);
    const double v = static_cast<double>(f);
    FUZZ_CHECK(std::fabs(back - v) <= std::fabs(v) * 5.000001e-7,
               "FloatText reads back to the float within its seven digits");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckLeadingNumber(text);
    CheckParseReadout(text);

    // The first bytes, taken as the raw bits of a value, drive the format
    // round trips over every kind of double and float.
    if (size >= sizeof(double)) {
        double x = 0.0;
        std::memcpy(&x, data, sizeof x);
        CheckReadoutRoundTrip(x);
    }
    if (size >= sizeof(float)) {
        float f = 0.0f;
        std::memcpy(&f, data, sizeof f);
        CheckFloatTextRoundTrip(f);
    }
    return 0;
}
