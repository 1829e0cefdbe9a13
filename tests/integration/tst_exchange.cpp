#include <QtTest>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "instrument/protocol.h"
#include "instrument/qt_serial_port_service.h"
#include "instrument/sweep_exchange.h"
#include "support/test_support.h"

using TestSupport::OutcomeName;

namespace {

constexpr float kFMin = 1000000.0f;
constexpr float kFMax = 180000000.0f;

double StepOf(std::int32_t champ) {
    return static_cast<double>(kFMax - kFMin) / champ;
}

// The caller's sample buffers, decoded the way the measurement cycle does it.
struct Buffers {
    std::vector<float> phase;
    std::vector<float> magnitude;

    explicit Buffers(std::int32_t champ, float fill = -1.0f)
        : phase(static_cast<std::size_t>(champ) + 1, fill),
          magnitude(static_cast<std::size_t>(champ) + 1, fill) {}

    void apply(const ExchangeResult& result) {
        if (result.outcome != ExchangeOutcome::Completed) {
            return;
        }
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(result.reply.constData());
        DecodeSweepReply(std::span(bytes, static_cast<std::size_t>(result.reply.size())),
                         std::span(phase), std::span(magnitude));
    }
    bool operator==(const Buffers&) const = default;
};

// The simulator, the real serial port on its pseudo-terminal, and an exchange.
struct Rig {
    TestSupport::SimProcess sim;
    QtSerialPortService port;
    SweepExchange exchange{port};
    QSignalSpy finished{&exchange, &SweepExchange::finished};
    QString error;

    bool start(const QStringList& arguments) {
        if (!sim.start(arguments, &error)) {
            return false;
        }
        port.setDevice(sim.ptyPath());
        return port.open(&error);
    }

    // Waits in a real event loop (QTest::qWait sleeps in 10 ms slices, which
    // would stretch the 1 ms pauses between command lines).
    bool waitFinished(qsizetype count, int timeoutMs = 10000) {
        QDeadlineTimer deadline(timeoutMs);
        while (finished.size() < count && !deadline.hasExpired()) {
            finished.wait(static_cast<int>(qMax<qint64>(deadline.remainingTime(), 1)));
        }
        return finished.size() == count;
    }

    // Runs one exchange to its end. finished() must not come from inside the
    // start call, and must come exactly once.
    std::optional<ExchangeResult> run(const std::function<std::optional<ExchangeResult>()>& go,
                                      int timeoutMs = 10000) {
        const qsizetype before = finished.size();
        if (auto immediate = go()) {
            error = QStringLiteral("answered at once: %1").arg(OutcomeName(immediate->outcome));
            return std::nullopt;
        }
        if (finished.size() != before) {
            error = QStringLiteral("finished inside the start call");
            return std::nullopt;
        }
        if (!waitFinished(before + 1, timeoutMs)) {
            error = QStringLiteral("finished %1 times").arg(finished.size() - before);
            return std::nullopt;
        }
        return finished.at(before).at(0).value<ExchangeResult>();
    }

    std::optional<ExchangeResult> sweep(std::int32_t champ, int timeoutMs = 10000) {
        return run([&] { return exchange.startSweep(kFMin, StepOf(champ), champ, 0.0f); },
                   timeoutMs);
    }
};

// The analyser played by the test on a bare pseudo-terminal, and an exchange
// on the program's end of it.
struct Scripted {
    TestSupport::PtyPair pty;
    QtSerialPortService port;
    SweepExchange exchange{port};
    QSignalSpy finished{&exchange, &SweepExchange::finished};
    QString error;

    bool open() {
        if (!pty.isValid()) {
            error = pty.error();
            return false;
        }
        port.setDevice(pty.slavePath());
        return port.open(&error);
    }
};

// What the program has written, read as the analyser would while the event
// loop runs, until it holds this many command lines or the time is up.
QByteArray ReadLines(TestSupport::PtyPair& pty, int lines, int timeoutMs) {
    QByteArray sent;
    const QDeadlineTimer deadline(timeoutMs);
    while (sent.count('\r') < lines && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        sent += pty.read(0, 1);
    }
    return sent;
}

QByteArray Joined(const EncodedCommand& command) {
    QByteArray bytes;
    for (const QByteArray& line : command.lines) {
        bytes += line;
    }
    return bytes;
}

// A reply of 50 records that no other reply shares at any byte position.
QByteArray RecordsOf(const char (&record)[5]) {
    return QByteArray(record, 4).repeated(50);
}

}  // namespace

class TestExchange : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void linesOnTheWire();
    void nothingSentWhenNothingCanBe();
    void sweepAndSingleFrequency();
    void pacedSweepKeepsTheLoopRunning();
    void faults_data();
    void faults();
    void recoversAfterEveryFault();
    void discardWhileReplyArrives();
    void discardWhileCommandIsWritten();
    void replyOfAnEarlierCommand_data();
    void replyOfAnEarlierCommand();
    void lateReplyOfAnAbandonedExchange_data();
    void lateReplyOfAnAbandonedExchange();
    void deviceGone_data();
    void deviceGone();

private:
    QByteArray reference50_;   // a clean reply of 50 points, from a fresh simulator
    QByteArray reference500_;  // the same for 500 points
};

void TestExchange::initTestCase() {
    Rig rig;
    QVERIFY2(rig.start({QStringLiteral("--dut"), QStringLiteral("antenna")}),
             qPrintable(rig.error));
    auto r50 = rig.sweep(50);
    QVERIFY2(r50, qPrintable(rig.error));
    QCOMPARE(r50->outcome, ExchangeOutcome::Completed);
    reference50_ = r50->reply;
    auto r500 = rig.sweep(500);
    QVERIFY2(r500, qPrintable(rig.error));
    QCOMPARE(r500->outcome, ExchangeOutcome::Completed);
    reference500_ = r500->reply;
    QCOMPARE(reference500_.size(), 2000);
}

// The analyser's side played by the test on a bare pseudo-terminal: the exact
// bytes of the worked example go out, and stale input is kept out of the reply.
void TestExchange::linesOnTheWire() {
    Scripted rig;
    QVERIFY2(rig.open(), qPrintable(rig.error));
    auto& [pty, port, exchange, finished, error] = rig;

    QVERIFY(pty.write(QByteArray("\x01\x02\x03", 3)));  // left over from before
    QTRY_COMPARE(port.bytesAvailable(), 3);
    QVERIFY(!exchange.startSweep(1000000.0f, 358000.0, 500, 0.0f));
    QVERIFY(exchange.inFlight());
    const QByteArray lines = " 0\r 10737000\r 500\r 3843846\r";
    QByteArray sent;
    QTRY_VERIFY((sent += pty.read(0, 10), sent.size() >= lines.size()));
    QCOMPARE(sent, lines);

    QByteArray reply;
    for (int i = 0; i < 2000; ++i) {
        reply.append(static_cast<char>(i % 251));
    }
    QVERIFY(pty.write(reply.left(1200)));
    QTest::qWait(30);
    QCOMPARE(finished.size(), 0);  // 1200 of 2000: still waiting
    QVERIFY(pty.write(reply.mid(1200)));
    QTRY_COMPARE(finished.size(), 1);
    const auto result = finished.at(0).at(0).value<ExchangeResult>();
    QCOMPARE(result.outcome, ExchangeOutcome::Completed);
    QCOMPARE(result.kind, ExchangeKind::Sweep);
    QCOMPARE(result.reply, reply);
    QCOMPARE(result.staleBytesDrained, 3);
    QVERIFY(!exchange.inFlight());

    // The single-frequency command, and its 4-byte reply.
    QVERIFY(!exchange.startSingleFrequency(14200000.0f, 1000.0));
    sent.clear();
    const QByteArray single = " 1\r 152465400\r 1\r 0\r";
    QTRY_VERIFY((sent += pty.read(0, 10), sent.size() >= single.size()));
    QCOMPARE(sent, single);
    QVERIFY(pty.write(QByteArray("\x00\x01\x02\x03", 4)));
    QTRY_COMPARE(finished.size(), 2);
    const auto tuned = finished.at(1).at(0).value<ExchangeResult>();
    QCOMPARE(tuned.kind, ExchangeKind::SingleFrequency);
    QCOMPARE(tuned.outcome, ExchangeOutcome::Completed);
    QCOMPARE(tuned.reply.size(), 4);

    // Bytes after the expected count, a moment later, spoil the reply.
    QVERIFY(!exchange.startSingleFrequency(14200000.0f, 1000.0));
    sent.clear();
    QTRY_VERIFY((sent += pty.read(0, 10), sent.size() >= single.size()));
    QVERIFY(pty.write(QByteArray("\x00\x01\x02\x03", 4)));
    QTimer::singleShot(5, [&] { pty.write(QByteArray("\x04", 1)); });
    QVERIFY(finished.wait(2000));  // a real event loop: timing matters here
    QCOMPARE(finished.size(), 3);
    const auto spoilt = finished.at(2).at(0).value<ExchangeResult>();
    QCOMPARE(spoilt.outcome, ExchangeOutcome::SurplusReply);
    QCOMPARE(spoilt.message, QStringLiteral("Surplus reply: 5 of 4 bytes"));
    QVERIFY(spoilt.reply.isEmpty());
}

void TestExchange::nothingSentWhenNothingCanBe() {
    TestSupport::PtyPair pty;
    QVERIFY2(pty.isValid(), qPrintable(pty.error()));
    QtSerialPortService port;
    port.setDevice(pty.slavePath());
    SweepExchange exchange(port);
    QSignalSpy finished(&exchange, &SweepExchange::finished);

    // Closed port: refused at once, whatever the command.
    auto closed = exchange.startSweep(kFMin, 1000.0, 50, 0.0f);
    QVERIFY(closed);
    QCOMPARE(closed->outcome, ExchangeOutcome::PortError);
    QCOMPARE(closed->message,
             QStringLiteral("The serial port %1 is not open").arg(pty.slavePath()));

    QString why;
    QVERIFY2(port.open(&why), qPrintable(why));
    struct Case {
        std::optional<ExchangeResult> result;
        ExchangeOutcome outcome;
        QString message;
    };
    const Case cases[] = {
        {exchange.startSweep(kFMin, 0.0, 50, 0.0f), ExchangeOutcome::NothingSent, {}},
        {exchange.startSingleFrequency(kFMin, 0.0), ExchangeOutcome::NothingSent, {}},
        // FMax equal to FMin: nothing is sent even for a start beyond range.
        {exchange.startSweep(3e8f, 0.0, 50, 0.0f), ExchangeOutcome::NothingSent, {}},
        {exchange.startSweep(250000000.0f, 1000.0, 50, 0.0f), ExchangeOutcome::Refused,
         "Start frequency 250000000 Hz is beyond the instrument's range"},
        {exchange.startSingleFrequency(250000000.0f, 1000.0), ExchangeOutcome::Refused,
         "Start frequency 250000000 Hz is beyond the instrument's range"},
        {exchange.startSweep(kFMin, 3e8, 50, 0.0f), ExchangeOutcome::Refused,
         "Frequency step 300000000 Hz is beyond the instrument's range"},
    };
    for (const Case& c : cases) {
        QVERIFY(c.result);
        QCOMPARE(c.result->outcome, c.outcome);
        QCOMPARE(c.result->message, c.message);
        QVERIFY(c.result->reply.isEmpty());
    }
    QVERIFY(!exchange.inFlight());
    QTest::qWait(30);
    QCOMPARE(finished.size(), 0);
    QCOMPARE(pty.read(0, 10), QByteArray());
}

void TestExchange::sweepAndSingleFrequency() {
    Rig rig;
    QVERIFY2(rig.start({QStringLiteral("--dut"), QStringLiteral("antenna")}),
             qPrintable(rig.error));
    Buffers buffers(500, -1.0f);
    const auto result = rig.sweep(500);
    QVERIFY2(result, qPrintable(rig.error));
    QCOMPARE(result->outcome, ExchangeOutcome::Completed);
    QCOMPARE(result->reply, reference500_);  // the simulated analyser is repeatable
    buffers.apply(*result);
    QCOMPARE(buffers.phase[0], -1.0f);
    QCOMPARE(buffers.magnitude[0], -1.0f);
    for (std::size_t k = 1; k < buffers.phase.size(); ++k) {
        QVERIFY(buffers.phase[k] >= 0.0f && buffers.phase[k] <= 1023.0f);
        QVERIFY(buffers.magnitude[k] >= 0.0f && buffers.magnitude[k] <= 1023.0f);
    }

    const auto tuned =
        rig.run([&] { return rig.exchange.startSingleFrequency(14200000.0f, StepOf(500)); });
    QVERIFY2(tuned, qPrintable(rig.error));
    QCOMPARE(tuned->kind, ExchangeKind::SingleFrequency);
    QCOMPARE(tuned->outcome, ExchangeOutcome::Completed);
    QCOMPARE(tuned->reply.size(), 4);

    // Transmission mode is answered too, differently from reflection.
    const auto through =
        rig.run([&] { return rig.exchange.startSweep(kFMin, StepOf(500), 500, 1.0f); });
    QVERIFY2(through, qPrintable(rig.error));
    QCOMPARE(through->outcome, ExchangeOutcome::Completed);
    QCOMPARE(through->reply.size(), 2000);
    QTest::qWait(30);
    QCOMPARE(rig.finished.size(), 3);  // one each, never twice
}

// A full sweep at the wire rate: it fits the default deadline, and the event
// loop keeps running while it arrives.
void TestExchange::pacedSweepKeepsTheLoopRunning() {
    Rig rig;
    QVERIFY2(rig.start({QStringLiteral("--pace")}), qPrintable(rig.error));
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(10);
    const auto result = rig.sweep(6000, 15000);
    ticker.stop();
    QVERIFY2(result, qPrintable(rig.error));
    QCOMPARE(result->outcome, ExchangeOutcome::Completed);
    QCOMPARE(result->reply.size(), 24000);
    QVERIFY2(result->elapsedMs >= 2000, qPrintable(QString::number(result->elapsedMs)));
    QVERIFY2(result->elapsedMs < ReplyDeadlineMs(24000),
             qPrintable(QString::number(result->elapsedMs)));
    // 10 ms ticks over two seconds: a blocked loop gives one or two (missed
    // timeouts are not queued up); a loaded machine still gives dozens.
    QVERIFY2(ticks > 20, qPrintable(QString::number(ticks)));
}

void TestExchange::faults_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("message");  // a pattern
    QTest::newRow("silent") << "silent" << int(ExchangeOutcome::Timeout)
                            << "^No reply from the analyser$";
    QTest::newRow("short") << "short" << int(ExchangeOutcome::ShortReply)
                           << "^Short reply: 19[3-9] of 200 bytes$";
    QTest::newRow("surplus") << "surplus" << int(ExchangeOutcome::SurplusReply)
                             << "^Surplus reply: 20[1-8] of 200 bytes$";
    QTest::newRow("garbage-high") << "garbage-high" << int(ExchangeOutcome::Completed) << "^$";
}

void TestExchange::faults() {
    QFETCH(QString, fault);
    QFETCH(int, outcome);
    QFETCH(QString, message);
    Rig rig;
    QVERIFY2(rig.start({QStringLiteral("--fault"), fault}), qPrintable(rig.error));
    rig.exchange.setTimeoutMs(400);
    Buffers buffers(50, 7.0f);
    const Buffers before = buffers;
    const auto result = rig.sweep(50);
    QVERIFY2(result, qPrintable(rig.error));
    QCOMPARE(int(result->outcome), outcome);
    QVERIFY2(QRegularExpression(message).match(result->message).hasMatch(),
             qPrintable(result->message));
    buffers.apply(*result);
    if (result->outcome != ExchangeOutcome::Completed) {
        QVERIFY(result->reply.isEmpty());
        QVERIFY(buffers == before);
        return;
    }
    // Garbage: the spoilt readings keep their old value, the rest are the
    // clean sweep's.
    Buffers clean(50, 7.0f);
    ExchangeResult reference;
    reference.outcome = ExchangeOutcome::Completed;
    reference.reply = reference50_;
    clean.apply(reference);
    int kept = 0;
    for (int k = 1; k <= 50; ++k) {
        const auto high = [&](int byte) {
            return static_cast<std::uint8_t>(result->reply[4 * (k - 1) + byte]);
        };
        QCOMPARE(buffers.phase[k], high(1) > 3 ? 7.0f : clean.phase[k]);
        QCOMPARE(buffers.magnitude[k], high(3) > 3 ? 7.0f : clean.magnitude[k]);
        kept += (high(1) > 3) + (high(3) > 3);
    }
    QVERIFY(kept > 0);
}

// Random faults on one line: after each one the caller's buffers are as they
// were, and the line recovers, so a later clean reply is decoded exactly.
void TestExchange::recoversAfterEveryFault() {
    Rig rig;
    QVERIFY2(
        rig.start({QStringLiteral("--pace"), QStringLiteral("--fault"),
                   QStringLiteral("random:0.5"), QStringLiteral("--seed"), QStringLiteral("35")}),
        qPrintable(rig.error));
    // The default deadline: the late and slow replies the simulator draws are
    // sized to it.
    // As after an earlier good sweep: garbage readings then keep exactly these.
    Buffers buffers(50);
    ExchangeResult reference;
    reference.outcome = ExchangeOutcome::Completed;
    reference.reply = reference50_;
    buffers.apply(reference);
    const Buffers good = buffers;

    QSet<int> failuresRecovered;
    std::optional<ExchangeOutcome> previous;
    for (int i = 0; i < 16; ++i) {  // the seed brings each kind of fault early
        const auto result = rig.sweep(50);
        QVERIFY2(result, qPrintable(rig.error));
        const ExchangeOutcome outcome = result->outcome;
        QVERIFY2(outcome == ExchangeOutcome::Completed || outcome == ExchangeOutcome::Timeout ||
                     outcome == ExchangeOutcome::ShortReply ||
                     outcome == ExchangeOutcome::SurplusReply,
                 OutcomeName(outcome));
        buffers.apply(*result);
        QVERIFY2(buffers == good, qPrintable(QStringLiteral("exchange %1 (%2) after %3")
                                                 .arg(i)
                                                 .arg(OutcomeName(outcome))
                                                 .arg(previous ? OutcomeName(*previous) : "-")));
        if (outcome == ExchangeOutcome::Completed && previous &&
            *previous != ExchangeOutcome::Completed) {
            failuresRecovered.insert(int(*previous));
        }
        previous = outcome;
    }
    QVERIFY2(failuresRecovered.contains(int(ExchangeOutcome::Timeout)), "no recovery from silence");
    QVERIFY2(failuresRecovered.contains(int(ExchangeOutcome::ShortReply)),
             "no recovery from a short reply");
    QVERIFY2(failuresRecovered.contains(int(ExchangeOutcome::SurplusReply)),
             "no recovery from a surplus reply");
}

// Hold pressed while a paced reply arrives: the exchange ends at once as
// Discarded, and the next one is not confused by the rest of the old reply.
void TestExchange::discardWhileReplyArrives() {
    Rig rig;
    QVERIFY2(rig.start({QStringLiteral("--pace")}), qPrintable(rig.error));
    QVERIFY(!rig.exchange.startSweep(kFMin, StepOf(6000), 6000, 0.0f));
    QTest::qWait(400);
    QVERIFY(rig.exchange.inFlight());
    rig.exchange.discard();
    QVERIFY(!rig.exchange.inFlight());
    QCOMPARE(rig.finished.size(), 0);  // never inside the call
    QTRY_COMPARE(rig.finished.size(), 1);
    const auto discarded = rig.finished.at(0).at(0).value<ExchangeResult>();
    QCOMPARE(discarded.outcome, ExchangeOutcome::Discarded);
    QVERIFY(discarded.reply.isEmpty());
    rig.exchange.discard();  // nothing in flight: nothing happens
    QTest::qWait(20);
    QCOMPARE(rig.finished.size(), 1);

    const auto next = rig.sweep(500);
    QVERIFY2(next, qPrintable(rig.error));
    QCOMPARE(next->outcome, ExchangeOutcome::Completed);
    QCOMPARE(next->reply, reference500_);
    QVERIFY2(next->staleBytesDrained > 10000, qPrintable(QString::number(next->staleBytesDrained)));
}

// Discarded before its last line is out: the command is still finished on
// the line and its reply drained, so the following exchange gets its own.
void TestExchange::discardWhileCommandIsWritten() {
    Rig rig;
    // Paced, so the unwanted reply is still arriving when the next command
    // has gone out.
    QVERIFY2(rig.start({QStringLiteral("--pace")}), qPrintable(rig.error));
    QVERIFY(!rig.exchange.startSweep(kFMin, StepOf(50), 50, 0.0f));
    rig.exchange.discard();
    // Overtaken at once by another; each gets exactly one result, in order.
    QVERIFY(!rig.exchange.startSweep(kFMin, StepOf(500), 500, 0.0f));
    QVERIFY(rig.exchange.inFlight());
    QVERIFY(rig.waitFinished(2));
    const auto first = rig.finished.at(0).at(0).value<ExchangeResult>();
    const auto second = rig.finished.at(1).at(0).value<ExchangeResult>();
    QCOMPARE(first.outcome, ExchangeOutcome::Discarded);
    QCOMPARE(second.outcome, ExchangeOutcome::Completed);
    QCOMPARE(second.reply, reference500_);
    QCOMPARE(second.staleBytesDrained, 200);  // the 50-point reply nobody wanted

    // A start while one is in flight overtakes it the same way.
    QVERIFY(!rig.exchange.startSweep(kFMin, StepOf(50), 50, 0.0f));
    QVERIFY(!rig.exchange.startSweep(kFMin, StepOf(500), 500, 0.0f));
    QVERIFY(rig.waitFinished(4));
    QCOMPARE(rig.finished.at(2).at(0).value<ExchangeResult>().outcome, ExchangeOutcome::Discarded);
    QCOMPARE(rig.finished.at(3).at(0).value<ExchangeResult>().reply, reference500_);
}

// The analyser played by the test: a sweep at 1 MHz ends badly, a sweep at
// 50 MHz follows at once, and what the line still brings of the first reply
// comes 10 ms later. The second command must wait for it (or for one more
// deadline), and the second sweep must be exactly its own reply.
void TestExchange::replyOfAnEarlierCommand_data() {
    QTest::addColumn<int>("head");        // bytes of the first reply before its deadline
    QTest::addColumn<int>("late");        // bytes of it after the first exchange ended
    QTest::addColumn<bool>("portError");  // a port error right after line 1 of 4
    QTest::addColumn<int>("firstOutcome");
    QTest::addColumn<QString>("secondMessage");
    QTest::newRow("timeout, then the late reply")
        << 0 << 200 << false << int(ExchangeOutcome::Timeout) << "Late reply discarded: 200 bytes";
    QTest::newRow("short reply, then its tail")
        << 120 << 80 << false << int(ExchangeOutcome::ShortReply)
        << "Late reply discarded: 80 bytes";
    QTest::newRow("port error after line 1 of 4")
        << 0 << 200 << true << int(ExchangeOutcome::PortError) << "Late reply discarded: 200 bytes";
    QTest::newRow("timeout, and the reply never comes")
        << 0 << 0 << false << int(ExchangeOutcome::Timeout) << "";
}

void TestExchange::replyOfAnEarlierCommand() {
    QFETCH(int, head);
    QFETCH(int, late);
    QFETCH(bool, portError);
    QFETCH(int, firstOutcome);
    QFETCH(QString, secondMessage);
    Scripted rig;
    QVERIFY2(rig.open(), qPrintable(rig.error));
    auto& [pty, port, exchange, finished, error] = rig;
    exchange.setTimeoutMs(150);
    const QByteArray firstReply = RecordsOf("\x11\x01\x22\x02");
    const QByteArray secondReply = RecordsOf("\x33\x00\x44\x03");
    const float secondFMin = 50000000.0f;

    QVERIFY(!exchange.startSweep(kFMin, StepOf(50), 50, 0.0f));
    const QString fault = QStringLiteral("Serial port %1: Framing error").arg(pty.slavePath());
    if (portError) {
        emit port.failed(fault, false);
    }
    // Whole on the line, even after the port error.
    QCOMPARE(ReadLines(pty, 4, 2000), Joined(EncodeSweepCommand(kFMin, StepOf(50), 50, 0.0f)));
    QVERIFY(pty.write(firstReply.left(head)));
    QTRY_COMPARE(finished.size(), 1);
    const auto first = finished.at(0).at(0).value<ExchangeResult>();
    QCOMPARE(int(first.outcome), firstOutcome);
    QVERIFY(first.reply.isEmpty());
    if (portError) {
        QCOMPARE(first.message, fault);
    }

    QVERIFY(!exchange.startSweep(secondFMin, StepOf(50), 50, 0.0f));
    QCOMPARE(ReadLines(pty, 1, 10), QByteArray());  // not while the line owes a reply
    QVERIFY(pty.write(firstReply.mid(head, late)));
    QCOMPARE(ReadLines(pty, 4, 2000), Joined(EncodeSweepCommand(secondFMin, StepOf(50), 50, 0.0f)));
    QVERIFY(pty.write(secondReply));
    QTRY_COMPARE(finished.size(), 2);
    const auto second = finished.at(1).at(0).value<ExchangeResult>();
    QCOMPARE(second.outcome, ExchangeOutcome::Completed);
    QCOMPARE(second.reply, secondReply);
    QCOMPARE(second.staleBytesDrained, late);
    QCOMPARE(second.lateBytesDiscarded, secondMessage.isEmpty() ? 0 : late);
    QCOMPARE(second.message, secondMessage);
}

// An exchange given up before its reply came, whichever way: the line owes
// its reply for a whole deadline beyond the exchange's own, and what comes is
// drained as late, never taken for the next command's reply. The analyser
// (played by the test, deadline 200 ms) answers the first command 210 ms
// after its last line.
void TestExchange::lateReplyOfAnAbandonedExchange_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("firstOutcome");
    QTest::newRow("discarded 10 ms before its deadline")
        << "discard-waiting" << int(ExchangeOutcome::Discarded);
    QTest::newRow("abandoned while its lines go out")
        << "discard-writing" << int(ExchangeOutcome::Discarded);
    QTest::newRow("timed out") << "timeout" << int(ExchangeOutcome::Timeout);
}

void TestExchange::lateReplyOfAnAbandonedExchange() {
    QFETCH(QString, how);
    QFETCH(int, firstOutcome);
    Scripted rig;
    QVERIFY2(rig.open(), qPrintable(rig.error));
    auto& [pty, port, exchange, finished, error] = rig;
    exchange.setTimeoutMs(200);
    const QByteArray firstReply = RecordsOf("\x11\x01\x22\x02");
    const QByteArray secondReply = RecordsOf("\x33\x00\x44\x03");
    const float secondFMin = 50000000.0f;
    const auto startSecond = [&] {
        QVERIFY(!exchange.startSweep(secondFMin, StepOf(50), 50, 0.0f));
    };

    QVERIFY(!exchange.startSweep(kFMin, StepOf(50), 50, 0.0f));
    if (how == QLatin1String("discard-writing")) {
        exchange.discard();  // its first line is out, the others follow
        startSecond();
    }
    QCOMPARE(ReadLines(pty, 4, 2000), Joined(EncodeSweepCommand(kFMin, StepOf(50), 50, 0.0f)));
    QElapsedTimer sinceLines;
    sinceLines.start();
    const auto waitUntil = [&](qint64 ms) {
        while (sinceLines.elapsed() < ms) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        }
    };
    if (how == QLatin1String("discard-waiting")) {
        waitUntil(190);
        exchange.discard();
        startSecond();
    } else if (how == QLatin1String("timeout")) {
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 2000);
        startSecond();
    }
    waitUntil(210);
    QCOMPARE(ReadLines(pty, 1, 1), QByteArray());  // the line still owes the first reply
    QVERIFY(pty.write(firstReply));
    QCOMPARE(ReadLines(pty, 4, 2000), Joined(EncodeSweepCommand(secondFMin, StepOf(50), 50, 0.0f)));
    QVERIFY(pty.write(secondReply));
    QTRY_COMPARE(finished.size(), 2);
    QCOMPARE(int(finished.at(0).at(0).value<ExchangeResult>().outcome), firstOutcome);
    const auto second = finished.at(1).at(0).value<ExchangeResult>();
    QCOMPARE(second.outcome, ExchangeOutcome::Completed);
    QCOMPARE(second.reply, secondReply);
    QCOMPARE(second.lateBytesDiscarded, firstReply.size());
}

void TestExchange::deviceGone_data() {
    QTest::addColumn<bool>("killed");
    QTest::newRow("simulator killed") << true;
    QTest::newRow("hangup fault") << false;
}

void TestExchange::deviceGone() {
    QFETCH(bool, killed);
    Rig rig;
    QStringList arguments = {QStringLiteral("--pace")};
    if (!killed) {
        arguments << QStringLiteral("--fault") << QStringLiteral("hangup");
    }
    QVERIFY2(rig.start(arguments), qPrintable(rig.error));
    Buffers buffers(6000, 3.0f);
    const Buffers before = buffers;
    if (killed) {
        QTimer::singleShot(300, [&] { rig.sim.kill(); });
    }
    const auto result = rig.sweep(6000);
    QVERIFY2(result, qPrintable(rig.error));
    QCOMPARE(result->outcome, ExchangeOutcome::DeviceGone);
    QCOMPARE(result->message,
             QStringLiteral("The serial device %1 has gone away").arg(rig.sim.ptyPath()));
    buffers.apply(*result);
    QVERIFY(buffers == before);
    QVERIFY(!rig.port.isOpen());
    QVERIFY(!rig.exchange.inFlight());
    const auto after = rig.exchange.startSweep(kFMin, StepOf(50), 50, 0.0f);
    QVERIFY(after);
    QCOMPARE(after->outcome, ExchangeOutcome::PortError);
}

QTEST_GUILESS_MAIN(TestExchange)
#include "tst_exchange.moc"
