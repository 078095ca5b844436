// A/B comparison at the editor core against the simulated processor: a switch sends only what differs
// between the two sides, and the processor then holds the live side exactly.
#include <gtest/gtest.h>

#include <string>

#include "editor/abcompare.h"
#include "editor/controlids.h"
#include "editor/ctrlmessages.h"
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

TEST_F(AbCompareTest, NoSwitchDuringADrag) {
    ConnectAndWriteAll();
    m_Core.OnMessage(WM_GDI_CTRL_DOWN, static_cast<std::uintptr_t>(ctl::MAIN_KNOB), 0);
    EXPECT_FALSE(m_Core.SwitchAb());
    EXPECT_EQ(m_Core.Ab().LiveName(), 'A');
    m_Core.OnMessage(WM_GDI_CTRL_UP, static_cast<std::uintptr_t>(ctl::MAIN_KNOB), 0);
    EXPECT_TRUE(m_Core.SwitchAb());
}

} // namespace
