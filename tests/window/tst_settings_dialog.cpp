// "Settings…", "&Port" and "Remember this port" on a loaded window: what the
// file holds afterwards, byte for byte, and what the window uses at once.
#include <QtTest>

#include "window/settings_dialog.h"
#include "window/port_menu.h"
#include "support/test_support.h"

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

QByteArray Example() {
    return ReadAll(QStringLiteral(ZEZIZAV_SOURCE_DIR "/examples/vezizo.ini"));
}

QByteArray WithLine(QByteArray bytes, const QByteArray& key, const QByteArray& line) {
    const qsizetype at = bytes.indexOf('\n' + key + '=') + 1;
    return bytes.replace(at, bytes.indexOf('\n', at) - at, line);
}

// A window loaded from the settings file at folder/bin/vezizo.ini (when
// there is one), its XDG place folder/cfg/zezizav/vezizo.ini.
struct Setup {
    QTemporaryDir folder;
    SettingsPlaces places{folder.filePath("bin/vezizo.ini"),
                          folder.filePath("cfg/zezizav/vezizo.ini")};
    TestSupport::WindowFixture f;

    explicit Setup(const QString& installed = {}) {
        if (!installed.isEmpty()) {
            QDir().mkpath(folder.filePath("bin"));
            QFile::copy(installed, places.beside);
            f.settings = LoadSettings(places.beside.toStdString()).settings;
        }
        f.load();
        controller()->setPlaces(places, SettingsFileToRead(places));
    }
    SettingsController* controller() { return f.w->settingsController(); }
    QDialog* open() {
        controller()->mnuSettings_Click();
        return controller()->dialog();
    }
    QLineEdit* field(const char* key) { return controller()->dialog()->findChild<QLineEdit*>(key); }
    void save() { controller()->dialog()->findChild<QPushButton*>("cmdSaveSettings")->click(); }
};

}  // namespace

class SettingsDialogTest : public QObject {
    Q_OBJECT
private slots:
    void velocityFactorAppliesAtOnceAndOnlyItsLineChanges() {
        Setup s(ZEZIZAV_SOURCE_DIR "/tests/settings/data/vezizo.ini");
        const QByteArray before = ReadAll(s.places.beside);
        QVERIFY(s.f.tick());
        const QString metres = s.f.w->ui.txtMeters->text();
        QDialog* dialog = s.open();
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(s.field("InputVelFactor")->text(), "0.66");
        QCOMPARE(s.field("FMax")->text(), "180");
        QCOMPARE(s.field("device")->text(), "/dev/ttyUSB0");
        s.field("InputVelFactor")->setText("0.8");
        s.save();
        QVERIFY(!dialog->isVisible());
        QCOMPARE(ReadAll(s.places.beside),
                 QByteArray(before).replace("InputVelFactor=0.66\r", "InputVelFactor=0.8\r"));
        QVERIFY(s.f.tick());
        QCOMPARE(s.f.w->ui.lblVF->text(), "0.8");
        QVERIFY2(s.f.w->ui.txtMeters->text() != metres, qPrintable(metres));
    }

    // Start-up's refusal, in the dialog, and nothing written or used.
    void refusedValue_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("said");
        QTest::newRow("Step") << "Step"
                              << "40000"
                              << "Step=40000 is out of range (1 to 32767)";
        QTest::newRow("Champ") << "Champ"
                               << "0"
                               << "Champ=0 is out of range (1 to 32767)";
        QTest::newRow("velocity factor") << "InputVelFactor"
                                         << "fast"
                                         << "InputVelFactor=fast is not a decimal number";
        QTest::newRow("MHz") << "FMin"
                             << "1,5"
                             << "FMin=1,5 is not a number of MHz";
        QTest::newRow("port") << "port"
                              << "40000"
                              << "port=40000 is out of range (-32768 to 32767)";
    }
    void refusedValue() {
        QFETCH(QString, key);
        QFETCH(QString, text);
        QFETCH(QString, said);
        Setup s(ZEZIZAV_SOURCE_DIR "/tests/settings/data/vezizo.ini");
        const QByteArray before = ReadAll(s.places.beside);
        const Settings used = s.f.settings;
        QDialog* dialog = s.open();
        s.field("caloffsetrx")->setText("3");
        s.field(qPrintable(key))->setText(text);
        s.save();
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->findChild<QLabel*>("lblSettingsError")->text(),
                 s.places.beside + ": " + said);
        QCOMPARE(ReadAll(s.places.beside), before);
        QVERIFY(s.f.settings == used);
    }

    // No file anywhere: the XDG one is made from the example, with the
    // change and the colours chosen in this run.
    void noFileMakesTheXdgOneAndKeepsColours() {
        Setup s;
        s.f.settings.colorS2 = 65280.0f;  // as the colour buttons leave them
        s.f.settings.colorS6 = "16711680";
        s.open();
        QCOMPARE(s.field("FMin")->text(), "1");  // the example's values
        QCOMPARE(s.field("Champ")->text(), "6000");
        s.field("caloffsetrx")->setText(" 5 ");
        s.controller()->dialog()->findChild<QCheckBox*>("chkKeepColours")->setChecked(true);
        s.save();
        QByteArray expected = WithLine(Example(), "caloffsetrx", "caloffsetrx=5");
        // The others are the example's own colours, which the defaults are.
        for (const char* line : {"colorS2=65280", "colorS6=16711680"}) {
            expected = WithLine(expected, QByteArray(line).left(7), line);
        }
        QCOMPARE(ReadAll(s.places.xdg), expected);
        QVERIFY(!QFile::exists(s.places.beside));
        QCOMPARE(s.f.settings.caloffsetrx, std::int16_t{5});
    }

    // The list, "Other device…" with the simulator's line, RUN, another port
    // (which stops RUN), and "Remember this port".
    void portMenu() {
        TestSupport::SimProcess sim;
        QString error;
        QVERIFY2(sim.start({"--dut", "antenna"}, &error), qPrintable(error));
        Setup s;
        PortMenu* menu = s.f.w->portMenu();
        menu->listPorts = [&] {
            return std::vector<SerialPortEntry>{{"/dev/ttyS0", "", "", {}, {}},
                                                {sim.ptyPath(), "Simulator", "", 0x1d50, 0x60a7}};
        };
        menu->mnuOtherDevice_Click();
        menu->otherDeviceDialog()->findChild<QLineEdit*>("txtOtherDevice")->setText(sim.ptyPath());
        menu->otherDeviceDialog()->findChild<QPushButton*>("cmdOtherDeviceOK")->click();
        QCOMPARE(s.f.serial.device(), sim.ptyPath());
        QCOMPARE(s.f.w->statusBar()->currentMessage(), "Port in use: " + sim.ptyPath());

        emit menu->menu()->aboutToShow();
        QAction* simulated = menu->menu()->findChild<QAction*>("mnuPort1");
        QCOMPARE(simulated->text(), "&2 " + sim.ptyPath() + " - Simulator, 1d50:60a7");
        QVERIFY(simulated->isChecked());
        QVERIFY(!menu->menu()->findChild<QAction*>("mnuPort0")->isChecked());

        QVERIFY(s.f.tick());  // the limits and the step are read
        QSignalSpy acquired(s.f.w.get(), &chart1::sweepAcquired);
        s.f.w->cmdRUN_Click();
        QVERIFY(s.f.running());
        QVERIFY(s.f.tick());
        QCOMPARE(acquired.count(), 1);

        menu->menu()->findChild<QAction*>("mnuPort0")->trigger();
        QVERIFY(!s.f.running());
        QVERIFY(!s.f.serial.isOpen());
        QCOMPARE(s.f.serial.device(), "/dev/ttyS0");

        menu->menu()->findChild<QAction*>("mnuRememberPort")->trigger();
        QCOMPARE(ReadAll(s.places.xdg), WithLine(Example(), "device", "device=/dev/ttyS0"));
    }
};

QTEST_MAIN(SettingsDialogTest)
#include "tst_settings_dialog.moc"
