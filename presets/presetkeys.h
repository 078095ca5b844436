// The preset file's keys (*.Dovu): the whole configuration as INI text, one key per setting, written
// from the settings model and read back into it with the reader's clamps and masks.
#pragma once

#include <ctime>
#include <string>

#include "orvix/settingsmodel.h"
#include "presets/presetreport.h"
#include "presets/profile.h"

constexpr const char* PRESET_FILE_FILTER = "DSP Files(*.Dovu)|*.Dovu||";
constexpr const char* PRESET_FILE_EXTENSION = ".Dovu";
constexpr const char* FACTORY_FILE_NAME = "factory setting.dovu";

enum class EPresetRead {
    File,    // a preset file the user loads
    Factory, // the factory settings: standard mode unless the mode key is exactly 1, routing always masked
};

// Every key of a preset file, in the file's order, with the model's values and the date stamp.
void WritePresetKeys(ZUtils::ZProfile& profile, const CSettingsModel& m, const std::tm& stamp);
// Applies a preset file to the model with the reader's rules. Every value that had to be clamped
// or masked is traced and, when pReport is given, reported there with the missing and unreadable
// keys.
void ReadPresetKeys(const ZUtils::ZProfile& profile, CSettingsModel& m, EPresetRead mode,
                    SPresetReport* pReport = nullptr);
// True when the profile holds at least one section of a preset file.
bool IsPresetProfile(const ZUtils::ZProfile& profile);

// The name of a file without its folder.
std::string FileTitle(const std::string& path);
