#include "tuning/eqapply.h"

#include "comm/formstate.h"
#include "comm/sfiltercoef.h"
#include "editor/controlids.h"
#include "editor/editorcore.h"
#include "editor/editorhost.h"
#include "editor/editorids.h"
#include "editor/filtereditor.h"
#include "editor/pages.h"
#include "editor/writer.h"
#include "orvix/settingsmodel.h"

bool ApplyEqBands(CEditorCore& core, int nChannel, bool bPair, const SFilterCoef* pBands) {
    if (nChannel < 0 || nChannel >= MLB8_CHANNELS || !pBands) return false;
    CSettingsModel& m = core.Model();
    const int nPartner = nChannel ^ 1;
    for (int c : {nChannel, nPartner}) {
        if (c != nChannel && !bPair) continue;
        const auto cc = static_cast<std::uint8_t>(c);
        for (int b = 0; b < CRev8001Lib::EQ_BANDS; ++b)
            m.m_Lib.SetEqCoef(cc, static_cast<std::uint8_t>(b), pBands[b]);
        m.m_bEqEnable[c] = 1;
        m.m_Lib.SetEqFlag(cc, 1);
    }
    bool bOk = true;
    if (m.m_bConnected) {
        const int nPair = bPair ? 1 : 0;
        if (!core.Writer().SendSetEqFlag(1, nChannel, 1, nPair)) bOk = false;
        for (int b = 0; b < CRev8001Lib::EQ_BANDS; ++b)
            if (!core.Writer().SendSetFilterCoef(1, nChannel, b, nPair)) bOk = false;
    }
    if (m.m_nChannel == nChannel || (bPair && m.m_nChannel == nPartner)) {
        core.Form().SetToggle(ctl::EQ_SWITCH, m.m_bEqEnable[m.m_nChannel]);
        if (m.m_nPage == CPages::PAGE_EQ) core.Filters().RefreshEqPage(m.m_nChannel);
    }
    core.Context().m_Host.PostToSelf(WM_GRAPH_REFRESH, 0, 0);
    core.CommitStep(); // an import or a fit is one undo step
    return bOk;
}
