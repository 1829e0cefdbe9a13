#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "measure/conversion.h"
#include "measure/trace_geometry.h"
#include "support.h"

namespace {

// One full redraw as the tick does it: the phase and loss pass (with the
// best-match search), then the impedance pass converting every point, all
// six traces on. The buffers are reused as the window reuses them.
void BM_FullTracePass(benchmark::State& state) {
    const auto champ = static_cast<std::int32_t>(state.range(0));
    std::vector<float> magnitude(static_cast<std::size_t>(champ) + 1);
    std::vector<float> phase(static_cast<std::size_t>(champ) + 1);
    for (std::int32_t i = 1; i <= champ; ++i) {
        magnitude[static_cast<std::size_t>(i)] = static_cast<float>((i * 37) % 1024);
        phase[static_cast<std::size_t>(i)] = static_cast<float>((i * 101) % 1024);
    }
    const TracePass pass = BenchSupport::SixTracePass(magnitude.data(), phase.data(), champ);
    BenchSupport::TimeTracePasses(state, pass, false);
}

// The conversion alone, for comparison with the pass above.
void BM_ConvertPoint(benchmark::State& state) {
    float n = 0.0f;
    for (auto _ : state) {
        PointValues v = ConvertPoint(n, 1023.0f - n, 0.5f, 1.0);
        benchmark::DoNotOptimize(v);
        n = n >= 1023.0f ? 0.0f : n + 1.0f;
    }
}

}  // namespace

BENCHMARK(BM_FullTracePass)->Arg(6000)->Arg(32767)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ConvertPoint);

BENCHMARK_MAIN();
