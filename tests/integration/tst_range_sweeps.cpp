// Range changes while running, seen from the simulator: every sweep command
// carries the step of its own start and stop, from the first sweep after a
// change on; a range of no width sends nothing and says so, and RUN stays on.
#include <QRegularExpression>
#include <QtTest>

#include "support/test_support.h"

using TestSupport::SimProcess;
using TestSupport::WindowFixture;

class RangeSweepsTest : public QObject {
    Q_OBJECT

private slots:
    void everySweepMatchesItsRange() {
        SimProcess sim;
        QString error;
        QVERIFY2(
            sim.start({QStringLiteral("--dut"), QStringLiteral("antenna"), QStringLiteral("-v")},
                      &error),
            qPrintable(error));
        WindowFixture f;
        f.settings.Champ = 200;
        f.loadLive(sim.ptyPath());
        chart1& w = *f.w;
        QSignalSpy acquired(&w, &chart1::sweepAcquired);
        w.cmdRUN_Click();
        QVERIFY(f.running());
        QTRY_VERIFY_WITH_TIMEOUT(acquired.count() >= 1, 8000);

        w.ui.chkBands->setChecked(true);
        w.ui.optA[5]->click();  // "14.0 - 14.4": 11.5 to 17.5 MHz
        const qsizetype before = acquired.count();
        QTRY_VERIFY_WITH_TIMEOUT(acquired.count() >= before + 2, 8000);

        // Start = Stop: nothing goes out, RUN stays on, and the limits are named.
        w.ui.chkBands->setChecked(false);
        w.ui.txtStart->setText(QStringLiteral("14.2"));
        w.ui.txtStop->setText(QStringLiteral("14.2"));
        QTRY_VERIFY_WITH_TIMEOUT(
            w.statusBar()->currentMessage().contains(QStringLiteral("14.2 MHz to 14.2 MHz")), 8000);
        const qsizetype stalled = acquired.count();
        QVERIFY(f.nextTick());
        QVERIFY(f.nextTick());
        QCOMPARE(acquired.count(), stalled);
        QVERIFY(f.running());

        // The first valid range sweeps again, and the message goes.
        w.ui.txtStop->setText(QStringLiteral("14.35"));
        QTRY_VERIFY_WITH_TIMEOUT(acquired.count() >= stalled + 2, 8000);
        QVERIFY(w.statusBar()->currentMessage().isEmpty());
        w.ui.chkHold->setChecked(true);
        sim.stop();

        // Each command's stop (start + points x step) is one the user set
        // together with that start; words are whole, so allow their rounding.
        const QList<QPair<double, double>> ranges = {
            {1e6, 180e6}, {11.5e6, 17.5e6}, {14.2e6, 14.35e6}};
        const QRegularExpression sweep(
            QStringLiteral("sweep mode 0, ([0-9.]+) Hz \\+ k x ([0-9.]+) Hz, 200 points"));
        QList<double> starts;
        for (const TestSupport::SimExchange& exchange :
             TestSupport::SimExchangesFromLog(sim.output())) {
            const QRegularExpressionMatch m = sweep.match(exchange.command);
            QVERIFY2(m.hasMatch(), qPrintable(exchange.command));
            const double start = m.captured(1).toDouble();
            const double stop = start + 200 * m.captured(2).toDouble();
            const bool matches = std::any_of(ranges.begin(), ranges.end(), [&](const auto& r) {
                return std::abs(start - r.first) < 1 && std::abs(stop - r.second) < 20;
            });
            QVERIFY2(matches, qPrintable(exchange.command));
            if (starts.isEmpty() || starts.last() != start) {
                starts << start;
            }
        }
        QCOMPARE(starts, (QList<double>{1e6, 11.5e6, 14.2e6}));
    }
};

QTEST_MAIN(RangeSweepsTest)
#include "tst_range_sweeps.moc"
