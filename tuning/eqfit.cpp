#include "tuning/eqfit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>

#include "orvix/filtersection.h"
#include "tuning/eqimport.h"

namespace {

constexpr int kBands = CRev8001Lib::EQ_BANDS;
// BandWidth in half steps: 2 (1.0) .. 20 (10.0).
constexpr int kHalfStepsMin = 2;
constexpr int kHalfStepsMax = 20;

// Below this a stretch under the target is not named as a dip.
constexpr double kDipNamedDepth = 3.0;
// The combined curve is checked at this many points per point of the graph's grid, so that the peak of
// a narrow band between two grid points is not missed.
constexpr int kLimitSubdivision = 4;
// The limit is checked up to here; bands sit at 20 kHz at most.
constexpr double kLimitTopFreq = 24000.0;

// The points of the fit and the deviation without equalizer there.
struct SProblem {
    std::vector<int> pts;
    std::vector<double> dev;   // measured + xover - target; bridged across a dip left alone
    std::vector<bool> counted; // false for the points of a dip left alone: not in the figures
    int nGainMin = EqSteps::kGainMin;
    int nGainMax = EqSteps::kGainMax;
    // Band centres stay within the fit range: outside it nothing holds their gain in check.
    int nFreqMin = EqSteps::kFreqMin;
    int nFreqMax = EqSteps::kFreqMax;
    // Where the boost limit is checked: the grid subdivided, with e^-jw and e^-j2w there, and how
    // much the bands may lift at each point (the limit less what the crossover lifts, never below 0).
    std::vector<double> limFreq, limCos1, limSin1, limCos2, limSin2, headroom, lift;
    double fDataFrom = 0.0, fDataTo = 0.0;
    std::vector<SEqFitDip> dips;
};

// |H|^2 in dB of a section at e^-jw, e^-j2w.
double SectionDb(const ZUtils::SBiquad& q, double c1, double s1, double c2, double s2) {
    const double nr = q.b0 + q.b1 * c1 + q.b2 * c2, ni = q.b1 * s1 + q.b2 * s2;
    const double dr = q.a0 + q.a1 * c1 + q.a2 * c2, di = q.a1 * s1 + q.a2 * s2;
    return 10.0 * std::log10((nr * nr + ni * ni) / (dr * dr + di * di));
}

// The level of a section at the points where the boost limit is checked.
void SectionAtLimitPoints(const ZUtils::SBiquad& q, const SProblem& p, double* pOut) {
    for (std::size_t k = 0; k < p.limFreq.size(); ++k)
        pOut[k] = SectionDb(q, p.limCos1[k], p.limSin1[k], p.limCos2[k], p.limSin2[k]);
}

// The level of a section at the fit's points, as the store draws it.
void SectionAt(const ZUtils::SBiquad& q, const SProblem& p, double* pOut) {
    const ZUtils::ZResponseGrid& grid = ZUtils::ZResponseGrid::Get();
    for (std::size_t k = 0; k < p.pts.size(); ++k) {
        const int i = p.pts[k];
        pOut[k] = SectionDb(q, grid.m_fCos1[i], grid.m_fSin1[i], grid.m_fCos2[i], grid.m_fSin2[i]);
    }
}

SFilterCoef Coef(int nFreq, int nGain, int nHalfSteps) {
    SFilterCoef c{};
    c.Filtertype = FT_PEAKING;
    c.Freq = static_cast<std::uint16_t>(nFreq);
    c.Gain = static_cast<std::int8_t>(nGain);
    c.BandWidth = static_cast<float>(nHalfSteps * EqSteps::kBandWidthStep);
    return c;
}

// The bell of continuous values, with the store's design formulas.
ZUtils::SBiquad ContinuousBell(double fFreq, double fGain, double fBandWidth) {
    ZUtils::SBiquad q{};
    const double fA = std::sqrt(std::pow(10.0, fGain / 20.0));
    const double fW0 = fFreq * ZUtils::kTwoPiShort / ZUtils::kSampleRate;
    const double fAlpha = std::sin(fW0) / fBandWidth; // textbook alpha of Q = BandWidth / 2
    const double fCos = std::cos(fW0);
    q.b0 = 1.0 + fAlpha * fA;
    q.b1 = -2.0 * fCos;
    q.b2 = 1.0 - fAlpha * fA;
    q.a0 = 1.0 + fAlpha / fA;
    q.a1 = -2.0 * fCos;
    q.a2 = 1.0 - fAlpha / fA;
    return q;
}

struct SBand {
    int nFreq = 1000;
    int nGain = 0; // 0: unused
    int nHalf = 2;
};

class CStepFit {
public:
    explicit CStepFit(const SProblem& p)
        : m_P(p), m_nPts(p.pts.size()), m_nLim(p.limFreq.size()), m_Sum(m_nPts, 0.0), m_LimSum(m_nLim, 0.0) {
        for (auto& c : m_Curve)
            c.assign(m_nPts, 0.0);
        for (auto& c : m_LimCurve)
            c.assign(m_nLim, 0.0);
        m_Scratch.assign(m_nPts, 0.0);
        m_Scratch2.assign(m_nPts, 0.0);
        m_LimScratch.assign(m_nLim, 0.0);
    }

    double Error() const { return ErrorWith(-1, nullptr); }

    // Sum of squares with band b's curve replaced by pCurve (b < 0: as it is).
    double ErrorWith(int b, const double* pCurve) const {
        double e = 0.0;
        for (std::size_t k = 0; k < m_nPts; ++k) {
            double v = m_P.dev[k] + m_Sum[k];
            if (b >= 0) v += pCurve[k] - m_Curve[b][k];
            e += v * v;
        }
        return e;
    }

    void Curve(const SBand& band, double* pOut) const {
        ZUtils::SBiquad q;
        if (!Design(band, &q)) {
            std::fill(pOut, pOut + m_nPts, 0.0);
            return;
        }
        SectionAt(q, m_P, pOut);
    }

    // True when the bands with band b replaced by `band` stay within the limit everywhere; the band's
    // curve at the limit's points is left in m_LimScratch.
    bool Allowed(int b, const SBand& band) {
        ZUtils::SBiquad q;
        if (!Design(band, &q))
            std::fill(m_LimScratch.begin(), m_LimScratch.end(), 0.0);
        else
            SectionAtLimitPoints(q, m_P, m_LimScratch.data());
        for (std::size_t k = 0; k < m_nLim; ++k)
            if (m_LimSum[k] - m_LimCurve[b][k] + m_LimScratch[k] > m_P.headroom[k] + 1e-9) return false;
        return true;
    }

    // Puts `band` into slot b; Allowed(b, band) must have been called last.
    void Set(int b, const SBand& band) {
        Curve(band, m_Scratch.data());
        for (std::size_t k = 0; k < m_nPts; ++k) {
            m_Sum[k] += m_Scratch[k] - m_Curve[b][k];
            m_Curve[b][k] = m_Scratch[k];
        }
        for (std::size_t k = 0; k < m_nLim; ++k) {
            m_LimSum[k] += m_LimScratch[k] - m_LimCurve[b][k];
            m_LimCurve[b][k] = m_LimScratch[k];
        }
        m_Band[b] = band;
    }

    // Places the best single band into the empty slot b; false when none lowers the deviation.
    bool AddBand(int b) {
        const ZUtils::ZResponseGrid& grid = ZUtils::ZResponseGrid::Get();
        static constexpr int kHalves[] = {2, 3, 4, 6, 8, 10, 12, 16, 20};
        double fBest = Error() * (1.0 - 1e-9);
        SBand best;
        bool bFound = false;
        std::vector<double> r(m_nPts);
        for (std::size_t k = 0; k < m_nPts; ++k)
            r[k] = m_P.dev[k] + m_Sum[k];
        // A candidate, or when its boost breaks the limit the strongest boost of its shape that keeps it.
        auto consider = [&](SBand cand, std::vector<double>& curve) {
            for (; cand.nGain != 0; cand.nGain -= cand.nGain > 0 ? 1 : 0) {
                Curve(cand, curve.data());
                const double e = ErrorWith(b, curve.data());
                if (!(e < fBest)) return;
                if (Allowed(b, cand)) {
                    fBest = e;
                    best = cand;
                    bFound = true;
                    return;
                }
                if (cand.nGain < 0) return;
            }
        };
        for (std::size_t k = 0; k < m_nPts; k += 2) {
            const int nFreq = std::clamp(static_cast<int>(std::lround(grid.m_fFreq[m_P.pts[k]])),
                                         m_P.nFreqMin, m_P.nFreqMax);
            const int nGain0 = std::clamp(static_cast<int>(std::lround(-r[k])), m_P.nGainMin, m_P.nGainMax);
            if (nGain0 == 0) continue;
            for (int nHalf : kHalves) {
                SBand cand{nFreq, nGain0, nHalf};
                Curve(cand, m_Scratch.data());
                // The gain that fits the residual best for this shape, by least squares.
                double fNum = 0.0, fDen = 0.0;
                for (std::size_t j = 0; j < m_nPts; ++j) {
                    fNum -= r[j] * m_Scratch[j];
                    fDen += m_Scratch[j] * m_Scratch[j];
                }
                consider(cand, m_Scratch2);
                if (fDen <= 0.0) continue;
                const int nGain1 = std::clamp(static_cast<int>(std::lround(nGain0 * fNum / fDen)),
                                              m_P.nGainMin, m_P.nGainMax);
                if (nGain1 == nGain0 || nGain1 == 0) continue;
                cand.nGain = nGain1;
                consider(cand, m_Scratch2);
            }
        }
        if (!bFound) return false;
        Allowed(b, best);
        Set(b, best);
        return true;
    }

    // Moves band b step by step while that lowers the deviation within the limit; true when it moved.
    bool Descend(int b) {
        bool bMoved = false;
        for (int nGuard = 0; nGuard < 500 && m_Band[b].nGain != 0; ++nGuard) {
            const SBand cur = m_Band[b];
            std::array<SBand, 24> moves;
            int n = 0;
            for (double fOct : {1.0 / 6, 1.0 / 12, 1.0 / 24, 1.0 / 48}) {
                for (int nSign : {-1, 1}) {
                    SBand m = cur;
                    m.nFreq = std::clamp(static_cast<int>(std::lround(cur.nFreq * std::exp2(nSign * fOct))),
                                         m_P.nFreqMin, m_P.nFreqMax);
                    moves[static_cast<std::size_t>(n++)] = m;
                }
            }
            for (int nSign : {-1, 1}) {
                SBand m = cur;
                m.nFreq = std::clamp(cur.nFreq + nSign, m_P.nFreqMin, m_P.nFreqMax);
                moves[static_cast<std::size_t>(n++)] = m;
                m = cur;
                m.nGain = std::clamp(cur.nGain + nSign, m_P.nGainMin, m_P.nGainMax);
                moves[static_cast<std::size_t>(n++)] = m;
                m = cur;
                m.nHalf = std::clamp(cur.nHalf + nSign, kHalfStepsMin, kHalfStepsMax);
                moves[static_cast<std::size_t>(n++)] = m;
                for (int nSign2 : {-1, 1}) {
                    m = cur;
                    m.nGain = std::clamp(cur.nGain + nSign, m_P.nGainMin, m_P.nGainMax);
                    m.nHalf = std::clamp(cur.nHalf + nSign2, kHalfStepsMin, kHalfStepsMax);
                    moves[static_cast<std::size_t>(n++)] = m;
                }
            }
            double fBest = Error() * (1.0 - 1e-12);
            int nBest = -1;
            for (int i = 0; i < n; ++i) {
                const SBand& m = moves[static_cast<std::size_t>(i)];
                if (m.nFreq == cur.nFreq && m.nGain == cur.nGain && m.nHalf == cur.nHalf) continue;
                Curve(m, m_Scratch.data());
                const double e = ErrorWith(b, m_Scratch.data());
                if (e < fBest && Allowed(b, m)) {
                    fBest = e;
                    nBest = i;
                }
            }
            if (nBest < 0) break;
            Allowed(b, moves[static_cast<std::size_t>(nBest)]);
            Set(b, moves[static_cast<std::size_t>(nBest)]);
            bMoved = true;
        }
        return bMoved;
    }

    void DescendAll() {
        for (int nSweep = 0; nSweep < 100; ++nSweep) {
            bool bMoved = false;
            for (int b = 0; b < kBands; ++b)
                bMoved = Descend(b) || bMoved;
            if (!bMoved) break;
        }
    }

    // Takes the bands one by one; a boost the limit does not allow with those before it is lowered
    // until it does.
    void Load(const std::array<SBand, kBands>& bands) {
        for (int b = 0; b < kBands; ++b) {
            SBand band = bands[static_cast<std::size_t>(b)];
            while (!Allowed(b, band) && band.nGain > 0)
                --band.nGain;
            if (!Allowed(b, band)) band.nGain = 0;
            Allowed(b, band);
            Set(b, band);
        }
    }

    void Run() {
        for (int nRound = 0; nRound < 3; ++nRound) {
            bool bAdded = false;
            for (int b = 0; b < kBands; ++b) {
                if (m_Band[b].nGain != 0) continue;
                if (!AddBand(b)) break;
                Descend(b);
                bAdded = true;
            }
            DescendAll();
            if (!bAdded) break;
        }
    }

    const SBand& Band(int b) const { return m_Band[b]; }

private:
    static bool Design(const SBand& band, ZUtils::SBiquad* pQ) {
        return band.nGain != 0 && ZUtils::DesignSection(Coef(band.nFreq, band.nGain, band.nHalf), 0, pQ);
    }

    const SProblem& m_P;
    std::size_t m_nPts, m_nLim;
    std::vector<double> m_Sum, m_LimSum;
    std::array<std::vector<double>, kBands> m_Curve, m_LimCurve;
    std::array<SBand, kBands> m_Band;
    std::vector<double> m_Scratch, m_Scratch2, m_LimScratch;
};

// The stretches more than half kDipNamedDepth under the target whose deepest point has sides rising
// past half its depth within the range, when deeper or narrower than the settings allow: named, and
// their points taken out of the fit.
void LeaveDipsAlone(const SEqFitSettings& s, SProblem* p) {
    const ZUtils::ZResponseGrid& grid = ZUtils::ZResponseGrid::Get();
    const std::size_t n = p->pts.size();
    auto octave = [&](std::size_t k) { return std::log2(grid.m_fFreq[p->pts[k]]); };
    // Where the deviation crosses fLevel between points k0 and k1, in octaves.
    auto crossing = [&](std::size_t k0, std::size_t k1, double fLevel) {
        const double y0 = p->dev[k0], y1 = p->dev[k1];
        return octave(k0) + (fLevel - y0) * (octave(k1) - octave(k0)) / (y1 - y0);
    };
    std::vector<bool> drop(n, false);
    const double fEdge = -kDipNamedDepth / 2.0;
    std::size_t k = 0;
    while (k < n) {
        if (!(p->dev[k] < fEdge)) {
            ++k;
            continue;
        }
        const std::size_t a = k;
        while (k < n && p->dev[k] < fEdge)
            ++k;
        std::size_t m = a;
        for (std::size_t j = a; j < k; ++j)
            if (p->dev[j] < p->dev[m]) m = j;
        SEqFitDip dip;
        dip.fDepth = -p->dev[m];
        if (dip.fDepth < kDipNamedDepth) continue;
        const double fHalf = p->dev[m] / 2.0;
        std::size_t l = m, r = m;
        while (l > 0 && p->dev[l - 1] <= fHalf)
            --l;
        while (r + 1 < n && p->dev[r + 1] <= fHalf)
            ++r;
        // Without a side rising past half the depth within the range it is a roll-off, not a dip.
        if (l == 0 || r + 1 == n) continue;
        dip.fWidth = crossing(r, r + 1, fHalf) - crossing(l - 1, l, fHalf);
        dip.bTooDeep = dip.fDepth > s.fMaxDipDepth;
        dip.bTooNarrow = dip.fWidth < s.fMinDipWidth;
        if (!dip.bTooDeep && !dip.bTooNarrow) continue;
        dip.fFreq = grid.m_fFreq[p->pts[m]];
        dip.nPoints = static_cast<int>(k - a);
        for (std::size_t j = a; j < k; ++j)
            drop[j] = true;
        p->dips.push_back(dip);
    }
    // The fit sees a dip left alone as the straight line between its edges, so that filling it is an
    // overshoot like any other.
    p->counted.assign(n, true);
    for (std::size_t j = 0; j < n;) {
        if (!drop[j]) {
            ++j;
            continue;
        }
        std::size_t e = j;
        while (e < n && drop[e])
            ++e;
        const double y0 = j > 0 ? p->dev[j - 1] : p->dev[e];
        const double y1 = e < n ? p->dev[e] : y0;
        for (std::size_t i = j; i < e; ++i) {
            p->dev[i] = y0 + (y1 - y0) * double(i - j + 1) / double(e - j + 1);
            p->counted[i] = false;
        }
        j = e;
    }
}

// The grid subdivided up to kLimitTopFreq, with how much the bands may lift at each point: the limit,
// less what the crossover already lifts there (interpolated between the grid's points).
void BuildLimitPoints(const SEqFitInput& in, double fLimit, SProblem* p) {
    const ZUtils::ZResponseGrid& grid = ZUtils::ZResponseGrid::Get();
    auto liftAt = [&](int i) {
        const auto u = static_cast<std::size_t>(i);
        return u < in.xover.size() && std::isfinite(in.xover[u]) ? std::max(0.0, in.xover[u]) : 0.0;
    };
    for (int i = 0; i + 1 < grid.m_nCount && grid.m_fFreq[i] <= kLimitTopFreq; ++i) {
        const double fRatio = grid.m_fFreq[i + 1] / grid.m_fFreq[i];
        for (int j = 0; j < kLimitSubdivision; ++j) {
            const double t = double(j) / kLimitSubdivision;
            const double f = grid.m_fFreq[i] * std::pow(fRatio, t);
            const double w = f * ZUtils::kTwoPiShort / ZUtils::kSampleRate;
            const double fLift = liftAt(i) + t * (liftAt(i + 1) - liftAt(i));
            p->limFreq.push_back(f);
            p->limCos1.push_back(std::cos(w));
            p->limSin1.push_back(std::sin(-w));
            p->limCos2.push_back(std::cos(2.0 * w));
            p->limSin2.push_back(std::sin(-2.0 * w));
            p->lift.push_back(fLift);
            p->headroom.push_back(std::max(0.0, fLimit - fLift));
        }
    }
}

bool BuildProblem(const SEqFitInput& in, const SEqFitSettings& s, SProblem* p, std::string* pError) {
    const ZUtils::ZResponseGrid& grid = ZUtils::ZResponseGrid::Get();
    if (in.measured.size() < RESPONSE_POINTS || in.target.size() < RESPONSE_POINTS) {
        *pError = "No measurement or target on the grid.";
        return false;
    }
    if (!(s.fFrom > 0.0) || !(s.fTo > s.fFrom)) {
        *pError = "The fit range is empty.";
        return false;
    }
    for (int i = 0; i < grid.m_nCount; ++i) {
        const auto u = static_cast<std::size_t>(i);
        if (grid.m_fFreq[i] < s.fFrom || grid.m_fFreq[i] > s.fTo) continue;
        const double x = u < in.xover.size() ? in.xover[u] : 0.0;
        const double d = in.measured[u] + x - in.target[u];
        if (!std::isfinite(d)) continue;
        p->pts.push_back(i);
        p->dev.push_back(d);
    }
    if (!p->pts.empty()) {
        p->fDataFrom = grid.m_fFreq[p->pts.front()];
        p->fDataTo = grid.m_fFreq[p->pts.back()];
    }
    LeaveDipsAlone(s, p);
    if (std::count(p->counted.begin(), p->counted.end(), true) < 8) {
        *pError = "Fewer than eight points of the grid lie in the fit range where both the measurement and "
                  "the target are known.";
        return false;
    }
    p->nGainMax = std::clamp(s.nMaxBoost, 0, EqSteps::kGainMax);
    p->nFreqMin = std::clamp(static_cast<int>(std::ceil(s.fFrom)), EqSteps::kFreqMin, EqSteps::kFreqMax);
    p->nFreqMax = std::clamp(static_cast<int>(std::floor(s.fTo)), p->nFreqMin, EqSteps::kFreqMax);
    BuildLimitPoints(in, double(p->nGainMax), p);
    return true;
}

double Rms(double fSumSquares, std::size_t n) {
    return n ? std::sqrt(fSumSquares / static_cast<double>(n)) : std::numeric_limits<double>::quiet_NaN();
}

// The used bands in ascending frequency, then flat bands.
void Finish(const std::array<SBand, kBands>& bands, SEqFitResult* r) {
    std::vector<SBand> used;
    for (const SBand& b : bands)
        if (b.nGain != 0) used.push_back(b);
    std::stable_sort(used.begin(), used.end(),
                     [](const SBand& a, const SBand& b) { return a.nFreq < b.nFreq; });
    r->nUsed = static_cast<int>(used.size());
    for (int b = 0; b < kBands; ++b)
        r->bands[b] = b < r->nUsed ? Coef(used[static_cast<std::size_t>(b)].nFreq,
                                          used[static_cast<std::size_t>(b)].nGain,
                                          used[static_cast<std::size_t>(b)].nHalf)
                                   : EqSteps::FlatBand(b);
}

double SumSquares(const SProblem& p, const SFilterCoef* pBands) {
    std::vector<double> sum(p.pts.size(), 0.0), curve(p.pts.size());
    for (int b = 0; b < kBands; ++b) {
        ZUtils::SBiquad q;
        if (pBands[b].Gain == 0 || !ZUtils::DesignSection(pBands[b], 0, &q)) continue;
        SectionAt(q, p, curve.data());
        for (std::size_t k = 0; k < sum.size(); ++k)
            sum[k] += curve[k];
    }
    // Over the points in the figures only.
    double e = 0.0;
    for (std::size_t k = 0; k < sum.size(); ++k)
        if (p.counted[k]) e += (p.dev[k] + sum[k]) * (p.dev[k] + sum[k]);
    return e;
}

std::size_t CountedPoints(const SProblem& p) {
    return static_cast<std::size_t>(std::count(p.counted.begin(), p.counted.end(), true));
}

// Never worse than flat: flat bands when the fit does not beat them.
void KeepBest(const SProblem& p, SEqFitResult* r) {
    double fBefore = 0.0;
    for (std::size_t k = 0; k < p.dev.size(); ++k)
        if (p.counted[k]) fBefore += p.dev[k] * p.dev[k];
    const double fAfter = SumSquares(p, r->bands);
    const std::size_t nCounted = CountedPoints(p);
    r->nPoints = static_cast<int>(nCounted);
    r->fDataFrom = p.fDataFrom;
    r->fDataTo = p.fDataTo;
    r->dips = p.dips;
    r->fRmsBefore = Rms(fBefore, nCounted);
    r->fRmsAfter = Rms(fAfter, nCounted);
    if (!(fAfter < fBefore)) {
        for (int b = 0; b < kBands; ++b)
            r->bands[b] = EqSteps::FlatBand(b);
        r->nUsed = 0;
        r->fRmsAfter = r->fRmsBefore;
    }
    // The highest level of the combined curve: the bands plus what the crossover lifts.
    std::vector<double> sum(p.lift), curve(p.limFreq.size());
    for (int b = 0; b < kBands; ++b) {
        ZUtils::SBiquad q;
        if (r->bands[b].Gain == 0 || !ZUtils::DesignSection(r->bands[b], 0, &q)) continue;
        SectionAtLimitPoints(q, p, curve.data());
        for (std::size_t k = 0; k < sum.size(); ++k)
            sum[k] += curve[k];
    }
    r->fMaxBoost = 0.0;
    for (std::size_t k = 0; k < sum.size(); ++k) {
        if (sum[k] > r->fMaxBoost) {
            r->fMaxBoost = sum[k];
            r->fMaxBoostFreq = p.limFreq[k];
        }
    }
    r->bOk = true;
}

// From the bands of a step fit, the bands' frequency, gain and BandWidth searched as continuous values
// (a pattern search with shrinking steps), and the optimum rounded to the steps.
std::array<SBand, kBands> ContinuousRounded(const SProblem& p, const std::array<SBand, kBands>& start) {
    const std::size_t n = p.pts.size();
    // Per band: log2 frequency, gain, BandWidth.
    std::array<std::array<double, 3>, kBands> x;
    for (int b = 0; b < kBands; ++b) {
        const SBand& s = start[static_cast<std::size_t>(b)];
        const int nFreq =
            std::clamp(s.nGain ? s.nFreq : int(CRev8001Lib::DEFAULT_EQ_FREQ[b]), p.nFreqMin, p.nFreqMax);
        x[static_cast<std::size_t>(b)] = {std::log2(double(nFreq)), double(s.nGain), s.nHalf * 0.5};
    }
    const double lo[3] = {std::log2(double(p.nFreqMin)), double(p.nGainMin), EqSteps::kBandWidthMin};
    const double hi[3] = {std::log2(double(p.nFreqMax)), double(p.nGainMax), EqSteps::kBandWidthMax};
    std::array<std::vector<double>, kBands> curves;
    std::vector<double> sum(n, 0.0), scratch(n);
    auto curveOf = [&](const std::array<double, 3>& v, double* pOut) {
        SectionAt(ContinuousBell(std::exp2(v[0]), v[1], v[2]), p, pOut);
    };
    for (int b = 0; b < kBands; ++b) {
        curves[static_cast<std::size_t>(b)].resize(n);
        curveOf(x[static_cast<std::size_t>(b)], curves[static_cast<std::size_t>(b)].data());
        for (std::size_t k = 0; k < n; ++k)
            sum[k] += curves[static_cast<std::size_t>(b)][k];
    }
    auto errorWith = [&](int b, const double* pCurve) {
        double e = 0.0;
        for (std::size_t k = 0; k < n; ++k) {
            const double v = p.dev[k] + sum[k] + pCurve[k] - curves[static_cast<std::size_t>(b)][k];
            e += v * v;
        }
        return e;
    };
    double step[3] = {1.0 / 6, 1.0, 0.5};
    double fErr = errorWith(0, curves[0].data());
    for (int nSweep = 0; nSweep < 400 && step[0] > 1.0 / 512; ++nSweep) {
        bool bMoved = false;
        for (int b = 0; b < kBands; ++b) {
            auto& xb = x[static_cast<std::size_t>(b)];
            for (int j = 0; j < 3; ++j) {
                for (double sign : {-1.0, 1.0}) {
                    std::array<double, 3> cand = xb;
                    cand[static_cast<std::size_t>(j)] =
                        std::clamp(cand[static_cast<std::size_t>(j)] + sign * step[j], lo[j], hi[j]);
                    curveOf(cand, scratch.data());
                    const double e = errorWith(b, scratch.data());
                    if (e < fErr) {
                        auto& cb = curves[static_cast<std::size_t>(b)];
                        for (std::size_t k = 0; k < n; ++k) {
                            sum[k] += scratch[k] - cb[k];
                            cb[k] = scratch[k];
                        }
                        xb = cand;
                        fErr = e;
                        bMoved = true;
                    }
                }
            }
        }
        if (!bMoved)
            for (double& s : step)
                s *= 0.5;
    }
    std::array<SBand, kBands> bands;
    for (int b = 0; b < kBands; ++b) {
        const auto& xb = x[static_cast<std::size_t>(b)];
        SBand& s = bands[static_cast<std::size_t>(b)];
        s.nFreq = std::clamp(static_cast<int>(std::lround(std::exp2(xb[0]))), p.nFreqMin, p.nFreqMax);
        s.nGain = std::clamp(static_cast<int>(std::lround(xb[1])), p.nGainMin, p.nGainMax);
        s.nHalf = std::clamp(static_cast<int>(std::lround(xb[2] * 2.0)), kHalfStepsMin, kHalfStepsMax);
    }
    return bands;
}

std::array<SBand, kBands> BandsOf(const CStepFit& fit) {
    std::array<SBand, kBands> bands;
    for (int b = 0; b < kBands; ++b)
        bands[static_cast<std::size_t>(b)] = fit.Band(b);
    return bands;
}

} // namespace

SEqFitResult FitEqualizer(const SEqFitInput& input, const SEqFitSettings& settings) {
    SEqFitResult r;
    SProblem p;
    if (!BuildProblem(input, settings, &p, &r.szError)) return r;
    // Two starts, each searched on the steps until no step helps; the better one is kept. The
    // second starts from the continuous optimum rounded, so the fit is never worse than that.
    CStepFit greedy(p);
    greedy.Run();
    CStepFit relaxed(p);
    relaxed.Load(ContinuousRounded(p, BandsOf(greedy)));
    relaxed.Run();
    Finish(BandsOf(relaxed.Error() < greedy.Error() ? relaxed : greedy), &r);
    KeepBest(p, &r);
    return r;
}

SEqFitResult FitContinuousThenRound(const SEqFitInput& input, const SEqFitSettings& settings) {
    SEqFitResult r;
    SProblem p;
    if (!BuildProblem(input, settings, &p, &r.szError)) return r;
    CStepFit start(p);
    start.Run();
    // The rounded optimum, its boosts lowered where they break the limit.
    CStepFit rounded(p);
    rounded.Load(ContinuousRounded(p, BandsOf(start)));
    Finish(BandsOf(rounded), &r);
    KeepBest(p, &r);
    return r;
}

double EqFitDeviation(const SEqFitInput& input, const SEqFitSettings& settings, const SFilterCoef* pBands) {
    SProblem p;
    std::string error;
    if (!BuildProblem(input, settings, &p, &error)) return std::numeric_limits<double>::quiet_NaN();
    return Rms(SumSquares(p, pBands), CountedPoints(p));
}

void AddCookbookBell(double fFreq, double fGainDb, double fQ, double* pCurve) {
    ZUtils::SBiquad q{};
    const double fA = std::pow(10.0, fGainDb / 40.0);
    const double fW0 = 2.0 * std::numbers::pi * fFreq / ZUtils::kSampleRate;
    const double fAlpha = std::sin(fW0) / (2.0 * fQ);
    q.b0 = 1.0 + fAlpha * fA;
    q.b1 = -2.0 * std::cos(fW0);
    q.b2 = 1.0 - fAlpha * fA;
    q.a0 = 1.0 + fAlpha / fA;
    q.a1 = -2.0 * std::cos(fW0);
    q.a2 = 1.0 - fAlpha / fA;
    ZUtils::AddSectionCurve(q, pCurve);
}
