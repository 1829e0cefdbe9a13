// The built program itself, run as a user would start it: one copy at a
// time, and a settings file it cannot work with stops it by name.
#include <QtTest>
#include <csignal>

#include "support/test_support.h"

class StartupTest : public QObject {
    Q_OBJECT

    QTemporaryDir runtime_;

    // The program reads vezizo.ini beside itself, so each case runs its own
    // copy in a folder of its own.
    QString installCopy(const QTemporaryDir& dir, const QByteArray& ini) {
        const QString exe = dir.filePath(QStringLiteral("zezizav"));
        if (!QFile::copy(TestSupport::BuiltProgram(QStringLiteral("zezizav")), exe)) {
            return {};
        }
        if (!ini.isNull()) {
            QFile f(dir.filePath(QStringLiteral("vezizo.ini")));
            if (!f.open(QIODevice::WriteOnly) || f.write(ini) != ini.size()) {
                return {};
            }
        }
        return exe;
    }

    void prepare(QProcess& p) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
        env.insert(QStringLiteral("ZEZIZAV_MESSAGE_TIMEOUT_MS"), QStringLiteral("200"));
        p.setProcessEnvironment(env);
    }

    // Waits until the first copy holds the lock (taken before the splash).
    bool waitForLock() {
        const QString lock = QDir(runtime_.path()).filePath(QStringLiteral("zezizav.lock"));
        for (int i = 0; i < 100 && !QFile::exists(lock); ++i) {
            QTest::qWait(50);
        }
        return QFile::exists(lock);
    }

private slots:
    void init() { QVERIFY(runtime_.isValid()); }

    void secondCopyIsRefused() {
        QTemporaryDir dir;
        const QString exe = installCopy(dir, QByteArray());
        QVERIFY(!exe.isEmpty());
        QProcess first;
        prepare(first);
        first.start(exe, {});
        QVERIFY(first.waitForStarted());
        QVERIFY(waitForLock());

        QProcess second;
        prepare(second);
        second.start(exe, {});
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 1);
        QVERIFY(
            second.readAllStandardError().contains("The  'Zezizav'  program is already running"));

        // The first copy is unaffected.
        QCOMPARE(first.state(), QProcess::Running);
        first.terminate();
        QVERIFY(first.waitForFinished(10000));
    }

    void staleLockDoesNotBlock() {
        QTemporaryDir dir;
        const QString exe = installCopy(dir, QByteArray());
        QProcess killed;
        prepare(killed);
        killed.start(exe, {});
        QVERIFY(killed.waitForStarted());
        QVERIFY(waitForLock());
        ::kill(static_cast<pid_t>(killed.processId()), SIGKILL);
        QVERIFY(killed.waitForFinished(5000));

        QProcess next;
        prepare(next);
        next.start(exe, {});
        QVERIFY(next.waitForStarted());
        // Refused copies end at once; this one is still up past its splash.
        QVERIFY(!next.waitForFinished(3500));
        QCOMPARE(next.state(), QProcess::Running);
        next.terminate();
        QVERIFY(next.waitForFinished(10000));
    }

    void badSettingsStopStartupByName_data() {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("Step 40000") << QByteArray("[PARAMETERS]\nStep=40000\n")
                                    << QByteArray("Step") << QByteArray("40000");
        QTest::newRow("Champ 0") << QByteArray("[parameters]\nchamp=0\n") << QByteArray("Champ")
                                 << QByteArray("0");
        QTest::newRow("velocity factor") << QByteArray("[PARAMETERS]\nInputVelFactor=fast\n")
                                         << QByteArray("InputVelFactor") << QByteArray("fast");
        QTest::newRow("calibration offset") << QByteArray("[PORTSETTING]\ncaloffsetrx=-40000\n")
                                            << QByteArray("caloffsetrx") << QByteArray("-40000");
    }
    void badSettingsStopStartupByName() {
        QFETCH(QByteArray, ini);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, value);
        QTemporaryDir dir;
        const QString exe = installCopy(dir, ini);
        QProcess p;
        prepare(p);
        p.start(exe, {});
        QVERIFY(p.waitForFinished(15000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);  // no crash, no core dump
        QCOMPARE(p.exitCode(), 2);
        const QByteArray err = p.readAllStandardError();
        QVERIFY2(err.contains(key) && err.contains(value) && err.contains("vezizo.ini"),
                 err.constData());
    }

    // The leading-number rule reads FMin=abc as 0 and start-up goes on, but
    // says so.
    void keyWithNoNumberIsNamed() {
        QTemporaryDir dir;
        const QString exe = installCopy(dir, QByteArray("[PARAMETERS]\nFMin=abc\n"));
        QProcess p;
        prepare(p);
        p.start(exe, {});
        QVERIFY(p.waitForStarted());
        QByteArray err;
        for (int i = 0; i < 100 && !err.contains("read as 0"); ++i) {
            p.waitForReadyRead(100);
            err += p.readAllStandardError();
        }
        QVERIFY2(err.contains("vezizo.ini: FMin=abc holds no number and is read as 0"),
                 err.constData());
        QCOMPARE(p.state(), QProcess::Running);
        p.terminate();
        QVERIFY(p.waitForFinished(10000));
    }
};

QTEST_GUILESS_MAIN(StartupTest)
#include "tst_startup.moc"
