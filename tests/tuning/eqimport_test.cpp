// Equalizer filter text: the formats of measurement software and system-wide equalizers, cut and
// corrupt files, the mapping onto the bands against the graph's own drawing, export then import.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "orvix/rev8001lib.h"
#include "tuning/eqfit.h"
#include "tuning/eqimport.h"
#include "tuning/measurement.h"

using testing::HasSubstr;

namespace {

struct SBandWant {
    int nFreq;
    int nGain;
    double fBandWidth;
};

struct SCase {
    const char* pszName;
    std::string text;
    bool bOk;
    std::vector<SBandWant> bands;         // the imported bands, in order
    std::vector<std::string> reportWords; // each appears in the report
};

std::string Report(const SEqImport& r) {
    std::string s;
    for (const std::string& line : r.Lines())
        s += line + "\n";
    return s;
}

const std::string kRew = "Filter Settings file\n"
                         "\n"
                         "Room EQ V5.20.13\n"
                         "Dated: 12-Mar-2025 21:04:11\n"
                         "\n"
                         "Notes:front left, 8 averages\n"
                         "\n"
                         "Equaliser: Generic\n"
                         "Averages\n"
                         "Filter  1: ON  PK       Fc   45.80 Hz  Gain   3.00 dB  Q  1.000\n"
                         "Filter  2: ON  PK       Fc   112.5 Hz  Gain  -7.50 dB  Q  4.370\n"
                         "Filter  3: ON  LS       Fc   80.00 Hz  Gain   2.00 dB\n"
                         "Filter  4: OFF PK       Fc   900.0 Hz  Gain  -2.00 dB  Q  2.000\n"
                         "Filter  5: ON  PK       Fc   2610 Hz   Gain  -14.2 dB  Q  7.500\n"
                         "Filter  6: ON  None\n";

std::string ElevenFilters() {
    std::string s = "Preamp: -6.2 dB\n";
    for (int i = 0; i < 11; ++i)
        s += "Filter " + std::to_string(i + 1) + ": ON PK Fc " + std::to_string(10000 - i * 900) +
             " Hz Gain -1 dB Q 1\n";
    return s;
}

const std::vector<SCase>& Cases() {
    static const std::vector<SCase> cases = {
        {"rew_export",
         kRew,
         true,
         {{46, 3, 2.0}, {113, -8, 8.5}, {2610, -12, 10.0}},
         {"line 12: LS filter not importable", "line 13: filter is OFF", "Gain -14.2 dB -> -12 dB",
          "Q 7.500 -> 5.000", "line 15: empty filter"}},
        {"apo_with_preamp_channel_shelves_comma_missing_q",
         "Preamp: -6,2 dB\r\n"
         "Channel: L\r\n"
         "Filter 1: ON PK Fc 105 Hz Gain 5.5 dB Q 0.70\r\n"
         "Filter: ON PK Fc 1234,4 Hz Gain -2,5 dB Q 1,37\r\n"
         "Filter 3: ON LSC Fc 105 Hz Gain 3 dB Q 0.7\r\n"
         "Filter 4: ON HSC Fc 8000 Hz Gain -2 dB Q 0.7\r\n"
         "filter 5: on peq fc 300 hz gain 2 db\r\n"
         "Filter 6: ON LP Fc 18000 Hz\r\n"
         "Filter 7: ON HPQ Fc 20 Hz Q 0.7\r\n"
         "Filter 8: ON NO Fc 50 Hz\r\n"
         "Filter 9: ON AP Fc 50 Hz\r\n",
         true,
         {{105, 6, 1.5}, {300, 2, 2.0}, {1234, -3, 2.5}},
         {"Preamp -6.2 dB not imported", "'Channel: L'", "LSC filter not importable", "HSC filter",
          "line 7: no Q given", "LP filter", "HPQ filter", "NO filter", "AP filter"}},
        {"bom_crlf_tabs_and_case",
         "\xEF\xBB\xBF# headphone correction\r\nFILTER\t1:\tON\tPK\tFC\t60\tHZ\tGAIN\t-4\tDB\tQ\t2\r\n",
         true,
         {{60, -4, 4.0}},
         {}},
        {"more_than_ten_filters",
         ElevenFilters(),
         true,
         // Equal bells: the one whose top half lies beyond 20 kHz shapes the least of the curve.
         {{1000, -1, 2.0},
          {1900, -1, 2.0},
          {2800, -1, 2.0},
          {3700, -1, 2.0},
          {4600, -1, 2.0},
          {5500, -1, 2.0},
          {6400, -1, 2.0},
          {7300, -1, 2.0},
          {8200, -1, 2.0},
          {9100, -1, 2.0}},
         {"line 2: PK 10000 Hz -1 dB Q 1.000 left out", "Preamp -6.2 dB"}},
        {"values_out_of_range",
         "Filter 1: ON PK Fc 5 Hz Gain 20 dB Q 0.1\nFilter 2: ON PK Fc 30000 Hz Gain 2.5 dB Q 12\n"
         "Filter 3: ON PK Fc 1 kHz Gain -0.5 dB BW Oct 1\n",
         true,
         {{16, 12, 1.0}, {1000, -1, 3.0}, {20000, 3, 10.0}},
         {"Fc 5 Hz -> 16 Hz", "Gain +20 dB -> +12 dB", "Q 0.100 -> 0.500", "Fc 30000 Hz -> 20000 Hz",
          "Q 12.000 -> 5.000"}},
        {"garbage_after_the_filters",
         "Filter 1: ON PK Fc 500 Hz Gain 3 dB Q 1\nthis is not a filter\nFilter 2: ON PK Fc abc Hz Gain 1 dB "
         "Q 1\n"
         "GraphicEQ: 25 0; 40 1\n",
         true,
         {{500, 3, 2.0}},
         {"line 2: not understood", "line 3: unreadable filter ('abc' is not a number)",
          "line 4: 'GraphicEQ' is not a filter"}},
        {"cut_in_the_middle_of_a_line",
         "Filter 1: ON PK Fc 500 Hz Gain 3 dB Q 1\nFilter 2: ON PK Fc 800 Hz Gai",
         true,
         {{500, 3, 2.0}},
         {"line 2: unreadable filter ('Gai' is not a filter value)"}},
        {"cut_before_the_gain",
         "Filter 1: ON PK Fc 500 Hz",
         false,
         {},
         {"line 1: incomplete filter (no gain)"}},
        {"only_shelves_and_off",
         "Filter 1: ON LSC Fc 105 Hz Gain 3 dB\nFilter 2: OFF PK Fc 1000 Hz Gain 3 dB Q 1\n",
         false,
         {},
         {"No peaking filter that is ON"}},
        {"not_a_filter_file", "Freq(Hz) SPL(dB)\n20 80.1\n25 80.4\n", false, {}, {"No filter lines found"}},
        {"empty", "", false, {}, {"No filter lines found"}},
        // Values no filter has mean a broken file: refused, naming the line, never clamped.
        {"absurd_gain",
         "Filter 1: ON PK Fc 100 Hz Gain 3 dB Q 1\nFilter 2: ON PK Fc 200 Hz Gain 1e308 dB Q 1\n",
         false,
         {},
         {"line 2: Gain +1e+308 dB is beyond any filter", "nothing was imported"}},
        {"absurd_cut_q_and_frequency",
         "Filter 1: ON PK Fc 100 Hz Gain -1e5 dB Q 1\nFilter 2: ON PK Fc 200 Hz Gain 3 dB Q 1e308\n"
         "Filter 3: ON PK Fc 1e300 Hz Gain 3 dB Q 1\n",
         false,
         {},
         {"line 1: Gain -100000 dB is beyond any filter"}},
        {"absurd_q_alone", "Filter 1: ON PK Fc 200 Hz Gain 3 dB Q 1e308\n", false, {}, {"line 1: Q 1e+308"}},
        {"absurd_bandwidth", "Filter 1: ON PK Fc 200 Hz Gain 3 dB BW Oct 1e-9\n", false, {}, {"line 1: Q "}},
        {"absurd_frequency",
         "Filter 1: ON PK Fc 1e300 Hz Gain 3 dB Q 1\n",
         false,
         {},
         {"line 1: Fc 1e+300 Hz"}},
        {"zero_q_and_zero_frequency",
         "Filter 1: ON PK Fc 0 Hz Gain 3 dB Q 1\nFilter 2: ON PK Fc 100 Hz Gain 3 dB Q 0\n",
         false,
         {},
         {"line 1: Fc 0 Hz is not a frequency", "line 2: Q 0 is not a usable value"}},
    };
    return cases;
}

class EqImportTable : public testing::TestWithParam<SCase> {};

TEST_P(EqImportTable, BandsAndReport) {
    const SCase& c = GetParam();
    const SEqImport r = ParseEqFilterText(c.text);
    const std::string report = Report(r);
    SCOPED_TRACE(report);
    ASSERT_EQ(r.bOk, c.bOk);
    for (const std::string& word : c.reportWords)
        EXPECT_THAT(report, HasSubstr(word));
    if (!c.bOk) {
        EXPECT_FALSE(r.szError.empty());
        return;
    }
    ASSERT_EQ(r.nImported, static_cast<int>(c.bands.size()));
    for (int b = 0; b < CRev8001Lib::EQ_BANDS; ++b) {
        SCOPED_TRACE("band " + std::to_string(b));
        EXPECT_EQ(r.bands[b].Filtertype, FT_PEAKING);
        if (b < r.nImported) {
            const SBandWant& w = c.bands[static_cast<std::size_t>(b)];
            EXPECT_EQ(r.bands[b].Freq, w.nFreq);
            EXPECT_EQ(r.bands[b].Gain, w.nGain);
            EXPECT_FLOAT_EQ(r.bands[b].BandWidth, static_cast<float>(w.fBandWidth));
        } else {
            // Bands left over are flat at their default centres.
            EXPECT_EQ(r.bands[b].Freq, CRev8001Lib::DEFAULT_EQ_FREQ[b]);
            EXPECT_EQ(r.bands[b].Gain, 0);
            EXPECT_FLOAT_EQ(r.bands[b].BandWidth, 1.0f);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, EqImportTable, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<SCase>& p) { return std::string(p.param.pszName); });

// Of more than ten filters, the ten that shape the stepped curve most take the bands; the others are
// named with what leaving them out costs.
struct SSelectCase {
    const char* pszName;
    std::vector<std::string> filters; // "Fc Gain Q", one filter line each
    std::vector<int> leftOutLines;
    std::vector<std::string> reportWords;
};

class EqImportSelection : public testing::TestWithParam<SSelectCase> {};

TEST_P(EqImportSelection, KeepsTheTenThatMatterMost) {
    const SSelectCase& c = GetParam();
    std::string text;
    for (std::size_t k = 0; k < c.filters.size(); ++k)
        text += "Filter " + std::to_string(k + 1) + ": ON PK Fc " + c.filters[k] + "\n";
    const SEqImport r = ParseEqFilterText(text);
    const std::string report = Report(r);
    SCOPED_TRACE(report);
    ASSERT_TRUE(r.bOk);
    std::vector<int> leftOut;
    for (const SEqNote& n : r.notes)
        if (n.kind == SEqNote::LEFT_OUT && n.nLine > 0) leftOut.push_back(n.nLine);
    EXPECT_EQ(leftOut, c.leftOutLines);
    EXPECT_EQ(r.nImported, std::min<int>(10, static_cast<int>(c.filters.size())));
    for (const std::string& word : c.reportWords)
        EXPECT_THAT(report, HasSubstr(word));
    // Every kept filter is in a band; none that was left out is.
    for (std::size_t k = 0; k < c.filters.size(); ++k) {
        const bool bOut = std::find(leftOut.begin(), leftOut.end(), static_cast<int>(k + 1)) != leftOut.end();
        const int nFreq = std::stoi(c.filters[k]);
        bool bInBand = false;
        for (int b = 0; b < r.nImported; ++b)
            bInBand = bInBand || r.bands[b].Freq == nFreq;
        EXPECT_EQ(bInBand, !bOut) << c.filters[k];
    }
}

INSTANTIATE_TEST_SUITE_P(
    MoreThanTen, EqImportSelection,
    testing::Values(
        // A real export's case: the strong narrow filter comes eleventh and must not be the one dropped.
        SSelectCase{"strong_filter_last",
                    {"40 Hz Gain -2 dB Q 1", "90 Hz Gain 1.5 dB Q 2", "150 Hz Gain -1.5 dB Q 1.5",
                     "300 Hz Gain 2 dB Q 1", "1200 Hz Gain -1.2 dB Q 3", "2200 Hz Gain 1 dB Q 2",
                     "3500 Hz Gain -0.6 dB Q 4", "5000 Hz Gain 1.4 dB Q 1", "8000 Hz Gain -2 dB Q 1",
                     "12000 Hz Gain 1.5 dB Q 1", "675 Hz Gain 3.8 dB Q 5"},
                    {7},
                    {"line 7: PK 3500 Hz -0.6 dB Q 4.000 left out", "changes the curve by",
                     "Leaving out 1 filter changes the curve by"}},
        // Filters that round to 0 dB are left out before any other.
        SSelectCase{
            "filters_rounding_to_zero_take_no_band",
            {"60 Hz Gain 0.4 dB Q 1", "100 Hz Gain -3 dB Q 1", "200 Hz Gain 3 dB Q 1",
             "400 Hz Gain -3 dB Q 1", "800 Hz Gain 3 dB Q 1", "1600 Hz Gain -0.3 dB Q 1",
             "2000 Hz Gain -3 dB Q 1", "3200 Hz Gain 3 dB Q 1", "4000 Hz Gain -3 dB Q 1",
             "6400 Hz Gain 3 dB Q 1", "9000 Hz Gain -3 dB Q 1", "12800 Hz Gain 3 dB Q 1"},
            {1, 6},
            {"line 1: PK 60 Hz +0.4 dB Q 1.000 left out: the output has ten bands and it rounds to 0 dB",
             "Leaving out 2 filters changes the curve by 0.00 dB RMS, 0.00 dB max"}},
        // Ten or fewer: all of them, filters of 0 dB included (an export comes back band for band).
        SSelectCase{"ten_with_a_flat_one",
                    {"100 Hz Gain 0 dB Q 1", "200 Hz Gain 3 dB Q 1", "300 Hz Gain 3 dB Q 1"},
                    {},
                    {"Imported 3 filters"}}),
    [](const testing::TestParamInfo<SSelectCase>& p) { return std::string(p.param.pszName); });

TEST(EqImport, HalvesOfAStepRoundAwayFromZeroAndAreNotListed) {
    const SEqImport r = ParseEqFilterText("Filter 1: ON PK Fc 100.5 Hz Gain -2.5 dB Q 1.125\n"
                                          "Filter 2: ON PK Fc 200 Hz Gain 2.5 dB Q 1\n");
    ASSERT_TRUE(r.bOk);
    EXPECT_EQ(r.bands[0].Freq, 101);
    EXPECT_EQ(r.bands[0].Gain, -3);
    EXPECT_FLOAT_EQ(r.bands[0].BandWidth, 2.5f); // 2 x 1.125 = 2.25 -> 2.5
    EXPECT_EQ(r.bands[1].Gain, 3);
    EXPECT_TRUE(r.notes.empty());
    EXPECT_EQ(r.nRounded, 4);
}

TEST(EqImport, FilesThatAreNotTextOrCannotBeReadGiveAReason) {
    const std::string dir = testing::TempDir();
    const std::string binary = dir + "eq_binary.txt";
    {
        std::ofstream out(binary, std::ios::binary);
        out << "Filter 1: ON PK Fc 100 Hz Gain 3 dB Q 1\n" << std::string(4, '\0') << "\x01\x02";
    }
    SEqImport r = ImportEqFilterFile(binary);
    EXPECT_FALSE(r.bOk);
    EXPECT_THAT(r.szError, HasSubstr("binary"));
    r = ImportEqFilterFile(dir + "eq_no_such_file.txt");
    EXPECT_FALSE(r.bOk);
    EXPECT_THAT(r.szError, HasSubstr("Cannot open"));
    const std::string big = dir + "eq_big.txt";
    {
        std::ofstream out(big, std::ios::binary);
        const std::string line = "Filter 1: ON PK Fc 100 Hz Gain 3 dB Q 1\n";
        for (std::size_t n = 0; n < (2u << 20) / line.size(); ++n)
            out << line;
    }
    r = ImportEqFilterFile(big);
    EXPECT_FALSE(r.bOk);
    EXPECT_THAT(r.szError, HasSubstr("larger than 1 MiB"));
}

// A filter list saved as UTF-16 (as some Windows editors do) imports the same bands as its UTF-8 text.
TEST(EqImport, AUtf16FileImportsLikeItsText) {
    const std::string text =
        "Filter 1: ON PK Fc 100 Hz Gain 3 dB Q 1\r\nFilter 2: ON PK Fc 2000 Hz Gain -4 dB Q 2\r\n";
    const std::string path = testing::TempDir() + "eq_utf16.txt";
    {
        std::ofstream out(path, std::ios::binary);
        out << "\xFF\xFE";
        for (char c : text)
            out << c << '\0';
    }
    const SEqImport r = ImportEqFilterFile(path), want = ParseEqFilterText(text);
    ASSERT_TRUE(r.bOk) << r.szError;
    EXPECT_EQ(r.nImported, 2);
    for (int b = 0; b < CRev8001Lib::EQ_BANDS; ++b) {
        // Copies: the packed record's fields cannot be bound to references.
        const SFilterCoef got = r.bands[b], wanted = want.bands[b];
        const int nFreq[2] = {got.Freq, wanted.Freq}, nGain[2] = {got.Gain, wanted.Gain};
        const float fWidth[2] = {got.BandWidth, wanted.BandWidth};
        EXPECT_EQ(nFreq[0], nFreq[1]) << b;
        EXPECT_EQ(nGain[0], nGain[1]) << b;
        EXPECT_EQ(fWidth[0], fWidth[1]) << b;
    }
}

// The bell the store draws for an imported filter is the textbook bell of the source filter, as far
// as the steps of frequency, gain and BandWidth allow: it equals the bell of the stepped values, and
// differs from the source's by no more than moving each value by half a step does.
TEST(EqImport, ImportedBellMatchesTheSourceBellOnTheGraph) {
    struct SSource {
        double f, g, q;
    };
    for (const SSource s : {SSource{45.8, 3.0, 1.0}, SSource{1234.4, -4.6, 1.37}, SSource{8000, 6.4, 0.71},
                            SSource{150.2, -11.7, 4.2}, SSource{16000, 2.0, 2.6}}) {
        char sz[128];
        std::snprintf(sz, sizeof sz, "Filter 1: ON PK Fc %.2f Hz Gain %.2f dB Q %.3f\n", s.f, s.g, s.q);
        SCOPED_TRACE(sz);
        const SEqImport r = ParseEqFilterText(sz);
        ASSERT_TRUE(r.bOk);
        CRev8001Lib lib;
        lib.WriteDefaults();
        lib.SetEqCoef(0, 0, r.bands[0]);
        lib.ClearResponse();
        lib.AddSectionResponse(r.bands[0], 1);
        const double* drawn = lib.GetResponse();

        const SFilterCoef& c = r.bands[0];
        double stepped[RESPONSE_POINTS] = {}, source[RESPONSE_POINTS] = {};
        AddCookbookBell(c.Freq, c.Gain, c.BandWidth / 2.0, stepped);
        AddCookbookBell(s.f, s.g, s.q, source);
        // The largest change moving the stepped values by half a step can make, per point.
        double bound[RESPONSE_POINTS] = {};
        for (double df : {-0.5, 0.5})
            for (double dg : {-0.5, 0.5})
                for (double dq : {-0.125, 0.125}) {
                    double corner[RESPONSE_POINTS] = {};
                    AddCookbookBell(c.Freq + df, c.Gain + dg, c.BandWidth / 2.0 + dq, corner);
                    for (int i = 0; i < RESPONSE_POINTS; ++i)
                        bound[i] = std::max(bound[i], std::fabs(corner[i] - stepped[i]));
                }
        for (int i = 0; i < RESPONSE_POINTS; ++i) {
            ASSERT_NEAR(drawn[i], stepped[i], 1e-6) << "point " << i;
            ASSERT_LE(std::fabs(drawn[i] - source[i]), bound[i] * 1.05 + 1e-6) << "point " << i;
        }
    }
}

TEST(EqImport, ExportThenImportGivesTheSameBands) {
    SFilterCoef bands[CRev8001Lib::EQ_BANDS];
    // As import and fit leave them: the bands with a gain in ascending frequency, then flat ones.
    const int freqs[] = {16, 45, 113, 250, 731, 1000, 2610, 6000, 12000, 20000};
    const int gains[] = {-12, -9, -6, -3, 2, 3, 6, 9, 12, 0};
    for (int b = 0; b < CRev8001Lib::EQ_BANDS; ++b) {
        bands[b].Filtertype = FT_PEAKING;
        bands[b].Freq = static_cast<std::uint16_t>(freqs[b]);
        bands[b].Gain = static_cast<std::int8_t>(gains[b]);
        bands[b].BandWidth = static_cast<float>(1.0 + 0.5 * ((b * 7) % 19));
    }
    const std::string text = ExportEqFilterText(bands, 1, 3);
    EXPECT_THAT(text, HasSubstr("Filter 3: ON PK Fc 113 Hz Gain -6 dB Q 4.000\n"));
    const SEqImport r = ParseEqFilterText(text);
    ASSERT_TRUE(r.bOk) << r.szError;
    EXPECT_EQ(r.nImported, 10);
    EXPECT_EQ(r.nRounded, 0);
    EXPECT_TRUE(r.notes.empty());
    for (int b = 0; b < CRev8001Lib::EQ_BANDS; ++b) {
        EXPECT_EQ(r.bands[b].Freq, bands[b].Freq);
        EXPECT_EQ(r.bands[b].Gain, bands[b].Gain);
        EXPECT_FLOAT_EQ(r.bands[b].BandWidth, bands[b].BandWidth);
    }
    // A switched-off equalizer exports OFF lines, which import nothing.
    const std::string off = ExportEqFilterText(bands, 0, 3);
    EXPECT_THAT(off, HasSubstr("Filter 1: OFF PK"));
    EXPECT_FALSE(ParseEqFilterText(off).bOk);
}

} // namespace
