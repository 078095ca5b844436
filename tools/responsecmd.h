// mlb8ctl response: the curves of the system view on the response grid, as text or CSV.
#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "ctlcli.h"
#include "tuning/measuredsum.h"

struct CSettingsModel;

struct SResponseOptions {
    std::vector<int> outputs; // channels 0..7 in the order given
    std::vector<int> sum;     // channels 0..7 of --sum
    bool bPhase = false;
    bool bCsv = false;
    std::string presetPath;
    std::vector<std::pair<int, std::string>> measurements; // --measurement N=FILE: channel 0..7, file
    std::string column;       // --column: the measurements' level column, by header name or number
    std::string measuredWith; // --measured-with FILE
    bool bRaw = false;        // --raw: the measurements are of bare drivers
};

// Adds the command response to the program with its options, each checked as it is given; the rules
// between them go to usage.
CLI::App* AddResponseCommand(CLI::App& app, SResponseOptions& opt, CtlCli::CUsage& usage);
// The text of response --help.
std::string ResponseHelp();
// Reads the files of --measurement onto the grid; false for a file that is no measurement. *pMessages
// gets the lines for standard error: the refusal, or the lines of each file that were not used.
bool LoadResponseMeasurements(const SResponseOptions& opt, ChannelTunings* pTunings,
                              std::vector<std::string>* pMessages);
// Records what the loaded measurements were taken through: the settings `with` (named szWithName),
// or nothing with --raw.
void ApplyMeasuredWith(const SResponseOptions& opt, const CSettingsModel& with, const std::string& szWithName,
                       ChannelTunings* pTunings);
// Prints the grid: one line per point, after a header line starting with '#'. A muted output (or one
// outside an active solo) has "_muted" in its column names ("out1_muted_db", "sum1_muted+3_db") and
// adds nothing to the sum (silence when no output of it sounds). The sum multiplies in the
// measurements when every output of it that sounds has one with phase. Returns the notes for the
// user: the muted outputs of the sum, and why a sum is the processor's alone (none when no
// measurement was given for it).
std::vector<std::string> PrintResponse(std::FILE* pOut, const CSettingsModel& m, const SResponseOptions& opt,
                                       const ChannelTunings* pTunings = nullptr);
