#include "settingsmodel.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "comm/trace.h"
#include "orvix/valuelaws.h"

const std::uint8_t ROUTING_PRESETS[MLB8_INPUT_KINDS][MLB8_ARCHITECTURES][MLB8_CHANNELS] = {
    {// 5.1 wired
     {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
     {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
     {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
     {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
     {0x01, 0x02, 0x01, 0x02, 0x04, 0x08, 0x10, 0x20}},
    {// 4 wired
     {0x01, 0x02, 0x01, 0x02, 0x00, 0x00, 0x0C, 0x0C},
     {0x01, 0x02, 0x01, 0x02, 0x01, 0x02, 0x0C, 0x0C},
     {0x01, 0x02, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C},
     {0x01, 0x02, 0x04, 0x08, 0x00, 0x00, 0x03, 0x03},
     {0x01, 0x02, 0x01, 0x02, 0x04, 0x08, 0x03, 0x03}},
    {// 2 wired
     {0x01, 0x02, 0x01, 0x02, 0x00, 0x00, 0x03, 0x03},
     {0x01, 0x02, 0x01, 0x02, 0x01, 0x02, 0x03, 0x03},
     {0x01, 0x02, 0x00, 0x00, 0x00, 0x00, 0x03, 0x03},
     {0x01, 0x02, 0x01, 0x02, 0x00, 0x00, 0x03, 0x03},
     {0x01, 0x02, 0x01, 0x02, 0x01, 0x02, 0x03, 0x03}},
    {// AUX
     {0x01, 0x02, 0x01, 0x02, 0x00, 0x00, 0x03, 0x03},
     {0x01, 0x02, 0x01, 0x02, 0x01, 0x02, 0x03, 0x03},
     {0x01, 0x02, 0x00, 0x00, 0x00, 0x00, 0x03, 0x03},
     {0x01, 0x02, 0x01, 0x02, 0x00, 0x00, 0x03, 0x03},
     {0x01, 0x02, 0x01, 0x02, 0x01, 0x02, 0x03, 0x03}},
    {// numerical
     {0x40, 0x80, 0x40, 0x80, 0x00, 0x00, 0xC0, 0xC0},
     {0x40, 0x80, 0x40, 0x80, 0x40, 0x80, 0xC0, 0xC0},
     {0x40, 0x80, 0x00, 0x00, 0x00, 0x00, 0xC0, 0xC0},
     {0x40, 0x80, 0x40, 0x80, 0x00, 0x00, 0xC0, 0xC0},
     {0x40, 0x80, 0x40, 0x80, 0x40, 0x80, 0xC0, 0xC0}},
};

const float SENS_LOW_TABLE[MLB8_MAX_SENSITIVITY + 1] = {1.238f, 1.387f, 1.555f, 1.743f, 1.951f,
                                                        2.186f, 2.45f,  2.749f, 3.085f, 3.457f,
                                                        3.875f, 4.347f, 4.891f, 5.479f};
const float SENS_HIGH_TABLE[MLB8_MAX_SENSITIVITY + 1] = {4.8f,  5.4f,  6.2f,  6.8f,  7.6f,  8.6f,  9.6f,
                                                         10.8f, 12.2f, 13.6f, 15.2f, 17.0f, 19.2f, 21.6f};

float SensitivityVolts(int nIndex, int bHighLevel) {
    const int nEntry = MLB8_MAX_SENSITIVITY - std::clamp(nIndex, 0, MLB8_MAX_SENSITIVITY);
    return bHighLevel ? SENS_HIGH_TABLE[nEntry] : SENS_LOW_TABLE[nEntry];
}

CSettingsModel::CSettingsModel() {
    ResetMapsToDefault();
}

int CSettingsModel::GetChannelMapBytes(int nChannel, std::uint8_t* pBytes) const {
    if (!pBytes) return 0;
    if (nChannel >= 0 && nChannel < MLB8_CHANNELS) {
        pBytes[0] = m_MapM[nChannel];
        pBytes[1] = m_MapA[nChannel];
        pBytes[2] = m_MapD[nChannel];
        return 3;
    }
    if (nChannel != 9) return 0;
    for (int c = 0; c < MLB8_CHANNELS; ++c) {
        pBytes[3 * c] = m_MapM[c];
        pBytes[3 * c + 1] = m_MapA[c];
        pBytes[3 * c + 2] = m_MapD[c];
    }
    return 24;
}

std::uint8_t CSettingsModel::PackFlags(const int* pFlags) {
    std::uint8_t nBits = 0;
    for (int n = 0; n < MLB8_CHANNELS; ++n)
        if (pFlags[n]) nBits = static_cast<std::uint8_t>(nBits | (1u << n));
    return nBits;
}

void CSettingsModel::ResetMapsToDefault() {
    std::memcpy(m_MapM, ROUTING_PRESETS[INPUT_51_WIRED][ARCH_51], MLB8_CHANNELS);
    std::memcpy(m_MapA, ROUTING_PRESETS[INPUT_AUX][ARCH_51], MLB8_CHANNELS);
    std::memcpy(m_MapD, ROUTING_PRESETS[INPUT_NUMERICAL][ARCH_51], MLB8_CHANNELS);
}

void CSettingsModel::MouseLbtnEventDisable(int bDisable) {
    m_bMouseLbtnEventBlock = bDisable;
    TRACE("\r\n ############ MouseLbtnEventDisable m_bMouseLbtnEventBlock[%d] ", bDisable);
}

float CSettingsModel::DelayMsFromSamples(std::uint16_t nSamples) {
    return static_cast<float>(SamplesToMs(nSamples));
}

int CSettingsModel::VolumeFromDb(double fDb) {
    return LevelStepFromDb(fDb);
}

double CSettingsModel::DbFromVolume(int nVolume) {
    return DbFromLevelStep(nVolume);
}

void CSettingsModel::WriteStartupDefaults() {
    m_Lib.WriteDefaults();
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch) {
        m_nXoverType[ch][0] = 0;
        m_nXoverType[ch][1] = 0;
        m_bXoverEnable[ch] = 0;
        SFilterCoef low = m_Lib.GetXoverCoef(static_cast<std::uint8_t>(ch), CRev8001Lib::XOVER_LOWPASS);
        low.Filtertype = FT_OFF;
        low.Slop = 0;
        low.Freq = 5000;
        m_Lib.SetXoverCoef(static_cast<std::uint8_t>(ch), CRev8001Lib::XOVER_LOWPASS, low);
        SFilterCoef high = m_Lib.GetXoverCoef(static_cast<std::uint8_t>(ch), CRev8001Lib::XOVER_HIGHPASS);
        high.Filtertype = FT_OFF;
        high.Slop = 0;
        high.Freq = 500;
        m_Lib.SetXoverCoef(static_cast<std::uint8_t>(ch), CRev8001Lib::XOVER_HIGHPASS, high);
    }
}
