// Ranges of the editor's settings model that hold whatever the model was fed.
#pragma once

#include <cmath>

#include "fuzz/fuzzcheck.h"
#include "orvix/settingsmodel.h"

namespace FuzzCheck {

// The model holds only values the editor can show, whatever it was fed.
inline void CheckModelRanges(const CSettingsModel& m) {
    FUZZ_CHECK(m.m_nCurPreset >= 0 && m.m_nCurPreset <= 3);
    FUZZ_CHECK(m.m_nMainVolume >= 0 && m.m_nMainVolume <= MLB8_MAX_VOLUME);
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch) {
        FUZZ_CHECK(m.m_nVolume[ch] >= 0 && m.m_nVolume[ch] <= MLB8_MAX_VOLUME);
        FUZZ_CHECK(IsFlag(m.m_bPhase[ch]) && IsFlag(m.m_bMute[ch]));
        FUZZ_CHECK(IsFlag(m.m_bEqEnable[ch]) && IsFlag(m.m_bXoverEnable[ch]));
        FUZZ_CHECK(m.m_nDelay[ch] <= MLB8_MAX_DELAY);
        FUZZ_CHECK(std::isfinite(m.m_fDelayMs[ch]) && m.m_fDelayMs[ch] >= 0.0f &&
                   m.m_fDelayMs[ch] <= MLB8_MAX_DELAY / 48.0f + 0.001f);
    }
    FUZZ_CHECK(IsFlag(m.m_bEasyExp));
    FUZZ_CHECK(IsFlag(m.m_bEasyConfigInputHighLow) && IsFlag(m.m_bExpertConfigInputHighLow));
    FUZZ_CHECK(m.m_nDSPInput >= 0 && m.m_nDSPInput < MLB8_INPUT_KINDS);
    FUZZ_CHECK(m.m_nDSPExpInput >= 0 && m.m_nDSPExpInput <= 2);
    for (int k = 0; k < MLB8_INPUT_KINDS; ++k)
        FUZZ_CHECK(m.m_nDSPOutput[k] >= 0 && m.m_nDSPOutput[k] < MLB8_ARCHITECTURES);
    FUZZ_CHECK(m.m_nEasyConfigInputSensitivity >= 0 &&
               m.m_nEasyConfigInputSensitivity <= MLB8_MAX_SENSITIVITY);
    for (int i = 0; i < MLB8_MAIN_INPUTS; ++i)
        FUZZ_CHECK(m.m_nInputSensitivityMain[i] >= 0 && m.m_nInputSensitivityMain[i] <= MLB8_MAX_SENSITIVITY);
    for (int i = 0; i < MLB8_AUX_INPUTS; ++i)
        FUZZ_CHECK(m.m_nInputSensitivityAux[i] >= 0 && m.m_nInputSensitivityAux[i] <= MLB8_MAX_SENSITIVITY);

    for (std::uint8_t ch = 0; ch < MLB8_CHANNELS; ++ch) {
        FUZZ_CHECK(m.m_Lib.GetEqFlag(ch) == m.m_bEqEnable[ch]);
        FUZZ_CHECK(m.m_Lib.GetXoverFlag(ch) == m.m_bXoverEnable[ch]);
        FUZZ_CHECK(IsFlag(m.m_Lib.GetVeqFlag(ch)));
        for (std::uint8_t b = 0; b < CRev8001Lib::EQ_BANDS; ++b) {
            const SFilterCoef c = m.m_Lib.GetEqCoef(ch, b);
            FUZZ_CHECK(c.Freq >= 16 && c.Freq <= 20000);
            FUZZ_CHECK(c.Gain >= -15 && c.Gain <= 15);
            const float fQ = c.BandWidth;
            FUZZ_CHECK(fQ >= 1.0f && fQ <= 10.0f);
        }
        for (std::uint8_t f = 0; f < CRev8001Lib::XOVER_FILTERS; ++f) {
            const SFilterCoef c = m.m_Lib.GetXoverCoef(ch, f);
            FUZZ_CHECK(c.Freq >= 16 && c.Freq <= 20000);
            FUZZ_CHECK(c.Slop <= 7);
            const float fQ = c.BandWidth;
            FUZZ_CHECK(fQ == 0.577f || fQ == 0.707f);
        }
    }
}

// The drawn curve stays finite for every record the store can hold.
inline void CheckResponse(const CRev8001Lib& lib) {
    const double* p = lib.GetResponse();
    FUZZ_CHECK(p != nullptr);
    for (int i = 0; i < lib.GetResponseCount(); ++i)
        FUZZ_CHECK(std::isfinite(p[i]));
}

} // namespace FuzzCheck
