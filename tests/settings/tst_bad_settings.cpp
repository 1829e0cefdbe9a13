// A settings file gone bad, read the way start-up reads it: from disk, in the
// installer's layout. One value out of range stops start-up with a line that
// names the file, the key and the value; unreadable junk gives the defaults
// without a word; nothing crashes.
#include <QRandomGenerator>
#include <QtTest>

#include "settings/settings.h"
#include "support/test_support.h"

namespace {

QByteArray InstallerFile() {
    QFile f(QStringLiteral(ZEZIZAV_SOURCE_DIR "/tests/settings/data/vezizo.ini"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The installer's file with the line of one key replaced (the key is kept
// where the installer put it, among good keys on both sides).
QByteArray WithLine(const QByteArray& key, const QByteArray& line) {
    QList<QByteArray> lines = InstallerFile().split('\n');
    for (QByteArray& l : lines) {
        if (l.startsWith(key + '=')) {
            l = line + '\r';
        }
    }
    return lines.join('\n');
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray RandomBytes(int n, quint32 seed) {
    QRandomGenerator random(seed);
    QByteArray bytes(n, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random.bounded(256));
    }
    return bytes;
}

}  // namespace

class BadSettingsTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QTemporaryDir runtime_;

    QString written(const QByteArray& bytes) {
        const QString path = dir_.filePath(QStringLiteral("vezizo.ini"));
        return WriteFile(path, bytes) ? path : QString();
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QVERIFY(runtime_.isValid());
        QVERIFY(InstallerFile().contains("Address1=0x378"));
        const SettingsResult good = LoadSettings(written(InstallerFile()).toStdString());
        QVERIFY(!good.error);
    }

    // Just beyond each end a key allows, in an otherwise good file.
    void outOfRangeValueIsNamed_data() {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QString>("reason");
        const auto row = [](const char* key, const char* value, const char* reason) {
            QTest::addRow("%s=%s", key, value)
                << QByteArray(key) << QByteArray(value) << QString::fromLatin1(reason);
        };
        const char* const int16 = "is out of range (-32768 to 32767)";
        const char* const int32 = "is out of range (-2147483648 to 2147483647)";
        row("Step", "0", "is out of range (1 to 32767)");
        row("Step", "40000", "is out of range (1 to 32767)");
        row("Champ", "0", "is out of range (1 to 32767)");
        row("Champ", "-1", "is out of range (1 to 32767)");
        row("Champ", "32768", "is out of range (1 to 32767)");
        row("Address1", "0x8000", int16);
        row("Address1", "-32769", int16);
        row("Address2", "65536", int16);
        row("caloffsetrx", "-32769", int16);
        row("caloffsettx", "32768", int16);
        row("caloffsetvalue", "0x10000", int16);
        row("port", "32768", int16);
        row("port", "-32769", int16);
        row("FMin", "4294967296", int32);
        row("FMin", "-2147483649", int32);
        row("FMax", "0x80000000", int32);
        row("colorS1", "2147483648", int32);
        row("colorS6", "99999999999", int32);
        row("InputVelFactor", "1e39", "is out of range (above 0, at most 1)");
        row("InputVelFactor", "-1e39", "is out of range (above 0, at most 1)");
        row("InputVelFactor", "0", "is out of range (above 0, at most 1)");
        row("port", "COM3", "is not a whole number");
        row("InputVelFactor", "0.66.1", "is not a decimal number");
        row("InputVelFactor", "nan", "is not a decimal number");
    }
    void outOfRangeValueIsNamed() {
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, value);
        QFETCH(QString, reason);
        const QString path = written(WithLine(key, key + '=' + value));
        QVERIFY(!path.isEmpty());
        const SettingsResult r = LoadSettings(path.toStdString());
        QVERIFY(r.error);
        QCOMPARE(QString::fromStdString(r.error->key), QString::fromLatin1(key));
        QCOMPARE(QString::fromStdString(DescribeSettingsError(path.toStdString(), *r.error)),
                 path + ": " + key + '=' + value + ' ' + reason);
    }

    // Whole files that are not settings at all.
    void unusableFile_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error");  // empty: the defaults, without a word

        const int tenMegabytes = 10 * 1024 * 1024;
        QTest::newRow("binary garbage") << RandomBytes(256 * 1024, 11) << QString();
        QTest::newRow("binary garbage with NUL and CR bytes")
            << QByteArray(64 * 1024, '\0') + RandomBytes(4096, 12) + QByteArray(1000, '\r')
            << QString();
        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("only sections")
            << QByteArray("[PARAMETERS]\n[GRAF_PROP]\n[PORTSETTING]") << QString();
        QTest::newRow("keys without their section")
            << QByteArray("FMax=5\nChamp=7\nStep=0\nport=99999\n") << QString();
        QTest::newRow("a 10 MB line")
            << QByteArray("[PARAMETERS]\nChamp=7\n;") + QByteArray(tenMegabytes, 'x')
            << QStringLiteral(": is larger than 1 MiB");
        QTest::newRow("a 10 MB value")
            << QByteArray("[PARAMETERS]\nFMin=") + QByteArray(tenMegabytes, '9')
            << QStringLiteral(": is larger than 1 MiB");
        QTest::newRow("10 MB of binary garbage")
            << RandomBytes(tenMegabytes, 13) << QStringLiteral(": is larger than 1 MiB");
    }
    void unusableFile() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        const QString path = written(bytes);
        QVERIFY(!path.isEmpty());
        const SettingsResult r = LoadSettings(path.toStdString());
        if (error.isEmpty()) {
            QVERIFY2(!r.error, r.error ? r.error->reason.c_str() : "");
            QVERIFY(r.settings == ParseSettings("").settings);
        } else {
            QVERIFY(r.error);
            QCOMPARE(QString::fromStdString(DescribeSettingsError(path.toStdString(), *r.error)),
                     path + error);
            QVERIFY(r.settings == ParseSettings("").settings);
        }
    }

    // A missing section costs only its own keys: the others are read.
    void missingSection_data() {
        QTest::addColumn<QByteArray>("section");
        QTest::newRow("PARAMETERS") << QByteArray("[PARAMETERS]");
        QTest::newRow("GRAF_PROP") << QByteArray("[GRAF_PROP]");
        QTest::newRow("PORTSETTING") << QByteArray("[PORTSETTING]");
    }
    void missingSection() {
        QFETCH(QByteArray, section);
        QByteArray file = InstallerFile();
        // Without its header the section's keys fall under the one before, or none.
        file.replace(section + "\r\n", "");
        const QString path = written(file);
        const SettingsResult r = LoadSettings(path.toStdString());
        QVERIFY2(!r.error, r.error ? r.error->reason.c_str() : "");
        const Settings defaults = ParseSettings("").settings;
        const Settings full = LoadSettings(written(InstallerFile()).toStdString()).settings;
        const Settings& s = r.settings;
        const bool parameters = section == "[PARAMETERS]";
        const bool graph = section == "[GRAF_PROP]";
        const bool port = section == "[PORTSETTING]";
        QCOMPARE(s.Champ, (parameters ? defaults : full).Champ);
        QCOMPARE(s.FMax, (parameters ? defaults : full).FMax);
        QCOMPARE(s.InputVelFactor, (parameters ? defaults : full).InputVelFactor);
        QCOMPARE(s.colorS1, (graph ? defaults : full).colorS1);
        QCOMPARE(s.colorS6, (graph ? defaults : full).colorS6);
        QCOMPARE(s.Address1, (port ? defaults : full).Address1);
        QCOMPARE(s.caloffsetvalue, (port ? defaults : full).caloffsetvalue);
        QCOMPARE(s.device, (port ? defaults : full).device);
    }

    // The built programs with such a file beside them, or in the user's
    // configuration folder when there is none beside them.
    void programRefusesByName_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<bool>("xdg");
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QByteArray>("said");
        QTest::newRow("Address2 out of range")
            << "zezizav" << false << WithLine("Address2", "Address2=0x10000")
            << QByteArray("Address2=0x10000 is out of range");
        QTest::newRow("FMin beyond 32 bits") << "zezizav" << false << WithLine("FMin", "FMin=4294967296")
                                             << QByteArray("FMin=4294967296 is out of range");
        QTest::newRow("a 10 MB line")
            << "zezizav" << false << QByteArray("[PARAMETERS]\n;") + QByteArray(10 << 20, 'x')
            << QByteArray("vezizo.ini: is larger than 1 MiB");
        QTest::newRow("the XDG file") << "zezizav" << true << WithLine("Step", "Step=0")
                                      << QByteArray("zezizav/vezizo.ini: Step=0 is out of range");
        QTest::newRow("the XDG file, command-line tool")
            << "zezizav-cli" << true << WithLine("Step", "Step=0")
            << QByteArray("zezizav/vezizo.ini: Step=0 is out of range");
    }
    void programRefusesByName() {
        QFETCH(QString, program);
        QFETCH(bool, xdg);
        QFETCH(QByteArray, ini);
        QFETCH(QByteArray, said);
        QTemporaryDir install;
        const QString exe = install.filePath(program);
        QVERIFY(QFile::copy(TestSupport::BuiltProgram(program), exe));
        const QString config = install.filePath(QStringLiteral("config"));
        const QString folder = xdg ? config + QStringLiteral("/zezizav") : install.path();
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(WriteFile(folder + QStringLiteral("/vezizo.ini"), ini));
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        env.insert(QStringLiteral("ZEZIZAV_MESSAGE_TIMEOUT_MS"), QStringLiteral("200"));
        p.setProcessEnvironment(env);
        p.start(exe, program == QLatin1String("zezizav-cli")
                         ? QStringList{QStringLiteral("readout"), install.filePath("none.vec")}
                         : QStringList{});
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);  // no crash
        QCOMPARE(p.exitCode(), 2);
        const QByteArray err = p.readAllStandardError();
        QVERIFY2(err.contains(said) && err.contains(QFile::encodeName(folder)), err.constData());
    }
};

QTEST_GUILESS_MAIN(BadSettingsTest)
#include "tst_bad_settings.moc"
