#include "portreader.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "comm/trace.h"

using namespace ZUtils;

W32SimplePortReader::~W32SimplePortReader() {
    Close();
}

void W32SimplePortReader::SetReceiver(IW32Window* hNotifyWnd, std::uint32_t nNotifyMsg,
                                      PFN_RECEIVE pfnReceive, void* pContext) {
    m_hNotifyWnd = hNotifyWnd;
    m_nNotifyMsg = nNotifyMsg;
    m_pfnReceive = pfnReceive;
    m_pReceiveCtx = pContext;
}

int W32SimplePortReader::Open(const std::string& deviceName, int nBaudRate, std::uint8_t nDataBits,
                              std::uint8_t nParity, std::uint8_t nStopBits, std::size_t nQueueCapacity,
                              int bOverlapped) {
    if (deviceName.empty() || m_Port.IsOpen()) return 0;
    if (!m_Port.Open(deviceName, bOverlapped ? FILE_FLAG_OVERLAPPED : 0)) return 0;
    if (!m_Port.SetLineState(nBaudRate, nDataBits, nParity, nStopBits) || !m_Port.SetTimeouts()) {
        m_Port.Close();
        return 0;
    }
    m_Port.Purge(PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
    if (!m_Port.SetMask(EV_RXCHAR)) {
        m_Port.Close();
        return 0;
    }
    m_bHungUp.store(false);
    m_bRunning.store(1);
    m_Lock.Lock();
    m_Queue.SetCapacity(nQueueCapacity);
    m_Lock.Unlock();
    // A reader whose receive loop does not run would read nothing: that is a failed open.
    if (!m_Thread.Create(0, WM_USER, WM_USER + 1) ||
        !m_Thread.PostWork(WM_USER, reinterpret_cast<void*>(&W32SimplePortReader::ReceiveCallback), this,
                           0)) {
        m_bRunning.store(0);
        m_Thread.Destroy();
        m_Port.Close();
        return 0;
    }
    return 1;
}

int W32SimplePortReader::Close() {
    if (!m_Port.IsOpen()) return 0;
    m_bRunning.store(0);
    m_Port.WakeReader(1);
    m_Port.SetMask(0);
    m_Port.Purge(PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
    m_Thread.Destroy();
    m_Port.Close();
    m_Lock.Lock();
    m_Queue.Clear();
    m_Lock.Unlock();
    return 1;
}

int W32SimplePortReader::PopQueued(std::uint8_t* pData, std::size_t nLength) {
    m_Lock.Lock();
    int nOk = ZComputeQueue::Pop(m_Queue, pData, nLength);
    m_Lock.Unlock();
    return nOk;
}

void W32SimplePortReader::Deliver(const std::uint8_t* pChunk, int nLength) {
    if (!m_hNotifyWnd || !m_nNotifyMsg) return;
    const auto nBytes = static_cast<std::size_t>(nLength);
    m_Lock.Lock();
    // A chunk larger than the whole queue can never fit: it is dropped rather than waited for.
    bool bFits = nBytes <= m_Queue.Capacity();
    while (bFits && !ZComputeQueue::Push(m_Queue, pChunk, nBytes) && m_bRunning.load()) {
        m_Lock.Unlock();
        m_hNotifyWnd->PostMessage(m_nNotifyMsg, 0, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        m_Lock.Lock();
    }
    m_hNotifyWnd->PostMessage(m_nNotifyMsg, 0, 0);
    m_Lock.Unlock();
}

void W32SimplePortReader::ReceiveCallback(void* pReader) {
    auto* self = static_cast<W32SimplePortReader*>(pReader);
    W32Trace("+++ W32SimplePortReader::ReceiveCallback\r\n");
    std::uint8_t buffer[READ_CHUNK];
    while (self->m_bRunning.load()) {
        std::uint32_t nMask = 0;
        if (!self->m_Port.WaitEvent(&nMask)) self->m_Port.WaitPending();
        if (!self->m_bRunning.load()) continue;
        if (nMask & EV_HANGUP) {
            // The device went away: waiting again would return at once, forever.
            W32Trace("!!! W32SimplePortReader::ReceiveCallback hang-up\r\n");
            self->m_bHungUp.store(true);
            if (self->m_pfnHangup) self->m_pfnHangup(self->m_pReceiveCtx);
            break;
        }
        if (!(nMask & EV_RXCHAR)) continue;
        std::uint32_t nWaiting = 0;
        do {
            if (!self->m_Port.GetQueueSizes(&nWaiting, nullptr) || nWaiting == 0) break;
            int nRead = self->m_Port.Read(buffer, std::min<std::uint32_t>(nWaiting, READ_CHUNK));
            if (nRead <= 0) break;
            nWaiting -= static_cast<std::uint32_t>(nRead);
            if (self->m_pfnReceive) self->m_pfnReceive(buffer, nRead, self->m_pReceiveCtx);
            self->Deliver(buffer, nRead);
        } while (nWaiting > 0 && self->m_bRunning.load());
    }
    W32Trace("--- W32SimplePortReader::ReceiveCallback\r\n");
}
