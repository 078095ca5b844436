#include "zsync.h"

#include <chrono>

namespace ZUtils {

int ZEvent::Create(int bInitialState, int bManualReset, const char* /*pszName*/, int* pbExisted) {
    std::lock_guard<std::mutex> guard(m_Mutex);
    if (pbExisted) *pbExisted = 0;
    if (m_bCreated) return 0;
    m_bCreated = true;
    m_bManual = bManualReset != 0;
    m_bSignalled = bInitialState != 0;
    return 1;
}

int ZEvent::IsCreated() const {
    std::lock_guard<std::mutex> guard(m_Mutex);
    return m_bCreated ? 1 : 0;
}

int ZEvent::Set() {
    // Notified under the lock: a waiter released by this Set may destroy the event as soon as it runs.
    std::lock_guard<std::mutex> guard(m_Mutex);
    if (!m_bCreated) return 0;
    m_bSignalled = true;
    if (m_bManual)
        m_Cond.notify_all();
    else
        m_Cond.notify_one();
    return 1;
}

int ZEvent::Reset() {
    std::lock_guard<std::mutex> guard(m_Mutex);
    if (!m_bCreated) return 0;
    m_bSignalled = false;
    return 1;
}

int ZEvent::Wait(std::uint32_t nMilliseconds) {
    std::unique_lock<std::mutex> lock(m_Mutex);
    if (!m_bCreated) return WAIT_FAILED;
    auto signalled = [this] { return m_bSignalled || !m_bCreated; };
    if (nMilliseconds == INFINITE_WAIT)
        m_Cond.wait(lock, signalled);
    else if (!m_Cond.wait_for(lock, std::chrono::milliseconds(nMilliseconds), signalled))
        return WAIT_TIMEOUT;
    if (!m_bCreated) return WAIT_FAILED;
    if (!m_bManual) m_bSignalled = false;
    return WAIT_OBJECT_0;
}

void ZEvent::Close() {
    std::lock_guard<std::mutex> guard(m_Mutex);
    if (!m_bCreated) return;
    m_bCreated = false;
    m_bSignalled = false;
    m_Cond.notify_all();
}

} // namespace ZUtils
