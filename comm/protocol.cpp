#include "protocol.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "comnames.h"
#include "crc16.h"
#include "trace.h"

using namespace ZUtils;

namespace {

void SleepMs(int nMs) {
    std::this_thread::sleep_for(std::chrono::milliseconds(nMs));
}

int ElapsedMs(std::uint32_t nStart) {
    return std::abs(static_cast<int>(GetTickCount() - nStart));
}

} // namespace

CProtocol::CProtocol() : m_RxRing(new std::uint8_t[RX_SLOTS][RX_SLOT_SIZE]) {
    m_hReplyEvent.Create(0, 0);
}

CProtocol::~CProtocol() {
    m_hReplyEvent.Close();
    Close();
    delete[] m_RxRing;
}

int CProtocol::Open(int nPort) {
    m_nPort = nPort;
    const std::string device = DevicePathFromComNumber(nPort);
    if (m_Reader.IsOpen()) m_Reader.Close();
    m_bOpen = 0;
    m_Reader.SetReceiver(m_hWnd, 0, &CProtocol::OnReceive, this);
    m_IpcPacket.ResetParser(); // before the reader thread owns it
    if (device.empty() || !m_Reader.Open(device, 115200, 8, NOPARITY, ONESTOPBIT, 4096, 1)) {
        TRACE("#### COM%d Port Open Fail!!!!", nPort);
        return 0;
    }
    TRACE("COM%d Port Open Sucess!!!!", nPort);
    m_bOpen = 1;
    return 1;
}

void CProtocol::Close() {
    if (m_Reader.IsOpen()) m_Reader.Close();
    m_bOpen = 0;
}

int CProtocol::IsOpen() const {
    return m_Reader.IsOpen();
}

int CProtocol::BuildPacket(std::uint8_t* pDest, const std::uint8_t* pHeader, int nHeaderLen,
                           const std::uint8_t* pBody, int nBodyLen) {
    if (!pDest || !pHeader || nHeaderLen <= 0) return 0;
    std::memcpy(pDest, pHeader, static_cast<std::size_t>(nHeaderLen));
    int nLen = nHeaderLen;
    if (pBody && nBodyLen > 0) {
        std::memcpy(pDest + nLen, pBody, static_cast<std::size_t>(nBodyLen));
        nLen += nBodyLen;
    }
    const std::uint16_t crc = CalcCrc16(pDest, static_cast<std::size_t>(nLen));
    pDest[nLen] = static_cast<std::uint8_t>(crc & 0xFF);
    pDest[nLen + 1] = static_cast<std::uint8_t>(crc >> 8);
    return nLen + 2;
}

int CProtocol::SendPacket(const std::uint8_t* pFrame, int nLength, std::uint8_t nExpectedId) {
    if (!pFrame || nLength <= 0) return 0;
    const std::uint32_t nStart = GetTickCount();
    int nAttempt = 0;
    for (;;) {
        m_nExpectedId.store(nExpectedId);
        m_hReplyEvent.Reset();
        // A device that went away answers nothing: give up at once instead of retrying for 2.5 s.
        if (m_Reader.IsHungUp()) {
            TRACE("\r\n !!!!! ERROR SendPacket timeout ID[%d]", nExpectedId);
            return 0;
        }
        m_Reader.Write(pFrame, static_cast<std::uint32_t>(nLength));
        const int nRet = m_hReplyEvent.Wait(REPLY_TIMEOUT_MS);
        if (nRet == WAIT_OBJECT_0) {
            TRACE("\r\n Send Time %d[msec] ID[%d]", ElapsedMs(nStart), nExpectedId);
            SleepMs(5);
            return 1;
        }
        TRACE("\r\n dwRet[%d]", nRet);
        if (nAttempt == MAX_RETRIES) {
            TRACE("\r\n !!!!! ERROR SendPacket timeout ID[%d]", nExpectedId);
            return 0;
        }
        ++nAttempt;
        TRACE("\r\n !!!!! Retry SendPacket[%d] time[%d] ID[0x%x] ", nAttempt, ElapsedMs(nStart), nExpectedId);
        SleepMs(50);
    }
}

int CProtocol::SendPacketOnce(const std::uint8_t* pFrame, int nLength, std::uint8_t nExpectedId) {
    return SendSingle(pFrame, nLength, nExpectedId, ONCE_TIMEOUT_MS, 5, false);
}

int CProtocol::SendPacketProbe(const std::uint8_t* pFrame, int nLength, std::uint8_t nExpectedId) {
    return SendSingle(pFrame, nLength, nExpectedId, PROBE_TIMEOUT_MS, 1, true);
}

// One write and one wait, without retries: the bracket commands and the presence probe.
int CProtocol::SendSingle(const std::uint8_t* pFrame, int nLength, std::uint8_t nExpectedId, std::uint32_t nTimeoutMs,
                          int nPauseMs, bool bPlainTime) {
    if (!pFrame || nLength <= 0)
        return 0;
    const std::uint32_t nStart = GetTickCount();
    m_nExpectedId.store(nExpectedId);
    m_hReplyEvent.Reset();
    if (!m_Reader.IsHungUp()) {
        m_Reader.Write(pFrame, static_cast<std::uint32_t>(nLength));
        if (m_hReplyEvent.Wait(nTimeoutMs) == WAIT_OBJECT_0) {
            const int nElapsed = bPlainTime ? static_cast<int>(GetTickCount() - nStart) : ElapsedMs(nStart);
            TRACE("\r\n Send Time %d[msec] ID[%d]", nElapsed, nExpectedId);
            SleepMs(nPauseMs);
            return 1;
        }
    }
    TRACE("\r\n !!!!! ERROR SendPacket timeout ID[%d]", nExpectedId);
    return 0;
}

void CProtocol::TakeQuickValues(const SIpcPacket& rec) {
    switch (rec.ID) {
    case VA_PRESET:
        m_nPreset.store(rec.Byte(0));
        break;
    case VA_MAP:
        if (rec.Channel == 9) {
            m_nEasyExpert.store(rec.EasyExpert());
            TRACE("\r\n Receive g_IpcPacket.Map.Easy_Expert[%d] ", rec.EasyExpert());
        }
        break;
    case VA_LEVEL:
        if (rec.Channel == 9) {
            if (rec.SubIndex == 0)
                m_nLevelMain.store(rec.Level(0));
            else if (rec.SubIndex == 1)
                m_nLevelAux.store(rec.Level(0));
        }
        break;
    case VA_HIGHLOW:
        m_nHighLow.store(rec.Byte(0));
        break;
    case VA_INPUT:
        m_nInput.store(rec.Byte(0));
        break;
    default:
        break;
    }
}

void CProtocol::OnReceive(const std::uint8_t* pChunk, int nLength, void* pContext) {
    if (!pContext || !pChunk || nLength <= 0) return;
    auto* self = static_cast<CProtocol*>(pContext);
    // Chunks from the reader fit a slot; a longer one (a direct caller) takes several slots.
    for (int nOffset = 0; nOffset < nLength; nOffset += RX_SLOT_SIZE) {
        const int nPiece = std::min(nLength - nOffset, RX_SLOT_SIZE);
        std::uint8_t* pSlot = self->m_RxRing[self->m_nRxIndex];
        self->m_nRxIndex = static_cast<std::uint16_t>((self->m_nRxIndex + 1) % RX_SLOTS);
        bool bRelease = false;
        for (int i = 0; i < nPiece; ++i) {
            const std::uint8_t b = pChunk[nOffset + i];
            pSlot[i] = b;
            if (!ParsePacketByte(self->m_IpcPacket, b)) continue;
            // An acknowledgement carries no body: its decoded area still holds an older reply,
            // which is no value of this one.
            if (self->m_IpcPacket.Length > 0) self->TakeQuickValues(self->m_IpcPacket);
            if (self->m_nExpectedId.load() == self->m_IpcPacket.ID) bRelease = true;
        }
        if (self->m_hWnd)
            self->m_hWnd->PostMessage(WM_IPC_RECEIVE, reinterpret_cast<std::uintptr_t>(pSlot), nPiece);
        // The sender is released only once the chunk with its reply is queued for the window, so
        // whatever the sender posts next (the end of a load, say) comes after that reply.
        if (bRelease) self->m_hReplyEvent.Set();
    }
}

int CProtocol::ParsePacketByte(SIpcPacket& rec, std::uint8_t b) {
    switch (rec.state) {
    case 0:
        rec.SlaveAddr = b;
        rec.state = 1;
        return 0;
    case 1:
        rec.Status = static_cast<std::uint8_t>(b >> 5);
        rec.ID = static_cast<std::uint8_t>(b & 0x1F);
        if (rec.ID > VA_ID_MAX) {
            rec.ResetParser();
            return 0;
        }
        rec.state = 2;
        return 0;
    case 2:
        rec.Mode = b;
        rec.state = 3;
        return 0;
    case 3:
        rec.Reserved = b;
        rec.state = 4;
        return 0;
    case 4:
        rec.Channel = b;
        rec.state = 5;
        return 0;
    case 5:
        rec.SubIndex = b;
        rec.state = 6;
        return 0;
    case 6:
        rec.Length = b;
        rec.nDataLen = 0;
        // More body than the record holds: no command has one, so the frame is dropped.
        if (rec.Length > IPC_DATA_CAPACITY) {
            rec.ResetParser();
            return 0;
        }
        rec.state = rec.Length == 0 ? 8 : 7;
        return 0;
    case 7:
        if (rec.nDataLen >= IPC_DATA_CAPACITY) { // cannot happen after the check above; kept as a guard
            rec.ResetParser();
            return 0;
        }
        rec.data[rec.nDataLen++] = b;
        if (rec.nDataLen >= rec.Length) {
            if (!DecodeBody(rec)) {
                rec.ResetParser();
                return 0;
            }
            rec.state = 8;
        }
        return 0;
    case 8:
        rec.crc = b;
        rec.state = 9;
        return 0;
    case 9:
        rec.crc = static_cast<std::uint16_t>(rec.crc | (b << 8));
        rec.ResetParser();
        return 1;
    default:
        rec.ResetParser();
        return 0;
    }
}
