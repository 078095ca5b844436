#include "presets/presetdiff.h"

#include <cstdarg>
#include <cstdio>
#include <ctime>

#include "orvix/valuelaws.h"
#include "presets/presetkeys.h"

int SlopeDbPerOctave(int nSlop) {
    return nSlop >= 0 && nSlop <= 7 ? 6 * (nSlop + 1) : 0;
}

std::string SSettingDifference::Line() const {
    return setting + ": " + a + " -> " + b;
}

namespace {

std::string Format(const char* pszFormat, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* pszFormat, ...) {
    char sz[160];
    va_list args;
    va_start(args, pszFormat);
    std::vsnprintf(sz, sizeof sz, pszFormat, args);
    va_end(args);
    return sz;
}

// Names from a table, or the raw number when a value lies outside it.
std::string Named(const char* const* pNames, int nCount, int n) {
    return n >= 0 && n < nCount ? pNames[n] : Format("%d", n);
}

std::string Level(int nVolume) {
    return Format("%.1f dB", CSettingsModel::DbFromVolume(nVolume));
}

std::string Delay(std::uint16_t nSamples) {
    const float fMs = CSettingsModel::DelayMsFromSamples(nSamples);
    return Format("%.3f ms (%.1f cm, %u samples)", static_cast<double>(fMs), static_cast<double>(MsToCm(fMs)),
                  static_cast<unsigned>(nSamples));
}

std::string OnOff(int b) {
    return b ? "on" : "off";
}

// A filter as the window shows it; its stored values are kept visible when it is switched off,
// since they come back when it is switched on. The Q is named only where the two sides differ in it.
std::string Filter(const SFilterCoef& c, bool bCrossover, bool bWithQ) {
    std::string text;
    if (bCrossover)
        text = Format("%u Hz %d dB/oct", c.Freq, SlopeDbPerOctave(c.Slop));
    else
        text = Format("%u Hz %+d dB", c.Freq, c.Gain);
    if (!bCrossover || bWithQ) text += Format(" Q %g", static_cast<double>(c.BandWidth));
    switch (c.Filtertype) {
    case FT_OFF:
        return "off (" + text + ")";
    case FT_PEAKING:
        return bCrossover ? "peaking " + text : text;
    case FT_LOWPASS:
        return bCrossover ? text : "low-pass " + text;
    case FT_HIGHPASS:
        return bCrossover ? text : "high-pass " + text;
    default:
        return Format("type %u ", c.Filtertype) + text;
    }
}

bool SameFilter(const SFilterCoef& x, const SFilterCoef& y, bool bCrossover) {
    return x.Filtertype == y.Filtertype && x.Freq == y.Freq && x.BandWidth == y.BandWidth &&
           (bCrossover ? x.Slop == y.Slop : x.Gain == y.Gain);
}

// The inputs a routing byte sends to an output: bits nFirst.. of the byte are inputs 1..nBits.
std::string Routing(std::uint8_t nByte, int nBits, int nFirst) {
    std::string text;
    for (int bit = 0; bit < nBits; ++bit)
        if ((nByte >> (nFirst + bit)) & 1) text += (text.empty() ? "" : " + ") + std::to_string(bit + 1);
    return text.empty() ? "none" : text;
}

class CDiff {
public:
    explicit CDiff(std::vector<SSettingDifference>& out) : m_Out(out) {}
    // Adds a difference when the values differ; nOutput 0 names the whole processor.
    template <typename T, typename F> void Value(const std::string& setting, int nOutput, T a, T b, F text) {
        if (a != b) m_Out.push_back({setting, nOutput, text(a), text(b)});
    }
    void Texts(const std::string& setting, int nOutput, bool bSame, std::string a, std::string b) {
        if (!bSame) m_Out.push_back({setting, nOutput, std::move(a), std::move(b)});
    }

private:
    std::vector<SSettingDifference>& m_Out;
};

std::string Out(int ch, const char* pszWhat) {
    return Format("Out %d %s", ch + 1, pszWhat);
}

} // namespace

std::vector<SSettingDifference> DiffSettings(const CSettingsModel& a, const CSettingsModel& b) {
    std::vector<SSettingDifference> out;
    CDiff d(out);
    auto number = [](int n) { return std::to_string(n); };
    auto kind = [](int n) { return Named(INPUT_KIND_NAMES, MLB8_INPUT_KINDS, n); };
    auto highLow = [](int bHigh) { return std::string(bHigh ? "high" : "low"); };

    d.Value("Processor preset", 0, a.m_nCurPreset + 1, b.m_nCurPreset + 1, number);
    d.Value("Master level", 0, a.m_nMainVolume, b.m_nMainVolume, Level);
    d.Value("Mode", 0, a.m_bEasyExp != 0, b.m_bEasyExp != 0,
            [](bool bExpert) { return std::string(bExpert ? "expert" : "standard"); });

    // Standard mode: the sensitivity in volts depends on the input and its level on each side.
    d.Value("Standard input", 0, a.m_nDSPInput, b.m_nDSPInput, kind);
    d.Value("Standard input level", 0, a.m_bEasyConfigInputHighLow != 0, b.m_bEasyConfigInputHighLow != 0,
            highLow);
    auto easyVolts = [](const CSettingsModel& m) {
        const bool bHigh = m.m_nDSPInput <= INPUT_2_WIRED && m.m_bEasyConfigInputHighLow;
        return Format("%.1f V",
                      static_cast<double>(SensitivityVolts(m.m_nEasyConfigInputSensitivity, bHigh)));
    };
    d.Texts("Standard sensitivity", 0, a.m_nEasyConfigInputSensitivity == b.m_nEasyConfigInputSensitivity,
            easyVolts(a), easyVolts(b));
    // The architecture the routing really is, where it is not the setting.
    for (int k = 0; k < MLB8_INPUT_KINDS; ++k) {
        const std::string textA = ArchitectureText(a, k), textB = ArchitectureText(b, k);
        d.Texts("Architecture with the " + kind(k) + " input", 0, textA == textB, textA, textB);
    }

    // Expert mode.
    d.Value("Expert input", 0, a.m_nDSPExpInput, b.m_nDSPExpInput,
            [](int n) { return Named(EXPERT_INPUT_NAMES, 3, n); });
    d.Value("Expert input level", 0, a.m_bExpertConfigInputHighLow != 0, b.m_bExpertConfigInputHighLow != 0,
            highLow);
    auto volts = [](int nIndex, int bHigh) {
        return Format("%.1f V", static_cast<double>(SensitivityVolts(nIndex, bHigh)));
    };
    for (int i = 0; i < MLB8_MAIN_INPUTS; ++i)
        d.Texts(Format("Main input %d sensitivity", i + 1), 0,
                a.m_nInputSensitivityMain[i] == b.m_nInputSensitivityMain[i],
                volts(a.m_nInputSensitivityMain[i], a.m_bExpertConfigInputHighLow),
                volts(b.m_nInputSensitivityMain[i], b.m_bExpertConfigInputHighLow));
    for (int i = 0; i < MLB8_AUX_INPUTS; ++i)
        d.Texts(Format("AUX input %d sensitivity", i + 1), 0,
                a.m_nInputSensitivityAux[i] == b.m_nInputSensitivityAux[i],
                volts(a.m_nInputSensitivityAux[i], 0), volts(b.m_nInputSensitivityAux[i], 0));

    for (int ch = 0; ch < MLB8_CHANNELS; ++ch) {
        const int n = ch + 1;
        const auto c = static_cast<std::uint8_t>(ch);
        // Routing as the expert page shows it; bits it does not show are named in hex.
        struct SMap {
            const char* pszName;
            const std::uint8_t* pA;
            const std::uint8_t* pB;
            int nBits, nFirst;
        };
        for (const SMap& map : {SMap{"main", a.m_MapM, b.m_MapM, 6, 0}, SMap{"AUX", a.m_MapA, b.m_MapA, 2, 0},
                                SMap{"numerical", a.m_MapD, b.m_MapD, 2, 6}}) {
            std::string textA = Routing(map.pA[ch], map.nBits, map.nFirst);
            std::string textB = Routing(map.pB[ch], map.nBits, map.nFirst);
            if (textA == textB) {
                textA += Format(" (0x%02X)", map.pA[ch]);
                textB += Format(" (0x%02X)", map.pB[ch]);
            }
            d.Texts(Format("Out %d %s inputs", n, map.pszName), n, map.pA[ch] == map.pB[ch], textA, textB);
        }

        d.Value(Out(ch, "level"), n, a.m_nVolume[ch], b.m_nVolume[ch], Level);
        d.Value(Out(ch, "mute"), n, a.m_bMute[ch] != 0, b.m_bMute[ch] != 0, OnOff);
        d.Value(Out(ch, "phase"), n, a.m_bPhase[ch] != 0, b.m_bPhase[ch] != 0,
                [](bool bInverted) { return std::string(bInverted ? "inverted" : "normal"); });
        d.Value(Out(ch, "delay"), n, a.m_nDelay[ch], b.m_nDelay[ch], Delay);

        d.Value(Out(ch, "crossover"), n, a.m_Lib.GetXoverFlag(c) != 0, b.m_Lib.GetXoverFlag(c) != 0, OnOff);
        for (int f = CRev8001Lib::XOVER_HIGHPASS; f <= CRev8001Lib::XOVER_LOWPASS; ++f) {
            const SFilterCoef x = a.m_Lib.GetXoverCoef(c, static_cast<std::uint8_t>(f));
            const SFilterCoef y = b.m_Lib.GetXoverCoef(c, static_cast<std::uint8_t>(f));
            const bool bQ = x.BandWidth != y.BandWidth;
            d.Texts(Out(ch, f == CRev8001Lib::XOVER_HIGHPASS ? "high-pass" : "low-pass"), n,
                    SameFilter(x, y, true), Filter(x, true, bQ), Filter(y, true, bQ));
        }

        d.Value(Out(ch, "EQ"), n, a.m_Lib.GetEqFlag(c) != 0, b.m_Lib.GetEqFlag(c) != 0, OnOff);
        for (int band = 0; band < CRev8001Lib::EQ_BANDS; ++band) {
            const SFilterCoef x = a.m_Lib.GetEqCoef(c, static_cast<std::uint8_t>(band));
            const SFilterCoef y = b.m_Lib.GetEqCoef(c, static_cast<std::uint8_t>(band));
            d.Texts(Format("Out %d EQ band %d", n, band + 1), n, SameFilter(x, y, false),
                    Filter(x, false, true), Filter(y, false, true));
        }
    }
    return out;
}

void ReadCarriedSettings(const CSettingsModel& from, CSettingsModel& to, SPresetReport* pReport) {
    ZUtils::ZProfile profile;
    WritePresetKeys(profile, from, std::tm{});
    to.WriteStartupDefaults();
    ReadPresetKeys(profile, to, EPresetRead::File, pReport);
}
