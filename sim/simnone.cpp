#include "sim/simulated.h"

namespace Sim {

std::unique_ptr<CSimulated> StartSimulated(std::string* pError) {
    if (pError) *pError = "--simulate is not available in this build";
    return nullptr;
}

} // namespace Sim
