// zezizav-bench: the speed of the sweep path at 6000 points, from the
// conversion of one point up to a whole tick of the window (also at 4K with
// up to 32767 points) and the whole loop against the paced simulator.
// Figures go in bench/README.md.
//
//   zezizav-bench [Google Benchmark options]
//
// BM_Loop6000Paced starts bin/zezizav-sim; it is skipped with a message when
// the simulator is not there.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

#include "timedomain/time_domain_graph.h"
#include "window/time_domain_view.h"
#include "window/chart1.h"
#include "calibrate/normalisation.h"
#include "window/memory_control.h"
#include "measure/conversion.h"
#include "measure/graph_widget.h"
#include "measure/trace_geometry.h"
#include "support.h"

namespace {

using BenchSupport::ResidentMb;

constexpr std::int32_t kPoints = 6000;
// 6000 points of four bytes each at 115200 baud, ten bits a byte.
constexpr double kWireSeconds = 24000.0 * 10.0 / 115200.0;

// Counts shaped like an antenna sweep: a deep dip in the middle of the span,
// the phase turning through it, a little ripple. Whole counts, as the
// instrument's 10-bit words are; a fraction is added to every
// point when given, as a file written elsewhere might hold.
void FillResonance(float* magnitude, float* phase, std::int32_t champ, double fraction = 0.0) {
    for (std::int32_t i = 0; i <= champ; ++i) {
        const double x = (static_cast<double>(i) - champ / 2.0) / (champ / 20.0);
        const double dip = 1.0 / (1.0 + x * x);
        magnitude[i] = static_cast<float>(
            std::clamp(std::round(60.0 + 700.0 * dip) + (i % 7) + fraction, 0.0, 1023.0));
        phase[i] = static_cast<float>(
            std::clamp(std::round(512.0 + 400.0 * std::atan(x) / 1.5708) + fraction, 0.0, 1023.0));
    }
}

double Median(std::vector<double> v) {
    if (v.empty()) {
        return 0.0;
    }
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Every point of a 6000-point sweep converted, by a converter made afresh for
// the sweep (as after an offset change), so its table starts empty.
// With arg 1 every count carries a fraction, so nothing is looked up.
void BM_ConvertSweep6000(benchmark::State& state) {
    std::vector<float> magnitude(kPoints + 1);
    std::vector<float> phase(kPoints + 1);
    FillResonance(magnitude.data(), phase.data(), kPoints, state.range(0) != 0 ? 0.25 : 0.0);
    for (auto _ : state) {
        float sum = 0.0f;
        PointConverter convert(0.5f, 1.0);
        for (std::int32_t i = 0; i <= kPoints; ++i) {
            const PointValues v =
                convert(magnitude[static_cast<std::size_t>(i)], phase[static_cast<std::size_t>(i)]);
            sum += v.Swr + v.Zmag;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * (kPoints + 1));
}

// Both passes of the trace geometry, all six traces on, buffers and converter
// reused as the window reuses them from pass to pass; with arg 1 the
// converter starts empty every pass.
void BM_TraceGeometry6000(benchmark::State& state) {
    std::vector<float> magnitude(kPoints + 1);
    std::vector<float> phase(kPoints + 1);
    FillResonance(magnitude.data(), phase.data(), kPoints);
    const TracePass pass = BenchSupport::SixTracePass(magnitude.data(), phase.data(), kPoints);
    BenchSupport::TimeTracePasses(state, pass, state.range(0) != 0);
}

// The same two passes on a normalised sweep: an open 6000 points wide over the
// same limits, so every point carries a loss error and the loss step is
// worked in full rather than looked up.
void BM_TraceGeometry6000Normalised(benchmark::State& state) {
    std::vector<float> magnitude(kPoints + 1);
    std::vector<float> phase(kPoints + 1);
    FillResonance(magnitude.data(), phase.data(), kPoints);
    Normalisation n;
    n[Standard::Open] = Reference{1e6f, 180e6f, std::vector<float>(kPoints)};
    for (std::int32_t j = 0; j < kPoints; ++j) {
        n[Standard::Open]->Counts[static_cast<std::size_t>(j)] =
            static_cast<float>(343 + (j * 34) / kPoints + (j % 5));
    }
    const LossErrors errors = ComputeLossErrors(n, 1e6f, 180e6f, kPoints, 0.0f, 0, 0);
    TracePass pass = BenchSupport::SixTracePass(magnitude.data(), phase.data(), kPoints);
    pass.LossErrors = errors.Error.data();
    BenchSupport::TimeTracePasses(state, pass, false);
}

// Working out the loss errors of a 6000-point sweep against a 6000-point open
// and short, as the window does when the limits, the mode or the references
// change (not on every tick).
void BM_LossErrors6000(benchmark::State& state) {
    Normalisation n;
    for (const Standard s : {Standard::Open, Standard::Short}) {
        n[s] = Reference{1e6f, 180e6f, std::vector<float>(kPoints, 350.0f)};
    }
    for (auto _ : state) {
        const LossErrors errors = ComputeLossErrors(n, 0.5e6f, 100e6f, kPoints, 0.0f, 0, 0);
        benchmark::DoNotOptimize(errors.Error.data());
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}

// One whole tick of the real window with the port closed (no exchange): the
// controls, the marker readouts, both trace passes and the graph painted into
// an image of its size at the device pixel ratio given, the window at the
// size given (its design size when empty), with that many memories stored,
// and with the time view shown, worked out at the tick's end and painted too.
void RunTick(benchmark::State& state, std::int32_t points, int ratio, QSize windowSize,
             int memories = 0, bool timeView = false) {
    BenchSupport::BenchWindow window(QString(), points, timeView ? 1e6f : 0.0f,
                                     timeView ? 180e6f : 0.0f);
    chart1& w = *window.w;
    SweepBuffers& buffers = window.buffers;
    const QtSerialPortService& serial = window.serial;
    w.ui.Timer1->stop();
    w.show();
    if (!windowSize.isEmpty()) {
        w.resize(windowSize);
    }
    FillResonance(buffers.MagnitudeSamples.data(), buffers.PhaseSamples.data(), points);
    w.cmdAllTraces_Click();
    w.ui.chkMkr1->setChecked(true);
    w.ui.chkMkr2->setChecked(true);
    for (int m = 0; m < memories; ++m) {
        w.memoryControl().mnuMemoryStore_Click();
    }
    TimeDomainView& view = w.timeDomainView();
    if (timeView) {
        view.show();
    }
    QCoreApplication::processEvents();
    if (serial.isOpen()) {
        state.SkipWithError("the port is open; the tick would wait for the instrument");
        return;
    }
    QImage timeImage(view.graph()->size(), QImage::Format_ARGB32_Premultiplied);

    GraphWidget* graph = w.ui.picGraph1;
    QImage image(graph->size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    int ticks = 0;
    QObject::connect(&w, &chart1::tickFinished, &w, [&ticks] { ++ticks; });
    // The two halves timed apart as well: the tick's own work, and the paint.
    std::vector<double> tickMs, paintMs, timePaintMs;
    QElapsedTimer clock;
    for (auto _ : state) {
        clock.start();
        w.Timer1_Timer();  // closed port: runs to its end before returning
        tickMs.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        clock.start();
        QPainter painter(&image);
        graph->render(&painter);
        painter.end();
        paintMs.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        if (timeView) {
            clock.start();
            QPainter timePainter(&timeImage);
            view.graph()->render(&timePainter);
            timePainter.end();
            timePaintMs.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        }
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["tick_ms"] = Median(tickMs);
    state.counters["paint_ms"] = Median(paintMs);
    if (timeView) {
        state.counters["time_paint_ms"] = Median(timePaintMs);
    }
    w.ui.Timer1->stop();
    if (ticks != static_cast<int>(state.iterations())) {
        state.SkipWithError("a tick did not run to its end");
        return;
    }
    if (timeView && !view.response()) {
        state.SkipWithError("the time view did not read the sweep");
        return;
    }
    if (graph->traceSegments(GraphWidget::Swr) < points) {
        state.SkipWithError("the SWR trace was not drawn");
        return;
    }
    state.counters["px"] = static_cast<double>(image.width()) * image.height();
    double painted = 0.0;
    for (int t = 0; t < GraphWidget::TraceCount; ++t) {
        painted +=
            static_cast<double>(graph->tracePaintedPoints(static_cast<GraphWidget::Trace>(t)));
    }
    state.counters["painted_points_per_trace"] =
        painted / static_cast<double>(GraphWidget::TraceCount);
}

// At the design size, device pixel ratio 1 or 2.
void BM_Tick6000(benchmark::State& state) {
    RunTick(state, kPoints, static_cast<int>(state.range(0)), QSize());
}

// At the design size with four memories of the sweep under its six traces.
// With View → "Time domain" shown beside the graph.
void BM_Tick6000TimeView(benchmark::State& state) {
    RunTick(state, kPoints, 1, QSize(), 0, true);
}

void BM_Tick6000Memories(benchmark::State& state) {
    RunTick(state, kPoints, 1, QSize(), 4);
}

// The window at 3840 x 2160 (the graph about 3650 x 1900), the points given.
void BM_Tick4K(benchmark::State& state) {
    RunTick(state, static_cast<std::int32_t>(state.range(0)), 1, QSize(3840, 2160));
}

// The whole loop against the paced simulator: sweeps of 6000 points back to
// back with the window shown offscreen. Reports the sweep period against the
// wire time, the window's CPU share while sweeping and its resident memory.
void BM_Loop6000Paced(benchmark::State& state) {
    constexpr int kWarmSweeps = 2;  // the first period includes the RUN start
    const int measured = static_cast<int>(state.range(0));
    if (!QFileInfo::exists(QStringLiteral(ZEZIZAV_BIN_DIR "/zezizav-sim"))) {
        state.SkipWithError("bin/zezizav-sim is not built");
        return;
    }
    for (auto _ : state) {
        QProcess sim;
        const QString device = BenchSupport::StartSimulator(
            sim, {QStringLiteral("--pace"), QStringLiteral("--dut"), QStringLiteral("antenna")});
        if (device.isEmpty()) {
            state.SkipWithError("the simulator did not start");
            return;
        }
        BenchSupport::BenchWindow window(device, kPoints);
        std::unique_ptr<chart1>& w = window.w;
        w->cmdAllTraces_Click();
        w->show();

        QEventLoop loop;
        int acquired = 0;
        int failed = 0;
        QElapsedTimer clock;
        qint64 firstMs = 0;
        double firstCpu = 0.0;
        std::vector<qint64> periods;
        qint64 lastMs = 0;
        QObject::connect(&w->exchange(), &SweepExchange::finished, w.get(),
                         [&failed](const ExchangeResult& r) {
                             failed += r.outcome != ExchangeOutcome::Completed ? 1 : 0;
                         });
        QObject::connect(w.get(), &chart1::tickFinished, w.get(), [&] {
            // The first tick reads the limits; RUN after it sweeps them.
            if (w->fields.Running == 0.0f && acquired == 0) {
                w->cmdRUN_Click();
                clock.start();
            }
        });
        QObject::connect(w.get(), &chart1::sweepAcquired, w.get(), [&] {
            ++acquired;
            const qint64 now = clock.elapsed();
            if (acquired == kWarmSweeps) {
                firstMs = now;
                firstCpu = CpuSeconds();
            } else if (acquired > kWarmSweeps) {
                periods.push_back(now - lastMs);
            }
            lastMs = now;
            if (acquired == kWarmSweeps + measured) {
                loop.quit();
            }
        });
        QTimer stuck;
        stuck.setSingleShot(true);
        QObject::connect(&stuck, &QTimer::timeout, &loop, [&loop] { loop.exit(1); });
        stuck.start(static_cast<int>((kWarmSweeps + measured + 3) * kWireSeconds * 1000.0));
        const int rc = loop.exec();
        const double cpu = CpuSeconds() - firstCpu;
        const double wall = static_cast<double>(lastMs - firstMs) / 1000.0;
        const double residentMb = ResidentMb();
        w->cmdRUN_Click();
        w.reset();
        sim.terminate();
        sim.waitForFinished(3000);
        if (rc != 0 || periods.empty()) {
            state.SkipWithError("the sweeps did not come in time");
            return;
        }
        std::sort(periods.begin(), periods.end());
        const double median = static_cast<double>(periods[periods.size() / 2]) / 1000.0;
        state.SetIterationTime(wall / static_cast<double>(periods.size()));
        state.counters["period_s"] = wall / static_cast<double>(periods.size());
        state.counters["median_period_s"] = median;
        state.counters["worst_period_s"] = static_cast<double>(periods.back()) / 1000.0;
        state.counters["x_wire"] = median / kWireSeconds;
        state.counters["cpu_pct"] = 100.0 * cpu / wall;
        state.counters["rss_MB"] = residentMb;
        state.counters["failed"] = failed;
    }
}

}  // namespace

BENCHMARK(BM_ConvertSweep6000)
    ->ArgName("fractional")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TraceGeometry6000)->ArgName("cold")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TraceGeometry6000Normalised)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LossErrors6000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Tick6000)
    ->ArgName("dpr")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_Tick6000TimeView)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_Tick6000Memories)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_Tick4K)
    ->ArgName("points")
    ->Arg(6000)
    ->Arg(32767)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_Loop6000Paced)->Arg(5)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
