#include "serialport.h"

#include <chrono>
#include <thread>

#include "linkenv.h"
#include "trace.h"

void CSerialPort::SetReceiver(PFN_RECEIVE pfnReceive, PFN_HANGUP pfnHangup, void* pContext) {
    m_Reader.SetReceiver(nullptr, 0, pfnReceive, pContext);
    m_Reader.SetHangupHandler(pfnHangup);
}

int CSerialPort::Open(const std::string& devicePath) {
    return m_Reader.Open(devicePath, 115200, 8, ZUtils::NOPARITY, ZUtils::ONESTOPBIT, 4096, 1);
}

int CSerialPort::Write(const std::uint8_t* pBytes, std::uint32_t nCount) {
    return m_Reader.Write(pBytes, nCount);
}

int CSerialPort::Close() {
    return m_Reader.Close();
}

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
    std::unique_ptr<IPort> NewPort() override { return std::make_unique<CSerialPort>(); }
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
