// The graph moved to a screen of another pixel ratio: the traces and the
// memories are both thinned again for it, whichever comes first after the
// move, a tick, new memories or a paint. Two offscreen screens, of ratio 1
// and 2, side by side.
#include <QScreen>
#include <QWindow>
#include <QtTest>

#include "window/memory_control.h"
#include "files/vec_file.h"
#include "measure/graph_widget.h"
#include "support/test_support.h"

using TestSupport::WindowFixture;

namespace {

constexpr int kScreenWidth = 2400;

// Many points to a pixel column, and noisy, so that a thinning at ratio 1
// shows on a screen of ratio 2.
void FillNoisy(SweepBuffers& b, int seed) {
    for (std::size_t i = 1; i < b.MagnitudeSamples.size(); ++i) {
        b.MagnitudeSamples[i] = static_cast<float>(300 + (i * (37 + seed)) % 500);
        b.PhaseSamples[i] = static_cast<float>(100 + (i * (11 + seed)) % 800);
    }
}

QScreen* Screen(int n) {
    return QGuiApplication::screens().value(n);
}

void MoveTo(chart1& w, int screen) {
    w.windowHandle()->setScreen(Screen(screen));
    w.move(screen * kScreenWidth + 50, 50);
}

}  // namespace

class GraphRatioTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString memory_[2];

    // A window with every trace on, a sweep and a memory, shown on screen.
    static void Prepare(WindowFixture& f, const QString& memory, int screen) {
        f.load();
        f.w->cmdAllTraces_Click();
        FillNoisy(f.buffers, 0);
        QVERIFY(f.tick());
        f.w->ui.Timer1->stop();  // the tick started it again
        QVERIFY(f.w->memoryControl().load(memory).isEmpty());
        f.w->show();
        MoveTo(*f.w, screen);
        QVERIFY(QTest::qWaitForWindowExposed(f.w.get()));
        QTRY_COMPARE(f.w->ui.picGraph1->devicePixelRatioF(), qreal(screen + 1));
    }

private slots:
    void initTestCase() {
        QCOMPARE(QGuiApplication::screens().size(), 2);
        QCOMPARE(Screen(1)->devicePixelRatio(), 2.0);
        QVERIFY(dir_.isValid());
        for (int k = 0; k < 2; ++k) {
            SweepBuffers b;
            b.resize(6000);
            FillNoisy(b, 5 + k);
            memory_[k] = dir_.filePath(QStringLiteral("memory%1.vec").arg(k));
            QString error;
            QVERIFY2(WriteFileSafely(memory_[k], VecFileBytes(b, 1e6f, 30e6f), &error),
                     qPrintable(error));
        }
    }

    // The graph moved from ratio 1 to 2 shows what a graph that was there
    // from the start shows, pixel for pixel.
    void movedGraphIsThinnedAgain_data() {
        QTest::addColumn<QString>("first");  // what follows the move
        QTest::newRow("a tick") << "tick";
        QTest::newRow("another memory") << "memory";
        QTest::newRow("shown again first") << "show";
    }
    void movedGraphIsThinnedAgain() {
        QFETCH(QString, first);
        WindowFixture moved, there;
        Prepare(moved, memory_[0], 0);
        Prepare(there, memory_[0], 1);
        // Moved while hidden, so that nothing paints it before the tick or
        // the memories that come first; the graph that was there all along
        // is given the same.
        const auto next = [&](WindowFixture& f) {
            if (first == QLatin1String("tick")) {
                QVERIFY(f.tick());
                f.w->ui.Timer1->stop();
            } else if (first == QLatin1String("memory")) {
                QVERIFY(f.w->memoryControl().load(memory_[1]).isEmpty());
            }
        };
        next(there);
        moved.w->hide();
        MoveTo(*moved.w, 1);
        QCOMPARE(moved.w->ui.picGraph1->devicePixelRatioF(), 2.0);
        next(moved);
        moved.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(moved.w.get()));
        GraphWidget* g = moved.w->ui.picGraph1;
        QCOMPARE(g->size(), there.w->ui.picGraph1->size());
        const QImage picture = g->grab().toImage();
        QCOMPARE(picture.size(), g->size() * 2);
        QVERIFY(picture == there.w->ui.picGraph1->grab().toImage());
        QCOMPARE(g->memories().traces().size(), there.w->ui.picGraph1->memories().traces().size());
        for (std::size_t t = 0; t < g->memories().traces().size(); ++t) {
            QCOMPARE(g->memories().traces()[t].pixels.points.size(),
                     there.w->ui.picGraph1->memories().traces()[t].pixels.points.size());
        }
        for (int t = 0; t < GraphWidget::TraceCount; ++t) {
            const auto trace = static_cast<GraphWidget::Trace>(t);
            QCOMPARE(g->tracePaintedPoints(trace),
                     there.w->ui.picGraph1->tracePaintedPoints(trace));
        }
    }
};

// Two screens of their own, made before the application is.
int main(int argc, char** argv) {
    QTemporaryDir config;
    const QString path = config.filePath(QStringLiteral("screens.json"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return 1;
    }
    file.write(QStringLiteral("{\"screens\": ["
                              "{\"name\": \"one\", \"x\": 0, \"y\": 0, \"width\": %1, "
                              "\"height\": 1600, \"logicalDpi\": 96, \"dpr\": 1},"
                              "{\"name\": \"two\", \"x\": %1, \"y\": 0, \"width\": %1, "
                              "\"height\": 1600, \"logicalDpi\": 96, \"dpr\": 2}]}")
                   .arg(kScreenWidth)
                   .toUtf8());
    file.close();
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + path.toLocal8Bit());
    QApplication app(argc, argv);
    GraphRatioTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_graph_ratio.moc"
