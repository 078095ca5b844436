#include "editor/abcompare.h"

int CAbCompare::Switch(CSettingsModel& model, CSettingsWriter& writer) {
    const SEditSnapshot live = SEditSnapshot::Of(model);
    if (!m_bHasOther) CopyLiveToOther(model);
    const SEditSnapshot wanted = m_Other;
    const int nSent = ApplyEdits(model, wanted, writer);
    m_Other = live;
    m_nLive = m_nLive == SIDE_A ? SIDE_B : SIDE_A;
    return nSent;
}

void CAbCompare::CopyLiveToOther(const CSettingsModel& model) {
    m_Other = SEditSnapshot::Of(model);
    m_bHasOther = true;
}
