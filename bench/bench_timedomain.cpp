#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

#include "timedomain/reactance_sign.h"
#include "timedomain/time_domain.h"

namespace {

// 1 to 180 MHz in `points` points (the program's grid: point i at 1 MHz + i
// steps) of a 50-ohm lead, a 75-ohm step at 3 m and an open end at 5 m, VF
// 0.66, as the detector reports it: |G| and |phi|.
TimeDomainSweep CableSweep(int points) {
    TimeDomainSweep s;
    s.StepHz = 179e6 / points;
    s.StartHz = 1e6 + s.StepHz;
    const double perMetre = 2.0 * 2.0 * std::numbers::pi / (0.66 * 299792458.0);
    for (int i = 0; i < points; ++i) {
        const double f = s.StartHz + i * s.StepHz;
        const std::complex<double> g = 0.2 * std::polar(1.0, -perMetre * f * 3.0) +
                                       0.96 * std::polar(1.0, -perMetre * f * 5.0);
        s.Rho.push_back(std::abs(g));
        s.PhaseDeg.push_back(std::fabs(std::arg(g)) * 180.0 / std::numbers::pi);
    }
    return s;
}

// The whole transform of one sweep as a view repeats it: resampling onto the
// harmonic grid, the extrapolation to DC, the window, the inverse FFT, the
// impulse, step and impedance arrays and the peak list. The object keeps its
// plan and buffers from one sweep to the next.
void BM_TimeDomain(benchmark::State& state) {
    const TimeDomainSweep sweep = CableSweep(static_cast<int>(state.range(0)));
    TimeDomainTransform transform;
    const TimeDomainOptions options;
    std::size_t bins = 0;
    for (auto _ : state) {
        const TimeDomainResult r = transform.reflection(sweep, options);
        bins = r.response->Impulse.size();
        benchmark::DoNotOptimize(r.response->Peaks.data());
    }
    state.counters["time_bins"] = static_cast<double>(bins);
}

// The same made afresh each time: the plan and the window's weights too.
void BM_TimeDomainCold(benchmark::State& state) {
    const TimeDomainSweep sweep = CableSweep(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const TimeDomainResult r = ReflectionTimeDomain(sweep, {});
        benchmark::DoNotOptimize(r.response->Peaks.data());
    }
}

// The sign of the reactance of the same sweep (a load behind cable: 36
// stretches between the zeros of |Im G|), as the window repeats it on every
// tick with one finder kept.
void BM_ReactanceSigns(benchmark::State& state) {
    const TimeDomainSweep sweep = CableSweep(static_cast<int>(state.range(0)));
    ReactanceSignFinder finder;
    std::size_t known = 0;
    for (auto _ : state) {
        const ReactanceSigns r = finder.signs(sweep);
        known = static_cast<std::size_t>(std::count_if(r.Signs.begin(), r.Signs.end(), [](auto s) {
            return s != ReactanceSign::Unknown;
        }));
        benchmark::DoNotOptimize(r.Signs.data());
    }
    state.counters["known_share"] = static_cast<double>(known) / static_cast<double>(state.range(0));
}

}  // namespace

BENCHMARK(BM_ReactanceSigns)->Arg(6000)->Arg(32767)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TimeDomain)->Arg(6000)->Arg(32767)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TimeDomainCold)->Arg(6000)->Arg(32767)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
