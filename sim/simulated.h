// The simulated processor behind --simulate, for mlb8ctl and the window alike. It lives on a POSIX
// pseudo-terminal, so a build without it (MLB8_WITH_SIM off, as on Windows) links simnone.cpp instead
// of simulated.cpp (the library mlb8_simulated is one or the other).
#pragma once

#include <memory>
#include <string>

namespace Sim {

// A simulated processor running inside the program while the object lives.
class CSimulated {
public:
    virtual ~CSimulated() = default;
    virtual std::string PortPath() const = 0; // the port it answers on
};

// Starts one. Returns nullptr and the reason in *pError when it cannot start or this build has none.
std::unique_ptr<CSimulated> StartSimulated(std::string* pError);

} // namespace Sim
