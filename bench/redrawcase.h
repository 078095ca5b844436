// The channel a redraw benchmark draws: ten peaking bands and a 48 dB/oct high-pass and low-pass.
#pragma once

#include "orvix/rev8001lib.h"

inline void FillRedrawChannel(CRev8001Lib& lib, std::uint8_t nChannel) {
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
