// Aligning the outputs from measurements, on synthetic systems built from known parts: each way is
// the processor's own response for its crossover x a driver x a path delay x a polarity x a
// sensitivity. The proposal's predicted sum must be at least as flat as the arrivals lined up on
// the sample grid with the best choice of polarities, and its levels must undo the sensitivities.
//
// The measurements of the worked example in doc/examples/align/ come from here: with the environment
// variable MLB8_WRITE_EXAMPLES set the test writes them, otherwise it checks they are still these.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "editor/presetfile.h"
#include "presets/profile.h"
#include "tuning/align.h"
#include "tuning/measurement.h"
#include "tuning/systemview.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kSpeedOfSound = 343.0; // m/s

// A driver: a second-order high-pass and low-pass (its own roll-offs), a sensitivity, the path to the
// seat and how it is wired.
struct SDriver {
    int nChannel;
    double fLow, fHigh; // Hz: its own roll-offs
    double fSensDb;
    double fPathM;
    bool bInverted;
};

std::complex<double> DriverAt(const SDriver& d, double f) {
    const std::complex<double> s(0.0, f);
    const std::complex<double> hp = s * s / (s * s + s * d.fLow / 0.707 + d.fLow * d.fLow);
    const std::complex<double> lp = d.fHigh * d.fHigh / (s * s + s * d.fHigh / 0.707 + d.fHigh * d.fHigh);
    return hp * lp;
}

// The 3-way + sub of doc/examples: the sub a metre further than the rest, the right mid wired inverted.
const std::vector<SDriver> kSystem = {
    {0, 1200, 30000, 4.0, 1.05, false}, {1, 1200, 30000, 4.5, 1.30, false}, {2, 200, 9000, 2.0, 1.10, false},
    {3, 200, 9000, 2.0, 1.40, true},    {4, 40, 2.5e3, 0.0, 0.95, false},   {5, 40, 2.5e3, 0.0, 1.35, false},
    {6, 15, 250, 3.0, 2.30, false},     {7, 15, 250, 3.0, 2.30, false},
};

double ArrivalS(const SDriver& d) {
    return d.fPathM / kSpeedOfSound;
}

// What the processor does to the sound on its way to the driver, at each frequency of a measurement:
// level (dB) and phase (degrees).
struct SThrough {
    std::vector<double> db, deg;
};

// Level (dB) and unwrapped phase (degrees) at the seat of the driver alone, times pThrough when given.
void Acoustic(const SDriver& d, const std::vector<double>& freq, const SThrough* pThrough,
              std::vector<double>* pDb, std::vector<double>* pDeg) {
    pDb->clear();
    pDeg->clear();
    // The driver's angle turns slowly: unwrapped on its own, before the path delay is added exactly.
    std::vector<double> driverDeg;
    for (double f : freq)
        driverDeg.push_back(std::arg(DriverAt(d, f)) * 180.0 / kPi);
    ZUtils::UnwrapDegrees(driverDeg.data(), static_cast<int>(driverDeg.size()));
    for (std::size_t i = 0; i < freq.size(); ++i) {
        double fDb = 85.0 + d.fSensDb + 20.0 * std::log10(std::abs(DriverAt(d, freq[i])));
        double fDeg = driverDeg[i] - 360.0 * freq[i] * ArrivalS(d) + (d.bInverted ? 180.0 : 0.0);
        if (pThrough) {
            fDb += pThrough->db[i];
            fDeg += pThrough->deg[i];
        }
        pDb->push_back(fDb);
        pDeg->push_back(fDeg);
    }
}

// The processor's response of an output at any frequency, not only on the grid: its sections at f (as
// the grid computes them at its own points), then its level, polarity and delay. Its phase is wrapped.
SThrough ThroughAt(const CSettingsModel& m, int nChannel, const std::vector<double>& freq) {
    ZUtils::SBiquad sections[CRev8001Lib::MAX_CHANNEL_SECTIONS];
    const int nSections =
        m.m_Lib.ChannelSections(m.m_bEqEnable[nChannel], nChannel, m.m_bXoverEnable[nChannel], sections);
    const ZUtils::SOutputTrim trim = CSystemView::Trim(m, nChannel);
    SThrough out;
    for (double f : freq) {
        const double fW = f * ZUtils::kTwoPiShort / ZUtils::kSampleRate;
        const std::complex<double> z1 = std::polar(1.0, -fW), z2 = std::polar(1.0, -2.0 * fW);
        std::complex<double> h = 1.0;
        for (int k = 0; k < nSections; ++k) {
            const ZUtils::SBiquad& q = sections[k];
            h *= (q.b0 + q.b1 * z1 + q.b2 * z2) / (q.a0 + q.a1 * z1 + q.a2 * z2);
        }
        out.db.push_back(20.0 * std::log10(std::abs(h)) + trim.fLevelDb);
        out.deg.push_back(std::arg(h) * 180.0 / kPi + (trim.bInvert ? 180.0 : 0.0) -
                          360.0 * f * trim.nDelaySamples / ZUtils::kDelaySampleRate);
    }
    return out;
}

void LoadExample(CSettingsModel& m) {
    ZUtils::ZProfile profile;
    ASSERT_TRUE(profile.LoadFile(std::string(MLB8_SOURCE_DIR) + "/doc/examples/3-way-sub.Dovu"));
    m.WriteStartupDefaults();
    ReadPresetKeys(profile, m, EPresetRead::File);
}

std::vector<double> GridFreq() {
    const ZUtils::ZResponseGrid& g = ZUtils::ZResponseGrid::Get();
    return std::vector<double>(g.m_fFreq, g.m_fFreq + g.m_nCount);
}

// The measurements on the grid, taken through the example's settings (or of the bare drivers).
ChannelTunings Measure(const CSettingsModel& m, bool bThrough,
                       const std::vector<SDriver>& drivers = kSystem) {
    ChannelTunings tunings;
    for (const SDriver& d : drivers) {
        SChannelTuning& t = tunings[static_cast<std::size_t>(d.nChannel)];
        if (bThrough)
            SetMeasuredThrough(t, m, d.nChannel, "the example");
        else
            SetMeasuredRaw(t);
        SThrough through;
        through.db.assign(t.throughFull.m_fDb, t.throughFull.m_fDb + t.throughFull.m_nCount);
        through.deg.assign(t.throughFull.m_fPhaseDeg, t.throughFull.m_fPhaseDeg + t.throughFull.m_nCount);
        Acoustic(d, GridFreq(), bThrough ? &through : nullptr, &t.measured, &t.measuredPhase);
    }
    return tunings;
}

std::vector<int> Channels() {
    std::vector<int> out;
    for (const SDriver& d : kSystem)
        out.push_back(d.nChannel);
    return out;
}

// The reference: the result's levels, the true arrivals lined up on the sample grid, the best of every
// choice of polarities.
double ArrivalAlignedBest(const CSettingsModel& m, const ChannelTunings& tunings, const SAlignResult& r,
                          const SAlignSettings& s) {
    double fLatest = 0;
    for (const SDriver& d : kSystem)
        fLatest = std::max(fLatest, ArrivalS(d));
    std::vector<SAlignTrim> trims;
    for (std::size_t k = 0; k < kSystem.size(); ++k) {
        SAlignTrim t = r.outputs[k].after;
        t.nDelay = static_cast<int>(std::lround((fLatest - ArrivalS(kSystem[k])) * 48000.0));
        trims.push_back(t);
    }
    double fBest = 1e300;
    for (unsigned nMask = 0; nMask < (1u << kSystem.size()); ++nMask) {
        for (std::size_t k = 0; k < trims.size(); ++k)
            trims[k].bInvert = ((nMask >> k) & 1u) != 0;
        ZUtils::ZComplexCurve sum;
        PredictAlignedSum(m, tunings, Channels(), trims, &sum);
        fBest = std::min(fBest, SumDeviation(sum, s.target, r.fFrom, r.fTo));
    }
    return fBest;
}

TEST(Align, BeatsTheArrivalAlignedBestPolarityAndMatchesLevels) {
    CSettingsModel m;
    LoadExample(m);
    // The ways as the crossovers make them: with their equalizers the levels would be theirs too.
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch)
        m.m_bEqEnable[ch] = 0;
    struct {
        const char* pszName;
        bool bThrough;
        bool bKeepLevels;
    } const kCases[] = {
        {"through the example's settings", true, false},
        {"bare drivers", false, false},
        {"levels kept", true, true},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.pszName);
        const ChannelTunings tunings = Measure(m, c.bThrough);
        SAlignSettings s;
        s.bKeepLevels = c.bKeepLevels;
        const SAlignResult r = ProposeAlignment(m, tunings, Channels(), s);
        ASSERT_TRUE(r.bOk) << r.szError;
        ASSERT_EQ(r.outputs.size(), kSystem.size());
        const double fReference = ArrivalAlignedBest(m, tunings, r, s);
        // The figures of the README's table.
        std::printf("%s: RMS deviation over %.0f..%.0f Hz %.2f dB before, %.2f dB after, %.2f dB "
                    "arrival-aligned best polarity; over 60..16000 Hz %.2f dB before, %.2f dB after\n",
                    c.pszName, r.fFrom, r.fTo, r.fRmsBefore, r.fRmsAfter, fReference,
                    SumDeviation(r.before, s.target, 60.0, 16000.0),
                    SumDeviation(r.after, s.target, 60.0, 16000.0));
        EXPECT_LE(r.fRmsAfter, fReference + 1e-9);
        EXPECT_LT(r.fRmsAfter, r.fRmsBefore);
        int nMinDelay = kAlignMaxDelay;
        for (std::size_t k = 0; k < kSystem.size(); ++k) {
            const SAlignOutput& o = r.outputs[k];
            EXPECT_GE(o.after.nDelay, 0);
            EXPECT_LE(o.after.nDelay, kAlignMaxDelay);
            nMinDelay = std::min(nMinDelay, o.after.nDelay);
            if (c.bKeepLevels) {
                EXPECT_EQ(o.after.nVolume, o.before.nVolume) << "Out " << o.nChannel + 1;
                continue;
            }
            // Level + sensitivity is the same for every way (within half a step of rounding), the
            // least sensitive way (the woofers) at 0 dB.
            const double fLevel = CSettingsModel::DbFromVolume(o.after.nVolume);
            EXPECT_LE(fLevel, 0.0);
            EXPECT_NEAR(fLevel + kSystem[k].fSensDb, 0.0, 0.26) << "Out " << o.nChannel + 1;
        }
        EXPECT_EQ(nMinDelay, 0);
    }
}

TEST(Align, RefusesWhatCannotBeAligned) {
    CSettingsModel m;
    LoadExample(m);
    ChannelTunings tunings = Measure(m, true);
    tunings[2].measuredPhase.clear();
    struct {
        std::vector<int> channels;
        const char* pszError;
    } const kCases[] = {
        {{}, "no output to align: give each output's measurement"},
        {{0, 2}, "the measurement of Out 3 has no phase: it cannot be aligned"},
        {{0, 9}, "no output 10"},
    };
    for (const auto& c : kCases) {
        const SAlignResult r = ProposeAlignment(m, tunings, c.channels, {});
        EXPECT_FALSE(r.bOk);
        EXPECT_EQ(r.szError, c.pszError);
    }
}

// The example files: 500 points per decade from 10 Hz to 24 kHz, through the example's settings.
std::string ExampleText(const CSettingsModel& m, const SDriver& d) {
    std::vector<double> freq;
    for (double e = 1.0; e <= std::log10(24000.0) + 1e-9; e += 1.0 / 500.0)
        freq.push_back(std::pow(10.0, e));
    const SThrough through = ThroughAt(m, d.nChannel, freq);
    std::vector<double> db, deg;
    Acoustic(d, freq, &through, &db, &deg);
    std::string text = "* Synthetic measurement of Out " + std::to_string(d.nChannel + 1) +
                       " at the seat, through doc/examples/3-way-sub.Dovu\n"
                       "* Made by tests/tuning/align_test.cpp (MLB8_WRITE_EXAMPLES=1 writes it again)\n"
                       "Freq(Hz) SPL(dB) Phase(degrees)\n";
    for (std::size_t i = 0; i < freq.size(); ++i) {
        char sz[96];
        std::snprintf(sz, sizeof sz, "%.2f %.2f %.1f\n", freq[i], db[i], ZUtils::WrapDegrees(deg[i]));
        text += sz;
    }
    return text;
}

TEST(Align, ExampleFilesAreTheGeneratorsOutput) {
    CSettingsModel m;
    LoadExample(m);
    const bool bWrite = std::getenv("MLB8_WRITE_EXAMPLES") != nullptr;
    for (const SDriver& d : kSystem) {
        const std::string path = std::string(MLB8_SOURCE_DIR) + "/doc/examples/align/out" +
                                 std::to_string(d.nChannel + 1) + ".txt";
        const std::string text = ExampleText(m, d);
        if (bWrite) {
            std::ofstream(path, std::ios::binary) << text;
            continue;
        }
        std::ifstream in(path, std::ios::binary);
        std::stringstream stored;
        stored << in.rdbuf();
        EXPECT_EQ(stored.str(), text) << path;
    }
}

// The example files, read as the window reads them, are the drivers of kSystem at the seat through the
// example's settings: with the settings divided out, each is its driver alone, on the whole grid up to
// 20 kHz, within what the interpolation between the file's points leaves. Two ways with different delays
// turn apart by the difference: an error of the settings' phase between the file's points (the
// processor's delay turns 360 degrees per 1.2 kHz at 40 samples) would sum as a comb.
TEST(Align, ExampleFilesHoldTheDriversAtTheSeat) {
    CSettingsModel m;
    LoadExample(m);
    const std::vector<double> freq = GridFreq();
    for (const SDriver& d : kSystem) {
        const std::string path = std::string(MLB8_SOURCE_DIR) + "/doc/examples/align/out" +
                                 std::to_string(d.nChannel + 1) + ".txt";
        SCOPED_TRACE(path);
        const SMeasurementRead r = ReadMeasurementFile(path);
        ASSERT_TRUE(r.bOk) << r.szError;
        SChannelTuning t;
        t.measured = CurveOnGrid(r.curve);
        t.measuredPhase = PhaseOnGrid(r.curve);
        SetMeasuredThrough(t, m, d.nChannel, "the example");
        std::vector<double> db, deg;
        Acoustic(d, freq, nullptr, &db, &deg);
        const double fPeak = *std::max_element(db.begin(), db.end());
        double fWorstDb = 0.0, fWorstDeg = 0.0, fWorstAt = 0.0;
        for (std::size_t i = 0; i < freq.size() && freq[i] <= 20000.0; ++i) {
            if (freq[i] < 20.0 || db[i] < fPeak - 40.0) continue; // where the driver plays
            fWorstDb = std::max(fWorstDb, std::fabs(t.measured[i] - t.throughFull.m_fDb[i] - db[i]));
            const double fDeg =
                std::fabs(ZUtils::WrapDegrees(t.measuredPhase[i] - t.throughFull.m_fPhaseDeg[i] - deg[i]));
            if (fDeg > fWorstDeg) {
                fWorstDeg = fDeg;
                fWorstAt = freq[i];
            }
        }
        EXPECT_LT(fWorstDb, 0.05);
        EXPECT_LT(fWorstDeg, 1.0) << "at " << fWorstAt << " Hz";
    }
}

} // namespace

namespace {

// A flat speaker arriving after fArrivalMs, measured through the settings of m.
SChannelTuning FlatSpeaker(const CSettingsModel& m, int nChannel, double fArrivalMs) {
    SChannelTuning t;
    for (double f : GridFreq()) {
        t.measured.push_back(80.0);
        t.measuredPhase.push_back(-360.0 * f * fArrivalMs / 1000.0);
    }
    SetMeasuredThrough(t, m, nChannel, "the test");
    return t;
}

} // namespace

TEST(Align, ADelayBeyondTheProcessorsLimitIsHeldThereAndSaidSo) {
    CSettingsModel m;
    m.WriteStartupDefaults();
    ChannelTunings tunings;
    tunings[0] = FlatSpeaker(m, 0, 1.0);
    tunings[1] = FlatSpeaker(m, 1, 31.0); // 30 ms later: 1440 samples, the processor stops at 1056
    const SAlignResult r = ProposeAlignment(m, tunings, {0, 1}, {});
    ASSERT_TRUE(r.bOk) << r.szError;
    EXPECT_EQ(r.outputs[1].after.nDelay, 0);
    EXPECT_EQ(r.outputs[0].after.nDelay, kAlignMaxDelay);
    ASSERT_EQ(r.notes.size(), 1u);
    EXPECT_EQ(r.notes[0], "Out 1 needs 1440 samples of delay: held at the processor's limit of 1056.");
}

// Where two choices of polarities give (nearly) the same sum, the installer expects the fewest changes,
// and of those the speaker wired the other way round to its neighbours turned: not its partner on the
// other side with the delays bent to make up for it (which the example got).
TEST(Align, TurnsTheSpeakerThatIsWiredTheOtherWayRound) {
    struct SCase {
        const char* pszName;
        std::vector<int> inverted;  // the speakers wired the other way round
        std::vector<int> turnedNow; // outputs the processor inverts already (and was measured through)
        bool bThrough;
        bool bEq;
        const char* pszWant; // the polarities proposed, Out 1..8 (I: inverted)
    };
    const SCase kCases[] = {
        {"the example: the right mid", {3}, {}, true, true, "---I----"},
        {"the example without its equalizers", {3}, {}, true, false, "---I----"},
        {"the right mid, bare drivers", {3}, {}, false, true, "---I----"},
        {"the left tweeter", {0}, {}, true, true, "I-------"},
        {"the right woofer", {5}, {}, true, true, "-----I--"},
        {"the left sub", {6}, {}, true, true, "------I-"},
        {"the right mid, turned by the processor already", {3}, {3}, true, true, "---I----"},
        // Both tweeters the other way round sum as flat as turned (their delays a half period
        // on): the fewest changes win, and nothing is turned.
        {"both tweeters", {0, 1}, {}, true, true, "--------"},
    };
    for (const SCase& c : kCases) {
        SCOPED_TRACE(c.pszName);
        CSettingsModel m;
        LoadExample(m);
        for (int ch = 0; ch < MLB8_CHANNELS; ++ch) {
            if (!c.bEq) m.m_bEqEnable[ch] = 0;
            m.m_bPhase[ch] = std::count(c.turnedNow.begin(), c.turnedNow.end(), ch) ? 1 : 0;
        }
        std::vector<SDriver> drivers = kSystem;
        for (SDriver& d : drivers)
            d.bInverted = std::count(c.inverted.begin(), c.inverted.end(), d.nChannel) > 0;
        const ChannelTunings tunings = Measure(m, c.bThrough, drivers);
        const SAlignResult r = ProposeAlignment(m, tunings, Channels(), {});
        ASSERT_TRUE(r.bOk) << r.szError;
        std::string got;
        for (const SAlignOutput& o : r.outputs) {
            got += o.after.bInvert ? 'I' : '-';
            // Its phase says which speaker is the odd one out.
            EXPECT_EQ(o.fPhaseOffDeg > 90.0, drivers[static_cast<std::size_t>(o.nChannel)].bInverted)
                << "Out " << o.nChannel + 1 << ": " << o.fPhaseOffDeg;
        }
        EXPECT_EQ(got, c.pszWant) << "polarities of Out 1..8 (I: inverted)";
        EXPECT_LT(r.fRmsAfter, r.fRmsBefore);
    }
}

// What the processor keeps silent (muted, or outside an active solo) adds nothing at the seat: it is left
// out of the sum and of the proposal, keeps its settings and is named in the report.
TEST(Align, LeavesOutWhatTheProcessorKeepsSilent) {
    struct SCase {
        const char* pszName;
        std::vector<int> muted;
        int nSoloMask;
        std::vector<int> leftOut;
        SAlignLeftOut::EWhy why;
        const char* pszLine; // a line the report holds
    };
    const SCase kCases[] = {
        {"nothing silent", {}, 0, {}, SAlignLeftOut::MUTED, "whole range"},
        {"the left mid muted",
         {2},
         0,
         {2},
         SAlignLeftOut::MUTED,
         "Left out of the sum, settings kept: Out 3 Mid L (muted)"},
        {"a solo of the left side",
         {},
         0x55,
         {1, 3, 5, 7},
         SAlignLeftOut::OUTSIDE_SOLO,
         "Left out of the sum, settings kept: Out 8 Sub R (outside the solo)"},
        // A solo overrides the mutes: the muted left mid sounds inside it.
        {"a solo of the mids, the left one muted",
         {2},
         0x0C,
         {0, 1, 4, 5, 6, 7},
         SAlignLeftOut::OUTSIDE_SOLO,
         "Left out of the sum, settings kept: Out 1 Tweeter L (outside the solo)"},
    };
    for (const SCase& c : kCases) {
        SCOPED_TRACE(c.pszName);
        CSettingsModel m;
        LoadExample(m);
        for (int ch : c.muted)
            m.m_bMute[ch] = 1;
        m.m_nSoloMask = c.nSoloMask;
        const ChannelTunings tunings = Measure(m, true);
        const SAlignResult r = ProposeAlignment(m, tunings, Channels(), {});
        ASSERT_TRUE(r.bOk) << r.szError;
        std::vector<int> sounding, leftOut;
        for (const SAlignOutput& o : r.outputs)
            sounding.push_back(o.nChannel);
        for (const SAlignLeftOut& l : r.leftOut) {
            leftOut.push_back(l.nChannel);
            EXPECT_EQ(l.why, c.why) << "Out " << l.nChannel + 1;
        }
        EXPECT_EQ(leftOut, c.leftOut);
        EXPECT_EQ(sounding.size() + leftOut.size(), kSystem.size());
        for (int ch : leftOut)
            EXPECT_EQ(std::count(sounding.begin(), sounding.end(), ch), 0) << ch;
        // The sum predicted is the sounding outputs' alone.
        std::vector<SAlignTrim> trims;
        for (const SAlignOutput& o : r.outputs)
            trims.push_back(o.after);
        ZUtils::ZComplexCurve sum;
        PredictAlignedSum(m, tunings, sounding, trims, &sum);
        EXPECT_EQ(sum, r.after);
        // The settings of what was left out stay.
        const SEditSnapshot applied = AlignedSettings(r, m);
        for (int ch : leftOut) {
            EXPECT_EQ(applied.nDelay[ch], m.m_nDelay[ch]) << ch;
            EXPECT_EQ(applied.bPhase[ch], m.m_bPhase[ch]) << ch;
            EXPECT_EQ(applied.nVolume[ch], m.m_nVolume[ch]) << ch;
        }
        const std::vector<std::string> lines = AlignReportLines(r, m, {});
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.find(c.pszLine) != std::string::npos;
        })) << testing::PrintToString(lines);
    }
    // Every output silent: nothing to align, and the report says why.
    CSettingsModel m;
    LoadExample(m);
    std::fill_n(m.m_bMute, MLB8_CHANNELS, 1);
    const SAlignResult r = ProposeAlignment(m, Measure(m, true), {2, 3}, {});
    EXPECT_FALSE(r.bOk);
    EXPECT_EQ(r.szError, "nothing to align: every output given is muted or outside the solo");
    EXPECT_EQ(AlignReportLines(r, m, {}),
              (std::vector<std::string>{r.szError, "Left out of the sum, settings kept: Out 3 Mid L (muted)",
                                        "Left out of the sum, settings kept: Out 4 Mid R (muted)"}));
}
