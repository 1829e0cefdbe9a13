// Marker placement, the measurement modes, trace enables and colours.
#include <QtTest>

#include "display/vb_colour.h"
#include "common/twips.h"
#include "measure/graph_widget.h"
#include "measure/line_widget.h"
#include "support/test_support.h"

using TestSupport::WindowFixture;

class DisplayHandlersTest : public QObject {
    Q_OBJECT

    struct Boxes {
        int SWR, Z, RL, PH, RS, XS;
    };
    static Boxes boxes(const Chart1Widgets& ui) {
        auto v = [](const QCheckBox* b) { return b->isChecked() ? 1 : 0; };
        return {v(ui.chkSWR), v(ui.chkZ), v(ui.chkRL), v(ui.chkPH), v(ui.chkRS), v(ui.chkXS)};
    }

private slots:
    void markerPlacement_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<float>("x");
        QTest::addColumn<bool>("moves1");
        QTest::addColumn<bool>("moves2");
        QTest::addColumn<bool>("tagLeftOfLine");
        QTest::newRow("left button, middle: tag right") << 1 << 4417.5f << true << false << false;
        QTest::newRow("left button, right half: tag left") << 1 << 4500.0f << true << false << true;
        QTest::newRow("right button") << 2 << 1000.0f << false << true << false;
        QTest::newRow("right button, right half") << 2 << 8000.0f << false << true << true;
        QTest::newRow("middle button does nothing") << 4 << 3000.0f << false << false << false;
        QTest::newRow("released outside the graph") << 1 << -300.0f << true << false << false;
    }
    void markerPlacement() {
        QFETCH(int, button);
        QFETCH(float, x);
        QFETCH(bool, moves1);
        QFETCH(bool, moves2);
        QFETCH(bool, tagLeftOfLine);
        WindowFixture f;
        f.load();
        Chart1Widgets& ui = f.w->ui;
        ui.chkMkr1->setChecked(false);
        f.w->picGraph1_MouseUp(button, 0, x, 100.0f);
        QCOMPARE(ui.linM1->X1() == x, moves1);
        QCOMPARE(ui.linM2->X1() == x, moves2);
        QCOMPARE(ui.chkMkr1->isChecked(), moves1);  // placing switches it on
        if (moves1 || moves2) {
            LineWidget* line = moves1 ? ui.linM1 : ui.linM2;
            QLabel* tag = moves1 ? ui.lblM1 : ui.lblM2;
            QCOMPARE(line->X2(), x);
            const int xPx = Twips::ToPixels(x);
            QCOMPARE(tag->x(), tagLeftOfLine ? xPx - tag->width() : xPx);
        }
        if (!moves1 && !moves2) {
            QCOMPARE(ui.linM1->X1(), 2160.0f);
            QCOMPARE(ui.linM2->X1(), 6480.0f);
        }
    }

    void modes() {
        WindowFixture f;
        f.load();
        Chart1Widgets& ui = f.w->ui;
        chart1& w = *f.w;

        w.Toolbar1_ButtonClick(QStringLiteral("Transmission"));
        Boxes b = boxes(ui);
        QCOMPARE((std::array{b.SWR, b.Z, b.RL, b.PH, b.RS, b.XS}), (std::array{0, 0, 1, 1, 0, 0}));
        QCOMPARE(w.fields.TransmissionMode, 1.0f);
        QVERIFY(!ui.chkSWR->isEnabled() && !ui.chkZ->isEnabled() && !ui.chkRS->isEnabled() &&
                !ui.chkXS->isEnabled());
        QVERIFY(ui.lblRL_SWR->isHidden() && !ui.lblTL_SWR->isHidden());
        QVERIFY(ui.lblMkrRL->isHidden() && !ui.lblMkrTL->isHidden());

        // "Transmission" then "Antenna"
        w.Toolbar1_ButtonClick(QStringLiteral("Antenna"));
        b = boxes(ui);
        QCOMPARE((std::array{b.SWR, b.Z, b.RL, b.PH, b.RS, b.XS}), (std::array{1, 1, 1, 1, 0, 0}));
        QCOMPARE(w.fields.TransmissionMode, 0.0f);
        QVERIFY(ui.chkRS->isEnabled() && ui.chkXS->isEnabled());
        QVERIFY(!ui.lblRL_SWR->isHidden() && ui.lblTL_SWR->isHidden());

        // "Cable Length" then "Cable Loss"
        ui.chkRS->setChecked(true);
        w.Toolbar1_ButtonClick(QStringLiteral("Cable Length"));
        b = boxes(ui);
        QCOMPARE((std::array{b.SWR, b.Z, b.RL, b.PH, b.RS, b.XS}), (std::array{0, 1, 0, 0, 0, 0}));
        QVERIFY(!ui.fraCableLength->isHidden() && ui.fraCableLoss->isHidden());
        QVERIFY(ui.chkXJ->isHidden() && !ui.chkXJ->isChecked());
        QVERIFY(ui.chkMkr1->isChecked() && ui.chkMkr2->isChecked());
        QVERIFY(!ui.lblVF->isHidden());
        ui.chkRS->setChecked(true);
        w.Toolbar1_ButtonClick(QStringLiteral("Cable Loss"));
        b = boxes(ui);
        QCOMPARE((std::array{b.SWR, b.Z, b.RL, b.PH, b.RS, b.XS}), (std::array{0, 0, 1, 0, 1, 0}));
        QVERIFY(ui.fraCableLength->isHidden() && !ui.fraCableLoss->isHidden());
        QVERIFY(!ui.chkXJ->isHidden() && !ui.chkXJ->isChecked());
        QVERIFY(!ui.lblVF->isHidden());  // stays, inside its hidden frame

        // Any other text runs only the other branches.
        w.Toolbar1_ButtonClick(QStringLiteral("antenna"));
        QVERIFY(ui.fraCableLoss->isHidden());
        QCOMPARE(boxes(ui).SWR, 0);
    }

    void transmissionReachesTheModeByte() {
        WindowFixture f;
        f.load();
        f.w->Toolbar1_ButtonClick(QStringLiteral("Transmission"));
        QCOMPARE(f.w->fields.TransmissionMode, 1.0f);
        // The sweep command's first line follows the field.
        const EncodedCommand cmd = EncodeSweepCommand(1e6f, 1000.0, 10, f.w->fields.TransmissionMode);
        QCOMPARE(cmd.lines[0], QByteArray(" 1\r"));
        f.w->Toolbar1_ButtonClick(QStringLiteral("Cable Loss"));
        QCOMPARE(EncodeSweepCommand(1e6f, 1000.0, 10, f.w->fields.TransmissionMode).lines[0],
                 QByteArray(" 0\r"));
    }

    void allAndNoneEvenWhenDisabled() {
        WindowFixture f;
        f.load();
        f.w->Toolbar1_ButtonClick(QStringLiteral("Transmission"));
        f.w->cmdAllTraces_Click();
        Boxes b = boxes(f.w->ui);
        QCOMPARE((std::array{b.SWR, b.Z, b.RL, b.PH, b.RS, b.XS}), (std::array{1, 1, 1, 1, 1, 1}));
        f.w->cmdNoTraces_Click();
        b = boxes(f.w->ui);
        QCOMPARE((std::array{b.SWR, b.Z, b.RL, b.PH, b.RS, b.XS}), (std::array{0, 0, 0, 0, 0, 0}));
        QVERIFY(f.tick());
        for (int t = 0; t < GraphWidget::TraceCount; ++t) {
            QCOMPARE(f.w->ui.picGraph1->traceSegments(static_cast<GraphWidget::Trace>(t)), 0);
        }
    }

    void swrColourReachesTheTrace() {
        WindowFixture f;
        f.load();
        const std::uint32_t heading = ForeColour(f.w->ui.lblMkrSWR);
        const std::uint32_t ohms = ForeColour(f.w->ui.lbl0ohm);
        f.w->chooseColour = [](QWidget*, std::uint32_t) {
            return std::optional<std::uint32_t>(0x123456u);
        };
        f.w->colourButton_Click(chart1::ColourButton::SWR);
        QCOMPARE(f.settings.colorS6, std::to_string(0x123456));
        QCOMPARE(ForeColour(f.w->ui.lblSWR), 0x123456u);
        QCOMPARE(BackColour(f.w->ui.cmdSWRColour), 0x123456u);
        QCOMPARE(ForeColour(f.w->ui.lblMkrSWR), heading);  // the heading keeps its colour
        QCOMPARE(ForeColour(f.w->ui.lbl0ohm), ohms);
        QVERIFY(f.tick());
        QCOMPARE(f.w->ui.picGraph1->traceColour(GraphWidget::Swr), 0x123456u);
    }

    void zColourRecoloursTheOhmScale() {
        WindowFixture f;
        f.load();
        f.w->chooseColour = [](QWidget*, std::uint32_t) { return std::optional<std::uint32_t>(0x00FF00u); };
        f.w->colourButton_Click(chart1::ColourButton::Z);
        const Chart1Widgets& ui = f.w->ui;
        for (QWidget* w : {static_cast<QWidget*>(ui.lblZ), static_cast<QWidget*>(ui.lblMkrZ),
                           static_cast<QWidget*>(ui.lbl0ohm), static_cast<QWidget*>(ui.lbl50ohm),
                           static_cast<QWidget*>(ui.lbl75ohm), static_cast<QWidget*>(ui.lbl150ohm),
                           static_cast<QWidget*>(ui.lbl225ohm), static_cast<QWidget*>(ui.lbl300ohm)}) {
            QVERIFY2(ForeColour(w) == 0x00FF00u, qPrintable(w->objectName()));
        }
        QCOMPARE(f.settings.colorS5, 65280.0f);
    }

    void markerColours() {
        WindowFixture f;
        f.load();
        f.w->chooseColour = [](QWidget*, std::uint32_t) { return std::optional<std::uint32_t>(0x123456u); };
        f.w->colourButton_Click(chart1::ColourButton::Mkr2);
        QCOMPARE(f.w->ui.linM2->borderColour(), 0x123456u);
        QCOMPARE(ForeColour(f.w->ui.lblM2), 0x123456u);
        QCOMPARE(BackColour(f.w->ui.cmdMkr2Colour), 0x123456u);
        f.w->colourButton_Click(chart1::ColourButton::Mkr3);
        QCOMPARE(f.w->ui.linM3->borderColour(), 0x123456u);
    }

    void cancelChangesNothing() {
        WindowFixture f;
        f.settings.colorS6 = "255";
        f.load();
        f.w->chooseColour = [](QWidget*, std::uint32_t) { return std::optional<std::uint32_t>(); };
        f.w->colourButton_Click(chart1::ColourButton::SWR);
        f.w->colourButton_Click(chart1::ColourButton::Mkr1);
        QCOMPARE(f.settings.colorS6, std::string("255"));
        QCOMPARE(ForeColour(f.w->ui.lblSWR), 255u);
        QCOMPARE(BackColour(f.w->ui.cmdSWRColour), 255u);
        QCOMPARE(f.w->ui.linM1->borderColour(), 255u);
    }
};

QTEST_MAIN(DisplayHandlersTest)
#include "tst_display_handlers.moc"
