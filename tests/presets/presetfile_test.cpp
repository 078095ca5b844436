// Preset files: the profile layer, the file layout and the reader's rules, the four file commands
// with their failures, and whole configurations carried from one simulated processor to another
// through a file (in the editor and with mlb8ctl).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>

#include "comm/comnames.h"
#include "comm/ctrlmessages.h"
#include "editor/controlids.h"
#include "editor/help.h"
#include "editor/presetfile.h"
#include "presets/presetdiff.h"
#include "tests/comm/testutil.h"
#include "tests/common/filterrecord.h"
#include "tests/editor/editorfixture.h"

using testing::HasSubstr;
using testing::IsEmpty;
using ZUtils::ZProfile;
namespace fs = std::filesystem;

extern char** environ;

namespace {

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

// A fresh folder per test, removed afterwards.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = testing::TempDir() + "presetfile_XXXXXX";
        m_Path = ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(m_Path, ec);
    }
    std::string operator/(const std::string& name) const { return m_Path + "/" + name; }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(m_Path))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    const std::string& Path() const { return m_Path; }

private:
    std::string m_Path;
};

// Every field a preset file carries, compared between two models.
std::vector<std::string> Differences(const CSettingsModel& a, const CSettingsModel& b) {
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
std::vector<std::string> RangeViolations(const CSettingsModel& m) {
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
void SetAwayFromDefaults(CSettingsModel& m) {
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

std::tm Stamp() {
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 2;
    t.tm_mday = 9;
    t.tm_hour = 17;
    t.tm_min = 5;
    t.tm_sec = 42;
    return t;
}

std::string PresetText(const CSettingsModel& m) {
    ZProfile p;
    WritePresetKeys(p, m, Stamp());
    return p.Text();
}

// ---------------------------------------------------------------------------------------------
// The profile layer

TEST(Profile, ReadsHandEditedTextLikeTheWindowsFunctions) {
    const std::string text = "; comment=1\r\n"
                             "orphan=5\r\n"
                             "[Main]\r\n"
                             "  Key1 =  12abc  \r\n"
                             "key1=99\r\n"
                             "quoted=\"a b\"\r\n"
                             "empty=\r\n"
                             "neg = -7\r\n"
                             "text=abc\r\n"
                             "\r\n"
                             "[ other ]\n"
                             "x=1=2\n"
                             "novalue\n"
                             "[broken\n"
                             "long=" +
                             std::string(5000, '7') +
                             "\n"
                             "[main]\n"
                             "late=3\n";
    ZProfile p;
    p.LoadText(text);
    struct SRead {
        const char* section;
        const char* key;
        std::string text;
        int n;
    };
    const SRead cases[] = {
        {"main", "KEY1", "12abc", 12},         // case-insensitive, blanks trimmed, first duplicate wins
        {"MAIN", "quoted", "a b", 0},          // one pair of quotes removed
        {"Main", "empty", "", 0},              //
        {"Main", "neg", "-7", -7},             //
        {"Main", "text", "abc", 0},            // no leading number
        {"Main", "missing", "dflt", 5},        // missing key: the default
        {"Main", "late", "dflt", 5},           // only the first section of a name is looked at
        {"Main", "comment", "dflt", 5},        // comment lines are no keys
        {"", "orphan", "dflt", 5},             // keys before any section belong to none
        {"other", "x", "1=2", 1},              // section names trimmed, value after the first "="
        {"other", "novalue", "dflt", 5},       //
        {"other", "long", "7777777", INT_MAX}, // "[broken" is no header; overlong value cut, int saturated
    };
    for (const SRead& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        EXPECT_EQ(p.GetString(c.section, c.key, "dflt", 8), c.text);
        EXPECT_EQ(p.GetInt(c.section, c.key, 5), c.n);
    }
    EXPECT_EQ(p.GetString("Main", "text", "", 0), "");
    EXPECT_EQ(p.GetString("Main", "text", "", 2), "a");
}

TEST(Profile, ParsesLeadingNumbers) {
    const std::pair<const char*, int> ints[] = {
        {"12abc", 12},
        {"abc", 0},
        {"", 0},
        {"  -7", -7},
        {"+5", 5},
        {"99999999999", INT_MAX},
        {"-99999999999", INT_MIN},
        {"- 3", 0},
    };
    for (const auto& [text, want] : ints)
        EXPECT_EQ(ZUtils::ParseProfileInt(text), want) << text;
    const std::pair<const char*, double> reals[] = {
        {"0.577000", 0.577}, {" 1e1x", 10.0}, {"+2.5", 2.5}, {"abc", 0.0},   {"nan", 0.0},
        {"inf", 0.0},        {"1e999", 0.0},  {"", 0.0},     {"+-2.5", 0.0}, // one sign only
    };
    for (const auto& [text, want] : reals)
        EXPECT_EQ(ZUtils::ParseProfileDouble(text), want) << text;
}

TEST(Profile, ReplacesInPlaceAndAppendsInWritingOrder) {
    TempFolder dir;
    const std::string path = dir / "edit.ini";
    WriteText(path, "; kept comment\r\n[Sec]\r\nKEY = old ; note\r\nforeign=1\r\n\r\n; tail "
                    "comment\r\n[Next]\r\nz=0\r\n");
    ASSERT_TRUE(ZUtils::WritePrivateProfileString("sec", "key", "new", path));
    ASSERT_TRUE(ZUtils::WritePrivateProfileString("SEC", "added", "2", path));
    ASSERT_TRUE(ZUtils::WritePrivateProfileString("Fresh", "a", "1", path));
    ASSERT_TRUE(ZUtils::WritePrivateProfileString("Fresh", "b", "2", path));
    EXPECT_EQ(ReadText(path),
              "; kept comment\r\n[Sec]\r\nKEY=new\r\nforeign=1\r\nadded=2\r\n\r\n; tail comment\r\n"
              "[Next]\r\nz=0\r\n[Fresh]\r\na=1\r\nb=2\r\n");
    // An LF file stays an LF file; a new file is created by the first write.
    WriteText(path, "[a]\nk=1\n");
    ASSERT_TRUE(ZUtils::WritePrivateProfileString("a", "k", "2", path));
    EXPECT_EQ(ReadText(path), "[a]\nk=2\n");
    ASSERT_TRUE(ZUtils::WritePrivateProfileString("s", "k", "v", dir / "new.ini"));
    EXPECT_EQ(ReadText(dir / "new.ini"), "[s]\r\nk=v\r\n");
    EXPECT_EQ(ZUtils::GetPrivateProfileInt("A", "K", -1, path), 2);
    EXPECT_EQ(ZUtils::GetPrivateProfileString("s", "k", "", 10, dir / "new.ini"), "v");
}

TEST(Profile, WholeFileWriteGivesTheTextOfKeyByKeyWrites) {
    TempFolder dir;
    const std::string start = "; hand edited\n[MAIN_CONTROL]\nvolume_ch3 = 5\nMY_KEY=1\n\n[EASY_CONFIG]\n";
    CSettingsModel m;
    SetAwayFromDefaults(m);
    // The writes of a preset file, in order, as (section, key, value).
    ZProfile fresh;
    WritePresetKeys(fresh, m, Stamp());
    std::vector<std::array<std::string, 3>> writes;
    std::string section;
    std::istringstream lines(fresh.Text());
    for (std::string line; std::getline(lines, line);) {
        line.pop_back(); // CR
        if (line.front() == '[')
            section = line.substr(1, line.size() - 2);
        else if (section != "EQUALIZER" && section != "CROSSOVER") // keeps the test quick
            writes.push_back({section, line.substr(0, line.find('=')), line.substr(line.find('=') + 1)});
    }
    ASSERT_GT(writes.size(), 80u);

    WriteText(dir / "bykey.ini", start);
    for (const auto& w : writes)
        ASSERT_TRUE(ZUtils::WritePrivateProfileString(w[0], w[1], w[2], dir / "bykey.ini"));
    WriteText(dir / "whole.ini", start);
    ZProfile whole;
    ASSERT_TRUE(whole.LoadFile(dir / "whole.ini"));
    for (const auto& w : writes)
        whole.SetString(w[0], w[1], w[2]);
    ASSERT_TRUE(whole.SaveFile(dir / "whole.ini"));
    EXPECT_EQ(ReadText(dir / "whole.ini"), ReadText(dir / "bykey.ini"));
    EXPECT_THAT(ReadText(dir / "whole.ini"),
                HasSubstr("[MAIN_CONTROL]\nvolume_ch3=103\nMY_KEY=1\nVOLUME_MAIN=77\nVOLUME_CH0=100\n"));
}

// ---------------------------------------------------------------------------------------------
// The file layout and the reader

TEST(PresetLayout, RoundTripKeepsEveryValue) {
    TempFolder dir;
    CSettingsModel written, read;
    SetAwayFromDefaults(written);
    ZProfile out;
    WritePresetKeys(out, written, Stamp());
    ASSERT_TRUE(out.SaveFile(dir / "all.Dovu"));
    ZProfile in;
    ASSERT_TRUE(in.LoadFile(dir / "all.Dovu"));
    SPresetReport report;
    ReadPresetKeys(in, read, EPresetRead::File, &report);
    EXPECT_THAT(Differences(written, read), IsEmpty());
    EXPECT_TRUE(report.Clean());
    EXPECT_EQ(report.nKeys, 477); // every key but the date stamp
    // The date stamp is written and never read.
    EXPECT_EQ(in.GetInt("DSP", "Month"), 3);
    EXPECT_EQ(in.GetInt("DSP", "Second"), 42);
}

TEST(PresetLayout, SectionsAndKeysInTheDocumentedOrder) {
    CSettingsModel m;
    SetAwayFromDefaults(m);
    std::vector<std::string> want = {"[DSP]",  "Year",           "Month",      "Day",
                                     "Hour",   "Minute",         "Second",     "[PRESET]",
                                     "PRESET", "[MAIN_CONTROL]", "VOLUME_MAIN"};
    auto perChannel = [&](const std::string& prefix, int n, const std::string& suffix = "") {
        for (int i = 0; i < n; ++i)
            want.push_back(prefix + std::to_string(i) + suffix);
    };
    for (const char* name : {"VOLUME_CH", "PHASE_CH", "MUTE_CH"})
        perChannel(name, 8);
    want.push_back("[EASY_CONFIG]");
    perChannel("INPUT_SENSITIVITY_MAIN_CH", 6);
    perChannel("INPUT_SENSITIVITY_AUX_CH", 2);
    for (const char* key : {"HIGH_LEVEL", "HIGH_LEVEL_EXPERT", "INPUT_CONFIG", "INPUT_CONFIG_EXPERT"})
        want.push_back(key);
    perChannel("OUTPUT_CONFIG_", 5);
    for (int ch = 0; ch < 8; ++ch)
        for (const char* row : {"M", "A", "D"})
            want.push_back(std::string("OUTPUT_MAP_") + row + std::to_string(ch));
    want.push_back("EASY_EXPERT_CONFIG");
    want.push_back("INPUT_SENSITIVITY_EASY");
    want.push_back("[EQUALIZER]");
    perChannel("ENABLE_CH", 8);
    for (int ch = 0; ch < 8; ++ch)
        for (int b = 0; b < 10; ++b)
            for (const char* f : {"Filtertype", "BandWidth", "Freq", "Gain"})
                want.push_back("CH" + std::to_string(ch) + "_BIQUAD_" + std::to_string(b) + "_" + f);
    want.push_back("[CROSSOVER]");
    perChannel("ENABLE_CH", 8);
    for (const char* filter : {"HPF", "LPF"})
        for (int ch = 0; ch < 8; ++ch)
            for (const char* f : {"Filtertype", "BandWidth", "Freq", "Slop"})
                want.push_back("CH" + std::to_string(ch) + "_" + filter + "_" + f);
    want.push_back("[TIME_ALIGNMENT]");
    perChannel("DELAY_CH", 8);

    const std::string text = PresetText(m);
    std::vector<std::string> got;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        got.push_back(line.substr(0, std::min(line.find('='), line.find('\r'))));
    EXPECT_EQ(got, want);
    // Encodings: signed gains, six-decimal bandwidths, sensitivities as 13 - index, the date stamp.
    for (const char* line : {"Year=2026\r\n", "Month=3\r\n", "Hour=17\r\n", "CH0_BIQUAD_0_Gain=-15\r\n",
                             "CH0_BIQUAD_1_BandWidth=1.750000\r\n", "CH0_LPF_BandWidth=0.577000\r\n",
                             "CH1_HPF_BandWidth=0.707000\r\n", "INPUT_SENSITIVITY_MAIN_CH0=13\r\n",
                             "INPUT_SENSITIVITY_AUX_CH1=0\r\n", "OUTPUT_MAP_A0=255\r\n", "DELAY_CH7=987\r\n"})
        EXPECT_THAT(text, HasSubstr(line));
}

struct SReadCase {
    const char* name;
    EPresetRead mode;
    std::string text;
    std::function<double(const CSettingsModel&)> get;
    double want;
    const char* noted;     // the key the clamp is reported under, or nullptr when nothing is clamped
    bool bRouting = false; // reported as a note on the routing, not as a clamp
};

TEST(PresetReader, RulesOfTheReader) {
    using M = const CSettingsModel&;
    const auto F = EPresetRead::File, X = EPresetRead::Factory;
    const std::string kind1arch3 = "[EASY_CONFIG]\nINPUT_CONFIG=1\nOUTPUT_CONFIG_1=3\nOUTPUT_MAP_M6=255\n";
    auto eq = [](int ch, int b) {
        return [=](M m) {
            return m.m_Lib.GetEqCoef(static_cast<std::uint8_t>(ch), static_cast<std::uint8_t>(b));
        };
    };
    auto xo = [](int ch, int f) {
        return [=](M m) {
            return m.m_Lib.GetXoverCoef(static_cast<std::uint8_t>(ch), static_cast<std::uint8_t>(f));
        };
    };
    const SReadCase cases[] = {
        // Routing: masked by the preset row in standard mode, taken whole in expert mode.
        {"standard masks", F, kind1arch3, [](M m) { return m.m_MapM[6]; }, 3, "OUTPUT_MAP_M6", true},
        {"expert keeps", F, kind1arch3 + "EASY_EXPERT_CONFIG=1\n", [](M m) { return m.m_MapM[6]; }, 255,
         nullptr},
        {"AUX row", F, "[EASY_CONFIG]\nOUTPUT_CONFIG_3=2\nOUTPUT_MAP_A4=255\nOUTPUT_MAP_A1=255\n",
         [](M m) { return m.m_MapA[4] + 1000 * m.m_MapA[1]; }, 2000, "OUTPUT_MAP_A1", true},
        {"numerical row", F, "[EASY_CONFIG]\nOUTPUT_CONFIG_4=1\nOUTPUT_MAP_D5=255\n",
         [](M m) { return m.m_MapD[5]; }, 0x80, "OUTPUT_MAP_D5", true},
        {"AUX kind uses the 5.1 row", F, "[EASY_CONFIG]\nINPUT_CONFIG=3\nOUTPUT_MAP_M4=255\n",
         [](M m) { return m.m_MapM[4]; }, 0x04, "OUTPUT_MAP_M4", true},
        // A routing that is another architecture's row (as a live activation leaves it) is that
        // architecture, whole; so is one that only the bits of its own row make so.
        {"another architecture's row", F,
         "[EASY_CONFIG]\nINPUT_CONFIG=1\nOUTPUT_CONFIG_1=4\nOUTPUT_MAP_M0=1\nOUTPUT_MAP_M1=2\nOUTPUT_MAP_M2="
         "4\n"
         "OUTPUT_MAP_M3=8\nOUTPUT_MAP_M6=3\nOUTPUT_MAP_M7=3\n",
         [](M m) { return m.m_nDSPOutput[INPUT_4_WIRED] * 100 + m.m_MapM[2]; }, 304, "OUTPUT_CONFIG_1", true},
        {"masked into another architecture's row", F,
         "[EASY_CONFIG]\nINPUT_CONFIG=1\nOUTPUT_CONFIG_1=0\nOUTPUT_MAP_M0=1\nOUTPUT_MAP_M1=2\nOUTPUT_MAP_M4="
         "16\n"
         "OUTPUT_MAP_M6=12\nOUTPUT_MAP_M7=12\n",
         [](M m) { return m.m_nDSPOutput[INPUT_4_WIRED] * 100 + m.m_MapM[4]; }, 200, "OUTPUT_CONFIG_1", true},
        {"low byte", F, "[EASY_CONFIG]\nEASY_EXPERT_CONFIG=1\nOUTPUT_MAP_D0=300\n",
         [](M m) { return m.m_MapD[0]; }, 44, "OUTPUT_MAP_D0"},
        {"factory always masks", X, kind1arch3 + "EASY_EXPERT_CONFIG=1\n",
         [](M m) { return m.m_MapM[6] + 1000 * m.m_bEasyExp; }, 1003, "OUTPUT_MAP_M6", true},
        {"mode 2 in a file", F, "[EASY_CONFIG]\nEASY_EXPERT_CONFIG=2\n", [](M m) { return m.m_bEasyExp; }, 1,
         "EASY_EXPERT_CONFIG"},
        {"mode 2 in the factory file", X, "[EASY_CONFIG]\nEASY_EXPERT_CONFIG=2\n",
         [](M m) { return m.m_bEasyExp; }, 0, "EASY_EXPERT_CONFIG"},
        {"output 0 forced", F, "[EASY_CONFIG]\nOUTPUT_CONFIG_0=1\nOUTPUT_CONFIG_2=9\n",
         [](M m) { return m.m_nDSPOutput[0] * 10 + m.m_nDSPOutput[2]; }, 44, "OUTPUT_CONFIG_2"},
        // Sensitivities are stored as 13 - index.
        {"sensitivity 3", F, "[EASY_CONFIG]\nINPUT_SENSITIVITY_MAIN_CH2=3\n",
         [](M m) { return m.m_nInputSensitivityMain[2]; }, 10, nullptr},
        {"sensitivity missing", F, "[EASY_CONFIG]\n", [](M m) { return m.m_nInputSensitivityAux[1]; }, 13,
         nullptr},
        {"sensitivity 20", F, "[EASY_CONFIG]\nINPUT_SENSITIVITY_EASY=20\n",
         [](M m) { return m.m_nEasyConfigInputSensitivity; }, 0, "INPUT_SENSITIVITY_EASY"},
        {"sensitivity -5", F, "[EASY_CONFIG]\nINPUT_SENSITIVITY_AUX_CH0=-5\n",
         [](M m) { return m.m_nInputSensitivityAux[0]; }, 13, "INPUT_SENSITIVITY_AUX_CH0"},
        // Levels, flags, enumerations.
        {"volume 300", F, "[MAIN_CONTROL]\nVOLUME_CH0=300\n", [](M m) { return m.m_nVolume[0]; }, 128,
         "VOLUME_CH0"},
        {"volume -4", F, "[MAIN_CONTROL]\nVOLUME_MAIN=-4\n", [](M m) { return m.m_nMainVolume; }, 0,
         "VOLUME_MAIN"},
        {"preset 7", F, "[PRESET]\nPRESET=7\n", [](M m) { return m.m_nCurPreset; }, 3, "PRESET"},
        {"phase 5", F, "[MAIN_CONTROL]\nPHASE_CH7=5\n", [](M m) { return m.m_bPhase[7]; }, 1, "PHASE_CH7"},
        {"input kind 9", F, "[EASY_CONFIG]\nINPUT_CONFIG=9\n", [](M m) { return m.m_nDSPInput; }, 4,
         "INPUT_CONFIG"},
        {"eq flag into the store", F, "[EQUALIZER]\nENABLE_CH5=1\n",
         [](M m) { return m.m_bEqEnable[5] + 10 * m.m_Lib.GetEqFlag(5); }, 11, nullptr},
        // Crossover types and bandwidths.
        {"high-pass of type 2", F, "[CROSSOVER]\nCH3_HPF_Filtertype=2\n",
         [&](M m) { return xo(3, 0)(m).Filtertype + 10 * m.m_nXoverType[3][1]; }, 0, "CH3_HPF_Filtertype"},
        {"low-pass of type 2", F, "[CROSSOVER]\nCH3_LPF_Filtertype=2\n",
         [&](M m) { return xo(3, 1)(m).Filtertype + 10 * m.m_nXoverType[3][0]; }, 22, nullptr},
        {"high-pass of type 3", F, "[CROSSOVER]\nCH2_HPF_Filtertype=3\n",
         [&](M m) { return xo(2, 0)(m).Filtertype + 10 * m.m_nXoverType[2][1]; }, 33, nullptr},
        {"Q 0.577 kept", F, "[CROSSOVER]\nCH0_HPF_BandWidth=0.577000\n",
         [&](M m) { return xo(0, 0)(m).BandWidth; }, 0.577f, nullptr},
        {"Q 0.55 becomes 0.707", F, "[CROSSOVER]\nCH0_HPF_BandWidth=0.55\n",
         [&](M m) { return xo(0, 0)(m).BandWidth; }, 0.707f, "CH0_HPF_BandWidth"},
        {"missing Q", F, "[CROSSOVER]\n", [&](M m) { return xo(6, 1)(m).BandWidth; }, 0.707f, nullptr},
        {"slope 9", F, "[CROSSOVER]\nCH1_LPF_Slop=9\n", [&](M m) { return xo(1, 1)(m).Slop; }, 7,
         "CH1_LPF_Slop"},
        {"slope -1", F, "[CROSSOVER]\nCH1_HPF_Slop=-1\n", [&](M m) { return xo(1, 0)(m).Slop; }, 0,
         "CH1_HPF_Slop"},
        {"corner 30000", F, "[CROSSOVER]\nCH4_LPF_Freq=30000\n", [&](M m) { return xo(4, 1)(m).Freq; }, 20000,
         "CH4_LPF_Freq"},
        // Equalizer bands.
        {"gain -20", F, "[EQUALIZER]\nCH0_BIQUAD_4_Gain=-20\n", [&](M m) { return eq(0, 4)(m).Gain; }, -15,
         "CH0_BIQUAD_4_Gain"},
        {"Q 0.5", F, "[EQUALIZER]\nCH0_BIQUAD_4_BandWidth=0.5\n", [&](M m) { return eq(0, 4)(m).BandWidth; },
         1.0, "CH0_BIQUAD_4_BandWidth"},
        {"Q 12", F, "[EQUALIZER]\nCH7_BIQUAD_9_BandWidth=12\n", [&](M m) { return eq(7, 9)(m).BandWidth; },
         10.0, "CH7_BIQUAD_9_BandWidth"},
        {"frequency 5", F, "[EQUALIZER]\nCH1_BIQUAD_0_Freq=5\n", [&](M m) { return eq(1, 0)(m).Freq; }, 16,
         "CH1_BIQUAD_0_Freq"},
        {"type 257 is peaking", F, "[EQUALIZER]\nCH1_BIQUAD_1_Filtertype=257\n",
         [&](M m) { return eq(1, 1)(m).Filtertype; }, 1, "CH1_BIQUAD_1_Filtertype"},
        {"type 9 is off", F, "[EQUALIZER]\nCH1_BIQUAD_1_Filtertype=9\n",
         [&](M m) { return eq(1, 1)(m).Filtertype; }, 0, "CH1_BIQUAD_1_Filtertype"},
        {"missing band", F, "[EQUALIZER]\n",
         [&](M m) {
             const SFilterCoef k = eq(2, 3)(m);
             return k.Filtertype + 10 * k.BandWidth + 100 * k.Freq + 1e6 * k.Gain;
         },
         10 + 1600, nullptr},
        // Delays.
        {"delay 1200", F, "[TIME_ALIGNMENT]\nDELAY_CH1=1200\n", [](M m) { return m.m_nDelay[1]; }, 1200,
         nullptr},
        {"delay 1200 shows 22 ms", F, "[TIME_ALIGNMENT]\nDELAY_CH1=1200\n",
         [](M m) { return m.m_fDelayMs[1]; }, 22.0, nullptr},
        {"delay 480 shows 10 ms", F, "[TIME_ALIGNMENT]\nDELAY_CH1=480\n", [](M m) { return m.m_fDelayMs[1]; },
         10.0, nullptr},
        {"delay 9000", F, "[TIME_ALIGNMENT]\nDELAY_CH1=9000\n", [](M m) { return m.m_nDelay[1]; }, 8191,
         "DELAY_CH1"},
        {"delay modulo 65536", F, "[TIME_ALIGNMENT]\nDELAY_CH2=65537\n", [](M m) { return m.m_nDelay[2]; }, 1,
         "DELAY_CH2"},
        {"delay -1", F, "[TIME_ALIGNMENT]\nDELAY_CH2=-1\n", [](M m) { return m.m_nDelay[2]; }, 8191,
         "DELAY_CH2"},
        {"delay 12abc", F, "[TIME_ALIGNMENT]\nDELAY_CH3=12abc\n", [](M m) { return m.m_nDelay[3]; }, 12,
         nullptr},
    };
    for (const SReadCase& c : cases) {
        SCOPED_TRACE(c.name);
        ZProfile p;
        p.LoadText(c.text);
        CSettingsModel m;
        m.WriteStartupDefaults();
        SPresetReport report;
        ReadPresetKeys(p, m, c.mode, &report);
        const std::vector<std::string>& notes = c.bRouting ? report.notes : report.clamped;
        EXPECT_FLOAT_EQ(static_cast<float>(c.get(m)), static_cast<float>(c.want));
        if (c.noted)
            EXPECT_THAT(notes, testing::Contains(testing::StartsWith(std::string(c.noted) + "=")));
        else
            EXPECT_THAT(notes, IsEmpty());
        // A note on the routing changes no value that would be asked about.
        if (c.bRouting) {
            EXPECT_THAT(report.clamped, IsEmpty());
        }
        EXPECT_THAT(RangeViolations(m), IsEmpty());
    }
}

TEST(PresetReader, HostileFilesLoadWithinEveryRange) {
    testutil::TraceCapture trace;
    std::string nasty =
        "\xEF\xBB\xBF; \xC3\xA9t\xC3\xA9 \r\n[main_control]\r\n VOLUME_MAIN  =  99999999999999999999\r\n"
        "volume_ch0=abc\r\nVOLUME_CH0=12\r\nMUTE_CH1=\xFF\xFE\r\n[EASY_CONFIG]\n\tINPUT_CONFIG\t=\t-"
        "2147483648\n"
        "OUTPUT_MAP_M0=" +
        std::string(100000, '9') + "\nINPUT_SENSITIVITY_MAIN_CH0=-2147483648\n" + std::string(1, '\0') +
        "garbage\n[EQUALIZER\nCH0_BIQUAD_0_Gain=-99999\n[EQUALIZER]\nCH0_BIQUAD_1_BandWidth=" +
        std::string(500, '1') +
        "\nCH0_BIQUAD_2_BandWidth=1e400\nCH0_BIQUAD_3_BandWidth=-nan\n"
        "[TIME_ALIGNMENT]\nDELAY_CH0=99999999999999\nDELAY_CH1=\xE2\x82\xAC\n";
    ZProfile p;
    p.LoadText(nasty);
    CSettingsModel m;
    m.WriteStartupDefaults();
    ReadPresetKeys(p, m, EPresetRead::File);
    EXPECT_THAT(RangeViolations(m), IsEmpty());
    EXPECT_EQ(m.m_nMainVolume, 128);
    EXPECT_EQ(m.m_nVolume[0], 0); // the first of two duplicates counts
    EXPECT_EQ(m.m_nInputSensitivityMain[0], 13);
    EXPECT_EQ(m.m_nDelay[0], 8191);
    EXPECT_THAT(trace.Text(), HasSubstr("VOLUME_MAIN=9999999999"));
    EXPECT_THAT(trace.Text(), HasSubstr("DELAY_CH0=99999999999999 -> 8191"));

    // Random damage to a complete file: every result stays within range.
    CSettingsModel source;
    SetAwayFromDefaults(source);
    const std::string clean = PresetText(source);
    std::mt19937 rng(1234);
    const std::string junk[] = {"-",    "9999999999", "=", "[", "]", "\r",  "\n",
                                "\xFF", "e",          ".", " ", ";", "0x1F"};
    for (int round = 0; round < 300; ++round) {
        std::string text = clean;
        for (int edit = 0; edit < 20; ++edit) {
            const std::size_t at = rng() % text.size();
            if (rng() % 2)
                text.insert(at, junk[rng() % std::size(junk)]);
            else
                text.erase(at, rng() % 8);
        }
        p.LoadText(text);
        ReadPresetKeys(p, m, round % 2 ? EPresetRead::File : EPresetRead::Factory);
        ASSERT_THAT(RangeViolations(m), IsEmpty()) << "round " << round;
    }
}

// ---------------------------------------------------------------------------------------------
// The file commands, without a processor

class PresetCommandTest : public CEditorFixture {
protected:
    void SetUp() override {
        CEditorFixture::SetUp();
        m_Core.Model().WriteStartupDefaults();
    }
    bool Marked(std::uint32_t nMsg, std::intptr_t nCode) const {
        return std::count(m_Host.frameMessages.begin(), m_Host.frameMessages.end(),
                          std::make_pair(nMsg, nCode)) != 0;
    }
    std::string WritePreset(const std::string& name, const std::function<void(CSettingsModel&)>& edit = {}) {
        CSettingsModel m;
        SetAwayFromDefaults(m);
        if (edit) edit(m);
        WriteText(m_Dir / name, PresetText(m));
        return m_Dir / name;
    }

    TempFolder m_Dir;
    CPresetFiles m_Files{m_Core.Context(), m_Core.Link()};
};

TEST_F(PresetCommandTest, LoadShowsTheFileAndArmsTheWriteToTheProcessor) {
    CSettingsModel& m = m_Core.Model();
    // Cancelled: the lock is released and nothing else happens.
    m_Files.LoadPresetFile();
    EXPECT_EQ(m_Host.fileDialogs, std::vector<std::string>{"open DSP Files(*.Dovu)|*.Dovu||"});
    EXPECT_EQ(m.m_bMouseLbtnEventBlock, 0);
    EXPECT_FALSE(m_Host.TimerSet(TIMER_SEND_ALL));

    m_Host.openAnswer = WritePreset("tune.Dovu");
    m_Files.LoadPresetFile();
    EXPECT_EQ(m.m_bMouseLbtnEventBlock, 1);
    EXPECT_EQ(m.m_szFilePath, m_Host.openAnswer);
    EXPECT_TRUE(m_Host.TimerSet(TIMER_SEND_ALL));
    EXPECT_EQ(m_Host.titles.back(), std::string(TEXT_TITLE) + "(tune.Dovu)");
    // The file is in expert mode: the after-load refresh lands on the expert page.
    EXPECT_EQ(m.m_bEasyExp, 1);
    EXPECT_EQ(m.m_nPage, 1);
    EXPECT_EQ(m.m_nVolume[7], 107);
    EXPECT_EQ(m.m_nDelay[7], 987);
}

TEST_F(PresetCommandTest, UnreadableFilesChangeNothing) {
    CSettingsModel& m = m_Core.Model();
    const std::string previous = WritePreset("previous.Dovu");
    m.m_szFilePath = previous;
    const std::string before = PresetText(m);
    WriteText(m_Dir / "notes.txt", "just some text\n[other]\na=1\n");
    fs::create_directory(m_Dir / "folder.Dovu");
    std::string big(ZProfile::MAX_FILE_SIZE + 10, '\n');
    WriteText(m_Dir / "big.Dovu", "[PRESET]\nPRESET=1\n" + big);
    for (const std::string& path :
         {m_Dir / "missing.Dovu", m_Dir / "folder.Dovu", m_Dir / "notes.txt", m_Dir / "big.Dovu"}) {
        SCOPED_TRACE(path);
        m_Host.messageBoxes.clear();
        m_Host.openAnswer = path;
        m_Files.LoadPresetFile();
        ASSERT_EQ(m_Host.messageBoxes.size(), 1u);
        EXPECT_THAT(m_Host.messageBoxes[0], HasSubstr(path));
        EXPECT_EQ(PresetText(m), before);
        EXPECT_EQ(m.m_szFilePath, previous);
        EXPECT_EQ(m.m_bMouseLbtnEventBlock, 0);
        EXPECT_FALSE(m_Host.TimerSet(TIMER_SEND_ALL));
        EXPECT_THAT(m_Host.titles, IsEmpty());
    }
    // The same for a factory file that is not there.
    m_Host.messageBoxes.clear();
    m_Files.SetFactoryPath(m_Dir / "no factory.dovu");
    EXPECT_EQ(m_Files.RestoreFactorySettings(), 0);
    EXPECT_EQ(m_Host.messageBoxes.size(), 1u);
    EXPECT_EQ(PresetText(m), before);
    EXPECT_EQ(m.m_szFilePath, previous);
    EXPECT_FALSE(Marked(WM_MARK_LOAD, 5));
}

TEST_F(PresetCommandTest, SaveAsWritesTheChosenFileAndMarksIt) {
    CSettingsModel& m = m_Core.Model();
    SetAwayFromDefaults(m);
    m_Host.saveAnswer = m_Dir / "mine"; // typed without the extension
    m_Files.SavePresetFileAs();
    EXPECT_EQ(m.m_bMouseLbtnEventBlock, 1);
    EXPECT_EQ(m.m_szFilePath, m_Dir / "mine.Dovu");
    EXPECT_TRUE(m_Host.TimerSet(TIMER_SAVE_FILE));
    m_Host.KillTimer(TIMER_SAVE_FILE);
    m_Files.OnSaveFile(); // what the timer's WM_SAVE_FILE does
    EXPECT_TRUE(Marked(WM_MARK_SAVE, 4));
    EXPECT_EQ(m_Host.busyTexts.back(), "正在保存中.....");
    m_Host.Advance(UNLOCK_MOUSE_MS);
    EXPECT_EQ(m.m_bMouseLbtnEventBlock, 0);

    CSettingsModel read;
    ZProfile p;
    ASSERT_TRUE(p.LoadFile(m_Dir / "mine.Dovu"));
    ReadPresetKeys(p, read, EPresetRead::File);
    EXPECT_THAT(Differences(m, read), IsEmpty());
    EXPECT_EQ(m_Dir.Names(), std::vector<std::string>{"mine.Dovu"});
}

TEST_F(PresetCommandTest, SaveIntoTheCurrentFileKeepsForeignLines) {
    CSettingsModel& m = m_Core.Model();
    const std::string path = WritePreset("current.Dovu");
    WriteText(path, "; my car\r\n[MAIN_CONTROL]\r\nVolume_Main = 1\r\nMY_NOTE=keep\r\n\r\n" + ReadText(path));
    m.m_szFilePath = path;
    m.m_nMainVolume = 64;
    m_Files.SavePresetFile();
    EXPECT_THAT(m_Host.fileDialogs, IsEmpty());
    EXPECT_TRUE(Marked(WM_MARK_SAVE, 5));
    EXPECT_EQ(m.m_bMouseLbtnEventBlock, 0); // this command does not lock the input
    const std::string text = ReadText(path);
    EXPECT_EQ(text.rfind("; my car\r\n[MAIN_CONTROL]\r\nVolume_Main=64\r\nMY_NOTE=keep\r\nVOLUME_CH0=", 0),
              0u);
    EXPECT_EQ(ZUtils::GetPrivateProfileInt("MAIN_CONTROL", "VOLUME_MAIN", -1, path), 64);

    // The current file was deleted: the save dialog asks for a name; cancelled, nothing is written.
    fs::remove(path);
    m_Files.SavePresetFile();
    EXPECT_EQ(m_Host.fileDialogs, std::vector<std::string>{"save DSP Files(*.Dovu)|*.Dovu||"});
    EXPECT_FALSE(fs::exists(path));
    m_Host.saveAnswer = m_Dir / "other.Dovu";
    m_Files.SavePresetFile();
    EXPECT_EQ(m.m_szFilePath, m_Dir / "other.Dovu");
    EXPECT_EQ(ZUtils::GetPrivateProfileInt("MAIN_CONTROL", "VOLUME_MAIN", -1, m_Dir / "other.Dovu"), 64);
}

TEST_F(PresetCommandTest, FailedSavesAreReportedAndLeaveTheOldFileWhole) {
    CSettingsModel& m = m_Core.Model();
    m.m_nMainVolume = 33;
    struct SCase {
        const char* name;
        std::string path;
        std::function<void()> before, after;
    };
    const std::string readOnly = WritePreset("readonly.Dovu");
    const std::string full = WritePreset("full.Dovu");
    struct rlimit saved {};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const SCase cases[] = {
        {"read-only file", readOnly, [&] { ::chmod(readOnly.c_str(), 0444); }, [] {}},
        {"missing folder", m_Dir / "no/such/folder.Dovu", [] {}, [] {}},
        // The disk fills up in the middle of the write.
        {"full disk", full,
         [&] {
             std::signal(SIGXFSZ, SIG_IGN);
             struct rlimit small = saved;
             small.rlim_cur = 2000;
             ::setrlimit(RLIMIT_FSIZE, &small);
         },
         [&] { ::setrlimit(RLIMIT_FSIZE, &saved); }},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        m_Host.messageBoxes.clear();
        m_Host.frameMessages.clear();
        const std::string old = ReadText(c.path);
        const std::vector<std::string> names = m_Dir.Names();
        m.m_szFilePath = c.path;
        c.before();
        const int nWritten = m_Files.WriteConfigFile(5);
        c.after();
        EXPECT_EQ(nWritten, 0);
        ASSERT_EQ(m_Host.messageBoxes.size(), 1u);
        EXPECT_THAT(m_Host.messageBoxes[0], HasSubstr(c.path));
        EXPECT_FALSE(Marked(WM_MARK_SAVE, 5));
        EXPECT_EQ(ReadText(c.path), old);
        EXPECT_EQ(m_Dir.Names(), names); // no temporary file left behind
    }
}

TEST_F(PresetCommandTest, FactorySettingsReadTwiceGiveTheSameModel) {
    CSettingsModel& m = m_Core.Model();
    const std::string factory = WritePreset(FACTORY_FILE_NAME, [](CSettingsModel& f) { f.m_bEasyExp = 0; });
    ZUtils::WritePrivateProfileString("EASY_CONFIG", "EASY_EXPERT_CONFIG", "2", factory);
    m_Files.SetFactoryPath(factory);
    EXPECT_EQ(m_Files.RestoreFactorySettings(), 0); // read, but there is no processor to write to
    const std::string first = PresetText(m);
    EXPECT_EQ(m.m_bEasyExp, 0);
    EXPECT_EQ(m.m_nPage, 0);
    EXPECT_EQ(m.m_szFilePath, factory);
    EXPECT_TRUE(Marked(WM_MARK_LOAD, 5));
    EXPECT_EQ(m_Host.titles.back(), TEXT_TITLE);
    EXPECT_EQ(m_Host.busyTexts.back(), "Factory Setting.....");
    EXPECT_EQ(m.m_bMouseLbtnEventBlock, 0);
    m.m_nMainVolume = 1;
    m.m_MapA[3] = 0xFF;
    m_Files.RestoreFactorySettings();
    EXPECT_EQ(PresetText(m), first);
    EXPECT_THAT(m_Host.messageBoxes, IsEmpty());

    // The same value in a loaded file means expert mode.
    m_Host.openAnswer = factory;
    m_Files.LoadPresetFile();
    EXPECT_EQ(m.m_bEasyExp, 1);
}

TEST_F(PresetCommandTest, ShippedFactoryFileIsASafeStart) {
    ASSERT_TRUE(fs::exists(FactoryFilePath())) << FactoryFilePath();
    EXPECT_EQ(m_Files.FactoryPath(), FactoryFilePath());
    m_Files.RestoreFactorySettings();
    const CSettingsModel& m = m_Core.Model();
    EXPECT_TRUE(m_Files.LastReport().Clean());
    EXPECT_THAT(m_Host.messageBoxes, IsEmpty());
    EXPECT_EQ(m.m_bEasyExp, 0);
    EXPECT_LT(m.m_nMainVolume, 128);
    EXPECT_GT(m.m_nMainVolume, 64);
    int nFed = 0;
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch) {
        EXPECT_EQ(m.m_bMute[ch], 0);
        EXPECT_EQ(m.m_nDelay[ch], 0);
        nFed += m.m_MapM[ch] != 0;
        // Every output is protected from the deepest bass by a high-pass filter.
        const SFilterCoef hp = m.m_Lib.GetXoverCoef(static_cast<std::uint8_t>(ch), 0);
        EXPECT_EQ(m.m_bXoverEnable[ch], 1);
        EXPECT_EQ(hp.Filtertype, FT_HIGHPASS);
        for (int b = 0; b < CRev8001Lib::EQ_BANDS; ++b)
            EXPECT_EQ(m.m_Lib.GetEqCoef(static_cast<std::uint8_t>(ch), static_cast<std::uint8_t>(b)).Gain, 0);
    }
    EXPECT_GE(nFed, 6);
}

// ---------------------------------------------------------------------------------------------
// With simulated processors

// The fields of two processor configurations that differ.
std::vector<std::string> SimDifferences(const Sim::SSimConfig& a, const Sim::SSimConfig& b) {
    std::vector<std::string> diff;
    auto check = [&](bool bSame, const char* pszField) {
        if (!bSame) diff.push_back(pszField);
    };
    check(a.nVolume == b.nVolume, "nVolume");
    check(a.nMainVolume == b.nMainVolume, "nMainVolume");
    check(a.bPhase == b.bPhase, "bPhase");
    check(a.nMuteMask == b.nMuteMask, "nMuteMask");
    check(a.Map == b.Map, "Map");
    check(a.Easy_Expert == b.Easy_Expert, "Easy_Expert");
    check(a.Input == b.Input, "Input");
    check(a.SubInput == b.SubInput, "SubInput");
    check(a.nLevelMain == b.nLevelMain, "nLevelMain");
    check(a.nLevelAux == b.nLevelAux, "nLevelAux");
    check(a.bHighLow == b.bHighLow, "bHighLow");
    check(a.Output == b.Output, "Output");
    check(a.Eq == b.Eq, "Eq");
    check(a.Veq == b.Veq, "Veq");
    check(a.Xover == b.Xover, "Xover");
    check(a.bEqFlag == b.bEqFlag, "bEqFlag");
    check(a.bVeqFlag == b.bVeqFlag, "bVeqFlag");
    check(a.bXoverFlag == b.bXoverFlag, "bXoverFlag");
    check(a.nDelay == b.nDelay, "nDelay");
    check(a.nVeqVoltage == b.nVeqVoltage, "nVeqVoltage");
    check(a.nVeqLed == b.nVeqLed, "nVeqLed");
    check(a.System == b.System, "System");
    check(a.Password == b.Password, "Password");
    return diff;
}

// The fields a preset file does not carry (or the live write does not send) taken from another
// configuration, so that whole configurations can be compared.
Sim::SSimConfig WithUncarried(Sim::SSimConfig cfg, const Sim::SSimConfig& from) {
    cfg.Veq = from.Veq;
    cfg.bVeqFlag = from.bVeqFlag;
    cfg.Output = from.Output;
    cfg.System = from.System;
    cfg.Password = from.Password;
    cfg.nVeqVoltage = from.nVeqVoltage;
    cfg.nVeqLed = from.nVeqLed;
    for (int i = MLB8_AUX_INPUTS; i < Sim::kLevels; ++i)
        cfg.nLevelAux[i] = from.nLevelAux[i];
    for (int ch = 0; ch < Sim::kChannels; ++ch) {
        cfg.Eq[ch][10] = from.Eq[ch][10];
        cfg.Xover[ch][2] = from.Xover[ch][2];
    }
    return cfg;
}

class PresetSimTest : public CEditorFixture {
protected:
    // The search, its timer, the connection and the load; then the controls are unlocked.
    void Connect() {
        PlugIn();
        m_Core.Start();
        m_Host.Advance(DEVICE_SEARCH_MS);
        m_Host.Pump();
        ASSERT_TRUE(m_Core.Protocol().IsOpen());
        m_Host.Advance(UNLOCK_MOUSE_MS);
    }

    TempFolder m_Dir;
    CPresetFiles m_Files{m_Core.Context(), m_Core.Link()};
};

TEST_F(PresetSimTest, SavedFileLoadedBackRestoresTheProcessor) {
    Connect();
    const Sim::SSimConfig tune = m_Sim.Running();
    m_Host.saveAnswer = m_Dir / "tune.Dovu";
    m_Files.SavePresetFileAs();
    m_Host.KillTimer(TIMER_SAVE_FILE);
    m_Files.OnSaveFile();

    // The processor is changed behind the editor's back; loading the file writes the tune again.
    m_Sim.SetRunning(WithUncarried(Sim::MakeTune(3), tune));
    m_Sim.ClearReceivedFrames();
    m_Host.openAnswer = m_Dir / "tune.Dovu";
    m_Files.LoadPresetFile();
    EXPECT_EQ(m_Sim.ReceivedFrameCount(), 0u); // not before timer 13
    m_Host.Advance(100);
    m_Host.Pump();
    // In standard mode the routing bytes come back masked by the architecture's routing preset.
    Sim::SSimConfig want = tune;
    m_Core.Model().GetChannelMapBytes(9, want.Map.data());
    EXPECT_THAT(SimDifferences(WithUncarried(m_Sim.Running(), want), want), IsEmpty());
    EXPECT_GT(m_Sim.ReceivedFrameCount(), 100u);
    EXPECT_EQ(m_Host.frameMessages.back(), std::make_pair(WM_MARK_LOAD, static_cast<std::intptr_t>(4)));
    EXPECT_EQ(m_Core.Model().m_bMouseLbtnEventBlock, 1);
    m_Host.Advance(UNLOCK_MOUSE_MS);
    EXPECT_EQ(m_Core.Model().m_bMouseLbtnEventBlock, 0);
    EXPECT_THAT(m_Host.messageBoxes, IsEmpty());
}

TEST_F(PresetSimTest, FactoryFileThatCannotBeReadSendsNothing) {
    Connect();
    const Sim::SSimConfig before = m_Sim.Running();
    m_Sim.ClearReceivedFrames();
    m_Files.SetFactoryPath(m_Dir / "gone.dovu");
    EXPECT_EQ(m_Files.RestoreFactorySettings(), 0);
    m_Host.Pump();
    EXPECT_EQ(m_Sim.ReceivedFrameCount(), 0u);
    EXPECT_TRUE(m_Sim.Running() == before);
    EXPECT_EQ(m_Host.messageBoxes.size(), 1u);

    m_Files.SetFactoryPath(FactoryFilePath());
    EXPECT_EQ(m_Files.RestoreFactorySettings(), 1);
    m_Host.Pump();
    EXPECT_EQ(m_Sim.Running().nMainVolume, m_Core.Model().m_nMainVolume);
    EXPECT_EQ(m_Sim.Running().Easy_Expert, 0);
}

// Runs a program with arguments; its standard output and error go to outPath.
int RunProgram(const std::vector<std::string>& args, const std::string& outPath) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = 0;
    const int nError = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (nError != 0) return -1;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Recalls processor preset n (0..3) on a simulator as the menu does.
void RecallPreset(Sim::CSimProcessor& sim, int n) {
    ZUtils::ClearExtraPorts();
    ZUtils::RegisterExtraPort(sim.PortPath());
    CFakeHost host;
    CEditorCore core(host);
    host.Attach(&core);
    core.Start();
    host.Advance(DEVICE_SEARCH_MS);
    host.Pump();
    core.OnCommand(ID_LOAD_PRESET_1 + n);
    host.Pump();
    core.Protocol().Close();
    core.SearchProtocol().Close();
    ZUtils::ClearExtraPorts();
}

TEST(PresetTool, DumpFromOneProcessorAndLoadIntoAnotherCarriesTheConfiguration) {
    const std::string tool = ZUtils::ExecutableDir() + "/mlb8ctl";
    ASSERT_TRUE(fs::exists(tool));
    TempFolder dir;
    const std::string file = dir / "dump.Dovu", out = dir / "out.txt";
    Sim::CSimProcessor first, second;
    ASSERT_TRUE(first.Start());
    ASSERT_TRUE(second.Start());
    // The first one runs its expert-mode preset 4 (the routing is carried bit for bit); the second
    // one keeps its preset 1, which a connection recalls.
    RecallPreset(first, 3);
    const Sim::SSimConfig tune = first.Running();
    ASSERT_EQ(tune.Easy_Expert, 1);
    ASSERT_FALSE(second.Running() == tune);

    ASSERT_EQ(RunProgram({tool, "--port", first.PortPath(), "dump", file}, out), 0) << ReadText(out);
    ASSERT_EQ(RunProgram({tool, "check", file}, out), 0) << ReadText(out);
    EXPECT_THAT(ReadText(out), HasSubstr("All 477 keys present; no value had to be clamped."));
    ASSERT_EQ(RunProgram({tool, "--port", second.PortPath(), "load", file}, out), 0) << ReadText(out);
    EXPECT_THAT(SimDifferences(WithUncarried(second.Running(), tune), tune), IsEmpty());

    // check names what it clamped (and gives load's verdict); a file that is not there is an error.
    ZUtils::WritePrivateProfileString("TIME_ALIGNMENT", "DELAY_CH4", "9000", file);
    ASSERT_EQ(RunProgram({tool, "check", file}, out), 3) << ReadText(out);
    EXPECT_THAT(ReadText(out), HasSubstr("DELAY_CH4=9000 -> 8191"));
    EXPECT_EQ(RunProgram({tool, "check", dir / "none.Dovu"}, out), 1);
    EXPECT_EQ(RunProgram({tool, "load"}, out), 2);
}

// ---------------------------------------------------------------------------------------------
// Bad files never reach the processor

// UTF-16 (little-endian, with its byte order mark) of an ASCII text.
std::string Utf16(const std::string& text) {
    std::string out = "\xFF\xFE";
    for (const char c : text) {
        out += c;
        out += '\0';
    }
    return out;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

TEST(PresetTool, BadFilesAreReportedAndNeverReachTheProcessor) {
    const std::string tool = ZUtils::ExecutableDir() + "/mlb8ctl";
    TempFolder dir;
    Sim::CSimProcessor sim;
    ASSERT_TRUE(sim.Start());
    CSettingsModel source;
    SetAwayFromDefaults(source);
    const std::string clean = PresetText(source);
    const std::string crossover = clean.substr(clean.find("[CROSSOVER]"));
    const std::string timeAlignment = clean.substr(clean.find("[TIME_ALIGNMENT]"));

    struct SRow {
        const char* name;
        std::function<std::string()> make; // creates the file, returns its path
        int nCheck, nLoad;                 // exit status of check and of load
        std::string report;                // in the output of check and of the refused load
        std::string window;                // in the window's question or message
    };
    auto file = [&](const std::string& name, const std::string& text) {
        return [&dir, name, text] {
            WriteText(dir / name, text);
            return dir / name;
        };
    };
    const std::string okVolume = "VOLUME_CH3=" + std::to_string(source.m_nVolume[3]);
    const SRow rows[] = {
        {"cut inside the equalizer", file("cut-eq.Dovu", clean.substr(0, clean.find("CH3_BIQUAD_5_"))), 3, 3,
         "Missing keys (260 of 477: EQUALIZER 180, CROSSOVER 72, TIME_ALIGNMENT 8)",
         "260 keys of 477 are missing (EQUALIZER 180, CROSSOVER 72, TIME_ALIGNMENT 8)"},
        {"cut inside a key", file("cut-key.Dovu", clean.substr(0, clean.rfind("DELAY_CH7") + 5)), 3, 3,
         "[TIME_ALIGNMENT] DELAY_CH7", "1 key of 477 is missing (TIME_ALIGNMENT 1)"},
        {"only the preset section", file("preset-only.Dovu", "[PRESET]\r\nPRESET=1\r\n"), 3, 3,
         "MAIN_CONTROL 25, EASY_CONFIG 43, EQUALIZER 328, CROSSOVER 72, TIME_ALIGNMENT 8",
         "476 keys of 477 are missing"},
        {"crossover section missing",
         file("no-xover.Dovu", Replaced(clean, crossover.substr(0, crossover.find("[TIME_ALIGNMENT]")), "")),
         3, 3, "Missing keys (72 of 477: CROSSOVER 72)", "(CROSSOVER 72)"},
        {"out of range", file("loud.Dovu", Replaced(clean, okVolume, "VOLUME_CH3=300")), 3, 3,
         "VOLUME_CH3=300 -> 128", "1 value is out of range and would be changed: VOLUME_CH3=300 -> 128"},
        {"not a number", file("nan.Dovu", Replaced(clean, "VOLUME_CH1=101", "VOLUME_CH1=nan")), 3, 3,
         "Unreadable values (1):\n  VOLUME_CH1=nan",
         "1 value is not a number and would load as 0: VOLUME_CH1=nan"},
        {"UTF-16", file("utf16.Dovu", Utf16(clean)), 1, 1, "UTF-16", "UTF-16"},
        {"larger than the limit", file("huge.Dovu", clean + std::string(ZProfile::MAX_FILE_SIZE, '\n')), 1, 1,
         "larger than 16 MB", "larger than 16 MB"},
        {"FIFO",
         [&] {
             ::mkfifo((dir / "fifo.Dovu").c_str(), 0644);
             return dir / "fifo.Dovu";
         },
         1, 1, "not a regular file", "not a regular file"},
        {"device", [] { return std::string("/dev/null"); }, 1, 1, "not a regular file", "not a regular file"},
        {"directory",
         [&] {
             fs::create_directory(dir / "folder.Dovu");
             return dir / "folder.Dovu";
         },
         1, 1, "Is a directory", "Is a directory"},
        {"missing", [&] { return dir / "missing.Dovu"; }, 1, 1, "No such file", "No such file"},
        {"not a preset file", file("notes.Dovu", "[other]\na=1\n"), 1, 1, "not a preset file",
         "not a preset file"},
    };
    const std::string out = dir / "out.txt";
    for (const SRow& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string path = row.make();
        EXPECT_EQ(RunProgram({tool, "check", path}, out), row.nCheck) << ReadText(out);
        EXPECT_THAT(ReadText(out), HasSubstr(row.report));

        sim.ClearReceivedFrames();
        EXPECT_EQ(RunProgram({tool, "--port", sim.PortPath(), "load", path}, out), row.nLoad)
            << ReadText(out);
        EXPECT_THAT(ReadText(out), HasSubstr(row.report));
        EXPECT_EQ(sim.ReceivedFrameCount(), 0u);

        // The window: the same file is named before anything changes; Cancel keeps everything.
        CFakeHost host;
        CEditorCore core(host);
        host.Attach(&core);
        core.Model().WriteStartupDefaults();
        const std::string before = PresetText(core.Model());
        host.bConfirmAnswer = false;
        host.openAnswer = path;
        core.Files().LoadPresetFile();
        const std::vector<std::string>& said = row.nLoad == 3 ? host.confirms : host.messageBoxes;
        ASSERT_EQ(said.size(), 1u);
        EXPECT_THAT(said[0], HasSubstr(row.window));
        EXPECT_EQ(PresetText(core.Model()), before);
        EXPECT_FALSE(host.TimerSet(TIMER_SEND_ALL));
        EXPECT_EQ(core.Model().m_bMouseLbtnEventBlock, 0);
        EXPECT_THAT(host.titles, IsEmpty());
    }

    // The same report as one JSON document.
    EXPECT_EQ(RunProgram({tool, "--json", "check", dir / "cut-eq.Dovu"}, out), 3);
    std::string json = ReadText(out);
    EXPECT_EQ(json.find('\n'), json.size() - 1);
    EXPECT_THAT(json, HasSubstr("\"readable\":true,\"exitCode\":3,\"keys\":477,\"complete\":false"));
    EXPECT_THAT(json,
                HasSubstr("\"missingBySection\":{\"EQUALIZER\":180,\"CROSSOVER\":72,\"TIME_ALIGNMENT\":8}"));
    EXPECT_THAT(json, HasSubstr("{\"section\":\"EQUALIZER\",\"key\":\"CH3_BIQUAD_5_Filtertype\"}"));
    EXPECT_EQ(RunProgram({tool, "--json", "check", dir / "fifo.Dovu"}, out), 1);
    EXPECT_EQ(ReadText(out), "{\"file\":\"" + dir / "fifo.Dovu" +
                                 "\",\"readable\":false,\"error\":\"not a regular file\",\"exitCode\":1}\n");
    // A file name is bytes: what is not UTF-8 (a stray byte, an overlong '/', a surrogate, a cut
    // sequence) is written as U+FFFD, so the document stays JSON; UTF-8 passes through.
    EXPECT_EQ(RunProgram({tool, "--json", "check", dir / "caf\xc3\xa9-\xff-\xc0\xaf-\xed\xa0\x80-\xc3"}, out),
              1);
    EXPECT_THAT(
        ReadText(out),
        HasSubstr("caf\xc3\xa9-\\ufffd-\\ufffd\\ufffd-\\ufffd\\ufffd\\ufffd-\\ufffd\",\"readable\":false"));

    // Told to, load takes the cut file with its defaults.
    sim.ClearReceivedFrames();
    EXPECT_EQ(RunProgram({tool, "--port", sim.PortPath(), "load", "--force", dir / "cut-eq.Dovu"}, out), 0)
        << ReadText(out);
    EXPECT_GT(sim.ReceivedFrameCount(), 100u);
    EXPECT_EQ(sim.Running().bXoverFlag[0], 0);
}

TEST_F(PresetCommandTest, LoadAnywayAppliesTheIncompleteFile) {
    CSettingsModel& m = m_Core.Model();
    WriteText(m_Dir / "short.Dovu", "[MAIN_CONTROL]\r\nVOLUME_MAIN=90\r\nVOLUME_CH0=400\r\n");
    m_Host.openAnswer = m_Dir / "short.Dovu";
    m_Files.LoadPresetFile();
    ASSERT_EQ(m_Host.confirms.size(), 1u);
    EXPECT_THAT(m_Host.confirms[0], HasSubstr("475 keys of 477 are missing (PRESET 1, MAIN_CONTROL 23, "));
    EXPECT_THAT(m_Host.confirms[0], HasSubstr("VOLUME_CH0=400 -> 128"));
    EXPECT_EQ(m.m_nMainVolume, 90);
    EXPECT_TRUE(m_Host.TimerSet(TIMER_SEND_ALL));
    EXPECT_EQ(m_Files.LastReport().missing.size(), 475u);
    EXPECT_EQ(m_Files.LastReport().clamped.size(), 1u);

    // A complete file is applied without a question.
    m_Host.confirms.clear();
    m_Host.openAnswer = WritePreset("whole.Dovu");
    m_Files.LoadPresetFile();
    EXPECT_THAT(m_Host.confirms, IsEmpty());
    EXPECT_EQ(m.m_nMainVolume, 77);

    // An incomplete factory file is asked about the same way; Cancel keeps everything.
    m_Files.SetFactoryPath(m_Dir / "short.Dovu");
    m_Host.bConfirmAnswer = false;
    const std::string before = PresetText(m);
    EXPECT_EQ(m_Files.RestoreFactorySettings(), 0);
    ASSERT_EQ(m_Host.confirms.size(), 1u);
    EXPECT_THAT(m_Host.confirms[0], HasSubstr("The factory settings file"));
    EXPECT_EQ(PresetText(m), before);
    EXPECT_EQ(m.m_szFilePath, m_Dir / "whole.Dovu");
    EXPECT_FALSE(Marked(WM_MARK_LOAD, 5));
}

TEST_F(PresetCommandTest, SavesGoOnlyOntoRegularFilesOrNewNames) {
    CSettingsModel& m = m_Core.Model();
    m.m_nMainVolume = 42;
    auto saved = [](const std::string& path) {
        return ZUtils::GetPrivateProfileInt("MAIN_CONTROL", "VOLUME_MAIN", -1, path) == 42;
    };
    // A link to a regular file: the file it points to is replaced, the link stays.
    const std::string target = WritePreset("target.Dovu");
    ASSERT_EQ(::symlink("target.Dovu", (m_Dir / "link.Dovu").c_str()), 0);
    m.m_szFilePath = m_Dir / "link.Dovu";
    EXPECT_EQ(m_Files.WriteConfigFile(5), 1);
    EXPECT_TRUE(fs::is_symlink(m_Dir / "link.Dovu"));
    EXPECT_TRUE(saved(target));

    // The longest name a folder takes, new and then replaced.
    const std::string longName = std::string(NAME_MAX - 5, 'n') + ".Dovu";
    m.m_szFilePath = m_Dir / longName;
    EXPECT_EQ(m_Files.WriteConfigFile(4), 1);
    EXPECT_EQ(m_Files.WriteConfigFile(5), 1) << m_Files.LastError();
    EXPECT_TRUE(saved(m_Dir / longName));

    // A file too large to read as a preset is replaced when the user chose it.
    WriteText(m_Dir / "huge.Dovu", std::string(ZProfile::MAX_FILE_SIZE + 1, ';'));
    m.m_szFilePath = m_Dir / "huge.Dovu";
    EXPECT_EQ(m_Files.WriteConfigFile(4), 1);
    EXPECT_TRUE(saved(m_Dir / "huge.Dovu"));

    // Anything else is refused, named and left as it was.
    ASSERT_EQ(::symlink("nowhere.Dovu", (m_Dir / "dangling.Dovu").c_str()), 0);
    ASSERT_EQ(::mkfifo((m_Dir / "fifo.Dovu").c_str(), 0644), 0);
    const bool bDevice = ::mknod((m_Dir / "null.Dovu").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    fs::create_directory(m_Dir / "folder.Dovu");
    struct SRefused {
        std::string name, reason;
    };
    std::vector<SRefused> refused = {{"dangling.Dovu", "symbolic link to a file that does not exist"},
                                     {"fifo.Dovu", "not a regular file"},
                                     {"folder.Dovu", "Is a directory"}};
    if (bDevice) refused.push_back({"null.Dovu", "not a regular file"});
    for (const SRefused& r : refused) {
        SCOPED_TRACE(r.name);
        m_Host.messageBoxes.clear();
        const auto before = fs::symlink_status(m_Dir / r.name).type();
        const std::vector<std::string> names = m_Dir.Names();
        m.m_szFilePath = m_Dir / r.name;
        EXPECT_EQ(m_Files.WriteConfigFile(4), 0);
        ASSERT_EQ(m_Host.messageBoxes.size(), 1u);
        EXPECT_THAT(m_Host.messageBoxes[0], HasSubstr(r.reason));
        EXPECT_EQ(fs::symlink_status(m_Dir / r.name).type(), before);
        EXPECT_EQ(m_Dir.Names(), names);
    }
    // The save command looks at the current file without opening it: a FIFO does not hold it.
    m_Host.messageBoxes.clear();
    m.m_szFilePath = m_Dir / "fifo.Dovu";
    m_Files.SavePresetFile();
    EXPECT_THAT(m_Host.fileDialogs, IsEmpty());
    ASSERT_EQ(m_Host.messageBoxes.size(), 1u);
    EXPECT_THAT(m_Host.messageBoxes[0], HasSubstr("not a regular file"));
    if (!bDevice) GTEST_SKIP() << "no device node could be made here";
}

TEST(Profile, ManyEmptySectionsBeforeAPresetStillRead) {
    // The shape of a crafted file: millions of empty sections, then a valid preset. Reading is
    // linear in the file size (see the preset file benchmark); here only the result is checked.
    CSettingsModel source;
    SetAwayFromDefaults(source);
    std::string text;
    constexpr int kSections = 3500000;
    text.reserve(kSections * 4 + 20000);
    for (int i = 0; i < kSections; ++i)
        text += "[]\r\n";
    text += PresetText(source);
    ASSERT_LE(text.size(), ZProfile::MAX_FILE_SIZE);
    ZProfile p;
    p.LoadText(text);
    CSettingsModel read;
    SPresetReport report;
    ReadPresetKeys(p, read, EPresetRead::File, &report);
    EXPECT_TRUE(report.Clean());
    EXPECT_THAT(Differences(source, read), IsEmpty());
    EXPECT_EQ(p.Text(), text);
}

TEST(PresetTool, LoadThenShowOrStoreKeepWhatWasLoaded) {
    const std::string tool = ZUtils::ExecutableDir() + "/mlb8ctl";
    TempFolder dir;
    const std::string out = dir / "out.txt";
    Sim::CSimProcessor sim;
    ASSERT_TRUE(sim.Start());
    const Sim::SSimConfig stored = sim.Memory(sim.CurrentPreset());
    CSettingsModel source;
    SetAwayFromDefaults(source);
    // The store writes crossover switches pairwise while a pair is selected: keep pairs alike.
    source.m_bXoverEnable[3] = 1;
    source.m_Lib.SetXoverFlag(3, 1);
    WriteText(dir / "tune.Dovu", PresetText(source));

    ASSERT_EQ(RunProgram({tool, "--port", sim.PortPath(), "load", dir / "tune.Dovu"}, out), 0)
        << ReadText(out);
    const Sim::SSimConfig loaded = sim.Running();
    ASSERT_FALSE(loaded == stored);
    // show reads what runs; it does not recall the stored preset over it.
    ASSERT_EQ(RunProgram({tool, "--port", sim.PortPath(), "--json", "show"}, out), 0) << ReadText(out);
    EXPECT_TRUE(sim.Running() == loaded);
    EXPECT_THAT(ReadText(out), HasSubstr("\"delay\":{\"samples\":987,\"ms\":20.5625,\"cm\":"));
    // store after load stores the loaded tune.
    ASSERT_EQ(RunProgram({tool, "--port", sim.PortPath(), "store", "3"}, out), 0) << ReadText(out);
    EXPECT_THAT(SimDifferences(WithUncarried(sim.Memory(2), loaded), loaded), IsEmpty());
    EXPECT_TRUE(sim.Running() == loaded);
}

TEST(PresetTool, LoadWithStoreWritesAndStoresInOneGo) {
    const std::string tool = ZUtils::ExecutableDir() + "/mlb8ctl";
    TempFolder dir;
    const std::string out = dir / "out.txt";
    Sim::CSimProcessor sim;
    ASSERT_TRUE(sim.Start());
    CSettingsModel source;
    SetAwayFromDefaults(source);
    source.m_nMainVolume = 55;
    source.m_nDelay[7] = 12;
    WriteText(dir / "other.Dovu", PresetText(source));
    ASSERT_EQ(RunProgram({tool, "--port", sim.PortPath(), "load", dir / "other.Dovu", "--store", "2"}, out),
              0)
        << ReadText(out);
    EXPECT_THAT(ReadText(out), HasSubstr("Stored into processor preset 2."));
    EXPECT_EQ(sim.Running().nMainVolume, 55);
    EXPECT_EQ(sim.Memory(1).nMainVolume, 55);
    EXPECT_EQ(sim.Memory(1).nDelay[7], 12);
    EXPECT_EQ(RunProgram({tool, "store", "2", "--store", "1"}, out), 2);
}

TEST(PresetTool, DumpChecksTheDestinationBeforeReadingTheProcessor) {
    const std::string tool = ZUtils::ExecutableDir() + "/mlb8ctl";
    TempFolder dir;
    const std::string out = dir / "out.txt";
    Sim::CSimProcessor sim;
    ASSERT_TRUE(sim.Start());
    for (const std::string& path : {dir / "no/such/folder.Dovu", std::string("/dev/null"), dir.Path()}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(RunProgram({tool, "--port", sim.PortPath(), "dump", path}, out), 1);
        EXPECT_THAT(ReadText(out), HasSubstr("cannot write " + path));
        EXPECT_EQ(sim.ReceivedFrameCount(), 0u);
    }
    EXPECT_EQ(RunProgram({tool, "--port", sim.PortPath(), "--json", "ports"}, out), 0);
    EXPECT_THAT(ReadText(out), HasSubstr("{\"ports\":[{\"port\":\"COM200\",\"device\":\"" + sim.PortPath()));
    EXPECT_EQ(RunProgram({tool, "--port", sim.PortPath(), "--json", "probe"}, out), 0);
    EXPECT_EQ(ReadText(out),
              "{\"found\":true,\"port\":\"COM200\",\"device\":\"" + sim.PortPath() + "\",\"address\":0}\n");
    // The busy text of the window stays off the terminal.
    ASSERT_EQ(RunProgram({tool, "--port", sim.PortPath(), "dump", dir / "tune.Dovu"}, out), 0);
    EXPECT_EQ(ReadText(out), "Wrote the running configuration to " + dir / "tune.Dovu" + "\n");
    // The simulator's own tune saves and checks clean.
    ASSERT_EQ(RunProgram({tool, "check", dir / "tune.Dovu"}, out), 0);
    EXPECT_THAT(ReadText(out), HasSubstr("All 477 keys present; no value had to be clamped."));
}

// ---------------------------------------------------------------------------------------------
// Differences between two configurations

// The default configuration with out 3's fifth band at 500 Hz -3 dB Q 2.5.
void SetDiffBase(CSettingsModel& m) {
    m.WriteStartupDefaults();
    m.m_Lib.SetEqCoef(2, 4, FilterRecord::Peak(500, -3, 2.5f));
}

// A number as the difference lines print it.
std::string Printed(const char* pszFormat, double f) {
    char sz[32];
    std::snprintf(sz, sizeof sz, pszFormat, f);
    return sz;
}

std::vector<std::string> DiffLines(const CSettingsModel& a, const CSettingsModel& b) {
    std::vector<std::string> lines;
    for (const SSettingDifference& d : DiffSettings(a, b))
        lines.push_back(d.Line());
    return lines;
}

TEST(PresetDiff, EachChangedSettingIsOneLineInTheUsersTerms) {
    using Edit = std::function<void(CSettingsModel&)>;
    auto eq = [](int ch, int band, std::function<void(SFilterCoef&)> change) {
        return [=](CSettingsModel& m) {
            SFilterCoef k = m.m_Lib.GetEqCoef(static_cast<std::uint8_t>(ch), static_cast<std::uint8_t>(band));
            change(k);
            m.m_Lib.SetEqCoef(static_cast<std::uint8_t>(ch), static_cast<std::uint8_t>(band), k);
        };
    };
    auto xover = [](int ch, int f, std::function<void(SFilterCoef&)> change) {
        return [=](CSettingsModel& m) {
            SFilterCoef k = m.m_Lib.GetXoverCoef(static_cast<std::uint8_t>(ch), static_cast<std::uint8_t>(f));
            change(k);
            m.m_Lib.SetXoverCoef(static_cast<std::uint8_t>(ch), static_cast<std::uint8_t>(f), k);
        };
    };
    CSettingsModel base;
    SetDiffBase(base);
    const SFilterCoef hp = base.m_Lib.GetXoverCoef(3, CRev8001Lib::XOVER_HIGHPASS);
    const std::string hpText =
        std::to_string(hp.Freq) + " Hz " + std::to_string(6 * (hp.Slop + 1)) + " dB/oct";
    struct SRow {
        const char* name;
        Edit edit;
        std::vector<std::string> lines;
    };
    const SRow rows[] = {
        {"equalizer gain",
         eq(2, 4, [](SFilterCoef& k) { k.Gain = -1; }),
         {"Out 3 EQ band 5: 500 Hz -3 dB Q 2.5 -> 500 Hz -1 dB Q 2.5"}},
        {"equalizer band off",
         eq(2, 4, [](SFilterCoef& k) { k.Filtertype = FT_OFF; }),
         {"Out 3 EQ band 5: 500 Hz -3 dB Q 2.5 -> off (500 Hz -3 dB Q 2.5)"}},
        {"equalizer shelf and Q",
         eq(7, 9,
            [](SFilterCoef& k) {
                k.Filtertype = FT_LOWPASS;
                k.BandWidth = 0.707f;
                k.Gain = 6;
            }),
         {"Out 8 EQ band 10: " + std::to_string(CRev8001Lib::DEFAULT_EQ_FREQ[9]) + " Hz +0 dB Q " +
          Printed("%g", static_cast<double>(base.m_Lib.GetEqCoef(7, 9).BandWidth)) + " -> low-pass " +
          std::to_string(CRev8001Lib::DEFAULT_EQ_FREQ[9]) + " Hz +6 dB Q 0.707"}},
        {"equalizer switch",
         [](CSettingsModel& m) { m.m_Lib.SetEqFlag(0, !m.m_Lib.GetEqFlag(0)); },
         {std::string("Out 1 EQ: ") + (base.m_Lib.GetEqFlag(0) ? "on -> off" : "off -> on")}},
        {"levels",
         [](CSettingsModel& m) {
             m.m_nMainVolume = 108;
             m.m_nVolume[5] = 127;
         },
         {"Master level: " + Printed("%.1f dB", CSettingsModel::DbFromVolume(base.m_nMainVolume)) +
              " -> -10.0 dB",
          "Out 6 level: " + Printed("%.1f dB", CSettingsModel::DbFromVolume(base.m_nVolume[5])) +
              " -> -0.5 dB"}},
        {"mute, phase and delay",
         [](CSettingsModel& m) {
             m.m_bMute[1] = !m.m_bMute[1];
             m.m_bPhase[1] = 1;
             m.m_nDelay[1] = 48;
         },
         {std::string("Out 2 mute: ") + (base.m_bMute[1] ? "on -> off" : "off -> on"),
          "Out 2 phase: normal -> inverted",
          "Out 2 delay: 0.000 ms (0.0 cm, 0 samples) -> 1.000 ms (34.3 cm, 48 samples)"}},
        {"crossover corner and slope",
         xover(3, CRev8001Lib::XOVER_HIGHPASS,
               [](SFilterCoef& k) {
                   k.Freq = 80;
                   k.Slop = 3;
               }),
         {"Out 4 high-pass: " + std::string(hp.Filtertype == FT_OFF ? "off (" + hpText + ")" : hpText) +
          " -> " + (hp.Filtertype == FT_OFF ? "off (80 Hz 24 dB/oct)" : "80 Hz 24 dB/oct")}},
        {"mode and inputs",
         [](CSettingsModel& m) {
             m.m_bEasyExp = 1;
             m.m_nDSPExpInput = 1;
             m.m_nInputSensitivityAux[1] = 0;
             m.m_nDSPOutput[INPUT_AUX] = ARCH_21;
         },
         {"Mode: standard -> expert", "Architecture with the AUX input: 5.1 -> 2.1",
          "Expert input: main -> AUX",
          "AUX input 2 sensitivity: " +
              Printed("%.1f V", static_cast<double>(SensitivityVolts(base.m_nInputSensitivityAux[1], 0))) +
              " -> " + Printed("%.1f V", static_cast<double>(SensitivityVolts(0, 0)))}},
    };
    for (const SRow& row : rows) {
        SCOPED_TRACE(row.name);
        CSettingsModel changed;
        SetDiffBase(changed);
        row.edit(changed);
        const std::vector<std::string> lines = DiffLines(base, changed);
        EXPECT_EQ(lines, row.lines);
        EXPECT_EQ(lines.size(), DiffLines(changed, base).size());
        EXPECT_FALSE(lines.empty());
        EXPECT_THAT(DiffLines(changed, changed), IsEmpty());
        // Every difference is one a preset file carries.
        EXPECT_THAT(Differences(base, changed), testing::Not(IsEmpty()));
    }

    // The Q of a crossover filter shows only where it differs.
    CSettingsModel q;
    SetDiffBase(q);
    xover(0, CRev8001Lib::XOVER_LOWPASS, [](SFilterCoef& k) { k.BandWidth = 0.5f; })(q);
    EXPECT_THAT(DiffLines(base, q),
                testing::ElementsAre(testing::MatchesRegex("Out 1 low-pass: .* Q .* -> .* Q 0.5\\)?")));
    CSettingsModel routed;
    SetDiffBase(routed);
    routed.m_MapM[6] = 0x05;
    routed.m_MapD[6] = static_cast<std::uint8_t>(base.m_MapD[6] ^ 0x40);
    const std::vector<std::string> routing = DiffLines(base, routed);
    ASSERT_EQ(routing.size(), 3u);
    // The standard mode's routing is no architecture's any more.
    EXPECT_EQ(routing[0], "Architecture with the 5.1 wired input: 5.1 -> custom routing (set as 5.1)");
    EXPECT_THAT(routing[1], testing::EndsWith("-> 1 + 3"));
    EXPECT_THAT(routing[1], testing::StartsWith("Out 7 main inputs: "));
    EXPECT_THAT(routing[2], testing::StartsWith("Out 7 numerical inputs: "));
    // A bit the page does not show is still a difference, named in hex.
    CSettingsModel hidden;
    SetDiffBase(hidden);
    hidden.m_MapA[0] = static_cast<std::uint8_t>(base.m_MapA[0] ^ 0x80);
    ASSERT_EQ(DiffLines(base, hidden).size(), 1u);
    EXPECT_THAT(DiffLines(base, hidden)[0],
                testing::MatchesRegex("Out 1 AUX inputs: .* \\(0x..\\) -> .* \\(0x..\\)"));

    // A file written from a configuration and read back compares equal to it, and every carried
    // field that differs is listed.
    CSettingsModel away;
    SetAwayFromDefaults(away);
    CSettingsModel carried;
    ReadCarriedSettings(away, carried);
    EXPECT_THAT(DiffLines(away, carried), IsEmpty());
    EXPECT_GT(DiffLines(base, away).size(), 8u * (CRev8001Lib::EQ_BANDS + 5));
}

TEST(PresetTool, DiffListsWhatDiffersBetweenFilesAndTheProcessor) {
    const std::string tool = ZUtils::ExecutableDir() + "/mlb8ctl";
    TempFolder dir;
    const std::string out = dir / "out.txt";
    CSettingsModel base;
    SetDiffBase(base);
    CSettingsModel other;
    SetDiffBase(other);
    SFilterCoef k = other.m_Lib.GetEqCoef(2, 4);
    k.Gain = -1;
    other.m_Lib.SetEqCoef(2, 4, k);
    other.m_nDelay[7] = 96;
    const std::string baseText = PresetText(base);
    WriteText(dir / "a.Dovu", baseText);
    WriteText(dir / "b.Dovu", PresetText(other));
    WriteText(dir / "cut.Dovu", baseText.substr(0, baseText.find("[TIME_ALIGNMENT]")));
    WriteText(dir / "loud.Dovu",
              Replaced(baseText, "VOLUME_CH3=" + std::to_string(base.m_nVolume[3]), "VOLUME_CH3=300"));
    const std::string bLines =
        "Out 3 EQ band 5: 500 Hz -3 dB Q 2.5 -> 500 Hz -1 dB Q 2.5\n"
        "Out 8 delay: 0.000 ms (0.0 cm, 0 samples) -> 2.000 ms (68.6 cm, 96 samples)\n";

    struct SRow {
        std::vector<std::string> args;
        int nExit;
        std::string output; // the whole output when bExact, else a part of it
        bool bExact;
    };
    const SRow rows[] = {
        {{"diff", dir / "a.Dovu", dir / "a.Dovu"}, 0, "No setting differs.\n", true},
        {{"diff", dir / "a.Dovu", dir / "b.Dovu"}, 1, bLines, true},
        {{"diff", dir / "b.Dovu", dir / "a.Dovu"},
         1,
         "Out 8 delay: 2.000 ms (68.6 cm, 96 samples) -> 0.000 ms",
         false},
        {{"diff", dir / "a.Dovu", dir / "cut.Dovu"},
         3,
         "cut.Dovu is incomplete; nothing was compared",
         false},
        {{"diff", "--force", dir / "a.Dovu", dir / "cut.Dovu"}, 0, "No setting differs.", false},
        {{"diff", dir / "a.Dovu", dir / "loud.Dovu"},
         3,
         "loud.Dovu has values out of range; nothing was compared",
         false},
        {{"diff", "--force", dir / "a.Dovu", dir / "loud.Dovu"},
         1,
         "VOLUME_CH3=300 -> 128\nOut 4 level: " +
             Printed("%.1f dB", CSettingsModel::DbFromVolume(base.m_nVolume[3])) + " -> 0.0 dB\n",
         false},
        {{"diff", dir / "a.Dovu", dir / "none.Dovu"},
         1,
         "cannot read the preset file " + dir / "none.Dovu",
         false},
        {{"diff", dir / "a.Dovu", "/dev/null"}, 1, "not a regular file", false},
        {{"--json", "diff", dir / "a.Dovu", dir / "b.Dovu"},
         1,
         "{\"a\":\"" + dir / "a.Dovu" + "\",\"b\":\"" + dir / "b.Dovu" +
             "\",\"equal\":false,\"exitCode\":1,\"differences\":[{\"setting\":\"Out 3 EQ band "
             "5\",\"output\":3,"
             "\"a\":\"500 Hz -3 dB Q 2.5\",\"b\":\"500 Hz -1 dB Q 2.5\"},{\"setting\":\"Out 8 "
             "delay\",\"output\":8,"
             "\"a\":\"0.000 ms (0.0 cm, 0 samples)\",\"b\":\"2.000 ms (68.6 cm, 96 samples)\"}]}\n",
         true},
        {{"--json", "diff", dir / "a.Dovu", dir / "a.Dovu"},
         0,
         "\"equal\":true,\"exitCode\":0,\"differences\":[]}",
         false},
        {{"--json", "diff", dir / "cut.Dovu", dir / "a.Dovu"},
         3,
         "\"exitCode\":3,\"error\":\"incomplete\",\"file\":\"" + dir / "cut.Dovu" + "\",\"keys\":477",
         false},
        {{"--json", "diff", dir / "a.Dovu", dir / "none.Dovu"},
         1,
         "\"exitCode\":1,\"error\":\"No such file or directory\",\"file\":\"" + dir / "none.Dovu" + "\"}\n",
         false},
        {{"diff", dir / "a.Dovu"}, 2, "diff needs two preset files", false},
        {{"diff", "-", "-"}, 2, "diff compares the processor with a file", false},
    };
    for (const SRow& row : rows) {
        std::vector<std::string> args = {tool};
        args.insert(args.end(), row.args.begin(), row.args.end());
        SCOPED_TRACE(testing::PrintToString(row.args));
        EXPECT_EQ(RunProgram(args, out), row.nExit) << ReadText(out);
        if (row.bExact) {
            EXPECT_EQ(ReadText(out), row.output);
        } else {
            EXPECT_THAT(ReadText(out), HasSubstr(row.output));
        }
    }

    // The running configuration: what dump saved compares equal; a change behind it shows.
    Sim::CSimProcessor sim;
    ASSERT_TRUE(sim.Start());
    ASSERT_EQ(RunProgram({tool, "--port", sim.PortPath(), "dump", dir / "live.Dovu"}, out), 0)
        << ReadText(out);
    ASSERT_EQ(RunProgram({tool, "--port", sim.PortPath(), "diff", dir / "live.Dovu", "-"}, out), 0)
        << ReadText(out);
    EXPECT_EQ(ReadText(out), "No setting differs.\n");
    Sim::SSimConfig running = sim.Running();
    running.nMainVolume = 100;
    sim.SetRunning(running);
    ASSERT_EQ(RunProgram({tool, "--port", sim.PortPath(), "diff", "-", dir / "live.Dovu"}, out), 1)
        << ReadText(out);
    EXPECT_THAT(ReadText(out), HasSubstr("Master level: -14.0 dB -> "));
    // A file that cannot be compared is named before the processor is asked anything.
    sim.ClearReceivedFrames();
    EXPECT_EQ(RunProgram({tool, "--port", sim.PortPath(), "diff", "-", dir / "none.Dovu"}, out), 1);
    EXPECT_EQ(RunProgram({tool, "--port", sim.PortPath(), "diff", "-", dir / "cut.Dovu"}, out), 3);
    EXPECT_EQ(sim.ReceivedFrameCount(), 0u);
}

// ---------------------------------------------------------------------------------------------
// One verdict on a file, and what dump writes loads back

// The text with the value of KEY (a whole key name) replaced, or the key's line taken out when value
// is null.
std::string WithKey(std::string text, const std::string& key, const char* pszValue) {
    const std::size_t at = text.find("\n" + key + "=");
    EXPECT_NE(at, std::string::npos) << key;
    if (at == std::string::npos) return text;
    const std::size_t end = text.find('\n', at + 1);
    text.replace(at + 1, end - at, pszValue ? key + "=" + pszValue + "\r\n" : std::string());
    return text;
}

// Sets a standard-mode configuration of four wired inputs whose routing is its 5.1 rows.
void SetStandard51(CSettingsModel& m) {
    SetDiffBase(m);
    m.m_bEasyExp = 0;
    m.m_nDSPInput = INPUT_4_WIRED;
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch) {
        m.m_MapM[ch] = ROUTING_PRESETS[INPUT_4_WIRED][ARCH_51][ch];
        m.m_MapA[ch] = ROUTING_PRESETS[INPUT_AUX][ARCH_51][ch];
        m.m_MapD[ch] = ROUTING_PRESETS[INPUT_NUMERICAL][ARCH_51][ch];
    }
}

// check, load, diff and the window's reader judge a file alike: a value the routing of the standard
// mode leaves out is a note, a value out of range or a missing key is a refusal (or a question).
TEST(PresetTool, CheckLoadDiffAndTheWindowGiveOneVerdict) {
    const std::string tool = ZUtils::ExecutableDir() + "/mlb8ctl";
    TempFolder dir;
    Sim::CSimProcessor sim;
    ASSERT_TRUE(sim.Start());
    CSettingsModel standard;
    SetStandard51(standard);
    const std::string clean = PresetText(standard);
    struct SRow {
        const char* name;
        std::vector<std::pair<std::string, const char*>> keys; // changed (value) or taken out (null)
        bool bRefused;
        std::string report; // in check's output, in load's and in diff's
    };
    const SRow rows[] = {
        {"clean", {}, false, "All 477 keys present; no value had to be clamped."},
        {"routing bits the architecture leaves out",
         {{"OUTPUT_MAP_M6", "255"}, {"OUTPUT_MAP_A0", "3"}},
         false,
         "Routing read as the architecture gives it (2):\n  OUTPUT_MAP_M6=255 -> 3 (outside the 5.1 "
         "routing)\n"
         "  OUTPUT_MAP_A0=3 -> 1 (outside the 5.1 routing)"},
        {"another architecture's routing",
         {{"OUTPUT_MAP_M2", "4"}, {"OUTPUT_MAP_M3", "8"}, {"OUTPUT_MAP_M4", "0"}, {"OUTPUT_MAP_M5", "0"}},
         false,
         "OUTPUT_CONFIG_1=4 -> 3 (the routing is 4.1's)"},
        {"a value out of range", {{"VOLUME_CH3", "300"}}, true, "VOLUME_CH3=300 -> 128"},
        {"a key missing", {{"DELAY_CH7", nullptr}}, true, "[TIME_ALIGNMENT] DELAY_CH7"},
    };
    const std::string out = dir / "out.txt";
    for (const SRow& row : rows) {
        SCOPED_TRACE(row.name);
        std::string text = clean;
        for (const auto& [key, pszValue] : row.keys)
            text = WithKey(text, key, pszValue);
        const std::string path = dir / "file.Dovu";
        WriteText(path, text);
        const int nVerdict = row.bRefused ? 3 : 0;

        EXPECT_EQ(RunProgram({tool, "check", path}, out), nVerdict) << ReadText(out);
        EXPECT_THAT(ReadText(out), HasSubstr(row.report));
        EXPECT_EQ(RunProgram({tool, "diff", path, path}, out), nVerdict) << ReadText(out);
        if (!row.bRefused) {
            EXPECT_THAT(ReadText(out), HasSubstr("No setting differs."));
        }
        sim.ClearReceivedFrames();
        EXPECT_EQ(RunProgram({tool, "--port", sim.PortPath(), "load", path}, out), nVerdict) << ReadText(out);
        if (!row.keys.empty()) {
            EXPECT_THAT(ReadText(out), HasSubstr(row.report));
        }
        EXPECT_EQ(sim.ReceivedFrameCount() > 100u, !row.bRefused);
        // What was loaded is what the file gives.
        if (!row.bRefused) {
            EXPECT_EQ(RunProgram({tool, "--port", sim.PortPath(), "diff", path, "-"}, out), 0)
                << ReadText(out);
            EXPECT_THAT(ReadText(out), HasSubstr("No setting differs."));
        }

        // The window asks exactly when the command line refuses; otherwise it loads at once.
        CFakeHost host;
        CEditorCore core(host);
        host.Attach(&core);
        core.Model().WriteStartupDefaults();
        host.bConfirmAnswer = false;
        EXPECT_EQ(core.Files().LoadPresetPath(path), row.bRefused ? 0 : 1);
        EXPECT_EQ(host.confirms.size(), row.bRefused ? 1u : 0u);
        EXPECT_EQ(host.TimerSet(TIMER_SEND_ALL), !row.bRefused);
        EXPECT_THAT(host.messageBoxes, IsEmpty());
    }
}

// A whole processor configuration in standard mode: the input kind in use, its routing bytes, and the
// architecture setting as the processor reports it.
Sim::SSimConfig StandardProcessor(int nKind, const std::uint8_t* pRow, int nSetting) {
    Sim::SSimConfig cfg = Sim::MakeTune(0);
    cfg.Easy_Expert = 0;
    cfg.Input = static_cast<std::uint8_t>(nKind <= INPUT_2_WIRED ? 0 : nKind - INPUT_2_WIRED);
    cfg.SubInput = static_cast<std::uint8_t>(nKind <= INPUT_2_WIRED ? nKind : 0);
    const int nByte = nKind == INPUT_AUX ? 1 : nKind == INPUT_NUMERICAL ? 2 : 0;
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch)
        cfg.Map[static_cast<size_t>(3 * ch + nByte)] = pRow[ch];
    cfg.Output.fill(4);
    cfg.Output[static_cast<size_t>(nKind)] = static_cast<std::uint8_t>(nSetting);
    return cfg;
}

// The processor after the window activated 4.1 for four wired inputs: the live write sends the input
// and the routing; the architecture setting stays 5.1 until a preset is stored.
Sim::SSimConfig ActivatedInTheWindow() {
    Sim::CSimProcessor device;
    CFakeHost host;
    CSimLinkEnv env{device, host.Clock()};
    host.pLinkEnv = &env;
    host.nDefaultQuietMs = 0;
    CEditorCore core(host);
    host.Attach(&core);
    ZUtils::ClearExtraPorts();
    ZUtils::RegisterExtraPort(CSimLinkEnv::PATH);
    core.Start();
    host.Pump();
    host.Advance(UNLOCK_MOUSE_MS);
    for (int nId : {ctl::INPUT_KIND.at(INPUT_4_WIRED), ctl::ARCH.at(ARCH_41), ctl::ACTIVATE}) {
        core.OnMessage(WM_SKIN_BTN_UP, static_cast<std::uintptr_t>(nId), 0);
        host.Pump();
    }
    host.Advance(UNLOCK_MOUSE_MS);
    host.Pump();
    EXPECT_THAT(host.messageBoxes, IsEmpty());
    core.Protocol().Close();
    core.SearchProtocol().Close();
    ZUtils::ClearExtraPorts();
    return device.Running();
}

// show names the architecture the routing really is; every file dump writes loads back without
// --force and compares equal to the processor, for every architecture, a custom routing and the
// expert mode.
TEST(PresetTool, WhatDumpWritesLoadsBackAndComparesEqual) {
    const std::string tool = ZUtils::ExecutableDir() + "/mlb8ctl";
    TempFolder dir;
    std::uint8_t custom[MLB8_CHANNELS];
    std::copy_n(ROUTING_PRESETS[INPUT_4_WIRED][ARCH_51], MLB8_CHANNELS, custom);
    custom[6] = 0xFF; // bits no architecture routes
    struct SRow {
        std::string name;
        Sim::SSimConfig cfg;
        std::string shown;      // show's architecture line
        std::string shownAfter; // the same after the load
    };
    std::vector<SRow> rows;
    for (int a = 0; a < MLB8_ARCHITECTURES; ++a) {
        const std::string name = ARCHITECTURE_NAMES[a];
        const std::string line =
            "Architecture     " + name + (a == ARCH_51 ? "" : " (by its routing; set as 5.1)") + "\n";
        rows.push_back({"4 wired, " + name,
                        StandardProcessor(INPUT_4_WIRED, ROUTING_PRESETS[INPUT_4_WIRED][a], 4), line, line});
    }
    rows.push_back({"AUX, 2.1 set as 3-way + sub",
                    StandardProcessor(INPUT_AUX, ROUTING_PRESETS[INPUT_AUX][ARCH_21], ARCH_3WAY_SUB),
                    "Architecture     2.1 (by its routing; set as 3-way + sub)\n",
                    "Architecture     2.1 (by its routing; set as 3-way + sub)\n"});
    rows.push_back({"custom routing", StandardProcessor(INPUT_4_WIRED, custom, ARCH_51),
                    "Architecture     custom routing (set as 5.1)\nSensitivity", "Architecture     5.1\n"});
    rows.push_back({"activated in the window", ActivatedInTheWindow(),
                    "Architecture     4.1 (by its routing; set as 5.1)\n",
                    "Architecture     4.1 (by its routing; set as 5.1)\n"});
    rows.push_back(
        {"expert mode", Sim::MakeTune(3), "Mode             expert\n", "Mode             expert\n"});

    const std::string out = dir / "out.txt", dump = dir / "dump.Dovu";
    for (const SRow& row : rows) {
        SCOPED_TRACE(row.name);
        Sim::CSimProcessor sim;
        sim.SetRunning(row.cfg);
        ASSERT_TRUE(sim.Start());
        const std::string port = sim.PortPath();
        ASSERT_EQ(RunProgram({tool, "--port", port, "show"}, out), 0) << ReadText(out);
        EXPECT_THAT(ReadText(out), HasSubstr(row.shown));
        ASSERT_EQ(RunProgram({tool, "--port", port, "dump", dump}, out), 0) << ReadText(out);
        EXPECT_EQ(RunProgram({tool, "check", dump}, out), 0) << ReadText(out);
        EXPECT_EQ(RunProgram({tool, "--port", port, "load", dump}, out), 0) << ReadText(out);
        EXPECT_EQ(RunProgram({tool, "--port", port, "diff", dump, "-"}, out), 0) << ReadText(out);
        EXPECT_THAT(ReadText(out), HasSubstr("No setting differs.\n"));
        if (row.shownAfter != row.shown) {
            ASSERT_EQ(RunProgram({tool, "--port", port, "show"}, out), 0) << ReadText(out);
            EXPECT_THAT(ReadText(out), HasSubstr(row.shownAfter));
        }
        // The routing of the input in use is kept, unless it was no architecture's.
        const int nGroup = row.cfg.Easy_Expert ? -1 : row.cfg.Input;
        for (size_t i = 0; i < row.cfg.Map.size() && row.name != "custom routing"; ++i)
            if (nGroup < 0 || static_cast<int>(i % 3) == nGroup) {
                EXPECT_EQ(sim.Running().Map[i], row.cfg.Map[i]) << i;
            }
    }
}

// A save killed before its rename leaves its hidden temporary; the next save of that file removes it
// (its process is gone), but not one of a save still running or one of another file.
TEST(Profile, ASaveRemovesTheTemporariesOfKilledSaves) {
    TempFolder dir;
    const pid_t dead = ::fork();
    if (dead == 0) ::_exit(0);
    ASSERT_GT(dead, 0);
    ASSERT_EQ(::waitpid(dead, nullptr, 0), dead);
    const std::string deadPid = std::to_string(dead), livePid = std::to_string(::getppid());
    const std::vector<std::string> left = {".tune.Dovu.~" + livePid + ".0", ".other.Dovu.~" + deadPid + ".0",
                                           ".tune.Dovu.~" + deadPid + ".x"};
    for (const std::string& name : left)
        WriteText(dir / name, "[PRESET]\r\n");
    WriteText(dir / (".tune.Dovu.~" + deadPid + ".0"), "[PRESET]\r\nPRESET=1\r\n");
    WriteText(dir / (".tune.Dovu.~" + deadPid + ".17"), "[PRESET]\r\n");
    ZProfile p;
    p.SetString("PRESET", "PRESET", "2");
    ASSERT_TRUE(p.SaveFile(dir / "tune.Dovu"));
    std::vector<std::string> expected = left;
    expected.push_back("tune.Dovu");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(dir.Names(), expected);
}

} // namespace
