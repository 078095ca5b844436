// A window stand-in that keeps what is posted to it: messages are copied on the poster's thread and
// taken, in order, by the thread that owns the queue (the GUI thread).
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

#include "w32window.h"

class CIpcQueue : public IW32Window {
public:
    struct SMessage {
        std::uint32_t nMsg = 0;
        std::uintptr_t wParam = 0;
        std::intptr_t lParam = 0;
        std::vector<std::uint8_t> data; // WM_IPC_RECEIVE: the chunk (wParam then points into it)
    };

    void PostMessage(std::uint32_t nMsg, std::uintptr_t wParam, std::intptr_t lParam) override;

    // Called after every post, on the poster's thread (a GUI can post itself a wake-up here).
    void SetWake(std::function<void()> wake);
    std::vector<SMessage> TakeAll();
    // Waits until a message is queued, at most nMs; true when one is.
    bool WaitNonEmpty(int nMs);
    std::size_t Size() const;

private:
    mutable std::mutex m_Lock;
    std::condition_variable m_Cond;
    std::deque<SMessage> m_Queue;
    std::function<void()> m_Wake;
};
