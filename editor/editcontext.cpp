#include "editor/editcontext.h"

#include <cstdio>
#include <string>

#include "comm/formstate.h"
#include "editor/controlids.h"
#include "editor/editorhost.h"
#include "editor/editorids.h"
#include "orvix/settingsmodel.h"

namespace {

std::string LevelText(int nVolume) {
    char sz[16];
    std::snprintf(sz, sizeof sz, "%2.1f", CSettingsModel::DbFromVolume(nVolume));
    return sz;
}

} // namespace

void SEditContext::RefreshLevelDisplays() const {
    const int nChannelVolume = m_Model.m_nVolume[m_Model.m_nChannel % MLB8_CHANNELS];
    m_Form.SetText(ctl::MAIN_LEVEL_BOX, LevelText(m_Model.m_nMainVolume));
    m_Form.SetPos(ctl::MAIN_KNOB, m_Model.m_nMainVolume);
    m_Form.SetText(ctl::CHANNEL_LEVEL_BOX, LevelText(nChannelVolume));
    m_Form.SetPos(ctl::CHANNEL_KNOB, nChannelVolume);
    m_Host.Repaint(AREA_PAGE);
}
