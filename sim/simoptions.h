// Command line of mlb8-sim.
#pragma once

#include "simprocessor.h"

#include <string>
#include <vector>

namespace Sim {

struct SSimOptions {
    int nAddress = 0;
    std::string szLink;
    std::string szLog;
    SFaults Faults;
    bool bHelp = false;
};

// Parses the arguments after the program name. Options take their value as the next argument or
// after '=' (--address=3). Returns false with a message in szError for anything it does not accept.
bool ParseSimArgs(const std::vector<std::string>& args, SSimOptions& options, std::string& szError);

std::string SimUsage();

} // namespace Sim
