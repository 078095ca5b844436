// A thread with its own message queue, to which other threads post work items.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>

constexpr std::uint32_t WM_QUIT = 0x0012;
constexpr std::uint32_t WM_USER = 0x0400;
constexpr int ERROR_INVALID_THREAD_ID = 1444;

// A posted work item: two pointer-sized words. The thread frees it after handling.
struct W32WorkItem {
    void* p0;
    void* p1;
};

class W32Thread {
public:
    W32Thread() = default;
    virtual ~W32Thread();
    W32Thread(const W32Thread&) = delete;
    W32Thread& operator=(const W32Thread&) = delete;

    // Starts the thread; fails when one exists. Messages first <= m < end go to OnThreadMessage.
    int Create(int nUserValue, std::uint32_t nFirstMsg, std::uint32_t nEndMsg);
    // Posts a message to the thread. wParam of a message in range is a W32WorkItem*, lParam null or
    // a ZUtils::ZEvent* to set when the item is done. Returns 1 when posted.
    int PostThreadMessage(std::uint32_t nMsg, std::uintptr_t wParam, std::uintptr_t lParam,
                          int nAttemptLimit);
    // Posts a work item; with nWaitMs > 0 waits at most that long for it to be handled.
    int PostWork(std::uint32_t nMsg, void* p0, void* p1, std::uint32_t nWaitMs);
    // Asks the thread to quit and joins it.
    void Destroy();

    std::uint32_t ThreadId() const { return m_nThreadId.load(); }
    int LastPostError() const { return m_nLastPostError.load(); }

protected:
    virtual int OnThreadMessage(void* hWnd, std::uint32_t nMsg, void* p0, void* p1);
    virtual void OnThreadExit();

private:
    struct SMsg {
        std::uint32_t nMsg;
        std::uintptr_t wParam;
        std::uintptr_t lParam;
    };

    void Run();

    std::thread m_Thread;
    std::atomic<std::uint32_t> m_nThreadId{0};
    int m_nUserValue = 0;
    std::uint32_t m_nFirstMsg = 0;
    std::uint32_t m_nEndMsg = 0;
    std::atomic<int> m_nLastPostError{0};

    std::mutex m_QueueLock;
    std::condition_variable m_QueueCond;
    std::deque<SMsg> m_Queue;
};

// Runs posted functions: PostWork(WM_USER, fn, arg, 0) calls fn(arg) once on the thread.
class W32SimpleThread : public W32Thread {
public:
    using PFN_WORK = void (*)(void*);
    ~W32SimpleThread() override = default;

protected:
    int OnThreadMessage(void* hWnd, std::uint32_t nMsg, void* p0, void* p1) override;
};
