// Time of one response-graph redraw: the selected channel and its partner, each with ten peaking
// bands and a 48 dB/oct high-pass and low-pass, evaluated with the precomputed grid tables and with the
// straightforward point-by-point evaluation.
#include "orvix/rev8001lib.h"

#include <benchmark/benchmark.h>

namespace {

void FillChannel(CRev8001Lib& lib, std::uint8_t nChannel) {
    static constexpr std::int8_t kGain[CRev8001Lib::EQ_BANDS] = {6, -3, 4, -8, 2, 9, -5, 3, -2, 7};
    for (std::uint8_t nBand = 0; nBand < CRev8001Lib::EQ_BANDS; ++nBand) {
        SFilterCoef band{};
        band.Filtertype = FT_PEAKING;
        band.Gain = static_cast<std::int8_t>(kGain[nBand] + nChannel);
        band.BandWidth = 0.5f + 0.4f * nBand;
        band.Freq = CRev8001Lib::DEFAULT_EQ_FREQ[nBand];
        lib.SetEqCoef(nChannel, nBand, band);
    }
    SFilterCoef xover{};
    xover.Filtertype = FT_HIGHPASS;
    xover.Slop = 7;
    xover.BandWidth = 0.577f;
    xover.Freq = 80;
    lib.SetXoverCoef(nChannel, CRev8001Lib::XOVER_HIGHPASS, xover);
    xover.Filtertype = FT_LOWPASS;
    xover.Freq = 12000;
    lib.SetXoverCoef(nChannel, CRev8001Lib::XOVER_LOWPASS, xover);
}

void Redraw(benchmark::State& state, int bReference) {
    CRev8001Lib lib;
    lib.WriteDefaults();
    FillChannel(lib, 2);
    FillChannel(lib, 3);
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
