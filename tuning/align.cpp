#include "tuning/align.h"
#include "orvix/valuelaws.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "editor/delayeditor.h"
#include "tuning/eqtuning.h"
#include "tuning/systemview.h"

static_assert(kAlignMaxDelay == static_cast<int>(CDelayEditor::MAX_MS * 48.0f));

namespace {

constexpr double kSampleRate = ZUtils::kDelaySampleRate;
constexpr double kPi = 3.14159265358979323846;
// Arrivals are looked for up to this many samples either side of the timing reference (40 ms).
constexpr int kMaxArrival = 1920;

const ZUtils::ZResponseGrid& Grid() {
    return ZUtils::ZResponseGrid::Get();
}

bool InRange(int i, double fFrom, double fTo) {
    return Grid().m_fFreq[i] >= fFrom && Grid().m_fFreq[i] <= fTo;
}

ZUtils::SOutputTrim OutputTrim(const SAlignTrim& t) {
    ZUtils::SOutputTrim trim;
    trim.fLevelDb = CSettingsModel::DbFromVolume(t.nVolume);
    trim.bInvert = t.bInvert;
    trim.nDelaySamples = t.nDelay;
    return trim;
}

SAlignTrim TrimOf(const CSettingsModel& m, int ch) {
    SAlignTrim t;
    t.nDelay = std::min<int>(m.m_nDelay[ch], MLB8_MAX_DELAY);
    t.bInvert = m.m_bPhase[ch] ? 1 : 0;
    t.nVolume = m.m_nVolume[ch];
    return t;
}

// The outputs' filters without their trims, computed once: a trim is then a few additions.
struct SAlignModel {
    const ChannelTunings* pTunings = nullptr;
    std::vector<int> channels;
    std::vector<ZUtils::ZComplexCurve> bare;

    void Sum(const std::vector<SAlignTrim>& trims, ZUtils::ZComplexCurve* pOut) const {
        std::vector<ZUtils::ZComplexCurve> curves = bare;
        std::vector<const ZUtils::ZComplexCurve*> pointers;
        for (std::size_t k = 0; k < curves.size(); ++k) {
            ZUtils::ApplyTrim(OutputTrim(trims[k]), &curves[k]);
            pointers.push_back(&curves[k]);
        }
        SGroupSum sum;
        SumGroup(channels, pointers, pTunings, &sum);
        sum.sum.Result(pOut);
    }
};

SAlignModel MakeModel(const CSettingsModel& m, const ChannelTunings& tunings,
                      const std::vector<int>& channels) {
    SAlignModel a;
    a.pTunings = &tunings;
    a.channels = channels;
    a.bare.resize(channels.size());
    for (std::size_t k = 0; k < channels.size(); ++k)
        ZUtils::CalcOutputResponse(m.m_Lib, m.m_bEqEnable[channels[k]], channels[k],
                                   m.m_bXoverEnable[channels[k]], {}, &a.bare[k]);
    return a;
}

double TargetAt(const std::vector<double>& target, int i) {
    return target.empty() ? 0.0 : target[static_cast<std::size_t>(i)];
}

// The arrival in samples: the delay that lines the phase up best over the band (the peak of the band's
// impulse), which unlike a slope does not care how far apart the points of the grid lie.
int Arrival(const ZUtils::ZComplexCurve& acoustic, double fFrom, double fTo) {
    std::vector<double> freq, phase;
    for (int i = 0; i < acoustic.m_nCount; ++i)
        if (InRange(i, fFrom, fTo) && std::isfinite(acoustic.m_fPhaseDeg[i])) {
            freq.push_back(Grid().m_fFreq[i]);
            phase.push_back(acoustic.m_fPhaseDeg[i] * kPi / 180.0);
        }
    int nBest = 0;
    double fBest = -1.0;
    for (int n = -kMaxArrival; n <= kMaxArrival; ++n) {
        double fRe = 0, fIm = 0;
        for (std::size_t i = 0; i < freq.size(); ++i) {
            const double a = phase[i] + 2.0 * kPi * freq[i] * n / kSampleRate;
            fRe += std::cos(a);
            fIm += std::sin(a);
        }
        const double f = fRe * fRe + fIm * fIm;
        if (f > fBest) {
            fBest = f;
            nBest = n;
        }
    }
    return nBest;
}

// Up to nRadius samples either way around the output's delay, coarse then fine, both polarities.
bool SearchOutput(const SAlignModel& a, std::vector<SAlignTrim>& trims, std::size_t k, int nRadius,
                  const SAlignSettings& s, double* pBest) {
    const SAlignTrim start = trims[k];
    SAlignTrim best = start;
    auto tryTrim = [&](int nDelay, int bInvert) {
        trims[k].nDelay = nDelay;
        trims[k].bInvert = bInvert;
        ZUtils::ZComplexCurve sum;
        a.Sum(trims, &sum);
        const double f = SumDeviation(sum, s.target, s.fFrom, s.fTo);
        // Only a clear gain moves an output, so that the search ends.
        if (f < *pBest - 1e-6) {
            *pBest = f;
            best = trims[k];
        }
    };
    const int nStep = std::max(1, nRadius / 16);
    for (int bInvert = 0; bInvert < 2; ++bInvert)
        for (int d = start.nDelay - nRadius; d <= start.nDelay + nRadius; d += nStep)
            tryTrim(d, bInvert);
    const SAlignTrim coarse = best;
    for (int d = coarse.nDelay - nStep + 1; d < coarse.nDelay + nStep; ++d)
        tryTrim(d, coarse.bInvert);
    trims[k] = best;
    return !(best == start);
}

std::string Fmt(const char* pszFormat, double a, double b = 0, double c = 0, double d = 0) {
    char sz[256];
    std::snprintf(sz, sizeof sz, pszFormat, a, b, c, d);
    return sz;
}

} // namespace

void PredictAlignedSum(const CSettingsModel& m, const ChannelTunings& tunings,
                       const std::vector<int>& channels, const std::vector<SAlignTrim>& trims,
                       ZUtils::ZComplexCurve* pOut) {
    MakeModel(m, tunings, channels).Sum(trims, pOut);
}

double SumDeviation(const ZUtils::ZComplexCurve& sum, const std::vector<double>& target, double fFrom,
                    double fTo) {
    double fSum = 0, fSquares = 0;
    int n = 0;
    for (int i = 0; i < sum.m_nCount; ++i) {
        const double d = sum.m_fDb[i] - TargetAt(target, i);
        if (!InRange(i, fFrom, fTo) || !std::isfinite(d)) continue;
        fSum += d;
        fSquares += d * d;
        ++n;
    }
    if (n == 0) return 0.0;
    const double fMean = fSum / n;
    return std::sqrt(std::max(0.0, fSquares / n - fMean * fMean));
}

SAlignResult ProposeAlignment(const CSettingsModel& m, const ChannelTunings& tunings,
                              const std::vector<int>& channels, const SAlignSettings& settings) {
    SAlignResult r;
    if (channels.empty()) {
        r.szError = "no output to align: give each output's measurement";
        return r;
    }
    if (!settings.target.empty() && settings.target.size() != static_cast<std::size_t>(RESPONSE_POINTS)) {
        r.szError = "the target is not on the response grid";
        return r;
    }
    std::vector<ZUtils::ZComplexCurve> acoustic(channels.size());
    for (std::size_t k = 0; k < channels.size(); ++k) {
        const int ch = channels[k];
        if (ch < 0 || ch >= MLB8_CHANNELS) {
            r.szError = "no output " + std::to_string(ch + 1);
            return r;
        }
        const SChannelTuning& t = tunings[static_cast<std::size_t>(ch)];
        if (!MeasuredFactor(t, &acoustic[k])) {
            r.szError =
                "the measurement of Out " + std::to_string(ch + 1) + " has no phase: it cannot be aligned";
            return r;
        }
        // The speaker and the room alone: the settings it was taken through divided out.
        if (t.bThrough)
            for (int i = 0; i < acoustic[k].m_nCount; ++i) {
                acoustic[k].m_fDb[i] -= std::max(t.throughFull.m_fDb[i], -kMaxThroughLift);
                acoustic[k].m_fPhaseDeg[i] -= t.throughFull.m_fPhaseDeg[i];
            }
    }
    const SAlignModel model = MakeModel(m, tunings, channels);
    std::vector<SAlignTrim> before, after;
    for (int ch : channels)
        before.push_back(TrimOf(m, ch));
    after = before;

    // Levels and arrivals, each over the way's passband.
    double fLoudest = -1e300;
    std::vector<double> relative(channels.size());
    for (std::size_t k = 0; k < channels.size(); ++k) {
        const int ch = channels[k];
        SAlignOutput& o = r.outputs.emplace_back();
        o.nChannel = ch;
        o.before = before[k];
        const SEqFitSettings band = DefaultFitRange(m, ch);
        o.fPassFrom = band.fFrom;
        o.fPassTo = band.fTo;
        // The level of speaker and equalizer in the passband: the crossover's slopes are the sum's business.
        const std::vector<double> eq = ChannelCurve(m, ch, m.m_bEqEnable[ch] != 0, false);
        double fLevel = 0;
        int n = 0;
        for (int i = 0; i < Grid().m_nCount; ++i) {
            if (!InRange(i, o.fPassFrom, o.fPassTo)) continue;
            fLevel += acoustic[k].m_fDb[i] + eq[static_cast<std::size_t>(i)] - TargetAt(settings.target, i);
            ++n;
        }
        fLevel = n ? fLevel / n : 0.0;
        o.fPassLevelDb = fLevel + CSettingsModel::DbFromVolume(before[k].nVolume);
        relative[k] = -fLevel;
        fLoudest = std::max(fLoudest, relative[k]);
        o.fArrivalMs = Arrival(acoustic[k], o.fPassFrom, o.fPassTo) / 48.0;
    }
    double fLatest = -1e300;
    for (const SAlignOutput& o : r.outputs)
        fLatest = std::max(fLatest, o.fArrivalMs);
    for (std::size_t k = 0; k < channels.size(); ++k) {
        if (!settings.bKeepLevels) {
            // 0.5 dB steps, attenuation only: the way that needs the most gain stays at 0 dB.
            const double fSteps = std::round((relative[k] - fLoudest) * 2.0);
            after[k].nVolume = std::clamp(MLB8_MAX_VOLUME + static_cast<int>(fSteps), 0, MLB8_MAX_VOLUME);
        }
        after[k].nDelay = static_cast<int>(std::lround((fLatest - r.outputs[k].fArrivalMs) * 48.0));
        after[k].bInvert = 0;
    }

    // The search: each output's polarity and delay in turn, from the lowest passband up, until none moves.
    std::vector<std::size_t> order(channels.size());
    for (std::size_t k = 0; k < order.size(); ++k)
        order[k] = k;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return r.outputs[a].fPassTo < r.outputs[b].fPassTo;
    });
    ZUtils::ZComplexCurve sum;
    model.Sum(after, &sum);
    double fBest = SumDeviation(sum, settings.target, settings.fFrom, settings.fTo);
    // Every choice of polarities on the line-up first (up to 256), then one output at a time.
    if (channels.size() <= 8) {
        std::vector<SAlignTrim> trial = after;
        for (unsigned nMask = 1; nMask < (1u << channels.size()); ++nMask) {
            for (std::size_t k = 0; k < trial.size(); ++k)
                trial[k].bInvert = (nMask >> k) & 1u;
            model.Sum(trial, &sum);
            const double f = SumDeviation(sum, settings.target, settings.fFrom, settings.fTo);
            if (f < fBest - 1e-6) {
                fBest = f;
                after = trial;
            }
        }
    }
    for (int nPass = 0; nPass < 8; ++nPass) {
        bool bMoved = false;
        for (std::size_t k : order) {
            const SAlignOutput& o = r.outputs[k];
            // The lowest crossover the way takes part in sets how far its delay matters.
            const double fEdge = o.fPassFrom > 25.0 ? o.fPassFrom : std::max(o.fPassTo, 25.0);
            const int nRadius = std::clamp(static_cast<int>(kSampleRate / (2.0 * fEdge)), 4, 480);
            bMoved = SearchOutput(model, after, k, nRadius, settings, &fBest) || bMoved;
        }
        if (!bMoved) break;
    }

    // The latest way gets no delay; the processor cannot delay beyond its limit.
    int nMin = after.empty() ? 0 : after[0].nDelay;
    for (const SAlignTrim& t : after)
        nMin = std::min(nMin, t.nDelay);
    for (std::size_t k = 0; k < after.size(); ++k) {
        after[k].nDelay -= nMin;
        if (after[k].nDelay > kAlignMaxDelay) {
            r.notes.push_back(
                Fmt("Out %.0f needs %.0f samples of delay: held at the processor's limit of %.0f.",
                    channels[k] + 1, after[k].nDelay, kAlignMaxDelay));
            after[k].nDelay = kAlignMaxDelay;
        }
        r.outputs[k].after = after[k];
    }

    model.Sum(before, &r.before);
    model.Sum(after, &r.after);
    r.fRmsBefore = SumDeviation(r.before, settings.target, settings.fFrom, settings.fTo);
    r.fRmsAfter = SumDeviation(r.after, settings.target, settings.fFrom, settings.fTo);

    // The crossover regions: the upper edges of the passbands below the top, an octave either side.
    std::vector<double> edges;
    for (const SAlignOutput& o : r.outputs)
        if (o.fPassTo < settings.fTo) edges.push_back(o.fPassTo);
    std::sort(edges.begin(), edges.end());
    for (double f : edges) {
        if (!r.regions.empty() && f < r.regions.back().fCrossover * std::pow(2.0, 1.0 / 3.0)) continue;
        SAlignRegion g;
        g.fCrossover = f;
        g.fFrom = std::max(settings.fFrom, f / 2.0);
        g.fTo = std::min(settings.fTo, f * 2.0);
        if (g.fTo <= g.fFrom) continue;
        g.fRmsBefore = SumDeviation(r.before, settings.target, g.fFrom, g.fTo);
        g.fRmsAfter = SumDeviation(r.after, settings.target, g.fFrom, g.fTo);
        r.regions.push_back(g);
    }
    r.bOk = true;
    return r;
}

void ApplyAlignmentToModel(const SAlignResult& r, CSettingsModel& m) {
    for (const SAlignOutput& o : r.outputs) {
        m.m_nDelay[o.nChannel] = static_cast<std::uint16_t>(o.after.nDelay);
        m.m_fDelayMs[o.nChannel] = CSettingsModel::DelayMsFromSamples(m.m_nDelay[o.nChannel]);
        m.m_bPhase[o.nChannel] = o.after.bInvert;
        m.m_nVolume[o.nChannel] = o.after.nVolume;
    }
}

SEditSnapshot AlignedSettings(const SAlignResult& r, const CSettingsModel& m) {
    SEditSnapshot s = SEditSnapshot::Of(m);
    for (const SAlignOutput& o : r.outputs) {
        s.nDelay[o.nChannel] = static_cast<std::uint16_t>(o.after.nDelay);
        s.bPhase[o.nChannel] = o.after.bInvert;
        s.nVolume[o.nChannel] = o.after.nVolume;
    }
    return s;
}

std::vector<std::string> AlignReportLines(const SAlignResult& r, const CSettingsModel& m,
                                          const SAlignSettings& settings) {
    std::vector<std::string> out;
    if (!r.bOk) {
        out.push_back(r.szError);
        return out;
    }
    auto delay = [](int n) {
        const double fMs = n / 48.0;
        return Fmt("%6.3f ms %6.1f cm %4.0f smp", fMs, MsToCm(static_cast<float>(fMs)), n);
    };
    auto level = [](int nVolume) { return Fmt("%5.1f dB", CSettingsModel::DbFromVolume(nVolume)); };
    auto polarity = [](int bInvert) { return std::string(bInvert ? "inverted" : "normal  "); };
    out.emplace_back("Output            Delay before -> after                                  Polarity "
                     "before -> after   Level before -> after");
    for (const SAlignOutput& o : r.outputs) {
        char sz[320];
        std::snprintf(sz, sizeof sz, "%-16s  %s -> %s   %s -> %s  %s -> %s",
                      CSystemView::OutputName(m, o.nChannel).c_str(), delay(o.before.nDelay).c_str(),
                      delay(o.after.nDelay).c_str(), polarity(o.before.bInvert).c_str(),
                      polarity(o.after.bInvert).c_str(), level(o.before.nVolume).c_str(),
                      level(o.after.nVolume).c_str());
        out.emplace_back(sz);
    }
    if (settings.bKeepLevels) out.emplace_back("Levels kept as they are (--keep-levels).");
    out.push_back(std::string("Predicted sum, RMS deviation from the ") +
                  (settings.target.empty() ? "flat target" : "target") + " (its mean level taken out):");
    for (const SAlignRegion& g : r.regions)
        out.push_back(Fmt("  crossover %5.0f Hz (%.0f..%.0f Hz): %5.2f dB before, ", g.fCrossover, g.fFrom,
                          g.fTo, g.fRmsBefore) +
                      Fmt("%5.2f dB after", g.fRmsAfter));
    out.push_back(Fmt("  whole range     (%.0f..%.0f Hz): %5.2f dB before, %5.2f dB after", settings.fFrom,
                      settings.fTo, r.fRmsBefore, r.fRmsAfter));
    for (const std::string& note : r.notes)
        out.push_back(note);
    return out;
}
