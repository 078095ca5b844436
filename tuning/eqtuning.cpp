#include "tuning/eqtuning.h"

#include "orvix/filtersection.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

std::vector<double> ChannelCurve(const CSettingsModel& m, int nChannel, bool bEq, bool bXover) {
    // A store of its own, so that the graph's curve buffer is not disturbed.
    CRev8001Lib lib;
    const auto ch = static_cast<std::uint8_t>(nChannel);
    for (int b = 0; b < CRev8001Lib::EQ_BANDS; ++b)
        lib.SetEqCoef(ch, static_cast<std::uint8_t>(b), m.m_Lib.GetEqCoef(ch, static_cast<std::uint8_t>(b)));
    for (int x = 0; x < CRev8001Lib::XOVER_FILTERS; ++x)
        lib.SetXoverCoef(ch, static_cast<std::uint8_t>(x),
                         m.m_Lib.GetXoverCoef(ch, static_cast<std::uint8_t>(x)));
    lib.CalcChannelResponse(bEq ? 1 : 0, nChannel, bXover ? 1 : 0);
    return std::vector<double>(lib.GetResponse(), lib.GetResponse() + RESPONSE_POINTS);
}

namespace {
std::vector<double> TargetOf(const SChannelTuning& t) {
    return t.target.empty() ? FlatTarget() : t.target;
}

std::vector<double> DrawnCurve(const CSettingsModel& m, int nChannel) {
    return ChannelCurve(m, nChannel, m.m_bEqEnable[nChannel] != 0, m.m_bXoverEnable[nChannel] != 0);
}
} // namespace

void SetMeasuredThrough(SChannelTuning& t, const CSettingsModel& m, int nChannel, const std::string& szWhat) {
    if (nChannel < 0 || nChannel >= MLB8_CHANNELS) return SetMeasuredRaw(t);
    t.bThrough = true;
    t.throughDb = DrawnCurve(m, nChannel);
    // The whole response as the system view computes it (its sums divide by this).
    ZUtils::SOutputTrim trim;
    trim.fLevelDb = CSettingsModel::DbFromVolume(m.m_nVolume[nChannel]);
    trim.bInvert = m.m_bPhase[nChannel] ? 1 : 0;
    trim.nDelaySamples = std::min<int>(m.m_nDelay[nChannel], MLB8_MAX_DELAY);
    ZUtils::CalcOutputResponse(m.m_Lib, m.m_bEqEnable[nChannel], nChannel, m.m_bXoverEnable[nChannel], trim,
                               &t.throughFull);
    t.szThrough = szWhat;
}

void SetMeasuredRaw(SChannelTuning& t) {
    t.bThrough = false;
    t.throughDb.clear();
    t.throughFull.Clear();
    t.szThrough.clear();
}

std::string MeasuredWithText(const SChannelTuning& t) {
    return t.bThrough ? "taken through " + t.szThrough : std::string("of the bare driver");
}

std::vector<double> ThroughCorrection(const CSettingsModel& m, int nChannel, const SChannelTuning& t) {
    std::vector<double> c = DrawnCurve(m, nChannel);
    if (!t.bThrough) return c;
    for (std::size_t i = 0; i < c.size() && i < t.throughDb.size(); ++i)
        c[i] = std::min(c[i] - t.throughDb[i], kMaxThroughLift);
    return c;
}

SOverlayCurves OverlayCurves(const CSettingsModel& m, int nChannel, const SChannelTuning& tuning,
                             double fFrom, double fTo) {
    SOverlayCurves c;
    if (!tuning.HasMeasurement() || nChannel < 0 || nChannel >= MLB8_CHANNELS) return c;
    c.target = TargetOf(tuning);
    c.measured = NormalisedMeasurement(tuning.measured, c.target, fFrom, fTo);
    const std::vector<double> correction = ThroughCorrection(m, nChannel, tuning);
    c.predicted = c.measured;
    for (std::size_t i = 0; i < c.predicted.size(); ++i)
        c.predicted[i] += correction[i];
    return c;
}

SEqFitInput MakeFitInput(const CSettingsModel& m, int nChannel, const SChannelTuning& tuning,
                         const SEqFitSettings& settings) {
    SEqFitInput in;
    if (!tuning.HasMeasurement() || nChannel < 0 || nChannel >= MLB8_CHANNELS) return in;
    in.target = TargetOf(tuning);
    // The bare driver: S divided out (with the same limit on the lift as the overlay).
    std::vector<double> bare = tuning.measured;
    if (tuning.bThrough)
        for (std::size_t i = 0; i < bare.size() && i < tuning.throughDb.size(); ++i)
            bare[i] -= std::max(tuning.throughDb[i], -kMaxThroughLift);
    in.measured = NormalisedMeasurement(bare, in.target, settings.fFrom, settings.fTo);
    in.xover = ChannelCurve(m, nChannel, false, m.m_bXoverEnable[nChannel] != 0);
    return in;
}

SEqFitSettings DefaultFitRange(const CSettingsModel& m, int nChannel, bool* pbNarrowed) {
    SEqFitSettings s;
    if (pbNarrowed) *pbNarrowed = false;
    if (nChannel < 0 || nChannel >= MLB8_CHANNELS || !m.m_bXoverEnable[nChannel]) return s;
    const std::vector<double> x = ChannelCurve(m, nChannel, false, true);
    const ZUtils::ZResponseGrid& grid = ZUtils::ZResponseGrid::Get();
    int nPeak = -1;
    for (int i = 0; i < grid.m_nCount; ++i) {
        if (grid.m_fFreq[i] < s.fFrom || grid.m_fFreq[i] > s.fTo) continue;
        if (nPeak < 0 || x[static_cast<std::size_t>(i)] > x[static_cast<std::size_t>(nPeak)]) nPeak = i;
    }
    if (nPeak < 0) return s;
    const double fFloor = x[static_cast<std::size_t>(nPeak)] - 6.0;
    int lo = nPeak, hi = nPeak;
    while (lo > 0 && grid.m_fFreq[lo - 1] >= s.fFrom && x[static_cast<std::size_t>(lo - 1)] >= fFloor)
        --lo;
    while (hi + 1 < grid.m_nCount && grid.m_fFreq[hi + 1] <= s.fTo &&
           x[static_cast<std::size_t>(hi + 1)] >= fFloor)
        ++hi;
    const double fFrom = std::max(s.fFrom, std::round(grid.m_fFreq[lo]));
    const double fTo = std::min(s.fTo, std::round(grid.m_fFreq[hi]));
    if (fTo > fFrom && (fFrom > s.fFrom || fTo < s.fTo)) {
        s.fFrom = fFrom;
        s.fTo = fTo;
        if (pbNarrowed) *pbNarrowed = true;
    }
    return s;
}

std::vector<std::string> BandLines(const SFilterCoef* pBands, bool bUsedOnly) {
    std::vector<std::string> out;
    for (int b = 0; b < CRev8001Lib::EQ_BANDS; ++b) {
        const SFilterCoef& c = pBands[b];
        if (bUsedOnly && c.Gain == 0) continue;
        char sz[128];
        std::snprintf(sz, sizeof sz, "Band %d: %u Hz %+d dB BandWidth %.1f (Q %.3f)", b + 1, unsigned(c.Freq),
                      int(c.Gain), static_cast<double>(c.BandWidth), static_cast<double>(c.BandWidth) / 2.0);
        out.emplace_back(sz);
    }
    return out;
}

std::vector<std::string> FitReportLines(const SEqFitResult& r, const SEqFitSettings& settings) {
    std::vector<std::string> out;
    if (!r.bOk) {
        out.push_back(r.szError);
        return out;
    }
    char sz[320];
    std::snprintf(
        sz, sizeof sz,
        "RMS deviation from the target over the %d points the fit used, %.0f..%.0f Hz: %.2f dB before, "
        "%.2f dB after.",
        r.nPoints, r.fDataFrom, r.fDataTo, r.fRmsBefore, r.fRmsAfter);
    out.emplace_back(sz);
    // The measurement may cover less than the range asked for; say so rather than imply it was fitted.
    if (r.fDataFrom > settings.fFrom * 1.05 || r.fDataTo < settings.fTo / 1.05) {
        std::snprintf(sz, sizeof sz,
                      "The measurement has data only in %.0f..%.0f Hz: the fit covers no more.", r.fDataFrom,
                      r.fDataTo);
        out.emplace_back(sz);
    }
    for (const SEqFitDip& d : r.dips) {
        std::string why;
        if (d.bTooDeep) {
            std::snprintf(sz, sizeof sz, "deeper than %g dB", settings.fMaxDipDepth);
            why = sz;
        }
        if (d.bTooNarrow) {
            std::snprintf(sz, sizeof sz, "narrower than %.2f octave", settings.fMinDipWidth);
            why += (why.empty() ? "" : " and ") + std::string(sz);
        }
        std::snprintf(
            sz, sizeof sz,
            "Dip at %.0f Hz (%.1f dB deep, %.2f octave wide at half its depth) left alone: %s; its %d "
            "points are not in the figures.",
            d.fFreq, d.fDepth, d.fWidth, why.c_str(), d.nPoints);
        out.emplace_back(sz);
    }
    if (r.nUsed == 0) {
        out.emplace_back("No band improves on the flat equalizer: all bands are left flat.");
        return out;
    }
    if (r.fMaxBoost > 0.0) {
        std::snprintf(sz, sizeof sz,
                      "Highest level of the bands together: %+.1f dB at %.0f Hz (limit %+d dB).", r.fMaxBoost,
                      r.fMaxBoostFreq, settings.nMaxBoost);
        out.emplace_back(sz);
    }
    std::snprintf(sz, sizeof sz, "%d %s used, the rest flat:", r.nUsed, r.nUsed == 1 ? "band" : "bands");
    out.emplace_back(sz);
    for (const std::string& line : BandLines(r.bands, true))
        out.push_back("  " + line);
    return out;
}
