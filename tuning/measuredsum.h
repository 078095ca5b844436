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
    int bMeasured = 0;
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
