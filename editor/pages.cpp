#include "editor/pages.h"

#include "comm/formstate.h"
#include "editor/controlids.h"
#include "editor/controltable.h"
#include "editor/delayeditor.h"
#include "editor/editorhost.h"
#include "editor/editorids.h"
#include "editor/filtereditor.h"
#include "editor/ioconfig.h"
#include "editor/selection.h"
#include "orvix/settingsmodel.h"

namespace {

constexpr int kTabs[4] = {ctl::TAB_CONFIG, ctl::TAB_EQ, ctl::TAB_XOVER, ctl::TAB_DELAY};

} // namespace

std::vector<int> CPages::PageControls(int nPage) {
    std::vector<int> ids;
    const std::uint8_t nBit = ctl::OnPage(nPage);
    for (const ctl::SControlGroup& group : ctl::kControlGroups)
        if (group.pages & nBit)
            for (int id = group.ids.first; id <= group.ids.last; ++id)
                ids.push_back(id);
    return ids;
}

void CPages::HidePageControls(int nPage) {
    for (int id : PageControls(nPage))
        m_Ctx.m_Form.Show(id, false);
    if (nPage == PAGE_STANDARD || nPage == PAGE_DELAY) m_Ctx.m_Host.KillTimer(TIMER_ANIMATION);
}

void CPages::ShowPageControls(int nPage) {
    CSettingsModel& m = m_Ctx.m_Model;
    CFormState& f = m_Ctx.m_Form;
    switch (nPage) {
    case PAGE_STANDARD:
        f.Show(ctl::MODE_SWITCH, true);
        for (int k = 0; k < MLB8_INPUT_KINDS; ++k)
            f.Show(ctl::INPUT_KIND.first + k, true);
        for (int a = 0; a < MLB8_ARCHITECTURES; ++a)
            f.Show(ctl::ARCH.first + a, true);
        f.Show(ctl::ACTIVATE, true);
        m_IoConfig.ShowEasySensitivityControls();
        m_IoConfig.ApplySelectorStates(m.m_nDSPOutput[m.m_nDSPInput]);
        m_IoConfig.EditEasySensitivity(-1);
        m_Ctx.m_Host.SetTimer(TIMER_ANIMATION, ANIMATION_MS);
        break;
    case PAGE_EXPERT:
        f.Show(ctl::MODE_SWITCH, true);
        f.SetToggle(ctl::EXP_HIGHLOW, m.m_bExpertConfigInputHighLow);
        for (int id = ctl::EXP_INPUT.first; id <= ctl::EXP_INPUT.last; ++id)
            f.Show(id, true);
        m_IoConfig.ShowAllSelectors();
        m_IoConfig.ApplySelectorStates(CIoConfig::SELECTOR_EXPERT);
        m_IoConfig.SelectExpertInput(-1);
        m_IoConfig.ToggleRoute(-1);
        m_IoConfig.RefreshExpertSensitivity();
        break;
    case PAGE_EQ:
        for (int id : PageControls(PAGE_EQ))
            f.Show(id, true);
        break;
    case PAGE_XOVER:
        for (int id : {ctl::XOVER_HP, ctl::XOVER_BP, ctl::XOVER_LP, ctl::GRAPH})
            f.Show(id, true);
        // The value controls follow the channel's crossover type.
        m_Filters.RefreshXoverPage(m.m_nChannel);
        break;
    case PAGE_DELAY: {
        for (int id : {ctl::DELAY_CM_BOX, ctl::DELAY_MS_BOX, ctl::DELAY_IN_BOX, ctl::DELAY_PHASE})
            f.Show(id, true);
        for (int id = ctl::DELAY_STEP.first; id <= ctl::DELAY_STEP.last; ++id)
            f.Show(id, true);
        for (int ch = 0; ch < MLB8_CHANNELS; ++ch)
            if (const int nIcon = m_Delays.IconOfChannel(ch)) f.Show(nIcon, true);
        m_Selection.RefreshPhaseButtons();
        m_Delays.OnDelayChange(CDelayEditor::REPOSITION);
        m_Delays.RefreshIconSelection();
        m_Delays.RefreshIconActivity();
        m_Ctx.m_Host.SetTimer(TIMER_ANIMATION, ANIMATION_MS);
        break;
    }
    default:
        break;
    }
    m_Ctx.m_Host.Repaint(AREA_PAGE);
}

void CPages::ForcePair() {
    CSettingsModel& m = m_Ctx.m_Model;
    if (m.m_bPair) return;
    m.m_nChannel = static_cast<std::uint8_t>(m.m_nChannel & ~1);
    m.m_bPair = 1;
    // The whole selection display: buttons, and the level, phase and mutes of the new pair base.
    SelectChannel(-1);
}

bool CPages::EnterPage(int nPage, int nTab) {
    CSettingsModel& m = m_Ctx.m_Model;
    CFormState& f = m_Ctx.m_Form;
    if (m.m_nPage == nPage) {
        f.SetToggle(nTab, 1);
        return false;
    }
    for (int id : kTabs)
        f.SetToggle(id, 0);
    f.SetToggle(nTab, 1);
    HidePageControls(m.m_nPage);
    m.m_nPage = static_cast<std::uint8_t>(nPage);
    ShowPageControls(nPage);
    m_Ctx.m_Host.Repaint(AREA_PAGE);
    return true;
}

void CPages::ShowStandardConfigPage() {
    CSettingsModel& m = m_Ctx.m_Model;
    m.m_bEasyExp = 0;
    m_Ctx.m_Form.SetToggle(ctl::MODE_SWITCH, m.m_bEasyExp);
    ForcePair();
    if (m.m_nPage == PAGE_STANDARD) m_Ctx.m_Form.SetToggle(ctl::MODE_SWITCH, 0);
    if (!EnterPage(PAGE_STANDARD, ctl::TAB_CONFIG)) return;
    m_IoConfig.UpdateConfigInput2Output(m.m_nDSPInput, m.m_nDSPOutput[m.m_nDSPInput]);
    m_IoConfig.RefreshInputKindButtons(); // lit from the model, also before anything is loaded
}

void CPages::ShowExpertConfigPage() {
    CSettingsModel& m = m_Ctx.m_Model;
    m.m_bEasyExp = 1;
    m_Ctx.m_Form.SetToggle(ctl::MODE_SWITCH, m.m_bEasyExp);
    ForcePair();
    if (!EnterPage(PAGE_EXPERT, ctl::TAB_CONFIG)) return;
    m_IoConfig.ToggleRoute(-1);
}

void CPages::ShowEqualizerPage() {
    CSettingsModel& m = m_Ctx.m_Model;
    ForcePair();
    if (m.m_nPage == PAGE_EQ) {
        m_Ctx.m_Form.SetToggle(ctl::TAB_EQ, 1);
        return;
    }
    m.m_bGraphTimerArmed = 0;
    EnterPage(PAGE_EQ, ctl::TAB_EQ);
    SelectChannel(-1);
}

void CPages::ShowCrossoverPage() {
    CSettingsModel& m = m_Ctx.m_Model;
    ForcePair();
    if (m.m_nPage == PAGE_XOVER) {
        m_Ctx.m_Form.SetToggle(ctl::TAB_XOVER, 1);
        return;
    }
    m.m_bGraphTimerArmed = 0;
    EnterPage(PAGE_XOVER, ctl::TAB_XOVER);
    m_Filters.RefreshXoverPage(m.m_nChannel);
}

void CPages::ShowTimeAlignmentPage() {
    if (m_Ctx.m_Model.m_bPair) m_Selection.RefreshChannelButtons();
    EnterPage(PAGE_DELAY, ctl::TAB_DELAY);
}

void CPages::OnAnimationTimer() {
    m_nAnimation = (m_nAnimation + 5) % 50;
    m_Ctx.m_Host.Repaint(AREA_ANIMATION);
}

void CPages::SelectChannel(int nId) {
    m_Selection.SelectChannel(nId);
    RefreshChannelPage();
}

void CPages::RefreshChannelPage() {
    const CSettingsModel& m = m_Ctx.m_Model;
    switch (m.m_nPage) {
    case PAGE_EQ:
        m_Filters.RefreshEqPage(m.m_nChannel);
        break;
    case PAGE_XOVER:
        m_Filters.RefreshXoverPage(m.m_nChannel);
        break;
    case PAGE_DELAY:
        m_Delays.RefreshIconSelection();
        m_Delays.OnDelayChange(CDelayEditor::REFRESH);
        break;
    default:
        break;
    }
}

void CPages::TogglePhase(int nId) {
    m_Selection.TogglePhase(nId);
    if (m_Ctx.m_Model.m_nPage == PAGE_DELAY) m_Delays.RefreshIconActivity();
}
