// The graph as the window shows it: the picture at the design size, kept
// pixel for pixel.
#include <QtTest>

#include "dut_models.h"
#include "measure/graph_widget.h"
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

QString GoldenPath() {
    return QStringLiteral(ZEZIZAV_SOURCE_DIR "/tests/display/data/default_graph.png");
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
        int differ = 0;
        QPoint first(-1, -1);
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x) {
                if (shot.pixel(x, y) != golden.pixel(x, y)) {
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
};

QTEST_MAIN(GraphViewTest)
#include "tst_graph_view.moc"
