// Time of one response-graph redraw: the selected channel and its partner, each with ten peaking
// bands and a 48 dB/oct high-pass and low-pass, evaluated with the precomputed grid tables and with the
// straightforward point-by-point evaluation.
#include "orvix/complexresponse.h"
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

// The system view's work for one redraw: the complex responses of all eight outputs, with level,
// polarity and delay, and the complex sum of four of them. The redraw period is 50 ms.
void BM_SystemEightOutputsAndSum(benchmark::State& state) {
    CRev8001Lib lib;
    lib.WriteDefaults();
    for (std::uint8_t ch = 0; ch < CRev8001Lib::CHANNELS; ++ch)
        FillRedrawChannel(lib, ch);
    ZUtils::ZComplexCurve curves[CRev8001Lib::CHANNELS];
    ZUtils::ZComplexCurve sum;
    for (auto _ : state) {
        for (int ch = 0; ch < CRev8001Lib::CHANNELS; ++ch)
            ZUtils::CalcOutputResponse(lib, 1, ch, 1, {-2.0 * ch, ch % 2, 40 * ch}, &curves[ch]);
        ZUtils::ZComplexSum total;
        for (int ch : {0, 2, 4, 6})
            total.Add(curves[ch]);
        total.Result(&sum);
        benchmark::DoNotOptimize(sum.m_fDb[100]);
        benchmark::ClobberMemory();
    }
    // Time per redraw over the period: (seconds / iterations) / 0.050.
    state.counters["fraction_of_50ms"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * 0.050,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_RedrawTwoChannels)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RedrawTwoChannelsReference)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SystemEightOutputsAndSum)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
