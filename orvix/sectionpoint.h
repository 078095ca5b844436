// The per-point arithmetic of a section's response on the grid, shared by the magnitude curve and the
// complex response so that both compute the same numbers. Internal to orvix/.
#pragma once

#include "orvix/filtersection.h"

#include <cmath>

namespace ZUtils {

// Written without branches so that a loop over the grid can run it on several points at once; the
// results are the same.
inline void GuardedDivideInline(double fNumRe, double fNumIm, double fDenRe, double fDenIm, double* pRe,
                                double* pIm) {
    const double fS = fDenRe * fDenRe + fDenIm * fDenIm;
    const double fP = fNumRe * fDenRe + fNumIm * fDenIm;
    const double fQ = fNumIm * fDenRe - fNumRe * fDenIm;
    const double fLimit = fS * kDivisionGuard;
    const bool bGuard = (fS < 1.0) & ((std::fabs(fP) > fLimit) | (std::fabs(fQ) > fLimit) | (fS == 0.0));
    *pRe = bGuard ? kDivisionGuard : fP / fS;
    *pIm = bGuard ? kDivisionGuard : fQ / fS;
}

// H at one grid point, given e^-jw = (c1, s1) and e^-j2w = (c2, s2).
inline void PointQuotient(const SBiquad& q, double c1, double s1, double c2, double s2, double* pRe,
                          double* pIm) {
    const double fNumRe = q.b0 + q.b1 * c1 + q.b2 * c2;
    const double fNumIm = q.b1 * s1 + q.b2 * s2;
    const double fDenRe = q.a0 + q.a1 * c1 + q.a2 * c2;
    const double fDenIm = q.a1 * s1 + q.a2 * s2;
    GuardedDivideInline(fNumRe, fNumIm, fDenRe, fDenIm, pRe, pIm);
}

// |H| at one grid point.
inline double PointMagnitude(const SBiquad& q, double c1, double s1, double c2, double s2) {
    double fRe, fIm;
    PointQuotient(q, c1, s1, c2, s2, &fRe, &fIm);
    return std::sqrt(fRe * fRe + fIm * fIm);
}

// The level in dB of a magnitude, kept finite.
inline double LevelDb(double fMagnitude) {
    const double fDb = 20.0 * std::log10(fMagnitude);
    if (std::isfinite(fDb)) [[likely]]
        return fDb;
    if (std::isnan(fDb)) return 0.0;
    return fDb > 0 ? kResponseCeilingDb : -kResponseCeilingDb;
}

} // namespace ZUtils
