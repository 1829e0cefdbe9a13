// The measurement cycle on the real window with the serial port closed:
// what one tick changes, in which order, and what it leaves alone.
#include <QtTest>

#include "window/chart1.h"
#include "instrument/qt_serial_port_service.h"
#include "instrument/recording_parallel_port.h"
#include "measure/graph_widget.h"
#include "measure/line_widget.h"

class TickTest : public QObject {
    Q_OBJECT

    struct Window {
        Settings settings;
        SweepBuffers buffers;
        QtSerialPortService serial;
        RecordingParallelPort parallel;
        std::unique_ptr<chart1> w;
        Window() {
            settings = ParseSettings("").settings;
            settings.Address1 = 888;
            w = std::make_unique<chart1>(settings, buffers, serial, parallel);
            w->Form_Load();
            w->ui.Timer1->stop();  // the tests tick by hand
            parallel.clear();
        }
        void tick() {
            QSignalSpy done(w.get(), &chart1::tickFinished);
            w->Timer1_Timer();
            QVERIFY(done.count() == 1 || done.wait(2000));
        }
        qsizetype lines(GraphWidget::Trace t) const { return w->ui.picGraph1->traceSegments(t); }
    };

private slots:
    void stoppedTickSendsNothingAndStillRedraws() {
        Window win;
        win.buffers.MagnitudeSamples[10] = 600;
        win.w->ui.chkMinSWR->setChecked(true);
        win.tick();
        const Chart1Widgets& ui = win.w->ui;
        QVERIFY(!ui.Checkzerospan->isEnabled());
        QVERIFY(!ui.chkMinSWR->isChecked());
        QVERIFY(ui.fraMinMkr->isHidden());
        QVERIFY(ui.fraMinSWR->isHidden());
        QCOMPARE(win.w->tickWait(), chart1::TickWait::None);
        // SWR and |Z| are on at start: every point 0..Champ gives a segment.
        QCOMPARE(win.lines(GraphWidget::Swr), 6001);
        QCOMPARE(win.lines(GraphWidget::Z), 6001);
        QCOMPARE(win.lines(GraphWidget::Loss), 0);
        QCOMPARE(win.w->fields.BestMatchPoint, 10.0f);
        bool ok = false;
        ui.txtSpeed->text().toLongLong(&ok);
        QVERIFY(ok);
        QCOMPARE(win.parallel.writes().size(), std::size_t{1});
        QCOMPARE(win.parallel.writes()[0].value, std::uint8_t{0});
        QVERIFY(ui.Timer1->isActive());  // the next tick is due again
    }

    void noTraceEnabledLeavesAnEmptyGraph() {
        Window win;
        const Chart1Widgets& ui = win.w->ui;
        for (QCheckBox* c : {ui.chkSWR, ui.chkZ, ui.chkRL, ui.chkPH, ui.chkRS, ui.chkXS}) {
            c->setChecked(false);
        }
        win.buffers.MagnitudeSamples[20] = 5;
        win.tick();
        for (int t = 0; t < GraphWidget::TraceCount; ++t) {
            QCOMPARE(win.lines(static_cast<GraphWidget::Trace>(t)), 0);
        }
        QCOMPARE(win.w->fields.BestMatchPoint, 20.0f);
        QVERIFY(!ui.txtSpeed->text().isEmpty());
    }

    void traceColoursComeFromTheSettings() {
        Window win;
        win.settings.colorS6 = "255";
        win.settings.colorS5 = 16711680.0f;
        win.tick();
        QCOMPARE(win.w->ui.picGraph1->traceColour(GraphWidget::Swr), 255u);
        QCOMPARE(win.w->ui.picGraph1->traceColour(GraphWidget::Z), 16711680u);
    }

    void scaleX2CaptionsAndLossScale() {
        Window win;
        const Chart1Widgets& ui = win.w->ui;
        win.tick();
        QCOMPARE(ui.lbl0db->text(), QStringLiteral(" 0dB/10"));
        QCOMPARE(ui.lbl10dB->text(), QStringLiteral("10dB"));
        QCOMPARE(ui.lbl30dB->text(), QStringLiteral("30dB/1.0"));
        QCOMPARE(win.w->fields.LossScale, std::uint8_t{1});
        ui.chkLossx2->setChecked(true);
        win.tick();
        QCOMPARE(ui.lbl10dB->text(), QStringLiteral("20dB"));
        QCOMPARE(ui.lbl20dB->text(), QStringLiteral("40dB"));
        QCOMPARE(ui.lbl30dB->text(), QStringLiteral("60dB/1.0"));
        QCOMPARE(win.w->fields.LossScale, std::uint8_t{2});
        ui.chkLossx2->setChecked(false);
        win.tick();
        QCOMPARE(ui.lbl20dB->text(), QStringLiteral("20dB"));
    }

    void fiftyOhmReferenceFollowsItsBox() {
        Window win;
        const Chart1Widgets& ui = win.w->ui;
        ui.chk50Ref->setChecked(true);
        win.tick();
        QVERIFY(!ui.lin50ohm->isHidden());
        QVERIFY(!ui.lbl50ohm->isHidden());
        ui.chk50Ref->setChecked(false);
        win.tick();
        QVERIFY(ui.lin50ohm->isHidden());
        QVERIFY(ui.lbl50ohm->isHidden());
        QVERIFY(!ui.lin75ohm->isHidden());  // the other lines stay
    }

    // The step and the marker readouts of a tick follow the limits that
    // tick reads, so a sweep and its captions always agree with the boxes.
    void typedLimitsReachTheStepInTheSameTick() {
        Window win;
        win.tick();  // FMin = 1 MHz, FMax = 180 MHz from the boxes
        QCOMPARE(win.w->fields.FreqStep, (180e6 - 1e6) / 6000.0);
        win.w->ui.txtStart->setText(QStringLiteral("7"));
        win.tick();
        QCOMPARE(win.settings.FMin, 7000000.0f);
        QCOMPARE(win.w->fields.FreqStep, (180e6 - 7e6) / 6000.0);
        // Marker 1 at point 1467 of 6000 (x 2160 of 8835).
        QCOMPARE(win.w->ui.lblMkr1Freq->text(), QStringLiteral("49,298,500"));
        win.w->ui.txtStop->setText(QStringLiteral("abc"));  // not a number: 0
        win.tick();
        QCOMPARE(win.settings.FMax, 0.0f);
    }

    void holdShowsTheFileNameAndLeavingForgetsIt() {
        Window win;
        win.w->CommonDialog1FileName = QStringLiteral("/tmp/sweep.vec");
        win.w->ui.chkHold->setChecked(true);
        win.tick();
        QCOMPARE(win.w->ui.txtFileName->text(), QStringLiteral("/tmp/sweep.vec"));
        win.w->ui.chkHold->setChecked(false);
        win.tick();
        QVERIFY(win.w->ui.txtFileName->text().isEmpty());
        QVERIFY(win.w->CommonDialog1FileName.isEmpty());
    }

    void calibrationOffsetFollowsTheMode() {
        Window win;
        win.settings.caloffsetrx = 15;
        win.settings.caloffsettx = -25;
        win.tick();
        QCOMPARE(win.w->fields.CalOffsetDb, 1.5f);
        win.w->fields.TransmissionMode = 1.0f;
        win.tick();
        QCOMPARE(win.w->fields.CalOffsetDb, -2.5f);
    }
};

QTEST_MAIN(TickTest)
#include "tst_tick.moc"
