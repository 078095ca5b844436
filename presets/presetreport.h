// What reading a preset file did: the keys it did not find, the values it could not read as
// numbers, the values it had to change to bring them into range, and notes on the routing read as
// the standard mode reads it. A file the manager saved has no missing, unreadable or changed value;
// a file with any is shown to the user before it reaches the processor. Notes are not asked about.
// This is the one verdict on a file for check, load, diff and the window: it loads without asking
// when it is Clean().
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

struct SPresetReport {
    int nKeys = 0;                                            // keys the reader looked for
    std::vector<std::pair<std::string, std::string>> missing; // section, key; read as their defaults
    std::vector<std::string> unreadable;                      // "VOLUME_CH1=nan"; read as 0
    std::vector<std::string> clamped;                         // "VOLUME_CH3=300 -> 128"
    // "OUTPUT_MAP_M6=255 -> 3 (outside the 4.1 routing)", "OUTPUT_CONFIG_1=4 -> 3 (the routing is 4.1's)":
    // the routing of the standard mode taken as its architecture gives it.
    std::vector<std::string> notes;
    // A note only: "[MAIN_CONTROL] VOLUME_MAIN (3 times)"; the first of them is used.
    std::vector<std::string> repeated;

    void Clear() { *this = SPresetReport{}; }
    // Every key present and readable.
    bool Complete() const { return missing.empty() && unreadable.empty(); }
    // Complete and nothing changed: applied without asking (notes or not).
    bool Clean() const { return Complete() && clamped.empty(); }
    // How many keys are missing from each section, in the order of the file layout.
    std::vector<std::pair<std::string, int>> MissingBySection() const;
    // The question asked before such a file is applied, naming at most nListed items of each kind.
    std::string Question(const std::string& what, std::size_t nListed = 8) const;
    // The whole report as lines for a terminal (nothing for a clean file without notes).
    std::vector<std::string> Lines() const;
};
