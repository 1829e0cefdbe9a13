// Trace memories in the window: drawn at their own frequencies whatever the
// axis shows now, four kept, cleared, and a file that cannot be read
// refused with nothing changed.
#include <QtTest>

#include "window/memory_control.h"
#include "files/vec_file.h"
#include "measure/graph_widget.h"
#include "support/test_support.h"

using TestSupport::WindowFixture;

namespace {

constexpr std::int32_t kChamp = 580;
constexpr std::int32_t kPeak = 263;  // 1 + 263 x 29 / 580 MHz = 14.15 MHz
constexpr double kPeakHz = 1e6 + kPeak * 29e6 / kChamp;
constexpr float kFlat = 500.0f, kPeakCount = 800.0f;  // 9.2 and 26.8 dB, both on the graph

struct Window : WindowFixture {
    Window() {
        settings.Champ = kChamp;
        load();
        // The loss trace alone: every memory trace drawn is its.
        for (QCheckBox* box : {w->ui.chkPH, w->ui.chkZ, w->ui.chkXS, w->ui.chkRS, w->ui.chkSWR}) {
            box->setChecked(false);
        }
        w->ui.chkRL->setChecked(true);
        buffers.MagnitudeSamples.assign(buffers.MagnitudeSamples.size(), kFlat);
        buffers.MagnitudeSamples[kPeak] = kPeakCount;  // the loss trace's lowest point
        emit w->sweepAcquired();                       // as if the instrument had sent it
        setLimits("1", "30");
    }
    void setLimits(const char* start, const char* stop) {
        w->ui.txtStart->setText(QLatin1String(start));
        w->ui.txtStop->setText(QLatin1String(stop));
        QVERIFY(tick());
    }
    QAction* item(const char* name) const { return w->findChild<QAction*>(QLatin1String(name)); }
    const MemoryLayer& layer() const { return w->ui.picGraph1->memories(); }
    // The column of the memory's loss peak, or -1 where none is drawn.
    double peakColumn() const {
        const GraphWidget* g = w->ui.picGraph1;
        const double peakY = g->mapping().toPixelY(
            LossY(g->ScaleHeight(), kPeakCount, w->fields.CalOffsetDb, 0.0, 1));
        for (const MemoryLayer::Trace& t : layer().traces()) {
            for (const QPointF& p : t.pixels.points) {
                if (std::fabs(p.y() - peakY) < 1.0) {
                    return p.x();
                }
            }
        }
        return -1.0;
    }
    QImage picture() const { return w->ui.picGraph1->grab().toImage(); }
};

}  // namespace

class MemoryControlTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    // A stored sweep stays at its frequencies: after a zoom or another
    // range its peak lies in the column of 14.15 MHz on the axis shown, or
    // nowhere when that is off the graph.
    void drawnAtItsOwnFrequencies_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("stop");
        QTest::newRow("as stored") << "1"
                                   << "30";
        QTest::newRow("zoomed") << "10"
                                << "20";
        QTest::newRow("narrow") << "14"
                                << "14.3";
        QTest::newRow("peak left of the graph") << "15"
                                                << "30";
        QTest::newRow("peak right of the graph") << "1"
                                                 << "14";
    }
    void drawnAtItsOwnFrequencies() {
        QFETCH(QString, start);
        QFETCH(QString, stop);
        Window f;
        f.item("mnuMemoryStore")->trigger();
        QCOMPARE(f.layer().names().size(), std::size_t(1));
        f.buffers.MagnitudeSamples.assign(f.buffers.MagnitudeSamples.size(), kFlat);
        f.setLimits(qPrintable(start), qPrintable(stop));
        const double fmin = start.toDouble() * 1e6, fmax = stop.toDouble() * 1e6;
        QCOMPARE(f.settings.FMin, static_cast<float>(fmin));
        const GraphWidget* g = f.w->ui.picGraph1;
        const double x = (kPeakHz - fmin) / (fmax - fmin) * g->ScaleWidth();
        const double expected = x > g->ScaleWidth() || x < 0 ? -1.0 : g->mapping().toPixelX(x);
        QVERIFY2(std::fabs(f.peakColumn() - expected) <= 1.0,
                 qPrintable(QStringLiteral("%1 for %2").arg(f.peakColumn()).arg(expected)));
    }

    // Four are kept, a fifth replacing the oldest; each is named in the
    // legend; cleared, the graph is as it was without them. Ctrl+M stores.
    void fourKeptAndCleared() {
        Window f;
        const QImage before = f.picture();
        QCOMPARE(f.item("mnuMemoryStore")->shortcut(), QKeySequence(QStringLiteral("Ctrl+M")));
        for (int k = 0; k < 5; ++k) {
            f.item("mnuMemoryStore")->trigger();
        }
        QCOMPARE(f.w->memoryControl().bank().count(), std::size_t(4));
        QCOMPARE(f.layer().names().size(), std::size_t(4));
        QVERIFY(QTime::fromString(f.layer().names()[0].text, QStringLiteral("hh:mm:ss")).isValid());
        QVERIFY(!f.layer().traces().empty());
        QVERIFY(f.picture() != before);
        f.item("mnuMemoryClear")->trigger();
        QVERIFY(f.layer().empty());
        QCOMPARE(f.picture(), before);
    }

    // Before any sweep or file there are only the zeros the buffers are sized
    // with: nothing to store, by the menu or by Ctrl+M. A sweep taken or a
    // file opened can be stored; zeroed again for a sweep of another size,
    // nothing can, until that sweep comes.
    void storeOnlyASweepOrFile() {
        WindowFixture f;
        f.settings.Champ = kChamp;
        f.load();
        QAction* store = f.w->findChild<QAction*>(QStringLiteral("mnuMemoryStore"));
        QVERIFY(!store->isEnabled());
        store->trigger();
        f.w->memoryControl().mnuMemoryStore_Click();
        QVERIFY(f.tick());
        QVERIFY(!store->isEnabled());
        QCOMPARE(f.w->memoryControl().bank().count(), std::size_t(0));

        f.buffers.MagnitudeSamples.assign(f.buffers.MagnitudeSamples.size(), kFlat);
        const QString path = dir_.filePath(QStringLiteral("sweep.vec"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(VecFileBytes(f.buffers, 1e6f, 30e6f));
        file.close();
        f.w->chooseFile = [&path](QWidget*, chart1::FileDialog, const QString&, const QString&) {
            return path;
        };
        f.w->mnuOpen_Click();
        QVERIFY(f.warnings().isEmpty());
        QVERIFY(store->isEnabled());
        store->trigger();
        QCOMPARE(f.w->memoryControl().bank().count(), std::size_t(1));
        // As a sweep resumes after a file of another size.
        f.w->usePoints(kChamp);
        QVERIFY(f.tick());
        QVERIFY(!store->isEnabled());
        f.w->memoryControl().mnuMemoryStore_Click();
        QCOMPARE(f.w->memoryControl().bank().count(), std::size_t(1));
    }

    // A file that cannot be read is refused by line, and nothing changes; a
    // good one is named after its file.
    void loadRefusedOrNamed() {
        Window f;
        f.item("mnuMemoryStore")->trigger();
        const std::vector<MemoryLayer::Name> names = f.layer().names();
        const std::size_t traces = f.layer().traces().size();

        QString path = dir_.filePath(QStringLiteral("bad.s1p"));
        QFile bad(path);
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("# MHz S RI R 50\n7 0.5 0\n8 0.4 zz\n");
        bad.close();
        f.w->chooseFile = [&path](QWidget*, chart1::FileDialog, const QString&, const QString&) {
            return path;
        };
        f.item("mnuMemoryLoad")->trigger();
        QVERIFY2(f.warnings().size() == 1 && f.warnings()[0].contains(QLatin1String("line 3")),
                 qPrintable(f.warnings().join('|')));
        QCOMPARE(f.w->memoryControl().bank().count(), std::size_t(1));
        QCOMPARE(f.layer().names().size(), names.size());
        QCOMPARE(f.layer().traces().size(), traces);

        path = dir_.filePath(QStringLiteral("good.s1p"));
        QFile good(path);
        QVERIFY(good.open(QIODevice::WriteOnly));
        good.write("# MHz S RI R 50\n7 0.5 0\n8 0.4 0.1\n");
        good.close();
        f.item("mnuMemoryLoad")->trigger();
        QCOMPARE(f.w->memoryControl().bank().count(), std::size_t(2));
        QCOMPARE(f.layer().names().back().text, QStringLiteral("good.s1p"));
    }
};

QTEST_MAIN(MemoryControlTest)
#include "tst_memory_control.moc"
