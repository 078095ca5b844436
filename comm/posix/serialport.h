// The POSIX serial port behind IPort: a termios device opened exclusively, read by
// W32SimplePortReader's thread.
#pragma once

#include "comm/port.h"
#include "portreader.h"

class CSerialPort : public IPort {
public:
    void SetReceiver(Receiver receive, HangupHandler hangup) override;
    bool Open(const std::string& devicePath) override;
    int Write(const std::uint8_t* pBytes, std::uint32_t nCount) override;
    bool Close() override;
    bool IsOpen() const override { return m_Reader.IsOpen() != 0; }
    bool IsHungUp() const override { return m_Reader.IsHungUp() != 0; }
    int OpenError() const override { return m_Reader.OpenError(); }

private:
    static void OnChunk(const std::uint8_t* pChunk, int nLength, void* pContext);
    static void OnHangup(void* pContext);

    Receiver m_Receive;
    HangupHandler m_Hangup;
    W32SimplePortReader m_Reader;
};
