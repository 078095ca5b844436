// A raw pseudo-terminal pair for the link tests that play the device on a real terminal (POSIX
// only: these tests do not run on Windows).
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace testutil {

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

} // namespace testutil
