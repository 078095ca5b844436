// Align outputs in the real window: while its proposal is shown, the graph's system view previews it (the
// outputs and the sum after it solid, before it dashed and faded); Cancel puts the view back as it was,
// Apply leaves the outputs as the preview showed them. The worked example of the README: the 3-way +
// sub of doc/examples/3-way-sub.Dovu with its measurements doc/examples/align/out1..8.txt.
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "editor/controlids.h"
#include "editor/presetfile.h"
#include "graph/filtergraphic.h"
#include "graph/systemgraph.h"
#include "presets/profile.h"
#include "skin/skinmanifest.h"
#include "tests/wavr/viewsettle.h"
#include "tuning/eqimport.h"
#include "wavr/eqtools.h"
#include "wavr/wavrview.h"

namespace {

class AlignPreview : public testing::Test {
protected:
    void SetUp() override {
        InitSkinResources();
        m_pView = new CWAVRView;
        m_pView->Core().Start(false);
        m_pView->resize(1018, 706);
        m_pView->show();
        (void)QTest::qWaitForWindowExposed(m_pView);
        // The worked example, on the crossover page, with every output's measurement taken through it.
        CSettingsModel& m = Model();
        ZUtils::ZProfile profile;
        ASSERT_TRUE(profile.LoadFile(std::string(MLB8_SOURCE_DIR) + "/doc/examples/3-way-sub.Dovu"));
        m.WriteStartupDefaults();
        ReadPresetKeys(profile, m, EPresetRead::File);
        m_pView->OnMenuCommand(ID_PAGE_CROSSOVER);
        for (int ch = 0; ch < MLB8_CHANNELS; ++ch) {
            const SMeasurementRead r = ReadMeasurementFile(
                std::string(MLB8_SOURCE_DIR) + "/doc/examples/align/out" + std::to_string(ch + 1) + ".txt");
            ASSERT_TRUE(r.bOk) << ch;
            SChannelTuning& t = Tools().Tuning(ch);
            t.measured = CurveOnGrid(r.curve);
            t.measuredPhase = PhaseOnGrid(r.curve);
            SetMeasuredThrough(t, m, ch, "3-way-sub.Dovu");
        }
        m_pView->SyncFromForm();
        SettleView(*m_pView);
    }
    void TearDown() override {
        for (QWidget* p : QApplication::topLevelWidgets())
            if (auto* pDlg = dynamic_cast<CEqReportDlg*>(p)) delete pDlg;
        delete m_pView;
    }

    CSettingsModel& Model() { return m_pView->Core().Model(); }
    CEqTools& Tools() { return m_pView->EqTools(); }
    CSystemGraph* Layer() const { return m_pView->SystemGraph(); }
    QWidget* Graph() const { return Layer()->parentWidget(); }
    QImage GraphPicture() {
        SettleView(*m_pView);
        return Graph()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    // The sum of every output, as the alignment judges it.
    void SumOfAll() {
        for (int ch = 1; ch < MLB8_CHANNELS; ch += 2)
            Layer()->View().ToggleSumMember(Model(), ch);
        Layer()->View().SetOn(true);
        Layer()->ApplyView();
    }
    CEqReportDlg* Dialog() const {
        for (QWidget* p : QApplication::topLevelWidgets())
            if (auto* pDlg = dynamic_cast<CEqReportDlg*>(p); pDlg && pDlg->isVisible()) return pDlg;
        return nullptr;
    }
    void Press(const char* pszButton) {
        CEqReportDlg* pDlg = Dialog();
        ASSERT_NE(pDlg, nullptr);
        auto* pButton = pDlg->findChild<QPushButton*>(pszButton);
        ASSERT_NE(pButton, nullptr) << pszButton;
        QTest::mouseClick(pButton, Qt::LeftButton);
        SettleView(*m_pView);
    }

    CWAVRView* m_pView = nullptr;
};

// A curve as the plot draws its level: a point per pixel it reaches.
QPolygon Line(const CSystemGraph& layer, const ZUtils::ZComplexCurve& curve) {
    const auto* pGraph = static_cast<const CFilterGraphic*>(layer.parentWidget());
    QPolygon line;
    for (int i = 0; i < layer.DrawnPoints(); ++i) {
        const QPoint pt(pGraph->CurveX(i), layer.LevelY(curve.m_fDb[i]));
        if (line.isEmpty() || line.back() != pt) line.append(pt);
    }
    return line;
}

bool Drew(const std::vector<QPolygon>& lines, const QPolygon& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST_F(AlignPreview, IsDrawnWhileTheProposalIsShownAndGoneOnCancel) {
    ASSERT_FALSE(Layer()->View().IsOn());
    const QImage before = GraphPicture();
    const SEditSnapshot settings = SEditSnapshot::Of(Model());

    ASSERT_TRUE(Tools().AlignOutputs());
    SettleView(*m_pView);
    ASSERT_NE(Dialog(), nullptr);
    // The preview switched the view on; it draws the sum after solid and the sum and outputs before
    // dashed under it.
    const SAlignResult& r = Tools().Alignment();
    EXPECT_TRUE(Layer()->HasPreview());
    const QImage preview = GraphPicture();
    EXPECT_TRUE(Layer()->View().IsOn());
    EXPECT_EQ(Layer()->Picture().sum, Tools().AlignmentPreview().sumAfter);
    // Both sums moved by one step, so that the sum after has its mean at 0 dB, and the name says so.
    const SSystemPreview shown = Tools().AlignmentPreview();
    EXPECT_EQ(Layer()->Picture().sumName,
              "Sum Out 1 + Out 2 + Out 3 + Out 4 + Out 5 + Out 6 + Out 7 + Out 8 after the alignment (" +
                  DrawnShiftText(shown.fSumShiftDb) + ")");
    EXPECT_LT(shown.fSumShiftDb, -60.0);
    ASSERT_EQ(Layer()->DrawnBefore().size(), r.outputs.size() + 1);
    for (int i = 0; i < RESPONSE_POINTS; ++i) {
        EXPECT_NEAR(shown.sumAfter.m_fDb[i] - r.after.m_fDb[i], shown.fSumShiftDb, 1e-9);
        EXPECT_NEAR(shown.sumBefore.m_fDb[i] - r.before.m_fDb[i], shown.fSumShiftDb, 1e-9);
    }
    EXPECT_TRUE(Drew(Layer()->DrawnBefore(), Line(*Layer(), shown.sumBefore))) << "the sum before";
    EXPECT_TRUE(Drew(Layer()->DrawnLines(), Line(*Layer(), shown.sumAfter))) << "the sum after";
    EXPECT_NE(preview, before);
    // The dialog leaves the graph in sight.
    const QRect graph(Graph()->mapToGlobal(QPoint(0, 0)), Graph()->size());
    EXPECT_FALSE(Dialog()->frameGeometry().intersects(graph)) << "the dialog covers the graph";

    Press("alignCancel");
    EXPECT_EQ(Dialog(), nullptr);
    EXPECT_FALSE(Layer()->HasPreview());
    EXPECT_FALSE(Layer()->View().IsOn());
    EXPECT_TRUE(Layer()->DrawnBefore().empty());
    EXPECT_EQ(GraphPicture(), before) << "the view is not back as it was";
    EXPECT_TRUE(SEditSnapshot::Of(Model()) == settings) << "Cancel changed the tune";
}

TEST_F(AlignPreview, ApplyLeavesTheOutputsAsThePreviewShowedThem) {
    SumOfAll();
    ASSERT_TRUE(Tools().AlignOutputs());
    (void)GraphPicture();
    ASSERT_TRUE(Layer()->HasPreview());
    const std::vector<SSystemOutput> shown = Layer()->Picture().outputs;
    const SSystemPreview preview = Tools().AlignmentPreview();
    Press("alignApply");
    EXPECT_EQ(Dialog(), nullptr);
    EXPECT_FALSE(Layer()->HasPreview());
    (void)GraphPicture();
    EXPECT_TRUE(Layer()->View().IsOn()) << "the view was on before the preview";
    EXPECT_TRUE(Layer()->DrawnBefore().empty());
    ASSERT_EQ(Layer()->Picture().outputs.size(), shown.size());
    for (std::size_t k = 0; k < shown.size(); ++k)
        EXPECT_EQ(Layer()->Picture().outputs[k].curve, shown[k].curve) << "Out " << shown[k].nChannel + 1;
    // The view's own sum of every output, measured, is the one the preview predicted, drawn where the
    // preview drew it.
    EXPECT_TRUE(Layer()->Picture().bMeasuredSum);
    EXPECT_EQ(Layer()->Picture().fSumShiftDb, preview.fSumShiftDb);
    for (int i = 0; i < Layer()->DrawnPoints(); ++i)
        EXPECT_NEAR(Layer()->Picture().sum.m_fDb[i], preview.sumAfter.m_fDb[i], 1e-6) << i;
}

// The README's pictures of the worked example: the system view with the sum of every output predicted
// at the seat before the alignment, while its proposal is shown (before dashed), and after Apply (kept
// when MLB8_SHOT_DIR names a folder); the sums as the preview draws them, at one level. Then the view's
// own measured sum of every output, without a proposal, moved onto the plot as well.
TEST_F(AlignPreview, Pictures) {
    const QByteArray dir = qgetenv("MLB8_SHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "MLB8_SHOT_DIR not set";
    auto keep = [&](const char* pszName) {
        GraphPicture().save(QDir(QString::fromLocal8Bit(dir)).filePath(pszName));
    };
    ASSERT_TRUE(Tools().AlignOutputs());
    SSystemPreview preview = Tools().AlignmentPreview();
    keep("align-system-view-preview.png");
    if (CEqReportDlg* pDlg = Dialog())
        pDlg->grab().save(QDir(QString::fromLocal8Bit(dir)).filePath("align-dialog.png"));
    // Before: the outputs as they are, the sum before as the one drawn.
    SSystemPreview before = preview;
    before.bShowBefore = false;
    for (std::size_t k = 0; k < before.channels.size(); ++k)
        before.after[k] = CSystemView::Trim(Model(), before.channels[k]);
    before.sumAfter = preview.sumBefore;
    before.sumName =
        "Sum Out 1 + Out 2 + Out 3 + Out 4 + Out 5 + Out 6 + Out 7 + Out 8 before the alignment (" +
        DrawnShiftText(preview.fSumShiftDb) + ")";
    Layer()->SetPreview(before);
    keep("align-system-view-before.png");
    SSystemPreview after = preview;
    after.bShowBefore = false;
    Layer()->SetPreview(after);
    keep("align-system-view-after.png");
    // No proposal: the view's own sum of every output, measured, with Out 1 selected.
    Layer()->ClearPreview();
    SumOfAll();
    keep("system-view-measured-sum-after.png");
}

} // namespace
