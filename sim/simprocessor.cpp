#include "simprocessor.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace Sim {

namespace {

constexpr std::size_t kReadChunk = 1024;
constexpr int kExclusiveCheckMs = 250; // how often a lingering exclusive mode is looked at
constexpr int kQuietLineMs = 100;      // no byte for this long: a started frame will not be completed
constexpr int kSplitPauseMs = 5;       // pause between the pieces of a split reply
constexpr int kWriteStallMs = 1000;    // a reply nobody reads for this long is given up

std::string ErrnoText(const char* pszWhat) {
    return std::string(pszWhat) + ": " + std::strerror(errno);
}

void SetError(std::string* pError, const std::string& text) {
    if (pError) *pError = text;
}

bool MakeRaw(int fd, std::string* pError) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) {
        SetError(pError, ErrnoText("tcgetattr"));
        return false;
    }
    cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CSIZE);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, B115200);
    cfsetospeed(&tio, B115200);
    if (tcsetattr(fd, TCSANOW, &tio) != 0) {
        SetError(pError, ErrnoText("tcsetattr"));
        return false;
    }
    return true;
}

void CloseFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

} // namespace

CSimProcessor::CSimProcessor() : m_Rng(m_Faults.nSeed) {}

CSimProcessor::~CSimProcessor() {
    Stop();
    std::lock_guard<std::mutex> lock(m_LogMutex);
    if (m_pLog) std::fclose(m_pLog);
    m_pLog = nullptr;
}

bool CSimProcessor::Start(std::string* pError) {
    std::lock_guard<std::mutex> life(m_LifeMutex);
    return StartLocked(pError);
}

bool CSimProcessor::StartLocked(std::string* pError) {
    if (m_Thread.joinable()) {
        if (!m_bHungUp) return true;
        StopLocked(); // plugged in again after a hang-up: a new port
    }
    int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) {
        SetError(pError, ErrnoText("posix_openpt"));
        return false;
    }
    char szName[128] = {};
    if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, szName, sizeof szName) != 0) {
        SetError(pError, ErrnoText("pseudo-terminal set-up"));
        ::close(master);
        return false;
    }
    int holder = ::open(szName, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (holder < 0) {
        SetError(pError, ErrnoText(szName));
        ::close(master);
        return false;
    }
    int wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (!MakeRaw(holder, pError) || wake < 0 ||
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK) != 0) {
        if (wake < 0) SetError(pError, ErrnoText("eventfd"));
        CloseFd(wake);
        ::close(holder);
        ::close(master);
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(m_IoMutex);
        m_nMasterFd = master;
        m_nHolderFd = holder;
        m_nWakeFd = wake;
    }
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_szPortPath = szName;
        m_nFrames = 0;
    }
    m_Parser.Reset();
    m_bStopRequest = false;
    m_bHangUpRequest = false;
    m_bHungUp = false;
    m_bHangUpDone = false;
    m_bThreadRunning = true;
    Log(std::string("port ") + szName);
    m_Thread = std::thread(&CSimProcessor::Run, this);
    return true;
}

void CSimProcessor::Stop() {
    std::lock_guard<std::mutex> life(m_LifeMutex);
    StopLocked();
}

void CSimProcessor::Wake() {
    std::lock_guard<std::mutex> lock(m_IoMutex);
    const std::uint64_t one = 1;
    if (m_nWakeFd >= 0 && ::write(m_nWakeFd, &one, sizeof one) < 0) {
        // an eventfd far from its limit cannot refuse
    }
}

void CSimProcessor::StopLocked() {
    if (m_Thread.joinable()) {
        m_bStopRequest = true;
        Wake();
        m_Thread.join();
    }
    CloseFds();
    {
        std::lock_guard<std::mutex> lock(m_IoMutex);
        CloseFd(m_nWakeFd);
    }
    RemoveLink();
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_szPortPath.clear();
}

std::string CSimProcessor::PortPath() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_szPortPath;
}

bool CSimProcessor::MakeLink(const std::string& linkPath, std::string* pError) {
    const std::string port = PortPath();
    if (port.empty() || m_bHungUp) {
        SetError(pError, "the simulator is not running");
        return false;
    }
    if (linkPath.empty()) {
        SetError(pError, "empty link path");
        return false;
    }
    struct stat st {};
    if (::lstat(linkPath.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            SetError(pError, linkPath + " exists and is not a symbolic link");
            return false;
        }
        ::unlink(linkPath.c_str());
    }
    RemoveLink();
    if (::symlink(port.c_str(), linkPath.c_str()) != 0) {
        SetError(pError, ErrnoText(linkPath.c_str()));
        return false;
    }
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_szLinkPath = linkPath;
    return true;
}

void CSimProcessor::RemoveLink() {
    std::string link, port;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        link.swap(m_szLinkPath);
        port = m_szPortPath;
    }
    if (link.empty()) return;
    // Only our own link goes: somebody may have replaced it meanwhile.
    char szTarget[256] = {};
    const ssize_t n = ::readlink(link.c_str(), szTarget, sizeof szTarget - 1);
    if (n > 0 && port == std::string(szTarget, static_cast<std::size_t>(n))) ::unlink(link.c_str());
}

void CSimProcessor::SetAddress(int nAddress) {
    if (nAddress < 0 || nAddress > 9) return;
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Device.SetAddress(nAddress);
}

int CSimProcessor::Address() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Device.Address();
}

void CSimProcessor::SetFaults(const SFaults& faults) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Faults = faults;
    m_Rng.seed(faults.nSeed);
    m_nReplies = 0;
    m_nFrames = 0;
}

SFaults CSimProcessor::Faults() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Faults;
}

void CSimProcessor::HangUp() {
    std::lock_guard<std::mutex> life(m_LifeMutex);
    if (!m_bThreadRunning) {
        CloseFds();
        RemoveLink();
        m_bHungUp = true;
        return;
    }
    m_bHangUpRequest = true;
    Wake();
    std::unique_lock<std::mutex> lock(m_StateMutex);
    m_StateCv.wait(lock, [this] { return m_bHangUpDone || !m_bThreadRunning.load(); });
}

bool CSimProcessor::IsHungUp() const {
    return m_bHungUp;
}

bool CSimProcessor::SetLogFile(const std::string& path, std::string* pError) {
    std::lock_guard<std::mutex> lock(m_LogMutex);
    if (m_pLog) std::fclose(m_pLog);
    m_pLog = nullptr;
    if (path.empty()) return true;
    m_pLog = std::fopen(path.c_str(), "w");
    if (!m_pLog) {
        SetError(pError, ErrnoText(path.c_str()));
        return false;
    }
    return true;
}

std::vector<std::vector<std::uint8_t>> CSimProcessor::ReceivedFrames() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Received;
}

std::size_t CSimProcessor::ReceivedFrameCount() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Received.size();
}

void CSimProcessor::ClearReceivedFrames() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Received.clear();
}

void CSimProcessor::SendRaw(const std::vector<std::uint8_t>& bytes) {
    if (!bytes.empty() && WriteAll(bytes.data(), bytes.size())) Log("tx raw " + HexString(bytes));
}

SSimConfig CSimProcessor::Running() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Device.Running();
}

SSimConfig CSimProcessor::Memory(int n) const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Device.Memory(n);
}

int CSimProcessor::CurrentPreset() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Device.CurrentPreset();
}

void CSimProcessor::SetRunning(const SSimConfig& cfg) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Device.SetRunning(cfg);
}

void CSimProcessor::Log(const std::string& line) {
    std::lock_guard<std::mutex> lock(m_LogMutex);
    if (!m_pLog) return;
    std::fputs(line.c_str(), m_pLog);
    std::fputc('\n', m_pLog);
    std::fflush(m_pLog);
}

void CSimProcessor::CloseFds() {
    std::lock_guard<std::mutex> lock(m_IoMutex);
    CloseFd(m_nMasterFd);
    CloseFd(m_nHolderFd);
}

void CSimProcessor::DoHangUp(const char* pszWhy) {
    // Flagged first: whoever sees the port hang up must also see IsHungUp().
    m_bHungUp = true;
    CloseFds();
    RemoveLink();
    Log(std::string("hang up: ") + pszWhy);
    {
        std::lock_guard<std::mutex> lock(m_StateMutex);
        m_bHangUpDone = true;
    }
    m_StateCv.notify_all();
}

bool CSimProcessor::WaitStop(int nMs) {
    if (m_bStopRequest || m_bHangUpRequest) return true;
    pollfd pfd{m_nWakeFd, POLLIN, 0};
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(nMs);
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now())
                .count();
        if (left <= 0) return false;
        const int r = ::poll(&pfd, 1, static_cast<int>(left));
        if (r > 0 || m_bStopRequest || m_bHangUpRequest) return true; // the main loop drains the eventfd
    }
}

bool CSimProcessor::WriteAll(const std::uint8_t* pData, std::size_t nLength) {
    std::lock_guard<std::mutex> lock(m_IoMutex);
    if (m_nMasterFd < 0) return false;
    std::size_t nDone = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWriteStallMs);
    while (nDone < nLength) {
        const ssize_t n = ::write(m_nMasterFd, pData + nDone, nLength - nDone);
        if (n > 0) {
            nDone += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN && std::chrono::steady_clock::now() < deadline) {
            pollfd pfd{m_nMasterFd, POLLOUT, 0};
            ::poll(&pfd, 1, 20);
            continue;
        }
        break;
    }
    if (nDone < nLength) {
        std::lock_guard<std::mutex> logLock(m_LogMutex);
        if (m_pLog) {
            std::fprintf(m_pLog, "tx stalled: %zu of %zu bytes not written\n", nLength - nDone, nLength);
            std::fflush(m_pLog);
        }
        return false;
    }
    return true;
}

void CSimProcessor::ReleaseStaleExclusive() {
    int holder;
    {
        std::lock_guard<std::mutex> lock(m_IoMutex);
        holder = m_nHolderFd;
    }
    int nExclusive = 0;
    if (holder < 0 || ::ioctl(holder, TIOCGEXCL, &nExclusive) != 0 || !nExclusive) return;
    // The user of the port keeps a flock while it has the port open; without one it is gone.
    if (::flock(holder, LOCK_EX | LOCK_NB) != 0) return;
    ::flock(holder, LOCK_UN);
    ::ioctl(holder, TIOCNXCL);
    Log("port released: exclusive mode cleared");
}

void CSimProcessor::Run() {
    std::uint8_t buf[kReadChunk];
    while (!m_bStopRequest) {
        if (m_bHangUpRequest.exchange(false) && !m_bHungUp) DoHangUp("requested");

        int nExclusive = 0;
        const bool bWatchExclusive =
            m_nHolderFd >= 0 && ::ioctl(m_nHolderFd, TIOCGEXCL, &nExclusive) == 0 && nExclusive != 0;
        pollfd fds[2] = {{m_nWakeFd, POLLIN, 0}, {m_nMasterFd, POLLIN, 0}};
        const nfds_t nFds = m_nMasterFd >= 0 ? 2 : 1;
        int nTimeout = bWatchExclusive ? kExclusiveCheckMs : -1;
        if (m_Parser.Pending() > 0) nTimeout = kQuietLineMs;
        const int r = ::poll(fds, nFds, nTimeout);
        if (r < 0) {
            if (errno != EINTR) WaitStop(50);
            continue;
        }
        if (fds[0].revents) {
            std::uint64_t nCount;
            if (::read(m_nWakeFd, &nCount, sizeof nCount) < 0) {
                // already drained
            }
            continue;
        }
        if (bWatchExclusive) ReleaseStaleExclusive();
        if (r == 0 && m_Parser.Pending() > 0) {
            std::vector<SParseEvent> events;
            m_Parser.Expire(events);
            HandleEvents(events);
            continue;
        }
        if (nFds == 2 && fds[1].revents) {
            const ssize_t n = ::read(m_nMasterFd, buf, sizeof buf);
            if (n > 0) {
                std::vector<SParseEvent> events;
                m_Parser.Feed(buf, static_cast<std::size_t>(n), events);
                HandleEvents(events);
            } else if (n < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
            else
                WaitStop(50); // no terminal side at all: do not spin
        }
    }
    {
        std::lock_guard<std::mutex> lock(m_StateMutex);
        m_bThreadRunning = false;
    }
    m_StateCv.notify_all();
}

CSimProcessor::SAction CSimProcessor::Decide(const SParseEvent& ev) {
    SAction act;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Received.push_back(ev.Bytes);
        ++m_nFrames;
        if (m_Faults.nHangUpAfter > 0 && m_nFrames >= static_cast<std::uint64_t>(m_Faults.nHangUpAfter)) {
            act.bHangUp = true;
            act.szNote = "frame " + std::to_string(m_nFrames) + " -> hang up";
        } else if (m_Faults.bSilent) {
            act.szNote = "silent -> no reply";
        } else {
            SSimReply answer = m_Device.Handle(ev.Frame);
            act.szNote = answer.szNote;
            if (answer.bReply) {
                ++m_nReplies;
                std::uniform_real_distribution<double> chance(0.0, 1.0);
                if (m_Faults.nDropNext > 0) {
                    --m_Faults.nDropNext;
                    act.szNote += " [dropped: next]";
                } else if (m_Faults.nDropEvery > 0 &&
                           m_nReplies % static_cast<std::uint64_t>(m_Faults.nDropEvery) == 0) {
                    act.szNote += " [dropped: every " + std::to_string(m_Faults.nDropEvery) + "]";
                } else if (m_Faults.fDropProbability > 0 && chance(m_Rng) < m_Faults.fDropProbability) {
                    act.szNote += " [dropped: chance]";
                } else {
                    act.bSend = true;
                    act.Reply = std::move(answer.Frame);
                    if (m_Faults.bCorrupt && act.Reply.size() >= 9) {
                        // A value of the body (the channel of a reply without one): the CRC
                        // no longer matches, the framing stays intact.
                        act.Reply[act.Reply.size() > 9 ? act.Reply.size() - 3 : 4] ^= 0x01;
                        act.szNote += " [corrupted]";
                    }
                    act.nDelayMs = m_Faults.nDelayMs;
                    std::uniform_int_distribution<int> byte(0, 255);
                    for (int i = 0; i < m_Faults.nGarbage; ++i)
                        act.Garbage.push_back(static_cast<std::uint8_t>(byte(m_Rng)));
                    act.bSplit = m_Faults.bSplit && act.Reply.size() > 1;
                    if (act.bSplit) {
                        // one to three cuts at distinct random points
                        std::uniform_int_distribution<std::size_t> at(1, act.Reply.size() - 1);
                        const std::size_t nCuts =
                            std::min<std::size_t>(act.Reply.size() - 1, 1 + m_Rng() % 3);
                        while (act.Cuts.size() < nCuts) {
                            const std::size_t c = at(m_Rng);
                            if (std::find(act.Cuts.begin(), act.Cuts.end(), c) == act.Cuts.end())
                                act.Cuts.push_back(c);
                        }
                        std::sort(act.Cuts.begin(), act.Cuts.end());
                    }
                }
            }
        }
    }
    Log("rx " + HexString(ev.Bytes) + " | " + act.szNote);
    return act;
}

std::vector<std::uint8_t> CSimProcessor::Exchange(const std::uint8_t* pData, std::size_t nLength,
                                                  bool* pHangUp) {
    std::lock_guard<std::mutex> direct(m_DirectMutex);
    std::vector<std::uint8_t> out;
    if (m_bHungUp) {
        if (pHangUp) *pHangUp = true;
        return out;
    }
    std::vector<SParseEvent> events;
    m_DirectParser.Feed(pData, nLength, events);
    for (const SParseEvent& ev : events) {
        if (ev.eKind != SParseEvent::EKind::Frame) {
            Log(ev.eKind == SParseEvent::EKind::Garbage ? "garbage " + HexString(ev.Bytes)
                                                        : "crc mismatch " + HexString(ev.Bytes));
            continue;
        }
        SAction act = Decide(ev);
        if (act.bHangUp) {
            m_bHungUp = true;
            Log("hang up: after the set number of frames");
            if (pHangUp) *pHangUp = true;
            return out;
        }
        if (!act.bSend) continue;
        out.insert(out.end(), act.Garbage.begin(), act.Garbage.end());
        out.insert(out.end(), act.Reply.begin(), act.Reply.end());
    }
    if (pHangUp) *pHangUp = false;
    return out;
}

void CSimProcessor::HandleEvents(std::vector<SParseEvent>& events) {
    for (SParseEvent& ev : events) {
        if (ev.eKind == SParseEvent::EKind::Garbage) {
            Log("garbage " + HexString(ev.Bytes) + " (" + std::to_string(ev.Bytes.size()) +
                " bytes dropped)");
            continue;
        }
        if (ev.eKind == SParseEvent::EKind::CrcMismatch) {
            char sz[64];
            std::snprintf(sz, sizeof sz, " (crc %04X, computed %04X)", ev.nCrcReceived, ev.nCrcComputed);
            Log("crc mismatch " + HexString(ev.Bytes) + sz);
            continue;
        }

        SAction act = Decide(ev);
        const bool bHangUp = act.bHangUp, bSend = act.bSend, bSplit = act.bSplit;
        const int nDelayMs = act.nDelayMs;
        std::vector<std::uint8_t>& reply = act.Reply;
        std::vector<std::uint8_t>& garbage = act.Garbage;
        std::vector<std::size_t>& cuts = act.Cuts;
        if (bHangUp) {
            DoHangUp("after the set number of frames");
            return;
        }
        if (!bSend) continue;
        if (nDelayMs > 0 && WaitStop(nDelayMs)) return;
        if (!garbage.empty()) {
            WriteAll(garbage.data(), garbage.size());
            Log("tx garbage " + HexString(garbage));
        }
        if (!bSplit) {
            WriteAll(reply.data(), reply.size());
            continue;
        }
        std::size_t nFrom = 0;
        cuts.push_back(reply.size());
        for (std::size_t nTo : cuts) {
            if (nFrom > 0 && WaitStop(kSplitPauseMs)) return;
            WriteAll(reply.data() + nFrom, nTo - nFrom);
            nFrom = nTo;
        }
        Log("tx split at " + [&] {
            std::string s;
            for (std::size_t i = 0; i + 1 < cuts.size(); ++i)
                s += (i ? "," : "") + std::to_string(cuts[i]);
            return s;
        }());
    }
}

} // namespace Sim
