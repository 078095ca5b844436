// mlb8ctl's equalizer commands: eq-import, eq-export and eq-fit, and align, on the processor or on
// preset files.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "ctlcli.h"
#include "tuning/eqfit.h"
#include "tuning/measurement.h"

class CEditorCore;

struct SEqCmdOptions {
    std::string file; // eq-import: the filter list; eq-fit: the measurement
    int nOutput = 0;  // 1..8
    bool bPair = false;
    std::string presetIn, presetOut; // --preset, --write
    std::string target;
    std::string column; // --column: the measurement's level column, by header name or number
    double fFrom = 20.0, fTo = 20000.0;
    bool bRangeGiven = false; // --from or --to
    int nMaxBoost = 6;
    double fMaxDipDepth = SEqFitSettings{}.fMaxDipDepth;   // dB
    double fMinDipWidth = SEqFitSettings{}.fMinDipWidth;   // octaves
    std::string measuredWith;                              // --measured-with FILE
    bool bRaw = false;                                     // --raw: the measurement is of the bare driver
    std::vector<std::pair<int, std::string>> measurements; // align --measurement N=FILE: channel 0..7, file
    bool bKeepLevels = false;                              // align --keep-levels
    bool bJson = false;
    bool bForce = false;
};

// What the commands need of mlb8ctl's session with the processor.
class IEqCtlSession {
public:
    virtual ~IEqCtlSession() = default;
    virtual CEditorCore& Core() = 0;
    // Finds the processor and reads it as it runs; false (after a message) when that failed.
    virtual bool Attach() = 0;
    // Runs what is queued; false when the core reported a failure.
    virtual bool Drain() = 0;
};

bool IsEqCommand(const std::string& command);
// Adds the equalizer command `command` (eq-import, eq-export, eq-fit or align) to the program with
// its operand and options, each checked as it is given; the rules between them go to usage.
CLI::App* AddEqCommand(CLI::App& app, const std::string& command, SEqCmdOptions& opt, CtlCli::CUsage& usage);
// After the command line was read: what the options gave together; false with *pError when --to
// does not lie above --from.
bool CheckEqCommand(const CLI::App& cmd, SEqCmdOptions& opt, std::string* pError);
int RunEqCommand(const std::string& command, const SEqCmdOptions& opt, IEqCtlSession& session);
// What mlb8ctl says on standard error about a measurement file it read: the refusal, or what was not
// used (nothing when the whole file was used), the first line named after the program and the file.
std::vector<std::string> MeasurementMessages(const std::string& path, const SMeasurementRead& r);
// The line that names the command in the list of commands, and the text of its own --help.
std::string EqCommandSummary(const std::string& command);
std::string EqCommandHelp(const std::string& command);
