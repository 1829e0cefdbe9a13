// The main window as start-up leaves it: every widget by name, caption and
// state, the load handler's effects, and shutdown.
#include <QtTest>

#include "window/chart1.h"
#include "settings/startup_rules.h"
#include "common/display_format.h"
#include "measure/trace_scale.h"
#include "display/vb_colour.h"
#include "instrument/qt_serial_port_service.h"
#include "instrument/recording_parallel_port.h"
#include "measure/graph_widget.h"
#include "measure/line_widget.h"

class Chart1Test : public QObject {
    Q_OBJECT

    struct Window {
        Settings settings;
        SweepBuffers buffers;
        QtSerialPortService serial;
        RecordingParallelPort parallel;
        std::unique_ptr<chart1> w;
        explicit Window(Settings s) : settings(std::move(s)) {
            w = std::make_unique<chart1>(settings, buffers, serial, parallel);
            w->Form_Load();
        }
    };

    static Settings Defaults() { return ParseSettings("").settings; }

    template <class T>
    static T* find(const chart1& w, const QString& name) {
        return w.findChild<T*>(name);
    }

private slots:
    void widgetsByNameCaptionAndState_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<int>("checked");  // -1: not a check box

        auto row = [](const char* n, const char* t, const QString& c, bool s, int k = -1) {
            QTest::newRow(n) << QString::fromLatin1(n) << QString::fromLatin1(t) << c << s << k;
        };
        row("fraControls", "QGroupBox", "CONTROLS", true);
        row("Checkzerospan", "QCheckBox", "Zero span", true, 0);
        row("chkBands", "QCheckBox", "Bands", true, 0);
        row("chkHold", "QCheckBox", "Hold", true, 0);
        row("cmdRUN", "QPushButton", "RUN", true);
        row("fraFreqSwpLim", "QGroupBox", "FREQUENCY SWEEP LIMITS", true);
        row("cmdSaveSweep", "QPushButton", "Save", true);
        row("cmdZoomSweep", "QPushButton", "Zoom", true);
        row("cmdFullSweep", "QPushButton", "Full", true);
        row("cmdRecallSweep", "QPushButton", "Recall", true);
        // Under the sweep limits, out of reach of Tab, until "Bands" uncovers it.
        row("fraHFAmateur", "QGroupBox", "HF AMATEUR BANDS", false);
        row("fraVHFAmateur", "QGroupBox", "VHF AMATEUR BANDS", false);
        row("optA1", "QRadioButton", "1.8 - 2.0", true);
        row("optA6", "QRadioButton", "14.0 - 14.4", true);
        row("optA10", "QRadioButton", "28.0 - 30.0", true);
        row("optB1", "QRadioButton", "6m  50 - 50.2 MHz", true);
        row("optB3", "QRadioButton", "2m  144 - 146 MHz", true);
        row("fraTraceEnable", "QGroupBox", "TRACE ENABLE AND COLOURS", true);
        row("chkSWR", "QCheckBox", "", true, 1);
        row("chkZ", "QCheckBox", "", true, 1);
        row("chkRL", "QCheckBox", "", true, 0);
        row("chkPH", "QCheckBox", "", true, 0);
        row("chkRS", "QCheckBox", "", true, 0);
        row("chkXS", "QCheckBox", "", true, 0);
        row("lblSWR", "QLabel", "SWR", true);
        row("lblZ", "QLabel", "| Z | / ohm", true);
        row("lblRL", "QLabel", "Loss / dB", true);
        row("lblPH", "QLabel", QString::fromUtf8("PHASE /\u00b0 "), true);
        row("lblRS", "QLabel", "Rs / ohm", true);
        row("lblXS", "QLabel", "| Xs | / ohm", true);
        row("cmdAllTraces", "QPushButton", "All", true);
        row("cmdNoTraces", "QPushButton", "None", true);
        row("fraMarkers", "QGroupBox", "MARKERS", true);
        row("chkMkr1", "QCheckBox", "Marker 1", true, 1);
        row("chkMkr2", "QCheckBox", "Marker 2", true, 0);
        row("fraDataReadout", "QGroupBox", "VALUES", true);
        row("lblMkrZ", "QLabel", "| Z |", true);
        row("lblMkrRL", "QLabel", "R.L.", true);
        row("lblMkrTL", "QLabel", "T.L.", false);
        row("lblMkrXS", "QLabel", "| X s |", true);
        row("lblMkrXJ", "QLabel", "Xj", false);
        row("txtMkr1XJ", "QLineEdit", "", false);
        row("txtMkr2XJ", "QLineEdit", "", false);
        row("Frame1", "QGroupBox", "DISPLAY", true);
        row("chk50Ref", "QCheckBox", "50 ohm", true, 0);
        row("chkMkrFull", "QCheckBox", "Full", true, 0);
        row("chkXJ", "QCheckBox", "Xc / Xl", true, 0);
        row("fraMinMkr", "QGroupBox", "MIN. SWR", true);
        row("chkMinSWR", "QCheckBox", "Min. SWR", true, 0);
        row("fraMinSWR", "QGroupBox", "", false);
        row("fraBWandQ", "QGroupBox", "BANDWIDTH and Q", false);
        row("Frame2", "QGroupBox", "BW and Q", true);
        row("chkBW", "QCheckBox", "Enable", true, 0);
        row("fraCableLoss", "QGroupBox", "CABLE LOSS dB", false);
        row("lblMinCL", "QLabel", "Min.", true);
        row("lblAvgCL", "QLabel", "Avg.", true);
        row("lblMaxCL", "QLabel", "Max.", true);
        row("fraCableLength", "QGroupBox", "CABLE LENGTH", false);
        row("lblMeters", "QLabel", "Meters", true);
        row("lblVelFactor", "QLabel", "Velocity Factor", true);
        row("lblVF", "QLabel", "", false);
        row("fraLoss", "QGroupBox", "LOSS", true);
        row("chkLossx2", "QCheckBox", "Scale X2", true, 0);
        row("lblLossOffset", "QLabel", "Offset", true);
        row("lblRL_SWR", "QLabel", "R.L./ SWR", true);
        row("lblTL_SWR", "QLabel", "T.L./ SWR", false);
        row("lbl0ohm", "QLabel", QString::fromUtf8("180 \u00b0 / 500 ohm"), true);
        row("lbl75ohm", "QLabel", QString::fromUtf8("135\u00b0 / 375 ohm"), true);
        row("lbl150ohm", "QLabel", QString::fromUtf8("90\u00b0 / 250 ohm"), true);
        row("lbl225ohm", "QLabel", QString::fromUtf8("45\u00b0 / 125 ohm"), true);
        row("lbl300ohm", "QLabel", QString::fromUtf8("0\u00b0 / 0 ohm"), true);
        row("lbl50ohm", "QLabel", "50 ohm", true);
        row("lbl0db", "QLabel", "0 dB / 10", true);
        row("lbl30dB", "QLabel", "-30 dB / 1.0 ", true);
        row("lblM1", "QLabel", "M1", true);
        row("lblM2", "QLabel", "M2", true);
    }

    // A widget's own visibility flag: hidden frames' children keep theirs.
    void widgetsByNameCaptionAndState() {
        QFETCH(QString, name);
        QFETCH(QString, type);
        QFETCH(QString, caption);
        QFETCH(bool, shown);
        QFETCH(int, checked);
        Window win(Defaults());
        QWidget* w = find<QWidget>(*win.w, name);
        QVERIFY2(w, qPrintable(name));
        QCOMPARE(QString::fromLatin1(w->metaObject()->className()), type);
        QString text;
        if (auto* l = qobject_cast<QLabel*>(w)) text = l->text();
        if (auto* b = qobject_cast<QAbstractButton*>(w)) text = b->text();
        if (auto* g = qobject_cast<QGroupBox*>(w)) text = g->title();
        if (auto* e = qobject_cast<QLineEdit*>(w)) text = e->text();
        QCOMPARE(text, caption);
        QCOMPARE(!w->isHidden(), shown);
        if (checked >= 0) {
            QCOMPARE(static_cast<QCheckBox*>(w)->isChecked(), checked == 1);
        }
    }

    void initialColours() {
        Window win(Defaults());
        const Chart1Widgets& ui = win.w->ui;
        QCOMPARE(BackColour(ui.cmdRUN), 255u);
        QCOMPARE(ui.picGraph1->backColour(), 0xE0E0E0u);
        QCOMPARE(ui.linM1->borderColour(), 255u);
        QCOMPARE(ui.linM2->borderColour(), 0xFF0000u);
        QCOMPARE(ui.linM3->borderColour(), 0xC000u);
        QCOMPARE(ForeColour(ui.lblM1), 255u);
        QCOMPARE(ForeColour(ui.lblM2), 0xFF0000u);
        QCOMPARE(ui.lin50ohm->borderColour(), 255u);
        QCOMPARE(ui.lin10dB->style(), LineWidget::Style::Dot);
        QCOMPARE(ui.linM1->style(), LineWidget::Style::Dash);
        QCOMPARE(BackColour(ui.txtMkr1SWR), 0xFFFFC0u);
        QCOMPARE(BackColour(ui.txtMkr3SWR), 0xFFFFFFu);
    }

    void loadWithNoSettingsFile() {
        Window win(Defaults());
        const chart1& w = *win.w;
        QCOMPARE(w.ui.lblPoints->text(), QStringLiteral("6000"));
        QCOMPARE(win.buffers.MagnitudeSamples.size(), std::size_t{6001});
        QCOMPARE(win.buffers.PhaseSamples.size(), std::size_t{6001});
        QCOMPARE(win.buffers.ReservedSamples.size(), std::size_t{6001});
        QCOMPARE(w.ui.txtStart->text(), QStringLiteral("1"));
        QCOMPARE(w.ui.txtStop->text(), QStringLiteral("180"));
        QCOMPARE(w.FullFMin, 10000.0f);
        QCOMPARE(w.FullFMax, 10000.0f);
        QCOMPARE(w.ui.txtVF->text(), QStringLiteral("0.0066"));
        QCOMPARE(w.fields.PointWidth, 1.4725f);
        QCOMPARE(w.ui.lstBands->count(), 2);
        QCOMPARE(w.ui.lstBands->item(0)->text(), QStringLiteral("HF Bands"));
        QCOMPARE(w.ui.lstBands->item(1)->text(), QStringLiteral("VHF Bands"));
        QCOMPARE(w.ui.lstBands->currentRow(), -1);
        QCOMPARE(w.ui.Timer1->interval(), 50);
        QVERIFY(w.ui.Timer1->isActive());
        QVERIFY(!win.serial.isOpen());
        QVERIFY(win.parallel.writes().empty());  // Address1 0: no port
        QVERIFY(w.helpFile.endsWith(QStringLiteral("/Brelvin_help.hlp")));
        QVERIFY(w.windowTitle().contains(QStringLiteral("Zezizav")));
        QVERIFY(w.windowTitle().contains(QStringLiteral("2.2.9")));
        QVERIFY(w.windowTitle().contains(QStringLiteral("RS-232 or USB")));
    }

    void loadUsesTheSettings() {
        Settings s = Defaults();
        s.Champ = 500;
        s.FMin = 1500000.0f;
        s.FMax = 2500000.0f;
        s.Address1 = 888;
        s.colorS6 = "255";
        s.colorS5 = 16711680.0f;
        s.port = 3.0f;
        Window win(s);
        const chart1& w = *win.w;
        QCOMPARE(w.ui.lblPoints->text(), QStringLiteral("500"));
        QCOMPARE(win.buffers.MagnitudeSamples.size(), std::size_t{501});
        QCOMPARE(w.FullFMin, 1500000.0f);
        QCOMPARE(w.FullFMax, 2500000.0f);
        QCOMPARE(w.ui.txtStart->text(), QStringLiteral("1"));  // whatever the settings say
        QCOMPARE(win.parallel.writes().size(), std::size_t{83});
        QCOMPARE(ForeColour(w.ui.lblSWR), 255u);
        QCOMPARE(ForeColour(w.ui.lblMkrSWR), 255u);
        QCOMPARE(BackColour(w.ui.cmdSWRColour), 255u);
        QCOMPARE(ForeColour(w.ui.lblZ), 16711680u);
        QCOMPARE(win.serial.device(), QStringLiteral("/dev/ttyS2"));
    }

    void scalesPlacedFromGraphTopAndHeight() {
        Window win(Defaults());
        const Chart1Widgets& ui = win.w->ui;
        QCOMPARE(ui.picGraph1->ScaleWidth(), 8835.0f);
        QCOMPARE(ui.picGraph1->ScaleHeight(), 3795.0f);
        QCOMPARE(ui.picGraph1->y() * 15, 480);
        QCOMPARE(ui.linM1->Y1(), 0.0f);
        QCOMPARE(ui.linM1->Y2(), 3795.0f);
        QCOMPARE(ui.lin50ohm->Y1(), 3315.5f);
        QCOMPARE(ui.lin225ohm->Y1(), 848.75f);
        // Label tops land on whole pixels: 380 twips is 25.33 px.
        QCOMPARE(ui.lbl0db->y(), 25);
        QCOMPARE(ui.lbl30dB->y(), 278);
        QCOMPARE(ui.lblM1->y(), 236);
    }

    void graphScalePositions() {
        const GraphScalePositions p = ComputeGraphScalePositions(480.0f, 3795.0f);
        QCOMPARE(p.lbl0ohm, 380.0f);
        QCOMPARE(p.lbl0db, 380.0f);
        QCOMPARE(p.lbl10dB, 1645.0f);
        QCOMPARE(p.lbl20dB, 2910.0f);
        QCOMPARE(p.lbl30dB, 4175.0f);
        QCOMPARE(p.lbl300ohm, 4175.0f);
        QCOMPARE(p.lbl75ohm, 1228.75f);
        QCOMPARE(p.lbl150ohm, 2177.5f);
        QCOMPARE(p.lbl225ohm, 3126.25f);
        QCOMPARE(p.lbl50ohm, 3695.5f);
        QCOMPARE(p.lin10dB, 1265.0f);
        QCOMPARE(p.lin20dB, 2530.0f);
        QCOMPARE(p.lin225ohm, 848.75f);
        QCOMPARE(p.lin150ohm, 1797.5f);
        QCOMPARE(p.lin75ohm, 2746.25f);
        QCOMPARE(p.lin50ohm, 3315.5f);
        QCOMPARE(p.lblMTop, 3545.0f);
    }

    void everyWidgetDescribedByItsName() {
        Window win(Defaults());
        const auto widgets = win.w->findChildren<QWidget*>();
        int named = 0;
        for (const QWidget* w : widgets) {
            if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_"))) {
                continue;
            }
            ++named;
            QCOMPARE(w->accessibleDescription(), w->objectName());
            const bool needsName = qobject_cast<const QLineEdit*>(w) ||
                                   w->objectName().endsWith(QLatin1String("Colour"));
            if (needsName) {
                QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
            }
        }
        QVERIFY(named > 150);
    }

    void windowFitsEightHundredBySixHundred() {
        Window win(Defaults());
        win.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(win.w.get()));
        const QSize size = win.w->frameGeometry().size();
        QVERIFY2(size.width() <= 800 && size.height() <= 600,
                 qPrintable(QStringLiteral("%1 x %2").arg(size.width()).arg(size.height())));
    }

    void exitClosesEveryWindow() {
        Window win(Defaults());
        win.w->show();
        win.w->mnuAbout_Click();
        QPointer<QWidget> about = win.w->aboutWindow();
        QVERIFY(about);
        QVERIFY(about->isVisible());
        win.w->mnuExit_Click();
        QVERIFY(!win.w->isVisible());
        QVERIFY(!about || !about->isVisible());
    }

    void screenTooSmall_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("warn");
        QTest::newRow("640x480") << 640 << 480 << true;
        QTest::newRow("1024x500, one dimension small") << 1024 << 500 << false;
        QTest::newRow("700x900") << 700 << 900 << false;
        QTest::newRow("799x599") << 799 << 599 << true;
        QTest::newRow("800x600") << 800 << 600 << false;
    }
    void screenTooSmall() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(bool, warn);
        QCOMPARE(ScreenTooSmall(width, height), warn);
    }

    void centredOffset() {
        QCOMPARE(CentredOffset(1024, 800), 112);
        QCOMPARE(CentredOffset(1025, 800), 112);  // 225 / 2, truncated
        QCOMPARE(CentredOffset(800, 800), 0);
    }

    void floatText_data() {
        QTest::addColumn<float>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("0.15") << 0.15f << "0.15";
        QTest::newRow("12.5") << 12.5f << "12.5";
        QTest::newRow("seven digits") << 1121377.95f << "1121378";
        QTest::newRow("exponent") << 11000000000.0f << "1.1E+10";
        QTest::newRow("ten million") << 10000000.0f << "1E+07";
        QTest::newRow("just below") << 9999999.0f << "9999999";
        QTest::newRow("velocity/100") << 0.66f / 100.0f << "0.0066";
        QTest::newRow("negative") << -3.5f << "-3.5";
        QTest::newRow("zero") << 0.0f << "0";
        QTest::newRow("whole") << 180.0f << "180";
        QTest::newRow("tiny") << 0.0000066f << "6.6E-06";
    }
    void floatText() {
        QFETCH(float, value);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(FloatText(value)), text);
    }
};

QTEST_MAIN(Chart1Test)
#include "tst_chart1.moc"
