// The Win32 serial port behind IPort: "\\.\COMn" opened exclusively for overlapped I/O, with a reader
// thread that sleeps in an overlapped read until characters arrive, the device fails or Close sets
// the stop event and cancels the read.
#include "comm/serialport.h"

#include <windows.h>

#include <atomic>
#include <cerrno>
#include <mutex>
#include <thread>

#include "comm/trace.h"
#include "win32util.h"

namespace {

constexpr DWORD kBaudRate = 115200;
constexpr DWORD kQueueBytes = 4096;
constexpr DWORD kWriteTimeoutMs = 2000; // a port that takes nothing for this long counts as gone

// 115200 8-N-1, no flow control of either kind, DTR and RTS cleared, reads without time-outs and
// writes bounded by kWriteTimeoutMs. The same line the POSIX port sets up.
DWORD ConfigureLine(HANDLE hPort) {
    ::SetupComm(hPort, kQueueBytes, kQueueBytes); // a hint only: drivers may keep their own sizes
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(hPort, &dcb)) return ::GetLastError();
    dcb.BaudRate = kBaudRate;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fTXContinueOnXoff = TRUE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.fAbortOnError = FALSE;
    if (!::SetCommState(hPort, &dcb)) return ::GetLastError();
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = 0; // no read time-outs: a read waits for all it asks
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 0;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = kWriteTimeoutMs;
    if (!::SetCommTimeouts(hPort, &timeouts)) return ::GetLastError();
    ::PurgeComm(hPort, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
    return ERROR_SUCCESS;
}

class CWin32SerialPort : public IPort {
public:
    CWin32SerialPort() = default;
    ~CWin32SerialPort() override { Close(); }
    CWin32SerialPort(const CWin32SerialPort&) = delete;
    CWin32SerialPort& operator=(const CWin32SerialPort&) = delete;

    void SetReceiver(Receiver receive, HangupHandler hangup) override {
        m_Receive = std::move(receive);
        m_Hangup = std::move(hangup);
    }

    bool Open(const std::string& devicePath) override {
        if (IsOpen() || devicePath.empty()) return false;
        m_nOpenError = 0;
        HANDLE hPort = ::CreateFileW(Win32::PortDeviceName(devicePath).c_str(), GENERIC_READ | GENERIC_WRITE,
                                     0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
        if (hPort == INVALID_HANDLE_VALUE) {
            const DWORD nError = ::GetLastError();
            m_nOpenError = Win32::ErrnoFromWin32(nError);
            TRACE("\r\n open %s failed (error %lu)", devicePath.c_str(), static_cast<unsigned long>(nError));
            return false;
        }
        if (const DWORD nError = ConfigureLine(hPort); nError != ERROR_SUCCESS) {
            // A file or a device without a serial line refuses the line settings.
            m_nOpenError = ENOTTY;
            TRACE("\r\n %s is no serial port (error %lu)", devicePath.c_str(),
                  static_cast<unsigned long>(nError));
            ::CloseHandle(hPort);
            return false;
        }
        HANDLE hStop = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        HANDLE hWriteDone = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (!hStop || !hWriteDone) {
            m_nOpenError = Win32::ErrnoFromWin32(::GetLastError());
            if (hStop) ::CloseHandle(hStop);
            if (hWriteDone) ::CloseHandle(hWriteDone);
            ::CloseHandle(hPort);
            return false;
        }
        m_hPort = hPort;
        m_hStop = hStop;
        m_hWriteDone = hWriteDone;
        m_bHungUp.store(false);
        try {
            m_Reader = std::thread(&CWin32SerialPort::ReadLoop, this);
        } catch (const std::system_error&) {
            // A reader that does not run would read nothing: that is a failed open.
            m_nOpenError = EAGAIN;
            CloseHandles();
            return false;
        }
        return true;
    }

    int Write(const std::uint8_t* pBytes, std::uint32_t nCount) override {
        std::lock_guard<std::mutex> guard(m_WriteLock);
        if (!IsOpen() || !pBytes) return 0;
        std::uint32_t nDone = 0;
        while (nDone < nCount) {
            OVERLAPPED ov{};
            ov.hEvent = m_hWriteDone;
            ::ResetEvent(m_hWriteDone);
            DWORD nWritten = 0;
            if (!::WriteFile(m_hPort, pBytes + nDone, nCount - nDone, &nWritten, &ov) &&
                ::GetLastError() != ERROR_IO_PENDING)
                break;
            // Bounded by the write time-out of the port.
            if (!::GetOverlappedResult(m_hPort, &ov, &nWritten, TRUE) || nWritten == 0) break;
            nDone += nWritten;
        }
        return static_cast<int>(nDone);
    }

    bool Close() override {
        if (!IsOpen()) return false;
        ::SetEvent(m_hStop);
        ::CancelIoEx(m_hPort, nullptr);
        if (m_Reader.joinable()) {
            if (m_Reader.get_id() == std::this_thread::get_id())
                m_Reader.detach(); // closed from a callback: the loop ends on its own
            else
                m_Reader.join();
        }
        std::lock_guard<std::mutex> guard(m_WriteLock);
        CloseHandles();
        return true;
    }

    bool IsOpen() const override { return m_hPort != INVALID_HANDLE_VALUE; }
    bool IsHungUp() const override { return m_bHungUp.load(); }
    int OpenError() const override { return m_nOpenError; }

private:
    void CloseHandles() {
        ::CloseHandle(m_hPort);
        ::CloseHandle(m_hStop);
        ::CloseHandle(m_hWriteDone);
        m_hPort = INVALID_HANDLE_VALUE;
        m_hStop = nullptr;
        m_hWriteDone = nullptr;
    }

    bool Stopping() const { return ::WaitForSingleObject(m_hStop, 0) == WAIT_OBJECT_0; }

    void ReportHangup(const char* pszWhy, DWORD nError) {
        W32Trace("!!! serial port hang-up: %s (error %lu)\r\n", pszWhy, static_cast<unsigned long>(nError));
        m_bHungUp.store(true);
        if (m_Hangup) m_Hangup();
    }

    // One overlapped read into pBuffer. ERROR_SUCCESS with the count, or the error of the read; the
    // stop event ends the wait with ERROR_OPERATION_ABORTED.
    DWORD Read(OVERLAPPED& ov, std::uint8_t* pBuffer, DWORD nWant, DWORD* pRead) {
        *pRead = 0;
        ::ResetEvent(ov.hEvent);
        if (!::ReadFile(m_hPort, pBuffer, nWant, nullptr, &ov)) {
            const DWORD nError = ::GetLastError();
            if (nError != ERROR_IO_PENDING) return nError;
            const HANDLE waits[2] = {ov.hEvent, m_hStop};
            if (::WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
                ::CancelIoEx(m_hPort, &ov);
                ::GetOverlappedResult(m_hPort, &ov, pRead, TRUE);
                return ERROR_OPERATION_ABORTED;
            }
        }
        return ::GetOverlappedResult(m_hPort, &ov, pRead, TRUE) ? ERROR_SUCCESS : ::GetLastError();
    }

    // Reads without time-outs: a read of one byte waits (in the system, without polling) until a
    // byte arrives, the device fails or Close cancels it; what else is queued by then is read at
    // once and handed over with it. WaitCommEvent is not used: on a pseudo-terminal under Wine it
    // fails every few milliseconds.
    void ReadLoop() {
        W32Trace("+++ serial port reader\r\n");
        OVERLAPPED ov{};
        ov.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (!ov.hEvent) {
            ReportHangup("no event for the reads", ::GetLastError());
            return;
        }
        std::uint8_t buffer[READ_CHUNK];
        int nFailedReads = 0;
        while (!Stopping()) {
            DWORD nRead = 0;
            DWORD nError = Read(ov, buffer, 1, &nRead);
            if (Stopping()) break;
            DWORD nErrors = 0;
            COMSTAT stat{};
            const bool bLine = ::ClearCommError(m_hPort, &nErrors, &stat) != 0;
            if (nError == ERROR_SUCCESS && nRead == 1 && bLine) {
                nFailedReads = 0;
                DWORD nMore = 0;
                if (stat.cbInQue > 0) {
                    const DWORD nWant = stat.cbInQue < READ_CHUNK - 1 ? stat.cbInQue : READ_CHUNK - 1;
                    nError = Read(ov, buffer + 1, nWant, &nMore); // queued already: returns at once
                    if (Stopping()) break;
                }
                if (m_Receive) m_Receive(buffer, static_cast<int>(1 + nMore));
                if (nError == ERROR_SUCCESS) continue;
            } else if (nError == ERROR_SUCCESS && nRead == 1) {
                if (m_Receive) m_Receive(buffer, 1);
            }
            if (nError == ERROR_SUCCESS && bLine) {
                // An empty read without time-outs: not expected from a working line. Taken as a
                // removal once it repeats, rather than spinning.
                if (++nFailedReads < kFailedReadsForHangup) continue;
                nError = ERROR_HANDLE_EOF;
            }
            // The device went away (or its driver failed it): reading again would fail at once.
            if (nError == ERROR_SUCCESS) nError = ::GetLastError();
            ReportHangup(Win32::IsRemovalError(nError) ? "device removed" : "read failed", nError);
            break;
        }
        ::CloseHandle(ov.hEvent);
        W32Trace("--- serial port reader\r\n");
    }

    static constexpr int kFailedReadsForHangup = 8;

    HANDLE m_hPort = INVALID_HANDLE_VALUE;
    HANDLE m_hStop = nullptr;
    HANDLE m_hWriteDone = nullptr;
    std::thread m_Reader;
    std::mutex m_WriteLock;
    Receiver m_Receive;
    HangupHandler m_Hangup;
    std::atomic<bool> m_bHungUp{false};
    int m_nOpenError = 0;
};

} // namespace

std::unique_ptr<IPort> NewSerialPort() {
    return std::make_unique<CWin32SerialPort>();
}
