#include "cycle/marker_search.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "common/display_format.h"

namespace {

double Value(const std::string& text) {
    if (text == NoValueText) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    return ParseReadout(text);
}

// In hundredths, as the readouts round them, so that 8.37 reaches 5.37 + 3.
long long Hundredths(double v) {
    return std::llround(v * 100.0);
}

template <class Better>
std::optional<std::int32_t> BestAt(const ReadoutPoints& p, const std::vector<double>& values,
                                   Better better) {
    std::optional<std::size_t> best;
    for (std::size_t k = 0; k < values.size(); ++k) {
        if (!std::isnan(values[k]) && (!best || better(values[k], values[*best]))) {
            best = k;
        }
    }
    if (!best) {
        return std::nullopt;
    }
    return p.index[*best];
}

}  // namespace

MarkerPoints MarkerPointsOf(std::int32_t Champ, std::int16_t Step) {
    const std::int32_t step = std::max<std::int32_t>(Step, 1);
    const std::int32_t champ = std::max<std::int32_t>(Champ, 1);
    if (step > champ) {
        return {champ, champ, step};
    }
    return {step, champ / step * step, step};
}

std::optional<std::int32_t> MarkerPointAt(double hz, double FMin, double FreqStep,
                                          const MarkerPoints& points) {
    if (!(FreqStep > 0.0) || !std::isfinite(hz)) {
        return std::nullopt;
    }
    const double position = (hz - FMin) / FreqStep;  // in points
    const double step = points.step;
    if (position < points.first - step / 2.0 || position > points.last + step / 2.0) {
        return std::nullopt;
    }
    const double k = std::round((position - points.first) / step);
    const auto index = static_cast<std::int32_t>(points.first + k * step);
    return std::clamp(index, points.first, points.last);
}

MarkerKeyResult MarkerKeyMove(MarkerKey key, bool shift, int active, std::int32_t index,
                              const MarkerPoints& points) {
    MarkerKeyResult r;
    r.active = active == 2 ? 2 : 1;
    if (points.first == points.last) {
        if (key == MarkerKey::One || key == MarkerKey::Two) {
            r.active = key == MarkerKey::One ? 1 : 2;
        } else {
            r.moveTo = points.first;
        }
        return r;
    }
    // Point numbers 1 .. count along the marker points.
    const std::int32_t count = points.last / points.step;
    const std::int32_t here = std::clamp<std::int32_t>(
        static_cast<std::int32_t>(std::lround(static_cast<double>(index) / points.step)), 1, count);
    const std::int32_t hundredth = std::max<std::int32_t>(
        1, static_cast<std::int32_t>(
               std::lround(static_cast<double>(points.last) / 100.0 / points.step)));
    const std::int32_t by = shift ? hundredth : 1;
    std::int32_t to = here;
    switch (key) {
        case MarkerKey::One:
            r.active = 1;
            return r;
        case MarkerKey::Two:
            r.active = 2;
            return r;
        case MarkerKey::Left:
            to = here - by;
            break;
        case MarkerKey::Right:
            to = here + by;
            break;
        case MarkerKey::Home:
            to = 1;
            break;
        case MarkerKey::End:
            to = count;
            break;
    }
    r.moveTo = std::clamp<std::int32_t>(to, 1, count) * points.step;
    return r;
}

float MarkerLineX(std::int32_t index, float W, std::int32_t Champ) {
    if (Champ < 1) {
        return 0.0f;
    }
    return static_cast<float>(static_cast<double>(index) * W / Champ);
}

ReadoutPoints ReadoutValuesAt(const MarkerReadoutInputs& base, const MarkerPoints& points) {
    ReadoutPoints p;
    const std::size_t count =
        static_cast<std::size_t>((points.last - points.first) / points.step) + 1;
    p.index.reserve(count);
    p.swr.reserve(count);
    p.z.reserve(count);
    p.loss.reserve(count);
    MarkerReadoutInputs in = base;
    for (std::int32_t i = points.first; i <= points.last; i += points.step) {
        in.Index = i;
        const MarkerReadout r = ComputeMarkerReadout(in);
        p.index.push_back(i);
        p.swr.push_back(Value(r.Swr));
        p.z.push_back(Value(r.Z));
        p.loss.push_back(Value(r.Loss));
    }
    return p;
}

std::optional<std::int32_t> LowestAt(const ReadoutPoints& p, const std::vector<double>& values) {
    return BestAt(p, values, [](double a, double b) { return a < b; });
}

std::optional<std::int32_t> HighestAt(const ReadoutPoints& p, const std::vector<double>& values) {
    return BestAt(p, values, [](double a, double b) { return a > b; });
}

EitherSide NearestReaching(const ReadoutPoints& p, const std::vector<double>& values,
                           std::int32_t centre, double threshold) {
    EitherSide sides;
    const long long limit = Hundredths(threshold);
    const auto reaches = [&](std::size_t k) {
        return !std::isnan(values[k]) && Hundredths(values[k]) >= limit;
    };
    // Where centre lies among the points (the first at or beyond it).
    const auto at = static_cast<std::size_t>(
        std::lower_bound(p.index.begin(), p.index.end(), centre) - p.index.begin());
    for (std::size_t k = at; k-- > 0;) {
        if (p.index[k] < centre && reaches(k)) {
            sides.below = p.index[k];
            break;
        }
    }
    for (std::size_t k = at; k < p.index.size(); ++k) {
        if (p.index[k] > centre && reaches(k)) {
            sides.above = p.index[k];
            break;
        }
    }
    return sides;
}
