#include "linkenv.h"

#include <chrono>
#include <thread>

#include "serialport.h"
#include "trace.h"

std::uint32_t CSteadyClock::NowMs() {
    return ZUtils::GetTickCount();
}

void CSteadyClock::Sleep(std::uint32_t nMs) {
    std::this_thread::sleep_for(std::chrono::milliseconds(nMs));
}

int CSteadyClock::Wait(ZUtils::ZEvent& rEvent, std::uint32_t nMs) {
    return rEvent.Wait(nMs);
}

namespace {

class CDefaultLinkEnv : public ILinkEnv {
public:
    std::unique_ptr<IPort> NewPort() override { return NewSerialPort(); }
    std::uint32_t NowMs() override { return m_Clock.NowMs(); }
    void Sleep(std::uint32_t nMs) override { m_Clock.Sleep(nMs); }
    int Wait(ZUtils::ZEvent& rEvent, std::uint32_t nMs) override { return m_Clock.Wait(rEvent, nMs); }

private:
    CSteadyClock m_Clock;
};

} // namespace

ILinkEnv& DefaultLinkEnv() {
    static CDefaultLinkEnv env;
    return env;
}
