#include "command_reader.h"

#include <limits>

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
                              Fault::GarbageHigh, Fault::Hangup}) {
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
    }
    return {};
}

Outgoing ApplyFault(Fault fault, QByteArray reply, std::mt19937& random) {
    Outgoing out{std::move(reply), fault, -1};
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
    }
    return out;
}

}  // namespace Sim
