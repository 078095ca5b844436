// Reading numbers from text. Every reader in presets/, editor/ and tuning/ — the edit boxes, the
// preset files, the measurement exports and the equalizer filter lists — reads with ParseInt and
// ParseReal; what differs between them is named in their rules (SNumberRules), and the rules of each
// reader are listed together below, so two readers differ only where a rule says so.
//
// Common to every rule set: decimal digits only (no hexadecimal, no digit grouping), at most one
// sign, the point as the decimal mark (a comma too where the rules say so), and never the locale:
// the view may run where the decimal mark is a comma, and a file reads the same everywhere.
// Also here: the blanks around the fields of text files.
#pragma once

#include <climits>
#include <cstddef>
#include <optional>
#include <string_view>

enum class ENumberExtent {
    WHOLE,   // the text is the number and nothing else: "12x" is no number
    LEADING, // the number at the start of the text; what follows is ignored (or handed back)
};

enum class ENumberRange {
    REFUSE, // a value beyond the range is no number
    // A value beyond the range takes the nearest bound. For reals, the range is the double's: beyond
    // it the largest double of its sign, below its smallest step zero.
    CLAMP,
};

struct SNumberRules {
    ENumberExtent extent = ENumberExtent::WHOLE;
    bool bSkipBlanks = false; // blanks before the number (space, tab, CR, LF, FF, VT) are skipped
    bool bSign = true;        // one '+' or '-' before the digits
    ENumberRange range = ENumberRange::REFUSE;
    // Integers only: the range.
    int nMin = INT_MIN;
    int nMax = INT_MAX;
    // Reals only.
    bool bDecimalComma = false; // a comma is a decimal mark as well as the point
    bool bExponent = true;      // "1.5e3"; without it the number ends before the 'e'
    bool bFiniteOnly = true;    // "inf", "infinity" and "nan" are no number; else read as such
};

// The number the rules find in the text, or nothing. *pnEnd, when given, receives the offset just past
// the number (the start of what follows it with ENumberExtent::LEADING).
std::optional<int> ParseInt(std::string_view text, const SNumberRules& rules, std::size_t* pnEnd = nullptr);
std::optional<double> ParseReal(std::string_view text, const SNumberRules& rules,
                                std::size_t* pnEnd = nullptr);

// The rules of every reader.
namespace NumberRules {

// A value typed into an edit box: the leading number after blanks ("12 Hz" gives 12), clamped to
// +-1e9 so that any later arithmetic stays within int. Nothing readable reads as 0 (ParseBoxInt).
constexpr SNumberRules kBoxInt{.extent = ENumberExtent::LEADING,
                               .bSkipBlanks = true,
                               .range = ENumberRange::CLAMP,
                               .nMin = -1000000000,
                               .nMax = 1000000000};
// A real typed into an edit box: the leading number after blanks, written out ("1e3" reads as 1),
// finite; a value beyond the double's range is none. Nothing readable reads as 0.0 (ParseBoxDouble).
constexpr SNumberRules kBoxReal{.extent = ENumberExtent::LEADING, .bSkipBlanks = true, .bExponent = false};
// A value of a preset file as the profile's GetInt reads it: the leading number after blanks,
// saturated to the range of int (ZUtils::ParseProfileInt).
constexpr SNumberRules kProfileInt{
    .extent = ENumberExtent::LEADING, .bSkipBlanks = true, .range = ENumberRange::CLAMP};
// A real of a preset file (the filter bandwidths): the leading number after blanks, with exponent,
// finite (ZUtils::ParseProfileDouble).
constexpr SNumberRules kProfileReal{.extent = ENumberExtent::LEADING, .bSkipBlanks = true};
// A value exactly as the preset writer puts it, for the report of values it did not write: the whole
// text, no blanks; its size is the profile reader's business (saturated there).
constexpr SNumberRules kWrittenInt{.range = ENumberRange::CLAMP};
constexpr SNumberRules kWrittenReal{};
// A field of a measurement export: the whole field, with exponent; "nan", "inf" and values beyond the
// double's range are read (clamped) so that the reader can name them rather than lose the line.
constexpr SNumberRules kMeasurement{.range = ENumberRange::CLAMP, .bFiniteOnly = false};
// The same on a line whose decimal mark is a comma.
constexpr SNumberRules kMeasurementComma{
    .range = ENumberRange::CLAMP, .bDecimalComma = true, .bFiniteOnly = false};
// A column given by its number (1 for the first), digits only; one beyond int is none.
constexpr SNumberRules kColumnNumber{.bSign = false, .nMin = 0};
// A value of an equalizer filter list: a decimal point or comma, with exponent, finite; the unit may
// follow glued on ("105Hz"), read with ENumberExtent::LEADING.
constexpr SNumberRules kEqListValue{.bDecimalComma = true};

} // namespace NumberRules

// The edit boxes' readers: 0 when there is no number.
inline int ParseBoxInt(std::string_view text) {
    return ParseInt(text, NumberRules::kBoxInt).value_or(0);
}

inline double ParseBoxDouble(std::string_view text) {
    return ParseReal(text, NumberRules::kBoxReal).value_or(0.0);
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
