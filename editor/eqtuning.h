// Tuning an output from a measurement: the measurement and target kept per output for the session,
// the curves the response graph overlays (measurement, target, predicted result) and the fit of the
// output's bands, all from the model as it stands.
#pragma once

#include <string>
#include <vector>

#include "editor/eqfit.h"
#include "editor/measurement.h"
#include "editor/settingsmodel.h"

// What the user loaded for one output; empty curves when nothing is loaded.
struct SChannelTuning {
    std::vector<double> measured;      // on the response grid, as read (not normalised)
    std::vector<double> measuredPhase; // degrees on the grid, unwrapped; empty when the file had none
    std::vector<double> target;        // on the grid; empty for a flat target
    std::string szMeasurement;         // file names, for the report
    std::string szTarget;
    bool bShowMeasurement = true;
    bool bShowTarget = true;
    bool bShowPrediction = true;

    bool HasMeasurement() const { return !measured.empty(); }
};

// The three overlay curves on the grid; NaN where a curve is unknown.
struct SOverlayCurves {
    std::vector<double> measured; // normalised to the target's mean level over the range
    std::vector<double> target;
    std::vector<double> predicted; // measured + the output's equalizer and crossover as drawn
};

// The output's curve as the graph draws it: its bands when bEq, its crossover when bXover.
std::vector<double> ChannelCurve(const CSettingsModel& m, int nChannel, bool bEq, bool bXover);

SOverlayCurves OverlayCurves(const CSettingsModel& m, int nChannel, const SChannelTuning& tuning,
                             double fFrom = 20.0, double fTo = 20000.0);

// The input of a fit of output nChannel: the measurement normalised to the target, and the output's
// crossover as drawn when it is switched on.
SEqFitInput MakeFitInput(const CSettingsModel& m, int nChannel, const SChannelTuning& tuning,
                         const SEqFitSettings& settings);

// The range a fit of output nChannel takes by default: 20 Hz .. 20 kHz, narrowed to the passband of
// its crossover when that is switched on (where it draws no lower than 6 dB under its peak), since the
// bands cannot lift what the crossover removes. *pbNarrowed tells whether it was narrowed.
SEqFitSettings DefaultFitRange(const CSettingsModel& m, int nChannel, bool* pbNarrowed = nullptr);

// The bands as report lines ("Band 1: 46 Hz +3 dB BandWidth 2.0 (Q 1.000)"), flat bands left out
// when bUsedOnly.
std::vector<std::string> BandLines(const SFilterCoef* pBands, bool bUsedOnly);
// The fit's report: deviation before and after, then the bands.
std::vector<std::string> FitReportLines(const SEqFitResult& r, const SEqFitSettings& settings);
