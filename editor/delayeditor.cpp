#include "editor/delayeditor.h"

#include "comm/formstate.h"
#include "editor/controlids.h"
#include "editor/editorhost.h"
#include "editor/editorids.h"
#include "editor/selection.h"
#include "editor/writer.h"
#include "orvix/settingsmodel.h"
#include "orvix/valuelaws.h"
#include "presets/textparse.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Speaker icon of each channel per architecture in the standard configuration (0: none).
constexpr int kIcons[5][8] = {
    {ctl::SPEAKER.first, ctl::SPEAKER.at(1), ctl::SPEAKER.at(4), ctl::SPEAKER.at(5), 0, 0, ctl::SPEAKER.at(9),
     ctl::SPEAKER.at(10)},
    {ctl::SPEAKER.first, ctl::SPEAKER.at(1), ctl::SPEAKER.at(2), ctl::SPEAKER.at(3), ctl::SPEAKER.at(4),
     ctl::SPEAKER.at(5), ctl::SPEAKER.at(9), ctl::SPEAKER.at(10)},
    {ctl::SPEAKER.at(4), ctl::SPEAKER.at(5), 0, 0, 0, 0, ctl::SPEAKER.at(9), ctl::SPEAKER.at(10)},
    {ctl::SPEAKER.at(4), ctl::SPEAKER.at(5), ctl::SPEAKER.at(6), ctl::SPEAKER.at(7), ctl::SPEAKER.at(8), 0,
     ctl::SPEAKER.at(9), ctl::SPEAKER.at(10)},
    {ctl::SPEAKER.first, ctl::SPEAKER.at(1), ctl::SPEAKER.at(4), ctl::SPEAKER.at(5), ctl::SPEAKER.at(6),
     ctl::SPEAKER.at(7), ctl::SPEAKER.at(8), ctl::SPEAKER.at(11)},
};

std::string Format(const char* pszFormat, double f) {
    char sz[32];
    std::snprintf(sz, sizeof sz, pszFormat, f);
    return sz;
}

} // namespace

int CDelayEditor::Architecture() const {
    const CSettingsModel& m = m_Ctx.m_Model;
    return std::clamp(m.m_nDSPOutput[std::clamp(m.m_nDSPInput, 0, MLB8_INPUT_KINDS - 1)], 0,
                      MLB8_ARCHITECTURES - 1);
}

int CDelayEditor::PartnerChannel() const {
    const int ch = m_Ctx.m_Model.m_nChannel;
    return std::clamp(ch % 2 ? ch - 1 : ch + 1, 0, MLB8_CHANNELS - 1);
}

int CDelayEditor::ChannelOfIcon(int nId) const {
    if (m_Ctx.m_Model.m_bEasyExp)
        return ctl::EXPERT_SPEAKER.contains(nId) ? nId - ctl::EXPERT_SPEAKER.first : -1;
    if (!ctl::SPEAKER.contains(nId)) return -1;
    const int* pRow = kIcons[Architecture()];
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch)
        if (pRow[ch] == nId) return ch;
    return -1;
}

int CDelayEditor::StandardIcon(int nArch, int nChannel) {
    if (nArch < 0 || nArch >= MLB8_ARCHITECTURES || nChannel < 0 || nChannel >= MLB8_CHANNELS) return 0;
    return kIcons[nArch][nChannel];
}

int CDelayEditor::IconOfChannel(int nChannel) const {
    if (nChannel < 0 || nChannel >= MLB8_CHANNELS) return 0;
    if (m_Ctx.m_Model.m_bEasyExp) return ctl::EXPERT_SPEAKER.first + nChannel;
    return StandardIcon(Architecture(), nChannel);
}

void CDelayEditor::SetDelaySamples(int nChannel, float fMs) {
    if (nChannel < 0 || nChannel >= MLB8_CHANNELS) return;
    m_Ctx.m_Model.m_nDelay[nChannel] = static_cast<std::uint16_t>(MsToSamples(fMs));
}

void CDelayEditor::MoveIcon(int nChannel) {
    if (const int nIcon = IconOfChannel(nChannel))
        m_Ctx.m_Form.SetPos(nIcon, static_cast<int>(m_Ctx.m_Model.m_fDelayMs[nChannel]));
}

void CDelayEditor::OnDelayChange(int nId, float fIconMs) {
    CSettingsModel& m = m_Ctx.m_Model;
    CFormState& f = m_Ctx.m_Form;
    int ch = m.m_nChannel;
    bool bChanged = true;
    const bool bUp = nId == ctl::STEP_UP || nId == ctl::DELAY_STEP.first || nId == ctl::DELAY_STEP.at(2) ||
                     nId == ctl::DELAY_STEP.at(4);
    const bool bDown = nId == ctl::STEP_DOWN || nId == ctl::DELAY_STEP.at(1) ||
                       nId == ctl::DELAY_STEP.at(3) || nId == ctl::DELAY_STEP.at(5);
    if (bUp) {
        m.m_fDelayMs[ch] = std::min(m.m_fDelayMs[ch] + DELAY_STEP_MS, MAX_MS);
    } else if (bDown) {
        m.m_fDelayMs[ch] = std::max(m.m_fDelayMs[ch] - DELAY_STEP_MS, 0.0f);
    } else if (nId == ctl::DELAY_MS_BOX || nId == ctl::DELAY_CM_BOX || nId == ctl::DELAY_IN_BOX) {
        auto typed = static_cast<float>(std::clamp(ParseBoxDouble(f.Text(nId)), -1e6, 1e6));
        if (nId == ctl::DELAY_CM_BOX)
            typed = CmToMs(typed);
        else if (nId == ctl::DELAY_IN_BOX)
            typed = InchToMs(typed);
        m.m_fDelayMs[ch] = static_cast<float>(RoundTo(std::clamp(typed, 0.0f, MAX_MS), 2));
    } else if (nId == REFRESH || nId == REPOSITION) {
        bChanged = false;
    } else {
        const int nIconChannel = ChannelOfIcon(nId);
        if (nIconChannel < 0) return; // an icon without a channel here
        ch = nIconChannel;
        // The top bar follows a selection made by an icon (a key on a focused icon comes unpressed).
        if (ch != m.m_nChannel) m_Selection.Select(ch, m.m_bPair != 0);
        m.m_fDelayMs[ch] = std::clamp(fIconMs, 0.0f, MAX_MS);
    }
    if (bChanged) {
        SetDelaySamples(ch, m.m_fDelayMs[ch]);
        const bool bCenterPair = Architecture() == ARCH_51 && (ch == 6 || ch == 7);
        if (m.m_bPair && !bCenterPair) {
            const int partner = PartnerChannel();
            m.m_fDelayMs[partner] = m.m_fDelayMs[ch];
            SetDelaySamples(partner, m.m_fDelayMs[partner]);
        }
    }
    if (nId == REPOSITION)
        for (int c = 0; c < MLB8_CHANNELS; ++c)
            MoveIcon(c);
    f.SetText(ctl::DELAY_CM_BOX, Format("%4.1f", MsToCm(m.m_fDelayMs[ch])));
    f.SetText(ctl::DELAY_MS_BOX, Format("%3.1f", m.m_fDelayMs[ch]));
    f.SetText(ctl::DELAY_IN_BOX, Format("%4.1f", MsToInch(m.m_fDelayMs[ch])));
    if (nId != REFRESH) {
        m_Selection.RefreshChannelButtons();
        MoveIcon(ch);
        MoveIcon(PartnerChannel());
        RefreshIconSelection();
    }
    m_Ctx.m_Host.Repaint(AREA_PAGE);
}

void CDelayEditor::RefreshIconSelection() {
    CSettingsModel& m = m_Ctx.m_Model;
    CFormState& f = m_Ctx.m_Form;
    const int nFirst = m.m_bEasyExp ? ctl::EXPERT_SPEAKER.first : ctl::SPEAKER.first;
    const int nLast = m.m_bEasyExp ? ctl::EXPERT_SPEAKER.last : ctl::SPEAKER.last;
    for (int id = nFirst; id <= nLast; ++id)
        f.SetToggle(id, 0);
    if (const int nIcon = IconOfChannel(m.m_nChannel)) f.SetToggle(nIcon, 1);
    const bool bCenterPair =
        !m.m_bEasyExp && Architecture() == ARCH_51 && (m.m_nChannel == 6 || m.m_nChannel == 7);
    if (m.m_bPair && !bCenterPair)
        if (const int nIcon = IconOfChannel(PartnerChannel())) f.SetToggle(nIcon, 1);
}

void CDelayEditor::RefreshIconActivity() {
    CSettingsModel& m = m_Ctx.m_Model;
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch)
        if (const int nIcon = IconOfChannel(ch)) m_Ctx.m_Form.SetState(nIcon, m.m_bPhase[ch] ? 1 : 0);
    m_Ctx.m_Host.Repaint(AREA_PAGE);
}

void CDelayEditor::CommitDelay() {
    CSettingsModel& m = m_Ctx.m_Model;
    const int nEven = m.m_nChannel & ~1;
    m_Ctx.m_Writer.SendSetDelay(1, nEven, &m.m_nDelay[nEven]);
}
