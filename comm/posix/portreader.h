// Owns a serial port and the thread that waits for received characters and hands every chunk read
// to one callback, in arrival order.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "comm/port.h"
#include "comm/w32thread.h"
#include "comm/w32window.h"
#include "comm/zqueue.h"
#include "comm/zsync.h"
#include "zcomport.h"

class W32SimplePortReader {
public:
    static constexpr int READ_CHUNK = IPort::READ_CHUNK; // largest chunk handed to the callback

    using PFN_RECEIVE = void (*)(const std::uint8_t* pChunk, int nLength, void* pContext);
    using PFN_HANGUP = void (*)(void* pContext);

    W32SimplePortReader() = default;
    ~W32SimplePortReader();

    void SetReceiver(IW32Window* hNotifyWnd, std::uint32_t nNotifyMsg, PFN_RECEIVE pfnReceive,
                     void* pContext);
    // Called once on the reader thread when the device goes away (hang-up); the loop then ends.
    void SetHangupHandler(PFN_HANGUP pfnHangup) { m_pfnHangup = pfnHangup; }

    int Open(const std::string& deviceName, int nBaudRate, std::uint8_t nDataBits, std::uint8_t nParity,
             std::uint8_t nStopBits, std::size_t nQueueCapacity, int bOverlapped);
    int IsOpen() const { return m_Port.IsOpen(); }
    int OpenError() const { return m_Port.OpenError(); }
    int Write(const std::uint8_t* pBytes, std::uint32_t nCount) { return m_Port.Write(pBytes, nCount); }
    int Close();
    // 1 after the device hung up, until the next Open.
    int IsHungUp() const { return m_bHungUp.load() ? 1 : 0; }

    // Buffered delivery (used only when a notify window and message are set): takes queued bytes.
    int PopQueued(std::uint8_t* pData, std::size_t nLength);

private:
    static void ReceiveCallback(void* pReader);
    void Deliver(const std::uint8_t* pChunk, int nLength);

    ZUtils::ZLock m_Lock;
    ZUtils::ZHeapQueue m_Queue;
    ZUtils::ZComport m_Port;
    W32SimpleThread m_Thread;
    std::atomic<int> m_bRunning{0};
    IW32Window* m_hNotifyWnd = nullptr;
    std::uint32_t m_nNotifyMsg = 0;
    PFN_RECEIVE m_pfnReceive = nullptr;
    void* m_pReceiveCtx = nullptr;
    PFN_HANGUP m_pfnHangup = nullptr;
    std::atomic<bool> m_bHungUp{false};
};
