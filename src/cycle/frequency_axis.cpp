#include "cycle/frequency_axis.h"

#include <charconv>
#include <cmath>

#include "common/decimal_text.h"

namespace {

constexpr int MostDecimals = 6;

// value with exactly decimals digits after the point, then trailing zeros
// and a bare point dropped; "." whatever the locale.
std::string WithDecimals(double value, int decimals) {
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    std::string text(buf, r.ptr);
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') {
            text.pop_back();
        }
    }
    if (text == "-0") {
        text = "0";
    }
    return text;
}

}  // namespace

std::array<std::string, 11> FrequencyAxisTexts(float FMin, float FMax) {
    const double start = std::isfinite(FMin) ? static_cast<double>(FMin) / 1e6 : 0.0;
    const double stop = std::isfinite(FMax) ? static_cast<double>(FMax) / 1e6 : 0.0;
    std::array<double, 11> mhz{};
    for (std::size_t k = 0; k < mhz.size(); ++k) {
        mhz[k] = start + (stop - start) * static_cast<double>(k) / 10.0;
    }
    mhz.back() = stop;

    std::array<std::string, 11> texts;
    if (start == stop) {
        texts.fill(HzAsMHzText(static_cast<double>(FMin)));
        return texts;
    }
    for (int decimals = 0; decimals <= MostDecimals; ++decimals) {
        for (std::size_t k = 0; k < mhz.size(); ++k) {
            texts[k] = WithDecimals(mhz[k], decimals);
        }
        bool apart = true;
        for (std::size_t k = 0; k + 1 < mhz.size() && apart; ++k) {
            apart = mhz[k] == mhz[k + 1] || texts[k] != texts[k + 1];
        }
        if (apart) {
            break;
        }
    }
    return texts;
}
