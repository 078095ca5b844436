#include "ipcqueue.h"

#include <chrono>

#include "protocol.h"

void CIpcQueue::PostMessage(std::uint32_t nMsg, std::uintptr_t wParam, std::intptr_t lParam) {
    SMessage msg{nMsg, wParam, lParam, {}};
    if (nMsg == WM_IPC_RECEIVE && wParam && lParam > 0) {
        const auto* p = reinterpret_cast<const std::uint8_t*>(wParam);
        msg.data.assign(p, p + lParam);
    }
    std::function<void()> wake;
    {
        std::lock_guard<std::mutex> guard(m_Lock);
        m_Queue.push_back(std::move(msg));
        m_Queue.back().wParam = m_Queue.back().data.empty()
                                    ? wParam
                                    : reinterpret_cast<std::uintptr_t>(m_Queue.back().data.data());
        wake = m_Wake;
    }
    m_Cond.notify_all();
    if (wake) wake();
}

void CIpcQueue::SetWake(std::function<void()> wake) {
    std::lock_guard<std::mutex> guard(m_Lock);
    m_Wake = std::move(wake);
}

std::vector<CIpcQueue::SMessage> CIpcQueue::TakeAll() {
    std::lock_guard<std::mutex> guard(m_Lock);
    std::vector<SMessage> out(std::make_move_iterator(m_Queue.begin()),
                              std::make_move_iterator(m_Queue.end()));
    m_Queue.clear();
    return out;
}

bool CIpcQueue::WaitNonEmpty(int nMs) {
    std::unique_lock<std::mutex> lock(m_Lock);
    return m_Cond.wait_for(lock, std::chrono::milliseconds(nMs), [this] { return !m_Queue.empty(); });
}

std::size_t CIpcQueue::Size() const {
    std::lock_guard<std::mutex> guard(m_Lock);
    return m_Queue.size();
}
