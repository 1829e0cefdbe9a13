#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "limits/limits.h"

namespace {

SweepExportInput Sweep(std::vector<float>& magnitude, std::vector<float>& phase,
                       std::int32_t champ) {
    magnitude.assign(static_cast<std::size_t>(champ) + 1, 0.0f);
    phase.assign(static_cast<std::size_t>(champ) + 1, 0.0f);
    for (std::int32_t i = 1; i <= champ; ++i) {
        magnitude[static_cast<std::size_t>(i)] = static_cast<float>((i * 37) % 1024);
        phase[static_cast<std::size_t>(i)] = static_cast<float>((i * 101) % 1024);
    }
    SweepExportInput sweep;
    sweep.MagnitudeSamples = magnitude;
    sweep.PhaseSamples = phase;
    sweep.Champ = champ;
    sweep.FMin = 1e6f;
    sweep.FMax = 30e6f;
    return sweep;
}

// Both example files' worth: SWR, loss ceilings and floors, one sloped.
LimitSet Limits() {
    return *ParseLimits(
                "swr max 7.0 1.5 7.2 1.5\nloss min 7.05 14 7.15 14\nloss min 1 40 5 40\n"
                "loss max 7 1 7.2 1\nloss min 10 40 30 40\nz max 1 200 30 50\n")
                .limits;
}

// What the window's indicator does every tick: the six values of every point
// of the sweep, into values kept from tick to tick, then the verdict of the
// limits on them.
void BM_LimitsTick(benchmark::State& state) {
    std::vector<float> magnitude, phase;
    const SweepExportInput sweep =
        Sweep(magnitude, phase, static_cast<std::int32_t>(state.range(0)));
    const LimitSet limits = Limits();
    LimitTraceValues values;
    for (auto _ : state) {
        LimitTraceValuesOf(sweep, values);
        const LimitVerdict v = EvaluateLimits(limits, values);
        benchmark::DoNotOptimize(v.pass);
    }
}

// The same with the values made afresh every tick.
void BM_LimitsTickFresh(benchmark::State& state) {
    std::vector<float> magnitude, phase;
    const SweepExportInput sweep =
        Sweep(magnitude, phase, static_cast<std::int32_t>(state.range(0)));
    const LimitSet limits = Limits();
    for (auto _ : state) {
        const LimitVerdict v = EvaluateLimits(limits, LimitTraceValuesOf(sweep));
        benchmark::DoNotOptimize(v.pass);
    }
}

// The verdict alone, on values worked out once.
void BM_LimitsVerdict(benchmark::State& state) {
    std::vector<float> magnitude, phase;
    const SweepExportInput sweep =
        Sweep(magnitude, phase, static_cast<std::int32_t>(state.range(0)));
    const LimitSet limits = Limits();
    const LimitTraceValues values = LimitTraceValuesOf(sweep);
    for (auto _ : state) {
        const LimitVerdict v = EvaluateLimits(limits, values);
        benchmark::DoNotOptimize(v.pass);
    }
}

}  // namespace

BENCHMARK(BM_LimitsTick)->Arg(6000)->Arg(32767)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LimitsTickFresh)->Arg(6000)->Arg(32767)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LimitsVerdict)->Arg(6000)->Arg(32767)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
