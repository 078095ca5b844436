#include "editor/abcompare.h"

int CAbCompare::Switch(CSettingsModel& model, CSettingsWriter& writer) {
    const SEditSnapshot live = SEditSnapshot::Of(model);
    if (!m_bHasOther) CopyLiveToOther(model);
    const int nSent = ApplyEdits(model, m_Other, writer);
    m_Other = live;
    m_Live = m_Live == SIDE_A ? SIDE_B : SIDE_A;
    return nSent;
}

void CAbCompare::CopyLiveToOther(const CSettingsModel& model) {
    m_Other = SEditSnapshot::Of(model);
    m_bHasOther = true;
}
