#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "instrument/linux_parallel_port.h"
#include "instrument/parallel_sequences.h"
#include "instrument/recording_parallel_port.h"

namespace {
enum class Sequence { ClockZero, Latch, Reset, TickClear };

void Run(Sequence sequence, ParallelPort& port, std::int16_t address) {
    switch (sequence) {
        case Sequence::ClockZero:
            ParallelClockZero(port, address);
            break;
        case Sequence::Latch:
            ParallelLatch(port, address);
            break;
        case Sequence::Reset:
            ParallelReset(port, address);
            break;
        case Sequence::TickClear:
            ParallelTickClear(port, address);
            break;
    }
}

// The device's reset as a wire listing: 40 times (24, 26), then 24, 28, 24.
QList<int> ResetListing() {
    QList<int> bytes;
    for (int bit = 0; bit < 40; ++bit) {
        bytes.push_back(24);
        bytes.push_back(26);
    }
    bytes << 24 << 28 << 24;
    return bytes;
}

// A fake /proc/sys/dev/parport: one folder per port with its base-addr file.
void AddPort(const QString& root, const QString& name, const QByteArray& baseAddr) {
    QVERIFY(QDir(root).mkpath(name));
    QFile file(root + "/" + name + "/base-addr");
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(baseAddr);
}
}  // namespace

Q_DECLARE_METATYPE(Sequence)

class TestParallelPort : public QObject {
    Q_OBJECT
private slots:
    void sequences_data();
    void sequences();
    void unconfiguredAddressWritesNothing_data();
    void unconfiguredAddressWritesNothing();
    void baseAddressParse_data();
    void baseAddressParse();
    void findsPortByBase_data();
    void findsPortByBase();
    void unavailablePortNoticesOnceThenSkips_data();
    void unavailablePortNoticesOnceThenSkips();
    void zeroAddressNeverLooksForAPort();
};

void TestParallelPort::sequences_data() {
    QTest::addColumn<Sequence>("sequence");
    QTest::addColumn<int>("address");
    QTest::addColumn<QList<int>>("expected");

    QTest::newRow("reset at 0x378") << Sequence::Reset << 888 << ResetListing();
    QTest::newRow("reset at 0xBC00") << Sequence::Reset << -17408 << ResetListing();
    QTest::newRow("clock zero") << Sequence::ClockZero << 888 << QList<int>{24, 26};
    QTest::newRow("latch") << Sequence::Latch << 888 << QList<int>{24, 28, 24};
    QTest::newRow("tick") << Sequence::TickClear << 632 << QList<int>{0};
}

void TestParallelPort::sequences() {
    QFETCH(Sequence, sequence);
    QFETCH(int, address);
    QFETCH(QList<int>, expected);

    RecordingParallelPort port;
    Run(sequence, port, static_cast<std::int16_t>(address));

    QList<int> values;
    for (const auto& write : port.writes()) {
        QCOMPARE(int{write.address}, address);
        values.push_back(write.value);
    }
    QCOMPARE(values, expected);
    if (sequence == Sequence::Reset) {
        QCOMPARE(values.size(), 83);
    }
}

void TestParallelPort::unconfiguredAddressWritesNothing_data() {
    QTest::addColumn<Sequence>("sequence");
    QTest::newRow("reset") << Sequence::Reset;
    QTest::newRow("clock zero") << Sequence::ClockZero;
    QTest::newRow("latch") << Sequence::Latch;
    QTest::newRow("tick") << Sequence::TickClear;
}

void TestParallelPort::unconfiguredAddressWritesNothing() {
    QFETCH(Sequence, sequence);
    RecordingParallelPort port;
    Run(sequence, port, 0);
    QVERIFY(port.writes().empty());
}

void TestParallelPort::baseAddressParse_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("expected");  // -1: no number

    QTest::newRow("kernel format") << QByteArray("888\t1912\n") << 888;
    QTest::newRow("single") << QByteArray("632\n") << 632;
    QTest::newRow("leading blanks") << QByteArray("  \t956 0") << 956;
    QTest::newRow("above 32767") << QByteArray("48128\t48132\n") << 48128;
    QTest::newRow("empty") << QByteArray("") << -1;
    QTest::newRow("blank") << QByteArray(" \n") << -1;
    QTest::newRow("words") << QByteArray("none") << -1;
    QTest::newRow("negative") << QByteArray("-888") << -1;
}

void TestParallelPort::baseAddressParse() {
    QFETCH(QByteArray, text);
    QFETCH(int, expected);
    const auto parsed = ParseParportBaseAddress(std::string_view(text.constData(), text.size()));
    if (expected < 0) {
        QVERIFY(!parsed.has_value());
    } else {
        QVERIFY(parsed.has_value());
        QCOMPARE(*parsed, static_cast<std::uint32_t>(expected));
    }
}

void TestParallelPort::findsPortByBase_data() {
    QTest::addColumn<int>("base");
    QTest::addColumn<QString>("expected");  // empty: not found

    QTest::newRow("first") << 632 << "parport0";
    QTest::newRow("second") << 888 << "parport1";
    QTest::newRow("high address") << 48128 << "parport2";
    QTest::newRow("unlisted") << 956 << "";
    QTest::newRow("second number is not the base") << 1912 << "";
}

void TestParallelPort::findsPortByBase() {
    QFETCH(int, base);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString root = dir.path();
    AddPort(root, "parport1", "888\t1912\n");
    AddPort(root, "parport0", "632\t1656\n");
    AddPort(root, "parport2", "48128\t48132\n");
    QVERIFY(QDir(root).mkpath("default"));  // the kernel's defaults folder has no base-addr

    const auto found = FindParportByBase(root.toStdString(), static_cast<std::uint16_t>(base));
    QCOMPARE(found.has_value(), !expected.isEmpty());
    if (found) {
        QCOMPARE(QString::fromStdString(*found), expected);
    }
}

void TestParallelPort::unavailablePortNoticesOnceThenSkips_data() {
    QTest::addColumn<int>("address");
    QTest::addColumn<bool>("listed");      // a port with that base exists
    QTest::addColumn<bool>("deviceNode");  // its device node exists (a plain file here)
    QTest::addColumn<QString>("expectedStart");
    QTest::addColumn<QString>("expectedReason");

    QTest::newRow("no such port") << 888 << false << false << "Parallel port at 0x378"
                                  << "not found";
    QTest::newRow("no device node") << 888 << true << false << "Parallel port at 0x378"
                                    << "cannot be opened";
    QTest::newRow("not a ppdev node") << 888 << true << true << "Parallel port at 0x378"
                                      << "cannot be claimed";
    QTest::newRow("negative 16-bit address") << -17408 << true << false << "Parallel port at 0xBC00"
                                             << "cannot be opened";
}

void TestParallelPort::unavailablePortNoticesOnceThenSkips() {
    QFETCH(int, address);
    QFETCH(bool, listed);
    QFETCH(bool, deviceNode);
    QFETCH(QString, expectedStart);
    QFETCH(QString, expectedReason);

    QTemporaryDir proc;
    QTemporaryDir dev;
    QVERIFY(proc.isValid() && dev.isValid());
    AddPort(proc.path(), "parport0", "632\t1656\n");
    if (listed) {
        const auto base = static_cast<std::uint16_t>(static_cast<std::int16_t>(address));
        AddPort(proc.path(), "parport3", QByteArray::number(base) + "\t0\n");
    }
    if (deviceNode) {
        QFile node(dev.path() + "/parport3");
        QVERIFY(node.open(QIODevice::WriteOnly));
    }

    LinuxParallelPort port(proc.path().toStdString(), dev.path().toStdString());
    QCOMPARE(port.takeNotice(), std::string());

    ParallelReset(port, static_cast<std::int16_t>(address));
    const QString notice = QString::fromStdString(port.takeNotice());
    QVERIFY2(notice.startsWith(expectedStart), qPrintable(notice));
    QVERIFY2(notice.contains(expectedReason), qPrintable(notice));
    QVERIFY2(notice.contains("skipped"), qPrintable(notice));
    QVERIFY(port.devicePath().empty());

    // Every later tick stays silent: the user is told once, not 20 times a second.
    for (int tick = 0; tick < 100; ++tick) {
        ParallelTickClear(port, static_cast<std::int16_t>(address));
    }
    QCOMPARE(port.takeNotice(), std::string());
    QVERIFY(port.devicePath().empty());
    if (deviceNode) {
        QCOMPARE(QFileInfo(dev.path() + "/parport3").size(), 0);
    }
}

void TestParallelPort::zeroAddressNeverLooksForAPort() {
    QTemporaryDir proc;
    QVERIFY(proc.isValid());
    LinuxParallelPort port(proc.path().toStdString(), proc.path().toStdString());
    port.Out(0, 24);
    ParallelReset(port, 0);
    ParallelTickClear(port, 0);
    QCOMPARE(port.takeNotice(), std::string());
}

QTEST_GUILESS_MAIN(TestParallelPort)
#include "tst_parallel_port.moc"
