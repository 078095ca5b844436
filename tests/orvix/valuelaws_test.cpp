// The value laws between what the user reads and what the controls and the processor hold: points
// at both ends of every range, the clamps beyond them, and the round trips the window relies on (a
// position shown, read back and shown again lands where it was).
#include "orvix/valuelaws.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(ValueLaws, EqGainOnTheFader) {
    struct SCase {
        int nGain, nClamped, nPos;
        bool bOnFader;
    };
    const SCase cases[] = {
        {-12, -12, 0, true},  {-11, -11, 1, true}, {0, 0, 12, true},     {12, 12, 24, true},
        {-13, -12, 0, false}, {13, 12, 24, false}, {-15, -12, 0, false}, {15, 12, 24, false},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(ClampEqGain(c.nGain), c.nClamped) << c.nGain;
        EXPECT_EQ(EqGainToPos(c.nGain), c.nPos) << c.nGain;
        EXPECT_EQ(EqGainOnFader(c.nGain), c.bOnFader) << c.nGain;
    }
    EXPECT_EQ(EQ_GAIN_POSITIONS, 25);
    for (int nPos = 0; nPos < EQ_GAIN_POSITIONS; ++nPos) {
        EXPECT_TRUE(EqGainOnFader(EqGainFromPos(nPos))) << nPos;
        EXPECT_EQ(EqGainToPos(EqGainFromPos(nPos)), nPos);
    }
    for (int nGain = EQ_GAIN_MIN_DB; nGain <= EQ_GAIN_MAX_DB; ++nGain)
        EXPECT_EQ(EqGainFromPos(EqGainToPos(nGain)), nGain);
}

TEST(ValueLaws, EqBandwidthOnTheKnob) {
    struct SCase {
        float fQ;
        float fClamped;
        int nPos;
        std::optional<int> exact;
    };
    const SCase cases[] = {
        {1.0f, 1.0f, 0, 0},
        {1.5f, 1.5f, 1, 1},
        {1.2f, 1.2f, 0, std::nullopt}, // between two positions: the knob stays where it is
        {9.9f, 9.9f, 17, std::nullopt},
        {10.0f, 10.0f, 18, 18},
        {0.5f, 1.0f, 0, std::nullopt}, // below the knob
        {10.5f, 10.0f, 18, std::nullopt},
        {1e30f, 10.0f, 18, std::nullopt},
        {-1e30f, 1.0f, 0, std::nullopt},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(ClampEqQ(c.fQ), c.fClamped) << c.fQ;
        EXPECT_EQ(EqQToPos(c.fQ), c.nPos) << c.fQ;
        EXPECT_EQ(EqQExactPos(c.fQ), c.exact) << c.fQ;
    }
    const float fNaN = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(EqQToPos(fNaN), 0);
    EXPECT_EQ(EqQExactPos(fNaN), std::nullopt);
    EXPECT_EQ(ClampEqQ(0.0), 1.0);
    EXPECT_EQ(ClampEqQ(11.0), 10.0);
    EXPECT_EQ(EQ_Q_POSITIONS, 19);
    EXPECT_EQ(EqQFromPos(0), EQ_Q_MIN);
    EXPECT_EQ(EqQFromPos(EQ_Q_POSITIONS - 1), EQ_Q_MAX);
    for (int nPos = 0; nPos < EQ_Q_POSITIONS; ++nPos) {
        EXPECT_EQ(EqQToPos(EqQFromPos(nPos)), nPos);
        EXPECT_EQ(EqQExactPos(EqQFromPos(nPos)), nPos);
    }
}

TEST(ValueLaws, LevelStepsAndDecibels) {
    struct SCase {
        double fDb;
        int nStep;                 // the clamped law of the master level
        std::optional<int> within; // the law of a typed channel level: outside the range, none
    };
    const SCase cases[] = {
        {-64.0, 0, 0},
        {0.0, 128, 128},
        {-0.4, 127, 127}, // truncated toward zero
        {-0.6, 126, 126},
        {-63.9, 0, 0},
        {-64.5, 0, std::nullopt},
        {0.5, 128, std::nullopt},
        {1e300, 128, std::nullopt},
        {kInf, 128, std::nullopt},
        {-kInf, 0, std::nullopt},
        {kNaN, 0, std::nullopt},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(LevelStepFromDb(c.fDb), c.nStep) << c.fDb;
        EXPECT_EQ(LevelStepWithin(c.fDb), c.within) << c.fDb;
    }
    EXPECT_EQ(DbFromLevelStep(0), -64.0);
    EXPECT_EQ(DbFromLevelStep(LEVEL_MAX_STEP), 0.0);
    for (int nStep = 0; nStep <= LEVEL_MAX_STEP; ++nStep) {
        EXPECT_EQ(LevelStepFromDb(DbFromLevelStep(nStep)), nStep);
        EXPECT_EQ(LevelStepWithin(DbFromLevelStep(nStep)), nStep);
    }
}

TEST(ValueLaws, SensitivitySlider) {
    struct SCase {
        int nPos, nIndex;
    };
    const SCase fromSlider[] = {{0, 0}, {1, 0}, {2, 1}, {14, 13}, {15, 13}, {-5, 0}};
    for (const SCase& c : fromSlider)
        EXPECT_EQ(SensIndexFromSliderPos(c.nPos), c.nIndex) << c.nPos;
    EXPECT_EQ(SENS_SLIDER_POSITIONS, 15);
    for (int nIndex = 0; nIndex <= SENS_MAX_INDEX; ++nIndex) {
        EXPECT_LT(SensSliderPos(nIndex), SENS_SLIDER_POSITIONS);
        EXPECT_EQ(SensIndexFromSliderPos(SensSliderPos(nIndex)), nIndex);
    }
}

TEST(ValueLaws, DelaySamples) {
    struct SCase {
        float fMs;
        int nSamples;
    };
    const SCase cases[] = {
        {0.0f, 0},
        {1.0f, 48},
        {0.1f, 4}, // 4.8 samples, truncated
        {22.0f, 1056},
        {-1.0f, 0},
        {170.0f, 8160},
        {171.0f, 8191}, // beyond the processor's delay line
        {std::numeric_limits<float>::infinity(), 8191},
        {std::numeric_limits<float>::quiet_NaN(), 0},
    };
    for (const SCase& c : cases)
        EXPECT_EQ(MsToSamples(c.fMs), c.nSamples) << c.fMs;
    EXPECT_EQ(SamplesToMs(48), 1.0);
    EXPECT_EQ(SamplesToMs(DELAY_MAX_SAMPLES), DELAY_MAX_SAMPLES / 48.0);
    // Milliseconds kept as float lose at most the one sample the truncation takes.
    for (int n = 0; n <= DELAY_MAX_SAMPLES; ++n) {
        const int nBack = MsToSamples(static_cast<float>(SamplesToMs(n)));
        EXPECT_TRUE(nBack == n || nBack == n - 1) << n << " came back as " << nBack;
    }
}

TEST(ValueLaws, DelayDistances) {
    struct SCase {
        float fMs, fCm, fInch;
    };
    const SCase cases[] = {
        {0.0f, 0.0f, 0.0f},
        {1.0f, 34.32f, 13.512f},
        {22.0f, 755.04f, 297.259f},
    };
    for (const SCase& c : cases) {
        EXPECT_FLOAT_EQ(MsToCm(c.fMs), c.fCm) << c.fMs;
        EXPECT_FLOAT_EQ(MsToInch(c.fMs), c.fInch) << c.fMs;
    }
    // A delay typed on the boxes' 0.01 ms grid survives the way through centimetres or inches.
    for (int i = 0; i <= 2200; ++i) {
        const float fMs = static_cast<float>(i / 100.0);
        EXPECT_EQ(static_cast<float>(RoundTo(CmToMs(MsToCm(fMs)), 2)), fMs) << fMs;
        EXPECT_EQ(static_cast<float>(RoundTo(InchToMs(MsToInch(fMs)), 2)), fMs) << fMs;
    }
    EXPECT_EQ(RoundTo(1.125, 2), 1.13);
    EXPECT_EQ(RoundTo(-1.125, 2), -1.12); // half up, also below zero
}

} // namespace
