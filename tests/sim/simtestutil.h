// Helpers of the simulator tests: request frames built independently of the simulator's own code,
// and the terminal side of the pseudo-terminal opened as the manager opens a serial port.
#pragma once

#include "comm/crc16.h"

#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace SimTest {

using Bytes = std::vector<std::uint8_t>;

inline Bytes Request(std::uint8_t nAddr, std::uint8_t nId, std::uint8_t nMode, std::uint8_t nChannel = 0,
                     std::uint8_t nSub = 0, const Bytes& body = {}) {
    Bytes f;
    f.reserve(9 + body.size());
    for (std::uint8_t b :
         {nAddr, nId, nMode, std::uint8_t{0}, nChannel, nSub, static_cast<std::uint8_t>(body.size())})
        f.push_back(b);
    for (std::uint8_t b : body)
        f.push_back(b);
    const std::uint16_t crc = CalcCrc16(f.data(), f.size());
    f.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    f.push_back(static_cast<std::uint8_t>(crc >> 8));
    return f;
}

inline Bytes Read(std::uint8_t nId, std::uint8_t nChannel = 0, std::uint8_t nSub = 0,
                  std::uint8_t nAddr = 0) {
    return Request(nAddr, nId, 0x80, nChannel, nSub);
}

inline Bytes Write(std::uint8_t nId, std::uint8_t nChannel, std::uint8_t nSub, const Bytes& body,
                   std::uint8_t nMode = 1, std::uint8_t nAddr = 0) {
    return Request(nAddr, nId, nMode, nChannel, nSub, body);
}

inline bool CrcOk(const Bytes& frame) {
    if (frame.size() < 9 || frame.size() != 9u + frame[6]) return false;
    const std::uint16_t crc = CalcCrc16(frame.data(), frame.size() - 2);
    return frame[frame.size() - 2] == (crc & 0xFF) && frame[frame.size() - 1] == (crc >> 8);
}

inline Bytes BodyOf(const Bytes& frame) {
    return Bytes(frame.begin() + 7, frame.end() - 2);
}

// The manager's end of the link: raw, non-blocking, read with poll.
class CTerminal {
public:
    explicit CTerminal(const std::string& path) {
        m_nFd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (m_nFd >= 0) {
            termios tio{};
            tcgetattr(m_nFd, &tio);
            cfmakeraw(&tio);
            tcsetattr(m_nFd, TCSANOW, &tio);
        }
    }
    ~CTerminal() {
        if (m_nFd >= 0) ::close(m_nFd);
    }
    CTerminal(const CTerminal&) = delete;
    CTerminal& operator=(const CTerminal&) = delete;

    bool IsOpen() const { return m_nFd >= 0; }
    int Fd() const { return m_nFd; }

    bool Send(const Bytes& bytes) const {
        return ::write(m_nFd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }

    // Whatever arrives until nothing more came for nQuietMs (or nTotalMs passed); pChunks gets the
    // size of each read.
    Bytes Collect(int nQuietMs, int nTotalMs = 3000, std::vector<std::size_t>* pChunks = nullptr) const {
        Bytes all;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(nTotalMs);
        while (std::chrono::steady_clock::now() < end) {
            pollfd pfd{m_nFd, POLLIN, 0};
            if (::poll(&pfd, 1, nQuietMs) <= 0 || !(pfd.revents & POLLIN)) break;
            std::uint8_t buf[1024];
            const ssize_t n = ::read(m_nFd, buf, sizeof buf);
            if (n <= 0) break;
            all.insert(all.end(), buf, buf + n);
            if (pChunks) pChunks->push_back(static_cast<std::size_t>(n));
        }
        return all;
    }

    // One frame (header, then body and CRC) or nothing within nTimeoutMs.
    std::optional<Bytes> ReadFrame(int nTimeoutMs = 2000) const {
        Bytes frame;
        while (frame.size() < 7 || frame.size() < 9u + frame[6]) {
            pollfd pfd{m_nFd, POLLIN, 0};
            if (::poll(&pfd, 1, nTimeoutMs) <= 0 || !(pfd.revents & POLLIN)) return std::nullopt;
            const std::size_t nWant = frame.size() < 7 ? 7 - frame.size() : 9u + frame[6] - frame.size();
            std::uint8_t buf[64];
            const ssize_t n = ::read(m_nFd, buf, nWant);
            if (n <= 0) return std::nullopt;
            frame.insert(frame.end(), buf, buf + n);
        }
        return frame;
    }

    std::optional<Bytes> Transact(const Bytes& request, int nTimeoutMs = 2000) const {
        if (!Send(request)) return std::nullopt;
        return ReadFrame(nTimeoutMs);
    }

private:
    int m_nFd = -1;
};

} // namespace SimTest
