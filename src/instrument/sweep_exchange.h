#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <optional>

#include "instrument/protocol.h"

class SerialPortService;

enum class ExchangeKind { Sweep, SingleFrequency };

enum class ExchangeOutcome {
    Completed,     // exactly the expected bytes arrived; reply holds them
    NothingSent,   // FreqStep was 0: nothing to ask for
    Refused,       // a word does not fit the analyser's range; message says which
    PortError,     // port not open, a write failed, or a line fault
    DeviceGone,    // the device vanished; the port has been closed
    Timeout,       // not one byte before the deadline
    ShortReply,    // some bytes, but not all, before the deadline
    SurplusReply,  // more bytes than the reply can hold
    Discarded,     // overtaken by the caller (RUN, Hold, a file opened)
};

struct ExchangeResult {
    ExchangeKind kind = ExchangeKind::Sweep;
    ExchangeOutcome outcome = ExchangeOutcome::NothingSent;
    QByteArray reply;  // only when Completed: exactly the expected bytes
    QString message;   // for the status bar; empty when there is nothing to say
    qint64 staleBytesDrained = 0;
    // Of those, the bytes of an earlier reply that came after its exchange had
    // timed out or ended short.
    qint64 lateBytesDiscarded = 0;
    qint64 elapsedMs = 0;
};
Q_DECLARE_METATYPE(ExchangeResult)

// One command and its reply as a state machine on the caller's thread, never
// blocking it: drain stale input, write the four lines 1 ms apart, wait for
// exactly the expected byte count under a deadline, then a short quiet guard
// that catches surplus bytes. The caller decodes a Completed sweep itself;
// nothing else touches its buffers, so every failure leaves them unchanged.
//
// A reply that timed out or ended short may still come: the line then owes
// the rest, and the next command waits until those bytes are in and the line
// is quiet, or one further reply deadline has passed. What comes meanwhile is
// drained, so a late reply is never taken for a new one.
//
// start*() returns a result at once when nothing is sent; otherwise nullopt,
// and finished() follows exactly once, always from the event loop (never
// inside a call of this class). Results arrive in the order the exchanges
// were started or discarded.
class SweepExchange : public QObject {
    Q_OBJECT
public:
    explicit SweepExchange(SerialPortService& port, QObject* parent = nullptr);
    ~SweepExchange() override;

    std::optional<ExchangeResult> startSweep(float FMin, double FreqStep, std::int32_t Champ,
                                             float TransmissionMode);
    std::optional<ExchangeResult> startSingleFrequency(float FMin, double FreqStep);

    // Abandons the exchange in flight: finished(Discarded) follows, with no
    // bytes. A command half written is still completed on the line and its
    // reply is drained before the next exchange writes, so the analyser never
    // sees mixed lines and a late reply is never taken for a new one.
    void discard();
    bool inFlight() const;

    // Reply deadline in ms for the next exchanges; 0 restores ReplyDeadlineMs.
    void setTimeoutMs(qint64 ms);
    qint64 timeoutMs() const { return timeoutMs_; }

    // Quiet time after the last expected byte before a reply counts as whole.
    static constexpr int kQuietGuardMs = 15;
    // Pause between command lines, which the analyser needs to parse each one.
    static constexpr int kLinePauseMs = 1;

signals:
    void finished(const ExchangeResult& result);

private:
    enum class State { Idle, Settling, Writing, Waiting, Guard };

    struct Job {
        ExchangeKind kind = ExchangeKind::Sweep;
        EncodedCommand command;
        qint64 expected = 0;
        qint64 deadlineMs = 0;
        int nextLine = 0;
        bool abandoned = false;
        // A port error that came while the lines were going out: reported
        // once the command is whole on the line.
        QString failure;
        QByteArray received;
        qint64 staleBytes = 0;
        qint64 lateBytes = 0;
        QElapsedTimer clock;
    };

    // What the line still owes from an abandoned, overflowing, timed-out or
    // short exchange; drained before the next command is written.
    struct Settle {
        bool active = false;
        qint64 outstanding = 0;
        QDeadlineTimer deadline;
        bool late = false;  // the rest of a reply that did not come in time
    };

    std::optional<ExchangeResult> start(ExchangeKind kind, const EncodedCommand& command,
                                        qint64 expected);
    void begin(Job job);
    // What an abandoned, discarded or failed exchange leaves the line owing.
    void oweRestOf(const Job& job, qint64 ownDeadlineLeftMs);
    qint64 ownDeadlineLeft() const;
    void owe(qint64 outstanding, qint64 deadlineMs, bool late);
    qint64 drainStale();
    void settleStep();
    void settleDone();
    void writeLine();
    void lineUnusable();
    // The line is lost: an abandoned command is let go, and the exchange
    // waiting behind it, if any, takes its place to be told.
    void dropAbandoned();
    static ExchangeResult resultOf(const Job& job, ExchangeOutcome outcome, const QString& message);
    void absorbReply();
    void onDataArrived();
    void onStepTimer();
    void onDeadline();
    void onPortFailed(const QString& message, bool deviceGone);
    void finish(ExchangeOutcome outcome, const QString& message);
    void emitLater(const ExchangeResult& result);
    void startNext();

    qint64 replyDeadlineMs(qint64 expected) const;

    SerialPortService& port_;
    QTimer stepTimer_;
    QTimer deadlineTimer_;
    State state_ = State::Idle;
    std::optional<Job> current_;
    std::optional<Job> next_;
    Settle settle_;
    qint64 timeoutMs_ = 0;
};
