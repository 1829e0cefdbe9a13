// RUN, Hold, Zero span and Bands on the real window, with the serial line
// on a pseudo-terminal served by the project's simulator.
#include <QMessageBox>
#include <QtTest>

#include "window/chart1.h"
#include "display/vb_colour.h"
#include "instrument/qt_serial_port_service.h"
#include "instrument/recording_parallel_port.h"
#include "support/test_support.h"

using TestSupport::SimProcess;

class RunControlsTest : public QObject {
    Q_OBJECT

    struct Window {
        Settings settings;
        SweepBuffers buffers;
        QtSerialPortService serial;
        RecordingParallelPort parallel;
        std::unique_ptr<chart1> w;
        explicit Window(const QString& device, std::int32_t champ = 200) {
            settings = ParseSettings("").settings;
            settings.Champ = champ;
            settings.device = device.toStdString();
            settings.Address1 = 888;
            w = std::make_unique<chart1>(settings, buffers, serial, parallel);
            w->Form_Load();
        }
        bool running() const { return w->fields.Running == 1.0f; }
        // Waits for the next tick to run to its end.
        bool nextTick(int timeoutMs = 8000) {
            QSignalSpy done(w.get(), &chart1::tickFinished);
            return done.wait(timeoutMs);
        }
        QString warning() const {
            auto* box = w->findChild<QMessageBox*>(QStringLiteral("warningBox"));
            return box ? box->text() : QString();
        }
    };

    static bool anyNonZero(const std::vector<float>& v) {
        return std::any_of(v.begin() + 1, v.end(), [](float x) { return x != 0.0f; });
    }

private slots:
    void holdLocksTheRangeControls() {
        Window win(QString{});
        const Chart1Widgets& ui = win.w->ui;
        ui.chkHold->setChecked(true);
        QVERIFY(!ui.txtStart->isEnabled());
        QVERIFY(!ui.txtStop->isEnabled());
        QVERIFY(!ui.chkBands->isEnabled());
        for (QWidget* b : {static_cast<QWidget*>(ui.cmdSaveSweep), static_cast<QWidget*>(ui.cmdRecallSweep),
                           static_cast<QWidget*>(ui.cmdZoomSweep), static_cast<QWidget*>(ui.cmdFullSweep)}) {
            QVERIFY2(b->isHidden(), qPrintable(b->objectName()));
        }
        ui.chkHold->setChecked(false);
        QVERIFY(ui.txtStart->isEnabled());
        QVERIFY(ui.txtStop->isEnabled());
        QVERIFY(ui.chkBands->isEnabled());
        QVERIFY(!ui.cmdSaveSweep->isHidden());
        QVERIFY(!ui.cmdFullSweep->isHidden());
    }

    void bandsSwapsTheLimitsFrame() {
        Window win(QString{});
        const Chart1Widgets& ui = win.w->ui;
        ui.chkBands->setChecked(true);
        QVERIFY(ui.fraFreqSwpLim->isHidden());
        ui.chkBands->setChecked(false);
        QVERIFY(!ui.fraFreqSwpLim->isHidden());
    }

    void zeroSpanOnlyWhileRunningAndNotHeld() {
        SimProcess sim;
        QString error;
        QVERIFY2(sim.start({QStringLiteral("--dut"), QStringLiteral("load")}, &error), qPrintable(error));
        Window win(sim.ptyPath());
        const Chart1Widgets& ui = win.w->ui;
        QVERIFY(win.nextTick());
        QVERIFY(!ui.Checkzerospan->isEnabled());
        win.w->cmdRUN_Click();
        QVERIFY(win.nextTick());
        QVERIFY(ui.Checkzerospan->isEnabled());
        ui.chkHold->setChecked(true);
        QVERIFY(win.nextTick());
        QVERIFY(!ui.Checkzerospan->isEnabled());
        win.w->cmdRUN_Click();
    }

    void runTwiceStopsWithThePortClosed() {
        SimProcess sim;
        QVERIFY(sim.start());
        Window win(sim.ptyPath());
        win.w->cmdRUN_Click();
        QVERIFY(win.running());
        QVERIFY(win.serial.isOpen());
        QCOMPARE(BackColour(win.w->ui.cmdRUN), 65280u);
        win.w->cmdRUN_Click();
        QCOMPARE(win.w->fields.Running, 0.0f);
        QVERIFY(!win.serial.isOpen());
        QCOMPARE(BackColour(win.w->ui.cmdRUN), 255u);
    }

    void portThatCannotOpenIsReportedByName_data() {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("named");
        QTest::newRow("none configured") << QString() << QStringLiteral("no port is configured");
        QTest::newRow("no such device") << QStringLiteral("/dev/zezizav-no-such-port")
                                        << QStringLiteral("/dev/zezizav-no-such-port");
    }
    void portThatCannotOpenIsReportedByName() {
        QFETCH(QString, device);
        QFETCH(QString, named);
        Window win(device);
        win.w->cmdRUN_Click();
        QCOMPARE(win.w->fields.Running, 0.0f);
        QCOMPARE(BackColour(win.w->ui.cmdRUN), 255u);
        QVERIFY2(win.warning().contains(named), qPrintable(win.warning()));
    }

    void runTakesSweepsAndEveryTickClearsTheParallelPort() {
        SimProcess sim;
        QVERIFY(sim.start({QStringLiteral("--dut"), QStringLiteral("antenna"), QStringLiteral("-v")}));
        Window win(sim.ptyPath());
        win.w->ui.txtStart->setText(QStringLiteral("10"));
        win.w->ui.txtStop->setText(QStringLiteral("20"));
        QVERIFY(win.nextTick());  // limits and step read
        win.parallel.clear();
        QSignalSpy acquired(win.w.get(), &chart1::sweepAcquired);
        win.w->cmdRUN_Click();
        QVERIFY(acquired.wait(8000));
        QVERIFY(anyNonZero(win.buffers.MagnitudeSamples));
        QVERIFY(anyNonZero(win.buffers.PhaseSamples));
        QCOMPARE(win.buffers.MagnitudeSamples[0], 0.0f);
        // The antenna matches best near 14.2 MHz: a larger count is a better match.
        const auto& mag = win.buffers.MagnitudeSamples;
        const auto best = std::max_element(mag.begin() + 1, mag.end()) - mag.begin();
        const double f = 10e6 + static_cast<double>(best) * (10e6 / 200.0);
        QVERIFY2(f > 13.5e6 && f < 15e6, qPrintable(QString::number(f)));
        QVERIFY(!win.parallel.writes().empty());
        for (const auto& write : win.parallel.writes()) {
            QCOMPARE(write.address, std::int16_t{888});
            QCOMPARE(write.value, std::uint8_t{0});
        }
        win.w->cmdRUN_Click();
    }

    void zeroSpanTunesWithoutSweeping() {
        SimProcess sim;
        QVERIFY(sim.start({QStringLiteral("-v")}));
        Window win(sim.ptyPath());
        QVERIFY(win.nextTick());
        win.w->cmdRUN_Click();
        QVERIFY(win.nextTick());
        win.w->ui.Checkzerospan->setChecked(true);
        QSignalSpy acquired(win.w.get(), &chart1::sweepAcquired);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(win.nextTick());  // single frequency, then the pause
        QVERIFY(win.nextTick());
        QVERIFY(clock.elapsed() >= 600);  // two pauses of 300 ms
        QVERIFY(win.w->ui.txtStop->isHidden());
        QCOMPARE(acquired.count(), 0);
        QCOMPARE(win.w->fields.Busy, std::uint8_t{0});
        win.w->ui.Checkzerospan->setChecked(false);
        QVERIFY(acquired.wait(8000));
        QVERIFY(!win.w->ui.txtStop->isHidden());
        win.w->cmdRUN_Click();
    }

    void holdDuringASweepDiscardsItsReply() {
        SimProcess sim;
        QVERIFY(sim.start({QStringLiteral("--pace")}));
        Window win(sim.ptyPath(), 2000);  // 8000 bytes: about 0.7 s on the wire
        QVERIFY(win.nextTick());
        win.w->cmdRUN_Click();
        QTRY_VERIFY_WITH_TIMEOUT(win.w->tickWait() == chart1::TickWait::Sweep, 5000);
        const auto before = win.buffers.MagnitudeSamples;
        QSignalSpy acquired(win.w.get(), &chart1::sweepAcquired);
        win.w->ui.chkHold->setChecked(true);
        QVERIFY(win.nextTick());
        QVERIFY(win.nextTick());  // held: no sweep is started
        QCOMPARE(acquired.count(), 0);
        QVERIFY(win.buffers.MagnitudeSamples == before);
        win.w->cmdRUN_Click();
    }

    void vanishedDeviceStopsRunWithAMessage() {
        SimProcess sim;
        QVERIFY(sim.start({QStringLiteral("--pace")}));
        Window win(sim.ptyPath(), 2000);
        QVERIFY(win.nextTick());
        win.w->cmdRUN_Click();
        QTRY_VERIFY_WITH_TIMEOUT(win.w->tickWait() == chart1::TickWait::Sweep, 5000);
        sim.kill();
        QTRY_COMPARE_WITH_TIMEOUT(win.w->fields.Running, 0.0f, 5000);
        QCOMPARE(BackColour(win.w->ui.cmdRUN), 255u);
        QVERIFY(!win.serial.isOpen());
        QVERIFY(!win.warning().isEmpty());
        QVERIFY(win.nextTick());  // the cycle goes on without the instrument
    }

    // A port that takes no more of a command half written cannot be trusted
    // with the next one: it is closed, and RUN stops and says why.
    void aLineThatTakesNoMoreWritesStopsRun() {
        SimProcess sim;
        QVERIFY(sim.start());
        Window win(sim.ptyPath());
        QVERIFY(win.nextTick());  // the limits are read; the step follows
        win.w->ui.Timer1->stop();
        win.w->cmdRUN_Click();
        win.w->Timer1_Timer();  // line 1 of the sweep command goes out
        QCOMPARE(win.w->tickWait(), chart1::TickWait::Sweep);
        win.serial.close();
        QTRY_COMPARE_WITH_TIMEOUT(win.w->fields.Running, 0.0f, 5000);
        QCOMPARE(BackColour(win.w->ui.cmdRUN), 255u);
        QCOMPARE(win.warning(),
                 QStringLiteral("Cannot write to the serial port %1").arg(sim.ptyPath()));
    }
};

QTEST_MAIN(RunControlsTest)
#include "tst_run_controls.moc"
