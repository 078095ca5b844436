#include "serialport.h"

void CSerialPort::SetReceiver(Receiver receive, HangupHandler hangup) {
    m_Receive = std::move(receive);
    m_Hangup = std::move(hangup);
    m_Reader.SetReceiver(nullptr, 0, &CSerialPort::OnChunk, this);
    m_Reader.SetHangupHandler(&CSerialPort::OnHangup);
}

void CSerialPort::OnChunk(const std::uint8_t* pChunk, int nLength, void* pContext) {
    auto* self = static_cast<CSerialPort*>(pContext);
    if (self->m_Receive) self->m_Receive(pChunk, nLength);
}

void CSerialPort::OnHangup(void* pContext) {
    auto* self = static_cast<CSerialPort*>(pContext);
    if (self->m_Hangup) self->m_Hangup();
}

bool CSerialPort::Open(const std::string& devicePath) {
    return m_Reader.Open(devicePath, 115200, 8, ZUtils::NOPARITY, ZUtils::ONESTOPBIT, 4096, 1) != 0;
}

int CSerialPort::Write(const std::uint8_t* pBytes, std::uint32_t nCount) {
    return m_Reader.Write(pBytes, nCount);
}

bool CSerialPort::Close() {
    return m_Reader.Close() != 0;
}

std::unique_ptr<IPort> NewSerialPort() {
    return std::make_unique<CSerialPort>();
}
