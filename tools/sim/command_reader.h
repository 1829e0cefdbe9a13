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

enum class Fault { None, Silent, Short, Surplus, GarbageHigh, Hangup, Late, Slow };

std::optional<Fault> FaultFromName(const QString& name);
QString FaultName(Fault fault);

// What --fault asks for: one fault on every exchange, or random:P.
struct FaultSetting {
    Fault fault = Fault::None;
    double figure = 0.0;             // late: milliseconds; slow: fraction of the wire rate
    double randomProbability = 0.0;  // random:P, when fault is None
};

// "silent", "short", "surplus", "garbage-high", "hangup", "late:MS",
// "slow:F" or "random:P"; nothing, and why, for anything else.
std::optional<FaultSetting> ParseFaultSetting(const QString& text, QString* why);

// The figure of a late or slow fault that random:P draws for a reply of this
// size: the reply ends between half a reply deadline and 1.5 deadlines after
// the command (the program's ReplyDeadlineMs), as often before the deadline
// as after it, so all of it is in before the program may write again.
double RandomFaultFigure(Fault fault, qsizetype replyBytes, std::mt19937& random);

// What goes on the wire for one exchange.
struct Outgoing {
    QByteArray bytes;
    Fault fault = Fault::None;
    qsizetype hangupAfter = -1;  // close the line after this many bytes (Hangup)
    std::int64_t delayMs = 0;    // Late: the reply starts this long after the command
    double rate = 0.0;           // Slow: the fraction of the wire rate; 0 for the others
};

// The fault as the log names it, with its figure: "short", "late:812", "slow:0.25".
QString FaultText(const Outgoing& out);

// Spoils a good reply as the fault says; the damage is drawn from the
// caller's seeded generator, so it is reproducible.
//   Silent: nothing.  Short: 1 to 7 bytes missing at the end (at least one
//   byte left).  Surplus: 1 to 8 extra bytes.  GarbageHigh: about one record
//   in ten (at least one) gets a high part of 4..255 in its phase or its
//   magnitude.  Hangup: the line closes after half the reply.  Late: the
//   reply starts figure ms late.  Slow: it streams at figure x the wire rate.
Outgoing ApplyFault(Fault fault, QByteArray reply, std::mt19937& random, double figure = 0.0);

}  // namespace Sim
