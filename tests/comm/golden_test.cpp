// Every command's frame, byte for byte, as written through the link's port: one line per command.
// The port records what is written and never answers; the clock is virtual, so each unanswered
// request costs no time (its retries repeat the same bytes).
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "comm/comnames.h"
#include "comm/linkenv.h"
#include "comm/protocol.h"
#include "tests/common/filterrecord.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class CRecordingPort : public IPort {
public:
    explicit CRecordingPort(std::vector<Bytes>& writes) : m_Writes(writes) {}
    void SetReceiver(Receiver, HangupHandler) override {}
    bool Open(const std::string&) override { return m_bOpen = true; }
    int Write(const std::uint8_t* pBytes, std::uint32_t nCount) override {
        m_Writes.emplace_back(pBytes, pBytes + nCount);
        return static_cast<int>(nCount);
    }
    bool Close() override { return !(m_bOpen = false); }
    bool IsOpen() const override { return m_bOpen; }
    bool IsHungUp() const override { return false; }
    int OpenError() const override { return 0; }

private:
    std::vector<Bytes>& m_Writes;
    bool m_bOpen = false;
};

// The default environment with the port and the clock replaced.
class CRecordingEnv : public CLinkEnvWrapper {
public:
    CRecordingEnv() : CLinkEnvWrapper(DefaultLinkEnv()) {}
    std::unique_ptr<IPort> NewPort() override { return std::make_unique<CRecordingPort>(writes); }
    std::uint32_t NowMs() override { return m_nNow; }
    void Sleep(std::uint32_t nMs) override { m_nNow += nMs; }
    int Wait(ZUtils::ZEvent&, std::uint32_t nMs) override {
        m_nNow += nMs;
        return ZUtils::WAIT_TIMEOUT;
    }

    std::vector<Bytes> writes;

private:
    std::uint32_t m_nNow = 0;
};

std::string Hex(const Bytes& bytes) {
    std::string s;
    char sz[4];
    for (std::uint8_t b : bytes) {
        std::snprintf(sz, sizeof sz, "%02X ", b);
        s += sz;
    }
    if (!s.empty()) s.pop_back();
    return s;
}

struct SGolden {
    const char* pszCommand;
    std::function<int(CProtocol&)> send;
    const char* pszFrame;
};

} // namespace

TEST(GoldenFrames, EveryCommandWritesItsFrameByteForByte) {
    const SFilterCoef coef = FilterRecord::Coef(3, 12, 1.5f, 1000);
    const std::uint8_t map[24] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12,
                                  13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24};
    const int levels[6] = {1, 2, 3, 4, 5, 6};
    const int volumes[9] = {10, 20, 30, 40, 50, 60, 70, 80, 90};
    const std::uint16_t delays[8] = {0, 1, 255, 256, 1000, 4095, 7, 8};
    const int outputs[5] = {0, 1, 2, 3, 4};
    const std::vector<SGolden> cases = {
        {"set system", [](CProtocol& p) { return p.SendSetSystem(1, 0x1234, 5, 6, 0); },
         "01 00 01 00 00 00 04 34 12 05 06 B2 83"},
        {"set map, one channel", [&](CProtocol& p) { return p.SendSetChannelMap(1, 2, map, 3, 0); },
         "01 01 01 00 02 00 03 01 02 03 CF DF"},
        {"set map, all", [&](CProtocol& p) { return p.SendSetChannelMap(1, 9, map, 24, 1); },
         "01 01 01 00 09 00 19 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13 14 15 16 17 18 01 D9 "
         "0B"},
        {"set mute", [](CProtocol& p) { return p.SendSetMute(1, 0xA5); }, "01 02 01 00 00 00 01 A5 2E 5B"},
        {"set level", [&](CProtocol& p) { return p.SendSetLevel(1, 9, levels, 0); },
         "01 03 01 00 09 00 06 0C 0B 0A 09 08 07 C2 7C"},
        {"set channel volume", [&](CProtocol& p) { return p.SendSetChannelVolume(1, 3, 1, volumes); },
         "01 04 01 00 03 00 02 01 0A FB 40"},
        {"set main volume", [](CProtocol& p) { return p.SendSetMainVolume(1, 77); },
         "01 04 01 00 08 00 02 00 4D 74 28"},
        {"set delay", [&](CProtocol& p) { return p.SendSetDelay(1, 9, delays); },
         "01 05 01 00 09 00 10 00 00 01 00 FF 00 00 01 E8 03 FF 0F 07 00 08 00 63 0C"},
        {"set input", [](CProtocol& p) { return p.SendSetInput(1, 2, 1); },
         "01 06 01 00 00 00 02 02 01 E3 C2"},
        {"set eq filter", [&](CProtocol& p) { return p.SendSetFilterCoef(1, 4, 1, 7, &coef); },
         "01 07 01 00 04 07 09 01 03 0C 00 00 C0 3F E8 03 A9 FB"},
        {"update bracket", [](CProtocol& p) { return p.SendSetUpdate(0, 0x55); },
         "01 08 01 00 00 00 02 00 55 FF D5"},
        {"set preset", [](CProtocol& p) { return p.SendSetPreset(3, 2); }, "01 09 03 00 00 00 01 02 4F F4"},
        {"set high/low", [](CProtocol& p) { return p.SendSetHighLow(2, 1); },
         "01 0A 02 00 00 00 01 01 91 6A"},
        {"set xover filter", [&](CProtocol& p) { return p.SendSetXoverFilter(1, 5, 0, &coef, 1); },
         "01 0B 01 00 05 01 09 00 03 0C 00 00 C0 3F E8 03 BD BF"},
        {"set phase", [](CProtocol& p) { return p.SendSetPhase(1, 6, 1, 1); },
         "01 0C 01 00 06 00 02 01 01 C0 F5"},
        {"set eq flag", [](CProtocol& p) { return p.SendSetEqFlag(1, 7, 0, 1); },
         "01 0D 01 00 07 00 02 00 01 E3 66"},
        {"set xover flag", [](CProtocol& p) { return p.SendSetXoverFlag(1, 0, 1, 0); },
         "01 0E 01 00 00 00 02 01 00 BE D4"},
        {"set veq flag", [](CProtocol& p) { return p.SendSetVeqFlag(1, 1, 0, 1); },
         "01 0F 01 00 01 00 02 00 01 14 56"},
        {"set veq filter", [&](CProtocol& p) { return p.SendSetVeqFilter(1, 2, 1, &coef); },
         "01 10 01 00 02 00 09 01 03 0C 00 00 C0 3F E8 03 A1 0E"},
        {"set veq voltage", [](CProtocol& p) { return p.SendSetVeqVoltage(1, 3); },
         "01 12 01 00 00 00 01 03 DB 2E"},
        {"set output", [&](CProtocol& p) { return p.SendSetOutput(1, outputs); },
         "01 14 01 00 00 00 05 00 01 02 03 04 15 16"},
        {"presence probe", [](CProtocol& p) { return p.SendSystemPeekReq(4); }, "04 00 80 00 00 00 00 01 8B"},
        {"get map", [](CProtocol& p) { return p.SendGetChannelMap(9); }, "01 01 80 00 09 00 00 97 E3"},
        {"get mute", [](CProtocol& p) { return p.SendGetMute(); }, "01 02 80 00 00 00 00 F4 73"},
        {"get level", [](CProtocol& p) { return p.SendGetLevel(9, 1); }, "01 03 80 00 09 01 00 19 F2"},
        {"get channel volume", [](CProtocol& p) { return p.SendGetChannelVolume(9); },
         "01 04 80 00 09 00 00 10 F7"},
        {"get main volume", [](CProtocol& p) { return p.SendGetMainVolume(); }, "01 04 80 00 08 00 00 CC AD"},
        {"get delay", [](CProtocol& p) { return p.SendGetDelay(9); }, "01 05 80 00 09 00 00 3B F3"},
        {"get input", [](CProtocol& p) { return p.SendGetInput(); }, "01 06 80 00 00 00 00 58 63"},
        {"get eq filter", [](CProtocol& p) { return p.SendGetFilterCoef(3, 9); },
         "01 07 80 00 03 09 00 0F 5F"},
        {"get preset", [](CProtocol& p) { return p.SendGetPreset(); }, "01 09 80 00 00 00 00 D1 5E"},
        {"get high/low", [](CProtocol& p) { return p.SendGetHighLow(); }, "01 0A 80 00 00 00 00 AC 52"},
        {"get xover filter", [](CProtocol& p) { return p.SendGetXFilterCoef(7, 1); },
         "01 0B 80 00 07 01 00 5A C3"},
        {"get phase", [](CProtocol& p) { return p.SendGetPhase(2); }, "01 0C 80 00 02 00 00 EE FF"},
        {"get eq flag", [](CProtocol& p) { return p.SendGetEqFlag(3); }, "01 0D 80 00 03 00 00 19 A1"},
        {"get xover flag", [](CProtocol& p) { return p.SendGetXoverFlag(4); }, "01 0E 80 00 04 00 00 61 21"},
        {"get veq flag", [](CProtocol& p) { return p.SendGetVeqFlag(5); }, "01 0F 80 00 05 00 00 96 7F"},
        {"get veq filter", [](CProtocol& p) { return p.SendGetVeqFilterCoef(6); },
         "01 10 80 00 06 00 00 CB EF"},
        {"get veq voltage", [](CProtocol& p) { return p.SendGetVeqVoltage(0); },
         "01 12 80 00 00 00 00 44 31"},
        {"get veq led", [](CProtocol& p) { return p.SendGetVeqLed(1); }, "01 13 80 00 01 00 00 B3 6F"},
        {"get veq led peek", [](CProtocol& p) { return p.SendGetVeqLedPeek(2); },
         "01 13 80 00 02 00 00 D7 80"},
        {"get output", [](CProtocol& p) { return p.SendGetOutput(); }, "01 14 80 00 00 00 00 BE 29"},
    };
    ZUtils::ClearExtraPorts();
    const int nPort = ZUtils::RegisterExtraPort("golden");
    for (const SGolden& c : cases) {
        SCOPED_TRACE(c.pszCommand);
        CRecordingEnv env;
        CProtocol link(env);
        ASSERT_EQ(link.Open(nPort), 1);
        link.m_nSlaveAddr = 1;
        EXPECT_EQ(c.send(link), 0); // nothing answers
        ASSERT_FALSE(env.writes.empty());
        EXPECT_EQ(Hex(env.writes.front()), c.pszFrame);
        for (const Bytes& again : env.writes)
            EXPECT_EQ(again, env.writes.front()); // a retry repeats the frame
    }
    ZUtils::ClearExtraPorts();
}
