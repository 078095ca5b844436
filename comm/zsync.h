// Lock and event of the thread framework, on the standard library.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace ZUtils {

constexpr std::uint32_t INFINITE_WAIT = 0xFFFFFFFF;
constexpr int WAIT_OBJECT_0 = 0;
constexpr int WAIT_TIMEOUT = 258;
constexpr int WAIT_FAILED = -1;

class ZLock {
public:
    ZLock() = default;
    ZLock(const ZLock&) = delete;
    ZLock& operator=(const ZLock&) = delete;
    void Lock() { m_Mutex.lock(); }
    void Unlock() { m_Mutex.unlock(); }

private:
    std::mutex m_Mutex;
};

// An event with the Win32 semantics: manual-reset events stay set until Reset; auto-reset events
// release one waiter and clear themselves.
class ZEvent {
public:
    ZEvent() = default;
    ~ZEvent() { Close(); }
    ZEvent(const ZEvent&) = delete;
    ZEvent& operator=(const ZEvent&) = delete;

    // Fails when the event exists already. Named events are not shared between processes here:
    // the name is accepted and *pbExisted is always false.
    int Create(int bInitialState, int bManualReset, const char* pszName = nullptr, int* pbExisted = nullptr);
    int IsCreated() const;
    int Set();
    int Reset();
    // WAIT_OBJECT_0 when signalled, WAIT_TIMEOUT, or WAIT_FAILED without an event.
    int Wait(std::uint32_t nMilliseconds);
    void Close();

private:
    mutable std::mutex m_Mutex;
    std::condition_variable m_Cond;
    bool m_bCreated = false;
    bool m_bManual = false;
    bool m_bSignalled = false;
};

} // namespace ZUtils
