#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "instrument/protocol.h"

namespace {

// A full-length sweep reply with every reading valid and a few corrupt high
// parts, so both branches of the decoder run.
std::vector<std::uint8_t> MakeReply(std::int32_t champ) {
    std::vector<std::uint8_t> reply(static_cast<std::size_t>(ReplyBytes(champ)));
    for (std::size_t i = 0; i < reply.size(); ++i) {
        const bool high = i % 2 == 1;
        reply[i] = static_cast<std::uint8_t>(high ? (i % 97 == 1 ? 200 : i % 4) : i * 37);
    }
    return reply;
}

void BM_DecodeSweepReply(benchmark::State& state) {
    const auto champ = static_cast<std::int32_t>(state.range(0));
    const std::vector<std::uint8_t> reply = MakeReply(champ);
    std::vector<float> phase(static_cast<std::size_t>(champ) + 1);
    std::vector<float> magnitude(static_cast<std::size_t>(champ) + 1);
    for (auto _ : state) {
        DecodeSweepReply(reply.data(), reply.size(), phase.data(), magnitude.data(), champ);
        benchmark::DoNotOptimize(phase.data());
        benchmark::DoNotOptimize(magnitude.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * champ);
}

}  // namespace

BENCHMARK(BM_DecodeSweepReply)->Arg(500)->Arg(6000)->Arg(8191)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
