// Averaging on the simulated analyser: a quieter trace from the mean of the
// last sweeps, the count in the INFO frame, the restarts, failed exchanges
// that add nothing; and a sweep file of another size giving way to Champ.
#include <QtTest>

#include "window/average_control.h"
#include "files/vec_file.h"
#include "support/test_support.h"

using TestSupport::SimProcess;

namespace {

constexpr std::int32_t kChamp = 300;

struct Window : TestSupport::WindowFixture {
    explicit Window(const QString& device, int average) {
        settings.Champ = kChamp;
        loadLive(device);
        w->findChild<QAction*>(QStringLiteral("mnuAverage%1").arg(average))->trigger();
    }
    // Nothing while averaging is off: the row is hidden.
    QString count() const {
        return w->ui.lblAverage->isHidden() ? QString() : w->ui.lblAverage->text();
    }
    // The mean step from a point to the next: an open circuit reads the same
    // count everywhere, so this is the noise.
    double roughness() const {
        double sum = 0.0;
        for (std::int32_t i = 2; i <= kChamp; ++i) {
            sum += std::fabs(buffers.MagnitudeSamples[static_cast<std::size_t>(i)] -
                             buffers.MagnitudeSamples[static_cast<std::size_t>(i - 1)]);
        }
        return sum / (kChamp - 1);
    }
    // Runs until `sweeps` more sweeps have been decoded; the counts shown after each.
    QStringList sweep(int sweeps) {
        QStringList shown;
        QSignalSpy acquired(w.get(), &chart1::sweepAcquired);
        while (acquired.count() < sweeps && acquired.wait(8000)) {
            for (qsizetype k = shown.size(); k < acquired.count(); ++k) {
                shown << count();
            }
        }
        return shown;
    }
};

}  // namespace

class AverageTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    // Eight noisy sweeps averaged: a visibly quieter trace with fractional
    // counts, and the count climbs to 8/8 and stays there.
    void quieterTrace() {
        SimProcess sim;
        QString error;
        QVERIFY2(sim.start({"--dut", "open", "--noise", "6", "--seed", "5"}, &error),
                 qPrintable(error));
        Window one(sim.ptyPath(), 1);
        QCOMPARE(one.count(), QString());
        one.w->cmdRUN_Click();
        QCOMPARE(one.sweep(2).size(), 2);
        const double single = one.roughness();
        QCOMPARE(one.count(), QString());
        one.w->cmdRUN_Click();

        Window eight(sim.ptyPath(), 8);
        QCOMPARE(eight.count(), QStringLiteral("Avg 0/8"));
        eight.w->cmdRUN_Click();
        QCOMPARE(eight.sweep(10),
                 (QStringList{"Avg 1/8", "Avg 2/8", "Avg 3/8", "Avg 4/8", "Avg 5/8", "Avg 6/8",
                              "Avg 7/8", "Avg 8/8", "Avg 8/8", "Avg 8/8"}));
        const double averaged = eight.roughness();
        QVERIFY2(averaged < single / 2.0,
                 qPrintable(QStringLiteral("%1 against %2").arg(averaged).arg(single)));
        const auto& m = eight.buffers.MagnitudeSamples;
        QVERIFY(std::any_of(m.begin(), m.end(), [](float v) { return v != std::floor(v); }));
    }

    // Exchanges that fail add nothing: the count climbs by decoded sweeps only.
    void failuresAddNothing() {
        SimProcess sim;
        QString error;
        QVERIFY2(sim.start({"--fault", "random:0.3", "--seed", "9"}, &error), qPrintable(error));
        Window win(sim.ptyPath(), 16);
        win.w->exchange().setTimeoutMs(150);  // a silent analyser costs less waiting
        QSignalSpy ticks(win.w.get(), &chart1::tickFinished);
        win.w->cmdRUN_Click();
        QCOMPARE(win.count(), QStringLiteral("Avg 0/16"));
        QCOMPARE(win.sweep(4), (QStringList{"Avg 1/16", "Avg 2/16", "Avg 3/16", "Avg 4/16"}));
        QVERIFY2(ticks.count() > 4, "some exchanges failed on the way");
        win.w->cmdRUN_Click();
    }

    // The mean starts again when RUN starts, when the range or the mode of
    // the sweeps changes.
    void restarts() {
        SimProcess sim;
        QString error;
        QVERIFY2(sim.start({}, &error), qPrintable(error));
        Window win(sim.ptyPath(), 16);
        win.w->cmdRUN_Click();
        QCOMPARE(win.sweep(2), (QStringList{"Avg 1/16", "Avg 2/16"}));
        win.w->cmdRUN_Click();
        win.w->cmdRUN_Click();  // RUN again
        QCOMPARE(win.count(), QStringLiteral("Avg 0/16"));
        QCOMPARE(win.sweep(1), QStringList{"Avg 1/16"});

        // A new start frequency starts the mean again (a sweep already on its
        // way joins the mean it was taken for), and it then grows again.
        win.w->ui.txtStart->setText(QStringLiteral("2"));
        const QStringList range = win.sweep(4);
        QVERIFY2(range.contains(QStringLiteral("Avg 1/16")), qPrintable(range.join(',')));
        QVERIFY2(range.last() != QStringLiteral("Avg 1/16"), qPrintable(range.join(',')));

        // So does another mode, reflection or transmission.
        for (const char* mode : {"Cable Loss", "Transmission"}) {
            win.w->Toolbar1_ButtonClick(QLatin1String(mode));
            QCOMPARE(win.count(), QStringLiteral("Avg 0/16"));
            const QStringList after = win.sweep(3);
            QVERIFY2(after.contains(QStringLiteral("Avg 1/16")) &&
                         after.last() != QStringLiteral("Avg 1/16"),
                     qPrintable(after.join(',')));
        }
        win.w->cmdRUN_Click();
    }

    // A file of fewer points than Champ is shown at its own; when sweeps are
    // taken again they have Champ points.
    void fileGivesWayToChamp() {
        SimProcess sim;
        QString error;
        QVERIFY2(sim.start({}, &error), qPrintable(error));
        Window win(sim.ptyPath(), 1);
        SweepBuffers small;
        small.resize(120);
        small.MagnitudeSamples[60] = 900.0f;
        const QString path = dir_.filePath(QStringLiteral("small.vec"));
        QVERIFY(WriteFileSafely(path, VecFileBytes(small, 1e6f, 30e6f), &error));
        win.w->chooseFile = [path](QWidget*, chart1::FileDialog, const QString&, const QString&) {
            return path;
        };
        win.w->cmdRUN_Click();
        QCOMPARE(win.sweep(1).size(), 1);
        win.w->mnuOpen_Click();
        QCOMPARE(win.w->points(), 120);
        QCOMPARE(win.w->ui.lblPoints->text(), QStringLiteral("120"));
        QVERIFY(win.nextTick());
        QCOMPARE(win.w->points(), 120);  // held
        win.w->ui.chkHold->setChecked(false);
        QCOMPARE(win.sweep(1).size(), 1);
        QCOMPARE(win.w->points(), kChamp);
        QCOMPARE(win.w->ui.lblPoints->text(), QString::number(kChamp));
        // The sweep went over the file's limits, not 300/120 of them.
        QCOMPARE(win.w->fields.FreqStep, (30e6 - 1e6) / kChamp);

        // The file opened while a sweep is on its way stays: the reply of
        // 300 points is not written into its 120.
        win.w->ui.Timer1->stop();
        QSignalSpy done(win.w.get(), &chart1::tickFinished);
        win.w->Timer1_Timer();
        QCOMPARE(done.count(), 0);
        win.w->mnuOpen_Click();
        QVERIFY(done.wait(8000));
        QCOMPARE(win.w->points(), 120);
        QVERIFY(win.buffers.MagnitudeSamples == small.MagnitudeSamples);
        win.w->cmdRUN_Click();
    }
};

QTEST_MAIN(AverageTest)
#include "tst_average.moc"
