#include "files/csv_file.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "common/decimal_text.h"
#include "common/display_format.h"
#include "measure/conversion.h"

namespace {

constexpr int kTrustedDigits = 14;  // significant digits of the largest term
// 2^30 Hz: whole limits up to here are worked in integers.
constexpr double kExactLimitHz = 1073741824.0;

// |value| in fixed notation with `decimals` places, exactly rounded. Room for
// the 309 integer digits of the largest double plus the places asked for.
std::string FixedText(double value, int decimals) {
    std::array<char, 400> buf{};
    const auto result = std::to_chars(buf.data(), buf.data() + buf.size(), std::fabs(value),
                                      std::chars_format::fixed, std::clamp(decimals, 0, 60));
    return std::string(buf.data(), result.ptr);
}

// Nearest integer to num / den (den > 0), halves to even, exactly.
std::int64_t RatioHalfEven(std::int64_t num, std::int64_t den) {
    std::int64_t q = num / den;
    std::int64_t r = num % den;
    if (r < 0) {  // floor division
        --q;
        r += den;
    }
    if (2 * r > den || (2 * r == den && q % 2 != 0)) {
        ++q;
    }
    return q;
}

bool IsWholeWithin(float v, double limit) {
    return std::trunc(v) == v && std::fabs(static_cast<double>(v)) <= limit;
}

QByteArray CsvLine(const std::string& a, const std::string& b, const std::string& c) {
    QByteArray line;
    line.reserve(static_cast<qsizetype>(a.size() + b.size() + c.size() + 4));
    line.append(a.data(), static_cast<qsizetype>(a.size()));
    line.append(',');
    line.append(b.data(), static_cast<qsizetype>(b.size()));
    line.append(',');
    line.append(c.data(), static_cast<qsizetype>(c.size()));
    line.append("\r\n");
    return line;
}

CsvResult Refused(const QString& why) {
    return CsvResult{std::nullopt, why};
}

}  // namespace

std::string DecimalHalfEvenText(double value, int decimals, double scale) {
    if (value == 0.0 || !std::isfinite(value)) {
        return "0";
    }
    decimals = std::clamp(decimals, 0, 20);
    const double largest =
        std::max(std::isfinite(scale) ? std::fabs(scale) : 0.0, std::fabs(value));
    const int exponent = static_cast<int>(std::floor(std::log10(largest)));
    const int trusted = kTrustedDigits - 1 - exponent;  // places held at that precision

    std::string digits;  // |value| x 10^decimals, rounded, as a digit string
    if (trusted <= decimals) {
        const std::string text = FixedText(value, decimals);
        for (const char c : text) {
            if (c != '.') {
                digits += c;
            }
        }
    } else {
        // More places than needed: the extra ones decide, and a 5 followed by
        // zeros there is a decimal half.
        const std::string text = FixedText(value, std::min(trusted, decimals + 40));
        const auto point = text.find('.');
        const std::string fraction = text.substr(point + 1);
        digits = text.substr(0, point) + fraction.substr(0, static_cast<std::size_t>(decimals));
        const std::string rest = fraction.substr(static_cast<std::size_t>(decimals));
        const bool beyondHalf =
            rest[0] > '5' ||
            (rest[0] == '5' && rest.find_first_not_of('0', 1) != std::string::npos);
        const bool half = rest[0] == '5' && !beyondHalf;
        if (beyondHalf || (half && (digits.back() - '0') % 2 != 0)) {
            IncrementDigits(digits);
        }
    }

    // digits holds at least one integer digit and exactly `decimals` places.
    const auto places = static_cast<std::size_t>(decimals);
    std::string integer = digits.substr(0, digits.size() - places);
    std::string fraction = digits.substr(digits.size() - places);
    const auto firstNonZero = integer.find_first_not_of('0');
    integer = firstNonZero == std::string::npos ? "0" : integer.substr(firstNonZero);
    while (!fraction.empty() && fraction.back() == '0') {
        fraction.pop_back();
    }
    if (integer == "0" && fraction.empty()) {
        return "0";
    }
    return (value < 0 ? "-" : "") + integer + (fraction.empty() ? "" : "." + fraction);
}

double DecimalValueOf(float value) {
    std::array<char, 64> buf{};
    const auto written = std::to_chars(buf.data(), buf.data() + buf.size(), value);
    double out = 0.0;
    std::from_chars(buf.data(), written.ptr, out);
    return out;
}

std::string SweepFrequencyText(float FMin, float FMax, std::int32_t Champ, std::int32_t i) {
    if (Champ < 1) {
        return "0";
    }
    if (IsWholeWithin(FMin, kExactLimitHz) && IsWholeWithin(FMax, kExactLimitHz)) {
        // |FMin x Champ| < 2^61 and |i x (FMax - FMin)| < 2^62: no overflow.
        const auto low = static_cast<std::int64_t>(FMin);
        const auto high = static_cast<std::int64_t>(FMax);
        const std::int64_t num = low * Champ + static_cast<std::int64_t>(i) * (high - low);
        return std::to_string(RatioHalfEven(num, Champ));
    }
    const double FreqStep =
        (static_cast<double>(FMax) - static_cast<double>(FMin)) / static_cast<double>(Champ);
    const double f = static_cast<double>(FMin) + static_cast<double>(i) * FreqStep;
    const double scale =
        std::max(std::fabs(static_cast<double>(FMin)), std::fabs(static_cast<double>(FMax)));
    return DecimalHalfEvenText(f, 0, scale);
}

CsvResult CsvText(const CsvInput& input) {
    if (const auto refusal = SweepExportRefusal(input)) {
        return Refused(*refusal);
    }
    const std::int32_t Champ = input.Champ;
    const auto needed = static_cast<std::size_t>(Champ) + 1;

    // The calibration offset is tenths of a dB held in a float; it is taken at
    // its decimal value, so 0.3 dB does not push a decimal half off its tie.
    const double calibration = static_cast<double>(input.caloffsetvalue) / 10.0;
    const SweepLoss lossOf(input, calibration);
    const double offsetScale = std::max({std::fabs(calibration), std::fabs(lossOf.calOffsetDb()),
                                         std::fabs(input.LossOffset), Conversion::DbAtZero});

    QByteArray out;
    out.reserve(static_cast<qsizetype>(needed) * 24 + 80);
    out.append(input.TransmissionMode != 0.0f
                   ? "\"Frequency(Hz)\",\"Transmission Loss(dB)\",\"Phase(deg)\"\r\n"
                   : "\"Frequency(Hz)\",\"Return Loss(dB)\",\"Phase(deg)\"\r\n");

    // A 64-bit counter: even Champ = 2^31 - 1 ends the loop without overflow.
    for (std::int64_t point = 1; point <= Champ; ++point) {
        const auto i = static_cast<std::int32_t>(point);
        const auto at = static_cast<std::size_t>(point);
        const double n = input.MagnitudeSamples[at];
        const double p = input.PhaseSamples[at];
        if (!std::isfinite(n) || !std::isfinite(p)) {
            return Refused(
                QStringLiteral("point %1 holds a count that is not a finite number").arg(i));
        }
        const double counts = lossOf.countsDb(at);
        const double error = lossOf.errorDb(at);
        const double loss = lossOf(at);
        const double phase = SweepPhaseDegrees(p);
        if (!std::isfinite(loss)) {
            return Refused(QStringLiteral("the loss of point %1 is out of range").arg(i));
        }
        const double scale = std::max({std::fabs(counts), offsetScale, std::fabs(error)});
        out.append(CsvLine(SweepFrequencyText(input.FMin, input.FMax, Champ, i),
                           DecimalHalfEvenText(loss, 2, scale),
                           DecimalHalfEvenText(phase, 2, phase)));
    }

    out.append(FloatText(input.FMin).c_str());
    out.append(',');
    out.append(FloatText(input.FMax).c_str());
    out.append("\r\n");
    return CsvResult{out, QString()};
}
