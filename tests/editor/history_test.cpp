// Undo and redo at the editor core against the simulated processor: every gesture goes back to the
// processor's state before it, byte for byte, and forward again.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <cstdio>

#include "comm/ctrlmessages.h"
#include "editor/controlids.h"
#include "editorfixture.h"
#include "tuning/eqapply.h"

namespace {

class HistoryTest : public CEditorFixture {
public:
    void Click(int nId) { m_Core.OnMessage(WM_SKIN_BTN_UP, static_cast<std::uintptr_t>(nId), 0); }
    void Repeat(int nId) { m_Core.OnMessage(WM_SKIN_BTN_REPEAT, static_cast<std::uintptr_t>(nId), 0); }
    void Drag(int nId, std::initializer_list<int> values) {
        m_Core.OnMessage(WM_GDI_CTRL_DOWN, static_cast<std::uintptr_t>(nId), 0);
        int nLast = 0;
        for (int v : values)
            m_Core.OnMessage(WM_GDI_CTRL_MOVE, static_cast<std::uintptr_t>(nId), nLast = v);
        m_Core.OnMessage(WM_GDI_CTRL_UP, static_cast<std::uintptr_t>(nId), nLast);
    }
    void Type(int nId, const std::string& text) {
        m_Core.Form().SetText(nId, text);
        m_Core.OnKey(true, CDispatch::KEY_ENTER, nId);
        m_Core.CommitStep();
    }
    // Long enough for the wheel pause, the file write timer and the configuration apply.
    void Settle() { m_Host.Advance(3000); }
    CEditorCore& Core() { return m_Core; }
    // A preset file of the current settings with one level and one equalizer band changed.
    std::string EditedPresetFile(const char* pszName) {
        CSettingsModel m;
        m.WriteStartupDefaults();
        m.m_nMainVolume = 33;
        SFilterCoef band = m.m_Lib.GetEqCoef(5, 2);
        band.Gain = -7;
        m.m_Lib.SetEqCoef(5, 2, band);
        ZUtils::ZProfile profile;
        WritePresetKeys(profile, m, std::tm{});
        const std::string path = testing::TempDir() + pszName;
        EXPECT_TRUE(profile.SaveFile(path));
        return path;
    }
};

struct SGesture {
    const char* name;
    std::function<void(HistoryTest&)> run;
    std::size_t nSteps = 1; // choosing the architecture and activating it are two gestures
};

class HistoryGestureTest : public HistoryTest, public testing::WithParamInterface<SGesture> {};

TEST_P(HistoryGestureTest, UndoRestoresTheProcessorAndRedoEditsAgain) {
    Connect();
    // A full write first: the unused slots of the AUX level group hold a value the model has no
    // place for, and every AUX level write overwrites them.
    m_Core.Writer().OnSendAll();
    Settle();
    const Sim::SSimConfig before = m_Sim.Running();
    const SEditSnapshot modelBefore = SEditSnapshot::Of(m_Core.Model());
    ASSERT_FALSE(m_Core.CanUndo());

    GetParam().run(*this);
    Settle();
    const Sim::SSimConfig after = m_Sim.Running();
    ASSERT_NE(after, before) << "the gesture changed nothing on the processor";
    ASSERT_EQ(m_Core.History().UndoCount(), GetParam().nSteps) << "a gesture is one step";

    for (std::size_t n = 0; n < GetParam().nSteps; ++n)
        ASSERT_TRUE(m_Core.Undo());
    Settle();
    EXPECT_EQ(m_Sim.Running(), before);
    EXPECT_EQ(SEditSnapshot::Of(m_Core.Model()), modelBefore);
    EXPECT_FALSE(m_Core.CanUndo());

    for (std::size_t n = 0; n < GetParam().nSteps; ++n)
        ASSERT_TRUE(m_Core.Redo());
    Settle();
    EXPECT_EQ(m_Sim.Running(), after);
    EXPECT_FALSE(m_Core.CanRedo());
}

const SGesture kGestures[] = {
    SGesture{"MainLevelDrag",
             [](HistoryTest& t) {
                 t.Drag(ctl::MAIN_KNOB, {90, 80, 70});
             }},
    SGesture{"ChannelLevelHeldStepper",
             [](HistoryTest& t) {
                 for (int n = 0; n < 5; ++n)
                     t.Repeat(ctl::CHANNEL_DOWN);
                 t.Click(ctl::CHANNEL_DOWN);
             }},
    SGesture{"Mute", [](HistoryTest& t) { t.Click(ctl::MUTE.first + 2); }},
    SGesture{"Solo", [](HistoryTest& t) { t.Click(ctl::SOLO.first + 3); }},
    SGesture{"Phase", [](HistoryTest& t) { t.Click(ctl::PHASE); }},
    SGesture{"EqGainDrag",
             [](HistoryTest& t) {
                 t.Drag(ctl::EQ_GAIN_SLIDER.first + 4, {20, 30, 40});
             }},
    SGesture{"EqBandWidthDrag",
             [](HistoryTest& t) {
                 t.Drag(ctl::EQ_Q_KNOB.first + 2, {5, 10});
             }},
    SGesture{"EqFreqTyped", [](HistoryTest& t) { t.Type(ctl::EQ_FREQ_BOX.first + 1, "400"); }},
    SGesture{"EqEnable", [](HistoryTest& t) { t.Click(ctl::EQ_SWITCH); }},
    SGesture{"XoverType", [](HistoryTest& t) { t.Click(ctl::XOVER_HP); }},
    SGesture{"XoverFreqDrag",
             [](HistoryTest& t) {
                 t.Drag(ctl::HP_SLIDER, {20, 40, 60});
             }},
    SGesture{"Delay", [](HistoryTest& t) { t.Click(ctl::DELAY_STEP.first); }},
    SGesture{"FileLoad",
             [](HistoryTest& t) {
                 t.Core().Files().LoadPresetPath(t.EditedPresetFile("history-load.Dovu"));
                 t.Core().CommitStep();
             }},
    SGesture{"FactoryRestore",
             [](HistoryTest& t) {
                 t.Core().Files().SetFactoryPath(t.EditedPresetFile("history-factory.dovu"));
                 t.Core().OnCommand(ID_RESTORE_FACTORY);
             }},
    SGesture{"EqImport",
             [](HistoryTest& t) {
                 SFilterCoef bands[CRev8001Lib::EQ_BANDS];
                 for (int b = 0; b < CRev8001Lib::EQ_BANDS; ++b) {
                     bands[b] = t.Core().Model().m_Lib.GetEqCoef(3, static_cast<std::uint8_t>(b));
                     bands[b].Gain = static_cast<std::int8_t>(b - 5);
                 }
                 ApplyEqBands(t.Core(), 3, false, bands);
                 t.Core().CommitStep();
             }},
    SGesture{"IoConfig",
             [](HistoryTest& t) {
                 t.Click(ctl::ARCH.first + 1);
                 t.Click(ctl::ACTIVATE);
             },
             2},
};

std::string GestureName(const testing::TestParamInfo<SGesture>& p) {
    return p.param.name;
}

INSTANTIATE_TEST_SUITE_P(Gestures, HistoryGestureTest, testing::ValuesIn(kGestures), GestureName);

// Expert mode's after-load refresh forces the standard input's fields; an undo that redraws with it
// must still land on the recorded settings, or the forced difference becomes a step of its own.
TEST_F(HistoryTest, UndoAndRedoWalkTheWholeHistoryInExpertMode) {
    Connect();
    m_Core.Writer().OnSendAll();
    Settle();
    std::vector<Sim::SSimConfig> processor{m_Sim.Running()};
    std::vector<SEditSnapshot> model{SEditSnapshot::Of(m_Core.Model())};
    const std::function<void()> gestures[] = {
        [&] { Click(ctl::MODE_SWITCH); },
        [&] { Click(ctl::TAB_EQ); },
        [&] { Type(ctl::EQ_GAIN_BOX.first + 2, "5"); },
        [&] { Type(ctl::EQ_GAIN_BOX.first + 3, "-5"); },
    };
    for (const auto& gesture : gestures) {
        gesture();
        Settle();
        if (SEditSnapshot::Of(m_Core.Model()) == model.back()) continue; // a page change is no step
        processor.push_back(m_Sim.Running());
        model.push_back(SEditSnapshot::Of(m_Core.Model()));
    }
    ASSERT_EQ(model.size(), 4u);
    ASSERT_EQ(m_Core.History().UndoCount(), 3u);

    for (std::size_t n = model.size() - 1; n-- > 0;) {
        ASSERT_TRUE(m_Core.Undo()) << n;
        Settle();
        EXPECT_EQ(SEditSnapshot::Of(m_Core.Model()), model[n]) << "after undo to step " << n;
        EXPECT_EQ(m_Sim.Running(), processor[n]) << "after undo to step " << n;
        EXPECT_EQ(m_Core.History().RedoCount(), model.size() - 1 - n);
    }
    EXPECT_FALSE(m_Core.CanUndo());
    for (std::size_t n = 1; n < model.size(); ++n) {
        ASSERT_TRUE(m_Core.Redo()) << n;
        Settle();
        EXPECT_EQ(SEditSnapshot::Of(m_Core.Model()), model[n]) << "after redo to step " << n;
        EXPECT_EQ(m_Sim.Running(), processor[n]) << "after redo to step " << n;
    }
    EXPECT_FALSE(m_Core.CanRedo());
}

TEST_F(HistoryTest, KeepsTheNewestStepsAndANewEditDropsTheRedoList) {
    m_Core.Start(false);
    for (int n = 0; n < 300; ++n) {
        m_Core.Model().m_nMainVolume = n % 2 ? 40 : 60;
        m_Core.CommitStep();
    }
    EXPECT_EQ(m_Core.History().UndoCount(), CEditHistory::MAX_STEPS);
    EXPECT_GE(CEditHistory::MAX_STEPS, 200u);
    // Nothing changed: no step.
    m_Core.CommitStep();
    EXPECT_EQ(m_Core.History().UndoCount(), CEditHistory::MAX_STEPS);

    ASSERT_TRUE(m_Core.Undo());
    ASSERT_TRUE(m_Core.Undo());
    EXPECT_EQ(m_Core.History().RedoCount(), 2u);
    m_Core.Model().m_nMainVolume = 7;
    m_Core.CommitStep();
    EXPECT_FALSE(m_Core.CanRedo());
}

TEST_F(HistoryTest, RefusedDuringADragAndALoad) {
    m_Core.Start(false);
    m_Core.Model().m_nMainVolume = 50;
    m_Core.CommitStep();
    m_Core.OnMessage(WM_GDI_CTRL_DOWN, ctl::MAIN_KNOB, 0);
    EXPECT_FALSE(m_Core.Undo());
    m_Core.OnMessage(WM_GDI_CTRL_UP, ctl::MAIN_KNOB, 0);
    m_Core.Model().m_bPresetLoading = 1;
    EXPECT_FALSE(m_Core.Undo());
    m_Core.Model().m_bPresetLoading = 0;
    EXPECT_TRUE(m_Core.Undo());
}

} // namespace
