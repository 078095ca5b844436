#include "editor/editorcore.h"

#include <cstdio>

#include "comm/trace.h"

namespace {
constexpr int IDC_MAIN_LEVEL = 2000;
constexpr int IDC_CHANNEL_LEVEL = 2001;
constexpr const char* kFileFilter = "DSP Files(*.Dovu)|*.Dovu||";

std::string LevelText(int nVolume) {
    char sz[16];
    std::snprintf(sz, sizeof sz, "%2.1f", CSettingsModel::DbFromVolume(nVolume));
    return sz;
}
} // namespace

CEditorCore::CEditorCore(IEditorHost& host)
    : m_Host(host), m_Link(*this), m_Replies(*this), m_Writer(*this) {}

CEditorCore::~CEditorCore() {
    m_Protocol.Close();
    m_SearchProtocol.Close();
}

void CEditorCore::Start() {
    m_Model.WriteStartupDefaults();
    m_Model.m_bEasyExp = 0;
    m_Model.m_nPage = 0;
    RefreshLevelDisplays();
    RefreshPage();
    m_Link.StartDeviceSearch();
}

void CEditorCore::OnMessage(std::uint32_t nMsg, std::uintptr_t wParam, std::intptr_t lParam) {
    switch (nMsg) {
    case WM_IPC_RECEIVE:
        m_Replies.OnIpcReceive(reinterpret_cast<const std::uint8_t*>(wParam), static_cast<int>(lParam));
        break;
    case WM_GRAPH_REFRESH: m_Replies.OnGraphRefresh(); break;
    case WM_WHEEL_STEP: m_Writer.OnWheelStep(static_cast<int>(lParam)); break;
    case WM_APPLY_IO_CONFIG: m_Writer.ApplyIoConfig(); break;
    case WM_SEND_ALL: m_Writer.OnSendAll(); break;
    case WM_LOAD_DONE: m_Link.OnLoadDone(); break;
    case WM_SAVE_FILE:
        // The preset file itself is written by the preset-file layer; the lock is released here.
        TRACE("\r\n WM_SAVE_FILE");
        m_Host.KillTimer(TIMER_ID_UNLOCK_MOUSE);
        m_Host.SetTimer(TIMER_ID_UNLOCK_MOUSE, UNLOCK_MOUSE_MS);
        break;
    case WM_DEVICE_CONNECT: m_Link.OnDeviceConnect(); break;
    case WM_DEVICE_DISCONNECT: m_Link.OnDeviceDisconnect(static_cast<int>(lParam)); break;
    default: break;
    }
}

void CEditorCore::OnTimer(int nId) {
    switch (nId) {
    case TIMER_DEVICE_SEARCH: m_Link.OnSearchTimer(); break;
    case TIMER_GRAPH: m_Replies.OnGraphTimer(); break;
    case TIMER_SAVE_FILE:
        m_Host.KillTimer(TIMER_SAVE_FILE);
        m_Host.PostToSelf(WM_SAVE_FILE, 0, 0);
        break;
    case TIMER_SEND_ALL:
        m_Host.KillTimer(TIMER_SEND_ALL);
        m_Host.PostToSelf(WM_SEND_ALL, 0, 0);
        break;
    case TIMER_ID_UNLOCK_MOUSE: m_Link.OnUnlockMouseTimer(); break;
    case TIMER_WHEEL: m_Writer.OnWheelTimer(); break;
    default: break;
    }
}

void CEditorCore::OnCommand(int nId) {
    if (nId >= ID_LOAD_PRESET_1 && nId < ID_LOAD_PRESET_1 + 4)
        m_Link.LoadPreset(nId - ID_LOAD_PRESET_1);
    else if (nId >= ID_STORE_PRESET_1 && nId < ID_STORE_PRESET_1 + 4)
        m_Writer.StorePreset(nId - ID_STORE_PRESET_1);
}

void CEditorCore::RefreshLevelDisplays() {
    m_Form.SetText(IDC_MAIN_LEVEL, LevelText(m_Model.m_nMainVolume));
    m_Form.SetText(IDC_CHANNEL_LEVEL, LevelText(m_Model.m_nVolume[m_Model.m_nChannel]));
    m_Host.Repaint(AREA_PAGE);
}

void CEditorCore::RefreshPage() { m_Host.Repaint(AREA_PAGE); }

void CEditorCore::SaveSettingsAs() {
    m_Model.MouseLbtnEventDisable(1);
    const std::string path = m_Host.SaveFileDialog(kFileFilter, m_Model.m_szFilePath);
    if (path.empty()) {
        m_Model.MouseLbtnEventDisable(0);
        return;
    }
    m_Model.m_szFilePath = path;
    m_Host.KillTimer(TIMER_SAVE_FILE);
    m_Host.SetTimer(TIMER_SAVE_FILE, 100);
}
