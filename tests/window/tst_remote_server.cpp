// The remote-control socket on 127.0.0.1, with a client in the same test:
// one client at a time, and no client, however it behaves, stalls the event
// loop or keeps the next one out.
#include <QNetworkInterface>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "remote/remote_session.h"
#include "settings/settings.h"
#include "support/event_loop_probe.h"
#include "support/plain_instrument.h"
#include "window/remote_server.h"

namespace {

// The window's timer, standing in for its sweeps: it must keep ticking.
class Ticker {
public:
    Ticker() {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { ++ticks; });
        timer_.start();
    }
    int ticks = 0;

private:
    QTimer timer_;
};

}  // namespace

class RemoteServerTest : public QObject {
    Q_OBJECT

    PlainInstrument instrument_;
    std::unique_ptr<RemoteServer> server_;

    std::unique_ptr<QTcpSocket> connected() {
        auto socket = std::make_unique<QTcpSocket>();
        socket->connectToHost(QHostAddress::LocalHost, server_->serverPort());
        [&] { QTRY_COMPARE(socket->state(), QAbstractSocket::ConnectedState); }();
        return socket;
    }

    // One line sent, one line back.
    QByteArray ask(QTcpSocket& socket, const QByteArray& line) {
        socket.write(line + "\n");
        QByteArray answer;
        [&] { QTRY_VERIFY(socket.canReadLine()); }();
        answer = socket.readLine();
        return answer.trimmed();
    }

    void nextClientWorks() {
        QTRY_VERIFY(!server_->hasClient());
        const auto socket = connected();
        QCOMPARE(ask(*socket, "*IDN?"), QByteArray("Zezizav,VNA-1,0,2.2.9"));
        QTRY_VERIFY(server_->hasClient());
    }

private slots:
    void init() {
        instrument_.fill(6000, 100, 1.2);
        server_ = std::make_unique<RemoteServer>(
            [this] { return std::make_unique<RemoteSession>(instrument_); });
        QVERIFY2(server_->listen(QString(), 0), qPrintable(server_->errorString()));
    }
    void cleanup() { server_.reset(); }

    // Loopback unless an address is named: no other address of this machine
    // reaches it.
    void loopbackByDefault() {
        QCOMPARE(server_->serverAddress(), QHostAddress(QHostAddress::LocalHost));
        QCOMPARE(QString::fromStdString(Settings{}.RemoteAddress), QStringLiteral("127.0.0.1"));
        for (const QHostAddress& a : QNetworkInterface::allAddresses()) {
            if (a.isLoopback() || a.protocol() != QAbstractSocket::IPv4Protocol) {
                continue;
            }
            QTcpSocket outside;
            outside.connectToHost(a, server_->serverPort());
            QVERIFY(!outside.waitForConnected(2000));
            QVERIFY(!server_->hasClient());
        }
    }

    void refusesWhatItCannotListenOn() {
        RemoteServer other([this] { return std::make_unique<RemoteSession>(instrument_); });
        QVERIFY(!other.listen(QString(), server_->serverPort()));
        QVERIFY(other.errorString().contains(QString::number(server_->serverPort())));
        QVERIFY(!other.listening());
        QVERIFY(!other.listen(QStringLiteral("localhost"), 0));
        QCOMPARE(other.errorString(), QStringLiteral("localhost is not an IP address"));
    }

    void answersAndSignals() {
        QSignalSpy connectedSpy(server_.get(), &RemoteServer::clientConnected);
        QSignalSpy disconnectedSpy(server_.get(), &RemoteServer::clientDisconnected);
        auto socket = connected();
        QTRY_COMPARE(connectedSpy.count(), 1);
        QCOMPARE(ask(*socket, "FREQ:STAR 2MHz;STAR?"), QByteArray("2000000"));
        const QByteArray swr = ask(*socket, "TRAC:DATA? SWR");
        QCOMPARE(swr.count(',') + 1, 6000);
        // *OPC? answers once the window says the sweep is drawn.
        socket->write("INIT:IMM;*OPC?\n");
        QTest::qWait(50);
        QVERIFY(!socket->canReadLine());
        server_->operationComplete();
        QTRY_VERIFY(socket->canReadLine());
        QCOMPARE(socket->readLine(), QByteArray("1\n"));
        socket->disconnectFromHost();
        QTRY_COMPARE(disconnectedSpy.count(), 1);
        nextClientWorks();
    }

    void secondClientIsBusy() {
        const auto first = connected();
        QTRY_VERIFY(server_->hasClient());
        QTcpSocket second;
        second.connectToHost(QHostAddress::LocalHost, server_->serverPort());
        QByteArray said;
        QTRY_VERIFY((said += second.readAll()).endsWith('\n'));
        QCOMPARE(said, QByteArray(RemoteServer::kBusyLine));
        QTRY_COMPARE(second.state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(ask(*first, "*OPC?"), QByteArray("1"));
    }

    void silentClient() {
        Ticker ticker;
        auto silent = connected();
        QTest::qWait(200);
        QVERIFY(ticker.ticks > 5);
        QVERIFY(server_->hasClient());
        silent->abort();
        nextClientWorks();
    }

    void garbageBytes() {
        Ticker ticker;
        auto socket = connected();
        QRandomGenerator random(7);
        QByteArray garbage(1 << 20, '\0');
        for (char& c : garbage) {
            c = static_cast<char>(random.bounded(256));
        }
        socket->write(garbage + "\n");
        QTRY_COMPARE(socket->bytesToWrite(), qint64(0));
        QTest::qWait(100);
        server_->operationComplete();  // were some garbage to have started a sweep
        // Whatever the garbage left open ends at its last line; the session goes on.
        socket->write("*CLS;*IDN?\n");
        QByteArray answers;
        QTRY_VERIFY((answers += socket->readAll()).contains("Zezizav,VNA-1,0,2.2.9\n"));
        QVERIFY(ticker.ticks > 0);
        socket->abort();
        nextClientWorks();
    }

    void disconnectsMidQuery() {
        auto waiting = connected();
        waiting->write("INIT;*OPC?;TRAC:DATA? SWR\n");
        QTest::qWait(20);
        waiting->abort();
        QTRY_VERIFY(!server_->hasClient());
        server_->operationComplete();  // for a client that is gone
        auto reading = connected();
        for (int i = 0; i < 50; ++i) {
            reading->write("TRAC:DATA? Z\n");
        }
        QTRY_VERIFY(reading->bytesAvailable() > 0);
        reading->abort();
        nextClientWorks();
    }

    // A flood of trace queries from a client that reads them all: answered
    // in full (more in all than the unsent bound, which only counts what
    // waits), in turns, with the window's timers served between them.
    void floodOfQueries() {
        TestSupport::EventLoopProbe probe;
        probe.start();
        auto socket = connected();
        const int queries = 200;  // 12 MB of answers
        for (int i = 0; i < queries; ++i) {
            socket->write("TRAC:DATA? SWR\n");
        }
        int answers = 0;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                while (socket->canReadLine()) {
                    answers += socket->readLine().count(',') == 5999 ? 1 : 0;
                }
                return answers == queries;
            }(),
            60000);
        probe.stop();
        // Not a speed figure: a stall of a second would be the loop run dry.
        QVERIFY2(probe.largestGapMs() < 1000, qPrintable(QString::number(probe.largestGapMs())));
        QVERIFY(server_->hasClient());
    }

    // A client that asks and never reads is dropped at the bound.
    void clientThatNeverReads() {
        Ticker ticker;
        QSignalSpy disconnectedSpy(server_.get(), &RemoteServer::clientDisconnected);
        server_->setStalledMs(300);
        QTcpSocket deaf;
        deaf.setReadBufferSize(1024);
        deaf.connectToHost(QHostAddress::LocalHost, server_->serverPort());
        QTRY_COMPARE(deaf.state(), QAbstractSocket::ConnectedState);
        // About 60 KB of answer each: 40 MB asked for, far past the bound and
        // what the kernel's buffers take.
        for (int i = 0; i < 700 && disconnectedSpy.isEmpty(); ++i) {
            deaf.write("TRAC:DATA? SWR;:SENS:FREQ:DATA?\n");
            QTest::qWait(1);
        }
        QTRY_COMPARE_WITH_TIMEOUT(disconnectedSpy.count(), 1, 10000);
        QVERIFY(ticker.ticks > 0);
        nextClientWorks();
    }
};

QTEST_MAIN(RemoteServerTest)
#include "tst_remote_server.moc"
