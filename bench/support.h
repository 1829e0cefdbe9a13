#pragma once
// Pieces the benchmark programs share: a parallel port that does nothing, the
// process's resident memory, a trace pass with all six traces on at the
// graph's design size and the timing of its passes, the simulator, and the
// real window.
#include <benchmark/benchmark.h>

#include <QProcess>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include <unistd.h>

#include "window/chart1.h"
#include "instrument/parallel_port.h"
#include "instrument/qt_serial_port_service.h"
#include "measure/trace_geometry.h"

namespace BenchSupport {

// Remembers nothing, so a long run costs nothing on the port and cannot grow.
class NullParallelPort final : public ParallelPort {
public:
    void Out(std::int16_t, std::uint8_t) override {}
    std::string takeNotice() override { return {}; }
};

// Resident memory of this process in MB, from /proc/self/statm; -1 when it
// cannot be read.
inline double ResidentMb() {
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm == nullptr) {
        return -1.0;
    }
    long size = 0;
    long resident = 0;
    const int read = std::fscanf(statm, "%ld %ld", &size, &resident);
    std::fclose(statm);
    if (read != 2) {
        return -1.0;
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) /
           (1024.0 * 1024.0);
}

// A pass over the given buffers (indices 0..champ) as the window makes it at
// its design size (8835 x 3795 twips), all six traces on, Step 1.
inline TracePass SixTracePass(const float* magnitude, const float* phase, std::int32_t champ) {
    TracePass pass;
    pass.MagnitudeSamples = magnitude;
    pass.PhaseSamples = phase;
    pass.Champ = champ;
    pass.Step = 1;
    pass.H = 3795.0f;
    pass.PointWidth = ComputePointWidth(8835.0f, champ);
    pass.CalOffsetDb = 0.5f;
    pass.LossOffset = 1.0;
    pass.LossScale = 1;
    pass.Enabled = TraceEnables{true, true, true, true, true, true};
    return pass;
}

// Times both trace passes over pass as the window runs them, buffers and
// converter kept from pass to pass; with coldConverter the converter's table
// starts empty every pass, as after an offset change.
inline void TimeTracePasses(benchmark::State& state, const TracePass& pass, bool coldConverter) {
    PenState pen;
    LossPhaseGeometry lossPhase;
    ImpedanceGeometry impedance;
    for (auto _ : state) {
        if (coldConverter) {
            impedance.Converter.reset();
        }
        PlotLossPhasePass(pass, pen, lossPhase);
        PlotImpedancePass(pass, pen, impedance);
        benchmark::DoNotOptimize(lossPhase.Loss.data());
        benchmark::DoNotOptimize(impedance.Swr.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * pass.Champ);
}

// Starts bin/zezizav-sim with these arguments; the device path it prints, or
// empty when it did not start.
inline QString StartSimulator(QProcess& sim, const QStringList& arguments) {
    sim.start(QStringLiteral(ZEZIZAV_BIN_DIR "/zezizav-sim"), arguments);
    if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000)) {
        return {};
    }
    return QString::fromLocal8Bit(sim.readLine()).trimmed();
}

// The real window, loaded with default settings for champ points on the
// serial device given (none when empty); not shown yet.
struct BenchWindow {
    Settings settings = ParseSettings("").settings;
    SweepBuffers buffers;
    QtSerialPortService serial;
    NullParallelPort parallel;
    std::unique_ptr<chart1> w;

    // The limits default to the settings' own (10 kHz).
    BenchWindow(const QString& device, std::int32_t champ, float fMin = 0.0f, float fMax = 0.0f) {
        settings.Champ = champ;
        if (fMax > fMin) {
            settings.FMin = fMin;
            settings.FMax = fMax;
        }
        settings.device = device.toStdString();
        w = std::make_unique<chart1>(settings, buffers, serial, parallel);
        w->Form_Load();
    }
};

}  // namespace BenchSupport
