// The editor core against the simulated processor on a real pseudo-terminal, driven by the scripted
// host: connecting and loading, replies, preset recall and store, bulk writes, faults.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <thread>

#include "comm/comnames.h"
#include "editorfixture.h"
#include "sim/simprocessor.h"
#include "tests/comm/ptypair.h"
#include "tests/comm/testutil.h"
#include "tests/common/filterrecord.h"

using testing::ElementsAre;
using Bytes = std::vector<std::uint8_t>;

namespace {

std::vector<std::string> Differences(const CSettingsModel& m, const Sim::SSimConfig& c) {
    std::vector<std::string> diff;
    auto check = [&](bool bSame, const std::string& what) {
        if (!bSame) diff.push_back(what);
    };
    check(m.m_nMainVolume == c.nMainVolume, "main volume");
    for (int ch = 0; ch < 8; ++ch) {
        const std::string n = " ch" + std::to_string(ch);
        check(m.m_nVolume[ch] == c.nVolume[ch], "volume" + n);
        check(m.m_bPhase[ch] == c.bPhase[ch], "phase" + n);
        check(m.m_bMute[ch] == ((c.nMuteMask >> ch) & 1), "mute" + n);
        check(m.m_MapM[ch] == c.Map[3 * ch] && m.m_MapA[ch] == c.Map[3 * ch + 1] &&
                  m.m_MapD[ch] == c.Map[3 * ch + 2],
              "map" + n);
        check(m.m_bEqEnable[ch] == c.bEqFlag[ch] &&
                  m.m_Lib.GetEqFlag(static_cast<std::uint8_t>(ch)) == c.bEqFlag[ch],
              "eq flag" + n);
        check(m.m_bXoverEnable[ch] == c.bXoverFlag[ch], "xover flag" + n);
        check(m.m_nDelay[ch] == c.nDelay[ch], "delay" + n);
        for (int b = 0; b < 10; ++b) {
            SFilterCoef coef = m.m_Lib.GetEqCoef(static_cast<std::uint8_t>(ch), static_cast<std::uint8_t>(b));
            check(std::memcmp(&coef, c.Eq[ch][b].data(), 8) == 0, "eq band " + std::to_string(b) + n);
        }
        for (int f = 0; f < 2; ++f) {
            SFilterCoef coef =
                m.m_Lib.GetXoverCoef(static_cast<std::uint8_t>(ch), static_cast<std::uint8_t>(f));
            check(std::memcmp(&coef, c.Xover[ch][f].data(), 8) == 0, "xover " + std::to_string(f) + n);
        }
    }
    check(m.m_bEasyExp == (c.Easy_Expert ? 1 : 0), "mode");
    for (int i = 0; i < 6; ++i)
        check(m.m_nInputSensitivityMain[i] == c.nLevelMain[i], "main level " + std::to_string(i));
    for (int i = 0; i < 2; ++i)
        check(m.m_nInputSensitivityAux[i] == c.nLevelAux[i], "aux level " + std::to_string(i));
    check(m.m_bEasyConfigInputHighLow == c.bHighLow, "high/low");
    for (int k = 1; k < 5; ++k)
        check(m.m_nDSPOutput[k] == c.Output[k], "output " + std::to_string(k));
    const int nExpInput = c.Input;
    check(m.m_nDSPExpInput == nExpInput, "expert input");
    if (!c.Easy_Expert) check(m.m_nDSPInput == (c.Input == 0 ? c.SubInput : c.Input + 2), "input kind");
    return diff;
}

class EditorTest : public CEditorFixture {};

// The same through the pseudo-terminal, with the link's reader thread and real time-outs.
class EditorPtyTest : public CEditorFixture {
protected:
    EditorPtyTest() : CEditorFixture(ELink::Pty) {}
};

} // namespace

TEST_F(EditorTest, ConnectLoadsTheWholeTuneInOrderAndThenRefreshes) {
    Connect();
    EXPECT_TRUE(m_Host.messageBoxes.empty());
    EXPECT_EQ(m_Core.Model().m_nComPort, m_nPort);
    EXPECT_EQ(m_Core.Model().m_bConnected, 1);
    EXPECT_THAT(Differences(m_Core.Model(), m_Sim.Running()), testing::IsEmpty());
    EXPECT_EQ(m_Core.Model().m_nCurPreset, m_Sim.CurrentPreset());

    // The requests of the load, in order, after the search's one probe (address 0 answered, so the
    // addresses above it are not asked).
    std::vector<std::array<int, 4>> want;
    want.push_back({VA_SYSTEM, 0x80, 0, 0});
    want.push_back({VA_PRESET, 0x80, 0, 0});
    want.push_back({VA_SYSTEM, 0x80, 0, 0});
    want.push_back({VA_UPDATE, 1, 0, 0});
    want.push_back({VA_PRESET, 1, 0, 0});
    want.push_back({VA_VOLUME, 0x80, 8, 0});
    want.push_back({VA_VOLUME, 0x80, 9, 0});
    for (int ch = 0; ch < 8; ++ch)
        want.push_back({VA_PHASE, 0x80, ch, 0});
    want.push_back({VA_MUTE, 0x80, 0, 0});
    want.push_back({VA_MAP, 0x80, 9, 0});
    want.push_back({VA_INPUT, 0x80, 0, 0});
    want.push_back({VA_LEVEL, 0x80, 9, 0});
    want.push_back({VA_LEVEL, 0x80, 9, 1});
    want.push_back({VA_HIGHLOW, 0x80, 0, 0});
    want.push_back({VA_OUTPUT, 0x80, 0, 0});
    for (int ch = 0; ch < 8; ++ch)
        want.push_back({VA_EQFLAG, 0x80, ch, 0});
    for (int ch = 0; ch < 8; ++ch)
        for (int b = 0; b < 10; ++b)
            want.push_back({VA_FILTER, 0x80, ch, b});
    for (int ch = 0; ch < 8; ++ch)
        want.push_back({VA_XOVERFLAG, 0x80, ch, 0});
    for (int ch = 0; ch < 8; ++ch)
        for (int n = 0; n < 2; ++n)
            want.push_back({VA_XOVER, 0x80, ch, n});
    want.push_back({VA_DELAY, 0x80, 9, 0});
    want.push_back({VA_UPDATE, 1, 0, 0});
    EXPECT_EQ(Requests(), want);

    // Every reply was applied before the after-load refresh, which was delivered last.
    ASSERT_FALSE(m_Host.delivered.empty());
    EXPECT_EQ(m_Host.delivered.back(), WM_LOAD_DONE);
    EXPECT_EQ(m_Core.Model().m_nPage, m_Sim.Running().Easy_Expert ? 1 : 0);
    EXPECT_THAT(m_Host.frameMessages, testing::Contains(std::make_pair(WM_MARK_LOAD, std::intptr_t{0})));
    EXPECT_TRUE(m_Host.TimerSet(TIMER_ID_UNLOCK_MOUSE));
}

TEST_F(EditorTest, PresetRecallAndStoreRoundTripThroughTheMemories) {
    Connect();
    m_Core.OnCommand(ID_LOAD_PRESET_1 + 2);
    m_Host.Pump();
    EXPECT_TRUE(m_Host.messageBoxes.empty());
    EXPECT_EQ(m_Sim.CurrentPreset(), 2);
    EXPECT_EQ(m_Core.Model().m_nCurPreset, 2);
    EXPECT_THAT(Differences(m_Core.Model(), m_Sim.Memory(2)), testing::IsEmpty());
    EXPECT_THAT(m_Host.titles, ElementsAre(TEXT_TITLE));

    // Change the model, store it into memory 4, and find it there.
    CSettingsModel& m = m_Core.Model();
    m.m_nMainVolume = 77;
    m.m_nVolume[3] = 33;
    m.m_nDelay[5] = 4321;
    SFilterCoef band = m.m_Lib.GetEqCoef(6, 4);
    band.Gain = -9;
    m.m_Lib.SetEqCoef(6, 4, band);
    m_Core.OnCommand(ID_STORE_PRESET_1 + 3);
    m_Host.Pump();
    EXPECT_TRUE(m_Host.messageBoxes.empty());
    EXPECT_THAT(Differences(m, m_Sim.Memory(3)), testing::IsEmpty());
    EXPECT_THAT(m_Host.busyTexts, testing::Contains("正在保存中......"));
    EXPECT_THAT(m_Host.frameMessages, testing::Contains(std::make_pair(WM_MARK_SAVE, std::intptr_t{3})));
    EXPECT_EQ(m.m_bPresetSaving, 0);
}

TEST_F(EditorPtyTest, ProcessorFallingSilentEndsTheSequenceWithOneMessage) {
    Connect();
    const std::size_t nBefore = m_Sim.ReceivedFrameCount();
    // Silent after twenty more frames, in the middle of the recall.
    std::thread silencer([&] {
        while (m_Sim.ReceivedFrameCount() < nBefore + 20)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        Sim::SFaults silent;
        silent.bSilent = true;
        m_Sim.SetFaults(silent);
    });
    m_Core.OnCommand(ID_LOAD_PRESET_1 + 1);
    silencer.join();
    m_Host.Pump();
    EXPECT_THAT(m_Host.messageBoxes, ElementsAre(TEXT_COMM_ERROR));
    EXPECT_EQ(m_Core.Model().m_bMouseLbtnEventBlock, 0); // usable at once
    EXPECT_EQ(m_Core.Model().m_bPresetLoading, 0);
    // The failed read was written four times, and nothing after it.
    const auto frames = m_Sim.ReceivedFrames();
    ASSERT_GE(frames.size(), 4u);
    EXPECT_EQ(frames[frames.size() - 1], frames[frames.size() - 4]);
}

TEST_F(EditorTest, UnplugMidLoadClosesTheLinkOnRemoval) {
    Connect();
    // Another serial device going away leaves a working link alone.
    m_Core.OnMessage(WM_DEVICE_DISCONNECT, 0, 5);
    EXPECT_TRUE(m_Core.Protocol().IsOpen());
    EXPECT_TRUE(m_Host.fileDialogs.empty());

    Sim::SFaults faults;
    faults.nHangUpAfter = 30; // frames from now
    m_Sim.SetFaults(faults);
    const auto t0 = std::chrono::steady_clock::now();
    m_Core.OnCommand(ID_LOAD_PRESET_1 + 1);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(3)); // not retried for long
    m_Host.Pump();
    EXPECT_THAT(m_Host.messageBoxes, ElementsAre(TEXT_COMM_ERROR));

    // The processor's removal closes the link and offers to keep the settings on screen.
    m_Core.OnMessage(WM_DEVICE_DISCONNECT, 0, m_nPort);
    EXPECT_FALSE(m_Core.Protocol().IsOpen());
    EXPECT_EQ(m_Core.Model().m_bConnected, 0);
    EXPECT_THAT(m_Host.fileDialogs, ElementsAre("save DSP Files(*.Dovu)|*.Dovu||"));
    EXPECT_EQ(m_Core.Model().m_bMouseLbtnEventBlock, 0);
}

TEST_F(EditorTest, AHangUpOfAnEarlierLinkLeavesTheReopenedOneAlone) {
    Connect();
    const std::uint32_t nFirst = m_Core.Protocol().Generation();
    // The processor came back at the same port number and was connected again before the first
    // link's hang-up message was handled.
    ASSERT_EQ(m_Core.Link().ConnectDevice(m_nPort, m_Core.Model().m_nDeviceAddr), 1);
    m_Host.Pump();
    const std::uint32_t nSecond = m_Core.Protocol().Generation();
    ASSERT_NE(nFirst, nSecond);
    m_Core.OnMessage(WM_DEVICE_DISCONNECT, nFirst, m_nPort);
    EXPECT_TRUE(m_Core.Protocol().IsOpen());
    EXPECT_EQ(m_Core.Model().m_bConnected, 1);
    EXPECT_TRUE(m_Host.fileDialogs.empty());
    // The current link's own hang-up still closes it.
    m_Core.OnMessage(WM_DEVICE_DISCONNECT, nSecond, m_nPort);
    EXPECT_FALSE(m_Core.Protocol().IsOpen());
    EXPECT_EQ(m_Core.Model().m_bConnected, 0);
}

TEST_F(EditorTest, WriteEverythingAndApplyTheConfigurationSendWhatTheyList) {
    Connect();
    m_Sim.ClearReceivedFrames();
    m_Core.Writer().SendDDXProc(0);
    auto req = Requests();
    ASSERT_GE(req.size(), 3u);
    EXPECT_EQ(req.front(), (std::array<int, 4>{VA_SYSTEM, 0x80, 0, 0})); // the response probe
    EXPECT_EQ(req[1], (std::array<int, 4>{VA_UPDATE, 1, 0, 0}));
    EXPECT_EQ(req.back(), (std::array<int, 4>{VA_UPDATE, 1, 0, 0}));
    int nOutputs = 0, nPresets = 0, nFilters = 0;
    for (const auto& r : req) {
        nOutputs += r[0] == VA_OUTPUT;
        nPresets += r[0] == VA_PRESET;
        nFilters += r[0] == VA_FILTER;
        EXPECT_TRUE(r[1] == 1 || r[1] == 0x80);
    }
    EXPECT_EQ(nOutputs, 0);
    EXPECT_EQ(nPresets, 0);
    EXPECT_EQ(nFilters, 80);
    EXPECT_THAT(Differences(m_Core.Model(), m_Sim.Running()), testing::IsEmpty());

    // Standard mode with the numerical input: no level command.
    m_Core.Model().m_bEasyExp = 0;
    m_Core.Model().m_nDSPInput = INPUT_NUMERICAL;
    m_Sim.ClearReceivedFrames();
    m_Core.OnMessage(WM_APPLY_IO_CONFIG, 0, 0);
    req = Requests();
    std::vector<int> ids;
    for (const auto& r : req)
        ids.push_back(r[0]);
    EXPECT_THAT(ids, ElementsAre(VA_UPDATE, VA_HIGHLOW, VA_INPUT, VA_MAP, VA_UPDATE, VA_UPDATE));
    EXPECT_EQ(m_Sim.Running().Input, 2);
}

TEST_F(EditorTest, WheelBurstSendsOnceAndSoloDecidesTheMuteMask) {
    OpenLink();
    CSettingsModel& m = m_Core.Model();

    m.m_nMainVolume = 90;
    for (int i = 0; i < 5; ++i) {
        m_Core.OnMessage(WM_WHEEL_STEP, 0, ctl::MAIN_LEVEL_BOX);
        m_Host.Advance(200);
    }
    EXPECT_EQ(m_Sim.ReceivedFrameCount(), 0u);
    m_Host.Advance(100); // 300 ms after the last step
    EXPECT_THAT(Requests(), ElementsAre(std::array<int, 4>{VA_VOLUME, 1, 8, 0}));
    EXPECT_EQ(m_Sim.Running().nMainVolume, 90);

    // Moving to another control sends the first one's value at once.
    m_Sim.ClearReceivedFrames();
    m_Core.OnMessage(WM_WHEEL_STEP, 0, ctl::MAIN_LEVEL_BOX);
    m_Core.OnMessage(WM_WHEEL_STEP, 0, ctl::CHANNEL_LEVEL_BOX);
    EXPECT_THAT(Requests(), ElementsAre(std::array<int, 4>{VA_VOLUME, 1, 8, 0}));
    m_Host.Advance(300);
    EXPECT_EQ(m_Sim.ReceivedFrameCount(), 2u);

    m.m_bMute[0] = m.m_bMute[7] = 1;
    m_Core.Writer().SendMuteState(1, 0x05);
    EXPECT_EQ(m_Sim.Running().nMuteMask, 0xFA);
    m_Core.Writer().SendMuteState(1, 0);
    EXPECT_EQ(m_Sim.Running().nMuteMask, 0x81);
}

// ---- replies, no processor needed ----

namespace {

class ReplyTest : public CEditorFixture {
protected:
    void Receive(const Bytes& frame) {
        m_Core.OnMessage(WM_IPC_RECEIVE, reinterpret_cast<std::uintptr_t>(frame.data()),
                         static_cast<std::intptr_t>(frame.size()));
    }
    static Bytes Reply(int id, int ch, int sub, Bytes body, int addr = 0) {
        Bytes f = {static_cast<std::uint8_t>(addr),
                   static_cast<std::uint8_t>(0x80 | id),
                   0x80,
                   0,
                   static_cast<std::uint8_t>(ch),
                   static_cast<std::uint8_t>(sub),
                   static_cast<std::uint8_t>(body.size())};
        f.insert(f.end(), body.begin(), body.end());
        return testutil::Frame(f);
    }
    static Bytes MapBody() {
        Bytes b(25, 0x11);
        b[24] = 1;
        return b;
    }
    static Bytes Coef(std::uint8_t type, std::uint8_t gain, float q, std::uint16_t freq) {
        const FilterRecord::RecordBytes record = FilterRecord::Bytes(FilterRecord::Coef(type, gain, q, freq));
        Bytes b(1);
        b.insert(b.end(), record.begin(), record.end());
        return b;
    }
};

} // namespace

TEST_F(ReplyTest, EveryKindAppliesItsRuleAndRefusesWhatBreaksIt) {
    CSettingsModel& model = m_Core.Model();
    struct Case {
        const char* name;
        Bytes frame;
        std::function<bool(const CSettingsModel&)> check;
    };
    model.m_nDSPOutput[4] = 2;
    const Case cases[] = {
        {"volumes limited", Reply(VA_VOLUME, 9, 0, {200, 10, 0, 0, 0, 0, 0, 128}),
         [](const CSettingsModel& m) {
             return m.m_nVolume[0] == 128 && m.m_nVolume[1] == 10 && m.m_nMainVolume == 0;
         }},
        {"main volume only", Reply(VA_VOLUME, 8, 0, {0, 100}),
         [](const CSettingsModel& m) { return m.m_nMainVolume == 100 && m.m_nVolume[1] == 10; }},
        {"outputs above 4 ignored, first forced", Reply(VA_OUTPUT, 0, 0, {2, 1, 0, 3, 5}),
         [](const CSettingsModel& m) {
             return m.m_nDSPOutput[0] == 4 && m.m_nDSPOutput[1] == 1 && m.m_nDSPOutput[2] == 0 &&
                    m.m_nDSPOutput[3] == 3 && m.m_nDSPOutput[4] == 2;
         }},
        {"input 2 wired", Reply(VA_INPUT, 0, 0, {0, 2}),
         [](const CSettingsModel& m) { return m.m_nDSPInput == 2 && m.m_nDSPExpInput == 0; }},
        {"input AUX", Reply(VA_INPUT, 0, 0, {1, 0}),
         [](const CSettingsModel& m) { return m.m_nDSPInput == 3 && m.m_nDSPExpInput == 1; }},
        {"input unknown", Reply(VA_INPUT, 0, 0, {0, 5}),
         [](const CSettingsModel& m) { return m.m_nDSPInput == 3 && m.m_nDSPExpInput == 1; }},
        {"gain limited", Reply(VA_FILTER, 2, 4, Coef(1, 0xEC, 0.5f, 8)),
         [](const CSettingsModel& m) {
             SFilterCoef c = m.m_Lib.GetEqCoef(2, 4);
             return c.Gain == -15 && c.BandWidth == 1.0f && c.Freq == 16;
         }},
        {"band 10 refused", Reply(VA_FILTER, 2, 10, Coef(1, 3, 2.0f, 100)),
         [](const CSettingsModel& m) { return m.m_Lib.GetEqCoef(2, 4).Gain == -15; }},
        {"crossover Q 0.5 becomes 0.707", Reply(VA_XOVER, 1, 1, Coef(2, 9, 0.5f, 30000)),
         [](const CSettingsModel& m) {
             SFilterCoef c = m.m_Lib.GetXoverCoef(1, 1);
             return c.BandWidth == 0.707f && c.Slop == 7 && c.Freq == 20000 && m.m_nXoverType[1][0] == 2;
         }},
        {"crossover Q 0.577 kept", Reply(VA_XOVER, 1, 0, Coef(3, 0xFF, 0.577f, 80)),
         [](const CSettingsModel& m) {
             SFilterCoef c = m.m_Lib.GetXoverCoef(1, 0);
             return c.BandWidth == 0.577f && c.Slop == 0 && m.m_nXoverType[1][1] == 3;
         }},
        {"level channel 5 alone", Reply(VA_LEVEL, 5, 0, {13, 0}),
         [](const CSettingsModel& m) {
             return m.m_nInputSensitivityMain[5] == 0 && m.m_nInputSensitivityMain[4] == 10;
         }},
        {"mode from the map", Reply(VA_MAP, 9, 0, MapBody()),
         [](const CSettingsModel& m) { return m.m_bEasyExp == 1 && m.m_MapD[7] == 0x11; }},
        {"delays in ms", Reply(VA_DELAY, 9, 0, {0xFF, 0x1F, 48, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}),
         [](const CSettingsModel& m) { return m.m_nDelay[0] == 8191 && m.m_fDelayMs[1] == 1.0f; }},
        {"preset limited", Reply(VA_PRESET, 0, 0, {7}),
         [](const CSettingsModel& m) { return m.m_nCurPreset == 3; }},
        {"presence reply without a probe ignored", Reply(VA_SYSTEM, 0, 0, {1, 2, 3, 4}, 3),
         [](const CSettingsModel& m) { return m.m_Search.GetFirstFoundSlave() == -1; }},
        {"phase of channel 8 refused", Reply(VA_PHASE, 8, 0, {0, 1}),
         [](const CSettingsModel& m) {
             return std::all_of(m.m_bPhase, m.m_bPhase + 8, [](int b) { return !b; });
         }},
    };
    for (const Case& c : cases) {
        Receive(c.frame);
        EXPECT_TRUE(c.check(model)) << c.name;
    }
}

// An answer that arrives after its probe gave up still counts until timer 1 evaluates the port, but
// only as a real presence answer from an address that was asked.
TEST_F(ReplyTest, ALatePresenceAnswerCountsOnlyFromAProbedAddress) {
    CDeviceSearch& search = m_Core.Model().m_Search;
    search.m_nLastProbed = 5;
    Receive(Reply(VA_SYSTEM, 0, 0, {}, 3));           // an echo of the probe: no body
    Receive(Reply(VA_SYSTEM, 0, 0, {1, 2, 3, 4}, 7)); // an address that was not asked
    EXPECT_EQ(search.GetFirstFoundSlave(), -1);
    Receive(Reply(VA_SYSTEM, 0, 0, {1, 2, 3, 4}, 3));
    EXPECT_EQ(search.GetFirstFoundSlave(), 3);
}

TEST_F(ReplyTest, SplitFramesJoinAndFarAddressesEndTheChunk) {
    CSettingsModel& m = m_Core.Model();
    const Bytes a = Reply(VA_VOLUME, 8, 0, {0, 50});
    Receive(Bytes(a.begin(), a.begin() + 5));
    EXPECT_EQ(m.m_nMainVolume, 0);
    Receive(Bytes(a.begin() + 5, a.end()));
    EXPECT_EQ(m.m_nMainVolume, 50);

    Bytes chunk = Reply(VA_VOLUME, 8, 0, {0, 60}, 12);
    const Bytes after = Reply(VA_VOLUME, 8, 0, {0, 70});
    chunk.insert(chunk.end(), after.begin(), after.end());
    Receive(chunk);
    EXPECT_EQ(m.m_nMainVolume, 50); // the frame from address 12 ends the chunk
}

TEST_F(ReplyTest, GraphRefreshesOnceFiftyMillisecondsAfterABurst) {
    m_Core.Model().m_nPage = 2;
    for (int i = 0; i < 4; ++i) {
        m_Core.OnMessage(WM_GRAPH_REFRESH, 0, 0);
        m_Host.Advance(10);
    }
    EXPECT_TRUE(m_Host.firedTimers.empty());
    m_Host.Advance(10);
    EXPECT_THAT(m_Host.firedTimers, ElementsAre(TIMER_GRAPH));
    EXPECT_FALSE(m_Host.TimerSet(TIMER_GRAPH));
    EXPECT_THAT(m_Host.repaints, testing::Contains(AREA_GRAPH));
    m_Core.Model().m_nPage = 0; // other pages draw no graph
    m_Core.OnMessage(WM_GRAPH_REFRESH, 0, 0);
    EXPECT_FALSE(m_Host.TimerSet(TIMER_GRAPH));
}

TEST(SettingsModel, StartValuesAndHelpers) {
    CSettingsModel m;
    std::uint8_t bytes[24];
    ASSERT_EQ(m.GetChannelMapBytes(9, bytes), 24);
    EXPECT_EQ(Bytes(bytes, bytes + 24),
              (Bytes{0x01, 0x01, 0x40, 0x02, 0x02, 0x80, 0x01, 0x01, 0x40, 0x02, 0x02, 0x80,
                     0x04, 0x01, 0x40, 0x08, 0x02, 0x80, 0x10, 0x03, 0xC0, 0x20, 0x03, 0xC0}));
    EXPECT_EQ(m.GetChannelMapBytes(8, bytes), 0);
    const int flags[8] = {1, 0, 0, 0, 0, 0, 0, 1};
    EXPECT_EQ(CSettingsModel::PackFlags(flags), 0x81);
    EXPECT_EQ(CSettingsModel::VolumeFromDb(-0.2), 127);
    EXPECT_EQ(CSettingsModel::VolumeFromDb(5), 128);
    EXPECT_EQ(CSettingsModel::VolumeFromDb(-100), 0);
    EXPECT_NEAR(CSettingsModel::DelayMsFromSamples(8191), 170.6458, 1e-4);
    EXPECT_EQ(m.m_nMainVolume, 0);
    EXPECT_EQ(m.m_nEasyConfigInputSensitivity, 10);
    EXPECT_THAT(m.m_nDSPOutput, testing::Each(4));
}

TEST(DeviceSearch, APortTheUserMayNotOpenIsExplainedOnce) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to drop to another user";
    testutil::PtyPair pty; // owned by root, not readable for others
    ASSERT_TRUE(pty.Ok());
    ::chmod(pty.SlavePath().c_str(), 0600);
    const pid_t pid = ::fork();
    if (pid == 0) {
        // The child becomes an ordinary user and searches.
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
        ZUtils::ClearExtraPorts();
        ZUtils::RegisterExtraPort(pty.SlavePath());
        CFakeHost host;
        CEditorCore core(host);
        host.Attach(&core);
        core.Start();
        core.Link().OnDeviceConnect(); // already searching: no second search, no second hint
        const bool bHinted = host.messageBoxes.size() == 1 &&
                             host.messageBoxes[0].find("dialout") != std::string::npos &&
                             host.messageBoxes[0].find(pty.SlavePath()) != std::string::npos;
        ::_exit(bHinted ? 0 : 1);
    }
    int nStatus = 0;
    ASSERT_EQ(::waitpid(pid, &nStatus, 0), pid);
    ASSERT_TRUE(WIFEXITED(nStatus));
    EXPECT_EQ(WEXITSTATUS(nStatus), 0);
}
