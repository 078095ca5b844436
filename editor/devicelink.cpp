// Finding the processor, connecting to it, reading its whole configuration, recalling its presets,
// and following it being plugged in and pulled out.
#include <algorithm>
#include <cerrno>

#include "comm/comnames.h"
#include "comm/formstate.h"
#include "comm/portdiagnosis.h"
#include "comm/protocol.h"
#include "comm/trace.h"
#include "editor/controlids.h"
#include "editor/devicelink.h"
#include "editor/editorhost.h"
#include "editor/editorids.h"
#include "editor/ioconfig.h"
#include "editor/pages.h"
#include "editor/writer.h"
#include "orvix/settingsmodel.h"

void CDeviceLink::StartDeviceSearch() {
    CSettingsModel& m = m_Ctx.m_Model;
    m.m_SerInfo.clear();
    try {
        ListSerialPorts(m.m_SerInfo, 0);
    } catch (const CSerialEnumError& e) {
        // The search ends as if there were no ports.
        TRACE("\r\n %s", e.what());
        m.m_SerInfo.clear();
    }
    m_BusyPorts.clear();
    if (m.m_Search.BuildPortList(m.m_SerInfo) > 0) ProbeNextPort();
}

int CDeviceLink::ProbeNextPort() {
    IEditorHost& host = m_Ctx.m_Host;
    host.KillTimer(TIMER_DEVICE_SEARCH);
    m_Ctx.m_Model.m_Search.OpenCurrentPort(m_SearchProtocol, host.ReceiveWindow());
    if (!m_SearchProtocol.IsOpen()) {
        const int nError = m_SearchProtocol.OpenError();
        const int nPort = m_Ctx.m_Model.m_Search.CurrentPort();
        if (nError == EACCES)
            HintPermission(nPort);
        else if (IsPortBusyError(nError)) {
            const std::string path = ZUtils::DevicePathFromComNumber(nPort);
            m_BusyPorts.push_back("The serial port " + path + " is " + DescribePortOpenFailure(nError, path) +
                                  ".");
        }
    }
    host.ShowBusy(" Find device...");
    const int bAnswered = m_Ctx.m_Model.m_Search.SendProbes(m_SearchProtocol);
    host.HideBusy();
    host.SetTimer(TIMER_DEVICE_SEARCH, DEVICE_SEARCH_MS);
    // An answer is in: evaluate as soon as its reply has been handled instead of after the timer.
    // The timer stays set, so an answer that comes late still counts as before.
    if (bAnswered) host.PostToSelf(WM_SEARCH_ANSWERED, 0, m_Ctx.m_Model.m_Search.CurrentPort());
    return 1;
}

// A port the user may not open would make the search find nothing, silently: say why, once.
void CDeviceLink::HintPermission(int nPort) {
    const std::string path = ZUtils::DevicePathFromComNumber(nPort);
    TRACE("\r\n COM%d %s: permission denied", nPort, path.c_str());
    if (m_bPermissionHinted) return;
    m_bPermissionHinted = true;
    m_Ctx.m_Host.MessageBox(
        "No permission to open the serial port " + path +
        ".\nAdd your user to the 'dialout' group (sudo usermod -aG dialout $USER), then log in "
        "again.");
}

void CDeviceLink::StopDeviceSearch() {
    m_Ctx.m_Host.KillTimer(TIMER_DEVICE_SEARCH);
    m_SearchProtocol.Close();
}

void CDeviceLink::OnSearchTimer() {
    TRACE("\r\n OnTimer1");
    CDeviceSearch& search = m_Ctx.m_Model.m_Search;
    if (IsAnySlaveFound()) {
        const int nPort = search.CurrentPort();
        StopDeviceSearch();
        ConnectDevice(nPort, GetFirstFoundSlave());
        return;
    }
    if (!search.NextPort()) {
        StopDeviceSearch();
        // A port held by another program (a second manager, say) would look like no processor at all.
        if (!m_BusyPorts.empty()) {
            std::string text;
            for (const std::string& line : m_BusyPorts)
                text += line + "\n";
            m_BusyPorts.clear();
            m_Ctx.m_Host.MessageBox(text + "Close that program, then plug the processor in again.");
        }
    } else {
        ProbeNextPort();
    }
}

void CDeviceLink::OnSearchAnswered(int nPort) {
    // Only while that port's probe is still the one pending (not after a removal or a restart).
    if (!m_SearchProtocol.IsOpen() || m_Ctx.m_Model.m_Search.CurrentPort() != nPort) return;
    if (IsAnySlaveFound()) OnSearchTimer();
}

int CDeviceLink::ConnectDevice(int nPort, int nAddress) {
    if (nPort < 0 || nPort >= 256 || nAddress < 0 || nAddress > MLB8_MAX_ADDRESS) return 0;
    CSettingsModel& m = m_Ctx.m_Model;
    IEditorHost& host = m_Ctx.m_Host;
    CProtocol& link = m_Protocol;
    m.m_nComPort = nPort;
    m.m_nDeviceAddr = nAddress;
    link.Close();
    link.m_hWnd = host.ReceiveWindow();
    // The device going away reaches the window the way a removal does, whatever kind of port it is.
    link.m_nHangupMsg = WM_DEVICE_DISCONNECT;
    link.Open(nPort);
    link.m_nSlaveAddr = nAddress;
    m.m_nCurPreset = link.SendGetPreset() ? std::clamp(link.m_nPreset.load(), 0, 3) : 0;
    host.ShowBusy("Loading...");
    m_bConnectLoad = true;
    if (!OnLoadProc(m.m_nCurPreset, !m_bAttachWithoutRecall)) host.MessageBox(TEXT_COMM_ERROR);
    host.HideBusy();
    host.PostToFrame(WM_MARK_LOAD, m.m_nCurPreset);
    host.PostToFrame(WM_MARK_SAVE, m.m_nCurPreset);
    // A port that would not open, or a device that went away during the load, is no connection.
    m.m_bConnected = link.IsOpen() && !link.IsHungUp() ? 1 : 0;
    host.Repaint(AREA_CONNECTION);
    return 1;
}

int CDeviceLink::OnLoadProc(int nPreset, bool bSwitchPreset) {
    CSettingsModel& m = m_Ctx.m_Model;
    CProtocol& p = m_Protocol;
    TRACE("\r\n Start OnLoadProc");
    if (GetFirstFoundSlave() == -1 || !m_Ctx.m_Writer.WaitDeviceResponse()) return 0;
    p.SendSetUpdate(0, UPDATE_CODE);
    if ((bSwitchPreset && !p.SendSetPreset(1, nPreset)) || !p.SendGetMainVolume() ||
        !p.SendGetChannelVolume(9))
        return 0;
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch)
        if (!p.SendGetPhase(ch)) return 0;
    if (!p.SendGetMute() || !p.SendGetChannelMap(9) || !p.SendGetInput() || !p.SendGetLevel(9, 0) ||
        !p.SendGetLevel(9, 1) || !p.SendGetHighLow())
        return 0;

    // The only values the sequence itself uses: those the link keeps on its reader thread.
    m.m_bEasyExp = p.m_nEasyExpert.load() ? 1 : 0;
    m.m_bProcessorExpert = m.m_bEasyExp;
    TRACE("\r\n EasyExpert[%d]", m.m_bEasyExp);
    if (m.m_bEasyExp) {
        m.m_bExpertConfigInputHighLow = p.m_nHighLow.load() ? 1 : 0;
    } else {
        m.m_bEasyConfigInputHighLow = p.m_nHighLow.load() ? 1 : 0;
        const int nInput = p.m_nInput.load();
        if (nInput == 0)
            m.m_nEasyConfigInputSensitivity = std::clamp(p.m_nLevelMain.load(), 0, MLB8_MAX_SENSITIVITY);
        else if (nInput == 1)
            m.m_nEasyConfigInputSensitivity = std::clamp(p.m_nLevelAux.load(), 0, MLB8_MAX_SENSITIVITY);
    }

    if (!p.SendGetOutput()) return 0;
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch)
        if (!p.SendGetEqFlag(ch)) return 0;
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch)
        for (int band = 0; band < CRev8001Lib::EQ_BANDS; ++band)
            if (!p.SendGetFilterCoef(ch, band)) return 0;
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch)
        if (!p.SendGetXoverFlag(ch)) return 0;
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch)
        for (int n = 0; n < CRev8001Lib::XOVER_FILTERS; ++n)
            if (!p.SendGetXFilterCoef(static_cast<std::uint8_t>(ch), static_cast<std::uint8_t>(n))) return 0;
    if (!p.SendGetDelay(9)) return 0;
    p.SendSetUpdate(2, UPDATE_CODE);
    TRACE("\r\n End OnLoadProc");
    m_Ctx.m_Host.PostToSelf(WM_LOAD_DONE, 0, 0);
    return 1;
}

void CDeviceLink::OnLoadDone() {
    CSettingsModel& m = m_Ctx.m_Model;
    CFormState& f = m_Ctx.m_Form;
    f.SetToggle(ctl::MODE_SWITCH, m.m_bEasyExp);
    TRACE("\r\n m_bEasyExp[%d]", m.m_bEasyExp);
    m.m_nChannel = 0;
    m.m_bPair = 1;
    m.m_nSoloMask = 0;
    m_Ctx.RefreshLevelDisplays();
    m_Pages.SelectChannel(-1);
    if (m.m_nPage != CPages::PAGE_STANDARD) {
        for (int id : {ctl::TAB_CONFIG, ctl::TAB_EQ, ctl::TAB_XOVER, ctl::TAB_DELAY})
            f.SetToggle(id, 0);
        f.SetToggle(ctl::TAB_CONFIG, 1);
    }
    m_Pages.HidePageControls(m.m_nPage);
    if (m.m_bEasyExp) {
        m.m_nPage = CPages::PAGE_EXPERT;
        m.m_nDSPInput = INPUT_51_WIRED;
        m.m_nDSPOutput[0] = ARCH_51;
    } else {
        m.m_nPage = CPages::PAGE_STANDARD;
    }
    m_Pages.ShowPageControls(m.m_nPage);
    m_Ctx.m_Host.Repaint(AREA_CONFIG);
    if (m.m_nPage == CPages::PAGE_STANDARD) {
        m_IoConfig.RefreshInputKindButtons();
        m_IoConfig.SelectInputKind(-1);
    } else {
        m_IoConfig.SelectExpertInput(-1);
        f.SetToggle(ctl::MODE_SWITCH, 1);
        m.m_nEasyConfigInputSensitivity = 10;
        m.m_bEasyConfigInputHighLow = 0;
    }
    m_Ctx.m_Host.KillTimer(TIMER_ID_UNLOCK_MOUSE);
    m_Ctx.m_Host.SetTimer(TIMER_ID_UNLOCK_MOUSE, UNLOCK_MOUSE_MS);
}

void CDeviceLink::LoadPreset(int nPreset) {
    CSettingsModel& m = m_Ctx.m_Model;
    IEditorHost& host = m_Ctx.m_Host;
    m.m_nCurPreset = nPreset;
    m.m_bPresetLoading = 1;
    m_bConnectLoad = false;
    if (!m_Protocol.IsOpen()) {
        m.m_bPresetLoading = 0;
        return;
    }
    host.Sleep(1000);
    m.ResetMapsToDefault();
    m.MouseLbtnEventDisable(1);
    host.ShowBusy("Loading.....");
    const int bOk = OnLoadProc(m.m_nCurPreset);
    host.HideBusy();
    if (bOk) {
        host.PostToFrame(WM_MARK_LOAD, nPreset);
        m.m_bPresetLoading = 0;
        host.SetTitle(TEXT_TITLE);
    } else {
        host.MessageBox(TEXT_COMM_ERROR);
        m.m_bPresetLoading = 0;
        m.MouseLbtnEventDisable(0);
    }
}

void CDeviceLink::OnDeviceConnect() {
    TRACE("\r\n OnDeviceConnect");
    if (m_Protocol.IsOpen()) {
        TRACE("\r\n Already com port open");
        return;
    }
    if (m_SearchProtocol.IsOpen()) {
        TRACE("\r\n Already device search");
        return;
    }
    CSettingsModel& m = m_Ctx.m_Model;
    m.m_nDeviceAddr = 0;
    m.m_Search.Reset();
    StartDeviceSearch();
}

void CDeviceLink::OnDeviceDisconnect(int nComPort, std::uint32_t nGeneration) {
    TRACE("\r\n OnDeviceDisconnect");
    CSettingsModel& m = m_Ctx.m_Model;
    IEditorHost& host = m_Ctx.m_Host;
    // A hang-up of a link that has since been closed (and the port perhaps opened again at once)
    // was handled when that link closed; the link open now has not hung up.
    if (nGeneration != 0 && nGeneration != m_Protocol.Generation()) {
        TRACE("\r\n OnDeviceDisconnect COM%d: the hang-up of an earlier link", nComPort);
        return;
    }
    // Another serial device going away leaves the processor's link alone. A removal the host
    // cannot attribute (-1) is taken as the processor's, and so is a link that hung up. Once the
    // link is closed, a second report of the same removal (udev after the hang-up) finds nothing.
    if (nComPort >= 0) {
        const bool bOurs = (m_Protocol.IsOpen() && nComPort == m.m_nComPort) ||
                           (m_SearchProtocol.IsOpen() && nComPort == m.m_Search.CurrentPort()) ||
                           (m_Protocol.IsOpen() && m_Protocol.IsHungUp());
        if (!bOurs) {
            TRACE("\r\n OnDeviceDisconnect COM%d is not ours", nComPort);
            return;
        }
    }
    if (m_Protocol.IsOpen()) {
        m_Protocol.Close();
        m.m_bConnected = 0;
        host.Repaint(AREA_CONNECTION);
    }
    if (m_SearchProtocol.IsOpen()) m_SearchProtocol.Close();
    m.m_Search.ClearFound();
    if (!m.m_bPresetLoading && !m.m_bPresetSaving) m_Ctx.m_Host.PostToSelf(WM_OFFER_SAVE_FILE, 0, 0);
    m.MouseLbtnEventDisable(0);
}

void CDeviceLink::OnUnlockMouseTimer() {
    m_Ctx.m_Host.KillTimer(TIMER_ID_UNLOCK_MOUSE);
    TRACE("\r\n TIMER_ID_UNLOCK_MOUSE");
    m_Ctx.m_Model.MouseLbtnEventDisable(0);
}

int CDeviceLink::IsAnySlaveFound() const {
    return m_Ctx.m_Model.m_Search.IsAnySlaveFound();
}

int CDeviceLink::GetFirstFoundSlave() const {
    return m_Ctx.m_Model.m_Search.GetFirstFoundSlave();
}
