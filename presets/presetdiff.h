// The settings in which two configurations differ, named and valued as the user reads them
// ("Out 3 EQ band 5", "500 Hz -3 dB Q 2.5"). Only what a preset file carries is compared.
#pragma once

#include <string>
#include <vector>

#include "orvix/architecture.h"
#include "orvix/settingsmodel.h"
#include "presets/presetreport.h"

// The crossover slope of a slope index 0..7 (6..48 dB/oct); 0 outside.
int SlopeDbPerOctave(int nSlop);

struct SSettingDifference {
    std::string setting; // "Out 3 EQ band 5", "Master level"
    int nOutput = 0;     // 1..8 for a setting of one output, 0 for the whole processor
    std::string a, b;    // the value on each side

    // "Out 3 EQ band 5: 500 Hz -3 dB Q 2.5 -> 500 Hz -1 dB Q 2.5"
    std::string Line() const;
};

// Every difference, in the order of the window's pages: processor, inputs, then output by output.
std::vector<SSettingDifference> DiffSettings(const CSettingsModel& a, const CSettingsModel& b);

// Reads into `to` what a preset file saved from `from` would give (the routing of the standard mode
// read as the reader reads it), so that a live configuration compares equal to its saved file; with
// pReport, what the reader noted.
void ReadCarriedSettings(const CSettingsModel& from, CSettingsModel& to, SPresetReport* pReport = nullptr);
