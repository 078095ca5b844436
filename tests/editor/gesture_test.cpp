// Gestures replayed at the editor core as the controls and the keyboard deliver them, with the
// model, the form state and the frames the simulated processor received checked afterwards.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>

#include "comm/comnames.h"
#include "comm/ctrlmessages.h"
#include "editor/controlids.h"
#include "editor/history.h"
#include "editorfixture.h"

using testing::ElementsAre;
using Source = CFilterEditor::ESource;

namespace {

class GestureTest : public CEditorFixture {
protected:
    void SetUp() override {
        CEditorFixture::SetUp();
        m_Core.Model().WriteStartupDefaults();
    }
    // Opens the working link on a simulated processor (for the tests that check what is sent).
    void Connect() { OpenLink(); }
    void Click(int nId) { m_Core.OnMessage(WM_SKIN_BTN_UP, static_cast<std::uintptr_t>(nId), 0); }
    void Move(int nId, int nValue) {
        m_Core.OnMessage(WM_GDI_CTRL_MOVE, static_cast<std::uintptr_t>(nId), nValue);
    }
    void Release(int nId, int nValue) {
        m_Core.OnMessage(WM_GDI_CTRL_UP, static_cast<std::uintptr_t>(nId), nValue);
    }
    void Type(int nId, const std::string& text) {
        m_Core.Form().SetText(nId, text);
        m_Core.OnKey(true, CDispatch::KEY_ENTER, nId);
    }
    SFilterCoef Eq(int ch, int b) {
        return m_Core.Model().m_Lib.GetEqCoef(static_cast<std::uint8_t>(ch), static_cast<std::uint8_t>(b));
    }
    SFilterCoef Xover(int ch, int n) {
        return m_Core.Model().m_Lib.GetXoverCoef(static_cast<std::uint8_t>(ch), static_cast<std::uint8_t>(n));
    }
};

} // namespace

TEST(CrossoverRules, StepsSliderLawAndSlopeBox) {
    const std::pair<int, int> up[] = {{99, 100},    {100, 110},   {995, 1000},
                                      {1000, 1100}, {1050, 1100}, {20000, 20000}};
    for (auto [from, to] : up)
        EXPECT_EQ(CFilterEditor::XoverStep(from, true), to) << from;
    const std::pair<int, int> down[] = {{1100, 1000}, {1000, 990}, {105, 100}, {100, 99}, {17, 16}, {16, 16}};
    for (auto [from, to] : down)
        EXPECT_EQ(CFilterEditor::XoverStep(from, false), to) << from;
    const std::pair<int, int> slider[] = {{0, 16},     {-3, 16},     {10, 28},    {60, 505},
                                          {100, 5059}, {124, 20000}, {125, 20000}};
    for (auto [pos, freq] : slider)
        EXPECT_EQ(CFilterEditor::XoverFreqFromSlider(pos), freq) << pos;
    EXPECT_EQ(CFilterEditor::XoverSliderFromFreq(20000), 123);
    EXPECT_EQ(CFilterEditor::XoverSliderFromFreq(16), 0);
    const std::pair<int, int> slope[] = {{20, 3}, {48, 7}, {60, 0}, {300, 7}, {-250, 0}, {0, 0}};
    for (auto [typed, index] : slope)
        EXPECT_EQ(CFilterEditor::SlopeIndexFromText(typed), index) << typed;
}

TEST_F(GestureTest, DelayBoxesConvertClampAndShow) {
    CSettingsModel& m = m_Core.Model();
    m.m_nPage = CPages::PAGE_DELAY;
    m.m_bPair = 0;
    struct Case {
        int nBox;
        const char* text;
        float fMs;
        const char* cm;
        const char* ms;
        const char* in;
    };
    const Case cases[] = {
        {ctl::DELAY_CM_BOX, "100", 2.91f, "99.9", "2.9", "39.3"},
        {ctl::DELAY_CM_BOX, "1000", 22.0f, "755.0", "22.0", "297.3"},
        {ctl::DELAY_MS_BOX, "abc", 0.0f, " 0.0", "0.0", " 0.0"},
        {ctl::DELAY_MS_BOX, "-4", 0.0f, " 0.0", "0.0", " 0.0"},
        {ctl::DELAY_IN_BOX, "13.511784", 1.0f, "34.3", "1.0", "13.5"},
    };
    for (const Case& c : cases) {
        m_Core.Form().SetText(c.nBox, c.text);
        m_Core.Delays().OnDelayChange(c.nBox);
        EXPECT_FLOAT_EQ(m.m_fDelayMs[0], c.fMs) << c.text;
        EXPECT_EQ(m_Core.Form().Text(ctl::DELAY_CM_BOX), c.cm) << c.text;
        EXPECT_EQ(m_Core.Form().Text(ctl::DELAY_MS_BOX), c.ms) << c.text;
        EXPECT_EQ(m_Core.Form().Text(ctl::DELAY_IN_BOX), c.in) << c.text;
    }
    m.m_fDelayMs[0] = 21.95f;
    m_Core.Delays().OnDelayChange(ctl::DELAY_STEP.first);
    EXPECT_FLOAT_EQ(m.m_fDelayMs[0], 22.0f);
    EXPECT_EQ(m.m_nDelay[0], 1056);
    m.m_fDelayMs[0] = 0.05f;
    m_Core.Delays().OnDelayChange(ctl::STEP_DOWN);
    EXPECT_FLOAT_EQ(m.m_fDelayMs[0], 0.0f);
    m_Core.Delays().SetDelaySamples(1, 0.1f);
    EXPECT_EQ(m.m_nDelay[1], 4);
}

TEST_F(GestureTest, PairCarryOvers) {
    CSettingsModel& m = m_Core.Model();
    // Equalizer gain: the partner keeps its offset, clamped; the frequency is copied.
    m.m_nChannel = 2;
    m.m_bPair = 1;
    m.m_bEqEnable[2] = m.m_bEqEnable[3] = 1;
    SFilterCoef partner = Eq(3, 3);
    partner.Gain = 10;
    partner.Freq = 300;
    m.m_Lib.SetEqCoef(3, 3, partner);
    m_Core.Filters().RefreshEqPage(2);
    Move(ctl::EQ_GAIN_SLIDER.first + 3, 16); // +4 dB
    EXPECT_EQ(Eq(2, 3).Gain, 4);
    EXPECT_EQ(Eq(3, 3).Gain, 12);
    EXPECT_EQ(Eq(3, 3).Freq, Eq(2, 3).Freq);

    // Crossover frequency: the partner moves by the same amount, limited to 16 Hz.
    m.m_nChannel = 0;
    for (auto [ch, f] : {std::pair{0, 1000}, std::pair{1, 500}}) {
        SFilterCoef c = Xover(ch, 0);
        c.Freq = static_cast<std::uint16_t>(f);
        m.m_Lib.SetXoverCoef(static_cast<std::uint8_t>(ch), 0, c);
    }
    Move(ctl::HP_SLIDER, 0);
    EXPECT_EQ(Xover(0, 0).Freq, 16);
    EXPECT_EQ(Xover(1, 0).Freq, 16);

    // Delays: the centre pair of the 5.1 architecture is never carried over; other pairs are.
    for (int arch : {ARCH_51, ARCH_3WAY_SUB}) {
        m.m_nDSPInput = INPUT_4_WIRED;
        m.m_nDSPOutput[INPUT_4_WIRED] = arch;
        m.m_nChannel = 6;
        m.m_fDelayMs[7] = 0;
        m_Core.Form().SetText(ctl::DELAY_MS_BOX, "3");
        m_Core.Delays().OnDelayChange(ctl::DELAY_MS_BOX);
        EXPECT_FLOAT_EQ(m.m_fDelayMs[7], arch == ARCH_51 ? 0.0f : 3.0f) << arch;
    }
}

TEST_F(GestureTest, EqualizerOffShowsNeutralValuesAndAnEditSwitchesItOn) {
    CSettingsModel& m = m_Core.Model();
    m.m_nChannel = 4;
    m.m_bPair = 0;
    SFilterCoef band = Eq(4, 1);
    band.Gain = 6;
    m.m_Lib.SetEqCoef(4, 1, band);
    m_Core.Filters().RefreshEqPage(4);
    EXPECT_EQ(m_Core.Form().Text(ctl::EQ_GAIN_BOX.first + 1), "0");
    EXPECT_EQ(m_Core.Form().Text(ctl::EQ_Q_BOX.first + 1), "1.0");
    Move(ctl::EQ_Q_KNOB.first + 1, 4); // Q 3.0
    EXPECT_EQ(m.m_bEqEnable[4], 1);
    EXPECT_EQ(Eq(4, 1).Gain, 0);
    EXPECT_FLOAT_EQ(Eq(4, 1).BandWidth, 3.0f);
    EXPECT_EQ(m_Core.Form().Control(ctl::EQ_SWITCH).bToggle, 1);

    // Typed frequencies are limited; stepping stops at the top.
    for (auto [text, freq] : {std::pair{"5", 16}, std::pair{"25000", 20000}, std::pair{"x", 16}}) {
        m_Core.Form().SetText(ctl::EQ_FREQ_BOX.first + 2, text);
        m_Core.Filters().OnEqFreqEdit(2, Source::FROM_BOX);
        EXPECT_EQ(Eq(4, 2).Freq, freq) << text;
    }
    m_Core.Form().SetText(ctl::EQ_FREQ_BOX.first + 2, "20000");
    m_Core.Filters().OnEqFreqEdit(2, Source::FROM_BOX);
    m_Core.Filters().OnEqFreqEdit(2, Source::FROM_STEP_UP);
    EXPECT_EQ(Eq(4, 2).Freq, 20000);
}

TEST_F(GestureTest, CrossoverTypeButtonsAndVisibility) {
    CSettingsModel& m = m_Core.Model();
    m_Core.Pages().ShowCrossoverPage();
    ASSERT_EQ(m.m_nPage, CPages::PAGE_XOVER);
    auto visible = [&](int id) { return m_Core.Form().Control(id).bVisible; };
    // A click lights the button first (the control does that), then notifies.
    auto clickToggle = [&](int id) {
        auto& c = m_Core.Form().Control(id);
        c.bToggle = !c.bToggle;
        Click(id);
    };
    clickToggle(ctl::XOVER_HP);
    EXPECT_EQ(m.m_bXoverEnable[0], 1);
    EXPECT_EQ(m.m_bXoverEnable[1], 1); // pair
    EXPECT_TRUE(visible(ctl::HP_SLIDER) && visible(ctl::HP_FREQ_BOX) && visible(ctl::HP_SLOPE_BOX));
    EXPECT_FALSE(visible(ctl::LP_SLIDER) || visible(ctl::LP_FREQ_BOX) || visible(ctl::LP_SLOPE_BOX));
    clickToggle(ctl::XOVER_BP);
    EXPECT_EQ(Xover(0, 0).Filtertype, FT_HIGHPASS);
    EXPECT_EQ(Xover(0, 1).Filtertype, FT_LOWPASS);
    EXPECT_EQ(m_Core.Form().Control(ctl::XOVER_BP).bToggle, 1);
    EXPECT_TRUE(visible(ctl::LP_SLIDER));
    clickToggle(ctl::XOVER_BP); // the lit band-pass button turns the crossover off
    EXPECT_EQ(m.m_bXoverEnable[0], 0);
    EXPECT_EQ(m.m_nXoverType[0][0], 0);
    EXPECT_EQ(m.m_nXoverType[0][1], 0);
    EXPECT_FALSE(visible(ctl::HP_SLIDER) || visible(ctl::LP_SLIDER));
    for (int id = ctl::LP_FREQ_UP; id <= ctl::HP_SLOPE_DOWN; ++id)
        EXPECT_FALSE(visible(id)) << id;
}

TEST_F(GestureTest, SoloAndMuteCombinations) {
    CSettingsModel& m = m_Core.Model();
    struct Step {
        int nClick;
        int nSolo;
        int nMuteBits;
    };
    const Step steps[] = {
        {ctl::PAIR_SOLO.first + 1, 0x0C, 0x00}, // channels 2 and 3 soloed
        {ctl::MUTE.first + 5, 0x0C, 0x00},      // mutes ignored while soloed
        {ctl::SOLO.first + 6, 0x40, 0x00},      // one channel at a time
        {ctl::SOLO.first + 4, 0x10, 0x00},      // replaces the solo
        {ctl::SOLO.first + 4, 0x00, 0x00},      // and clears it
        {ctl::SOLO.first + 0, 0x01, 0x00},
        {ctl::PAIR_SOLO.first + 0, 0x03, 0x00}, // pair solo while channel 0 is soloed: both
        {ctl::PAIR_SOLO.first + 0, 0x00, 0x00}, // again: cleared
        {ctl::SOLO.first + 1, 0x02, 0x00},
        {ctl::PAIR_SOLO.first + 0, 0x03, 0x00}, // only channel 1 soloed: both
        {ctl::PAIR_SOLO.first + 0, 0x00, 0x00},
        {ctl::MUTE.first + 5, 0x00, 0x20},
        {ctl::PAIR_MUTE.first + 2, 0x00, 0x30}, // pair 5-6: one muted, so both muted
        {ctl::PAIR_MUTE.first + 2, 0x00, 0x00}, // both muted: both unmuted
    };
    for (const Step& s : steps) {
        Click(s.nClick);
        EXPECT_EQ(m.m_nSoloMask, s.nSolo) << s.nClick;
        EXPECT_EQ(CSettingsModel::PackFlags(m.m_bMute), s.nMuteBits) << s.nClick;
    }
    // The display of a solo: every channel outside it shows muted.
    Click(ctl::SOLO.first + 3);
    for (int n = 0; n < 8; ++n)
        EXPECT_EQ(m_Core.Form().Control(ctl::MUTE.first + n).bToggle, n == 3 ? 0 : 1) << n;
}

TEST_F(GestureTest, HeldStepperSendsOnceOnRelease) {
    Connect();
    m_Core.Model().m_nMainVolume = 100;
    for (int i = 0; i < 15; ++i)
        m_Core.OnMessage(WM_SKIN_BTN_REPEAT, ctl::MAIN_UP, 0);
    EXPECT_EQ(m_Sim.ReceivedFrameCount(), 0u);
    Click(ctl::MAIN_UP);
    EXPECT_EQ(m_Core.Model().m_nMainVolume, 116);
    EXPECT_THAT(SentIds(), ElementsAre(VA_VOLUME));
    EXPECT_EQ(m_Sim.Running().nMainVolume, 116);
    EXPECT_EQ(m_Core.Form().Text(ctl::MAIN_LEVEL_BOX), "-6.0");
}

TEST_F(GestureTest, WheelStepsInsideTheFocusedBoxOnlyAndSendOnceAfterTheBurst) {
    Connect();
    CSettingsModel& m = m_Core.Model();
    m.m_nChannel = 6;
    m.m_bPair = 1;
    m.m_nVolume[6] = 100;
    m.m_nVolume[7] = 90;
    m_Core.Dispatch().OnMouseWheel(120, ctl::CHANNEL_LEVEL_BOX, false); // pointer outside: nothing
    m_Core.Dispatch().OnMouseWheel(60, ctl::CHANNEL_LEVEL_BOX, true);   // less than a notch: nothing
    EXPECT_EQ(m.m_nVolume[6], 100);
    for (int i = 0; i < 3; ++i) {
        m_Core.Dispatch().OnMouseWheel(240, ctl::CHANNEL_LEVEL_BOX, true); // one step per message
        m_Host.Advance(100);
    }
    EXPECT_EQ(m.m_nVolume[6], 103);
    EXPECT_EQ(m.m_nVolume[7], 93); // the pair moves together
    EXPECT_EQ(m_Sim.ReceivedFrameCount(), 0u);
    m_Host.Advance(300);
    EXPECT_THAT(SentIds(), ElementsAre(VA_VOLUME));
    EXPECT_EQ(m_Sim.Running().nVolume[6], 103); // sent once, for the pair base
}

TEST_F(GestureTest, EnterInEachKindOfBoxAppliesAndSends) {
    Connect();
    CSettingsModel& m = m_Core.Model();
    m.m_nChannel = 2;
    m.m_bPair = 1;
    m_Core.Filters().RefreshEqPage(2);
    struct Case {
        int nBox;
        const char* text;
        std::vector<int> sent;
        std::function<bool()> check;
    };
    const Case cases[] = {
        {ctl::MAIN_LEVEL_BOX, "-0.2", {VA_VOLUME}, [&] { return m.m_nMainVolume == 127; }},
        {ctl::MAIN_LEVEL_BOX, "5", {VA_VOLUME}, [&] { return m.m_nMainVolume == 128; }},
        {ctl::CHANNEL_LEVEL_BOX, "-10", {VA_VOLUME}, [&] { return m.m_nVolume[2] == 108; }},
        {ctl::CHANNEL_LEVEL_BOX, "12", {VA_VOLUME}, [&] { return m.m_nVolume[2] == 108; }}, // outside: kept
        {ctl::EQ_FREQ_BOX.first + 4,
         "440",
         {VA_FILTER},
         [&] { return Eq(2, 4).Freq == 440 && Eq(3, 4).Freq == 440; }},
        {ctl::EQ_GAIN_BOX.first + 4,
         "-30",
         {VA_EQFLAG, VA_FILTER},
         [&] { return Eq(2, 4).Gain == -12 && m.m_bEqEnable[2] == 1; }},
        // The box is the working copy: what it shows ("7.2") is what is stored.
        {ctl::EQ_Q_BOX.first + 4, "7.25", {VA_EQFLAG, VA_FILTER}, [&] { return Eq(2, 4).BandWidth == 7.2f; }},
        {ctl::HP_SLOPE_BOX, "300", {VA_XOVERFLAG, VA_XOVER, VA_XOVER}, [&] { return Xover(2, 0).Slop == 7; }},
        {ctl::LP_FREQ_BOX,
         "70000",
         {VA_XOVERFLAG, VA_XOVER, VA_XOVER},
         [&] { return Xover(2, 1).Freq == 20000; }},
        {ctl::DELAY_MS_BOX, "1", {VA_DELAY}, [&] { return m.m_nDelay[2] == 48 && m.m_nDelay[3] == 48; }},
    };
    for (const Case& c : cases) {
        m_Sim.ClearReceivedFrames();
        Type(c.nBox, c.text);
        EXPECT_EQ(SentIds(), c.sent) << c.nBox << " " << c.text;
        EXPECT_TRUE(c.check()) << c.nBox << " " << c.text;
    }
    EXPECT_EQ(m_Sim.Running().nDelay[3], 48);
}

TEST_F(GestureTest, PagesShowTheirControls) {
    CSettingsModel& m = m_Core.Model();
    auto visible = [&](int id) { return m_Core.Form().Control(id).bVisible; };
    m_Core.Pages().ShowEqualizerPage();
    EXPECT_TRUE(visible(ctl::EQ_GAIN_SLIDER.first) && visible(ctl::EQ_Q_BOX.first + 9) &&
                visible(ctl::GRAPH));
    m.m_nChannel = 5;
    m.m_bPair = 0;
    m_Core.Pages().ShowCrossoverPage(); // a single odd channel becomes its pair
    EXPECT_EQ(m.m_nChannel, 4);
    EXPECT_EQ(m.m_bPair, 1);
    EXPECT_FALSE(visible(ctl::EQ_GAIN_SLIDER.first));
    EXPECT_TRUE(visible(ctl::XOVER_HP));
    m_Core.Pages().ShowTimeAlignmentPage();
    EXPECT_TRUE(m_Host.TimerSet(TIMER_ANIMATION));
    EXPECT_FALSE(visible(ctl::GRAPH));
    // The icons of the architecture: 5.1 shows channel 7's extra icon, 2-way + sub shows none of
    // the channels 5 and 6.
    m.m_nDSPInput = INPUT_2_WIRED;
    m.m_nDSPOutput[INPUT_2_WIRED] = ARCH_2WAY_SUB;
    m_Core.Pages().HidePageControls(CPages::PAGE_DELAY);
    m_Core.Pages().ShowPageControls(CPages::PAGE_DELAY);
    EXPECT_TRUE(visible(ctl::SPEAKER.first) && visible(ctl::SPEAKER.at(1)) && visible(ctl::SPEAKER.at(4)) &&
                visible(ctl::SPEAKER.at(5)) && visible(ctl::SPEAKER.at(9)) && visible(ctl::SPEAKER.at(10)));
    EXPECT_FALSE(visible(ctl::SPEAKER.at(2)) || visible(ctl::SPEAKER.at(6)) || visible(ctl::SPEAKER.last) ||
                 visible(ctl::EXPERT_SPEAKER.first));
    m_Core.Pages().ShowEqualizerPage();
    EXPECT_FALSE(m_Host.TimerSet(TIMER_ANIMATION));
    EXPECT_FALSE(visible(ctl::SPEAKER.first));
    // A page already shown only relights its tab.
    const auto before = m_Core.Form().All().size();
    m_Core.Form().SetToggle(ctl::TAB_EQ, 0);
    m_Core.Pages().ShowEqualizerPage();
    EXPECT_EQ(m_Core.Form().Control(ctl::TAB_EQ).bToggle, 1);
    EXPECT_EQ(m_Core.Form().All().size(), before);
}

TEST_F(GestureTest, EscapeAndTheInputLock) {
    CSettingsModel& m = m_Core.Model();
    EXPECT_TRUE(m_Core.OnKey(true, CDispatch::KEY_ESCAPE, ctl::MAIN_LEVEL_BOX));
    EXPECT_FALSE(m_Core.OnKey(true, 'A', ctl::MAIN_LEVEL_BOX));
    EXPECT_FALSE(m_Core.FilterLeftButton(true));
    m.MouseLbtnEventDisable(1);
    EXPECT_TRUE(m_Core.FilterLeftButton(true));
    EXPECT_TRUE(m_Core.FilterLeftButton(false));
    // Keyboard stepping still works under the lock.
    m.m_nMainVolume = 10;
    m_Core.OnKey(true, CDispatch::KEY_UP, ctl::MAIN_LEVEL_BOX);
    EXPECT_EQ(m.m_nMainVolume, 11);
}

TEST_F(GestureTest, AnEqualizerEditRedrawsBothCurvesFiftyMillisecondsLater) {
    CSettingsModel& m = m_Core.Model();
    m_Core.Pages().ShowEqualizerPage(); // pair 1+2, both curves drawn once
    m_Host.curves.clear();
    Type(ctl::EQ_GAIN_BOX.first + 4, "9");
    m_Host.Advance(50);
    ASSERT_EQ(m_Host.curves.size(), 2u);
    EXPECT_EQ(m_Host.curves[0].bClear, 1); // the partner on a cleared background
    EXPECT_EQ(m_Host.curves[1].bClear, 0); // the selected channel over it
    // The selected channel's curve now carries the +9 dB band; a fresh calculation agrees.
    m.m_Lib.CalcChannelResponse(m.m_bEqEnable[0], 0, m.m_bXoverEnable[0]);
    const std::vector<double> fresh(m.m_Lib.GetResponse(),
                                    m.m_Lib.GetResponse() + m.m_Lib.GetResponseCount());
    EXPECT_EQ(m_Host.curves[1].values, fresh);
    EXPECT_GT(*std::max_element(fresh.begin(), fresh.end()), 8.0);
}

TEST_F(GestureTest, AWheelPauseSendsTheEqualizerFlagBeforeTheBand) {
    Connect();
    CSettingsModel& m = m_Core.Model();
    m_Core.Pages().ShowEqualizerPage();
    m.m_nChannel = 2;
    m.m_bPair = 0;
    ASSERT_EQ(m.m_bEqEnable[2], 0);
    m_Core.Dispatch().OnMouseWheel(120, ctl::EQ_GAIN_BOX.first + 3, true);
    m_Host.Advance(300);
    EXPECT_EQ(m.m_bEqEnable[2], 1);
    EXPECT_THAT(SentIds(), ElementsAre(VA_EQFLAG, VA_FILTER));
    EXPECT_EQ(m_Sim.Running().bEqFlag[2], 1); // the processor's equalizer is on, like the window's
    m_Sim.ClearReceivedFrames();
    m_Core.Dispatch().OnMouseWheel(-120, ctl::EQ_FREQ_BOX.first + 3, true); // a frequency changes no flag
    m_Host.Advance(300);
    EXPECT_THAT(SentIds(), ElementsAre(VA_FILTER));
}

TEST_F(GestureTest, TheExpertPageOffersItsInputsAndEveryOutput) {
    auto visible = [&](int id) { return m_Core.Form().Control(id).bVisible; };
    m_Core.Pages().ShowStandardConfigPage();
    Click(ctl::INPUT_KIND.first + INPUT_4_WIRED);
    Click(ctl::ARCH.first + ARCH_21); // hides the selectors of channels 3 to 6
    ASSERT_FALSE(visible(ctl::CHANNEL.first + 2) || visible(ctl::PAIR.first + 1));
    Click(ctl::MODE_SWITCH);
    ASSERT_EQ(m_Core.Model().m_nPage, CPages::PAGE_EXPERT);
    auto everySelector = [&] {
        for (int c = 0; c < MLB8_CHANNELS; ++c)
            for (int id : {ctl::CHANNEL.first + c, ctl::MUTE.first + c, ctl::SOLO.first + c})
                if (!visible(id)) return id;
        for (int g = 0; g < MLB8_CHANNELS / 2; ++g)
            for (int id : {ctl::PAIR.first + g, ctl::PAIR_MUTE.first + g, ctl::PAIR_SOLO.first + g})
                if (!visible(id)) return id;
        return 0;
    };
    EXPECT_TRUE(visible(ctl::EXP_INPUT.first) && visible(ctl::EXP_INPUT.at(1)) &&
                visible(ctl::EXP_INPUT.last)); // MAIN, AUX, OPT
    EXPECT_EQ(everySelector(), 0);
    for (int nTab : {ctl::TAB_EQ, ctl::TAB_XOVER}) { // the expert mode's outputs stay selectable
        Click(nTab);
        EXPECT_EQ(everySelector(), 0) << nTab;
    }
    Click(ctl::TAB_XOVER + 1);
    EXPECT_FALSE(visible(ctl::EXP_INPUT.first));
    m_Core.Pages().ShowStandardConfigPage(); // the standard architecture hides them again
    EXPECT_FALSE(visible(ctl::CHANNEL.first + 2) || visible(ctl::PAIR.first + 1));
    EXPECT_FALSE(visible(ctl::EXP_INPUT.first));
}

// Found by the window's fresh-render rule: the forced pair showed the single channel's level, phase
// and mutes under the pair's buttons.
TEST_F(GestureTest, AForcedPairShowsThePairBasesValues) {
    CSettingsModel& m = m_Core.Model();
    m_Core.Pages().ShowTimeAlignmentPage();
    m.m_nVolume[2] = 100; // -14.0 dB
    m.m_nVolume[3] = 128; //   0.0 dB
    m.m_bPhase[3] = 1;
    Click(ctl::CHANNEL.first + 3); // single Out 4
    ASSERT_EQ(m_Core.Form().Text(ctl::CHANNEL_LEVEL_BOX), "0.0");
    for (int nTab : {ctl::TAB_EQ, ctl::TAB_XOVER, ctl::TAB_CONFIG}) {
        Click(ctl::TAB_DELAY);
        Click(ctl::CHANNEL.first + 3);
        Click(nTab); // the pair Out 3+4
        EXPECT_EQ(m.m_nChannel, 2) << nTab;
        EXPECT_EQ(m_Core.Form().Text(ctl::CHANNEL_LEVEL_BOX), "-14.0") << nTab;
        EXPECT_EQ(m_Core.Form().Control(ctl::CHANNEL_KNOB).nPos, 100) << nTab;
        EXPECT_EQ(m_Core.Form().Control(ctl::PHASE).bToggle, 0) << nTab;
    }
}

// A knob or a speaker icon moves from where it is pressed: a press and release without a move
// changes nothing and sends nothing (the icon only selects its channel); a drag still sends once.
TEST_F(GestureTest, AClickOnAKnobOrSpeakerIconSendsNothing) {
    Connect();
    CSettingsModel& m = m_Core.Model();
    m_Core.Pages().ShowTimeAlignmentPage();
    m.m_bPair = 0;
    const int nIcon = m_Core.Delays().IconOfChannel(2);
    ASSERT_NE(nIcon, 0);
    const struct {
        const char* pszName;
        int nId;
        int nMovedTo; // where a drag takes it
        int nSentId;  // the command the drag sends
    } controls[] = {
        {"master knob", ctl::MAIN_KNOB, 90, VA_VOLUME},
        {"channel knob", ctl::CHANNEL_KNOB, 90, VA_VOLUME},
        {"speaker icon", nIcon, 7, VA_DELAY},
    };
    for (const auto& c : controls) {
        SCOPED_TRACE(c.pszName);
        const SEditSnapshot before = SEditSnapshot::Of(m);
        m_Sim.ClearReceivedFrames();
        m_Core.OnMessage(WM_GDI_CTRL_DOWN, static_cast<std::uintptr_t>(c.nId), 0);
        Release(c.nId, 0);
        EXPECT_EQ(SEditSnapshot::Of(m), before);
        EXPECT_TRUE(SentIds().empty());

        m_Core.OnMessage(WM_GDI_CTRL_DOWN, static_cast<std::uintptr_t>(c.nId), 0);
        Move(c.nId, c.nMovedTo);
        Release(c.nId, c.nMovedTo);
        EXPECT_NE(SEditSnapshot::Of(m), before);
        EXPECT_THAT(SentIds(), testing::Contains(c.nSentId));
    }
}

// Whatever changes the selection refreshes the whole top bar: the channel level, its knob and Ø
// show the newly selected channel, never the one before.
TEST_F(GestureTest, EverySelectionChangeShowsTheNewChannelsLevelAndPhase) {
    CSettingsModel& m = m_Core.Model();
    for (int c = 0; c < MLB8_CHANNELS; ++c)
        m.m_nVolume[c] = 100 + 3 * c;
    m.m_bPhase[1] = m.m_bPhase[2] = m.m_bPhase[3] = 1;
    for (int c = 0; c < MLB8_CHANNELS; ++c)
        m.m_fDelayMs[c] = 1.5f + static_cast<float>(c);
    const struct {
        const char* pszName;
        std::function<void()> fnBefore; // the selection the gesture starts from
        std::function<void()> fnGesture;
    } cases[] = {
        {"a speaker icon pressed",
         [&] {
             m_Core.Pages().ShowTimeAlignmentPage();
             Click(ctl::CHANNEL.first + 1); // single Out 2
         },
         [&] {
             m_Core.OnMessage(WM_GDI_CTRL_DOWN, static_cast<std::uintptr_t>(m_Core.Delays().IconOfChannel(6)),
                              0);
         }},
        {"a speaker icon stepped by a key",
         [&] {
             m_Core.Pages().ShowTimeAlignmentPage();
             Click(ctl::CHANNEL.first + 1);
         },
         [&] { Move(m_Core.Delays().IconOfChannel(0), 5); }},
        {"an architecture chosen",
         [&] {
             m_Core.Pages().ShowStandardConfigPage();
             Click(ctl::PAIR.first + 1); // the inverted pair 3+4
         },
         [&] { Click(ctl::ARCH.first + ARCH_41); }},
        {"an input kind chosen",
         [&] {
             m_Core.Pages().ShowStandardConfigPage();
             Click(ctl::PAIR.first + 1);
         },
         [&] { Click(ctl::INPUT_KIND.first + INPUT_4_WIRED); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        c.fnBefore();
        const int nBefore = m.m_nChannel;
        c.fnGesture();
        ASSERT_NE(m.m_nChannel, nBefore);
        const int ch = m.m_nChannel;
        char szLevel[16];
        std::snprintf(szLevel, sizeof szLevel, "%2.1f", CSettingsModel::DbFromVolume(m.m_nVolume[ch]));
        EXPECT_EQ(m_Core.Form().Text(ctl::CHANNEL_LEVEL_BOX), szLevel);
        EXPECT_EQ(m_Core.Form().Control(ctl::CHANNEL_KNOB).nPos, m.m_nVolume[ch]);
        EXPECT_EQ(m_Core.Form().Control(ctl::PHASE).bToggle, m.m_bPhase[ch]);
        EXPECT_EQ(m_Core.Form().Control(ctl::DELAY_PHASE).bToggle, m.m_bPhase[ch]);
        if (m.m_nPage == CPages::PAGE_DELAY) {
            char szMs[16];
            std::snprintf(szMs, sizeof szMs, "%3.1f", static_cast<double>(m.m_fDelayMs[ch]));
            EXPECT_EQ(m_Core.Form().Text(ctl::DELAY_MS_BOX), szMs);
        }
    }
}
