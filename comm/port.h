// The byte link the protocol runs over: opened on a device path, written from the caller's thread,
// with what arrives and the device going away handed to two callbacks. The serial port calls them on
// its reader thread; a port inside the process may call them from within Write, on the caller's
// thread, before Write returns.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

class IPort {
public:
    static constexpr int READ_CHUNK = 1024; // largest chunk a serial port hands to the receiver

    using Receiver = std::function<void(const std::uint8_t* pChunk, int nLength)>;
    using HangupHandler = std::function<void()>;

    virtual ~IPort() = default;

    // The callbacks of the next Open; the hang-up comes at most once per open.
    virtual void SetReceiver(Receiver receive, HangupHandler hangup) = 0;
    // True when the device is open; a second Open needs a Close first.
    virtual bool Open(const std::string& devicePath) = 0;
    // Bytes written (everything, or less on an error).
    virtual int Write(const std::uint8_t* pBytes, std::uint32_t nCount) = 0;
    // No callback runs once Close has returned. False when the port was not open.
    virtual bool Close() = 0;
    virtual bool IsOpen() const = 0;
    // True after the device went away, until the next Open.
    virtual bool IsHungUp() const = 0;
    // errno of the last failed Open (EACCES: the user may not open the device; EBUSY: another
    // program holds it; ENOENT: no such port), else 0. Ports of every system report these codes.
    virtual int OpenError() const = 0;
};
