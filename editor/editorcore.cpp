#include "editor/editorcore.h"

#include <cstdio>

#include "comm/trace.h"
#include "editor/controlids.h"
#include "editor/ctrlmessages.h"

namespace {

std::string LevelText(int nVolume) {
    char sz[16];
    std::snprintf(sz, sizeof sz, "%2.1f", CSettingsModel::DbFromVolume(nVolume));
    return sz;
}
} // namespace

CEditorCore::CEditorCore(IEditorHost& host)
    : m_Host(host), m_Link(*this), m_Replies(*this), m_Writer(*this), m_Selection(*this), m_Filters(*this),
      m_Delays(*this), m_IoConfig(*this), m_Help(*this), m_Pages(*this), m_Dispatch(*this), m_Files(*this) {}

CEditorCore::~CEditorCore() {
    m_Protocol.Close();
    m_SearchProtocol.Close();
}

void CEditorCore::Start(bool bSearch) {
    m_Model.WriteStartupDefaults();
    RefreshLevelDisplays();
    m_Selection.SelectChannel(-1);
    m_Pages.ShowStandardConfigPage();
    if (bSearch) m_Link.StartDeviceSearch();
}

void CEditorCore::OnMessage(std::uint32_t nMsg, std::uintptr_t wParam, std::intptr_t lParam) {
    switch (nMsg) {
    case WM_IPC_RECEIVE:
        m_Replies.OnIpcReceive(reinterpret_cast<const std::uint8_t*>(wParam), static_cast<int>(lParam));
        break;
    case WM_GRAPH_REFRESH:
        m_Replies.OnGraphRefresh();
        break;
    case WM_WHEEL_STEP:
        m_Writer.OnWheelStep(static_cast<int>(lParam));
        break;
    case WM_APPLY_IO_CONFIG:
        m_Writer.ApplyIoConfig();
        break;
    case WM_SEND_ALL:
        m_Writer.OnSendAll();
        break;
    case WM_LOAD_DONE:
        m_Link.OnLoadDone();
        break;
    case WM_SEARCH_ANSWERED:
        m_Link.OnSearchAnswered(static_cast<int>(lParam));
        break;
    case WM_SAVE_FILE:
        m_Files.OnSaveFile();
        break;
    case WM_DEVICE_CONNECT:
        m_Link.OnDeviceConnect();
        break;
    case WM_GDI_CTRL_DOWN:
        m_Dispatch.OnCtrlDown(static_cast<int>(wParam), static_cast<int>(lParam));
        break;
    case WM_GDI_CTRL_MOVE:
        m_Dispatch.OnCtrlMove(static_cast<int>(wParam), static_cast<int>(lParam));
        break;
    case WM_GDI_CTRL_UP:
        m_Dispatch.OnCtrlUp(static_cast<int>(wParam), static_cast<int>(lParam));
        break;
    case WM_SKIN_BTN_REPEAT:
        m_Dispatch.OnButtonRepeat(static_cast<int>(wParam));
        break;
    case WM_SKIN_BTN_UP:
        m_Dispatch.OnButtonClick(static_cast<int>(wParam));
        break;
    case WM_CTRL_HOVER:
        m_Help.OnCtrlHover(static_cast<int>(wParam), static_cast<int>(lParam));
        break;
    case WM_DEVICE_DISCONNECT:
        m_Link.OnDeviceDisconnect(static_cast<int>(lParam));
        break;
    default:
        break;
    }
}

void CEditorCore::OnTimer(int nId) {
    switch (nId) {
    case TIMER_DEVICE_SEARCH:
        m_Link.OnSearchTimer();
        break;
    case TIMER_ANIMATION:
        m_Pages.OnAnimationTimer();
        break;
    case TIMER_IO_APPLY:
        m_IoConfig.OnApplyTimer();
        break;
    case TIMER_GRAPH:
        m_Replies.OnGraphTimer();
        break;
    case TIMER_SAVE_FILE:
        m_Host.KillTimer(TIMER_SAVE_FILE);
        m_Host.PostToSelf(WM_SAVE_FILE, 0, 0);
        break;
    case TIMER_SEND_ALL:
        m_Host.KillTimer(TIMER_SEND_ALL);
        m_Host.PostToSelf(WM_SEND_ALL, 0, 0);
        break;
    case TIMER_ID_UNLOCK_MOUSE:
        m_Link.OnUnlockMouseTimer();
        break;
    case TIMER_WHEEL:
        m_Writer.OnWheelTimer();
        break;
    default:
        break;
    }
}

void CEditorCore::OnCommand(int nId) {
    if (nId >= ID_LOAD_PRESET_1 && nId < ID_LOAD_PRESET_1 + 4)
        m_Link.LoadPreset(nId - ID_LOAD_PRESET_1);
    else if (nId >= ID_STORE_PRESET_1 && nId < ID_STORE_PRESET_1 + 4)
        m_Writer.StorePreset(nId - ID_STORE_PRESET_1);
    else if (nId == ID_PAGE_CONFIGURATION)
        m_Pages.ShowStandardConfigPage();
    else if (nId == ID_PAGE_EQUALIZER)
        m_Pages.ShowEqualizerPage();
    else if (nId == ID_PAGE_CROSSOVER)
        m_Pages.ShowCrossoverPage();
    else if (nId == ID_PAGE_TIME_ALIGNMENT)
        m_Pages.ShowTimeAlignmentPage();
    else if (nId == ID_LOAD_PRESET_FILE)
        m_Files.LoadPresetFile();
    else if (nId == ID_SAVE_PRESET_FILE_AS)
        m_Files.SavePresetFileAs();
    else if (nId == ID_SAVE_PRESET_FILE)
        m_Files.SavePresetFile();
    else if (nId == ID_RESTORE_FACTORY)
        m_Files.RestoreFactorySettings();
    else if (nId == ID_HELP_MANUAL)
        m_Help.OpenUserManual();
}

void CEditorCore::RefreshLevelDisplays() {
    const int nChannelVolume = m_Model.m_nVolume[m_Model.m_nChannel % MLB8_CHANNELS];
    m_Form.SetText(ctl::MAIN_LEVEL_BOX, LevelText(m_Model.m_nMainVolume));
    m_Form.SetPos(ctl::MAIN_KNOB, m_Model.m_nMainVolume);
    m_Form.SetText(ctl::CHANNEL_LEVEL_BOX, LevelText(nChannelVolume));
    m_Form.SetPos(ctl::CHANNEL_KNOB, nChannelVolume);
    m_Host.Repaint(AREA_PAGE);
}

void CEditorCore::RefreshPage() {
    m_Host.Repaint(AREA_PAGE);
}
