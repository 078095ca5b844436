// The view's input side: the notifications of the skinned controls, Enter/Up/Down on the focused
// edit box, the mouse wheel, the left button under the input lock, and Escape.
#pragma once

#include "editor/editcontext.h"
#include "editor/filtereditor.h"

namespace ctl {
struct SControlGroup;
}

class CSelection;
class CDelayEditor;
class CIoConfig;
class CHelp;
class CPages;

class CDispatch {
public:
    static constexpr int KEY_ENTER = 13;
    static constexpr int KEY_ESCAPE = 27;
    static constexpr int KEY_UP = 38;
    static constexpr int KEY_DOWN = 40;
    static constexpr int WHEEL_DELTA = 120;

    CDispatch(const SEditContext& ctx, CSelection& selection, CFilterEditor& filters, CDelayEditor& delays,
              CIoConfig& ioConfig, CHelp& help, CPages& pages)
        : m_Ctx(ctx), m_Selection(selection), m_Filters(filters), m_Delays(delays), m_IoConfig(ioConfig),
          m_Help(help), m_Pages(pages) {}

    void OnCtrlDown(int nId, int nValue);
    void OnCtrlMove(int nId, int nValue);
    void OnCtrlUp(int nId, int nValue);
    void OnButtonRepeat(int nId);
    void OnButtonClick(int nId);

    // Keys and wheel, with the dialog ID of the control that has the keyboard focus. The key
    // handlers return true when the key is consumed (the view then drops it).
    bool OnKeyDownMessage(int nKey, int nFocusId);
    bool OnKeyUpMessage(int nKey, int nFocusId);
    // nDelta as the wheel reports it; bInsideFocus: the pointer lies in the focused box (edges included).
    void OnMouseWheel(int nDelta, int nFocusId, bool bInsideFocus);
    // true: the left-button message is dropped (input lock).
    bool FilterLeftButton(bool bDown);

    void OnReturnKey(int nFocusId);
    void OnKeyUp(int nFocusId);
    void OnKeyDown(int nFocusId);
    void OnKeyUpDownRelease(int nFocusId);
    void OnMouseWheelUp(int nFocusId);
    void OnMouseWheelDown(int nFocusId);

    // Whether a focused control takes key and wheel steps.
    static bool IsSteppable(int nFocusId);

private:
    void Step(int nFocusId, bool bUp);
    void CommitFocused(int nFocusId);
    // An edit of a band's frequency, gain or bandwidth, by the law of the control's group.
    void EditEq(const ctl::SControlGroup& group, int nId, CFilterEditor::ESource source, int nValue);
    // A knob or speaker icon pressed and not yet released, and whether it has moved since: a press
    // and release without a move changed nothing, so nothing is sent.
    int m_nPressedId = 0;
    bool m_bPressMoved = false;
    SEditContext m_Ctx;
    CSelection& m_Selection;
    CFilterEditor& m_Filters;
    CDelayEditor& m_Delays;
    CIoConfig& m_IoConfig;
    CHelp& m_Help;
    CPages& m_Pages;
};
