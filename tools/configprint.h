// The whole configuration of the settings model as readable text.
#pragma once

#include <cstdio>

#include "editor/settingsmodel.h"

void PrintConfiguration(std::FILE* pOut, const CSettingsModel& m);
