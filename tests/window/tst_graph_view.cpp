// The graph as the window shows it: the picture at the design size kept
// pixel for pixel, the window growing, the mapping of clicks, the View menu,
// the marker keys and the marker searches.
#include <QAccessible>
#include <QtTest>

#include "common/display_format.h"
#include "window/memory_control.h"
#include "cycle/marker_readouts.h"
#include "cycle/marker_search.h"
#include "window/graph_view.h"
#include "dut_models.h"
#include "measure/graph_widget.h"
#include "measure/line_widget.h"
#include "support/test_support.h"

using TestSupport::WindowFixture;

namespace {

// The simulator's antenna (resonant at 14.2 MHz) swept from 1 to 30 MHz, as
// the instrument would have filled the buffers: point 0 stays 0.
void FillAntennaSweep(SweepBuffers& buffers, std::int32_t champ) {
    const Sim::DutSettings antenna;
    const double step = (30e6 - 1e6) / champ;
    for (std::int32_t i = 1; i <= champ; ++i) {
        const Sim::Counts c = Sim::CountsOf(Sim::Reflection(antenna, 1e6 + i * step));
        buffers.MagnitudeSamples[static_cast<std::size_t>(i)] = static_cast<float>(c.magnitude);
        buffers.PhaseSamples[static_cast<std::size_t>(i)] = static_cast<float>(c.phase);
    }
}

// Shows the window with its graph at graph pixels.
void ShowWithGraph(chart1& w, QSize graph) {
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.resize(w.size() + graph - w.ui.picGraph1->size());
    QTRY_COMPARE(w.ui.picGraph1->size(), graph);
}

double Readout(const QLineEdit* box) {
    return ParseReadout(box->text().toStdString());
}

QString GoldenPath() {
    return QStringLiteral(ZEZIZAV_SOURCE_DIR "/tests/window/data/default_graph.png");
}

}  // namespace

class GraphViewTest : public QObject {
    Q_OBJECT

private slots:
    // The window at its design size with every display choice at its
    // default shows the graph, its captions and every trace pixel as the
    // picture taken before the graph could grow.
    void defaultDisplayUnchanged() {
        WindowFixture f;
        f.settings.colorS1 = 255.0f;
        f.settings.colorS2 = 33023.0f;
        f.settings.colorS3 = 65280.0f;
        f.settings.colorS4 = 16711680.0f;
        f.settings.colorS5 = 8388736.0f;
        f.settings.colorS6 = "32896";
        f.load();
        FillAntennaSweep(f.buffers, f.settings.Champ);
        chart1& w = *f.w;
        w.cmdAllTraces_Click();
        w.ui.chkMkr2->setChecked(true);
        w.ui.chk50Ref->setChecked(true);
        w.picGraph1_MouseUp(1, 0, 3300.0f, 0.0f);
        w.picGraph1_MouseUp(2, 0, 5200.0f, 0.0f);
        w.findChild<QAction*>(QStringLiteral("mnuFrequencyGrid"))->trigger();
        QVERIFY(!w.ui.picGraph1->frequencyGrid());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(f.tick());
        QVERIFY(f.tick());  // the second pass starts from the pens the first left
        // Everything above the panels: toolbar, captions, graph, lines, tags.
        const QRect above(0, 0, 792, 292);
        const QImage shot =
            w.centralWidget()->grab(above).toImage().convertToFormat(QImage::Format_RGB32);
        if (const QByteArray out = qgetenv("ZEZIZAV_GOLDEN_OUT"); !out.isEmpty()) {
            QVERIFY(shot.save(QString::fromLocal8Bit(out)));
        }
        const QImage golden = QImage(GoldenPath()).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(golden.size(), shot.size());
        // The frequency axis under the graph is the one addition.
        const QRect graph = w.ui.picGraph1->geometry();
        const QRect axis(graph.left(), graph.bottom() + 1, graph.width(), 292 - graph.bottom());
        int differ = 0;
        QPoint first(-1, -1);
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x) {
                if (!axis.contains(x, y) && shot.pixel(x, y) != golden.pixel(x, y)) {
                    if (differ++ == 0) {
                        first = QPoint(x, y);
                    }
                }
            }
        }
        QVERIFY2(differ == 0, qPrintable(QStringLiteral("%1 pixels differ, the first at %2, %3")
                                             .arg(differ)
                                             .arg(first.x())
                                             .arg(first.y())));
    }

    // A release at the pixel where a point is drawn lands on that point, and
    // the line is drawn at the pixel released, at any size.
    void clickLandsOnItsPoint_data() {
        QTest::addColumn<QSize>("graph");
        QTest::newRow("design") << QSize(589, 253);
        QTest::newRow("twice") << QSize(1178, 506);
        QTest::newRow("odd size") << QSize(1501, 733);
    }
    void clickLandsOnItsPoint() {
        QFETCH(QSize, graph);
        WindowFixture f;
        f.load();
        chart1& w = *f.w;
        ShowWithGraph(w, graph);
        GraphWidget* g = w.ui.picGraph1;
        const auto release = [&](QPointF at) {
            QMouseEvent up(QEvent::MouseButtonRelease, at, g->mapToGlobal(at), Qt::LeftButton,
                           Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(g, &up);
            return MarkerIndex(w.ui.linM1->X1(), g->ScaleWidth(), 6000, 1);
        };
        for (const std::int32_t i : {1, 750, 3000, 4417, 5999, 6000}) {
            const double x = g->mapping().toPixelX(MarkerLineX(i, g->ScaleWidth(), 6000));
            QCOMPARE(release(QPointF(x, 20.0)), i);
            QCOMPARE(w.ui.linM1->x(), static_cast<int>(std::lround(x)));
        }
        for (const int pixel : {0, 1, graph.width() / 3, graph.width() - 1}) {
            const std::int32_t i = release(QPointF(pixel, 20.0));
            QCOMPARE(w.ui.linM1->x(), pixel);
            QCOMPARE(g->mapping().pixelX(MarkerLineX(i, g->ScaleWidth(), 6000)), pixel);
        }
    }

    // The graph takes every extra pixel; the panels keep their arrangement
    // below it, the captions and the axis follow its edges.
    void grownWindow() {
        WindowFixture f;
        f.load();
        chart1& w = *f.w;
        QWidget* form = w.centralWidget();
        const QSize design = form->minimumSize();
        const QRect controls = w.ui.fraControls->geometry();
        const QRect values = w.ui.fraDataReadout->geometry();
        ShowWithGraph(w, QSize(1589, 653));
        const QRect g = w.ui.picGraph1->geometry();
        QCOMPARE(g.topLeft(), QPoint(72, 32));
        QCOMPARE(form->size(), design + QSize(1000, 400));
        QCOMPARE(w.ui.fraControls->geometry(), controls.translated(0, 400));
        QCOMPARE(w.ui.fraDataReadout->geometry(), values.translated(0, 400));
        QCOMPARE(w.ui.lbl0ohm->x(), g.right() + 4);  // as designed
        QCOMPARE(w.ui.lblFreqAxis[0]->x(), g.left());
        QCOMPARE(w.ui.lblFreqAxis[10]->geometry().right(), g.right());
        QVERIFY(w.ui.lblFreqAxis[5]->y() > g.bottom());
        QVERIFY(w.ui.lblFreqAxis[5]->geometry().bottom() < w.ui.fraControls->y());
        // Captions level with their lines; the tags as far above the bottom edge.
        const int line = g.top() + w.ui.lin225ohm->y();
        QVERIFY(std::abs(w.ui.lbl75ohm->y() + 7 - line) <= 1);
        QCOMPARE(w.ui.lin50ohm->y(), w.ui.picGraph1->mapping().pixelY(3315.5));
        QCOMPARE(g.height() - w.ui.lblM1->y(), 253 - 236);
        QVERIFY(f.tick());
        QCOMPARE(w.ui.lblFreqAxis[0]->text(), QStringLiteral("1"));
        QCOMPARE(w.ui.lblFreqAxis[10]->text(), QStringLiteral("180"));
    }

    // Each axis label is named by its own frequency, for a screen reader and
    // through the accessibility tree, and renamed when the limits change;
    // the names of the objects stay.
    void axisLabelsNamedByTheirFrequency() {
        WindowFixture f;
        f.load();
        chart1& w = *f.w;
        const struct {
            const char *start, *stop;
            std::array<const char*, 3> names;  // of labels 0, 5 and 10
        } limits[] = {
            {"1", "180", {"1 MHz", "90 MHz", "180 MHz"}},
            {"14.15", "14.2", {"14.15 MHz", "14.175 MHz", "14.2 MHz"}},
            {"7.1", "7.1", {"7.1 MHz", "7.1 MHz", "7.1 MHz"}},
        };
        for (const auto& l : limits) {
            w.ui.txtStart->setText(QLatin1String(l.start));
            w.ui.txtStop->setText(QLatin1String(l.stop));
            QVERIFY(f.tick());
            for (std::size_t k = 0; k < w.ui.lblFreqAxis.size(); ++k) {
                QLabel* label = w.ui.lblFreqAxis[k];
                QCOMPARE(label->objectName(), QStringLiteral("lblFreqAxis%1").arg(k));
                QCOMPARE(label->accessibleName(), label->text() + QStringLiteral(" MHz"));
                QAccessibleInterface* a = QAccessible::queryAccessibleInterface(label);
                QVERIFY(a);
                QCOMPARE(a->text(QAccessible::Name), label->accessibleName());
            }
            for (std::size_t i = 0; i < 3; ++i) {
                QCOMPARE(w.ui.lblFreqAxis[i * 5]->accessibleName(), QLatin1String(l.names[i]));
            }
        }
    }

    // Averaging gives the INFO frame a row of its own, room taken from the
    // band list above it, and only while it is on: at 1 (off) the frame and
    // the list are as designed, in a grown window too.
    void averageRowOnlyWhileAveraging() {
        WindowFixture f;
        f.load();
        chart1& w = *f.w;
        ShowWithGraph(w, QSize(700, 300));
        const QRect info = w.ui.fraInfo->geometry();
        const QRect bands = w.ui.lstBands->geometry();
        QVERIFY(w.ui.lblAverage->isHidden());
        w.findChild<QAction*>(QStringLiteral("mnuAverage8"))->trigger();
        QVERIFY(!w.ui.lblAverage->isHidden());
        QCOMPARE(w.ui.lblAverage->text(), QStringLiteral("Avg 0/8"));
        QCOMPARE(w.ui.fraInfo->geometry().bottom(), info.bottom());
        QVERIFY(w.ui.fraInfo->y() < info.y());
        QVERIFY(w.ui.lstBands->geometry().bottom() < w.ui.fraInfo->y());
        QVERIFY(w.ui.fraInfo->rect().contains(w.ui.lblAverage->geometry()));
        QVERIFY(w.ui.lblAverage->y() > w.ui.txtSpeed->geometry().bottom());
        // The window grows and shrinks while the row shows; it stays in its room.
        ShowWithGraph(w, QSize(700, 400));
        QCOMPARE(w.ui.fraInfo->geometry().bottom(), info.bottom() + 100);
        ShowWithGraph(w, QSize(700, 300));
        w.findChild<QAction*>(QStringLiteral("mnuAverage1"))->trigger();
        QVERIFY(w.ui.lblAverage->isHidden());
        QCOMPARE(w.ui.fraInfo->geometry(), info);
        QCOMPARE(w.ui.lstBands->geometry(), bands);
    }

    void f11TogglesFullScreen() {
        WindowFixture f;
        f.load();
        chart1& w = *f.w;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_F11);
        QTRY_VERIFY(w.isFullScreen());
        QTest::keyClick(&w, Qt::Key_F11);
        QTRY_VERIFY(!w.isFullScreen());
    }

    // The one painting function gives the window's picture, overlays and all;
    // a large one is painted on two cores, and its pixels are those of the
    // picture painted whole on one.
    void paintedPictureIsTheWindowsPicture_data() {
        QTest::addColumn<QSize>("graph");
        QTest::addColumn<int>("points");
        QTest::addColumn<bool>("shared");
        QTest::newRow("6000 points, 900 x 400") << QSize(900, 400) << 6000 << false;
        QTest::newRow("32767 points, 2400 x 1300") << QSize(2400, 1300) << 32767 << true;
    }
    void paintedPictureIsTheWindowsPicture() {
        QFETCH(QSize, graph);
        QFETCH(int, points);
        QFETCH(bool, shared);
        WindowFixture f;
        f.settings.Champ = points;
        f.load();
        FillAntennaSweep(f.buffers, f.settings.Champ);
        // A few counts of noise, as a real sweep has: it leaves several
        // points to paint in each pixel column.
        for (int i = 1; i <= points; ++i) {
            f.buffers.MagnitudeSamples[static_cast<std::size_t>(i)] +=
                static_cast<float>(i * 7 % 5);
            f.buffers.PhaseSamples[static_cast<std::size_t>(i)] += static_cast<float>(i * 3 % 4);
        }
        chart1& w = *f.w;
        ShowWithGraph(w, graph);
        w.ui.chkMkr2->setChecked(true);
        w.cmdAllTraces_Click();
        QVERIFY(f.tick());
        emit w.sweepAcquired();                    // the sweep filled in above
        w.memoryControl().mnuMemoryStore_Click();  // a memory under the traces
        GraphWidget* g = w.ui.picGraph1;
        QVERIFY(g->frequencyGrid());
        const qreal ratio = g->devicePixelRatioF();
        const auto picture = [&](GraphWidget::Sharing sharing, bool* wasShared) {
            QImage image(g->size() * ratio, QImage::Format_ARGB32_Premultiplied);
            image.setDevicePixelRatio(ratio);
            image.fill(Qt::black);
            QPainter painter(&image);
            *wasShared = g->paintGraph(painter, g->size(), ratio, true, sharing);
            return image;
        };
        bool wasShared = false;
        const QImage whole = picture(GraphWidget::Sharing::Never, &wasShared);
        QVERIFY(!wasShared);
        const QImage halves = picture(GraphWidget::Sharing::Allowed, &wasShared);
        QCOMPARE(wasShared, shared);
        QCOMPARE(halves, whole);
        // The window's own painting, through its paint event.
        QImage shown(whole.size(), whole.format());
        shown.setDevicePixelRatio(ratio);
        QPainter painter(&shown);
        g->render(&painter);
        painter.end();
        QCOMPARE(shown, whole);
    }

    void viewMenuChoices_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("caption");
        QTest::newRow("0 to 200 ohm") << "mnuOhm200"
                                      << "lbl75ohm" << QString::fromUtf8("135\u00b0 / 150 ohm");
        QTest::newRow("0 to 2000 ohm") << "mnuOhm2000"
                                       << "lbl0ohm" << QString::fromUtf8("180 \u00b0 / 2000 ohm");
        QTest::newRow("SWR 1 to 2") << "mnuSwr1to2"
                                    << "lbl0db"
                                    << " 0dB/2";
        QTest::newRow("0 to 10 dB") << "mnuLoss10"
                                    << "lbl10dB"
                                    << "3.3dB";
        QTest::newRow("0 to 3 dB") << "mnuLoss3"
                                   << "lbl30dB"
                                   << "3dB/1.0";
    }
    void viewMenuChoices() {
        QFETCH(QString, item);
        QFETCH(QString, label);
        QFETCH(QString, caption);
        WindowFixture f;
        f.load();
        chart1& w = *f.w;
        const auto* l = w.findChild<QLabel*>(label);
        QVERIFY(f.tick());
        const QString designed = l->text();
        w.findChild<QAction*>(item)->trigger();
        QVERIFY(f.tick());
        QCOMPARE(l->text(), caption);
        QVERIFY(w.findChild<QAction*>(item)->isChecked());
        w.findChild<QAction*>(QStringLiteral("mnuOhm500"))->trigger();
        w.findChild<QAction*>(QStringLiteral("mnuSwr0to10"))->trigger();
        w.findChild<QAction*>(QStringLiteral("mnuLoss30"))->trigger();
        QVERIFY(f.tick());
        QCOMPARE(l->text(), designed);
        QCOMPARE(w.ui.lin50ohm->Y1(), 3315.5f);
    }

    // Auto scale on the antenna: the whole sweep needs the widest SWR
    // scale; zoomed to the dip, 1 to 2 holds it.
    void autoScaleTakesTheSmallestThatHolds() {
        WindowFixture f;
        f.load();
        FillAntennaSweep(f.buffers, f.settings.Champ);
        chart1& w = *f.w;
        auto* autoScale = w.findChild<QAction*>(QStringLiteral("mnuAutoScale"));
        autoScale->trigger();
        QVERIFY(f.tick());
        QCOMPARE(w.graphView().scales().Swr, SwrScale::ZeroTo10);
        for (std::size_t i = 1; i < f.buffers.MagnitudeSamples.size(); ++i) {
            f.buffers.MagnitudeSamples[i] = 600.0f + static_cast<float>(i % 3);  // SWR about 1.4
        }
        QVERIFY(f.tick());
        QCOMPARE(w.graphView().scales().Swr, SwrScale::ZeroTo10);  // still holds: kept
        autoScale->trigger();  // off, and on again: the smallest that holds
        autoScale->trigger();
        QVERIFY(f.tick());
        QCOMPARE(w.graphView().scales().Swr, SwrScale::OneTo2);
        QVERIFY(w.findChild<QAction*>(QStringLiteral("mnuSwr1to2"))->isChecked());
        QCOMPARE(w.ui.lbl0db->text(), QStringLiteral(" 0dB/2"));
    }

    void markerKeys_data() {
        QTest::addColumn<QList<int>>("keys");  // a key, or -key with Shift
        QTest::addColumn<int>("marker1");
        QTest::addColumn<int>("marker2");
        // The layout puts marker 1 on point 1467 and marker 2 on 4401.
        QTest::newRow("Right") << QList<int>{Qt::Key_Right} << 1468 << 4401;
        QTest::newRow("Shift+Left") << QList<int>{-Qt::Key_Left} << 1407 << 4401;
        QTest::newRow("End") << QList<int>{Qt::Key_End} << 6000 << 4401;
        QTest::newRow("2, Home") << QList<int>{Qt::Key_2, Qt::Key_Home} << 1467 << 1;
        QTest::newRow("2, 1, Left")
            << QList<int>{Qt::Key_2, Qt::Key_1, Qt::Key_Left} << 1466 << 4401;
    }
    void markerKeys() {
        QFETCH(QList<int>, keys);
        QFETCH(int, marker1);
        QFETCH(int, marker2);
        WindowFixture f;
        f.load();
        chart1& w = *f.w;
        w.ui.chkMkr1->setChecked(false);
        for (const int k : keys) {
            QTest::keyClick(w.ui.picGraph1, static_cast<Qt::Key>(std::abs(k)),
                            k < 0 ? Qt::ShiftModifier : Qt::NoModifier);
        }
        const auto index = [&](const LineWidget* line) {
            return MarkerIndex(line->X1(), 8835.0, 6000, 1);
        };
        QCOMPARE(index(w.ui.linM1), marker1);
        QCOMPARE(index(w.ui.linM2), marker2);
        QCOMPARE(w.ui.chkMkr1->isChecked(), marker1 != 1467);  // moving switches it on
        QCOMPARE(w.ui.chkMkr2->isChecked(), marker2 != 4401);
    }

    // "Markers to SWR 2:1 points" on the simulator's antenna: both markers
    // on the first points at SWR 2.0 or more, BANDWIDTH reads their spacing;
    // with one side never reaching 2.0, its marker stays and the status bar
    // says so.
    void swrTwoToOnePoints() {
        WindowFixture f;
        f.load();
        FillAntennaSweep(f.buffers, f.settings.Champ);
        chart1& w = *f.w;
        w.ui.txtStop->setText(QStringLiteral("30"));
        w.ui.chkBW->setChecked(true);
        QVERIFY(f.tick());
        QVERIFY(f.tick());  // the step follows the limits a tick late
        w.findChild<QAction*>(QStringLiteral("mnuMkrSwr2to1"))->trigger();
        QVERIFY(f.tick());
        const Chart1Widgets& ui = w.ui;
        QVERIFY(Readout(ui.txtMkr1SWR) >= 2.0);
        QVERIFY(Readout(ui.txtMkr2SWR) >= 2.0);
        const std::int32_t m1 = w.fields.Mkr1Index;
        const std::int32_t m2 = w.fields.Mkr2Index;
        QVERIFY(m1 < 2731 && m2 > 2731 && m2 - m1 < 400);  // around the resonance
        for (const std::int32_t inside : {m1 + 1, m2 - 1}) {
            MarkerReadoutInputs in = w.markerReadoutInputs(inside);
            in.txtLossOffset = "0";
            QVERIFY(ParseReadout(ComputeMarkerReadout(in).Swr) < 2.0);
        }
        const double spacing = ParseReadout(ui.lblMkr2Freq->text().toStdString()) -
                               ParseReadout(ui.lblMkr1Freq->text().toStdString());
        QVERIFY(std::fabs(Readout(ui.txtBandwidth) - spacing) <= 1.0);  // each rounded to the Hz

        for (std::size_t i = static_cast<std::size_t>(m2) - 20;
             i < f.buffers.MagnitudeSamples.size(); ++i) {
            f.buffers.MagnitudeSamples[i] = 600.0f;  // SWR 1.43 to the end
        }
        w.picGraph1_MouseUp(2, 0, 8000.0f, 0.0f);
        QVERIFY(f.tick());
        w.findChild<QAction*>(QStringLiteral("mnuMkrSwr2to1"))->trigger();
        QCOMPARE(ui.linM2->X1(), 8000.0f);
        QVERIFY2(w.statusBar()->currentMessage().contains(
                     QStringLiteral("above the minimum SWR: marker 2 stays where it is")),
                 qPrintable(w.statusBar()->currentMessage()));
    }
};

QTEST_MAIN(GraphViewTest)
#include "tst_graph_view.moc"
