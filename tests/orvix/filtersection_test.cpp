// Section design and its evaluation on the response grid.
#include "orvix/filtersection.h"
#include "orvix/rev8001lib.h"
#include "tests/common/filterrecord.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>
#include <vector>

namespace {

using ZUtils::ZResponseGrid;

using FilterRecord::Coef;

TEST(ResponseGrid, RunsFrom10HzByRepeatedMultiplicationTo331Points) {
    const ZResponseGrid& grid = ZResponseGrid::Get();
    ASSERT_EQ(grid.m_nCount, RESPONSE_POINTS);
    EXPECT_EQ(grid.m_fFreq[0], 10.0);
    EXPECT_NEAR(grid.m_fFreq[RESPONSE_POINTS - 1], 195794.8, 0.05);
    // The point after the last one would reach the limit.
    EXPECT_GE(grid.m_fFreq[RESPONSE_POINTS - 1] * 1.03039907, 200000.0);
    // Each point is its predecessor times the ratio, rounded to double: a product chain, not a power.
    for (int i = 1; i < RESPONSE_POINTS; ++i)
        ASSERT_EQ(grid.m_fFreq[i], grid.m_fFreq[i - 1] * 1.03039907) << "point " << i;
    for (int i = 0; i < RESPONSE_POINTS; ++i) {
        const double fW = grid.m_fFreq[i] * 6.283185308 / 192000.0;
        ASSERT_EQ(grid.m_fCos1[i], std::cos(fW));
        ASSERT_EQ(grid.m_fSin1[i], std::sin(-fW));
        ASSERT_EQ(grid.m_fCos2[i], std::cos(2.0 * fW));
        ASSERT_EQ(grid.m_fSin2[i], std::sin(-2.0 * fW));
    }
}

// Level in dB of the analog prototype at the frequency the bilinear transform maps grid frequency f to,
// for a section designed at f0. Peaking sections use twice the textbook alpha, so their prototype has
// half the record's Q.
double PrototypeDb(const SFilterCoef& coef, bool bFirstOrder, double f) {
    const double fW =
        std::tan(std::numbers::pi * f / 192000.0) / std::tan(std::numbers::pi * coef.Freq / 192000.0);
    const double fW2 = fW * fW;
    const double fQ = coef.BandWidth;
    double fMag2 = 0;
    switch (coef.Filtertype) {
    case FT_PEAKING: {
        const double fA = std::pow(10.0, coef.Gain / 40.0);
        const double fQe = fQ / 2.0;
        const double fRe = (1 - fW2) * (1 - fW2);
        fMag2 = (fRe + std::pow(fW * fA / fQe, 2)) / (fRe + std::pow(fW / (fA * fQe), 2));
        break;
    }
    case FT_LOWPASS:
        fMag2 = bFirstOrder ? 1 / (1 + fW2) : 1 / ((1 - fW2) * (1 - fW2) + fW2 / (fQ * fQ));
        break;
    case FT_HIGHPASS:
        fMag2 = bFirstOrder ? fW2 / (1 + fW2) : fW2 * fW2 / ((1 - fW2) * (1 - fW2) + fW2 / (fQ * fQ));
        break;
    }
    return 10.0 * std::log10(fMag2);
}

struct SSectionCase {
    SFilterCoef coef;
    std::uint8_t bFirstOrder;
};

const SSectionCase kSections[] = {
    {Coef(FT_PEAKING, 12, 1.0f, 1000), 1},   {Coef(FT_PEAKING, -9, 4.5f, 63), 1},
    {Coef(FT_PEAKING, 6, 0.5f, 16000), 1},   {Coef(FT_PEAKING, 15, 12.0f, 20), 0},
    {Coef(FT_LOWPASS, 0, 0.7071f, 1000), 1}, {Coef(FT_LOWPASS, 0, 0.7071f, 1000), 0},
    {Coef(FT_LOWPASS, 0, 2.5f, 18000), 0},   {Coef(FT_HIGHPASS, 0, 0.7071f, 80), 1},
    {Coef(FT_HIGHPASS, 0, 0.6f, 250), 0},    {Coef(FT_HIGHPASS, 0, 3.4f, 16), 2},
};

TEST(SectionResponse, MatchesTheAnalogPrototypeAtItsWarpedFrequency) {
    const ZResponseGrid& grid = ZResponseGrid::Get();
    for (const SSectionCase& c : kSections) {
        ZUtils::SBiquad biquad;
        ASSERT_EQ(ZUtils::DesignSection(c.coef, c.bFirstOrder, &biquad), 1);
        std::vector<double> curve(RESPONSE_POINTS, 0.0);
        ASSERT_EQ(ZUtils::AddSectionCurve(biquad, curve.data()), RESPONSE_POINTS);
        for (int i = 0; i < RESPONSE_POINTS && grid.m_fFreq[i] < 40000.0; ++i)
            ASSERT_NEAR(curve[i], PrototypeDb(c.coef, c.bFirstOrder == 1, grid.m_fFreq[i]), 1e-6)
                << "type " << int(c.coef.Filtertype) << " F " << c.coef.Freq << " order flag "
                << int(c.bFirstOrder) << " at " << grid.m_fFreq[i] << " Hz";
    }
}

TEST(SectionResponse, PointByPointEvaluationGivesTheSameBits) {
    const SSectionCase kExtra[] = {
        {Coef(FT_LOWPASS, 0, 0.7071f, 0), 1},      {Coef(FT_HIGHPASS, 0, 0.13f, 4), 0},
        {Coef(FT_HIGHPASS, 0, 0.5f, 65535), 0},    {Coef(FT_PEAKING, -128, 0.01f, 65535), 1},
        {Coef(FT_PEAKING, 127, 1e-30f, 48000), 1}, {Coef(FT_LOWPASS, 0, -0.7f, 20000), 0},
    };
    std::vector<SSectionCase> cases(std::begin(kSections), std::end(kSections));
    cases.insert(cases.end(), std::begin(kExtra), std::end(kExtra));
    for (const SSectionCase& c : cases) {
        ZUtils::SBiquad biquad;
        ASSERT_EQ(ZUtils::DesignSection(c.coef, c.bFirstOrder, &biquad), 1);
        std::vector<double> fast(RESPONSE_POINTS, 0.5), reference(RESPONSE_POINTS, 0.5);
        EXPECT_EQ(ZUtils::AddSectionCurve(biquad, fast.data()), RESPONSE_POINTS);
        EXPECT_EQ(ZUtils::AddSectionCurveReference(biquad, reference.data()), RESPONSE_POINTS);
        EXPECT_EQ(std::memcmp(fast.data(), reference.data(), RESPONSE_POINTS * sizeof(double)), 0)
            << "type " << int(c.coef.Filtertype) << " F " << c.coef.Freq;
    }
}

TEST(SectionResponse, KeepsItsConstantsAndRoundings) {
    // Values at grid points 0, 100, 230 and 330, recorded from a literal double-precision evaluation of
    // the design and grid formulas. The tolerance admits last-bit differences of another math library;
    // the wrong one of the two 2π constants, a power instead of the square root of 10^(g/20) or a
    // cookbook alpha all move the values far beyond it.
    const int kPoints[4] = {0, 100, 230, 330};
    struct {
        SSectionCase section;
        double values[4];
    } const kGolden[] = {
        {{Coef(FT_PEAKING, 12, 1.0f, 1000), 1},
         {0x1.a849e43bd6d40p-8, 0x1.0bd1372d28776p+1, 0x1.3efae0d8da2d8p-1, 0x1.9d9b5acbb308cp+1}},
        {{Coef(FT_PEAKING, -7, 2.5f, 63), 1},
         {-0x1.0877b37a8c260p-3, -0x1.1b497956b7a65p-1, -0x1.a844ea17e57ccp-13, -0x1.6710d2712a47dp-10}},
        {{Coef(FT_LOWPASS, 0, 0.70710677f, 1000), 0},
         {-0x1.75324dbbf28b8p-25, -0x1.c4d972eb8c058p-8, -0x1.3e6435e948ecdp+5, -0x1.7358a4bb53e2ap+4}},
        {{Coef(FT_HIGHPASS, 0, 0.0f, 80), 1},
         {-0x1.2210f36639d2dp+4, -0x1.4ab52584310bbp-1, -0x1.2a3a7f4553378p-12, -0x1.f88f901f13becp-10}},
        {{Coef(FT_HIGHPASS, 0, 0.6f, 250), 0},
         {-0x1.bf62872431978p+5, -0x1.ac61f41436f50p+2, -0x1.1b52ba6568b7fp-9, -0x1.e1031298a5176p-7}},
        {{Coef(FT_LOWPASS, 0, 0.0f, 18000), 1},
         {-0x1.53309db6dce55p-20, -0x1.0863725ce3c50p-11, -0x1.1635f0c83979dp+0, -0x1.6dfbedc358ec7p-3}},
    };
    for (const auto& g : kGolden) {
        ZUtils::SBiquad biquad;
        ASSERT_EQ(ZUtils::DesignSection(g.section.coef, g.section.bFirstOrder, &biquad), 1);
        std::vector<double> curve(RESPONSE_POINTS, 0.0);
        ZUtils::AddSectionCurve(biquad, curve.data());
        for (int k = 0; k < 4; ++k)
            EXPECT_NEAR(curve[kPoints[k]], g.values[k], std::fabs(g.values[k]) * 1e-13)
                << "type " << int(g.section.coef.Filtertype) << " F " << g.section.coef.Freq << " point "
                << kPoints[k];
    }
}

TEST(SectionDesign, DrawsNothingForOffUnknownOrNonFiniteRecords) {
    const float fNaN = std::numeric_limits<float>::quiet_NaN();
    const SSectionCase kNothing[] = {
        {Coef(FT_OFF, 12, 1.0f, 1000), 0},     {Coef(4, 12, 1.0f, 1000), 1},
        {Coef(200, 0, 0.7f, 500), 0},          {Coef(255, -1, fNaN, 0xFFFF), 0},
        {Coef(FT_PEAKING, 6, 0.0f, 1000), 1},  {Coef(FT_PEAKING, 6, fNaN, 1000), 1},
        {Coef(FT_PEAKING, 0, 0.0f, 0), 1},     {Coef(FT_LOWPASS, 0, 0.0f, 1000), 0},
        {Coef(FT_HIGHPASS, 0, fNaN, 1000), 0},
    };
    for (const SSectionCase& c : kNothing) {
        ZUtils::SBiquad biquad;
        EXPECT_EQ(ZUtils::DesignSection(c.coef, c.bFirstOrder, &biquad), 0)
            << "type " << int(c.coef.Filtertype) << " Q " << c.coef.BandWidth;
    }
}

TEST(GuardedDivide, ReturnsTheGuardOnlyForAVanishingDenominator) {
    constexpr double G = 1.7014118346046923e38;
    struct {
        double nRe, nIm, dRe, dIm, re, im;
    } const kCases[] = {
        {6.0, 8.0, 2.0, 0.0, 3.0, 4.0},     // plain quotient
        {1.0, 0.0, 0.0, 1.0, 0.0, -1.0},    // 1 / j
        {1.0, 1.0, 0.0, 0.0, G, G},         // zero denominator
        {0.0, 0.0, 0.0, 0.0, G, G},         // 0 / 0
        {1e30, 0.0, 1e-10, 0.0, G, G},      // |p| beyond s × 2^127 with s < 1
        {0.0, 1e30, 1e-10, 0.0, G, G},      // |q| beyond s × 2^127 with s < 1
        {1e30, 0.0, 1e-4, 0.0, 1e34, 0.0},  // s < 1 but within the guard
        {1e300, 0.0, 2.0, 0.0, 5e299, 0.0}, // large but s >= 1: divided
    };
    for (const auto& c : kCases) {
        double fRe = 0, fIm = 0;
        ZUtils::GuardedDivide(c.nRe, c.nIm, c.dRe, c.dIm, &fRe, &fIm);
        EXPECT_DOUBLE_EQ(fRe, c.re) << c.nRe << "," << c.nIm << " / " << c.dRe << "," << c.dIm;
        EXPECT_DOUBLE_EQ(fIm, c.im) << c.nRe << "," << c.nIm << " / " << c.dRe << "," << c.dIm;
    }
}

} // namespace
