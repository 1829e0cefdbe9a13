#include "range/band_plan.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include "common/trimmed.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

// The blank-separated words of a line.
std::vector<std::string_view> Words(std::string_view line) {
    return Fields(line, IsBlank);
}

// MHz text as whole hertz; nothing when it is not all a finite number.
std::optional<double> MHzAsHz(std::string_view text) {
    double mhz = 0;
    const auto r =
        std::from_chars(text.data(), text.data() + text.size(), mhz, std::chars_format::fixed);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size() || !std::isfinite(mhz)) {
        return std::nullopt;
    }
    const double hz = std::round(mhz * 1e6);
    return std::isfinite(hz) ? std::optional<double>(hz) : std::nullopt;
}

bool ByLow(const AmateurBand& a, const AmateurBand& b) {
    return a.lowHz < b.lowHz;
}

}  // namespace

BandPlanParse ParseBandPlan(std::string_view text) {
    BandPlanParse result;
    int lineNumber = 0;
    const auto fail = [&result, &lineNumber](std::string why) {
        result.bands.clear();
        result.errorLine = lineNumber;
        result.error = std::move(why);
        return result;
    };
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;

        const std::vector<std::string_view> words = Words(line);
        if (words.empty() || words[0].front() == '#') {
            continue;
        }
        if (words.size() != 4) {
            return fail("a band is: region, name, low MHz, high MHz");
        }
        AmateurBand band;
        if (words[0].size() != 1 || words[0][0] < '1' || words[0][0] > '3') {
            return fail("the region is 1, 2 or 3");
        }
        band.region = words[0][0] - '0';
        band.name = std::string(words[1]);
        const std::optional<double> low = MHzAsHz(words[2]);
        const std::optional<double> high = MHzAsHz(words[3]);
        if (!low || !high) {
            return fail("a frequency is a number of MHz");
        }
        if (*low <= 0 || *low >= *high) {
            return fail("the low frequency is above 0 and below the high one");
        }
        band.lowHz = *low;
        band.highHz = *high;
        for (const AmateurBand& other : result.bands) {
            if (other.region == band.region && band.lowHz < other.highHz &&
                other.lowHz < band.highHz) {
                return fail("overlaps " + other.name + " of the same region");
            }
        }
        result.bands.push_back(std::move(band));
    }
    return result;
}

std::vector<AmateurBand> BuiltInBands(int region) {
    std::vector<AmateurBand> bands = ParseBandPlan(BuiltInBandPlanText()).bands;
    std::erase_if(bands, [region](const AmateurBand& b) { return b.region != region; });
    std::sort(bands.begin(), bands.end(), ByLow);
    return bands;
}

std::vector<BandSpan> BandSpansIn(const std::vector<AmateurBand>& bands, double fMinHz,
                                  double fMaxHz) {
    std::vector<BandSpan> spans;
    if (!std::isfinite(fMinHz) || !std::isfinite(fMaxHz) || !(fMinHz < fMaxHz)) {
        return spans;
    }
    std::vector<AmateurBand> sorted = bands;
    std::stable_sort(sorted.begin(), sorted.end(), ByLow);
    for (const AmateurBand& b : sorted) {
        if (b.highHz > fMinHz && b.lowHz < fMaxHz) {
            spans.push_back({std::max(b.lowHz, fMinHz), std::min(b.highHz, fMaxHz), b.name});
        }
    }
    return spans;
}
