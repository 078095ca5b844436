// The whole configuration of the settings model as readable text.
#pragma once

#include <cstdio>

#include "ctlio.h"
#include "orvix/settingsmodel.h"

void PrintConfiguration(std::FILE* pOut, const CSettingsModel& m);
// The same as one JSON object; delays in samples, milliseconds and centimetres.
CtlIo::Json ConfigurationJson(const CSettingsModel& m);
