// Reading numbers typed into edit boxes: the leading number of the text, 0 when there is none.
// Independent of the locale: the view may run where the decimal mark is a comma. And the blanks
// around the fields of text files.
#pragma once

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>

inline int ParseBoxInt(const std::string& text) {
    const long n = std::strtol(text.c_str(), nullptr, 10);
    return n > 1000000000L ? 1000000000 : (n < -1000000000L ? -1000000000 : static_cast<int>(n));
}

inline double ParseBoxDouble(const std::string& text) {
    std::size_t i = text.find_first_not_of(" \t\r\n");
    if (i == std::string::npos) return 0.0;
    if (text[i] == '+') ++i;
    double f = 0.0;
    const auto res = std::from_chars(text.data() + i, text.data() + text.size(), f, std::chars_format::fixed);
    if (res.ec != std::errc() || !std::isfinite(f)) return 0.0;
    return f;
}

// Spaces and tabs (and the rarer blanks) around a field of a text file.
inline bool IsBlankChar(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

inline std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlankChar(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlankChar(s.back()))
        s.remove_suffix(1);
    return s;
}
