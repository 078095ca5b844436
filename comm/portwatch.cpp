#include "portwatch.h"

#include "serialscan.h"

std::vector<SPortEvent> DiffPortSets(const std::set<int>& before, const std::set<int>& now) {
    std::vector<SPortEvent> changes;
    for (int nCom : before)
        if (!now.count(nCom)) changes.push_back({EPortEvent::Removed, nCom});
    for (int nCom : now)
        if (!before.count(nCom)) changes.push_back({EPortEvent::Arrived, nCom});
    return changes;
}

std::set<int> CurrentPortNumbers() {
    std::vector<SFoundPort> found;
    try {
        ScanSystemPorts(found);
    } catch (const CSerialEnumError&) {
        return {};
    }
    std::set<int> numbers;
    for (const SFoundPort& port : found)
        numbers.insert(port.nCom);
    return numbers;
}
