#include "w32thread.h"

#include <new>

#include "trace.h"
#include "zsync.h"

namespace {
std::atomic<std::uint32_t> g_nNextThreadId{0x100};
}

W32Thread::~W32Thread() {
    if (m_Thread.joinable()) W32Assert("0", "comm/w32base", __LINE__);
}

int W32Thread::Create(int nUserValue, std::uint32_t nFirstMsg, std::uint32_t nEndMsg) {
    if (m_Thread.joinable()) return 0;
    m_nUserValue = nUserValue;
    m_nFirstMsg = nFirstMsg;
    m_nEndMsg = nEndMsg;
    {
        std::lock_guard<std::mutex> guard(m_QueueLock);
        m_Queue.clear();
    }
    const std::uint32_t nId = g_nNextThreadId.fetch_add(1);
    try {
        m_Thread = std::thread(&W32Thread::Run, this);
    } catch (const std::system_error&) {
        return 0;
    }
    // The queue exists before the thread runs, so a post right after Create cannot be lost.
    m_nThreadId.store(nId);
    W32Trace("+++ W32Thread::Create (thread=[0x%X],id=[0x%X])\r\n", nId, nId);
    return 1;
}

int W32Thread::PostThreadMessage(std::uint32_t nMsg, std::uintptr_t wParam, std::uintptr_t lParam,
                                 int nAttemptLimit) {
    if (nAttemptLimit < 1) W32Assert("0", "comm/w32base", __LINE__);
    if (m_nThreadId.load() == 0) {
        m_nLastPostError = ERROR_INVALID_THREAD_ID;
        return 0;
    }
    {
        std::lock_guard<std::mutex> guard(m_QueueLock);
        m_Queue.push_back({nMsg, wParam, lParam});
    }
    m_QueueCond.notify_one();
    m_nLastPostError = 0;
    return 1;
}

int W32Thread::PostWork(std::uint32_t nMsg, void* p0, void* p1, std::uint32_t nWaitMs) {
    auto* pItem = new (std::nothrow) W32WorkItem{p0, p1};
    if (!pItem) W32Assert("param", "comm/w32base", __LINE__);
    if (nWaitMs == 0) {
        int nPosted = PostThreadMessage(nMsg, reinterpret_cast<std::uintptr_t>(pItem), 0, 10);
        if (!nPosted) delete pItem;
        return nPosted;
    }
    ZUtils::ZEvent done;
    done.Create(0, 0);
    int nPosted = PostThreadMessage(nMsg, reinterpret_cast<std::uintptr_t>(pItem),
                                    reinterpret_cast<std::uintptr_t>(&done), 10);
    if (!nPosted)
        delete pItem;
    else if (done.Wait(nWaitMs) == ZUtils::WAIT_TIMEOUT)
        done.Wait(ZUtils::INFINITE_WAIT); // the thread will still set the event: it must outlive the item
    done.Close();
    return nPosted;
}

void W32Thread::Destroy() {
    if (!m_Thread.joinable()) return;
    if (m_Thread.get_id() == std::this_thread::get_id()) W32Assert("0", "comm/w32base", __LINE__);
    if (!PostThreadMessage(WM_QUIT, 0, 0, 10)) return;
    m_Thread.join();
    const std::uint32_t nId = m_nThreadId.exchange(0);
    W32Trace("--- W32Thread::Destroy (thread=[0x%X],id=[0x%X])\r\n", nId, nId);
}

int W32Thread::OnThreadMessage(void*, std::uint32_t, void*, void*) {
    return 1;
}

void W32Thread::OnThreadExit() {}

void W32Thread::Run() {
    W32Trace("+++ W32Thread::Run\r\n");
    for (;;) {
        SMsg msg;
        {
            std::unique_lock<std::mutex> lock(m_QueueLock);
            m_QueueCond.wait(lock, [this] { return !m_Queue.empty(); });
            msg = m_Queue.front();
            m_Queue.pop_front();
        }
        if (msg.nMsg == WM_QUIT) break;
        if (msg.nMsg >= m_nFirstMsg && msg.nMsg < m_nEndMsg) {
            auto* pItem = reinterpret_cast<W32WorkItem*>(msg.wParam);
            void* p0 = pItem ? pItem->p0 : nullptr;
            void* p1 = pItem ? pItem->p1 : nullptr;
            OnThreadMessage(nullptr, msg.nMsg, p0, p1);
            delete pItem;
            if (msg.lParam) reinterpret_cast<ZUtils::ZEvent*>(msg.lParam)->Set();
        }
        // There is no window to dispatch other messages to: they end here.
    }
    W32Trace("--- W32Thread::Run\r\n");
    OnThreadExit();
    // Items still queued behind WM_QUIT are freed unhandled; their waiters are released.
    std::lock_guard<std::mutex> guard(m_QueueLock);
    for (const SMsg& msg : m_Queue) {
        if (msg.nMsg >= m_nFirstMsg && msg.nMsg < m_nEndMsg) {
            delete reinterpret_cast<W32WorkItem*>(msg.wParam);
            if (msg.lParam) reinterpret_cast<ZUtils::ZEvent*>(msg.lParam)->Set();
        }
    }
    m_Queue.clear();
}

int W32SimpleThread::OnThreadMessage(void*, std::uint32_t nMsg, void* p0, void* p1) {
    if (nMsg == WM_USER && p0) reinterpret_cast<PFN_WORK>(p0)(p1);
    return 0;
}
