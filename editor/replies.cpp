// Applying the processor's replies: the bytes the links forward are parsed again here, on the GUI
// thread, and every complete data reply updates the model and the part of the screen showing it.
#include <algorithm>
#include <cstring>

#include "comm/formstate.h"
#include "comm/trace.h"
#include "editor/editorhost.h"
#include "editor/editorids.h"
#include "editor/filtereditor.h"
#include "editor/replies.h"
#include "editor/writer.h"
#include "orvix/settingsmodel.h"

namespace {

std::uint16_t ClampFreq(std::uint16_t nFreq) {
    return std::clamp<std::uint16_t>(nFreq, 16, 20000);
}

// Equalizer bands from the processor, limited to what the editor can show.
SFilterCoef ClampEqRecord(SFilterCoef coef) {
    coef.Freq = ClampFreq(coef.Freq);
    coef.Gain = std::clamp<std::int8_t>(coef.Gain, -15, 15);
    float fQ = coef.BandWidth;
    coef.BandWidth = !(fQ >= 1.0f) ? 1.0f : (fQ > 10.0f ? 10.0f : fQ); // NaN becomes 1.0 too
    return coef;
}

SFilterCoef ClampXoverRecord(SFilterCoef coef) {
    coef.Freq = ClampFreq(coef.Freq);
    const auto nSlope = static_cast<std::int8_t>(coef.Slop);
    coef.Slop = static_cast<std::uint8_t>(std::clamp<int>(nSlope, 0, 7));
    coef.BandWidth = coef.BandWidth == 0.577f ? 0.577f : 0.707f;
    return coef;
}

} // namespace

void CReplyHandler::OnIpcReceive(const std::uint8_t* pChunk, int nLength) {
    if (!pChunk || nLength <= 0) return;
    std::uint8_t buffer[COPY_BUFFER];
    const int nCount = std::min(nLength, COPY_BUFFER);
    std::memcpy(buffer, pChunk, static_cast<std::size_t>(nCount));
    for (int i = 0; i < nCount; ++i) {
        if (!CProtocol::ParsePacketByte(m_RxPacket, buffer[i])) continue;
        if (m_RxPacket.SlaveAddr >= 10) return; // the rest of this chunk is dropped
        if (m_RxPacket.Mode == MODE_READ)
            ParseReply(m_RxPacket);
        else if (m_RxPacket.Mode == MODE_ACK)
            OnAck(m_RxPacket);
    }
}

void CReplyHandler::OnAck(const SIpcPacket&) {}

bool CReplyHandler::CheckLength(int nCheck, int nLength, int nLow, int nHigh, int nExpected) {
    if (nLength >= nLow && nLength <= nHigh) return true;
    if (nExpected >= 0)
        TRACE("\r\n !!!!! ERROR[%d] Length[%d][%d]", nCheck, nLength, nExpected);
    else
        TRACE("\r\n !!!!! ERROR[%d] Length[%d]", nCheck, nLength);
    return false;
}

void CReplyHandler::ParseReply(const SIpcPacket& rec) {
    CSettingsModel& m = m_Ctx.m_Model;
    const int nLen = rec.Length;
    const int ch = rec.Channel;
    switch (rec.ID) {
    case VA_SYSTEM: // presence answers in time are taken by the search link; late ones count here
        m.m_Search.OnReply(rec);
        break;
    case VA_MAP:
        if (nLen < 3 || nLen > 25) {
            TRACE("\r\n !!!!! ERROR[%d] Length[%d][%d]", 1, nLen, ch == 9 ? 24 : 3);
            break;
        }
        OnMap(rec);
        break;
    case VA_MUTE:
        if (nLen != 1) break;
        for (int n = 0; n < MLB8_CHANNELS; ++n)
            m.m_bMute[n] = (rec.Byte(0) >> n) & 1;
        m_Ctx.RefreshLevelDisplays();
        break;
    case VA_LEVEL:
        if (!CheckLength(3, nLen, 1, 6, -1)) break;
        OnLevel(rec);
        break;
    case VA_VOLUME:
        if (!CheckLength(4, nLen, 1, 8, 13)) break;
        if (ch == 8) {
            m.m_nMainVolume = std::min<int>(rec.Volume(8), MLB8_MAX_VOLUME);
        } else if (ch < MLB8_CHANNELS) {
            m.m_nVolume[ch] = std::min<int>(rec.Volume(ch), MLB8_MAX_VOLUME);
        } else if (ch == 9) {
            for (int n = 0; n < MLB8_CHANNELS; ++n)
                m.m_nVolume[n] = std::min<int>(rec.Volume(n), MLB8_MAX_VOLUME);
        } else {
            TRACE("\r\n !!!!! ERROR UnKnown [%d] VOLUNME CHANNEL[%d]", rec.ID, ch);
            break;
        }
        m_Ctx.RefreshLevelDisplays();
        break;
    case VA_DELAY: {
        if (!CheckLength(5, nLen, 4, 16, 16)) break;
        int nFirst = 0, nLast = -1;
        if (ch <= 6) {
            nFirst = ch;
            nLast = ch + 1;
        } else if (ch == 7) {
            nFirst = nLast = 7;
        } else if (ch == 9) {
            nFirst = 0;
            nLast = 7;
        }
        for (int n = nFirst; n <= nLast; ++n) {
            m.m_nDelay[n] = std::min<std::uint16_t>(rec.Delay(n), MLB8_MAX_DELAY);
            m.m_fDelayMs[n] = CSettingsModel::DelayMsFromSamples(m.m_nDelay[n]);
        }
        if (m.m_nPage == 4 && nLast >= nFirst) m_Ctx.m_Host.Repaint(AREA_PAGE);
        break;
    }
    case VA_INPUT:
        if (!CheckLength(6, nLen, 2, 2, 2)) break;
        OnInput(rec);
        break;
    case VA_FILTER:
        if (!CheckLength(7, nLen, 9, 9, 9)) break;
        OnFilter(rec, false);
        break;
    case VA_PRESET:
        if (!CheckLength(9, nLen, 1, 1, 1)) break;
        m.m_nCurPreset = std::min<int>(rec.Byte(0), 3);
        m_Ctx.m_Host.PostToFrame(WM_MARK_LOAD, m.m_nCurPreset);
        break;
    case VA_HIGHLOW:
        if (!CheckLength(10, nLen, 1, 1, 1)) break;
        TRACE("\r\n VA_HIGHLOW");
        TRACE("\r\n HighLow[%d]", rec.Byte(0));
        m.m_bEasyConfigInputHighLow = m.m_bExpertConfigInputHighLow = rec.Byte(0) ? 1 : 0;
        TRACE("\r\n m_bEasyConfigInputHighLow[%d] m_bExpertConfigInputHighLow[%d]",
              m.m_bEasyConfigInputHighLow, m.m_bExpertConfigInputHighLow);
        if (m.m_nPage == 0) m_Ctx.m_Host.Repaint(AREA_PAGE);
        break;
    case VA_XOVER:
        if (!CheckLength(11, nLen, 9, 9, 9)) break;
        OnFilter(rec, true);
        break;
    case VA_PHASE:
        if (!CheckLength(12, nLen, 2, 2, 2) || ch >= MLB8_CHANNELS) break;
        m.m_bPhase[ch] = rec.Byte(1) ? 1 : 0;
        m_Ctx.RefreshLevelDisplays();
        break;
    case VA_EQFLAG:
        if (!CheckLength(13, nLen, 2, 2, 2) || ch >= MLB8_CHANNELS) break;
        m.m_bEqEnable[ch] = m.m_Lib.SetEqFlag(static_cast<std::uint8_t>(ch), rec.Byte(1));
        break;
    case VA_XOVERFLAG:
        if (!CheckLength(14, nLen, 2, 2, 2) || ch >= MLB8_CHANNELS) break;
        m.m_bXoverEnable[ch] = m.m_Lib.SetXoverFlag(static_cast<std::uint8_t>(ch), rec.Byte(1));
        if ((m.m_nPage == 2 || m.m_nPage == 3) && ch == m.m_nChannel) {
            m_Ctx.m_Host.PostToSelf(WM_GRAPH_REFRESH, 0, 0);
            m_Ctx.m_Host.Repaint(AREA_PAGE);
        }
        break;
    case VA_VEQFLAG:
        if (!CheckLength(15, nLen, 2, 2, 2) || ch >= MLB8_CHANNELS) break;
        m.m_Lib.SetVeqFlag(static_cast<std::uint8_t>(ch), rec.Byte(1));
        break;
    case VA_VEQFILTER:
        if (!CheckLength(16, nLen, 9, 9, 9) || ch >= MLB8_CHANNELS) break;
        m.m_Lib.SetVeqCoef(static_cast<std::uint8_t>(ch), rec.Coef());
        break;
    case VA_PASSWORD:
        TRACE("\r\n VA_PASSWORD");
        break;
    case VA_VEQVSEL:
        TRACE("\r\n VA_VEQVSEL");
        break;
    case VA_VEQLED:
        TRACE("\r\n VA_VEQLED");
        break;
    case VA_OUTPUT:
        if (!CheckLength(20, nLen, 5, 5, 5)) break;
        TRACE("\r\n VA_OUTPUT");
        for (int n = 0; n < MLB8_INPUT_KINDS; ++n) {
            TRACE("\r\n OUTPUT_%d[%d]", n, rec.Byte(n));
            if (rec.Byte(n) <= 4) m.m_nDSPOutput[n] = rec.Byte(n);
        }
        m.m_nDSPOutput[0] = ARCH_51;
        if (m.m_nPage == 0) m_Ctx.m_Host.Repaint(AREA_PAGE);
        break;
    default:
        break;
    }
}

void CReplyHandler::OnMap(const SIpcPacket& rec) {
    CSettingsModel& m = m_Ctx.m_Model;
    const int ch = rec.Channel;
    TRACE("\r\n VA_MAP");
    TRACE("\r\n ===========");
    TRACE("\r\n VA_MAP     ");
    TRACE("\r\n Channel[%d]", ch);
    if (ch < MLB8_CHANNELS) {
        m.m_MapM[ch] = rec.Map(ch, 0);
        m.m_MapA[ch] = rec.Map(ch, 1);
        m.m_MapD[ch] = rec.Map(ch, 2);
        TRACE("\r\n MapM[0x%x] ", m.m_MapM[ch]);
        TRACE("\r\n MapA[0x%x] ", m.m_MapA[ch]);
        TRACE("\r\n MapD[0x%x] ", m.m_MapD[ch]);
        if (m.m_nPage == 1) m_Ctx.m_Host.Repaint(AREA_PAGE);
    } else if (ch == 9) {
        for (int c = 0; c < MLB8_CHANNELS; ++c) {
            m.m_MapM[c] = rec.Map(c, 0);
            m.m_MapA[c] = rec.Map(c, 1);
            m.m_MapD[c] = rec.Map(c, 2);
            TRACE("\r\n MapM_%d[0x%x] ", c, m.m_MapM[c]);
            TRACE("\r\n MapA_%d[0x%x] ", c, m.m_MapA[c]);
            TRACE("\r\n MapD_%d[0x%x] ", c, m.m_MapD[c]);
        }
        m.m_bEasyExp = m.m_bProcessorExpert = rec.EasyExpert() ? 1 : 0;
        TRACE("\r\n ########## OnNotify Easy_Expert[%d]", rec.EasyExpert());
    }
}

void CReplyHandler::OnLevel(const SIpcPacket& rec) {
    CSettingsModel& m = m_Ctx.m_Model;
    const int ch = rec.Channel;
    const int sub = rec.SubIndex;
    auto level = [&](int n) { return std::min<int>(rec.Level(n), MLB8_MAX_SENSITIVITY); };
    if (ch <= 5 && sub == 0) {
        m.m_nInputSensitivityMain[ch] = level(ch);
        if (ch <= 4) m.m_nInputSensitivityMain[ch + 1] = level(ch + 1);
    } else if (ch <= 1 && sub == 1) {
        m.m_nInputSensitivityAux[ch] = level(ch);
        if (ch == 0) m.m_nInputSensitivityAux[1] = level(1);
    } else if (ch == 9 && sub == 0) {
        for (int n = 0; n < MLB8_MAIN_INPUTS; ++n)
            m.m_nInputSensitivityMain[n] = level(n);
        if (!m.m_bEasyExp && m.m_nDSPInput <= INPUT_2_WIRED) {
            m.m_nEasyConfigInputSensitivity = level(0);
            TRACE("\r\n ####### VA_LEVEL NAIN m_nEasyConfigInputSensitivity[%d]",
                  m.m_nEasyConfigInputSensitivity);
        }
    } else if (ch == 9 && sub == 1) {
        for (int n = 0; n < MLB8_AUX_INPUTS; ++n)
            m.m_nInputSensitivityAux[n] = level(n);
        if (!m.m_bEasyExp && m.m_nDSPInput == INPUT_AUX) {
            m.m_nEasyConfigInputSensitivity = level(0);
            TRACE("\r\n ####### VA_LEVEL AUX m_nEasyConfigInputSensitivity[%d]",
                  m.m_nEasyConfigInputSensitivity);
        }
    }
    if (m.m_nPage == 0) m_Ctx.m_Host.Repaint(AREA_PAGE);
}

void CReplyHandler::OnInput(const SIpcPacket& rec) {
    CSettingsModel& m = m_Ctx.m_Model;
    const int nInput = rec.Byte(0);
    const int nSubInput = rec.Byte(1);
    TRACE("\r\n VA_INPUT");
    TRACE("\r\n INPUT[%d]", nInput);
    TRACE("\r\n SUBINPUT[%d]", nSubInput);
    if (nInput == 0 && nSubInput <= 2) {
        m.m_nDSPInput = nSubInput;
        m.m_nDSPExpInput = 0;
    } else if (nInput == 1) {
        m.m_nDSPInput = INPUT_AUX;
        m.m_nDSPExpInput = 1;
    } else if (nInput == 2) {
        m.m_nDSPInput = INPUT_NUMERICAL;
        m.m_nDSPExpInput = 2;
    } else {
        return;
    }
    TRACE("\r\n m_nDSPInput[%d]", m.m_nDSPInput);
    TRACE("\r\n m_nDSPExpInput[%d]", m.m_nDSPExpInput);
    if (m.m_nPage == 0) m_Ctx.m_Host.Repaint(AREA_PAGE);
}

void CReplyHandler::OnFilter(const SIpcPacket& rec, bool bXover) {
    CSettingsModel& m = m_Ctx.m_Model;
    const int ch = rec.Channel;
    const int sub = rec.SubIndex;
    if (ch >= MLB8_CHANNELS) return;
    if (bXover) {
        if (sub > 1) return;
        const SFilterCoef coef = ClampXoverRecord(rec.Coef());
        m.m_nXoverType[ch][sub == 0 ? 1 : 0] = coef.Filtertype;
        m.m_Lib.SetXoverCoef(static_cast<std::uint8_t>(ch), static_cast<std::uint8_t>(sub), coef);
    } else {
        if (sub >= CRev8001Lib::EQ_BANDS) return;
        m.m_Lib.SetEqCoef(static_cast<std::uint8_t>(ch), static_cast<std::uint8_t>(sub),
                          ClampEqRecord(rec.Coef()));
    }
    if ((m.m_nPage == 2 || m.m_nPage == 3) && ch == m.m_nChannel) {
        m_Ctx.m_Host.PostToSelf(WM_GRAPH_REFRESH, 0, 0);
        m_Ctx.m_Host.Repaint(AREA_PAGE);
    }
}

void CReplyHandler::OnGraphRefresh() {
    CSettingsModel& m = m_Ctx.m_Model;
    if (m.m_nPage != 2 && m.m_nPage != 3) return;
    if (!m.m_bGraphTimerArmed) {
        m_Ctx.m_Host.SetTimer(TIMER_GRAPH, GRAPH_DELAY_MS);
        m.m_bGraphTimerArmed = 1;
    }
}

void CReplyHandler::OnGraphTimer() {
    CSettingsModel& m = m_Ctx.m_Model;
    m.m_bGraphTimerArmed = 0;
    m_Ctx.m_Host.KillTimer(TIMER_GRAPH);
    // The whole redraw: the partner's curve on a cleared background, the selected channel over it.
    const int ch = m.m_nChannel;
    m_Filters.UpdateResponseGraph(m.m_bEqEnable[ch], ch, m.m_bXoverEnable[ch]);
    m_Ctx.m_Host.Repaint(AREA_GRAPH);
}
