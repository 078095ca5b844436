// The editor core on the scripted host with a simulated processor, for every editor suite. The
// processor is reached in-process on the host's virtual clock (ELink::InProcess), or through its
// pseudo-terminal with the real reader thread and real time (ELink::Pty: the integration path).
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "comm/comnames.h"
#include "fakehost.h"
#include "sim/simprocessor.h"
#include "simlink.h"

enum class ELink { InProcess, Pty };

class CEditorFixture : public testing::Test {
protected:
    explicit CEditorFixture(ELink eLink = ELink::InProcess) : m_eLink(eLink) {}

    void SetUp() override {
        ZUtils::ClearExtraPorts();
        m_Host.Attach(&m_Core);
    }
    void TearDown() override {
        m_Core.Protocol().Close();
        m_Core.SearchProtocol().Close();
        m_Sim.Stop();
        ZUtils::ClearExtraPorts();
    }

    // Plugs the processor in: its port is the only one the search finds. Returns its COM number.
    int PlugIn() {
        if (m_eLink == ELink::InProcess) return m_nPort = ZUtils::RegisterExtraPort(CSimLinkEnv::PATH);
        EXPECT_TRUE(m_Sim.Start());
        return m_nPort = ZUtils::RegisterExtraPort(m_Sim.PortPath());
    }
    // The working link opened straight onto the processor at address 0, without a search (for the
    // tests of what is sent).
    void OpenLink() {
        const int nPort = PlugIn();
        m_Core.Model().m_Search.m_bSlaveFound[0] = 1;
        m_Core.Protocol().m_hWnd = &m_Host;
        ASSERT_EQ(m_Core.Protocol().Open(nPort), 1);
    }
    // Start-up through to a loaded model: the search, the connection and the load. The answer is in
    // when the probes end: the connection follows without waiting for the search timer.
    void Connect() {
        PlugIn();
        m_Core.Start();
        ASSERT_TRUE(m_Host.TimerSet(TIMER_DEVICE_SEARCH));
        m_Host.Pump();
        ASSERT_TRUE(m_Core.Protocol().IsOpen());
    }

    // (ID, mode, channel, sub-index) of every frame the processor received.
    std::vector<std::array<int, 4>> Requests() const {
        std::vector<std::array<int, 4>> out;
        for (const std::vector<std::uint8_t>& f : m_Sim.ReceivedFrames())
            out.push_back({f[1] & 0x1F, f[2], f[4], f[5]});
        return out;
    }
    // The command IDs of the frames the processor received.
    std::vector<int> SentIds() const {
        std::vector<int> ids;
        for (const std::vector<std::uint8_t>& f : m_Sim.ReceivedFrames())
            ids.push_back(f[1] & 0x1F);
        return ids;
    }

    const ELink m_eLink;
    Sim::CSimProcessor m_Sim;
    CFakeHost m_Host;
    CSimLinkEnv m_SimEnv{m_Sim, m_Host.Clock()};
    CEditorCore m_Core{UseLink(m_Host)};
    int m_nPort = 0;

private:
    // Before the core is made: its links ask the host for their ports and clock once.
    CFakeHost& UseLink(CFakeHost& host) {
        if (m_eLink == ELink::InProcess) {
            host.pLinkEnv = &m_SimEnv;
            host.nDefaultQuietMs = 0;
        }
        return host;
    }
};
