// The exchange on the wire: the lines it writes, a sweep and a single
// frequency taken whole, and every fault it meets recovered from.
#include <QtTest>

#include "support/exchange_rig.h"

using namespace ExchangeRig;

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

QTEST_GUILESS_MAIN(TestExchange)
#include "tst_exchange.moc"
