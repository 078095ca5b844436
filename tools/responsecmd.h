// mlb8ctl response: the curves of the system view on the response grid, as text or CSV.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

struct CSettingsModel;

struct SResponseOptions {
    std::vector<int> outputs; // channels 0..7 in the order given
    std::vector<int> sum;     // channels 0..7 of --sum
    bool bPhase = false;
    bool bCsv = false;
    std::string presetPath;
    bool bAny = false; // any of these options was given
};

// Whether arg is one of the response options (with or without "=value").
bool IsResponseOption(const std::string& arg);
// Takes the option at argv[i], and its value from argv[i + 1] when it needs one (i is moved past it).
// False with a message for a missing or bad value.
bool TakeResponseOption(int& i, int argc, char** argv, SResponseOptions* pOpt, std::string* pError);
// Prints the grid: one line per point, after a header line starting with '#'.
void PrintResponse(std::FILE* pOut, const CSettingsModel& m, const SResponseOptions& opt);
