// The input and output configuration pages driven through their operations: what the form shows,
// what the model holds and, against the simulated processor on a pseudo-terminal, what is sent.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "comm/comnames.h"
#include "comm/trace.h"
#include "editor/ioconfig.h"
#include "editorfixture.h"

using testing::ElementsAre;
using testing::ElementsAreArray;
using Io = CIoConfig;

namespace {

class IoConfigTest : public CEditorFixture {
protected:
    bool Visible(int nId) const {
        const SControlState* p = m_Core.Form().Find(nId);
        return p && p->bVisible;
    }
    int Lit(int nId) const {
        const SControlState* p = m_Core.Form().Find(nId);
        return p ? p->bToggle : -1;
    }
    int Pos(int nId) const {
        const SControlState* p = m_Core.Form().Find(nId);
        return p ? p->nPos : -1;
    }
    std::vector<int> LitOf(int nFirst, int nCount) const {
        std::vector<int> v;
        for (int i = 0; i < nCount; ++i)
            v.push_back(Lit(nFirst + i));
        return v;
    }
    // Bit c: channel c's select, mute and solo buttons are all shown (-1 when they disagree).
    int ShownChannels() const {
        int nMask = 0;
        for (int c = 0; c < 8; ++c) {
            const int n =
                Visible(ctl::CHANNEL.first + c) + Visible(ctl::MUTE.first + c) + Visible(ctl::SOLO.first + c);
            if (n != 0 && n != 3) return -1;
            nMask |= (n == 3) << c;
        }
        return nMask;
    }

    CIoConfig m_Io{m_Core.Context()};
    CSettingsModel& m = m_Core.Model();
};

// The same against the simulated processor, with the working link open.
class IoConfigSimTest : public IoConfigTest {
protected:
    void SetUp() override {
        IoConfigTest::SetUp();
        OpenLink();
    }
    // (command ID, channel, body length) of every frame the processor received since the last call.
    std::vector<std::array<int, 3>> Sent() {
        std::vector<std::array<int, 3>> out;
        for (const auto& f : m_Sim.ReceivedFrames())
            out.push_back({f[1] & 0x1F, f[4], f[6]});
        m_Sim.ClearReceivedFrames();
        return out;
    }
    std::vector<int> SentIds() {
        std::vector<int> ids;
        for (const auto& s : Sent())
            ids.push_back(s[0]);
        return ids;
    }
    std::array<std::uint8_t, 24> ModelMap() const {
        std::array<std::uint8_t, 24> a{};
        m.GetChannelMapBytes(9, a.data());
        return a;
    }
};

} // namespace

TEST_F(IoConfigTest, SelectorStatesFollowTheArchitectureTable) {
    // Per column: channel buttons 1..8, then pair buttons 1-2..7-8.
    const std::vector<std::vector<int>> kColumns = {
        {2, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0}, // 2-way + sub
        {2, 0, 1, 0, 0, 0, 0, 0, 0, 1, 0, 0}, // 3-way + sub
        {0, 2, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}, // 2.1
        {1, 1, 0, 1, 0, 0, 0, 0, 1, 2, 0, 0}, // 4.1
        {2, 0, 1, 0, 0, 0, 1, 1, 0, 0, 1, 0}, // 5.1
        {2, 0, 1, 0, 0, 0, 0, 0, 3, 3, 3, 3}, // expert page
    };
    const std::vector<int> kIds = {ctl::CHANNEL.first, ctl::CHANNEL.at(1), ctl::CHANNEL.at(2),
                                   ctl::CHANNEL.at(3), ctl::CHANNEL.at(4), ctl::CHANNEL.at(5),
                                   ctl::CHANNEL.at(6), ctl::CHANNEL.last,  ctl::PAIR.first,
                                   ctl::PAIR.at(1),    ctl::PAIR.at(2),    ctl::PAIR.last};
    for (int col = -1; col <= 6; ++col) {
        SCOPED_TRACE(col);
        const std::vector<int> want = col >= 0 && col <= 5 ? kColumns[col] : std::vector<int>(12, 0);
        m_Io.ApplySelectorStates(col);
        std::vector<int> ids, states;
        for (const auto& s : Io::SelectorStates(col)) {
            ids.push_back(s.nId);
            states.push_back(m_Core.Form().Control(s.nId).nState);
        }
        EXPECT_EQ(ids, kIds);
        EXPECT_EQ(states, want);
    }
}

TEST_F(IoConfigTest, ChannelControlsAndArchitectureButtonsFollowKindAndArchitecture) {
    // Output channels offered per architecture (bit c: channel c + 1).
    const int kOffered[5] = {0xCF, 0xFF, 0xC3, 0xCF, 0xFF};
    for (int kind = 0; kind < 5; ++kind) {
        for (int arch = 0; arch < 5; ++arch) {
            SCOPED_TRACE("kind " + std::to_string(kind) + " arch " + std::to_string(arch));
            m_Io.UpdateConfigInput2Output(kind, arch);
            const int nShown = kind == 0 ? 0xFF : kOffered[arch];
            EXPECT_EQ(ShownChannels(), nShown);
            for (int g = 0; g < 4; ++g) {
                const bool bPair = ((nShown >> (2 * g)) & 3) == 3;
                EXPECT_EQ(Visible(ctl::PAIR_MUTE.first + g), bPair) << "pair " << g;
                EXPECT_EQ(Visible(ctl::PAIR_SOLO.first + g), bPair) << "pair " << g;
                // Channels 7 and 8 cannot be selected as a pair in 5.1.
                EXPECT_EQ(Visible(ctl::PAIR.first + g), bPair && !(g == 3 && arch == 4)) << "pair " << g;
            }
            for (int a = 0; a < 5; ++a) {
                EXPECT_EQ(Visible(ctl::ARCH.first + a), kind != 0 || a == 4) << "arch button " << a;
                EXPECT_EQ(Lit(ctl::ARCH.first + a), a == arch) << "arch button " << a;
            }
        }
    }

    // Out-of-range kinds or architectures change nothing on the form.
    CFakeHost host;
    CEditorCore fresh(host);
    CIoConfig io(fresh.Context());
    for (auto [kind, arch] : {std::pair{5, 0}, {-1, 4}, {1, 5}, {2, -1}})
        io.UpdateConfigInput2Output(kind, arch);
    EXPECT_TRUE(fresh.Form().All().empty());
}

TEST_F(IoConfigTest, InputKindAndArchitectureClicksShapeThePage) {
    struct Case {
        int nId;       // control clicked
        bool bLevel;   // sensitivity slider, box and steppers shown
        bool bHighLow; // the low/high switch shown
        int nArch;     // architecture stored for that kind
    };
    const Case kCases[] = {
        {ctl::INPUT_KIND.first, true, true, 4},  {ctl::INPUT_KIND.at(1), true, true, 3},
        {ctl::INPUT_KIND.at(2), true, true, 2},  {ctl::INPUT_KIND.at(3), true, false, 0},
        {ctl::INPUT_KIND.last, false, false, 1},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.nId);
        const int kind = c.nId - ctl::INPUT_KIND.first;
        m.m_nDSPOutput[kind] = kind == 0 ? 4 : c.nArch;
        m.m_nChannel = 5;
        m.m_bPair = 0;
        m_Io.SelectInputKind(c.nId);
        EXPECT_EQ(m.m_nDSPInput, kind);
        for (int id : {ctl::EASY_SENS_SLIDER, ctl::EASY_SENS_BOX, ctl::EASY_SENS_UP, ctl::EASY_SENS_DOWN})
            EXPECT_EQ(Visible(id), c.bLevel) << id;
        EXPECT_EQ(Visible(ctl::EASY_LOW_HIGH), c.bHighLow);
        EXPECT_FALSE(Visible(ctl::EASY_LOW_HIGH_2));
        EXPECT_EQ(m.m_nChannel, 0);
        EXPECT_EQ(m.m_bPair, 1);
        EXPECT_THAT(LitOf(ctl::CHANNEL.first, 8), ElementsAre(1, 1, 0, 0, 0, 0, 0, 0));
        EXPECT_THAT(LitOf(ctl::PAIR.first, 4), ElementsAre(1, 0, 0, 0));
        std::vector<int> inputs(5, 0);
        inputs[kind] = 1;
        EXPECT_EQ(LitOf(ctl::INPUT_KIND.first, 5), inputs);
        EXPECT_EQ(Lit(ctl::ARCH.first + c.nArch), 1);
        EXPECT_EQ(m_Core.Form().Control(ctl::CHANNEL.first).nState, Io::SelectorStates(c.nArch)[0].nState);
    }

    // 2 wired inputs, then 2.1: channels 3 to 6 go away, and the choice is kept per input kind.
    m_Io.SelectInputKind(ctl::INPUT_KIND.at(2));
    m_Io.SelectArchitecture(ctl::ARCH.at(2));
    EXPECT_EQ(ShownChannels(), 0xC3);
    EXPECT_EQ(m.m_nDSPOutput[2], 2);
    EXPECT_THAT(LitOf(ctl::ARCH.first, 5), ElementsAre(0, 0, 1, 0, 0));

    // The 5.1 wired input has only the 5.1 architecture: another one is refused.
    m_Io.SelectInputKind(ctl::INPUT_KIND.first);
    m_Io.SelectArchitecture(ctl::ARCH.at(2));
    EXPECT_EQ(m.m_nDSPOutput[0], 4);
    EXPECT_THAT(LitOf(ctl::ARCH.first, 5), ElementsAre(0, 0, 0, 0, 1));
    EXPECT_EQ(m.m_nDSPOutput[2], 2);

    // IDs of other controls are no choice at all.
    for (int id : {ctl::MODE_SWITCH, ctl::EASY_SENS_SLIDER, ctl::EASY_LOW_HIGH_2, ctl::ACTIVATE, -2, 0}) {
        m_Io.SelectInputKind(id);
        m_Io.SelectArchitecture(id);
    }
    EXPECT_EQ(m.m_nDSPInput, 0);
    EXPECT_THAT(m.m_nDSPOutput, ElementsAre(4, 3, 2, 0, 1));
}

TEST_F(IoConfigTest, EasySensitivityStepsSlidesAndReadsTypedVolts) {
    struct Case {
        const char* name;
        int nKind;
        int bHigh;
        int nStart;
        int nId;
        int nValue;
        const char* typed; // box text before the edit
        int nIndex;
        const char* shown;
    };
    const Case kCases[] = {
        {"3.0 V low, 2 wired", 2, 0, 10, ctl::EASY_SENS_BOX, 0, "3.0", 5, "3.1"},
        {"30 V high", 1, 1, 10, ctl::EASY_SENS_BOX, 0, "30", 0, "21.6"},
        {"a table value finds its own entry", 0, 1, 10, ctl::EASY_SENS_BOX, 0, "6.2", 11, "6.2"},
        {"below the table", 2, 0, 3, ctl::EASY_SENS_BOX, 0, " 0.5", 13, "1.2"},
        {"not a number", 2, 0, 3, ctl::EASY_SENS_BOX, 0, "abc", 13, "1.2"},
        {"empty", 2, 0, 3, ctl::EASY_SENS_BOX, 0, "", 13, "1.2"},
        {"not finite", 2, 0, 3, ctl::EASY_SENS_BOX, 0, "1e999", 13, "1.2"},
        {"nan", 2, 1, 3, ctl::EASY_SENS_BOX, 0, "nan", 13, "4.8"},
        {"leading number of the text", 2, 0, 10, ctl::EASY_SENS_BOX, 0, "+2.2 V", 7, "2.5"},
        {"AUX reads the low table even with the high flag", 3, 1, 10, ctl::EASY_SENS_BOX, 0, "30", 0, "5.5"},
        {"AUX typed high-level volts", 3, 1, 10, ctl::EASY_SENS_BOX, 0, "4.85", 1, "4.9"},
        {"numerical: typed volts change nothing", 4, 0, 7, ctl::EASY_SENS_BOX, 0, "3.0", 7, "3.0"},
        {"slider", 2, 0, 10, ctl::EASY_SENS_SLIDER, 4, "", 3, "3.9"},
        {"slider at 0", 2, 0, 10, ctl::EASY_SENS_SLIDER, 0, "", 0, "5.5"},
        {"slider past its range", 2, 0, 10, ctl::EASY_SENS_SLIDER, 99, "", 13, "1.2"},
        {"up", 2, 0, 10, ctl::EASY_SENS_UP, 0, "", 11, "1.6"},
        {"up at the top", 2, 0, 13, ctl::EASY_SENS_UP, 0, "", 13, "1.2"},
        {"step up", 2, 0, 12, ctl::STEP_UP, 0, "", 13, "1.2"},
        {"step up on the box", 2, 0, 12, ctl::EASY_SENS_BOX, ctl::STEP_UP, "", 13, "1.2"},
        {"down at the bottom", 2, 0, 0, ctl::EASY_SENS_DOWN, 0, "", 0, "5.5"},
        {"step down", 1, 1, 4, ctl::STEP_DOWN, 0, "", 3, "15.2"},
        {"index out of range is brought back", 2, 0, 40, -1, 0, "", 13, "1.2"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        m.m_nDSPInput = c.nKind;
        m.m_bEasyConfigInputHighLow = c.bHigh;
        m.m_nEasyConfigInputSensitivity = c.nStart;
        m_Core.Form().SetText(ctl::EASY_SENS_BOX, c.typed);
        m_Io.EditEasySensitivity(c.nId, c.nValue);
        EXPECT_EQ(m.m_nEasyConfigInputSensitivity, c.nIndex);
        EXPECT_EQ(m_Core.Form().Text(ctl::EASY_SENS_BOX), c.shown);
        EXPECT_EQ(Pos(ctl::EASY_SENS_SLIDER), c.nIndex + 1);
    }

    // The switch flips the flag and its image, and the box shows the other table.
    std::string trace;
    TraceSetSink([&](std::string_view s) { trace += s; });
    m.m_nDSPInput = 1;
    m.m_bEasyConfigInputHighLow = 0;
    m.m_nEasyConfigInputSensitivity = 10;
    m_Io.EditEasySensitivity(ctl::EASY_LOW_HIGH);
    EXPECT_EQ(m.m_bEasyConfigInputHighLow, 1);
    EXPECT_EQ(Lit(ctl::EASY_LOW_HIGH), 1);
    EXPECT_EQ(m_Core.Form().Text(ctl::EASY_SENS_BOX), "6.8");
    m_Io.EditEasySensitivity(ctl::EASY_LOW_HIGH);
    TraceSetSink({});
    EXPECT_EQ(m_Core.Form().Text(ctl::EASY_SENS_BOX), "1.7");
    EXPECT_THAT(trace, testing::HasSubstr("\r\n m_nEasyConfigInputSensitivity[10]"));
}

TEST_F(IoConfigSimTest, ActivationCopiesThePresetAndTheApplySendsTheConfiguration) {
    struct Case {
        int nKindId, nArchId;
        std::array<std::uint8_t, 8> row; // routing row expected in the map of the kind
        int nExpInput;
        std::vector<int> sent; // commands of the apply
        int nInput, nSubInput;
    };
    const std::vector<Case> kCases = {
        {ctl::INPUT_KIND.at(1),
         ctl::ARCH.at(3),
         {0x01, 0x02, 0x04, 0x08, 0x00, 0x00, 0x03, 0x03},
         0,
         {VA_UPDATE, VA_LEVEL, VA_HIGHLOW, VA_INPUT, VA_MAP, VA_UPDATE, VA_UPDATE},
         0,
         1},
        {ctl::INPUT_KIND.at(3),
         ctl::ARCH.first,
         {0x01, 0x02, 0x01, 0x02, 0x00, 0x00, 0x03, 0x03},
         1,
         {VA_UPDATE, VA_LEVEL, VA_HIGHLOW, VA_INPUT, VA_MAP, VA_UPDATE, VA_UPDATE},
         1,
         0},
        {ctl::INPUT_KIND.last,
         ctl::ARCH.at(2),
         {0x40, 0x80, 0x00, 0x00, 0x00, 0x00, 0xC0, 0xC0},
         2,
         {VA_UPDATE, VA_HIGHLOW, VA_INPUT, VA_MAP, VA_UPDATE, VA_UPDATE},
         2,
         0},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.nKindId);
        const int kind = c.nKindId - ctl::INPUT_KIND.first;
        m.ResetMapsToDefault();
        std::fill(std::begin(m.m_nInputSensitivityMain), std::end(m.m_nInputSensitivityMain), 10);
        std::fill(std::begin(m.m_nInputSensitivityAux), std::end(m.m_nInputSensitivityAux), 10);
        m.m_MapM[5] = 0x3F; // routing of the other inputs must survive
        m.m_bEasyConfigInputHighLow = 0;
        m.m_bExpertConfigInputHighLow = 0;
        m.m_nDSPExpInput = 1;
        m.m_nEasyConfigInputSensitivity = 10;

        // The choices stay in the model; nothing goes to the processor before the confirmation.
        m_Io.SelectInputKind(c.nKindId);
        m_Io.SelectArchitecture(c.nArchId);
        m_Io.EditEasySensitivity(ctl::EASY_SENS_DOWN);
        if (kind != 4) m_Io.EditEasySensitivity(ctl::EASY_LOW_HIGH);
        const std::uint8_t* pMap = kind <= 2 ? m.m_MapM : (kind == 3 ? m.m_MapA : m.m_MapD);
        const auto before = ModelMap();

        m_Host.bConfirmAnswer = false;
        m_Io.ActivateIoConfig();
        EXPECT_EQ(m_Host.Pump(0), 0);
        EXPECT_EQ(ModelMap(), before);
        EXPECT_TRUE(Sent().empty());

        m_Host.bConfirmAnswer = true;
        m_Io.ActivateIoConfig();
        EXPECT_THAT(m_Host.confirms, testing::Each(std::string(TEXT_CONFIRM_IO_CONFIG)));
        EXPECT_TRUE(Sent().empty()); // deferred until the dialog is gone
        EXPECT_THAT(std::vector<std::uint8_t>(pMap, pMap + 8), ElementsAreArray(c.row));
        auto expected = before;
        for (int o = 0; o < 8; ++o)
            expected[3 * o + (kind <= 2 ? 0 : kind == 3 ? 1 : 2)] = c.row[o];
        EXPECT_EQ(ModelMap(), expected);
        EXPECT_EQ(m.m_nDSPExpInput, c.nExpInput);
        EXPECT_EQ(m.m_bExpertConfigInputHighLow, kind != 4);
        if (kind <= 2) {
            EXPECT_THAT(m.m_nInputSensitivityMain, testing::Each(9));
            EXPECT_THAT(m.m_nInputSensitivityAux, testing::Each(10));
        } else if (kind == 3) {
            EXPECT_THAT(m.m_nInputSensitivityMain, testing::Each(10));
            EXPECT_THAT(m.m_nInputSensitivityAux, testing::Each(9));
        }

        m_Host.Pump();
        EXPECT_EQ(SentIds(), c.sent);
        const Sim::SSimConfig run = m_Sim.Running();
        EXPECT_EQ(run.Input, c.nInput);
        EXPECT_EQ(run.SubInput, c.nSubInput);
        EXPECT_EQ(run.bHighLow, kind != 4);
        EXPECT_EQ(run.Easy_Expert, 0);
        EXPECT_TRUE(std::equal(run.Map.begin(), run.Map.end(), expected.begin()));
        if (kind <= 2) {
            EXPECT_EQ(run.nLevelMain[0], 9);
        }
        EXPECT_TRUE(m_Host.messageBoxes.empty());
    }
}

TEST_F(IoConfigTest, ApplyWaitsForTimerElevenWhereTheSystemNeedsIt) {
    m_Io.m_nOsClass = 2;
    m_Io.ActivateIoConfig();
    EXPECT_TRUE(m_Host.TimerSet(TIMER_IO_APPLY));
    EXPECT_EQ(m_Host.Pump(0), 0);
    m_Io.OnApplyTimer();
    EXPECT_FALSE(m_Host.TimerSet(TIMER_IO_APPLY));
    EXPECT_EQ(m_Host.Pump(0), 1);
    EXPECT_THAT(m_Host.delivered, ElementsAre(WM_APPLY_IO_CONFIG));

    // A broken input kind asks nothing and applies nothing.
    m.m_nDSPInput = 7;
    m_Io.ActivateIoConfig();
    EXPECT_EQ(m_Host.confirms.size(), 1u);
}

TEST_F(IoConfigSimTest, ModeSwitchAndExpertInputLayOutThePage) {
    // Entering either page sends nothing; the expert page shows the group of the expert input.
    m.m_nDSPInput = 2;
    m.m_nDSPOutput[2] = 2;
    m_Core.Pages().ShowExpertConfigPage();
    EXPECT_EQ(m.m_bEasyExp, 1);
    EXPECT_EQ(m.m_nPage, 1);
    EXPECT_TRUE(Visible(ctl::EXP_ROUTE_MAIN.first));
    m_Core.Pages().ShowStandardConfigPage();
    EXPECT_EQ(m.m_bEasyExp, 0);
    EXPECT_EQ(m.m_nPage, 0);
    EXPECT_EQ(ShownChannels(), 0xC3);
    EXPECT_TRUE(Sent().empty());

    m_Core.Pages().ShowExpertConfigPage();
    for (auto* pMap : {m.m_MapM, m.m_MapA, m.m_MapD})
        std::fill(pMap, pMap + 8, 0);
    m.m_MapM[1] = 0x04;
    m.m_MapA[2] = 0x02;
    m.m_MapD[3] = 0x40;
    struct Case {
        int nId;
        std::vector<int> groups;   // first IDs of the shown level groups (slider, box, up, down)
        int nMatrix, nMatrixCount; // the shown matrix
        int nLitInMatrix;          // the button lit from the routing bytes above
    };
    const Case kCases[] = {
        {ctl::EXP_INPUT.at(1),
         {ctl::AUX_SENS_SLIDER.first},
         ctl::EXP_ROUTE_AUX.first,
         16,
         ctl::EXP_ROUTE_AUX.first + 2 * 2 + 1},
        {ctl::EXP_INPUT.last,
         {},
         ctl::EXP_ROUTE_NUMERICAL.first,
         16,
         ctl::EXP_ROUTE_NUMERICAL.first + 2 * 3 + 0},
        {ctl::EXP_INPUT.first,
         {ctl::EXP_SENS_SLIDER.first, ctl::EXP_SENS_SLIDER.at(2), ctl::EXP_SENS_SLIDER.at(4)},
         ctl::EXP_ROUTE_MAIN.first,
         48,
         ctl::EXP_ROUTE_MAIN.first + 6 * 1 + 2},
        {ctl::EXP_INPUT.first,
         {ctl::EXP_SENS_SLIDER.first, ctl::EXP_SENS_SLIDER.at(2), ctl::EXP_SENS_SLIDER.at(4)},
         ctl::EXP_ROUTE_MAIN.first,
         48,
         ctl::EXP_ROUTE_MAIN.first + 6 * 1 + 2}, // the current input again
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.nId);
        const int k = c.nId - ctl::EXP_INPUT.first;
        m_Io.SelectExpertInput(c.nId);
        EXPECT_EQ(m.m_nDSPExpInput, k);
        EXPECT_THAT(LitOf(ctl::EXP_INPUT.first, 3), ElementsAre(k == 0, k == 1, k == 2));
        EXPECT_EQ(Visible(ctl::EXP_HIGHLOW), k == 0);
        std::vector<int> shown;
        for (int id : {ctl::EXP_SENS_SLIDER.first, ctl::EXP_SENS_SLIDER.at(1), ctl::EXP_SENS_SLIDER.at(2),
                       ctl::EXP_SENS_SLIDER.at(3), ctl::EXP_SENS_SLIDER.at(4), ctl::EXP_SENS_SLIDER.last,
                       ctl::AUX_SENS_SLIDER.first, ctl::AUX_SENS_SLIDER.at(1)})
            if (Visible(id)) shown.push_back(id);
        EXPECT_EQ(shown, c.groups);
        for (int base : {ctl::EXP_SENS_SLIDER.first,
                         ctl::AUX_SENS_SLIDER.first}) // a group is shown or hidden as a whole
            for (int i = 0; i < (base == ctl::EXP_SENS_SLIDER.first ? 6 : 2); ++i) {
                const int box = base == ctl::EXP_SENS_SLIDER.first ? ctl::EXP_SENS_BOX.first + i
                                                                   : ctl::AUX_SENS_BOX.first + i;
                const int up = base == ctl::EXP_SENS_SLIDER.first ? ctl::EXP_SENS_UP.first + i
                                                                  : ctl::AUX_SENS_UP.first + i;
                const int down = base == ctl::EXP_SENS_SLIDER.first ? ctl::EXP_SENS_DOWN.first + i
                                                                    : ctl::AUX_SENS_DOWN.first + i;
                EXPECT_EQ(Visible(box), Visible(base + i));
                EXPECT_EQ(Visible(up), Visible(base + i));
                EXPECT_EQ(Visible(down), Visible(base + i));
            }
        int nShown = 0, nLit = 0;
        for (int id = ctl::EXP_ROUTE_MAIN.first; id <= ctl::EXP_ROUTE_NUMERICAL.last; ++id) {
            if (id > ctl::EXP_ROUTE_MAIN.last && id < ctl::EXP_ROUTE_AUX.first) continue;
            nShown += Visible(id);
            nLit += Visible(id) && Lit(id) == 1;
            if (Visible(id)) {
                EXPECT_TRUE(id >= c.nMatrix && id < c.nMatrix + c.nMatrixCount) << id;
            }
        }
        EXPECT_EQ(nShown, c.nMatrixCount);
        EXPECT_EQ(nLit, 1);
        EXPECT_EQ(Lit(c.nLitInMatrix), 1);
        // Every click sends the input and the whole routing with the expert flag.
        EXPECT_THAT(Sent(),
                    ElementsAre(std::array<int, 3>{VA_INPUT, 0, 2}, std::array<int, 3>{VA_MAP, 9, 25}));
        EXPECT_EQ(m_Sim.Running().Input, k);
        EXPECT_EQ(m_Sim.Running().Easy_Expert, 1);
    }

    // A redraw or a stray ID sends nothing.
    for (int id : {-1, ctl::EXP_SENS_DOWN.last, ctl::EXP_INPUT.last + 1})
        m_Io.SelectExpertInput(id);
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(m.m_nDSPExpInput, 0);
}

TEST_F(IoConfigSimTest, RouteTogglesOnlyInTheMatrixOfTheExpertInput) {
    struct Case {
        const char* name;
        int nExpInput;
        int nId;
        int nMap; // 0 MapM, 1 MapA, 2 MapD; -1 when nothing changes
        int nOutput;
        int nBit;
    };
    const Case kCases[] = {
        {"main: output 4, input 3", 0, ctl::EXP_ROUTE_MAIN.first + 6 * 3 + 2, 0, 3, 2},
        {"main: output 8, input 6", 0, ctl::EXP_ROUTE_MAIN.last, 0, 7, 5},
        {"AUX: output 6, right", 1, ctl::EXP_ROUTE_AUX.first + 2 * 5 + 1, 1, 5, 1},
        {"numerical: output 8, right", 2, ctl::EXP_ROUTE_NUMERICAL.last, 2, 7, 7},
        {"numerical: output 1, left", 2, ctl::EXP_ROUTE_NUMERICAL.first, 2, 0, 6},
        {"main while AUX", 1, ctl::EXP_ROUTE_MAIN.first, -1, 0, 0},
        {"AUX while numerical", 2, ctl::EXP_ROUTE_AUX.last, -1, 0, 0},
        {"numerical while main", 0, ctl::EXP_ROUTE_NUMERICAL.at(7), -1, 0, 0},
        {"below the main matrix", 0, ctl::EXP_LABEL.last, -1, 0, 0},
        {"between the matrices", 0, ctl::EXP_SENS_SLIDER.first, -1, 0, 0},
        {"past the numerical matrix", 2, ctl::AUX_SENS_UP.first, -1, 0, 0},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        m.m_nDSPExpInput = c.nExpInput;
        m.m_bEasyExp = 1;
        m_Core.Form().SetToggle(c.nId, 1); // the button lights itself when clicked
        for (int round = 0; round < 2; ++round) {
            const auto before = ModelMap();
            m_Io.ToggleRoute(c.nId);
            auto expected = before;
            if (c.nMap >= 0) expected[3 * c.nOutput + c.nMap] ^= static_cast<std::uint8_t>(1 << c.nBit);
            EXPECT_EQ(ModelMap(), expected);
            if (c.nMap < 0) {
                EXPECT_TRUE(Sent().empty());
                if (c.nId >= ctl::EXP_ROUTE_MAIN.first && c.nId <= ctl::EXP_ROUTE_NUMERICAL.last &&
                    !(c.nId > ctl::EXP_ROUTE_MAIN.last && c.nId < ctl::EXP_ROUTE_AUX.first)) {
                    EXPECT_EQ(Lit(c.nId), 0);
                }
                continue;
            }
            EXPECT_EQ(Lit(c.nId), (expected[3 * c.nOutput + c.nMap] >> c.nBit) & 1);
            // The channel's three routing bytes, at once.
            EXPECT_THAT(Sent(), ElementsAre(std::array<int, 3>{VA_MAP, c.nOutput, 3}));
            const auto run = m_Sim.Running().Map;
            EXPECT_TRUE(std::equal(expected.begin() + 3 * c.nOutput, expected.begin() + 3 * c.nOutput + 3,
                                   run.begin() + 3 * c.nOutput));
        }
    }

    // A redraw lights every button from its bit.
    m.ResetMapsToDefault();
    m_Io.ToggleRoute(-1);
    EXPECT_THAT(LitOf(ctl::EXP_ROUTE_MAIN.first, 6), ElementsAre(1, 0, 0, 0, 0, 0));
    EXPECT_THAT(LitOf(ctl::EXP_ROUTE_MAIN.first + 6 * 7, 6), ElementsAre(0, 0, 0, 0, 0, 1));
    EXPECT_THAT(LitOf(ctl::EXP_ROUTE_AUX.first + 2 * 6, 4), ElementsAre(1, 1, 1, 1));
    EXPECT_THAT(LitOf(ctl::EXP_ROUTE_NUMERICAL.first, 4), ElementsAre(1, 0, 0, 1));
}

TEST_F(IoConfigSimTest, ExpertSensitivitySendsAtOnceOnReleaseOrThroughTheBox) {
    struct Case {
        const char* name;
        int nId;
        int nValue;
        const char* typed;
        std::array<int, 6> main; // after the edit, from all 10 and low level
        std::array<int, 2> aux;
        int nChannel, nAuxChannel;
        std::vector<int> sent; // groups sent by the edit itself
        int nCommit;           // group sent by CommitExpertSensitivity(nId), -1 none
        bool bRepeat = false;  // the auto-repeat of a held stepper
    };
    const Case kCases[] = {
        {"main up", ctl::EXP_SENS_UP.at(2), 0, "", {10, 10, 11, 10, 10, 10}, {10, 10}, 2, 0, {0}, -1},
        {"main up held",
         ctl::EXP_SENS_UP.at(2),
         0,
         "",
         {10, 10, 11, 10, 10, 10},
         {10, 10},
         2,
         0,
         {},
         -1,
         true},
        {"main down", ctl::EXP_SENS_DOWN.first, 0, "", {9, 10, 10, 10, 10, 10}, {10, 10}, 0, 0, {0}, -1},
        {"channel label", ctl::EXP_LABEL.at(4), 0, "", {10, 10, 10, 10, 10, 10}, {10, 10}, 4, 0, {0}, -1},
        {"main slider", ctl::EXP_SENS_SLIDER.at(2), 4, "", {10, 10, 3, 10, 10, 10}, {10, 10}, 2, 0, {}, 0},
        {"main slider past its range",
         ctl::EXP_SENS_SLIDER.last,
         40,
         "",
         {10, 10, 10, 10, 10, 13},
         {10, 10},
         5,
         0,
         {},
         0},
        {"main box", ctl::EXP_SENS_BOX.at(4), 0, "3.0", {10, 10, 10, 10, 5, 10}, {10, 10}, 4, 0, {}, 0},
        {"main box not a number",
         ctl::EXP_SENS_BOX.first,
         0,
         "x",
         {13, 10, 10, 10, 10, 10},
         {10, 10},
         0,
         0,
         {},
         0},
        {"main box stepped",
         ctl::EXP_SENS_BOX.at(2),
         ctl::STEP_DOWN,
         "3.0",
         {10, 10, 9, 10, 10, 10},
         {10, 10},
         2,
         0,
         {},
         0},
        {"AUX up", ctl::AUX_SENS_UP.at(1), 0, "", {10, 10, 10, 10, 10, 10}, {10, 11}, 0, 1, {1}, -1},
        {"AUX down held",
         ctl::AUX_SENS_DOWN.at(1),
         0,
         "",
         {10, 10, 10, 10, 10, 10},
         {10, 9},
         0,
         1,
         {},
         -1,
         true},
        {"AUX down", ctl::AUX_SENS_DOWN.first, 0, "", {10, 10, 10, 10, 10, 10}, {9, 10}, 0, 0, {1}, -1},
        {"AUX slider", ctl::AUX_SENS_SLIDER.at(1), 1, "", {10, 10, 10, 10, 10, 10}, {10, 0}, 0, 1, {}, 1},
        {"AUX box", ctl::AUX_SENS_BOX.first, 0, "30", {10, 10, 10, 10, 10, 10}, {0, 10}, 0, 0, {}, 1},
        {"AUX box stepped",
         ctl::AUX_SENS_BOX.at(1),
         ctl::STEP_UP,
         "",
         {10, 10, 10, 10, 10, 10},
         {10, 11},
         0,
         1,
         {},
         1},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        std::fill(std::begin(m.m_nInputSensitivityMain), std::end(m.m_nInputSensitivityMain), 10);
        std::fill(std::begin(m.m_nInputSensitivityAux), std::end(m.m_nInputSensitivityAux), 10);
        m.m_nDSPInputChannel = m.m_nDSPInputAuxChannel = 0;
        m.m_bExpertConfigInputHighLow = 0;
        m_Core.Form().SetText(c.nId, c.typed);
        if (c.bRepeat)
            m_Io.RepeatExpertSensitivity(c.nId);
        else
            m_Io.EditExpertSensitivity(c.nId, c.nValue);
        EXPECT_THAT(m.m_nInputSensitivityMain, ElementsAreArray(c.main));
        EXPECT_THAT(m.m_nInputSensitivityAux, ElementsAreArray(c.aux));
        EXPECT_EQ(m.m_nDSPInputChannel, c.nChannel);
        EXPECT_EQ(m.m_nDSPInputAuxChannel, c.nAuxChannel);
        const bool bAux = c.nId >= ctl::AUX_SENS_UP.first;
        const int nEdited = bAux ? c.nAuxChannel : c.nChannel;
        const int nIndex = bAux ? c.aux[nEdited] : c.main[nEdited];
        char shown[16];
        std::snprintf(shown, sizeof shown, "%3.1f", static_cast<double>(SensitivityVolts(nIndex, 0)));
        EXPECT_EQ(m_Core.Form().Text((bAux ? ctl::AUX_SENS_BOX.first : ctl::EXP_SENS_BOX.first) + nEdited),
                  shown);
        EXPECT_EQ(Pos((bAux ? ctl::AUX_SENS_SLIDER.first : ctl::EXP_SENS_SLIDER.first) + nEdited),
                  nIndex + 1);

        auto groupsSent = [&] {
            std::vector<int> groups;
            for (const auto& f : m_Sim.ReceivedFrames())
                if ((f[1] & 0x1F) == VA_LEVEL) groups.push_back(f[5]);
            const std::size_t n = m_Sim.ReceivedFrameCount();
            m_Sim.ClearReceivedFrames();
            EXPECT_EQ(n, groups.size()); // nothing but levels
            return groups;
        };
        EXPECT_EQ(groupsSent(), c.sent);
        EXPECT_EQ(m_Io.CommitExpertSensitivity(c.nId), c.nCommit >= 0 ? 1 : 0);
        EXPECT_EQ(groupsSent(), c.nCommit >= 0 ? std::vector<int>{c.nCommit} : std::vector<int>{});
        const Sim::SSimConfig run = m_Sim.Running();
        if (!c.sent.empty() || c.nCommit >= 0) {
            if (bAux) {
                EXPECT_TRUE(std::equal(c.aux.begin(), c.aux.end(), run.nLevelAux.begin()));
            } else {
                EXPECT_TRUE(std::equal(c.main.begin(), c.main.end(), run.nLevelMain.begin()));
            }
        }
    }

    // The high/low switch redraws all six boxes with the other table and sends the flag.
    m.m_nInputSensitivityMain[3] = 0;
    m_Io.EditExpertSensitivity(ctl::EXP_HIGHLOW);
    EXPECT_EQ(m.m_bExpertConfigInputHighLow, 1);
    EXPECT_EQ(Lit(ctl::EXP_HIGHLOW), 1);
    EXPECT_EQ(m_Core.Form().Text(ctl::EXP_SENS_BOX.first), "6.8");
    EXPECT_EQ(m_Core.Form().Text(ctl::EXP_SENS_BOX.at(3)), "21.6");
    EXPECT_EQ(m_Sim.Running().bHighLow, 1);
    EXPECT_THAT(SentIds(), ElementsAre(VA_HIGHLOW));

    // A main channel out of range skips the display with an error trace.
    std::string trace;
    TraceSetSink([&](std::string_view s) { trace += s; });
    m.m_nDSPInputChannel = 9;
    m_Core.Form().SetText(ctl::EXP_SENS_BOX.first, "unchanged");
    m_Io.EditExpertSensitivity(ctl::EXP_HIGHLOW_SPARE);
    TraceSetSink({});
    EXPECT_THAT(trace, testing::HasSubstr("!!!! ERROR m_nDSPInputChannel[9]"));
    EXPECT_EQ(m_Core.Form().Text(ctl::EXP_SENS_BOX.first), "unchanged");
    EXPECT_TRUE(Sent().empty());
}

TEST_F(IoConfigSimTest, ChangingInputOrArchitectureEndsTheSoloWithTheRealMutes) {
    struct Case {
        const char* name;
        bool bArchitecture;
        int nId;
        bool bEnds;
    };
    const Case kCases[] = {
        {"other input kind", false, ctl::INPUT_KIND.at(2), true},
        {"same input kind", false, ctl::INPUT_KIND.at(1), false},
        {"other architecture", true, ctl::ARCH.first, true},
        {"same architecture", true, ctl::ARCH.at(3), false},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        m.m_nDSPInput = 1;
        m.m_nDSPOutput[1] = 3;
        m.m_bMute[0] = m.m_bMute[7] = 1;
        m.m_nSoloMask = 0x05;
        m_Core.Writer().SendMuteState(1, m.m_nSoloMask);
        m_Core.Form().SetToggle(ctl::SOLO.first, 1);
        ASSERT_EQ(m_Sim.Running().nMuteMask, 0xFA);
        Sent();

        if (c.bArchitecture)
            m_Io.SelectArchitecture(c.nId);
        else
            m_Io.SelectInputKind(c.nId);
        if (c.bEnds) {
            EXPECT_THAT(SentIds(), ElementsAre(VA_MUTE));
            EXPECT_EQ(m_Sim.Running().nMuteMask, 0x81);
            EXPECT_EQ(m.m_nSoloMask, 0);
            EXPECT_EQ(Lit(ctl::SOLO.first), 0);
            EXPECT_THAT(LitOf(ctl::MUTE.first, 8), ElementsAre(1, 0, 0, 0, 0, 0, 0, 1));
        } else {
            EXPECT_TRUE(Sent().empty());
            EXPECT_EQ(m_Sim.Running().nMuteMask, 0xFA);
            EXPECT_EQ(m.m_nSoloMask, 0x05);
        }
        EXPECT_THAT(m.m_bMute, ElementsAre(1, 0, 0, 0, 0, 0, 0, 1));
    }
}
