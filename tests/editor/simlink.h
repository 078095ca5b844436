// The simulated processor reached inside the process: each request written goes to the device model
// at once and its answer comes back through the receive callback before Write returns, on the
// writer's thread. Time is a virtual clock, so a wait for an answer that never comes costs nothing.
#pragma once

#include <cerrno>
#include <memory>
#include <string>
#include <vector>

#include "comm/linkenv.h"
#include "sim/simprocessor.h"

class CSimPort : public IPort {
public:
    CSimPort(Sim::CSimProcessor& sim, std::string path) : m_Sim(sim), m_Path(std::move(path)) {}

    void SetReceiver(PFN_RECEIVE pfnReceive, PFN_HANGUP pfnHangup, void* pContext) override {
        m_pfnReceive = pfnReceive;
        m_pfnHangup = pfnHangup;
        m_pContext = pContext;
    }
    int Open(const std::string& devicePath) override {
        if (m_bOpen) return 0;
        if (devicePath != m_Path || m_Sim.IsHungUp()) {
            m_nOpenError = ENOENT;
            return 0;
        }
        m_nOpenError = 0;
        m_bOpen = true;
        m_bHungUp = false;
        return 1;
    }
    int Write(const std::uint8_t* pBytes, std::uint32_t nCount) override {
        if (!m_bOpen || m_bHungUp) return 0;
        bool bHangUp = false;
        const std::vector<std::uint8_t> answer = m_Sim.Exchange(pBytes, nCount, &bHangUp);
        if (!answer.empty() && m_pfnReceive)
            m_pfnReceive(answer.data(), static_cast<int>(answer.size()), m_pContext);
        if (bHangUp) {
            m_bHungUp = true;
            if (m_pfnHangup) m_pfnHangup(m_pContext);
        }
        return static_cast<int>(nCount);
    }
    int Close() override {
        const int bWasOpen = m_bOpen ? 1 : 0;
        m_bOpen = false;
        return bWasOpen;
    }
    int IsOpen() const override { return m_bOpen ? 1 : 0; }
    int IsHungUp() const override { return m_bHungUp ? 1 : 0; }
    int OpenError() const override { return m_nOpenError; }

private:
    Sim::CSimProcessor& m_Sim;
    std::string m_Path;
    PFN_RECEIVE m_pfnReceive = nullptr;
    PFN_HANGUP m_pfnHangup = nullptr;
    void* m_pContext = nullptr;
    bool m_bOpen = false;
    bool m_bHungUp = false;
    int m_nOpenError = 0;
};

// Ports onto one simulated processor at a made-up device path, on the given clock.
class CSimLinkEnv : public ILinkEnv {
public:
    static constexpr const char* PATH = "/dev/mlb8-sim";

    CSimLinkEnv(Sim::CSimProcessor& sim, IClock& clock) : m_Sim(sim), m_Clock(clock) {}

    std::unique_ptr<IPort> NewPort() override { return std::make_unique<CSimPort>(m_Sim, PATH); }
    std::uint32_t NowMs() override { return m_Clock.NowMs(); }
    void Sleep(std::uint32_t nMs) override { m_Clock.Sleep(nMs); }
    int Wait(ZUtils::ZEvent& rEvent, std::uint32_t nMs) override { return m_Clock.Wait(rEvent, nMs); }

private:
    Sim::CSimProcessor& m_Sim;
    IClock& m_Clock;
};
