#include "measure/trace_pixels.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

constexpr double kJoinTolerance = 1.0 / 64.0;  // pixels
// Beyond this many pixels outside the top or bottom edge a one-pixel pen
// lights nothing inside.
constexpr double kOutside = 2.0;

struct Pt {
    double x = 0.0;
    double y = 0.0;
};

bool Near(Pt a, Pt b) {
    return std::fabs(a.x - b.x) <= kJoinTolerance && std::fabs(a.y - b.y) <= kJoinTolerance;
}

// floor(v) without a call into the maths library, for the many points of a
// trace; beyond the range a 64-bit integer holds, the library's.
double Floor(double v) {
    if (!(std::fabs(v) < 4.0e18)) {
        return std::floor(v);
    }
    const double t = static_cast<double>(static_cast<std::int64_t>(v));
    return t > v ? t - 1.0 : t;
}

}  // namespace

void TracePolylines::clear() {
    points.clear();
    runEnds.clear();
    segments = 0;
    rising = true;
}

void ToPixelPolylines(std::span<const Segment> segments, double pixelsPerTwipX,
                      double pixelsPerTwipY, double devicePixelRatio, TracePolylines& out,
                      double height) {
    out.clear();
    out.segments = segments.size();
    if (segments.empty()) {
        return;
    }
    std::vector<QPointF>& points = out.points;
    points.reserve(segments.size() + 1);
    const double ratio = devicePixelRatio < 1.0 ? 1.0 : devicePixelRatio;
    const double kx = pixelsPerTwipX;
    const double ky = pixelsPerTwipY;
    const double top = -kOutside;
    const double bottom = height + kOutside;
    // -1 beyond the top edge, 1 beyond the bottom edge, else 0.
    const auto side = [top, bottom](double y) { return y < top ? -1 : y > bottom ? 1 : 0; };

    // The polyline being thinned starts at runStart. The points of one
    // device pixel column met so far are kept as the first, the lowest, the
    // highest and the last; their sequence numbers keep the extremes in path
    // order. All of it lives in locals, which the loop keeps in registers.
    std::size_t runStart = 0;
    bool open = false;
    double key = 0.0;  // the open column is floor(x * ratio) == key
    Pt first, low, high, last;
    std::uint64_t seq = 0, firstAt = 0, lowAt = 0, highAt = 0;

    const auto put = [&](Pt p) {
        const std::size_t n = points.size();
        if (n > runStart && points.back().x() == p.x && points.back().y() == p.y) {
            return;
        }
        // Between two points beyond the same edge, a third beyond it lights
        // nothing: the path goes straight on. Far off the graph (an SWR of
        // hundreds) this leaves a run of columns at two points.
        if (n >= runStart + 2) {
            const int s = side(p.y);
            if (s != 0 && side(points[n - 1].y()) == s && side(points[n - 2].y()) == s) {
                points[n - 1] = QPointF(p.x, p.y);
                return;
            }
        }
        points.emplace_back(p.x, p.y);
    };
    const auto flush = [&] {
        if (!open) {
            return;
        }
        put(first);
        // The extremes between, in the order the path met them.
        const bool lowFirst = lowAt <= highAt;
        if ((lowFirst ? lowAt : highAt) != firstAt) {
            put(lowFirst ? low : high);
        }
        if ((lowFirst ? highAt : lowAt) != firstAt) {
            put(lowFirst ? high : low);
        }
        put(last);
        open = false;
    };
    const auto add = [&](Pt p) {
        const double column = p.x * ratio;
        ++seq;
        if (open && column >= key && column < key + 1.0) {
            last = p;
            if (p.y < low.y) {
                low = p;
                lowAt = seq;
            }
            if (p.y > high.y) {
                high = p;
                highAt = seq;
            }
            return;
        }
        flush();
        key = Floor(column);
        first = low = high = last = p;
        firstAt = lowAt = highAt = seq;
        open = true;
    };
    // Ends the polyline: its last column goes out, then its end is marked.
    const auto endRun = [&] {
        flush();
        const std::size_t size = points.size();
        if (size == runStart) {
            return;
        }
        if (size == runStart + 1) {
            // A segment of no length still lights its pixel, as a line would.
            points.push_back(points.back());
        }
        out.runEnds.push_back(points.size());
        runStart = points.size();
    };

    Pt end;  // where the previous segment ended, before thinning
    const Segment* previous = nullptr;
    for (const Segment& s : segments) {
        // Most segments start where the one before ended, to the bit.
        const bool joined = previous != nullptr && s.x1 == previous->x2 && s.y1 == previous->y2;
        if (!joined) {
            const Pt a{s.x1 * kx, s.y1 * ky};
            if (previous == nullptr || !Near(a, end)) {
                endRun();
                add(a);
            }
        }
        end = Pt{s.x2 * kx, s.y2 * ky};
        add(end);
        previous = &s;
    }
    endRun();
    out.rising = std::is_sorted(points.begin(), points.end(),
                                [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); });
}

std::pair<std::size_t, std::size_t> PointsWithin(const TracePolylines& pixels, std::size_t first,
                                                 std::size_t last, double fromX, double toX) {
    if (!pixels.rising) {
        return {first, last};
    }
    // A one-pixel pen lights nothing more than this beyond a segment's ends.
    constexpr double kReach = 2.0;
    const auto begin = pixels.points.begin();
    const auto in = std::lower_bound(begin + static_cast<std::ptrdiff_t>(first),
                                     begin + static_cast<std::ptrdiff_t>(last), fromX - kReach,
                                     [](const QPointF& p, double x) { return p.x() < x; });
    const auto out = std::upper_bound(in, begin + static_cast<std::ptrdiff_t>(last), toX + kReach,
                                      [](double x, const QPointF& p) { return x < p.x(); });
    const auto from = static_cast<std::size_t>(in - begin);
    const auto to = static_cast<std::size_t>(out - begin);
    return {from > first ? from - 1 : first, to < last ? to + 1 : last};
}
