#include "presets/presetreport.h"

#include <algorithm>

namespace {

std::string Plural(std::size_t n, const char* pszOne, const char* pszMany) {
    return std::to_string(n) + " " + (n == 1 ? pszOne : pszMany);
}

// "a, b, c and 4 more"
std::string Listed(const std::vector<std::string>& items, std::size_t nListed) {
    std::string text;
    const std::size_t nShown = std::min(items.size(), nListed);
    for (std::size_t i = 0; i < nShown; ++i)
        text += (i ? ", " : "") + items[i];
    if (items.size() > nShown) text += " and " + std::to_string(items.size() - nShown) + " more";
    return text;
}

} // namespace

std::vector<std::pair<std::string, int>> SPresetReport::MissingBySection() const {
    std::vector<std::pair<std::string, int>> counts;
    for (const auto& [section, key] : missing) {
        if (counts.empty() || counts.back().first != section)
            counts.emplace_back(section, 1);
        else
            ++counts.back().second;
    }
    return counts;
}

std::string SPresetReport::Question(const std::string& what, std::size_t nListed) const {
    std::string text = what + " is not a complete preset:";
    if (!missing.empty()) {
        std::string groups;
        for (const auto& [section, nCount] : MissingBySection())
            groups += (groups.empty() ? "" : ", ") + section + " " + std::to_string(nCount);
        text += "\n\n" + Plural(missing.size(), "key", "keys") + " of " + std::to_string(nKeys) +
                (missing.size() == 1 ? " is" : " are") + " missing (" + groups +
                "); they would load as their defaults (crossovers and equalizer bands off, levels at "
                "-64 dB, delays 0).";
    }
    if (!unreadable.empty())
        text += "\n\n" + Plural(unreadable.size(), "value is not a number", "values are not numbers") +
                " and would load as 0: " + Listed(unreadable, nListed) + ".";
    if (!clamped.empty())
        text += "\n\n" + Plural(clamped.size(), "value is", "values are") +
                " out of range and would be changed: " + Listed(clamped, nListed) + ".";
    if (!notes.empty())
        text += "\n\nThe routing is read as the architecture gives it: " + Listed(notes, nListed) + ".";
    return text;
}

std::vector<std::string> SPresetReport::Lines() const {
    std::vector<std::string> lines;
    if (!missing.empty()) {
        std::string groups;
        for (const auto& [section, nCount] : MissingBySection())
            groups += (groups.empty() ? "" : ", ") + section + " " + std::to_string(nCount);
        lines.push_back("Missing keys (" + std::to_string(missing.size()) + " of " + std::to_string(nKeys) +
                        ": " + groups + "):");
        for (const auto& [section, key] : missing)
            lines.push_back("  [" + section + "] " + key);
    }
    if (!unreadable.empty()) {
        lines.push_back("Unreadable values (" + std::to_string(unreadable.size()) + "):");
        for (const std::string& item : unreadable)
            lines.push_back("  " + item);
    }
    if (!clamped.empty()) {
        lines.push_back("Clamped values (" + std::to_string(clamped.size()) + "):");
        for (const std::string& item : clamped)
            lines.push_back("  " + item);
    }
    if (!notes.empty()) {
        lines.push_back("Routing read as the architecture gives it (" + std::to_string(notes.size()) + "):");
        for (const std::string& item : notes)
            lines.push_back("  " + item);
    }
    if (!repeated.empty()) {
        lines.push_back("Keys given more than once, the first of each is used (" +
                        std::to_string(repeated.size()) + "):");
        for (const std::string& item : repeated)
            lines.push_back("  " + item);
    }
    return lines;
}
