// The complex response of one output on the response grid: the sections of its equalizer and
// crossover exactly as the graph draws them, then its level, polarity and delay. A curve keeps the
// level in dB (the same numbers as the magnitude curve) and the phase in degrees, so a further factor
// (a measured acoustic response, for example) multiplies in by adding both.
#pragma once

#include "orvix/filtersection.h"

class CRev8001Lib;

namespace ZUtils {

// Delays count samples at this rate, whatever rate the sections are drawn at.
constexpr double kDelaySampleRate = 48000.0;

// What the processor does to an output after its filters.
struct SOutputTrim {
    double fLevelDb = 0.0;
    int bInvert = 0;       // polarity inverted
    int nDelaySamples = 0; // at 48 kHz
};

struct ZComplexCurve {
    double m_fDb[RESPONSE_POINTS];
    // Continuous along the grid (every section's angle unwrapped on its own, the delay exact), so it
    // is the unwrapped phase; WrapDegrees gives the wrapped one.
    double m_fPhaseDeg[RESPONSE_POINTS];
    int m_nCount = RESPONSE_POINTS;

    bool operator==(const ZComplexCurve&) const = default;
    // 0 dB and 0 degrees everywhere: a channel with everything off.
    void Clear();
    // Multiplies another response in, point by point.
    void Multiply(const ZComplexCurve& other);
    // The real and imaginary parts at point i (levels beyond the ceiling are held at it).
    void Value(int i, double* pRe, double* pIm) const;
};

// Multiplies the sections' responses into the curve, in order. The levels are added exactly as the
// magnitude curve adds them, so an untrimmed response has that curve's numbers to the bit.
void MultiplySections(const SBiquad* pSections, int nSections, ZComplexCurve* pCurve);
// Level, polarity and delay.
void ApplyTrim(const SOutputTrim& trim, ZComplexCurve* pCurve);
// One channel of the store with the flags CalcChannelResponse takes, then the trim.
void CalcOutputResponse(const CRev8001Lib& lib, int bEq, int nChannel, int bXover, const SOutputTrim& trim,
                        ZComplexCurve* pOut);

// The complex sum of several outputs.
class ZComplexSum {
public:
    ZComplexSum() { Clear(); }
    void Clear();
    void Add(const ZComplexCurve& curve);
    // Adds curve × factor: the processor's response times what the speaker and the room add to it.
    void Add(const ZComplexCurve& curve, const ZComplexCurve& factor);
    int Terms() const { return m_nTerms; }
    // Level (finite; silence reads as the negated ceiling) and the wrapped phase of the sum.
    void Result(ZComplexCurve* pOut) const;

private:
    double m_fRe[RESPONSE_POINTS];
    double m_fIm[RESPONSE_POINTS];
    int m_nTerms = 0;
};

// An angle in (-180, 180].
double WrapDegrees(double fDeg);
// Removes the jumps of more than 180 degrees between neighbouring values.
void UnwrapDegrees(double* pDeg, int nCount);

} // namespace ZUtils
