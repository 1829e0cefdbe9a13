#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <optional>
#include <random>
#include <vector>

#include "dut_models.h"

namespace Sim {

// The value of one command line without its CR: one optional leading blank or
// "-", then decimal digits that fit a 32-bit signed integer. Nothing else.
std::optional<std::int32_t> ParseCommandLine(QByteArrayView line);

// Assembles received bytes into command lines (ended by CR, LF ignored) and
// every four good lines into a sweep command. Bad lines are reported and do
// not count. A partial command older than the gap limit is dropped, so that a
// client that died half-way through a command cannot misalign every later one.
class CommandReader {
public:
    struct Event {
        enum class Kind { Line, Command, Garbage, DroppedPartial };
        Kind kind = Kind::Line;
        QByteArray text;       // the line as received (Line, Garbage)
        SweepCommand command;  // Command
    };

    static constexpr qint64 kMaxGapMs = 2000;
    static constexpr qsizetype kMaxLineBytes = 64;

    void feed(QByteArrayView bytes, qint64 nowMs, std::vector<Event>* events);

private:
    QByteArray line_;
    bool lineTooLong_ = false;
    std::vector<std::int32_t> values_;
    qint64 lastLineMs_ = 0;
};

enum class Fault { None, Silent, Short, Surplus, GarbageHigh, Hangup };

std::optional<Fault> FaultFromName(const QString& name);
QString FaultName(Fault fault);

// What goes on the wire for one exchange.
struct Outgoing {
    QByteArray bytes;
    Fault fault = Fault::None;
    qsizetype hangupAfter = -1;  // close the line after this many bytes (Hangup)
};

// Spoils a good reply as the fault says; the damage is drawn from the
// caller's seeded generator, so it is reproducible.
//   Silent: nothing.  Short: 1 to 7 bytes missing at the end (at least one
//   byte left).  Surplus: 1 to 8 extra bytes.  GarbageHigh: about one record
//   in ten (at least one) gets a high part of 4..255 in its phase or its
//   magnitude.  Hangup: the line closes after half the reply.
Outgoing ApplyFault(Fault fault, QByteArray reply, std::mt19937& random);

}  // namespace Sim
