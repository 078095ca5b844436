// The serial port behind the protocol: the device opened exclusively at 115200 8-N-1, with a reader
// thread that hands each received chunk and the hang-up to the callbacks.
#pragma once

#include "port.h"
#include "portreader.h"

class CSerialPort : public IPort {
public:
    void SetReceiver(PFN_RECEIVE pfnReceive, PFN_HANGUP pfnHangup, void* pContext) override;
    int Open(const std::string& devicePath) override;
    int Write(const std::uint8_t* pBytes, std::uint32_t nCount) override;
    int Close() override;
    int IsOpen() const override { return m_Reader.IsOpen(); }
    int IsHungUp() const override { return m_Reader.IsHungUp(); }
    int OpenError() const override { return m_Reader.OpenError(); }

private:
    W32SimplePortReader m_Reader;
};
