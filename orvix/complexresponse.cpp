#include "orvix/complexresponse.h"

#include "orvix/rev8001lib.h"
#include "orvix/sectionpoint.h"

#include <algorithm>
#include <cmath>

namespace ZUtils {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegPerRad = 180.0 / kPi;

} // namespace

void ZComplexCurve::Clear() {
    for (int i = 0; i < RESPONSE_POINTS; ++i) {
        m_fDb[i] = 0.0;
        m_fPhaseDeg[i] = 0.0;
    }
    m_nCount = ZResponseGrid::Get().m_nCount;
}

void ZComplexCurve::Multiply(const ZComplexCurve& other) {
    m_nCount = std::min(m_nCount, other.m_nCount);
    for (int i = 0; i < m_nCount; ++i) {
        m_fDb[i] += other.m_fDb[i];
        m_fPhaseDeg[i] += other.m_fPhaseDeg[i];
    }
}

void ZComplexCurve::Value(int i, double* pRe, double* pIm) const {
    const double fDb = std::clamp(m_fDb[i], -kResponseCeilingDb, kResponseCeilingDb);
    const double fMagnitude = std::pow(10.0, fDb / 20.0);
    const double fRad = m_fPhaseDeg[i] / kDegPerRad;
    *pRe = fMagnitude * std::cos(fRad);
    *pIm = fMagnitude * std::sin(fRad);
}

void MultiplySections(const SBiquad* pSections, int nSections, ZComplexCurve* pCurve) {
    const ZResponseGrid& grid = ZResponseGrid::Get();
    const int nCount = grid.m_nCount;
    pCurve->m_nCount = nCount;
    double fRe[RESPONSE_POINTS], fIm[RESPONSE_POINTS];
    for (int s = 0; s < nSections; ++s) {
        const SBiquad& q = pSections[s];
        for (int i = 0; i < nCount; ++i)
            PointQuotient(q, grid.m_fCos1[i], grid.m_fSin1[i], grid.m_fCos2[i], grid.m_fSin2[i], &fRe[i],
                          &fIm[i]);
        double fPrev = 0.0, fTurns = 0.0;
        for (int i = 0; i < nCount; ++i) {
            pCurve->m_fDb[i] += LevelDb(std::sqrt(fRe[i] * fRe[i] + fIm[i] * fIm[i]));
            // One section turns slowly along the grid: a step of more than half a turn is a wrap.
            const double fDeg = std::atan2(fIm[i], fRe[i]) * kDegPerRad;
            if (i > 0) fTurns -= 360.0 * std::round((fDeg - fPrev) / 360.0);
            fPrev = fDeg;
            pCurve->m_fPhaseDeg[i] += fDeg + fTurns;
        }
    }
}

void ApplyTrim(const SOutputTrim& trim, ZComplexCurve* pCurve) {
    const ZResponseGrid& grid = ZResponseGrid::Get();
    for (int i = 0; i < pCurve->m_nCount; ++i) {
        pCurve->m_fDb[i] += trim.fLevelDb;
        pCurve->m_fPhaseDeg[i] +=
            (trim.bInvert ? 180.0 : 0.0) - 360.0 * grid.m_fFreq[i] * trim.nDelaySamples / kDelaySampleRate;
    }
}

void CalcOutputResponse(const CRev8001Lib& lib, int bEq, int nChannel, int bXover, const SOutputTrim& trim,
                        ZComplexCurve* pOut) {
    pOut->Clear();
    SBiquad sections[CRev8001Lib::MAX_CHANNEL_SECTIONS];
    const int nSections = lib.ChannelSections(bEq, nChannel, bXover, sections);
    MultiplySections(sections, nSections, pOut);
    ApplyTrim(trim, pOut);
}

void ZComplexSum::Clear() {
    for (int i = 0; i < RESPONSE_POINTS; ++i) {
        m_fRe[i] = 0.0;
        m_fIm[i] = 0.0;
    }
    m_nTerms = 0;
}

void ZComplexSum::Add(const ZComplexCurve& curve) {
    for (int i = 0; i < curve.m_nCount; ++i) {
        double fRe, fIm;
        curve.Value(i, &fRe, &fIm);
        m_fRe[i] += fRe;
        m_fIm[i] += fIm;
    }
    ++m_nTerms;
}

void ZComplexSum::Add(const ZComplexCurve& curve, const ZComplexCurve& factor) {
    ZComplexCurve product = curve;
    product.Multiply(factor);
    Add(product);
}

void ZComplexSum::Result(ZComplexCurve* pOut) const {
    pOut->m_nCount = ZResponseGrid::Get().m_nCount;
    for (int i = 0; i < pOut->m_nCount; ++i) {
        pOut->m_fDb[i] = LevelDb(std::hypot(m_fRe[i], m_fIm[i]));
        pOut->m_fPhaseDeg[i] = std::atan2(m_fIm[i], m_fRe[i]) * kDegPerRad;
    }
}

double WrapDegrees(double fDeg) {
    if (!std::isfinite(fDeg)) return 0.0;
    double f = std::fmod(fDeg, 360.0);
    if (f > 180.0) f -= 360.0;
    if (f <= -180.0) f += 360.0;
    return f;
}

void UnwrapDegrees(double* pDeg, int nCount) {
    double fTurns = 0.0;
    for (int i = 1; i < nCount; ++i) {
        const double fStep = pDeg[i] + fTurns - pDeg[i - 1];
        fTurns -= 360.0 * std::round(fStep / 360.0);
        pDeg[i] += fTurns;
    }
}

} // namespace ZUtils
