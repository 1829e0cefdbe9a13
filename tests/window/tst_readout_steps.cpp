// The readouts as the tick writes them into the window: texts, colours and
// what is shown, from the buffers as they stand.
#include <QtTest>

#include "display/vb_colour.h"
#include "measure/line_widget.h"
#include "support/test_support.h"

using TestSupport::WindowFixture;

class ReadoutStepsTest : public QObject {
    Q_OBJECT

    // Marker 1 sits at x = 2160 of 8835: point 1467 of 6000.
    static constexpr std::size_t M1 = 1467;

private slots:
    void markerOneRow() {
        WindowFixture f;
        f.load();
        f.buffers.MagnitudeSamples[M1] = 600;
        f.buffers.PhaseSamples[M1] = 300;
        QVERIFY(f.tick());
        const Chart1Widgets& ui = f.w->ui;
        QCOMPARE(f.w->fields.Mkr1Index, 1467);
        QCOMPARE(ui.txtMkr1RL->text(), QStringLiteral("15.06"));
        QCOMPARE(ui.txtMkr1PH->text(), QStringLiteral("52.8"));
        QCOMPARE(ui.txtMkr1XS->text(), QStringLiteral("17.21"));
        QCOMPARE(ui.txtMkr1RS->text(), QStringLiteral("59.25"));
        QCOMPARE(ui.txtMkr1SWR->text(), QStringLiteral("1.43"));
        QCOMPARE(ui.txtMkr1Z->text(), QStringLiteral("61.7"));
        // 1 MHz + 1467 x (179 MHz / 6000), from the boxes of the same tick.
        QCOMPARE(ui.lblMkr1Freq->text(), QStringLiteral("44,765,500"));
    }

    void hiddenTraceHidesItsReadoutUntilFull() {
        WindowFixture f;
        f.load();
        const Chart1Widgets& ui = f.w->ui;
        QVERIFY(f.tick());
        // SWR is on, Rs is off at start.
        QCOMPARE(ForeColour(ui.txtMkr1SWR), 0u);
        QCOMPARE(ForeColour(ui.txtMkr1RS), 0xFFFFC0u);
        QCOMPARE(ForeColour(ui.txtMkr3RS), 0xFFFFFFu);
        ui.chkMkrFull->setChecked(true);
        QVERIFY(f.tick());
        QCOMPARE(ForeColour(ui.txtMkr1RS), 0u);
        QCOMPARE(ForeColour(ui.txtMkr3RS), 0u);
        ui.chkMkrFull->setChecked(false);
        QVERIFY(f.tick());
        QCOMPARE(ForeColour(ui.txtMkr1RS), 0xFFFFC0u);
    }

    void transmissionShowsOnlyLossAndPhase() {
        WindowFixture f;
        f.load();
        const Chart1Widgets& ui = f.w->ui;
        f.w->Toolbar1_ButtonClick(QStringLiteral("Transmission"));
        QVERIFY(f.tick());
        QVERIFY(ui.txtMkr1SWR->isHidden());
        QVERIFY(ui.txtMkr1RS->isHidden());
        QVERIFY(ui.txtMkr1Z->isHidden());
        QVERIFY(ui.lblM1->isHidden());
        QVERIFY(ui.cmdMkr1Colour->isHidden());
        QVERIFY(!ui.txtMkr1RL->isHidden());
        QVERIFY(!ui.txtMkr1PH->isHidden());
        QVERIFY(!ui.linM1->isHidden());
        QVERIFY(!ui.lblMkr1Freq->isHidden());
        // Marker 2 is off: nothing of it shows.
        QVERIFY(ui.linM2->isHidden());
        QVERIFY(ui.txtMkr2RL->isHidden());
    }

    void valuesFrameFollowsTheMarkers() {
        WindowFixture f;
        f.load();
        const Chart1Widgets& ui = f.w->ui;
        ui.chkMkr1->setChecked(false);
        QVERIFY(f.tick());
        QVERIFY(ui.fraDataReadout->isHidden());
        ui.chkMkr2->setChecked(true);
        QVERIFY(f.tick());
        QVERIFY(!ui.fraDataReadout->isHidden());
    }

    void xcXlTurnsOnWhatItNeeds() {
        WindowFixture f;
        f.load();
        const Chart1Widgets& ui = f.w->ui;
        ui.chkXJ->setChecked(true);
        ui.linM2->setX1(ui.linM1->X1());  // both markers on one point
        QVERIFY(f.tick());
        QVERIFY(ui.chkXS->isChecked());
        QVERIFY(ui.chkMkr1->isChecked() && ui.chkMkr2->isChecked());
        QVERIFY(!ui.lblMkrXJ->isHidden());
        QVERIFY(!ui.txtMkr2XJ->isHidden());
        // Equal values at both markers count as capacitive.
        QCOMPARE(ui.lblMkrXS->text(), QStringLiteral("| Xs | -j"));
        QCOMPARE(ui.lblMkrXJ->text(), QStringLiteral("Xc to pf"));
        ui.chkXJ->setChecked(false);
        QVERIFY(f.tick());
        QCOMPARE(ui.lblMkrXS->text(), QStringLiteral("| Xs |"));
        QVERIFY(ui.lblMkrXJ->isHidden());
    }

    void cableLossModeKeepsMarkerOne() {
        WindowFixture f;
        f.load();
        const Chart1Widgets& ui = f.w->ui;
        f.w->Toolbar1_ButtonClick(QStringLiteral("Cable Loss"));
        f.buffers.MagnitudeSamples[M1] = 600;
        ui.chkMkr1->setChecked(false);
        QVERIFY(f.tick());
        QVERIFY(ui.chkMkr1->isChecked());  // back on after the pass
        QCOMPARE(ui.txtMinCL->text(), QStringLiteral("7.53"));
        QVERIFY(ui.lblMinCL->text().isEmpty());  // marker 2 is off
        QVERIFY(ui.txtAvgCL->isHidden());
        ui.chkMkr2->setChecked(true);
        QVERIFY(f.tick());
        QCOMPARE(ui.lblMinCL->text(), QStringLiteral("Min."));
        QVERIFY(!ui.txtAvgCL->isHidden());
    }

    void bandwidthAndLength() {
        WindowFixture f;
        f.load();
        const Chart1Widgets& ui = f.w->ui;
        ui.chkBW->setChecked(true);
        QVERIFY(f.tick());  // the step spans 1..180 MHz at once
        QVERIFY(!ui.fraBWandQ->isHidden());
        // Markers at points 1467 and 4401: 2934 steps of 29833.33 Hz.
        QCOMPARE(f.w->fields.Mkr2Index, 4401);
        QCOMPARE(ui.txtBandwidth->text(), QStringLiteral("87,531,000"));
        QVERIFY(!ui.txtMeters->text().isEmpty());
        QCOMPARE(ui.lblVF->text(), QStringLiteral("0.66"));
    }

    void minSwrMarkerWhileRunning() {
        WindowFixture f;
        f.load();
        const Chart1Widgets& ui = f.w->ui;
        f.buffers.MagnitudeSamples[1500] = 900;
        f.w->fields.Running = 1.0f;  // as RUN leaves it; the port stays closed here
        QVERIFY(f.tick());
        QVERIFY(!ui.fraMinMkr->isHidden());
        ui.chkMinSWR->setChecked(true);
        QVERIFY(f.tick());
        QCOMPARE(f.w->fields.BestMatchPoint, 1500.0f);
        QCOMPARE(ui.linM3->X1(), 2208.75f);
        QVERIFY(!ui.fraMinSWR->isHidden());
        QVERIFY(!ui.linM3->isHidden());
        f.w->fields.Running = 0.0f;
        QVERIFY(f.tick());
        QVERIFY(!ui.chkMinSWR->isChecked());
        QVERIFY(ui.fraMinSWR->isHidden());
        QVERIFY(ui.fraMinMkr->isHidden());
    }

    void openCircuitReadoutKeepsTheRest() {
        WindowFixture f;
        f.load();
        // Loss readout 0 and phase 0: reflection coefficient 1 + 0j.
        f.w->ui.txtLossOffset->setText(QStringLiteral("20.16"));
        QVERIFY(f.tick());
        const Chart1Widgets& ui = f.w->ui;
        QCOMPARE(ui.txtMkr1RL->text(), QStringLiteral("0."));
        QVERIFY(!ui.txtMkr1SWR->text().isEmpty());
        for (const QLineEdit* box : {ui.txtMkr1RS, ui.txtMkr1XS, ui.txtMkr1Z}) {
            QVERIFY2(!box->text().contains(QLatin1String("nan"), Qt::CaseInsensitive) &&
                         !box->text().contains(QLatin1String("inf"), Qt::CaseInsensitive),
                     qPrintable(box->text()));
        }
        QCOMPARE(ui.txtMkr2RL->text(), QStringLiteral("0."));
        QVERIFY(!ui.txtSpeed->text().isEmpty());  // the tick went on to the end
    }
};

QTEST_MAIN(ReadoutStepsTest)
#include "tst_readout_steps.moc"
