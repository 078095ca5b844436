#include "simframe.h"

#include "comm/crc16.h"

#include <cstdio>
#include <cstring>

namespace Sim {

std::string IdName(std::uint8_t nId) {
    static const char* const kNames[] = {
        "VA_SYSTEM",    "VA_MAP",     "VA_MUTE",      "VA_LEVEL",    "VA_VOLUME",  "VA_DELAY",  "VA_INPUT",
        "VA_FILTER",    "VA_UPDATE",  "VA_PRESET",    "VA_HIGHLOW",  "VA_XOVER",   "VA_PHASE",  "VA_EQFLAG",
        "VA_XOVERFLAG", "VA_VEQFLAG", "VA_VEQFILTER", "VA_PASSWORD", "VA_VEQVSEL", "VA_VEQLED", "VA_OUTPUT"};
    if (nId <= kMaxId) return kNames[nId];
    return "ID " + std::to_string(nId);
}

std::vector<std::uint8_t> BuildFrame(std::uint8_t nSlaveAddr, std::uint8_t nIdByte, std::uint8_t nMode,
                                     std::uint8_t nChannel, std::uint8_t nSubIndex,
                                     const std::vector<std::uint8_t>& body) {
    const std::size_t nBody = body.size() < kMaxBody ? body.size() : kMaxBody;
    std::vector<std::uint8_t> frame;
    frame.reserve(kHeaderSize + nBody + 2);
    for (std::uint8_t b :
         {nSlaveAddr, nIdByte, nMode, std::uint8_t{0}, nChannel, nSubIndex, static_cast<std::uint8_t>(nBody)})
        frame.push_back(b);
    for (std::size_t i = 0; i < nBody; ++i)
        frame.push_back(body[i]);
    const std::uint16_t crc = CalcCrc16(frame.data(), frame.size());
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    return frame;
}

std::string HexString(const std::uint8_t* pData, std::size_t nLength) {
    std::string text;
    text.reserve(nLength * 3);
    char sz[4];
    for (std::size_t i = 0; i < nLength; ++i) {
        std::snprintf(sz, sizeof sz, i ? " %02X" : "%02X", pData[i]);
        text += sz;
    }
    return text;
}

void CSimFrameParser::Reset() {
    m_nKept = 0;
    m_Garbage.clear();
}

void CSimFrameParser::Feed(const std::uint8_t* pData, std::size_t nLength, std::vector<SParseEvent>& events) {
    if (!pData) return;
    for (std::size_t i = 0; i < nLength; ++i) {
        // Scan() leaves fewer than kMaxFrame bytes behind, so there is always room for one more.
        m_Kept[m_nKept++] = pData[i];
        Scan(events);
    }
    FlushGarbage(events);
}

void CSimFrameParser::Expire(std::vector<SParseEvent>& events) {
    while (m_nKept > 0) {
        DropFront(1, true);
        Scan(events);
    }
    FlushGarbage(events);
}

void CSimFrameParser::DropFront(std::size_t nCount, bool bGarbage) {
    if (bGarbage) m_Garbage.insert(m_Garbage.end(), m_Kept, m_Kept + nCount);
    std::memmove(m_Kept, m_Kept + nCount, m_nKept - nCount);
    m_nKept -= nCount;
}

void CSimFrameParser::FlushGarbage(std::vector<SParseEvent>& events) {
    if (m_Garbage.empty()) return;
    SParseEvent ev;
    ev.eKind = SParseEvent::EKind::Garbage;
    ev.Bytes.swap(m_Garbage);
    events.push_back(std::move(ev));
}

void CSimFrameParser::Scan(std::vector<SParseEvent>& events) {
    while (m_nKept > 0) {
        if (m_nKept >= 2 && (m_Kept[1] & 0x1F) > kMaxId) {
            DropFront(1, true);
            continue;
        }
        if (m_nKept >= kHeaderSize && m_Kept[6] > kMaxBody) {
            DropFront(1, true);
            continue;
        }
        if (m_nKept < kHeaderSize) return;
        const std::size_t nFrame = kHeaderSize + m_Kept[6] + 2;
        if (m_nKept < nFrame) return;

        const std::uint16_t nComputed = CalcCrc16(m_Kept, nFrame - 2);
        const std::uint16_t nReceived =
            static_cast<std::uint16_t>(m_Kept[nFrame - 2] | (m_Kept[nFrame - 1] << 8));
        FlushGarbage(events);
        SParseEvent ev;
        ev.Bytes.assign(m_Kept, m_Kept + nFrame);
        ev.nCrcReceived = nReceived;
        ev.nCrcComputed = nComputed;
        if (nComputed != nReceived) {
            ev.eKind = SParseEvent::EKind::CrcMismatch;
            events.push_back(std::move(ev));
            DropFront(1, false);
            continue;
        }
        ev.eKind = SParseEvent::EKind::Frame;
        SSimFrame& f = ev.Frame;
        f.SlaveAddr = m_Kept[0];
        f.Id = m_Kept[1] & 0x1F;
        f.Status = m_Kept[1] & 0xE0;
        f.Mode = m_Kept[2];
        f.Reserved = m_Kept[3];
        f.Channel = m_Kept[4];
        f.SubIndex = m_Kept[5];
        f.Body.assign(m_Kept + kHeaderSize, m_Kept + nFrame - 2);
        f.Raw = ev.Bytes;
        events.push_back(std::move(ev));
        DropFront(nFrame, false);
    }
}

} // namespace Sim
