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

    void SetReceiver(Receiver receive, HangupHandler hangup) override {
        m_Receive = std::move(receive);
        m_Hangup = std::move(hangup);
    }
    bool Open(const std::string& devicePath) override {
        if (m_bOpen) return false;
        if (devicePath != m_Path || m_Sim.IsHungUp()) {
            m_nOpenError = ENOENT;
            return false;
        }
        m_nOpenError = 0;
        m_bOpen = true;
        m_bHungUp = false;
        return true;
    }
    int Write(const std::uint8_t* pBytes, std::uint32_t nCount) override {
        if (!m_bOpen || m_bHungUp) return 0;
        bool bHangUp = false;
        const std::vector<std::uint8_t> answer = m_Sim.Exchange(pBytes, nCount, &bHangUp);
        if (!answer.empty() && m_Receive) m_Receive(answer.data(), static_cast<int>(answer.size()));
        if (bHangUp) {
            m_bHungUp = true;
            if (m_Hangup) m_Hangup();
        }
        return static_cast<int>(nCount);
    }
    bool Close() override {
        const bool bWasOpen = m_bOpen;
        m_bOpen = false;
        return bWasOpen;
    }
    bool IsOpen() const override { return m_bOpen; }
    bool IsHungUp() const override { return m_bHungUp; }
    int OpenError() const override { return m_nOpenError; }

private:
    Sim::CSimProcessor& m_Sim;
    std::string m_Path;
    Receiver m_Receive;
    HangupHandler m_Hangup;
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
