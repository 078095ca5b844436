// A/B comparison at the editor core against the simulated processor: a switch sends only what differs
// between the two sides, and the processor then holds the live side exactly.
#include <gtest/gtest.h>

#include <string>

#include "comm/ctrlmessages.h"
#include "editor/abcompare.h"
#include "editor/controlids.h"
#include "editorfixture.h"

namespace {

class AbCompareTest : public CEditorFixture {
public:
    void Click(int nId) { m_Core.OnMessage(WM_SKIN_BTN_UP, static_cast<std::uintptr_t>(nId), 0); }
    void Type(int nId, const std::string& text) {
        m_Core.Form().SetText(nId, text);
        m_Core.OnKey(true, CDispatch::KEY_ENTER, nId);
        m_Core.CommitStep();
    }
    void Settle() { m_Host.Advance(3000); }
    // Connected, with a full write so that the processor holds exactly what the model can express.
    void ConnectAndWriteAll() {
        Connect();
        m_Core.Writer().OnSendAll();
        Settle();
    }
};

TEST_F(AbCompareTest, ASwitchSendsOnlyWhatDiffersAndLeavesTheLiveSideOnTheProcessor) {
    ConnectAndWriteAll();
    m_Sim.ClearReceivedFrames();
    m_Core.Writer().OnSendAll();
    Settle();
    const std::size_t nFullWrite = m_Sim.ReceivedFrameCount();
    const Sim::SSimConfig a = m_Sim.Running();
    const SEditSnapshot modelA = SEditSnapshot::Of(m_Core.Model());

    // B starts as a copy of A: going there sends nothing.
    m_Sim.ClearReceivedFrames();
    ASSERT_TRUE(m_Core.SwitchAb());
    Settle();
    EXPECT_EQ(m_Core.Ab().LiveName(), 'B');
    EXPECT_EQ(m_Sim.ReceivedFrameCount(), 0u);

    // Edits go to the live side.
    Click(ctl::MUTE.first + 1);
    Type(ctl::MAIN_LEVEL_BOX, "-20");
    Settle();
    const Sim::SSimConfig b = m_Sim.Running();
    const SEditSnapshot modelB = SEditSnapshot::Of(m_Core.Model());
    ASSERT_NE(b, a);

    m_Sim.ClearReceivedFrames();
    ASSERT_TRUE(m_Core.SwitchAb());
    Settle();
    EXPECT_EQ(m_Core.Ab().LiveName(), 'A');
    EXPECT_EQ(m_Sim.Running(), a);
    EXPECT_EQ(SEditSnapshot::Of(m_Core.Model()), modelA);
    const std::size_t nSwitch = m_Sim.ReceivedFrameCount();
    EXPECT_GT(nSwitch, 0u);
    EXPECT_LE(nSwitch * 10, nFullWrite) << nSwitch << " frames against " << nFullWrite;
    RecordProperty("switch_frames", static_cast<int>(nSwitch));
    RecordProperty("full_write_frames", static_cast<int>(nFullWrite));
    // The other side is no step back.
    EXPECT_FALSE(m_Core.CanUndo());

    ASSERT_TRUE(m_Core.SwitchAb());
    Settle();
    EXPECT_EQ(m_Sim.Running(), b);
    EXPECT_EQ(SEditSnapshot::Of(m_Core.Model()), modelB);

    // "Copy B -> A": both sides alike, a switch sends nothing and keeps the processor as it is.
    ASSERT_TRUE(m_Core.CopyAb());
    m_Sim.ClearReceivedFrames();
    ASSERT_TRUE(m_Core.SwitchAb());
    Settle();
    EXPECT_EQ(m_Sim.ReceivedFrameCount(), 0u);
    EXPECT_EQ(m_Sim.Running(), b);
}

// After a reconnect the pair and the history are kept only when the settings read back are those the
// window left. A connect recalls the processor's stored preset: side B stored before the processor
// was pulled comes back unchanged; unstored edits do not (as with another car's processor), and then
// both start fresh, the help area says so, and a switch sends nothing of the earlier settings.
class AbReconnectTest : public AbCompareTest, public testing::WithParamInterface<bool> {
protected:
    Sim::SSimConfig m_A, m_B;

    // Side B live with edits on it (stored when bStore, and a step undone after that), the processor
    // pulled and plugged again.
    void EditBThenReplug(bool bStore) {
        ConnectAndWriteAll();
        m_A = m_Sim.Running();
        ASSERT_TRUE(m_Core.SwitchAb());
        Type(ctl::MAIN_LEVEL_BOX, "-20");
        Click(ctl::MUTE.first + 1);
        Settle();
        if (bStore) {
            m_Core.OnCommand(ID_STORE_PRESET_1 + m_Core.Model().m_nCurPreset);
            Settle();
            Type(ctl::MAIN_LEVEL_BOX, "-25");
            ASSERT_TRUE(m_Core.Undo());
            Settle();
        }
        m_B = m_Sim.Running();
        ASSERT_TRUE(m_Core.CanUndo() || m_Core.CanRedo());

        m_Core.OnMessage(WM_DEVICE_DISCONNECT, 0, m_nPort);
        Settle();
        ASSERT_FALSE(m_Core.Protocol().IsOpen());
        m_Core.OnMessage(WM_DEVICE_CONNECT, 0, 0);
        Settle();
        ASSERT_TRUE(m_Core.Protocol().IsOpen());
        EXPECT_EQ(m_Sim.Running(), m_Sim.Memory(m_Sim.CurrentPreset())) << "the load sent settings";
    }
};

TEST_P(AbReconnectTest, ThePairAndTheHistoryGoOnOnlyWithTheSettingsTheWindowKnew) {
    const bool bSame = GetParam();
    ASSERT_NO_FATAL_FAILURE(EditBThenReplug(bSame));
    if (bSame) {
        EXPECT_EQ(m_Sim.Running(), m_B);
        EXPECT_EQ(m_Core.Ab().LiveName(), 'B');
        EXPECT_TRUE(m_Core.CanRedo());
        EXPECT_EQ(m_Core.HelpText(), nullptr);
        ASSERT_TRUE(m_Core.SwitchAb());
        Settle();
        EXPECT_EQ(m_Sim.Running(), m_A);
        ASSERT_TRUE(m_Core.SwitchAb());
        Settle();
        EXPECT_EQ(m_Sim.Running(), m_B);
        return;
    }
    const Sim::SSimConfig plugged = m_Sim.Running();
    EXPECT_NE(plugged, m_B);
    EXPECT_EQ(m_Core.Ab().LiveName(), 'A');
    EXPECT_FALSE(m_Core.Ab().HasOther());
    EXPECT_FALSE(m_Core.CanUndo());
    EXPECT_FALSE(m_Core.CanRedo());
    ASSERT_NE(m_Core.HelpText(), nullptr);
    EXPECT_STREQ(m_Core.HelpText(), TEXT_COMPARE_RESET);
    m_Sim.ClearReceivedFrames();
    ASSERT_TRUE(m_Core.SwitchAb());
    Settle();
    EXPECT_EQ(m_Sim.ReceivedFrameCount(), 0u) << "the earlier side went to the processor";
    EXPECT_EQ(m_Sim.Running(), plugged);
    // The notice stays until the next edit.
    Type(ctl::MAIN_LEVEL_BOX, "-30");
    EXPECT_EQ(m_Core.HelpText(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Replug, AbReconnectTest, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& p) {
                             return std::string(p.param ? "StoredSettings" : "UnstoredEdits");
                         });

TEST_F(AbCompareTest, NoSwitchDuringADrag) {
    ConnectAndWriteAll();
    m_Core.OnMessage(WM_GDI_CTRL_DOWN, static_cast<std::uintptr_t>(ctl::MAIN_KNOB), 0);
    EXPECT_FALSE(m_Core.SwitchAb());
    EXPECT_EQ(m_Core.Ab().LiveName(), 'A');
    m_Core.OnMessage(WM_GDI_CTRL_UP, static_cast<std::uintptr_t>(ctl::MAIN_KNOB), 0);
    EXPECT_TRUE(m_Core.SwitchAb());
}

} // namespace
