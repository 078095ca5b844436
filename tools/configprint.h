// The whole configuration of the settings model as readable text.
#pragma once

#include <cstdio>

#include "orvix/settingsmodel.h"

class CJsonWriter;

void PrintConfiguration(std::FILE* pOut, const CSettingsModel& m);
// The same as one JSON object; delays in samples, milliseconds and centimetres.
void WriteConfigurationJson(CJsonWriter& j, const CSettingsModel& m);
