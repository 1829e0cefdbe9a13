// Fuzzes the .limits reader with arbitrary bytes, and the verdict of the
// limits it accepts on sweeps along and around their lines.
//
// Input: the file's bytes, whole.
//
// Beyond "no crash":
// - a read gives either the limits or a message, never both or neither;
// - a message is one short line of printable text, "line N: ..." with N the
//   errorLine, a line the file has;
// - accepted segments have finite ends, 0 <= F1 < F2 <= 1,000,000 MHz, values
//   within +-1e9, and rising line numbers within the file;
// - each segment is its own line: that line read alone gives the same segment;
// - keywords are read in any case: the text in capitals reads the same;
// - LimitAt is V1 at F1, V2 at F2 and between them in between;
// - the verdict has one entry a segment; its counts, failing stretches, worst
//   point and pass agree with each other and with the file's pass.

#include <QByteArray>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "limits/limits.h"

namespace {

std::size_t LineCount(std::string_view text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
}

std::string_view Line(std::string_view text, int number) {
    for (int n = 1; n < number; ++n) {
        text.remove_prefix(std::min(text.size(), text.find('\n') + 1));
    }
    return text.substr(0, text.find('\n'));
}

bool SameSegment(const LimitSegment& a, const LimitSegment& b) {
    return a.trace == b.trace && a.kind == b.kind && a.f1Hz == b.f1Hz && a.v1 == b.v1 &&
           a.f2Hz == b.f2Hz && a.v2 == b.v2;
}

void CheckVerdict(const LimitSet& limits, const LimitTraceValues& values) {
    const LimitVerdict v = EvaluateLimits(limits, values);
    FUZZ_CHECK(v.segments.size() == limits.segments.size(), "a verdict a segment");
    bool all = true;
    for (const SegmentVerdict& s : v.segments) {
        FUZZ_CHECK(s.checkedPoints >= 0 &&
                       static_cast<std::size_t>(s.checkedPoints) <= values.frequencyHz.size(),
                   "at most every point checked");
        FUZZ_CHECK(s.failedPoints >= 0 && s.failedPoints <= s.checkedPoints,
                   "only checked points fail");
        FUZZ_CHECK(s.pass == (s.failedPoints == 0), "a segment passes without failures");
        FUZZ_CHECK(s.worst.has_value() == (s.checkedPoints > 0), "a worst point when checked");
        if (s.worst) {
            FUZZ_CHECK(*s.worst < values.frequencyHz.size(), "the worst point is a point");
            FUZZ_CHECK((s.worstMargin < 0.0) == !s.pass, "a failing segment's worst fails");
        }
        int failed = 0;
        std::size_t next = 0;
        for (const LimitStretch& r : s.failing) {
            FUZZ_CHECK(r.first >= next && r.first <= r.last && r.last < values.frequencyHz.size(),
                       "stretches rise and lie apart");
            next = r.last + 2;  // a passing or unchecked point between two
            failed += static_cast<int>(r.last - r.first + 1);
        }
        FUZZ_CHECK(failed == s.failedPoints, "the stretches hold every failure");
        all = all && s.pass;
    }
    FUZZ_CHECK(v.pass == all, "the file passes when every segment does");
}

// Points across the first segment's range and a little beyond it, their
// values on, above and below its line.
LimitTraceValues AlongFirst(const LimitSegment& s) {
    LimitTraceValues out;
    constexpr int kPoints = 24;
    const double span = s.f2Hz - s.f1Hz;
    for (int i = 0; i < kPoints; ++i) {
        const double f = s.f1Hz - span / 8 + span * 1.25 * i / (kPoints - 1);
        out.frequencyHz.push_back(f);
        const double limit = LimitAt(s, f);
        for (std::size_t k = 0; k < TraceKindCount; ++k) {
            out.values[k].push_back(limit + ((i + static_cast<int>(k)) % 3 - 1) * 0.5);
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const LimitParse read = ParseLimits(QByteArrayView(data, static_cast<qsizetype>(size)));
    FUZZ_CHECK(read.limits.has_value() == read.error.isEmpty(),
               "a read gives either the limits or a message");

    QByteArray upper(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (char& c : upper) {
        c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    const LimitParse capitals = ParseLimits(upper);

    if (!read.limits) {
        FUZZ_CHECK(
            read.errorLine >= 1 && static_cast<std::size_t>(read.errorLine) <= LineCount(text),
            "the line named is in the file");
        FUZZ_CHECK(read.error.startsWith(QStringLiteral("line %1: ").arg(read.errorLine)),
                   "a refusal begins with its line");
        FUZZ_CHECK(read.error.size() < 200, "a refusal is short");
        FUZZ_CHECK(std::all_of(read.error.begin(), read.error.end(),
                               [](QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x7f; }),
                   "a refusal is printable ASCII on one line");
        FUZZ_CHECK(!capitals.limits && capitals.errorLine == read.errorLine,
                   "in capitals, the same line is refused");
        return 0;
    }

    const LimitSet& limits = *read.limits;
    FUZZ_CHECK(capitals.limits && capitals.limits->segments == limits.segments,
               "in capitals, the same segments");
    int previous = 0;
    for (const LimitSegment& s : limits.segments) {
        FUZZ_CHECK(s.line > previous && static_cast<std::size_t>(s.line) <= LineCount(text),
                   "segments in the file's order, on its lines");
        previous = s.line;
        FUZZ_CHECK(std::isfinite(s.f1Hz) && std::isfinite(s.f2Hz) && s.f1Hz >= 0.0 &&
                       s.f1Hz < s.f2Hz && s.f2Hz <= kMaxLimitMHz * 1e6,
                   "0 <= F1 < F2 within range");
        FUZZ_CHECK(std::isfinite(s.v1) && std::isfinite(s.v2) &&
                       std::fabs(s.v1) <= kMaxLimitValue && std::fabs(s.v2) <= kMaxLimitValue,
                   "values finite and within range");
        const std::string_view own = Line(text, s.line);
        const LimitParse alone =
            ParseLimits(QByteArrayView(own.data(), static_cast<qsizetype>(own.size())));
        FUZZ_CHECK(alone.limits && alone.limits->segments.size() == 1 &&
                       SameSegment(alone.limits->segments[0], s),
                   "a segment is its own line");
        FUZZ_CHECK(LimitAt(s, s.f1Hz) == s.v1 && LimitAt(s, s.f2Hz) == s.v2, "ends exact");
        const double mid = LimitAt(s, s.f1Hz + (s.f2Hz - s.f1Hz) / 3);
        const double slack = 1e-9 * std::max({std::fabs(s.v1), std::fabs(s.v2), 1.0});
        FUZZ_CHECK(mid >= std::min(s.v1, s.v2) - slack && mid <= std::max(s.v1, s.v2) + slack,
                   "the line lies between its ends");
    }

    CheckVerdict(limits, LimitTraceValues{});
    if (!limits.segments.empty()) {
        CheckVerdict(limits, AlongFirst(limits.segments.front()));
    }
    return 0;
}
