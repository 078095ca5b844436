#include "zcomport.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "comm/trace.h"

namespace ZUtils {

namespace {

constexpr int kWriteTimeoutMs = 2000; // a port that takes nothing for this long counts as gone

speed_t SpeedFor(int nBaud) {
    switch (nBaud) {
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    case 230400:
        return B230400;
    case 460800:
        return B460800;
    case 921600:
        return B921600;
    default:
        return B0;
    }
}

int PollRetry(pollfd* pFds, nfds_t nFds, int nTimeoutMs) {
    for (;;) {
        int n = ::poll(pFds, nFds, nTimeoutMs);
        if (n >= 0 || errno != EINTR) return n;
    }
}

} // namespace

// Events of one poll result. Readable with nothing to read only happens on a line that is gone, so it
// counts as a hang-up like POLLHUP: reporting it as received characters would make the reader spin.
std::uint32_t ZComport::Classify(short nRevents) const {
    const std::uint32_t nMask = m_nMask.load();
    if (nRevents & POLLIN) {
        int nIn = 0;
        if (::ioctl(m_hFile, FIONREAD, &nIn) == 0 && nIn > 0) return (nMask & EV_RXCHAR) ? EV_RXCHAR : 0;
        return EV_HANGUP;
    }
    if (nRevents & (POLLHUP | POLLERR | POLLNVAL)) return EV_HANGUP;
    return 0;
}

ZDevice::~ZDevice() {
    if (m_hFile >= 0) ::close(m_hFile);
}

ZComport::~ZComport() {
    Close();
}

void ZComport::CloseEvents() {
    if (m_hReadEvent >= 0) {
        ::close(m_hReadEvent);
        m_hReadEvent = -1;
    }
}

int ZComport::Open(const std::string& deviceName, std::uint32_t nFlags) {
    if (!(nFlags & FILE_FLAG_OVERLAPPED)) return 0;
    CloseEvents();
    m_pWaitMask = nullptr;
    m_nLastError = 0;
    m_hReadEvent = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_hReadEvent < 0) return 0;
    if (m_hFile < 0) {
        int fd = ::open(deviceName.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        m_nOpenError = fd < 0 ? errno : 0;
        if (fd >= 0 && (!::isatty(fd) || ::ioctl(fd, TIOCEXCL) != 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0)) {
            m_nOpenError = errno ? errno : EBUSY;
            ::close(fd);
            fd = -1;
        }
        m_hFile = fd;
    }
    if (m_hFile < 0) {
        CloseEvents();
        return 0;
    }
    m_nMask.store(0);
    return 1;
}

int ZComport::Close() {
    CloseEvents();
    if (m_hFile < 0) return 0;
    ::ioctl(m_hFile, TIOCNXCL); // leave the device openable for the next program
    ::close(m_hFile);
    m_hFile = -1;
    return 1;
}

int ZComport::SetLineState(int nBaudRate, std::uint8_t nDataBits, std::uint8_t nParity,
                           std::uint8_t nStopBits) {
    if (m_hFile < 0) return 0;
    termios tio{};
    if (::tcgetattr(m_hFile, &tio) != 0) return 0;
    speed_t speed = SpeedFor(nBaudRate);
    if (speed == B0) return 0;
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB);
    switch (nDataBits) {
    case 5:
        tio.c_cflag |= CS5;
        break;
    case 6:
        tio.c_cflag |= CS6;
        break;
    case 7:
        tio.c_cflag |= CS7;
        break;
    case 8:
        tio.c_cflag |= CS8;
        break;
    default:
        return 0;
    }
    if (nParity == ODDPARITY)
        tio.c_cflag |= PARENB | PARODD;
    else if (nParity == EVENPARITY)
        tio.c_cflag |= PARENB;
    else if (nParity != NOPARITY)
        return 0;
    if (nParity != NOPARITY)
        tio.c_iflag |= INPCK;
    else
        tio.c_iflag &= ~static_cast<tcflag_t>(INPCK);
    if (nStopBits == TWOSTOPBITS) tio.c_cflag |= CSTOPB;
    tio.c_cflag |= CLOCAL | CREAD;
    if (::tcsetattr(m_hFile, TCSANOW, &tio) != 0) return 0;
    // Not asserted by the manager. A pseudo-terminal has no modem lines: that is not an error.
    int nLines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(m_hFile, TIOCMBIC, &nLines);
    return 1;
}

int ZComport::SetTimeouts() {
    if (m_hFile < 0) return 0;
    termios tio{};
    if (::tcgetattr(m_hFile, &tio) != 0) return 0;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    return ::tcsetattr(m_hFile, TCSANOW, &tio) == 0 ? 1 : 0;
}

int ZComport::SetMask(std::uint32_t nMask) {
    if (m_hFile < 0) return 0;
    m_nMask.store(nMask);
    if (nMask == 0) WakeReader(1);
    return 1;
}

int ZComport::Purge(std::uint32_t nFlags) {
    if (m_hFile < 0) return 0;
    bool bRx = nFlags & (PURGE_RXCLEAR | PURGE_RXABORT);
    bool bTx = nFlags & (PURGE_TXCLEAR | PURGE_TXABORT);
    if (!bRx && !bTx) return 1;
    return ::tcflush(m_hFile, bRx && bTx ? TCIOFLUSH : (bRx ? TCIFLUSH : TCOFLUSH)) == 0 ? 1 : 0;
}

int ZComport::WaitEvent(std::uint32_t* pMask) {
    if (m_hFile < 0 || !pMask) return 0;
    *pMask = 0;
    WakeReader(0); // a new wait starts with its event reset
    const std::uint32_t nMask = m_nMask.load();
    if (nMask == 0) return 1;
    pollfd fd{m_hFile, POLLIN, 0};
    if (PollRetry(&fd, 1, 0) > 0) {
        if (std::uint32_t nEvents = Classify(fd.revents)) {
            *pMask = nEvents;
            return 1;
        }
    }
    m_pWaitMask = pMask;
    m_nLastError = ERROR_IO_PENDING;
    return 0;
}

int ZComport::WaitPending() {
    if (m_hReadEvent < 0 || m_nLastError != ERROR_IO_PENDING) return 0;
    m_nLastError = 0;
    pollfd fds[2] = {{m_hFile, POLLIN, 0}, {m_hReadEvent, POLLIN, 0}};
    if (PollRetry(fds, 2, -1) < 0) return 0;
    std::uint32_t* pMask = m_pWaitMask;
    m_pWaitMask = nullptr;
    if (!pMask || (fds[1].revents & POLLIN) || m_nMask.load() == 0)
        return 0; // woken on demand: the wait ends with no events
    *pMask = Classify(fds[0].revents);
    return 0;
}

int ZComport::Read(void* pBuffer, std::uint32_t nCount) {
    if (m_hFile < 0 || !pBuffer || nCount == 0) return 0;
    ssize_t n;
    do {
        n = ::read(m_hFile, pBuffer, nCount);
    } while (n < 0 && errno == EINTR);
    return n > 0 ? static_cast<int>(n) : 0;
}

int ZComport::Write(const void* pBuffer, std::uint32_t nCount) {
    if (m_hFile < 0 || !pBuffer) return 0;
    const auto* p = static_cast<const std::uint8_t*>(pBuffer);
    std::uint32_t nDone = 0;
    const std::uint32_t nStart = GetTickCount();
    while (nDone < nCount) {
        ssize_t n = ::write(m_hFile, p + nDone, nCount - nDone);
        if (n > 0) {
            nDone += static_cast<std::uint32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) break;
        int nLeft = kWriteTimeoutMs - static_cast<int>(GetTickCount() - nStart);
        if (nLeft <= 0) break;
        pollfd fd{m_hFile, POLLOUT, 0};
        if (PollRetry(&fd, 1, nLeft) <= 0 || (fd.revents & (POLLHUP | POLLERR | POLLNVAL))) break;
    }
    return static_cast<int>(nDone);
}

int ZComport::GetQueueSizes(std::uint32_t* pInQueue, std::uint32_t* pOutQueue) {
    if (m_hFile < 0) return 0;
    int nIn = 0, nOut = 0;
    if (::ioctl(m_hFile, FIONREAD, &nIn) != 0 || ::ioctl(m_hFile, TIOCOUTQ, &nOut) != 0) return 0;
    if (pInQueue) *pInQueue = static_cast<std::uint32_t>(nIn < 0 ? 0 : nIn);
    if (pOutQueue) *pOutQueue = static_cast<std::uint32_t>(nOut < 0 ? 0 : nOut);
    return 1;
}

int ZComport::WakeReader(int bSet) {
    if (m_hReadEvent < 0) return 0;
    if (bSet) {
        std::uint64_t one = 1;
        return ::write(m_hReadEvent, &one, sizeof one) == sizeof one ? 1 : 0;
    }
    std::uint64_t value;
    while (::read(m_hReadEvent, &value, sizeof value) == sizeof value) {
    }
    return 1;
}

} // namespace ZUtils
