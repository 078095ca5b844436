// The parameter store: contents, flags and the response curve of a channel.
#include "orvix/rev8001lib.h"
#include "tests/common/filterrecord.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

using Curve = std::vector<double>;

using FilterRecord::Bytes;
using FilterRecord::Coef;

bool SameRecord(const SFilterCoef& a, const SFilterCoef& b) {
    return Bytes(a) == Bytes(b);
}

Curve Snapshot(const CRev8001Lib& lib) {
    return Curve(lib.GetResponse(), lib.GetResponse() + RESPONSE_POINTS);
}

// Bitwise, so that -0.0 / 0.0 and NaN differences show.
bool SameBits(const Curve& a, const Curve& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

int NearestPoint(double fFreq) {
    const ZUtils::ZResponseGrid& grid = ZUtils::ZResponseGrid::Get();
    int nBest = 0;
    for (int i = 1; i < RESPONSE_POINTS; ++i)
        if (std::fabs(std::log(grid.m_fFreq[i] / fFreq)) < std::fabs(std::log(grid.m_fFreq[nBest] / fFreq)))
            nBest = i;
    return nBest;
}

// Curve of one filter drawn alone.
Curve SectionCurve(SFilterCoef coef, std::uint8_t bFirstOrder) {
    CRev8001Lib lib;
    lib.AddSectionResponse(coef, bFirstOrder);
    return Snapshot(lib);
}

Curve XoverCurve(SFilterCoef coef) {
    CRev8001Lib lib;
    lib.AddXoverResponse(coef);
    return Snapshot(lib);
}

TEST(Rev8001Lib, StartsWithZeroRecordsAndAFlatCurve) {
    CRev8001Lib lib;
    const SFilterCoef zero{};
    for (std::uint8_t ch = 0; ch < CRev8001Lib::CHANNELS; ++ch) {
        for (std::uint8_t band = 0; band < CRev8001Lib::EQ_BANDS; ++band)
            EXPECT_TRUE(SameRecord(lib.GetEqCoef(ch, band), zero));
        EXPECT_TRUE(SameRecord(lib.GetXoverCoef(ch, 0), zero));
        EXPECT_TRUE(SameRecord(lib.GetXoverCoef(ch, 1), zero));
    }
    EXPECT_EQ(lib.GetResponseCount(), RESPONSE_POINTS);
    EXPECT_TRUE(SameBits(Snapshot(lib), Curve(RESPONSE_POINTS, 0.0)));
}

TEST(Rev8001Lib, DefaultsFillEveryChannel) {
    CRev8001Lib lib;
    for (std::uint8_t ch = 0; ch < CRev8001Lib::CHANNELS; ++ch) {
        lib.SetEqFlag(ch, 1);
        lib.SetXoverFlag(ch, 1);
        lib.SetVeqFlag(ch, 1);
    }
    lib.WriteDefaults();
    const std::uint16_t kFreq[] = {31, 63, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
    for (std::uint8_t ch = 0; ch < CRev8001Lib::CHANNELS; ++ch) {
        for (std::uint8_t band = 0; band < CRev8001Lib::EQ_BANDS; ++band)
            EXPECT_TRUE(SameRecord(lib.GetEqCoef(ch, band), Coef(FT_PEAKING, 0, 1.0f, kFreq[band])));
        EXPECT_TRUE(SameRecord(lib.GetVeqCoef(ch), Coef(FT_PEAKING, -3, 1.0f, 80)));
        EXPECT_TRUE(SameRecord(lib.GetXoverCoef(ch, 0), Coef(FT_OFF, 0, 0.577f, 500)));
        EXPECT_TRUE(SameRecord(lib.GetXoverCoef(ch, 1), Coef(FT_OFF, 0, 0.577f, 5000)));
        EXPECT_EQ(lib.GetEqFlag(ch), 0);
        EXPECT_EQ(lib.GetXoverFlag(ch), 0);
        EXPECT_EQ(lib.GetVeqFlag(ch), 0);
    }
    // Records travel as they lie in memory: check the bytes of two of them.
    const std::array<std::uint8_t, 8> kBand5 = {0x01, 0x00, 0x00, 0x00, 0x80, 0x3F, 0xE8, 0x03};
    EXPECT_EQ(Bytes(lib.GetEqCoef(3, 5)), kBand5);
    const std::array<std::uint8_t, 8> kHighPass = {0x03, 0x01, 0x46, 0xB6, 0x13, 0x3F, 0xF4, 0x01};
    lib.SetXoverCoef(3, 0, Coef(FT_HIGHPASS, 1, 0.577f, 500));
    EXPECT_EQ(Bytes(lib.GetXoverCoef(3, 0)), kHighPass);
}

TEST(Rev8001Lib, FlagsAreStoredAsZeroOrOne) {
    using Setter = int (CRev8001Lib::*)(std::uint8_t, int);
    using Getter = int (CRev8001Lib::*)(std::uint8_t) const;
    const std::pair<Setter, Getter> kFlags[] = {{&CRev8001Lib::SetEqFlag, &CRev8001Lib::GetEqFlag},
                                                {&CRev8001Lib::SetXoverFlag, &CRev8001Lib::GetXoverFlag},
                                                {&CRev8001Lib::SetVeqFlag, &CRev8001Lib::GetVeqFlag}};
    const std::pair<int, int> kValues[] = {{5, 1}, {0, 0}, {1, 1}, {-1, 1}, {0x100, 1}, {0, 0}};
    for (auto [set, get] : kFlags) {
        CRev8001Lib lib;
        for (auto [nIn, nStored] : kValues) {
            EXPECT_EQ((lib.*set)(6, nIn), nStored) << "flag " << nIn;
            EXPECT_EQ((lib.*get)(6), nStored) << "flag " << nIn;
            EXPECT_EQ((lib.*get)(7), 0) << "a neighbour channel changed";
        }
    }
}

TEST(Rev8001Lib, IndexesOutOfRangeReadZeroAndWriteNothing) {
    CRev8001Lib lib;
    lib.WriteDefaults();
    const SFilterCoef loud = Coef(FT_PEAKING, 12, 1.0f, 1000);
    lib.SetEqCoef(8, 0, loud);
    lib.SetEqCoef(0, 10, loud);
    lib.SetXoverCoef(0, 2, loud);
    lib.SetXoverCoef(255, 0, loud);
    lib.SetVeqCoef(8, loud);
    EXPECT_EQ(lib.SetEqFlag(8, 1), 0);
    const SFilterCoef zero{};
    EXPECT_TRUE(SameRecord(lib.GetEqCoef(8, 0), zero));
    EXPECT_TRUE(SameRecord(lib.GetEqCoef(0, 10), zero));
    EXPECT_TRUE(SameRecord(lib.GetXoverCoef(0, 2), zero));
    EXPECT_TRUE(SameRecord(lib.GetVeqCoef(8), zero));
    EXPECT_EQ(lib.GetEqFlag(8), 0);
    // The neighbours in memory are untouched.
    EXPECT_TRUE(SameRecord(lib.GetEqCoef(7, 9), Coef(FT_PEAKING, 0, 1.0f, 16000)));
    EXPECT_TRUE(SameRecord(lib.GetEqCoef(1, 0), Coef(FT_PEAKING, 0, 1.0f, 31)));
    EXPECT_TRUE(SameRecord(lib.GetXoverCoef(1, 0), Coef(FT_OFF, 0, 0.577f, 500)));
    for (int ch : {-1, 8, 1000}) {
        lib.AddSectionResponse(loud, 1);
        lib.CalcChannelResponse(1, ch, 1);
        EXPECT_TRUE(SameBits(Snapshot(lib), Curve(RESPONSE_POINTS, 0.0))) << "channel " << ch;
    }
}

TEST(Rev8001Lib, ChannelCurveSumsTheEnabledGroupsOfThatChannelOnly) {
    CRev8001Lib lib;
    lib.WriteDefaults();
    const int nChannel = 5;
    for (std::uint8_t band = 0; band < CRev8001Lib::EQ_BANDS; ++band) {
        lib.SetEqCoef(nChannel, band,
                      Coef(FT_PEAKING, 3 * band - 12, 0.4f + band, lib.GetEqCoef(0, band).Freq));
        lib.SetEqCoef(4, band, Coef(FT_PEAKING, 12, 1.0f, 1000)); // the partner must not leak in
    }
    lib.SetEqCoef(nChannel, 4, Coef(FT_HIGHPASS, 0, 0.7f, 200)); // a band may hold another type
    lib.SetXoverCoef(nChannel, 0, Coef(FT_HIGHPASS, 3, 0.577f, 60));
    lib.SetXoverCoef(nChannel, 1, Coef(FT_LOWPASS, 5, 0.577f, 9000));
    lib.SetVeqCoef(nChannel, Coef(FT_PEAKING, 12, 0.3f, 80)); // never drawn
    lib.SetVeqFlag(nChannel, 1);
    // The caller's flags decide, not the store's.
    lib.SetEqFlag(nChannel, 0);
    lib.SetXoverFlag(nChannel, 1);

    const std::pair<int, int> kFlags[] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}, {7, -1}};
    for (auto [bEq, bXover] : kFlags) {
        lib.ClearResponse();
        if (bEq)
            for (std::uint8_t band = 0; band < CRev8001Lib::EQ_BANDS; ++band)
                lib.AddSectionResponse(lib.GetEqCoef(nChannel, band), 1);
        if (bXover) {
            lib.AddXoverResponse(lib.GetXoverCoef(nChannel, 0));
            lib.AddXoverResponse(lib.GetXoverCoef(nChannel, 1));
        }
        const Curve expected = Snapshot(lib);
        lib.AddSectionResponse(Coef(FT_PEAKING, 9, 1.0f, 500), 1); // left over from an earlier curve
        lib.CalcChannelResponse(bEq, nChannel, bXover);
        EXPECT_TRUE(SameBits(Snapshot(lib), expected)) << "eq " << bEq << " xover " << bXover;
        EXPECT_EQ(lib.GetResponseCount(), RESPONSE_POINTS);
        if (!bEq && !bXover) {
            EXPECT_TRUE(SameBits(Snapshot(lib), Curve(RESPONSE_POINTS, 0.0)));
        }
    }
}

TEST(Rev8001Lib, PeakingAndLowPassSectionsHaveTheirShape) {
    const Curve flat = SectionCurve(Coef(FT_PEAKING, 0, 1.0f, 1000), 1);
    EXPECT_TRUE(SameBits(flat, Curve(RESPONSE_POINTS, 0.0)));

    const Curve peak = SectionCurve(Coef(FT_PEAKING, 12, 1.0f, 1000), 1);
    const int n1k = NearestPoint(1000.0);
    EXPECT_NEAR(peak[n1k], 12.0, 0.05);
    for (int i = 0; i < RESPONSE_POINTS; ++i)
        EXPECT_LE(peak[i], peak[n1k] + 0.05) << i;
    EXPECT_NEAR(peak[0], 0.0, 0.01);
    EXPECT_NEAR(peak[NearestPoint(50000.0)], 0.0, 0.05);
    // The bell is as wide as a textbook bell of Q 0.5: about +7.5 dB an octave above its centre
    // (a textbook bell of Q 1 would read about +4 dB there).
    EXPECT_NEAR(peak[NearestPoint(2000.0)], 7.5, 0.3);

    const Curve lowPass = SectionCurve(Coef(FT_LOWPASS, 0, 0.70710677f, 1000), 0);
    EXPECT_NEAR(lowPass[n1k], -3.0, 0.25);
    EXPECT_NEAR(lowPass[0], 0.0, 0.001);
    const int n4k = NearestPoint(4000.0), n8k = NearestPoint(8000.0);
    const ZUtils::ZResponseGrid& grid = ZUtils::ZResponseGrid::Get();
    EXPECT_NEAR((lowPass[n8k] - lowPass[n4k]) / std::log2(grid.m_fFreq[n8k] / grid.m_fFreq[n4k]), -12.0, 0.3);
}

TEST(Rev8001Lib, OffAndUnknownTypesLeaveTheCurveAlone) {
    const std::uint8_t kTypes[] = {FT_OFF, 4, 5, 0x7F, 0x80, 0xFF};
    CRev8001Lib lib;
    for (std::uint8_t nType : kTypes) {
        lib.ClearResponse();
        lib.AddSectionResponse(Coef(FT_PEAKING, 5, 2.0f, 300), 1);
        const Curve before = Snapshot(lib);
        lib.AddSectionResponse(Coef(nType, 12, 0.7f, 1000), 0);
        lib.AddSectionResponse(Coef(nType, -7, 3.0f, 40), 1);
        lib.AddXoverResponse(Coef(nType, 1, 0.7f, 1000));
        EXPECT_TRUE(SameBits(Snapshot(lib), before)) << "type " << int(nType);
    }
    // An equalizer band of unknown type is skipped; the others are still drawn.
    lib.WriteDefaults();
    lib.SetEqCoef(2, 3, Coef(9, 12, 1.0f, 250));
    lib.SetEqCoef(2, 6, Coef(FT_PEAKING, 6, 1.0f, 2000));
    lib.CalcChannelResponse(1, 2, 0);
    EXPECT_TRUE(SameBits(Snapshot(lib), SectionCurve(Coef(FT_PEAKING, 6, 1.0f, 2000), 1)));
}

TEST(Rev8001Lib, RecordsFromOutsideKeepTheCurveFinite) {
    const float fNaN = std::numeric_limits<float>::quiet_NaN();
    const float fInf = std::numeric_limits<float>::infinity();
    struct {
        SFilterCoef coef;
        std::uint8_t bFirstOrder;
    } const kCases[] = {
        {Coef(FT_PEAKING, 6, 0.0f, 1000), 1},      {Coef(FT_PEAKING, 6, fNaN, 1000), 1},
        {Coef(FT_PEAKING, -128, fInf, 1000), 1},   {Coef(FT_PEAKING, 127, -fInf, 0), 1},
        {Coef(FT_PEAKING, 127, 1e-45f, 48000), 1}, {Coef(FT_PEAKING, -128, -2.0f, 65535), 1},
        {Coef(FT_LOWPASS, 0, 0.0f, 1000), 0},      {Coef(FT_LOWPASS, 0, 0.7f, 0), 1},
        {Coef(FT_LOWPASS, 0, 0.7f, 0), 0},         {Coef(FT_LOWPASS, 0, 0.7f, 48000), 0},
        {Coef(FT_HIGHPASS, 0, fNaN, 1000), 0},     {Coef(FT_HIGHPASS, 0, 1e-45f, 65535), 0},
        {Coef(FT_HIGHPASS, 0, -fInf, 20), 0},      {Coef(FT_HIGHPASS, 0, 0.7f, 0), 1},
    };
    CRev8001Lib lib;
    for (const auto& c : kCases) {
        lib.ClearResponse();
        for (int n = 0; n < 20; ++n) // as many sections as a channel can draw
            lib.AddSectionResponse(c.coef, c.bFirstOrder);
        for (int i = 0; i < RESPONSE_POINTS; ++i)
            ASSERT_TRUE(std::isfinite(lib.GetResponse()[i]))
                << "type " << int(c.coef.Filtertype) << " Q " << c.coef.BandWidth << " F " << c.coef.Freq
                << " point " << i;
    }
    // A section that cannot be designed adds nothing; a zero of the response reads as the floor.
    EXPECT_TRUE(SameBits(SectionCurve(Coef(FT_PEAKING, 6, 0.0f, 1000), 1), Curve(RESPONSE_POINTS, 0.0)));
    EXPECT_TRUE(SameBits(SectionCurve(Coef(FT_LOWPASS, 0, 0.7f, 0), 1),
                         Curve(RESPONSE_POINTS, -ZUtils::kResponseCeilingDb)));
}

// One section as the crossover cascade should draw it.
struct SDrawn {
    std::uint8_t nType;
    std::uint16_t nFreq;
    float fQ;
    std::uint8_t bFirstOrder;
};

struct SXoverCase {
    const char* pszName;
    SFilterCoef coef;
    std::vector<SDrawn> drawn;
};

constexpr float kQb = 0.70710677f;

TEST(Rev8001Lib, CrossoverDrawsItsCascadeWithTheFrequencyRules) {
    const SXoverCase kCases[] = {
        {"high-pass 18 dB/oct, single-precision factor",
         Coef(FT_HIGHPASS, 2, 0.577f, 1000),
         {{FT_HIGHPASS, 1080, 1.0f, 0}, {FT_HIGHPASS, 1000, 0.0f, 1}}},
        {"high-pass section below 16 Hz drawn at its own frequency",
         Coef(FT_HIGHPASS, 4, 0.577f, 20),
         {{FT_HIGHPASS, 20, kQb, 0}, {FT_HIGHPASS, 4, 0.13f, 0}, {FT_HIGHPASS, 21, 1.85f, 0}}},
        {"high-pass corner below 16 Hz: drawn from the first section in range",
         Coef(FT_HIGHPASS, 7, 0.577f, 15),
         {{FT_HIGHPASS, 18, 0.6f, 0}, {FT_HIGHPASS, 15, 3.4f, 0}, {FT_HIGHPASS, 15, 0.65f, 0}}},
        {"high-pass corner above 20 kHz, product beyond 16 bits", Coef(FT_HIGHPASS, 7, 0.577f, 60000), {}},
        {"low-pass section above 20 kHz drawn at 20 kHz",
         Coef(FT_LOWPASS, 4, 0.577f, 10000),
         {{FT_LOWPASS, 10000, kQb, 0}, {FT_LOWPASS, 10000, 1.05f, 0}, {FT_LOWPASS, 20000, 0.0f, 1}}},
        {"low-pass corner above 20 kHz: every section clamped, none drawn",
         Coef(FT_LOWPASS, 5, 0.577f, 25000),
         {}},
        {"low-pass corner above 20 kHz: drawn from the first section in range",
         Coef(FT_LOWPASS, 7, 0.577f, 25000),
         {{FT_LOWPASS, 20000, 0.85f, 0}, {FT_LOWPASS, 20000, 2.2f, 0}, {FT_LOWPASS, 20000, 0.0f, 1}}},
        {"low-pass product beyond 16 bits is clamped, not wrapped", Coef(FT_LOWPASS, 4, 0.577f, 30000), {}},
        {"low-pass corner below 16 Hz: only the section in range",
         Coef(FT_LOWPASS, 4, 0.577f, 10),
         {{FT_LOWPASS, 22, 0.0f, 1}}},
        {"low-pass 42 dB/oct",
         Coef(FT_LOWPASS, 6, 0.577f, 400),
         {{FT_LOWPASS, 400, kQb, 0},
          {FT_LOWPASS, 360, 0.95f, 0},
          {FT_LOWPASS, 480, 1.6f, 0},
          {FT_LOWPASS, 400, 0.0f, 1}}},
        {"low-pass corner at 16 Hz is in range", Coef(FT_LOWPASS, 1, 0.577f, 16), {{FT_LOWPASS, 16, kQb, 0}}},
        {"low-pass corner at 15 Hz is clamped and not drawn", Coef(FT_LOWPASS, 1, 0.577f, 15), {}},
        {"high-pass corner at 20000 Hz is in range",
         Coef(FT_HIGHPASS, 0, 0.577f, 20000),
         {{FT_HIGHPASS, 20000, 0.0f, 1}}},
        {"high-pass corner at 20001 Hz is not drawn", Coef(FT_HIGHPASS, 0, 0.577f, 20001), {}},
        {"slope index 8", Coef(FT_HIGHPASS, 8, 0.577f, 1000), {}},
        {"negative slope index", Coef(FT_LOWPASS, -1, 0.577f, 1000), {}},
        {"slope index 0x80", Coef(FT_HIGHPASS, 0x80, 0.577f, 1000), {}},
        {"peaking record", Coef(FT_PEAKING, 1, 0.577f, 1000), {}},
    };
    for (const SXoverCase& c : kCases) {
        CRev8001Lib expected;
        for (const SDrawn& d : c.drawn)
            expected.AddSectionResponse(Coef(d.nType, 0, d.fQ, d.nFreq), d.bFirstOrder);
        EXPECT_TRUE(SameBits(XoverCurve(c.coef), Snapshot(expected))) << c.pszName;
    }
}

TEST(Rev8001Lib, HighPass12AtOneKilohertz) {
    const Curve curve = XoverCurve(Coef(FT_HIGHPASS, 1, 0.577f, 1000));
    EXPECT_NEAR(curve[NearestPoint(1000.0)], -3.0, 0.25);
    EXPECT_NEAR(curve[NearestPoint(250.0)], -24.0, 0.5);
    EXPECT_NEAR(curve[NearestPoint(20000.0)], 0.0, 0.01);
}

TEST(Rev8001Lib, CrossoverSlopesOneToTwoOctavesPastTheCorner) {
    // What the cascades draw between one and two octaves past a 1 kHz corner. Mostly the slope the
    // editor shows for the index, with these exceptions: high-pass index 6 is four second-order
    // sections (about 46 here, 48 further out); low-pass indexes 2 and 3 fall at about 24 and 18,
    // index 4 at about 28 (its first-order section at 2.26 F only starts to act), and indexes 6 and 7
    // both at about 42 to 44.
    const double kHighPass[8] = {6, 12, 18, 24, 30, 36, 46, 48};
    const double kLowPass[8] = {6, 12, 24, 18, 28, 36, 43.5, 43.5};
    const ZUtils::ZResponseGrid& grid = ZUtils::ZResponseGrid::Get();
    const double fCorner = 1000.0;
    for (std::uint8_t nType : {std::uint8_t(FT_HIGHPASS), std::uint8_t(FT_LOWPASS)}) {
        const bool bHigh = nType == FT_HIGHPASS;
        const int nOne = NearestPoint(bHigh ? fCorner / 2 : fCorner * 2);
        const int nTwo = NearestPoint(bHigh ? fCorner / 4 : fCorner * 4);
        for (int nSlope = 0; nSlope < 8; ++nSlope) {
            const Curve curve = XoverCurve(Coef(nType, nSlope, 0.577f, std::uint16_t(fCorner)));
            const double fOctaves = std::fabs(std::log2(grid.m_fFreq[nTwo] / grid.m_fFreq[nOne]));
            const double fSlope = (curve[nOne] - curve[nTwo]) / fOctaves;
            const double fExpected = bHigh ? kHighPass[nSlope] : kLowPass[nSlope];
            EXPECT_NEAR(fSlope, fExpected, 1.0) << (bHigh ? "high-pass" : "low-pass") << " index " << nSlope;
        }
    }
}

TEST(Rev8001Lib, ReferenceEvaluationDrawsTheSameChannel) {
    CRev8001Lib lib;
    lib.WriteDefaults();
    for (std::uint8_t band = 0; band < CRev8001Lib::EQ_BANDS; ++band)
        lib.SetEqCoef(1, band,
                      Coef(FT_PEAKING, 11 - 2 * band, 0.3f + 0.9f * band, lib.GetEqCoef(1, band).Freq));
    for (int nSlope = 0; nSlope < 8; ++nSlope) {
        lib.SetXoverCoef(1, 0, Coef(FT_HIGHPASS, nSlope, 0.577f, 25));
        lib.SetXoverCoef(1, 1, Coef(FT_LOWPASS, 7 - nSlope, 0.577f, 19000));
        lib.SetReferenceEvaluation(0);
        lib.CalcChannelResponse(1, 1, 1);
        const Curve fast = Snapshot(lib);
        lib.SetReferenceEvaluation(1);
        lib.CalcChannelResponse(1, 1, 1);
        EXPECT_TRUE(SameBits(fast, Snapshot(lib))) << "slope " << nSlope;
        EXPECT_EQ(lib.GetResponseCount(), RESPONSE_POINTS);
    }
}

} // namespace
