// The preset file's layer: the INI reader (the profile) as the Windows profile functions behave,
// the file's sections and keys in their order, the reader's clamps and masks, and the differences
// between two configurations as the user reads them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <climits>
#include <functional>
#include <random>
#include <sstream>

#include "presets/presetdiff.h"
#include "presets/presetkeys.h"
#include "tests/comm/testutil.h"
#include "tests/presets/presetfixture.h"

using namespace PresetFixture;
using testing::HasSubstr;
using testing::IsEmpty;
using ZUtils::ZProfile;

namespace {

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
// Differences between two configurations

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

} // namespace
