// The core's four file commands (load, save as, save, factory settings) with their failures, on the
// scripted host; and a tune carried through a file from the simulated processor and back.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <filesystem>
#include <functional>

#include "comm/ctrlmessages.h"
#include "editor/controlids.h"
#include "editor/presetfile.h"
#include "tests/editor/editorfixture.h"
#include "tests/presets/presetfixture.h"
#include "tests/presets/presetsim.h"

using namespace PresetFixture;
using testing::HasSubstr;
using testing::IsEmpty;
using ZUtils::ZProfile;
namespace fs = std::filesystem;

namespace {

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

// ---------------------------------------------------------------------------------------------
// With a simulated processor

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

} // namespace
