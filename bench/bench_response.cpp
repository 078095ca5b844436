// Time of one response-graph redraw: the selected channel and its partner, each with ten peaking
// bands and a 48 dB/oct high-pass and low-pass, evaluated with the precomputed grid tables and with the
// straightforward point-by-point evaluation.
#include "orvix/rev8001lib.h"

#include <benchmark/benchmark.h>

#include "redrawcase.h"

namespace {

void Redraw(benchmark::State& state, int bReference) {
    CRev8001Lib lib;
    lib.WriteDefaults();
    FillRedrawChannel(lib, 2);
    FillRedrawChannel(lib, 3);
    lib.SetReferenceEvaluation(bReference);
    for (auto _ : state) {
        lib.CalcChannelResponse(1, 3, 1);
        benchmark::DoNotOptimize(lib.GetResponse()[100]);
        lib.CalcChannelResponse(1, 2, 1);
        benchmark::DoNotOptimize(lib.GetResponse()[100]);
        benchmark::ClobberMemory();
    }
}

void BM_RedrawTwoChannels(benchmark::State& state) {
    Redraw(state, 0);
}
void BM_RedrawTwoChannelsReference(benchmark::State& state) {
    Redraw(state, 1);
}

BENCHMARK(BM_RedrawTwoChannels)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RedrawTwoChannelsReference)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
