// The equalizer fit on the processor's steps over the whole range (20 Hz .. 20 kHz): a measurement
// that is a flat target less five bells the bands can hold, with +-0.3 dB of noise. The fit has to
// finish well within two seconds; the continuous fit rounded at the end is measured beside it.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "orvix/filtersection.h"
#include "tuning/eqfit.h"
#include "tuning/measurement.h"

namespace {

SEqFitInput FiveBells() {
    struct SBell {
        int nFreq, nGain;
        float fBandWidth;
    };
    const SBell bells[] = {
        {60, -7, 3.0f}, {250, 4, 4.0f}, {1100, -5, 2.0f}, {3500, 3, 6.0f}, {9000, -6, 2.5f}};
    SEqFitInput in;
    in.target = FlatTarget();
    in.xover.assign(RESPONSE_POINTS, 0.0);
    in.measured.assign(RESPONSE_POINTS, 0.0);
    for (const SBell& b : bells) {
        SFilterCoef c{};
        c.Filtertype = FT_PEAKING;
        c.Freq = static_cast<std::uint16_t>(b.nFreq);
        c.Gain = static_cast<std::int8_t>(b.nGain);
        c.BandWidth = b.fBandWidth;
        ZUtils::SBiquad q;
        ZUtils::DesignSection(c, 0, &q);
        std::vector<double> curve(RESPONSE_POINTS, 0.0);
        ZUtils::AddSectionCurve(q, curve.data());
        for (std::size_t i = 0; i < curve.size(); ++i)
            in.measured[i] -= curve[i];
    }
    std::uint32_t n = 1;
    for (double& v : in.measured) {
        n = n * 1664525u + 1013904223u;
        v += 0.3 * (2.0 * (n >> 8) / double(1u << 24) - 1.0);
    }
    return in;
}

template <SEqFitResult (*Fit)(const SEqFitInput&, const SEqFitSettings&)>
void BM_Fit(benchmark::State& state) {
    const SEqFitInput in = FiveBells();
    const SEqFitSettings settings;
    SEqFitResult r;
    for (auto _ : state) {
        r = Fit(in, settings);
        benchmark::DoNotOptimize(r);
    }
    state.counters["rms_before_dB"] = r.fRmsBefore;
    state.counters["rms_after_dB"] = r.fRmsAfter;
    state.counters["bands"] = r.nUsed;
}

} // namespace

BENCHMARK(BM_Fit<FitEqualizer>)->Name("BM_FitOnSteps_20Hz_20kHz")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fit<FitContinuousThenRound>)
    ->Name("BM_FitContinuousThenRound_20Hz_20kHz")
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
