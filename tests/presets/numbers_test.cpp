// The one number parser: each rule of SNumberRules, through the rule sets the readers use, and the
// readers' own entry points where a reader once had a rule of its own.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "presets/profile.h"
#include "presets/textparse.h"

namespace {

namespace R = NumberRules;

constexpr double kHuge = std::numeric_limits<double>::max();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

// 400 digits: beyond the double's range written out, without an exponent.
const std::string kLongInteger = "1" + std::string(400, '0');
const std::string kLongFraction = "0." + std::string(400, '0') + "1";

SNumberRules Leading(SNumberRules r) {
    r.extent = ENumberExtent::LEADING;
    return r;
}

struct SIntCase {
    const char* pszRules;
    SNumberRules rules;
    std::string text;
    std::optional<int> want;
    std::size_t nEnd = 0; // checked when a number is found
};

TEST(NumberParser, IntegerRules) {
    const SIntCase cases[] = {
        // leading number after blanks (the edit boxes), clamped to +-1e9
        {"box", R::kBoxInt, "  12 Hz", 12, 4},
        {"box", R::kBoxInt, "\n\v\f\r\t7", 7, 6},
        {"box", R::kBoxInt, "-5x", -5, 2},
        {"box", R::kBoxInt, "1.9", 1, 1},
        {"box", R::kBoxInt, "0x10", 0, 1},
        {"box", R::kBoxInt, "abc", std::nullopt},
        {"box", R::kBoxInt, "", std::nullopt},
        {"box", R::kBoxInt, "- 3", std::nullopt},
        {"box", R::kBoxInt, "+-5", std::nullopt},
        {"box", R::kBoxInt, "99999999999", 1000000000, 11},
        {"box", R::kBoxInt, "-99999999999", -1000000000, 12},
        // the profile's GetInt: saturated to int
        {"profile", R::kProfileInt, "2147483647", INT_MAX, 10},
        {"profile", R::kProfileInt, "2147483648", INT_MAX, 10},
        {"profile", R::kProfileInt, "-2147483648", INT_MIN, 11},
        {"profile", R::kProfileInt, "-" + std::string(40, '9'), INT_MIN, 41},
        // the whole text, no blanks, any size (the written value check)
        {"written", R::kWrittenInt, "-0", 0, 2},
        {"written", R::kWrittenInt, "+12", 12, 3},
        {"written", R::kWrittenInt, " 12", std::nullopt},
        {"written", R::kWrittenInt, "12 ", std::nullopt},
        {"written", R::kWrittenInt, "+", std::nullopt},
        {"written", R::kWrittenInt, "99999999999", INT_MAX, 11},
        // digits only, refused beyond the range
        {"column", R::kColumnNumber, "0003", 3, 4},
        {"column", R::kColumnNumber, "+3", std::nullopt},
        {"column", R::kColumnNumber, "-3", std::nullopt},
        {"column", R::kColumnNumber, "2147483648", std::nullopt},
        {"column", R::kColumnNumber, "3x", std::nullopt},
    };
    for (const SIntCase& c : cases) {
        SCOPED_TRACE(std::string(c.pszRules) + " '" + c.text + "'");
        std::size_t nEnd = 12345;
        const std::optional<int> got = ParseInt(c.text, c.rules, &nEnd);
        EXPECT_EQ(got, c.want);
        if (got && c.want) {
            EXPECT_EQ(nEnd, c.nEnd);
        }
    }
}

struct SRealCase {
    const char* pszRules;
    SNumberRules rules;
    std::string text;
    std::optional<double> want;
    std::size_t nEnd = 0; // checked when a number is found
};

TEST(NumberParser, RealRules) {
    const SRealCase cases[] = {
        // the edit boxes: leading, after blanks, written out, finite
        {"box", R::kBoxReal, " \t1.5abc", 1.5, 5},
        {"box", R::kBoxReal, "\f\v2", 2.0, 3},
        {"box", R::kBoxReal, "-.5", -0.5, 3},
        {"box", R::kBoxReal, "1e3", 1.0, 1},
        {"box", R::kBoxReal, "1,5", 1.0, 1},
        {"box", R::kBoxReal, "inf", std::nullopt},
        {"box", R::kBoxReal, "nan", std::nullopt},
        {"box", R::kBoxReal, "+-5", std::nullopt},
        {"box", R::kBoxReal, "--5", std::nullopt},
        {"box", R::kBoxReal, "- 5", std::nullopt},
        {"box", R::kBoxReal, kLongInteger, std::nullopt},
        // the profile: leading, with exponent, finite, refused beyond the range
        {"profile", R::kProfileReal, " 1e1x", 10.0, 4},
        {"profile", R::kProfileReal, "1e", 1.0, 1},
        {"profile", R::kProfileReal, "0x1p3", 0.0, 1},
        {"profile", R::kProfileReal, "1e999", std::nullopt},
        {"profile", R::kProfileReal, "-infinity", std::nullopt},
        // the whole text as written
        {"written", R::kWrittenReal, "+0.577000", 0.577, 9},
        {"written", R::kWrittenReal, "0.5 ", std::nullopt},
        {"written", R::kWrittenReal, " 0.5", std::nullopt},
        {"written", R::kWrittenReal, "+-0.5", std::nullopt},
        // measurement exports: whole field, non-finite read, beyond the range clamped by magnitude
        {"measurement", R::kMeasurement, "1e999", kHuge, 5},
        {"measurement", R::kMeasurement, "-1e999", -kHuge, 6},
        {"measurement", R::kMeasurement, "1e-999", 0.0, 6},
        {"measurement", R::kMeasurement, "-1e-999", 0.0, 7},
        {"measurement", R::kMeasurement, kLongInteger, kHuge, 401},
        {"measurement", R::kMeasurement, kLongFraction, 0.0, 403},
        {"measurement", R::kMeasurement, "0.001e-400", 0.0, 10},
        {"measurement", R::kMeasurement, ".5e999", kHuge, 6},
        {"measurement", R::kMeasurement, "-inf", -kInf, 4},
        {"measurement", R::kMeasurement, "+nan", kNan, 4},
        {"measurement", R::kMeasurement, "1,5", std::nullopt},
        {"measurement", R::kMeasurement, "1e999x", std::nullopt},
        {"measurement comma", R::kMeasurementComma, "-20,25", -20.25, 6},
        {"measurement comma", R::kMeasurementComma, "20.25", 20.25, 5},
        {"measurement comma", R::kMeasurementComma, "1,5,5", std::nullopt},
        // equalizer lists: point or comma, the unit glued on when read as the leading number
        {"eq list", R::kEqListValue, "105,5", 105.5, 5},
        {"eq list", R::kEqListValue, "105Hz", std::nullopt},
        {"eq list", R::kEqListValue, "1e999", std::nullopt},
        {"eq list leading", Leading(R::kEqListValue), "2,5kHz", 2.5, 3},
        {"eq list leading", Leading(R::kEqListValue), "infHz", std::nullopt},
    };
    for (const SRealCase& c : cases) {
        SCOPED_TRACE(std::string(c.pszRules) + " '" + c.text.substr(0, 40) + "'");
        std::size_t nEnd = 12345;
        const std::optional<double> got = ParseReal(c.text, c.rules, &nEnd);
        ASSERT_EQ(got.has_value(), c.want.has_value()) << (got ? *got : 0.0);
        if (!got) continue;
        if (std::isnan(*c.want)) {
            EXPECT_TRUE(std::isnan(*got)) << *got;
        } else {
            EXPECT_EQ(*got, *c.want);
        }
        EXPECT_EQ(nEnd, c.nEnd);
    }
}

// The readers' own entry points, where each once had a parser of its own: nothing readable is 0, and
// a second sign is no number anywhere (the real readers once took "+-5" as -5).
TEST(NumberParser, ReadersAgreeOnTheEdges) {
    EXPECT_EQ(ParseBoxInt("+-5"), 0);
    EXPECT_EQ(ParseBoxDouble("+-5"), 0.0);
    EXPECT_EQ(ZUtils::ParseProfileInt("+-5"), 0);
    EXPECT_EQ(ZUtils::ParseProfileDouble("+-5"), 0.0);
    // The same blanks before the number for every leading reader.
    for (const char* psz : {" 7", "\t7", "\r7", "\n7", "\f7", "\v7"}) {
        EXPECT_EQ(ParseBoxInt(psz), 7) << static_cast<int>(psz[0]);
        EXPECT_EQ(ParseBoxDouble(psz), 7.0) << static_cast<int>(psz[0]);
        EXPECT_EQ(ZUtils::ParseProfileInt(psz), 7) << static_cast<int>(psz[0]);
        EXPECT_EQ(ZUtils::ParseProfileDouble(psz), 7.0) << static_cast<int>(psz[0]);
    }
}

} // namespace
