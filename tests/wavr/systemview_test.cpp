// The system view of the graph in the real window: switched on it draws every output the
// configuration drives in its pen colour and the sum; a click on a curve selects its channel as the
// channel's button does; switched off, the single-channel graph is back as it was.
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

#include "editor/controlids.h"
#include "guilib/skinbutton.h"
#include "orvix/graph/filtergraphic.h"
#include "orvix/graph/systemgraph.h"
#include "skin/skinmanifest.h"
#include "tests/common/filterrecord.h"
#include "tests/wavr/viewsettle.h"
#include "wavr/eqtools.h"
#include "wavr/wavrview.h"

namespace {

SFilterCoef Xover(std::uint8_t nType, std::uint16_t nFreq) {
    return FilterRecord::Xover(nType, 3, nFreq);
}

class SystemViewWindow : public testing::Test {
protected:
    void SetUp() override {
        InitSkinResources();
        m_pView = new CWAVRView;
        m_pView->Core().Start(false);
        m_pView->SyncFromForm();
        m_pView->show();
        (void)QTest::qWaitForWindowExposed(m_pView);
    }
    void TearDown() override { delete m_pView; }

    // Every output at 0 dB with a band of its own, so that no curve hides another.
    void Tune(int nArch) {
        CSettingsModel& m = m_pView->Core().Model();
        m.m_nDSPOutput[m.m_nDSPInput] = nArch;
        for (int ch = 0; ch < MLB8_CHANNELS; ++ch) {
            const auto c = static_cast<std::uint8_t>(ch);
            m.m_nVolume[ch] = 128 - ch; // 0 .. -3.5 dB
            m.m_bXoverEnable[ch] = 1;
            m.m_Lib.SetXoverCoef(c, CRev8001Lib::XOVER_HIGHPASS,
                                 Xover(FT_HIGHPASS, static_cast<std::uint16_t>(40 << ch)));
            m.m_Lib.SetXoverCoef(c, CRev8001Lib::XOVER_LOWPASS,
                                 Xover(FT_LOWPASS, static_cast<std::uint16_t>(std::min(150 << ch, 20000))));
        }
    }
    void Click(QWidget* p, QPoint pt) {
        QTest::mouseClick(p, Qt::LeftButton, {}, pt);
        SettleView(*m_pView);
    }
    void ClickSwitch(int nId) {
        CSkinButton* p = Layer()->Switch(nId);
        ASSERT_TRUE(p && p->isVisible()) << nId;
        Click(p, QPoint(p->width() / 2, p->height() / 2));
    }
    // A button of the window, clicked as a user does.
    void ClickButton(int nId) {
        for (QWidget* p : m_pView->findChildren<QWidget*>())
            if (auto* pButton = dynamic_cast<CSkinButtonBase*>(p);
                pButton && pButton->GetDlgCtrlID() == nId) {
                ASSERT_TRUE(pButton->isVisible()) << nId;
                Click(pButton, QPoint(pButton->width() / 2, pButton->height() / 2));
                return;
            }
        FAIL() << "no button " << nId;
    }
    void Type(int nId, const char* pszText) {
        for (CViewEdit* p : m_pView->findChildren<CViewEdit*>())
            if (p->Id() == nId) {
                ASSERT_TRUE(p->isVisible()) << nId;
                p->setFocus();
                p->selectAll();
                QTest::keyClicks(p, pszText);
                QTest::keyClick(p, Qt::Key_Return);
                SettleView(*m_pView);
                return;
            }
        FAIL() << "no box " << nId;
    }
    CSystemGraph* Layer() const { return m_pView->SystemGraph(); }
    CFilterGraphic* Graph() const { return static_cast<CFilterGraphic*>(Layer()->parentWidget()); }
    QImage GraphPicture() {
        SettleView(*m_pView);
        return Layer()->parentWidget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    // Pixels of exactly this colour in the plot, outside the legend and the switches.
    int Pixels(const QImage& image, QColor c) const {
        const QRect legend = Layer()->LegendRect();
        int n = 0;
        for (int y = 30; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (!legend.contains(x, y) && image.pixel(x, y) == c.rgb()) ++n;
        return n;
    }

    CWAVRView* m_pView = nullptr;
};

TEST_F(SystemViewWindow, EveryOutputOfEveryArchitectureIsDrawnAndTheSwitchBringsTheGraphBack) {
    m_pView->Core().OnMessage(WM_SKIN_BTN_UP, ctl::TAB_XOVER, 0);
    m_pView->SyncFromForm();
    ASSERT_NE(Layer(), nullptr);
    for (int nArch = 0; nArch < MLB8_ARCHITECTURES; ++nArch) {
        SCOPED_TRACE(nArch);
        Tune(nArch);
        m_pView->Core().Filters().UpdateResponseGraph(1, 0, 1);
        const QImage before = GraphPicture();
        ClickSwitch(CSystemGraph::ID_SYSTEM);
        ASSERT_TRUE(Layer()->View().IsOn());
        const QImage shown = GraphPicture();
        const SSystemPicture& picture = Layer()->Picture();
        const std::vector<int> active = CSystemView::ActiveOutputs(m_pView->Core().Model());
        ASSERT_EQ(picture.outputs.size(), active.size());
        for (const SSystemOutput& o : picture.outputs)
            EXPECT_GT(Pixels(shown, CFilterGraphic::PenColour(o.nPen)), 40) << o.name;
        ASSERT_TRUE(picture.bHaveSum);
        EXPECT_GT(Pixels(shown, QColor(255, 255, 255)), 200) << picture.sumName;

        // The phase on its own scale: the dashed curves add pixels of every pen.
        ClickSwitch(CSystemGraph::ID_PHASE);
        const QImage withPhase = GraphPicture();
        for (const SSystemOutput& o : picture.outputs)
            EXPECT_GT(Pixels(withPhase, CFilterGraphic::PenColour(o.nPen)),
                      Pixels(shown, CFilterGraphic::PenColour(o.nPen)))
                << o.name;
        ClickSwitch(CSystemGraph::ID_PHASE);

        ClickSwitch(CSystemGraph::ID_SYSTEM);
        EXPECT_FALSE(Layer()->View().IsOn());
        EXPECT_EQ(GraphPicture(), before) << "the single-channel graph is not as it was";
    }
}

TEST_F(SystemViewWindow, ClickingACurveSelectsItsChannelAndTheLegendChoosesTheSum) {
    m_pView->Core().OnMessage(WM_SKIN_BTN_UP, ctl::TAB_EQ, 0);
    Tune(ARCH_3WAY_SUB);
    m_pView->SyncFromForm();
    ClickSwitch(CSystemGraph::ID_SYSTEM);
    GraphPicture();
    const CSettingsModel& m = m_pView->Core().Model();
    CFilterGraphic* pGraph = static_cast<CFilterGraphic*>(Layer()->parentWidget());
    for (int nTarget : {4, 1, 7}) {
        SCOPED_TRACE(nTarget);
        // A point of the target's curve well away from every other curve.
        const SSystemPicture picture = Layer()->Picture();
        QPoint at(-1, -1);
        for (int i = 0; i < 250 && at.x() < 0; ++i) {
            int y = 0, nOthers = 1000;
            for (const SSystemOutput& o : picture.outputs)
                if (o.nChannel == nTarget) y = Layer()->LevelY(o.curve.m_fDb[i]);
            for (const SSystemOutput& o : picture.outputs)
                if (o.nChannel != nTarget)
                    nOthers = std::min(nOthers, std::abs(Layer()->LevelY(o.curve.m_fDb[i]) - y));
            const QPoint pt(pGraph->CurveX(i), y);
            if (nOthers > 20 && y > 40 && y < pGraph->height() - 30 && !Layer()->LegendRect().contains(pt))
                at = pt;
        }
        ASSERT_GE(at.x(), 0) << "no free point on the curve";
        Click(Layer(), at);
        EXPECT_EQ(m.m_nChannel, nTarget);
        EXPECT_EQ(m.m_bPair, 0);
        // the channel buttons say so, as after a click on the button itself
        ASSERT_NE(m_pView->Core().Form().Find(ctl::CHANNEL.first + nTarget), nullptr);
        EXPECT_EQ(m_pView->Core().Form().Find(ctl::CHANNEL.first + nTarget)->bToggle, 1);
        GraphPicture();
        for (const SSystemOutput& o : Layer()->Picture().outputs)
            EXPECT_EQ(o.bSelected, o.nChannel == nTarget) << o.name;
    }

    // The legend: the left ways are summed at first; a click on Out 2 adds it.
    const unsigned nLeft = Layer()->View().SumMask(m);
    EXPECT_EQ(nLeft, 0x55u);
    const QRect legend = Layer()->LegendRect();
    Click(Layer(), QPoint(legend.left() + 20, legend.top() + 2 + 14 + 7)); // first column, second row: Out 2
    EXPECT_EQ(Layer()->View().SumMask(m), 0x57u);
    GraphPicture();
    EXPECT_EQ(Layer()->Picture().sumName, "Sum Out 1 + Out 2 + Out 3 + Out 5 + Out 7");

    // An edit elsewhere in the window shows at once: the selected Out 8's phase inverted by the top
    // bar's button leaves the sum alone, Out 1's changes it.
    auto sumNow = [&] {
        GraphPicture();
        return std::vector<double>(Layer()->Picture().sum.m_fPhaseDeg,
                                   Layer()->Picture().sum.m_fPhaseDeg + RESPONSE_POINTS);
    };
    const std::vector<double> before = sumNow();
    ClickButton(ctl::PHASE);
    EXPECT_EQ(m.m_bPhase[7], 1);
    EXPECT_EQ(sumNow(), before);
    ClickButton(ctl::CHANNEL.first);
    ClickButton(ctl::PHASE);
    EXPECT_EQ(m.m_bPhase[0], 1);
    EXPECT_NE(sumNow(), before);
}

// Measurements loaded for the session reach the sum: a missing one is named under the sum, and with
// one (with phase) for every output of the group the sum is labelled measured.
TEST_F(SystemViewWindow, MeasurementsOfTheGroupMakeTheSumMeasured) {
    m_pView->Core().OnMessage(WM_SKIN_BTN_UP, ctl::TAB_XOVER, 0);
    m_pView->SyncFromForm();
    Tune(ARCH_3WAY_SUB);
    ClickSwitch(CSystemGraph::ID_SYSTEM);
    (void)GraphPicture();
    const int nPlainHeight = Layer()->LegendRect().height();
    SChannelTuning flat;
    flat.measured.assign(RESPONSE_POINTS, 0.0);
    flat.measuredPhase.assign(RESPONSE_POINTS, 0.0);
    m_pView->EqTools().Tuning(0) = flat;
    (void)GraphPicture();
    EXPECT_EQ(Layer()->Picture().sumNote, "Processor-only sum: no measurement for Out 3, Out 5, Out 7");
    EXPECT_GT(Layer()->LegendRect().height(), nPlainHeight); // the note has a row of its own
    for (int ch : {2, 4, 6})
        m_pView->EqTools().Tuning(ch) = flat;
    (void)GraphPicture();
    EXPECT_EQ(Layer()->Picture().sumName, "Sum Out 1 + Out 3 + Out 5 + Out 7 (measured)");
    EXPECT_EQ(Layer()->Picture().sumNote, "");
    EXPECT_EQ(Layer()->LegendRect().height(), nPlainHeight);
}

// What the screen shows of the system view follows every change of a curve at once: the layer is
// repainted without the view being switched off and on.
TEST_F(SystemViewWindow, TheScreenFollowsEveryChangeOfACurve) {
    ClickButton(ctl::TAB_EQ);
    ClickSwitch(CSystemGraph::ID_SYSTEM);
    // Mute and solo leave the curves as they are; the screen must still match.
    struct SRow {
        const char* gesture;
        std::function<void()> run;
        bool bCurves = true;
    };
    const SRow rows[] = {
        {"phase of the pair", [&] { ClickButton(ctl::PHASE); }},
        {"single Out 1", [&] { ClickButton(ctl::CHANNEL.first); }},
        {"channel level typed", [&] { Type(ctl::CHANNEL_LEVEL_BOX, "-12"); }},
        {"mute Out 3", [&] { ClickButton(ctl::MUTE.first + 2); }, false},
        {"solo Out 1", [&] { ClickButton(ctl::SOLO.first); }, false},
        {"solo off", [&] { ClickButton(ctl::SOLO.first); }, false},
        {"equalizer gain typed", [&] { Type(ctl::EQ_GAIN_BOX.first + 4, "9"); }},
        {"equalizer off", [&] { ClickButton(ctl::EQ_SWITCH); }},
        {"undo", [&] { m_pView->OnMenuCommand(ID_EDIT_UNDO); }},
        {"redo", [&] { m_pView->OnMenuCommand(ID_EDIT_REDO); }},
        {"A/B to B, a copy of A", [&] { m_pView->OnMenuCommand(ID_AB_SWITCH); }, false},
        {"crossover band-pass",
         [&] {
             ClickButton(ctl::TAB_XOVER);
             ClickButton(ctl::XOVER_BP);
         }},
        {"A/B back to A", [&] { m_pView->OnMenuCommand(ID_AB_SWITCH); }},
        // Pages without the graph: the view shows the change when it is back.
        {"delay typed",
         [&] {
             ClickButton(ctl::TAB_DELAY);
             Type(ctl::DELAY_MS_BOX, "2.5");
             ClickButton(ctl::TAB_XOVER);
         }},
        {"architecture 2.1",
         [&] {
             ClickButton(ctl::TAB_CONFIG);
             ClickButton(ctl::INPUT_KIND.first + INPUT_4_WIRED);
             ClickButton(ctl::ARCH.first + ARCH_21);
             ClickButton(ctl::TAB_XOVER);
         }},
    };
    for (const SRow& row : rows) {
        SCOPED_TRACE(row.gesture);
        const SSystemPicture before = Layer()->Picture();
        row.run();
        SettleView(*m_pView);
        ASSERT_TRUE(Graph()->isVisible());
        const QImage shown = OnScreen(*Graph());
        ASSERT_FALSE(shown.isNull());
        const QImage fresh = Graph()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        if (row.bCurves) {
            EXPECT_FALSE(Layer()->Picture() == before) << "the gesture changed no curve";
        }
        EXPECT_TRUE(shown == fresh) << "the screen shows a stale system view";
    }
}

// The system view before and after a phase click and a typed level, for a reader of the change
// (kept only when MLB8_SHOT_DIR names a folder).
TEST_F(SystemViewWindow, Pictures) {
    const QByteArray dir = qgetenv("MLB8_SHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "MLB8_SHOT_DIR not set";
    auto keep = [&](const char* pszName) {
        SettleView(*m_pView);
        OnScreen(*Graph()).save(QDir(QString::fromLocal8Bit(dir)).filePath(pszName));
    };
    ClickButton(ctl::TAB_XOVER);
    Tune(ARCH_3WAY_SUB);
    m_pView->SyncFromForm();
    ClickSwitch(CSystemGraph::ID_SYSTEM);
    keep("system-view-start.png");
    ClickButton(ctl::CHANNEL.first + 2);
    ClickButton(ctl::PHASE);
    keep("system-view-follows-polarity.png");
    Type(ctl::CHANNEL_LEVEL_BOX, "-20");
    keep("system-view-follows-level.png");
}

} // namespace
