// Fitting the ten equalizer bands of an output to a measurement, on the processor's own steps:
// whole-Hz frequencies, whole-dB gains, BandWidth in 0.5 steps. The fit minimises the RMS deviation
// of measurement + equalizer + the output's crossover from the target over a frequency range, at the
// points of the response graph's grid. The boost limit holds for the combined curve of all bands (and
// the crossover where it lifts) at every frequency, and dips no sane boost fills are left alone.
#pragma once

#include <string>
#include <vector>

#include "comm/sfiltercoef.h"
#include "orvix/rev8001lib.h"

struct SEqFitSettings {
    double fFrom = 20.0;
    double fTo = 20000.0;
    int nMaxBoost = 6; // dB, 0..12, of the combined curve; cuts reach -12 dB per band
    // A dip (the measurement under the target, with rising sides in the range) deeper than this, or
    // narrower than this at half its depth, is left out of the fit and named.
    double fMaxDipDepth = 15.0;      // dB
    double fMinDipWidth = 1.0 / 6.0; // octaves
};

// A dip the fit left alone.
struct SEqFitDip {
    double fFreq = 0.0;  // Hz, the deepest point
    double fDepth = 0.0; // dB under the target
    double fWidth = 0.0; // octaves, at half the depth
    bool bTooDeep = false;
    bool bTooNarrow = false;
    int nPoints = 0; // grid points left out of the fit
};

struct SEqFitInput {
    // RESPONSE_POINTS values each; NaN where the measurement or the target is unknown.
    std::vector<double> measured; // normalised to the target (NormalisedMeasurement)
    std::vector<double> target;
    std::vector<double> xover; // the output's crossover as drawn (0 dB when it is off)
};

struct SEqFitResult {
    bool bOk = false;
    std::string szError;
    SFilterCoef bands[CRev8001Lib::EQ_BANDS] = {};
    int nUsed = 0;           // bands with a gain, first in ascending frequency; the rest are flat
    int nPoints = 0;         // grid points the deviation is taken over
    double fRmsBefore = 0.0; // dB, with the equalizer flat
    double fRmsAfter = 0.0;  // dB, with the fitted bands
    double fDataFrom = 0.0, fDataTo = 0.0; // Hz, the first and last point in the range with data
    std::vector<SEqFitDip> dips;           // left alone, in ascending frequency
    double fMaxBoost = 0.0;                // dB, the highest level of bands + crossover's lift
    double fMaxBoostFreq = 0.0;            // Hz, where it is
};

// The fit on the steps: bands placed one by one where they remove the most of the remaining
// deviation, then every band moved step by step (frequency, gain, BandWidth) while that helps,
// keeping the best; never worse than the flat equalizer.
SEqFitResult FitEqualizer(const SEqFitInput& input, const SEqFitSettings& settings);

// For comparison: the same start, then the bands' frequency, gain and BandWidth searched as
// continuous values, and only the optimum rounded to the steps.
SEqFitResult FitContinuousThenRound(const SEqFitInput& input, const SEqFitSettings& settings);

// RMS deviation in dB of measured + bands + xover from the target over the points a fit with these
// settings takes (the bands as the store draws them); NaN when the range holds no known point.
double EqFitDeviation(const SEqFitInput& input, const SEqFitSettings& settings, const SFilterCoef* pBands);

// Adds the textbook peaking bell (gain in dB, quality factor Q, frequency in Hz, at the processor's
// sample rate) to RESPONSE_POINTS values on the grid.
void AddCookbookBell(double fFreq, double fGainDb, double fQ, double* pCurve);
