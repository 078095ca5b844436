// The editor core: everything the main view decides, without a widget. It owns the settings model,
// the two links to the processor and the form state, and is driven by its host: messages, timers,
// menu commands and control notifications go in; sends, form changes and host calls come out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "comm/protocol.h"
#include "editor/abcompare.h"
#include "editor/delayeditor.h"
#include "editor/devicelink.h"
#include "editor/dispatch.h"
#include "editor/editcontext.h"
#include "editor/editorhost.h"
#include "editor/editorids.h"
#include "editor/filtereditor.h"
#include "editor/formstate.h"
#include "editor/help.h"
#include "editor/history.h"
#include "editor/ioconfig.h"
#include "editor/pages.h"
#include "editor/presetfile.h"
#include "editor/replies.h"
#include "editor/selection.h"
#include "editor/settingsmodel.h"
#include "editor/writer.h"

class CEditorCore {
public:
    explicit CEditorCore(IEditorHost& host);
    ~CEditorCore();
    CEditorCore(const CEditorCore&) = delete;
    CEditorCore& operator=(const CEditorCore&) = delete;

    // Start-up: defaults, the first page, the device search (unless the host starts it later).
    void Start(bool bSearch = true);
    // Everything the host delivers.
    void OnMessage(std::uint32_t nMsg, std::uintptr_t wParam, std::intptr_t lParam);
    void OnTimer(int nId);
    void OnCommand(int nId);

    // The parts, for the host's input and drawing and for the tests. The parts themselves see only
    // their context and the parts below them.
    IEditorHost& Host() { return m_Host; }
    // What a part works on, for building a part of one's own over this core's model and form.
    const SEditContext& Context() const { return m_Ctx; }
    CSettingsModel& Model() { return m_Model; }
    const CSettingsModel& Model() const { return m_Model; }
    CFormState& Form() { return m_Form; }
    const CFormState& Form() const { return m_Form; }
    CProtocol& Protocol() { return m_Protocol; }
    CProtocol& SearchProtocol() { return m_SearchProtocol; }
    CDeviceLink& Link() { return m_Link; }
    CReplyHandler& Replies() { return m_Replies; }
    CSettingsWriter& Writer() { return m_Writer; }
    CFilterEditor& Filters() { return m_Filters; }
    CDelayEditor& Delays() { return m_Delays; }
    const CDelayEditor& Delays() const { return m_Delays; }
    CIoConfig& IoConfig() { return m_IoConfig; }
    CHelp& Help() { return m_Help; }
    const CHelp& Help() const { return m_Help; }
    CPages& Pages() { return m_Pages; }
    const CPages& Pages() const { return m_Pages; }
    CDispatch& Dispatch() { return m_Dispatch; }
    CPresetFiles& Files() { return m_Files; }

    // Undo and redo. A step ends where a gesture ends (release of a drag or a button, the end of a
    // wheel burst, a menu command); the host ends the steps it drives itself (keys, imports) with
    // CommitStep. Undo and redo are refused (false) during a drag, a held stepper or a load.
    bool Undo();
    bool Redo();
    bool CanUndo() const;
    bool CanRedo() const;
    void CommitStep();
    // The wheel goes through here so that a burst of notches stays one step.
    void OnMouseWheel(int nDelta, int nFocusId, bool bInsideFocus);
    const CEditHistory& History() const { return m_History; }

    // A/B comparison: switches the processor to the other side (only what differs is sent) or
    // copies the live side to the other. Refused (false) while a gesture or a load is under way.
    bool SwitchAb();
    bool CopyAb();
    const CAbCompare& Ab() const { return m_Ab; }

    // Closes both links (the window closes them before its reader thread's target goes away).
    void CloseLinks();

private:
    // Declared in the order of construction: every part after the parts it holds.
    IEditorHost& m_Host;
    CSettingsModel m_Model;
    CFormState m_Form;
    CProtocol m_Protocol{m_Host.LinkEnv()};
    CProtocol m_SearchProtocol{m_Host.LinkEnv()};
    CSettingsWriter m_Writer;
    SEditContext m_Ctx;
    CSelection m_Selection;
    CFilterEditor m_Filters;
    CDelayEditor m_Delays;
    CIoConfig m_IoConfig;
    CHelp m_Help;
    CPages m_Pages;
    CReplyHandler m_Replies;
    CDeviceLink m_Link;
    CPresetFiles m_Files;
    CDispatch m_Dispatch;
    CEditHistory m_History;
    CAbCompare m_Ab;
    bool m_bDragging = false;
    bool m_bHeld = false;
    bool m_bWheeling = false;

    bool Busy() const;
    bool GoTo(const SEditSnapshot* pWanted);
    // Where the user is: kept across settings that change under them (undo, redo, A/B).
    struct SViewPlace {
        int nPage;
        int nChannel;
        bool bPair;
    };
    SViewPlace Place() const;
    void ShowApplied(const SViewPlace& place);
};
