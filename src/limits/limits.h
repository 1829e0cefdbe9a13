#pragma once

#include <QByteArrayView>
#include <QString>

#include <array>
#include <cstddef>
#include <optional>
#include <vector>

#include "common/trace_kind.h"
#include "files/sweep_export.h"

// Limit lines: a .limits file of straight segments over frequency, each a
// ceiling or a floor for one trace, and the verdict of a sweep against them.
//
// The file is plain text, one segment a line:
//     TRACE max|min F1_MHZ V1 F2_MHZ V2
// TRACE is loss, phase, swr, rs, xs or z (the values the window shows for that
// trace); keywords in any case; "#" starts a comment; blank lines are ignored.
// Fields are parted by blanks (spaces, tabs); a line may end in CR LF.
// Numbers are read without the locale: "7.05", "-3", "+3", "1e3" are numbers,
// "7,0" is not. A line is refused, naming it, when
// - a field is missing or text follows V2 (a comment needs its "#"),
// - a number is not finite, a frequency lies below 0 or above 1,000,000 MHz,
//   or a value beyond +-1e9 (so the line's arithmetic stays finite),
// - F1 is not below F2.
// One refused line refuses the whole file. A file with no segment is valid,
// and passes.

using LimitTrace = TraceKind;
enum class LimitKind { Max, Min };

struct LimitSegment {
    LimitTrace trace = LimitTrace::Loss;
    LimitKind kind = LimitKind::Max;
    double f1Hz = 0.0, v1 = 0.0, f2Hz = 0.0, v2 = 0.0;  // f1Hz < f2Hz
    int line = 0;                                       // of the file, from 1

    friend bool operator==(const LimitSegment&, const LimitSegment&) = default;
};

struct LimitSet {
    std::vector<LimitSegment> segments;  // in file order
};

struct LimitParse {
    std::optional<LimitSet> limits;
    int errorLine = 0;  // with error
    QString error;      // one line, "line 3: unknown trace ...", when limits is empty
};

constexpr double kMaxLimitMHz = 1.0e6;
constexpr double kMaxLimitValue = 1.0e9;

// Safe on any bytes.
LimitParse ParseLimits(QByteArrayView text);

// The straight line between the ends, exactly V1 at F1 and V2 at F2.
double LimitAt(const LimitSegment& s, double fHz);

// "loss", "phase", "swr", "rs", "xs", "z".
const char* LimitTraceName(LimitTrace trace);
const char* LimitKindName(LimitKind kind);  // "max", "min"

// The first segment on a trace the mode does not show (the Transmission mode
// shows only loss and phase), as "line N: ...", or nothing.
std::optional<QString> LimitsModeRefusal(const LimitSet& limits, bool transmission);

// What the window shows per trace at each point 1..Champ: frequency (Hz) and
// the six values in TraceKind order: loss in dB after the offsets and the
// normalisation (as the readouts and the .csv work it, without the .csv's
// caloffsetvalue), phase in degrees, SWR, Rs, |Xs|, |Z| in ohm (the graph's
// conversion). Index k is point k + 1. A sweep no export would take gives
// no points.
struct LimitTraceValues {
    std::vector<double> frequencyHz;
    std::array<std::vector<double>, TraceKindCount> values;
};
LimitTraceValues LimitTraceValuesOf(const SweepExportInput& sweep);
// The same into values kept from tick to tick: their memory is reused, so a
// tick allocates nothing once they have held a sweep as long.
void LimitTraceValuesOf(const SweepExportInput& sweep, LimitTraceValues& into);

struct LimitStretch {
    std::size_t first, last;  // indices into frequencyHz, inclusive
};

// Margin: for max, limit - value; for min, value - limit. A point is checked
// when its frequency lies within [F1, F2]; it passes with a margin of 0 or
// more. A margin within a rounding's width of 0 (1e-9 of the larger of the
// value and the limit, at least 1e-9) is taken as 0, so a point the file
// puts on a sloped line is on it.
struct SegmentVerdict {
    bool pass = true;
    int checkedPoints = 0;
    int failedPoints = 0;
    std::optional<std::size_t> worst;  // the point of least margin (the first of equals)
    double worstFrequencyHz = 0, worstValue = 0, worstMargin = 0;
    std::vector<LimitStretch> failing;  // runs of failing checked points, rising
};

struct LimitVerdict {
    bool pass = true;
    std::vector<SegmentVerdict> segments;  // file order
};

// Each segment on its own: where segments overlap, a point answers to each.
// Linear in points x segments.
LimitVerdict EvaluateLimits(const LimitSet& limits, const LimitTraceValues& values);
