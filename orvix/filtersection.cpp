#include "orvix/filtersection.h"

#include "comm/trace.h"
#include "orvix/sectionpoint.h"

#include <cmath>

namespace ZUtils {

const double kResponseCeilingDb = 20.0 * std::log10(std::sqrt(2.0) * kDivisionGuard);

namespace {

bool AllFinite(const SBiquad& q) {
    return std::isfinite(q.b0) && std::isfinite(q.b1) && std::isfinite(q.b2) && std::isfinite(q.a0) &&
           std::isfinite(q.a1) && std::isfinite(q.a2);
}

void DesignPeaking(const SFilterCoef& coef, SBiquad* pOut) {
    const double fQ = coef.BandWidth;
    const double fA = std::sqrt(std::pow(10.0, coef.Gain / 20.0));
    const double fW0 = coef.Freq * kTwoPiShort / kSampleRate;
    double fAlpha = std::sin(fW0) / (2.0 * fQ);
    // Twice the textbook alpha: the drawn bell is as wide as a textbook bell of half the Q.
    fAlpha *= 2.0;
    const double fCos = std::cos(fW0);
    pOut->b0 = 1.0 + fAlpha * fA;
    pOut->b1 = -2.0 * fCos;
    pOut->b2 = 1.0 - fAlpha * fA;
    pOut->a0 = 1.0 + fAlpha / fA;
    pOut->a1 = -2.0 * fCos;
    pOut->a2 = 1.0 - fAlpha / fA;
}

// Bilinear transform with the corner prewarped.
void DesignPass(const SFilterCoef& coef, bool bHighPass, bool bFirstOrder, SBiquad* pOut) {
    const double fW0 = coef.Freq * kTwoPiExact / kSampleRate;
    const double fK = std::tan(fW0 / 2.0);
    pOut->a0 = 1.0;
    if (bFirstOrder) {
        pOut->b0 = bHighPass ? 1.0 / (fK + 1.0) : fK / (fK + 1.0);
        pOut->b1 = bHighPass ? -1.0 / (fK + 1.0) : fK / (fK + 1.0);
        pOut->b2 = 0.0;
        pOut->a1 = (fK - 1.0) / (fK + 1.0);
        pOut->a2 = 0.0;
        return;
    }
    const double fQ = coef.BandWidth;
    const double fK2 = fK * fK;
    const double fD = 1.0 + fK / fQ + fK2;
    if (bHighPass) {
        pOut->b0 = 1.0 / fD;
        pOut->b1 = -2.0 / fD;
        pOut->b2 = 1.0 / fD;
    } else {
        pOut->b0 = fK2 / fD;
        pOut->b1 = 2.0 * fK2 / fD;
        pOut->b2 = fK2 / fD;
    }
    pOut->a1 = 2.0 * (fK2 - 1.0) / fD;
    pOut->a2 = (1.0 - fK / fQ + fK2) / fD;
}

} // namespace

int DesignSection(const SFilterCoef& coef, std::uint8_t bFirstOrder, SBiquad* pOut) {
    switch (coef.Filtertype) {
    case FT_PEAKING:
        DesignPeaking(coef, pOut);
        break;
    case FT_LOWPASS:
    case FT_HIGHPASS:
        DesignPass(coef, coef.Filtertype == FT_HIGHPASS, bFirstOrder == 1, pOut);
        break;
    case FT_OFF:
        return 0;
    default:
        TRACE("\r\n filter type %u is not drawn (F %u Hz)\r\n", unsigned(coef.Filtertype),
              unsigned(coef.Freq));
        return 0;
    }
    if (!AllFinite(*pOut)) {
        TRACE("\r\n filter type %u, F %u Hz, Q %g: no finite section, not drawn\r\n",
              unsigned(coef.Filtertype), unsigned(coef.Freq), double(coef.BandWidth));
        return 0;
    }
    return 1;
}

void GuardedDivide(double fNumRe, double fNumIm, double fDenRe, double fDenIm, double* pRe, double* pIm) {
    GuardedDivideInline(fNumRe, fNumIm, fDenRe, fDenIm, pRe, pIm);
}

const ZResponseGrid& ZResponseGrid::Get() {
    static const ZResponseGrid s_grid = [] {
        ZResponseGrid grid{};
        double fFreq = kGridFirstFreq;
        int i = 0;
        while (fFreq < kGridLimit && i < RESPONSE_POINTS) {
            const double fW = fFreq * kTwoPiShort / kSampleRate;
            grid.m_fFreq[i] = fFreq;
            grid.m_fCos1[i] = std::cos(fW);
            grid.m_fSin1[i] = std::sin(-fW);
            grid.m_fCos2[i] = std::cos(2.0 * fW);
            grid.m_fSin2[i] = std::sin(-2.0 * fW);
            ++i;
            fFreq = fFreq * kGridRatio;
        }
        grid.m_nCount = i;
        return grid;
    }();
    return s_grid;
}

int AddSectionCurve(const SBiquad& biquad, double* pCurve) {
    const ZResponseGrid& grid = ZResponseGrid::Get();
    const int nCount = grid.m_nCount;
    // Magnitudes first, in a loop free of calls, then their levels.
    double fMagnitude[RESPONSE_POINTS];
    for (int i = 0; i < nCount; ++i)
        fMagnitude[i] =
            PointMagnitude(biquad, grid.m_fCos1[i], grid.m_fSin1[i], grid.m_fCos2[i], grid.m_fSin2[i]);
    for (int i = 0; i < nCount; ++i)
        pCurve[i] += LevelDb(fMagnitude[i]);
    return nCount;
}

int AddSectionCurveReference(const SBiquad& biquad, double* pCurve) {
    double fFreq = kGridFirstFreq;
    int i = 0;
    while (fFreq < kGridLimit && i < RESPONSE_POINTS) {
        const double fW = fFreq * kTwoPiShort / kSampleRate;
        pCurve[i] += LevelDb(
            PointMagnitude(biquad, std::cos(fW), std::sin(-fW), std::cos(2.0 * fW), std::sin(-2.0 * fW)));
        ++i;
        fFreq = fFreq * kGridRatio;
    }
    return i;
}

} // namespace ZUtils
