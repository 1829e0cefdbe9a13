#include "limits/limits.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>
#include <variant>

#include "common/trimmed.h"
#include "common/vector_state.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// A field quoted in a message: printable ASCII only and short, so the
// message stays one line whatever the file holds.
QString Quoted(std::string_view field) {
    constexpr std::size_t kMost = 24;
    QString out = QStringLiteral("\"");
    for (std::size_t i = 0; i < field.size() && i < kMost; ++i) {
        const auto c = static_cast<unsigned char>(field[i]);
        out += c >= 0x20 && c < 0x7f ? QLatin1Char(static_cast<char>(c)) : QLatin1Char('?');
    }
    return out + (field.size() > kMost ? QStringLiteral("...\"") : QStringLiteral("\""));
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

std::vector<std::string_view> Fields(std::string_view line) {
    return ::Fields(line, IsBlank);
}

// The whole field as a number: an optional sign, digits, a point, an
// exponent. from_chars takes no "+" and knows no locale.
std::optional<double> Number(std::string_view field) {
    if (field.size() > 1 && field.front() == '+' && field[1] != '-') {
        field.remove_prefix(1);
    }
    double value = 0.0;
    const char* end = field.data() + field.size();
    const auto [ptr, ec] = std::from_chars(field.data(), end, value, std::chars_format::general);
    if (ec != std::errc() || ptr != end) {
        return std::nullopt;
    }
    return value;
}

constexpr std::array<const char*, 4> kNames{"F1", "V1", "F2", "V2"};

struct LineError {
    QString why;
};

// One segment's line (comment and blanks already off), or why not.
std::variant<LimitSegment, LineError> SegmentOf(std::string_view line) {
    const std::vector<std::string_view> f = Fields(line);
    const std::optional<TraceKind> trace = TraceKindNamed(Lower(f[0]));
    if (!trace) {
        return LineError{
            QStringLiteral("unknown trace %1 (loss, phase, swr, rs, xs or z)").arg(Quoted(f[0]))};
    }
    if (f.size() < 2) {
        return LineError{QStringLiteral("max or min wanted after %1").arg(Quoted(f[0]))};
    }
    const std::string kind = Lower(f[1]);
    if (kind != "max" && kind != "min") {
        return LineError{QStringLiteral("unknown kind %1 (max or min)").arg(Quoted(f[1]))};
    }
    if (f.size() < 6) {
        return LineError{
            QStringLiteral("4 numbers wanted after \"%1 %2\" (F1 in MHz, V1, F2 in "
                           "MHz, V2), found %3")
                .arg(QLatin1String(LimitTraceName(*trace)), QString::fromStdString(kind))
                .arg(f.size() - 2)};
    }
    if (f.size() > 6) {
        return LineError{QStringLiteral("%1 after V2 (a comment begins with #)").arg(Quoted(f[6]))};
    }
    std::array<double, 4> n{};
    for (std::size_t k = 0; k < 4; ++k) {
        const std::string_view field = f[k + 2];
        const std::optional<double> v = Number(field);
        if (!v || !std::isfinite(*v)) {
            const bool comma = field.find(',') != std::string_view::npos;
            return LineError{QStringLiteral("%1 %2 is not a number%3")
                                 .arg(QLatin1String(kNames[k]), Quoted(field),
                                      comma ? QStringLiteral(" (\".\" for decimals)") : QString())};
        }
        const bool frequency = k % 2 == 0;
        if (frequency && (*v < 0.0 || *v > kMaxLimitMHz)) {
            return LineError{QStringLiteral("%1 %2 MHz lies outside 0 to 1000000 MHz")
                                 .arg(QLatin1String(kNames[k]), Quoted(field))};
        }
        if (!frequency && std::fabs(*v) > kMaxLimitValue) {
            return LineError{QStringLiteral("%1 %2 lies beyond +-1e9")
                                 .arg(QLatin1String(kNames[k]), Quoted(field))};
        }
        n[k] = *v;
    }
    if (!(n[0] < n[2])) {
        return LineError{
            QStringLiteral("F1 %1 MHz is not below F2 %2 MHz").arg(Quoted(f[2]), Quoted(f[4]))};
    }
    return LimitSegment{
        *trace, kind == "max" ? LimitKind::Max : LimitKind::Min, n[0] * 1e6, n[1], n[2] * 1e6, n[3],
        0};
}

}  // namespace

LimitParse ParseLimits(QByteArrayView bytes) {
    std::string_view text(bytes.data(), static_cast<std::size_t>(bytes.size()));
    if (text.starts_with("\xEF\xBB\xBF")) {  // a UTF-8 mark some editors write
        text.remove_prefix(3);
    }
    LimitSet set;
    int number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
        if (const std::size_t hash = line.find('#'); hash != std::string_view::npos) {
            line = line.substr(0, hash);
        }
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        line = Trimmed(line, IsBlank);
        if (line.empty()) {
            continue;
        }
        auto segment = SegmentOf(line);
        if (const auto* error = std::get_if<LineError>(&segment)) {
            return {std::nullopt, number,
                    QStringLiteral("line %1: %2").arg(QString::number(number), error->why)};
        }
        LimitSegment s = std::get<LimitSegment>(segment);
        s.line = number;
        set.segments.push_back(s);
    }
    return {std::move(set), 0, {}};
}

double LimitAt(const LimitSegment& s, double fHz) {
    if (fHz == s.f1Hz) {
        return s.v1;
    }
    if (fHz == s.f2Hz) {
        return s.v2;
    }
    return s.v1 + (s.v2 - s.v1) * ((fHz - s.f1Hz) / (s.f2Hz - s.f1Hz));
}

const char* LimitTraceName(LimitTrace trace) {
    return TraceKindName(trace).data();  // the names are literals, so 0-terminated
}

const char* LimitKindName(LimitKind kind) {
    return kind == LimitKind::Max ? "max" : "min";
}

std::optional<QString> LimitsModeRefusal(const LimitSet& limits, bool transmission) {
    if (!transmission) {
        return std::nullopt;
    }
    for (const LimitSegment& s : limits.segments) {
        if (s.trace != LimitTrace::Loss && s.trace != LimitTrace::Phase) {
            return QStringLiteral(
                       "line %1: the Transmission mode shows no %2 (only loss and phase)")
                .arg(s.line)
                .arg(QLatin1String(LimitTraceName(s.trace)));
        }
    }
    return std::nullopt;
}

LimitTraceValues LimitTraceValuesOf(const SweepExportInput& sweep) {
    LimitTraceValues out;
    LimitTraceValuesOf(sweep, out);
    return out;
}

void LimitTraceValuesOf(const SweepExportInput& sweep, LimitTraceValues& into) {
    const std::size_t points =
        SweepExportRefusal(sweep) ? 0 : static_cast<std::size_t>(sweep.Champ);
    into.frequencyHz.resize(points);
    for (auto& v : into.values) {
        v.resize(points);
    }
    if (points == 0) {
        return;
    }
    ClearUpperVectorState();  // pow, cos and sin at the points the tables miss
    PointConverter convert(sweep.CalOffsetDb, sweep.LossOffset);
    const SweepLoss loss(sweep);
    auto& v = into.values;
    for (std::size_t k = 0; k < points; ++k) {
        const std::size_t at = k + 1;
        const PointValues p = SweepPointValues(convert, sweep, at);
        into.frequencyHz[k] = SweepPointHz(sweep, static_cast<std::int32_t>(at));
        v[static_cast<std::size_t>(TraceKind::Loss)][k] = loss(at);
        v[static_cast<std::size_t>(TraceKind::Phase)][k] =
            SweepPhaseDegrees(sweep.PhaseSamples[at]);
        v[static_cast<std::size_t>(TraceKind::Swr)][k] = p.Swr;
        v[static_cast<std::size_t>(TraceKind::Rs)][k] = p.Rs;
        v[static_cast<std::size_t>(TraceKind::Xs)][k] = p.Xs;
        v[static_cast<std::size_t>(TraceKind::Z)][k] = p.Zmag;
    }
}

namespace {

double MarginOf(const LimitSegment& s, double limit, double value) {
    const double margin = s.kind == LimitKind::Max ? limit - value : value - limit;
    const double width = 1e-9 * std::max({std::fabs(limit), std::fabs(value), 1.0});
    return std::fabs(margin) <= width ? 0.0 : margin;
}

SegmentVerdict Evaluate(const LimitSegment& s, const std::vector<double>& frequency,
                        const std::vector<double>& value) {
    SegmentVerdict r;
    const std::size_t points = std::min(frequency.size(), value.size());
    bool inStretch = false;
    for (std::size_t i = 0; i < points; ++i) {
        const double f = frequency[i];
        if (!(f >= s.f1Hz && f <= s.f2Hz)) {
            inStretch = false;
            continue;
        }
        ++r.checkedPoints;
        // Not finite: failing, and worse than any finite point.
        const double margin =
            std::isfinite(value[i]) ? MarginOf(s, LimitAt(s, f), value[i]) : -HUGE_VAL;
        if (!r.worst || margin < r.worstMargin) {
            r.worst = i;
            r.worstFrequencyHz = f;
            r.worstValue = value[i];
            r.worstMargin = margin;
        }
        if (margin >= 0.0) {
            inStretch = false;
            continue;
        }
        ++r.failedPoints;
        if (inStretch) {
            r.failing.back().last = i;
        } else {
            r.failing.push_back({i, i});
            inStretch = true;
        }
    }
    r.pass = r.failedPoints == 0;
    return r;
}

}  // namespace

LimitVerdict EvaluateLimits(const LimitSet& limits, const LimitTraceValues& values) {
    LimitVerdict out;
    out.segments.reserve(limits.segments.size());
    for (const LimitSegment& s : limits.segments) {
        out.segments.push_back(
            Evaluate(s, values.frequencyHz, values.values[static_cast<std::size_t>(s.trace)]));
        out.pass = out.pass && out.segments.back().pass;
    }
    return out;
}
