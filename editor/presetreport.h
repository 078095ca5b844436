// What reading a preset file did: the keys it did not find, the values it could not read as
// numbers and the values it had to change to bring them into range. A file the manager saved has
// none of them; anything else is shown to the user before it reaches the processor.
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
    // A note only: "[MAIN_CONTROL] VOLUME_MAIN (3 times)"; the first of them is used.
    std::vector<std::string> repeated;

    void Clear() { *this = SPresetReport{}; }
    // Every key present and readable.
    bool Complete() const { return missing.empty() && unreadable.empty(); }
    // Complete and nothing changed: applied without asking.
    bool Clean() const { return Complete() && clamped.empty(); }
    // How many keys are missing from each section, in the order of the file layout.
    std::vector<std::pair<std::string, int>> MissingBySection() const;
    // The question asked before such a file is applied, naming at most nListed items of each kind.
    std::string Question(const std::string& what, std::size_t nListed = 8) const;
    // The whole report as lines for a terminal (nothing for a clean file).
    std::vector<std::string> Lines() const;
};
