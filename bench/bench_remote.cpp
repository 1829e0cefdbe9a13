#include <benchmark/benchmark.h>

#include <string>

#include "remote/remote_session.h"
#include "support/plain_instrument.h"

namespace {

// TRAC:DATA? SWR of a sweep through the session, from the query's bytes to
// the answer's: the table lookup, the copy of the trace the instrument
// hands over, and every value written by to_chars. SWR values with a
// fraction, as a real sweep has them (whole numbers print faster).
void BM_TraceDataSwr(benchmark::State& state) {
    const auto points = static_cast<std::size_t>(state.range(0));
    PlainInstrument instrument;
    instrument.fill(points, points / 3, 1.0173);
    // 32-bit values, as the window computes them.
    for (double& v : instrument.traces[static_cast<std::size_t>(TraceKind::Swr)]) {
        v = static_cast<double>(static_cast<float>(v));
    }
    RemoteSession session(instrument);
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string answer = session.receive("TRAC:DATA? SWR\n");
        bytes = answer.size();
        benchmark::DoNotOptimize(answer.data());
    }
    state.counters["answer_bytes"] = static_cast<double>(bytes);
}

// A short query, for the fixed cost of a line.
void BM_StartQuery(benchmark::State& state) {
    PlainInstrument instrument;
    RemoteSession session(instrument);
    for (auto _ : state) {
        const std::string answer = session.receive("SENS:FREQ:STAR?\n");
        benchmark::DoNotOptimize(answer.data());
    }
}

}  // namespace

BENCHMARK(BM_TraceDataSwr)->Arg(6000)->Arg(32767)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StartQuery)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
