#include <QtTest>

#include <string>

#include "instrument/qt_serial_port_service.h"
#include "instrument/serial_device.h"
#include "instrument/serial_ports.h"
#include "support/test_support.h"

class TestSerialDevice : public QObject {
    Q_OBJECT
private slots:
    void devicePath_data();
    void devicePath();
    void openFailureNamesTheDevice_data();
    void openFailureNamesTheDevice();
    void secondOpenOfOnePortIsBusy();
    void bytesPassUnchanged();
    void wholeReplyWaitsInTheBuffer();
    void farEndClosedIsDeviceGone();
    void closedPortSendsAndReadsNothing();
};

void TestSerialDevice::devicePath_data() {
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("path");
    QTest::newRow("port 1") << 1 << QString() << "/dev/ttyS0";
    QTest::newRow("port 2") << 2 << QString() << "/dev/ttyS1";
    QTest::newRow("port 16") << 16 << QString() << "/dev/ttyS15";
    QTest::newRow("largest port") << 32767 << QString() << "/dev/ttyS32766";
    QTest::newRow("port 0: none configured") << 0 << QString() << QString();
    QTest::newRow("negative port") << -3 << QString() << QString();
    QTest::newRow("device wins over port") << 3 << "/dev/ttyUSB0"
                                           << "/dev/ttyUSB0";
    QTest::newRow("device without port") << 0 << "/tmp/zezizav-link"
                                         << "/tmp/zezizav-link";
}

void TestSerialDevice::devicePath() {
    QFETCH(int, port);
    QFETCH(QString, device);
    QFETCH(QString, path);
    QCOMPARE(SerialDevicePath(static_cast<std::int16_t>(port), device.toStdString()), path);
}

void TestSerialDevice::openFailureNamesTheDevice_data() {
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("error");
    QTest::newRow("missing") << "/dev/zezizav-no-such-port"
                             << "Cannot open /dev/zezizav-no-such-port: there is no such device";
    QTest::newRow("none configured")
        << QString() << "Cannot open the serial port: no serial port is configured";
}

void TestSerialDevice::openFailureNamesTheDevice() {
    QFETCH(QString, device);
    QFETCH(QString, error);
    QtSerialPortService service;
    service.setDevice(device);
    QString why;
    QVERIFY(!service.open(&why));
    QVERIFY2(why.startsWith(error), qPrintable(why));  // the ports present follow
    QVERIFY(!service.isOpen());
}

void TestSerialDevice::secondOpenOfOnePortIsBusy() {
    TestSupport::PtyPair pty;
    QVERIFY2(pty.isValid(), qPrintable(pty.error()));
    QtSerialPortService first;
    first.setDevice(pty.slavePath());
    QString why;
    QVERIFY2(first.open(&why), qPrintable(why));
    QtSerialPortService second;
    second.setDevice(pty.slavePath());
    QVERIFY(!second.open(&why));
    // The lock file the first holds is named, with the process holding it.
    const QString lock = QStringLiteral("/var/lock/") + SerialLockFileName(pty.slavePath());
    QCOMPARE(why, QStringLiteral("Cannot open %1: it is in use by another program (lock file %2, "
                                 "held by process %3 %4)")
                      .arg(pty.slavePath(), lock)
                      .arg(QCoreApplication::applicationPid())
                      .arg(QFileInfo(QCoreApplication::applicationFilePath()).fileName().left(15)));
    // Once the first lets go, the port can be had again.
    first.close();
    QVERIFY2(second.open(&why), qPrintable(why));
}

void TestSerialDevice::bytesPassUnchanged() {
    TestSupport::PtyPair pty;
    QVERIFY2(pty.isValid(), qPrintable(pty.error()));
    QtSerialPortService service;
    service.setDevice(pty.slavePath());
    QString why;
    QVERIFY2(service.open(&why), qPrintable(why));
    QSignalSpy arrived(&service, &SerialPortService::dataArrived);

    // Every byte value, CR, LF, NUL and XON/XOFF included, reaches the reader.
    QByteArray all;
    for (int v = 0; v < 256; ++v) {
        all.append(static_cast<char>(v));
    }
    QVERIFY(pty.write(all));
    QTRY_COMPARE(service.bytesAvailable(), all.size());
    QVERIFY(!arrived.isEmpty());
    QCOMPARE(service.readAll(), all);
    QCOMPARE(service.bytesAvailable(), 0);

    // And a command line goes out with nothing added.
    QCOMPARE(service.write(QByteArray(" 10737000\r")), 10);
    QByteArray sent;
    QTRY_VERIFY((sent += pty.read(0, 10), sent.size() >= 10));
    QCOMPARE(sent, QByteArray(" 10737000\r"));
}

void TestSerialDevice::wholeReplyWaitsInTheBuffer() {
    TestSupport::PtyPair pty;
    QVERIFY2(pty.isValid(), qPrintable(pty.error()));
    QtSerialPortService service;
    service.setDevice(pty.slavePath());
    QString why;
    QVERIFY2(service.open(&why), qPrintable(why));
    // A 6000-point reply is far larger than the terminal's own queue; nothing
    // may be lost while the reader has not yet asked for it.
    QByteArray reply;
    for (int i = 0; i < 24000; ++i) {
        reply.append(static_cast<char>(i * 7));
    }
    for (qsizetype at = 0; at < reply.size(); at += 1000) {
        QVERIFY(pty.write(reply.mid(at, 1000)));
        QTest::qWait(1);
    }
    QTRY_COMPARE(service.bytesAvailable(), reply.size());
    QCOMPARE(service.readAll(), reply);
}

void TestSerialDevice::farEndClosedIsDeviceGone() {
    TestSupport::PtyPair pty;
    QVERIFY2(pty.isValid(), qPrintable(pty.error()));
    QtSerialPortService service;
    service.setDevice(pty.slavePath());
    QString why;
    QVERIFY2(service.open(&why), qPrintable(why));
    QSignalSpy failed(&service, &SerialPortService::failed);
    pty.closeMaster();
    QTRY_COMPARE(failed.size(), 1);
    QCOMPARE(failed.at(0).at(0).toString(),
             QStringLiteral("The serial device %1 has gone away").arg(pty.slavePath()));
    QCOMPARE(failed.at(0).at(1).toBool(), true);
    QVERIFY(!service.isOpen());
    // Closed once: no second report.
    QTest::qWait(50);
    QCOMPARE(failed.size(), 1);
}

void TestSerialDevice::closedPortSendsAndReadsNothing() {
    QtSerialPortService service;
    service.setDevice(QStringLiteral("/dev/zezizav-no-such-port"));
    QCOMPARE(service.write(QByteArray(" 1\r")), -1);
    QCOMPARE(service.bytesAvailable(), 0);
    QVERIFY(service.readAll().isEmpty());
}

QTEST_GUILESS_MAIN(TestSerialDevice)
#include "tst_serial_device.moc"
