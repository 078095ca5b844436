#include "presets/presetkeys.h"

#include "comm/trace.h"
#include "orvix/architecture.h"
#include "presets/textparse.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <unordered_set>

namespace {

constexpr std::size_t kBandWidthChars = 400;
constexpr int kMinFreq = 16;
constexpr int kMaxFreq = 20000;
constexpr int kMaxGain = 15;
constexpr int kMaxSlope = 7;
constexpr float kMinEqQ = 1.0f;
constexpr float kMaxEqQ = 10.0f;
constexpr float kXoverQButterworth = 0.707f;
constexpr float kXoverQBessel = 0.577f;
constexpr float kMaxDelayMs = 22.0f;

const char* const kPresetSections[] = {"PRESET",    "MAIN_CONTROL", "EASY_CONFIG",
                                       "EQUALIZER", "CROSSOVER",    "TIME_ALIGNMENT"};

// Key names are built on the stack by plain concatenation: a file read looks up some 480 of them, and
// formatting or allocating each was most of the cost of reading a short file.
class CKeyName {
public:
    CKeyName& operator+=(std::string_view text) {
        const std::size_t n = std::min(text.size(), sizeof m_sz - m_nLength);
        std::memcpy(m_sz + m_nLength, text.data(), n);
        m_nLength += n;
        return *this;
    }
    CKeyName& operator+=(int n) {
        const auto result = std::to_chars(m_sz + m_nLength, m_sz + sizeof m_sz, n);
        if (result.ec == std::errc()) m_nLength = static_cast<std::size_t>(result.ptr - m_sz);
        return *this;
    }
    operator std::string_view() const { return {m_sz, m_nLength}; }
    std::string String() const { return std::string(m_sz, m_nLength); }

private:
    char m_sz[48]; // the longest name is 26 characters
    std::size_t m_nLength = 0;
};

CKeyName Key(const char* pszName, const char* pszSeparator, int n) {
    CKeyName key;
    key += pszName;
    key += pszSeparator;
    key += n;
    return key;
}
CKeyName ChKey(const char* pszName, int ch) {
    return Key(pszName, "_CH", ch);
}
CKeyName BandKey(int ch, int band, const char* pszField) {
    CKeyName key;
    key += "CH";
    key += ch;
    key += "_BIQUAD_";
    key += band;
    key += "_";
    key += pszField;
    return key;
}
CKeyName XoverKey(int ch, const char* pszFilter, const char* pszField) {
    CKeyName key;
    key += "CH";
    key += ch;
    key += "_";
    key += pszFilter;
    key += "_";
    key += pszField;
    return key;
}

// "%f" of the value, whatever the locale of the process.
std::string FixedSix(float f) {
    char sz[64];
    const auto result =
        std::to_chars(sz, sz + sizeof sz, static_cast<double>(f), std::chars_format::fixed, 6);
    return result.ec == std::errc() ? std::string(sz, result.ptr) : std::string("0.000000");
}

std::string Number(double f) {
    char sz[32];
    std::snprintf(sz, sizeof sz, "%g", f);
    return sz;
}

// A value exactly as the writer puts it: a decimal integer, or a decimal number for the filter
// bandwidths.
bool IsReadable(std::string_view text, bool bReal) {
    return bReal ? ParseReal(text, NumberRules::kWrittenReal).has_value()
                 : ParseInt(text, NumberRules::kWrittenInt).has_value();
}

// Reading keys with the reader's rules, reporting every key that is missing or unreadable and every
// value that had to change.
class CKeyReader {
public:
    CKeyReader(const ZUtils::ZProfile& p, SPresetReport* pReport) : m_P(p), m_pReport(pReport) {
        if (m_pReport) m_pReport->missing.reserve(512); // a file read looks up some 480 keys
    }

    int Int(const char* pszSection, std::string_view key) {
        std::string_view value;
        if (!Visit(pszSection, key, &value)) return 0;
        return ZUtils::ParseProfileInt(value.substr(0, 4095)); // as the profile's GetInt reads it
    }
    std::string Text(const char* pszSection, std::string_view key, std::size_t nSize = 64) {
        std::string_view value;
        Visit(pszSection, key, &value);
        return std::string(value.substr(0, nSize));
    }
    bool Has(const char* pszSection, std::string_view key) {
        std::string_view value;
        return m_P.FindValueIn(Section(pszSection), key, &value);
    }

    // A value that had to change.
    void Note(const char* pszSection, std::string_view key, const std::string& result) {
        const std::string note = Raw(pszSection, key) + " -> " + result;
        TRACE("\r\n Preset file [%s] %s", pszSection, note.c_str());
        if (m_pReport) m_pReport->clamped.push_back(note);
    }
    // A value read as the routing of the standard mode gives it: told, never asked about.
    void Notice(const char* pszSection, std::string_view key, const std::string& result) {
        const std::string note = Raw(pszSection, key) + " -> " + result;
        TRACE("\r\n Preset file [%s] %s", pszSection, note.c_str());
        if (m_pReport) m_pReport->notes.push_back(note);
    }
    int Clamped(const char* pszSection, std::string_view key, int nLow, int nHigh) {
        const int v = Int(pszSection, key);
        const int c = std::clamp(v, nLow, nHigh);
        if (c != v) Note(pszSection, key, std::to_string(c));
        return c;
    }
    int Flag(const char* pszSection, std::string_view key) {
        const int v = Int(pszSection, key);
        if (v != 0 && v != 1) Note(pszSection, key, "1");
        return v ? 1 : 0;
    }
    // Stored as 13 - index.
    int Sensitivity(const char* pszSection, std::string_view key) {
        const long long nIndex = MLB8_MAX_SENSITIVITY - static_cast<long long>(Int(pszSection, key));
        const int c = static_cast<int>(std::clamp<long long>(nIndex, 0, MLB8_MAX_SENSITIVITY));
        if (c != nIndex)
            Note(pszSection, key,
                 "index " + std::to_string(c) + " (" + std::to_string(MLB8_MAX_SENSITIVITY - c) + ")");
        return c;
    }
    std::uint8_t RoutingByte(const char* pszSection, std::string_view key) {
        const int v = Int(pszSection, key);
        const std::uint8_t nByte = static_cast<std::uint8_t>(static_cast<unsigned>(v) & 0xFFu);
        if (v != nByte) Note(pszSection, key, std::to_string(nByte) + " (low byte)");
        return nByte;
    }

private:
    // "KEY=value" with the value as the file has it (cut when long).
    std::string Raw(const char* pszSection, std::string_view key) const {
        std::string raw = m_P.GetString(pszSection, key, {}, 41);
        if (raw.size() == 40) raw += "...";
        return std::string(key) + "=" + raw;
    }
    // The value of a key (false when it is missing); the first read of each key reports it when it is
    // missing or unreadable.
    bool Visit(const char* pszSection, std::string_view key, std::string_view* pValue) {
        const bool bFound = m_P.FindValueIn(Section(pszSection), key, pValue);
        if (!m_pReport || !FirstVisit(pszSection, key)) return bFound;
        ++m_pReport->nKeys;
        if (!bFound) {
            m_pReport->missing.emplace_back(pszSection, key);
            return false;
        }
        const bool bReal = key.size() > 9 && key.substr(key.size() - 9) == "BandWidth";
        if (!IsReadable(*pValue, bReal)) {
            const std::string item = Raw(pszSection, key);
            TRACE("\r\n Preset file [%s] %s is not a number", pszSection, item.c_str());
            m_pReport->unreadable.push_back(item);
        }
        return true;
    }

    const ZUtils::ZProfile& m_P;
    SPresetReport* m_pReport;
    long Section(const char* pszSection) {
        if (pszSection != m_pszSection) { // the reader's section names are constants
            m_pszSection = pszSection;
            m_nSection = m_P.FindSection(pszSection);
        }
        return m_nSection;
    }
    // Keys are named by this reader, never by the file, so a 64-bit hash of the name tells them apart
    // (and costs no allocation per key).
    bool FirstVisit(std::string_view section, std::string_view key) {
        std::uint64_t h = 14695981039346656037ull;
        auto mix = [&h](std::string_view text) {
            for (const char c : text)
                h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        };
        mix(section);
        mix(std::string_view("\0", 1));
        mix(key);
        return m_Seen.insert(h).second;
    }

    std::unordered_set<std::uint64_t> m_Seen;
    const char* m_pszSection = nullptr;
    long m_nSection = -1;
};

SFilterCoef ReadFilter(CKeyReader& r, int ch, const char* pszFilter, int nBand) {
    auto key = [&](const char* pszField) {
        return nBand >= 0 ? BandKey(ch, nBand, pszField) : XoverKey(ch, pszFilter, pszField);
    };
    const char* pszSection = nBand >= 0 ? "EQUALIZER" : "CROSSOVER";
    SFilterCoef coef{};
    const int nType = r.Int(pszSection, key("Filtertype"));
    std::uint8_t nResult = static_cast<std::uint8_t>(static_cast<unsigned>(nType) & 0xFFu);
    if (nBand >= 0) {
        if (nResult > FT_HIGHPASS) nResult = FT_OFF; // no such filter
    } else {
        const std::uint8_t nOwn = std::strcmp(pszFilter, "HPF") == 0 ? FT_HIGHPASS : FT_LOWPASS;
        if (nResult != nOwn) nResult = FT_OFF;
    }
    if (nResult != nType) r.Note(pszSection, key("Filtertype"), std::to_string(nResult));
    coef.Filtertype = nResult;

    const CKeyName bwKey = key("BandWidth");
    const float fRead =
        static_cast<float>(ZUtils::ParseProfileDouble(r.Text(pszSection, bwKey, kBandWidthChars)));
    float fQ;
    if (nBand >= 0)
        fQ = std::clamp(fRead, kMinEqQ, kMaxEqQ);
    else
        fQ = fRead == kXoverQBessel ? kXoverQBessel : kXoverQButterworth;
    if (fQ != fRead && r.Has(pszSection, bwKey) && !(nBand < 0 && fRead == kXoverQButterworth))
        r.Note(pszSection, bwKey, Number(fQ));
    coef.BandWidth = fQ;

    const CKeyName freqKey = key("Freq");
    const int nFreq = r.Int(pszSection, freqKey);
    coef.Freq = static_cast<std::uint16_t>(std::clamp(nFreq, kMinFreq, kMaxFreq));
    if (coef.Freq != nFreq && r.Has(pszSection, freqKey))
        r.Note(pszSection, freqKey, std::to_string(coef.Freq));

    if (nBand >= 0)
        coef.Gain = static_cast<std::int8_t>(r.Clamped(pszSection, key("Gain"), -kMaxGain, kMaxGain));
    else
        coef.Slop = static_cast<std::uint8_t>(r.Clamped(pszSection, key("Slop"), 0, kMaxSlope));
    return coef;
}

// The standard mode plays an architecture's routing. A routing that is the row of another architecture
// than the file names is that architecture (the processor's setting is stored only with a preset, so
// a routing activated live and saved names the old one); any other routing keeps only the bits of its
// architecture's row. Both are notes: the result is a routing the standard mode gives, and reading
// it again changes nothing.
void FitRoutingToArchitectures(CKeyReader& r, CSettingsModel& m) {
    const char* E = "EASY_CONFIG";
    struct SGroup {
        int nKind;
        std::uint8_t* pMap;
        const char* pszKey;
    };
    for (const SGroup& g : {SGroup{MainRoutingKind(m.m_nDSPInput), m.m_MapM, "_M"},
                            SGroup{INPUT_AUX, m.m_MapA, "_A"}, SGroup{INPUT_NUMERICAL, m.m_MapD, "_D"}}) {
        const int nSet = m.m_nDSPOutput[g.nKind];
        std::uint8_t fitted[MLB8_CHANNELS];
        const bool bWhole = RoutingArchitecture(g.pMap, g.nKind, nSet) >= 0;
        for (int ch = 0; ch < MLB8_CHANNELS; ++ch)
            fitted[ch] = bWhole ? g.pMap[ch]
                                : static_cast<std::uint8_t>(g.pMap[ch] & ROUTING_PRESETS[g.nKind][nSet][ch]);
        const int nArch = RoutingArchitecture(fitted, g.nKind, nSet);
        if (nArch >= 0 && nArch != nSet) {
            m.m_nDSPOutput[g.nKind] = nArch;
            r.Notice(E, Key("OUTPUT_CONFIG", "_", g.nKind),
                     std::to_string(nArch) + " (the routing is " + ARCHITECTURE_NAMES[nArch] + "'s)");
        }
        for (int ch = 0; ch < MLB8_CHANNELS; ++ch) {
            if (fitted[ch] == g.pMap[ch]) continue;
            r.Notice(E, Key("OUTPUT_MAP", g.pszKey, ch),
                     std::to_string(fitted[ch]) + " (outside the " + ARCHITECTURE_NAMES[nSet] + " routing)");
            g.pMap[ch] = fitted[ch];
        }
    }
}

} // namespace

std::string FileTitle(const std::string& path) {
    const std::size_t nSlash = path.rfind('/');
    return nSlash == std::string::npos ? path : path.substr(nSlash + 1);
}

bool IsPresetProfile(const ZUtils::ZProfile& profile) {
    return std::any_of(std::begin(kPresetSections), std::end(kPresetSections),
                       [&](const char* pszSection) { return profile.HasSection(pszSection); });
}

void WritePresetKeys(ZUtils::ZProfile& p, const CSettingsModel& m, const std::tm& stamp) {
    p.SetInt("DSP", "Year", stamp.tm_year + 1900);
    p.SetInt("DSP", "Month", stamp.tm_mon + 1);
    p.SetInt("DSP", "Day", stamp.tm_mday);
    p.SetInt("DSP", "Hour", stamp.tm_hour);
    p.SetInt("DSP", "Minute", stamp.tm_min);
    p.SetInt("DSP", "Second", stamp.tm_sec);

    p.SetInt("PRESET", "PRESET", m.m_nCurPreset);

    p.SetInt("MAIN_CONTROL", "VOLUME_MAIN", m.m_nMainVolume);
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch)
        p.SetInt("MAIN_CONTROL", ChKey("VOLUME", ch), m.m_nVolume[ch]);
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch)
        p.SetInt("MAIN_CONTROL", ChKey("PHASE", ch), m.m_bPhase[ch] ? 1 : 0);
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch)
        p.SetInt("MAIN_CONTROL", ChKey("MUTE", ch), m.m_bMute[ch] ? 1 : 0);

    const char* E = "EASY_CONFIG";
    for (int i = 0; i < MLB8_MAIN_INPUTS; ++i)
        p.SetInt(E, ChKey("INPUT_SENSITIVITY_MAIN", i), MLB8_MAX_SENSITIVITY - m.m_nInputSensitivityMain[i]);
    for (int i = 0; i < MLB8_AUX_INPUTS; ++i)
        p.SetInt(E, ChKey("INPUT_SENSITIVITY_AUX", i), MLB8_MAX_SENSITIVITY - m.m_nInputSensitivityAux[i]);
    p.SetInt(E, "HIGH_LEVEL", m.m_bEasyConfigInputHighLow ? 1 : 0);
    p.SetInt(E, "HIGH_LEVEL_EXPERT", m.m_bExpertConfigInputHighLow ? 1 : 0);
    p.SetInt(E, "INPUT_CONFIG", m.m_nDSPInput);
    p.SetInt(E, "INPUT_CONFIG_EXPERT", m.m_nDSPExpInput);
    for (int k = 0; k < MLB8_INPUT_KINDS; ++k)
        p.SetInt(E, Key("OUTPUT_CONFIG", "_", k), m.m_nDSPOutput[k]);
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch) {
        p.SetInt(E, Key("OUTPUT_MAP", "_M", ch), m.m_MapM[ch]);
        p.SetInt(E, Key("OUTPUT_MAP", "_A", ch), m.m_MapA[ch]);
        p.SetInt(E, Key("OUTPUT_MAP", "_D", ch), m.m_MapD[ch]);
    }
    p.SetInt(E, "EASY_EXPERT_CONFIG", m.m_bEasyExp ? 1 : 0);
    p.SetInt(E, "INPUT_SENSITIVITY_EASY", MLB8_MAX_SENSITIVITY - m.m_nEasyConfigInputSensitivity);

    for (int ch = 0; ch < MLB8_CHANNELS; ++ch)
        p.SetInt("EQUALIZER", ChKey("ENABLE", ch), m.m_bEqEnable[ch] ? 1 : 0);
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch)
        for (int b = 0; b < CRev8001Lib::EQ_BANDS; ++b) {
            const SFilterCoef c =
                m.m_Lib.GetEqCoef(static_cast<std::uint8_t>(ch), static_cast<std::uint8_t>(b));
            p.SetInt("EQUALIZER", BandKey(ch, b, "Filtertype"), c.Filtertype);
            p.SetString("EQUALIZER", BandKey(ch, b, "BandWidth"), FixedSix(c.BandWidth));
            p.SetInt("EQUALIZER", BandKey(ch, b, "Freq"), c.Freq);
            p.SetInt("EQUALIZER", BandKey(ch, b, "Gain"), c.Gain);
        }

    for (int ch = 0; ch < MLB8_CHANNELS; ++ch)
        p.SetInt("CROSSOVER", ChKey("ENABLE", ch), m.m_Lib.GetXoverFlag(static_cast<std::uint8_t>(ch)));
    for (int f = CRev8001Lib::XOVER_HIGHPASS; f <= CRev8001Lib::XOVER_LOWPASS; ++f) {
        const char* pszFilter = f == CRev8001Lib::XOVER_HIGHPASS ? "HPF" : "LPF";
        for (int ch = 0; ch < MLB8_CHANNELS; ++ch) {
            const SFilterCoef c =
                m.m_Lib.GetXoverCoef(static_cast<std::uint8_t>(ch), static_cast<std::uint8_t>(f));
            p.SetInt("CROSSOVER", XoverKey(ch, pszFilter, "Filtertype"), c.Filtertype);
            p.SetString("CROSSOVER", XoverKey(ch, pszFilter, "BandWidth"), FixedSix(c.BandWidth));
            p.SetInt("CROSSOVER", XoverKey(ch, pszFilter, "Freq"), c.Freq);
            p.SetInt("CROSSOVER", XoverKey(ch, pszFilter, "Slop"), c.Slop);
        }
    }

    for (int ch = 0; ch < MLB8_CHANNELS; ++ch)
        p.SetInt("TIME_ALIGNMENT", ChKey("DELAY", ch), m.m_nDelay[ch]);
}

void ReadPresetKeys(const ZUtils::ZProfile& p, CSettingsModel& m, EPresetRead mode, SPresetReport* pReport) {
    if (pReport) {
        pReport->Clear();
        // The first of a repeated key wins, as with the Windows functions; a note says so.
        for (const ZUtils::ZProfile::SRepeatedKey& k : p.RepeatedKeys())
            pReport->repeated.push_back("[" + k.section + "] " + k.key + " (" + std::to_string(k.nTimes) +
                                        " times)");
    }
    CKeyReader r(p, pReport);
    const bool bFactory = mode == EPresetRead::Factory;
    m.ResetMapsToDefault();

    m.m_nCurPreset = r.Clamped("PRESET", "PRESET", 0, 3);
    m.m_nMainVolume = r.Clamped("MAIN_CONTROL", "VOLUME_MAIN", 0, MLB8_MAX_VOLUME);
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch)
        m.m_nVolume[ch] = r.Clamped("MAIN_CONTROL", ChKey("VOLUME", ch), 0, MLB8_MAX_VOLUME);
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch)
        m.m_bPhase[ch] = r.Flag("MAIN_CONTROL", ChKey("PHASE", ch));
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch)
        m.m_bMute[ch] = r.Flag("MAIN_CONTROL", ChKey("MUTE", ch));

    const char* E = "EASY_CONFIG";
    m.m_nDSPInput = r.Clamped(E, "INPUT_CONFIG", 0, MLB8_INPUT_KINDS - 1);
    TRACE("\r\n m_nDSPInput [%d] ", m.m_nDSPInput);
    m.m_nDSPExpInput = r.Clamped(E, "INPUT_CONFIG_EXPERT", 0, 2);
    if (!bFactory) m.m_bEasyExp = r.Flag(E, "EASY_EXPERT_CONFIG");
    for (int k = 0; k < MLB8_INPUT_KINDS; ++k) {
        m.m_nDSPOutput[k] = r.Clamped(E, Key("OUTPUT_CONFIG", "_", k), 0, MLB8_ARCHITECTURES - 1);
        TRACE("\r\n m_nDSPOutput[%d]  ", m.m_nDSPOutput[k]);
    }
    m.m_nDSPOutput[INPUT_51_WIRED] = ARCH_51;

    for (int ch = 0; ch < MLB8_CHANNELS; ++ch) {
        m.m_MapM[ch] = r.RoutingByte(E, Key("OUTPUT_MAP", "_M", ch));
        m.m_MapA[ch] = r.RoutingByte(E, Key("OUTPUT_MAP", "_A", ch));
        m.m_MapD[ch] = r.RoutingByte(E, Key("OUTPUT_MAP", "_D", ch));
    }
    if (bFactory || !m.m_bEasyExp) FitRoutingToArchitectures(r, m);
    if (bFactory) {
        // Only an explicit 1 selects the expert mode for the factory settings.
        const int v = r.Int(E, "EASY_EXPERT_CONFIG");
        if (v != 0 && v != 1) r.Note(E, "EASY_EXPERT_CONFIG", "0");
        m.m_bEasyExp = v == 1 ? 1 : 0;
    }
    m.m_bEasyConfigInputHighLow = r.Flag(E, "HIGH_LEVEL");
    m.m_bExpertConfigInputHighLow = r.Flag(E, "HIGH_LEVEL_EXPERT");
    for (int i = 0; i < MLB8_MAIN_INPUTS; ++i)
        m.m_nInputSensitivityMain[i] = r.Sensitivity(E, ChKey("INPUT_SENSITIVITY_MAIN", i));
    for (int i = 0; i < MLB8_AUX_INPUTS; ++i)
        m.m_nInputSensitivityAux[i] = r.Sensitivity(E, ChKey("INPUT_SENSITIVITY_AUX", i));
    m.m_nEasyConfigInputSensitivity = r.Sensitivity(E, "INPUT_SENSITIVITY_EASY");

    for (int ch = 0; ch < MLB8_CHANNELS; ++ch) {
        m.m_bEqEnable[ch] = r.Flag("EQUALIZER", ChKey("ENABLE", ch));
        m.m_Lib.SetEqFlag(static_cast<std::uint8_t>(ch), m.m_bEqEnable[ch]);
    }
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch)
        for (int b = 0; b < CRev8001Lib::EQ_BANDS; ++b)
            m.m_Lib.SetEqCoef(static_cast<std::uint8_t>(ch), static_cast<std::uint8_t>(b),
                              ReadFilter(r, ch, nullptr, b));

    for (int ch = 0; ch < MLB8_CHANNELS; ++ch) {
        m.m_bXoverEnable[ch] = r.Flag("CROSSOVER", ChKey("ENABLE", ch));
        m.m_Lib.SetXoverFlag(static_cast<std::uint8_t>(ch), m.m_bXoverEnable[ch]);
    }
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch) {
        const SFilterCoef high = ReadFilter(r, ch, "HPF", -1);
        m.m_Lib.SetXoverCoef(static_cast<std::uint8_t>(ch), CRev8001Lib::XOVER_HIGHPASS, high);
        m.m_nXoverType[ch][1] = high.Filtertype;
    }
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch) {
        const SFilterCoef low = ReadFilter(r, ch, "LPF", -1);
        m.m_Lib.SetXoverCoef(static_cast<std::uint8_t>(ch), CRev8001Lib::XOVER_LOWPASS, low);
        m.m_nXoverType[ch][0] = low.Filtertype;
    }

    for (int ch = 0; ch < MLB8_CHANNELS; ++ch) {
        const CKeyName key = ChKey("DELAY", ch);
        const int v = ZUtils::ParseProfileInt(r.Text("TIME_ALIGNMENT", key));
        const std::uint16_t nSamples = static_cast<std::uint16_t>(static_cast<unsigned>(v)); // modulo 65536
        m.m_nDelay[ch] = std::min<std::uint16_t>(nSamples, MLB8_MAX_DELAY);
        if (m.m_nDelay[ch] != v) r.Note("TIME_ALIGNMENT", key, std::to_string(m.m_nDelay[ch]));
        m.m_fDelayMs[ch] = std::clamp(CSettingsModel::DelayMsFromSamples(m.m_nDelay[ch]), 0.0f, kMaxDelayMs);
    }
}
