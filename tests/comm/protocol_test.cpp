// Transactions, commands and replies of the link against the simulated processor on a real
// pseudo-terminal.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <thread>

#include "comm/comnames.h"
#include "comm/devicesearch.h"
#include "comm/protocol.h"
#include "ptypair.h"
#include "sim/simprocessor.h"
#include "tests/common/filterrecord.h"
#include "testutil.h"

using testing::HasSubstr;
using testutil::Frame;
using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

namespace {

class LinkTest : public testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(m_Sim.Start(&error)) << error;
        m_nPort = ZUtils::RegisterExtraPort(m_Sim.PortPath());
        ASSERT_GE(m_nPort, 200);
        m_Link.m_hWnd = &m_Window;
        ASSERT_EQ(m_Link.Open(m_nPort), 1);
    }
    void TearDown() override {
        m_Link.Close();
        m_Sim.Stop();
    }
    // Silences the device and answers the nth received frame (1-based) with the given bytes.
    void AnswerFrame(std::size_t n, Bytes reply) {
        Sim::SFaults silent;
        silent.bSilent = true;
        m_Sim.SetFaults(silent);
        m_Responder = std::thread([this, n, reply] {
            const auto end = Clock::now() + std::chrono::seconds(5);
            while (m_Sim.ReceivedFrameCount() < n && Clock::now() < end)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            m_Sim.SendRaw(reply);
        });
    }
    void JoinResponder() {
        if (m_Responder.joinable()) m_Responder.join();
    }
    ~LinkTest() override { JoinResponder(); }

    Sim::CSimProcessor m_Sim;
    testutil::RecordingWindow m_Window;
    CProtocol m_Link;
    int m_nPort = 0;
    std::thread m_Responder;
};

} // namespace

TEST_F(LinkTest, ReplyOnTheThirdAttemptAndNoReplyAtAll) {
    testutil::TraceCapture trace;
    Sim::SFaults faults;
    faults.nDropNext = 2;
    m_Sim.SetFaults(faults);
    EXPECT_EQ(m_Link.SendGetPreset(), 1);
    EXPECT_EQ(m_Sim.ReceivedFrameCount(), 3u);
    EXPECT_THAT(trace.Text(), HasSubstr("\r\n !!!!! Retry SendPacket[2] time["));
    EXPECT_THAT(trace.Text(), HasSubstr("\r\n Send Time "));

    m_Sim.ClearReceivedFrames();
    faults = {};
    faults.bSilent = true;
    m_Sim.SetFaults(faults);
    trace.Clear();
    EXPECT_EQ(m_Link.SendGetPreset(), 0);
    EXPECT_EQ(m_Sim.ReceivedFrameCount(), 4u);
    EXPECT_THAT(trace.Text(), HasSubstr("\r\n dwRet[258]"));
    EXPECT_THAT(trace.Text(), HasSubstr("\r\n !!!!! Retry SendPacket[3] time["));
    EXPECT_THAT(trace.Text(), HasSubstr("\r\n !!!!! ERROR SendPacket timeout ID[9]"));
}

TEST_F(LinkTest, SplitRepliesCompleteAndEveryChunkReachesTheWindow) {
    Sim::SFaults faults;
    faults.bSplit = true;
    m_Sim.SetFaults(faults);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(m_Link.SendGetMainVolume(), 1) << i;
    faults = {};
    m_Sim.SetFaults(faults);
    EXPECT_EQ(m_Link.SendGetInput(), 1);
    // The window saw the same bytes, in order; parsing them again finds the replies.
    SIpcPacket rec;
    int nVolumes = 0, nInputs = 0;
    for (std::uint8_t b : m_Window.Bytes())
        if (CProtocol::ParsePacketByte(rec, b)) {
            nVolumes += rec.ID == VA_VOLUME;
            nInputs += rec.ID == VA_INPUT;
        }
    EXPECT_EQ(nVolumes, 5);
    EXPECT_EQ(nInputs, 1);
    EXPECT_GT(m_Window.Chunks().size(), 6u);
    EXPECT_EQ(m_Link.m_nInput.load(), m_Sim.Running().Input);
}

TEST_F(LinkTest, TwoRepliesInOneChunkSetTheirQuickValuesAndArePostedOnce) {
    Sim::SFaults silent;
    silent.bSilent = true;
    m_Sim.SetFaults(silent);
    Bytes both = Frame({0, 0x80 | VA_PRESET, 0x80, 0, 0, 0, 1, 3});
    const Bytes high = Frame({0, 0x80 | VA_HIGHLOW, 0x80, 0, 0, 0, 1, 1});
    both.insert(both.end(), high.begin(), high.end());
    m_Sim.SendRaw(both);
    ASSERT_TRUE(m_Window.WaitBytes(both.size(), 2000));
    EXPECT_EQ(m_Window.Chunks().size(), 1u);
    EXPECT_EQ(m_Link.m_nPreset.load(), 3);
    EXPECT_EQ(m_Link.m_nHighLow.load(), 1);
}

TEST_F(LinkTest, ReplyMatchesOnTheIdBitsAlone) {
    // Status VA_OK (0x84) and another channel than asked for: the waiting read is released.
    AnswerFrame(1, Frame({7, 0x84, 0x80, 0, 3, 0, 2, 0, 55}));
    EXPECT_EQ(m_Link.SendGetMainVolume(), 1);
    JoinResponder();
    EXPECT_EQ(m_Sim.ReceivedFrameCount(), 1u);
}

TEST_F(LinkTest, RefusedBodyReleasesNothing) {
    // A seven-byte level body is dropped; the read is released only by the retry's proper answer.
    // (The dropped frame's CRC bytes are parsed as a new frame; its last body byte is chosen so that
    // they do not pass as a header and swallow the answer after them.)
    Bytes bad;
    for (int x = 0; x < 256; ++x) {
        bad = Frame({0, 0x80 | VA_LEVEL, 0x80, 0, 9, 0, 7, 1, 2, 3, 4, 5, 6, static_cast<std::uint8_t>(x)});
        if ((bad.back() & 0x1F) > VA_ID_MAX) break;
    }
    AnswerFrame(1, bad);
    std::thread second([this] {
        const auto end = Clock::now() + std::chrono::seconds(5);
        while (m_Sim.ReceivedFrameCount() < 2 && Clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        m_Sim.SendRaw(Frame({0, 0x80 | VA_LEVEL, 0x80, 0, 9, 1, 6, 3, 4, 5, 6, 7, 8}));
    });
    EXPECT_EQ(m_Link.SendGetLevel(9, 1), 1);
    second.join();
    EXPECT_EQ(m_Sim.ReceivedFrameCount(), 2u);
    EXPECT_EQ(m_Link.m_nLevelAux.load(), 10); // 13 - 3
}

TEST_F(LinkTest, AcknowledgementLeavesQuickValuesAlone) {
    EXPECT_EQ(m_Link.SendGetPreset(), 1);
    const int nReported = m_Link.m_nPreset.load();
    EXPECT_EQ(m_Link.SendGetHighLow(), 1);    // another decoded body in between
    EXPECT_EQ(m_Link.SendSetPreset(1, 2), 1); // acknowledged without a body
    EXPECT_EQ(m_Link.m_nPreset.load(), nReported);
    EXPECT_EQ(m_Link.SendGetPreset(), 1);
    EXPECT_EQ(m_Link.m_nPreset.load(), 2);
}

TEST_F(LinkTest, ClosedOrMissingPortsWriteNothing) {
    testutil::TraceCapture trace;
    CProtocol other;
    EXPECT_EQ(other.Open(m_nPort), 0); // held by m_Link
    EXPECT_THAT(trace.Text(),
                HasSubstr(std::string("#### COM") + std::to_string(m_nPort) + " Port Open Fail!!!!"));
    EXPECT_EQ(other.Open(31999), 0);
    EXPECT_FALSE(other.IsOpen());
    m_Link.Close();
    EXPECT_EQ(m_Link.SendGetPreset(), 0);
    EXPECT_EQ(m_Link.SendSetMute(1, 0xFF), 0);
    EXPECT_EQ(m_Link.SendSystemPeekReq(0), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(m_Sim.ReceivedFrameCount(), 0u);
    EXPECT_EQ(other.Open(m_nPort), 1); // free again after Close
}

TEST_F(LinkTest, HangUpFailsCommandsAtOnce) {
    EXPECT_EQ(m_Link.SendGetPreset(), 1);
    m_Sim.HangUp();
    const auto t0 = Clock::now();
    while (!m_Link.IsHungUp() && Clock::now() - t0 < std::chrono::seconds(2))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(m_Link.IsHungUp());
    EXPECT_EQ(m_Link.SendGetPreset(), 0);
    EXPECT_LT(Clock::now() - t0, std::chrono::milliseconds(2000)); // not four time-outs
    m_Link.Close();
    EXPECT_FALSE(m_Link.IsOpen());
}

namespace {

struct FrameCase {
    const char* name;
    std::function<int(CProtocol&)> send;
    Bytes expect; // whole frame; empty: the expected header and body only, CRC computed
};

} // namespace

TEST_F(LinkTest, CommandsWriteTheirExactFrames) {
    const SFilterCoef highPass = FilterRecord::Xover(FT_HIGHPASS, 1, 500, 0.577f);
    int levels[6] = {13, 12, 11, 10, 9, 8};
    int aux[6] = {5, 7, 0, 0, 0, 0};
    int volumes[8] = {1, 2, 3, 4, 5, 6, 7, 128};
    int outputs[5] = {4, 1, 2, 3, 0};
    std::uint16_t delays[2] = {480, 0};
    std::uint8_t map[24];
    for (int i = 0; i < 24; ++i)
        map[i] = static_cast<std::uint8_t>(i);
    Bytes mapBody(map, map + 24);
    mapBody.push_back(1);
    Bytes mapFrame = {0, VA_MAP, 1, 0, 9, 0, 25};
    mapFrame.insert(mapFrame.end(), mapBody.begin(), mapBody.end());

    const FrameCase cases[] = {
        {"preset 2",
         [](CProtocol& p) { return p.SendSetPreset(1, 2); },
         {0x00, 0x09, 0x01, 0x00, 0x00, 0x00, 0x01, 0x02, 0xA6, 0x7D}},
        {"read band 5 of channel 3",
         [](CProtocol& p) { return p.SendGetFilterCoef(3, 5); },
         {0x00, 0x07, 0x80, 0x00, 0x03, 0x05, 0x00, 0x7A, 0x69}},
        {"delay pair", [&](CProtocol& p) { return p.SendSetDelay(1, 2, delays); },
         Frame({0, VA_DELAY, 1, 0, 2, 0, 4, 0xE0, 0x01, 0x00, 0x00})},
        {"level pair of channel 3", [&](CProtocol& p) { return p.SendSetLevel(1, 3, levels, 0); },
         Frame({0, VA_LEVEL, 1, 0, 2, 0, 2, 2, 3})},
        {"aux levels", [&](CProtocol& p) { return p.SendSetLevel(1, 9, aux, 1); },
         Frame({0, VA_LEVEL, 1, 0, 9, 1, 6, 8, 6, 0, 0, 0, 0})},
        {"all volumes", [&](CProtocol& p) { return p.SendSetChannelVolume(1, 9, 1, volumes); },
         Frame({0, VA_VOLUME, 1, 0, 9, 0, 8, 1, 2, 3, 4, 5, 6, 7, 128})},
        {"one volume with pair flag",
         [&](CProtocol& p) { return p.SendSetChannelVolume(2, 5, 1, volumes + 5); },
         Frame({0, VA_VOLUME, 2, 0, 5, 0, 2, 1, 6})},
        {"crossover record", [&](CProtocol& p) { return p.SendSetXoverFilter(1, 4, 1, &highPass, 0); },
         Frame({0, VA_XOVER, 1, 0, 4, 0, 9, 1, 0x03, 0x01, 0x46, 0xB6, 0x13, 0x3F, 0xF4, 0x01})},
        {"map of all outputs", [&](CProtocol& p) { return p.SendSetChannelMap(1, 9, map, 24, 1); },
         Frame(mapFrame)},
        {"map of one output", [&](CProtocol& p) { return p.SendSetChannelMap(1, 2, map + 6, 3, 0); },
         Frame({0, VA_MAP, 1, 0, 2, 0, 3, 6, 7, 8})},
        {"outputs", [&](CProtocol& p) { return p.SendSetOutput(1, outputs); },
         Frame({0, VA_OUTPUT, 1, 0, 0, 0, 5, 4, 1, 2, 3, 0})},
        {"bracket", [](CProtocol& p) { return p.SendSetUpdate(0, 89); },
         Frame({0, VA_UPDATE, 1, 0, 0, 0, 2, 0, 89})},
        {"phase", [](CProtocol& p) { return p.SendSetPhase(3, 6, 1, 1); },
         Frame({0, VA_PHASE, 3, 0, 6, 0, 2, 1, 1})},
        {"probe address 0",
         [](CProtocol& p) { return p.SendSystemPeekReq(0); },
         {0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0x00, 0x77, 0xE4}},
    };
    for (const FrameCase& c : cases) {
        m_Sim.ClearReceivedFrames();
        EXPECT_EQ(c.send(m_Link), 1) << c.name;
        const auto frames = m_Sim.ReceivedFrames();
        ASSERT_EQ(frames.size(), 1u) << c.name;
        EXPECT_EQ(frames[0], c.expect) << c.name;
    }

    // Address 1: the main volume frame carries it in byte 0.
    m_Sim.SetAddress(1);
    m_Link.m_nSlaveAddr = 1;
    m_Sim.ClearReceivedFrames();
    EXPECT_EQ(m_Link.SendSetMainVolume(1, 100), 1);
    ASSERT_EQ(m_Sim.ReceivedFrameCount(), 1u);
    EXPECT_EQ(m_Sim.ReceivedFrames()[0],
              (Bytes{0x01, 0x04, 0x01, 0x00, 0x08, 0x00, 0x02, 0x00, 0x64, 0xB7, 0x94}));
}

TEST_F(LinkTest, RefusedArgumentsWriteNothingAndSayWhy) {
    SFilterCoef coef{};
    int levels[6] = {};
    int volumes[8] = {};
    std::uint16_t delays[8] = {};
    std::uint8_t map[24] = {};
    struct Case {
        std::function<int(CProtocol&)> send;
        const char* trace; // "" when refused silently
    };
    const Case cases[] = {
        {[&](CProtocol& p) { return p.SendSetChannelVolume(1, 8, 0, volumes); }, ""},
        {[&](CProtocol& p) { return p.SendSetChannelVolume(1, 10, 0, volumes); },
         "\r\n !!!!! ERROR SendSetChannelVolume nChannel[10]"},
        {[&](CProtocol& p) { return p.SendSetChannelVolume(1, 2, 0, nullptr); },
         "\r\n !!!!! ERROR SendSetChannelVolume Channel [2]pVolume is NULL"},
        {[&](CProtocol& p) { return p.SendSetFilterCoef(1, 0, 0, 11, &coef); },
         "\r\n !!!!! ERROR SendSetFilterCoef BiQuad[11]"},
        {[&](CProtocol& p) { return p.SendSetFilterCoef(1, 8, 0, 0, &coef); },
         "\r\n !!!!! ERROR SendSetFilterCoef nChannel[8]"},
        {[&](CProtocol& p) { return p.SendSetFilterCoef(1, 0, 0, 0, nullptr); },
         "\r\n !!!!! ERROR SendSetFilterCoef mCoef NULL"},
        {[&](CProtocol& p) { return p.SendSetXoverFilter(1, 0, 0, &coef, 3); },
         "\r\n SendSetXoverFilter nChannel[0] BiQuad[3] Filtertype[0] Slop[0] BandWidth[0.000000] Freq[0]"
         "comm/protocol_commands.cpp"},
        {[&](CProtocol& p) { return p.SendSetXoverFilter(1, 0, 0, nullptr, 0); },
         "\r\n !!!!! ERROR SendSetXoverFilter lpCoef NULL"},
        {[&](CProtocol& p) { return p.SendSetLevel(1, 6, levels, 0); }, ""},
        {[&](CProtocol& p) { return p.SendSetLevel(1, 9, levels, 2); }, ""},
        {[&](CProtocol& p) { return p.SendSetLevel(1, 0, nullptr, 0); }, "\r\n !!!!! ERROR SendSetLevel "},
        {[&](CProtocol& p) { return p.SendSetDelay(1, 8, delays); }, ""},
        {[&](CProtocol& p) { return p.SendSetDelay(1, 10, delays); },
         "\r\n !!!!! ERROR SendSetDelay nChannel[10]"},
        {[&](CProtocol& p) { return p.SendSetChannelMap(1, 9, map, 21, 0); }, ""},
        {[&](CProtocol& p) { return p.SendSetChannelMap(1, 8, map, 24, 0); }, ""},
        {[&](CProtocol& p) { return p.SendSetChannelMap(1, 0, map, 4, 0); }, ""},
        {[&](CProtocol& p) { return p.SendSetPhase(1, 8, 0, 0); },
         "\r\n !!!!! ERROR SendSetPhase nChannel[8]"},
        {[&](CProtocol& p) { return p.SendSetEqFlag(1, 9, 0, 0); },
         "\r\n !!!!! ERROR SendSetEqFlag nChannel[9]"},
        {[&](CProtocol& p) { return p.SendSetSystem(1, 0, 0, 0, 11); },
         "\r\n !!!!! ERROR SendSetSystem nChannel[11]"},
        {[&](CProtocol& p) { return p.SendSetOutput(1, nullptr); }, ""},
        {[&](CProtocol& p) { return p.SendSystemPeekReq(11); },
         "\r\n SendSystemPeekReq SlaveAddr[11]comm/protocol_commands.cpp"},
        {[&](CProtocol& p) { return p.SendGetFilterCoef(0, 11); },
         "\r\n !!!!! ERROR SendGetFilterCoef nBiQuad[11]"},
        {[&](CProtocol& p) { return p.SendGetXFilterCoef(9, 0); },
         "\r\n !!!!! ERROR SendGetXFilterCoef nChannel[9]"},
        {[&](CProtocol& p) { return p.SendGetChannelMap(10); },
         "\r\n !!!!! ERROR SendGetChannelMap nChannel[10]"},
        {[&](CProtocol& p) { return p.SendGetEqFlag(9); }, "\r\n !!!!! ERROR SendGetEqFlag nChannel[9]"},
        {[&](CProtocol& p) { return p.SendGetLevel(10, 0); }, ""},
    };
    testutil::TraceCapture trace;
    for (const Case& c : cases) {
        trace.Clear();
        EXPECT_EQ(c.send(m_Link), 0) << c.trace;
        // A trace that comes first is followed by the error line, written by the next call.
        const std::string text = trace.Text();
        const std::string want = c.trace;
        const std::size_t nCut = want.find("comm/");
        EXPECT_THAT(text, HasSubstr(want.substr(0, nCut))) << c.trace;
        if (nCut != std::string::npos) {
            EXPECT_THAT(text, HasSubstr("ERROR")) << c.trace;
        }
        if (want.empty()) {
            EXPECT_THAT(text, testing::Not(HasSubstr("ERROR")));
        }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(m_Sim.ReceivedFrameCount(), 0u);
}

TEST_F(LinkTest, EveryGroupWrittenReadsBackTheSame) {
    const SFilterCoef peak = FilterRecord::Peak(3150, -7, 2.5f);
    const SFilterCoef lowPass = FilterRecord::Xover(FT_LOWPASS, 3, 80);
    int levels[6] = {1, 2, 3, 4, 5, 6};
    int volumes[8] = {10, 20, 30, 40, 50, 60, 70, 80};
    int outputs[5] = {4, 3, 2, 1, 0};
    std::uint16_t delays[8] = {0, 48, 96, 8191, 1000, 2000, 3000, 4000};
    std::uint8_t map[24];
    for (int i = 0; i < 24; ++i)
        map[i] = static_cast<std::uint8_t>(0x80 >> (i % 8));

    ASSERT_EQ(m_Link.SendSetMainVolume(1, 99), 1);
    ASSERT_EQ(m_Link.SendSetChannelVolume(1, 9, 0, volumes), 1);
    ASSERT_EQ(m_Link.SendSetPhase(1, 5, 0, 1), 1);
    ASSERT_EQ(m_Link.SendSetMute(1, 0xA5), 1);
    ASSERT_EQ(m_Link.SendSetChannelMap(1, 9, map, 24, 1), 1);
    ASSERT_EQ(m_Link.SendSetInput(1, 2, 1), 1);
    ASSERT_EQ(m_Link.SendSetLevel(1, 9, levels, 0), 1);
    ASSERT_EQ(m_Link.SendSetHighLow(1, 1), 1);
    ASSERT_EQ(m_Link.SendSetOutput(1, outputs), 1);
    ASSERT_EQ(m_Link.SendSetEqFlag(1, 6, 0, 1), 1);
    ASSERT_EQ(m_Link.SendSetFilterCoef(1, 6, 0, 9, &peak), 1);
    ASSERT_EQ(m_Link.SendSetXoverFlag(1, 7, 0, 1), 1);
    ASSERT_EQ(m_Link.SendSetXoverFilter(1, 7, 0, &lowPass, 1), 1);
    ASSERT_EQ(m_Link.SendSetDelay(1, 9, delays), 1);

    struct Read {
        std::function<int(CProtocol&)> send;
        std::function<void(const SIpcPacket&)> check;
    };
    const Read reads[] = {
        {[](CProtocol& p) { return p.SendGetMainVolume(); },
         [](const SIpcPacket& r) { EXPECT_EQ(r.Volume(8), 99); }},
        {[](CProtocol& p) { return p.SendGetChannelVolume(9); },
         [&](const SIpcPacket& r) {
             for (int i = 0; i < 8; ++i)
                 EXPECT_EQ(r.Volume(i), volumes[i]);
         }},
        {[](CProtocol& p) { return p.SendGetPhase(5); },
         [](const SIpcPacket& r) { EXPECT_EQ(r.Byte(1), 1); }},
        {[](CProtocol& p) { return p.SendGetMute(); },
         [](const SIpcPacket& r) { EXPECT_EQ(r.Byte(0), 0xA5); }},
        {[](CProtocol& p) { return p.SendGetChannelMap(9); },
         [&](const SIpcPacket& r) {
             EXPECT_EQ(Bytes(r.Decoded, r.Decoded + 24), Bytes(map, map + 24));
             EXPECT_EQ(r.EasyExpert(), 1);
         }},
        {[](CProtocol& p) { return p.SendGetInput(); },
         [](const SIpcPacket& r) {
             EXPECT_EQ(Bytes(r.Decoded, r.Decoded + 2), (Bytes{2, 1}));
         }},
        {[](CProtocol& p) { return p.SendGetLevel(9, 0); },
         [&](const SIpcPacket& r) {
             for (int i = 0; i < 6; ++i)
                 EXPECT_EQ(r.Level(i), levels[i]);
         }},
        {[](CProtocol& p) { return p.SendGetHighLow(); },
         [](const SIpcPacket& r) { EXPECT_EQ(r.Byte(0), 1); }},
        {[](CProtocol& p) { return p.SendGetOutput(); },
         [](const SIpcPacket& r) {
             EXPECT_EQ(Bytes(r.Decoded, r.Decoded + 5), (Bytes{4, 3, 2, 1, 0}));
         }},
        {[](CProtocol& p) { return p.SendGetEqFlag(6); },
         [](const SIpcPacket& r) { EXPECT_EQ(r.Byte(1), 1); }},
        {[](CProtocol& p) { return p.SendGetFilterCoef(6, 9); },
         [&](const SIpcPacket& r) {
             SFilterCoef got = r.Coef();
             EXPECT_EQ(std::memcmp(&got, &peak, sizeof got), 0);
         }},
        {[](CProtocol& p) { return p.SendGetXoverFlag(7); },
         [](const SIpcPacket& r) { EXPECT_EQ(r.Byte(1), 1); }},
        {[](CProtocol& p) { return p.SendGetXFilterCoef(7, 1); },
         [&](const SIpcPacket& r) {
             SFilterCoef got = r.Coef();
             EXPECT_EQ(std::memcmp(&got, &lowPass, sizeof got), 0);
         }},
        {[](CProtocol& p) { return p.SendGetDelay(9); },
         [&](const SIpcPacket& r) {
             for (int i = 0; i < 8; ++i)
                 EXPECT_EQ(r.Delay(i), delays[i]);
         }},
    };
    for (const Read& read : reads) {
        const std::size_t nBefore = m_Window.Bytes().size();
        ASSERT_EQ(read.send(m_Link), 1);
        // The reply is the last frame the window received.
        SIpcPacket rec, last;
        const Bytes bytes = m_Window.Bytes();
        for (std::size_t i = nBefore; i < bytes.size(); ++i)
            if (CProtocol::ParsePacketByte(rec, bytes[i])) last = rec;
        read.check(last);
    }
    EXPECT_EQ(m_Link.m_nEasyExpert.load(), 1);
    EXPECT_EQ(m_Link.m_nInput.load(), 2);
    EXPECT_EQ(m_Link.m_nLevelMain.load(), 1);
}

TEST(DeviceSearch, FirstAnsweringPortWinsWithItsLowestAddress) {
    Sim::CSimProcessor first, second;
    ASSERT_TRUE(first.Start());
    ASSERT_TRUE(second.Start());
    first.SetAddress(4);
    second.SetAddress(2);
    Sim::SFaults silent;
    silent.bSilent = true;
    CDeviceSearch search;
    std::vector<SSerInfo> ports;
    for (Sim::CSimProcessor* sim : {&first, &second}) {
        int n = ZUtils::RegisterExtraPort(sim->PortPath());
        ports.push_back({sim->PortPath(), "COM" + std::to_string(n),
                         "Serial port (COM" + std::to_string(n) + ")", 0, ""});
    }
    int nPort = -1, nAddress = -1;
    ASSERT_TRUE(RunDeviceSearch(ports, &nPort, &nAddress));
    EXPECT_EQ(nPort, ZUtils::ComNumberFromDevicePath(first.PortPath()));
    EXPECT_EQ(nAddress, 4);

    first.SetFaults(silent); // a port that stays silent is passed over
    ASSERT_TRUE(RunDeviceSearch(ports, &nPort, &nAddress));
    EXPECT_EQ(nPort, ZUtils::ComNumberFromDevicePath(second.PortPath()));
    EXPECT_EQ(nAddress, 2);

    // Two answering addresses on one port: the lowest one is taken.
    for (int a : {7, 3})
        search.m_bSlaveFound[a] = 1;
    EXPECT_EQ(search.GetFirstFoundSlave(), 3);
}

namespace {

// A device on a pseudo-terminal that answers presence probes in its own way, until stopped.
class ProbeStandIn {
public:
    // Answer to one probe of address nAddr; empty: no answer.
    using Answer = std::function<Bytes(const Bytes& request, int nAddr)>;

    explicit ProbeStandIn(Answer answer) : m_Answer(std::move(answer)) {
        m_Thread = std::thread([this] {
            Bytes pending;
            while (!m_bStop) {
                const Bytes got = m_Pty.Read(50);
                pending.insert(pending.end(), got.begin(), got.end());
                while (pending.size() >= 9) { // probes are 9 bytes
                    const Bytes request(pending.begin(), pending.begin() + 9);
                    pending.erase(pending.begin(), pending.begin() + 9);
                    const Bytes reply = m_Answer(request, request[0]);
                    if (!reply.empty()) m_Pty.Write(reply);
                }
            }
        });
    }
    ~ProbeStandIn() {
        m_bStop = true;
        m_Thread.join();
    }
    const std::string& Path() const { return m_Pty.SlavePath(); }

private:
    testutil::PtyPair m_Pty;
    Answer m_Answer;
    std::atomic<bool> m_bStop{false};
    std::thread m_Thread;
};

std::vector<SProbeReport> SearchOne(const std::string& path, bool* pFound, int* pAddress) {
    ZUtils::ClearExtraPorts();
    const int n = ZUtils::RegisterExtraPort(path);
    const std::vector<SSerInfo> ports = {
        {path, ZUtils::ComPortName(n), "Serial port (COM" + std::to_string(n) + ")", 0, ""}};
    std::vector<SProbeReport> reports;
    int nPort = -1;
    *pFound = RunDeviceSearch(ports, &nPort, pAddress, &reports);
    ZUtils::ClearExtraPorts();
    return reports;
}

// The stand-in's answers inside the process: each probe is answered within its write, and the
// time-outs of the unanswered ones run on a virtual clock.
class CAnsweringPort : public IPort {
public:
    explicit CAnsweringPort(ProbeStandIn::Answer answer) : m_Answer(std::move(answer)) {}
    void SetReceiver(Receiver receive, HangupHandler) override { m_Receive = std::move(receive); }
    bool Open(const std::string&) override {
        m_bOpen = true;
        return true;
    }
    int Write(const std::uint8_t* pBytes, std::uint32_t nCount) override {
        const Bytes request(pBytes, pBytes + nCount);
        const Bytes reply = m_Answer(request, request[0]);
        if (!reply.empty()) m_Receive(reply.data(), static_cast<int>(reply.size()));
        return static_cast<int>(nCount);
    }
    bool Close() override {
        m_bOpen = false;
        return true;
    }
    bool IsOpen() const override { return m_bOpen; }
    bool IsHungUp() const override { return false; }
    int OpenError() const override { return 0; }

private:
    ProbeStandIn::Answer m_Answer;
    Receiver m_Receive;
    bool m_bOpen = false;
};

class CAnsweringEnv : public CLinkEnvWrapper {
public:
    explicit CAnsweringEnv(ProbeStandIn::Answer answer)
        : CLinkEnvWrapper(DefaultLinkEnv()), m_Answer(std::move(answer)) {}
    std::unique_ptr<IPort> NewPort() override { return std::make_unique<CAnsweringPort>(m_Answer); }
    std::uint32_t NowMs() override { return m_nNow; }
    void Sleep(std::uint32_t nMs) override { m_nNow += nMs; }
    int Wait(ZUtils::ZEvent& rEvent, std::uint32_t nMs) override {
        if (rEvent.Wait(0) == ZUtils::WAIT_OBJECT_0) return ZUtils::WAIT_OBJECT_0;
        m_nNow += nMs;
        return ZUtils::WAIT_TIMEOUT;
    }

private:
    ProbeStandIn::Answer m_Answer;
    std::uint32_t m_nNow = 0;
};

std::vector<SProbeReport> SearchInProcess(ProbeStandIn::Answer answer, bool* pFound, int* pAddress) {
    const std::string path = "/dev/mlb8-probe";
    ZUtils::ClearExtraPorts();
    const int n = ZUtils::RegisterExtraPort(path);
    const std::vector<SSerInfo> ports = {
        {path, ZUtils::ComPortName(n), "Serial port (COM" + std::to_string(n) + ")", 0, ""}};
    std::vector<SProbeReport> reports;
    int nPort = -1;
    CAnsweringEnv env(std::move(answer));
    *pFound = RunDeviceSearch(ports, &nPort, pAddress, &reports, env);
    ZUtils::ClearExtraPorts();
    return reports;
}

} // namespace

TEST(DeviceSearch, OnlyTheProbedProcessorAnsweringWithItsBodyIsFound) {
    struct Case {
        const char* pszName;
        ProbeStandIn::Answer answer;
        int nFoundAt; // -1: not found
    };
    const Case cases[] = {
        {"a processor at address 5",
         [](const Bytes&, int a) {
             return a == 5 ? Frame({5, 0x80, 0x80, 0, 0, 0, 4, 1, 2, 3, 4}) : Bytes{};
         },
         5},
        {"an echo of the request", [](const Bytes& request, int) { return request; }, -1},
        {"an empty body",
         [](const Bytes&, int a) {
             return Frame({static_cast<std::uint8_t>(a), 0x80, 0x80, 0, 0, 0, 0});
         },
         -1},
        {"another address",
         [](const Bytes&, int a) {
             return Frame({static_cast<std::uint8_t>((a + 1) % 10), 0x80, 0x80, 0, 0, 0, 4, 1, 2, 3, 4});
         },
         -1},
        {"a write acknowledgement",
         [](const Bytes&, int a) {
             return Frame({static_cast<std::uint8_t>(a), 0x80, 0x01, 0, 0, 0, 4, 1, 2, 3, 4});
         },
         -1},
        {"silence", [](const Bytes&, int) { return Bytes{}; }, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        bool bFound = false;
        int nAddress = -1;
        const auto reports = SearchInProcess(c.answer, &bFound, &nAddress);
        EXPECT_EQ(bFound, c.nFoundAt >= 0);
        ASSERT_EQ(reports.size(), 1u);
        if (c.nFoundAt >= 0) {
            EXPECT_EQ(nAddress, c.nFoundAt);
            EXPECT_EQ(reports[0].reason, "");
        } else {
            EXPECT_EQ(reports[0].reason, "no answer");
        }
    }
}

TEST(DeviceSearch, SaysWhyEachCandidateIsNoProcessor) {
    // A regular file: never written to.
    const std::string file = testing::TempDir() + "not-a-port-" + std::to_string(getpid());
    {
        std::FILE* p = std::fopen(file.c_str(), "w");
        std::fputs("keep", p);
        std::fclose(p);
    }
    // A port another program holds, the way the manager holds its own.
    testutil::PtyPair held;
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    const pid_t holder = fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        const int fd = ::open(held.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd >= 0) {
            ::ioctl(fd, TIOCEXCL);
            ::flock(fd, LOCK_EX | LOCK_NB);
        }
        const char c = fd >= 0 ? 'y' : 'n';
        (void)!::write(pipeFds[1], &c, 1);
        ::pause();
        _exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(pipeFds[0], &c, 1), 1);
    ASSERT_EQ(c, 'y');

    struct Case {
        std::string path;
        std::string reason;
    };
    const Case cases[] = {
        {"/dev/null", "not a serial port"},
        {"/dev/zero", "not a serial port"},
        {file, "not a serial port"},
        {file + ".missing", "not present"},
        {held.SlavePath(), "in use by another program (pid " + std::to_string(holder) + ")"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.path);
        bool bFound = true;
        int nAddress = -1;
        const auto reports = SearchOne(k.path, &bFound, &nAddress);
        EXPECT_FALSE(bFound);
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0].reason, k.reason);
    }
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    close(pipeFds[0]);
    close(pipeFds[1]);
    std::ifstream in(file);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "keep");
    std::remove(file.c_str());
}
