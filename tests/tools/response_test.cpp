// The system view's choices (outputs, names, the summed group, the trim) and mlb8ctl response: its
// columns, its numbers against the editor's own, and the same curves from the processor and from a
// file dumped from it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

#include "editor/help.h"
#include "editor/presetfile.h"
#include "orvix/settingsmodel.h"
#include "presets/profile.h"
#include "sim/simprocessor.h"
#include "tuning/systemview.h"

namespace {

namespace fs = std::filesystem;
using testing::HasSubstr;

const std::string kExample = std::string(MLB8_SOURCE_DIR) + "/doc/examples/3-way-sub.Dovu";

void LoadExample(CSettingsModel& m) {
    ZUtils::ZProfile profile;
    ASSERT_TRUE(profile.LoadFile(kExample)) << kExample;
    m.WriteStartupDefaults();
    ReadPresetKeys(profile, m, EPresetRead::File);
}

TEST(SystemView, OutputsAndNamesFollowTheArchitecture) {
    struct {
        int nArch;
        std::vector<int> active;
        const char* pszOut5;
    } const kCases[] = {
        {ARCH_2WAY_SUB, {0, 1, 2, 3, 6, 7}, "Out 5"},
        {ARCH_3WAY_SUB, {0, 1, 2, 3, 4, 5, 6, 7}, "Out 5 Woofer L"},
        {ARCH_21, {0, 1, 6, 7}, "Out 5"},
        {ARCH_41, {0, 1, 2, 3, 6, 7}, "Out 5"},
        {ARCH_51, {0, 1, 2, 3, 4, 5, 6, 7}, "Out 5 Rear L"},
    };
    CSettingsModel m;
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.nArch);
        m.m_bEasyExp = 0;
        m.m_nDSPOutput[m.m_nDSPInput] = c.nArch;
        EXPECT_EQ(CSystemView::ActiveOutputs(m), c.active);
        EXPECT_EQ(CSystemView::OutputName(m, 4), c.pszOut5);
        // the left side is summed until the user chooses
        CSystemView view;
        unsigned nLeft = 0;
        for (int ch : c.active)
            if (ch % 2 == 0) nLeft |= 1u << ch;
        EXPECT_EQ(view.SumMask(m), nLeft);
        m.m_bEasyExp = 1; // expert routing may feed any output
        EXPECT_EQ(CSystemView::ActiveOutputs(m).size(), 8u);
        EXPECT_EQ(CSystemView::OutputName(m, 0), "Out 1");
    }
    m.m_bEasyExp = 0;
    m.m_nDSPOutput[m.m_nDSPInput] = ARCH_3WAY_SUB;
    EXPECT_EQ(CSystemView::OutputName(m, 0), "Out 1 Tweeter L");
    EXPECT_EQ(CSystemView::OutputName(m, 7), "Out 8 Sub R");
    EXPECT_EQ(CSystemView::OutputName(m, 8), "");
    CSystemView view;
    view.ToggleSumMember(m, 6); // Out 7 out of the left group
    view.ToggleSumMember(m, 1); // Out 2 in
    EXPECT_EQ(view.SumMask(m), 0x17u);
    // an output the architecture does not drive never counts
    m.m_nDSPOutput[m.m_nDSPInput] = ARCH_21;
    EXPECT_EQ(view.SumMask(m), 0x03u);
}

TEST(SystemView, TrimIsLevelPolarityAndDelayOfTheChannel) {
    CSettingsModel m;
    LoadExample(m);
    m.m_bPhase[6] = 1;
    const ZUtils::SOutputTrim sub = CSystemView::Trim(m, 6), tweeter = CSystemView::Trim(m, 1);
    EXPECT_DOUBLE_EQ(sub.fLevelDb, -3.0);
    EXPECT_EQ(sub.bInvert, 1);
    EXPECT_EQ(sub.nDelaySamples, 40);
    EXPECT_DOUBLE_EQ(tweeter.fLevelDb, -4.0);
    EXPECT_EQ(tweeter.bInvert, 0);
    EXPECT_EQ(tweeter.nDelaySamples, 10);
}

// Runs a command line, its output (both streams) into a file; the exit status.
int RunLine(const std::string& line, const std::string& out) {
    const int rc = std::system((line + " > '" + out + "' 2>&1").c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::vector<double>> CsvRows(const std::string& text, std::string* pHeader) {
    std::vector<std::vector<double>> rows;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] == '#') {
            *pHeader = line;
            continue;
        }
        std::vector<double>& row = rows.emplace_back();
        std::istringstream fields(line);
        std::string field;
        while (std::getline(fields, field, ','))
            row.push_back(std::stod(field));
    }
    return rows;
}

class ResponseTool : public testing::Test {
protected:
    void SetUp() override {
        m_Dir = fs::temp_directory_path() / ("mlb8-response-" + std::to_string(::getpid()));
        fs::create_directories(m_Dir);
        ASSERT_TRUE(fs::exists(m_Tool));
    }
    void TearDown() override { fs::remove_all(m_Dir); }
    std::string Out() const { return (m_Dir / "out.txt").string(); }

    std::string m_Tool = ZUtils::ExecutableDir() + "/mlb8ctl";
    fs::path m_Dir;
};

TEST_F(ResponseTool, CsvColumnsAreTheOutputsInOrderThenTheSum) {
    ASSERT_EQ(RunLine("'" + m_Tool +
                          "' response --output 5 --output 1 --sum 1,3,5,7 --phase --csv --preset '" +
                          kExample + "'",
                      Out()),
              0)
        << ReadText(Out());
    std::string header;
    const auto rows = CsvRows(ReadText(Out()), &header);
    EXPECT_EQ(header, "# frequency_hz,out5_db,out5_deg,out1_db,out1_deg,sum1+3+5+7_db,sum1+3+5+7_deg");
    ASSERT_EQ(rows.size(), static_cast<size_t>(RESPONSE_POINTS));

    CSettingsModel m;
    LoadExample(m);
    ZUtils::ZComplexCurve out5, out1, sum;
    CSystemView::OutputResponse(m, 4, &out5);
    CSystemView::OutputResponse(m, 0, &out1);
    ZUtils::ZComplexSum total;
    for (int ch : {0, 2, 4, 6}) {
        ZUtils::ZComplexCurve c;
        CSystemView::OutputResponse(m, ch, &c);
        total.Add(c);
    }
    total.Result(&sum);
    const ZUtils::ZResponseGrid& grid = ZUtils::ZResponseGrid::Get();
    for (size_t i = 0; i < rows.size(); ++i) {
        const int n = static_cast<int>(i);
        ASSERT_EQ(rows[i].size(), 7u) << "line " << i;
        EXPECT_NEAR(rows[i][0], grid.m_fFreq[n], 0.005);
        EXPECT_NEAR(rows[i][1], out5.m_fDb[n], 0.0005);
        EXPECT_NEAR(rows[i][2], ZUtils::WrapDegrees(out5.m_fPhaseDeg[n]), 0.005);
        EXPECT_NEAR(rows[i][3], out1.m_fDb[n], 0.0005);
        EXPECT_NEAR(rows[i][5], sum.m_fDb[n], 0.0005);
        EXPECT_NEAR(rows[i][6], ZUtils::WrapDegrees(sum.m_fPhaseDeg[n]), 0.005);
    }
    // Without --phase and --sum: the frequency and one level per output.
    ASSERT_EQ(RunLine("'" + m_Tool + "' response --output=8 --csv --preset '" + kExample + "'", Out()), 0);
    EXPECT_EQ(CsvRows(ReadText(Out()), &header).front().size(), 2u);
    EXPECT_EQ(header, "# frequency_hz,out8_db");
}

TEST_F(ResponseTool, TheProcessorGivesTheCurvesOfTheFileDumpedFromIt) {
    Sim::CSimProcessor sim;
    ASSERT_TRUE(sim.Start());
    const std::string dump = (m_Dir / "dump.Dovu").string();
    const std::string port = " --port '" + sim.PortPath() + "' ";
    ASSERT_EQ(RunLine("'" + m_Tool + "'" + port + "dump '" + dump + "'", Out()), 0) << ReadText(Out());
    const std::string args = " --output 1 --output 3 --output 7 --sum 1,3,7 --phase";
    ASSERT_EQ(RunLine("'" + m_Tool + "'" + port + "response" + args, Out()), 0) << ReadText(Out());
    const std::string fromProcessor = ReadText(Out());
    ASSERT_EQ(RunLine("'" + m_Tool + "' response" + args + " --preset '" + dump + "'", Out()), 0);
    EXPECT_EQ(ReadText(Out()), fromProcessor);
    EXPECT_THAT(fromProcessor, HasSubstr("frequency_hz"));
}

TEST_F(ResponseTool, MeasurementsWithPhaseMakeTheSumMeasuredOthersAreNamed) {
    const std::string flat = (m_Dir / "flat.txt").string(), level = (m_Dir / "level.txt").string();
    std::ofstream(flat) << "* flat\n1 0 0\n300000 0 0\n";
    std::ofstream(level) << "* no phase\n1 0\n300000 0\n";
    const std::string tool = "'" + m_Tool + "'";
    const std::string command = " response --output 1 --sum 1,3 --csv --preset '" + kExample + "'";
    ASSERT_EQ(RunLine(tool + command, Out()), 0);
    std::string header;
    const auto processor = CsvRows(ReadText(Out()), &header);
    struct {
        const char* pszMeasurements;
        const char* pszSumColumn;
        const char* pszNote;
        bool bBeforeCommand; // options may stand before the command word too
    } const kCases[] = {
        // Flat bare drivers (--raw): the processor's sum.
        {" --raw --measurement 1=FLAT --measurement=3=FLAT", "sum1+3_measured_db", "", false},
        {" --measurement 1=FLAT --raw --measurement 3=LEVEL", "sum1+3_db",
         "Processor-only sum: no phase in the measurement of Out 3", false},
        {" --measurement 3=FLAT --raw", "sum1+3_db", "Processor-only sum: no measurement for Out 1", false},
        {" --measurement 1=FLAT --measurement 3=FLAT --raw", "sum1+3_measured_db", "", true},
    };
    for (const auto& c : kCases) {
        std::string args = c.pszMeasurements;
        for (const auto& [name, path] : {std::pair{"FLAT", flat}, std::pair{"LEVEL", level}})
            for (size_t at = args.find(name); at != std::string::npos; at = args.find(name))
                args.replace(at, std::string(name).size(), path);
        ASSERT_EQ(RunLine(c.bBeforeCommand ? tool + args + command : tool + command + args, Out()), 0)
            << args << "\n"
            << ReadText(Out());
        const std::string text = ReadText(Out());
        std::string csv; // without the note, which comes on standard error
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);)
            if (line.rfind("mlb8ctl: ", 0) != 0) csv += line + "\n";
        const auto rows = CsvRows(csv, &header);
        EXPECT_THAT(header, HasSubstr(c.pszSumColumn)) << args;
        EXPECT_THAT(text, HasSubstr(c.pszNote)) << args;
        EXPECT_EQ(text.find("Processor-only") == std::string::npos, *c.pszNote == 0) << args;
        // flat measurements with no phase leave every number as the processor's
        ASSERT_EQ(rows.size(), processor.size());
        for (size_t i = 0; i < rows.size(); ++i)
            ASSERT_EQ(rows[i], processor[i]) << args << " line " << i;
    }

    // Taken through the settings read (the default), two flat measurements are what the microphone
    // heard: they sum to +6.02 dB whatever the processor's curves, which stay as they are.
    ASSERT_EQ(RunLine(tool + command + " --measurement 1=" + flat + " --measurement 3=" + flat, Out()), 0);
    const auto rows = CsvRows(ReadText(Out()), &header);
    ASSERT_EQ(rows.size(), processor.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i].size(), 3u);
        EXPECT_EQ(rows[i][1], processor[i][1]) << " line " << i;
        ASSERT_NEAR(rows[i][2], 6.021, 0.0015) << " line " << i;
    }
}

// The processor plays nothing of a muted output: the sum leaves it out and the header says so, while
// the output's own column keeps the curve it would play.
TEST_F(ResponseTool, AMutedOutputAddsNothingToTheSumAndIsNamedMuted) {
    const std::string example = ReadText(kExample);
    ASSERT_NE(example.find("MUTE_CH0=0"), std::string::npos);
    ASSERT_NE(example.find("MUTE_CH2=0"), std::string::npos);
    enum ESum { BOTH, OUT3_ALONE, SILENT };
    struct {
        const char* pszName;
        std::vector<std::string> mutes; // keys set to 1
        const char* pszHeader;
        ESum eSum;
        const char* pszNote;
    } const kCases[] = {
        {"nothing muted", {}, "# frequency_hz,out1_db,out3_db,sum1+3_db", BOTH, ""},
        {"Out 1 muted",
         {"MUTE_CH0"},
         "# frequency_hz,out1_muted_db,out3_db,sum1_muted+3_db",
         OUT3_ALONE,
         "mlb8ctl: Out 1 is muted: not in the sum\n"},
        {"both muted",
         {"MUTE_CH0", "MUTE_CH2"},
         "# frequency_hz,out1_muted_db,out3_muted_db,sum1_muted+3_muted_db",
         SILENT,
         "mlb8ctl: Out 1, Out 3 are muted: not in the sum\n"},
    };
    std::vector<std::vector<double>> unmuted;
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.pszName);
        std::string text = example;
        for (const std::string& key : c.mutes)
            text.replace(text.find(key + "=0"), key.size() + 2, key + "=1");
        const std::string preset = (m_Dir / "muted.Dovu").string();
        std::ofstream(preset) << text;
        const std::string errors = (m_Dir / "errors.txt").string();
        ASSERT_EQ(std::system(("'" + m_Tool + "' response --output 1 --output 3 --sum 1,3 --csv --preset '" +
                               preset + "' > '" + Out() + "' 2> '" + errors + "'")
                                  .c_str()),
                  0)
            << ReadText(errors);
        EXPECT_EQ(ReadText(errors), c.pszNote);
        std::string header;
        const auto rows = CsvRows(ReadText(Out()), &header);
        EXPECT_EQ(header, c.pszHeader);
        ASSERT_EQ(rows.size(), static_cast<size_t>(RESPONSE_POINTS));
        if (c.eSum == BOTH) unmuted = rows;
        ASSERT_EQ(unmuted.size(), rows.size());
        int nApart = 0; // points where the sum of both is not Out 3 alone
        for (size_t i = 0; i < rows.size(); ++i) {
            ASSERT_EQ(rows[i].size(), 4u);
            // a muted output's own column is the curve it would play
            EXPECT_EQ(rows[i][1], unmuted[i][1]) << "line " << i;
            if (c.eSum == OUT3_ALONE) {
                EXPECT_NEAR(rows[i][3], rows[i][2], 0.0015) << "line " << i;
            } else if (c.eSum == SILENT) {
                EXPECT_LT(rows[i][3], -300.0) << "line " << i;
            }
            nApart += std::fabs(rows[i][3] - rows[i][2]) > 1.0;
        }
        if (c.eSum == BOTH) {
            EXPECT_GT(nApart, 10);
        }
    }
}

TEST_F(ResponseTool, BadCommandLinesAreUsageErrors) {
    struct {
        const char* pszArgs;
        int nExit;
    } const kCases[] = {
        {"response", 2},
        {"response --output 9", 2},
        {"response --output 0", 2},
        {"response --output", 2},
        {"response --output 1 --sum 1,1", 2},
        {"response --output 1 --sum 1,,3", 2},
        {"response --output 1 --sum 9", 2},
        {"response --output 1 --phase=1", 2},
        {"response --output 1 extra", 2},
        {"show --csv", 2},
        {"check x.Dovu --output 1", 2},
        {"response --output 1 --preset /nonexistent/none.Dovu", 1},
        {"response --output 1 --sum 1,3 --measurement 3", 2},
        {"response --output 1 --sum 1,3 --measurement 9=m.txt", 2},
        {"response --output 1 --sum 1,3 --measurement 3=", 2},
        {"response --output 1 --measurement 1=m.txt", 2}, // nothing to sum
        {"response --output 1 --sum 1 --measurement 1=/nonexistent/m.txt", 1},
        {"response --output 1 --sum 1 --raw --measured-with a.Dovu", 2},
        {"show --raw", 2},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(RunLine("'" + m_Tool + "' " + c.pszArgs, Out()), c.nExit) << c.pszArgs << "\n"
                                                                            << ReadText(Out());
}

} // namespace
