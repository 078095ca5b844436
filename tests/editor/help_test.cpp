// Help mode: the help texts, the help button, hover and cursor tracking, and opening the user manual.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "comm/ctrlmessages.h"
#include "editor/controlids.h"
#include "editor/help.h"
#include "fakehost.h"
#include "tests/comm/testutil.h"

using testing::ElementsAre;
using testing::IsEmpty;

namespace {

namespace fs = std::filesystem;

// Records what the core posts to itself instead of queueing it.
class CRecordingHost : public CFakeHost {
public:
    void PostToSelf(std::uint32_t nMsg, std::uintptr_t wParam, std::intptr_t lParam) override {
        posts.push_back({nMsg, static_cast<int>(wParam), static_cast<int>(lParam)});
    }
    struct SPost {
        std::uint32_t nMsg;
        int nId, nOnOff;
        bool operator==(const SPost&) const = default;
    };
    std::vector<SPost> posts;
};

// A folder of its own for the test, removed afterwards.
class CTempDir {
public:
    CTempDir() {
        std::string pattern = (fs::temp_directory_path() / "mlb8-help-XXXXXX").string();
        m_Path = mkdtemp(pattern.data());
    }
    ~CTempDir() {
        std::error_code ec;
        fs::remove_all(m_Path, ec);
    }
    const fs::path& Path() const { return m_Path; }

private:
    fs::path m_Path;
};

class Help : public testing::Test {
protected:
    Help() { host.Attach(&core); }

    CRecordingHost host;
    CEditorCore core{host};
    CHelp help{core.Context()};
};

// Every control ID that has a text, as groups of ranges.
struct SRange {
    int nFirst, nLast;
};
const std::vector<std::vector<SRange>> kTextGroups = {
    {{ctl::MAIN_LEVEL_BOX, ctl::MAIN_LEVEL_BOX}},
    {{ctl::CHANNEL_LEVEL_BOX, ctl::CHANNEL_LEVEL_BOX}},
    {{ctl::MAIN_KNOB_AREA.first, ctl::MAIN_KNOB}},
    {{ctl::CHANNEL_KNOB_AREA.first, ctl::CHANNEL_KNOB}},
    {{ctl::CHANNEL.first, ctl::CHANNEL.last},
     {ctl::PAIR.first, ctl::PAIR_MUTE.last},
     {ctl::SOLO.first, ctl::PAIR_SOLO.last}},
    {{ctl::PHASE, ctl::PHASE}},
    {{ctl::TAB_CONFIG, ctl::TAB_CONFIG}},
    {{ctl::TAB_EQ, ctl::TAB_EQ}},
    {{ctl::TAB_XOVER, ctl::TAB_XOVER}},
    {{ctl::TAB_DELAY, ctl::TAB_DELAY}},
    {{ctl::EQ_SWITCH, ctl::EQ_SWITCH}},
    {{ctl::MODE_SWITCH, ctl::MODE_SWITCH}},
    {{ctl::INPUT_KIND.first, ctl::INPUT_KIND.first}},
    {{ctl::INPUT_KIND.at(1), ctl::INPUT_KIND.at(1)}},
    {{ctl::INPUT_KIND.at(2), ctl::INPUT_KIND.at(2)}},
    {{ctl::INPUT_KIND.at(3), ctl::INPUT_KIND.at(3)}},
    {{ctl::INPUT_KIND.last, ctl::INPUT_KIND.last}},
    {{ctl::EASY_SENS_SLIDER, ctl::EASY_SENS_SLIDER}},
    {{ctl::EASY_SENS_BOX, ctl::EASY_SENS_BOX}},
    {{ctl::EASY_LOW_HIGH, ctl::EASY_LOW_HIGH_2}, {ctl::EXP_HIGHLOW_SPARE, ctl::EXP_HIGHLOW_SPARE}},
    {{ctl::ARCH.first, ctl::ARCH.first}},
    {{ctl::ARCH.at(1), ctl::ARCH.at(1)}},
    {{ctl::ARCH.at(2), ctl::ARCH.at(2)}},
    {{ctl::ARCH.at(3), ctl::ARCH.at(3)}},
    {{ctl::ARCH.last, ctl::ARCH.last}},
    {{ctl::ACTIVATE, ctl::ACTIVATE}},
    {{ctl::XOVER_HP, ctl::XOVER_HP}},
    {{ctl::XOVER_BP, ctl::XOVER_BP}},
    {{ctl::XOVER_LP, ctl::XOVER_LP}},
    {{ctl::EXP_ROUTE_MAIN.first, ctl::EXP_ROUTE_MAIN.last},
     {ctl::EXP_ROUTE_AUX.first, ctl::EXP_ROUTE_NUMERICAL.last}},
    {{ctl::EXP_SENS_SLIDER.first, ctl::EXP_SENS_SLIDER.last},
     {ctl::AUX_SENS_SLIDER.first, ctl::AUX_SENS_SLIDER.at(1)}},
    {{ctl::EQ_GAIN_SLIDER.first, ctl::EQ_GAIN_SLIDER.last}},
    {{ctl::EQ_Q_KNOB.first, ctl::EQ_Q_KNOB.last}},
    {{ctl::EQ_FREQ_BOX.first, ctl::EQ_FREQ_BOX.last}},
    {{ctl::EQ_GAIN_BOX.first, ctl::EQ_GAIN_BOX.last}},
    {{ctl::EQ_Q_BOX.first, ctl::EQ_Q_BOX.last}},
    {{ctl::EXP_SENS_BOX.first, ctl::EXP_SENS_BOX.last}, {ctl::AUX_SENS_BOX.first, ctl::AUX_SENS_BOX.at(1)}},
    {{ctl::GRAPH, ctl::GRAPH}},
    {{ctl::HP_SLIDER, ctl::LP_SLIDER}},
    {{ctl::HP_SLOPE_BOX, ctl::LP_SLOPE_BOX}},
    {{ctl::HP_FREQ_BOX, ctl::LP_FREQ_BOX}},
    {{ctl::DELAY_CM_BOX, ctl::DELAY_CM_BOX}},
    {{ctl::DELAY_MS_BOX, ctl::DELAY_MS_BOX}},
    {{ctl::DELAY_IN_BOX, ctl::DELAY_IN_BOX}},
    {{ctl::DELAY_PHASE, ctl::DELAY_PHASE}},
    {{ctl::AB_SIDE_HELP.first, ctl::AB_SIDE_HELP.last}},
    {{ctl::SYSTEM_SWITCH_HELP.first, ctl::SYSTEM_SWITCH_HELP.first}},
    {{ctl::SYSTEM_SWITCH_HELP.at(1), ctl::SYSTEM_SWITCH_HELP.at(1)}},
    {{ctl::SYSTEM_SWITCH_HELP.last, ctl::SYSTEM_SWITCH_HELP.last}},
    {{ctl::GRAPH_PLOT_HELP, ctl::GRAPH_PLOT_HELP}},
    {{ctl::GRAPH_LEGEND_HELP, ctl::GRAPH_LEGEND_HELP}},
    {{ctl::SYSTEM_PLOT_HELP, ctl::SYSTEM_PLOT_HELP}},
    {{ctl::SYSTEM_LEGEND_HELP, ctl::SYSTEM_LEGEND_HELP}},
};

int GroupOf(int nId) {
    for (std::size_t g = 0; g < kTextGroups.size(); ++g)
        for (const SRange& r : kTextGroups[g])
            if (nId >= r.nFirst && nId <= r.nLast) return static_cast<int>(g);
    return -1;
}

std::string TextOf(int nId) {
    const char* psz = CHelp::HelpText(nId);
    return psz ? psz : "<none>";
}

TEST(HelpText, ExactTextsWithTheirLineBreaks) {
    const std::pair<int, std::string> cases[] = {
        {ctl::CHANNEL_LEVEL_BOX,
         "This active box allows you to directly enter the level of the selected channel(s) (in dB).\r\n"
         "  Use the keyboard arrows or stepper to get accurate adjustment."},
        {ctl::EQ_GAIN_SLIDER.at(2),
         "For each of the 10 equalization points proposed, this sliding potentiometer allows you to \r\n"
         "change the level of correction (in dB). "},
        {ctl::MODE_SWITCH,
         "This switch is changing the configuration menu from STANDARD mode to EXPERT mode. \r\n"
         "Use STANDARD mode in order to prepare a quick setup or common installation. \r\n"
         "Use EXPERT mode for full features\xE2\x80\x99 access."},
        {ctl::EXP_HIGHLOW_SPARE,
         "Click on this push button if you want to activate the low level mode of the activated input \r\n"
         "(RCA - 2V inputs). if you want to activate the HIGH level mode of the activated source  \r\n"
         "(if you use direct head-unit speaker outputs as an example)."},
        {ctl::AUX_SENS_SLIDER.at(1),
         "This sliding potentiometer allows you to change thesensitivityof the corresponding input (in "
         "dB). "},
        {ctl::GRAPH, "GRAPHIC   "},
        {ctl::DELAY_PHASE,
         "This push button allows you to invert the absolute phase of the selected channel(s). \r\n"
         "Inverting the phase could help providing more punchy, phased and accurate kicking sound for \r\n"
         "woofers and subwoofers."},
    };
    for (const auto& [nId, text] : cases)
        EXPECT_EQ(TextOf(nId), text) << "ID " << nId;
}

// A text exists exactly for the listed IDs; IDs of one group share one text, different groups differ;
// every line break is "\r\n".
TEST(HelpText, PresentExactlyForTheListedControls) {
    std::vector<const char*> groupText(kTextGroups.size(), nullptr);
    for (int nId = 0; nId < 10000; ++nId) {
        const char* psz = CHelp::HelpText(nId);
        const int g = GroupOf(nId);
        if (g < 0) {
            EXPECT_EQ(psz, nullptr) << "ID " << nId;
            continue;
        }
        ASSERT_NE(psz, nullptr) << "ID " << nId;
        ASSERT_STRNE(psz, "") << "ID " << nId;
        if (!groupText[g]) groupText[g] = psz;
        EXPECT_STREQ(psz, groupText[g]) << "ID " << nId;
        const std::string text(psz);
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\n' || text[i] == '\r') {
                EXPECT_EQ(text.compare(text[i] == '\n' ? i - 1 : i, 2, "\r\n"), 0) << "ID " << nId;
            }
        }
    }
    for (std::size_t g = 1; g < groupText.size(); ++g)
        for (std::size_t h = 0; h < g; ++h)
            EXPECT_STRNE(groupText[g], groupText[h])
                << kTextGroups[g][0].nFirst << " " << kTextGroups[h][0].nFirst;
    for (int nId : {-1, INT_MIN, INT_MAX, 10000})
        EXPECT_EQ(CHelp::HelpText(nId), nullptr) << nId;
}

TEST(HelpText, NoneForSteppersIconsAndTheHelpButtons) {
    const SRange silent[] = {
        {ctl::EASY_SENS_UP, ctl::DELAY_STEP.last},             // sensitivity, level and delay steppers
        {ctl::SPEAKER.first, ctl::SPEAKER.last},               // speaker icons, standard mode
        {ctl::EXP_SENS_UP.first, ctl::EXP_SENS_DOWN.last},     // expert sensitivity steppers
        {ctl::AUX_SENS_UP.first, ctl::AUX_SENS_DOWN.at(1)},    // AUX sensitivity steppers
        {ctl::EXPERT_SPEAKER.first, ctl::EXPERT_SPEAKER.last}, // speaker icons, expert mode
        {ctl::LP_FREQ_UP, ctl::HP_SLOPE_DOWN},                 // crossover steppers
        {ctl::HELP, ctl::MANUAL},                              // help and "User Manual"
    };
    for (const SRange& r : silent)
        for (int nId = r.nFirst; nId <= r.nLast; ++nId)
            EXPECT_EQ(CHelp::HelpText(nId), nullptr) << "ID " << nId;
}

TEST_F(Help, ToggleShowsTheManualButtonLightsTheHelpButtonAndRepaintsTheBar) {
    EXPECT_EQ(help.m_bHelpMode, 0);
    for (int bOn : {1, 0, 1}) {
        host.repaints.clear();
        help.ToggleHelpMode();
        EXPECT_EQ(help.m_bHelpMode, bOn);
        EXPECT_EQ(core.Form().Control(ctl::MANUAL).bVisible, bOn == 1);
        EXPECT_EQ(core.Form().Control(ctl::HELP).bToggle, bOn);
        EXPECT_THAT(host.repaints, ElementsAre(AREA_HELP_BAR, AREA_HELP_TEXT));
    }
}

TEST_F(Help, HoverIsIgnoredWhileHelpModeIsOff) {
    testutil::TraceCapture trace;
    help.OnCtrlHover(ctl::EQ_GAIN_SLIDER.at(2), 1);
    EXPECT_EQ(help.m_nHelpControlID, -1);
    EXPECT_EQ(help.m_bHelpControlIDOnOff, 0);
    EXPECT_EQ(help.CurrentText(), nullptr);
    EXPECT_THAT(host.repaints, IsEmpty());
    EXPECT_EQ(trace.Text(), "");
}

TEST_F(Help, HoverInHelpModeChoosesTheTextAndLeavingClearsIt) {
    help.ToggleHelpMode();
    // The help button reports its own hover before the click: no text.
    help.OnCtrlHover(ctl::HELP, 1);
    EXPECT_EQ(help.CurrentText(), nullptr);

    testutil::TraceCapture trace;
    host.repaints.clear();
    help.OnCtrlHover(ctl::EQ_GAIN_SLIDER.at(2), 1);
    EXPECT_EQ(help.m_nHelpControlID, ctl::EQ_GAIN_SLIDER.at(2));
    EXPECT_EQ(help.m_bHelpControlIDOnOff, 1);
    EXPECT_EQ(help.CurrentText(), CHelp::HelpText(ctl::EQ_GAIN_SLIDER.at(2)));
    EXPECT_THAT(trace.Text(), testing::EndsWith("\r\n m_bHelpControlIDOnOff[2202] [1]"));
    EXPECT_THAT(host.repaints, ElementsAre(AREA_HELP_TEXT));

    help.OnCtrlHover(ctl::EQ_GAIN_SLIDER.at(2), 0);
    EXPECT_EQ(help.m_bHelpControlIDOnOff, 0);
    EXPECT_EQ(help.CurrentText(), nullptr);
    EXPECT_THAT(host.repaints, ElementsAre(AREA_HELP_TEXT, AREA_HELP_TEXT));

    // Only 1 means "entered".
    help.OnCtrlHover(ctl::EQ_GAIN_SLIDER.at(2), 2);
    EXPECT_EQ(help.CurrentText(), nullptr);

    // Switching help off hides the text and freezes the state; switching on shows it again.
    help.OnCtrlHover(ctl::EQ_SWITCH, 1);
    help.ToggleHelpMode();
    EXPECT_EQ(help.CurrentText(), nullptr);
    help.OnCtrlHover(ctl::MODE_SWITCH, 1);
    EXPECT_EQ(help.m_nHelpControlID, ctl::EQ_SWITCH);
    help.ToggleHelpMode();
    EXPECT_EQ(help.CurrentText(), CHelp::HelpText(ctl::EQ_SWITCH));
}

// The cursor tracking reports each change of the edit box under the cursor once, whether or not
// help mode is on; the reports then drive the hover handler like those of the skinned controls.
TEST_F(Help, CursorTrackingReportsEachChangeOfEditBoxOnce) {
    using P = CRecordingHost::SPost;
    const struct {
        int nUnder;                  // dialog ID under the cursor (-1: the view itself)
        std::vector<P> expected;     // what is posted
        const char* pszExpectedText; // then shown in help mode (from the ID's own text)
    } steps[] = {
        {-1, {{WM_CTRL_HOVER, 0, 0}}, nullptr}, // nothing tracked yet: one report of "none"
        {-1, {}, nullptr},
        {ctl::EQ_FREQ_BOX.first,
         {{WM_CTRL_HOVER, ctl::EQ_FREQ_BOX.first, 1}},
         CHelp::HelpText(ctl::EQ_FREQ_BOX.first)},
        {ctl::EQ_FREQ_BOX.first, {}, CHelp::HelpText(ctl::EQ_FREQ_BOX.first)},
        {ctl::EQ_Q_BOX.at(1),
         {{WM_CTRL_HOVER, ctl::EQ_Q_BOX.at(1), 1}},
         CHelp::HelpText(ctl::EQ_Q_BOX.at(1))},                        // box to box: one report
        {ctl::EQ_GAIN_SLIDER.first, {{WM_CTRL_HOVER, 0, 0}}, nullptr}, // onto a slider: not an edit box
        {ctl::PHASE, {}, nullptr},
        {ctl::DELAY_IN_BOX, {{WM_CTRL_HOVER, ctl::DELAY_IN_BOX, 1}}, CHelp::HelpText(ctl::DELAY_IN_BOX)},
        {ctl::DELAY_PHASE, {{WM_CTRL_HOVER, 0, 0}}, nullptr},
        {ctl::AUX_SENS_SLIDER.first,
         {{WM_CTRL_HOVER, ctl::AUX_SENS_SLIDER.first, 1}},
         CHelp::HelpText(ctl::AUX_SENS_SLIDER.first)},
    };
    help.ToggleHelpMode();
    for (const auto& step : steps) {
        host.posts.clear();
        help.OnSetCursor(step.nUnder);
        EXPECT_EQ(host.posts, step.expected) << "under " << step.nUnder;
        for (const P& p : host.posts)
            help.OnCtrlHover(p.nId, p.nOnOff);
        EXPECT_EQ(help.CurrentText(), step.pszExpectedText) << "under " << step.nUnder;
    }

    help.ToggleHelpMode();
    host.posts.clear();
    help.OnSetCursor(ctl::MAIN_LEVEL_BOX);
    EXPECT_EQ(host.posts, (std::vector<P>{{WM_CTRL_HOVER, ctl::MAIN_LEVEL_BOX, 1}}));
}

TEST(UserManual, PathBesideTheExecutable) {
    EXPECT_EQ(UserManualPath("/opt/mlb8/bin"), "/opt/mlb8/share/MLB-8 DSP Manager/user-manual.pdf");
    EXPECT_EQ(UserManualPath("/opt/mlb8/bin/"), "/opt/mlb8/share/MLB-8 DSP Manager/user-manual.pdf");
    EXPECT_EQ(UserManualPath(""), "../share/MLB-8 DSP Manager/user-manual.pdf");

    const std::string exeDir = ZUtils::ExecutableDir();
    ASSERT_FALSE(exeDir.empty());
    EXPECT_TRUE(fs::exists(fs::path(exeDir) / "test_help"));
}

// The readers in their order, then the desktop's opener; the message only when all fail.
TEST_F(Help, ManualTriesTheReadersInOrderAndReportsOneFailure) {
    CTempDir dir;
    const std::string manual = (dir.Path() / "user manual \"v2\".pdf").string();
    std::ofstream(manual) << "%PDF-1.4\n";
    help.SetManualPath(manual);

    const struct {
        std::vector<int> results; // what the launcher answers, call by call
        std::vector<std::string> expectedCalls;
        bool bMessage;
    } cases[] = {
        {{0}, {"AcroRd32.exe"}, false},
        {{ENOENT, 0}, {"AcroRd32.exe", "Acrobat.exe"}, false},
        {{ENOENT, ENOENT, 0}, {"AcroRd32.exe", "Acrobat.exe", "xdg-open"}, false},
        {{ENOENT, EACCES, ENOENT}, {"AcroRd32.exe", "Acrobat.exe", "xdg-open"}, true},
    };
    for (const auto& c : cases) {
        std::vector<std::string> calls;
        help.SetLauncher([&](const std::string& program, const std::string& document) {
            EXPECT_EQ(document, manual);
            calls.push_back(program);
            return c.results.at(calls.size() - 1);
        });
        host.messageBoxes.clear();
        testutil::TraceCapture trace;
        help.OpenUserManual();
        EXPECT_EQ(calls, c.expectedCalls);
        if (c.bMessage) {
            EXPECT_THAT(host.messageBoxes, ElementsAre("Cannot open User Manaul"));
            std::ostringstream line;
            line << "\r\n !!! ERROR Cannot Excute User Manual [" << ENOENT << "]";
            EXPECT_THAT(trace.Text(), testing::EndsWith(line.str()));
        } else {
            EXPECT_THAT(host.messageBoxes, IsEmpty());
            EXPECT_EQ(trace.Text(), "");
        }
    }
    EXPECT_EQ(help.m_bHelpMode, 0);
    EXPECT_THAT(host.documents, IsEmpty());
}

TEST_F(Help, MissingManualIsReportedWithoutStartingAReader) {
    CTempDir dir;
    int nCalls = 0;
    help.SetLauncher([&](const std::string&, const std::string&) { return ++nCalls, 0; });
    for (const fs::path& path : {dir.Path() / "absent.pdf", dir.Path()}) {
        host.messageBoxes.clear();
        help.SetManualPath(path.string());
        help.OpenUserManual();
        EXPECT_EQ(nCalls, 0);
        EXPECT_THAT(host.messageBoxes, ElementsAre("Cannot open User Manaul"));
    }
}

// The default launcher runs the program found on PATH with the document as its one argument, taken
// literally (no shell), and reports a program that is not there.
TEST(UserManual, DefaultLauncherPassesTheDocumentAsOneArgument) {
    CTempDir dir;
    const fs::path out = dir.Path() / "args.txt";
    const fs::path script = dir.Path() / "AcroRd32.exe";
    std::ofstream(script) << "#!/bin/sh\nprintf '%s|' \"$#\" \"$1\" > '" << out.string()
                          << ".part'\n/bin/mv '" << out.string() << ".part' '" << out.string() << "'\n";
    fs::permissions(script, fs::perms::owner_all);

    const char* pszOldPath = std::getenv("PATH");
    const std::string oldPath = pszOldPath ? pszOldPath : "";
    setenv("PATH", (dir.Path().string() + ":" + oldPath).c_str(), 1);
    const std::string document = "manuals/a manual; $(touch x) 'q' \"v2\".pdf";
    const int nResult = ZUtils::LaunchDocument("AcroRd32.exe", document);
    const int nMissing = ZUtils::LaunchDocument("mlb8-no-such-reader.exe", document);
    setenv("PATH", oldPath.c_str(), 1);

    EXPECT_EQ(nResult, 0);
    EXPECT_EQ(nMissing, ENOENT);
    EXPECT_EQ(ZUtils::LaunchDocument("", document), ENOENT);
    for (int i = 0; i < 500 && !fs::exists(out); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::ifstream in(out);
    std::stringstream args;
    args << in.rdbuf();
    EXPECT_EQ(args.str(), "1|" + document + "|");
}

} // namespace
