// The measurement reader's rules, one table each: columns found by their header names, the text
// encodings and line ends it reads, and the values it cannot use, each named with its line.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tuning/measurement.h"

using testing::HasSubstr;

namespace {

std::string Report(const SMeasurementRead& r) {
    std::string out;
    for (const std::string& line : r.Lines())
        out += line + "\n";
    return out;
}

// ---- columns by their header names ----

struct SColumnCase {
    const char* pszName;
    std::string text;
    std::string column;  // --column
    std::string want;    // "" for a refusal
    std::string message; // in the refusal, or the column the level came from
    bool bPhase = false;
};

class MeasurementColumns : public testing::TestWithParam<SColumnCase> {};

// want lists the expected points as "f:level f:level ...".
TEST_P(MeasurementColumns, TheLevelComesFromTheNamedColumn) {
    const SColumnCase& c = GetParam();
    const SMeasurementRead r = ParseMeasurementText(c.text, c.column);
    if (c.want.empty()) {
        ASSERT_FALSE(r.bOk);
        EXPECT_THAT(r.szError, HasSubstr(c.message));
        return;
    }
    ASSERT_TRUE(r.bOk) << r.szError;
    EXPECT_EQ(r.szLevelColumn, c.message);
    std::string got;
    for (std::size_t i = 0; i < r.curve.freq.size(); ++i) {
        char sz[64];
        std::snprintf(sz, sizeof sz, "%s%g:%g", i ? " " : "", r.curve.freq[i], r.curve.level[i]);
        got += sz;
    }
    EXPECT_EQ(got, c.want);
    EXPECT_EQ(!r.curve.phase.empty(), c.bPhase);
    EXPECT_TRUE(r.notes.empty()) << Report(r);
}

const char kResults[] = "frequency,raw,error,smoothed,error_smoothed,equalization,parametric_eq,target\n"
                        "20,3.5,1.5,3.4,1.4,-1.2,-1.1,2\n"
                        "1000,0.25,0.25,0.2,0.2,0,0,0\n"
                        "20000,-8,-4,-7.5,-3.5,5,4.5,-4\n";

INSTANTIATE_TEST_SUITE_P(
    Header, MeasurementColumns,
    testing::Values(
        SColumnCase{"results_with_many_columns_take_raw", kResults, "", "20:3.5 1000:0.25 20000:-8", "raw"},
        SColumnCase{"column_by_name", kResults, "Smoothed", "20:3.4 1000:0.2 20000:-7.5", "smoothed"},
        SColumnCase{"column_by_number", kResults, "8", "20:2 1000:0 20000:-4", "target"},
        SColumnCase{
            "unknown_column_named_with_those_found", kResults, "spl", "",
            "No level column \"spl\". Columns found: frequency, raw, error, smoothed, error_smoothed, "
            "equalization, parametric_eq, target."},
        SColumnCase{"no_level_column_says_what_was_found", "frequency,error,smoothed\n20,1,2\n200,3,4\n", "",
                    "",
                    "Columns found: frequency, error, smoothed; no level column (raw, spl, magnitude, db)."},
        SColumnCase{"columns_in_another_order_with_units",
                    "Phase (deg)\tSPL [dB]\tFreq (Hz)\n10\t80\t100\n20\t81\t200\n", "", "100:80 200:81",
                    "SPL", true},
        SColumnCase{"kilohertz_named_in_the_header", "* Freq(kHz) SPL(dB)\n0.02 70\n1 75\n20 72\n", "",
                    "20:70 1000:75 20000:72", "SPL"},
        SColumnCase{"a_comment_that_is_not_a_header",
                    "# Frequency response of the left tweeter\n100 1\n200 2\n", "", "100:1 200:2", ""},
        SColumnCase{"no_header_column_by_number", "100 1 5 9\n200 2 6 9\n", "3", "100:5 200:6", ""},
        SColumnCase{"no_header_column_by_name", "100 1\n200 2\n", "raw", "",
                    "no header line naming its columns"},
        SColumnCase{"first_column_is_no_level", "100 1\n200 2\n", "1", "",
                    "the first column is the frequency"}),
    [](const testing::TestParamInfo<SColumnCase>& p) { return std::string(p.param.pszName); });

// ---- encodings and line ends, read from files ----

std::string Utf16(const std::string& ascii, bool bBigEndian, bool bMark) {
    std::string out;
    if (bMark) out = bBigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : ascii) {
        out += bBigEndian ? '\0' : c;
        out += bBigEndian ? c : '\0';
    }
    return out;
}

struct SEncodingCase {
    const char* pszName;
    std::string bytes;
};

class MeasurementEncodings : public testing::TestWithParam<SEncodingCase> {};

TEST_P(MeasurementEncodings, GiveTheSamePoints) {
    const std::string path = testing::TempDir() + "measurement-" + GetParam().pszName + ".txt";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << GetParam().bytes;
    }
    const SMeasurementRead r = ReadMeasurementFile(path);
    std::remove(path.c_str());
    ASSERT_TRUE(r.bOk) << r.szError;
    EXPECT_EQ(r.curve.freq, (std::vector<double>{100.0, 200.0, 400.0}));
    EXPECT_EQ(r.curve.level, (std::vector<double>{1.5, -2.0, 3.0}));
    EXPECT_EQ(r.curve.phase, (std::vector<double>{10.0, 20.0, 30.0}));
    EXPECT_EQ(r.nSkipped, 0);
    EXPECT_TRUE(r.notes.empty()) << Report(r);
}

const std::string kText = "* Freq(Hz) SPL(dB) Phase(degrees)\r\n100 1.5 10\r\n200 -2 20\r\n400 3 30\r\n";

std::string WithLineEnds(const char* pszEnd) {
    std::string out;
    for (char c : kText) {
        if (c == '\r') continue;
        if (c == '\n')
            out += pszEnd;
        else
            out += c;
    }
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Files, MeasurementEncodings,
    testing::Values(SEncodingCase{"utf16le_with_mark", Utf16(kText, false, true)},
                    SEncodingCase{"utf16be_with_mark", Utf16(kText, true, true)},
                    SEncodingCase{"utf16le_without_mark", Utf16(kText, false, false)},
                    SEncodingCase{"cr_only", WithLineEnds("\r")},
                    SEncodingCase{"utf16le_cr_only", Utf16(WithLineEnds("\r"), false, true)},
                    SEncodingCase{"utf8_mark_lf", "\xEF\xBB\xBF" + WithLineEnds("\n")}),
    [](const testing::TestParamInfo<SEncodingCase>& p) { return std::string(p.param.pszName); });

// ---- what cannot be used is named ----

struct SUnusableCase {
    const char* pszName;
    std::string text;
    bool bOk;
    std::vector<std::string> report; // each in the report, in this order
    std::size_t nPoints = 0;
};

class MeasurementUnusable : public testing::TestWithParam<SUnusableCase> {};

TEST_P(MeasurementUnusable, IsNamedInTheReport) {
    const SUnusableCase& c = GetParam();
    const SMeasurementRead r = ParseMeasurementText(c.text);
    ASSERT_EQ(r.bOk, c.bOk) << Report(r);
    EXPECT_EQ(r.curve.freq.size(), c.nPoints);
    const std::string report = Report(r);
    std::size_t nAt = 0;
    for (const std::string& want : c.report) {
        const std::size_t nFound = report.find(want, nAt);
        ASSERT_NE(nFound, std::string::npos) << "'" << want << "' not in order in:\n" << report;
        nAt = nFound + want.size();
    }
    for (double f : r.curve.level)
        EXPECT_LE(std::fabs(f), MeasurementLimits::kMaxLevelDb);
}

std::string ManyBadLines() {
    std::string out = "100 1\n";
    for (int i = 0; i < 40; ++i)
        out += i % 2 ? "300 nan\n" : "300 1 2 3 4\n";
    return out + "1000 2\n";
}

INSTANTIATE_TEST_SUITE_P(
    Values, MeasurementUnusable,
    testing::Values(
        SUnusableCase{"levels_that_overflow",
                      "200 1e308\n500 -1e308\n",
                      false,
                      {"No usable data lines", "lines 1-2: level beyond -1000..+1000 dB"}},
        SUnusableCase{"beyond_the_range_of_a_double",
                      "100 1e999\n200 1\n300 2\n",
                      true,
                      {"Used 2 points, 200..300 Hz.", "line 1: level beyond -1000..+1000 dB"},
                      2},
        SUnusableCase{"below_the_range_of_a_double_written_out",
                      "100 0." + std::string(400, '0') + "1\n200 1\n300 2\n",
                      true,
                      {"Used 3 points, 100..300 Hz."},
                      3},
        SUnusableCase{"not_a_number_and_infinite",
                      "* Freq SPL Phase\n100 1 0\n150 nan 0\ninf 2 0\n200 2 nan\n300 3 0\n",
                      true,
                      {"line 3: level is not a finite number", "line 4: frequency is not a finite number",
                       "line 5: phase is not a finite number"},
                      2},
        SUnusableCase{"unsorted_and_repeated",
                      "100 1\n1000 3\n500 2\n100 9\n2000 4\n",
                      true,
                      {"line 3: frequency 500 Hz below the line before: the points were sorted by frequency",
                       "line 4: frequency repeated: the first line of it is used"},
                      4},
        SUnusableCase{"lines_after_the_data_starts",
                      "100 1\nfoo bar\n-5 1\n200 2\n300\n",
                      true,
                      {"line 2: not a line of numbers", "line 3: frequency is not above 0 Hz",
                       "line 5: a frequency without a level"},
                      2},
        SUnusableCase{"many_summarised",
                      ManyBadLines(),
                      true,
                      {"line 2: more numbers than frequency, level and phase",
                       "line 3: level is not a finite number", "line 9: level is not a finite number",
                       "... and 32 more lines."},
                      2},
        SUnusableCase{
            "kilohertz", "0.02 70\n0.1 72\n1 75\n20 71\n", false, {"from 0.02 to 20: they look like kHz"}},
        SUnusableCase{"nowhere_on_the_graph",
                      "300000 1\n400000 2\n",
                      false,
                      {"The frequencies run from 300000 to 400000 Hz: none lies on the graph"}},
        SUnusableCase{"header_columns_missing_on_a_line",
                      "frequency,raw,phase\n20,1,0\n30,2\n40,x,0\n50,3,0\n",
                      true,
                      {"line 3: fewer columns than the header names", "line 4: the level is not a number"},
                      2}),
    [](const testing::TestParamInfo<SUnusableCase>& p) { return std::string(p.param.pszName); });

} // namespace
