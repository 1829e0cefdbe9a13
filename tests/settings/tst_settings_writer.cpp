// The settings writer, byte for byte; a failed save; and where the file is
// read from and written to. (Refusals: tst_settings_dialog.)
#include <QtTest>

#include <optional>
#include <string_view>

#include "settings/settings_file.h"
#include "settings/settings_writer.h"
#include "support/test_support.h"

namespace {

std::string_view View(const QByteArray& b) {
    return {b.constData(), static_cast<std::size_t>(b.size())};
}

// "SECTION/key=value|SECTION/key=value"
std::vector<SettingsEdit> Edits(const QString& text) {
    std::vector<SettingsEdit> edits;
    for (const QString& e : text.split('|', Qt::SkipEmptyParts)) {
        const qsizetype slash = e.indexOf('/');
        const qsizetype equals = e.indexOf('=');
        edits.push_back({e.left(slash).toStdString(),
                         e.mid(slash + 1, equals - slash - 1).toStdString(),
                         e.mid(equals + 1).toStdString()});
    }
    return edits;
}

QByteArray Utf16(const QString& text, QStringConverter::Encoding encoding) {
    return QStringEncoder(encoding, QStringConverter::Flag::WriteBom)(text);
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool Write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

}  // namespace

class SettingsWriterTest : public QObject {
    Q_OBJECT
private slots:
    void rewrite_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("edits");
        QTest::addColumn<QByteArray>("after");
        const QByteArray commented =
            "; my analyser\n[PARAMETERS]\n; points\nChamp=500\nMyOwnKey=yes\n"
            "  inputvelfactor = 0.66  \n\n[PORTSETTING]\nport=1\n";
        QTest::newRow("one key among comments, unknown keys, case and blanks")
            << commented << "PARAMETERS/InputVelFactor=0.8"
            << QByteArray(commented).replace("= 0.66  ", "= 0.8  ");
        QTest::newRow("unchanged value: not a byte moves")
            << commented << "PARAMETERS/Champ=500|PARAMETERS/InputVelFactor=0.66" << commented;
        QTest::newRow("CRLF: a missing key joins its section after its last key")
            << QByteArray("\xEF\xBB\xBF[PORTSETTING]\r\nport=1\r\n; end\r\n\r\n[GRAF_PROP]\r\n")
            << "PORTSETTING/device=/tmp/vna"
            << QByteArray(
                   "\xEF\xBB\xBF[PORTSETTING]\r\nport=1\r\ndevice=/tmp/vna\r\n; end\r\n\r\n"
                   "[GRAF_PROP]\r\n");
        QTest::newRow("CR only: the new line ends with CR too")
            << QByteArray("[PORTSETTING]\rport=1\r[GRAF_PROP]\rcolorS6=0\r")
            << "PORTSETTING/device=/tmp/vna|GRAF_PROP/colorS6=255"
            << QByteArray("[PORTSETTING]\rport=1\rdevice=/tmp/vna\r[GRAF_PROP]\rcolorS6=255\r");
        QTest::newRow("a missing section goes at the end, no final newline")
            << QByteArray("[PARAMETERS]\nChamp=5")
            << "PORTSETTING/device=/dev/ttyUSB0|GRAF_PROP/colorS6=255"
            << QByteArray(
                   "[PARAMETERS]\nChamp=5\n\n[PORTSETTING]\ndevice=/dev/ttyUSB0\n"
                   "[GRAF_PROP]\ncolorS6=255\n");
        QTest::newRow("the first of two keys, the one the reader takes")
            << QByteArray("[PARAMETERS]\nStep=1\n[PARAMETERS]\nStep=9\n") << "PARAMETERS/Step=4"
            << QByteArray("[PARAMETERS]\nStep=4\n[PARAMETERS]\nStep=9\n");
        QTest::newRow("added to the first block of a repeated section")
            << QByteArray("[PORTSETTING]\nport=1\n[PARAMETERS]\n[PORTSETTING]\nport=2\n")
            << "PORTSETTING/caloffsetrx=5"
            << QByteArray(
                   "[PORTSETTING]\nport=1\ncaloffsetrx=5\n[PARAMETERS]\n[PORTSETTING]\nport=2\n");
        QTest::newRow("quotes kept; blanks and an empty value")
            << QByteArray("[PORTSETTING]\ndevice='/dev/a'\n[PARAMETERS]\nFMin=\nFMax= \n")
            << "PORTSETTING/device=/dev/b|PARAMETERS/FMin=1000000|PARAMETERS/FMax= x "
            << QByteArray(
                   "[PORTSETTING]\ndevice='/dev/b'\n[PARAMETERS]\nFMin=1000000\nFMax=\" x \" \n");
        QTest::newRow("an empty last value without a line end, and a key added beside it")
            << QByteArray("[PORTSETTING]\r\nport=1\r\ncaloffsetvalue=")
            << "PORTSETTING/caloffsetrx=5|PORTSETTING/caloffsetvalue=3"
            << QByteArray("[PORTSETTING]\r\nport=1\r\ncaloffsetvalue=3\r\ncaloffsetrx=5");
        QTest::newRow("empty file")
            << QByteArray() << "PARAMETERS/Champ=7" << QByteArray("[PARAMETERS]\nChamp=7\n");
        const QString text = QStringLiteral("; caf\u00e9\r\n[PARAMETERS]\r\nChamp=500\r\n");
        const QString edited =
            QStringLiteral("; caf\u00e9\r\n[PARAMETERS]\r\nChamp=400\r\nStep=2\r\n");
        for (const auto& [name, encoding] : {std::pair{"UTF-16 LE", QStringConverter::Utf16LE},
                                             std::pair{"UTF-16 BE", QStringConverter::Utf16BE}}) {
            QTest::newRow(name) << Utf16(text, encoding) << "PARAMETERS/Champ=400|PARAMETERS/Step=2"
                                << Utf16(edited, encoding);
        }
    }
    void rewrite() {
        QFETCH(QByteArray, before);
        QFETCH(QString, edits);
        QFETCH(QByteArray, after);
        const RewrittenSettings r = RewriteSettings(View(before), Edits(edits));
        QVERIFY2(r.bytes, r.error.c_str());
        QCOMPARE(QByteArray::fromStdString(*r.bytes), after);
        // Each key is found again where it was written: a second save of
        // the same values moves nothing.
        const RewrittenSettings again = RewriteSettings(*r.bytes, Edits(edits));
        QCOMPARE(QByteArray::fromStdString(*again.bytes), after);
    }

    void cannotRewrite_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("edits");
        QTest::newRow("UTF-16 with an odd byte")
            << Utf16(QStringLiteral("[PARAMETERS]\n"), QStringConverter::Utf16LE) + 'x'
            << "PARAMETERS/Champ=7";
        QTest::newRow("a line break in a value")
            << QByteArray("[PORTSETTING]\n") << "PORTSETTING/device=/dev/a\n[X]";
    }
    void cannotRewrite() {
        QFETCH(QByteArray, before);
        QFETCH(QString, edits);
        const RewrittenSettings r = RewriteSettings(View(before), Edits(edits));
        QVERIFY(!r.bytes);
        QVERIFY(!r.error.empty());
    }

    void failedWriteKeepsTheOldFile() {
        TestSupport::ScratchMount disk(64 * 1024);
        if (!disk.isMounted()) {
            QSKIP(qPrintable(disk.whyNot()));
        }
        const QString path = disk.filePath("vezizo.ini");
        const QByteArray before = "[PARAMETERS]\r\nChamp=500\r\n";
        QVERIFY(Write(path, before));
        QString error;
        QVERIFY2(disk.makeReadOnly(&error), qPrintable(error));
        const SettingsSaved saved =
            SaveSettingsEdits({path, before, {}}, Edits("PARAMETERS/Step=3"));
        QVERIFY(!saved.ok);
        QVERIFY2(saved.error.contains(path), qPrintable(saved.error));
        QCOMPARE(ReadAll(path), before);
    }

    // Beside the program when it is there; else the XDG place, which a save
    // creates from the example when there is no file at all.
    void places_data() {
        QTest::addColumn<QString>("xdgHome");  // in the scratch folder; "" unset
        QTest::addColumn<bool>("beside");      // a file beside the program
        QTest::addColumn<bool>("xdgFile");     // a file in the XDG place
        QTest::addColumn<bool>("readOnlyProgramFolder");
        QTest::addColumn<QString>("reads");  // "beside", "xdg"
        QTest::addColumn<QString>("writes");
        QTest::addColumn<QByteArray>("startsFrom");
        QTest::newRow("beside wins") << "cfg" << true << true << false << "beside"
                                     << "beside" << QByteArray("beside");
        QTest::newRow("no file beside") << "cfg" << false << true << false << "xdg"
                                        << "xdg" << QByteArray("xdg");
        QTest::newRow("no file at all: the example") << "cfg" << false << false << false << "xdg"
                                                     << "xdg" << QByteArray("example");
        QTest::newRow("XDG_CONFIG_HOME unset: ~/.config") << "" << false << false << false << "xdg"
                                                          << "xdg" << QByteArray("example");
        QTest::newRow("XDG_CONFIG_HOME relative: ~/.config")
            << "relative" << false << false << false << "xdg"
            << "xdg" << QByteArray("example");
        // Start-up reads the file beside first, so a copy elsewhere would
        // never be read: the save is refused, naming the file.
        QTest::newRow("program folder read-only: refused")
            << "cfg" << true << false << true << "beside"
            << "beside" << QByteArray();
    }
    void places() {
        QFETCH(QString, xdgHome);
        QFETCH(bool, beside);
        QFETCH(bool, xdgFile);
        QFETCH(bool, readOnlyProgramFolder);
        QFETCH(QString, reads);
        QFETCH(QString, writes);
        QFETCH(QByteArray, startsFrom);
        QTemporaryDir scratch;
        std::optional<TestSupport::ScratchMount> readOnly;
        if (readOnlyProgramFolder) {
            readOnly.emplace(64 * 1024);
            if (!readOnly->isMounted()) {
                QSKIP(qPrintable(readOnly->whyNot()));
            }
        }
        const QString home = scratch.filePath("home");
        // A relative XDG_CONFIG_HOME is not to be used.
        const bool usesHome = xdgHome.isEmpty() || xdgHome == "relative";
        const QString given = xdgHome == "relative" ? QStringLiteral("cfg")
                              : usesHome            ? QString()
                                                    : scratch.filePath(xdgHome);
        const SettingsPlaces places =
            SettingsPlacesFor(readOnly ? readOnly->path() : scratch.filePath("bin"), given, home);
        QCOMPARE(places.xdg, (usesHome ? home + "/.config" : scratch.filePath(xdgHome)) +
                                 "/zezizav/vezizo.ini");
        QVERIFY(!beside || Write(places.beside, "beside"));
        QVERIFY(!xdgFile || Write(places.xdg, "xdg"));
        QString error;
        QVERIFY2(!readOnly || readOnly->makeReadOnly(&error), qPrintable(error));

        const QString read = SettingsFileToRead(places);
        QCOMPARE(read, reads == "beside" ? places.beside : places.xdg);
        const SettingsTarget target = SettingsTargetFor(places, read, "example");
        QCOMPARE(target.path, writes == "beside" ? places.beside : places.xdg);
        QCOMPARE(target.bytes, startsFrom);
        const SettingsSaved saved = SaveSettingsEdits(target, Edits("PARAMETERS/Step=3"));
        if (startsFrom.isEmpty()) {
            QVERIFY(!saved.ok);
            QVERIFY2(saved.error.contains(places.beside), qPrintable(saved.error));
            QCOMPARE(ReadAll(places.beside), QByteArray("beside"));
            QVERIFY(!QFileInfo::exists(places.xdg));
            return;
        }
        QVERIFY2(saved.ok, qPrintable(saved.error));
        QCOMPARE(ReadAll(target.path), startsFrom + "\n\n[PARAMETERS]\nStep=3\n");
    }
};

QTEST_GUILESS_MAIN(SettingsWriterTest)
#include "tst_settings_writer.moc"
