// Measurements and the fit on the processor's steps: reading measurement exports, the quality of the
// fit on a known case, the fit against rounding a continuous optimum, and never worse than flat.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>
#include <string>
#include <vector>

#include "orvix/filtersection.h"
#include "tests/common/filterrecord.h"
#include "tuning/eqfit.h"
#include "tuning/eqimport.h"
#include "tuning/eqtuning.h"
#include "tuning/measurement.h"

using testing::HasSubstr;

namespace {

// A reproducible uniform noise in -a..a.
class CNoise {
public:
    explicit CNoise(std::uint32_t nSeed) : m_n(nSeed) {}
    double Next(double a) {
        m_n = m_n * 1664525u + 1013904223u;
        return a * (2.0 * (m_n >> 8) / double(1u << 24) - 1.0);
    }

private:
    std::uint32_t m_n;
};

struct SBell {
    int nFreq, nGain;
    double fBandWidth;
};

// A measurement that is the target less the given bells (as the store draws them), plus noise.
SEqFitInput InverseOfBells(const std::vector<SBell>& bells, double fNoise, std::uint32_t nSeed) {
    SEqFitInput in;
    in.target = FlatTarget();
    in.xover.assign(RESPONSE_POINTS, 0.0);
    std::vector<double> eq(RESPONSE_POINTS, 0.0);
    for (const SBell& b : bells) {
        const SFilterCoef c = FilterRecord::Peak(static_cast<std::uint16_t>(b.nFreq), b.nGain,
                                                 static_cast<float>(b.fBandWidth));
        ZUtils::SBiquad q;
        EXPECT_TRUE(ZUtils::DesignSection(c, 0, &q));
        ZUtils::AddSectionCurve(q, eq.data());
    }
    CNoise noise(nSeed);
    in.measured.resize(RESPONSE_POINTS);
    for (int i = 0; i < RESPONSE_POINTS; ++i)
        in.measured[static_cast<std::size_t>(i)] = -eq[static_cast<std::size_t>(i)] + noise.Next(fNoise);
    return in;
}

const std::vector<SBell> kFiveBells = {
    {60, -7, 3.0}, {250, 4, 4.0}, {1100, -5, 2.0}, {3500, 3, 6.0}, {9000, -6, 2.5}};

void ExpectOnSteps(const SEqFitResult& r, int nMaxBoost) {
    for (int b = 0; b < CRev8001Lib::EQ_BANDS; ++b) {
        const SFilterCoef& c = r.bands[b];
        EXPECT_EQ(c.Filtertype, FT_PEAKING);
        EXPECT_GE(c.Freq, 16);
        EXPECT_LE(c.Freq, 20000);
        EXPECT_GE(c.Gain, -12);
        EXPECT_LE(c.Gain, nMaxBoost);
        const float fBandWidth = c.BandWidth; // the record is packed: no reference to its members
        EXPECT_GE(fBandWidth, 1.0f);
        EXPECT_LE(fBandWidth, 10.0f);
        EXPECT_EQ(fBandWidth * 2.0f, std::round(fBandWidth * 2.0f));
    }
}

TEST(EqFit, FiveBellsFromAboutThreeDbToAtMostSixTenths) {
    const SEqFitSettings settings;
    for (std::uint32_t nSeed : {1u, 2u, 3u}) {
        SCOPED_TRACE("seed " + std::to_string(nSeed));
        const SEqFitInput in = InverseOfBells(kFiveBells, 0.3, nSeed);
        const SEqFitResult r = FitEqualizer(in, settings);
        ASSERT_TRUE(r.bOk) << r.szError;
        EXPECT_GT(r.fRmsBefore, 2.5);
        EXPECT_LT(r.fRmsBefore, 3.5);
        EXPECT_LE(r.fRmsAfter, 0.6);
        EXPECT_NEAR(EqFitDeviation(in, settings, r.bands), r.fRmsAfter, 1e-9);
        ExpectOnSteps(r, settings.nMaxBoost);
    }
}

// Searching on the steps beats finding the continuous optimum and rounding it to the steps, on the
// five bells and on bells that lie between the steps.
TEST(EqFit, BeatsRoundingTheContinuousOptimum) {
    const SEqFitSettings settings;
    std::vector<SEqFitInput> inputs;
    for (std::uint32_t nSeed : {1u, 2u, 3u})
        inputs.push_back(InverseOfBells(kFiveBells, 0.3, nSeed));
    // Textbook bells between the steps: frequencies, gains and Q that no band holds exactly.
    SEqFitInput between = InverseOfBells({}, 0.3, 4);
    std::vector<double> bells(RESPONSE_POINTS, 0.0);
    AddCookbookBell(70.4, -6.5, 1.3, bells.data());
    AddCookbookBell(402.7, 3.5, 2.2, bells.data());
    AddCookbookBell(2310.0, -4.5, 0.8, bells.data());
    AddCookbookBell(7033.0, 2.5, 3.1, bells.data());
    for (std::size_t i = 0; i < bells.size(); ++i)
        between.measured[i] -= bells[i];
    inputs.push_back(between);
    for (std::size_t nCase = 0; nCase < inputs.size(); ++nCase) {
        const SEqFitInput& in = inputs[nCase];
        const std::size_t nSeed = nCase;
        const SEqFitResult steps = FitEqualizer(in, settings);
        const SEqFitResult rounded = FitContinuousThenRound(in, settings);
        ASSERT_TRUE(steps.bOk && rounded.bOk);
        ExpectOnSteps(rounded, settings.nMaxBoost);
        EXPECT_LT(steps.fRmsAfter, rounded.fRmsAfter) << "seed " << nSeed;
    }
}

TEST(EqFit, NeverWorseThanFlatAndHonoursTheBoostLimitAndTheCrossover) {
    SEqFitSettings settings;
    // A measurement that is all dips: with no boost allowed nothing can help, the bands stay flat.
    SEqFitInput in = InverseOfBells({{100, 6, 2.0}, {1900, 6, 3.0}}, 0.0, 1);
    settings.nMaxBoost = 0;
    SEqFitResult r = FitEqualizer(in, settings);
    ASSERT_TRUE(r.bOk);
    EXPECT_LE(r.fRmsAfter, r.fRmsBefore);
    for (int b = 0; b < CRev8001Lib::EQ_BANDS; ++b)
        EXPECT_LE(r.bands[b].Gain, 0);

    // A crossover's roll-off outside the range is not chased; inside it is part of the deviation.
    in = InverseOfBells({{300, -6, 2.0}}, 0.0, 1);
    in.xover.assign(RESPONSE_POINTS, 0.0);
    const ZUtils::ZResponseGrid& grid = ZUtils::ZResponseGrid::Get();
    for (int i = 0; i < RESPONSE_POINTS; ++i)
        if (grid.m_fFreq[i] < 80.0) in.xover[static_cast<std::size_t>(i)] = -30.0;
    settings = SEqFitSettings{};
    settings.fFrom = 100.0;
    settings.fTo = 10000.0;
    r = FitEqualizer(in, settings);
    ASSERT_TRUE(r.bOk);
    EXPECT_LT(r.fRmsAfter, 0.2);

    // A range with no measured point is refused with a reason.
    settings.fFrom = 25000.0;
    settings.fTo = 30000.0;
    r = FitEqualizer(in, settings);
    EXPECT_FALSE(r.bOk);
    EXPECT_THAT(r.szError, HasSubstr("Fewer than eight points"));
}

// The combined level of the bands at frequency f, from the textbook peaking bell (Q = BandWidth / 2 at
// the processor's 192 kHz), evaluated here on its own rather than with the fit's code.
double CombinedDb(const SFilterCoef* pBands, double f) {
    std::complex<double> h = 1.0;
    for (int b = 0; b < CRev8001Lib::EQ_BANDS; ++b) {
        if (pBands[b].Gain == 0) continue;
        const double fA = std::pow(10.0, pBands[b].Gain / 40.0);
        const double fW0 = 2.0 * std::numbers::pi * pBands[b].Freq / 192000.0;
        const double fAlpha = std::sin(fW0) / (2.0 * (static_cast<double>(pBands[b].BandWidth) / 2.0));
        const std::complex<double> z1 = std::polar(1.0, -2.0 * std::numbers::pi * f / 192000.0);
        const std::complex<double> z2 = z1 * z1;
        h *= (1.0 + fAlpha * fA - 2.0 * std::cos(fW0) * z1 + (1.0 - fAlpha * fA) * z2) /
             (1.0 + fAlpha / fA - 2.0 * std::cos(fW0) * z1 + (1.0 - fAlpha / fA) * z2);
    }
    return 20.0 * std::log10(std::abs(h));
}

// The highest combined level over 10 Hz..24 kHz at 400 points per octave and at every band's centre.
double HighestCombinedDb(const SFilterCoef* pBands, double* pAt = nullptr) {
    std::vector<double> freqs;
    for (double f = 10.0; f < 24000.0; f *= std::exp2(1.0 / 400.0))
        freqs.push_back(f);
    for (int b = 0; b < CRev8001Lib::EQ_BANDS; ++b)
        freqs.push_back(pBands[b].Freq);
    double fMax = -1e9;
    for (double f : freqs) {
        const double v = CombinedDb(pBands, f);
        if (v > fMax) {
            fMax = v;
            if (pAt) *pAt = f;
        }
    }
    return fMax;
}

// A flat measurement less a textbook bell (a dip), on the grid.
SEqFitInput FlatWithDip(double fFreq, double fDepth, double fQ) {
    SEqFitInput in;
    in.target = FlatTarget();
    in.xover.assign(RESPONSE_POINTS, 0.0);
    in.measured.assign(RESPONSE_POINTS, 0.0);
    AddCookbookBell(fFreq, -fDepth, fQ, in.measured.data());
    return in;
}

// The boost limit holds for the ten bands together at every frequency, whatever the measurement asks
// for; bands do not stack to get round it, and a dip no sane boost fills is left alone and named.
TEST(EqFit, BoostLimitHoldsForTheCombinedCurve) {
    struct SCase {
        const char* pszName;
        SEqFitInput in;
        double fMaxDipDepth;
        double fDipFreq; // a dip left alone there; 0: none
    };
    // A headphone's bass roll-off at the low end of the range: no dip, but every band wants to boost.
    SEqFitInput rollOff = FlatWithDip(1000.0, 0.0, 1.0);
    const ZUtils::ZResponseGrid& grid = ZUtils::ZResponseGrid::Get();
    for (int i = 0; i < RESPONSE_POINTS; ++i)
        rollOff.measured[static_cast<std::size_t>(i)] =
            -15.0 * std::max(0.0, 1.0 - std::log2(grid.m_fFreq[i] / 20.0) / 2.0);
    const SCase cases[] = {
        {"narrow_30dB_null_at_1kHz", FlatWithDip(1000.0, 30.0, 8.0), 15.0, 1000.0},
        {"broad_15dB_dip_at_60Hz_filled", FlatWithDip(60.0, 15.0, 0.7), 20.0, 0.0},
        {"broad_18dB_dip_at_60Hz_too_deep", FlatWithDip(60.0, 18.0, 0.7), 15.0, 60.0},
        {"bass_roll_off", rollOff, 15.0, 0.0},
    };
    for (const SCase& c : cases) {
        for (int nLimit : {0, 3, 6, 12}) {
            SCOPED_TRACE(std::string(c.pszName) + ", limit " + std::to_string(nLimit));
            SEqFitSettings settings;
            settings.nMaxBoost = nLimit;
            settings.fMaxDipDepth = c.fMaxDipDepth;
            const SEqFitResult r = FitEqualizer(c.in, settings);
            ASSERT_TRUE(r.bOk) << r.szError;
            double fAt = 0.0;
            const double fHighest = HighestCombinedDb(r.bands, &fAt);
            EXPECT_LE(fHighest, nLimit + 0.01) << "at " << fAt << " Hz";
            EXPECT_NEAR(r.fMaxBoost, std::max(0.0, fHighest), 0.02);
            if (c.fDipFreq > 0.0) {
                ASSERT_EQ(r.dips.size(), 1u);
                EXPECT_NEAR(std::log2(r.dips[0].fFreq / c.fDipFreq), 0.0, 0.05);
                EXPECT_TRUE(r.dips[0].bTooDeep);
                // Left alone: the bands do not reach into it.
                EXPECT_LT(CombinedDb(r.bands, c.fDipFreq), 2.0);
            } else {
                EXPECT_TRUE(r.dips.empty());
                // The limit is used, not fallen short of.
                if (nLimit > 0) {
                    EXPECT_GE(fHighest, nLimit - 1.0);
                }
            }
        }
    }
}

// A dip narrower than the set width is left alone however shallow the depth limit makes it look, and
// the figures are over the points the fit used, within the range that has data.
TEST(EqFit, NarrowDipsAndTheRangeWithData) {
    SEqFitInput in = FlatWithDip(2000.0, 8.0, 12.0);
    SEqFitSettings settings;
    SEqFitResult r = FitEqualizer(in, settings);
    ASSERT_TRUE(r.bOk);
    ASSERT_EQ(r.dips.size(), 1u);
    EXPECT_TRUE(r.dips[0].bTooNarrow);
    EXPECT_FALSE(r.dips[0].bTooDeep);
    EXPECT_LT(r.dips[0].fWidth, settings.fMinDipWidth);
    settings.fMinDipWidth = 0.0;
    r = FitEqualizer(in, settings);
    EXPECT_TRUE(r.dips.empty());

    // A measurement of 100..5000 Hz: the report names that range, not 20..20000 Hz.
    in = FlatWithDip(1000.0, 6.0, 1.0);
    const ZUtils::ZResponseGrid& grid = ZUtils::ZResponseGrid::Get();
    int nInside = 0;
    for (int i = 0; i < RESPONSE_POINTS; ++i) {
        if (grid.m_fFreq[i] < 100.0 || grid.m_fFreq[i] > 5000.0)
            in.measured[static_cast<std::size_t>(i)] = std::nan("");
        else
            ++nInside;
    }
    settings = SEqFitSettings{};
    r = FitEqualizer(in, settings);
    ASSERT_TRUE(r.bOk);
    EXPECT_EQ(r.nPoints, nInside);
    EXPECT_NEAR(r.fDataFrom, 100.0, 3.5);
    EXPECT_NEAR(r.fDataTo, 5000.0, 150.0);
    std::string report;
    for (const std::string& line : FitReportLines(r, settings))
        report += line + "\n";
    EXPECT_THAT(report, HasSubstr("points the fit used, 100..49"));
    EXPECT_THAT(report, HasSubstr("The measurement has data only in 100..49"));
    EXPECT_THAT(report, testing::Not(HasSubstr("20..20000")));
    // The after figure is the measurement plus the bands over exactly those points.
    double fSum = 0.0;
    for (int i = 0; i < RESPONSE_POINTS; ++i) {
        const double m = in.measured[static_cast<std::size_t>(i)];
        if (std::isnan(m)) continue;
        const double v = m + CombinedDb(r.bands, grid.m_fFreq[i]);
        fSum += v * v;
    }
    EXPECT_NEAR(r.fRmsAfter, std::sqrt(fSum / nInside), 1e-3);
}

struct SMeasCase {
    const char* pszName;
    std::string text;
    bool bOk;
    std::vector<std::pair<double, double>> points;
    int nSkipped;
};

class MeasurementTable : public testing::TestWithParam<SMeasCase> {};

TEST_P(MeasurementTable, Points) {
    const SMeasCase& c = GetParam();
    const SMeasurementRead r = ParseMeasurementText(c.text);
    ASSERT_EQ(r.bOk, c.bOk) << r.szError;
    if (!c.bOk) {
        EXPECT_FALSE(r.szError.empty());
        return;
    }
    EXPECT_EQ(r.nSkipped, c.nSkipped);
    ASSERT_EQ(r.curve.freq.size(), c.points.size());
    for (std::size_t i = 0; i < c.points.size(); ++i) {
        EXPECT_DOUBLE_EQ(r.curve.freq[i], c.points[i].first);
        EXPECT_DOUBLE_EQ(r.curve.level[i], c.points[i].second);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, MeasurementTable,
    testing::Values(
        SMeasCase{"rew_export",
                  "* Measurement data measured by REW V5.20.13\n* Source: Umik-1  Gain: 18dB\n"
                  "* Format: 2 cycles, 1 channel\n* Freq(Hz) SPL(dB) Phase(degrees)\n"
                  "20.000000 78.123 -12.5\n20.500000 78.400 -13.0\n21.010000 79.000 -13.9\n",
                  true,
                  {{20.0, 78.123}, {20.5, 78.4}, {21.01, 79.0}},
                  0},
        SMeasCase{"tabs_crlf_bom_two_columns",
                  "\xEF\xBB\xBF"
                  "Freq\tdB\r\n100\t-1.5\r\n200\t-2\r\n",
                  true,
                  {{100, -1.5}, {200, -2}},
                  0},
        SMeasCase{"semicolons_with_decimal_commas",
                  "f;level;phase\n20,5;80,1;3\n40;81,25;0\n",
                  true,
                  {{20.5, 80.1}, {40, 81.25}},
                  0},
        SMeasCase{"commas_as_separators", "20.5,80.1\n40, 81.25, 0\n", true, {{20.5, 80.1}, {40, 81.25}}, 0},
        SMeasCase{
            "spaces_with_decimal_commas", "20,5 80,1\n40 81,25\n", true, {{20.5, 80.1}, {40, 81.25}}, 0},
        SMeasCase{"unsorted_duplicates_and_garbage",
                  "1000 3\n100 1\nfoo bar\n100 2\n-5 1\n10 1 2 3\n",
                  true,
                  {{100, 1}, {1000, 3}},
                  3},
        SMeasCase{"cut_after_one_point", "* header\n100 1\n20", false, {}, 0},
        SMeasCase{"not_a_measurement", "Filter 1: ON PK Fc 100 Hz Gain 3 dB Q 1\n", false, {}, 0}),
    [](const testing::TestParamInfo<SMeasCase>& p) { return std::string(p.param.pszName); });

TEST(Measurement, OnTheGridBetweenItsEndsAndNormalisedToTheTarget) {
    SMeasurement m;
    m.freq = {100.0, 1000.0, 10000.0};
    m.level = {80.0, 90.0, 80.0};
    const std::vector<double> g = CurveOnGrid(m);
    const ZUtils::ZResponseGrid& grid = ZUtils::ZResponseGrid::Get();
    for (int i = 0; i < RESPONSE_POINTS; ++i) {
        const double f = grid.m_fFreq[i];
        const double v = g[static_cast<std::size_t>(i)];
        if (f < 100.0 || f > 10000.0) {
            EXPECT_TRUE(std::isnan(v)) << f;
        } else {
            // Linear over the logarithm of the frequency.
            const double want = 90.0 - 10.0 * std::fabs(std::log10(f) - 3.0);
            EXPECT_NEAR(v, want, 1e-9) << f;
        }
    }
    std::vector<double> target = FlatTarget();
    for (double& t : target)
        t = 3.0;
    const std::vector<double> n = NormalisedMeasurement(g, target, 100.0, 10000.0);
    EXPECT_NEAR(MeanOverRange(n, 100.0, 10000.0), 3.0, 1e-9);
}

TEST(EqTuning, PredictionIsTheMeasurementPlusTheOutputsCurve) {
    CSettingsModel m;
    m.WriteStartupDefaults();
    SFilterCoef c = EqSteps::FlatBand(3);
    c.Gain = 6;
    m.m_Lib.SetEqCoef(2, 3, c);
    m.m_bEqEnable[2] = 1;
    SChannelTuning t;
    t.measured = FlatTarget();
    SOverlayCurves o = OverlayCurves(m, 2, t);
    const std::vector<double> eq = ChannelCurve(m, 2, true, false);
    for (int i = 0; i < RESPONSE_POINTS; ++i)
        EXPECT_DOUBLE_EQ(o.predicted[static_cast<std::size_t>(i)], eq[static_cast<std::size_t>(i)]);
    // With the equalizer switched off the prediction is the measurement.
    m.m_bEqEnable[2] = 0;
    o = OverlayCurves(m, 2, t);
    for (int i = 0; i < RESPONSE_POINTS; ++i)
        EXPECT_DOUBLE_EQ(o.predicted[static_cast<std::size_t>(i)], 0.0);
}

// A measurement taken through the output's settings S: the prediction with S unchanged is the
// measurement; with other settings it is the bare driver with them (up to the normalisation's offset);
// the fit replaces S's bands rather than stacking on them.
TEST(EqTuning, MeasurementTakenThroughTheSettings) {
    CSettingsModel m;
    m.WriteStartupDefaults();
    const int ch = 2;
    m.m_bEqEnable[ch] = 1;
    // S: bands that correct the driver below, so that the measurement through S is nearly flat.
    const std::vector<SBell> driver = {{80, -5, 2.0}, {700, 4, 3.0}, {3000, -6, 2.5}, {9000, 3, 4.0}};
    for (std::size_t b = 0; b < driver.size(); ++b)
        m.m_Lib.SetEqCoef(ch, static_cast<std::uint8_t>(b),
                          FilterRecord::Peak(static_cast<std::uint16_t>(driver[b].nFreq), -driver[b].nGain,
                                             static_cast<float>(driver[b].fBandWidth)));
    const SEqFitInput driverIn = InverseOfBells(
        {{80, 5, 2.0}, {700, -4, 3.0}, {3000, 6, 2.5}, {9000, -3, 4.0}}, 0.0, 1); // the bare driver
    const std::vector<double> withS = ChannelCurve(m, ch, true, m.m_bXoverEnable[ch] != 0);
    SChannelTuning t;
    t.measured = driverIn.measured;
    for (std::size_t i = 0; i < t.measured.size(); ++i)
        t.measured[i] += withS[i];
    SetMeasuredThrough(t, m, ch, "Out 3's settings");
    EXPECT_EQ(MeasuredWithText(t), "taken through Out 3's settings");

    SOverlayCurves o = OverlayCurves(m, ch, t);
    for (int i = 0; i < RESPONSE_POINTS; ++i)
        EXPECT_NEAR(o.predicted[static_cast<std::size_t>(i)], o.measured[static_cast<std::size_t>(i)], 1e-9);

    // Other bands: the bare driver with them.
    for (int b = 0; b < CRev8001Lib::EQ_BANDS; ++b)
        m.m_Lib.SetEqCoef(ch, static_cast<std::uint8_t>(b), EqSteps::FlatBand(b));
    m.m_Lib.SetEqCoef(ch, 5, FilterRecord::Peak(1500, 6, 3.0f));
    const std::vector<double> now = ChannelCurve(m, ch, true, m.m_bXoverEnable[ch] != 0);
    o = OverlayCurves(m, ch, t);
    const double fOffset = o.predicted[100] - (driverIn.measured[100] + now[100]);
    for (int i = 0; i < RESPONSE_POINTS; ++i) {
        const auto u = static_cast<std::size_t>(i);
        if (withS[u] < -kMaxThroughLift) continue;
        EXPECT_NEAR(o.predicted[u] - (driverIn.measured[u] + now[u]), fOffset, 1e-9) << "point " << i;
    }

    // The fit with S recorded replaces S's bands: it corrects the bare driver. Taken as a bare driver
    // the nearly flat measurement would get nearly flat bands, leaving the driver uncorrected.
    const SEqFitSettings settings;
    SChannelTuning bare;
    bare.measured = driverIn.measured;
    const SEqFitInput bareIn = MakeFitInput(m, ch, bare, settings);
    auto bareError = [&](const SEqFitResult& r) { return EqFitDeviation(bareIn, settings, r.bands); };
    const SEqFitResult through = FitEqualizer(MakeFitInput(m, ch, t, settings), settings);
    ASSERT_TRUE(through.bOk);
    // As good as fitting the bare driver itself.
    EXPECT_LT(bareError(through), bareError(FitEqualizer(bareIn, settings)) + 0.05);
    EXPECT_LT(bareError(through), 0.5);
    SetMeasuredRaw(t);
    EXPECT_EQ(MeasuredWithText(t), "of the bare driver");
    const SEqFitResult raw = FitEqualizer(MakeFitInput(m, ch, t, settings), settings);
    ASSERT_TRUE(raw.bOk);
    EXPECT_GT(bareError(raw), 2.0);
}

} // namespace
