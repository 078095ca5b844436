#include "soak/soakcheck.h"

#include <algorithm>
#include <cstring>

#include "comm/crc16.h"
#include "comm/trace.h"

namespace Soak {

namespace {

std::int64_t RecordValue(const std::uint8_t* pBytes) {
    std::int64_t n = 0;
    std::memcpy(&n, pBytes, 8);
    return n;
}

void Add(CFields& f, std::string name, std::int64_t nValue) {
    f.push_back({std::move(name), nValue});
}

} // namespace

CFields ModelFields(const CSettingsModel& m, bool bExpert) {
    CFields f;
    Add(f, "main volume", m.m_nMainVolume);
    for (int ch = 0; ch < 8; ++ch) {
        const std::string n = " ch" + std::to_string(ch + 1);
        const auto c = static_cast<std::uint8_t>(ch);
        Add(f, "volume" + n, m.m_nVolume[ch]);
        Add(f, "phase" + n, m.m_bPhase[ch]);
        Add(f, "mute" + n, m.m_bMute[ch]);
        Add(f, "map" + n, m.m_MapM[ch] | m.m_MapA[ch] << 8 | m.m_MapD[ch] << 16);
        // The mirror flag and the store's flag must agree; a disagreement is a value of its own.
        Add(f, "eq flag" + n, m.m_bEqEnable[ch] == m.m_Lib.GetEqFlag(c) ? m.m_bEqEnable[ch] : -1);
        Add(f, "xover flag" + n, m.m_bXoverEnable[ch]);
        Add(f, "delay" + n, m.m_nDelay[ch]);
        for (int b = 0; b < 10; ++b) {
            const SFilterCoef coef = m.m_Lib.GetEqCoef(c, static_cast<std::uint8_t>(b));
            Add(f, "eq band " + std::to_string(b + 1) + n,
                RecordValue(reinterpret_cast<const std::uint8_t*>(&coef)));
        }
        for (int x = 0; x < 2; ++x) {
            const SFilterCoef coef = m.m_Lib.GetXoverCoef(c, static_cast<std::uint8_t>(x));
            Add(f, (x ? "low-pass" : "high-pass") + n,
                RecordValue(reinterpret_cast<const std::uint8_t*>(&coef)));
        }
    }
    Add(f, "mode", m.m_bEasyExp);
    for (int i = 0; i < 6; ++i)
        Add(f, "main level " + std::to_string(i + 1), m.m_nInputSensitivityMain[i]);
    for (int i = 0; i < 2; ++i)
        Add(f, "aux level " + std::to_string(i + 1), m.m_nInputSensitivityAux[i]);
    Add(f, "high/low", m.m_bEasyConfigInputHighLow);
    for (int k = 1; k < 5; ++k)
        Add(f, "output " + std::to_string(k), m.m_nDSPOutput[k]);
    Add(f, "expert input", m.m_nDSPExpInput);
    Add(f, "input kind", bExpert ? -1 : m.m_nDSPInput);
    return f;
}

CFields SimFields(const Sim::SSimConfig& c) {
    CFields f;
    Add(f, "main volume", c.nMainVolume);
    for (int ch = 0; ch < 8; ++ch) {
        const std::string n = " ch" + std::to_string(ch + 1);
        Add(f, "volume" + n, c.nVolume[ch]);
        Add(f, "phase" + n, c.bPhase[ch]);
        Add(f, "mute" + n, (c.nMuteMask >> ch) & 1);
        Add(f, "map" + n, c.Map[3 * ch] | c.Map[3 * ch + 1] << 8 | c.Map[3 * ch + 2] << 16);
        Add(f, "eq flag" + n, c.bEqFlag[ch]);
        Add(f, "xover flag" + n, c.bXoverFlag[ch]);
        Add(f, "delay" + n, c.nDelay[ch]);
        for (int b = 0; b < 10; ++b)
            Add(f, "eq band " + std::to_string(b + 1) + n, RecordValue(c.Eq[ch][b].data()));
        for (int x = 0; x < 2; ++x)
            Add(f, (x ? "low-pass" : "high-pass") + n, RecordValue(c.Xover[ch][x].data()));
    }
    Add(f, "mode", c.Easy_Expert ? 1 : 0);
    for (int i = 0; i < 6; ++i)
        Add(f, "main level " + std::to_string(i + 1), c.nLevelMain[i]);
    for (int i = 0; i < 2; ++i)
        Add(f, "aux level " + std::to_string(i + 1), c.nLevelAux[i]);
    Add(f, "high/low", c.bHighLow);
    for (int k = 1; k < 5; ++k)
        Add(f, "output " + std::to_string(k), c.Output[k]);
    Add(f, "expert input", c.Input);
    Add(f, "input kind", c.Easy_Expert ? -1 : (c.Input == 0 ? c.SubInput : c.Input + 2));
    return f;
}

std::vector<std::string> Differences(const CFields& a, const CFields& b) {
    std::vector<std::string> out;
    if (a.size() != b.size()) return {"layout"};
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].nValue != b[i].nValue) out.push_back(a[i].szName);
    return out;
}

SCheck CheckTarget(const CFields& before, const CFields& after, const CFields& truth, bool bSucceeded,
                   const std::vector<std::string>& skip) {
    SCheck check;
    if (before.size() != after.size() || after.size() != truth.size()) {
        check.nForeign = 1;
        check.names.push_back("layout");
        return check;
    }
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (std::find(skip.begin(), skip.end(), after[i].szName) != skip.end()) continue;
        const std::int64_t n = after[i].nValue;
        if (n == truth[i].nValue) continue;
        if (n == before[i].nValue) {
            if (bSucceeded)
                ++check.nStale;
            else
                continue;
        } else {
            ++check.nForeign;
        }
        if (check.names.size() < 4)
            check.names.push_back(after[i].szName + " " + std::to_string(n) + " (was " +
                                  std::to_string(before[i].nValue) + ", sent " +
                                  std::to_string(truth[i].nValue) + ")");
    }
    return check;
}

Sim::SSimConfig RandomConfig(std::mt19937& rng) {
    auto pick = [&](int nLow, int nHigh) { return std::uniform_int_distribution<int>(nLow, nHigh)(rng); };
    Sim::SSimConfig c = Sim::MakeTune(pick(0, Sim::kPresets - 1));
    c.nMainVolume = static_cast<std::uint8_t>(pick(0, Sim::kMaxVolume));
    c.nMuteMask = static_cast<std::uint8_t>(pick(0, 255));
    for (int ch = 0; ch < Sim::kChannels; ++ch) {
        c.nVolume[ch] = static_cast<std::uint8_t>(pick(0, Sim::kMaxVolume));
        c.bPhase[ch] = static_cast<std::uint8_t>(pick(0, 1));
        c.nDelay[ch] = static_cast<std::uint16_t>(pick(0, Sim::kMaxDelay));
        c.Eq[ch][pick(0, 9)][1] = static_cast<std::uint8_t>(static_cast<std::int8_t>(pick(-15, 15)));
    }
    return c;
}

void RandomEdits(CSettingsModel& m, std::mt19937& rng) {
    auto pick = [&](int nLow, int nHigh) { return std::uniform_int_distribution<int>(nLow, nHigh)(rng); };
    m.m_nMainVolume = pick(0, MLB8_MAX_VOLUME);
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch) {
        const auto c = static_cast<std::uint8_t>(ch);
        m.m_nVolume[ch] = pick(0, MLB8_MAX_VOLUME);
        m.m_bPhase[ch] = pick(0, 1);
        m.m_bMute[ch] = pick(0, 1);
        m.m_nDelay[ch] = static_cast<std::uint16_t>(pick(0, MLB8_MAX_DELAY));
        m.m_fDelayMs[ch] = CSettingsModel::DelayMsFromSamples(m.m_nDelay[ch]);
        const auto b = static_cast<std::uint8_t>(pick(0, 9));
        SFilterCoef coef = m.m_Lib.GetEqCoef(c, b);
        coef.Gain = static_cast<std::int8_t>(pick(-15, 15));
        m.m_Lib.SetEqCoef(c, b, coef);
    }
}

bool FrameCrcMatches(const SIpcPacket& rec) {
    std::uint8_t frame[IPC_HEADER_LEN + IPC_DATA_CAPACITY];
    frame[0] = rec.SlaveAddr;
    frame[1] = static_cast<std::uint8_t>(rec.Status << 5 | rec.ID);
    frame[2] = rec.Mode;
    frame[3] = rec.Reserved;
    frame[4] = rec.Channel;
    frame[5] = rec.SubIndex;
    frame[6] = rec.Length;
    const int nBody = std::min<int>(rec.Length, IPC_DATA_CAPACITY);
    std::memcpy(frame + IPC_HEADER_LEN, rec.data, static_cast<std::size_t>(nBody));
    return CalcCrc16(frame, static_cast<std::size_t>(IPC_HEADER_LEN + nBody)) == rec.crc;
}

void CCheckingHost::PostMessage(std::uint32_t nMsg, std::uintptr_t wParam, std::intptr_t lParam) {
    if (nMsg == WM_IPC_RECEIVE && wParam && lParam > 0) {
        const auto* p = reinterpret_cast<const std::uint8_t*>(wParam);
        const int nCount = static_cast<int>(std::min<std::intptr_t>(lParam, CReplyHandler::COPY_BUFFER));
        for (int i = 0; i < nCount; ++i) {
            if (!CProtocol::ParsePacketByte(m_Packet, p[i])) continue;
            ++m_nFrames;
            if (!FrameCrcMatches(m_Packet)) {
                ++m_nMismatches;
                TRACE("\r\n CRC mismatch: addr %u ID %u mode 0x%02x ch %u sub %u len %u crc 0x%04x",
                      m_Packet.SlaveAddr, m_Packet.ID, m_Packet.Mode, m_Packet.Channel, m_Packet.SubIndex,
                      m_Packet.Length, m_Packet.crc);
            }
            if (m_Packet.SlaveAddr >= 10) break; // the reply handler drops the rest of the chunk too
        }
    }
    CConsoleHost::PostMessage(nMsg, wParam, lParam);
}

} // namespace Soak
