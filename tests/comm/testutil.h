// Small fixtures shared by the link tests: captured trace text, a pseudo-terminal pair, and a
// window that records what the link posts to it.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "comm/protocol.h"
#include "comm/trace.h"

namespace testutil {

// Collects every trace write while alive.
class TraceCapture {
public:
    TraceCapture() {
        TraceSetSink([this](std::string_view text) {
            std::lock_guard<std::mutex> guard(m_Lock);
            m_Text.append(text);
        });
    }
    ~TraceCapture() { TraceSetSink({}); }
    std::string Text() const {
        std::lock_guard<std::mutex> guard(m_Lock);
        return m_Text;
    }
    void Clear() {
        std::lock_guard<std::mutex> guard(m_Lock);
        m_Text.clear();
    }

private:
    mutable std::mutex m_Lock;
    std::string m_Text;
};

// A raw pseudo-terminal: the test plays the device on the master side.
class PtyPair {
public:
    PtyPair() {
        m_nMaster = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m_nMaster < 0 || ::grantpt(m_nMaster) != 0 || ::unlockpt(m_nMaster) != 0) return;
        m_SlavePath = ::ptsname(m_nMaster);
        termios tio{};
        // Raw from the start, so nothing is echoed before the port under test sets its line.
        int nSlave = ::open(m_SlavePath.c_str(), O_RDWR | O_NOCTTY);
        if (nSlave >= 0) {
            ::tcgetattr(nSlave, &tio);
            ::cfmakeraw(&tio);
            ::tcsetattr(nSlave, TCSANOW, &tio);
            m_nKeepSlave = nSlave; // keeps the master from seeing a hang-up between opens
        }
    }
    ~PtyPair() {
        CloseMaster();
        if (m_nKeepSlave >= 0) ::close(m_nKeepSlave);
    }
    bool Ok() const { return m_nMaster >= 0 && !m_SlavePath.empty(); }
    const std::string& SlavePath() const { return m_SlavePath; }
    int Master() const { return m_nMaster; }
    void Write(const std::vector<std::uint8_t>& bytes) const {
        std::size_t nDone = 0;
        while (nDone < bytes.size()) {
            ssize_t n = ::write(m_nMaster, bytes.data() + nDone, bytes.size() - nDone);
            if (n > 0)
                nDone += static_cast<std::size_t>(n);
            else {
                pollfd fd{m_nMaster, POLLOUT, 0};
                ::poll(&fd, 1, 100);
            }
        }
    }
    // Reads what arrives within nMs.
    std::vector<std::uint8_t> Read(int nMs) const {
        std::vector<std::uint8_t> out;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(nMs);
        for (;;) {
            auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            pollfd fd{m_nMaster, POLLIN, 0};
            if (::poll(&fd, 1, static_cast<int>(left.count())) <= 0) break;
            std::uint8_t buf[256];
            ssize_t n = ::read(m_nMaster, buf, sizeof buf);
            if (n <= 0) break;
            out.insert(out.end(), buf, buf + n);
        }
        return out;
    }
    // Closes the device side as an unplugged device would.
    void HangUp() {
        if (m_nKeepSlave >= 0) {
            ::close(m_nKeepSlave);
            m_nKeepSlave = -1;
        }
        CloseMaster();
    }

private:
    void CloseMaster() {
        if (m_nMaster >= 0) {
            ::close(m_nMaster);
            m_nMaster = -1;
        }
    }
    int m_nMaster = -1;
    int m_nKeepSlave = -1;
    std::string m_SlavePath;
};

// Records the chunks posted with WM_IPC_RECEIVE (copied at once, as the contract asks).
class RecordingWindow : public IW32Window {
public:
    void PostMessage(std::uint32_t nMsg, std::uintptr_t wParam, std::intptr_t lParam) override {
        std::lock_guard<std::mutex> guard(m_Lock);
        if (nMsg == WM_IPC_RECEIVE) {
            const auto* p = reinterpret_cast<const std::uint8_t*>(wParam);
            m_Chunks.emplace_back(p, p + lParam);
        }
        m_Cond.notify_all();
    }
    std::vector<std::vector<std::uint8_t>> Chunks() const {
        std::lock_guard<std::mutex> guard(m_Lock);
        return m_Chunks;
    }
    std::vector<std::uint8_t> Bytes() const {
        std::lock_guard<std::mutex> guard(m_Lock);
        std::vector<std::uint8_t> all;
        for (const auto& c : m_Chunks)
            all.insert(all.end(), c.begin(), c.end());
        return all;
    }
    // Waits until nBytes have arrived in all, at most nMs.
    bool WaitBytes(std::size_t nBytes, int nMs) {
        std::unique_lock<std::mutex> lock(m_Lock);
        return m_Cond.wait_for(lock, std::chrono::milliseconds(nMs), [&] {
            std::size_t n = 0;
            for (const auto& c : m_Chunks)
                n += c.size();
            return n >= nBytes;
        });
    }

private:
    mutable std::mutex m_Lock;
    std::condition_variable m_Cond;
    std::vector<std::vector<std::uint8_t>> m_Chunks;
};

inline std::vector<std::uint8_t> Frame(std::vector<std::uint8_t> headerAndBody) {
    std::vector<std::uint8_t> out(headerAndBody.size() + 2);
    int n = CProtocol::BuildPacket(out.data(), headerAndBody.data(), IPC_HEADER_LEN,
                                   headerAndBody.data() + IPC_HEADER_LEN,
                                   static_cast<int>(headerAndBody.size()) - IPC_HEADER_LEN);
    out.resize(static_cast<std::size_t>(n));
    return out;
}

} // namespace testutil
