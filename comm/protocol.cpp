#include "protocol.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "comnames.h"
#include "crc16.h"
#include "trace.h"

using namespace ZUtils;

namespace {

int ElapsedMs(IClock& clock, std::uint32_t nStart) {
    return std::abs(static_cast<int>(clock.NowMs() - nStart));
}

} // namespace

CProtocol::CProtocol(ILinkEnv& env) : m_pEnv(&env), m_RxRing(new std::uint8_t[RX_SLOTS][RX_SLOT_SIZE]) {
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
    if (!m_pPort) m_pPort = m_pEnv->NewPort();
    if (m_pPort->IsOpen()) m_pPort->Close();
    m_bOpen = 0;
    m_pPort->SetReceiver(
        [this](const std::uint8_t* pChunk, int nLength) { OnReceive(pChunk, nLength, this); },
        [this] { OnHangup(this); });
    m_IpcPacket.ResetParser(); // before the reader thread owns it
    if (device.empty() || !m_pPort->Open(device)) {
        TRACE("#### COM%d Port Open Fail!!!!", nPort);
        return 0;
    }
    TRACE("COM%d Port Open Sucess!!!!", nPort);
    static std::atomic<std::uint32_t> s_nLastGeneration{0};
    std::uint32_t nGeneration = ++s_nLastGeneration;
    if (nGeneration == 0) nGeneration = ++s_nLastGeneration; // 0 means a removal the system reported
    m_nGeneration = nGeneration;
    m_bOpen = 1;
    return 1;
}

void CProtocol::Close() {
    if (m_pPort && m_pPort->IsOpen()) m_pPort->Close();
    m_bOpen = 0;
}

int CProtocol::IsOpen() const {
    return m_pPort && m_pPort->IsOpen();
}

void CProtocol::SetEnv(ILinkEnv& env) {
    Close();
    m_pPort.reset();
    m_pEnv = &env;
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
    IClock& clock = *m_pEnv;
    const std::uint32_t nStart = clock.NowMs();
    int nAttempt = 0;
    for (;;) {
        m_nExpectedId.store(nExpectedId);
        m_hReplyEvent.Reset();
        // A device that went away answers nothing: give up at once instead of retrying for 2.5 s.
        if (IsHungUp()) {
            TRACE("\r\n !!!!! ERROR SendPacket timeout ID[%d]", nExpectedId);
            return 0;
        }
        if (m_pPort) m_pPort->Write(pFrame, static_cast<std::uint32_t>(nLength));
        const int nRet = clock.Wait(m_hReplyEvent, REPLY_TIMEOUT_MS);
        if (nRet == WAIT_OBJECT_0) {
            TRACE("\r\n Send Time %d[msec] ID[%d]", ElapsedMs(clock, nStart), nExpectedId);
            clock.Sleep(5);
            return 1;
        }
        TRACE("\r\n dwRet[%d]", nRet);
        if (nAttempt == MAX_RETRIES) {
            TRACE("\r\n !!!!! ERROR SendPacket timeout ID[%d]", nExpectedId);
            return 0;
        }
        ++nAttempt;
        TRACE("\r\n !!!!! Retry SendPacket[%d] time[%d] ID[0x%x] ", nAttempt, ElapsedMs(clock, nStart),
              nExpectedId);
        clock.Sleep(50);
    }
}

int CProtocol::SendPacketOnce(const std::uint8_t* pFrame, int nLength, std::uint8_t nExpectedId) {
    return SendSingle(pFrame, nLength, nExpectedId, ONCE_TIMEOUT_MS, 5, false);
}

int CProtocol::SendPacketProbe(const std::uint8_t* pFrame, int nLength, std::uint8_t nExpectedId) {
    return SendSingle(pFrame, nLength, nExpectedId, PROBE_TIMEOUT_MS, 1, true);
}

// One write and one wait, without retries: the bracket commands and the presence probe.
int CProtocol::SendSingle(const std::uint8_t* pFrame, int nLength, std::uint8_t nExpectedId,
                          std::uint32_t nTimeoutMs, int nPauseMs, bool bPlainTime) {
    if (!pFrame || nLength <= 0) return 0;
    IClock& clock = *m_pEnv;
    const std::uint32_t nStart = clock.NowMs();
    m_nExpectedId.store(nExpectedId);
    m_hReplyEvent.Reset();
    if (!IsHungUp()) {
        if (m_pPort) m_pPort->Write(pFrame, static_cast<std::uint32_t>(nLength));
        if (clock.Wait(m_hReplyEvent, nTimeoutMs) == WAIT_OBJECT_0) {
            const int nElapsed =
                bPlainTime ? static_cast<int>(clock.NowMs() - nStart) : ElapsedMs(clock, nStart);
            TRACE("\r\n Send Time %d[msec] ID[%d]", nElapsed, nExpectedId);
            clock.Sleep(static_cast<std::uint32_t>(nPauseMs));
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
        SIpcPacket& rec = self->m_IpcPacket;
        for (int i = 0; i < nPiece; ++i) {
            const std::uint8_t b = pChunk[nOffset + i];
            pSlot[i] = b;
            if (!ParsePacketByte(rec, b)) continue;
            // An acknowledgement carries no body: its decoded area still holds an older reply,
            // which is no value of this one.
            if (rec.Length > 0) self->TakeQuickValues(rec);
            if (self->m_nExpectedId.load() != rec.ID) continue;
            // A probe is answered only by the probed processor, not by an echo or another address.
            const int nProbe = self->m_nProbeAddr.load();
            if (rec.ID == VA_SYSTEM && nProbe >= 0 && !IsPresenceReply(rec, nProbe)) {
                TRACE("\r\n Probe[%d] not answered by addr[%d] mode[0x%x] len[%d]", nProbe, rec.SlaveAddr,
                      rec.Mode, rec.Length);
                continue;
            }
            bRelease = true;
        }
        self->m_nCrcErrors.store(rec.nCrcErrors);
        if (self->m_hWnd)
            self->m_hWnd->PostMessage(WM_IPC_RECEIVE, reinterpret_cast<std::uintptr_t>(pSlot), nPiece);
        // The sender is released only once the chunk with its reply is queued for the window, so
        // whatever the sender posts next (the end of a load, say) comes after that reply.
        if (bRelease) self->m_hReplyEvent.Set();
    }
}

void CProtocol::OnHangup(void* pContext) {
    auto* self = static_cast<CProtocol*>(pContext);
    if (!self) return;
    TRACE("\r\n COM%d hang-up", self->m_nPort);
    if (self->m_hWnd && self->m_nHangupMsg)
        self->m_hWnd->PostMessage(self->m_nHangupMsg, self->m_nGeneration.load(), self->m_nPort);
}

bool CProtocol::IsPresenceReply(const SIpcPacket& rec, int nAddress) {
    return rec.ID == VA_SYSTEM && rec.Mode == MODE_READ && rec.Length == 4 && rec.SlaveAddr == nAddress;
}

namespace {

enum class ECandidate { Partial, Dead, Complete };

// What the bytes from one start position are so far: the beginning of a frame that may still
// complete, no frame at all, or a whole frame (its CRC not yet checked).
ECandidate Classify(const std::uint8_t* f, int n) {
    if (n >= 2 && (f[1] & 0x1F) > VA_ID_MAX) return ECandidate::Dead;
    if (n < IPC_HEADER_LEN) return ECandidate::Partial;
    // More body than the record holds: no command has one.
    if (f[6] > IPC_DATA_CAPACITY) return ECandidate::Dead;
    const int nTotal = IPC_HEADER_LEN + f[6] + 2;
    if (n < nTotal) return ECandidate::Partial;
    return n == nTotal ? ECandidate::Complete : ECandidate::Dead;
}

// Header and body of a whole frame into the record, then the rules of its body.
int LoadFrame(SIpcPacket& rec, const std::uint8_t* f) {
    rec.SlaveAddr = f[0];
    rec.Status = static_cast<std::uint8_t>(f[1] >> 5);
    rec.ID = static_cast<std::uint8_t>(f[1] & 0x1F);
    rec.Mode = f[2];
    rec.Reserved = f[3];
    rec.Channel = f[4];
    rec.SubIndex = f[5];
    rec.Length = f[6];
    rec.nDataLen = f[6];
    std::memcpy(rec.data, f + IPC_HEADER_LEN, f[6]);
    rec.crc = static_cast<std::uint16_t>(f[IPC_HEADER_LEN + f[6]] | (f[IPC_HEADER_LEN + f[6] + 1] << 8));
    return rec.Length == 0 ? 1 : CProtocol::DecodeBody(rec); // a frame without a body has no rules
}

// The parser state of the frame that starts the look-back, with its header as far as it arrived.
void ShowProgress(SIpcPacket& rec) {
    const int n = rec.nRaw;
    const std::uint8_t* f = rec.raw;
    if (n >= 1) rec.SlaveAddr = f[0];
    if (n >= 2) {
        rec.Status = static_cast<std::uint8_t>(f[1] >> 5);
        rec.ID = static_cast<std::uint8_t>(f[1] & 0x1F);
    }
    if (n >= 3) rec.Mode = f[2];
    if (n >= 4) rec.Reserved = f[3];
    if (n >= 5) rec.Channel = f[4];
    if (n >= 6) rec.SubIndex = f[5];
    rec.nDataLen = 0;
    if (n < IPC_HEADER_LEN) {
        rec.state = n;
        return;
    }
    rec.Length = f[6];
    const int nBody = n - IPC_HEADER_LEN;
    if (nBody < rec.Length) {
        rec.state = 7;
        rec.nDataLen = nBody;
        std::memcpy(rec.data, f + IPC_HEADER_LEN, static_cast<std::size_t>(nBody));
        return;
    }
    rec.nDataLen = rec.Length;
    rec.state = nBody == rec.Length ? 8 : 9;
}

} // namespace

// A frame is recognised when its last byte arrives, from whichever earlier byte it starts: noise
// before a reply, or a false start that swallowed part of it, costs nothing but the noise. Every
// byte that may still begin a frame is kept; the earliest start that makes a whole frame with a
// matching CRC and a valid body wins, and everything before it is dropped.
int CProtocol::ParsePacketByte(SIpcPacket& rec, std::uint8_t b) {
    if (rec.nRaw < 0 || rec.nRaw >= IPC_FRAME_MAX) rec.nRaw = 0; // cannot happen: kept as a guard
    rec.raw[rec.nRaw++] = b;
    int nFirstLive = -1;
    bool bInFrame = false; // an earlier start, outside any frame counted, may still make a frame
    for (int s = 0; s < rec.nRaw; ++s) {
        const std::uint8_t* f = rec.raw + s;
        const int n = rec.nRaw - s;
        const ECandidate kind = Classify(f, n);
        if (kind == ECandidate::Partial) {
            if (nFirstLive < 0) nFirstLive = s;
            if (s >= rec.nCounted) bInFrame = true;
            continue;
        }
        if (kind == ECandidate::Dead) continue;
        const std::uint16_t nSent = static_cast<std::uint16_t>(f[n - 2] | (f[n - 1] << 8));
        const std::uint16_t nComputed = CalcCrc16(f, static_cast<std::size_t>(n - 2));
        // A wrong CRC is counted for the frame the parser is in, when it would have been taken for a
        // reply; the starts tried inside a frame (counted or still arriving) are no frames of their own.
        const bool bCountable = s >= rec.nCounted && !bInFrame && (f[2] == MODE_READ || f[2] == MODE_ACK);
        if (nSent != nComputed && !bCountable) continue;
        SIpcPacket frame = rec; // an acknowledgement keeps the decoded area of the reply before it
        const int bValid = LoadFrame(frame, f);
        if (nSent != nComputed) {
            if (bValid) {
                ++rec.nCrcErrors;
                rec.nCounted = s + n;
                TRACE("\r\n !!!!! ERROR CRC ID[%d] crc[0x%04X] computed[0x%04X]", frame.ID, nSent, nComputed);
            }
            continue;
        }
        if (!bValid) continue;
        const int nCrcErrors = rec.nCrcErrors;
        rec = frame;
        rec.nCrcErrors = nCrcErrors;
        rec.ResetParser();
        return 1;
    }
    if (nFirstLive < 0) {
        rec.nRaw = 0;
        rec.nCounted = 0;
    } else if (nFirstLive > 0) {
        rec.nRaw -= nFirstLive;
        rec.nCounted = std::max(0, rec.nCounted - nFirstLive);
        std::memmove(rec.raw, rec.raw + nFirstLive, static_cast<std::size_t>(rec.nRaw));
    }
    ShowProgress(rec);
    return 0;
}
