#include "orvix/architecture.h"

#include <algorithm>

const char* const INPUT_KIND_NAMES[MLB8_INPUT_KINDS] = {"5.1 wired", "4 wired", "2 wired", "AUX",
                                                        "numerical"};
const char* const ARCHITECTURE_NAMES[MLB8_ARCHITECTURES] = {"2-way + sub", "3-way + sub", "2.1", "4.1",
                                                            "5.1"};
const char* const EXPERT_INPUT_NAMES[3] = {"main", "AUX", "numerical"};

int MainRoutingKind(int nDSPInput) {
    return nDSPInput >= INPUT_51_WIRED && nDSPInput <= INPUT_2_WIRED ? nDSPInput : INPUT_51_WIRED;
}

const std::uint8_t* KindRouting(const CSettingsModel& m, int nKind) {
    if (nKind == INPUT_AUX) return m.m_MapA;
    if (nKind == INPUT_NUMERICAL) return m.m_MapD;
    return m.m_MapM;
}

int RoutingArchitecture(const std::uint8_t* pMap, int nKind, int nPreferred) {
    if (nKind < 0 || nKind >= MLB8_INPUT_KINDS) return -1;
    auto is = [&](int a) {
        // The 5.1 wired input has the 5.1 architecture only; its other rows are empty.
        if (a < 0 || a >= MLB8_ARCHITECTURES || (nKind == INPUT_51_WIRED && a != ARCH_51)) return false;
        return std::equal(pMap, pMap + MLB8_CHANNELS, ROUTING_PRESETS[nKind][a]);
    };
    if (is(nPreferred)) return nPreferred;
    for (int a = 0; a < MLB8_ARCHITECTURES; ++a)
        if (is(a)) return a;
    return -1;
}

int ActualArchitecture(const CSettingsModel& m) {
    const int nKind = std::clamp(m.m_nDSPInput, 0, MLB8_INPUT_KINDS - 1);
    return RoutingArchitecture(KindRouting(m, nKind), nKind, m.m_nDSPOutput[nKind]);
}

std::string ArchitectureText(const CSettingsModel& m, int nKind) {
    if (nKind < 0 || nKind >= MLB8_INPUT_KINDS) return {};
    const int nSet = m.m_nDSPOutput[nKind];
    const std::string set =
        nSet >= 0 && nSet < MLB8_ARCHITECTURES ? ARCHITECTURE_NAMES[nSet] : std::to_string(nSet);
    if (m.m_bEasyExp || nKind != m.m_nDSPInput) return set;
    const int nActual = ActualArchitecture(m);
    if (nActual == nSet) return set;
    if (nActual < 0) return "custom routing (set as " + set + ")";
    return std::string(ARCHITECTURE_NAMES[nActual]) + " (by its routing; set as " + set + ")";
}
