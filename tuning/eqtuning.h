// Tuning an output from a measurement: the measurement and target kept per output for the session,
// the curves the response graph overlays (measurement, target, predicted result) and the fit of the
// output's bands, all from the model as it stands.
//
// A measurement is taken through settings S of its output (an installer measures through the
// processor: a tweeter cannot be measured without its high-pass). What the output would give with
// other settings is the measurement × (response with them ÷ response with S); a measurement of the
// bare driver has no S.
#pragma once

#include <string>
#include <vector>

#include "orvix/complexresponse.h"
#include "orvix/settingsmodel.h"
#include "tuning/eqfit.h"
#include "tuning/measurement.h"

// What the user loaded for one output; empty curves when nothing is loaded.
struct SChannelTuning {
    std::vector<double> measured;      // on the response grid, as read (not normalised)
    std::vector<double> measuredPhase; // degrees on the grid, unwrapped; empty when the file had none
    std::vector<double> target;        // on the grid; empty for a flat target
    std::string szMeasurement;         // file names, for the report
    std::string szTarget;
    // The settings S the measurement was taken through, as the output's response then: the
    // equalizer and crossover as drawn, and the whole response (with level, polarity and delay).
    bool bThrough = false; // false: a measurement of the bare driver
    std::vector<double> throughDb;
    ZUtils::ZComplexCurve throughFull;
    std::string szThrough; // what S was, for the legend and reports
    bool bShowMeasurement = true;
    bool bShowTarget = true;
    bool bShowPrediction = true;

    bool HasMeasurement() const { return !measured.empty(); }
};

// Where S cut deeply the measurement holds little but noise: dividing S out lifts it by at most this.
constexpr double kMaxThroughLift = 60.0; // dB

// Records that the measurement was taken through output nChannel's settings in m; szWhat names them.
void SetMeasuredThrough(SChannelTuning& t, const CSettingsModel& m, int nChannel, const std::string& szWhat);
// Records that the measurement is of the bare driver.
void SetMeasuredRaw(SChannelTuning& t);
// "taken through <what>" or "of the bare driver".
std::string MeasuredWithText(const SChannelTuning& t);
// What the measurement becomes with the output's present equalizer and crossover (as drawn) instead of
// S's, in dB on the grid: 0 where they are S's (the lift limited by kMaxThroughLift).
std::vector<double> ThroughCorrection(const CSettingsModel& m, int nChannel, const SChannelTuning& t);

// The three overlay curves on the grid; NaN where a curve is unknown.
struct SOverlayCurves {
    std::vector<double> measured; // normalised to the target's mean level over the range
    std::vector<double> target;
    std::vector<double> predicted; // measured × (equalizer and crossover now ÷ those of S)
};

// The output's curve as the graph draws it: its bands when bEq, its crossover when bXover.
std::vector<double> ChannelCurve(const CSettingsModel& m, int nChannel, bool bEq, bool bXover);

SOverlayCurves OverlayCurves(const CSettingsModel& m, int nChannel, const SChannelTuning& tuning,
                             double fFrom = 20.0, double fTo = 20000.0);

// The input of a fit of output nChannel: the measurement with S divided out (so that the fitted bands
// replace S's instead of stacking on them) normalised to the target, and the output's crossover as
// drawn when it is switched on.
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
