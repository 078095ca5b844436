// The sum with measurements: the phase column kept and unwrapped before it is interpolated, and the
// measured × processor sum against known answers (flat measurements, a measured delay) and its
// fallback to the processor's alone with a note.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "editor/presetfile.h"
#include "orvix/settingsmodel.h"
#include "presets/profile.h"
#include "tuning/measuredsum.h"
#include "tuning/measurement.h"
#include "tuning/systemview.h"

namespace {

using testing::HasSubstr;

// A measurement export of level dB and phase f -> fDegPerHz * f (wrapped), densely spaced over the whole
// grid.
std::string Export(double fLevelDb, double fDegPerHz, bool bPhase) {
    std::string text = "* synthetic\n";
    const ZUtils::ZResponseGrid& grid = ZUtils::ZResponseGrid::Get();
    const double fLow = std::log10(grid.m_fFreq[0]), fHigh = std::log10(grid.m_fFreq[grid.m_nCount - 1]);
    for (int k = 0; k <= 8000; ++k) {
        const double f = std::pow(10.0, fLow + (fHigh - fLow) * k / 8000.0);
        text += std::to_string(f) + "\t" + std::to_string(fLevelDb);
        if (bPhase) text += "\t" + std::to_string(ZUtils::WrapDegrees(fDegPerHz * f));
        text += "\n";
    }
    return text;
}

SChannelTuning Tuning(const std::string& text) {
    const SMeasurementRead r = ParseMeasurementText(text);
    EXPECT_TRUE(r.bOk) << r.szError;
    SChannelTuning t;
    t.measured = CurveOnGrid(r.curve);
    t.measuredPhase = PhaseOnGrid(r.curve);
    return t;
}

void LoadExample(CSettingsModel& m) {
    ZUtils::ZProfile profile;
    ASSERT_TRUE(profile.LoadFile(std::string(MLB8_SOURCE_DIR) + "/doc/examples/3-way-sub.Dovu"));
    m.WriteStartupDefaults();
    ReadPresetKeys(profile, m, EPresetRead::File);
}

// The sums agree as complex numbers (levels far below the others' are free to differ in dB).
void ExpectSameSum(const ZUtils::ZComplexCurve& a, const ZUtils::ZComplexCurve& b, double fTolerance) {
    for (int i = 0; i < a.m_nCount; ++i) {
        double fReA, fImA, fReB, fImB;
        a.Value(i, &fReA, &fImA);
        b.Value(i, &fReB, &fImB);
        ASSERT_NEAR(std::hypot(fReA - fReB, fImA - fImB), 0.0, fTolerance) << "point " << i;
    }
}

// A measured sum at the level it was computed at, before it was moved for the plot.
ZUtils::ZComplexCurve AtMeasuredLevel(const SSystemPicture& picture) {
    ZUtils::ZComplexCurve sum = picture.sum;
    ShiftLevel(&sum, -picture.fSumShiftDb);
    return sum;
}

TEST(MeasuredSum, ThePhaseColumnIsKeptOnlyWhenEveryLineHasOne) {
    struct {
        const char* pszText;
        size_t nPhase;
    } const kCases[] = {
        {"100 1 10\n200 2 20\n", 2},
        {"100;1;10\n200;2\n", 0}, // a line without phase: the file has none
        {"100,1\n200,2\n", 0},
    };
    for (const auto& c : kCases) {
        const SMeasurementRead r = ParseMeasurementText(c.pszText);
        ASSERT_TRUE(r.bOk) << c.pszText;
        EXPECT_EQ(r.curve.phase.size(), c.nPhase) << c.pszText;
        EXPECT_EQ(PhaseOnGrid(r.curve).empty(), c.nPhase == 0) << c.pszText;
    }
    // 170 degrees at 1 kHz and -170 at 2 kHz are 20 degrees apart, not 340: between them the phase
    // stays near 180 and never passes 0.
    const SMeasurementRead r = ParseMeasurementText("1000 0 170\n2000 0 -170\n");
    const std::vector<double> phase = PhaseOnGrid(r.curve);
    const ZUtils::ZResponseGrid& grid = ZUtils::ZResponseGrid::Get();
    int nInside = 0;
    for (int i = 0; i < grid.m_nCount; ++i) {
        const double f = grid.m_fFreq[i], v = phase[static_cast<size_t>(i)];
        if (f < 1000.0 || f > 2000.0) {
            EXPECT_TRUE(std::isnan(v)) << f;
            continue;
        }
        ++nInside;
        EXPECT_NEAR(v, 170.0 + 20.0 * std::log2(f / 1000.0), 1e-9) << f;
    }
    EXPECT_GT(nInside, 5);
}

TEST(MeasuredSum, FlatMeasurementsAndAMeasuredDelayGiveTheProcessorsAnswers) {
    CSettingsModel m;
    LoadExample(m);
    ChannelTunings tunings;
    for (SChannelTuning& t : tunings)
        t = Tuning(Export(0.0, 0.0, true));
    CSystemView view; // sums the left side: Out 1, 3, 5, 7
    SSystemPicture processor, measured;
    view.Compute(m, &processor);
    view.SetTunings(&tunings);
    view.Compute(m, &measured);
    ASSERT_TRUE(measured.bHaveSum);
    EXPECT_TRUE(measured.bMeasuredSum);
    // Flat measurements at 0 dB: the processor's sum, drawn with its mean over the passbands at 0 dB.
    EXPECT_EQ(measured.sumName, "Sum Out 1 + Out 3 + Out 5 + Out 7 (measured, drawn 2.1 dB higher)");
    EXPECT_EQ(measured.sumNote, "");
    EXPECT_FALSE(processor.bMeasuredSum);
    ExpectSameSum(AtMeasuredLevel(measured), processor.sum, 1e-9);

    // A measured delay of 24 samples on Out 3 sums as 24 more samples of the processor's delay there.
    const int nDelay = 24;
    tunings[2] = Tuning(Export(0.0, -360.0 * nDelay / ZUtils::kDelaySampleRate, true));
    view.Compute(m, &measured);
    m.m_nDelay[2] = static_cast<uint16_t>(m.m_nDelay[2] + nDelay);
    view.SetTunings(nullptr);
    view.Compute(m, &processor);
    EXPECT_TRUE(measured.bMeasuredSum);
    ExpectSameSum(AtMeasuredLevel(measured), processor.sum, 0.01);
}

TEST(MeasuredSum, WithoutPhaseOrMeasurementTheSumIsTheProcessorsWithANote) {
    CSettingsModel m;
    LoadExample(m);
    CSystemView view;
    SSystemPicture processor;
    view.Compute(m, &processor);
    const SChannelTuning withPhase = Tuning(Export(-6.0, -2.0, true));
    const SChannelTuning levelOnly = Tuning(Export(-6.0, 0.0, false));
    struct {
        int nLevelOnly; // output given a measurement without phase, -1 none
        int nMissing;   // output of the group with no measurement, -1 none
        const char* pszNote;
    } const kCases[] = {
        {2, -1, "Processor-only sum: no phase in the measurement of Out 3"},
        {-1, 4, "Processor-only sum: no measurement for Out 5"},
        {0, 6, "Processor-only sum: no measurement for Out 7; no phase in the measurement of Out 1"},
    };
    for (const auto& c : kCases) {
        ChannelTunings tunings;
        for (SChannelTuning& t : tunings)
            t = withPhase;
        if (c.nLevelOnly >= 0) tunings[static_cast<size_t>(c.nLevelOnly)] = levelOnly;
        if (c.nMissing >= 0) tunings[static_cast<size_t>(c.nMissing)] = SChannelTuning{};
        view.SetTunings(&tunings);
        SSystemPicture picture;
        view.Compute(m, &picture);
        EXPECT_FALSE(picture.bMeasuredSum) << c.pszNote;
        EXPECT_EQ(picture.sumNote, c.pszNote);
        EXPECT_EQ(picture.sumName, processor.sumName);
        ExpectSameSum(picture.sum, processor.sum, 1e-12);
    }
    // No measurement at all is the ordinary processor sum: nothing to say.
    ChannelTunings none;
    view.SetTunings(&none);
    SSystemPicture picture;
    view.Compute(m, &picture);
    EXPECT_EQ(picture.sumNote, "");
}

// The processor keeps a muted output silent, and while a solo is active every output outside it
// (whatever its mute): such an output is marked muted, adds nothing to the sum and needs no
// measurement for a measured sum.
TEST(MeasuredSum, SilentOutputsAreMarkedAndAddNothing) {
    CSettingsModel m;
    LoadExample(m); // 3-way + sub: the left side Out 1, 3, 5, 7 is summed
    struct {
        const char* pszName;
        unsigned nMute, nSolo;
        std::vector<int> sounding; // of the summed group
        const char* pszSumName;
    } const kCases[] = {
        {"nothing muted", 0x00, 0x00, {0, 2, 4, 6}, "Sum Out 1 + Out 3 + Out 5 + Out 7"},
        {"Out 1 muted", 0x01, 0x00, {2, 4, 6}, "Sum Out 1 (muted) + Out 3 + Out 5 + Out 7"},
        {"Out 3 soloed", 0x00, 0x04, {2}, "Sum Out 1 (muted) + Out 3 + Out 5 (muted) + Out 7 (muted)"},
        {"a solo outweighs the mute of its output",
         0x05,
         0x04,
         {2},
         "Sum Out 1 (muted) + Out 3 + Out 5 (muted) + Out 7 (muted)"},
        {"pair 1-2 soloed", 0x00, 0x03, {0}, "Sum Out 1 + Out 3 (muted) + Out 5 (muted) + Out 7 (muted)"},
        {"outside the group soloed",
         0x00,
         0x02,
         {},
         "Sum Out 1 (muted) + Out 3 (muted) + Out 5 (muted) + Out 7 (muted): silent"},
        {"the whole group muted",
         0x55,
         0x00,
         {},
         "Sum Out 1 (muted) + Out 3 (muted) + Out 5 (muted) + Out 7 (muted): silent"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.pszName);
        for (int ch = 0; ch < MLB8_CHANNELS; ++ch)
            m.m_bMute[ch] = (c.nMute >> ch) & 1;
        m.m_nSoloMask = static_cast<int>(c.nSolo);
        CSystemView view;
        SSystemPicture picture;
        view.Compute(m, &picture);
        EXPECT_EQ(picture.sumName, c.pszSumName);
        const unsigned nSilent = c.nSolo ? ~c.nSolo & 0xFFu : c.nMute;
        for (const SSystemOutput& o : picture.outputs)
            EXPECT_EQ(o.bMuted, ((nSilent >> o.nChannel) & 1u) != 0) << o.name;
        EXPECT_EQ(picture.bHaveSum, !c.sounding.empty());
        if (c.sounding.empty()) continue;
        ZUtils::ZComplexSum want;
        for (int ch : c.sounding) {
            ZUtils::ZComplexCurve curve;
            CSystemView::OutputResponse(m, ch, &curve);
            want.Add(curve);
        }
        ZUtils::ZComplexCurve wantSum;
        want.Result(&wantSum);
        ExpectSameSum(picture.sum, wantSum, 1e-12);

        // Measurements are needed only for the outputs that sound.
        ChannelTunings tunings;
        for (int ch : c.sounding)
            tunings[static_cast<size_t>(ch)] = Tuning(Export(0.0, 0.0, true));
        view.SetTunings(&tunings);
        view.Compute(m, &picture);
        EXPECT_TRUE(picture.bMeasuredSum);
        EXPECT_EQ(picture.sumNote, "");
        ExpectSameSum(AtMeasuredLevel(picture), wantSum, 1e-9);
    }
}

} // namespace

namespace {

// A measurement taken through the processor of a driver that is flat: what the microphone hears is the
// output's response itself.
SChannelTuning TakenThrough(const CSettingsModel& m, int nChannel) {
    ZUtils::ZComplexCurve r;
    CSystemView::OutputResponse(m, nChannel, &r);
    SChannelTuning t;
    t.measured.assign(r.m_fDb, r.m_fDb + r.m_nCount);
    t.measuredPhase.assign(r.m_fPhaseDeg, r.m_fPhaseDeg + r.m_nCount);
    SetMeasuredThrough(t, m, nChannel, "the settings then");
    return t;
}

} // namespace

// Measured through settings S: with S unchanged the sum is that of the measurements; with other
// settings each measurement is divided by its output's response with S and multiplied by the new one,
// so the flat drivers sum like the processor's new responses alone.
TEST(MeasuredSum, MeasurementsTakenThroughTheSettingsAreNotCountedTwice) {
    CSettingsModel m;
    LoadExample(m);
    ChannelTunings tunings;
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch)
        tunings[static_cast<std::size_t>(ch)] = TakenThrough(m, ch);
    CSystemView view;
    SSystemPicture processor, measured;
    view.Compute(m, &processor);
    view.SetTunings(&tunings);
    view.Compute(m, &measured);
    ASSERT_TRUE(measured.bMeasuredSum);
    ExpectSameSum(AtMeasuredLevel(measured), processor.sum, 1e-9);

    // Other settings: a way inverted, a delay, a band and a level changed.
    m.m_bPhase[2] = !m.m_bPhase[2];
    m.m_nVolume[6] -= 6;
    m.m_nDelay[4] = static_cast<uint16_t>(m.m_nDelay[4] + 17);
    SFilterCoef c = m.m_Lib.GetEqCoef(0, 4);
    c.Gain = static_cast<std::int8_t>(c.Gain + 5);
    m.m_Lib.SetEqCoef(0, 4, c);
    m.m_bEqEnable[0] = 1;
    view.Compute(m, &measured);
    view.SetTunings(nullptr);
    view.Compute(m, &processor);
    ExpectSameSum(AtMeasuredLevel(measured), processor.sum, 1e-6);

    // Taken as bare drivers instead, the same files would count the old settings twice.
    for (SChannelTuning& t : tunings)
        SetMeasuredRaw(t);
    view.SetTunings(&tunings);
    view.Compute(m, &measured);
    double fWorst = 0.0;
    const ZUtils::ZComplexCurve twice = AtMeasuredLevel(measured);
    for (int i = 0; i < twice.m_nCount; ++i)
        fWorst = std::max(fWorst, std::fabs(twice.m_fDb[i] - processor.sum.m_fDb[i]));
    EXPECT_GT(fWorst, 3.0);
}

// The measurements of the worked example stand where a microphone puts them, about 85 dB: the sum of any
// group of them is drawn moved onto the plot (its mean over the group's passbands at 0 dB), and its name
// says by how much; the processor's sum alone is drawn where it is.
TEST(MeasuredSum, AMeasuredSumIsDrawnOnThePlotAndSaysByHowMuch) {
    CSettingsModel m;
    LoadExample(m);
    ChannelTunings tunings;
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch) {
        const SMeasurementRead r = ReadMeasurementFile(
            std::string(MLB8_SOURCE_DIR) + "/doc/examples/align/out" + std::to_string(ch + 1) + ".txt");
        ASSERT_TRUE(r.bOk) << r.szError;
        SChannelTuning& t = tunings[static_cast<std::size_t>(ch)];
        t.measured = CurveOnGrid(r.curve);
        t.measuredPhase = PhaseOnGrid(r.curve);
        SetMeasuredThrough(t, m, ch, "3-way-sub.Dovu");
    }
    struct {
        const char* pszName;
        std::vector<int> toggled; // from the left side, Out 1, 3, 5, 7
        double fFrom, fTo;        // Hz: where the group plays
    } const kCases[] = {
        {"the left side", {}, 30.0, 16000.0},
        {"every output", {1, 3, 5, 7}, 30.0, 16000.0},
        {"the tweeters", {1, 2, 4, 6}, 2500.0, 16000.0},
    };
    const ZUtils::ZResponseGrid& grid = ZUtils::ZResponseGrid::Get();
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.pszName);
        CSystemView view;
        for (int ch : c.toggled)
            view.ToggleSumMember(m, ch);
        SSystemPicture processor, measured;
        view.Compute(m, &processor);
        view.SetTunings(&tunings);
        view.Compute(m, &measured);
        EXPECT_EQ(processor.fSumShiftDb, 0.0);
        EXPECT_THAT(processor.sumName, testing::Not(HasSubstr("drawn")));
        ASSERT_TRUE(measured.bMeasuredSum);
        ASSERT_LT(measured.fSumShiftDb, -60.0) << "the measurements stand at the microphone's level";
        char szName[32];
        std::snprintf(szName, sizeof szName, "(measured, drawn %.1f dB lower)", -measured.fSumShiftDb);
        EXPECT_THAT(measured.sumName, testing::EndsWith(szName));
        // Where the group plays, the drawn sum lies within the plot's +-12 dB but for the notches of ways
        // not yet aligned (the tweeters 25 cm apart cancel every 1.4 kHz); measured, not one point does.
        const ZUtils::ZComplexCurve raw = AtMeasuredLevel(measured);
        int nOutside = 0, nRawOutside = 0, nPoints = 0;
        for (int i = 0; i < grid.m_nCount; ++i) {
            if (grid.m_fFreq[i] < c.fFrom || grid.m_fFreq[i] > c.fTo) continue;
            ++nPoints;
            nOutside += std::fabs(measured.sum.m_fDb[i]) > 12.0;
            nRawOutside += std::fabs(raw.m_fDb[i]) > 12.0;
        }
        EXPECT_LT(nOutside, nPoints / 10) << "of " << nPoints;
        EXPECT_EQ(nRawOutside, nPoints);
    }
}
