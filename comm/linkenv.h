// The one seam between the protocol and the world: the ports it opens and the time it waits on.
// Production uses serial ports and the steady clock (DefaultLinkEnv); a test replaces either part
// by deriving from CLinkEnvWrapper and overriding only what it fakes.
#pragma once

#include <memory>

#include "clock.h"
#include "port.h"

class ILinkEnv : public IClock {
public:
    // A closed port; the caller owns it.
    virtual std::unique_ptr<IPort> NewPort() = 0;
};

// Serial ports of this system (NewSerialPort) and the steady clock. Lives as long as the program.
ILinkEnv& DefaultLinkEnv();

// Forwards everything to another environment.
class CLinkEnvWrapper : public ILinkEnv {
public:
    explicit CLinkEnvWrapper(ILinkEnv& target) : m_Target(target) {}

    std::unique_ptr<IPort> NewPort() override { return m_Target.NewPort(); }
    std::uint32_t NowMs() override { return m_Target.NowMs(); }
    void Sleep(std::uint32_t nMs) override { m_Target.Sleep(nMs); }
    int Wait(ZUtils::ZEvent& rEvent, std::uint32_t nMs) override { return m_Target.Wait(rEvent, nMs); }
    ILinkEnv& Target() const { return m_Target; }

private:
    ILinkEnv& m_Target;
};
