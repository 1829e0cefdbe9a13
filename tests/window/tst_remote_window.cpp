// The remote commands on the real window, the simulator's antenna (best at
// 14.2 MHz) on a pseudo-terminal and a client on 127.0.0.1: what a command
// changes shows in the window's own controls, one sweep answers *OPC? once it
// is drawn, the traces read are the window's, and a client that leaves in
// the middle of a sweep neither stops the window nor keeps the next out.
#include <QTcpSocket>
#include <QtTest>

#include "limits/limits.h"
#include "support/test_support.h"
#include "window/limits_control.h"
#include "window/marker_controls.h"
#include "window/remote_server.h"
#include "window/remote_window.h"

using TestSupport::SimProcess;
using TestSupport::WindowFixture;

namespace {

std::unique_ptr<QTcpSocket> Connected(quint16 port) {
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(QHostAddress::LocalHost, port);
    return socket->waitForConnected(5000) ? std::move(socket) : nullptr;
}

// One line sent; the first answer line back (empty after timeoutMs).
QByteArray Ask(QTcpSocket& socket, const QByteArray& line, int timeoutMs = 10000) {
    socket.write(line + "\n");
    QElapsedTimer clock;
    clock.start();
    while (!socket.canReadLine() && clock.elapsed() < timeoutMs) {
        QTest::qWait(10);
    }
    return socket.readLine().trimmed();
}

}  // namespace

class RemoteWindowTest : public QObject {
    Q_OBJECT

private slots:
    void commandsWorkTheWindow() {
        SimProcess sim;
        QString error;
        QVERIFY2(sim.start({QStringLiteral("--dut"), QStringLiteral("antenna")}, &error),
                 qPrintable(error));
        WindowFixture f;
        f.settings.Champ = 200;
        f.loadLive(sim.ptyPath());
        chart1& w = *f.w;
        RemoteServer& server = *w.remote().server();
        QVERIFY2(server.listen(QString(), 0), qPrintable(server.errorString()));
        const auto client = Connected(server.serverPort());
        QVERIFY(client);
        QTRY_VERIFY(!w.remote().indicator()->isHidden());

        QVERIFY(Ask(*client, "*IDN?").startsWith("Zezizav,"));
        QCOMPARE(Ask(*client, "SENS:FREQ:STAR 13MHz;STOP 15.5e6;:SENS:FREQ:STAR?"),
                 QByteArray("13000000"));
        QCOMPARE(w.ui.txtStart->text(), QStringLiteral("13"));
        QCOMPARE(w.ui.txtStop->text(), QStringLiteral("15.5"));
        QCOMPARE(Ask(*client, "SENS:SWE:POIN?"), QByteArray("200"));

        // Not running: INIT presses RUN, and *OPC? waits for the sweep drawn.
        QSignalSpy acquired(&w, &chart1::sweepAcquired);
        QCOMPARE(Ask(*client, "INIT:IMM;*OPC?"), QByteArray("1"));
        QVERIFY(acquired.count() >= 1);
        QVERIFY(f.running());
        const QList<QByteArray> swr = Ask(*client, "TRAC:DATA? SWR").split(',');
        const QList<QByteArray> hz = Ask(*client, "SENS:FREQ:DATA?").split(',');
        QCOMPARE(swr.size(), 200);
        QCOMPARE(hz.size(), 200);
        const auto best =
            std::min_element(swr.begin(), swr.end(),
                             [](auto& a, auto& b) { return a.toDouble() < b.toDouble(); }) -
            swr.begin();
        const double bestHz = hz[best].toDouble();
        QVERIFY2(std::abs(bestHz - 14.2e6) < 0.2e6, qPrintable(QString::number(bestHz)));
        // Running and not held, a setting the sweeps depend on waits.
        QCOMPARE(Ask(*client, "SENS:SWE:POIN 300;:SYST:ERR?"),
                 QByteArray("-221,\"Settings conflict\""));

        // A marker set remotely is the window's marker; its value the readout's.
        const double marker = Ask(*client, "CALC:MARK1:X 14.2MHz;X?").toDouble();
        QCOMPARE(marker, w.markerControls().frequencyOf(1));
        QVERIFY(std::abs(marker - 14.2e6) <= 12500.0 / 2);
        QVERIFY(w.ui.chkMkr1->isChecked());
        QVERIFY(std::abs(Ask(*client, "CALC:MARK1:Y? SWR").toDouble() - swr[best].toDouble()) <
                0.2);

        QCOMPARE(Ask(*client, "SENS:MODE TRAN;MODE?"), QByteArray("\"Transmission\""));
        QCOMPARE(w.fields.TransmissionMode, 1.0f);
        QVERIFY(!w.ui.chkSWR->isEnabled());
        QCOMPARE(Ask(*client, "SENS:MODE ANT;MODE?"), QByteArray("\"Antenna\""));

        // Limits: none loaded is an error; loaded, the window's verdict.
        QVERIFY(Ask(*client, "CALC:LIM:FAIL?;:SYST:ERR?").startsWith("-221"));
        QTemporaryDir dir;
        QFile limits(dir.filePath(QStringLiteral("wide.limits")));
        QVERIFY(limits.open(QIODevice::WriteOnly));
        limits.write("swr max 13 1.2 15.5 1.2\n");
        limits.close();
        QVERIFY(w.limitsControl().load(limits.fileName()));
        QVERIFY(f.nextTick());
        QCOMPARE(Ask(*client, "CALC:LIM:FAIL?"), QByteArray("1"));

        // HOLD by command is the window's Hold.
        QCOMPARE(Ask(*client, "INIT:CONT OFF;CONT?"), QByteArray("0"));
        QVERIFY(w.ui.chkHold->isChecked());
        // A range set on Hold goes into the locked boxes, as a user would put it.
        QCOMPARE(Ask(*client, "SENS:FREQ:STAR 13.5MHz;STAR?"), QByteArray("13500000"));
        QCOMPARE(w.ui.txtStart->text(), QStringLiteral("13.5"));
        QVERIFY(w.ui.chkHold->isChecked());

        // A client that leaves with a sweep owed: the window goes on, and the
        // next client is served.
        client->write("INIT:IMM;*OPC?\n");
        client->flush();
        client->abort();
        QTRY_VERIFY(w.remote().indicator()->isHidden());
        QTRY_VERIFY_WITH_TIMEOUT(w.ui.chkHold->isChecked(), 8000);  // its one sweep, then Hold
        const auto next = Connected(server.serverPort());
        QVERIFY(next);
        QCOMPARE(Ask(*next, "INIT:CONT ON;CONT?"), QByteArray("1"));
        const qsizetype before = acquired.count();
        QTRY_VERIFY_WITH_TIMEOUT(acquired.count() >= before + 2, 8000);
        w.cmdRUN_Click();
    }
};

QTEST_MAIN(RemoteWindowTest)
#include "tst_remote_window.moc"
