// Fitting the ten equalizer bands of an output to a measurement, on the processor's own steps:
// whole-Hz frequencies, whole-dB gains, BandWidth in 0.5 steps. The fit minimises the RMS deviation
// of measurement + equalizer + the output's crossover from the target over a frequency range, at the
// points of the response graph's grid.
#pragma once

#include <string>
#include <vector>

#include "comm/sfiltercoef.h"
#include "orvix/rev8001lib.h"

struct SEqFitSettings {
    double fFrom = 20.0;
    double fTo = 20000.0;
    int nMaxBoost = 6; // dB, 0..12; cuts reach -12 dB
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
};

// The fit on the steps: bands placed one by one where they remove the most of the remaining
// deviation, then every band moved step by step (frequency, gain, BandWidth) while that helps,
// keeping the best; never worse than the flat equalizer.
SEqFitResult FitEqualizer(const SEqFitInput& input, const SEqFitSettings& settings);

// For comparison: the same start, then the bands' frequency, gain and BandWidth searched as
// continuous values, and only the optimum rounded to the steps.
SEqFitResult FitContinuousThenRound(const SEqFitInput& input, const SEqFitSettings& settings);

// RMS deviation in dB of measured + bands + xover from the target over the settings' range (the
// bands as the store draws them); NaN when the range holds no known point.
double EqFitDeviation(const SEqFitInput& input, const SEqFitSettings& settings, const SFilterCoef* pBands);

// Adds the textbook peaking bell (gain in dB, quality factor Q, frequency in Hz, at the processor's
// sample rate) to RESPONSE_POINTS values on the grid.
void AddCookbookBell(double fFreq, double fGainDb, double fQ, double* pCurve);
