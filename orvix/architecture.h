// The input kinds and output architectures of the standard mode by name, and which architecture a
// routing really is: the processor plays its routing bytes, whatever its architecture setting says
// (the setting travels only with a stored preset), so a routing is described by the architecture
// whose routing row it is, or as a custom routing when it is none.
#pragma once

#include <cstdint>
#include <string>

#include "orvix/settingsmodel.h"

// The names the window gives to input kinds, architectures and expert inputs.
extern const char* const INPUT_KIND_NAMES[MLB8_INPUT_KINDS];
extern const char* const ARCHITECTURE_NAMES[MLB8_ARCHITECTURES];
extern const char* const EXPERT_INPUT_NAMES[3];

// The kind whose routing row governs the main-input bytes: the main kind in use, or 5.1 wired (whose
// only architecture is 5.1) while the AUX or numerical input is in use.
int MainRoutingKind(int nDSPInput);
// The routing bytes an input kind's rows are written into: main, AUX or numerical.
const std::uint8_t* KindRouting(const CSettingsModel& m, int nKind);
// The architecture of input kind nKind whose routing row pMap (eight bytes) is; nPreferred when its
// row is (rows of some kinds coincide); -1 when the bytes are no architecture's row.
int RoutingArchitecture(const std::uint8_t* pMap, int nKind, int nPreferred);
// In standard mode, the architecture the routing of the input in use is; -1 for a custom routing.
int ActualArchitecture(const CSettingsModel& m);
// The architecture of input kind nKind as the user reads it: its name, and for the kind in use in
// standard mode what the routing says when that is not the setting ("4.1 (by its routing; set as
// 5.1)", "custom routing (set as 5.1)").
std::string ArchitectureText(const CSettingsModel& m, int nKind);
