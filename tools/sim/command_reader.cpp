#include "command_reader.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "instrument/protocol.h"

namespace Sim {

std::optional<std::int32_t> ParseCommandLine(QByteArrayView line) {
    bool negative = false;
    qsizetype i = 0;
    if (!line.isEmpty() && (line[0] == ' ' || line[0] == '-')) {
        negative = line[0] == '-';
        i = 1;
    }
    if (i == line.size()) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (; i < line.size(); ++i) {
        const char c = line[i];
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
        if (value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) {
            return std::nullopt;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

void CommandReader::feed(QByteArrayView bytes, qint64 nowMs, std::vector<Event>* events) {
    for (const char c : bytes) {
        if (c == '\n') {
            continue;
        }
        if (c != '\r') {
            if (line_.size() < kMaxLineBytes) {
                line_ += c;
            } else {
                lineTooLong_ = true;
            }
            continue;
        }
        const std::optional<std::int32_t> value =
            lineTooLong_ ? std::nullopt : ParseCommandLine(line_);
        if (!value) {
            events->push_back({Event::Kind::Garbage, line_, {}});
        } else {
            if (!values_.empty() && nowMs - lastLineMs_ > kMaxGapMs) {
                events->push_back({Event::Kind::DroppedPartial, {}, {}});
                values_.clear();
            }
            lastLineMs_ = nowMs;
            events->push_back({Event::Kind::Line, line_, {}});
            values_.push_back(*value);
            if (values_.size() == 4) {
                events->push_back(
                    {Event::Kind::Command, {}, {values_[0], values_[1], values_[2], values_[3]}});
                values_.clear();
            }
        }
        line_.clear();
        lineTooLong_ = false;
    }
}

std::optional<Fault> FaultFromName(const QString& name) {
    for (const Fault fault : {Fault::None, Fault::Silent, Fault::Short, Fault::Surplus,
                              Fault::GarbageHigh, Fault::Hangup, Fault::Late, Fault::Slow}) {
        if (name == FaultName(fault)) {
            return fault;
        }
    }
    return std::nullopt;
}

QString FaultName(Fault fault) {
    switch (fault) {
        case Fault::None:
            return QStringLiteral("none");
        case Fault::Silent:
            return QStringLiteral("silent");
        case Fault::Short:
            return QStringLiteral("short");
        case Fault::Surplus:
            return QStringLiteral("surplus");
        case Fault::GarbageHigh:
            return QStringLiteral("garbage-high");
        case Fault::Hangup:
            return QStringLiteral("hangup");
        case Fault::Late:
            return QStringLiteral("late");
        case Fault::Slow:
            return QStringLiteral("slow");
    }
    return {};
}

namespace {

constexpr double kLongestLateMs = 600000.0;

// The figure after "name:", when it is a finite number within lo..hi.
std::optional<double> FigureOf(const QString& text, double lo, double hi, bool above) {
    bool ok = false;
    const double value = text.toDouble(&ok);  // QString::toDouble is locale-free
    if (!ok || !std::isfinite(value) || value < lo || value > hi || (above && value == lo)) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<FaultSetting> ParseFaultSetting(const QString& text, QString* why) {
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    const QString name = text.left(colon);
    const QString figure = colon < 0 ? QString() : text.mid(colon + 1);
    const auto fail = [&](const QString& reason) -> std::optional<FaultSetting> {
        *why = reason;
        return std::nullopt;
    };
    if (name == QLatin1String("random")) {
        const auto p = FigureOf(figure, 0.0, 1.0, false);
        if (!p) {
            return fail(QStringLiteral("random:P wants P between 0 and 1"));
        }
        return FaultSetting{Fault::None, 0.0, *p};
    }
    const std::optional<Fault> fault = FaultFromName(name);
    if (fault == Fault::Late) {
        const auto ms = FigureOf(figure, 0.0, kLongestLateMs, false);
        if (!ms || *ms != std::floor(*ms)) {
            return fail(QStringLiteral("late:MS wants whole milliseconds from 0 to %1")
                            .arg(kLongestLateMs));
        }
        return FaultSetting{Fault::Late, *ms, 0.0};
    }
    if (fault == Fault::Slow) {
        const auto f = FigureOf(figure, 0.0, 1.0, true);
        if (!f) {
            return fail(QStringLiteral("slow:F wants F above 0 and at most 1"));
        }
        return FaultSetting{Fault::Slow, *f, 0.0};
    }
    if (!fault || colon >= 0) {
        return fail(QStringLiteral("unknown --fault %1").arg(text));
    }
    return FaultSetting{*fault, 0.0, 0.0};
}

double RandomFaultFigure(Fault fault, qsizetype replyBytes, std::mt19937& random) {
    const auto deadline = static_cast<double>(ReplyDeadlineMs(replyBytes));
    const double wireMs = static_cast<double>(replyBytes) * 10.0 * 1000.0 / kBaudRate;
    // When the reply ends: as often before the deadline as after it, and
    // never sooner than the wire allows (a slow reply is at most 0.8 x the
    // rate). The deadline exceeds 1.25 x the wire time, so lo < deadline.
    const double lo = std::max(deadline / 2.0, (fault == Fault::Slow ? 1.25 : 1.0) * wireMs);
    const double endMs = std::uniform_real_distribution<double>(lo, 2.0 * deadline - lo)(random);
    switch (fault) {
        case Fault::Late:
            return std::floor(endMs - wireMs);  // counted as if paced
        case Fault::Slow:
            return wireMs / endMs;
        default:
            return 0.0;
    }
}

QString FaultText(const Outgoing& out) {
    switch (out.fault) {
        case Fault::Late:
            return QStringLiteral("late:%1").arg(out.delayMs);
        case Fault::Slow:
            return QStringLiteral("slow:%1").arg(out.rate, 0, 'g', 3);
        default:
            return FaultName(out.fault);
    }
}

Outgoing ApplyFault(Fault fault, QByteArray reply, std::mt19937& random, double figure) {
    Outgoing out{std::move(reply), fault, -1, 0, 0.0};
    QByteArray& bytes = out.bytes;
    switch (fault) {
        case Fault::None:
            break;
        case Fault::Silent:
            bytes.clear();
            break;
        case Fault::Short: {
            const qsizetype missing = qMin<qsizetype>(1 + random() % 7, bytes.size() - 1);
            bytes.chop(qMax<qsizetype>(missing, 0));
            break;
        }
        case Fault::Surplus: {
            const int extra = 1 + static_cast<int>(random() % 8);
            for (int i = 0; i < extra; ++i) {
                bytes += static_cast<char>(random() & 0xFF);
            }
            break;
        }
        case Fault::GarbageHigh: {
            const qsizetype records = bytes.size() / 4;
            bool spoiled = false;
            for (qsizetype k = 0; k < records; ++k) {
                const bool last = k == records - 1;
                if (random() % 10 != 0 && !(last && !spoiled)) {
                    continue;
                }
                // Byte 2 of a record is the phase's high part, byte 4 the magnitude's.
                const qsizetype at = 4 * k + ((random() & 1) ? 1 : 3);
                bytes[at] = static_cast<char>(4 + random() % 252);
                spoiled = true;
            }
            break;
        }
        case Fault::Hangup:
            out.hangupAfter = bytes.size() / 2;
            break;
        case Fault::Late:
            out.delayMs = static_cast<std::int64_t>(figure);
            break;
        case Fault::Slow:
            out.rate = figure;
            break;
    }
    return out;
}

}  // namespace Sim
