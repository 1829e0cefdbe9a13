// zezizav-sim seen from the serial line: a raw client on its pseudo-terminal.

#include <QtTest>

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "support/test_support.h"

namespace {

// The far end of the line as a program would open it.
class Line {
public:
    explicit Line(const QString& path) {
        fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        termios tio{};
        if (fd_ >= 0 && tcgetattr(fd_, &tio) == 0) {
            cfmakeraw(&tio);
            tcsetattr(fd_, TCSANOW, &tio);
        }
    }
    ~Line() { close(); }
    Line(const Line&) = delete;
    Line& operator=(const Line&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    void close() {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    bool send(const QByteArray& bytes) {
        sentAt_.start();
        return ::write(fd_, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }
    // Reads until exactly `want` bytes have come (or the limit); msToLast()
    // then tells when the last of them came, counted from the last send().
    QByteArray receiveExactly(qsizetype want, int limitMs = 5000) {
        QByteArray got;
        const QDeadlineTimer limit(limitMs);
        while (got.size() < want && !limit.hasExpired()) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(limit.remainingTime())) <= 0) {
                break;
            }
            char buffer[4096];
            const ssize_t n = ::read(fd_, buffer, size_t(qMin<qsizetype>(want - got.size(), 4096)));
            if (n > 0) {
                got.append(buffer, n);
                msToLast_ = sentAt_.elapsed();
            } else if (!(n < 0 && errno == EAGAIN)) {
                break;
            }
        }
        return got;
    }
    qint64 msToLast() const { return msToLast_; }
    // Reads until `want` bytes have come, then `quietMs` more (to catch
    // surplus), or until nothing comes for quietMs, or the line hangs up.
    QByteArray receive(qsizetype want, int quietMs = 150, int limitMs = 10000) {
        QByteArray got;
        hungUp_ = false;
        const QDeadlineTimer limit(limitMs);
        while (!limit.hasExpired()) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, quietMs) <= 0) {
                break;  // quiet
            }
            char buffer[4096];
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n <= 0) {
                if (n < 0 && errno == EAGAIN) {
                    continue;
                }
                hungUp_ = true;
                break;
            }
            got.append(buffer, n);
            if (got.size() > want + 64) {
                break;
            }
        }
        return got;
    }
    bool hungUp() const { return hungUp_; }

private:
    int fd_ = -1;
    bool hungUp_ = false;
    QElapsedTimer sentAt_;
    qint64 msToLast_ = -1;
};

const QByteArray kSweep5 = " 0\r 10737000\r 5\r 3843846\r";  // 1 MHz + k x 358 kHz, 5 points

}  // namespace

class TestSimPty : public QObject {
    Q_OBJECT

private slots:
    void garbageIsIgnoredAndTheCommandAnswered() {
        TestSupport::SimProcess sim;
        QString error;
        QVERIFY2(sim.start({"-v", "--dut", "short"}, &error), qPrintable(error));
        Line line(sim.ptyPath());
        QVERIFY(line.isOpen());
        QVERIFY(line.send("hello\r\n\r 1.5\r" + QByteArray(5000, 'x') + "\r"));
        QVERIFY(line.send(" 7\r 10737000\r 5\r 0\r"));  // mode 7: not answered
        QVERIFY(line.send(kSweep5));
        const QByteArray reply = line.receive(20);
        QCOMPARE(reply.toHex(), QByteArray("ff035701").repeated(5));
        QVERIFY(sim.isRunning());
        QTRY_VERIFY(sim.output().contains(QStringLiteral("reply 20 bytes, fault none")));
        const QString log = sim.output();
        QVERIFY2(log.contains(QStringLiteral("ignoring a line that is not a number: \"hello\"")),
                 qPrintable(log));
        QVERIFY2(log.contains(QStringLiteral("mode 7")), qPrintable(log));
        QVERIFY2(log.contains(QStringLiteral("line \" 10737000\"")), qPrintable(log));
    }

    void singleFrequencyAnswersOneRecord() {
        TestSupport::SimProcess sim;
        QString error;
        QVERIFY2(sim.start({}, &error), qPrintable(error));
        Line line(sim.ptyPath());
        QVERIFY(line.send(" 1\r 10737000\r 1\r 0\r"));
        // Transmission through an antenna: nothing, the largest count.
        QCOMPARE(line.receive(4).toHex(), QByteArray("0000ff03"));
    }

    // The devices of a known reactance sign are taken by name with the options
    // they use, and the options of other devices are refused on them. The whip
    // tuned to 7.1 MHz is near a match there (about 27 ohm, 10.6 dB), where
    // the default antenna reflects nearly all.
    void signedDevicesAreTaken_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<double>("lossAboveDb");  // at 7.1 MHz; 0: passive, no gain
        QTest::newRow("whip") << QStringList{"--dut", "whip", "--f0", "7.1"} << true << 6.0;
        QTest::newRow("dipole") << QStringList{"--dut", "dipole"} << true << 0.0;
        QTest::newRow("stub") << QStringList{"--dut", "stub", "--length", "5", "--vf", "0.8"}
                              << true << 0.0;
        QTest::newRow("stub with an end")
            << QStringList{"--dut", "stub", "--end", "open"} << false << 0.0;
        QTest::newRow("whip with a resistance")
            << QStringList{"--dut", "whip", "--r", "25"} << false << 0.0;
    }
    void signedDevicesAreTaken() {
        QFETCH(QStringList, args);
        QFETCH(bool, taken);
        QFETCH(double, lossAboveDb);
        TestSupport::SimProcess sim;
        QCOMPARE(sim.start(args, nullptr, 3000), taken);
        if (!taken) {
            return;
        }
        Line line(sim.ptyPath());
        QVERIFY(line.send(" 0\r 76232700\r 1\r 0\r"));  // 7.1 MHz
        const QByteArray reply = line.receive(4);
        QCOMPARE(reply.size(), 4);
        const int magnitude =
            static_cast<unsigned char>(reply[2]) + 256 * static_cast<unsigned char>(reply[3]);
        // Half a count (0.03 dB) of slack: 0 dB is count 343, read as -0.03 dB.
        QVERIFY2(magnitude * 0.0587 - 20.16 > lossAboveDb - 0.03,
                 qPrintable(QString::number(magnitude)));
    }

    // Ten commands at once: the faults drawn, and every byte sent, are the
    // same in a second run with the same seed.
    void randomFaultsFollowTheSeed() {
        const auto run = [](const QStringList& args) {
            TestSupport::SimProcess sim;
            QString error;
            if (!sim.start(args, &error)) {
                return QStringList{error};
            }
            Line line(sim.ptyPath());
            line.send(kSweep5.repeated(10));
            QByteArray bytes;
            QList<TestSupport::SimExchange> log;
            const QDeadlineTimer limit(10000);
            while (log.size() < 10 && !limit.hasExpired()) {
                bytes += line.receive(1, 20);
                QCoreApplication::processEvents();  // the log comes through QProcess
                log = TestSupport::SimExchangesFromLog(sim.output());
            }
            bytes += line.receive(1, 200);  // the last reply, late or slow as it may be
            QStringList faults{QString::fromLatin1(bytes.toHex())};
            for (const auto& exchange : log) {
                faults << exchange.fault;
            }
            return faults;
        };
        const QStringList args{"-v", "--dut", "load", "--fault", "random:0.5", "--seed", "7"};
        const QStringList first = run(args);
        QCOMPARE(first.size(), 11);
        QCOMPARE(run(args), first);
        QVERIFY(first.contains(QStringLiteral("none")));
        QVERIFY(first.contains(QStringLiteral("late")));
        QVERIFY(first.contains(QStringLiteral("silent")));
    }

    // A late reply starts its delay after the command, a slow one streams at
    // a fraction of the wire rate; either way it comes whole, never sooner,
    // and a command that came meanwhile is answered after it.
    void lateAndSlowReplies_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("notBeforeMs");  // the end of one reply
        QTest::newRow("late") << QStringList{"--fault", "late:300"} << 5 << 300;
        // 2000 bytes take 173.6 ms on the wire.
        QTest::newRow("late and paced")
            << QStringList{"--pace", "--fault", "late:200"} << 500 << 373;
        QTest::newRow("slow") << QStringList{"--fault", "slow:0.5"} << 500 << 347;
    }
    void lateAndSlowReplies() {
        QFETCH(QStringList, args);
        QFETCH(int, points);
        QFETCH(int, notBeforeMs);
        TestSupport::SimProcess sim;
        QString error;
        QVERIFY2(sim.start(args << "--dut"
                                << "load",
                           &error),
                 qPrintable(error));
        Line line(sim.ptyPath());
        const QByteArray command = " 0\r 10737000\r " + QByteArray::number(points) + "\r 1000\r";
        QVERIFY(line.send(command + command));
        QCOMPARE(line.receiveExactly(8 * points).toHex(),
                 QByteArray("0000ff03").repeated(2 * points));
        QVERIFY2(line.msToLast() >= 2 * notBeforeMs, qPrintable(QString::number(line.msToLast())));
        QCOMPARE(line.receive(1, 50).size(), 0);  // and nothing more
    }

    void linkIsMadeReplacedAndRemoved() {
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("analyser"));
        QVERIFY(QFile::link(QStringLiteral("/dev/pts/stale-from-an-old-run"), link));
        {
            TestSupport::SimProcess sim;
            QString error;
            QVERIFY2(sim.start({"--link", link}, &error), qPrintable(error));
            QCOMPARE(QFileInfo(link).symLinkTarget(), sim.ptyPath());
            Line line(link);
            QVERIFY(line.send(kSweep5));
            QCOMPARE(line.receive(20).size(), 20);
            line.close();
            sim.stop();
            QCOMPARE(sim.process().exitStatus(), QProcess::NormalExit);
            QCOMPARE(sim.process().exitCode(), 0);
        }
        QVERIFY(!QFileInfo(link).isSymLink());

        // Something that is not a link is never replaced.
        QFile plain(link);
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.write("keep me");
        plain.close();
        TestSupport::SimProcess sim;
        QVERIFY(!sim.start({"--link", link}, nullptr, 3000));
        QFile kept(link);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("keep me"));
    }

    void hangupClosesTheLineAndEnds() {
        TestSupport::SimProcess sim;
        QString error;
        QVERIFY2(sim.start({"--fault", "hangup"}, &error), qPrintable(error));
        Line line(sim.ptyPath());
        QVERIFY(line.send(" 0\r 10737000\r 500\r 3843846\r"));
        const QByteArray got = line.receive(2000);
        QVERIFY(line.hungUp());
        QVERIFY2(got.size() <= 1000, qPrintable(QString::number(got.size())));
        QVERIFY(sim.process().waitForFinished(3000));
        QCOMPARE(sim.process().exitCode(), 0);
        QVERIFY(sim.output().contains(QStringLiteral("hangup")));
    }

    // A client that leaves in the middle of a paced reply: the next one must
    // not receive the rest of it.
    void aClosedLineDropsTheReplyInFlight() {
        TestSupport::SimProcess sim;
        QString error;
        QVERIFY2(sim.start({"--pace", "--dut", "load"}, &error), qPrintable(error));
        {
            Line first(sim.ptyPath());
            QVERIFY(first.send(" 0\r 10737000\r 6000\r 1000\r"));
            QVERIFY(first.receive(64, 300, 300).size() > 0);
        }
        QTest::qWait(100);  // the simulator notices the hangup of its line
        Line second(sim.ptyPath());
        QVERIFY(second.send(kSweep5));
        QCOMPARE(second.receive(20, 300).toHex(), QByteArray("0000ff03").repeated(5));
    }
};

QTEST_GUILESS_MAIN(TestSimPty)
#include "tst_sim_pty.moc"
