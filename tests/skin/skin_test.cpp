// The compiled-in skin: every image is present, is a PNG and has the size the window layout draws
// it at; the response graph background has its lines where the curve mapping puts them.
#include <QImage>
#include <QImageReader>
#include <cmath>
#include <gtest/gtest.h>
#include <set>
#include <vector>

#include "skin/skinlayout.h"
#include "skin/skinmanifest.h"

namespace {

class SkinTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitSkinResources(); }

    static QImage Load(int nId) {
        QImageReader reader(SkinResourcePath(nId));
        EXPECT_EQ(reader.format(), QByteArray("png")) << "image " << nId;
        return reader.read();
    }
};

// Sizes fixed by the window layout, written out here independently of the manifest. Film strips
// give the frame size and the frame count.
struct SExpected {
    int nFirst, nLast, nW, nH, nFrames;
};
const SExpected EXPECTED[] = {
    {200, 200, 1008, 656, 1}, {201, 201, 108, 452, 1},   {202, 202, 1008, 146, 1}, {203, 203, 901, 452, 1},
    {205, 208, 901, 452, 1},  {209, 209, 110, 37, 1},    {210, 211, 110, 50, 1},   {291, 292, 20, 16, 1},
    {293, 294, 20, 15, 1},    {300, 300, 101, 101, 65},  {301, 302, 101, 90, 57},  {303, 306, 35, 35, 1},
    {310, 341, 44, 26, 1},    {342, 365, 52, 26, 1},     {366, 369, 37, 15, 1},    {376, 376, 883, 239, 1},
    {381, 382, 168, 24, 1},   {383, 384, 67, 34, 1},     {400, 400, 28, 28, 1},    {401, 401, 155, 8, 1},
    {402, 402, 170, 28, 1},   {418, 419, 110, 49, 1},    {441, 441, 102, 22, 1},   {465, 465, 110, 37, 1},
    {500, 500, 34, 31, 124},  {501, 501, 7, 104, 1},     {502, 502, 42, 42, 65},   {608, 609, 40, 40, 1},
    {610, 611, 67, 24, 1},    {783, 783, 463, 200, 1},   {800, 849, 140, 140, 1},  {902, 905, 35, 35, 1},
    {907, 908, 106, 32, 1},   {950, 950, 600, 334, 1},   {951, 951, 581, 259, 1},  {952, 955, 81, 34, 1},
    {956, 957, 580, 110, 1},  {964, 965, 106, 56, 1},    {967, 967, 26, 167, 1},   {968, 969, 50, 38, 1},
    {1002, 1002, 100, 19, 1}, {1003, 1003, 460, 100, 1},
};

TEST_F(SkinTest, ImagesHaveTheSizesTheLayoutDrawsThemAt) {
    for (const SExpected& e : EXPECTED)
        for (int nId = e.nFirst; nId <= e.nLast; ++nId) {
            SCOPED_TRACE(nId);
            const SSkinImage* entry = FindSkinImage(nId);
            ASSERT_NE(entry, nullptr);
            EXPECT_EQ(entry->nFrames, e.nFrames);
            const QImage img = Load(nId);
            ASSERT_FALSE(img.isNull());
            EXPECT_EQ(img.width(), e.nW);
            EXPECT_EQ(img.height(), e.nH * e.nFrames);
        }
}

TEST_F(SkinTest, EveryManifestImageLoadsAtItsListedSize) {
    std::set<int> ids;
    for (const SSkinImage& e : SkinManifest()) {
        SCOPED_TRACE(e.nId);
        EXPECT_TRUE(ids.insert(e.nId).second) << "duplicate";
        EXPECT_FALSE(e.szPurpose.empty());
        const QImage img = Load(e.nId);
        ASSERT_FALSE(img.isNull());
        EXPECT_EQ(img.size(), QSize(e.nWidth, e.nHeight));
        EXPECT_EQ(e.nHeight % e.nFrames, 0);
        EXPECT_TRUE(img.hasAlphaChannel());
    }
    // the speaker pictures and speaker icons fill their whole ranges
    for (auto [nFirst, nLast] : {std::pair{443, 464}, {711, 770}, {972, 1001}})
        for (int nId = nFirst; nId <= nLast; ++nId)
            EXPECT_TRUE(ids.count(nId)) << nId;
    EXPECT_TRUE(QImage(SkinResourcePath(199)).isNull());
}

TEST_F(SkinTest, SelectButtonsHaveAnOnAndOffImageForEveryState) {
    const unsigned used[12] = {0b111, 0b111, 0b011,  0b011,  0b001,  0b001,
                               0b011, 0b011, 0b1011, 0b1111, 0b1011, 0b1001};
    std::set<int> seen;
    for (int nButton = 0; nButton < 12; ++nButton)
        for (int nState = 0; nState < 4; ++nState)
            for (bool bOn : {false, true}) {
                const bool bPair = nButton >= 8;
                const int nId = SkinId::SelectButton(bPair, bPair ? nButton - 8 : nButton, nState, bOn);
                SCOPED_TRACE(nId);
                ASSERT_NE(FindSkinImage(nId), nullptr);
                EXPECT_TRUE(seen.insert(nId).second);
                EXPECT_EQ(FindSkinImage(nId)->nWidth, bPair ? 52 : 44);
                // the states the architectures use are the ones in 310..365
                const bool bUsed = (used[nButton] >> nState) & 1;
                EXPECT_EQ(nId >= 310 && nId <= 365, bUsed);
            }
    EXPECT_EQ(SkinId::SelectButton(false, 8, 0, true), 0);
    EXPECT_EQ(SkinId::SelectButton(true, 0, 4, true), 0);
}

TEST_F(SkinTest, SpeakerIconSetsHoldTwelveImagesSizedByState) {
    std::set<int> seen;
    for (int nCh = 0; nCh < 8; ++nCh) {
        const std::array<int, 12> set = SkinId::SpeakerIconSet(nCh);
        for (int k = 0; k < 12; ++k) {
            const SSkinImage* e = FindSkinImage(set[size_t(k)]);
            ASSERT_NE(e, nullptr) << set[size_t(k)];
            EXPECT_TRUE(seen.insert(e->nId).second);
            // load order: (look 0, look 1) per state, then (look 2, look 3) per state
            const int nState = (k % 6) / 2;
            EXPECT_EQ(e->nState, nState);
            EXPECT_EQ(e->nLook, (k >= 6 ? 2 : 0) + k % 2);
            EXPECT_EQ(e->nIndex, nCh);
            EXPECT_EQ(e->nWidth, 30 + 6 * nState);
        }
    }
    EXPECT_EQ(SkinId::SpeakerIcon(8, 0, 0), 0);
    EXPECT_EQ(SkinId::SpeakerIcon(0, 3, 0), 0);
}

// The graph control is 883 x 239. Curve point i is drawn at x = trunc(i * step) + 18 with
// step = (883 - 23) / 255 * 0.96, the grid frequency of point i being 10 Hz times 1.03039907, i times;
// a level v is drawn at y = trunc(base - base * v / 13.5), base = trunc((239 - 32) / 6 * 3) + 12.
int CurveX(double fHz) {
    std::vector<double> grid;
    for (double f = 10.0; f < 200000.0; f *= 1.03039907)
        grid.push_back(f);
    const double fStep = (883 - 23) / 255.0 * 0.96;
    for (size_t i = 0; i + 1 < grid.size(); ++i)
        if (grid[i] <= fHz && fHz < grid[i + 1]) {
            const double x0 = std::trunc(double(i) * fStep) + 18, x1 = std::trunc(double(i + 1) * fStep) + 18;
            return int(
                std::lround(x0 + (x1 - x0) * std::log(fHz / grid[i]) / std::log(grid[i + 1] / grid[i])));
        }
    return -1;
}
int CurveY(double fDb) {
    const double fBase = std::trunc(double((239 - 32) / 6) * 3.0) + 12.0;
    return int(std::trunc(fBase - fBase * fDb / 13.5));
}

TEST_F(SkinTest, GraphLinesLieWhereTheCurveMappingPutsThem) {
    const QImage graph = Load(376);
    ASSERT_EQ(graph.size(), QSize(883, 239));
    auto lum = [&graph](int x, int y) { return qGray(graph.pixel(x, y)); };
    constexpr int LINE = 10; // a line is clearly brighter than the plot beside it

    const int x1k = CurveX(1000.0);
    ASSERT_GT(x1k, 500);
    for (int y : {50, 100, 150, 200}) {
        SCOPED_TRACE(y);
        EXPECT_GE(lum(x1k, y) - lum(x1k - 3, y), LINE);
        EXPECT_GE(lum(x1k, y) - lum(x1k + 3, y), LINE);
    }
    for (double fDb : {0.0, -3.0, 6.0, -12.0}) {
        const int y = CurveY(fDb);
        SCOPED_TRACE(fDb);
        for (int x : {x1k + 20, 400}) {
            EXPECT_GE(lum(x, y) - lum(x, y - 2), LINE);
            EXPECT_GE(lum(x, y) - lum(x, y + 2), LINE);
        }
    }
    EXPECT_EQ(CurveY(0.0), 114);
    EXPECT_EQ(CurveY(-3.0), 139);
}

} // namespace

// The expert page's sensitivity rows fit their panel: row label, slider, then the frame with the box,
// its steppers and the unit, all left of the panel's right border (the page's right edge less its
// 4-pixel margin) and so inside the window.
TEST(SkinLayout, TheExpertSensitivityRowsFitTheirPanel) {
    using namespace SkinLayout;
    constexpr int kRowLabelRight = 721; // "IN 1-2" in the page's art
    EXPECT_GE(EXP_SENS_SLIDER_X, kRowLabelRight);
    EXPECT_LE(EXP_SENS_SLIDER_X + 170, EXP_SENS_FRAME_X);
    EXPECT_LE(EXP_SENS_FRAME_X + 110, PAGE.x + PAGE.w - 4);
    EXPECT_LE(EXP_SENS_FRAME_X + EXP_SENS_STEP_DX + 20, EXP_SENS_FRAME_X + 110);
}
