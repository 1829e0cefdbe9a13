#include "instrument/sweep_exchange.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "instrument/serial_port_service.h"

namespace {

ExchangeResult Immediate(ExchangeKind kind, ExchangeOutcome outcome, const QString& message = {}) {
    ExchangeResult result;
    result.kind = kind;
    result.outcome = outcome;
    result.message = message;
    return result;
}

// The status line of a result that also drained a late reply.
QString WithLateNotice(const QString& message, qint64 lateBytes) {
    if (lateBytes == 0) {
        return message;
    }
    if (message.isEmpty()) {
        return QStringLiteral("Late reply discarded: %1 bytes").arg(lateBytes);
    }
    return QStringLiteral("%1; late reply discarded: %2 bytes").arg(message).arg(lateBytes);
}

}  // namespace

SweepExchange::SweepExchange(SerialPortService& port, QObject* parent)
    : QObject(parent), port_(port) {
    stepTimer_.setSingleShot(true);
    stepTimer_.setTimerType(Qt::PreciseTimer);
    deadlineTimer_.setSingleShot(true);
    deadlineTimer_.setTimerType(Qt::PreciseTimer);
    connect(&stepTimer_, &QTimer::timeout, this, &SweepExchange::onStepTimer);
    connect(&deadlineTimer_, &QTimer::timeout, this, &SweepExchange::onDeadline);
    connect(&port_, &SerialPortService::dataArrived, this, &SweepExchange::onDataArrived);
    connect(&port_, &SerialPortService::failed, this, &SweepExchange::onPortFailed);
}

SweepExchange::~SweepExchange() = default;

std::optional<ExchangeResult> SweepExchange::startSweep(float FMin, double FreqStep,
                                                        std::int32_t Champ,
                                                        float TransmissionMode) {
    if (FreqStep == 0.0) {
        return Immediate(ExchangeKind::Sweep, ExchangeOutcome::NothingSent);
    }
    const EncodedCommand command = EncodeSweepCommand(FMin, FreqStep, Champ, TransmissionMode);
    if (!command.ok()) {
        return Immediate(ExchangeKind::Sweep, ExchangeOutcome::Refused, command.error);
    }
    return start(ExchangeKind::Sweep, command, ReplyBytes(Champ));
}

std::optional<ExchangeResult> SweepExchange::startSingleFrequency(float FMin, double FreqStep) {
    if (FreqStep == 0.0) {
        return Immediate(ExchangeKind::SingleFrequency, ExchangeOutcome::NothingSent);
    }
    const EncodedCommand command = EncodeSingleFrequencyCommand(FMin);
    if (!command.ok()) {
        return Immediate(ExchangeKind::SingleFrequency, ExchangeOutcome::Refused, command.error);
    }
    return start(ExchangeKind::SingleFrequency, command, ReplyBytes(1));
}

std::optional<ExchangeResult> SweepExchange::start(ExchangeKind kind, const EncodedCommand& command,
                                                   qint64 expected) {
    if (!port_.isOpen()) {
        const QString device = port_.device();
        return Immediate(kind, ExchangeOutcome::PortError,
                         device.isEmpty()
                             ? QStringLiteral("The serial port is not open")
                             : QStringLiteral("The serial port %1 is not open").arg(device));
    }
    if (inFlight()) {
        discard();
    }
    Job job;
    job.kind = kind;
    job.command = command;
    job.expected = expected;
    job.deadlineMs = replyDeadlineMs(expected);
    job.clock.start();
    if (current_) {
        // An abandoned command is still going out; its lines must not mix
        // with these, so this one waits its turn.
        next_ = std::move(job);
    } else {
        begin(std::move(job));
    }
    return std::nullopt;
}

ExchangeResult SweepExchange::resultOf(const Job& job, ExchangeOutcome outcome,
                                       const QString& message) {
    ExchangeResult result = Immediate(job.kind, outcome, WithLateNotice(message, job.lateBytes));
    result.staleBytesDrained = job.staleBytes;
    result.lateBytesDiscarded = job.lateBytes;
    result.elapsedMs = job.clock.elapsed();
    return result;
}

void SweepExchange::discard() {
    if (next_) {
        // Nothing of it has been written: forget it.
        emitLater(resultOf(*next_, ExchangeOutcome::Discarded, {}));
        next_.reset();
        return;
    }
    if (!current_ || current_->abandoned) {
        return;
    }
    Job& job = *current_;
    emitLater(resultOf(job, ExchangeOutcome::Discarded, {}));
    switch (state_) {
        case State::Writing:
            if (job.nextLine > 0) {
                // Finish the command on the line; the analyser would otherwise
                // take the next command's first lines for this one's last.
                job.abandoned = true;
                return;
            }
            break;
        case State::Waiting:
        case State::Guard:
            oweRestOf(job, ownDeadlineLeft());
            break;
        case State::Settling:
        case State::Idle:
            break;
    }
    current_.reset();
    stepTimer_.stop();
    deadlineTimer_.stop();
    state_ = State::Idle;
}

bool SweepExchange::inFlight() const {
    return (current_ && !current_->abandoned) || next_.has_value();
}

void SweepExchange::setTimeoutMs(qint64 ms) {
    // QTimer takes an int.
    timeoutMs_ = std::clamp<qint64>(ms, 0, std::numeric_limits<int>::max());
}

qint64 SweepExchange::replyDeadlineMs(qint64 expected) const {
    return timeoutMs_ > 0 ? timeoutMs_ : ReplyDeadlineMs(expected);
}

void SweepExchange::begin(Job job) {
    current_ = std::move(job);
    state_ = State::Settling;
    settleStep();
}

qint64 SweepExchange::ownDeadlineLeft() const {
    if (state_ == State::Writing) {
        return current_ ? current_->deadlineMs : 0;  // its deadline starts after the last line
    }
    if (state_ == State::Waiting) {
        return qMax<qint64>(deadlineTimer_.remainingTime(), 0);
    }
    return 0;
}

void SweepExchange::oweRestOf(const Job& job, qint64 ownDeadlineLeftMs) {
    // The analyser may still send what it has not: a slow line, or an answer
    // that comes late. The rest is drained before the next command goes out,
    // until it is in or a whole reply deadline beyond this one's has passed,
    // and what comes is counted as late, so it is never taken for a reply.
    const qint64 outstanding = qMax<qint64>(job.expected - job.received.size(), 0);
    owe(outstanding, ownDeadlineLeftMs + job.deadlineMs, outstanding > 0);
}

void SweepExchange::owe(qint64 outstanding, qint64 deadlineMs, bool late) {
    settle_.active = true;
    settle_.outstanding = outstanding;
    settle_.deadline = QDeadlineTimer(deadlineMs);
    settle_.late = late;
}

qint64 SweepExchange::drainStale() {
    const qint64 drained = port_.readAll().size();
    current_->staleBytes += drained;
    if (settle_.late) {
        current_->lateBytes += drained;
    }
    return drained;
}

void SweepExchange::settleStep() {
    const qint64 drained = drainStale();
    if (settle_.active && !settle_.deadline.hasExpired()) {
        settle_.outstanding -= drained;
        if (!deadlineTimer_.isActive()) {
            deadlineTimer_.start(
                static_cast<int>(qMax<qint64>(settle_.deadline.remainingTime(), 0)));
        }
        // The line counts as clear once the owed bytes are in and it has been
        // quiet for a moment; each new byte restarts the quiet time.
        if (settle_.outstanding <= 0 && (drained > 0 || !stepTimer_.isActive())) {
            stepTimer_.start(kQuietGuardMs);
        }
        return;
    }
    settleDone();
}

void SweepExchange::settleDone() {
    drainStale();
    settle_ = Settle{};
    stepTimer_.stop();
    deadlineTimer_.stop();
    state_ = State::Writing;
    current_->nextLine = 0;
    writeLine();
}

void SweepExchange::writeLine() {
    Job& job = *current_;
    const QByteArray& line = job.command.lines[static_cast<std::size_t>(job.nextLine)];
    if (port_.write(line) != line.size()) {
        lineUnusable();
        return;
    }
    ++job.nextLine;
    if (job.nextLine < static_cast<int>(job.command.lines.size())) {
        stepTimer_.start(kLinePauseMs);
        return;
    }
    if (job.abandoned) {
        // Its reply is owed to no one; the next exchange drains it first.
        oweRestOf(job, ownDeadlineLeft());
        current_.reset();
        state_ = State::Idle;
        startNext();
        return;
    }
    if (!job.failure.isEmpty()) {
        const QString failure = job.failure;  // finish() moves the job
        finish(ExchangeOutcome::PortError, failure);
        return;
    }
    state_ = State::Waiting;
    deadlineTimer_.start(static_cast<int>(job.deadlineMs));
}

void SweepExchange::lineUnusable() {
    // A line that took part of a command cannot be trusted with the next one:
    // it is closed, and whoever waits is told, so that RUN stops.
    const QString message =
        QStringLiteral("Cannot write to the serial port %1").arg(port_.device());
    port_.close();
    settle_ = Settle{};
    dropAbandoned();
    if (current_) {
        finish(ExchangeOutcome::PortError, message);
    }
}

void SweepExchange::dropAbandoned() {
    if (!current_ || !current_->abandoned) {
        return;
    }
    current_.reset();
    stepTimer_.stop();
    state_ = State::Idle;
    if (next_) {
        current_ = std::move(next_);
        next_.reset();
    }
}

void SweepExchange::startNext() {
    if (next_) {
        Job job = std::move(*next_);
        next_.reset();
        begin(std::move(job));
    }
}

void SweepExchange::absorbReply() {
    Job& job = *current_;
    job.received.append(port_.readAll());
    if (job.received.size() > job.expected) {
        finish(ExchangeOutcome::SurplusReply, QStringLiteral("Surplus reply: %1 of %2 bytes")
                                                  .arg(job.received.size())
                                                  .arg(job.expected));
        return;
    }
    if (job.received.size() == job.expected && state_ == State::Waiting) {
        state_ = State::Guard;
        deadlineTimer_.stop();
        stepTimer_.start(kQuietGuardMs);
    }
}

void SweepExchange::onDataArrived() {
    switch (state_) {
        case State::Idle:
            // Left for the next exchange to drain and count.
            break;
        case State::Settling:
            settleStep();
            break;
        case State::Writing:
            // The analyser answers only after the last line, so anything now
            // is left over from before.
            drainStale();
            break;
        case State::Waiting:
        case State::Guard:
            absorbReply();
            break;
    }
}

void SweepExchange::onStepTimer() {
    switch (state_) {
        case State::Settling:
            if (port_.bytesAvailable() > 0) {
                settleStep();
            } else {
                settleDone();
            }
            break;
        case State::Writing:
            writeLine();
            break;
        case State::Guard:
            // Bytes may be waiting whose readyRead has not been delivered yet.
            if (port_.bytesAvailable() > 0) {
                absorbReply();
            }
            if (state_ == State::Guard) {
                finish(ExchangeOutcome::Completed, {});
            }
            break;
        case State::Idle:
        case State::Waiting:
            break;
    }
}

void SweepExchange::onDeadline() {
    switch (state_) {
        case State::Settling:
            settleDone();
            break;
        case State::Waiting: {
            absorbReply();
            if (state_ != State::Waiting) {
                break;  // the last bytes were there after all
            }
            const qint64 got = current_->received.size();
            if (got == 0) {
                finish(ExchangeOutcome::Timeout, QStringLiteral("No reply from the analyser"));
            } else {
                finish(
                    ExchangeOutcome::ShortReply,
                    QStringLiteral("Short reply: %1 of %2 bytes").arg(got).arg(current_->expected));
            }
            break;
        }
        case State::Idle:
        case State::Writing:
        case State::Guard:
            break;
    }
}

void SweepExchange::onPortFailed(const QString& message, bool deviceGone) {
    const bool lineLost = deviceGone || !port_.isOpen();
    if (lineLost) {
        settle_ = Settle{};
    }
    if (current_ && current_->abandoned) {
        if (!lineLost) {
            return;  // it may still finish its lines; a waiting exchange keeps waiting
        }
        dropAbandoned();
    }
    if (!current_) {
        return;
    }
    if (!lineLost && state_ == State::Writing) {
        // As for discard(): the analyser must not get this command's first
        // lines followed by the next command.
        current_->failure = message;
        return;
    }
    finish(deviceGone ? ExchangeOutcome::DeviceGone : ExchangeOutcome::PortError, message);
}

void SweepExchange::finish(ExchangeOutcome outcome, const QString& message) {
    const State was = state_;
    const qint64 ownLeft = ownDeadlineLeft();
    Job job = std::move(*current_);
    current_.reset();
    stepTimer_.stop();
    deadlineTimer_.stop();
    state_ = State::Idle;
    // Once the command went out, its reply may still come; it is drained
    // before the next command goes out. A command still settling sent nothing.
    if (outcome != ExchangeOutcome::Completed && was != State::Settling) {
        oweRestOf(job, ownLeft);
    }
    if (!port_.isOpen()) {
        settle_ = Settle{};
    }
    ExchangeResult result = resultOf(job, outcome, message);
    if (outcome == ExchangeOutcome::Completed) {
        result.reply = std::move(job.received);
    }
    emitLater(result);
    startNext();
}

void SweepExchange::emitLater(const ExchangeResult& result) {
    // Queued, so a caller never sees finished() inside its own call and the
    // results keep their order.
    QMetaObject::invokeMethod(
        this, [this, result] { emit finished(result); }, Qt::QueuedConnection);
}
