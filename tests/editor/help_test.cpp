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
    CHelp help{core};
};

// Every control ID that has a text, as groups of ranges.
struct SRange {
    int nFirst, nLast;
};
const std::vector<std::vector<SRange>> kTextGroups = {
    {{2000, 2000}},
    {{2001, 2001}},
    {{2002, 2003}},
    {{2004, 2005}},
    {{2006, 2013}, {2015, 2030}, {2142, 2153}},
    {{2014, 2014}},
    {{2031, 2031}},
    {{2032, 2032}},
    {{2033, 2033}},
    {{2034, 2034}},
    {{2035, 2035}},
    {{2036, 2036}},
    {{2037, 2037}},
    {{2038, 2038}},
    {{2039, 2039}},
    {{2040, 2040}},
    {{2041, 2041}},
    {{2042, 2042}},
    {{2043, 2043}},
    {{2044, 2045}, {2129, 2129}},
    {{2046, 2046}},
    {{2047, 2047}},
    {{2048, 2048}},
    {{2049, 2049}},
    {{2050, 2050}},
    {{2051, 2051}},
    {{2052, 2052}},
    {{2053, 2053}},
    {{2054, 2054}},
    {{2075, 2122}, {2307, 2338}},
    {{2123, 2128}, {2347, 2348}},
    {{2200, 2209}},
    {{2210, 2219}},
    {{2220, 2229}},
    {{2230, 2239}},
    {{2240, 2249}},
    {{2301, 2306}, {2343, 2344}},
    {{2390, 2390}},
    {{2400, 2401}},
    {{2402, 2403}},
    {{2404, 2405}},
    {{2500, 2500}},
    {{2501, 2501}},
    {{2502, 2502}},
    {{2503, 2503}},
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
        {2001,
         "This active box allows you to directly enter the level of the selected channel(s) (in dB).\r\n"
         "  Use the keyboard arrows or stepper to get accurate adjustment."},
        {2202,
         "For each of the 10 equalization points proposed, this sliding potentiometer allows you to \r\n"
         "change the level of correction (in dB). "},
        {2036, "This switch is changing the configuration menu from STANDARD mode to EXPERT mode. \r\n"
               "Use STANDARD mode in order to prepare a quick setup or common installation. \r\n"
               "Use EXPERT mode for full features\xE2\x80\x99 access."},
        {2129,
         "Click on this push button if you want to activate the low level mode of the activated input \r\n"
         "(RCA - 2V inputs). if you want to activate the HIGH level mode of the activated source  \r\n"
         "(if you use direct head-unit speaker outputs as an example)."},
        {2348, "This sliding potentiometer allows you to change thesensitivityof the corresponding input (in "
               "dB). "},
        {2390, "GRAPHIC   "},
        {2503,
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
        {2055, 2066}, // sensitivity, level and delay steppers
        {2130, 2141}, // speaker icons, standard mode
        {2160, 2171}, // expert sensitivity steppers
        {2339, 2342}, // AUX sensitivity steppers
        {2355, 2362}, // speaker icons, expert mode
        {2406, 2413}, // crossover steppers
        {2414, 2415}, // help and "User Manual"
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
        EXPECT_EQ(core.m_Form.Control(ctl::MANUAL).bVisible, bOn == 1);
        EXPECT_EQ(core.m_Form.Control(ctl::HELP).bToggle, bOn);
        EXPECT_THAT(host.repaints, ElementsAre(AREA_HELP_BAR, AREA_HELP_TEXT));
    }
}

TEST_F(Help, HoverIsIgnoredWhileHelpModeIsOff) {
    testutil::TraceCapture trace;
    help.OnCtrlHover(2202, 1);
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
    help.OnCtrlHover(2202, 1);
    EXPECT_EQ(help.m_nHelpControlID, 2202);
    EXPECT_EQ(help.m_bHelpControlIDOnOff, 1);
    EXPECT_EQ(help.CurrentText(), CHelp::HelpText(2202));
    EXPECT_THAT(trace.Text(), testing::EndsWith("\r\n m_bHelpControlIDOnOff[2202] [1]"));
    EXPECT_THAT(host.repaints, ElementsAre(AREA_HELP_TEXT));

    help.OnCtrlHover(2202, 0);
    EXPECT_EQ(help.m_bHelpControlIDOnOff, 0);
    EXPECT_EQ(help.CurrentText(), nullptr);
    EXPECT_THAT(host.repaints, ElementsAre(AREA_HELP_TEXT, AREA_HELP_TEXT));

    // Only 1 means "entered".
    help.OnCtrlHover(2202, 2);
    EXPECT_EQ(help.CurrentText(), nullptr);

    // Switching help off hides the text and freezes the state; switching on shows it again.
    help.OnCtrlHover(2035, 1);
    help.ToggleHelpMode();
    EXPECT_EQ(help.CurrentText(), nullptr);
    help.OnCtrlHover(2036, 1);
    EXPECT_EQ(help.m_nHelpControlID, 2035);
    help.ToggleHelpMode();
    EXPECT_EQ(help.CurrentText(), CHelp::HelpText(2035));
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
        {2220, {{WM_CTRL_HOVER, 2220, 1}}, CHelp::HelpText(2220)},
        {2220, {}, CHelp::HelpText(2220)},
        {2241, {{WM_CTRL_HOVER, 2241, 1}}, CHelp::HelpText(2241)}, // box to box: one report
        {2200, {{WM_CTRL_HOVER, 0, 0}}, nullptr},                  // onto a slider: not an edit box
        {2014, {}, nullptr},
        {2502, {{WM_CTRL_HOVER, 2502, 1}}, CHelp::HelpText(2502)},
        {2503, {{WM_CTRL_HOVER, 0, 0}}, nullptr},
        {2347, {{WM_CTRL_HOVER, 2347, 1}}, CHelp::HelpText(2347)},
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
    help.OnSetCursor(2000);
    EXPECT_EQ(host.posts, (std::vector<P>{{WM_CTRL_HOVER, 2000, 1}}));
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
