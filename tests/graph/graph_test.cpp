// The response graph on its window size (883 x 239): grid, background picture and curve pixels.
#include <QFile>
#include <cmath>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

#include "comm/trace.h"
#include "graph/filtergraphic.h"
#include "orvix/rev8001lib.h"
#include "skin/skinids.h"
#include "skin/skinmanifest.h"

namespace {

constexpr int W = 883, H = 239;
constexpr int BASE = 114; // the 0 dB row: trunc(34 * 3) + 12
const QColor kGrid(48, 46, 45);

struct CGraphTest : ::testing::Test {
    CFilterGraphic graph;
    void SetUp() override {
        graph.resize(W, H);
        graph.Image(); // set up as the view does before any drawing
    }
    QColor At(int x, int y) { return graph.Image().pixelColor(x, y); }
    // Rows of column x painted in colour c.
    std::vector<int> RowsIn(int x, const QColor& c) {
        std::vector<int> rows;
        for (int y = 0; y < H; ++y)
            if (At(x, y) == c) rows.push_back(y);
        return rows;
    }
    // Text pixels (greys lighter than the grid) in a box.
    bool HasText(const QRect& rc) {
        for (int y = std::max(rc.top(), 0); y <= std::min(rc.bottom(), H - 1); ++y)
            for (int x = std::max(rc.left(), 0); x <= std::min(rc.right(), W - 1); ++x) {
                const QColor c = At(x, y);
                if (c.red() > 70 && c.red() == c.green() && c.green() == c.blue()) return true;
            }
        return false;
    }
    static std::vector<double> Flat(double fDb, int nCount = 331) { return std::vector<double>(nCount, fDb); }
};

} // namespace

TEST_F(CGraphTest, GeometryOfTheWindowSize) {
    EXPECT_EQ(graph.GetLeft(), 18);
    EXPECT_EQ(graph.GetRight(), 878);
    EXPECT_FLOAT_EQ(graph.GetRowHeight(), 34.0f);
    EXPECT_NEAR(graph.GetPxPerDecade(), 260.5, 0.05);
    EXPECT_EQ(graph.BaseY(), BASE);
}

TEST_F(CGraphTest, FallbackGridHasSevenLevelLinesAndFiveFrequencyLabels) {
    // Column 30 crosses no frequency line: exactly the seven level lines.
    EXPECT_EQ(RowsIn(30, kGrid), (std::vector<int>{12, 46, 80, 114, 148, 182, 216}));
    // Bold labelled lines at 10 Hz, 100 Hz, 1 kHz, 10 kHz and 20 kHz, from y 12 to bottom - 25.
    for (int x : {18, 278, 539, 799, 878}) {
        EXPECT_EQ(At(x, 12), kGrid) << x;
        EXPECT_EQ(At(x, H - 26), kGrid) << x;
        EXPECT_EQ(At(x, 5), Qt::black) << x;
        EXPECT_TRUE(HasText(QRect(x - 10, H - 18, 14, 18))) << "label of the line at " << x;
    }
    // No label under the thin lines (50 Hz at x 199, 5 kHz at x 720).
    EXPECT_FALSE(HasText(QRect(150, H - 18, 80, 18)));
    EXPECT_FALSE(HasText(QRect(640, H - 18, 110, 18)));
    // Level labels at the left of every level line's row.
    for (int k = 0; k < 7; ++k)
        EXPECT_TRUE(HasText(QRect(0, k * 34, 18, 16))) << "level " << 15 - 5 * k;
}

TEST_F(CGraphTest, FlatChannelDrawsOnTheZeroDecibelRow) {
    CRev8001Lib lib;
    lib.CalcChannelResponse(0, 0, 0);
    graph.DrawCurve(lib.GetResponse(), lib.GetResponseCount(), 1, 1);
    const QColor pen = CFilterGraphic::PenColour(1);
    for (int x : {18, 100, 500, 840, 882}) {
        EXPECT_EQ(At(x, BASE), pen) << x;
        EXPECT_NE(At(x, BASE - 3), pen) << x;
        EXPECT_NE(At(x, BASE + 3), pen) << x;
    }
}

TEST_F(CGraphTest, CurvePointsLandOnTheirPixels) {
    // y = trunc(base - base * dB / 13.5); grid point i at x = trunc(i * 3.2376) + 18.
    const struct {
        double fDb;
        int y;
    } levels[] = {{13.5, 0}, {-6.75, 171}, {3.0, 88}, {-13.5, 228}};
    for (const auto& l : levels) {
        graph.DrawCurve(Flat(l.fDb).data(), 331, 0, 1);
        for (int i : {0, 100, 200, 255})
            EXPECT_EQ(At(std::min(graph.CurveX(i), W - 1), l.y), CFilterGraphic::PenColour(0))
                << l.fDb << " dB, point " << i;
    }
    EXPECT_EQ(graph.CurveX(100), 341);
    EXPECT_EQ(graph.CurveX(255), 843);
    // A peak on one grid point: the line climbs to its pixel and back.
    auto peak = Flat(0);
    peak[100] = 6.75;
    graph.DrawCurve(peak.data(), 331, 2, 1);
    EXPECT_EQ(At(341, 57), CFilterGraphic::PenColour(2));
}

TEST_F(CGraphTest, PenIndexChoosesTheColour) {
    const struct {
        int nPen;
        QColor c;
    } pens[] = {{0, QColor(200, 0, 0)},   {1, QColor(255, 255, 0)},  {2, QColor(255, 200, 0)},
                {3, QColor(255, 100, 0)}, {4, QColor(200, 50, 255)}, {5, QColor(150, 0, 255)},
                {6, QColor(0, 255, 255)}, {7, QColor(0, 150, 255)},  {8, kGrid},
                {9, QColor(200, 0, 0)},   {-1, QColor(200, 0, 0)}};
    for (const auto& p : pens) {
        graph.DrawCurve(Flat(-6.75).data(), 331, p.nPen, 1);
        EXPECT_EQ(At(400, 171), p.c) << "pen " << p.nPen;
    }
    // Without clearing, the second curve is drawn over the first.
    graph.DrawCurve(Flat(0).data(), 331, 3, 0);
    EXPECT_EQ(At(400, 171), QColor(200, 0, 0));
    EXPECT_EQ(At(400, BASE), QColor(255, 100, 0));
}

TEST_F(CGraphTest, BackgroundPictureIsStretchedOverTheGraph) {
    EXPECT_EQ(graph.LoadBackground(SkinId::GRAPH_BACKGROUND, "PNG"), 1);
    graph.DrawCurve(Flat(0).data(), 331, 1, 1);
    QImage picture(SkinResourcePath(SkinId::GRAPH_BACKGROUND));
    picture = picture.scaled(W, H).convertToFormat(QImage::Format_RGB32);
    for (QPoint pt : {QPoint(5, 5), QPoint(300, 40), QPoint(870, 230)})
        EXPECT_EQ(At(pt.x(), pt.y()), picture.pixelColor(pt)) << pt.x() << "," << pt.y();
    EXPECT_EQ(At(300, BASE), CFilterGraphic::PenColour(1));
}

TEST_F(CGraphTest, FailedBackgroundFallsBackToTheGrid) {
    std::string trace;
    TraceSetSink([&](std::string_view sz) { trace.append(sz); });
    ASSERT_EQ(graph.LoadBackground(SkinId::GRAPH_BACKGROUND, "PNG"), 1);
    EXPECT_EQ(graph.LoadBackground(99999, "PNG"), 0);
    EXPECT_EQ(graph.LoadBackground(SkinId::GRAPH_BACKGROUND, "JPG"), 0);
    TraceSetSink({});
    EXPECT_NE(trace.find("!!!!!!!ERROR SetIconNormal \r\n"), std::string::npos);
    EXPECT_FALSE(graph.HasBackground());
    graph.DrawCurve(Flat(0).data(), 331, 1, 1);
    EXPECT_EQ(RowsIn(30, kGrid), (std::vector<int>{12, 46, 80, 148, 182, 216})) << "114 is under the curve";
}

TEST_F(CGraphTest, UndefinedValuesBreakTheCurveAndNothingIsDrawnOutside) {
    auto values = Flat(0);
    for (int i = 150; i < 160; ++i)
        values[i] = std::nan("");
    values[200] = INFINITY;
    values[300] = 1e300; // far above the graph: clipped
    graph.DrawCurve(values.data(), 331, 1, 1);
    const QColor pen = CFilterGraphic::PenColour(1);
    EXPECT_EQ(At(graph.CurveX(140), BASE), pen);
    EXPECT_NE(At(graph.CurveX(155), BASE), pen) << "a gap where the values are undefined";
    EXPECT_EQ(At(graph.CurveX(170), BASE), pen);
    graph.DrawCurve(nullptr, 331, 1, 1);
    graph.DrawCurve(values.data(), 0, 1, 0);
    graph.DrawCurve(values.data(), -5, 1, 0);
    EXPECT_NE(At(graph.CurveX(100), BASE), pen) << "cleared, nothing drawn";

    CFilterGraphic empty; // no area: draws nothing and does not fail
    empty.resize(0, 0);
    empty.DrawCurve(values.data(), 331, 1, 1);
    EXPECT_TRUE(empty.Image().isNull());
}
