// Input and output configuration of the standard and expert pages.
#include "editor/ioconfig.h"
#include "editor/controlids.h"

#include "comm/formstate.h"
#include "comm/trace.h"
#include "editor/editorhost.h"
#include "editor/editorids.h"
#include "editor/selection.h"
#include "editor/writer.h"
#include "orvix/settingsmodel.h"
#include "orvix/valuelaws.h"
#include "presets/textparse.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace {

constexpr int kMaxIndex = MLB8_MAX_SENSITIVITY;
constexpr int kPairs = MLB8_CHANNELS / 2;
constexpr std::uint32_t kApplyDelayMs = 100;

// Selector button states: rows channel 1..8 and pair 1-2..7-8, columns the architectures and the
// expert page.
constexpr int kSelectorStates[CIoConfig::SELECTOR_BUTTONS][CIoConfig::SELECTOR_EXPERT + 1] = {
    {2, 2, 0, 1, 2, 2}, {0, 0, 2, 1, 0, 0}, {0, 1, 0, 0, 1, 1}, {1, 0, 0, 1, 0, 0},
    {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 1, 0}, {0, 0, 0, 0, 1, 0},
    {0, 0, 1, 1, 0, 3}, {0, 1, 0, 2, 0, 3}, {0, 0, 0, 0, 1, 3}, {0, 0, 0, 0, 0, 3},
};

// The ID groups hold one control per channel, input or choice.
static_assert(ctl::INPUT_KIND.count() == MLB8_INPUT_KINDS && ctl::ARCH.count() == MLB8_ARCHITECTURES);
static_assert(ctl::EXP_ROUTE_MAIN.count() == MLB8_CHANNELS * MLB8_MAIN_INPUTS);
static_assert(ctl::EXP_ROUTE_AUX.count() == MLB8_CHANNELS * 2 &&
              ctl::EXP_ROUTE_NUMERICAL.count() == MLB8_CHANNELS * 2);
static_assert(ctl::EXP_SENS_SLIDER.count() == MLB8_MAIN_INPUTS &&
              ctl::EXP_SENS_BOX.count() == MLB8_MAIN_INPUTS && ctl::EXP_SENS_UP.count() == MLB8_MAIN_INPUTS &&
              ctl::EXP_SENS_DOWN.count() == MLB8_MAIN_INPUTS && ctl::EXP_LABEL.count() == MLB8_MAIN_INPUTS);
static_assert(ctl::AUX_SENS_SLIDER.count() == MLB8_AUX_INPUTS &&
              ctl::AUX_SENS_BOX.count() == MLB8_AUX_INPUTS && ctl::AUX_SENS_UP.count() == MLB8_AUX_INPUTS &&
              ctl::AUX_SENS_DOWN.count() == MLB8_AUX_INPUTS);
static_assert(ctl::EXP_INPUT.count() == 3);

bool InRange(int n, int nFirst, int nCount) {
    return n >= nFirst && n < nFirst + nCount;
}

std::string VoltsText(float fVolts) {
    char sz[32];
    std::snprintf(sz, sizeof sz, "%3.1f", static_cast<double>(fVolts));
    return sz;
}

int Step(int nIndex, int nDelta) {
    return std::clamp(nIndex + nDelta, 0, kMaxIndex);
}

} // namespace

// ---- helpers shared by both pages ----

std::array<CIoConfig::SSelectorState, CIoConfig::SELECTOR_BUTTONS> CIoConfig::SelectorStates(int nColumn) {
    std::array<SSelectorState, SELECTOR_BUTTONS> out{};
    const bool bValid = nColumn >= 0 && nColumn <= SELECTOR_EXPERT;
    for (int i = 0; i < SELECTOR_BUTTONS; ++i) {
        out[i].nId = i < MLB8_CHANNELS ? ctl::CHANNEL.first + i : ctl::PAIR.first + (i - MLB8_CHANNELS);
        out[i].nState = bValid ? kSelectorStates[i][nColumn] : 0;
    }
    return out;
}

void CIoConfig::ApplySelectorStates(int nColumn) {
    for (const SSelectorState& s : SelectorStates(nColumn))
        m_Ctx.m_Form.SetState(s.nId, s.nState);
}

void CIoConfig::ShowAllSelectors() {
    for (int c = 0; c < MLB8_CHANNELS; ++c)
        ShowChannelControls(c, true);
    for (int g = 0; g < kPairs; ++g)
        ShowPairControls(g, true);
}

double CIoConfig::ParseVolts(const std::string& text) {
    return ParseBoxDouble(text);
}

int CIoConfig::SensitivityFromVolts(double fVolts, int bHighTable) {
    const float* pTable = bHighTable ? SENS_HIGH_TABLE : SENS_LOW_TABLE;
    // Compared in the table's own precision, so that typing a shown value finds its own entry.
    const float f =
        std::clamp(static_cast<float>(std::clamp(fVolts, -1e6, 1e6)), pTable[0], pTable[kMaxIndex]);
    int j = 0;
    while (j < kMaxIndex && pTable[j] < f)
        ++j;
    return kMaxIndex - j;
}

void CIoConfig::SelectFirstPair() {
    // The selection's whole display (level, phase, mutes) follows, not the buttons alone.
    CSelection(m_Ctx).Select(0, true);
}

void CIoConfig::EndSolo() {
    CSettingsModel& m = m_Ctx.m_Model;
    CFormState& form = m_Ctx.m_Form;
    if (m.m_nSoloMask == 0) return;
    m_Ctx.m_Writer.SendMuteState(1, 0);
    m.m_nSoloMask = 0;
    for (int c = 0; c < MLB8_CHANNELS; ++c) {
        form.SetToggle(ctl::SOLO.first + c, 0);
        form.SetToggle(ctl::MUTE.first + c, m.m_bMute[c]);
    }
    for (int g = 0; g < kPairs; ++g) {
        form.SetToggle(ctl::PAIR_SOLO.first + g, 0);
        form.SetToggle(ctl::PAIR_MUTE.first + g, m.m_bMute[2 * g] && m.m_bMute[2 * g + 1]);
    }
}

// ---- standard page ----

void CIoConfig::ShowChannelControls(int nChannel, bool bVisible) {
    m_Ctx.m_Form.Show(ctl::CHANNEL.first + nChannel, bVisible);
    m_Ctx.m_Form.Show(ctl::MUTE.first + nChannel, bVisible);
    m_Ctx.m_Form.Show(ctl::SOLO.first + nChannel, bVisible);
}

void CIoConfig::ShowPairControls(int nPair, bool bVisible) {
    m_Ctx.m_Form.Show(ctl::PAIR.first + nPair, bVisible);
    m_Ctx.m_Form.Show(ctl::PAIR_MUTE.first + nPair, bVisible);
    m_Ctx.m_Form.Show(ctl::PAIR_SOLO.first + nPair, bVisible);
}

void CIoConfig::ShowArchitectureSelectors(int nKind, int nArch) {
    for (int c = 0; c < MLB8_CHANNELS; ++c)
        ShowChannelControls(c, true);
    for (int g = 0; g < kPairs; ++g)
        ShowPairControls(g, true);
    if (nArch == ARCH_51) m_Ctx.m_Form.Show(ctl::PAIR.first + 3, false); // 7 and 8 are no pair in 5.1
    if (nKind == INPUT_51_WIRED) return;
    if (nArch == ARCH_2WAY_SUB || nArch == ARCH_41) {
        ShowChannelControls(4, false);
        ShowChannelControls(5, false);
        ShowPairControls(2, false);
    } else if (nArch == ARCH_21) {
        for (int c = 2; c <= 5; ++c)
            ShowChannelControls(c, false);
        ShowPairControls(1, false);
        ShowPairControls(2, false);
    }
}

void CIoConfig::ShowModeSelectors() {
    CSettingsModel& m = m_Ctx.m_Model;
    if (m.m_bEasyExp) {
        ShowAllSelectors();
        ApplySelectorStates(SELECTOR_EXPERT);
        return;
    }
    const int nKind = std::clamp(m.m_nDSPInput, 0, MLB8_INPUT_KINDS - 1);
    const int nArch = m.m_nDSPOutput[nKind];
    if (!InRange(nArch, 0, MLB8_ARCHITECTURES)) return;
    ShowArchitectureSelectors(nKind, nArch);
    ApplySelectorStates(nArch);
}

void CIoConfig::UpdateConfigInput2Output(int nKind, int nArch) {
    TRACE("\r\n UpdateConfigInput2Output nDSPInput[%d] nDSPOutput[%d] ", nKind, nArch);
    if (!InRange(nKind, 0, MLB8_INPUT_KINDS) || !InRange(nArch, 0, MLB8_ARCHITECTURES)) return;
    CFormState& form = m_Ctx.m_Form;
    ShowArchitectureSelectors(nKind, nArch);
    for (int a = 0; a < MLB8_ARCHITECTURES; ++a) {
        form.Show(ctl::ARCH.first + a, true);
        form.SetToggle(ctl::ARCH.first + a, 0);
    }
    if (nKind == INPUT_51_WIRED)
        for (int a = 0; a < ARCH_51; ++a)
            form.Show(ctl::ARCH.first + a, false);
    form.SetToggle(ctl::ARCH.first + nArch, 1);
}

void CIoConfig::ShowEasySensitivityControls() {
    CSettingsModel& m = m_Ctx.m_Model;
    CFormState& form = m_Ctx.m_Form;
    const bool bLevel = m.m_nDSPInput >= INPUT_51_WIRED && m.m_nDSPInput <= INPUT_AUX;
    const bool bHighLow = bLevel && m.m_nDSPInput != INPUT_AUX;
    for (int id : {ctl::EASY_SENS_SLIDER, ctl::EASY_SENS_BOX, ctl::EASY_SENS_UP, ctl::EASY_SENS_DOWN})
        form.Show(id, bLevel);
    form.Show(ctl::EASY_LOW_HIGH, bHighLow);
    form.SetToggle(ctl::EASY_LOW_HIGH, m.m_bEasyConfigInputHighLow);
    form.Show(ctl::EASY_LOW_HIGH_2, false);
    if (bLevel) EditEasySensitivity(-1);
}

void CIoConfig::RefreshInputKindButtons() {
    for (int k = 0; k < MLB8_INPUT_KINDS; ++k)
        m_Ctx.m_Form.SetToggle(ctl::INPUT_KIND.first + k, k == m_Ctx.m_Model.m_nDSPInput);
}

void CIoConfig::SelectInputKind(int nId) {
    CSettingsModel& m = m_Ctx.m_Model;
    const bool bRedraw = nId == -1;
    if (!bRedraw && !ctl::INPUT_KIND.contains(nId)) return;
    const int k = bRedraw ? m.m_nDSPInput : nId - ctl::INPUT_KIND.first;
    if (!InRange(k, 0, MLB8_INPUT_KINDS)) return;
    // The solo ends with the change of input; the processor gets the real mutes back first. Clicking
    // the kind already chosen keeps the solo, and the processor keeps applying it.
    if (k != m.m_nDSPInput) EndSolo();
    m.m_nDSPInput = k;
    ShowEasySensitivityControls();
    if (k == INPUT_51_WIRED) m.m_nDSPOutput[0] = ARCH_51; // its only architecture
    const int nArch = m.m_nDSPOutput[k];
    UpdateConfigInput2Output(k, nArch);
    if (!bRedraw) {
        SelectFirstPair();
    }
    ApplySelectorStates(nArch);
    RefreshInputKindButtons();
}

void CIoConfig::SelectArchitecture(int nId) {
    CSettingsModel& m = m_Ctx.m_Model;
    const bool bRedraw = nId == -1;
    if (!bRedraw && !ctl::ARCH.contains(nId)) return;
    const int k = m.m_nDSPInput;
    if (!InRange(k, 0, MLB8_INPUT_KINDS)) return;
    int a = bRedraw ? m.m_nDSPOutput[k] : nId - ctl::ARCH.first;
    // The 5.1 wired input has the 5.1 architecture only.
    if (k == INPUT_51_WIRED) a = ARCH_51;
    if (!InRange(a, 0, MLB8_ARCHITECTURES)) return;
    if (a != m.m_nDSPOutput[k]) EndSolo();
    m.m_nDSPOutput[k] = a;
    if (!bRedraw) {
        SelectFirstPair();
    }
    ApplySelectorStates(a);
    UpdateConfigInput2Output(k, a);
}

void CIoConfig::ActivateIoConfig() {
    CSettingsModel& m = m_Ctx.m_Model;
    const int k = m.m_nDSPInput;
    if (!InRange(k, 0, MLB8_INPUT_KINDS)) return;
    if (k == INPUT_51_WIRED) m.m_nDSPOutput[0] = ARCH_51;
    const int a = m.m_nDSPOutput[k];
    if (!InRange(a, 0, MLB8_ARCHITECTURES)) return;
    if (!m_Ctx.m_Host.Confirm(TEXT_CONFIRM_IO_CONFIG)) return;

    const std::uint8_t* pRow = ROUTING_PRESETS[k][a];
    std::uint8_t* pMap = k <= INPUT_2_WIRED ? m.m_MapM : (k == INPUT_AUX ? m.m_MapA : m.m_MapD);
    std::copy(pRow, pRow + MLB8_CHANNELS, pMap);

    const int nSens = std::clamp(m.m_nEasyConfigInputSensitivity, 0, kMaxIndex);
    if (k <= INPUT_2_WIRED) {
        m.m_nDSPExpInput = 0;
        std::fill(std::begin(m.m_nInputSensitivityMain), std::end(m.m_nInputSensitivityMain), nSens);
    } else if (k == INPUT_AUX) {
        m.m_nDSPExpInput = 1;
        std::fill(std::begin(m.m_nInputSensitivityAux), std::end(m.m_nInputSensitivityAux), nSens);
    } else {
        m.m_nDSPExpInput = 2;
    }
    m.m_bExpertConfigInputHighLow = m.m_bEasyConfigInputHighLow ? 1 : 0;

    // The apply runs once the confirmation is gone.
    if (m_nOsClass == 1 || m_nOsClass == 2) {
        m_Ctx.m_Host.KillTimer(TIMER_IO_APPLY);
        m_Ctx.m_Host.SetTimer(TIMER_IO_APPLY, kApplyDelayMs);
    } else {
        m_Ctx.m_Host.PostToSelf(WM_APPLY_IO_CONFIG, 0, 0);
    }
}

void CIoConfig::OnApplyTimer() {
    m_Ctx.m_Host.KillTimer(TIMER_IO_APPLY);
    m_Ctx.m_Host.PostToSelf(WM_APPLY_IO_CONFIG, 0, 0);
}

void CIoConfig::EditEasySensitivity(int nId, int nValue) {
    CSettingsModel& m = m_Ctx.m_Model;
    CFormState& form = m_Ctx.m_Form;
    const int k = m.m_nDSPInput;
    int& nIndex = m.m_nEasyConfigInputSensitivity;
    nIndex = std::clamp(nIndex, 0, kMaxIndex);
    if (nId == ctl::EASY_SENS_BOX && (nValue == ctl::STEP_UP || nValue == ctl::STEP_DOWN)) nId = nValue;

    switch (nId) {
    case ctl::EASY_SENS_SLIDER:
        nIndex = SensIndexFromSliderPos(nValue);
        break;
    case ctl::EASY_SENS_BOX:
        if (k >= INPUT_51_WIRED && k <= INPUT_AUX) {
            // The AUX input has low-level signals only.
            const int bHigh = k != INPUT_AUX && m.m_bEasyConfigInputHighLow;
            nIndex = SensitivityFromVolts(ParseVolts(form.Text(ctl::EASY_SENS_BOX)), bHigh);
        }
        break;
    case ctl::EASY_LOW_HIGH:
        m.m_bEasyConfigInputHighLow = m.m_bEasyConfigInputHighLow ? 0 : 1;
        form.SetToggle(ctl::EASY_LOW_HIGH, m.m_bEasyConfigInputHighLow);
        break;
    case ctl::EASY_SENS_UP:
    case ctl::STEP_UP:
        nIndex = Step(nIndex, 1);
        break;
    case ctl::EASY_SENS_DOWN:
    case ctl::STEP_DOWN:
        nIndex = Step(nIndex, -1);
        break;
    default:
        break; // a redraw
    }

    if (k >= INPUT_51_WIRED && k <= INPUT_AUX) {
        const int bHigh = k != INPUT_AUX && m.m_bEasyConfigInputHighLow;
        form.SetText(ctl::EASY_SENS_BOX, VoltsText(SensitivityVolts(nIndex, bHigh)));
    }
    form.SetPos(ctl::EASY_SENS_SLIDER, SensSliderPos(nIndex));
    TRACE("\r\n m_nEasyConfigInputSensitivity[%d]", nIndex);
}

// ---- expert page ----

CIoConfig::SRoute CIoConfig::DecodeRoute(int nId) {
    SRoute r;
    if (ctl::EXP_ROUTE_MAIN.contains(nId)) {
        r.eMatrix = MATRIX_MAIN;
        r.nOutput = (nId - ctl::EXP_ROUTE_MAIN.first) / MLB8_MAIN_INPUTS;
        r.nInput = (nId - ctl::EXP_ROUTE_MAIN.first) % MLB8_MAIN_INPUTS;
    } else if (ctl::EXP_ROUTE_AUX.contains(nId)) {
        r.eMatrix = MATRIX_AUX;
        r.nOutput = (nId - ctl::EXP_ROUTE_AUX.first) / 2;
        r.nInput = (nId - ctl::EXP_ROUTE_AUX.first) % 2;
    } else if (ctl::EXP_ROUTE_NUMERICAL.contains(nId)) {
        r.eMatrix = MATRIX_NUMERICAL;
        r.nOutput = (nId - ctl::EXP_ROUTE_NUMERICAL.first) / 2;
        r.nInput = (nId - ctl::EXP_ROUTE_NUMERICAL.first) % 2;
    }
    return r;
}

std::uint8_t* CIoConfig::RouteByte(const SRoute& r) {
    CSettingsModel& m = m_Ctx.m_Model;
    switch (r.eMatrix) {
    case MATRIX_MAIN:
        return &m.m_MapM[r.nOutput];
    case MATRIX_AUX:
        return &m.m_MapA[r.nOutput];
    case MATRIX_NUMERICAL:
        return &m.m_MapD[r.nOutput];
    default:
        return nullptr;
    }
}

int CIoConfig::RouteBit(const SRoute& r) {
    return r.eMatrix == MATRIX_NUMERICAL ? r.nInput + 6 : r.nInput;
}

void CIoConfig::RedrawMatrices() {
    CSettingsModel& m = m_Ctx.m_Model;
    CFormState& form = m_Ctx.m_Form;
    for (int o = 0; o < MLB8_CHANNELS; ++o) {
        for (int n = 0; n < MLB8_MAIN_INPUTS; ++n)
            form.SetToggle(ctl::EXP_ROUTE_MAIN.first + MLB8_MAIN_INPUTS * o + n, (m.m_MapM[o] >> n) & 1);
        for (int n = 0; n < 2; ++n) {
            form.SetToggle(ctl::EXP_ROUTE_AUX.first + 2 * o + n, (m.m_MapA[o] >> n) & 1);
            form.SetToggle(ctl::EXP_ROUTE_NUMERICAL.first + 2 * o + n, (m.m_MapD[o] >> (n + 6)) & 1);
        }
    }
}

void CIoConfig::ToggleRoute(int nId) {
    if (nId == -1) {
        RedrawMatrices();
        return;
    }
    const SRoute r = DecodeRoute(nId);
    std::uint8_t* pByte = RouteByte(r);
    if (!pByte) return;
    // A matrix answers only while its input group is the one in use.
    if (m_Ctx.m_Model.m_nDSPExpInput != r.eMatrix) {
        m_Ctx.m_Form.SetToggle(nId, 0);
        return;
    }
    *pByte = static_cast<std::uint8_t>(*pByte ^ (1u << RouteBit(r)));
    m_Ctx.m_Form.SetToggle(nId, (*pByte >> RouteBit(r)) & 1);
    m_Ctx.m_Writer.SendSetChannelMap(1, r.nOutput);
}

void CIoConfig::ShowExpertGroup(bool bAux, int c, bool bVisible) {
    CFormState& form = m_Ctx.m_Form;
    if (bAux) {
        for (int id : {ctl::AUX_SENS_SLIDER.first + c, ctl::AUX_SENS_BOX.first + c,
                       ctl::AUX_SENS_UP.first + c, ctl::AUX_SENS_DOWN.first + c})
            form.Show(id, bVisible);
    } else {
        for (int id : {ctl::EXP_SENS_SLIDER.first + c, ctl::EXP_SENS_BOX.first + c,
                       ctl::EXP_SENS_UP.first + c, ctl::EXP_SENS_DOWN.first + c})
            form.Show(id, bVisible);
    }
}

void CIoConfig::LayoutExpertInput() {
    CSettingsModel& m = m_Ctx.m_Model;
    CFormState& form = m_Ctx.m_Form;
    const int k = m.m_nDSPExpInput;
    form.Show(ctl::EXP_HIGHLOW, false);
    for (int c = 0; c < MLB8_MAIN_INPUTS; ++c)
        ShowExpertGroup(false, c, false);
    for (int c = 0; c < MLB8_AUX_INPUTS; ++c)
        ShowExpertGroup(true, c, false);
    for (int i = 0; i < 3; ++i)
        form.Show(ctl::EXP_LABEL.first + i, i == k);
    for (int i = 0; i < MLB8_CHANNELS * MLB8_MAIN_INPUTS; ++i)
        form.Show(ctl::EXP_ROUTE_MAIN.first + i, k == MATRIX_MAIN);
    for (int i = 0; i < MLB8_CHANNELS * 2; ++i) {
        form.Show(ctl::EXP_ROUTE_AUX.first + i, k == MATRIX_AUX);
        form.Show(ctl::EXP_ROUTE_NUMERICAL.first + i, k == MATRIX_NUMERICAL);
    }
    if (k == MATRIX_MAIN) {
        form.Show(ctl::EXP_HIGHLOW, true);
        form.SetToggle(ctl::EXP_HIGHLOW, m.m_bExpertConfigInputHighLow);
        for (int c = 0; c < MLB8_MAIN_INPUTS; c += 2)
            ShowExpertGroup(false, c, true);
    } else if (k == MATRIX_AUX) {
        ShowExpertGroup(true, 0, true);
    }
    RedrawMatrices();
    RefreshExpertSensitivity();
}

void CIoConfig::SelectExpertInput(int nId) {
    CSettingsModel& m = m_Ctx.m_Model;
    CFormState& form = m_Ctx.m_Form;
    const bool bRedraw = nId == -1;
    if (!bRedraw && !ctl::EXP_INPUT.contains(nId)) return;
    if (bRedraw) {
        if (!InRange(m.m_nDSPExpInput, 0, 3)) m.m_nDSPExpInput = 0;
        LayoutExpertInput();
    } else if (nId - ctl::EXP_INPUT.first != m.m_nDSPExpInput) {
        m.m_nDSPExpInput = nId - ctl::EXP_INPUT.first;
        TRACE("\r\n SelectExpertInput m_nDSPInput[%d] m_nDSPExpInput[%d] ", m.m_nDSPInput, m.m_nDSPExpInput);
        LayoutExpertInput();
    }
    for (int i = 0; i < 3; ++i)
        form.SetToggle(ctl::EXP_INPUT.first + i, i == m.m_nDSPExpInput);
    if (!bRedraw) {
        m_Ctx.m_Writer.SendSetInputExpert(1, m.m_nDSPExpInput);
        m_Ctx.m_Writer.SendSetChannelMap(1, 9);
    }
}

void CIoConfig::RefreshExpertSensitivity() {
    CSettingsModel& m = m_Ctx.m_Model;
    CFormState& form = m_Ctx.m_Form;
    for (int c = 0; c < MLB8_MAIN_INPUTS; ++c) {
        const int n = std::clamp(m.m_nInputSensitivityMain[c], 0, kMaxIndex);
        form.SetText(ctl::EXP_SENS_BOX.first + c,
                     VoltsText(SensitivityVolts(n, m.m_bExpertConfigInputHighLow)));
        form.SetPos(ctl::EXP_SENS_SLIDER.first + c, SensSliderPos(n));
    }
    for (int c = 0; c < MLB8_AUX_INPUTS; ++c) {
        const int n = std::clamp(m.m_nInputSensitivityAux[c], 0, kMaxIndex);
        form.SetText(ctl::AUX_SENS_BOX.first + c, VoltsText(SensitivityVolts(n, 0)));
        form.SetPos(ctl::AUX_SENS_SLIDER.first + c, SensSliderPos(n));
    }
}

void CIoConfig::EditExpertSensitivity(int nId, int nValue) {
    EditExpert(nId, nValue, true);
}

void CIoConfig::RepeatExpertSensitivity(int nId) {
    EditExpert(nId, 0, false);
}

void CIoConfig::EditExpert(int nId, int nValue, bool bSend) {
    CSettingsModel& m = m_Ctx.m_Model;
    CFormState& form = m_Ctx.m_Form;
    const bool bStepBox = nValue == ctl::STEP_UP || nValue == ctl::STEP_DOWN;
    const int nStep = nValue == ctl::STEP_UP ? 1 : -1;

    // The AUX pair.
    int c = -1;
    int nAuxIndex = 0;
    if (ctl::AUX_SENS_SLIDER.contains(nId)) {
        c = nId - ctl::AUX_SENS_SLIDER.first;
        nAuxIndex = SensIndexFromSliderPos(nValue);
    } else if (ctl::AUX_SENS_BOX.contains(nId)) {
        c = nId - ctl::AUX_SENS_BOX.first;
        nAuxIndex = bStepBox ? Step(m.m_nInputSensitivityAux[c], nStep)
                             : SensitivityFromVolts(ParseVolts(form.Text(nId)), 0);
    } else if (ctl::AUX_SENS_UP.contains(nId)) {
        c = nId - ctl::AUX_SENS_UP.first;
        nAuxIndex = Step(m.m_nInputSensitivityAux[c], 1);
    } else if (ctl::AUX_SENS_DOWN.contains(nId)) {
        c = nId - ctl::AUX_SENS_DOWN.first;
        nAuxIndex = Step(m.m_nInputSensitivityAux[c], -1);
    }
    if (c >= 0) {
        m.m_nInputSensitivityAux[c] = nAuxIndex;
        m.m_nDSPInputAuxChannel = c;
        form.SetText(ctl::AUX_SENS_BOX.first + c, VoltsText(SensitivityVolts(nAuxIndex, 0)));
        form.SetPos(ctl::AUX_SENS_SLIDER.first + c, SensSliderPos(nAuxIndex));
        TRACE("\r\n m_SliderConfigExpAuxIn[%d][%d]", c, nAuxIndex);
        const bool bStepper = ctl::AUX_SENS_UP.contains(nId) || ctl::AUX_SENS_DOWN.contains(nId);
        if (bSend && bStepper) m_Ctx.m_Writer.SendSetLevel(1, 9, m.m_nInputSensitivityAux, 1);
        return;
    }

    // The main inputs.
    bool bSendLevels = false;
    bool bHighLowChanged = false;
    c = m.m_nDSPInputChannel;
    if (ctl::EXP_SENS_SLIDER.contains(nId)) {
        c = nId - ctl::EXP_SENS_SLIDER.first;
        m.m_nInputSensitivityMain[c] = SensIndexFromSliderPos(nValue);
    } else if (ctl::EXP_SENS_BOX.contains(nId)) {
        c = nId - ctl::EXP_SENS_BOX.first;
        m.m_nInputSensitivityMain[c] =
            bStepBox ? Step(m.m_nInputSensitivityMain[c], nStep)
                     : SensitivityFromVolts(ParseVolts(form.Text(nId)), m.m_bExpertConfigInputHighLow);
    } else if (ctl::EXP_SENS_UP.contains(nId)) {
        c = nId - ctl::EXP_SENS_UP.first;
        m.m_nInputSensitivityMain[c] = Step(m.m_nInputSensitivityMain[c], 1);
        bSendLevels = true;
    } else if (ctl::EXP_SENS_DOWN.contains(nId)) {
        c = nId - ctl::EXP_SENS_DOWN.first;
        m.m_nInputSensitivityMain[c] = Step(m.m_nInputSensitivityMain[c], -1);
        bSendLevels = true;
    } else if (ctl::EXP_LABEL.contains(nId)) {
        c = nId - ctl::EXP_LABEL.first;
        bSendLevels = true;
    } else if (nId == ctl::EXP_HIGHLOW) {
        m.m_bExpertConfigInputHighLow = m.m_bExpertConfigInputHighLow ? 0 : 1;
        form.SetToggle(ctl::EXP_HIGHLOW, m.m_bExpertConfigInputHighLow);
        RefreshExpertSensitivity();
        bHighLowChanged = true;
    }

    m.m_nDSPInputChannel = c;
    if (InRange(c, 0, MLB8_MAIN_INPUTS)) {
        const int n = std::clamp(m.m_nInputSensitivityMain[c], 0, kMaxIndex);
        form.SetText(ctl::EXP_SENS_BOX.first + c,
                     VoltsText(SensitivityVolts(n, m.m_bExpertConfigInputHighLow)));
        form.SetPos(ctl::EXP_SENS_SLIDER.first + c, SensSliderPos(n));
        TRACE("\r\n m_SliderConfigExpIn[%d][%d]", c, n);
    } else {
        TRACE("!!!! ERROR m_nDSPInputChannel[%d]", c);
    }
    if (bSend && bSendLevels) m_Ctx.m_Writer.SendSetLevel(1, 9, m.m_nInputSensitivityMain, 0);
    if (bHighLowChanged) m_Ctx.m_Writer.SendSetHighLow(1, m.m_bExpertConfigInputHighLow);
}

int CIoConfig::CommitExpertSensitivity(int nId) {
    CSettingsModel& m = m_Ctx.m_Model;
    if (ctl::EXP_SENS_SLIDER.contains(nId) || ctl::EXP_SENS_BOX.contains(nId))
        return m_Ctx.m_Writer.SendSetLevel(1, 9, m.m_nInputSensitivityMain, 0);
    if (ctl::AUX_SENS_SLIDER.contains(nId) || ctl::AUX_SENS_BOX.contains(nId))
        return m_Ctx.m_Writer.SendSetLevel(1, 9, m.m_nInputSensitivityAux, 1);
    return 0;
}

// ---- the mode switch ----
