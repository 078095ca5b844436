// Whole processor configurations compared across a preset file: the fields that differ, and the
// fields a file does not carry taken from elsewhere. Shared by the file commands' tests in
// tests/editor and mlb8ctl's in tests/tools.
#pragma once

#include <string>
#include <vector>

#include "orvix/settingsmodel.h"
#include "sim/simconfig.h"

namespace PresetFixture {

// The fields of two processor configurations that differ.
inline std::vector<std::string> SimDifferences(const Sim::SSimConfig& a, const Sim::SSimConfig& b) {
    std::vector<std::string> diff;
    auto check = [&](bool bSame, const char* pszField) {
        if (!bSame) diff.push_back(pszField);
    };
    check(a.nVolume == b.nVolume, "nVolume");
    check(a.nMainVolume == b.nMainVolume, "nMainVolume");
    check(a.bPhase == b.bPhase, "bPhase");
    check(a.nMuteMask == b.nMuteMask, "nMuteMask");
    check(a.Map == b.Map, "Map");
    check(a.Easy_Expert == b.Easy_Expert, "Easy_Expert");
    check(a.Input == b.Input, "Input");
    check(a.SubInput == b.SubInput, "SubInput");
    check(a.nLevelMain == b.nLevelMain, "nLevelMain");
    check(a.nLevelAux == b.nLevelAux, "nLevelAux");
    check(a.bHighLow == b.bHighLow, "bHighLow");
    check(a.Output == b.Output, "Output");
    check(a.Eq == b.Eq, "Eq");
    check(a.Veq == b.Veq, "Veq");
    check(a.Xover == b.Xover, "Xover");
    check(a.bEqFlag == b.bEqFlag, "bEqFlag");
    check(a.bVeqFlag == b.bVeqFlag, "bVeqFlag");
    check(a.bXoverFlag == b.bXoverFlag, "bXoverFlag");
    check(a.nDelay == b.nDelay, "nDelay");
    check(a.nVeqVoltage == b.nVeqVoltage, "nVeqVoltage");
    check(a.nVeqLed == b.nVeqLed, "nVeqLed");
    check(a.System == b.System, "System");
    check(a.Password == b.Password, "Password");
    return diff;
}

// The fields a preset file does not carry (or the live write does not send) taken from another
// configuration, so that whole configurations can be compared.
inline Sim::SSimConfig WithUncarried(Sim::SSimConfig cfg, const Sim::SSimConfig& from) {
    cfg.Veq = from.Veq;
    cfg.bVeqFlag = from.bVeqFlag;
    cfg.Output = from.Output;
    cfg.System = from.System;
    cfg.Password = from.Password;
    cfg.nVeqVoltage = from.nVeqVoltage;
    cfg.nVeqLed = from.nVeqLed;
    for (int i = MLB8_AUX_INPUTS; i < Sim::kLevels; ++i)
        cfg.nLevelAux[i] = from.nLevelAux[i];
    for (int ch = 0; ch < Sim::kChannels; ++ch) {
        cfg.Eq[ch][10] = from.Eq[ch][10];
        cfg.Xover[ch][2] = from.Xover[ch][2];
    }
    return cfg;
}

} // namespace PresetFixture
