#include "sim/simulated.h"

#include "sim/simprocessor.h"

namespace Sim {
namespace {

class CSimOnPty final : public CSimulated {
public:
    bool Start(std::string* pError) { return m_sim.Start(pError); }
    std::string PortPath() const override { return m_sim.PortPath(); }

private:
    Sim::CSimProcessor m_sim;
};

} // namespace

std::unique_ptr<CSimulated> StartSimulated(std::string* pError) {
    auto sim = std::make_unique<CSimOnPty>();
    std::string error;
    if (!sim->Start(&error)) {
        if (pError) *pError = "cannot start the simulated processor: " + error;
        return nullptr;
    }
    return sim;
}

} // namespace Sim
