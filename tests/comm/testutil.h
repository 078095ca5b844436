// Small fixtures shared by the link tests: captured trace text and a window that records what the
// link posts to it. The pseudo-terminal pair is in ptypair.h (POSIX only).
#pragma once

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
