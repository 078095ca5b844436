#include "tuning/measuredsum.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Copies the grid values into pOut, holding the nearest finite value where there is none.
bool HoldEdges(const std::vector<double>& values, double* pOut, int nCount) {
    int nFirst = -1;
    for (int i = 0; i < nCount && static_cast<std::size_t>(i) < values.size(); ++i) {
        if (std::isfinite(values[static_cast<std::size_t>(i)])) {
            nFirst = i;
            break;
        }
    }
    if (nFirst < 0) return false;
    double fLast = values[static_cast<std::size_t>(nFirst)];
    for (int i = 0; i < nCount; ++i) {
        const double v =
            static_cast<std::size_t>(i) < values.size() ? values[static_cast<std::size_t>(i)] : std::nan("");
        if (i >= nFirst && std::isfinite(v)) fLast = v;
        pOut[i] = fLast;
    }
    return true;
}

} // namespace

bool MeasuredFactor(const SChannelTuning& tuning, ZUtils::ZComplexCurve* pOut) {
    pOut->Clear();
    if (!tuning.HasMeasurement() || tuning.measuredPhase.empty()) return false;
    return HoldEdges(tuning.measured, pOut->m_fDb, pOut->m_nCount) &&
           HoldEdges(tuning.measuredPhase, pOut->m_fPhaseDeg, pOut->m_nCount);
}

void SumGroup(const std::vector<int>& channels, const std::vector<const ZUtils::ZComplexCurve*>& curves,
              const ChannelTunings* pTunings, SGroupSum* pOut, unsigned nSilenced) {
    pOut->sum.Clear();
    pOut->bMeasured = false;
    pOut->note.clear();
    std::vector<ZUtils::ZComplexCurve> factors(channels.size());
    std::vector<bool> sounds(channels.size());
    for (std::size_t k = 0; k < channels.size(); ++k)
        sounds[k] = channels[k] < 0 || channels[k] >= MLB8_CHANNELS || !((nSilenced >> channels[k]) & 1u);
    std::string noMeasurement, noPhase;
    bool bAnyMeasured = false, bAnySounds = false;
    for (std::size_t k = 0; k < channels.size(); ++k) {
        if (!sounds[k]) continue;
        bAnySounds = true;
        const std::string name = "Out " + std::to_string(channels[k] + 1);
        const SChannelTuning* pTuning =
            pTunings && channels[k] >= 0 && channels[k] < MLB8_CHANNELS ? &(*pTunings)[channels[k]] : nullptr;
        if (pTuning && pTuning->HasMeasurement()) bAnyMeasured = true;
        if (pTuning && MeasuredFactor(*pTuning, &factors[k])) continue;
        std::string& list = pTuning && pTuning->HasMeasurement() ? noPhase : noMeasurement;
        list += (list.empty() ? "" : ", ") + name;
    }
    const bool bMeasured = bAnySounds && noMeasurement.empty() && noPhase.empty();
    for (std::size_t k = 0; k < channels.size() && k < curves.size(); ++k) {
        if (!sounds[k]) continue;
        if (!bMeasured) {
            pOut->sum.Add(*curves[k]);
            continue;
        }
        const SChannelTuning& t = (*pTunings)[channels[k]];
        if (!t.bThrough) {
            pOut->sum.Add(*curves[k], factors[k]);
            continue;
        }
        // Measured through S: the measurement × (the response now ÷ the response with S).
        ZUtils::ZComplexCurve ratio = *curves[k];
        for (int i = 0; i < ratio.m_nCount; ++i) {
            ratio.m_fDb[i] = std::min(ratio.m_fDb[i] - t.throughFull.m_fDb[i], kMaxThroughLift);
            ratio.m_fPhaseDeg[i] -= t.throughFull.m_fPhaseDeg[i];
        }
        pOut->sum.Add(ratio, factors[k]);
    }
    pOut->bMeasured = bMeasured;
    if (bMeasured || !bAnyMeasured) return;
    pOut->note = "Processor-only sum:";
    if (!noMeasurement.empty()) pOut->note += " no measurement for " + noMeasurement;
    if (!noPhase.empty())
        pOut->note +=
            std::string(noMeasurement.empty() ? "" : ";") + " no phase in the measurement of " + noPhase;
}

double DrawnShiftDb(const CSettingsModel& m, const std::vector<int>& channels,
                    const ZUtils::ZComplexCurve& sum) {
    std::vector<SEqFitSettings> bands;
    for (int ch : channels)
        if (ch >= 0 && ch < MLB8_CHANNELS) bands.push_back(DefaultFitRange(m, ch));
    const ZUtils::ZResponseGrid& grid = ZUtils::ZResponseGrid::Get();
    double fSum = 0.0;
    int n = 0;
    for (int i = 0; i < sum.m_nCount && i < grid.m_nCount; ++i) {
        const double f = grid.m_fFreq[i];
        const bool bIn = std::any_of(bands.begin(), bands.end(),
                                     [f](const SEqFitSettings& b) { return f >= b.fFrom && f <= b.fTo; });
        if (!bIn || !std::isfinite(sum.m_fDb[i])) continue;
        fSum += sum.m_fDb[i];
        ++n;
    }
    return n ? std::round(-fSum / n * 10.0) / 10.0 : 0.0;
}

void ShiftLevel(ZUtils::ZComplexCurve* pCurve, double fDb) {
    for (int i = 0; i < pCurve->m_nCount; ++i)
        pCurve->m_fDb[i] += fDb;
}

std::string DrawnShiftText(double fShiftDb) {
    if (!(std::fabs(fShiftDb) >= 0.05)) return {};
    char sz[64];
    std::snprintf(sz, sizeof sz, "drawn %.1f dB %s", std::fabs(fShiftDb), fShiftDb < 0 ? "lower" : "higher");
    return sz;
}
