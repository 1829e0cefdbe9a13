#include "measure/trace_pixels.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr double kJoinTolerance = 1.0 / 64.0;  // pixels

// The points of one device pixel column met so far along a polyline. Their
// sequence numbers keep the lowest and highest in path order.
struct Column {
    double key = 0.0;  // floor(x * ratio)
    QPointF first, low, high, last;
    std::uint64_t lowAt = 0, highAt = 0;
    bool open = false;
};

class Thinner {
public:
    Thinner(double ratio, TracePolylines& out) : ratio_(ratio), out_(out) {}

    void add(QPointF p) {
        const double key = std::floor(p.x() * ratio_);
        ++seq_;
        if (col_.open && key == col_.key) {
            col_.last = p;
            if (p.y() < col_.low.y()) {
                col_.low = p;
                col_.lowAt = seq_;
            }
            if (p.y() > col_.high.y()) {
                col_.high = p;
                col_.highAt = seq_;
            }
            return;
        }
        flush();
        col_ = Column{key, p, p, p, p, seq_, seq_, true};
        firstAt_ = seq_;
    }

    // Ends the polyline: its last column goes out, then its end is marked.
    void endRun() {
        flush();
        const std::size_t start = runStart();
        if (out_.points.size() == start) {
            return;
        }
        if (out_.points.size() == start + 1) {
            // A segment of no length still lights its pixel, as a line would.
            out_.points.push_back(out_.points.back());
        }
        out_.runEnds.push_back(out_.points.size());
    }

private:
    void put(QPointF p) {
        if (out_.points.size() == runStart() || out_.points.back().x() != p.x() ||
            out_.points.back().y() != p.y()) {
            out_.points.push_back(p);
        }
    }

    std::size_t runStart() const { return out_.runEnds.empty() ? 0 : out_.runEnds.back(); }

    void flush() {
        if (!col_.open) {
            return;
        }
        put(col_.first);
        // The extremes between, in the order the path met them.
        const bool lowFirst = col_.lowAt <= col_.highAt;
        const QPointF& a = lowFirst ? col_.low : col_.high;
        const QPointF& b = lowFirst ? col_.high : col_.low;
        const std::uint64_t aAt = lowFirst ? col_.lowAt : col_.highAt;
        const std::uint64_t bAt = lowFirst ? col_.highAt : col_.lowAt;
        if (aAt != firstAt_) {
            put(a);
        }
        if (bAt != firstAt_) {
            put(b);
        }
        put(col_.last);
        col_.open = false;
    }

    double ratio_;
    TracePolylines& out_;
    Column col_;
    std::uint64_t seq_ = 0;
    std::uint64_t firstAt_ = 0;
};

bool Near(QPointF a, QPointF b) {
    return std::fabs(a.x() - b.x()) <= kJoinTolerance && std::fabs(a.y() - b.y()) <= kJoinTolerance;
}

}  // namespace

void TracePolylines::clear() {
    points.clear();
    runEnds.clear();
    segments = 0;
}

void ToPixelPolylines(const std::vector<Segment>& segments, double pixelsPerTwipX,
                      double pixelsPerTwipY, double devicePixelRatio, TracePolylines& out) {
    out.clear();
    out.segments = segments.size();
    if (segments.empty()) {
        return;
    }
    out.points.reserve(segments.size() + 1);
    Thinner thin(devicePixelRatio < 1.0 ? 1.0 : devicePixelRatio, out);
    const double kx = pixelsPerTwipX;
    const double ky = pixelsPerTwipY;
    QPointF end;  // where the previous segment ended, before thinning
    bool open = false;
    for (const Segment& s : segments) {
        const QPointF a(s.x1 * kx, s.y1 * ky);
        if (!open || !Near(a, end)) {
            thin.endRun();
            thin.add(a);
            open = true;
        }
        end = QPointF(s.x2 * kx, s.y2 * ky);
        thin.add(end);
    }
    thin.endRun();
}
