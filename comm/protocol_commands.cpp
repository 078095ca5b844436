// The write and read commands. Each checks that the port is open and its arguments are in range,
// builds its frame and runs the transaction; a refused argument writes nothing.
#include <algorithm>

#include "protocol.h"
#include "trace.h"

namespace {

std::uint8_t Lo(int n) {
    return static_cast<std::uint8_t>(n & 0xFF);
}

void PutRecord(std::uint8_t* pBody, int nSumFlag, const SFilterCoef& coef) {
    pBody[0] = Lo(nSumFlag);
    std::memcpy(pBody + 1, &coef, sizeof coef);
}

} // namespace

int CProtocol::SendWrite(std::uint8_t nId, int nMode, int nChannel, int nSubIndex, const std::uint8_t* pBody,
                         int nBodyLen) {
    const std::uint8_t header[IPC_HEADER_LEN] = {Lo(m_nSlaveAddr), nId,           Lo(nMode),   0,
                                                 Lo(nChannel),     Lo(nSubIndex), Lo(nBodyLen)};
    const int nLen = BuildPacket(m_TxBuffer, header, IPC_HEADER_LEN, pBody, nBodyLen);
    return nId == VA_UPDATE ? SendPacketOnce(m_TxBuffer, nLen, nId) : SendPacket(m_TxBuffer, nLen, nId);
}

int CProtocol::SendRead(std::uint8_t nId, int nChannel, int nSubIndex) {
    const std::uint8_t header[IPC_HEADER_LEN] = {Lo(m_nSlaveAddr), nId,           MODE_READ, 0,
                                                 Lo(nChannel),     Lo(nSubIndex), 0};
    std::uint8_t frame[IPC_HEADER_LEN + 2];
    const int nLen = BuildPacket(frame, header, IPC_HEADER_LEN, nullptr, 0);
    return SendPacket(frame, nLen, nId);
}

// ---- writes ----

int CProtocol::SendSetSystem(int nMode, std::uint16_t nValue, std::uint8_t b2, std::uint8_t b3,
                             int nChannel) {
    if (!IsOpen()) return 0;
    if (nChannel < 0 || nChannel > 10) {
        TRACE("\r\n !!!!! ERROR SendSetSystem nChannel[%d]", nChannel);
        return 0;
    }
    const std::uint8_t body[4] = {Lo(nValue), Lo(nValue >> 8), b2, b3};
    return SendWrite(VA_SYSTEM, nMode, 0, 0, body, 4);
}

int CProtocol::SendSetChannelMap(int nMode, int nChannel, const std::uint8_t* pMap, int nCount,
                                 std::uint8_t nEasyExpert) {
    if (!IsOpen()) return 0;
    if (!pMap || nCount <= 0 || nCount % 3 != 0 || nChannel < 0 || nChannel > 9 || nChannel == 8) return 0;
    if (nCount < (nChannel == 9 ? 24 : 3)) return 0;
    if (nChannel != 9) return SendWrite(VA_MAP, nMode, nChannel, 0, pMap, 3);
    std::uint8_t body[25];
    std::memcpy(body, pMap, 24);
    body[24] = nEasyExpert;
    TRACE("\r\n===============================");
    static const char* const kFormats[3] = {"\r\n MAP_M%d[0x%x]", "\r\n MAP_A%d[0x%x]", "\r\n MAP_D%d[0x%x]"};
    for (int i = 0; i < 24; ++i)
        TRACE(kFormats[i % 3], i / 3, body[i]);
    TRACE("\r\n ########### SendSetChannelMap  Easy_Expert[%d]", nEasyExpert);
    TRACE("\r\n===============================");
    return SendWrite(VA_MAP, nMode, 9, 0, body, 25);
}

int CProtocol::SendSetMute(int nMode, std::uint8_t nMask) {
    if (!IsOpen()) return 0;
    return SendWrite(VA_MUTE, nMode, 0, 0, &nMask, 1);
}

int CProtocol::SendSetLevel(int nMode, int nChannel, const int* pLevels, int nGroup) {
    if (!IsOpen()) return 0;
    if (!pLevels) {
        TRACE("\r\n !!!!! ERROR SendSetLevel ");
        return 0;
    }
    if (nChannel == 9) {
        if (nGroup != 0 && nGroup != 1) return 0;
        std::uint8_t body[6] = {};
        const int nCount = nGroup == 0 ? 6 : 2;
        for (int i = 0; i < nCount; ++i)
            body[i] = Lo(13 - pLevels[i]);
        return SendWrite(VA_LEVEL, nMode, 9, nGroup, body, 6);
    }
    if (nChannel < 0 || nChannel > 5) return 0;
    const int p = std::min(nChannel & ~1, 4);
    const std::uint8_t body[2] = {Lo(13 - pLevels[p]), Lo(13 - pLevels[p + 1])};
    TRACE("\r\n [%d][%d] [%d][%d]", p, pLevels[p], p + 1, pLevels[p + 1]);
    return SendWrite(VA_LEVEL, nMode, p, nGroup, body, 2);
}

int CProtocol::SendSetChannelVolume(int nMode, int nChannel, int nSumFlag, const int* pVolume) {
    if (!IsOpen()) return 0;
    if (nChannel < 0 || nChannel > 9) {
        TRACE("\r\n !!!!! ERROR SendSetChannelVolume nChannel[%d]", nChannel);
        return 0;
    }
    if (!pVolume) {
        TRACE("\r\n !!!!! ERROR SendSetChannelVolume Channel [%d]pVolume is NULL", nChannel);
        return 0;
    }
    if (nChannel == 8) return 0;
    if (nChannel == 9) {
        std::uint8_t body[8];
        for (int i = 0; i < 8; ++i)
            body[i] = Lo(pVolume[i]);
        return SendWrite(VA_VOLUME, nMode, 9, 0, body, 8);
    }
    const std::uint8_t body[2] = {Lo(nSumFlag), Lo(pVolume[0])};
    return SendWrite(VA_VOLUME, nMode, nChannel, 0, body, 2);
}

int CProtocol::SendSetMainVolume(int nMode, int nVolume) {
    if (!IsOpen()) return 0;
    const std::uint8_t body[2] = {0, Lo(nVolume)};
    return SendWrite(VA_VOLUME, nMode, 8, 0, body, 2);
}

int CProtocol::SendSetDelay(int nMode, int nChannel, const std::uint16_t* pDelays) {
    if (!IsOpen()) return 0;
    if (nChannel < 0 || nChannel > 9 || !pDelays) {
        TRACE("\r\n !!!!! ERROR SendSetDelay nChannel[%d]", nChannel);
        return 0;
    }
    if (nChannel == 8) return 0;
    const int nCount = nChannel == 9 ? 8 : 2;
    std::uint8_t body[16];
    for (int i = 0; i < nCount; ++i) {
        body[2 * i] = Lo(pDelays[i]);
        body[2 * i + 1] = Lo(pDelays[i] >> 8);
    }
    return SendWrite(VA_DELAY, nMode, nChannel, 0, body, 2 * nCount);
}

int CProtocol::SendSetInput(int nMode, int nInput, int nSubInput) {
    TRACE("\r\n SendSetInput Input[%d]  SubInput[%d]", nInput, nSubInput);
    if (!IsOpen()) return 0;
    const std::uint8_t body[2] = {Lo(nInput), Lo(nSubInput)};
    return SendWrite(VA_INPUT, nMode, 0, 0, body, 2);
}

int CProtocol::SendSetFilterCoef(int nMode, int nChannel, int nSumFlag, int nBiQuad,
                                 const SFilterCoef* mCoef) {
    if (!IsOpen()) return 0;
    if (nChannel < 0 || nChannel > 7) {
        TRACE("\r\n !!!!! ERROR SendSetFilterCoef nChannel[%d]", nChannel);
        return 0;
    }
    if (nBiQuad < 0 || nBiQuad > 10) {
        TRACE("\r\n !!!!! ERROR SendSetFilterCoef BiQuad[%d]", nBiQuad);
        return 0;
    }
    if (!mCoef) {
        TRACE("\r\n !!!!! ERROR SendSetFilterCoef mCoef NULL");
        return 0;
    }
    std::uint8_t body[9];
    PutRecord(body, nSumFlag, *mCoef);
    return SendWrite(VA_FILTER, nMode, nChannel, nBiQuad, body, 9);
}

int CProtocol::SendSetUpdate(int nPhase, int nCode) {
    if (!IsOpen()) return 0;
    const std::uint8_t body[2] = {Lo(nPhase), Lo(nCode)};
    return SendWrite(VA_UPDATE, 1, 0, 0, body, 2);
}

int CProtocol::SendSetPreset(int nMode, int nPreset) {
    if (!IsOpen()) return 0;
    const std::uint8_t body = Lo(nPreset);
    return SendWrite(VA_PRESET, nMode, 0, 0, &body, 1);
}

int CProtocol::SendSetHighLow(int nMode, int bHighLow) {
    if (!IsOpen()) return 0;
    const std::uint8_t body = Lo(bHighLow);
    return SendWrite(VA_HIGHLOW, nMode, 0, 0, &body, 1);
}

int CProtocol::SendSetXoverFilter(int nMode, int nChannel, int nSumFlag, const SFilterCoef* lpCoef,
                                  int nBiQuad) {
    if (!lpCoef) {
        TRACE("\r\n !!!!! ERROR SendSetXoverFilter lpCoef NULL");
        return 0;
    }
    TRACE("\r\n SendSetXoverFilter nChannel[%d] BiQuad[%d] Filtertype[%d] Slop[%d] BandWidth[%f] Freq[%d]",
          nChannel, nBiQuad, lpCoef->Filtertype, lpCoef->Slop, static_cast<double>(lpCoef->BandWidth),
          lpCoef->Freq);
    if (!IsOpen()) return 0;
    if (nChannel < 0 || nChannel > 8) {
        TRACE("\r\n !!!!! ERROR SendSetXoverFilter nChannel[%d]", nChannel);
        return 0;
    }
    if (nBiQuad < 0 || nBiQuad > 2) {
        TRACE("\r\n !!!!! ERROR SendSetXoverFilter BiQuad[%d]", nBiQuad);
        return 0;
    }
    std::uint8_t body[9];
    PutRecord(body, nSumFlag, *lpCoef);
    return SendWrite(VA_XOVER, nMode, nChannel, nBiQuad, body, 9);
}

int CProtocol::SendSetPhase(int nMode, int nChannel, int nSumFlag, int bPhase) {
    TRACE("\r\n SendSetPhase nChannel[%d] SumFlag[%d] bPhase[%d]", nChannel, nSumFlag, bPhase);
    if (!IsOpen()) return 0;
    if (nChannel < 0 || nChannel > 7) {
        TRACE("\r\n !!!!! ERROR SendSetPhase nChannel[%d]", nChannel);
        return 0;
    }
    const std::uint8_t body[2] = {Lo(nSumFlag), Lo(bPhase)};
    return SendWrite(VA_PHASE, nMode, nChannel, 0, body, 2);
}

int CProtocol::SendSetEqFlag(int nMode, int nChannel, int nSumFlag, int bEqFlag) {
    TRACE("\r\n SendSetEqFlag nChannel[%d] bEqFlag[%d] ", nChannel, bEqFlag);
    if (!IsOpen()) return 0;
    if (nChannel < 0 || nChannel > 8) {
        TRACE("\r\n !!!!! ERROR SendSetEqFlag nChannel[%d]", nChannel);
        return 0;
    }
    const std::uint8_t body[2] = {Lo(nSumFlag), Lo(bEqFlag)};
    return SendWrite(VA_EQFLAG, nMode, nChannel, 0, body, 2);
}

int CProtocol::SendSetXoverFlag(int nMode, int nChannel, int nSumFlag, int bXoverFlag) {
    TRACE("\r\n SendSetXoverFlag nChannel[%d] bXoverFlag[%d] SumFlag[%d]", nChannel, bXoverFlag, nSumFlag);
    if (!IsOpen()) return 0;
    if (nChannel < 0 || nChannel > 8) {
        TRACE("\r\n !!!!! ERROR SendSetXoverFlag nChannel[%d]", nChannel);
        return 0;
    }
    const std::uint8_t body[2] = {Lo(nSumFlag), Lo(bXoverFlag)};
    return SendWrite(VA_XOVERFLAG, nMode, nChannel, 0, body, 2);
}

int CProtocol::SendSetVeqFlag(int nMode, int nChannel, int nSumFlag, int bVeqFlag) {
    if (!IsOpen()) return 0;
    if (nChannel < 0 || nChannel > 8) {
        TRACE("\r\n !!!!! ERROR SendSetVeqFlag nChannel[%d]", nChannel);
        return 0;
    }
    const std::uint8_t body[2] = {Lo(nSumFlag), Lo(bVeqFlag)};
    return SendWrite(VA_VEQFLAG, nMode, nChannel, 0, body, 2);
}

int CProtocol::SendSetVeqFilter(int nMode, int nChannel, int nSumFlag, const SFilterCoef* lpCoef) {
    if (!IsOpen()) return 0;
    if (nChannel < 0 || nChannel > 8) {
        TRACE("\r\n !!!!! ERROR SendSetVeqFilter nChannel[%d]", nChannel);
        return 0;
    }
    if (!lpCoef) {
        TRACE("\r\n !!!!! ERROR SendSetVeqFilter lpCoefis NULL");
        return 0;
    }
    std::uint8_t body[9];
    PutRecord(body, nSumFlag, *lpCoef);
    return SendWrite(VA_VEQFILTER, nMode, nChannel, 0, body, 9);
}

int CProtocol::SendSetVeqVoltage(int nMode, int nValue) {
    if (!IsOpen()) return 0;
    const std::uint8_t body = Lo(nValue);
    return SendWrite(VA_VEQVSEL, nMode, 0, 0, &body, 1);
}

int CProtocol::SendSetOutput(int nMode, const int* pOutputs) {
    if (!IsOpen()) return 0;
    if (!pOutputs) return 0;
    std::uint8_t body[5];
    for (int i = 0; i < 5; ++i) {
        body[i] = Lo(pOutputs[i]);
        TRACE("\r\n mBody.OUTPUT_%d[%d]", i, body[i]);
    }
    return SendWrite(VA_OUTPUT, nMode, 0, 0, body, 5);
}

// ---- reads ----

int CProtocol::SendSystemPeekReq(int nSlaveAddr) {
    TRACE("\r\n SendSystemPeekReq SlaveAddr[%d]", nSlaveAddr);
    if (!IsOpen()) return 0;
    if (nSlaveAddr < 0 || nSlaveAddr > 10) {
        TRACE("\r\n !!!!! ERROR SendSystemPeekReq SlaveAddr[%d]", nSlaveAddr);
        return 0;
    }
    const std::uint8_t header[IPC_HEADER_LEN] = {Lo(nSlaveAddr), VA_SYSTEM, MODE_READ, 0, 0, 0, 0};
    std::uint8_t frame[IPC_HEADER_LEN + 2];
    const int nLen = BuildPacket(frame, header, IPC_HEADER_LEN, nullptr, 0);
    m_nProbeAddr.store(nSlaveAddr);
    const int nOk = SendPacketProbe(frame, nLen, VA_SYSTEM);
    m_nProbeAddr.store(-1);
    return nOk;
}

#define MLB8_CHECKED_READ(Name, Id, Low, High)                                                               \
    int CProtocol::Name(int nChannel) {                                                                      \
        if (!IsOpen()) return 0;                                                                             \
        if (nChannel < (Low) || nChannel > (High)) {                                                         \
            TRACE("\r\n !!!!! ERROR " #Name " nChannel[%d]", nChannel);                                      \
            return 0;                                                                                        \
        }                                                                                                    \
        return SendRead(Id, nChannel, 0);                                                                    \
    }

MLB8_CHECKED_READ(SendGetChannelMap, VA_MAP, 0, 9)
MLB8_CHECKED_READ(SendGetChannelVolume, VA_VOLUME, 0, 9)
MLB8_CHECKED_READ(SendGetDelay, VA_DELAY, 0, 9)
MLB8_CHECKED_READ(SendGetPhase, VA_PHASE, 0, 9)
MLB8_CHECKED_READ(SendGetEqFlag, VA_EQFLAG, 0, 8)
MLB8_CHECKED_READ(SendGetXoverFlag, VA_XOVERFLAG, 0, 8)
MLB8_CHECKED_READ(SendGetVeqFlag, VA_VEQFLAG, 0, 8)
MLB8_CHECKED_READ(SendGetVeqFilterCoef, VA_VEQFILTER, 0, 8)
MLB8_CHECKED_READ(SendGetVeqVoltage, VA_VEQVSEL, 0, 8)
MLB8_CHECKED_READ(SendGetVeqLed, VA_VEQLED, 0, 8)
MLB8_CHECKED_READ(SendGetVeqLedPeek, VA_VEQLED, 0, 8)
#undef MLB8_CHECKED_READ

int CProtocol::SendGetMute() {
    return IsOpen() ? SendRead(VA_MUTE, 0, 0) : 0;
}

int CProtocol::SendGetLevel(int nChannel, int nGroup) {
    if (!IsOpen() || nChannel < 0 || nChannel > 9) return 0;
    return SendRead(VA_LEVEL, nChannel, nGroup);
}

int CProtocol::SendGetMainVolume() {
    return IsOpen() ? SendRead(VA_VOLUME, 8, 0) : 0;
}

int CProtocol::SendGetInput() {
    return IsOpen() ? SendRead(VA_INPUT, 0, 0) : 0;
}

int CProtocol::SendGetFilterCoef(int nChannel, int nBiQuad) {
    if (!IsOpen()) return 0;
    if (nChannel < 0 || nChannel > 8) {
        TRACE("\r\n !!!!! ERROR SendGetFilterCoef nChannel[%d]", nChannel);
        return 0;
    }
    if (nBiQuad < 0 || nBiQuad > 10) {
        TRACE("\r\n !!!!! ERROR SendGetFilterCoef nBiQuad[%d]", nBiQuad);
        return 0;
    }
    return SendRead(VA_FILTER, nChannel, nBiQuad);
}

int CProtocol::SendGetPreset() {
    return IsOpen() ? SendRead(VA_PRESET, 0, 0) : 0;
}

int CProtocol::SendGetHighLow() {
    return IsOpen() ? SendRead(VA_HIGHLOW, 0, 0) : 0;
}

int CProtocol::SendGetXFilterCoef(std::uint8_t nChannel, std::uint8_t nFilter) {
    if (!IsOpen()) return 0;
    if (nChannel > 8) {
        TRACE("\r\n !!!!! ERROR SendGetXFilterCoef nChannel[%d]", nChannel);
        return 0;
    }
    return SendRead(VA_XOVER, nChannel, nFilter);
}

int CProtocol::SendGetOutput() {
    return IsOpen() ? SendRead(VA_OUTPUT, 0, 0) : 0;
}
