// Value controls driven by real mouse and key events: what they post to their parent, in order.
#include <QTest>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>

#include "editor/controlids.h"
#include "guilib/gdiactiveslider.h"
#include "guilib/gdirotary.h"
#include "guilib/gdislider.h"
#include "guilib/skinbutton.h"
#include "guitest.h"
#include "skin/skinids.h"
#include "skin/skinmanifest.h"

namespace {

constexpr int ID = ctl::EQ_GAIN_SLIDER.first;
const SNote DOWN{WM_GDI_CTRL_DOWN, ID, 0};
SNote Move(int v) {
    return {WM_GDI_CTRL_MOVE, ID, v};
}
SNote Up(int v) {
    return {WM_GDI_CTRL_UP, ID, v};
}

// A move with the left button held, as the window system delivers it during a drag.
void Drag(QWidget* w, QPoint pt) {
    QMouseEvent ev(QEvent::MouseMove, pt, w->mapToGlobal(pt), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &ev);
}
// A move with no button held.
void Hover(QWidget* w, QPoint pt) {
    QMouseEvent ev(QEvent::MouseMove, pt, w->mapToGlobal(pt), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &ev);
}
void Press(QWidget* w, QPoint pt) {
    QTest::mousePress(w, Qt::LeftButton, {}, pt);
}
void Release(QWidget* w, QPoint pt) {
    QTest::mouseRelease(w, Qt::LeftButton, {}, pt);
}

// The sliders of the window: the horizontal sensitivity slider (170 x 28, 0..14) and the equalizer
// gain fader (34 x 119, 0..24, vertical and inverted).
CGdiSlider* HorizontalSlider(QWidget* pParent) {
    auto* s = new CGdiSlider(pParent);
    s->SetDlgCtrlID(ID);
    s->setGeometry(10, 10, 170, 28);
    s->SetIconImage(SkinId::HSLIDER_THUMB, "PNG", 0, 0, 28, 28);
    s->SetIconFill(SkinId::HSLIDER_FILL, "PNG", 4, 8);
    s->SetIconBGImage(SkinId::HSLIDER_TRACK, "PNG", 0, 0, 170, 28);
    s->SetRange(0, 14);
    return s;
}

CGdiSlider* GainFader(QWidget* pParent) {
    auto* s = new CGdiSlider(pParent);
    s->SetDlgCtrlID(ID);
    s->setGeometry(200, 10, 34, 119);
    s->SetIconImage(SkinId::FADER_STRIP, "PNG", 0, 0, 34, 31);
    s->SetIconBGImage(SkinId::FADER_TRACK, "PNG", 15, 0, 8, 107);
    s->SetRange(0, 24);
    s->SetVertical(true);
    s->SetInverted(true);
    s->SetPos(15);
    return s;
}

struct SPressCase {
    bool bFader;
    QPoint pt;
    std::vector<SNote> expected;
};

} // namespace

TEST(GdiSlider, PressJumpsToThePointAndPostsTheMoveBeforeTheDown) {
    const std::vector<SPressCase> cases = {
        {false, {85, 14}, {Move(7), DOWN}},
        {false, {0, 14}, {Move(0), DOWN}},    // held at the first thumb centre
        {false, {169, 14}, {Move(14), DOWN}}, // and at the last
        {true, {17, 20}, {Move(23), DOWN}},   // stored 1, reported inverted
        {true, {17, 118}, {Move(0), DOWN}},   // bottom end
        {true, {17, 48}, {DOWN}},             // on the thumb: no jump
    };
    for (const auto& c : cases) {
        CRecorder parent;
        CGdiSlider* s = c.bFader ? GainFader(&parent) : HorizontalSlider(&parent);
        Press(s, c.pt);
        EXPECT_EQ(parent.Delivered(), 0u) << "notifications are posted, not sent";
        EXPECT_EQ(parent.Take(), c.expected) << "press at " << c.pt.x() << "," << c.pt.y();
        EXPECT_TRUE(s->IsDragging());
        Release(s, c.pt);
        EXPECT_EQ(parent.Take(), std::vector<SNote>{Up(s->GetStoredPos())});
    }
}

TEST(GdiSlider, DragBeyondHundredPixelsEndsItForGood) {
    // 100 pixels beyond a side of the 170 x 28 control is still inside the allowance, 101 is not.
    const struct {
        QPoint ptLimit, ptBeyond;
    } sides[] = {
        {{270, 14}, {271, 14}}, {{-100, 14}, {-101, 14}}, {{85, 128}, {85, 129}}, {{85, -100}, {85, -101}}};
    for (const auto& side : sides) {
        CRecorder parent;
        CGdiSlider* s = HorizontalSlider(&parent);
        Press(s, {85, 14});
        Drag(s, side.ptLimit);
        EXPECT_TRUE(s->IsDragging());
        parent.Take();
        Drag(s, side.ptBeyond);
        EXPECT_FALSE(s->IsDragging());
        EXPECT_EQ(parent.Take(), std::vector<SNote>{Up(s->GetStoredPos())});
        Drag(s, {40, 14}); // back over the control with the button still down: no resumption
        Drag(s, {150, 14});
        Release(s, {400, 300}); // released away from it: the capture is gone, nothing more
        EXPECT_TRUE(parent.Take().empty());
    }
}

TEST(GdiSlider, InvertedFaderStoresTheMirrorAndReportsTheValue) {
    CRecorder parent;
    CGdiSlider* s = GainFader(&parent);
    EXPECT_EQ(s->GetStoredPos(), 9);
    EXPECT_EQ(s->GetPos(), 15);
    Press(s, {17, 60});
    for (int y : {60, 30, 100, 5, 118, 70})
        Drag(s, {17, y});
    Release(s, {17, 70});
    const auto notes = parent.Take();
    ASSERT_GE(notes.size(), 4u);
    EXPECT_EQ(notes[1], DOWN);
    std::vector<int> moved;
    for (const auto& n : notes)
        if (n.nMessage == WM_GDI_CTRL_MOVE) moved.push_back(n.nValue);
    // press and drag at y 60 -> stored 12, 30 -> 3, 100 -> 23, 5 -> 0 (clamped), 118 -> 24, 70 -> 14
    EXPECT_EQ(moved, (std::vector<int>{12, 12, 21, 1, 24, 0, 10}));
    EXPECT_EQ(notes.back(), Up(14)) << "the release reports the stored position";
    EXPECT_EQ(s->GetPos(), 10);

    // Out-of-range values clamp to the ends.
    s->SetPos(-5);
    EXPECT_EQ(s->GetPos(), 0);
    s->SetPos(30);
    EXPECT_EQ(s->GetPos(), 24);
}

// Stored position after each stepping key, from stored 9 in 0..24 with a page step of 20.
struct SKeyCase {
    Qt::Key key;
    int nStored;
};
const std::vector<SKeyCase> kKeys = {
    {Qt::Key_PageUp, 24}, {Qt::Key_PageDown, 0}, {Qt::Key_End, 0},   {Qt::Key_Home, 24},
    {Qt::Key_Left, 10},   {Qt::Key_Up, 8},       {Qt::Key_Right, 8}, {Qt::Key_Down, 10},
};

TEST(GdiSlider, KeysStepTheStoredPositionAndReportTheValue) {
    for (const auto& k : kKeys) {
        CRecorder parent;
        CGdiSlider* s = GainFader(&parent);
        QTest::keyClick(s, k.key);
        EXPECT_EQ(s->GetStoredPos(), k.nStored) << "key " << k.key;
        EXPECT_EQ(parent.Take(), std::vector<SNote>{Move(24 - k.nStored)}) << "key " << k.key;
    }
    CRecorder parent;
    CGdiSlider* s = HorizontalSlider(&parent); // not inverted: the value is the stored position
    s->SetPos(9);
    QTest::keyClick(s, Qt::Key_Left);
    QTest::keyClick(s, Qt::Key_A); // not a stepping key
    EXPECT_EQ(parent.Take(), std::vector<SNote>{Move(10)});
}

TEST(GdiActiveSlider, KeysFollowTheSameTable) {
    for (const auto& k : kKeys) {
        CRecorder parent;
        CGdiActiveSlider a(&parent);
        a.SetDlgCtrlID(ID);
        a.SetRange(0, 24);
        a.SetPos(9);
        QTest::keyClick(&a, k.key);
        EXPECT_EQ(a.GetPos(), k.nStored);
        EXPECT_EQ(parent.Take(), std::vector<SNote>{Move(k.nStored)}) << "key " << k.key;
    }
}

// A press leaves the knob where it is; a drag turns it from there: right and up turn it up, left and
// down turn it down, at 2 / (diagonal / range) = 1.7923 steps per pixel, anywhere the pointer goes.
TEST(GdiRotary, APressLeavesItAndADragTurnsItFromThere) {
    CRecorder parent;
    CGdiRotary k(&parent);
    k.SetDlgCtrlID(ID);
    k.setGeometry(0, 0, 101, 101);
    k.SetIconImage(SkinId::KNOB_STRIP, "PNG", 0, 4, 101, 101);
    k.SetIconBGImage(SkinId::RING_MAIN, "PNG", 0, 0, 101, 90);
    k.SetRange(0, 128);
    k.SetPos(70);
    CTraceCapture trace;
    Press(&k, {50, 50});
    EXPECT_EQ(parent.Take(), std::vector<SNote>{DOWN});
    EXPECT_EQ(k.GetPos(), 70);
    EXPECT_TRUE(trace.Has("\r\n OnLButtonDown"));
    const struct {
        QPoint pt;
        int nPos; // -1: unchanged, nothing posted
    } moves[] = {
        {{60, 50}, 87},   {{50, 40}, -1}, {{60, 40}, 105}, // right, up, both
        {{40, 50}, 53},   {{50, 60}, -1}, {{40, 60}, 35},  // left, down, both
        {{60, 60}, 70},                                    // right and down cancel out
        {{150, 50}, 128}, {{50, 400}, 0},                  // clamped, also beyond the control
    };
    for (const auto& m : moves) {
        Drag(&k, m.pt);
        const std::vector<SNote> expected =
            m.nPos < 0 ? std::vector<SNote>{} : std::vector<SNote>{Move(m.nPos)};
        EXPECT_EQ(parent.Take(), expected) << m.pt.x() << "," << m.pt.y();
    }
    Release(&k, {50, 400});
    EXPECT_EQ(parent.Take(), std::vector<SNote>{Up(0)});
    EXPECT_TRUE(trace.Has("\r\n OnLButtonUp"));
    // A click alone changes nothing, wherever the knob stands.
    Press(&k, {20, 80});
    Release(&k, {20, 80});
    EXPECT_EQ(parent.Take(), (std::vector<SNote>{DOWN, Up(0)}));
}

TEST(GdiRotary, EmptyRangeIgnoresDragsWithATrace) {
    CRecorder parent;
    CGdiRotary k(&parent);
    k.SetDlgCtrlID(ID);
    k.resize(42, 42);
    k.SetRange(5, 5);
    CTraceCapture trace;
    Press(&k, {10, 30});
    Drag(&k, {40, 0});
    EXPECT_EQ(k.GetPos(), 0);
    EXPECT_TRUE(trace.Has("\r\n UpdatePosition m_fStep[0]m_nRange[0]"));
}

// The icon is grabbed where it is pressed: a click leaves it (nothing but the press and the
// release), a drag moves its picture by the pixels dragged, to within one step, either way round.
TEST(GdiActiveSlider, IsGrabbedWhereItIsPressed) {
    const struct {
        bool bInverted;
        int nStart; // the stored position
        int dx;     // the drag
        int nEnd;   // the position it reaches, -1 where only the pixels are checked
    } cases[] = {
        {false, 4, 20, -1},  {false, 15, -33, -1}, {true, 4, 20, -1}, {true, 15, -33, -1},
        {false, 4, 400, 22}, {false, 4, -400, 0},  {true, 4, 400, 0}, {true, 4, -400, 22},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "inverted " << c.bInverted << " from " << c.nStart << " by " << c.dx);
        CRecorder parent;
        CGdiActiveSlider a(&parent);
        a.SetDlgCtrlID(ID);
        a.setGeometry(0, 0, 150, 42);
        const auto ids = SkinId::SpeakerIconSet(0);
        a.SetIconsInactive({ids[0], ids[1], ids[2], ids[3], ids[4], ids[5]});
        a.SetRange(0, 22);
        a.SetInverted(c.bInverted);
        a.SetPos(c.nStart);
        const int xIcon = a.PosToPixel(c.nStart);
        const QPoint ptGrab(xIcon + 10, 20); // on the icon, off its left edge
        Press(&a, ptGrab);
        Release(&a, ptGrab);
        EXPECT_EQ(parent.Take(), (std::vector<SNote>{DOWN, Up(c.nStart)}));

        Press(&a, ptGrab);
        Drag(&a, ptGrab + QPoint(c.dx, 0));
        Release(&a, ptGrab + QPoint(c.dx, 0));
        const int nEnd = a.GetPos();
        EXPECT_EQ(parent.Take(), (std::vector<SNote>{DOWN, Move(nEnd), Up(nEnd)}));
        if (c.nEnd >= 0) {
            EXPECT_EQ(nEnd, c.nEnd);
        } else {
            const double fStep = (150 - a.GetIconSize().width()) / 22.0;
            const int nMoved = a.PosToPixel(nEnd) - xIcon;
            EXPECT_LE(std::abs(nMoved), std::abs(c.dx));
            EXPECT_GT(std::abs(nMoved), std::abs(c.dx) - fStep - 1);
            EXPECT_EQ(nMoved < 0, c.dx < 0);
        }
    }
}

TEST(GdiActiveSlider, StateChoosesTheIconSizeAndLooks) {
    CRecorder parent;
    CGdiActiveSlider a(&parent);
    const auto ids = SkinId::SpeakerIconSet(2);
    a.SetIconsInactive({ids[0], ids[1], ids[2], ids[3], ids[4], ids[5]});
    a.SetIconsActive({ids[6], ids[7], ids[8], ids[9], ids[10], ids[11]});
    EXPECT_EQ(a.GetIconSize(), QSizeF(30, 30));
    EXPECT_TRUE(a.SetState(2));
    EXPECT_EQ(a.GetIconSize(), QSizeF(42, 42));
    for (int nBad : {3, -1}) {
        CTraceCapture trace;
        EXPECT_FALSE(a.SetState(nBad));
        EXPECT_TRUE(trace.Has("!!!!!!!ERROR index[" + std::to_string(nBad) + "] \r\n"));
        EXPECT_EQ(a.GetState(), 2);
    }
    const int looks[2][2] = {{1, 3}, {0, 2}}; // [selected][active]
    for (int s = 0; s < 2; ++s)
        for (int t = 0; t < 2; ++t) {
            a.SetSelected(s);
            a.SetActive(t);
            EXPECT_EQ(a.GetLook(), looks[s][t]);
        }
}

TEST(GdiActiveSlider, FocusSelects) {
    CRecorder parent;
    CGdiActiveSlider a(&parent);
    a.SetSelected(false);
    QFocusEvent focus(QEvent::FocusIn, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(&a, &focus);
    EXPECT_TRUE(a.IsSelected());
}

TEST(SkinControls, HoverIsReportedOnceAndEndsOnLeave) {
    CRecorder parent;
    std::vector<CSkinCtrl*> controls = {new CGdiSlider(&parent), new CGdiRotary(&parent),
                                        new CGdiActiveSlider(&parent), new CSkinButton(&parent),
                                        new CSkinButton2(&parent)};
    for (size_t i = 0; i < controls.size(); ++i) {
        CSkinCtrl* c = controls[i];
        c->SetDlgCtrlID(int(3000 + i));
        c->setGeometry(0, 0, 40, 40);
        Hover(c, {5, 5});
        Hover(c, {6, 7});
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(c, &leave);
        QCoreApplication::sendEvent(c, &leave); // a second leave without a hover reports nothing
        const int id = int(3000 + i);
        EXPECT_EQ(parent.Take(true), (std::vector<SNote>{{WM_CTRL_HOVER, id, 1}, {WM_CTRL_HOVER, id, 0}}))
            << "control " << i;
    }
}

TEST(GdiPlusBitmapResource, LoadsSkinImagesAndRefusesEverythingElse) {
    CGdiPlusBitmapResource bmp;
    ASSERT_TRUE(bmp.Load(SkinId::FADER_STRIP, "PNG"));
    EXPECT_EQ(bmp.GetWidth(), FindSkinImage(SkinId::FADER_STRIP)->nWidth);
    EXPECT_EQ(bmp.GetHeight(), FindSkinImage(SkinId::FADER_STRIP)->nHeight);
    EXPECT_FALSE(bmp.Load(99999, "PNG")) << "no such image";
    EXPECT_FALSE(bmp.IsLoaded());
    EXPECT_FALSE(bmp.Load(SkinId::FADER_STRIP, "BMP")) << "no such type";
    EXPECT_FALSE(bmp.Load(SkinId::FADER_STRIP, nullptr));
    const QByteArray png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    for (const QByteArray& bad : {QByteArray(), QByteArray("not a picture"), png}) {
        EXPECT_FALSE(bmp.LoadFromData(bad));
        EXPECT_EQ(bmp.Image(), nullptr);
    }
}

TEST(SkinControls, FailedImagesLeaveTheSlotEmptyWithTheirTrace) {
    CGdiSlider s;
    CGdiRotary k;
    const struct {
        std::function<bool()> fnSet;
        const char* pszTrace;
    } cases[] = {
        {[&] { return s.SetIconImage(99999, "PNG", 0, 0, 28, 28); }, "!!!!!!!ERROR SetIconImage \r\n"},
        {[&] { return s.SetIconBGImage(99999, "PNG", 0, 0, 28, 28); }, "!!!!!!!ERROR SetIconBGImage \r\n"},
        {[&] { return s.SetIconFill(99999, "PNG", 0, 0); }, "!!!!!!!ERROR SetIconBGImage \r\n"},
        {[&] { return k.SetIconImage(99999, "PNG", 0, 0, 42, 42); }, "!!!!!!!ERROR SetIconImage \r\n"},
        {[&] { return k.SetIconBGImage(99999, "PNG", 0, 0, 42, 42); }, "!!!!!!!ERROR SetIconBGImage \r\n"},
    };
    for (const auto& c : cases) {
        CTraceCapture trace;
        EXPECT_FALSE(c.fnSet());
        EXPECT_TRUE(trace.Has(c.pszTrace)) << c.pszTrace;
    }
    EXPECT_EQ(s.GetFrames(), 0);
    // Painting with nothing loaded draws nothing and does not fail.
    s.resize(40, 40);
    k.resize(40, 40);
    EXPECT_FALSE(s.grab().isNull());
    EXPECT_FALSE(k.grab().isNull());
}

TEST(SkinControls, TheParentShowsThroughWhereNothingIsDrawn) {
    QWidget parent;
    parent.resize(100, 150);
    parent.setAutoFillBackground(true);
    QPalette pal = parent.palette();
    pal.setColor(QPalette::Window, QColor(10, 200, 30));
    parent.setPalette(pal);
    CGdiSlider* s = GainFader(&parent); // at (200, 10) in the recorder; here at the origin
    s->move(0, 0);
    const QImage image = parent.grab().toImage();
    EXPECT_EQ(image.pixelColor(2, 100), QColor(10, 200, 30)) << "beside the track";
    EXPECT_NE(image.pixelColor(18, 100), QColor(10, 200, 30)) << "on the track";
}

// What every dragged control shares: only the left button drags; the capture brings the release
// wherever it happens, once; the form's position waits until the drag is over.
TEST(DraggedControls, ShareTheCaptureTheButtonAndTheFormState) {
    struct SCase {
        const char* pszName;
        std::function<CDragCtrl*(QWidget*)> make;
        std::function<int(CDragCtrl*)> stored; // the position the release reports
        std::function<int(CDragCtrl*)> pos;    // the position the form sets
    };
    const SCase cases[] = {
        {"slider", [](QWidget* p) { return HorizontalSlider(p); },
         [](CDragCtrl* c) { return static_cast<CGdiSlider*>(c)->GetStoredPos(); },
         [](CDragCtrl* c) { return static_cast<CGdiSlider*>(c)->GetPos(); }},
        {"speaker icon",
         [](QWidget* p) {
             auto* a = new CGdiActiveSlider(p);
             a->SetDlgCtrlID(ID);
             a->setGeometry(10, 10, 150, 42);
             a->SetRange(0, 22);
             return a;
         },
         [](CDragCtrl* c) { return static_cast<CGdiActiveSlider*>(c)->GetPos(); },
         [](CDragCtrl* c) { return static_cast<CGdiActiveSlider*>(c)->GetPos(); }},
        {"knob",
         [](QWidget* p) {
             auto* k = new CGdiRotary(p);
             k->SetDlgCtrlID(ID);
             k->setGeometry(10, 10, 101, 101);
             k->SetRange(0, 128);
             return k;
         },
         [](CDragCtrl* c) { return static_cast<CGdiRotary*>(c)->GetPos(); },
         [](CDragCtrl* c) { return static_cast<CGdiRotary*>(c)->GetPos(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        CRecorder parent;
        CDragCtrl* pCtrl = c.make(&parent);
        QTest::mousePress(pCtrl, Qt::RightButton, {}, {20, 14});
        QTest::mouseRelease(pCtrl, Qt::RightButton, {}, {20, 14});
        EXPECT_FALSE(pCtrl->IsDragging());
        EXPECT_TRUE(parent.Take().empty());

        Press(pCtrl, {20, 14});
        EXPECT_TRUE(pCtrl->IsDragging());
        const std::vector<SNote> pressed = parent.Take();
        ASSERT_FALSE(pressed.empty());
        EXPECT_EQ(pressed.back(), DOWN);
        const int nDragged = c.pos(pCtrl);
        SControlState state;
        state.nPos = 5;
        pCtrl->ApplyState(state); // the form lags behind the hand: ignored
        EXPECT_EQ(c.pos(pCtrl), nDragged);

        Release(pCtrl, {500, 380}); // far away, yet captured
        EXPECT_FALSE(pCtrl->IsDragging());
        EXPECT_EQ(parent.Take(), std::vector<SNote>{Up(c.stored(pCtrl))});
        Release(pCtrl, {500, 380}); // the capture went with the first release
        EXPECT_TRUE(parent.Take().empty());

        pCtrl->ApplyState(state);
        EXPECT_EQ(c.pos(pCtrl), 5);
    }
}

TEST(GdiActiveSlider, FormStateSelectsAndActivates) {
    CRecorder parent;
    CGdiActiveSlider a(&parent);
    SControlState state;
    state.bToggle = 1;
    state.nState = 2;
    a.ApplyState(state);
    EXPECT_TRUE(a.IsSelected());
    EXPECT_TRUE(a.IsActive());
    state.bToggle = 0;
    state.nState = 0;
    a.ApplyState(state);
    EXPECT_FALSE(a.IsSelected());
    EXPECT_FALSE(a.IsActive());
}

// A value control reached by Tab shows where the keys go: a dotted frame in the skin's accent; one
// that a click focused (the start of a drag) shows none.
TEST(SkinControls, TabShowsTheFocusFrameAndAClickDoesNot) {
    QWidget parent;
    parent.resize(400, 200);
    CGdiSlider* pSlider = HorizontalSlider(&parent);
    auto* pKnob = new CGdiRotary(&parent);
    pKnob->setGeometry(200, 10, 101, 101);
    pKnob->SetIconImage(SkinId::KNOB_STRIP, "PNG", 0, 4, 101, 101);
    pKnob->SetRange(0, 128);
    auto* pIcon = new CGdiActiveSlider(&parent);
    pIcon->setGeometry(10, 120, 150, 42);
    const auto ids = SkinId::SpeakerIconSet(0);
    pIcon->SetIconsInactive({ids[0], ids[1], ids[2], ids[3], ids[4], ids[5]});
    pIcon->SetRange(0, 22);
    parent.show();
    parent.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&parent));
    auto framePixels = [](CSkinCtrl* p) {
        const QImage image = p->grab().toImage();
        int n = 0;
        for (int x = 0; x < image.width(); ++x)
            n += image.pixelColor(x, 0) == QColor(240, 150, 30);
        return n;
    };
    for (CSkinCtrl* p : std::initializer_list<CSkinCtrl*>{pSlider, pKnob, pIcon}) {
        parent.setFocus(); // the window gave its first control the focus when it came up
        p->setFocus(Qt::TabFocusReason);
        EXPECT_TRUE(p->HasKeyboardFocus());
        EXPECT_GT(framePixels(p), p->width() / 4); // dotted
        parent.setFocus();
        EXPECT_FALSE(p->HasKeyboardFocus());
        p->setFocus(Qt::MouseFocusReason);
        EXPECT_FALSE(p->HasKeyboardFocus());
        EXPECT_EQ(framePixels(p), 0);
    }
}
