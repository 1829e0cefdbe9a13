// Resident memory of the real window (offscreen) over many sweeps of 6000
// points from the simulator, unpaced. Not a Google Benchmark: it measures
// growth, not speed. Target: resident memory at the end at most 2 MB above
// its level after the first 50 sweeps.
//
//   bench_memory [--sweeps N] [--baseline N]
//
// Prints the resident size every 100 sweeps and a summary; exits 1 when the
// growth is over the target, 2 when the run itself failed.
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>

#include <cstdio>
#include <string>

#include <unistd.h>

#include "window/chart1.h"
#include "support.h"

namespace {

using BenchSupport::ResidentMb;

constexpr std::int32_t kPoints = 6000;
constexpr double kTargetGrowthMb = 2.0;

int Fail(const char* why) {
    std::fprintf(stderr, "bench_memory: %s\n", why);
    return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    int sweeps = 1000;
    int baseline = 50;
    const QStringList args = QApplication::arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--sweeps")) {
            sweeps = args[i + 1].toInt();
        } else if (args[i] == QLatin1String("--baseline")) {
            baseline = args[i + 1].toInt();
        }
    }
    if (baseline < 1 || sweeps <= baseline) {
        return Fail("want --sweeps N above --baseline M >= 1");
    }

    QProcess sim;
    const QString device =
        BenchSupport::StartSimulator(sim, {QStringLiteral("--dut"), QStringLiteral("antenna")});
    if (device.isEmpty()) {
        return Fail("the simulator did not start");
    }
    BenchSupport::BenchWindow window(device, kPoints);
    chart1& w = *window.w;
    w.show();

    int acquired = 0;
    int failed = 0;
    double baselineMb = 0.0;
    double peakMb = 0.0;
    QElapsedTimer clock;
    QObject::connect(&w.exchange(), &SweepExchange::finished, &w,
                     [&](const ExchangeResult& result) {
                         failed += result.outcome != ExchangeOutcome::Completed ? 1 : 0;
                     });
    QObject::connect(&w, &chart1::tickFinished, &w, [&] {
        // The first tick reads the limits; the step, and so the sweeps, follow.
        if (w.fields.Running == 0.0f && acquired == 0) {
            w.cmdRUN_Click();
            clock.start();
        }
    });
    QObject::connect(&w, &chart1::sweepAcquired, &w, [&] {
        ++acquired;
        const double now = ResidentMb();
        peakMb = std::max(peakMb, now);
        if (acquired == baseline) {
            baselineMb = now;
        }
        if (acquired % 100 == 0 || acquired == baseline) {
            std::printf("sweep %5d  resident %8.2f MB\n", acquired, now);
            std::fflush(stdout);
        }
        if (acquired == sweeps) {
            w.cmdRUN_Click();
            QTimer::singleShot(0, &app, &QApplication::quit);
        }
    });
    // No sweep for a while: the run itself has gone wrong.
    QTimer stuck;
    int lastSeen = -1;
    QObject::connect(&stuck, &QTimer::timeout, &app, [&] {
        if (acquired == lastSeen) {
            std::fprintf(stderr, "bench_memory: no sweep for 20 s after %d\n", acquired);
            app.exit(2);
        }
        lastSeen = acquired;
    });
    stuck.start(20000);

    const int rc = app.exec();
    const double endMb = ResidentMb();
    const qint64 ms = clock.elapsed();
    sim.terminate();
    sim.waitForFinished(3000);
    if (rc != 0) {
        return rc;
    }
    const double growth = endMb - baselineMb;
    std::printf(
        "sweeps %d of %d points (%d exchanges failed) in %.1f s\n"
        "resident after %d sweeps %.2f MB, at the end %.2f MB, peak %.2f MB\n"
        "growth %.2f MB (target <= %.1f MB): %s\n",
        acquired, kPoints, failed, static_cast<double>(ms) / 1000.0, baseline, baselineMb, endMb,
        peakMb, growth, kTargetGrowthMb, growth <= kTargetGrowthMb ? "met" : "NOT MET");
    return growth <= kTargetGrowthMb ? 0 : 1;
}
