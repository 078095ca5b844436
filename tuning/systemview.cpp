#include "tuning/systemview.h"

#include <algorithm>

#include "editor/filtereditor.h"
#include "orvix/settingsmodel.h"
#include "tuning/measuredsum.h"

namespace {

// The speaker each architecture puts on an output, as the pictures of the standard page show them.
const char* const kRoles[MLB8_ARCHITECTURES][MLB8_CHANNELS] = {
    {"Tweeter L", "Tweeter R", "Woofer L", "Woofer R", nullptr, nullptr, "Sub L", "Sub R"},
    {"Tweeter L", "Tweeter R", "Mid L", "Mid R", "Woofer L", "Woofer R", "Sub L", "Sub R"},
    {"Front L", "Front R", nullptr, nullptr, nullptr, nullptr, "Sub L", "Sub R"},
    {"Front L", "Front R", "Rear L", "Rear R", nullptr, nullptr, "Sub L", "Sub R"},
    {"Tweeter L", "Tweeter R", "Front L", "Front R", "Rear L", "Rear R", "Centre", "Sub"},
};

int Architecture(const CSettingsModel& m) {
    return std::clamp(m.m_nDSPOutput[std::clamp(m.m_nDSPInput, 0, MLB8_INPUT_KINDS - 1)], 0,
                      MLB8_ARCHITECTURES - 1);
}

bool ValidChannel(int nChannel) {
    return nChannel >= 0 && nChannel < MLB8_CHANNELS;
}

} // namespace

void CSystemView::SetPhase(int nPhase) {
    m_Phase = static_cast<EPhase>(
        std::clamp(nPhase, static_cast<int>(PHASE_OFF), static_cast<int>(PHASE_UNWRAPPED)));
}

std::vector<int> CSystemView::ActiveOutputs(const CSettingsModel& m) {
    std::vector<int> out;
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch)
        if (m.m_bEasyExp || kRoles[Architecture(m)][ch]) out.push_back(ch);
    return out;
}

std::string CSystemView::OutputName(const CSettingsModel& m, int nChannel) {
    if (!ValidChannel(nChannel)) return {};
    std::string name = "Out " + std::to_string(nChannel + 1);
    const char* pszRole = m.m_bEasyExp ? nullptr : kRoles[Architecture(m)][nChannel];
    if (pszRole) name += std::string(" ") + pszRole;
    return name;
}

unsigned CSystemView::SumMask(const CSettingsModel& m) const {
    unsigned nMask = 0;
    for (int ch : ActiveOutputs(m)) {
        const bool bIn = m_bSumChosen ? ((m_nSumMask >> ch) & 1u) != 0 : ch % 2 == 0;
        if (bIn) nMask |= 1u << ch;
    }
    return nMask;
}

void CSystemView::ToggleSumMember(const CSettingsModel& m, int nChannel) {
    if (!ValidChannel(nChannel)) return;
    m_nSumMask = SumMask(m) ^ (1u << nChannel);
    m_bSumChosen = true;
}

unsigned CSystemView::SilencedMask(const CSettingsModel& m) {
    if (m.m_nSoloMask & 0xFF) return ~static_cast<unsigned>(m.m_nSoloMask) & 0xFFu;
    return CSettingsModel::PackFlags(m.m_bMute);
}

ZUtils::SOutputTrim CSystemView::Trim(const CSettingsModel& m, int nChannel) {
    ZUtils::SOutputTrim trim;
    if (!ValidChannel(nChannel)) return trim;
    trim.fLevelDb = CSettingsModel::DbFromVolume(m.m_nVolume[nChannel]);
    trim.bInvert = m.m_bPhase[nChannel] ? 1 : 0;
    trim.nDelaySamples = std::min<int>(m.m_nDelay[nChannel], MLB8_MAX_DELAY);
    return trim;
}

void CSystemView::OutputResponse(const CSettingsModel& m, int nChannel, ZUtils::ZComplexCurve* pOut) {
    if (!ValidChannel(nChannel)) {
        pOut->Clear();
        return;
    }
    ZUtils::CalcOutputResponse(m.m_Lib, m.m_bEqEnable[nChannel], nChannel, m.m_bXoverEnable[nChannel],
                               Trim(m, nChannel), pOut);
}

void CSystemView::Compute(const CSettingsModel& m, SSystemPicture* pOut) const {
    pOut->outputs.clear();
    pOut->phase = m_Phase;
    const unsigned nSumMask = SumMask(m);
    const unsigned nSilenced = SilencedMask(m);
    std::string members;
    for (int ch : ActiveOutputs(m)) {
        SSystemOutput& o = pOut->outputs.emplace_back();
        o.nChannel = ch;
        o.nPen = CFilterEditor::GraphPen(m, ch);
        o.name = OutputName(m, ch);
        o.bSelected = ch == m.m_nChannel || (m.m_bPair && ch == m.m_nChannel + 1);
        o.bInSum = ((nSumMask >> ch) & 1u) != 0;
        o.bMuted = ((nSilenced >> ch) & 1u) != 0;
        OutputResponse(m, ch, &o.curve);
        if (o.bInSum)
            members += (members.empty() ? "Out " : " + Out ") + std::to_string(ch + 1) +
                       (o.bMuted ? " (muted)" : "");
    }
    std::vector<int> group;
    std::vector<const ZUtils::ZComplexCurve*> curves;
    for (const SSystemOutput& o : pOut->outputs) {
        if (!o.bInSum) continue;
        group.push_back(o.nChannel);
        curves.push_back(&o.curve);
    }
    SGroupSum sum;
    SumGroup(group, curves, m_pTunings, &sum, nSilenced);
    pOut->bHaveSum = sum.sum.Terms() > 0;
    pOut->bMeasuredSum = pOut->bHaveSum && sum.bMeasured;
    pOut->sumNote = pOut->bHaveSum ? sum.note : std::string();
    pOut->fSumShiftDb = 0.0;
    if (pOut->bHaveSum) sum.sum.Result(&pOut->sum);
    // A measured sum is drawn where the plot shows it, and its name says by how much it was moved.
    std::string measured = " (measured)";
    if (pOut->bMeasuredSum) {
        std::vector<int> sounding;
        for (int ch : group)
            if (!((nSilenced >> ch) & 1u)) sounding.push_back(ch);
        pOut->fSumShiftDb = DrawnShiftDb(m, sounding, pOut->sum);
        ShiftLevel(&pOut->sum, pOut->fSumShiftDb);
        const std::string shift = DrawnShiftText(pOut->fSumShiftDb);
        if (!shift.empty()) measured = " (measured, " + shift + ")";
    }
    pOut->sumName = members.empty()  ? std::string()
                    : pOut->bHaveSum ? "Sum " + members + (sum.bMeasured ? measured : "")
                                     : "Sum " + members + ": silent";
}
