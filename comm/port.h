// The byte link the protocol runs over: opened on a device path, written from the caller's thread,
// with what arrives and the device going away handed to two callbacks. The serial port calls them on
// its reader thread; a port inside the process may call them from within Write, on the caller's
// thread, before Write returns.
#pragma once

#include <cstdint>
#include <string>

class IPort {
public:
    using PFN_RECEIVE = void (*)(const std::uint8_t* pChunk, int nLength, void* pContext);
    using PFN_HANGUP = void (*)(void* pContext);

    virtual ~IPort() = default;

    // The callbacks of the next Open; the hang-up comes at most once per open.
    virtual void SetReceiver(PFN_RECEIVE pfnReceive, PFN_HANGUP pfnHangup, void* pContext) = 0;
    // 1 when the device is open; a second Open needs a Close first.
    virtual int Open(const std::string& devicePath) = 0;
    // Bytes written (everything, or less on an error).
    virtual int Write(const std::uint8_t* pBytes, std::uint32_t nCount) = 0;
    // No callback runs once Close has returned.
    virtual int Close() = 0;
    virtual int IsOpen() const = 0;
    // 1 after the device went away, until the next Open.
    virtual int IsHungUp() const = 0;
    // errno of the last failed Open (EACCES: the user may not open the device), else 0.
    virtual int OpenError() const = 0;
};
