// One serial port, opened exclusively, with a wait for received characters that can be ended at once
// from another thread. POSIX termios underneath; the interface keeps the Win32 shape the rest of the
// link is written against (overlapped flag, event masks, purge flags, the pending-wait pair).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace ZUtils {

constexpr std::uint32_t FILE_FLAG_OVERLAPPED = 0x40000000;

constexpr std::uint32_t EV_RXCHAR = 0x0001; // a character was received
constexpr std::uint32_t EV_HANGUP = 0x8000; // the device went away (hang-up or error on the line)

constexpr std::uint32_t PURGE_TXABORT = 0x0001;
constexpr std::uint32_t PURGE_RXABORT = 0x0002;
constexpr std::uint32_t PURGE_TXCLEAR = 0x0004;
constexpr std::uint32_t PURGE_RXCLEAR = 0x0008;

constexpr int ERROR_IO_PENDING = 997;

constexpr std::uint8_t NOPARITY = 0, ODDPARITY = 1, EVENPARITY = 2;
constexpr std::uint8_t ONESTOPBIT = 0, TWOSTOPBITS = 2;

class ZDevice {
public:
    ZDevice() = default;
    virtual ~ZDevice();
    ZDevice(const ZDevice&) = delete;
    ZDevice& operator=(const ZDevice&) = delete;

protected:
    int m_hFile = -1; // the open device; -1 when closed
};

class ZComport : public ZDevice {
public:
    ZComport() = default;
    ~ZComport() override;

    // Opens the device exclusively (TIOCEXCL and an flock, which also holds against root). Only the
    // overlapped flavour exists: without FILE_FLAG_OVERLAPPED the call fails and touches nothing.
    int Open(const std::string& deviceName, std::uint32_t nFlags);
    int IsOpen() const { return m_hFile >= 0 ? 1 : 0; }
    int Close();

    // Raw line at the given speed. DTR and RTS are cleared where the driver supports it.
    int SetLineState(int nBaudRate, std::uint8_t nDataBits, std::uint8_t nParity, std::uint8_t nStopBits);
    // Reads return at once with whatever is buffered.
    int SetTimeouts();
    // Events WaitEvent reports; 0 also ends a pending wait.
    int SetMask(std::uint32_t nMask);
    int Purge(std::uint32_t nFlags);

    // Starts a wait for the events of the mask. 1: completed at once, *pMask holds the events.
    // 0 with LastError() == ERROR_IO_PENDING: the wait runs; WaitPending completes it into *pMask.
    int WaitEvent(std::uint32_t* pMask);
    // Blocks until the pending wait completes or WakeReader(1) / SetMask(0) ends it. Returns 0.
    int WaitPending();
    int LastError() const { return m_nLastError; }
    // errno of the last failed Open of the device (EACCES: no permission, EBUSY: held), else 0.
    int OpenError() const { return m_nOpenError; }

    // Bytes read (0 when nothing is queued or on an error); never blocks.
    int Read(void* pBuffer, std::uint32_t nCount);
    // Writes everything, waiting for room as needed (bounded); returns the bytes written.
    int Write(const void* pBuffer, std::uint32_t nCount);
    int GetQueueSizes(std::uint32_t* pInQueue, std::uint32_t* pOutQueue);
    // Sets (non-zero) or resets (0) the read event that releases WaitPending.
    int WakeReader(int bSet);

private:
    int m_hReadEvent = -1; // eventfd; exists only while the port is open
    std::atomic<std::uint32_t> m_nMask{0};
    std::uint32_t* m_pWaitMask = nullptr;
    int m_nLastError = 0;
    int m_nOpenError = 0;

    void CloseEvents();
    std::uint32_t Classify(short nRevents) const;
};

} // namespace ZUtils
