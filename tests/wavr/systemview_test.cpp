// The system view of the graph in the real window: switched on it draws every output the
// configuration drives in its pen colour and the sum; a click on a curve selects its channel as the
// channel's button does; switched off, the single-channel graph is back as it was.
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMouseEvent>
#include <QTest>
#include <climits>
#include <cmath>
#include <gtest/gtest.h>
#include <set>

#include <functional>

#include "editor/controlids.h"
#include "editor/help.h"
#include "graph/filtergraphic.h"
#include "graph/graphlayout.h"
#include "graph/systemgraph.h"
#include "guilib/skinbutton.h"
#include "skin/skinmanifest.h"
#include "tests/common/filterrecord.h"
#include "tests/wavr/viewsettle.h"
#include "wavr/abswitch.h"
#include "wavr/eqtools.h"
#include "wavr/uilanguage.h"
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

    // The case the legends used to hide: output 1 of a 3-way front with a +11 dB boost at 200 Hz on
    // the equalizer page, its measurement (a +6 dB hump near 60 Hz), a falling target and the
    // prediction shown; the ways delayed as in a car.
    void BoostWithMeasurement() {
        m_pView->Core().OnMessage(WM_SKIN_BTN_UP, ctl::TAB_EQ, 0);
        Tune(ARCH_3WAY_SUB);
        CSettingsModel& m = m_pView->Core().Model();
        m.m_bEqEnable[0] = 1;
        m.m_Lib.SetEqCoef(0, 0, FilterRecord::Peak(200, 11, 1.0f));
        const std::uint16_t delays[MLB8_CHANNELS] = {96, 96, 48, 48, 140, 140, 24, 24};
        for (int ch = 0; ch < MLB8_CHANNELS; ++ch)
            m.m_nDelay[ch] = delays[ch];
        SChannelTuning t;
        t.measured.resize(RESPONSE_POINTS);
        t.target.resize(RESPONSE_POINTS);
        double f = ZUtils::kGridFirstFreq;
        for (size_t i = 0; i < t.measured.size(); ++i, f *= ZUtils::kGridRatio) {
            t.measured[i] = 6.0 * std::exp(-std::pow(std::log(f / 60.0), 2));
            t.target[i] = 4.0 - 4.0 * std::log10(f / 20.0);
        }
        m_pView->EqTools().Tuning(0) = t;
        m_pView->SyncFromForm();
        m_pView->Core().Filters().UpdateResponseGraph(1, 0, 1);
    }
    // Pictures for a reader of the change (kept when MLB8_SHOT_DIR names a folder).
    void Keep(const char* pszName) {
        const QByteArray dir = qgetenv("MLB8_SHOT_DIR");
        if (!dir.isEmpty()) GraphPicture().save(QString::fromLocal8Bit(dir) + "/" + pszName);
    }

    CWAVRView* m_pView = nullptr;
};

// Nothing laid over the graph hides what it draws: the overlay's legend and the SYSTEM switch of the
// plain graph, the system view's legend, switches and phase labels in each of its modes cover no
// piece of a drawn line.
TEST_F(SystemViewWindow, LegendsSwitchesAndLabelsCoverNoCurve) {
    BoostWithMeasurement();
    (void)GraphPicture();
    const std::vector<QPolygon> plain = Graph()->DataLines();
    ASSERT_GT(plain.size(), 3u); // the output, its partner and the overlay's curves
    const QRect legend = Graph()->OverlayLegendRect();
    ASSERT_FALSE(legend.isEmpty());
    EXPECT_EQ(CoveredPieces(legend, plain), 0) << "overlay legend";
    EXPECT_EQ(CoveredPieces(Layer()->geometry(), plain), 0) << "SYSTEM switch";
    EXPECT_FALSE(legend.intersects(Layer()->geometry())) << "the legend under the switch";
    Keep("graph-legend-after.png");

    struct SMode {
        const char* name;
        std::vector<int> clicks;
    };
    const SMode modes[] = {{"system", {CSystemGraph::ID_SYSTEM}},
                           {"phase", {CSystemGraph::ID_PHASE}},
                           {"unwrap", {CSystemGraph::ID_UNWRAP}}};
    for (const SMode& mode : modes) {
        SCOPED_TRACE(mode.name);
        for (int nId : mode.clicks)
            ClickSwitch(nId);
        (void)GraphPicture();
        const std::vector<QPolygon>& lines = Layer()->DrawnLines();
        ASSERT_FALSE(lines.empty());
        std::vector<std::pair<std::string, QRect>> boxes = {{"legend", Layer()->LegendRect()}};
        for (int nId : {CSystemGraph::ID_SYSTEM, CSystemGraph::ID_PHASE, CSystemGraph::ID_UNWRAP})
            boxes.emplace_back("switch " + std::to_string(nId), Layer()->Switch(nId)->geometry());
        for (const QRect& rc : Layer()->PhaseLabelRects())
            boxes.emplace_back("phase label", rc);
        for (const auto& [what, rc] : boxes) {
            EXPECT_EQ(CoveredPieces(rc, lines), 0) << what;
            for (const auto& [other, rcOther] : boxes)
                if (&rc != &rcOther && what != "phase label") {

                    EXPECT_FALSE(rc.intersects(rcOther)) << what << " " << other;
                }
        }
        Keep((std::string("graph-") + mode.name + "-after.png").c_str());
    }

    // The unwrapped phase is relative to the common delay (the subwoofers' 0.5 ms here is what the
    // outputs share) and fills the plot instead of a few rows of it.
    EXPECT_DOUBLE_EQ(Layer()->CommonDelayMs(), 0.5);
    int nTop = INT_MAX, nBottom = INT_MIN;
    for (const QPolygon& line : Layer()->DrawnLines())
        for (const QPoint& pt : line) {
            nTop = std::min(nTop, pt.y());
            nBottom = std::max(nBottom, pt.y());
        }
    EXPECT_GT(nBottom - nTop, Layer()->height() / 2);
}

// Help mode explains the parts added to the window: the A/B sides, the system view's switches, the
// graph and its legends, each where the pointer is.
TEST_F(SystemViewWindow, HelpModeExplainsTheAddedParts) {
    BoostWithMeasurement();
    (void)GraphPicture();
    ClickButton(ctl::HELP);
    auto pointAt = [&](QWidget* p, QPoint pt) {
        QMouseEvent move(QEvent::MouseMove, QPointF(pt), QPointF(p->mapToGlobal(pt)), Qt::NoButton, {}, {});
        QApplication::sendEvent(p, &move);
        SettleView(*m_pView);
        const char* psz = m_pView->Core().HelpText();
        return std::string(psz ? psz : "<none>");
    };
    auto text = [](int nId) { return std::string(CHelp::HelpText(nId)); };
    QWidget* pSideB = nullptr;
    for (QWidget* p : m_pView->findChildren<QWidget*>())
        if (auto* pSwitch = dynamic_cast<CAbSwitch*>(p)) pSideB = pSwitch->Side(1);
    ASSERT_NE(pSideB, nullptr);
    EXPECT_EQ(pointAt(pSideB, QPoint(5, 5)), text(ctl::AB_SIDE_HELP.last));
    const QRect legend = Graph()->OverlayLegendRect();
    EXPECT_EQ(pointAt(Graph(), legend.center()), text(ctl::GRAPH_LEGEND_HELP));
    EXPECT_EQ(pointAt(Graph(), QPoint(legend.right() + 200, Graph()->height() / 2)),
              text(ctl::GRAPH_PLOT_HELP));
    CSkinButton* pSystem = Layer()->Switch(CSystemGraph::ID_SYSTEM);
    EXPECT_EQ(pointAt(pSystem, QPoint(5, 5)), text(ctl::SYSTEM_SWITCH_HELP.first));
    ClickSwitch(CSystemGraph::ID_SYSTEM);
    (void)GraphPicture();
    EXPECT_EQ(pointAt(Layer(), Layer()->LegendRect().center()), text(ctl::SYSTEM_LEGEND_HELP));
    EXPECT_EQ(pointAt(Layer(), QPoint(Layer()->width() / 2, Layer()->height() - 40)),
              text(ctl::SYSTEM_PLOT_HELP));
    for (int nId : {CSystemGraph::ID_PHASE, CSystemGraph::ID_UNWRAP})
        EXPECT_EQ(pointAt(Layer()->Switch(nId), QPoint(5, 5)),
                  text(ctl::SYSTEM_SWITCH_HELP.at(nId - CSystemGraph::ID_SYSTEM)));
    // Each says something of its own.
    std::set<std::string> texts;
    for (int nId = ctl::ADDED_HELP.first; nId <= ctl::ADDED_HELP.last; ++nId)
        texts.insert(text(nId));
    EXPECT_EQ(texts.size(), 8u);
}

// The target is dashed, as its legend shows it: along its flat run the line has gaps.
TEST_F(SystemViewWindow, TheTargetIsDashed) {
    m_pView->Core().OnMessage(WM_SKIN_BTN_UP, ctl::TAB_EQ, 0);
    SChannelTuning t;
    t.measured.assign(RESPONSE_POINTS, -9.0);
    t.target.assign(RESPONSE_POINTS, 6.0);
    t.bShowMeasurement = t.bShowPrediction = false;
    m_pView->EqTools().Tuning(0) = t;
    m_pView->SyncFromForm();
    const QImage image = GraphPicture();
    const int y = static_cast<int>(Graph()->BaseY() - Graph()->BaseY() * 6 / 13.5);
    int nGreen = 0, nGaps = 0;
    bool bInGreen = false;
    for (int x = Graph()->CurveX(20); x < Graph()->CurveX(200); ++x) {
        bool bGreen = false;
        for (int dy = -1; dy <= 1; ++dy)
            bGreen = bGreen || QColor(image.pixel(x, y + dy)).green() > 150;
        nGreen += bGreen;
        nGaps += bInGreen && !bGreen;
        bInGreen = bGreen;
    }
    EXPECT_GT(nGreen, 100);
    EXPECT_GT(nGaps, 20);
}

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
    // Flat at 0 dB: the processor's sum, drawn with its mean over the passbands at 0 dB.
    (void)GraphPicture();
    EXPECT_EQ(Layer()->Picture().sumName,
              "Sum Out 1 + Out 3 + Out 5 + Out 7 (measured, drawn 2.6 dB higher)");
    EXPECT_EQ(Layer()->Picture().sumNote, "");
    EXPECT_EQ(Layer()->LegendRect().height(), nPlainHeight);
}

// The mute and solo buttons reach the system view: a silent output is drawn faded and dotted, named
// muted in the legend and left out of the sum, as the processor leaves it out.
TEST_F(SystemViewWindow, MutedAndUnsoloedOutputsAreDrawnMutedAndLeftOutOfTheSum) {
    m_pView->Core().OnMessage(WM_SKIN_BTN_UP, ctl::TAB_XOVER, 0);
    m_pView->SyncFromForm();
    Tune(ARCH_3WAY_SUB);
    ClickSwitch(CSystemGraph::ID_SYSTEM);
    const CSettingsModel& m = m_pView->Core().Model();
    auto penPixels = [&](const QImage& image, int ch) {
        for (const SSystemOutput& o : Layer()->Picture().outputs)
            if (o.nChannel == ch) return Pixels(image, CFilterGraphic::PenColour(o.nPen));
        return -1;
    };
    auto muted = [&] {
        std::vector<int> channels;
        for (const SSystemOutput& o : Layer()->Picture().outputs)
            if (o.bMuted) channels.push_back(o.nChannel);
        return channels;
    };
    const QImage plain = GraphPicture();
    EXPECT_GT(penPixels(plain, 2), 40);
    EXPECT_EQ(Layer()->Picture().sumName, "Sum Out 1 + Out 3 + Out 5 + Out 7");

    ClickButton(ctl::MUTE.first + 2);
    ASSERT_EQ(m.m_bMute[2], 1);
    const QImage oneMuted = GraphPicture();
    EXPECT_EQ(muted(), std::vector<int>{2});
    EXPECT_EQ(penPixels(oneMuted, 2), 0) << "Out 3 is drawn in its full colour";
    EXPECT_GT(penPixels(oneMuted, 4), 40);
    EXPECT_EQ(Layer()->Picture().sumName, "Sum Out 1 + Out 3 (muted) + Out 5 + Out 7");

    // A solo of Out 1 silences every other output, Out 3's mute aside.
    ClickButton(ctl::SOLO.first);
    ASSERT_EQ(m.m_nSoloMask, 0x01);
    const QImage soloed = GraphPicture();
    EXPECT_EQ(muted(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_GT(penPixels(soloed, 0), 40);
    EXPECT_EQ(penPixels(soloed, 4), 0);
    EXPECT_EQ(Layer()->Picture().sumName, "Sum Out 1 + Out 3 (muted) + Out 5 (muted) + Out 7 (muted)");
    ZUtils::ZComplexCurve out1, alone;
    CSystemView::OutputResponse(m, 0, &out1);
    ZUtils::ZComplexSum sum;
    sum.Add(out1);
    sum.Result(&alone);
    for (int i = 0; i < RESPONSE_POINTS; ++i)
        ASSERT_EQ(Layer()->Picture().sum.m_fDb[i], alone.m_fDb[i]) << "point " << i;
}

// What the screen shows of the system view follows every change of a curve at once: the layer is
// repainted without the view being switched off and on.
TEST_F(SystemViewWindow, TheScreenFollowsEveryChangeOfACurve) {
    ClickButton(ctl::TAB_EQ);
    ClickSwitch(CSystemGraph::ID_SYSTEM);
    // A switch to a copy changes no curve; the screen must still match.
    struct SRow {
        const char* gesture;
        std::function<void()> run;
        bool bCurves = true;
    };
    const SRow rows[] = {
        {"phase of the pair", [&] { ClickButton(ctl::PHASE); }},
        {"single Out 1", [&] { ClickButton(ctl::CHANNEL.first); }},
        {"channel level typed", [&] { Type(ctl::CHANNEL_LEVEL_BOX, "-12"); }},
        {"mute Out 3", [&] { ClickButton(ctl::MUTE.first + 2); }},
        {"solo Out 1", [&] { ClickButton(ctl::SOLO.first); }},
        {"solo off", [&] { ClickButton(ctl::SOLO.first); }},
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

// The legend with all eight outputs in the sum and muted members, whose names are long: at the window's
// width in English and in Chinese, and on narrow graphs, it stays clear of the switches and the phase
// caption and inside the layer and its strip; the sum's name and the note wrap onto further rows (a
// piece too wide alone is elided, the whole texts then being the tooltip), each text drawn fits its
// row, and the click areas are where the names are drawn.
TEST_F(SystemViewWindow, TheLegendWrapsClearOfTheSwitches) {
    ClickButton(ctl::TAB_XOVER);
    Tune(ARCH_3WAY_SUB);
    CSettingsModel& m = m_pView->Core().Model();
    for (int ch : {1, 4, 6})
        m.m_bMute[ch] = 1;
    m_pView->SyncFromForm();
    ClickSwitch(CSystemGraph::ID_SYSTEM);
    for (int ch = 1; ch < MLB8_CHANNELS; ch += 2)
        Layer()->View().ToggleSumMember(m, ch);
    const int nWidth = Graph()->width();
    struct SRow {
        const char* name;
        const char* shot; // the picture kept of it
        bool bChinese;
        int nGraphWidth;
        int nMeasured; // outputs 1..n measured: every one names the sum measured, fewer add a note
        bool bPhase;
        bool bElided = false; // a piece too wide alone: elided, the whole texts in the tooltip
    };
    const SRow rows[] = {
        {"English", "english", false, nWidth, MLB8_CHANNELS, false},
        {"English, narrow, with a note and the phase", "english-narrow", false, 600, 1, true},
        {"English, too narrow for a member", "elided", false, 340, MLB8_CHANNELS, false, true},
        {"Chinese", "chinese", true, nWidth, MLB8_CHANNELS, false},
        {"Chinese, narrow, with a note and the phase", "chinese-narrow", true, 600, 1, true},
    };
    // Each row speaks its own language; the one found is put back at the end, for the tests after it.
    struct SLanguageKept {
        EUiLanguage language = UiLanguage();
        ~SLanguageKept() { SetUiLanguage(language); }
    } const kept;
    for (const SRow& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(SetUiLanguage(row.bChinese ? EUiLanguage::Chinese : EUiLanguage::English));
        Graph()->resize(row.nGraphWidth, Graph()->height());
        SChannelTuning flat;
        flat.measured.assign(RESPONSE_POINTS, 0.0);
        flat.measuredPhase.assign(RESPONSE_POINTS, 0.0);
        for (int ch = 0; ch < MLB8_CHANNELS; ++ch)
            m_pView->EqTools().Tuning(ch) = ch < row.nMeasured ? flat : SChannelTuning{};
        if ((Layer()->View().Phase() != CSystemView::PHASE_OFF) != row.bPhase)
            ClickSwitch(CSystemGraph::ID_PHASE);
        (void)GraphPicture();
        const SSystemPicture& picture = Layer()->Picture();
        ASSERT_EQ(picture.outputs.size(), 8u);
        ASSERT_NE(picture.sumName.find("Out 7 (muted)"), std::string::npos) << picture.sumName;
        EXPECT_EQ(picture.sumNote.empty(), row.nMeasured == MLB8_CHANNELS) << picture.sumNote;

        const QRect legend = Layer()->LegendRect();
        EXPECT_TRUE(Layer()->rect().contains(legend)) << "the legend leaves the layer";
        EXPECT_TRUE(Layer()->StripRect().contains(legend)) << "the legend reaches into the plot";
        for (int nId : {CSystemGraph::ID_SYSTEM, CSystemGraph::ID_PHASE, CSystemGraph::ID_UNWRAP})
            EXPECT_FALSE(legend.intersects(Layer()->Switch(nId)->geometry())) << "under switch " << nId;
        for (const QRect& rc : Layer()->PhaseLabelRects())
            EXPECT_FALSE(legend.intersects(rc)) << "over a phase label";

        const std::vector<SLegendText>& texts = Layer()->LegendTexts();
        ASSERT_GE(texts.size(), picture.outputs.size() + 1);
        for (size_t k = 0; k < texts.size(); ++k) {
            const SLegendText& t = texts[k];
            const QFontMetrics fm(t.font);
            EXPECT_LE(fm.horizontalAdvance(t.text), t.rc.width()) << t.text.toStdString();
            EXPECT_LE(fm.height(), t.rc.height()) << t.text.toStdString();
            EXPECT_TRUE(legend.contains(t.rc)) << t.text.toStdString();
            for (size_t j = 0; j < k; ++j)
                EXPECT_FALSE(t.rc.intersects(texts[j].rc))
                    << t.text.toStdString() << " over " << texts[j].text.toStdString();
        }
        // What the rows after the names show is the sum's name and the note, whole, or elided with the
        // whole text in the legend's tooltip.
        QString shown;
        for (size_t k = picture.outputs.size(); k < texts.size(); ++k)
            shown += texts[k].text;
        const QString whole = CoreText(picture.sumName) + CoreText(picture.sumNote);
        EXPECT_EQ(!Layer()->LegendTip().isEmpty(), row.bElided);
        if (row.bElided) {
            EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();
            EXPECT_TRUE(Layer()->LegendTip().contains(CoreText(picture.sumName)));
        } else {
            EXPECT_EQ(QString(shown).remove(' '), QString(whole).remove(' '));
        }
        // The click areas: one for each output, around its name, apart from each other.
        const std::vector<QRect>& cells = Layer()->LegendRows();
        ASSERT_EQ(cells.size(), picture.outputs.size());
        for (size_t k = 0; k < cells.size(); ++k) {
            EXPECT_TRUE(cells[k].contains(texts[k].rc)) << k;
            EXPECT_TRUE(legend.contains(cells[k])) << k;
            for (size_t j = 0; j < k; ++j)
                EXPECT_FALSE(cells[k].intersects(cells[j])) << k << " " << j;
        }
        // A click on the last name takes Out 8 out of the sum; a second one puts it back.
        const unsigned nMask = Layer()->View().SumMask(m);
        Click(Layer(), texts[cells.size() - 1].rc.center());
        EXPECT_EQ(Layer()->View().SumMask(m), nMask & ~0x80u);
        Click(Layer(), texts[cells.size() - 1].rc.center());
        EXPECT_EQ(Layer()->View().SumMask(m), nMask);
        Keep((std::string("legend-wrap-") + row.shot + "-after.png").c_str());
    }
}

} // namespace
