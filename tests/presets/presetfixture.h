// The shared pieces of the preset file tests (tests/presets, the file commands in tests/editor and
// mlb8ctl's in tests/tools): a scratch folder, whole files as text, a configuration with every field
// away from its start-up value, and the comparisons of two configurations field by field.
#pragma once

#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "orvix/settingsmodel.h"
#include "presets/presetkeys.h"
#include "presets/profile.h"
#include "tests/common/filterrecord.h"
#include "tests/common/textfiles.h"

namespace PresetFixture {

using TestFiles::ReadText;
using TestFiles::WriteText;

// A fresh folder per test, removed afterwards.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = testing::TempDir() + "presetfile_XXXXXX";
        m_Path = ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(m_Path, ec);
    }
    std::string operator/(const std::string& name) const { return m_Path + "/" + name; }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(m_Path))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    const std::string& Path() const { return m_Path; }

private:
    std::string m_Path;
};

// Every field a preset file carries, compared between two models.
inline std::vector<std::string> Differences(const CSettingsModel& a, const CSettingsModel& b) {
    std::vector<std::string> diff;
    auto check = [&](bool bSame, const std::string& what) {
        if (!bSame) diff.push_back(what);
    };
    check(a.m_nCurPreset == b.m_nCurPreset, "preset");
    check(a.m_nMainVolume == b.m_nMainVolume, "main volume");
    check(a.m_bEasyExp == b.m_bEasyExp, "mode");
    check(a.m_nDSPInput == b.m_nDSPInput, "input kind");
    check(a.m_nDSPExpInput == b.m_nDSPExpInput, "expert input");
    check(a.m_bEasyConfigInputHighLow == b.m_bEasyConfigInputHighLow, "high level");
    check(a.m_bExpertConfigInputHighLow == b.m_bExpertConfigInputHighLow, "high level expert");
    check(a.m_nEasyConfigInputSensitivity == b.m_nEasyConfigInputSensitivity, "easy sensitivity");
    for (int i = 0; i < MLB8_MAIN_INPUTS; ++i)
        check(a.m_nInputSensitivityMain[i] == b.m_nInputSensitivityMain[i],
              "main sensitivity " + std::to_string(i));
    for (int i = 0; i < MLB8_AUX_INPUTS; ++i)
        check(a.m_nInputSensitivityAux[i] == b.m_nInputSensitivityAux[i],
              "aux sensitivity " + std::to_string(i));
    for (int k = 0; k < MLB8_INPUT_KINDS; ++k)
        check(a.m_nDSPOutput[k] == b.m_nDSPOutput[k], "output " + std::to_string(k));
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch) {
        const std::string n = " ch" + std::to_string(ch);
        const auto c = static_cast<std::uint8_t>(ch);
        check(a.m_nVolume[ch] == b.m_nVolume[ch], "volume" + n);
        check(a.m_bPhase[ch] == b.m_bPhase[ch], "phase" + n);
        check(a.m_bMute[ch] == b.m_bMute[ch], "mute" + n);
        check(a.m_MapM[ch] == b.m_MapM[ch] && a.m_MapA[ch] == b.m_MapA[ch] && a.m_MapD[ch] == b.m_MapD[ch],
              "map" + n);
        check(a.m_bEqEnable[ch] == b.m_bEqEnable[ch] && a.m_Lib.GetEqFlag(c) == b.m_Lib.GetEqFlag(c),
              "eq flag" + n);
        check(a.m_bXoverEnable[ch] == b.m_bXoverEnable[ch] &&
                  a.m_Lib.GetXoverFlag(c) == b.m_Lib.GetXoverFlag(c),
              "xover flag" + n);
        check(a.m_nXoverType[ch][0] == b.m_nXoverType[ch][0] &&
                  a.m_nXoverType[ch][1] == b.m_nXoverType[ch][1],
              "xover type" + n);
        check(a.m_nDelay[ch] == b.m_nDelay[ch] && a.m_fDelayMs[ch] == b.m_fDelayMs[ch], "delay" + n);
        for (int band = 0; band < CRev8001Lib::EQ_BANDS; ++band) {
            const SFilterCoef x = a.m_Lib.GetEqCoef(c, static_cast<std::uint8_t>(band));
            const SFilterCoef y = b.m_Lib.GetEqCoef(c, static_cast<std::uint8_t>(band));
            check(std::memcmp(&x, &y, sizeof x) == 0, "eq band " + std::to_string(band) + n);
        }
        for (int f = 0; f < 2; ++f) {
            const SFilterCoef x = a.m_Lib.GetXoverCoef(c, static_cast<std::uint8_t>(f));
            const SFilterCoef y = b.m_Lib.GetXoverCoef(c, static_cast<std::uint8_t>(f));
            check(std::memcmp(&x, &y, sizeof x) == 0, "xover filter " + std::to_string(f) + n);
        }
    }
    return diff;
}

// Every value the editor works with lies within its range.
inline std::vector<std::string> RangeViolations(const CSettingsModel& m) {
    std::vector<std::string> bad;
    auto in = [&](long long v, long long lo, long long hi, const std::string& what) {
        if (v < lo || v > hi) bad.push_back(what + "=" + std::to_string(v));
    };
    auto inF = [&](float f, float lo, float hi, const std::string& what) {
        if (!(f >= lo && f <= hi)) bad.push_back(what + "=" + std::to_string(f));
    };
    in(m.m_nCurPreset, 0, 3, "preset");
    in(m.m_nMainVolume, 0, 128, "main volume");
    for (int v : {m.m_bEasyExp, m.m_bEasyConfigInputHighLow, m.m_bExpertConfigInputHighLow})
        in(v, 0, 1, "mode flag");
    in(m.m_nDSPInput, 0, 4, "input");
    in(m.m_nDSPExpInput, 0, 2, "expert input");
    in(m.m_nEasyConfigInputSensitivity, 0, 13, "easy sensitivity");
    for (int v : m.m_nInputSensitivityMain)
        in(v, 0, 13, "main sensitivity");
    for (int v : m.m_nInputSensitivityAux)
        in(v, 0, 13, "aux sensitivity");
    for (int v : m.m_nDSPOutput)
        in(v, 0, 4, "output");
    in(m.m_nDSPOutput[0], 4, 4, "output 0");
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch) {
        const auto c = static_cast<std::uint8_t>(ch);
        in(m.m_nVolume[ch], 0, 128, "volume");
        for (int v : {m.m_bPhase[ch], m.m_bMute[ch], m.m_bEqEnable[ch], m.m_bXoverEnable[ch]})
            in(v, 0, 1, "flag");
        in(m.m_nDelay[ch], 0, 8191, "delay");
        inF(m.m_fDelayMs[ch], 0.0f, 22.0f, "delay ms");
        for (int b = 0; b < CRev8001Lib::EQ_BANDS; ++b) {
            const SFilterCoef k = m.m_Lib.GetEqCoef(c, static_cast<std::uint8_t>(b));
            in(k.Filtertype, 0, 3, "eq type");
            in(k.Gain, -15, 15, "eq gain");
            inF(k.BandWidth, 1.0f, 10.0f, "eq q");
            in(k.Freq, 16, 20000, "eq freq");
        }
        const SFilterCoef hp = m.m_Lib.GetXoverCoef(c, 0), lp = m.m_Lib.GetXoverCoef(c, 1);
        if (hp.Filtertype != 0 && hp.Filtertype != 3) bad.push_back("hp type");
        if (lp.Filtertype != 0 && lp.Filtertype != 2) bad.push_back("lp type");
        for (const SFilterCoef& x : {hp, lp}) {
            in(x.Slop, 0, 7, "slope");
            in(x.Freq, 16, 20000, "xover freq");
            if (x.BandWidth != 0.577f && x.BandWidth != 0.707f) bad.push_back("xover q");
        }
    }
    return bad;
}

// A configuration with every field away from its start-up value, within the reader's limits.
inline void SetAwayFromDefaults(CSettingsModel& m) {
    m.WriteStartupDefaults();
    m.m_nCurPreset = 2;
    m.m_nMainVolume = 77;
    m.m_bEasyExp = 1;
    m.m_nDSPInput = 2;
    m.m_nDSPExpInput = 1;
    m.m_bEasyConfigInputHighLow = 1;
    m.m_bExpertConfigInputHighLow = 1;
    m.m_nEasyConfigInputSensitivity = 3;
    for (int i = 0; i < MLB8_MAIN_INPUTS; ++i)
        m.m_nInputSensitivityMain[i] = i;
    m.m_nInputSensitivityAux[0] = 7;
    m.m_nInputSensitivityAux[1] = 13;
    const int outputs[MLB8_INPUT_KINDS] = {4, 0, 1, 2, 3};
    std::copy(std::begin(outputs), std::end(outputs), m.m_nDSPOutput);
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch) {
        const auto c = static_cast<std::uint8_t>(ch);
        m.m_nVolume[ch] = 100 + ch;
        m.m_bPhase[ch] = ch % 2;
        m.m_bMute[ch] = ch % 3 == 0;
        m.m_MapM[ch] = static_cast<std::uint8_t>(0x11 * ch + 0x3F);
        m.m_MapA[ch] = static_cast<std::uint8_t>(0xFF - ch);
        m.m_MapD[ch] = static_cast<std::uint8_t>(ch << 5 | 1);
        m.m_bEqEnable[ch] = ch % 2 == 0;
        m.m_Lib.SetEqFlag(c, m.m_bEqEnable[ch]);
        m.m_bXoverEnable[ch] = ch != 3;
        m.m_Lib.SetXoverFlag(c, m.m_bXoverEnable[ch]);
        for (int b = 0; b < CRev8001Lib::EQ_BANDS; ++b) {
            const SFilterCoef k = FilterRecord::Coef(static_cast<std::uint8_t>(b % 3 + 1), (b - 5) * 3,
                                                     1.5f + 0.25f * static_cast<float>(b + ch),
                                                     static_cast<std::uint16_t>(20 + 1000 * b + ch));
            m.m_Lib.SetEqCoef(c, static_cast<std::uint8_t>(b), k);
        }
        const SFilterCoef hp = FilterRecord::Xover(FT_HIGHPASS, ch, static_cast<std::uint16_t>(60 + ch));
        const SFilterCoef lp =
            FilterRecord::Xover(ch % 2 ? FT_OFF : FT_LOWPASS, 7 - ch, static_cast<std::uint16_t>(19000 - ch),
                                ch % 2 ? 0.707f : 0.577f);
        m.m_Lib.SetXoverCoef(c, CRev8001Lib::XOVER_HIGHPASS, hp);
        m.m_Lib.SetXoverCoef(c, CRev8001Lib::XOVER_LOWPASS, lp);
        m.m_nXoverType[ch][0] = lp.Filtertype;
        m.m_nXoverType[ch][1] = hp.Filtertype;
        m.m_nDelay[ch] = static_cast<std::uint16_t>(ch * 140 + 7); // up to 20.7 ms
        m.m_fDelayMs[ch] = CSettingsModel::DelayMsFromSamples(m.m_nDelay[ch]);
    }
}

// The date stamp every written file carries here: 9 March 2026, 17:05:42.
inline std::tm Stamp() {
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 2;
    t.tm_mday = 9;
    t.tm_hour = 17;
    t.tm_min = 5;
    t.tm_sec = 42;
    return t;
}

// The text of the preset file of a configuration, with that stamp.
inline std::string PresetText(const CSettingsModel& m) {
    ZUtils::ZProfile p;
    WritePresetKeys(p, m, Stamp());
    return p.Text();
}

// The default configuration with out 3's fifth band at 500 Hz -3 dB Q 2.5.
inline void SetDiffBase(CSettingsModel& m) {
    m.WriteStartupDefaults();
    m.m_Lib.SetEqCoef(2, 4, FilterRecord::Peak(500, -3, 2.5f));
}

// A number as the difference lines print it.
inline std::string Printed(const char* pszFormat, double f) {
    char sz[32];
    std::snprintf(sz, sizeof sz, pszFormat, f);
    return sz;
}

} // namespace PresetFixture
