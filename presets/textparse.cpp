#include "presets/textparse.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Where the number begins: past the blanks the rules skip and past its sign (*pbNegative).
std::size_t SkipToDigits(std::string_view text, const SNumberRules& rules, bool* pbNegative) {
    std::size_t i = 0;
    if (rules.bSkipBlanks)
        while (i < text.size() && (IsBlankChar(text[i]) || text[i] == '\n'))
            ++i;
    *pbNegative = false;
    if (rules.bSign && i < text.size() && (text[i] == '+' || text[i] == '-')) *pbNegative = text[i++] == '-';
    return i;
}

// Whether a real that std::from_chars found beyond the double's range is too large (rather than too
// small): the power of ten of its first significant digit, from its digits and its exponent.
bool IsBeyondLargest(std::string_view number) {
    long long nPower = 0;
    std::size_t i = 0;
    bool bSignificant = false;
    long long nIntegerDigits = 0;
    for (; i < number.size() && IsDigit(number[i]); ++i)
        if (bSignificant || number[i] != '0') {
            bSignificant = true;
            ++nIntegerDigits;
        }
    if (bSignificant) {
        nPower = nIntegerDigits - 1;
    } else if (i < number.size() && number[i] == '.') {
        for (++i; i < number.size() && number[i] == '0'; ++i)
            --nPower;
        --nPower;
    }
    while (i < number.size() && number[i] != 'e' && number[i] != 'E')
        ++i;
    if (i < number.size()) {
        ++i;
        const bool bNegative = i < number.size() && number[i] == '-';
        if (i < number.size() && (number[i] == '-' || number[i] == '+')) ++i;
        long long nExponent = 0;
        for (; i < number.size() && IsDigit(number[i]); ++i)
            nExponent = std::min(nExponent * 10 + (number[i] - '0'), 1000000000LL); // far beyond any double
        nPower += bNegative ? -nExponent : nExponent;
    }
    return nPower >= 0;
}

} // namespace

std::optional<int> ParseInt(std::string_view text, const SNumberRules& rules, std::size_t* pnEnd) {
    bool bNegative = false;
    std::size_t i = SkipToDigits(text, rules, &bNegative);
    const std::size_t nDigits = i;
    long long nValue = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i)
        nValue = std::min(nValue * 10 + (text[i] - '0'), 1LL << 40); // saturated far beyond int
    if (i == nDigits) return std::nullopt;
    if (rules.extent == ENumberExtent::WHOLE && i != text.size()) return std::nullopt;
    if (bNegative) nValue = -nValue;
    if (nValue < rules.nMin || nValue > rules.nMax) {
        if (rules.range == ENumberRange::REFUSE) return std::nullopt;
        nValue = std::clamp<long long>(nValue, rules.nMin, rules.nMax);
    }
    if (pnEnd) *pnEnd = i;
    return static_cast<int>(nValue);
}

std::optional<double> ParseReal(std::string_view text, const SNumberRules& rules, std::size_t* pnEnd) {
    bool bNegative = false;
    const std::size_t nStart = SkipToDigits(text, rules, &bNegative);
    // std::from_chars reads a '-' of its own: one sign only.
    if (nStart < text.size() && (text[nStart] == '-' || text[nStart] == '+')) return std::nullopt;
    std::string commaless;
    if (rules.bDecimalComma && text.find(',', nStart) != std::string_view::npos) {
        commaless.assign(text);
        std::replace(commaless.begin(), commaless.end(), ',', '.');
        text = commaless;
    }
    double f = 0.0;
    const auto res = std::from_chars(text.data() + nStart, text.data() + text.size(), f,
                                     rules.bExponent ? std::chars_format::general : std::chars_format::fixed);
    if (res.ec == std::errc::invalid_argument) return std::nullopt;
    const auto nEnd = static_cast<std::size_t>(res.ptr - text.data());
    if (rules.extent == ENumberExtent::WHOLE && nEnd != text.size()) return std::nullopt;
    if (res.ec == std::errc::result_out_of_range) {
        if (rules.range == ENumberRange::REFUSE) return std::nullopt;
        f = IsBeyondLargest(text.substr(nStart, nEnd - nStart)) ? std::numeric_limits<double>::max() : 0.0;
        if (bNegative && f != 0.0) f = -f;
    } else {
        if (rules.bFiniteOnly && !std::isfinite(f)) return std::nullopt;
        if (bNegative) f = -f;
    }
    if (pnEnd) *pnEnd = nEnd;
    return f;
}
