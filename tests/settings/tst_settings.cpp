#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <string>
#include <string_view>

#include <sys/stat.h>
#include <unistd.h>

#include "settings/settings.h"
#include "settings/startup_rules.h"

namespace {

std::string_view View(const QByteArray& bytes) {
    return std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// One member as text, so a single table can hold keys of every type.
QString ValueOf(const Settings& s, const QString& key) {
    const auto real = [](double v) { return QString::number(v, 'g', 9); };
    const auto whole = [](int v) { return QString::number(v); };
    const QHash<QString, QString> values = {
        {"FMax", real(s.FMax)},
        {"FMin", real(s.FMin)},
        {"Champ", whole(s.Champ)},
        {"Step", whole(s.Step)},
        {"InputVelFactor", real(s.InputVelFactor)},
        {"colorS1", real(s.colorS1)},
        {"colorS2", real(s.colorS2)},
        {"colorS6", QString::fromStdString(s.colorS6)},
        {"Address1", whole(s.Address1)},
        {"Address2", whole(s.Address2)},
        {"port", real(s.port)},
        {"caloffsetrx", whole(s.caloffsetrx)},
        {"caloffsetvalue", whole(s.caloffsetvalue)},
        {"device", QString::fromStdString(s.device)},
        {"TextSize", whole(s.TextSize)},
        {"DistanceUnit", s.DistanceInFeet ? "feet" : "metres"},
        {"BandRegion", whole(s.BandRegion)},
        {"LimitsFile", QString::fromStdString(s.LimitsFile)},
        {"LimitsBeep", s.LimitsBeep ? "1" : "0"},
        {"Port", whole(s.RemotePort)},
        {"Address", QString::fromStdString(s.RemoteAddress)},
        {"SaveFolder", QString::fromStdString(s.SaveFolder)},
    };
    return values.value(key, "<key missing from this table>");
}

void VerifyDefaults(const SettingsResult& r) {
    QVERIFY(!r.error);
    const Settings& s = r.settings;
    QCOMPARE(s.FMin, 10000.0f);
    QCOMPARE(s.FMax, 10000.0f);
    QCOMPARE(s.Champ, 6000);
    QCOMPARE(s.Step, std::int16_t{1});
    // The example file's colours, so that the traces can be told apart.
    QCOMPARE(s.colorS1, 32768.0f);
    QCOMPARE(s.colorS2, 16711680.0f);
    QCOMPARE(s.colorS3, 8421376.0f);
    QCOMPARE(s.colorS4, 33023.0f);
    QCOMPARE(s.colorS5, 8388736.0f);
    QCOMPARE(s.colorS6, std::string("255"));
    QCOMPARE(s.Address1, std::int16_t{0});
    QCOMPARE(s.Address2, std::int16_t{0});
    QCOMPARE(s.port, 0.0f);
    QCOMPARE(s.caloffsetrx, std::int16_t{0});
    QCOMPARE(s.caloffsettx, std::int16_t{0});
    QCOMPARE(s.caloffsetvalue, std::int16_t{0});
    QCOMPARE(s.InputVelFactor, 0.66f);
    QCOMPARE(s.device, std::string());
}

QString WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        return {};
    }
    return path;
}

}  // namespace

class TestSettings : public QObject {
    Q_OBJECT

private slots:
    void keys_data();
    void keys();
    void defaultsWithoutFile();
    void missingColourIsTheExampleFiles();
    void keysWithNoNumberAreNamed_data();
    void keysWithNoNumberAreNamed();
    void firstErrorInKeyOrder_data();
    void firstErrorInKeyOrder();
    void programArguments_data();
    void programArguments();
    void describesError_data();
    void describesError();
    void loadsInstallerFile();
    void fileProblems();
    void unreadableFile();
    void sizeLimit();
    void tenMegabyteLines();
    void garbageBytes();
};

void TestSettings::keys_data() {
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");  // value, when no error
    QTest::addColumn<QString>("errorKey");  // key named by the error, or empty

    const QByteArray p = "[PARAMETERS]\n";
    const QByteArray g = "[GRAF_PROP]\n";
    const QByteArray t = "[PORTSETTING]\n";
    const auto row = [](const char* name, const QByteArray& ini, const char* key,
                        const char* expected, const char* errorKey = "") {
        QTest::newRow(name) << ini << QString(key) << QString(expected) << QString(errorKey);
    };

    // Integer reading
    row("Champ=500", p + "Champ=500", "Champ", "500");
    row("FMin=abc gives 0", p + "FMin=abc", "FMin", "0");
    row("FMin= empty gives default", p + "FMin=", "FMin", "10000");
    row("empty quotes give default", p + "FMin=\"\"", "FMin", "10000");
    row("digits then letters", p + "FMin = 12abc ", "FMin", "12");
    row("blank ends digits", p + "FMax=1 2", "FMax", "1");
    row("leading zeros", p + "FMax=0000000000000000000000123", "FMax", "123");
    row("int32 top as float", p + "FMax=2147483647", "FMax", "2.14748365e+09");
    row("int32 bottom", p + "FMax=-2147483648", "FMax", "-2.14748365e+09");
    row("above int32", p + "FMax=2147483648", "FMax", "", "FMax");
    row("far above int32", p + "FMin=99999999999999999999999999", "FMin", "", "FMin");
    row("float keeps nearest", p + "FMax=16777217", "FMax", "16777216");
    row("colorS6=255 as text", g + "colorS6=255", "colorS6", "255");
    row("colorS6=-1 as text", g + "colorS6=-1", "colorS6", "-1");
    row("colorS6 leading zeros", g + "colorS6=007", "colorS6", "7");
    row("colorS6 above int32", g + "colorS6=4294967295", "colorS6", "", "colorS6");

    // Hexadecimal form
    row("hex address", t + "Address1=0x378", "Address1", "888");
    row("hex negative, upper X", t + "Address1=-0X1f", "Address1", "-31");
    row("hex beyond 16 bits", t + "Address1=0xFFFF", "Address1", "", "Address1");
    row("hex beyond 32 bits", g + "colorS2=0x100000000", "colorS2", "", "colorS2");

    // 16-bit keys and start-up limits
    row("Step=40000", p + "Step=40000", "Step", "", "Step");
    row("Step=0", p + "Step=0", "Step", "", "Step");
    row("Step=32767", p + "Step=32767", "Step", "32767");
    row("Champ=0", p + "Champ=0", "Champ", "", "Champ");
    row("Champ=32768", p + "Champ=32768", "Champ", "", "Champ");
    row("Champ=abc is 0", p + "Champ=abc", "Champ", "", "Champ");
    row("Champ=1", p + "Champ=1", "Champ", "1");
    row("Address2 bottom", t + "Address2=-32768", "Address2", "-32768");
    row("caloffsetrx above", t + "caloffsetrx=32768", "caloffsetrx", "", "caloffsetrx");
    row("caloffsetvalue", t + "caloffsetvalue=+7", "caloffsetvalue", "7");
    row("port", t + "port=3", "port", "3");
    row("port top", t + "port=32767", "port", "32767");
    row("port above 16 bits", t + "port=32768", "port", "", "port");
    row("port hex", t + "port=0x10", "port", "16");
    row("port empty is the default", t + "port=", "port", "0");
    row("port a name", t + "port=COM3", "port", "", "port");
    row("port digits then text", t + "port=3abc", "port", "", "port");
    row("port decimal", t + "port=3.5", "port", "", "port");

    // Velocity factor
    row("vf trailing blank", p + "InputVelFactor=0.8 ", "InputVelFactor", "0.800000012");
    row("vf empty", p + "InputVelFactor=", "InputVelFactor", "0.660000026");
    row("vf exponent", p + "InputVelFactor=7E-1", "InputVelFactor", "0.699999988");
    row("vf no leading digit", p + "InputVelFactor=.5", "InputVelFactor", "0.5");
    row("vf quoted", p + "InputVelFactor=\"0.9\"", "InputVelFactor", "0.899999976");
    row("vf letters", p + "InputVelFactor=abc", "InputVelFactor", "", "InputVelFactor");
    row("vf comma", p + "InputVelFactor=0,8", "InputVelFactor", "", "InputVelFactor");
    row("vf trailing letter", p + "InputVelFactor=0.8x", "InputVelFactor", "", "InputVelFactor");
    row("vf infinity", p + "InputVelFactor=inf", "InputVelFactor", "", "InputVelFactor");
    row("vf beyond float", p + "InputVelFactor=1e39", "InputVelFactor", "", "InputVelFactor");
    row("vf 1", p + "InputVelFactor=1", "InputVelFactor", "1");
    row("vf 0", p + "InputVelFactor=0", "InputVelFactor", "", "InputVelFactor");
    row("vf below 0", p + "InputVelFactor=-0.66", "InputVelFactor", "", "InputVelFactor");
    row("vf above 1", p + "InputVelFactor=1.01", "InputVelFactor", "", "InputVelFactor");
    row("vf quoted blanks", p + "InputVelFactor=\"  \"", "InputVelFactor", "", "InputVelFactor");
    row("vf only 50 characters used", p + "InputVelFactor=0.7" + QByteArray(47, ' ') + "junk",
        "InputVelFactor", "0.699999988");
    row("vf 50th character counts", p + "InputVelFactor=0.7" + QByteArray(46, ' ') + "junk",
        "InputVelFactor", "", "InputVelFactor");

    // The file's syntax
    row("names ignore case", "[parameters]\nfmax=5\nCHAMP=7", "FMax", "5");
    row("blanks around names", "[ PARAMETERS ]\n  FMax  =  7  ", "FMax", "7");
    row("wrong section", g + "FMax=5", "FMax", "10000");
    row("outside any section", "FMax=5\n" + p, "FMax", "10000");
    row("unknown section ends one", p + "[OTHER]\nFMax=5", "FMax", "10000");
    row("comment", p + ";FMax=5\nFMax=6", "FMax", "6");
    row("indented comment", p + "  \t; Champ=9", "Champ", "6000");
    row("first occurrence wins", p + "FMax=5\nFMax=6", "FMax", "5");
    row("first wins across repeated section", p + "FMax=5\n" + g + p + "FMax=6", "FMax", "5");
    row("line without equals", p + "FMax\nFMax=5", "FMax", "5");
    row("double quotes", p + "FMax=\"123\"", "FMax", "123");
    row("single quotes", p + "FMax='123'", "FMax", "123");
    row("unmatched quotes kept", p + "FMax=\"123'", "FMax", "0");
    row("BOM", "\xEF\xBB\xBF" + p + "FMax=5", "FMax", "5");
    row("CRLF", "[PARAMETERS]\r\nFMax=5\r\nInputVelFactor=0.8\r\n", "InputVelFactor",
        "0.800000012");
    // Classic Mac line ends: every line is read, not the first alone.
    row("CR only", "[PARAMETERS]\rFMax=5\rInputVelFactor=0.8\r", "InputVelFactor", "0.800000012");
    row("CR only, a later section", p + "Champ=9\r[PORTSETTING]\rport=3", "port", "3");
    row("CR only, a bad value found", "[PARAMETERS]\rStep=40000\r", "Step", "", "Step");
    row("CR only, mixed ends", p + "FMax=5\r\n\rFMin=7\n\rChamp=9", "Champ", "9");
    row("NUL bytes", QByteArray("[PARAMETERS]\nFMax=5\0\0\nChamp=9", 30), "Champ", "9");
    row("device", t + "device=/dev/ttyUSB0", "device", "/dev/ttyUSB0");
    row("device quoted", t + "device=\"/dev/my port\"", "device", "/dev/my port");
    row("device with equals", t + "device=/tmp/a=b", "device", "/tmp/a=b");
    row("device wrong section", p + "device=/dev/ttyUSB0", "device", "");

    // The View menu's text size: one of its four, or none for the design.
    const QByteArray d = "[DISPLAY]\n";
    row("TextSize missing", p + "Champ=9", "TextSize", "100");
    row("TextSize empty", d + "TextSize=", "TextSize", "100");
    row("TextSize 125", d + "textsize=125", "TextSize", "125");
    row("TextSize 200", d + "TextSize=200", "TextSize", "200");
    row("TextSize not offered", d + "TextSize=130", "TextSize", "", "TextSize");
    row("TextSize 0", d + "TextSize=0", "TextSize", "", "TextSize");
    row("TextSize no number", d + "TextSize=large", "TextSize", "", "TextSize");
    row("TextSize wrong section", p + "TextSize=130", "TextSize", "100");
    row("DistanceUnit missing", d + "TextSize=125", "DistanceUnit", "metres");
    row("DistanceUnit feet, any case", d + "distanceunit=Feet", "DistanceUnit", "feet");
    row("DistanceUnit metres", d + "DistanceUnit=metres", "DistanceUnit", "metres");
    row("DistanceUnit neither", d + "DistanceUnit=yards", "DistanceUnit", "", "DistanceUnit");
    row("BandRegion missing", d + "TextSize=125", "BandRegion", "0");
    row("BandRegion 2", d + "BandRegion=2", "BandRegion", "2");
    row("BandRegion 4", d + "BandRegion=4", "BandRegion", "", "BandRegion");
    const QByteArray l = "[LIMITS]\n";
    row("LimitsFile with blanks", l + "LimitsFile= limits/40 m.limits ", "LimitsFile",
        "limits/40 m.limits");
    row("LimitsBeep on", l + "LimitsBeep=1", "LimitsBeep", "1");
    row("LimitsBeep 2", l + "LimitsBeep=2", "LimitsBeep", "", "LimitsBeep");

    // The remote-control server: off, and on loopback, unless asked.
    const QByteArray r = "[REMOTE]\n";
    row("remote Port missing: off", p + "Champ=9", "Port", "0");
    row("remote Port", r + "port=5025", "Port", "5025");
    row("remote Port top", r + "Port=65535", "Port", "65535");
    row("remote Port beyond 16 bits", r + "Port=65536", "Port", "", "Port");
    row("remote Port negative", r + "Port=-1", "Port", "", "Port");
    row("serial port is not the remote one", t + "port=3", "Port", "0");
    row("remote Address missing: loopback", r + "Port=5025", "Address", "127.0.0.1");
    row("remote Address empty: loopback", r + "Address=", "Address", "127.0.0.1");
    row("remote Address every interface", r + "Address=0.0.0.0", "Address", "0.0.0.0");
    row("remote Address IPv6", r + "Address=::1", "Address", "::1");
    row("remote Address a name", r + "Address=localhost", "Address", "", "Address");
    row("remote Address octet too big", r + "Address=127.0.0.256", "Address", "", "Address");
    row("remote Address three octets", r + "Address=127.0.1", "Address", "", "Address");
    row("remote SaveFolder", r + "SaveFolder=\"sweeps/my band\"", "SaveFolder", "sweeps/my band");

    // Saved as "Unicode" (UTF-16 with a byte-order mark) by a Windows editor.
    const QString unicode = QStringLiteral(
        "[PARAMETERS]\r\nChamp=500\r\n[PORTSETTING]\r\n"
        "device=/dev/ttyUSB\u00e9\r\n");
    for (const auto& [name, encoding] : {std::pair{"UTF-16 LE", QStringConverter::Utf16LE},
                                         std::pair{"UTF-16 BE", QStringConverter::Utf16BE}}) {
        QStringEncoder encode(encoding, QStringConverter::Flag::WriteBom);
        const QByteArray bytes = encode(unicode);
        row(name, bytes, "Champ", "500");
        row(qPrintable(QStringLiteral("%1 device").arg(name)), bytes, "device",
            "/dev/ttyUSB\u00e9");
        row(qPrintable(QStringLiteral("%1 bad value").arg(name)),
            QStringEncoder(encoding, QStringConverter::Flag::WriteBom)(
                QStringLiteral("[PARAMETERS]\nStep=40000")),
            "Step", "", "Step");
    }
    // Without the mark, UTF-16 is bytes with NULs between: nothing is found.
    row("UTF-16 without a mark", QStringEncoder(QStringConverter::Utf16LE)(unicode), "Champ",
        "6000");
}

void TestSettings::keys() {
    QFETCH(QByteArray, ini);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QFETCH(QString, errorKey);

    const SettingsResult r = ParseSettings(View(ini));
    if (errorKey.isEmpty()) {
        QVERIFY2(!r.error, r.error ? r.error->reason.c_str() : "");
        QCOMPARE(ValueOf(r.settings, key), expected);
    } else {
        QVERIFY(r.error);
        QCOMPARE(QString::fromStdString(r.error->key), errorKey);
        QVERIFY(!r.error->reason.empty());
    }
}

void TestSettings::defaultsWithoutFile() {
    VerifyDefaults(ParseSettings(""));
    VerifyDefaults(ParseSettings("[PARAMETERS]\n[GRAF_PROP]\n[PORTSETTING]\n"));
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    VerifyDefaults(LoadSettings(dir.filePath("vezizo.ini").toStdString()));
    VerifyDefaults(LoadSettings(dir.filePath("no/such/folder/vezizo.ini").toStdString()));
}

// Each colour key the file lacks takes the example file's colour; one that
// is there keeps its value, 0 included.
void TestSettings::missingColourIsTheExampleFiles() {
    const SettingsResult example = LoadSettings(ZEZIZAV_SOURCE_DIR "/examples/vezizo.ini");
    QVERIFY(!example.error);
    const Settings& e = example.settings;
    const SettingsResult none = ParseSettings("[PARAMETERS]\nChamp=100\n");
    QVERIFY(!none.error);
    const Settings& n = none.settings;
    QCOMPARE(std::vector({n.colorS1, n.colorS2, n.colorS3, n.colorS4, n.colorS5}),
             std::vector({e.colorS1, e.colorS2, e.colorS3, e.colorS4, e.colorS5}));
    QCOMPARE(n.colorS6, e.colorS6);
    const SettingsResult some = ParseSettings("[GRAF_PROP]\ncolorS2=0\ncolorS6=0\n");
    QCOMPARE(some.settings.colorS1, e.colorS1);
    QCOMPARE(some.settings.colorS2, 0.0f);
    QCOMPARE(some.settings.colorS6, std::string("0"));
}

// The leading-number rule reads "abc" as 0; start-up goes on but names them.
void TestSettings::keysWithNoNumberAreNamed_data() {
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("said");  // empty: nothing to say
    QTest::newRow("FMin=abc") << QByteArray("[PARAMETERS]\nFMin=abc\n")
                              << "vezizo.ini: FMin=abc holds no number and is read as 0";
    QTest::newRow("two keys") << QByteArray("[PARAMETERS]\nFMax=x\n[GRAF_PROP]\ncolorS3=red\n")
                              << "vezizo.ini: FMax=x, colorS3=red hold no number and are read as 0";
    QTest::newRow("digits, then text: the rule's own")
        << QByteArray("[PARAMETERS]\nFMin=12abc\n") << "";
    QTest::newRow("signed zero") << QByteArray("[PARAMETERS]\nFMin=-0\n") << "";
    QTest::newRow("empty: the default") << QByteArray("[PARAMETERS]\nFMin=\n") << "";
    QTest::newRow("a fraction without its 0") << QByteArray("[PORTSETTING]\ncaloffsetrx=.5\n")
                                              << "vezizo.ini: caloffsetrx=.5 holds no number "
                                                 "and is read as 0";
}

void TestSettings::keysWithNoNumberAreNamed() {
    QFETCH(QByteArray, ini);
    QFETCH(QString, said);
    const SettingsResult r = ParseSettings(View(ini));
    QVERIFY(!r.error);
    QCOMPARE(r.noNumber.empty(), said.isEmpty());
    if (!said.isEmpty()) {
        QCOMPARE(QString::fromStdString(DescribeNoNumber("vezizo.ini", r.noNumber)), said);
    }
}

void TestSettings::firstErrorInKeyOrder_data() {
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("errorKey");
    QTest::newRow("Step before Address1")
        << QByteArray("[PORTSETTING]\nAddress1=99999\n[PARAMETERS]\nStep=0") << "Step";
    QTest::newRow("offset before velocity factor")
        << QByteArray("[PARAMETERS]\nInputVelFactor=x\n[PORTSETTING]\ncaloffsetvalue=40000")
        << "caloffsetvalue";
    QTest::newRow("FMax first") << QByteArray("[PARAMETERS]\nChamp=0\nFMax=3000000000") << "FMax";
    QTest::newRow("colours before port")
        << QByteArray("[PORTSETTING]\nport=99999\n[GRAF_PROP]\ncolorS6=9999999999") << "colorS6";
}

void TestSettings::firstErrorInKeyOrder() {
    QFETCH(QByteArray, ini);
    QFETCH(QString, errorKey);
    const SettingsResult r = ParseSettings(View(ini));
    QVERIFY(r.error);
    QCOMPARE(QString::fromStdString(r.error->key), errorKey);
}

// --remote-port on the command line; what it does not know is Qt's.
void TestSettings::programArguments_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("port");  // -1: none given
    QTest::addColumn<QString>("error");
    QTest::newRow("none") << QStringList{} << -1 << "";
    QTest::newRow("separate") << QStringList{"--remote-port", "5025"} << 5025 << "";
    QTest::newRow("joined") << QStringList{"--remote-port=5025"} << 5025 << "";
    QTest::newRow("0 turns it off") << QStringList{"--remote-port", "0"} << 0 << "";
    QTest::newRow("Qt's own left alone")
        << QStringList{"-platform", "offscreen", "--remote-port", "65535"} << 65535 << "";
    QTest::newRow("the last wins") << QStringList{"--remote-port=1", "--remote-port=2"} << 2 << "";
    QTest::newRow("missing") << QStringList{"--remote-port"} << -1
                             << "--remote-port needs a port number (0 to 65535)";
    QTest::newRow("too large") << QStringList{"--remote-port", "65536"} << -1
                               << "--remote-port 65536 is not a port number (0 to 65535)";
    QTest::newRow("not a number") << QStringList{"--remote-port=50x"} << -1
                                  << "--remote-port 50x is not a port number (0 to 65535)";
    QTest::newRow("negative") << QStringList{"--remote-port", "-1"} << -1
                              << "--remote-port -1 is not a port number (0 to 65535)";
}

void TestSettings::programArguments() {
    QFETCH(QStringList, arguments);
    QFETCH(int, port);
    QFETCH(QString, error);
    std::vector<std::string> args;
    for (const QString& a : arguments) {
        args.push_back(a.toStdString());
    }
    const ProgramArguments parsed = ParseProgramArguments(args);
    QCOMPARE(QString::fromStdString(parsed.error), error);
    QCOMPARE(parsed.remotePort.value_or(-1), port);
}

void TestSettings::describesError_data() {
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("line");

    QTest::newRow("Step=40000") << QByteArray("[PARAMETERS]\nStep=40000") << "vezizo.ini"
                                << "vezizo.ini: Step=40000 is out of range (1 to 32767)";
    QTest::newRow("full path, value as written")
        << QByteArray("[parameters]\nchamp = '0' ") << "/opt/zezizav/vezizo.ini"
        << "/opt/zezizav/vezizo.ini: Champ='0' is out of range (1 to 32767)";
    QTest::newRow("16-bit key") << QByteArray("[PORTSETTING]\ncaloffsetrx=-40000") << "v.ini"
                                << "v.ini: caloffsetrx=-40000 is out of range (-32768 to 32767)";
    QTest::newRow("remote Port") << QByteArray("[REMOTE]\nPort=99999") << "v.ini"
                                 << "v.ini: Port=99999 is out of range (0 to 65535)";
    QTest::newRow("remote Address") << QByteArray("[REMOTE]\nAddress=my.host") << "v.ini"
                                    << "v.ini: Address=my.host is not an IPv4 or IPv6 address";
    QTest::newRow("velocity factor") << QByteArray("[PARAMETERS]\nInputVelFactor=fast") << "v.ini"
                                     << "v.ini: InputVelFactor=fast is not a decimal number";
    QTest::newRow("long value cut")
        << (QByteArray("[PARAMETERS]\nInputVelFactor=") + QByteArray(100, 'x')) << "v.ini"
        << "v.ini: InputVelFactor=" + QString(60, 'x') + "... is not a decimal number";
    QTest::newRow("value of exactly 60 kept")
        << (QByteArray("[PARAMETERS]\nInputVelFactor=") + QByteArray(60, 'x')) << "v.ini"
        << "v.ini: InputVelFactor=" + QString(60, 'x') + " is not a decimal number";
    QTest::newRow("cut counts characters, not bytes")
        << (QByteArray("[PARAMETERS]\nInputVelFactor=") + QString(70, QChar(0xE9)).toUtf8())
        << "v.ini"
        << "v.ini: InputVelFactor=" + QString(60, QChar(0xE9)) + "... is not a decimal number";
    QTest::newRow("control characters shown as ?")
        << QByteArray("[PARAMETERS]\nInputVelFactor=a\x01\x1b[2Jb") << "v.ini"
        << "v.ini: InputVelFactor=a??[2Jb is not a decimal number";
}

void TestSettings::describesError() {
    QFETCH(QByteArray, ini);
    QFETCH(QString, path);
    QFETCH(QString, line);
    const SettingsResult r = ParseSettings(View(ini));
    QVERIFY(r.error);
    QCOMPARE(QString::fromStdString(DescribeSettingsError(path.toStdString(), *r.error)), line);
}

void TestSettings::loadsInstallerFile() {
    // Written the way Windows tools write it: BOM, CRLF, comments, hex address.
    const QString path = QStringLiteral(ZEZIZAV_SOURCE_DIR) + "/tests/settings/data/vezizo.ini";
    QFile raw(path);
    QVERIFY(raw.open(QIODevice::ReadOnly));
    const QByteArray bytes = raw.readAll();
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF") && bytes.contains("\r\n"));

    const SettingsResult r = LoadSettings(path.toStdString());
    QVERIFY(!r.error);
    const Settings& s = r.settings;
    QCOMPARE(s.FMax, 180000000.0f);
    QCOMPARE(s.FMin, 1000000.0f);
    QCOMPARE(s.Champ, 500);
    QCOMPARE(s.Step, std::int16_t{2});
    QCOMPARE(s.InputVelFactor, 0.66f);
    QCOMPARE(s.colorS1, 255.0f);
    QCOMPARE(s.colorS4, 33023.0f);
    QCOMPARE(s.colorS6, std::string("16777215"));
    QCOMPARE(s.Address1, std::int16_t{0x378});
    QCOMPARE(s.Address2, std::int16_t{0x278});
    QCOMPARE(s.port, 3.0f);
    QCOMPARE(s.caloffsetrx, std::int16_t{-12});
    QCOMPARE(s.caloffsettx, std::int16_t{7});
    QCOMPARE(s.caloffsetvalue, std::int16_t{5});
    QCOMPARE(s.device, std::string("/dev/ttyUSB0"));
}

void TestSettings::fileProblems() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());

    const QString folder = dir.filePath("vezizo.ini");
    QVERIFY(QDir().mkdir(folder));
    SettingsResult r = LoadSettings(folder.toStdString());
    QVERIFY(r.error);
    QVERIFY(r.error->key.empty());
    QCOMPARE(QString::fromStdString(DescribeSettingsError(folder.toStdString(), *r.error)),
             folder + ": cannot be read (it is a folder)");

    // A pipe with no writer would block a plain read for ever.
    const QString fifo = dir.filePath("fifo.ini");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    r = LoadSettings(fifo.toStdString());
    QVERIFY(r.error);
    QVERIFY(r.error->key.empty());
    QVERIFY(QString::fromStdString(r.error->reason).contains("not a regular file"));
}

void TestSettings::unreadableFile() {
    if (::geteuid() == 0) {
        QSKIP("root reads every file whatever its permissions");
    }
    QTemporaryDir dir;
    const QString path = WriteFile(dir, "vezizo.ini", "[PARAMETERS]\nChamp=5\n");
    QVERIFY(!path.isEmpty());
    QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));
    const SettingsResult r = LoadSettings(path.toStdString());
    QVERIFY(r.error);
    QVERIFY(r.error->key.empty());
    QVERIFY(!r.error->reason.empty());
}

void TestSettings::sizeLimit() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray head = "[PARAMETERS]\nChamp=77\n;";
    const int mebibyte = 1024 * 1024;
    QByteArray bytes = head + QByteArray(mebibyte - head.size(), 'z');

    const QString exact = WriteFile(dir, "exact.ini", bytes);
    QVERIFY(!exact.isEmpty());
    SettingsResult r = LoadSettings(exact.toStdString());
    QVERIFY(!r.error);
    QCOMPARE(r.settings.Champ, 77);

    const QString over = WriteFile(dir, "over.ini", bytes + "z");
    QVERIFY(!over.isEmpty());
    r = LoadSettings(over.toStdString());
    QVERIFY(r.error);
    QVERIFY(r.error->key.empty());
    QVERIFY(QString::fromStdString(r.error->reason).contains("1 MiB"));
    QCOMPARE(r.settings.Champ, 6000);
}

void TestSettings::tenMegabyteLines() {
    const int tenMegabytes = 10 * 1024 * 1024;
    const QByteArray p = "[PARAMETERS]\n";

    // A huge comment, key and section name in the way of real keys.
    QByteArray ini = p + ";" + QByteArray(tenMegabytes, 'c') + "\n" +
                     QByteArray(tenMegabytes, 'k') + "=1\n[" + QByteArray(tenMegabytes, 's') +
                     "]\n" + p + "Champ=9\n";
    SettingsResult r = ParseSettings(View(ini));
    QVERIFY(!r.error);
    QCOMPARE(r.settings.Champ, 9);

    // A huge number is out of range, not a wrapped value.
    ini = p + "FMin=" + QByteArray(tenMegabytes, '7');
    r = ParseSettings(View(ini));
    QVERIFY(r.error);
    QCOMPARE(r.error->key, std::string("FMin"));
    QVERIFY(DescribeSettingsError("v.ini", *r.error).size() < 200);

    // One line, no line end, no equals sign.
    ini = QByteArray(tenMegabytes, '[');
    VerifyDefaults(ParseSettings(View(ini)));
}

void TestSettings::garbageBytes() {
    QRandomGenerator random(7);
    for (int round = 0; round < 20; ++round) {
        QByteArray garbage(64 * 1024, '\0');
        for (char& c : garbage) {
            c = static_cast<char>(random.bounded(256));
        }
        // Real keys first: the first occurrence wins whatever follows.
        const QByteArray ini = "[PARAMETERS]\nChamp=77\n" + garbage;
        const SettingsResult r = ParseSettings(View(ini));
        QVERIFY(!r.error);
        QCOMPARE(r.settings.Champ, 77);
        // Random bytes hold no valid section line, so nothing is taken.
        VerifyDefaults(ParseSettings(View(garbage)));
    }
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
