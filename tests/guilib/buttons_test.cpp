// Skin buttons: press, auto-repeat, release and the toggle rules.
#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>

#include "editor/controlids.h"
#include "guilib/skinbutton.h"
#include "guitest.h"
#include "skin/skinids.h"

namespace {

constexpr int ID = ctl::MAIN_UP;
const SNote DOWN{WM_SKIN_BTN_DOWN, ID, 0};
const SNote REPEAT{WM_SKIN_BTN_REPEAT, ID, 0};
const SNote UP{WM_SKIN_BTN_UP, ID, 0};

// A repeat timer on a virtual clock: Advance() ticks it whenever it falls due.
class CVirtualTimer : public CButtonTimer {
public:
    void Set(int nMs) override {
        m_nPeriod = nMs;
        m_nDue = m_nNow + nMs;
    }
    void Kill() override { m_nPeriod = 0; }
    bool IsSet() const override { return m_nPeriod > 0; }
    void Advance(int nMs) {
        const int nEnd = m_nNow + nMs;
        while (IsSet() && m_nDue <= nEnd) {
            m_nNow = m_nDue;
            m_nDue += m_nPeriod;
            m_Ticks.push_back(m_nNow);
            m_fnTick();
        }
        m_nNow = nEnd;
    }
    std::vector<int> m_Ticks;

private:
    int m_nNow = 0, m_nDue = 0, m_nPeriod = 0;
};

template <class T> T* MakeButton(QWidget* pParent) {
    auto* b = new T(pParent);
    b->SetDlgCtrlID(ID);
    b->setGeometry(10, 10, 82, 80);
    return b;
}

CSkinButton* TabButton(QWidget* pParent) {
    auto* b = MakeButton<CSkinButton>(pParent);
    const int n = SkinId::TAB_FIRST;
    EXPECT_TRUE(b->SetIcons(n, "PNG", n + 1, "PNG", n + 2, "PNG", n + 3, "PNG"));
    return b;
}

void Click(QWidget* w, QPoint ptPress, QPoint ptRelease) {
    QTest::mousePress(w, Qt::LeftButton, {}, ptPress);
    QTest::mouseRelease(w, Qt::LeftButton, {}, ptRelease);
}

int CountRepeats(const std::vector<SNote>& notes) {
    return int(std::count(notes.begin(), notes.end(), REPEAT));
}

} // namespace

TEST(SkinButton, HeldButtonRepeatsAfter300ThenEvery50) {
    CRecorder parent;
    CSkinButton* b = TabButton(&parent);
    auto pTimer = std::make_unique<CVirtualTimer>();
    CVirtualTimer* t = pTimer.get();
    b->SetRepeatTimer(std::move(pTimer));
    CTraceCapture trace;

    QTest::mousePress(b, Qt::LeftButton, {}, {40, 40});
    EXPECT_EQ(parent.Take(), std::vector<SNote>{DOWN});
    EXPECT_TRUE(b->IsPressed());
    t->Advance(1000);
    std::vector<int> expectedTicks;
    for (int ms = 300; ms <= 1000; ms += 50)
        expectedTicks.push_back(ms);
    EXPECT_EQ(t->m_Ticks, expectedTicks); // 15 ticks in the first second
    EXPECT_EQ(parent.Take(), std::vector<SNote>(15, REPEAT));
    EXPECT_TRUE(trace.Has("\r\nOnTimer "));

    QTest::mouseRelease(b, Qt::LeftButton, {}, {40, 40});
    EXPECT_EQ(parent.Take(), std::vector<SNote>{UP});
    EXPECT_FALSE(t->IsSet());
    t->Advance(1000);
    EXPECT_TRUE(parent.Take().empty());

    // A window on its way out starts no timer.
    b->OnDestroy();
    QTest::mousePress(b, Qt::LeftButton, {}, {40, 40});
    EXPECT_FALSE(t->IsSet());
}

TEST(SkinButton, RealTimerNeverRepeatsAheadOfSchedule) {
    CRecorder parent;
    CSkinButton* b = TabButton(&parent);
    QElapsedTimer clock;
    clock.start();
    QTest::mousePress(b, Qt::LeftButton, {}, {40, 40});
    int nRepeats = 0;
    while (nRepeats < 3 && clock.elapsed() < 20000) {
        QTest::qWait(5);
        nRepeats += CountRepeats(parent.Take());
    }
    const qint64 nElapsed = clock.elapsed();
    ASSERT_GE(nRepeats, 3);
    // However slow the machine, ticks come no sooner than 300 ms, then 50 ms apart.
    EXPECT_GE(nElapsed, 300 + 2 * 50);
    EXPECT_LE(nRepeats, 1 + (nElapsed - 300) / 50);
    QTest::mouseRelease(b, Qt::LeftButton, {}, {40, 40});
    EXPECT_EQ(parent.Take().back(), UP);
    QTest::qWait(150);
    EXPECT_EQ(CountRepeats(parent.Take()), 0);
}

TEST(SkinButton, ReleaseFlipsTheToggleWhereverItHappens) {
    CRecorder parent;
    CSkinButton* b = TabButton(&parent);
    ASSERT_TRUE(b->IsToggleEnabled());
    Click(b, {40, 40}, {40, 40});
    EXPECT_TRUE(b->GetToggle());
    Click(b, {40, 40}, {300, 300}); // dragged off before the release: the capture still gets it
    EXPECT_FALSE(b->GetToggle());
    EXPECT_EQ(parent.Take(), (std::vector<SNote>{DOWN, UP, DOWN, UP}));
    QTest::mouseRelease(b, Qt::LeftButton, {}, {300, 300}); // a release elsewhere without a press
    EXPECT_TRUE(parent.Take().empty());
    EXPECT_FALSE(b->GetToggle());
}

TEST(SkinButton, AMissingImageLeavesTheToggleOff) {
    const int n = SkinId::TAB_FIRST;
    const char* traces[] = {"!!!!!!!ERROR SetIconNormal \r\n", "!!!!!!!ERROR m_pIconPress \r\n",
                            "!!!!!!!ERROR SetIconToggleNormal \r\n", "\r\n!!!!!!!ERROR SetIconToggleImage "};
    for (int nMissing = 0; nMissing < 4; ++nMissing) {
        int ids[4] = {n, n + 1, n + 2, n + 3};
        ids[nMissing] = 99999;
        CRecorder parent;
        auto* b = MakeButton<CSkinButton>(&parent);
        CTraceCapture trace;
        EXPECT_FALSE(b->SetIcons(ids[0], "PNG", ids[1], "PNG", ids[2], "PNG", ids[3], "PNG"));
        EXPECT_TRUE(trace.Has(traces[nMissing])) << nMissing;
        EXPECT_FALSE(b->IsToggleEnabled());
        Click(b, {40, 40}, {40, 40});
        Click(b, {40, 40}, {40, 40});
        Click(b, {40, 40}, {40, 40});
        EXPECT_FALSE(b->GetToggle());
        EXPECT_EQ(parent.Take(), (std::vector<SNote>{DOWN, UP, DOWN, UP, DOWN, UP}));
    }
}

TEST(SkinButton, LosingTheCaptureEndsThePressAndTheRepeat) {
    CRecorder parent;
    CSkinButton* b = TabButton(&parent);
    auto pTimer = std::make_unique<CVirtualTimer>();
    CVirtualTimer* t = pTimer.get();
    b->SetRepeatTimer(std::move(pTimer));
    QTest::mousePress(b, Qt::LeftButton, {}, {40, 40});
    t->Advance(320);
    QFocusEvent lost(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(b, &lost);
    EXPECT_FALSE(b->IsPressed());
    t->Advance(1000);
    QTest::mouseRelease(b, Qt::LeftButton, {}, {300, 300}); // the release went elsewhere
    EXPECT_EQ(parent.Take(), (std::vector<SNote>{DOWN, REPEAT}));
    EXPECT_FALSE(b->GetToggle());
}

TEST(SkinButton2, AlwaysFlipsAndShowsTheImageOfItsState) {
    CRecorder parent;
    auto* b = MakeButton<CSkinButton2>(&parent);
    b->resize(44, 26);
    std::array<int, 8> ids{};
    for (int s = 0; s < 4; ++s) {
        ids[2 * s] = SkinId::SelectButton(false, 0, s, true);
        ids[2 * s + 1] = SkinId::SelectButton(false, 0, s, false);
    }
    ids[7] = 99999; // state 3 off is missing: loading carries on
    CTraceCapture trace;
    EXPECT_TRUE(b->SetIcons(ids));
    EXPECT_TRUE(trace.Has("!!!!!!!ERROR SetIconNormal \r\n"));

    EXPECT_TRUE(b->SetState(2));
    b->SetToggle(true);
    const QImage released = b->grab().toImage();
    QTest::mousePress(b, Qt::LeftButton, {}, {20, 13});
    EXPECT_TRUE(trace.Has("\r\nSetTimer"));
    EXPECT_EQ(b->grab().toImage(), released) << "pressed or not, the on image of state 2";
    for (int nBad : {4, -1}) {
        EXPECT_FALSE(b->SetState(nBad));
        EXPECT_TRUE(trace.Has("!!!!!!!ERROR index[" + std::to_string(nBad) + "] \r\n"));
    }
    EXPECT_EQ(b->GetState(), 2);
    QTest::mouseRelease(b, Qt::LeftButton, {}, {20, 13});
    EXPECT_FALSE(b->GetToggle());
    EXPECT_NE(b->grab().toImage(), released) << "the off image of state 2";
    b->SetToggle(true);
    b->SetState(1);
    EXPECT_NE(b->grab().toImage(), released) << "the on image of state 1";
    EXPECT_EQ(parent.Take(), (std::vector<SNote>{DOWN, UP}));

    // Without any image the release still flips.
    auto* bare = MakeButton<CSkinButton2>(&parent);
    Click(bare, {5, 5}, {5, 5});
    EXPECT_TRUE(bare->GetToggle());
}
