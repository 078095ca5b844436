#include "tuning/align.h"
#include "orvix/sectionpoint.h"
#include "orvix/valuelaws.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <numeric>

#include "editor/delayeditor.h"
#include "tuning/eqtuning.h"
#include "tuning/systemview.h"

static_assert(kAlignMaxDelay == static_cast<int>(CDelayEditor::MAX_MS * 48.0f));

namespace {

constexpr double kSampleRate = ZUtils::kDelaySampleRate;
constexpr double kPi = 3.14159265358979323846;
// Arrivals are looked for up to this many samples either side of the timing reference (40 ms).
constexpr int kMaxArrival = 1920;
// The sum is judged down to the lowest way's passband, but not below this (Hz).
constexpr double kLowestJudged = 20.0;
// Two choices whose predicted sums' RMS deviations lie closer than this (dB) are as good as each other.
constexpr double kTieDb = 0.15;
// What a delay a whole period (of the way's lowest crossover) away from the measured arrival costs in
// the search, in dB of the sum's RMS deviation.
constexpr double kDelayCostDb = 0.05;
// The choices of polarities are compared with each delay searched within this part of its full reach:
// far enough for the crossovers' own phase, not so far that a delay stands in for a polarity.
constexpr int kNearDivisor = 4;
// How many choices of polarities (the flattest on the line-up of the arrivals) get their delays searched.
constexpr std::size_t kSearchedChoices = 24;

const ZUtils::ZResponseGrid& Grid() {
    return ZUtils::ZResponseGrid::Get();
}

bool InRange(int i, double fFrom, double fTo) {
    return Grid().m_fFreq[i] >= fFrom && Grid().m_fFreq[i] <= fTo;
}

ZUtils::SOutputTrim OutputTrim(const SAlignTrim& t) {
    ZUtils::SOutputTrim trim;
    trim.fLevelDb = CSettingsModel::DbFromVolume(t.nVolume);
    trim.bInvert = t.bInvert ? 1 : 0;
    trim.nDelaySamples = t.nDelay;
    return trim;
}

SAlignTrim TrimOf(const CSettingsModel& m, int ch) {
    SAlignTrim t;
    t.nDelay = std::min<int>(m.m_nDelay[ch], MLB8_MAX_DELAY);
    t.bInvert = m.m_bPhase[ch] != 0;
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

// The arrival of a way and the polarity its phase shows: the delay that lines the phase up best over the
// band (the peak of the band's impulse), which unlike a slope does not care how far apart the points of
// the grid lie; and the angle of that peak, the phase left once the arrival is taken out (near 0 for a
// speaker wired as its neighbours are, near 180 degrees for one wired the other way round).
struct SArrival {
    int nSamples = 0;
    double fPhaseDeg = 0.0;
};

SArrival Arrival(const ZUtils::ZComplexCurve& acoustic, double fFrom, double fTo) {
    std::vector<double> freq, phase;
    for (int i = 0; i < acoustic.m_nCount; ++i)
        if (InRange(i, fFrom, fTo) && std::isfinite(acoustic.m_fPhaseDeg[i])) {
            freq.push_back(Grid().m_fFreq[i]);
            phase.push_back(acoustic.m_fPhaseDeg[i] * kPi / 180.0);
        }
    auto peak = [&](double fDelay) {
        std::complex<double> sum;
        for (std::size_t i = 0; i < freq.size(); ++i)
            sum += std::polar(1.0, phase[i] + 2.0 * kPi * freq[i] * fDelay / kSampleRate);
        return sum;
    };
    SArrival a;
    double fBest = -1.0;
    for (int n = -kMaxArrival; n <= kMaxArrival; ++n) {
        const double f = std::norm(peak(n));
        if (f > fBest) {
            fBest = f;
            a.nSamples = n;
        }
    }
    // The phase at the peak between the samples: at a whole sample the rest of a period turns it.
    std::complex<double> best = peak(a.nSamples);
    for (double fFraction = -0.5; fFraction <= 0.5; fFraction += 1.0 / 32.0) {
        const std::complex<double> at = peak(a.nSamples + fFraction);
        if (std::norm(at) > std::norm(best)) best = at;
    }
    a.fPhaseDeg = std::arg(best) * 180.0 / kPi;
    return a;
}

// The sum on the points of the judged range as complex numbers: each output's contribution at the
// seat with its level (its measurement times the processor's response now divided by the one it was
// measured through), turned by its polarity and delay. A trial of one output adds its turned
// contribution to the rest of the sum, which is what makes the search fast.
class CTrialSum {
public:
    CTrialSum(const SAlignModel& a, const std::vector<SAlignTrim>& levels, const SAlignSettings& s) {
        for (int i = 0; i < Grid().m_nCount; ++i) {
            if (!InRange(i, s.fFrom, s.fTo)) continue;
            m_Freq.push_back(Grid().m_fFreq[i]);
            m_Target.push_back(TargetAt(s.target, i));
        }
        m_Base.resize(a.channels.size());
        for (std::size_t k = 0; k < a.channels.size(); ++k) {
            SAlignTrim t = levels[k];
            t.nDelay = 0;
            t.bInvert = false;
            ZUtils::ZComplexCurve curve = a.bare[k];
            ZUtils::ApplyTrim(OutputTrim(t), &curve);
            SGroupSum one;
            SumGroup({a.channels[k]}, {&curve}, a.pTunings, &one);
            ZUtils::ZComplexCurve term;
            one.sum.Result(&term);
            for (int i = 0; i < Grid().m_nCount; ++i)
                if (InRange(i, s.fFrom, s.fTo))
                    m_Base[k].push_back(
                        std::polar(std::pow(10.0, term.m_fDb[i] / 20.0), term.m_fPhaseDeg[i] * kPi / 180.0));
        }
    }

    std::size_t Points() const { return m_Freq.size(); }
    std::complex<double> Term(std::size_t k, std::size_t j, const SAlignTrim& t) const {
        return m_Base[k][j] *
               std::polar(t.bInvert ? -1.0 : 1.0, -2.0 * kPi * m_Freq[j] * t.nDelay / kSampleRate);
    }
    void Total(const std::vector<SAlignTrim>& trims, std::vector<std::complex<double>>* pSum) const {
        pSum->assign(Points(), {});
        for (std::size_t k = 0; k < trims.size(); ++k)
            for (std::size_t j = 0; j < Points(); ++j)
                (*pSum)[j] += Term(k, j, trims[k]);
    }
    // SumDeviation of the sum given, or of the rest with output k at t added.
    double Deviation(const std::vector<std::complex<double>>& sum, std::size_t k = SIZE_MAX,
                     const SAlignTrim& t = {}) const {
        double fSum = 0, fSquares = 0;
        for (std::size_t j = 0; j < Points(); ++j) {
            const std::complex<double> z = k == SIZE_MAX ? sum[j] : sum[j] + Term(k, j, t);
            const double d = ZUtils::LevelDb(std::abs(z)) - m_Target[j];
            fSum += d;
            fSquares += d * d;
        }
        if (Points() == 0) return 0.0;
        const double fMean = fSum / static_cast<double>(Points());
        return std::sqrt(std::max(0.0, fSquares / static_cast<double>(Points()) - fMean * fMean));
    }

private:
    std::vector<double> m_Freq, m_Target;
    std::vector<std::vector<std::complex<double>>> m_Base;
};

// A choice of polarities and delays, and what decides between choices whose sums come out nearly equal.
struct SCandidate {
    std::vector<SAlignTrim> trims;
    double fDeviation = 0.0;
    int nChanges = 0;          // polarities changed from the settings now
    double fDisagreement = 0.; // how far the polarities are from those the measured phases ask for
    double fDelayCost = 0.0;   // periods (of each way's lowest crossover) away from the measured arrivals
};

// The delays of one output at a time, its polarity kept, from the lowest passband up, until none moves:
// up to nRadius[k] samples either way around its delay, coarse then fine. A delay costs kDelayCostDb per
// period it lies away from the output's arrival, so that of delays as good as each other the one
// closest to the arrival stays.
void SearchDelays(const CTrialSum& t, const std::vector<std::size_t>& order, const std::vector<int>& lineup,
                  const std::vector<int>& radius, SCandidate* pC) {
    std::vector<SAlignTrim>& trims = pC->trims;
    auto cost = [&](std::size_t k, int nDelay) {
        return kDelayCostDb * std::abs(nDelay - lineup[k]) / (2.0 * radius[k]);
    };
    std::vector<std::complex<double>> sum, rest;
    t.Total(trims, &sum);
    double fDeviation = t.Deviation(sum);
    for (int nPass = 0; nPass < 8; ++nPass) {
        bool bMoved = false;
        for (std::size_t k : order) {
            rest = sum;
            for (std::size_t j = 0; j < t.Points(); ++j)
                rest[j] -= t.Term(k, j, trims[k]);
            const int nStart = trims[k].nDelay;
            double fBest = fDeviation + cost(k, nStart);
            SAlignTrim best = trims[k];
            auto tryDelay = [&](int nDelay) {
                SAlignTrim trial = trims[k];
                trial.nDelay = nDelay;
                const double fDev = t.Deviation(rest, k, trial);
                // Only a clear gain moves an output, so that the search ends.
                if (fDev + cost(k, nDelay) < fBest - 1e-6) {
                    fBest = fDev + cost(k, nDelay);
                    best = trial;
                }
            };
            // Coarse, then halving the step around the best so far down to a sample.
            int nStep = std::max(1, radius[k] / 16);
            for (int d = nStart - radius[k]; d <= nStart + radius[k]; d += nStep)
                tryDelay(d);
            while (nStep > 1) {
                nStep = (nStep + 1) / 2;
                const int nAround = best.nDelay;
                tryDelay(nAround - nStep);
                tryDelay(nAround + nStep);
            }
            if (best == trims[k]) continue;
            trims[k] = best;
            for (std::size_t j = 0; j < t.Points(); ++j)
                sum[j] = rest[j] + t.Term(k, j, best);
            fDeviation = t.Deviation(sum);
            bMoved = true;
        }
        if (!bMoved) break;
    }
    pC->fDeviation = fDeviation;
    pC->fDelayCost = 0.0;
    for (std::size_t k = 0; k < trims.size(); ++k)
        pC->fDelayCost += cost(k, trims[k].nDelay) / kDelayCostDb;
}

// Of the choices, the one an installer expects: the flattest sum; of sums as good as it (within
// kTieDb) the fewest polarities changed, then the polarities the measured phases ask for, then the
// delays closest to the arrivals, then the flattest.
std::size_t Choose(const std::vector<SCandidate>& candidates) {
    std::vector<std::size_t> left(candidates.size());
    std::iota(left.begin(), left.end(), std::size_t{0});
    auto keep = [&](auto value, double fTolerance) {
        double fLeast = 1e300;
        for (std::size_t i : left)
            fLeast = std::min(fLeast, value(candidates[i]));
        std::erase_if(left, [&](std::size_t i) { return value(candidates[i]) > fLeast + fTolerance; });
    };
    keep([](const SCandidate& c) { return c.fDeviation; }, kTieDb);
    keep([](const SCandidate& c) { return static_cast<double>(c.nChanges); }, 0.0);
    keep([](const SCandidate& c) { return c.fDisagreement; }, 0.5);
    keep([](const SCandidate& c) { return c.fDelayCost; }, 1e-9);
    keep([](const SCandidate& c) { return c.fDeviation; }, 0.0);
    return left.front();
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
                              const std::vector<int>& given, const SAlignSettings& settings) {
    SAlignResult r;
    if (given.empty()) {
        r.szError = "no output to align: give each output's measurement";
        return r;
    }
    if (!settings.target.empty() && settings.target.size() != static_cast<std::size_t>(RESPONSE_POINTS)) {
        r.szError = "the target is not on the response grid";
        return r;
    }
    // What the processor keeps silent adds nothing at the seat: it stays out of the sum and keeps its
    // settings, and needs no measurement.
    const unsigned nSilenced = CSystemView::SilencedMask(m);
    std::vector<int> channels;
    for (int ch : given) {
        if (ch < 0 || ch >= MLB8_CHANNELS) {
            r.szError = "no output " + std::to_string(ch + 1);
            return r;
        }
        if ((nSilenced >> ch) & 1u)
            r.leftOut.push_back(
                {ch, (m.m_nSoloMask & 0xFF) ? SAlignLeftOut::OUTSIDE_SOLO : SAlignLeftOut::MUTED});
        else
            channels.push_back(ch);
    }
    if (channels.empty()) {
        r.szError = "nothing to align: every output given is muted or outside the solo";
        return r;
    }
    std::vector<ZUtils::ZComplexCurve> acoustic(channels.size());
    for (std::size_t k = 0; k < channels.size(); ++k) {
        const int ch = channels[k];
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

    // Levels, arrivals and the phases left, each over the way's passband.
    double fLoudest = -1e300;
    std::vector<double> relative(channels.size()), phase(channels.size());
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
        const SArrival a = Arrival(acoustic[k], o.fPassFrom, o.fPassTo);
        o.fArrivalMs = a.nSamples / 48.0;
        phase[k] = a.fPhaseDeg;
    }
    // A way's neighbours: the other ways whose passbands reach within an octave of its own.
    for (std::size_t k = 0; k < channels.size(); ++k) {
        SAlignOutput& o = r.outputs[k];
        std::complex<double> neighbours;
        for (std::size_t j = 0; j < channels.size(); ++j) {
            const SAlignOutput& n = r.outputs[j];
            if (j != k && n.fPassFrom <= o.fPassTo * 2.0 && n.fPassTo >= o.fPassFrom / 2.0)
                neighbours += std::polar(1.0, phase[j] * kPi / 180.0);
        }
        o.fPhaseOffDeg = std::abs(neighbours) > 1e-9
                             ? std::abs(ZUtils::WrapDegrees(phase[k] - std::arg(neighbours) * 180.0 / kPi))
                             : 0.0;
    }
    // The range judged: down to where the lowest way plays.
    SAlignSettings judged = settings;
    for (const SAlignOutput& o : r.outputs)
        judged.fFrom = std::min(judged.fFrom, std::max(kLowestJudged, o.fPassFrom));
    r.fFrom = judged.fFrom;
    r.fTo = judged.fTo;
    double fLatest = -1e300;
    for (const SAlignOutput& o : r.outputs)
        fLatest = std::max(fLatest, o.fArrivalMs);
    std::vector<int> lineup(channels.size()), radius(channels.size());
    for (std::size_t k = 0; k < channels.size(); ++k) {
        if (!settings.bKeepLevels) {
            // 0.5 dB steps, attenuation only: the way that needs the most gain stays at 0 dB.
            const double fSteps = std::round((relative[k] - fLoudest) * 2.0);
            after[k].nVolume = std::clamp(MLB8_MAX_VOLUME + static_cast<int>(fSteps), 0, MLB8_MAX_VOLUME);
        }
        lineup[k] = static_cast<int>(std::lround((fLatest - r.outputs[k].fArrivalMs) * 48.0));
        after[k].nDelay = lineup[k];
        // The lowest crossover the way takes part in sets how far its delay matters.
        const SAlignOutput& o = r.outputs[k];
        const double fEdge = o.fPassFrom > 25.0 ? o.fPassFrom : std::max(o.fPassTo, 25.0);
        radius[k] = std::clamp(static_cast<int>(kSampleRate / (2.0 * fEdge)), 4, 480);
    }

    // The search: every choice of polarities on the line-up (a choice and all of it turned round give
    // the same sum: of the two, the one with fewer changes), the most promising of them with their
    // delays searched, from the lowest passband up.
    std::vector<std::size_t> order(channels.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return r.outputs[a].fPassTo < r.outputs[b].fPassTo;
    });
    const CTrialSum trial(model, after, judged);
    const std::size_t nOutputs = channels.size();
    const unsigned nChoices = nOutputs <= 8 ? 1u << nOutputs : 1u;
    std::vector<SCandidate> candidates;
    std::vector<std::complex<double>> sum;
    for (unsigned nMask = 0; nMask < nChoices; ++nMask) {
        SCandidate c;
        c.trims = after;
        for (std::size_t k = 0; k < nOutputs; ++k) {
            c.trims[k].bInvert = nChoices > 1 ? ((nMask >> k) & 1u) != 0 : before[k].bInvert;
            c.nChanges += c.trims[k].bInvert != before[k].bInvert;
            // The phase asks for the processor to turn a speaker wired the other way round to its neighbours.
            const double fWants = (1.0 - std::cos(r.outputs[k].fPhaseOffDeg * kPi / 180.0)) / 2.0;
            c.fDisagreement += std::abs((c.trims[k].bInvert ? 1.0 : 0.0) - fWants);
        }
        if (nChoices > 1 && 2 * c.nChanges > static_cast<int>(nOutputs)) continue; // its turned-round twin
        trial.Total(c.trims, &sum);
        c.fDeviation = trial.Deviation(sum);
        candidates.push_back(std::move(c));
    }
    // The flattest on the line-up, and those with the fewest changes and with the least disagreement.
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const SCandidate& a, const SCandidate& b) { return a.fDeviation < b.fDeviation; });
    auto least = [&](auto value) {
        return std::min_element(
                   candidates.begin(), candidates.end(),
                   [&](const SCandidate& a, const SCandidate& b) { return value(a) < value(b); }) -
               candidates.begin();
    };
    const auto nFewest = static_cast<std::size_t>(least([](const SCandidate& c) { return c.nChanges; }));
    const auto nAgreeing =
        static_cast<std::size_t>(least([](const SCandidate& c) { return c.fDisagreement; }));
    // Beyond the flattest, the two that answer the installer's first questions are searched as well.
    std::vector<SCandidate> searched(
        candidates.begin(),
        candidates.begin() + static_cast<std::ptrdiff_t>(std::min(kSearchedChoices, candidates.size())));
    if (nFewest >= kSearchedChoices) searched.push_back(candidates[nFewest]);
    if (nAgreeing >= kSearchedChoices && nAgreeing != nFewest) searched.push_back(candidates[nAgreeing]);
    candidates = std::move(searched);
    std::vector<int> near(radius);
    for (int& n : near)
        n = std::max(1, n / kNearDivisor);
    for (SCandidate& c : candidates)
        SearchDelays(trial, order, lineup, near, &c);
    const std::size_t nChosen = Choose(candidates);
    SCandidate chosen = candidates[nChosen];
    SearchDelays(trial, order, lineup, radius, &chosen);
    after = chosen.trims;

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
    r.fRmsBefore = SumDeviation(r.before, judged.target, judged.fFrom, judged.fTo);
    r.fRmsAfter = SumDeviation(r.after, judged.target, judged.fFrom, judged.fTo);

    // The crossover regions: the upper edges of the passbands below the top, an octave either side.
    std::vector<double> edges;
    for (const SAlignOutput& o : r.outputs)
        if (o.fPassTo < judged.fTo) edges.push_back(o.fPassTo);
    std::sort(edges.begin(), edges.end());
    for (double f : edges) {
        if (!r.regions.empty() && f < r.regions.back().fCrossover * std::pow(2.0, 1.0 / 3.0)) continue;
        SAlignRegion g;
        g.fCrossover = f;
        g.fFrom = std::max(judged.fFrom, f / 2.0);
        g.fTo = std::min(judged.fTo, f * 2.0);
        if (g.fTo <= g.fFrom) continue;
        g.fRmsBefore = SumDeviation(r.before, judged.target, g.fFrom, g.fTo);
        g.fRmsAfter = SumDeviation(r.after, judged.target, g.fFrom, g.fTo);
        r.regions.push_back(g);
    }
    r.bOk = true;
    return r;
}

void ApplyAlignmentToModel(const SAlignResult& r, CSettingsModel& m) {
    for (const SAlignOutput& o : r.outputs) {
        m.m_nDelay[o.nChannel] = static_cast<std::uint16_t>(o.after.nDelay);
        m.m_fDelayMs[o.nChannel] = CSettingsModel::DelayMsFromSamples(m.m_nDelay[o.nChannel]);
        m.m_bPhase[o.nChannel] = o.after.bInvert ? 1 : 0;
        m.m_nVolume[o.nChannel] = o.after.nVolume;
    }
}

SEditSnapshot AlignedSettings(const SAlignResult& r, const CSettingsModel& m) {
    SEditSnapshot s = SEditSnapshot::Of(m);
    for (const SAlignOutput& o : r.outputs) {
        s.nDelay[o.nChannel] = static_cast<std::uint16_t>(o.after.nDelay);
        s.bPhase[o.nChannel] = o.after.bInvert ? 1 : 0;
        s.nVolume[o.nChannel] = o.after.nVolume;
    }
    return s;
}

namespace {

// Columns of a UTF-8 text: one per character.
int Utf8Columns(const std::string& text) {
    int n = 0;
    for (unsigned char c : text)
        n += (c & 0xC0) != 0x80;
    return n;
}

} // namespace

std::vector<std::string> TableLines(const SAlignTable& table,
                                    const std::function<int(const std::string&)>& widthOf) {
    const auto width = widthOf ? widthOf : Utf8Columns;
    std::vector<int> columns;
    for (const std::vector<std::string>& row : table.rows)
        for (std::size_t k = 0; k < row.size(); ++k) {
            if (columns.size() <= k) columns.push_back(0);
            columns[k] = std::max(columns[k], width(row[k]));
        }
    std::vector<std::string> out;
    for (const std::vector<std::string>& row : table.rows) {
        std::string line;
        for (std::size_t k = 0; k < row.size(); ++k) {
            line += row[k];
            if (k + 1 == row.size()) break;
            line += std::string(static_cast<std::size_t>(std::max(0, columns[k] - width(row[k]))), ' ');
            line += k < table.separators.size() ? table.separators[k] : std::string(" ");
        }
        out.push_back(line);
    }
    return out;
}

SAlignTable AlignReportTable(const SAlignResult& r, const CSettingsModel& m) {
    SAlignTable t;
    t.separators = {"  ", " -> ", "   ", " -> ", "   ", " -> "};
    t.rows.push_back(
        {"Output", "Delay before", "after", "Polarity before", "after", "Level before", "after"});
    auto delay = [](int n) {
        const double fMs = n / 48.0;
        return Fmt("%6.3f ms %6.1f cm %4.0f smp", fMs, MsToCm(static_cast<float>(fMs)), n);
    };
    auto level = [](int nVolume) { return Fmt("%5.1f dB", CSettingsModel::DbFromVolume(nVolume)); };
    auto polarity = [](bool bInvert) { return std::string(bInvert ? "inverted" : "normal"); };
    for (const SAlignOutput& o : r.outputs)
        t.rows.push_back({CSystemView::OutputName(m, o.nChannel), delay(o.before.nDelay),
                          delay(o.after.nDelay), polarity(o.before.bInvert), polarity(o.after.bInvert),
                          level(o.before.nVolume), level(o.after.nVolume)});
    return t;
}

std::vector<std::string> AlignReportRest(const SAlignResult& r, const CSettingsModel& m,
                                         const SAlignSettings& settings) {
    std::vector<std::string> out;
    if (!r.bOk) {
        out.push_back(r.szError);
    } else {
        if (settings.bKeepLevels) out.emplace_back("Levels kept as they are (--keep-levels).");
        out.push_back(std::string("Predicted sum, RMS deviation from the ") +
                      (settings.target.empty() ? "flat target" : "target") + " (its mean level taken out):");
        for (const SAlignRegion& g : r.regions)
            out.push_back(Fmt("  crossover %5.0f Hz (%.0f..%.0f Hz): %5.2f dB before, ", g.fCrossover,
                              g.fFrom, g.fTo, g.fRmsBefore) +
                          Fmt("%5.2f dB after", g.fRmsAfter));
        out.push_back(Fmt("  whole range     (%.0f..%.0f Hz): %5.2f dB before, %5.2f dB after", r.fFrom,
                          r.fTo, r.fRmsBefore, r.fRmsAfter));
        for (const std::string& note : r.notes)
            out.push_back(note);
    }
    for (const SAlignLeftOut& l : r.leftOut) {
        const char* pszWhy = l.why == SAlignLeftOut::MUTED          ? "muted"
                             : l.why == SAlignLeftOut::OUTSIDE_SOLO ? "outside the solo"
                                                                    : "no measurement";
        out.push_back("Left out of the sum, settings kept: " + CSystemView::OutputName(m, l.nChannel) + " (" +
                      pszWhy + ")");
    }
    return out;
}

std::vector<std::string> AlignReportLines(const SAlignResult& r, const CSettingsModel& m,
                                          const SAlignSettings& settings) {
    std::vector<std::string> out = r.bOk ? TableLines(AlignReportTable(r, m)) : std::vector<std::string>{};
    const std::vector<std::string> rest = AlignReportRest(r, m, settings);
    out.insert(out.end(), rest.begin(), rest.end());
    return out;
}
