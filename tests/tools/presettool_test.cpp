// mlb8ctl's file commands (check, load, dump, diff, store) run as a program against simulated
// processors on pseudo-terminals: whole configurations carried through files, bad files refused
// before anything reaches the processor, and one verdict on a file from mlb8ctl and the window.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "comm/comnames.h"
#include "comm/ctrlmessages.h"
#include "editor/controlids.h"
#include "editor/presetfile.h"
#include "orvix/architecture.h"
#include "tests/editor/editorfixture.h"
#include "tests/presets/presetfixture.h"
#include "tests/presets/presetsim.h"
#include "tests/tools/ctlrun.h"

using namespace PresetFixture;
using CtlRun::RunCtl;
using testing::HasSubstr;
using testing::IsEmpty;
using ZUtils::ZProfile;
namespace fs = std::filesystem;

namespace {

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
    ASSERT_TRUE(fs::exists(CtlRun::CtlPath())) << CtlRun::CtlPath();
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

    ASSERT_EQ(RunCtl({"--port", first.PortPath(), "dump", file}, out), 0) << ReadText(out);
    ASSERT_EQ(RunCtl({"check", file}, out), 0) << ReadText(out);
    EXPECT_THAT(ReadText(out), HasSubstr("All 477 keys present; no value had to be clamped."));
    ASSERT_EQ(RunCtl({"--port", second.PortPath(), "load", file}, out), 0) << ReadText(out);
    EXPECT_THAT(SimDifferences(WithUncarried(second.Running(), tune), tune), IsEmpty());

    // check names what it clamped (and gives load's verdict); a file that is not there is an error.
    ZUtils::WritePrivateProfileString("TIME_ALIGNMENT", "DELAY_CH4", "9000", file);
    ASSERT_EQ(RunCtl({"check", file}, out), 3) << ReadText(out);
    EXPECT_THAT(ReadText(out), HasSubstr("DELAY_CH4=9000 -> 8191"));
    EXPECT_EQ(RunCtl({"check", dir / "none.Dovu"}, out), 1);
    EXPECT_EQ(RunCtl({"load"}, out), 2);
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
        EXPECT_EQ(RunCtl({"check", path}, out), row.nCheck) << ReadText(out);
        EXPECT_THAT(ReadText(out), HasSubstr(row.report));

        sim.ClearReceivedFrames();
        EXPECT_EQ(RunCtl({"--port", sim.PortPath(), "load", path}, out), row.nLoad) << ReadText(out);
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
    EXPECT_EQ(RunCtl({"--json", "check", dir / "cut-eq.Dovu"}, out), 3);
    std::string json = ReadText(out);
    EXPECT_EQ(json.find('\n'), json.size() - 1);
    EXPECT_THAT(json, HasSubstr("\"readable\":true,\"exitCode\":3,\"keys\":477,\"complete\":false"));
    EXPECT_THAT(json,
                HasSubstr("\"missingBySection\":{\"EQUALIZER\":180,\"CROSSOVER\":72,\"TIME_ALIGNMENT\":8}"));
    EXPECT_THAT(json, HasSubstr("{\"section\":\"EQUALIZER\",\"key\":\"CH3_BIQUAD_5_Filtertype\"}"));
    EXPECT_EQ(RunCtl({"--json", "check", dir / "fifo.Dovu"}, out), 1);
    EXPECT_EQ(ReadText(out), "{\"file\":\"" + dir / "fifo.Dovu" +
                                 "\",\"readable\":false,\"error\":\"not a regular file\",\"exitCode\":1}\n");
    // A file name is bytes: what is not UTF-8 (a stray byte, an overlong '/', a surrogate, a cut
    // sequence) is written as U+FFFD, so the document stays JSON; UTF-8 passes through.
    EXPECT_EQ(RunCtl({"--json", "check", dir / "caf\xc3\xa9-\xff-\xc0\xaf-\xed\xa0\x80-\xc3"}, out), 1);
    EXPECT_THAT(
        ReadText(out),
        HasSubstr("caf\xc3\xa9-\\ufffd-\\ufffd\\ufffd-\\ufffd\\ufffd\\ufffd-\\ufffd\",\"readable\":false"));

    // Told to, load takes the cut file with its defaults.
    sim.ClearReceivedFrames();
    EXPECT_EQ(RunCtl({"--port", sim.PortPath(), "load", "--force", dir / "cut-eq.Dovu"}, out), 0)
        << ReadText(out);
    EXPECT_GT(sim.ReceivedFrameCount(), 100u);
    EXPECT_EQ(sim.Running().bXoverFlag[0], 0);
}

TEST(PresetTool, LoadThenShowOrStoreKeepWhatWasLoaded) {
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

    ASSERT_EQ(RunCtl({"--port", sim.PortPath(), "load", dir / "tune.Dovu"}, out), 0) << ReadText(out);
    const Sim::SSimConfig loaded = sim.Running();
    ASSERT_FALSE(loaded == stored);
    // show reads what runs; it does not recall the stored preset over it.
    ASSERT_EQ(RunCtl({"--port", sim.PortPath(), "--json", "show"}, out), 0) << ReadText(out);
    EXPECT_TRUE(sim.Running() == loaded);
    EXPECT_THAT(ReadText(out), HasSubstr("\"delay\":{\"samples\":987,\"ms\":20.5625,\"cm\":"));
    // store after load stores the loaded tune.
    ASSERT_EQ(RunCtl({"--port", sim.PortPath(), "store", "3"}, out), 0) << ReadText(out);
    EXPECT_THAT(SimDifferences(WithUncarried(sim.Memory(2), loaded), loaded), IsEmpty());
    EXPECT_TRUE(sim.Running() == loaded);
}

TEST(PresetTool, LoadWithStoreWritesAndStoresInOneGo) {
    TempFolder dir;
    const std::string out = dir / "out.txt";
    Sim::CSimProcessor sim;
    ASSERT_TRUE(sim.Start());
    CSettingsModel source;
    SetAwayFromDefaults(source);
    source.m_nMainVolume = 55;
    source.m_nDelay[7] = 12;
    WriteText(dir / "other.Dovu", PresetText(source));
    ASSERT_EQ(RunCtl({"--port", sim.PortPath(), "load", dir / "other.Dovu", "--store", "2"}, out), 0)
        << ReadText(out);
    EXPECT_THAT(ReadText(out), HasSubstr("Stored into processor preset 2."));
    EXPECT_EQ(sim.Running().nMainVolume, 55);
    EXPECT_EQ(sim.Memory(1).nMainVolume, 55);
    EXPECT_EQ(sim.Memory(1).nDelay[7], 12);
    EXPECT_EQ(RunCtl({"store", "2", "--store", "1"}, out), 2);
}

TEST(PresetTool, DumpChecksTheDestinationBeforeReadingTheProcessor) {
    TempFolder dir;
    const std::string out = dir / "out.txt";
    Sim::CSimProcessor sim;
    ASSERT_TRUE(sim.Start());
    for (const std::string& path : {dir / "no/such/folder.Dovu", std::string("/dev/null"), dir.Path()}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(RunCtl({"--port", sim.PortPath(), "dump", path}, out), 1);
        EXPECT_THAT(ReadText(out), HasSubstr("cannot write " + path));
        EXPECT_EQ(sim.ReceivedFrameCount(), 0u);
    }
    EXPECT_EQ(RunCtl({"--port", sim.PortPath(), "--json", "ports"}, out), 0);
    EXPECT_THAT(ReadText(out), HasSubstr("{\"ports\":[{\"port\":\"COM200\",\"device\":\"" + sim.PortPath()));
    EXPECT_EQ(RunCtl({"--port", sim.PortPath(), "--json", "probe"}, out), 0);
    EXPECT_EQ(ReadText(out),
              "{\"found\":true,\"port\":\"COM200\",\"device\":\"" + sim.PortPath() + "\",\"address\":0}\n");
    // The busy text of the window stays off the terminal.
    ASSERT_EQ(RunCtl({"--port", sim.PortPath(), "dump", dir / "tune.Dovu"}, out), 0);
    EXPECT_EQ(ReadText(out), "Wrote the running configuration to " + dir / "tune.Dovu" + "\n");
    // The simulator's own tune saves and checks clean.
    ASSERT_EQ(RunCtl({"check", dir / "tune.Dovu"}, out), 0);
    EXPECT_THAT(ReadText(out), HasSubstr("All 477 keys present; no value had to be clamped."));
}

// ---------------------------------------------------------------------------------------------
// Differences between files and the processor

TEST(PresetTool, DiffListsWhatDiffersBetweenFilesAndTheProcessor) {
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
        SCOPED_TRACE(testing::PrintToString(row.args));
        EXPECT_EQ(RunCtl(row.args, out), row.nExit) << ReadText(out);
        if (row.bExact) {
            EXPECT_EQ(ReadText(out), row.output);
        } else {
            EXPECT_THAT(ReadText(out), HasSubstr(row.output));
        }
    }

    // The running configuration: what dump saved compares equal; a change behind it shows.
    Sim::CSimProcessor sim;
    ASSERT_TRUE(sim.Start());
    ASSERT_EQ(RunCtl({"--port", sim.PortPath(), "dump", dir / "live.Dovu"}, out), 0) << ReadText(out);
    ASSERT_EQ(RunCtl({"--port", sim.PortPath(), "diff", dir / "live.Dovu", "-"}, out), 0) << ReadText(out);
    EXPECT_EQ(ReadText(out), "No setting differs.\n");
    Sim::SSimConfig running = sim.Running();
    running.nMainVolume = 100;
    sim.SetRunning(running);
    ASSERT_EQ(RunCtl({"--port", sim.PortPath(), "diff", "-", dir / "live.Dovu"}, out), 1) << ReadText(out);
    EXPECT_THAT(ReadText(out), HasSubstr("Master level: -14.0 dB -> "));
    // A file that cannot be compared is named before the processor is asked anything.
    sim.ClearReceivedFrames();
    EXPECT_EQ(RunCtl({"--port", sim.PortPath(), "diff", "-", dir / "none.Dovu"}, out), 1);
    EXPECT_EQ(RunCtl({"--port", sim.PortPath(), "diff", "-", dir / "cut.Dovu"}, out), 3);
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

        EXPECT_EQ(RunCtl({"check", path}, out), nVerdict) << ReadText(out);
        EXPECT_THAT(ReadText(out), HasSubstr(row.report));
        EXPECT_EQ(RunCtl({"diff", path, path}, out), nVerdict) << ReadText(out);
        if (!row.bRefused) {
            EXPECT_THAT(ReadText(out), HasSubstr("No setting differs."));
        }
        sim.ClearReceivedFrames();
        EXPECT_EQ(RunCtl({"--port", sim.PortPath(), "load", path}, out), nVerdict) << ReadText(out);
        if (!row.keys.empty()) {
            EXPECT_THAT(ReadText(out), HasSubstr(row.report));
        }
        EXPECT_EQ(sim.ReceivedFrameCount() > 100u, !row.bRefused);
        // What was loaded is what the file gives.
        if (!row.bRefused) {
            EXPECT_EQ(RunCtl({"--port", sim.PortPath(), "diff", path, "-"}, out), 0) << ReadText(out);
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
        ASSERT_EQ(RunCtl({"--port", port, "show"}, out), 0) << ReadText(out);
        EXPECT_THAT(ReadText(out), HasSubstr(row.shown));
        ASSERT_EQ(RunCtl({"--port", port, "dump", dump}, out), 0) << ReadText(out);
        EXPECT_EQ(RunCtl({"check", dump}, out), 0) << ReadText(out);
        EXPECT_EQ(RunCtl({"--port", port, "load", dump}, out), 0) << ReadText(out);
        EXPECT_EQ(RunCtl({"--port", port, "diff", dump, "-"}, out), 0) << ReadText(out);
        EXPECT_THAT(ReadText(out), HasSubstr("No setting differs.\n"));
        if (row.shownAfter != row.shown) {
            ASSERT_EQ(RunCtl({"--port", port, "show"}, out), 0) << ReadText(out);
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

} // namespace
