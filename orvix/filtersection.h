// Design of one filter section from its parameter record and its magnitude response on the fixed
// logarithmic frequency grid the response graph is drawn on.
//
// Every value is computed in double precision. Two evaluations are offered: the straightforward one,
// which computes the grid and its cosines and sines point by point as it goes, and the one the store
// uses, which reads the same grid terms from tables built once. Both run the same arithmetic in the
// same order on the same terms, so their results are identical to the bit.
#pragma once

#include "comm/sfiltercoef.h"

#include <cstdint>

// Number of points of the response grid (10 Hz up to about 195794.8 Hz).
constexpr int RESPONSE_POINTS = 331;

namespace ZUtils {

constexpr double kSampleRate = 192000.0;
// w0 of low- and high-pass sections.
constexpr double kTwoPiExact = 6.283185307179586;
// w0 of peaking sections and every grid frequency.
constexpr double kTwoPiShort = 6.283185308;
constexpr double kGridFirstFreq = 10.0;
// Each grid frequency is the previous one times this ratio, rounded to double.
constexpr double kGridRatio = 1.03039907;
// The grid stops before this frequency.
constexpr double kGridLimit = 200000.0;
// 2^127: the quotient of a division by a (nearly) vanishing denominator.
constexpr double kDivisionGuard = 1.7014118346046923e38;

// A value of a section's response that is not a finite number is replaced: +inf by the ceiling (the
// level of a guarded quotient, 20·log10(sqrt(2)·2^127)), -inf by the negated ceiling, NaN by 0 dB.
// The curve therefore holds finite numbers only, whatever record it was built from.
extern const double kResponseCeilingDb;

// H(z) = (b0 + b1 z^-1 + b2 z^-2) / (a0 + a1 z^-1 + a2 z^-2)
struct SBiquad {
    double b0, b1, b2;
    double a0, a1, a2;
};

// Designs the section of `coef`: peaking for type 1; low-pass (2) or high-pass (3), first order when
// bFirstOrder is 1 and second order otherwise. Returns 1 with the coefficients in *pOut, or 0 when the
// record draws nothing: type 0 (off), a type above 3, or a record whose coefficients are not all finite
// numbers (a quality factor of 0 or NaN, for example).
int DesignSection(const SFilterCoef& coef, std::uint8_t bFirstOrder, SBiquad* pOut);

// The guarded complex division n / d.
void GuardedDivide(double fNumRe, double fNumIm, double fDenRe, double fDenIm, double* pRe, double* pIm);

// The fixed grid with the real and imaginary parts of e^-jw and e^-j2w at each point.
struct ZResponseGrid {
    double m_fFreq[RESPONSE_POINTS];
    double m_fCos1[RESPONSE_POINTS];
    double m_fSin1[RESPONSE_POINTS]; // sin(-w)
    double m_fCos2[RESPONSE_POINTS];
    double m_fSin2[RESPONSE_POINTS]; // sin(-2w)
    int m_nCount;

    // Built on first use (thread-safe), then read-only.
    static const ZResponseGrid& Get();
};

// Adds the section's response in dB to the curve's RESPONSE_POINTS values; returns the number of grid
// points (RESPONSE_POINTS).
int AddSectionCurve(const SBiquad& biquad, double* pCurve);

// The same, computing the grid frequency, cosines and sines at every point as it goes.
int AddSectionCurveReference(const SBiquad& biquad, double* pCurve);

} // namespace ZUtils
