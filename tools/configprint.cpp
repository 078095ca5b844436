#include "configprint.h"
#include "orvix/valuelaws.h"

#include "editor/delayeditor.h"
#include "presets/presetdiff.h"

namespace {

const char* const* const kInputKinds = INPUT_KIND_NAMES;
const char* const* const kArchitectures = ARCHITECTURE_NAMES;
const char* const* const kExpertInputs = EXPERT_INPUT_NAMES;

double Db(int nVolume) {
    return CSettingsModel::DbFromVolume(nVolume);
}

void PrintCrossoverFilter(std::FILE* pOut, const char* pszName, const SFilterCoef& c) {
    if (c.Filtertype == FT_OFF) {
        std::fprintf(pOut, "%s off", pszName);
        return;
    }
    std::fprintf(pOut, "%s %5u Hz %2d dB/oct", pszName, c.Freq, SlopeDbPerOctave(c.Slop));
}

void PrintRouting(std::FILE* pOut, const char* pszRow, const std::uint8_t* pMap, int nBits, int nFirstBit) {
    for (int bit = 0; bit < nBits; ++bit) {
        std::fprintf(pOut, "  %-10s%d ", pszRow, bit + 1);
        for (int ch = 0; ch < MLB8_CHANNELS; ++ch)
            std::fprintf(pOut, "  %s  ", (pMap[ch] >> (nFirstBit + bit)) & 1 ? "X" : ".");
        std::fputc('\n', pOut);
    }
}

void PrintRoutingTable(std::FILE* pOut, const CSettingsModel& m) {
    std::fprintf(pOut, "Routing           ");
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch)
        std::fprintf(pOut, "Out%d ", ch + 1);
    std::fputc('\n', pOut);
    PrintRouting(pOut, "main", m.m_MapM, 6, 0);
    PrintRouting(pOut, "AUX", m.m_MapA, 2, 0);
    PrintRouting(pOut, "numerical", m.m_MapD, 2, 6);
}

double DelayMs(const CSettingsModel& m, int ch) {
    return m.m_nDelay[ch] / 48.0;
}
double DelayCm(const CSettingsModel& m, int ch) {
    return MsToCm(static_cast<float>(DelayMs(m, ch)));
}

const char* FilterTypeName(int nType) {
    switch (nType) {
    case FT_PEAKING:
        return "peaking";
    case FT_LOWPASS:
        return "low-pass";
    case FT_HIGHPASS:
        return "high-pass";
    default:
        return "off";
    }
}

CtlIo::Json JsonFilter(const SFilterCoef& c, bool bCrossover) {
    CtlIo::Json j = {{"type", FilterTypeName(c.Filtertype)}, {"freqHz", static_cast<int>(c.Freq)}};
    if (bCrossover)
        j["slopeDbPerOct"] = SlopeDbPerOctave(c.Slop);
    else
        j["gainDb"] = static_cast<int>(c.Gain);
    j["q"] = CtlIo::Number(static_cast<double>(c.BandWidth));
    return j;
}

CtlIo::Json JsonBytes(const std::uint8_t* pBytes) {
    CtlIo::Json a = CtlIo::Json::array();
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch)
        a.push_back(pBytes[ch]);
    return a;
}

} // namespace

CtlIo::Json ConfigurationJson(const CSettingsModel& m) {
    using CtlIo::Json;
    using CtlIo::Number;
    Json j;
    j["preset"] = m.m_nCurPreset + 1;
    j["masterLevelDb"] = Number(Db(m.m_nMainVolume));
    j["mode"] = m.m_bEasyExp ? "expert" : "standard";
    // What the routing is; the setting beside it, which the processor keeps only with a stored preset.
    const int nActual = ActualArchitecture(m);
    j["standard"] = {{"input", kInputKinds[m.m_nDSPInput]},
                     {"highLevel", m.m_bEasyConfigInputHighLow != 0},
                     {"architecture", nActual < 0 ? "custom routing" : kArchitectures[nActual]},
                     {"architectureSetting", kArchitectures[m.m_nDSPOutput[m.m_nDSPInput]]},
                     {"sensitivityIndex", m.m_nEasyConfigInputSensitivity}};
    Json main = Json::array(), aux = Json::array();
    for (int i = 0; i < MLB8_MAIN_INPUTS; ++i)
        main.push_back(m.m_nInputSensitivityMain[i]);
    for (int i = 0; i < MLB8_AUX_INPUTS; ++i)
        aux.push_back(m.m_nInputSensitivityAux[i]);
    j["expert"] = {{"input", kExpertInputs[m.m_nDSPExpInput]},
                   {"highLevel", m.m_bExpertConfigInputHighLow != 0},
                   {"mainSensitivityIndex", main},
                   {"auxSensitivityIndex", aux}};
    j["routing"] = {
        {"main", JsonBytes(m.m_MapM)}, {"aux", JsonBytes(m.m_MapA)}, {"numerical", JsonBytes(m.m_MapD)}};
    Json outputs = Json::array();
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch) {
        const auto c = static_cast<std::uint8_t>(ch);
        Json bands = Json::array();
        for (int b = 0; b < CRev8001Lib::EQ_BANDS; ++b)
            bands.push_back(JsonFilter(m.m_Lib.GetEqCoef(c, static_cast<std::uint8_t>(b)), false));
        outputs.push_back(
            {{"output", ch + 1},
             {"levelDb", Number(Db(m.m_nVolume[ch]))},
             {"mute", m.m_bMute[ch] != 0},
             {"phaseInverted", m.m_bPhase[ch] != 0},
             {"delay",
              {{"samples", static_cast<int>(m.m_nDelay[ch])},
               {"ms", Number(DelayMs(m, ch))},
               {"cm", Number(DelayCm(m, ch))}}},
             {"crossover",
              {{"enabled", m.m_bXoverEnable[ch] != 0},
               {"highPass", JsonFilter(m.m_Lib.GetXoverCoef(c, CRev8001Lib::XOVER_HIGHPASS), true)},
               {"lowPass", JsonFilter(m.m_Lib.GetXoverCoef(c, CRev8001Lib::XOVER_LOWPASS), true)}}},
             {"equalizer", {{"enabled", m.m_bEqEnable[ch] != 0}, {"bands", bands}}}});
    }
    j["outputs"] = outputs;
    return j;
}

void PrintConfiguration(std::FILE* pOut, const CSettingsModel& m) {
    std::fprintf(pOut, "Processor preset %d\n", m.m_nCurPreset + 1);
    std::fprintf(pOut, "Master level     %5.1f dB\n", Db(m.m_nMainVolume));
    if (!m.m_bEasyExp) {
        const int bHigh = m.m_bEasyConfigInputHighLow;
        std::fprintf(pOut, "Mode             standard\n");
        std::fprintf(pOut, "Input            %s, %s level\n", kInputKinds[m.m_nDSPInput],
                     bHigh ? "high" : "low");
        std::fprintf(pOut, "Architecture     %s\n", ArchitectureText(m, m.m_nDSPInput).c_str());
        std::fprintf(
            pOut, "Sensitivity      %.1f V (index %d)\n",
            SensitivityVolts(m.m_nEasyConfigInputSensitivity, m.m_nDSPInput <= INPUT_2_WIRED && bHigh),
            m.m_nEasyConfigInputSensitivity);
        // A routing that is no architecture's is shown as it is.
        if (ActualArchitecture(m) < 0) PrintRoutingTable(pOut, m);
    } else {
        const int bHigh = m.m_bExpertConfigInputHighLow;
        std::fprintf(pOut, "Mode             expert\n");
        std::fprintf(pOut, "Input            %s, %s level\n", kExpertInputs[m.m_nDSPExpInput],
                     bHigh ? "high" : "low");
        std::fprintf(pOut, "Sensitivity      main");
        for (int i = 0; i < MLB8_MAIN_INPUTS; ++i)
            std::fprintf(pOut, " %.1f V", SensitivityVolts(m.m_nInputSensitivityMain[i], bHigh));
        std::fprintf(pOut, ", AUX");
        for (int i = 0; i < MLB8_AUX_INPUTS; ++i)
            std::fprintf(pOut, " %.1f V", SensitivityVolts(m.m_nInputSensitivityAux[i], 0));
        std::fputc('\n', pOut);
        PrintRoutingTable(pOut, m);
    }

    std::fprintf(pOut, "\nOutput  Level     Mute Solo Phase     Delay                           Crossover\n");
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch) {
        const auto c = static_cast<std::uint8_t>(ch);
        std::fprintf(pOut, "Out %d  %6.1f dB  %-4s %-4s %-8s %7.3f ms %6.1f cm %4u smp   ", ch + 1,
                     Db(m.m_nVolume[ch]), m.m_bMute[ch] ? "yes" : "no",
                     (m.m_nSoloMask >> ch) & 1 ? "yes" : "no", m.m_bPhase[ch] ? "inverted" : "normal",
                     DelayMs(m, ch), DelayCm(m, ch), m.m_nDelay[ch]);
        if (!m.m_bXoverEnable[ch]) {
            std::fprintf(pOut, "off\n");
            continue;
        }
        PrintCrossoverFilter(pOut, "HP", m.m_Lib.GetXoverCoef(c, CRev8001Lib::XOVER_HIGHPASS));
        std::fprintf(pOut, ", ");
        PrintCrossoverFilter(pOut, "LP", m.m_Lib.GetXoverCoef(c, CRev8001Lib::XOVER_LOWPASS));
        std::fputc('\n', pOut);
    }

    std::fprintf(pOut, "\nEqualizer (band: Hz dB Q)\n");
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch) {
        const auto c = static_cast<std::uint8_t>(ch);
        std::fprintf(pOut, "Out %d %-3s", ch + 1, m.m_bEqEnable[ch] ? "on" : "off");
        for (int b = 0; b < CRev8001Lib::EQ_BANDS; ++b) {
            const SFilterCoef e = m.m_Lib.GetEqCoef(c, static_cast<std::uint8_t>(b));
            if (e.Filtertype == FT_OFF)
                std::fprintf(pOut, " | off");
            else
                std::fprintf(pOut, " | %u %+d %.1f", e.Freq, e.Gain, static_cast<double>(e.BandWidth));
        }
        std::fputc('\n', pOut);
    }
}
