// The editor core: everything the main view decides, without a widget. It owns the settings model,
// the two links to the processor and the form state, and is driven by its host: messages, timers,
// menu commands and control notifications go in; sends, form changes and host calls come out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "comm/formstate.h"
#include "comm/protocol.h"
#include "editor/abcompare.h"
#include "editor/delayeditor.h"
#include "editor/devicelink.h"
#include "editor/dispatch.h"
#include "editor/editcontext.h"
#include "editor/editorhost.h"
#include "editor/editorids.h"
#include "editor/filtereditor.h"
#include "editor/help.h"
#include "editor/history.h"
#include "editor/ioconfig.h"
#include "editor/pages.h"
#include "editor/presetfile.h"
#include "editor/replies.h"
#include "editor/selection.h"
#include "editor/writer.h"
#include "orvix/settingsmodel.h"

class CEditorCore {
public:
    explicit CEditorCore(IEditorHost& host);
    ~CEditorCore();
    CEditorCore(const CEditorCore&) = delete;
    CEditorCore& operator=(const CEditorCore&) = delete;

    // ---- What the host calls: start, messages, timers, commands and input ----
    // Start-up: defaults, the first page, the device search (unless the host starts it later).
    void Start(bool bSearch = true);
    // The device search a host that started without it begins once its window is up.
    void StartDeviceSearch() { m_Link.StartDeviceSearch(); }
    // Everything the host delivers.
    void OnMessage(std::uint32_t nMsg, std::uintptr_t wParam, std::intptr_t lParam);
    void OnTimer(int nId);
    void OnCommand(int nId);
    // A key (CDispatch::KEY_*) pressed or released in the box nFocusId; true when the box must not
    // see it.
    // A typed value (Enter) or a held arrow key ends its undo step when the key goes up.
    bool OnKey(bool bPress, int nKey, int nFocusId);
    // The left button anywhere in the window; true when the input lock swallows it.
    bool FilterLeftButton(bool bDown) { return m_Dispatch.FilterLeftButton(bDown); }
    // The pointer has come over a control: the help area shows its text.
    void OnSetCursor(int nId) { m_Help.OnSetCursor(nId); }
    // The wheel goes through here so that a burst of notches stays one step.
    void OnMouseWheel(int nDelta, int nFocusId, bool bInsideFocus);
    // A preset file named at start-up: checked without changing anything (the findings in
    // FileError() and FileReport()), then loaded as the load command loads a file.
    bool CheckPresetFile(const std::string& path, EPresetRead mode, ZUtils::ZProfile& profile) {
        return m_Files.CheckPresetFile(path, mode, profile);
    }
    int LoadPresetPath(const std::string& path) { return m_Files.LoadPresetPath(path); }
    // Closes both links (the window closes them before its reader thread's target goes away).
    void CloseLinks();

    // ---- What the window reads ----
    // The settings and the form state. The window writes typed text back into the form; tests,
    // tools and the additions beside the parts change the model directly.
    CSettingsModel& Model() { return m_Model; }
    const CSettingsModel& Model() const { return m_Model; }
    CFormState& Form() { return m_Form; }
    const CFormState& Form() const { return m_Form; }
    // The loudspeaker architecture the current input feeds (0 .. MLB8_ARCHITECTURES - 1).
    int Architecture() const { return m_Delays.Architecture(); }
    // The frame of the pulsing disc, 0, 5, ... 45.
    int AnimationFrame() const { return m_Pages.m_nAnimation; }
    // What the help text area shows, or nullptr for nothing.
    const char* HelpText() const { return m_Help.CurrentText(); }
    // What the last read of a preset file found: the reason it failed, and what applying it would do.
    const std::string& FileError() const { return m_Files.LastError(); }
    const SPresetReport& FileReport() const { return m_Files.LastReport(); }

    // ---- Undo and redo, A/B ----
    // A step ends where a gesture ends (release of a drag or a button, the end of a wheel burst, a
    // menu command); the host ends the steps it drives itself (keys, imports) with CommitStep. Undo
    // and redo are refused (false) during a drag, a held stepper or a load.
    bool Undo();
    bool Redo();
    bool CanUndo() const;
    bool CanRedo() const;
    void CommitStep();
    // Brings the model and the processor to `wanted` as one undo step (a computed proposal, such as an
    // alignment); refused (false) like an undo.
    bool ApplyAsOneStep(const SEditSnapshot& wanted);
    const CEditHistory& History() const { return m_History; }

    // A/B comparison: switches the processor to the other side (only what differs is sent) or
    // copies the live side to the other. Refused (false) while a gesture or a load is under way.
    bool SwitchAb();
    bool CopyAb();
    // CAbCompare::SIDE_A or SIDE_B.
    int LiveSide() const { return m_Ab.Live(); }
    const CAbCompare& Ab() const { return m_Ab; }

    // ---- The parts, for tests and tools ----
    // The parts themselves see only their context and the parts below them.
    // What a part works on, for building a part of one's own over this core's model and form.
    const SEditContext& Context() const { return m_Ctx; }
    // The processor's link, and the one that probes the ports during a search.
    CProtocol& Protocol() { return m_Protocol; }
    CProtocol& SearchProtocol() { return m_SearchProtocol; }
    // Search, connect and load.
    CDeviceLink& Link() { return m_Link; }
    // What the processor answers.
    CReplyHandler& Replies() { return m_Replies; }
    // Every command sequence to the processor.
    CSettingsWriter& Writer() { return m_Writer; }
    // The equalizer and the crossover.
    CFilterEditor& Filters() { return m_Filters; }
    // The time alignment.
    CDelayEditor& Delays() { return m_Delays; }
    // The inputs, outputs and modes of the configuration page.
    CIoConfig& IoConfig() { return m_IoConfig; }
    // The page switches.
    CPages& Pages() { return m_Pages; }
    // The gestures: keys, wheel, buttons.
    CDispatch& Dispatch() { return m_Dispatch; }
    // Preset files: load, save, check, factory settings.
    CPresetFiles& Files() { return m_Files; }

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
    void OnLoadDone();
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
