// The complex response of an output: known answers, the magnitude against the drawn curve, and the
// sum against an independent evaluation of the sections.
#include "orvix/complexresponse.h"
#include "orvix/rev8001lib.h"
#include "tests/common/filterrecord.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <vector>

namespace {

using ZUtils::SOutputTrim;
using ZUtils::ZComplexCurve;
using ZUtils::ZComplexSum;

constexpr double kPi = 3.14159265358979323846;

using FilterRecord::Coef;

// The grid point whose frequency is nearest to f.
int NearestPoint(double fFreq) {
    const ZUtils::ZResponseGrid& grid = ZUtils::ZResponseGrid::Get();
    int nBest = 0;
    for (int i = 1; i < grid.m_nCount; ++i)
        if (std::fabs(std::log(grid.m_fFreq[i] / fFreq)) < std::fabs(std::log(grid.m_fFreq[nBest] / fFreq)))
            nBest = i;
    return nBest;
}

ZComplexCurve Output(const CRev8001Lib& lib, int nChannel, const SOutputTrim& trim = {}) {
    ZComplexCurve curve;
    ZUtils::CalcOutputResponse(lib, 1, nChannel, 1, trim, &curve);
    return curve;
}

// Channel 0 a 12 dB/oct high-pass and channel 1 a 12 dB/oct low-pass at the same corner.
void TwoWays(CRev8001Lib& lib, std::uint16_t nCorner) {
    lib.SetXoverCoef(0, CRev8001Lib::XOVER_HIGHPASS, Coef(FT_HIGHPASS, 1, 0.7071f, nCorner));
    lib.SetXoverCoef(1, CRev8001Lib::XOVER_LOWPASS, Coef(FT_LOWPASS, 1, 0.7071f, nCorner));
}

TEST(ComplexResponse, CrossoverPairSumsToANullInPhaseAndToPlusThreeInverted) {
    CRev8001Lib lib;
    for (const std::uint16_t nCorner : std::initializer_list<std::uint16_t>{80, 250, 1000, 3150}) {
        SCOPED_TRACE(nCorner);
        TwoWays(lib, nCorner);
        const int i = NearestPoint(nCorner);
        for (int bInvert : {0, 1}) {
            ZComplexSum sum;
            sum.Add(Output(lib, 0));
            sum.Add(Output(lib, 1, {0.0, bInvert, 0}));
            ZComplexCurve result;
            sum.Result(&result);
            if (bInvert)
                EXPECT_NEAR(result.m_fDb[i], 3.0, 0.1);
            else
                EXPECT_LT(result.m_fDb[i], -20.0);
        }
    }
}

TEST(ComplexResponse, DelayIsALinearPhaseAndEverythingOffIsFlat) {
    CRev8001Lib lib;
    const ZUtils::ZResponseGrid& grid = ZUtils::ZResponseGrid::Get();
    for (int nDelay : {0, 1, 48, 1200, 8191}) {
        SCOPED_TRACE(nDelay);
        const ZComplexCurve curve = Output(lib, 3, {0.0, 0, nDelay});
        ASSERT_EQ(curve.m_nCount, RESPONSE_POINTS);
        for (int i = 0; i < curve.m_nCount; ++i) {
            EXPECT_EQ(curve.m_fDb[i], 0.0);
            EXPECT_NEAR(curve.m_fPhaseDeg[i], -360.0 * grid.m_fFreq[i] * nDelay / 48000.0,
                        1e-9 * (1.0 + std::fabs(curve.m_fPhaseDeg[i])));
        }
    }
    // Polarity and level alone: 180 degrees and a constant level.
    const ZComplexCurve inverted = Output(lib, 3, {-6.5, 1, 0});
    for (int i = 0; i < inverted.m_nCount; ++i) {
        EXPECT_EQ(inverted.m_fDb[i], -6.5);
        EXPECT_EQ(ZUtils::WrapDegrees(inverted.m_fPhaseDeg[i]), 180.0);
    }
}

// Tunes that reach every cascade and the equalizer, including records the graph leaves out.
void FillTune(CRev8001Lib& lib, int nSeed) {
    for (std::uint8_t ch = 0; ch < CRev8001Lib::CHANNELS; ++ch) {
        for (std::uint8_t b = 0; b < CRev8001Lib::EQ_BANDS; ++b)
            lib.SetEqCoef(ch, b,
                          Coef((b + nSeed) % 7 == 0 ? FT_OFF : FT_PEAKING, (b * 5 + ch + nSeed) % 25 - 12,
                               0.5f + 0.3f * static_cast<float>((b + ch) % 7),
                               CRev8001Lib::DEFAULT_EQ_FREQ[b]));
        const int nSlope = (ch + nSeed) % 8;
        lib.SetXoverCoef(
            ch, CRev8001Lib::XOVER_HIGHPASS,
            Coef(FT_HIGHPASS, nSlope, 0.7f, static_cast<std::uint16_t>(20 + 37 * ch + 11 * nSeed)));
        lib.SetXoverCoef(ch, CRev8001Lib::XOVER_LOWPASS,
                         Coef(ch % 3 == 0 ? FT_OFF : FT_LOWPASS, 7 - nSlope, 0.7f,
                              static_cast<std::uint16_t>(900 * (ch + 1) + 1700 * nSeed)));
    }
}

TEST(ComplexResponse, MagnitudeIsTheDrawnCurveAtEveryPoint) {
    CRev8001Lib lib;
    for (int nSeed = 0; nSeed < 6; ++nSeed) {
        FillTune(lib, nSeed);
        for (int ch = 0; ch < CRev8001Lib::CHANNELS; ++ch) {
            for (int bEq : {0, 1}) {
                for (int bXover : {0, 1}) {
                    SCOPED_TRACE(testing::Message()
                                 << "seed " << nSeed << " ch " << ch << " eq " << bEq << " xover " << bXover);
                    lib.CalcChannelResponse(bEq, ch, bXover);
                    ZComplexCurve curve;
                    ZUtils::CalcOutputResponse(lib, bEq, ch, bXover, {}, &curve);
                    ASSERT_EQ(curve.m_nCount, lib.GetResponseCount());
                    for (int i = 0; i < curve.m_nCount; ++i) {
                        ASSERT_EQ(std::memcmp(&curve.m_fDb[i], &lib.GetResponse()[i], sizeof(double)), 0)
                            << "point " << i;
                        // and the complex value has that magnitude
                        double fRe, fIm;
                        curve.Value(i, &fRe, &fIm);
                        ASSERT_NEAR(20.0 * std::log10(std::hypot(fRe, fIm)), lib.GetResponse()[i], 1e-9);
                    }
                }
            }
        }
    }
}

// H(e^jw) of one designed section, straight from its coefficients.
std::complex<double> SectionAt(const ZUtils::SBiquad& q, double fFreq) {
    const std::complex<double> z1 = std::polar(1.0, -2.0 * kPi * fFreq / 192000.0);
    return (q.b0 + q.b1 * z1 + q.b2 * z1 * z1) / (q.a0 + q.a1 * z1 + q.a2 * z1 * z1);
}

TEST(ComplexResponse, SumMatchesAnIndependentProductOfSections) {
    CRev8001Lib lib;
    FillTune(lib, 2);
    const ZUtils::ZResponseGrid& grid = ZUtils::ZResponseGrid::Get();
    const int kGroup[3] = {0, 2, 6};
    const SOutputTrim kTrim[3] = {{-4.0, 0, 0}, {0.0, 1, 37}, {-1.5, 0, 410}};
    ZComplexSum sum;
    for (int k = 0; k < 3; ++k)
        sum.Add(Output(lib, kGroup[k], kTrim[k]));
    EXPECT_EQ(sum.Terms(), 3);
    ZComplexCurve result;
    sum.Result(&result);
    int nChecked = 0;
    for (int i = 0; i < grid.m_nCount; ++i) {
        const double f = grid.m_fFreq[i];
        std::complex<double> expected = 0.0;
        for (int k = 0; k < 3; ++k) {
            ZUtils::SBiquad sections[CRev8001Lib::MAX_CHANNEL_SECTIONS];
            const int n = lib.ChannelSections(1, kGroup[k], 1, sections);
            std::complex<double> h = std::pow(10.0, kTrim[k].fLevelDb / 20.0);
            for (int s = 0; s < n; ++s)
                h *= SectionAt(sections[s], f);
            if (kTrim[k].bInvert) h = -h;
            h *= std::polar(1.0, -2.0 * kPi * f * kTrim[k].nDelaySamples / 48000.0);
            expected += h;
        }
        if (std::abs(expected) < 1e-6) continue; // phase undefined in a null
        ++nChecked;
        EXPECT_NEAR(result.m_fDb[i], 20.0 * std::log10(std::abs(expected)), 1e-6) << "point " << i;
        EXPECT_NEAR(ZUtils::WrapDegrees(result.m_fPhaseDeg[i] - std::arg(expected) * 180.0 / kPi), 0.0, 1e-5)
            << "point " << i;
    }
    EXPECT_GT(nChecked, 300);
}

TEST(ComplexResponse, ExtraFactorMultipliesIntoTheSum) {
    CRev8001Lib lib;
    FillTune(lib, 1);
    ZComplexCurve factor;
    factor.Clear();
    for (int i = 0; i < factor.m_nCount; ++i) {
        factor.m_fDb[i] = -3.0;
        factor.m_fPhaseDeg[i] = 90.0;
    }
    const ZComplexCurve out = Output(lib, 2, {0.0, 0, 100});
    ZComplexCurve expected = out;
    for (int i = 0; i < expected.m_nCount; ++i) {
        expected.m_fDb[i] -= 3.0;
        expected.m_fPhaseDeg[i] += 90.0;
    }
    ZComplexSum a, b;
    a.Add(out, factor);
    b.Add(expected);
    ZComplexCurve ra, rb;
    a.Result(&ra);
    b.Result(&rb);
    for (int i = 0; i < ra.m_nCount; ++i) {
        EXPECT_DOUBLE_EQ(ra.m_fDb[i], rb.m_fDb[i]);
        EXPECT_DOUBLE_EQ(ra.m_fPhaseDeg[i], rb.m_fPhaseDeg[i]);
    }
}

TEST(ComplexResponse, SilenceAndGuardedSectionsStayFinite) {
    CRev8001Lib lib;
    ZComplexSum empty;
    ZComplexCurve result;
    empty.Result(&result);
    for (int i = 0; i < result.m_nCount; ++i) {
        EXPECT_EQ(result.m_fDb[i], -ZUtils::kResponseCeilingDb);
        EXPECT_TRUE(std::isfinite(result.m_fPhaseDeg[i]));
    }
    // A section on the guard of the division at every point (a0 = a1 = a2 = 0), several times over.
    const ZUtils::SBiquad guarded{1.0, 0.0, 0.0, 0.0, 0.0, 0.0};
    const std::vector<ZUtils::SBiquad> sections(8, guarded);
    ZComplexCurve curve;
    curve.Clear();
    ZUtils::MultiplySections(sections.data(), static_cast<int>(sections.size()), &curve);
    ZComplexSum sum;
    sum.Add(curve);
    sum.Add(curve);
    sum.Result(&result);
    for (int i = 0; i < result.m_nCount; ++i) {
        ASSERT_TRUE(std::isfinite(curve.m_fDb[i]) && std::isfinite(curve.m_fPhaseDeg[i]));
        ASSERT_TRUE(std::isfinite(result.m_fDb[i]) && std::isfinite(result.m_fPhaseDeg[i]));
    }
}

TEST(ComplexResponse, WrapAndUnwrap) {
    struct {
        double fIn, fWrapped;
    } const kCases[] = {{0, 0}, {180, 180}, {-180, 180}, {181, -179}, {-540, 180}, {725, 5}, {-359.5, 0.5}};
    for (const auto& c : kCases)
        EXPECT_DOUBLE_EQ(ZUtils::WrapDegrees(c.fIn), c.fWrapped) << c.fIn;
    std::vector<double> ramp, wrapped;
    for (int i = 0; i < 50; ++i) {
        ramp.push_back(-37.0 * i);
        wrapped.push_back(ZUtils::WrapDegrees(-37.0 * i));
    }
    ZUtils::UnwrapDegrees(wrapped.data(), static_cast<int>(wrapped.size()));
    for (size_t i = 0; i < ramp.size(); ++i)
        EXPECT_NEAR(wrapped[i], ramp[i], 1e-9);
}

} // namespace
