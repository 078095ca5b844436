#include "editor/editorcore.h"

#include "comm/ctrlmessages.h"
#include "comm/trace.h"
#include "editor/controlids.h"

CEditorCore::CEditorCore(IEditorHost& host)
    : m_Host(host),
      m_Writer(m_Model, host, m_Protocol, m_SearchProtocol), m_Ctx{m_Model, m_Form, host, m_Writer},
      m_Selection(m_Ctx), m_Filters(m_Ctx), m_Delays(m_Ctx, m_Selection), m_IoConfig(m_Ctx), m_Help(m_Ctx),
      m_Pages(m_Ctx, m_Selection, m_IoConfig, m_Filters, m_Delays), m_Replies(m_Ctx, m_Filters),
      m_Link(m_Ctx, m_Protocol, m_SearchProtocol, m_Pages, m_IoConfig), m_Files(m_Ctx, m_Link),
      m_Dispatch(m_Ctx, m_Selection, m_Filters, m_Delays, m_IoConfig, m_Help, m_Pages) {}

CEditorCore::~CEditorCore() {
    CloseLinks();
}

void CEditorCore::CloseLinks() {
    m_Protocol.Close();
    m_SearchProtocol.Close();
}

void CEditorCore::Start(bool bSearch) {
    m_Model.WriteStartupDefaults();
    m_Ctx.RefreshLevelDisplays();
    m_Pages.SelectChannel(-1);
    m_Pages.ShowStandardConfigPage();
    m_History.Rebase(m_Model);
    if (bSearch) m_Link.StartDeviceSearch();
}

bool CEditorCore::Busy() const {
    return m_bDragging || m_bHeld || m_bWheeling || m_Model.m_bPresetLoading || m_Model.m_bPresetSaving;
}

void CEditorCore::CommitStep() {
    if (!Busy() && m_History.Commit(m_Model)) m_Help.SetNotice(nullptr);
}

bool CEditorCore::CanUndo() const {
    return !Busy() && m_History.CanUndo();
}

bool CEditorCore::CanRedo() const {
    return !Busy() && m_History.CanRedo();
}

bool CEditorCore::Undo() {
    if (Busy()) return false;
    CommitStep();
    return GoTo(m_History.Undo());
}

bool CEditorCore::ApplyAsOneStep(const SEditSnapshot& wanted) {
    if (Busy()) return false;
    CommitStep();
    GoTo(&wanted);
    CommitStep();
    return true;
}

bool CEditorCore::Redo() {
    if (Busy()) return false;
    CommitStep();
    return GoTo(m_History.Redo());
}

// Without a processor the model and the screen still go back; the next connect reads the processor.
bool CEditorCore::GoTo(const SEditSnapshot* pWanted) {
    if (!pWanted) return false;
    const SViewPlace place = Place();
    ApplyEdits(m_Model, *pWanted, m_Writer);
    ShowApplied(place);
    return true;
}

CEditorCore::SViewPlace CEditorCore::Place() const {
    return {m_Model.m_nPage, m_Model.m_nChannel, m_Model.m_bPair != 0};
}

void CEditorCore::ShowApplied(const SViewPlace& place) {
    // The after-load refresh redraws every page from the model; it clears the solo and, in expert
    // mode, forces the standard input's fields. Both are put back: the model stays on the settings
    // applied, or the forced difference would be taken for a new step.
    const SEditSnapshot applied = SEditSnapshot::Of(m_Model);
    m_Link.OnLoadDone();
    m_Model.m_nSoloMask = applied.nSoloMask;
    applied.PutIo(m_Model);
    m_Selection.RefreshMuteButtons();
    // The user stays where the settings changed under them: the same output, the same page.
    m_Pages.SelectChannel(place.bPair ? ctl::PAIR.first + place.nChannel / 2
                                      : ctl::CHANNEL.first + place.nChannel);
    if (place.nPage == CPages::PAGE_EQ)
        m_Pages.ShowEqualizerPage();
    else if (place.nPage == CPages::PAGE_XOVER)
        m_Pages.ShowCrossoverPage();
    else if (place.nPage == CPages::PAGE_DELAY)
        m_Pages.ShowTimeAlignmentPage();
}

// A preset recalled is no edit: the history starts again from it. After a connect the pair and the
// history go on only with the very settings the window left (the same processor, unchanged); other
// settings start both afresh, so nothing of an earlier state or another car is sent unasked.
void CEditorCore::OnLoadDone() {
    const bool bConnect = m_Link.TakeConnectLoad();
    m_Link.OnLoadDone();
    if (bConnect && SEditSnapshot::Of(m_Model).SameOnProcessor(m_History.Base())) {
        m_History.Refresh(m_Model);
        return;
    }
    if (bConnect && (m_History.CanUndo() || m_History.CanRedo() || m_Ab.HasOther())) {
        m_Help.SetNotice(TEXT_COMPARE_RESET);
        m_Host.Repaint(AREA_HELP_TEXT);
    }
    if (bConnect) {
        m_Ab.Reset();
        m_Host.Repaint(AREA_CONNECTION);
    }
    m_History.Rebase(m_Model);
}

bool CEditorCore::SwitchAb() {
    if (Busy()) return false;
    CommitStep();
    const SViewPlace place = Place();
    m_Ab.Switch(m_Model, m_Writer);
    ShowApplied(place);
    // The other side is no step back: the history starts again from the side now live.
    m_History.Rebase(m_Model);
    m_Ctx.m_Host.Repaint(AREA_CONNECTION);
    return true;
}

bool CEditorCore::CopyAb() {
    if (Busy()) return false;
    CommitStep();
    m_Ab.CopyLiveToOther(m_Model);
    return true;
}

bool CEditorCore::OnKey(bool bPress, int nKey, int nFocusId) {
    const bool bConsumed =
        bPress ? m_Dispatch.OnKeyDownMessage(nKey, nFocusId) : m_Dispatch.OnKeyUpMessage(nKey, nFocusId);
    if (!bPress || nKey == CDispatch::KEY_ENTER) CommitStep();
    return bConsumed;
}

void CEditorCore::OnMouseWheel(int nDelta, int nFocusId, bool bInsideFocus) {
    m_Dispatch.OnMouseWheel(nDelta, nFocusId, bInsideFocus);
    if (m_Model.m_nWheelCtrlId || nDelta / CDispatch::WHEEL_DELTA != 0) m_bWheeling = bInsideFocus;
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
        OnLoadDone();
        break;
    case WM_SEARCH_ANSWERED:
        m_Link.OnSearchAnswered(static_cast<int>(lParam));
        break;
    case WM_SAVE_FILE:
        m_Files.OnSaveFile();
        break;
    case WM_OFFER_SAVE_FILE:
        m_Files.SavePresetFileAs();
        break;
    case WM_DEVICE_CONNECT:
        m_Link.OnDeviceConnect();
        break;
    case WM_GDI_CTRL_DOWN:
        m_bDragging = true;
        m_Dispatch.OnCtrlDown(static_cast<int>(wParam), static_cast<int>(lParam));
        break;
    case WM_GDI_CTRL_MOVE:
        m_Dispatch.OnCtrlMove(static_cast<int>(wParam), static_cast<int>(lParam));
        break;
    case WM_GDI_CTRL_UP:
        m_Dispatch.OnCtrlUp(static_cast<int>(wParam), static_cast<int>(lParam));
        m_bDragging = false;
        CommitStep();
        break;
    case WM_SKIN_BTN_REPEAT:
        m_bHeld = true;
        m_Dispatch.OnButtonRepeat(static_cast<int>(wParam));
        break;
    case WM_SKIN_BTN_UP:
        m_Dispatch.OnButtonClick(static_cast<int>(wParam));
        m_bHeld = false;
        CommitStep();
        break;
    case WM_CTRL_HOVER:
        m_Help.OnCtrlHover(static_cast<int>(wParam), static_cast<int>(lParam));
        break;
    case WM_DEVICE_DISCONNECT:
        m_Link.OnDeviceDisconnect(static_cast<int>(lParam), static_cast<std::uint32_t>(wParam));
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
        m_bWheeling = false;
        CommitStep();
        break;
    default:
        break;
    }
}

void CEditorCore::OnCommand(int nId) {
    if (nId >= ID_LOAD_PRESET_1 && nId < ID_LOAD_PRESET_1 + 4) {
        m_Link.LoadPreset(nId - ID_LOAD_PRESET_1);
        return;
    }
    if (nId >= ID_STORE_PRESET_1 && nId < ID_STORE_PRESET_1 + 4) {
        // A store keeps the settings but is no edit to undo: what came before is left behind.
        CommitStep();
        m_Writer.StorePreset(nId - ID_STORE_PRESET_1);
        m_History.Rebase(m_Model);
        return;
    }
    if (nId == ID_EDIT_UNDO)
        Undo();
    else if (nId == ID_EDIT_REDO)
        Redo();
    else if (nId == ID_AB_SWITCH)
        SwitchAb();
    else if (nId == ID_AB_COPY)
        CopyAb();
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
    CommitStep();
}
