// Zoom, Full, Save, Recall and the band presets.
#include <QAccessible>
#include <QtTest>

#include "common/decimal_text.h"
#include "common/twips.h"
#include "measure/graph_widget.h"
#include "measure/line_widget.h"
#include "support/test_support.h"

using TestSupport::WindowFixture;

class RangeHandlersTest : public QObject {
    Q_OBJECT

    // Keys go to the focused control of the active window only.
    static bool shownActive(QWidget& w) {
        w.show();
        w.activateWindow();
        return QTest::qWaitForWindowActive(&w);
    }

private slots:
    // Marker captions are in Hz with commas; the boxes are read in MHz.
    void zoomHandsOverMegahertz_data() {
        QTest::addColumn<QString>("m1");
        QTest::addColumn<QString>("m2");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("stop");
        QTest::newRow("above 1 MHz") << "14,200,000" << "14,350,000" << "14.2" << "14.35";
        QTest::newRow("below 1 MHz") << "500,000" << "999,999" << "0.5" << "0.999999";
        QTest::newRow("kHz kept") << "7,050,000" << "7,300,500" << "7.05" << "7.3005";
        QTest::newRow("guard text") << "0.0001" << "1,000,000" << "0" << "1";
        QTest::newRow("markers swapped") << "21,400,000" << "21,000,000" << "21.4" << "21";
    }
    void zoomHandsOverMegahertz() {
        QFETCH(QString, m1);
        QFETCH(QString, m2);
        QFETCH(QString, start);
        QFETCH(QString, stop);
        WindowFixture f;
        f.load();
        Chart1Widgets& ui = f.w->ui;
        ui.lblMkr1Freq->setText(m1);
        ui.lblMkr2Freq->setText(m2);
        ui.chkHold->setChecked(true);
        f.w->cmdZoomSweep_Click();
        QCOMPARE(ui.txtStart->text(), start);
        QCOMPARE(ui.txtStop->text(), stop);
        const float W = ui.picGraph1->ScaleWidth();
        QCOMPARE(ui.linM1->X1(), W * 0.25f);
        QCOMPARE(ui.linM1->X2(), W * 0.25f);
        QCOMPARE(ui.linM2->X1(), W * 0.75f);
        QCOMPARE(ui.lblM1->x(), Twips::ToPixels(W * 0.25f));                      // right of line
        QCOMPARE(ui.lblM2->x(), Twips::ToPixels(W * 0.75f) - ui.lblM2->width());  // left of line
        QVERIFY(!ui.chkHold->isChecked());
        // The next tick takes the limits exactly.
        QVERIFY(f.tick());
        QCOMPARE(f.settings.FMin, static_cast<float>(start.toDouble() * 1e6));
    }

    void fullFollowsHold() {
        WindowFixture f;
        f.settings.FMin = 1000000.0f;
        f.settings.FMax = 30000000.0f;
        f.load();
        Chart1Widgets& ui = f.w->ui;
        ui.chkHold->setChecked(true);
        f.w->cmdFullSweep_Click();
        QCOMPARE(ui.txtStart->text(), QStringLiteral("1"));
        QCOMPARE(ui.txtStop->text(), QStringLiteral("180"));
        ui.chkHold->setChecked(false);
        f.settings.FMin = 5.0f;
        f.w->cmdFullSweep_Click();
        QCOMPARE(ui.txtStart->text(), QStringLiteral("1"));
        QCOMPARE(ui.txtStop->text(), QStringLiteral("30"));
        QCOMPARE(f.settings.FMin, 1000000.0f);
        QCOMPARE(f.settings.FMax, 30000000.0f);
    }

    void fullWithTheDefaultLimits() {
        WindowFixture f;  // no settings file: 10000 Hz both ways
        f.load();
        f.w->cmdFullSweep_Click();
        QCOMPARE(f.w->ui.txtStart->text(), QStringLiteral("0.01"));
        QCOMPARE(f.w->ui.txtStop->text(), QStringLiteral("0.01"));
    }

    void saveAndRecall() {
        WindowFixture f;
        f.load();
        Chart1Widgets& ui = f.w->ui;
        // Before any Save there is nothing to recall: the boxes keep their
        // range rather than becoming 0 - 0, which the next sweep refuses.
        QVERIFY(!ui.cmdRecallSweep->isEnabled());
        f.w->cmdRecallSweep_Click();
        QCOMPARE(ui.txtStart->text(), QStringLiteral("1"));
        QCOMPARE(ui.txtStop->text(), QStringLiteral("180"));
        ui.chkHold->setChecked(true);  // hidden and shown again by Hold: still off
        ui.chkHold->setChecked(false);
        QVERIFY(!ui.cmdRecallSweep->isEnabled());
        ui.txtStart->setText(QStringLiteral("7.000"));
        ui.txtStop->setText(QStringLiteral(" 3.5 "));
        f.w->cmdSaveSweep_Click();
        QVERIFY(ui.cmdRecallSweep->isEnabled());
        ui.txtStart->setText(QStringLiteral("99"));
        ui.txtStop->setText(QStringLiteral("100"));
        f.w->cmdRecallSweep_Click();
        QCOMPARE(ui.txtStart->text(), QStringLiteral("7"));
        QCOMPARE(ui.txtStop->text(), QStringLiteral("3.5"));
        // A box that is not a number stores its leading number.
        ui.txtStart->setText(QStringLiteral("12abc"));
        ui.txtStop->setText(QStringLiteral("MHz"));
        f.w->cmdSaveSweep_Click();
        f.w->cmdRecallSweep_Click();
        QCOMPARE(ui.txtStart->text(), QStringLiteral("12"));
        QCOMPARE(ui.txtStop->text(), QStringLiteral("0"));
    }

    void everyBandPreset_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("stop");
        const char* const rows[][4] = {
            {"optA1", "1.8 - 2.0", "1.5", "2.5"},       {"optA2", "3.5 - 3.8", "2.8", "4.5"},
            {"optA3", "5.0 - 5.5", "4", "6.5"},         {"optA4", "7.0 - 7.3", "5.5", "8.5"},
            {"optA5", "10.0 - 10.2", "8", "12.5"},      {"optA6", "14.0 - 14.4", "11.5", "17.5"},
            {"optA7", "18.0 - 18.2", "14.5", "22"},     {"optA8", "21.0 - 21.4", "16.5", "25.5"},
            {"optA9", "24.8 - 25.0", "20", "30"},       {"optA10", "28.0 - 30.0", "22.5", "36"},
            {"optB1", "6m  50 - 50.2 MHz", "40", "60"}, {"optB2", "4m  70 - 70.2 MHz", "55", "71"},
            {"optB3", "2m  144 - 146 MHz", "115", "170"},
        };
        for (const auto& r : rows) {
            QTest::newRow(r[0]) << r[0] << QString::fromLatin1(r[1]) << r[2] << r[3];
        }
    }
    void everyBandPreset() {
        QFETCH(QString, button);
        QFETCH(QString, caption);
        QFETCH(QString, start);
        QFETCH(QString, stop);
        WindowFixture f;
        f.load();
        auto* option = f.w->findChild<QRadioButton*>(button);
        QVERIFY(option);
        QCOMPARE(option->text(), caption);
        option->click();
        QCOMPARE(f.w->ui.txtStart->text(), start);
        QCOMPARE(f.w->ui.txtStop->text(), stop);
        option->click();  // twice: the same texts again
        QCOMPARE(f.w->ui.txtStart->text(), start);
        QVERIFY(f.tick());
        QCOMPARE(f.settings.FMin, static_cast<float>(start.toDouble() * 1e6));
    }

    void bandListSwitchesTheFrames() {
        WindowFixture f;
        f.load();
        Chart1Widgets& ui = f.w->ui;
        ui.chkBands->setChecked(true);  // before any choice: HF
        QVERIFY(!ui.fraHFAmateur->isHidden());
        QVERIFY(ui.fraVHFAmateur->isHidden());
        ui.lstBands->setCurrentRow(1);
        f.w->lstBands_Click();
        QVERIFY(ui.fraHFAmateur->isHidden());
        QVERIFY(!ui.fraVHFAmateur->isHidden());
        ui.chkBands->setChecked(false);
        ui.chkBands->setChecked(true);  // the choice persists
        QVERIFY(!ui.fraVHFAmateur->isHidden());
        ui.lstBands->setCurrentRow(0);
        f.w->lstBands_Click();
        QVERIFY(!ui.fraHFAmateur->isHidden());
        QVERIFY(ui.fraVHFAmateur->isHidden());
    }

    // The list follows its choice however it is made: the arrow keys, or
    // the selection of the accessibility interface.
    void bandListByKeysAndAccessibility() {
        WindowFixture f;
        f.load();
        QVERIFY(shownActive(*f.w));
        Chart1Widgets& ui = f.w->ui;
        ui.chkBands->setChecked(true);
        ui.lstBands->setFocus(Qt::TabFocusReason);
        QTest::keyClick(ui.lstBands, Qt::Key_Down);
        QVERIFY(!ui.fraVHFAmateur->isHidden() && ui.fraHFAmateur->isHidden());
        QTest::keyClick(ui.lstBands, Qt::Key_Up);
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(ui.lstBands);
        QVERIFY(list && list->tableInterface());
        QVERIFY(list->tableInterface()->selectRow(1));
        QVERIFY(!ui.fraVHFAmateur->isHidden());
        // Covered by the sweep limits, both are hidden; the choice stays.
        ui.chkBands->setChecked(false);
        QVERIFY(ui.fraHFAmateur->isHidden() && ui.fraVHFAmateur->isHidden());
        ui.chkBands->setChecked(true);
        QVERIFY(!ui.fraVHFAmateur->isHidden());
    }

    // Each way of choosing a preset writes its texts exactly once.
    void presetByEveryRouteWritesOnce_data() {
        QTest::addColumn<QString>("route");
        for (const char* route :
             {"click", "click again", "space", "arrow", "press action", "toggle action"}) {
            QTest::newRow(route) << route;
        }
    }
    void presetByEveryRouteWritesOnce() {
        QFETCH(QString, route);
        WindowFixture f;
        f.load();
        QVERIFY(shownActive(*f.w));
        Chart1Widgets& ui = f.w->ui;
        ui.chkBands->setChecked(true);
        QRadioButton* first = ui.optA[0];
        QRadioButton* preset = ui.optA[1];  // "3.5 - 3.8": 2.8 to 4.5
        if (route == QLatin1String("click again")) {
            preset->click();
        } else if (route == QLatin1String("arrow")) {
            first->click();
        }
        // Every write is seen: the box is set back at once, so writing the
        // same text again changes it again.
        ui.txtStart->setText(QStringLiteral("x"));
        int writes = 0;
        connect(ui.txtStart, &QLineEdit::textChanged, this, [&](const QString& text) {
            if (text == QLatin1String("2.8")) {
                ++writes;
                ui.txtStart->setText(QStringLiteral("x"));
            }
        });
        QAccessibleActionInterface* actions =
            QAccessible::queryAccessibleInterface(preset)->actionInterface();
        if (route.startsWith(QLatin1String("click"))) {
            QTest::mouseClick(preset, Qt::LeftButton);
        } else if (route == QLatin1String("space")) {
            preset->setFocus();
            QTest::keyClick(preset, Qt::Key_Space);
        } else if (route == QLatin1String("arrow")) {
            first->setFocus();
            QTest::keyClick(first, Qt::Key_Down);
        } else if (route == QLatin1String("press action")) {
            actions->doAction(QAccessibleActionInterface::pressAction());
        } else {
            actions->doAction(QAccessibleActionInterface::toggleAction());
        }
        QTRY_COMPARE(writes, 1);
        QTest::qWait(200);  // the press action clicks a little later
        QCOMPARE(writes, 1);
        QVERIFY(preset->isChecked());
        QCOMPARE(ui.txtStop->text(), QStringLiteral("4.5"));
    }

    void shortestDecimal_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 180.0 << "180";
        QTest::newRow("small") << 0.01 << "0.01";
        QTest::newRow("two places") << 14.35 << "14.35";
        QTest::newRow("negative") << -1.5 << "-1.5";
        QTest::newRow("zero") << -0.0 << "0";
        QTest::newRow("tiny stays plain") << 0.00001 << "0.00001";
    }
    void shortestDecimal() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(ShortestDecimal(value)), text);
    }
};

QTEST_MAIN(RangeHandlersTest)
#include "tst_range_handlers.moc"
