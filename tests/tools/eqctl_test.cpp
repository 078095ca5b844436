// mlb8ctl's equalizer commands against a simulated processor on a pseudo-terminal and on preset files:
// what reaches the processor equals what was imported, for the output and its partner, and a file
// that cannot be used sends nothing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "comm/comnames.h"
#include "ctlrun.h"
#include "editor/help.h"
#include "sim/simprocessor.h"
#include "tuning/eqimport.h"

extern char** environ;

using testing::HasSubstr;
namespace fs = std::filesystem;

namespace {

using CtlRun::ReadText;
using CtlRun::RunCtl;

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

Sim::SFilterBytes Bytes(const SFilterCoef& c) {
    Sim::SFilterBytes b{};
    std::memcpy(b.data(), &c, sizeof c);
    return b;
}

const char* const kFilters = "Filter Settings file\r\n"
                             "Room EQ V5.20.13\r\n"
                             "Filter  1: ON  PK       Fc   1180 Hz   Gain   2.50 dB  Q  0.900\r\n"
                             "Filter  2: ON  PK       Fc   42.50 Hz  Gain   4.00 dB  Q  1.200\r\n"
                             "Filter  3: ON  LS       Fc   60.00 Hz  Gain   2.00 dB\r\n"
                             "Filter  4: ON  PK       Fc   3350 Hz   Gain  -14.0 dB  Q  12.00\r\n";

class EqCtl : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = testing::TempDir() + "eqctl_XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_Dir = pattern;
        m_Out = m_Dir + "/out.txt";
        m_Err = m_Dir + "/err.txt";
        m_Filters = m_Dir + "/filters.txt";
        WriteText(m_Filters, kFilters);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_Dir, ec);
    }
    int Run(const std::vector<std::string>& args) { return RunCtl(args, m_Out, m_Err); }
    std::string Out() const { return ReadText(m_Out); }
    std::string Err() const { return ReadText(m_Err); }

    std::string m_Dir, m_Out, m_Err, m_Filters;
};

TEST_F(EqCtl, ImportWritesTheOutputAndItsPartnerAndExportReadsThemBack) {
    Sim::CSimProcessor sim;
    ASSERT_TRUE(sim.Start());
    const Sim::SSimConfig before = sim.Running();
    ASSERT_EQ(Run({"--port", sim.PortPath(), "eq-import", m_Filters, "--output", "4", "--pair"}), 0) << Err();
    EXPECT_THAT(Out(), HasSubstr("Imported 3 filters into the bands; 7 left flat."));
    EXPECT_THAT(Out(), HasSubstr("line 5: LS filter not importable"));
    EXPECT_THAT(Out(), HasSubstr("line 6: Gain -14 dB -> -12 dB"));
    EXPECT_THAT(Out(), HasSubstr("Wrote the bands to outputs 4 and 3 of the processor."));

    const SEqImport want = ParseEqFilterText(kFilters);
    ASSERT_TRUE(want.bOk);
    const Sim::SSimConfig after = sim.Running();
    for (int ch = 0; ch < 8; ++ch) {
        SCOPED_TRACE("channel " + std::to_string(ch));
        if (ch == 2 || ch == 3) {
            EXPECT_EQ(after.bEqFlag[static_cast<std::size_t>(ch)], 1);
            for (int b = 0; b < CRev8001Lib::EQ_BANDS; ++b)
                EXPECT_EQ(after.Eq[static_cast<std::size_t>(ch)][static_cast<std::size_t>(b)],
                          Bytes(want.bands[b]));
        } else {
            EXPECT_EQ(after.bEqFlag[static_cast<std::size_t>(ch)],
                      before.bEqFlag[static_cast<std::size_t>(ch)]);
            EXPECT_EQ(after.Eq[static_cast<std::size_t>(ch)], before.Eq[static_cast<std::size_t>(ch)]);
        }
    }

    // What the processor holds, exported and imported again, is the same ten bands.
    ASSERT_EQ(Run({"--port", sim.PortPath(), "eq-export", "--output", "3"}), 0) << Err();
    const SEqImport back = ParseEqFilterText(Out());
    ASSERT_TRUE(back.bOk);
    for (int b = 0; b < CRev8001Lib::EQ_BANDS; ++b)
        EXPECT_EQ(Bytes(back.bands[b]), Bytes(want.bands[b])) << "band " << b;
}

TEST_F(EqCtl, AFileThatCannotBeUsedSendsNothing) {
    Sim::CSimProcessor sim;
    ASSERT_TRUE(sim.Start());
    const Sim::SSimConfig before = sim.Running();
    const std::string cut = m_Dir + "/cut.txt";
    WriteText(cut, "Filter 1: OFF PK Fc 100 Hz Gain 3 dB Q 1\nFilter 2: ON PK Fc 2");
    EXPECT_EQ(Run({"--port", sim.PortPath(), "eq-import", cut, "--output", "1"}), 1);
    EXPECT_THAT(Err(), HasSubstr("mlb8ctl: " + cut + ": No peaking filter that is ON was found"));
    EXPECT_THAT(Err(), HasSubstr("line 2: incomplete filter (no gain)"));
    EXPECT_EQ(Run({"--port", sim.PortPath(), "--json", "eq-import", m_Dir + "/missing.txt", "--output", "1"}),
              1);
    EXPECT_THAT(Out(), HasSubstr("\"ok\":false,\"error\":\"Cannot open " + m_Dir +
                                 "/missing.txt (No such file or directory).\""));
    EXPECT_TRUE(sim.ReceivedFrames().empty());
    EXPECT_TRUE(sim.Running() == before);

    // Usage errors are caught before anything else.
    EXPECT_EQ(Run({"eq-import", m_Filters}), 2);
    EXPECT_THAT(Err(), HasSubstr("needs --output N"));
    EXPECT_EQ(Run({"eq-import", m_Filters, "--output", "9"}), 2);
    EXPECT_EQ(Run({"eq-import", m_Filters, "--output", "1", "--preset", "a.Dovu"}), 2);
    EXPECT_THAT(Err(), HasSubstr("--preset IN and --write OUT go together"));
    EXPECT_EQ(Run({"eq-export", "--output", "1", "--pair"}), 2);
    EXPECT_EQ(Run({"eq-import", m_Filters, "--output", "1", "--max-boost", "3"}), 2);
}

TEST_F(EqCtl, ImportIntoAPresetFileChangesOnlyThatOutputsBands) {
    const std::string in = m_Dir + "/in.Dovu", out = m_Dir + "/out.Dovu";
    ASSERT_EQ(Run({"--simulate", "dump", in}), 0) << Err();
    ASSERT_EQ(Run({"--json", "eq-import", m_Filters, "--output", "5", "--preset", in, "--write", out}), 0)
        << Err();
    EXPECT_THAT(Out(), HasSubstr("\"imported\":3"));
    EXPECT_THAT(Out(), HasSubstr("\"kind\":\"adjusted\""));
    EXPECT_THAT(Out(), HasSubstr("\"written\":\"" + out + "\""));
    ASSERT_EQ(Run({"check", out}), 0) << Out() << Err();

    ASSERT_EQ(Run({"eq-export", "--output", "5", "--preset", out}), 0) << Err();
    const SEqImport back = ParseEqFilterText(Out());
    const SEqImport want = ParseEqFilterText(kFilters);
    ASSERT_TRUE(back.bOk);
    for (int b = 0; b < CRev8001Lib::EQ_BANDS; ++b)
        EXPECT_EQ(Bytes(back.bands[b]), Bytes(want.bands[b])) << "band " << b;
    // Every other output reads as before.
    for (const char* psz : {"1", "4", "6", "8"}) {
        ASSERT_EQ(Run({"eq-export", "--output", psz, "--preset", in}), 0);
        const std::string a = Out();
        ASSERT_EQ(Run({"eq-export", "--output", psz, "--preset", out}), 0);
        EXPECT_EQ(Out(), a) << "output " << psz;
    }
}

// A measurement that is flat but for a dip and a peak, fitted into a preset file's output 6 over a
// given range above its high-pass (below it no boost within the limit could follow the roll-off): the report
// names both deviations and the bands, and the file holds those bands.
TEST_F(EqCtl, FitIntoAPresetFile) {
    const std::string in = m_Dir + "/in.Dovu", out = m_Dir + "/out.Dovu", meas = m_Dir + "/meas.txt";
    std::string text = "* Freq(Hz) SPL(dB) Phase(degrees)\n";
    for (double f = 15.0; f < 22000.0; f *= 1.02) {
        const double l = 80.0 - 6.0 * std::exp(-std::pow(std::log2(f / 200.0) * 3.0, 2.0)) +
                         4.0 * std::exp(-std::pow(std::log2(f / 3000.0) * 2.0, 2.0));
        char sz[64];
        std::snprintf(sz, sizeof sz, "%.4f %.3f 0\n", f, l);
        text += sz;
    }
    WriteText(meas, text);
    ASSERT_EQ(Run({"--simulate", "dump", in}), 0) << Err();
    ASSERT_EQ(Run({"--json", "eq-fit", meas, "--output", "6", "--from", "100", "--to", "16000", "--preset",
                   in, "--write", out}),
              0)
        << Err();
    EXPECT_THAT(Out(), HasSubstr("\"from\":100,\"to\":16000,\"rangeFromCrossover\":false"));
    ASSERT_EQ(Run({"eq-fit", meas, "--output", "6", "--from", "100", "--to", "16000", "--preset", in,
                   "--write", out}),
              0)
        << Err();
    const std::string report = Out();
    EXPECT_THAT(report, HasSubstr("points the fit used, 10"));
    const std::size_t nBefore = report.find(" dB before, ");
    ASSERT_NE(nBefore, std::string::npos);
    const double fBefore = std::stod(report.substr(report.rfind(": ", nBefore) + 2));
    const double fAfter = std::stod(report.substr(nBefore + 12));
    EXPECT_GT(fBefore, 1.0);
    EXPECT_LT(fAfter, 0.5);
    // The bands the report names are the ones in the file.
    ASSERT_EQ(Run({"eq-export", "--output", "6", "--preset", out}), 0) << Err();
    const SEqImport back = ParseEqFilterText(Out());
    ASSERT_TRUE(back.bOk);
    for (int b = 0; b < back.nImported; ++b) {
        if (back.bands[b].Gain == 0) continue;
        char sz[96];
        std::snprintf(sz, sizeof sz, "Band %d: %u Hz %+d dB BandWidth %.1f", b + 1,
                      unsigned(back.bands[b].Freq), int(back.bands[b].Gain),
                      static_cast<double>(back.bands[b].BandWidth));
        EXPECT_THAT(report, HasSubstr(sz));
    }
    // A measurement file that is not one is refused before anything is read or written.
    WriteText(meas, "Filter 1: ON PK Fc 100 Hz Gain 3 dB Q 1\n");
    EXPECT_EQ(Run({"eq-fit", meas, "--output", "6", "--preset", in, "--write", m_Dir + "/never.Dovu"}), 1);
    EXPECT_THAT(Err(), HasSubstr("not a measurement"));
    EXPECT_FALSE(fs::exists(m_Dir + "/never.Dovu"));
}

// A results export with more columns than frequency and level, with lines that cannot be used: the
// level comes from the column asked for, and every unused line is named on standard error and in the
// JSON; a file with no level column or only broken values is refused, naming why, and nothing is written.
TEST_F(EqCtl, FitNamesTheMeasurementColumnsAndTheLinesNotUsed) {
    const std::string in = m_Dir + "/in.Dovu", out = m_Dir + "/out.Dovu", meas = m_Dir + "/results.csv";
    std::string text = "frequency,raw,error,smoothed,target\n";
    int nLine = 1;
    for (double f = 20.0; f < 20000.0; f *= 1.05) {
        char sz[96];
        std::snprintf(sz, sizeof sz, "%.3f,%.3f,0,%.3f,0\n", f, 30.0 * std::sin(f),
                      3.0 * std::sin(std::log(f)));
        text += sz;
        if (++nLine == 40) text += "2500,nan,0,nan,0\n", ++nLine;
    }
    WriteText(meas, text);
    ASSERT_EQ(Run({"--simulate", "dump", in}), 0) << Err();
    const std::vector<std::string> fit = {"eq-fit",  meas,   "--output", "6",        "--from",
                                          "40",      "--to", "16000",    "--preset", in,
                                          "--write", out,    "--column", "smoothed"};
    std::vector<std::string> json = fit;
    json.insert(json.begin(), "--json");
    ASSERT_EQ(Run(json), 0) << Err();
    EXPECT_THAT(Out(), HasSubstr("\"levelColumn\":\"smoothed\",\"measurementNotes\":[{\"firstLine\":41,"
                                 "\"lastLine\":41,\"text\":\"level is not a finite number\"}]"));
    EXPECT_THAT(
        Err(), HasSubstr("the level from the column \"smoothed\".\nline 41: level is not a finite number\n"));
    // The deviation before the fit is the chosen column's: the raw one swings ten times wider.
    auto before = [this](const std::vector<std::string>& args) {
        EXPECT_EQ(Run(args), 0) << Err();
        const std::string report = Out();
        const std::size_t nBefore = report.find(" dB before, ");
        EXPECT_NE(nBefore, std::string::npos) << report;
        return nBefore == std::string::npos ? 0.0 : std::stod(report.substr(report.rfind(": ", nBefore) + 2));
    };
    std::vector<std::string> raw = fit;
    raw.back() = "raw";
    EXPECT_GT(before(raw), before(fit) + 3.0);

    struct SRefused {
        const char* pszText;
        const char* pszColumn;
        const char* pszWhy;
    };
    const SRefused refused[] = {
        {"200 1e308\n500 -1e308\n", nullptr, "lines 1-2: level beyond -1000..+1000 dB"},
        {"frequency,error\n20,1\n200,2\n", nullptr,
         "Columns found: frequency, error; no level column (raw, spl, magnitude, db).\nmlb8ctl: choose the "
         "level "
         "column with --column NAME"},
        {"frequency,raw\n20,1\n200,2\n", "spl", "No level column \"spl\". Columns found: frequency, raw."},
        {"0.02 1\n0.2 2\n2 3\n20 4\n", nullptr, "they look like kHz"},
    };
    for (const SRefused& r : refused) {
        WriteText(meas, r.pszText);
        std::vector<std::string> args = {"eq-fit",   meas, "--output", "2",
                                         "--preset", in,   "--write",  m_Dir + "/never.Dovu"};
        if (r.pszColumn) args.insert(args.end(), {"--column", r.pszColumn});
        EXPECT_EQ(Run(args), 1) << r.pszText;
        EXPECT_THAT(Err(), HasSubstr(r.pszWhy)) << r.pszText;
        EXPECT_FALSE(fs::exists(m_Dir + "/never.Dovu")) << r.pszText;
    }
}

// A flat measurement taken through settings that hold +6 dB at 1 kHz on output 6: the driver has a
// dip there, and the fit puts the band back; as a bare driver (--raw) nothing is fitted there. The
// report says which it was.
TEST_F(EqCtl, FitOfAMeasurementTakenThroughASetting) {
    const std::string in = m_Dir + "/in.Dovu", with = m_Dir + "/with.Dovu", out = m_Dir + "/out.Dovu";
    const std::string filters = m_Dir + "/band.txt", meas = m_Dir + "/flat.txt";
    ASSERT_EQ(Run({"--simulate", "dump", in}), 0) << Err();
    WriteText(filters, "Filter 1: ON PK Fc 1000 Hz Gain 6 dB Q 1\n");
    ASSERT_EQ(Run({"eq-import", filters, "--output", "6", "--preset", in, "--write", with}), 0) << Err();
    WriteText(meas, "* flat\n10 80\n24000 80\n");
    auto gainNear1k = [&]() {
        EXPECT_EQ(Run({"eq-export", "--output", "6", "--preset", out}), 0) << Err();
        const SEqImport back = ParseEqFilterText(Out());
        int nGain = 0;
        for (int b = 0; b < back.nImported; ++b)
            if (back.bands[b].Freq > 700 && back.bands[b].Freq < 1400) nGain += back.bands[b].Gain;
        return nGain;
    };
    const std::vector<std::string> fit = {"eq-fit", meas,   "--output", "6", "--from",  "200",
                                          "--to",   "5000", "--preset", in,  "--write", out};
    std::vector<std::string> args = fit;
    args.insert(args.end(), {"--measured-with", with});
    ASSERT_EQ(Run(args), 0) << Err();
    EXPECT_THAT(Out(), HasSubstr("Measurement taken through " + with + "."));
    EXPECT_GE(gainNear1k(), 4);
    args = fit;
    args.push_back("--raw");
    ASSERT_EQ(Run(args), 0) << Err();
    EXPECT_THAT(Out(), HasSubstr("Measurement of the bare driver."));
    EXPECT_EQ(gainNear1k(), 0);
    args.insert(args.end(), {"--measured-with", with});
    EXPECT_EQ(Run(args), 2);
}

} // namespace

namespace {

std::vector<std::string> AlignArgs(const std::vector<int>& outputs) {
    std::vector<std::string> args = {"align"};
    for (int n : outputs) {
        args.push_back("--measurement");
        args.push_back(std::to_string(n) + "=" + std::string(MLB8_SOURCE_DIR) + "/doc/examples/align/out" +
                       std::to_string(n) + ".txt");
    }
    return args;
}

} // namespace

TEST_F(EqCtl, AlignWritesItsProposalToAPresetCopyOrTheProcessor) {
    const std::string example = std::string(MLB8_SOURCE_DIR) + "/doc/examples/3-way-sub.Dovu";
    const std::string out = m_Dir + "/aligned.Dovu";
    std::vector<std::string> args = AlignArgs({1, 3, 5, 7});
    for (const char* psz : {"--preset", example.c_str(), "--write", out.c_str()})
        args.emplace_back(psz);
    ASSERT_EQ(Run(args), 0) << Err();
    EXPECT_THAT(Out(), HasSubstr("Out 7 Sub L"));
    EXPECT_THAT(Out(), HasSubstr("whole range     (21..16000 Hz):"));
    // The copy holds the proposal; what was not measured is the preset's.
    ASSERT_EQ(Run({"check", out}), 0) << Err();
    EXPECT_THAT(Out(), testing::ContainsRegex("Out 7 +-?[0-9.]+ dB +no +no +normal +0.000 ms"));
    EXPECT_THAT(Out(), testing::ContainsRegex("Out 2 +-4.0 dB +no +no +normal +0.208 ms"));

    // To the processor: the measured outputs change, the others keep their delays.
    Sim::CSimProcessor sim;
    ASSERT_TRUE(sim.Start());
    const Sim::SSimConfig before = sim.Running();
    args = AlignArgs({1, 3, 5, 7});
    const std::string port = sim.PortPath();
    for (const char* psz : {"--measured-with", example.c_str(), "--port", port.c_str()})
        args.emplace_back(psz);
    ASSERT_EQ(Run(args), 0) << Err();
    EXPECT_THAT(Out(), HasSubstr("Wrote the delays, polarities and levels to the processor."));
    const Sim::SSimConfig after = sim.Running();
    int nMin = 100000;
    for (std::size_t ch : {0u, 2u, 4u, 6u})
        nMin = std::min<int>(nMin, after.nDelay[ch]);
    EXPECT_EQ(nMin, 0);
    EXPECT_NE(after.nDelay, before.nDelay);
    for (std::size_t ch : {1u, 3u, 5u, 7u}) {
        EXPECT_EQ(after.nDelay[ch], before.nDelay[ch]) << ch;
        EXPECT_EQ(after.nVolume[ch], before.nVolume[ch]) << ch;
    }
}

TEST_F(EqCtl, AlignRefusesBeforeAnythingIsSent) {
    Sim::CSimProcessor sim;
    ASSERT_TRUE(sim.Start());
    const Sim::SSimConfig before = sim.Running();
    const std::string noPhase = m_Dir + "/nophase.txt";
    WriteText(noPhase, "100 80\n1000 80\n10000 80\n");
    struct {
        std::vector<std::string> args;
        int nExit;
        const char* pszError;
    } const kCases[] = {
        {{"align"}, 2, "align needs --measurement N=FILE"},
        {{"align", "--measurement", "9=x.txt"}, 2, "--measurement needs an output number 1..8"},
        {{"eq-fit", m_Filters, "--output", "1", "--keep-levels"},
         2,
         "--measurement and --keep-levels go with align"},
        {{"align", "--measurement", "1=" + noPhase}, 1, "has no phase: it cannot be aligned"},
        {{"align", "--measurement", "1=" + m_Dir + "/missing.txt"}, 1, "missing.txt"},
    };
    for (const auto& c : kCases) {
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), {"--port", sim.PortPath()});
        EXPECT_EQ(Run(args), c.nExit) << c.args[1];
        EXPECT_THAT(Err(), HasSubstr(c.pszError));
    }
    EXPECT_EQ(sim.Running().nDelay, before.nDelay);
    EXPECT_EQ(sim.Running().nVolume, before.nVolume);
}

// A muted output of the preset is left out of the sum: the report names it, --json lists it, and the copy
// keeps its delay; with every output given muted there is nothing to align.
TEST_F(EqCtl, AlignLeavesOutMutedOutputs) {
    std::string preset = ReadText(std::string(MLB8_SOURCE_DIR) + "/doc/examples/3-way-sub.Dovu");
    const std::size_t at = preset.find("MUTE_CH2=0");
    ASSERT_NE(at, std::string::npos);
    preset.replace(at, 10, "MUTE_CH2=1");
    const std::string muted = m_Dir + "/muted.Dovu";
    WriteText(muted, preset);
    const std::string out = m_Dir + "/aligned.Dovu";
    std::vector<std::string> args = AlignArgs({1, 3, 5, 7});
    for (const char* psz : {"--preset", muted.c_str(), "--write", out.c_str()})
        args.emplace_back(psz);
    ASSERT_EQ(Run(args), 0) << Err();
    EXPECT_THAT(Out(), HasSubstr("Left out of the sum, settings kept: Out 3 Mid L (muted)"));
    EXPECT_THAT(Out(), testing::Not(testing::ContainsRegex("\nOut 3 Mid L +[0-9]")));
    ASSERT_EQ(Run({"check", out}), 0) << Err();
    EXPECT_THAT(Out(), testing::ContainsRegex("Out 3 +-?[0-9.]+ dB +yes +no +normal +0.833 ms"));
    args.push_back("--json");
    args[args.size() - 2] = m_Dir + "/aligned2.Dovu";
    ASSERT_EQ(Run(args), 0) << Err();
    EXPECT_THAT(Out(), HasSubstr(R"("leftOut":[{"output":3,"why":"muted"}])"));

    args = AlignArgs({3});
    for (const char* psz : {"--preset", muted.c_str(), "--write", out.c_str()})
        args.emplace_back(psz);
    EXPECT_EQ(Run(args), 1);
    EXPECT_THAT(Err(), HasSubstr("nothing to align: every output given is muted or outside the solo"));
    EXPECT_THAT(Err(), HasSubstr("Left out of the sum, settings kept: Out 3 Mid L (muted)"));
}
