// Why a serial port would not open, in words a user can act on: the rule fed
// with what the system said of the device, and the real thing on a
// pseudo-terminal closed to our user (tst_serial_device has a locked one).
#include <QtTest>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include "instrument/port_diagnosis.h"
#include "instrument/qt_serial_port_service.h"
#include "instrument/serial_ports.h"
#include "support/test_support.h"

Q_DECLARE_METATYPE(PortOpenFacts)

namespace {

constexpr unsigned kCharDevice = 0020000;
constexpr unsigned kDialout = 20;

PortOpenFacts Device(unsigned mode, unsigned euid = 1000, std::vector<unsigned> gids = {1000}) {
    PortOpenFacts f;
    f.device = "/dev/ttyUSB0";
    f.mode = kCharDevice | mode;
    f.groupGid = kDialout;
    f.ownerName = "root";
    f.groupName = "dialout";
    f.euid = euid;
    f.gids = std::move(gids);
    return f;
}

}  // namespace

class PortDiagnosisTest : public QObject {
    Q_OBJECT
private slots:
    void describe_data() {
        QTest::addColumn<PortOpenFacts>("facts");
        QTest::addColumn<QString>("said");
        const QString head = "Cannot open /dev/ttyUSB0: ";
        QTest::newRow("not in the owning group")
            << Device(0660)
            << head +
                   "permission denied. The device belongs to the group dialout: "
                   "add your user to the group dialout, then log out and in";
        PortOpenFacts uucp = Device(0660);
        uucp.groupName = "uucp";
        QTest::newRow("another group") << uucp
                                       << head +
                                              "permission denied. The device belongs to "
                                              "the group uucp: add your user to the group "
                                              "uucp, then log out and in";
        QTest::newRow("owner only")
            << Device(0600)
            << head +
                   "permission denied. Only its owner root may use it (crw-------, group dialout)";
        PortOpenFacts member = Device(0660, 1000, {1000, kDialout});
        member.systemText = "Input/output error";
        QTest::newRow("in the group: the system's words") << member << head + "Input/output error";
        PortOpenFacts root = Device(0600, 0, {0});
        root.busy = true;
        QTest::newRow("root, exclusive") << root << head + "it is in use by another program";
        PortOpenFacts locked = Device(0660, 1000, {kDialout});
        locked.lockFile = "/var/lock/LCK..ttyUSB0";
        locked.lockPid = 4242;
        locked.lockProcess = "minicom";
        QTest::newRow("locked") << locked
                                << head +
                                       "it is in use by another program (lock file "
                                       "/var/lock/LCK..ttyUSB0, held by process 4242 minicom)";
        locked.lockPid = 0;
        QTest::newRow("locked, holder unreadable")
            << locked
            << head +
                   "it is in use by another program (lock file /var/lock/LCK..ttyUSB0; "
                   "the process holding it cannot be read)";
        PortOpenFacts missing;
        missing.device = "/dev/ttyUSB0";
        missing.exists = false;
        QTest::newRow("missing, no ports")
            << missing
            << head +
                   "there is no such device, and no serial ports are present (is the "
                   "adapter plugged in?)";
        missing.ports = QStringList{"/dev/ttyS0", "/dev/ttyUSB1"};
        QTest::newRow("missing, ports listed")
            << missing
            << head + "there is no such device. Serial ports present: /dev/ttyS0, /dev/ttyUSB1";
    }
    void describe() {
        QFETCH(PortOpenFacts, facts);
        QFETCH(QString, said);
        QCOMPARE(DescribeOpenFailure(facts), said);
    }

    // A real refusal: our own command-line tool, run as a user outside the
    // group that owns the line.
    void permissionDeniedForAnotherUser() {
        if (::geteuid() != 0) {
            QSKIP("needs root, to hand the line to a group and run as another user");
        }
        const group* dialout = ::getgrnam("dialout");
        if (!dialout) {
            QSKIP("no group dialout");
        }
        TestSupport::PtyPair pty;
        QVERIFY2(pty.isValid(), qPrintable(pty.error()));
        const QByteArray path = QFile::encodeName(pty.slavePath());
        QCOMPARE(::chown(path.constData(), 0, dialout->gr_gid), 0);
        QCOMPARE(::chmod(path.constData(), 0660), 0);
        // Settings the other user can read.
        QTemporaryDir dir;
        const QString settings = dir.filePath("vezizo.ini");
        QFile file(settings);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("[PARAMETERS]\n") > 0);
        file.close();
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7755)));
        QVERIFY(QFile::setPermissions(settings, QFileDevice::Permissions(0x6644)));
        QProcess cli;
        cli.setChildProcessModifier([] {
            const gid_t nogroup = 65534;
            if (::setgroups(1, &nogroup) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) {
                ::_exit(99);
            }
        });
        cli.start(TestSupport::BuiltProgram("zezizav-cli"),
                  {"sweep", "--device", pty.slavePath(), "--start", "1", "--stop", "2", "--points",
                   "10", "--output", dir.filePath("x.vec"), "--settings", settings});
        if (!cli.waitForFinished(20000) || cli.exitCode() == 99) {
            QSKIP("cannot run our program as another user here");
        }
        const QString err = QString::fromLocal8Bit(cli.readAllStandardError());
        QCOMPARE(cli.exitCode(), 1);
        QVERIFY2(
            err.contains(QStringLiteral("Cannot open %1: permission denied. The device belongs "
                                        "to the group dialout: add your user to the group "
                                        "dialout, then log out and in")
                             .arg(pty.slavePath())),
            qPrintable(err));
    }
};

QTEST_GUILESS_MAIN(PortDiagnosisTest)
#include "tst_port_diagnosis.moc"
