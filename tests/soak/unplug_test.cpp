// The processor unplugged at rest or in the middle of a sequence and plugged in again, and the
// manager killed in the middle of a preset file save.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "comm/comnames.h"
#include "sim/simprocessor.h"
#include "soak/soakcheck.h"

using testing::ElementsAre;
using testing::IsEmpty;

namespace {

enum class ESequence { AtRest, Load, Store, FileLoad };

struct SUnplugCase {
    const char* pszName;
    ESequence sequence;
    int nHangUpAfter; // frames of the sequence the device still receives
};

class UnplugTest : public testing::TestWithParam<SUnplugCase> {
protected:
    void SetUp() override {
        ZUtils::ClearExtraPorts();
        ASSERT_TRUE(m_Sim.Start());
        // The port is reached by a path that goes away with the device and comes back with it.
        ASSERT_TRUE(m_Sim.MakeLink(m_szLink));
        m_nPort = ZUtils::RegisterExtraPort(m_szLink);
        std::mt19937 rng(42);
        m_Sim.SetRunning(Soak::RandomConfig(rng));
        m_Host.SetQuiet(true);
        m_Host.Attach(&m_Core);
        m_Core.Model().WriteStartupDefaults();
        m_Core.Model().m_Search.m_bSlaveFound[0] = 1; // found by a search before the test
    }
    void TearDown() override {
        m_Core.Protocol().Close();
        m_Sim.Stop();
        ZUtils::ClearExtraPorts();
        std::filesystem::remove(m_szFile);
        std::filesystem::remove(m_szLink);
    }
    void Settle() {
        m_Host.RunUntil([] { return false; }, 5000);
    }
    bool Load() {
        m_Core.Link().ConnectDevice(m_nPort, 0);
        Settle();
        return m_Host.Messages().empty();
    }

    Sim::CSimProcessor m_Sim;
    Soak::CCheckingHost m_Host;
    CEditorCore m_Core{m_Host};
    int m_nPort = 0;
    std::string m_szFile = testing::TempDir() + "unplug-" + std::to_string(getpid()) + ".Dovu";
    std::string m_szLink = testing::TempDir() + "unplug-port-" + std::to_string(getpid());
};

} // namespace

TEST_P(UnplugTest, HangUpIsARemovalAndTheDeviceIsFoundAgain) {
    const SUnplugCase& c = GetParam();
    CSettingsModel& m = m_Core.Model();
    std::mt19937 rng(7);
    Soak::CFields before, truth;
    int nMemory = 2;
    if (c.sequence != ESequence::Load) {
        ASSERT_TRUE(Load());
        ASSERT_EQ(m.m_bConnected, 1);
    }
    if (c.sequence == ESequence::FileLoad) {
        Soak::RandomEdits(m, rng);
        m.m_szFilePath = m_szFile;
        ASSERT_EQ(m_Core.Files().WriteConfigFile(5), 1);
        Soak::RandomEdits(m, rng);
        ASSERT_EQ(m_Core.Files().LoadPresetPath(m_szFile), 1);
        m_Host.KillTimer(TIMER_SEND_ALL);
    } else if (c.sequence == ESequence::Store) {
        Soak::RandomEdits(m, rng);
    }
    const bool bExpert = m.m_bEasyExp != 0;
    if (c.sequence == ESequence::Load) {
        before = Soak::ModelFields(m, m_Sim.Running().Easy_Expert != 0);
    } else {
        truth = Soak::ModelFields(m, bExpert);
        before = Soak::SimFields(c.sequence == ESequence::Store ? m_Sim.Memory(nMemory) : m_Sim.Running());
    }

    Sim::SFaults faults;
    faults.nHangUpAfter = c.nHangUpAfter;
    m_Sim.SetFaults(faults);
    int bSent = 1;
    if (c.sequence == ESequence::AtRest)
        m_Sim.HangUp();
    else if (c.sequence == ESequence::Load)
        m_Core.Link().ConnectDevice(m_nPort, 0);
    else if (c.sequence == ESequence::Store)
        m_Core.OnCommand(ID_STORE_PRESET_1 + nMemory);
    else
        bSent = m_Core.Writer().SendDDXProc(m.m_nCurPreset);
    // Nobody reports the removal: the link's own hang-up is the notification.
    Settle();

    ASSERT_TRUE(m_Sim.IsHungUp());
    if (c.sequence == ESequence::Load || c.sequence == ESequence::Store)
        EXPECT_THAT(m_Host.Messages(), ElementsAre(TEXT_COMM_ERROR));
    else
        EXPECT_THAT(m_Host.Messages(), IsEmpty()); // at rest, or the write-all timer: nothing to say
    if (c.sequence == ESequence::FileLoad) {
        EXPECT_EQ(bSent, 0);
    }
    EXPECT_EQ(m_Core.Protocol().IsOpen(), 0);
    EXPECT_EQ(m.m_bConnected, 0);
    EXPECT_EQ(m.m_bMouseLbtnEventBlock, 0);
    EXPECT_EQ(m.m_bPresetLoading, 0);
    EXPECT_EQ(m.m_bPresetSaving, 0);
    EXPECT_EQ(m_Host.SaveDialogs(), 1); // the settings on screen can be kept

    // The removal reported again (udev after the hang-up) finds nothing left to do.
    m_Core.OnMessage(WM_DEVICE_DISCONNECT, 0, m_nPort);
    Settle();
    EXPECT_EQ(m_Host.SaveDialogs(), 1);
    // The editor goes on offline: a recall without a link does nothing and says nothing.
    const std::size_t nMessages = m_Host.Messages().size();
    m_Core.OnCommand(ID_LOAD_PRESET_1 + 1);
    Settle();
    EXPECT_EQ(m_Host.Messages().size(), nMessages);
    EXPECT_EQ(m.m_bMouseLbtnEventBlock, 0);

    // Whatever arrived before the hang-up came from the device; nothing else was taken or written.
    EXPECT_EQ(m_Host.CrcMismatches(), 0);
    if (c.sequence == ESequence::Load) {
        const Sim::SSimConfig sent = m_Sim.Running();
        const auto check = Soak::CheckTarget(before, Soak::ModelFields(m, sent.Easy_Expert != 0),
                                             Soak::SimFields(sent), false);
        EXPECT_EQ(check.nForeign, 0) << testing::PrintToString(check.names);
    } else {
        const auto after =
            Soak::SimFields(c.sequence == ESequence::Store ? m_Sim.Memory(nMemory) : m_Sim.Running());
        const auto check = Soak::CheckTarget(before, after, truth, false);
        EXPECT_EQ(check.nForeign, 0) << testing::PrintToString(check.names);
        EXPECT_THAT(Soak::Differences(Soak::ModelFields(m, bExpert), truth), IsEmpty());
    }

    // Plugged in again at the same path: the arrival starts the search, which connects and loads.
    m_Sim.SetFaults({});
    ASSERT_TRUE(m_Sim.Start());
    ASSERT_TRUE(m_Sim.MakeLink(m_szLink));
    m_Core.OnMessage(WM_DEVICE_CONNECT, 0, 0);
    m_Host.RunUntil([&] { return m.m_bConnected != 0; }, 20000);
    Settle();
    EXPECT_EQ(m.m_bConnected, 1);
    EXPECT_EQ(m.m_nComPort, m_nPort);
    EXPECT_EQ(m_Host.Messages().size(), nMessages);
    const Sim::SSimConfig now = m_Sim.Running();
    EXPECT_THAT(Soak::Differences(Soak::ModelFields(m, now.Easy_Expert != 0), Soak::SimFields(now)),
                IsEmpty());
}

// The load sends about 134 frames, a store or a file load about 130: early, middle and late.
INSTANTIATE_TEST_SUITE_P(Sequences, UnplugTest,
                         testing::Values(SUnplugCase{"AtRest", ESequence::AtRest, 0},
                                         SUnplugCase{"LoadEarly", ESequence::Load, 3},
                                         SUnplugCase{"LoadMiddle", ESequence::Load, 60},
                                         SUnplugCase{"LoadLast", ESequence::Load, 133},
                                         SUnplugCase{"StoreEarly", ESequence::Store, 4},
                                         SUnplugCase{"StoreMiddle", ESequence::Store, 70},
                                         SUnplugCase{"FileLoadEarly", ESequence::FileLoad, 2},
                                         SUnplugCase{"FileLoadMiddle", ESequence::FileLoad, 90}),
                         [](const testing::TestParamInfo<SUnplugCase>& testInfo) {
                             return testInfo.param.pszName;
                         });

namespace {

// A model after the start-up defaults with edits drawn from nSeed; the same seed gives the same model.
void MakeModel(CEditorCore& core, unsigned nSeed, const std::string& path) {
    core.Model().WriteStartupDefaults();
    std::mt19937 rng(nSeed);
    Soak::RandomEdits(core.Model(), rng);
    core.Model().m_szFilePath = path;
}

Soak::CFields ReadBack(const std::string& path, bool& bRead) {
    CConsoleHost host;
    host.SetQuiet(true);
    CEditorCore core(host);
    host.Attach(&core);
    core.Model().WriteStartupDefaults();
    core.Model().m_szFilePath = path;
    bRead = core.Files().ReadConfigFile(EPresetRead::File) != 0;
    return Soak::ModelFields(core.Model(), false);
}

} // namespace

TEST(KillDuringSaveTest, TheFileIsTheOldOrTheNewOneNeverAMix) {
    const std::string dir = testing::TempDir() + "kill-save-" + std::to_string(getpid());
    std::filesystem::create_directories(dir);
    const std::string path = dir + "/tune.Dovu";
    Soak::CFields want[2];
    for (unsigned n = 0; n < 2; ++n) {
        CConsoleHost host;
        host.SetQuiet(true);
        CEditorCore core(host);
        MakeModel(core, 100 + n, path);
        want[n] = Soak::ModelFields(core.Model(), false);
        if (n == 0) {
            ASSERT_EQ(core.Files().WriteConfigFile(5), 1); // the old file
        }
    }
    ASSERT_THAT(Soak::Differences(want[0], want[1]), testing::Not(IsEmpty()));

    // Kill the saving process at different moments: before, during and between its saves.
    int nSeen[2] = {};
    for (int nDelayUs : {0, 200, 500, 1000, 2000, 3500, 5000, 8000, 13000, 21000}) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            CConsoleHost host;
            host.SetQuiet(true);
            CEditorCore a(host), b(host);
            MakeModel(a, 100, path);
            MakeModel(b, 101, path);
            for (;;) {
                b.Files().WriteConfigFile(5);
                a.Files().WriteConfigFile(5);
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(nDelayUs));
        kill(pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status));

        bool bRead = false;
        const Soak::CFields got = ReadBack(path, bRead);
        ASSERT_TRUE(bRead) << "after " << nDelayUs << " us";
        const bool bOld = Soak::Differences(got, want[0]).empty();
        const bool bNew = Soak::Differences(got, want[1]).empty();
        EXPECT_TRUE(bOld || bNew) << "after " << nDelayUs
                                  << " us: " << testing::PrintToString(Soak::Differences(got, want[0]));
        ++nSeen[bNew ? 1 : 0];
    }
    // The saves the killed processes left behind are the whole file, never a truncated one.
    std::ifstream in(path);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_FALSE(text.empty());
    std::filesystem::remove_all(dir);
    RecordProperty("old", nSeen[0]);
    RecordProperty("new", nSeen[1]);
}

TEST(TwoManagers, TheSecondSaysThePortIsInUse) {
    Sim::CSimProcessor sim;
    ASSERT_TRUE(sim.Start());
    ZUtils::ClearExtraPorts();
    ZUtils::RegisterExtraPort(sim.PortPath());
    Soak::CCheckingHost firstHost, secondHost;
    firstHost.SetQuiet(true);
    secondHost.SetQuiet(true);
    CEditorCore first(firstHost), second(secondHost);
    firstHost.Attach(&first);
    secondHost.Attach(&second);
    first.Model().WriteStartupDefaults();
    second.Model().WriteStartupDefaults();
    first.Link().StartDeviceSearch();
    ASSERT_TRUE(firstHost.RunUntil([&] { return first.Model().m_bConnected != 0; }, 20000));

    second.Link().StartDeviceSearch();
    secondHost.RunUntil([&] { return !secondHost.Messages().empty(); }, 20000);
    EXPECT_EQ(second.Model().m_bConnected, 0);
    ASSERT_EQ(secondHost.Messages().size(), 1u);
    EXPECT_THAT(secondHost.Messages()[0],
                testing::HasSubstr("The serial port " + sim.PortPath() + " is in use by another program"));
    EXPECT_EQ(first.Model().m_bConnected, 1);
    first.Protocol().Close();
    ZUtils::ClearExtraPorts();
}

namespace {

class LineFaultTest : public testing::Test {
protected:
    void SetUp() override {
        ZUtils::ClearExtraPorts();
        ASSERT_TRUE(m_Sim.Start());
        m_nPort = ZUtils::RegisterExtraPort(m_Sim.PortPath());
        std::mt19937 rng(11);
        m_Sim.SetRunning(Soak::RandomConfig(rng));
        m_Host.SetQuiet(true);
        m_Host.Attach(&m_Core);
        m_Core.Model().WriteStartupDefaults();
        m_Core.Model().m_Search.m_bSlaveFound[0] = 1;
    }
    void TearDown() override {
        m_Core.Protocol().Close();
        m_Sim.Stop();
        ZUtils::ClearExtraPorts();
    }
    void Settle() {
        m_Host.RunUntil([] { return false; }, 5000);
    }

    Sim::CSimProcessor m_Sim;
    Soak::CCheckingHost m_Host;
    CEditorCore m_Core{m_Host};
    int m_nPort = 0;
};

} // namespace

TEST_F(LineFaultTest, NoiseBeforeEveryReplyStillLoadsEveryValue) {
    CSettingsModel& m = m_Core.Model();
    for (int nNoise : {1, 2, 7, 12}) {
        SCOPED_TRACE(nNoise);
        Sim::SFaults faults;
        faults.nGarbage = nNoise;
        faults.nSeed = static_cast<std::uint32_t>(nNoise);
        m_Sim.SetFaults(faults);
        std::mt19937 rng(static_cast<unsigned>(nNoise));
        m_Sim.SetRunning(Soak::RandomConfig(rng));
        m_Core.Link().ConnectDevice(m_nPort, 0);
        Settle();
        EXPECT_THAT(m_Host.Messages(), IsEmpty());
        EXPECT_EQ(m.m_bConnected, 1);
        const Sim::SSimConfig sent = m_Sim.Running();
        EXPECT_THAT(Soak::Differences(Soak::ModelFields(m, sent.Easy_Expert != 0), Soak::SimFields(sent)),
                    IsEmpty());
    }
    EXPECT_EQ(m_Host.CrcMismatches(), 0);
}

TEST_F(LineFaultTest, ReplyWithAWrongCrcIsNeverApplied) {
    CSettingsModel& m = m_Core.Model();
    m_Core.Link().ConnectDevice(m_nPort, 0);
    Settle();
    ASSERT_THAT(m_Host.Messages(), IsEmpty());
    const int nShown = m.m_nMainVolume;
    Sim::SSimConfig changed = m_Sim.Running();
    changed.nMainVolume = static_cast<std::uint8_t>(nShown == 100 ? 90 : 100);
    m_Sim.SetRunning(changed);

    // Every answer arrives with one bit changed: the read fails after its four attempts, and the
    // value on screen is neither the corrupted one nor the new one.
    Sim::SFaults faults;
    faults.bCorrupt = true;
    m_Sim.SetFaults(faults);
    const int nDropped = m_Core.Protocol().CrcErrors();
    EXPECT_EQ(m_Core.Protocol().SendGetMainVolume(), 0);
    Settle();
    EXPECT_EQ(m_Core.Protocol().CrcErrors() - nDropped, 4);
    EXPECT_EQ(m.m_nMainVolume, nShown);

    // The line clean again: the same read takes the processor's value.
    m_Sim.SetFaults({});
    EXPECT_EQ(m_Core.Protocol().SendGetMainVolume(), 1);
    Settle();
    EXPECT_EQ(m.m_nMainVolume, changed.nMainVolume);
    EXPECT_EQ(m_Host.CrcMismatches(), 0);
}
