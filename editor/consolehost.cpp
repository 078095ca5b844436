#include "editor/consolehost.h"

#include <cstdio>
#include <thread>

void CConsoleHost::PostToSelf(std::uint32_t nMsg, std::uintptr_t wParam, std::intptr_t lParam) {
    std::lock_guard<std::mutex> guard(m_Lock);
    m_Queue.push_back({nMsg, wParam, lParam, {}});
    m_Cond.notify_all();
}

void CConsoleHost::PostMessage(std::uint32_t nMsg, std::uintptr_t wParam, std::intptr_t lParam) {
    // Only a received chunk's wParam points at data; any other message's wParam is a value.
    SPosted posted{nMsg, nMsg == WM_IPC_RECEIVE ? 0 : wParam, lParam, {}};
    if (nMsg == WM_IPC_RECEIVE && wParam && lParam > 0) {
        const auto* p = reinterpret_cast<const std::uint8_t*>(wParam);
        posted.data.assign(p, p + lParam);
    }
    std::lock_guard<std::mutex> guard(m_Lock);
    m_Queue.push_back(std::move(posted));
    m_Cond.notify_all();
}

void CConsoleHost::SetTimer(int nId, std::uint32_t nMs) {
    if (nId == TIMER_ANIMATION) return; // nothing to animate in a terminal
    m_Timers[nId] = {nMs, Clock::now() + std::chrono::milliseconds(nMs)};
}

void CConsoleHost::Sleep(std::uint32_t nMs) {
    std::this_thread::sleep_for(std::chrono::milliseconds(nMs));
}

void CConsoleHost::ShowBusy(const std::string& text) {
    if (m_bQuiet || !m_bBusyShown) return;
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
}

void CConsoleHost::MessageBox(const std::string& text) {
    m_Messages.push_back(text);
    if (m_bQuiet) return;
    std::fprintf(stderr, "%s%s\n", m_szMessagePrefix.c_str(), text.c_str());
    std::fflush(stderr);
}

bool CConsoleHost::RunUntil(const std::function<bool()>& done, int nTimeoutMs) {
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(nTimeoutMs);
    while (!done()) {
        const Clock::time_point now = Clock::now();
        if (now >= end) return false;
        // The next timer due, if any.
        int nTimer = -1;
        Clock::time_point due = end;
        for (const auto& [id, t] : m_Timers)
            if (t.due < due) {
                due = t.due;
                nTimer = id;
            }
        SPosted msg;
        bool bMessage = false;
        {
            std::unique_lock<std::mutex> lock(m_Lock);
            if (m_Queue.empty() && m_Timers.empty())
                // Nothing queued and no timer: only a reply still on its way could come. Give it
                // a moment, then stop.
                m_Cond.wait_for(lock, std::chrono::milliseconds(100), [this] { return !m_Queue.empty(); });
            else
                m_Cond.wait_until(lock, due, [this] { return !m_Queue.empty(); });
            if (!m_Queue.empty()) {
                msg = std::move(m_Queue.front());
                m_Queue.pop_front();
                bMessage = true;
            } else if (m_Timers.empty()) {
                return done();
            }
        }
        if (bMessage) {
            const std::uintptr_t wParam =
                msg.data.empty() ? msg.wParam : reinterpret_cast<std::uintptr_t>(msg.data.data());
            m_pCore->OnMessage(msg.nMsg, wParam, msg.lParam);
        } else if (nTimer >= 0 && Clock::now() >= due) {
            auto it = m_Timers.find(nTimer);
            if (it != m_Timers.end())
                it->second.due = Clock::now() + std::chrono::milliseconds(it->second.nPeriod);
            m_pCore->OnTimer(nTimer);
        }
    }
    return true;
}
