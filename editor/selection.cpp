#include "editor/selection.h"

#include <algorithm>
#include <cmath>

#include "comm/formstate.h"
#include "editor/controlids.h"
#include "editor/editorhost.h"
#include "editor/editorids.h"
#include "editor/writer.h"
#include "orvix/settingsmodel.h"
#include "orvix/valuelaws.h"
#include "presets/textparse.h"

void CSelection::SelectChannel(int nId) {
    CSettingsModel& m = m_Ctx.m_Model;
    if (ctl::CHANNEL.contains(nId)) {
        m.m_nChannel = static_cast<std::uint8_t>(nId - ctl::CHANNEL.first);
        m.m_bPair = 0;
    } else if (ctl::PAIR.contains(nId)) {
        m.m_nChannel = static_cast<std::uint8_t>((nId - ctl::PAIR.first) * 2);
        m.m_bPair = 1;
    }
    RefreshChannelButtons();
    m_Ctx.RefreshLevelDisplays();
    RefreshPhaseButtons();
    RefreshMuteButtons();
    m_Ctx.m_Form.SetToggle(ctl::EQ_SWITCH, m.m_bEqEnable[m.m_nChannel]);
}

void CSelection::Select(int nChannel, bool bPair) {
    CSettingsModel& m = m_Ctx.m_Model;
    if (nChannel < 0 || nChannel >= MLB8_CHANNELS) return;
    m.m_nChannel = static_cast<std::uint8_t>(nChannel);
    m.m_bPair = bPair ? 1 : 0;
    SelectChannel(-1);
}

void CSelection::RefreshChannelButtons() {
    CSettingsModel& m = m_Ctx.m_Model;
    CFormState& f = m_Ctx.m_Form;
    for (int i = 0; i < 8; ++i)
        f.SetToggle(ctl::CHANNEL.first + i, 0);
    for (int g = 0; g < 4; ++g)
        f.SetToggle(ctl::PAIR.first + g, 0);
    if (m.m_bPair) {
        f.SetToggle(ctl::PAIR.first + m.m_nChannel / 2, 1);
        f.SetToggle(ctl::CHANNEL.first + m.m_nChannel, 1);
        if (m.m_nChannel + 1 < MLB8_CHANNELS) f.SetToggle(ctl::CHANNEL.first + m.m_nChannel + 1, 1);
    } else {
        f.SetToggle(ctl::CHANNEL.first + m.m_nChannel, 1);
    }
    m_Ctx.m_Host.Repaint(AREA_PAGE);
}

int CSelection::PartnerChannel() const {
    const int ch = m_Ctx.m_Model.m_nChannel;
    return std::clamp(ch % 2 ? ch - 1 : ch + 1, 0, MLB8_CHANNELS - 1);
}

void CSelection::RefreshMuteButtons() {
    CSettingsModel& m = m_Ctx.m_Model;
    CFormState& f = m_Ctx.m_Form;
    const int nSolo = m.m_nSoloMask & 0xFF;
    for (int n = 0; n < 8; ++n)
        f.SetToggle(ctl::SOLO.first + n, (nSolo >> n) & 1);
    for (int g = 0; g < 4; ++g)
        f.SetToggle(ctl::PAIR_SOLO.first + g, ((nSolo >> (2 * g)) & 3) == 3);
    if (nSolo == 0) {
        for (int n = 0; n < 8; ++n)
            f.SetToggle(ctl::MUTE.first + n, m.m_bMute[n]);
        for (int g = 0; g < 4; ++g)
            f.SetToggle(ctl::PAIR_MUTE.first + g, m.m_bMute[2 * g] && m.m_bMute[2 * g + 1]);
    } else {
        // Everything outside the solo sounds muted; the user's mutes are kept for later.
        for (int n = 0; n < 8; ++n)
            f.SetToggle(ctl::MUTE.first + n, !((nSolo >> n) & 1));
        for (int g = 0; g < 4; ++g)
            f.SetToggle(ctl::PAIR_MUTE.first + g, ((nSolo >> (2 * g)) & 3) == 0);
    }
    m_Ctx.m_Host.Repaint(AREA_PAGE);
}

void CSelection::ToggleMute(int nId) {
    CSettingsModel& m = m_Ctx.m_Model;
    if (m.m_nSoloMask) return;
    if (ctl::MUTE.contains(nId)) {
        const int n = nId - ctl::MUTE.first;
        m.m_bMute[n] = m.m_bMute[n] ? 0 : 1;
    } else if (ctl::PAIR_MUTE.contains(nId)) {
        const int g = nId - ctl::PAIR_MUTE.first;
        const int bBoth = m.m_bMute[2 * g] && m.m_bMute[2 * g + 1];
        m.m_bMute[2 * g] = m.m_bMute[2 * g + 1] = bBoth ? 0 : 1;
    }
    RefreshMuteButtons();
}

void CSelection::ToggleSolo(int nId) {
    CSettingsModel& m = m_Ctx.m_Model;
    if (ctl::SOLO.contains(nId)) {
        const int nBit = 1 << (nId - ctl::SOLO.first);
        m.m_nSoloMask = (m.m_nSoloMask & nBit) ? (m.m_nSoloMask & ~nBit) : nBit;
    } else if (ctl::PAIR_SOLO.contains(nId)) {
        const int g = nId - ctl::PAIR_SOLO.first;
        const int nLow = 1 << (2 * g), nHigh = 1 << (2 * g + 1);
        if (!(m.m_nSoloMask & nLow))
            m.m_nSoloMask = nLow | nHigh;
        else if (m.m_nSoloMask & nHigh)
            m.m_nSoloMask = 0;
        else
            m.m_nSoloMask = nLow | nHigh;
    }
    RefreshMuteButtons();
}

void CSelection::RefreshPhaseButtons() {
    CSettingsModel& m = m_Ctx.m_Model;
    m_Ctx.m_Form.SetToggle(ctl::PHASE, m.m_bPhase[m.m_nChannel]);
    m_Ctx.m_Form.SetToggle(ctl::DELAY_PHASE, m.m_bPhase[m.m_nChannel]);
}

void CSelection::TogglePhase(int nId) {
    CSettingsModel& m = m_Ctx.m_Model;
    if (nId == ctl::PHASE || nId == ctl::DELAY_PHASE) {
        m.m_bPhase[m.m_nChannel] = m.m_bPhase[m.m_nChannel] ? 0 : 1;
        if (m.m_bPair) {
            const int partner = PartnerChannel();
            m.m_bPhase[partner] = m.m_bPhase[partner] ? 0 : 1;
        }
    }
    RefreshPhaseButtons();
    if (m.m_nPage == 0) m_Ctx.m_Host.Repaint(AREA_CONFIG);
}

void CSelection::SetMainLevel(int nSource, int nValue) {
    CSettingsModel& m = m_Ctx.m_Model;
    int v = m.m_nMainVolume;
    if (nSource == ctl::MAIN_LEVEL_BOX)
        v = LevelStepFromDb(ParseBoxDouble(m_Ctx.m_Form.Text(ctl::MAIN_LEVEL_BOX)));
    else if (nSource == ctl::MAIN_KNOB)
        v = nValue;
    else if (nSource == ctl::MAIN_UP || nSource == ctl::STEP_UP)
        ++v;
    else if (nSource == ctl::MAIN_DOWN || nSource == ctl::STEP_DOWN)
        --v;
    m.m_nMainVolume = std::clamp(v, 0, MLB8_MAX_VOLUME);
    m_Ctx.RefreshLevelDisplays();
}

void CSelection::SetChannelLevel(int nSource, int nChannel, int nValue) {
    CSettingsModel& m = m_Ctx.m_Model;
    if (nChannel < 0 || nChannel >= MLB8_CHANNELS) return;
    const int nOld = m.m_nVolume[nChannel];
    int v = nOld;
    if (nSource == ctl::CHANNEL_LEVEL_BOX) {
        // Outside the range the old value stays.
        if (const std::optional<int> nStep =
                LevelStepWithin(ParseBoxDouble(m_Ctx.m_Form.Text(ctl::CHANNEL_LEVEL_BOX))))
            v = *nStep;
    } else if (nSource == ctl::CHANNEL_KNOB) {
        if (nValue >= 0 && nValue <= MLB8_MAX_VOLUME) v = nValue;
    } else if (nSource == ctl::CHANNEL_UP || nSource == ctl::STEP_UP) {
        ++v;
    } else if (nSource == ctl::CHANNEL_DOWN || nSource == ctl::STEP_DOWN) {
        --v;
    }
    v = std::clamp(v, 0, MLB8_MAX_VOLUME);
    m.m_nVolume[nChannel] = v;
    if (m.m_bPair && nChannel + 1 <= 7)
        m.m_nVolume[nChannel + 1] = std::clamp(m.m_nVolume[nChannel + 1] + (v - nOld), 0, MLB8_MAX_VOLUME);
    m_Ctx.RefreshLevelDisplays();
}

void CSelection::SendMainVolume() {
    m_Ctx.m_Writer.SendSetMainVolume(1, m_Ctx.m_Model.m_nMainVolume);
}

void CSelection::SendChannelVolume() {
    m_Ctx.m_Writer.SendControlValue(ctl::CHANNEL_LEVEL_BOX);
}

void CSelection::SendMuteMask() {
    m_Ctx.m_Writer.SendSetMute(1, CSettingsModel::PackFlags(m_Ctx.m_Model.m_bMute));
}

void CSelection::SendSoloMask() {
    m_Ctx.m_Writer.SendMuteState(1, m_Ctx.m_Model.m_nSoloMask & 0xFF);
}

void CSelection::SendPhase() {
    CSettingsModel& m = m_Ctx.m_Model;
    m_Ctx.m_Writer.SendSetPhase(1, m.m_nChannel, 0, m.m_bPhase[m.m_nChannel]);
    if (m.m_bPair && m.m_nChannel + 1 < MLB8_CHANNELS)
        m_Ctx.m_Writer.SendSetPhase(1, m.m_nChannel + 1, 0, m.m_bPhase[m.m_nChannel + 1]);
}
