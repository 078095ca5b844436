// The predicted acoustic sum of a group of outputs: each output's measured response (level and
// phase) times the processor's response of that output now divided by its response when measured
// (nothing to divide for a bare driver), so a polarity or delay can be tried before it is sent. Without a
// measurement with phase for every output of the group the sum stays the processor's alone, and a note says
// why.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "orvix/complexresponse.h"
#include "tuning/eqtuning.h"

using ChannelTunings = std::array<SChannelTuning, MLB8_CHANNELS>;

// The measured response of one output as a factor on the grid. Outside the measured range it holds
// the nearest measured value. False when there is no measurement or it has no phase.
bool MeasuredFactor(const SChannelTuning& tuning, ZUtils::ZComplexCurve* pOut);

struct SGroupSum {
    bool bMeasured = false;
    // Empty when the sum is measured or no output of the group has a measurement at all.
    std::string note;
    ZUtils::ZComplexSum sum;
};

// Sums the processor responses of the group's outputs (curves[k] belongs to channels[k]); with
// pTunings, measured wherever every output of the group that sounds has a measurement with phase. An
// output whose bit is set in nSilenced (muted, or outside an active solo) adds nothing and needs no
// measurement.
void SumGroup(const std::vector<int>& channels, const std::vector<const ZUtils::ZComplexCurve*>& curves,
              const ChannelTunings* pTunings, SGroupSum* pOut, unsigned nSilenced = 0);

// A measured sum stands at the microphone's level (often 80 dB or more), far off the plot's scale; it
// is drawn moved by a shift that puts its mean level, over the passbands of the outputs summed, at 0 dB.
// The passbands: each output's crossover's passband (DefaultFitRange: where it is no more than 6 dB
// under its peak; 20 Hz .. 20 kHz without a crossover), outside them a way's slopes and the stopband
// would pull the mean. The shift is rounded to 0.1 dB, so that the figure the legend shows is the shift
// itself; 0 when no grid point lies in a passband.
double DrawnShiftDb(const CSettingsModel& m, const std::vector<int>& channels,
                    const ZUtils::ZComplexCurve& sum);
// Adds fDb to every level of the curve.
void ShiftLevel(ZUtils::ZComplexCurve* pCurve, double fDb);
// How the name of a sum says the shift it is drawn at: "drawn 85.3 dB lower", "drawn 2.0 dB higher";
// empty without a shift.
std::string DrawnShiftText(double fShiftDb);
