// mlb8ctl's equalizer commands: eq-import, eq-export and eq-fit, and align, on the processor or on
// preset files.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "comm/cmdline.h"
#include "tuning/eqfit.h"
#include "tuning/measurement.h"

class CEditorCore;

struct SEqCmdOptions {
    int nOutput = 0; // 1..8
    bool bPair = false;
    std::string presetIn, presetOut; // --preset, --write
    std::string target;
    std::string column; // --column: the measurement's level column, by header name or number
    double fFrom = 20.0, fTo = 20000.0;
    bool bRangeGiven = false; // --from or --to
    int nMaxBoost = 6;
    double fMaxDipDepth = SEqFitSettings{}.fMaxDipDepth;   // dB
    double fMinDipWidth = SEqFitSettings{}.fMinDipWidth;   // octaves
    bool bDipGiven = false;                                // --max-dip-depth or --min-dip-width
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
// Registers the options of the equalizer commands on the parser (no --name=value form); bGiven is set
// when one is given, and a bad value is refused with a message. A name already registered keeps its
// first owner.
void AddEqOptions(ZUtils::CCmdLine& cmdline, SEqCmdOptions& opt, bool& bGiven);
// Checks the operands and options of an equalizer command; false with *pError.
bool CheckEqCommand(const std::string& command, const std::vector<std::string>& operands,
                    const SEqCmdOptions& opt, std::string* pError);
int RunEqCommand(const std::string& command, const std::vector<std::string>& operands,
                 const SEqCmdOptions& opt, IEqCtlSession& session);
// What mlb8ctl says on standard error about a measurement file it read: the refusal, or what was not
// used (nothing when the whole file was used), the first line named after the program and the file.
std::vector<std::string> MeasurementMessages(const std::string& path, const SMeasurementRead& r);
// The help text of the commands and their options.
const char* EqCommandsUsage();
