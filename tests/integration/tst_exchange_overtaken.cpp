// Exchanges overtaken by events: a reply discarded while it arrives or while
// its command goes out, the reply of an earlier command, a late reply of an
// abandoned exchange, and a device that goes away.
#include <QtTest>

#include "support/exchange_rig.h"

using namespace ExchangeRig;

class TestExchangeOvertaken : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void discardWhileReplyArrives();
    void discardWhileCommandIsWritten();
    void replyOfAnEarlierCommand_data();
    void replyOfAnEarlierCommand();
    void lateReplyOfAnAbandonedExchange_data();
    void lateReplyOfAnAbandonedExchange();
    void deviceGone_data();
    void deviceGone();

private:
    QByteArray reference500_;  // a clean reply of 500 points, from a fresh simulator
};

void TestExchangeOvertaken::initTestCase() {
    Rig rig;
    QVERIFY2(rig.start({QStringLiteral("--dut"), QStringLiteral("antenna")}),
             qPrintable(rig.error));
    auto r500 = rig.sweep(500);
    QVERIFY2(r500, qPrintable(rig.error));
    QCOMPARE(r500->outcome, ExchangeOutcome::Completed);
    reference500_ = r500->reply;
}

// Hold pressed while a paced reply arrives: the exchange ends at once as
// Discarded, and the next one is not confused by the rest of the old reply.
void TestExchangeOvertaken::discardWhileReplyArrives() {
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
void TestExchangeOvertaken::discardWhileCommandIsWritten() {
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
void TestExchangeOvertaken::replyOfAnEarlierCommand_data() {
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

void TestExchangeOvertaken::replyOfAnEarlierCommand() {
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
void TestExchangeOvertaken::lateReplyOfAnAbandonedExchange_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("firstOutcome");
    QTest::newRow("discarded 10 ms before its deadline")
        << "discard-waiting" << int(ExchangeOutcome::Discarded);
    QTest::newRow("abandoned while its lines go out")
        << "discard-writing" << int(ExchangeOutcome::Discarded);
    QTest::newRow("timed out") << "timeout" << int(ExchangeOutcome::Timeout);
}

void TestExchangeOvertaken::lateReplyOfAnAbandonedExchange() {
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

void TestExchangeOvertaken::deviceGone_data() {
    QTest::addColumn<bool>("killed");
    QTest::newRow("simulator killed") << true;
    QTest::newRow("hangup fault") << false;
}

void TestExchangeOvertaken::deviceGone() {
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

QTEST_GUILESS_MAIN(TestExchangeOvertaken)
#include "tst_exchange_overtaken.moc"
