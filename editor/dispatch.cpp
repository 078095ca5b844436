#include "editor/dispatch.h"

#include "comm/formstate.h"
#include "comm/trace.h"
#include "editor/controlids.h"
#include "editor/controltable.h"
#include "editor/delayeditor.h"
#include "editor/editorhost.h"
#include "editor/editorids.h"
#include "editor/filtereditor.h"
#include "editor/help.h"
#include "editor/ioconfig.h"
#include "editor/pages.h"
#include "editor/selection.h"
#include "editor/writer.h"
#include "orvix/settingsmodel.h"

namespace {

bool In(int nId, int nFirst, int nLast) {
    return nId >= nFirst && nId <= nLast;
}

bool IsSpeakerIcon(int nId) {
    return ctl::KindOf(nId) == ctl::EKind::ICON;
}

// The controls that move relative to where they are pressed (knobs and speaker icons): a press
// alone changes nothing.
bool MovesFromThePress(int nId) {
    const ctl::EKind kind = ctl::KindOf(nId);
    return kind == ctl::EKind::KNOB || kind == ctl::EKind::ICON;
}

// Whether a position lies on the control's scale.
bool OnScale(int nId, int nValue) {
    const ctl::SControlGroup* pGroup = ctl::FindGroup(nId);
    return pGroup && nValue >= 0 && nValue < pGroup->nPositions;
}

// The group of an equalizer control (a band's frequency, gain or bandwidth), or nullptr.
const ctl::SControlGroup* EqGroup(int nId) {
    const ctl::SControlGroup* p = ctl::FindGroup(nId);
    const bool bEq =
        p && (p->law == ctl::ELaw::EQ_FREQ || p->law == ctl::ELaw::EQ_GAIN || p->law == ctl::ELaw::EQ_Q);
    return bEq ? p : nullptr;
}

using Source = CFilterEditor::ESource;

} // namespace

bool CDispatch::IsSteppable(int nId) {
    return ctl::KindOf(nId) == ctl::EKind::BOX;
}

// ---- slider, knob and icon notifications ----

void CDispatch::EditEq(const ctl::SControlGroup& group, int nId, CFilterEditor::ESource source, int nValue) {
    const int nBand = group.ids.index(nId);
    if (group.law == ctl::ELaw::EQ_FREQ)
        m_Filters.OnEqFreqEdit(nBand, source);
    else if (group.law == ctl::ELaw::EQ_GAIN)
        m_Filters.OnEqGainEdit(nBand, source, nValue);
    else if (group.law == ctl::ELaw::EQ_Q)
        m_Filters.OnEqBandWidthEdit(nBand, source, nValue);
}

void CDispatch::OnCtrlDown(int nId, int) {
    if (MovesFromThePress(nId)) {
        m_nPressedId = nId;
        m_bPressMoved = false;
    }
    if (!IsSpeakerIcon(nId)) return;
    const int ch = m_Delays.ChannelOfIcon(nId);
    if (ch < 0) return;
    // The whole selection follows the icon: the top bar and the page's delay boxes.
    m_Ctx.m_Model.m_nChannel = static_cast<std::uint8_t>(ch);
    m_Pages.SelectChannel(-1);
}

void CDispatch::OnCtrlMove(int nId, int nValue) {
    CSettingsModel& m = m_Ctx.m_Model;
    if (nId == m_nPressedId) m_bPressMoved = true;
    if (nId == ctl::MAIN_KNOB) {
        m_Selection.SetMainLevel(ctl::MAIN_KNOB, nValue);
    } else if (nId == ctl::CHANNEL_KNOB) {
        if (m.m_nChannel < MLB8_CHANNELS)
            m_Selection.SetChannelLevel(ctl::CHANNEL_KNOB, m.m_nChannel, nValue);
    } else if (nId == ctl::EASY_SENS_SLIDER) {
        m_IoConfig.EditEasySensitivity(nId, nValue);
    } else if (ctl::EXP_SENS_SLIDER.contains(nId) || ctl::AUX_SENS_SLIDER.contains(nId)) {
        m_IoConfig.EditExpertSensitivity(nId, nValue);
    } else if (IsSpeakerIcon(nId)) {
        m_Delays.OnDelayChange(nId, static_cast<float>(nValue));
    } else if (const ctl::SControlGroup* pEq = EqGroup(nId); pEq && pEq->kind != ctl::EKind::BOX) {
        if (OnScale(nId, nValue)) EditEq(*pEq, nId, Source::FROM_CONTROL, nValue);
    } else if (nId == ctl::HP_SLIDER || nId == ctl::LP_SLIDER) {
        m_Filters.OnXoverFreq(nId - ctl::HP_SLIDER, Source::FROM_CONTROL, nValue);
    }
}

void CDispatch::OnCtrlUp(int nId, int) {
    CSettingsModel& m = m_Ctx.m_Model;
    if (nId == m_nPressedId) {
        m_nPressedId = 0;
        if (!m_bPressMoved) return; // a click: it selected at most, nothing to send
    }
    if (nId == ctl::MAIN_KNOB) {
        m_Selection.SendMainVolume();
    } else if (nId == ctl::CHANNEL_KNOB) {
        m_Selection.SendChannelVolume();
    } else if (ctl::EXP_SENS_SLIDER.contains(nId) || ctl::AUX_SENS_SLIDER.contains(nId)) {
        m_IoConfig.CommitExpertSensitivity(nId);
    } else if (IsSpeakerIcon(nId)) {
        m_Delays.CommitDelay();
    } else if (const ctl::SControlGroup* pEq = EqGroup(nId); pEq && pEq->kind != ctl::EKind::BOX) {
        m_Filters.CommitEqBand(pEq->ids.index(nId), true);
    } else if (nId == ctl::HP_SLIDER || nId == ctl::LP_SLIDER) {
        m_Filters.RefreshXoverPage(m.m_nChannel);
        m_Ctx.m_Host.PostToSelf(WM_GRAPH_REFRESH, 0, 0);
        m_Filters.CommitXover(true);
    }
}

// ---- buttons ----

void CDispatch::OnButtonRepeat(int nId) {
    CSettingsModel& m = m_Ctx.m_Model;
    if (nId == ctl::EASY_SENS_UP || nId == ctl::EASY_SENS_DOWN)
        m_IoConfig.EditEasySensitivity(nId);
    else if (nId == ctl::MAIN_UP || nId == ctl::MAIN_DOWN)
        m_Selection.SetMainLevel(nId);
    else if (nId == ctl::CHANNEL_UP || nId == ctl::CHANNEL_DOWN)
        m_Selection.SetChannelLevel(nId, m.m_nChannel);
    else if (ctl::DELAY_STEP.contains(nId))
        m_Delays.OnDelayChange(nId);
    else if (In(nId, ctl::EXP_SENS_UP.first, ctl::EXP_SENS_DOWN.last) ||
             In(nId, ctl::AUX_SENS_UP.first, ctl::AUX_SENS_DOWN.last))
        m_IoConfig.RepeatExpertSensitivity(nId);
    else if (In(nId, ctl::LP_FREQ_UP, ctl::HP_SLOPE_DOWN))
        Step(nId, false); // the crossover steppers step their own value
}

void CDispatch::OnButtonClick(int nId) {
    CSettingsModel& m = m_Ctx.m_Model;
    CSelection& sel = m_Selection;
    // A page picked takes the keyboard away from the boxes: keys meant for the page step nothing.
    if (ctl::TAB.contains(nId) || nId == ctl::MODE_SWITCH) m_Ctx.m_Host.ReleaseBoxFocus();
    if (ctl::CHANNEL.contains(nId) || ctl::PAIR.contains(nId)) {
        m_Pages.SelectChannel(nId);
    } else if (In(nId, ctl::MUTE.first, ctl::PAIR_MUTE.last)) {
        if (m.m_nSoloMask) {
            sel.RefreshMuteButtons();
        } else {
            sel.ToggleMute(nId);
            sel.SendMuteMask();
        }
    } else if (In(nId, ctl::SOLO.first, ctl::PAIR_SOLO.last)) {
        sel.ToggleSolo(nId);
        sel.SendSoloMask();
    } else if (nId == ctl::PHASE) {
        m_Pages.TogglePhase(nId);
        sel.SendPhase();
    } else if (nId == ctl::DELAY_PHASE) {
        if (m.m_bPair) m_Pages.SelectChannel(-1);
        m_Pages.TogglePhase(nId);
        sel.SendPhase();
    } else if (nId == ctl::TAB_CONFIG) {
        if (m.m_bEasyExp)
            m_Pages.ShowExpertConfigPage();
        else
            m_Pages.ShowStandardConfigPage();
    } else if (nId == ctl::TAB_EQ) {
        m_Pages.ShowEqualizerPage();
    } else if (nId == ctl::TAB_XOVER) {
        m_Pages.ShowCrossoverPage();
    } else if (nId == ctl::TAB_DELAY) {
        m_Pages.ShowTimeAlignmentPage();
    } else if (nId == ctl::MODE_SWITCH) {
        m_Ctx.m_Form.SetToggle(ctl::MODE_SWITCH, m.m_bEasyExp);
        if (m.m_bEasyExp) {
            m_Pages.ShowStandardConfigPage();
        } else {
            m_Pages.ShowExpertConfigPage();
            m_Ctx.m_Form.SetToggle(ctl::MODE_SWITCH, m.m_bEasyExp);
        }
    } else if (nId == ctl::MAIN_UP || nId == ctl::MAIN_DOWN) {
        sel.SetMainLevel(nId);
        sel.SendMainVolume();
    } else if (nId == ctl::CHANNEL_UP || nId == ctl::CHANNEL_DOWN) {
        sel.SetChannelLevel(nId, m.m_nChannel);
        sel.SendChannelVolume();
    } else if (ctl::INPUT_KIND.contains(nId)) {
        m_IoConfig.SelectInputKind(nId);
    } else if (In(nId, ctl::EASY_LOW_HIGH, ctl::EASY_LOW_HIGH_2) || nId == ctl::EASY_SENS_UP ||
               nId == ctl::EASY_SENS_DOWN) {
        m_IoConfig.EditEasySensitivity(nId);
    } else if (ctl::ARCH.contains(nId)) {
        m_IoConfig.SelectArchitecture(nId);
    } else if (nId == ctl::ACTIVATE) {
        m_IoConfig.ActivateIoConfig();
    } else if (nId == ctl::EQ_SWITCH) {
        m_Filters.OnEqEnable();
    } else if (In(nId, ctl::XOVER_HP, ctl::XOVER_LP)) {
        m_Filters.OnXoverType(nId);
        m_Filters.CommitXover(true);
    } else if (ctl::DELAY_STEP.contains(nId)) {
        m_Delays.OnDelayChange(nId);
        m_Delays.CommitDelay();
    } else if (ctl::EXP_LABEL.contains(nId) || In(nId, ctl::EXP_SENS_UP.first, ctl::EXP_SENS_DOWN.last) ||
               In(nId, ctl::AUX_SENS_UP.first, ctl::AUX_SENS_DOWN.last) || nId == ctl::EXP_HIGHLOW) {
        m_IoConfig.EditExpertSensitivity(nId);
    } else if (ctl::EXP_ROUTE_MAIN.contains(nId) ||
               In(nId, ctl::EXP_ROUTE_AUX.first, ctl::EXP_ROUTE_NUMERICAL.last)) {
        m_IoConfig.ToggleRoute(nId);
    } else if (ctl::EXP_INPUT.contains(nId)) {
        m_IoConfig.SelectExpertInput(nId);
    } else if (In(nId, ctl::LP_FREQ_UP, ctl::HP_SLOPE_DOWN)) {
        Step(nId, false);
        m_Filters.CommitXover(nId == ctl::HP_FREQ_UP || nId == ctl::HP_FREQ_DOWN);
    } else if (nId == ctl::HELP) {
        m_Help.ToggleHelpMode();
    } else if (nId == ctl::MANUAL) {
        m_Help.OpenUserManual();
    }
}

// ---- keys and wheel ----

bool CDispatch::OnKeyDownMessage(int nKey, int nFocusId) {
    switch (nKey) {
    case KEY_ESCAPE:
        return true;
    case KEY_ENTER:
        OnReturnKey(nFocusId);
        return true;
    case KEY_UP:
        OnKeyUp(nFocusId);
        return true;
    case KEY_DOWN:
        OnKeyDown(nFocusId);
        return true;
    default:
        return false;
    }
}

bool CDispatch::OnKeyUpMessage(int nKey, int nFocusId) {
    switch (nKey) {
    case KEY_ESCAPE:
    case KEY_ENTER:
        return true;
    case KEY_UP:
    case KEY_DOWN:
        OnKeyUpDownRelease(nFocusId);
        return true;
    default:
        return false;
    }
}

void CDispatch::OnMouseWheel(int nDelta, int nFocusId, bool bInsideFocus) {
    const int nNotches = nDelta / WHEEL_DELTA;
    if (nNotches == 0 || !bInsideFocus) return;
    if (nNotches > 0)
        OnMouseWheelUp(nFocusId);
    else
        OnMouseWheelDown(nFocusId);
}

bool CDispatch::FilterLeftButton(bool bDown) {
    const int bBlock = m_Ctx.m_Model.m_bMouseLbtnEventBlock;
    if (bBlock) {
        if (bDown)
            TRACE("\r\n ######### return PreTranslateMessage WM_LBUTTONDOWN [%d] ", bBlock);
        else
            TRACE("\r\n ######### return PreTranslateMessage WM_LBUTTONUP [%d] ", bBlock);
        return true;
    }
    if (bDown) TRACE("\r\n --- ");
    return false;
}

void CDispatch::Step(int nId, bool bUp) {
    CSettingsModel& m = m_Ctx.m_Model;
    const int nStep = bUp ? ctl::STEP_UP : ctl::STEP_DOWN;
    const Source step = bUp ? Source::FROM_STEP_UP : Source::FROM_STEP_DOWN;
    if (nId == ctl::MAIN_LEVEL_BOX) {
        m_Selection.SetMainLevel(nStep);
    } else if (nId == ctl::CHANNEL_LEVEL_BOX) {
        m_Selection.SetChannelLevel(nStep, m.m_nChannel);
    } else if (nId == ctl::EASY_SENS_BOX) {
        m_IoConfig.EditEasySensitivity(nStep);
    } else if (ctl::EXP_SENS_BOX.contains(nId) || ctl::AUX_SENS_BOX.contains(nId)) {
        m_IoConfig.EditExpertSensitivity(nId, nStep);
    } else if (const ctl::SControlGroup* pEq = EqGroup(nId); pEq && pEq->kind == ctl::EKind::BOX) {
        EditEq(*pEq, nId, step, 0);
    } else if (nId == ctl::HP_FREQ_BOX || nId == ctl::HP_FREQ_UP || nId == ctl::HP_FREQ_DOWN) {
        const bool bStepUp = nId == ctl::HP_FREQ_BOX ? bUp : nId == ctl::HP_FREQ_UP;
        m_Filters.OnXoverFreq(0, bStepUp ? Source::FROM_STEP_UP : Source::FROM_STEP_DOWN);
    } else if (nId == ctl::LP_FREQ_BOX || nId == ctl::LP_FREQ_UP || nId == ctl::LP_FREQ_DOWN) {
        const bool bStepUp = nId == ctl::LP_FREQ_BOX ? bUp : nId == ctl::LP_FREQ_UP;
        m_Filters.OnXoverFreq(1, bStepUp ? Source::FROM_STEP_UP : Source::FROM_STEP_DOWN);
    } else if (nId == ctl::HP_SLOPE_BOX || nId == ctl::HP_SLOPE_UP || nId == ctl::HP_SLOPE_DOWN) {
        const bool bStepUp = nId == ctl::HP_SLOPE_BOX ? bUp : nId == ctl::HP_SLOPE_UP;
        m_Filters.OnXoverSlope(0, bStepUp ? Source::FROM_STEP_UP : Source::FROM_STEP_DOWN);
    } else if (nId == ctl::LP_SLOPE_BOX || nId == ctl::LP_SLOPE_UP || nId == ctl::LP_SLOPE_DOWN) {
        const bool bStepUp = nId == ctl::LP_SLOPE_BOX ? bUp : nId == ctl::LP_SLOPE_UP;
        m_Filters.OnXoverSlope(1, bStepUp ? Source::FROM_STEP_UP : Source::FROM_STEP_DOWN);
    } else if (In(nId, ctl::DELAY_CM_BOX, ctl::DELAY_IN_BOX)) {
        m_Delays.OnDelayChange(nStep);
    }
}

// What a key release sends for the focused box (Enter sends the same after applying the text).
void CDispatch::CommitFocused(int nId) {
    if (nId == ctl::MAIN_LEVEL_BOX) {
        m_Selection.SendMainVolume();
    } else if (nId == ctl::CHANNEL_LEVEL_BOX) {
        m_Selection.SendChannelVolume();
    } else if (ctl::EXP_SENS_BOX.contains(nId) || ctl::AUX_SENS_BOX.contains(nId)) {
        m_IoConfig.CommitExpertSensitivity(nId);
    } else if (const ctl::SControlGroup* pEq = EqGroup(nId); pEq && pEq->kind == ctl::EKind::BOX) {
        // A stepped gain or bandwidth may have switched the equalizer on: the flag goes first.
        m_Filters.CommitEqBand(pEq->ids.index(nId), pEq->law != ctl::ELaw::EQ_FREQ);
    } else if (In(nId, ctl::HP_SLOPE_BOX, ctl::LP_FREQ_BOX)) {
        m_Filters.CommitXover(true);
    } else if (In(nId, ctl::DELAY_CM_BOX, ctl::DELAY_IN_BOX)) {
        m_Delays.CommitDelay();
    }
}

void CDispatch::OnReturnKey(int nId) {
    CSettingsModel& m = m_Ctx.m_Model;
    if (nId == ctl::MAIN_LEVEL_BOX) {
        m_Selection.SetMainLevel(nId);
    } else if (nId == ctl::CHANNEL_LEVEL_BOX) {
        m_Selection.SetChannelLevel(nId, m.m_nChannel);
    } else if (nId == ctl::EASY_SENS_BOX) {
        m_IoConfig.EditEasySensitivity(nId);
        return; // applied; the standard sensitivity is sent on activation
    } else if (ctl::EXP_SENS_BOX.contains(nId) || ctl::AUX_SENS_BOX.contains(nId)) {
        m_IoConfig.EditExpertSensitivity(nId);
    } else if (const ctl::SControlGroup* pEq = EqGroup(nId); pEq && pEq->kind == ctl::EKind::BOX) {
        EditEq(*pEq, nId, Source::FROM_BOX, 0); // a gain or bandwidth switches the equalizer on
    } else if (nId == ctl::HP_FREQ_BOX || nId == ctl::LP_FREQ_BOX) {
        m_Filters.OnXoverFreq(nId - ctl::HP_FREQ_BOX, Source::FROM_BOX);
        if (nId == ctl::LP_FREQ_BOX) m_Filters.RefreshXoverPage(m.m_nChannel);
    } else if (nId == ctl::HP_SLOPE_BOX || nId == ctl::LP_SLOPE_BOX) {
        m_Filters.OnXoverSlope(nId - ctl::HP_SLOPE_BOX, Source::FROM_BOX);
        m_Filters.RefreshXoverPage(m.m_nChannel);
    } else if (In(nId, ctl::DELAY_CM_BOX, ctl::DELAY_IN_BOX)) {
        m_Delays.OnDelayChange(nId);
    } else {
        return;
    }
    CommitFocused(nId);
}

void CDispatch::OnKeyUp(int nId) {
    TRACE("\r\n OnKeyUp");
    Step(nId, true);
}

void CDispatch::OnKeyDown(int nId) {
    TRACE("\r\n OnKeyDown");
    Step(nId, false);
}

void CDispatch::OnKeyUpDownRelease(int nId) {
    TRACE("\r\n OnKeyUpDownRelease");
    CommitFocused(nId);
}

void CDispatch::OnMouseWheelUp(int nId) {
    TRACE("\r\n OnMouseWheelUp");
    if (!IsSteppable(nId)) return;
    Step(nId, true);
    m_Ctx.m_Host.PostToSelf(WM_WHEEL_STEP, 0, nId);
}

void CDispatch::OnMouseWheelDown(int nId) {
    TRACE("\r\n OnMouseWheelDown");
    if (!IsSteppable(nId)) return;
    Step(nId, false);
    m_Ctx.m_Host.PostToSelf(WM_WHEEL_STEP, 0, nId);
}
