// mlb8ctl under faults: a processor that hangs up at each step of a load with a store, standard output
// that cannot be written, and input files that are not regular files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "comm/comnames.h"
#include "comm/protocol.h"
#include "ctlrun.h"
#include "editor/help.h"
#include "editor/presetfile.h"
#include "orvix/settingsmodel.h"
#include "presets/profile.h"
#include "sim/simprocessor.h"

using testing::HasSubstr;
using testing::Not;

namespace {

namespace fs = std::filesystem;

class TempFolder {
public:
    TempFolder() {
        std::string pattern = testing::TempDir() + "ctlfaults_XXXXXX";
        m_Path = ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(m_Path, ec);
    }
    std::string operator/(const std::string& name) const { return m_Path + "/" + name; }

private:
    std::string m_Path;
};

using CtlRun::ReadText;
using CtlRun::RunCtl;

// A complete preset file that differs from the simulator's own tune.
void WritePreset(const std::string& path) {
    CSettingsModel m;
    m.WriteStartupDefaults();
    m.m_nMainVolume = 55;
    m.m_nDelay[7] = 12;
    ZUtils::ZProfile p;
    std::tm stamp{};
    stamp.tm_year = 126;
    stamp.tm_mday = 1;
    WritePresetKeys(p, m, stamp);
    ASSERT_TRUE(p.SaveFile(path));
}

// The frame numbers (1-based, as the simulator counts them for a hang-up) of the bracket commands.
std::vector<std::size_t> BracketFrames(const std::vector<std::vector<std::uint8_t>>& frames) {
    std::vector<std::size_t> numbers;
    for (std::size_t i = 0; i < frames.size(); ++i)
        if (frames[i].size() > 7 && frames[i][1] == VA_UPDATE) numbers.push_back(i + 1);
    return numbers;
}

// load --store with the processor hanging up at every step that matters: the command never says
// "Stored" unless the store reached its end, and says what the preset memory may hold.
TEST(CtlFaults, LoadWithStoreSaysWhereAHangUpCutItOff) {
    TempFolder dir;
    const std::string file = dir / "tune.Dovu", out = dir / "out.txt", err = dir / "err.txt";
    WritePreset(file);

    // A run without faults gives the frame numbers of the steps: the read's brackets, then the
    // live write's (opening, closing), then the store's (opening, closing).
    std::vector<std::size_t> brackets;
    {
        Sim::CSimProcessor sim;
        ASSERT_TRUE(sim.Start());
        ASSERT_EQ(RunCtl({"--port", sim.PortPath(), "load", file, "--store", "2"}, out, err), 0)
            << ReadText(err);
        EXPECT_THAT(ReadText(out), HasSubstr("Stored into processor preset 2."));
        EXPECT_EQ(sim.Memory(1).nMainVolume, 55);
        brackets = BracketFrames(sim.ReceivedFrames());
        ASSERT_EQ(brackets.size(), 6u);
    }
    const std::size_t liveOpen = brackets[2], liveClose = brackets[3], storeOpen = brackets[4],
                      storeClose = brackets[5];
    const std::string written = "Wrote " + file + " to the processor.";
    const std::string unchanged = "nothing was stored and preset 2 is unchanged";
    const std::string mixed = "preset 2 may now hold a mix of its old and the new settings";
    struct SRow {
        const char* step;
        std::size_t nHangUpAt;
        bool bWritten;       // the live write was reported done
        std::string message; // on standard error
        bool bMemoryKept;    // preset memory 2 as it was
    };
    const SRow rows[] = {
        {"inside the live write", liveOpen + 5, false, "writing the settings to the processor failed", true},
        {"at the live write's closing bracket", liveClose, false,
         "writing the settings to the processor failed", true},
        {"at the store's first question", liveClose + 1, true, unchanged, true},
        {"at the store's opening bracket", storeOpen, true, mixed, false},
        {"inside the store", storeOpen + 40, true, mixed, false},
        {"at the store's closing bracket", storeClose, true, mixed, false},
    };
    for (const SRow& row : rows) {
        SCOPED_TRACE(std::string(row.step) + ", frame " + std::to_string(row.nHangUpAt));
        Sim::CSimProcessor sim;
        ASSERT_TRUE(sim.Start());
        const Sim::SSimConfig before = sim.Memory(1);
        Sim::SFaults faults;
        faults.nHangUpAfter = static_cast<int>(row.nHangUpAt);
        sim.SetFaults(faults);
        EXPECT_EQ(RunCtl({"--port", sim.PortPath(), "load", file, "--store", "2"}, out, err), 1);
        EXPECT_TRUE(sim.IsHungUp());
        EXPECT_THAT(ReadText(out), Not(HasSubstr("Stored into")));
        EXPECT_EQ(ReadText(out).find(written) != std::string::npos, row.bWritten) << ReadText(out);
        EXPECT_THAT(ReadText(err), HasSubstr(row.message));
        if (row.bMemoryKept) {
            EXPECT_TRUE(sim.Memory(1) == before);
        }
    }
}

// Reading the processor on a faulty line: a lost reply to the search is asked again, and a
// processor that answered and then went away is named as such, not as no processor at all.
TEST(CtlFaults, ReadingTheProcessorNamesWhatFailed) {
    TempFolder dir;
    const std::string out = dir / "out.txt", err = dir / "err.txt";
    WritePreset(dir / "tune.Dovu");
    // The read's closing bracket, from a run without faults.
    std::size_t readClose = 0;
    {
        Sim::CSimProcessor sim;
        ASSERT_TRUE(sim.Start());
        ASSERT_EQ(RunCtl({"--port", sim.PortPath(), "show"}, out, err), 0) << ReadText(err);
        const std::vector<std::size_t> brackets = BracketFrames(sim.ReceivedFrames());
        ASSERT_EQ(brackets.size(), 2u);
        readClose = brackets[1];
    }
    struct SRow {
        const char* name;
        Sim::SFaults faults;
        std::vector<std::string> args;
        int nExit;
        std::string message; // on standard error; empty: none
    };
    auto faults = [](int nDropNext, int nHangUpAfter) {
        Sim::SFaults f;
        f.nDropNext = nDropNext;
        f.nHangUpAfter = nHangUpAfter;
        return f;
    };
    const SRow rows[] = {
        {"show, the first probe reply lost", faults(1, 0), {"show"}, 0, ""},
        {"diff, the first probe reply lost", faults(1, 0), {"diff", "-", dir / "tune.Dovu"}, 1, ""},
        {"show, hung up at the read's closing bracket",
         faults(0, static_cast<int>(readClose)),
         {"show"},
         1,
         "answered, then went away while its configuration was read"},
        {"show, hung up in the read",
         faults(0, 20),
         {"show"},
         1,
         "mlb8ctl: reading the processor: Communication error!"},
        {"show, silent",
         [] {
             Sim::SFaults f;
             f.bSilent = true;
             return f;
         }(),
         {"show"},
         1,
         "no MLB-8 answered on any serial port"},
    };
    for (const SRow& row : rows) {
        SCOPED_TRACE(row.name);
        Sim::CSimProcessor sim;
        ASSERT_TRUE(sim.Start());
        sim.SetFaults(row.faults);
        std::vector<std::string> args = {"--port", sim.PortPath()};
        args.insert(args.end(), row.args.begin(), row.args.end());
        EXPECT_EQ(RunCtl(args, out, err), row.nExit) << ReadText(err);
        if (row.message.empty())
            EXPECT_EQ(ReadText(err), "");
        else
            EXPECT_THAT(ReadText(err), HasSubstr(row.message));
    }
}

// Every command that prints: the same command that succeeds into a file fails, and says so, when
// its standard output cannot be written (a full disk).
TEST(CtlFaults, AnOutputThatCannotBeWrittenIsAnError) {
    TempFolder dir;
    const std::string file = dir / "tune.Dovu", measurement = dir / "measured.txt", out = dir / "out.txt",
                      err = dir / "err.txt";
    WritePreset(file);
    {
        std::ofstream m(measurement);
        m << "20 0\n100 1\n1000 -3\n10000 2\n20000 0\n";
    }
    const std::vector<std::vector<std::string>> commands = {
        {"--help"},
        {"ports"},
        {"--simulate", "probe"},
        {"--simulate", "show"},
        {"--simulate", "--json", "show"},
        {"check", file},
        {"--json", "check", file},
        {"diff", file, file},
        {"eq-export", "--output", "1", "--preset", file},
        {"response", "--output", "1", "--output", "2", "--sum", "1,2", "--preset", file, "--csv"},
        {"eq-fit", measurement, "--output", "1", "--preset", file, "--write", dir / "fitted.Dovu"},
    };
    for (const std::vector<std::string>& args : commands) {
        SCOPED_TRACE(testing::PrintToString(args));
        ASSERT_EQ(RunCtl(args, out, err), 0) << ReadText(err);
        ASSERT_FALSE(ReadText(out).empty());
        EXPECT_EQ(RunCtl(args, "/dev/full", err), 1);
        EXPECT_THAT(ReadText(err), HasSubstr("mlb8ctl: writing to standard output failed"));
    }
}

// A repeated --output is refused, not taken silently.
TEST(CtlFaults, ARepeatedOutputIsRefused) {
    TempFolder dir;
    const std::string file = dir / "tune.Dovu", out = dir / "out.txt", err = dir / "err.txt";
    WritePreset(file);
    const std::pair<std::vector<std::string>, std::string> rows[] = {
        {{"response", "--output", "3", "--output", "3", "--preset", file}, "--output 3 is given twice"},
        {{"eq-export", "--output", "1", "--output", "2", "--preset", file}, "--output is given twice"},
    };
    for (const auto& [args, message] : rows) {
        SCOPED_TRACE(testing::PrintToString(args));
        EXPECT_EQ(RunCtl(args, out, err), 2);
        EXPECT_THAT(ReadText(err), HasSubstr(message));
    }
}

// The aligned table of response keeps a blank between columns whatever the length of a name.
TEST(CtlFaults, ResponseColumnsNeverRunTogether) {
    TempFolder dir;
    const std::string file = dir / "tune.Dovu", out = dir / "out.txt", err = dir / "err.txt";
    WritePreset(file);
    ASSERT_EQ(RunCtl({"response", "--output", "1", "--sum", "1,2,3,4,5,6,7,8", "--phase", "--preset", file},
                     out, err),
              0)
        << ReadText(err);
    std::istringstream lines(ReadText(out));
    std::string line;
    auto words = [](const std::string& text) {
        std::istringstream in(text);
        std::vector<std::string> all;
        for (std::string w; in >> w;)
            all.push_back(w);
        return all;
    };
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_EQ(words(line), (std::vector<std::string>{"#", "frequency_hz", "out1_db", "out1_deg",
                                                     "sum1+2+3+4+5+6+7+8_db", "sum1+2+3+4+5+6+7+8_deg"}));
    const std::size_t nWidth = line.size();
    int nRows = 0;
    while (std::getline(lines, line)) {
        ASSERT_EQ(words(line).size(), 5u) << line;
        EXPECT_EQ(line.size(), nWidth) << line;
        ++nRows;
    }
    EXPECT_GT(nRows, 100);
}

// A key given many times before the real one: the first is used, as the Windows functions do, and
// the report says so.
TEST(CtlFaults, RepeatedKeysAreNamedInTheReport) {
    ZUtils::ZProfile p;
    p.LoadText("[A]\nx=1\nX = 2\ny=3\n[B]\nx=4\n[a]\nx=5\nx=6\ny=7\nx=8\n");
    EXPECT_EQ(p.GetString("A", "x"), "1");
    const std::vector<ZUtils::ZProfile::SRepeatedKey> keys = p.RepeatedKeys();
    ASSERT_EQ(keys.size(), 1u); // the second [a] is not read at all
    EXPECT_EQ(keys[0].section, "A");
    EXPECT_EQ(keys[0].key, "x");
    EXPECT_EQ(keys[0].nTimes, 2);

    TempFolder dir;
    const std::string file = dir / "tune.Dovu", out = dir / "out.txt", err = dir / "err.txt";
    WritePreset(file);
    std::string text = ReadText(file);
    std::string repeats;
    for (int n = 0; n < 100000; ++n)
        repeats += "VOLUME_MAIN=3\r\n";
    text.insert(text.find("[MAIN_CONTROL]\r\n") + 16, repeats);
    {
        std::ofstream f(file, std::ios::binary | std::ios::trunc);
        f << text;
    }
    EXPECT_EQ(RunCtl({"check", file}, out, err), 0) << ReadText(err);
    EXPECT_THAT(ReadText(out), HasSubstr("Keys given more than once, the first of each is used (1):\n"
                                         "  [MAIN_CONTROL] VOLUME_MAIN (100001 times)\n"));
    EXPECT_EQ(RunCtl({"--json", "check", file}, out, err), 0);
    EXPECT_THAT(ReadText(out), HasSubstr("\"repeated\":[\"[MAIN_CONTROL] VOLUME_MAIN (100001 times)\"]"));
}

// Every --json command prints one JSON document when it fails, also where it has no document of its
// own: the message it gave on standard error and the exit status.
TEST(CtlFaults, JsonCommandsPrintADocumentWhenTheyFail) {
    TempFolder dir;
    const std::string file = dir / "tune.Dovu", none = dir / "none.txt", out = dir / "out.txt",
                      err = dir / "err.txt";
    WritePreset(file);
    Sim::CSimProcessor silent;
    ASSERT_TRUE(silent.Start());
    Sim::SFaults faults;
    faults.bSilent = true;
    silent.SetFaults(faults);
    struct SRow {
        std::vector<std::string> args;
        int nExit;
        std::string document; // the whole of standard output
    };
    const SRow rows[] = {
        {{"--json", "--port", silent.PortPath(), "show"},
         1,
         "{\"error\":\"no MLB-8 answered on any serial port\",\"exitCode\":1}\n"},
        {{"--json", "eq-export", "--output", "1", "--preset", none},
         1,
         "{\"error\":\"cannot read the preset file " + none +
             ": No such file or directory\",\"exitCode\":1}\n"},
        {{"--json", "eq-fit", none, "--output", "1", "--preset", file, "--write", dir / "out.Dovu"},
         1,
         "{\"error\":\"" + none + ": Cannot open " + none +
             " (No such file or directory)\",\"exitCode\":1}\n"},
        {{"--json", "check"}, 2, "{\"error\":\"check needs a file name\",\"exitCode\":2}\n"},
        {{"--json", "check", none},
         1,
         "{\"file\":\"" + none +
             "\",\"readable\":false,\"error\":\"No such file or directory\",\"exitCode\":1}\n"},
    };
    for (const SRow& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.args));
        EXPECT_EQ(RunCtl(row.args, out, err), row.nExit);
        EXPECT_EQ(ReadText(out), row.document);
    }
}

} // namespace

// Every usage rule of the command line, with the words scripts and users know and status 2; and
// the forms of the command line that have always been taken.
TEST(CtlCommandLine, RulesKeepTheirWordsAndOldFormsStillWork) {
    TempFolder dir;
    const std::string file = dir / "tune.Dovu", out = dir / "out.txt", err = dir / "err.txt";
    WritePreset(file);
    struct SRow {
        std::vector<std::string> args;
        int nExit;
        std::string text; // on standard error for a refusal, else on standard output
    };
    const std::string eqOnly = "--output, --pair, --preset, --write, --target, --column, --from, --to and "
                               "--max-boost go with eq-*";
    const std::string fitOnly = "--target, --column, --from, --to, --max-boost, --max-dip-depth, "
                                "--min-dip-width, --measured-with and --raw go with eq-fit";
    const SRow rows[] = {
        // what is missing or one too many
        {{}, 2, "mlb8ctl: no command given"},
        {{"nonsense"}, 2, "unknown command 'nonsense'"},
        {{"show", "--bogus"}, 2, "unknown option '--bogus'"},
        {{"ports", "extra"}, 2, "unexpected argument 'extra'"},
        {{"recall"}, 2, "recall needs a preset number 1..4"},
        {{"store", "0"}, 2, "store needs a preset number 1..4"},
        {{"recall", "1", "2"}, 2, "recall needs a preset number 1..4"},
        {{"load"}, 2, "load needs a file name"},
        {{"dump", "a", "b"}, 2, "dump needs a file name"},
        {{"diff", "a"}, 2, "diff needs two preset files (or '-' for the processor)"},
        {{"diff", "-", "-"}, 2, "diff compares the processor with a file"},
        {{"eq-import", "a", "b", "--output", "1"}, 2, "eq-import needs one file name"},
        {{"eq-fit", file}, 2, "eq-fit needs --output N (1..8)"},
        {{"response"}, 2, "response needs --output N (1..8)"},
        {{"align"}, 2, "align needs --measurement N=FILE for every output to align"},
        {{"--port"}, 2, "--port needs a device path"},
        {{"load", file, "--store"}, 2, "--store needs a preset number 1..4"},
        {{"eq-fit", file, "--output", "5", "--from"}, 2, "--from needs a value"},
        {{"--json=1", "ports"}, 2, "--json takes no value"},
        {{"--port=", "show"}, 2, "cannot use port ''"},
        {{"response", "--output", "1", "--preset="}, 2, "--preset needs a file name"},
        // numbers out of range or no numbers
        {{"load", file, "--store", "5"}, 2, "--store needs a preset number 1..4"},
        {{"eq-export", "--output", "9"}, 2, "--output needs an output number 1..8"},
        {{"eq-export", "--output", "x"}, 2, "--output needs an output number 1..8"},
        {{"eq-fit", file, "--output", "5", "--from", "5"}, 2, "--from needs a frequency in Hz (10..24000)"},
        {{"eq-fit", file, "--output", "5", "--to", "nan"}, 2, "--to needs a frequency in Hz (10..24000)"},
        {{"eq-fit", file, "--output", "5", "--max-boost", "2.5"}, 2, "--max-boost needs whole dB 0..12"},
        {{"eq-fit", file, "--output", "5", "--max-dip-depth", "61"}, 2, "--max-dip-depth needs dB 3..60"},
        {{"eq-fit", file, "--output", "5", "--min-dip-width", "-0.1"},
         2,
         "--min-dip-width needs octaves 0..2"},
        {{"eq-fit", file, "--output", "5", "--from", "200", "--to", "100"}, 2, "--to must lie above --from"},
        {{"response", "--output", "1", "--sum", "1,1"}, 2, "--sum needs different output numbers 1..8"},
        {{"align", "--measurement", "1=a.txt", "--measurement", "1=b.txt"},
         2,
         "--measurement gives output 1 twice"},
        // what goes with what, and what excludes what
        {{"--simulate", "--port", "/dev/null", "show"}, 2, "--simulate and --port cannot be used together"},
        {{"show", "--store", "1"}, 2, "--store goes with load"},
        {{"--store", "1", "show"}, 2, "--store goes with load"},
        {{"check", file, "--force"}, 2, "--force goes with load, factory, diff or eq-*"},
        {{"--json", "load", file}, 2, "--json goes with ports, probe, show, check, diff, eq-* or align"},
        {{"response", "--output", "1", "--json"}, 2, "--json goes with ports, probe, show, check, diff"},
        {{"show", "--output", "1"}, 2, eqOnly},
        {{"response", "--output", "1", "--pair"},
         2,
         "--pair, --write, --target, --from, --to and --max-boost go with eq-*"},
        {{"response", "--output", "1", "--column", "x"}, 2, "--column goes with --measurement"},
        {{"response", "--output", "1", "--measurement", "1=m.txt"}, 2, "--measurement goes with --sum"},
        {{"response", "--output", "1", "--sum", "1", "--raw", "--measured-with", "a"},
         2,
         "--raw (bare drivers) and --measured-with FILE exclude each other"},
        {{"eq-fit", file, "--output", "1", "--raw", "--measured-with", "a"},
         2,
         "--raw (a bare driver) and --measured-with FILE exclude each other"},
        {{"eq-import", file, "--output", "1", "--preset", "a"}, 2, "--preset IN and --write OUT go together"},
        {{"eq-import", file, "--output", "1", "--write", "a"}, 2, "--preset IN and --write OUT go together"},
        {{"eq-export", "--output", "1", "--pair"},
         2,
         "eq-export prints the text; --pair and --write go with eq-import and eq-fit"},
        {{"eq-import", file, "--output", "1", "--max-boost", "3"}, 2, fitOnly},
        {{"eq-fit", file, "--output", "1", "--keep-levels"},
         2,
         "--measurement and --keep-levels go with align"},
        {{"align", "--measurement", "1=a.txt", "--from", "100"},
         2,
         "--output, --pair, --from, --to, --max-boost, --max-dip-depth and --min-dip-width go with eq-*"},
        // the program's options before or after the command, a command's options before it too
        {{"check", "--json", file}, 0, "{\"file\":\"" + file + "\",\"readable\":true,\"exitCode\":0,"},
        {{"--force", "diff", file, file}, 0, "No setting differs."},
        {{"diff", file, "--force", file}, 0, "No setting differs."},
        {{"--output", "1", "eq-export", "--preset", file}, 0, "# MLB-8 output 1 equalizer"},
        {{"eq-export", "--output=1", "--preset", file}, 0, "# MLB-8 output 1 equalizer"},
    };
    for (const SRow& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.args));
        EXPECT_EQ(RunCtl(row.args, out, err), row.nExit) << ReadText(err);
        if (row.nExit == 2) {
            EXPECT_THAT(ReadText(err), HasSubstr(row.text));
            EXPECT_THAT(ReadText(err), HasSubstr("Try 'mlb8ctl --help'."));
            if (std::find(row.args.begin(), row.args.end(), "--json") == row.args.end())
                EXPECT_EQ(ReadText(out), "");
            else
                EXPECT_THAT(ReadText(out), HasSubstr("\"exitCode\":2}\n"));
        } else {
            EXPECT_THAT(ReadText(out), HasSubstr(row.text));
        }
    }
}

// --help lists every command; a command's --help names its own options, also those that must be
// given, and the words that explain them.
TEST(CtlCommandLine, HelpOfTheProgramAndOfEachCommand) {
    TempFolder dir;
    const std::string out = dir / "out.txt", err = dir / "err.txt";
    ASSERT_EQ(RunCtl({"--help"}, out, err), 0);
    for (const char* psz :
         {"ports",   "probe",  "show",       "recall",   "store",     "dump",        "load",
          "factory", "check",  "diff",       "response", "eq-import", "eq-export",   "eq-fit",
          "align",   "--port", "--simulate", "--json",   "--trace",   "Exit status:"})
        EXPECT_THAT(ReadText(out), HasSubstr(psz));
    const std::pair<std::vector<std::string>, std::vector<std::string>> rows[] = {
        {{"load", "--help"}, {"mlb8ctl load", "--store", "--force", "refused (status 3) unless --force"}},
        {{"-h", "eq-fit"}, {"mlb8ctl eq-fit", "--output", "REQUIRED", "--max-dip-depth", "--min-dip-width"}},
        {{"response", "--output", "1", "--help"}, {"mlb8ctl response", "--sum", "--measured-with", "--csv"}},
        {{"--port", "/dev/null", "align", "--help"}, {"mlb8ctl align", "--measurement", "--keep-levels"}},
    };
    for (const auto& [args, texts] : rows) {
        SCOPED_TRACE(testing::PrintToString(args));
        ASSERT_EQ(RunCtl(args, out, err), 0) << ReadText(err);
        for (const std::string& text : texts)
            EXPECT_THAT(ReadText(out), HasSubstr(text));
        EXPECT_THAT(ReadText(out), Not(HasSubstr("Exit status:")));
    }
}

// The documents of --json are JSON whatever the names in them: quotes, backslashes, control
// characters and bytes that are not UTF-8 (each of those becomes U+FFFD).
TEST(CtlCommandLine, JsonDocumentsAreJsonWhateverTheNames) {
    TempFolder dir;
    const std::string out = dir / "out.txt", err = dir / "err.txt";
    const std::string good = dir / "tune.Dovu";
    WritePreset(good);
    struct SRow {
        std::string name;     // of the file, in the folder
        std::string expected; // the name as the document gives it
    };
    const SRow rows[] = {
        {"quote\"back\\slash.Dovu", "quote\"back\\slash.Dovu"},
        {"tab\tbell\a.Dovu", "tab\tbell\a.Dovu"},
        {"caf\xc3\xa9.Dovu", "caf\xc3\xa9.Dovu"},
        {"stray\xff-cut\xc3.Dovu", "stray\xef\xbf\xbd-cut\xef\xbf\xbd.Dovu"},
    };
    for (const SRow& row : rows) {
        SCOPED_TRACE(row.expected);
        const std::string path = dir / row.name;
        fs::copy_file(good, path);
        for (const std::vector<std::string>& args : {std::vector<std::string>{"--json", "check", path},
                                                     {"--json", "diff", good, path},
                                                     {"--json", "check", path + ".missing"}}) {
            RunCtl(args, out, err);
            const std::string text = ReadText(out);
            ASSERT_EQ(text.find('\n'), text.size() - 1) << text;
            const nlohmann::json doc = nlohmann::json::parse(text, nullptr, false);
            ASSERT_FALSE(doc.is_discarded()) << text;
            const std::string named = doc.contains("file") ? doc["file"] : doc["b"];
            EXPECT_EQ(named, dir / row.expected + (args.back() == path ? "" : ".missing"));
        }
    }
}
