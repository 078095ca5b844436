// Writing the model to the processor: the send operations the pages call for one change, the
// deferred send of wheel-stepped values, and the bulk sequences (store into a preset memory, write
// everything live, apply the input/output configuration).
#include <algorithm>

#include "comm/formstate.h"
#include "comm/protocol.h"
#include "comm/trace.h"
#include "editor/controlids.h"
#include "editor/editorhost.h"
#include "editor/editorids.h"
#include "editor/uitext.h"
#include "editor/writer.h"
#include "orvix/settingsmodel.h"

namespace {
constexpr int kBulkPauseMs = 10;
constexpr int kXoverPauseMs = 110;
} // namespace

int CSettingsWriter::SendSetPreset(int nMode, int nPreset) {
    TRACE("\r\n SendSetPreset Preset[%d]", nPreset);
    return m_Protocol.SendSetPreset(nMode, nPreset);
}

int CSettingsWriter::SendSetInputStandard(int nMode, int nKind) {
    static const int kInput[MLB8_INPUT_KINDS][2] = {{0, 0}, {0, 1}, {0, 2}, {1, 0}, {2, 0}};
    if (nKind < 0 || nKind >= MLB8_INPUT_KINDS) return 0;
    TRACE("\r\n ######## SendSetInput nInput[%d] SubInput[%d] ", nKind, kInput[nKind][1]);
    return m_Protocol.SendSetInput(nMode, kInput[nKind][0], kInput[nKind][1]);
}

int CSettingsWriter::SendSetInputExpert(int nMode, int nInput) {
    if (nInput < 0 || nInput > 2) return 0;
    TRACE("\r\n SendSetInput nInput[%d] SubInput[%d] ", nInput, 0);
    return m_Protocol.SendSetInput(nMode, nInput, 0);
}

int CSettingsWriter::SendSetOutput(int nMode, const int* pOutputs) {
    return m_Protocol.SendSetOutput(nMode, pOutputs);
}

int CSettingsWriter::SendSetChannelMap(int nMode, int nChannel) {
    std::uint8_t bytes[24];
    const int nCount = m_Model.GetChannelMapBytes(nChannel, bytes);
    if (nMode == 1) m_Model.m_bProcessorExpert = m_Model.m_bEasyExp;
    return m_Protocol.SendSetChannelMap(nMode, nChannel, bytes, nCount,
                                        static_cast<std::uint8_t>(m_Model.m_bEasyExp));
}

int CSettingsWriter::SendSetPhase(int nMode, int nChannel, int nPair, int bPhase) {
    return m_Protocol.SendSetPhase(nMode, nChannel, nPair, bPhase);
}

int CSettingsWriter::SendSetMute(int nMode, int nMask) {
    return m_Protocol.SendSetMute(nMode, static_cast<std::uint8_t>(nMask));
}

int CSettingsWriter::SendMuteState(int nMode, int nSoloMask) {
    if (nSoloMask & 0xFF)
        SendSetMute(nMode, ~nSoloMask & 0xFF);
    else
        SendSetMute(nMode, CSettingsModel::PackFlags(m_Model.m_bMute));
    return 1;
}

int CSettingsWriter::SendSetDelay(int nMode, int nChannel, const std::uint16_t* pDelays) {
    return m_Protocol.SendSetDelay(nMode, nChannel, pDelays);
}

int CSettingsWriter::SendSetLevel(int nMode, int nChannel, const int* pLevels, int nGroup) {
    TRACE("\r\n nChannel[%d] InputSensitivity[%d]", nChannel, pLevels ? pLevels[0] : 0);
    return m_Protocol.SendSetLevel(nMode, nChannel, pLevels, nGroup);
}

int CSettingsWriter::SendSetHighLow(int nMode, int bHighLow) {
    TRACE("\r\n bHighLow[%d] ", bHighLow);
    return m_Protocol.SendSetHighLow(nMode, bHighLow);
}

int CSettingsWriter::SendSetEqFlag(int nMode, int nChannel, int bFlag, int nPair) {
    TRACE("\r\n SendSetEqFlag nChannel[%d] EqFlag[%d] ", nChannel, bFlag);
    return m_Protocol.SendSetEqFlag(nMode, nChannel, nPair, bFlag);
}

int CSettingsWriter::SendSetFilterCoef(int nMode, int nChannel, int nBand, int nPair) {
    const SFilterCoef coef =
        m_Model.m_Lib.GetEqCoef(static_cast<std::uint8_t>(nChannel), static_cast<std::uint8_t>(nBand));
    return m_Protocol.SendSetFilterCoef(nMode, nChannel, nPair, nBand, &coef);
}

int CSettingsWriter::SendSetXoverFlag(int nMode, int nChannel, int bFlag, int nPair) {
    TRACE("\r\n SendSetXoverFlag nChannel[%d] XoverFlag[%d] ", nChannel, bFlag);
    return m_Protocol.SendSetXoverFlag(nMode, nChannel, nPair, bFlag);
}

int CSettingsWriter::SendSetXoverFilter(int nMode, int nChannel) {
    TRACE("\r\n SendSetXoverFilter nChannel[%d] ", nChannel);
    if (!SendXoverFilter(nMode, nChannel, CRev8001Lib::XOVER_HIGHPASS, m_Model.m_bPair)) return 0;
    m_Host.Sleep(kXoverPauseMs);
    return SendXoverFilter(nMode, nChannel, CRev8001Lib::XOVER_LOWPASS, m_Model.m_bPair);
}

int CSettingsWriter::SendXoverFilter(int nMode, int nChannel, int nFilter, int nPair) {
    const SFilterCoef coef =
        m_Model.m_Lib.GetXoverCoef(static_cast<std::uint8_t>(nChannel), static_cast<std::uint8_t>(nFilter));
    return m_Protocol.SendSetXoverFilter(nMode, nChannel, nPair, &coef, nFilter);
}

int CSettingsWriter::SendSetMainVolume(int nMode, int nVolume) {
    return m_Protocol.SendSetMainVolume(nMode, nVolume);
}

int CSettingsWriter::SendSetChannelVolume(int nMode, int nChannel, int nPair, const int* pVolume) {
    if (nChannel >= 0 && nChannel < MLB8_CHANNELS) {
        TRACE("\r\n nChannel[%d] pVolume[%d] ", nChannel, pVolume ? pVolume[0] : 0);
    } else if (nChannel == 9 && pVolume) {
        for (int n = 0; n < MLB8_CHANNELS; ++n)
            TRACE("\r\n Volume_%d[%d] ", n, pVolume[n]);
    }
    return m_Protocol.SendSetChannelVolume(nMode, nChannel, nPair, pVolume);
}

int CSettingsWriter::SendControlValue(int nCtrlId) {
    CSettingsModel& m = m_Model;
    const int ch = m.m_nChannel;
    const int nEven = ch & ~1;
    if (nCtrlId == ctl::MAIN_LEVEL_BOX) {
        SendSetMainVolume(1, m.m_nMainVolume);
        return 1;
    }
    if (nCtrlId == ctl::CHANNEL_LEVEL_BOX) {
        if (!m.m_bPair)
            SendSetChannelVolume(1, ch, 0, &m.m_nVolume[ch]);
        else
            SendSetChannelVolume(1, nEven, m.m_bPair, &m.m_nVolume[nEven]);
        return 1;
    }
    if (nCtrlId == ctl::EASY_SENS_BOX) return 1;
    if (nCtrlId >= ctl::EQ_FREQ_BOX.first && nCtrlId <= ctl::EQ_Q_BOX.last) {
        // A gain or bandwidth step may have switched the equalizer on: the flag goes before the band.
        if (nCtrlId >= ctl::EQ_GAIN_BOX.first) SendSetEqFlag(1, ch, m.m_bEqEnable[ch], m.m_bPair);
        SendSetFilterCoef(1, ch, (nCtrlId - ctl::EQ_FREQ_BOX.first) % 10, m.m_bPair);
        return 1;
    }
    if (ctl::EXP_SENS_BOX.contains(nCtrlId)) {
        SendSetLevel(1, 9, m.m_nInputSensitivityMain, 0);
        return 1;
    }
    if (ctl::AUX_SENS_BOX.contains(nCtrlId)) {
        SendSetLevel(1, 9, m.m_nInputSensitivityAux, 1);
        return 1;
    }
    if (nCtrlId >= ctl::HP_SLOPE_BOX && nCtrlId <= ctl::LP_FREQ_BOX) {
        SendSetXoverFlag(1, ch, m.m_bXoverEnable[ch], m.m_bPair);
        SendSetXoverFilter(1, ch);
        return 1;
    }
    if (nCtrlId >= ctl::DELAY_CM_BOX && nCtrlId <= ctl::DELAY_IN_BOX) {
        SendSetDelay(1, nEven, &m.m_nDelay[nEven]);
        return 1;
    }
    return 0;
}

void CSettingsWriter::OnWheelStep(int nCtrlId) {
    CSettingsModel& m = m_Model;
    if (nCtrlId == 0) return;
    if (nCtrlId != m.m_nWheelCtrlId) {
        if (m.m_nWheelCtrlId) SendControlValue(m.m_nWheelCtrlId);
        m.m_nWheelCtrlId = nCtrlId;
    }
    m_Host.KillTimer(TIMER_WHEEL);
    m_Host.SetTimer(TIMER_WHEEL, WHEEL_DELAY_MS);
}

void CSettingsWriter::OnWheelTimer() {
    CSettingsModel& m = m_Model;
    TRACE("\r\n OnTimer Mouse Wheel Release");
    if (m.m_nWheelCtrlId) SendControlValue(m.m_nWheelCtrlId);
    m.m_nWheelCtrlId = 0;
    m_Host.KillTimer(TIMER_WHEEL);
}

int CSettingsWriter::WriteAll(int nMode) {
    CSettingsModel& m = m_Model;
    IEditorHost& host = m_Host;
    // Each command that got its answer is followed by the bulk pause; the first failure ends it all.
    auto step = [&](int bOk) {
        if (bOk) host.Sleep(kBulkPauseMs);
        return bOk;
    };
    if (!step(SendSetMainVolume(nMode, m.m_nMainVolume)) ||
        !step(SendSetChannelVolume(nMode, 9, 0, m.m_nVolume)))
        return 0;
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch)
        if (!step(SendSetPhase(nMode, ch, 0, m.m_bPhase[ch]))) return 0;
    if (!step(SendSetMute(nMode, CSettingsModel::PackFlags(m.m_bMute)))) return 0;
    if (!step(SendSetLevel(nMode, 9, m.m_nInputSensitivityMain, 0)) ||
        !step(SendSetLevel(nMode, 9, m.m_nInputSensitivityAux, 1)))
        return 0;
    if (nMode == 1 && m.m_nDSPInput <= INPUT_2_WIRED &&
        !step(SendSetLevel(1, 9, m.m_nInputSensitivityMain, 0)))
        return 0;
    if (!step(SendSetHighLow(nMode,
                             m.m_bEasyExp ? m.m_bExpertConfigInputHighLow : m.m_bEasyConfigInputHighLow)))
        return 0;
    if (!step(m.m_bEasyExp ? SendSetInputExpert(nMode, m.m_nDSPExpInput)
                           : SendSetInputStandard(nMode, m.m_nDSPInput)))
        return 0;
    if (!step(SendSetChannelMap(nMode, 9))) return 0;
    TRACE("\r\n MAP_M_%d[0x%x] MAP_A_%d[0x%x] MAP_D_%d[0x%x]", 0, m.m_MapM[0], 0, m.m_MapA[0], 0,
          m.m_MapD[0]);
    if (nMode == 2 && !step(SendSetOutput(nMode, m.m_nDSPOutput))) return 0;
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch)
        if (!step(SendSetEqFlag(nMode, ch, m.m_bEqEnable[ch], 0))) return 0;
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch)
        for (int band = 0; band < CRev8001Lib::EQ_BANDS; ++band)
            if (!step(SendSetFilterCoef(nMode, ch, band, 0))) return 0;
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch)
        if (!step(SendSetXoverFlag(nMode, ch, m.m_bXoverEnable[ch], nMode == 2 ? m.m_bPair : 0))) return 0;
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch)
        for (int n = 0; n < CRev8001Lib::XOVER_FILTERS; ++n)
            if (!step(SendXoverFilter(nMode, ch, n, 0))) return 0;
    if (!step(SendSetDelay(nMode, 9, m.m_nDelay))) return 0;
    return 1;
}

int CSettingsWriter::WaitDeviceResponse() {
    for (int nAttempt = 0; nAttempt < 3; ++nAttempt) {
        if (m_Protocol.SendSystemPeekReq(m_Model.m_nDeviceAddr)) {
            TRACE("\r\n Response OK ");
            return 1;
        }
        // A processor that went away answers nothing: no point waiting for it.
        if (!m_Protocol.IsOpen() || m_Protocol.IsHungUp()) return 0;
        m_Host.Sleep(1000);
    }
    return 0;
}

// A closing bracket without its answer is let pass while the processor is still there (its reply
// was lost on the line); a processor that went away at it never finished the write.
int CSettingsWriter::CloseBracket(int nPhase) {
    if (m_Protocol.SendSetUpdate(nPhase, UPDATE_CODE)) return 1;
    return m_Protocol.IsOpen() && !m_Protocol.IsHungUp() ? 1 : 0;
}

int CSettingsWriter::SaveProc(int nPreset) {
    CSettingsModel& m = m_Model;
    TRACE("\r\n Start SaveProc nPreset[%d]", nPreset);
    m_bLastWriteBegun = false;
    if (m_Model.m_Search.GetFirstFoundSlave() == -1 || !WaitDeviceResponse()) return 0;
    m_bLastWriteBegun = true;
    m_Protocol.SendSetUpdate(0, UPDATE_CODE);
    m.m_nCurPreset = nPreset;
    if (!SendSetPreset(3, nPreset) || !WriteAll(2) || !CloseBracket(2)) return 0;
    TRACE("\r\n End SaveProc");
    return 1;
}

int CSettingsWriter::SendDDXProc(int nPreset) {
    TRACE("\r\n Start SendDDXProcnPreset[%d]", nPreset);
    m_bLastWriteBegun = false;
    if (m_Model.m_Search.GetFirstFoundSlave() == -1 || !WaitDeviceResponse()) return 0;
    m_bLastWriteBegun = true;
    m_Protocol.SendSetUpdate(0, UPDATE_CODE);
    if (!WriteAll(1) || !CloseBracket(1)) return 0;
    TRACE("\r\n End SaveProc");
    return 1;
}

void CSettingsWriter::ApplyIoConfig() {
    CSettingsModel& m = m_Model;
    IEditorHost& host = m_Host;
    CProtocol& p = m_Protocol;
    if (m_SearchProtocol.IsOpen() || !p.IsOpen()) return;
    host.ShowBusy("Loading.....");
    p.SendSetUpdate(0, UPDATE_CODE);
    bool bError = false;
    auto step = [&](int bOk, const char* pszError) {
        if (!bOk) {
            TRACE("%s", pszError);
            bError = true;
        } else {
            host.Sleep(kBulkPauseMs);
        }
        return bOk;
    };
    int bOk = 1;
    if (m.m_bEasyExp) {
        if (m.m_nDSPExpInput == 0)
            bOk = step(SendSetLevel(1, 9, m.m_nInputSensitivityMain, 0), "\r\n  SendSetLevel ERROR ");
        else if (m.m_nDSPExpInput == 1)
            bOk = step(SendSetLevel(1, 9, m.m_nInputSensitivityAux, 1), "\r\n  SendSetLevel ERROR ");
        bOk = bOk && step(SendSetHighLow(1, m.m_bExpertConfigInputHighLow), "\r\n  SendSetHighLow ERROR ");
        bOk = bOk && step(SendSetInputExpert(1, m.m_nDSPExpInput), "\r\n  SendSetInput ERROR ");
    } else {
        if (m.m_nDSPInput <= INPUT_2_WIRED)
            bOk = step(SendSetLevel(1, 9, m.m_nInputSensitivityMain, 0), "\r\n  SendSetLevel ERROR ");
        else if (m.m_nDSPInput == INPUT_AUX)
            bOk = step(SendSetLevel(1, 9, m.m_nInputSensitivityAux, 1), "\r\n  SendSetLevel ERROR ");
        bOk = bOk && step(SendSetHighLow(1, m.m_bEasyConfigInputHighLow), "\r\n  SendSetHighLow ERROR ");
        bOk = bOk && step(SendSetInputStandard(1, m.m_nDSPInput), "\r\n  SendSetInput ERROR ");
    }
    bOk = bOk && step(SendSetChannelMap(1, 9), "\r\n  SendSetChannelMap ERROR ");
    if (bOk) {
        p.SendSetUpdate(1, UPDATE_CODE);
        p.SendSetUpdate(1, UPDATE_CODE);
    }
    host.HideBusy();
    if (bError) host.MessageBox(TEXT_COMM_ERROR);
}

void CSettingsWriter::StorePreset(int nPreset) {
    CSettingsModel& m = m_Model;
    IEditorHost& host = m_Host;
    m.m_bPresetSaving = 1;
    m_eLastStore = EStore::NotSent;
    if (!m_Protocol.IsOpen()) {
        m.m_bPresetSaving = 0;
        return;
    }
    host.Sleep(1000);
    m.MouseLbtnEventDisable(1);
    host.ShowBusy(MLB8_TRANSLATE_NOOP("editor", "正在保存中......"));
    if (SaveProc(nPreset))
        m_eLastStore = EStore::Stored;
    else {
        m_eLastStore = m_bLastWriteBegun ? EStore::CutOff : EStore::NotSent;
        host.MessageBox(TEXT_COMM_ERROR);
    }
    host.HideBusy();
    host.PostToFrame(WM_MARK_SAVE, nPreset);
    m.m_bPresetSaving = 0;
    host.KillTimer(TIMER_ID_UNLOCK_MOUSE);
    host.SetTimer(TIMER_ID_UNLOCK_MOUSE, UNLOCK_MOUSE_MS);
}

void CSettingsWriter::OnSendAll() {
    IEditorHost& host = m_Host;
    host.ShowBusy("Loading.....");
    const int bSent = SendDDXProc(m_Model.m_nCurPreset);
    host.HideBusy();
    // With a processor connected, a write that stopped half-way is said, not passed over in silence.
    if (!bSent && m_Protocol.IsOpen()) host.MessageBox(TEXT_COMM_ERROR);
    host.PostToFrame(WM_MARK_LOAD, 4);
    host.KillTimer(TIMER_ID_UNLOCK_MOUSE);
    host.SetTimer(TIMER_ID_UNLOCK_MOUSE, UNLOCK_MOUSE_MS);
}
