// The window tells the truth: after any gesture the main view shows exactly what a window freshly
// opened on the same model shows, and keys, focus and texts behave as a user expects.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QUrl>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "comm/comnames.h"
#include "editor/controlids.h"
#include "editor/history.h"
#include "graph/filtergraphic.h"
#include "graph/systemgraph.h"
#include "guilib/gdiactiveslider.h"
#include "guilib/gdirotary.h"
#include "guilib/gdislider.h"
#include "guilib/skinbutton.h"
#include "sim/simprocessor.h"
#include "skin/skinlayout.h"
#include "skin/skinmanifest.h"
#include "tests/wavr/viewsettle.h"
#include "tuning/eqimport.h"
#include "wavr/abswitch.h"
#include "wavr/eqtools.h"
#include "wavr/mainfrm.h"
#include "wavr/uilanguage.h"
#include "wavr/wavrview.h"

namespace {

void Settle(int nMs) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < nMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// Everything a window shows of the model (the parameter store is copied record by record).
void CopyModel(const CSettingsModel& a, CSettingsModel& b) {
    auto copy = [](const auto& from, auto& to) { std::memcpy(&to, &from, sizeof to); };
    b.m_nCurPreset = a.m_nCurPreset;
    b.m_nPage = a.m_nPage;
    b.m_nChannel = a.m_nChannel;
    b.m_bPair = a.m_bPair;
    b.m_nSoloMask = a.m_nSoloMask;
    b.m_nMainVolume = a.m_nMainVolume;
    copy(a.m_nVolume, b.m_nVolume);
    copy(a.m_bPhase, b.m_bPhase);
    copy(a.m_bMute, b.m_bMute);
    b.m_bEasyExp = a.m_bEasyExp;
    b.m_nDSPInput = a.m_nDSPInput;
    b.m_nDSPExpInput = a.m_nDSPExpInput;
    b.m_bEasyConfigInputHighLow = a.m_bEasyConfigInputHighLow;
    b.m_bExpertConfigInputHighLow = a.m_bExpertConfigInputHighLow;
    b.m_nEasyConfigInputSensitivity = a.m_nEasyConfigInputSensitivity;
    copy(a.m_nInputSensitivityMain, b.m_nInputSensitivityMain);
    copy(a.m_nInputSensitivityAux, b.m_nInputSensitivityAux);
    b.m_nDSPInputChannel = a.m_nDSPInputChannel;
    b.m_nDSPInputAuxChannel = a.m_nDSPInputAuxChannel;
    copy(a.m_nDSPOutput, b.m_nDSPOutput);
    copy(a.m_MapM, b.m_MapM);
    copy(a.m_MapA, b.m_MapA);
    copy(a.m_MapD, b.m_MapD);
    copy(a.m_bEqEnable, b.m_bEqEnable);
    copy(a.m_bXoverEnable, b.m_bXoverEnable);
    copy(a.m_nXoverType, b.m_nXoverType);
    copy(a.m_nDelay, b.m_nDelay);
    copy(a.m_fDelayMs, b.m_fDelayMs);
    b.m_bConnected = a.m_bConnected;
    for (std::uint8_t ch = 0; ch < CRev8001Lib::CHANNELS; ++ch) {
        for (std::uint8_t n = 0; n < CRev8001Lib::EQ_BANDS; ++n)
            b.m_Lib.SetEqCoef(ch, n, a.m_Lib.GetEqCoef(ch, n));
        for (std::uint8_t n = 0; n < CRev8001Lib::XOVER_FILTERS; ++n)
            b.m_Lib.SetXoverCoef(ch, n, a.m_Lib.GetXoverCoef(ch, n));
        b.m_Lib.SetVeqCoef(ch, a.m_Lib.GetVeqCoef(ch));
        b.m_Lib.SetEqFlag(ch, a.m_Lib.GetEqFlag(ch));
        b.m_Lib.SetXoverFlag(ch, a.m_Lib.GetXoverFlag(ch));
        b.m_Lib.SetVeqFlag(ch, a.m_Lib.GetVeqFlag(ch));
    }
}

// A window on the start-up model, shown and active, without a device search.
class CWindow {
public:
    CWindow() {
        InitSkinResources();
        m_pView = new CWAVRView;
        m_pView->Core().Start(false);
        m_pView->SyncFromForm();
        m_pView->show();
        Activate();
    }
    ~CWindow() {
        if (m_pFrame)
            delete m_pFrame; // with the view in it
        else
            delete m_pView;
    }
    // The view in the main window, with its menu bar, as a user sees it.
    void Frame() {
        m_pFrame = new CMainFrame(m_pView);
        m_pFrame->show();
        m_pFrame->activateWindow();
        (void)QTest::qWaitForWindowActive(m_pFrame);
    }
    QImage FramePicture() {
        (void)Picture();
        return m_pFrame->grab().toImage();
    }

    CWAVRView& View() { return *m_pView; }
    CEditorCore& Core() { return m_pView->Core(); }
    CSettingsModel& Model() { return m_pView->Core().Model(); }

    void Activate() {
        m_pView->activateWindow();
        (void)QTest::qWaitForWindowActive(m_pView);
    }

    void Settle() { SettleView(*m_pView); }

    // The working link opened straight onto a simulated processor on its pseudo-terminal, at address 0,
    // without a search.
    void OpenLink(Sim::CSimProcessor& sim) {
        ASSERT_TRUE(sim.Start());
        const int nPort = ZUtils::RegisterExtraPort(sim.PortPath());
        Model().m_Search.m_bSlaveFound[0] = 1;
        Core().Protocol().m_hWnd = m_pView;
        ASSERT_EQ(Core().Protocol().Open(nPort), 1);
    }

    template <class T> T* Control(int nId) {
        for (QWidget* p : m_pView->findChildren<QWidget*>())
            if (auto* pCtrl = dynamic_cast<T*>(p); pCtrl && pCtrl->GetDlgCtrlID() == nId) return pCtrl;
        return nullptr;
    }
    CViewEdit* Edit(int nId) {
        for (CViewEdit* p : m_pView->findChildren<CViewEdit*>())
            if (p->Id() == nId) return p;
        return nullptr;
    }

    // Gestures as a user makes them.
    void Click(int nId) {
        CSkinButtonBase* p = Control<CSkinButtonBase>(nId);
        ASSERT_NE(p, nullptr) << nId;
        ASSERT_TRUE(p->isVisible()) << nId;
        QTest::mouseClick(p, Qt::LeftButton, {}, QPoint(p->width() / 2, p->height() / 2));
        Settle();
    }
    void Type(int nId, const char* pszText) {
        CViewEdit* p = Edit(nId);
        ASSERT_NE(p, nullptr) << nId;
        ASSERT_TRUE(p->isVisible()) << nId;
        p->setFocus();
        p->selectAll();
        QTest::keyClicks(p, pszText);
        QTest::keyClick(p, Qt::Key_Return);
        Settle();
    }
    void Key(int nId, Qt::Key key) {
        CViewEdit* p = Edit(nId);
        ASSERT_NE(p, nullptr) << nId;
        p->setFocus();
        QTest::keyClick(p, key);
        Settle(); // the release commits after its auto-repeat grace
    }
    void Wheel(int nId, int nDelta) {
        CViewEdit* p = Edit(nId);
        ASSERT_NE(p, nullptr) << nId;
        p->setFocus();
        const QPointF pt(p->width() / 2.0, p->height() / 2.0);
        QWheelEvent e(pt, p->mapToGlobal(pt), QPoint(), QPoint(0, nDelta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(p, &e);
        Settle(); // the wheel pause
    }
    // Press at one point, drag to another, release.
    void Drag(int nId, QPoint from, QPoint to) {
        QWidget* p = Control<CSkinCtrl>(nId);
        ASSERT_NE(p, nullptr) << nId;
        ASSERT_TRUE(p->isVisible()) << nId;
        QTest::mousePress(p, Qt::LeftButton, {}, from);
        QTest::mouseMove(p, (from + to) / 2);
        QTest::mouseMove(p, to);
        QTest::mouseRelease(p, Qt::LeftButton, {}, to);
        Settle();
    }

    // What the window shows now, with the keyboard focus parked on the view (no caret, no selection).
    QImage Picture() {
        Settle(); // the graph redraw comes 50 ms after an edit
        m_pView->setFocus();
        m_pView->SyncFromForm();
        m_nAnimation = Core().AnimationFrame(); // the pulsing disc runs on
        return m_pView->grab().toImage();
    }

    // What a window freshly opened on the same model shows.
    QImage FreshPicture() {
        CWAVRView fresh;
        fresh.setAttribute(Qt::WA_DontShowOnScreen);
        CEditorCore& core = fresh.Core();
        CopyModel(Model(), core.Model());
        CSettingsModel& m = core.Model();
        m.m_bGraphTimerArmed = 0;
        const int nPage = m.m_nPage;
        static const int kTab[5] = {ctl::TAB_CONFIG, ctl::TAB_CONFIG, ctl::TAB_EQ, ctl::TAB_XOVER,
                                    ctl::TAB_DELAY};
        core.Form().SetToggle(kTab[nPage], 1);
        core.Form().SetToggle(ctl::MODE_SWITCH, m.m_bEasyExp);
        core.IoConfig().ShowModeSelectors();
        core.Pages().ShowPageControls(nPage);
        if (nPage == CPages::PAGE_STANDARD) core.IoConfig().SelectInputKind(-1);
        core.Pages().SelectChannel(-1);
        // The system view's switches and summed group are the window's, not the model's.
        CSystemView view = m_pView->SystemGraph()->View();
        view.SetTunings(&fresh.EqTools().Tunings());
        fresh.SystemGraph()->View() = view;
        fresh.SystemGraph()->ApplyView();
        fresh.SyncFromForm();
        fresh.show();
        QCoreApplication::processEvents();
        fresh.SyncFromForm();
        core.Pages().m_nAnimation = m_nAnimation;
        QImage image = fresh.grab().toImage();
        fresh.hide();
        return image;
    }

private:
    CWAVRView* m_pView;
    CMainFrame* m_pFrame = nullptr;
    int m_nAnimation = 0;
};

// The rectangle of the pixels that differ, empty when the pictures are equal.
QRect Difference(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return QRect(QPoint(0, 0), a.size().expandedTo(b.size()));
    const QImage x = a.convertToFormat(QImage::Format_RGB32), y = b.convertToFormat(QImage::Format_RGB32);
    QRect diff;
    for (int r = 0; r < x.height(); ++r) {
        const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(r));
        const auto* q = reinterpret_cast<const QRgb*>(y.constScanLine(r));
        for (int c = 0; c < x.width(); ++c)
            if (p[c] != q[c]) diff |= QRect(c, r, 1, 1);
    }
    return diff;
}

std::string Describe(const QRect& r) {
    return "(" + std::to_string(r.x()) + ", " + std::to_string(r.y()) + ", " + std::to_string(r.width()) +
           " x " + std::to_string(r.height()) + ")";
}

// The picture after a gesture equals the fresh window's; when not, both are kept beside the test.
void ExpectTruthful(CWindow& w, const std::string& gesture) {
    const QImage shown = w.Picture();
    const QImage fresh = w.FreshPicture();
    w.Activate();
    const QRect diff = Difference(shown, fresh);
    EXPECT_TRUE(diff.isEmpty()) << gesture << ": the window differs from a fresh one at " << Describe(diff);
    if (!diff.isEmpty()) {
        QString name = QString::fromStdString(gesture);
        name.replace(QRegularExpression("[^A-Za-z0-9]+"), "-");
        const QString dir = QCoreApplication::applicationDirPath() + "/untruthful-";
        shown.save(dir + name + "-shown.png");
        fresh.save(dir + name + "-fresh.png");
    }
}

// Pictures for the record, when MLB8_SHOT_DIR names a folder.
void Keep(CWindow& w, const char* pszName) {
    const QByteArray dir = qgetenv("MLB8_SHOT_DIR");
    if (dir.isEmpty()) return;
    w.Picture().save(QDir(QString::fromLocal8Bit(dir)).filePath(pszName));
}

} // namespace

// ---- one test per fault ----

TEST(WindowTruth, TheGainSliderFollowsASignChange) {
    CWindow w;
    w.Click(ctl::TAB_EQ);
    auto* pSlider = w.Control<CGdiSlider>(ctl::EQ_GAIN_SLIDER.first + 2);
    ASSERT_NE(pSlider, nullptr);
    const std::pair<const char*, int> steps[] = {{"6", 18}, {"-6", 6}, {"12", 24}, {"-12", 0}, {"0", 12}};
    for (auto [text, nPos] : steps) {
        w.Type(ctl::EQ_GAIN_BOX.first + 2, text);
        EXPECT_EQ(pSlider->GetPos(), nPos) << text;
    }
}

TEST(WindowTruth, AHeldArrowKeyCommitsOnceOnItsRealRelease) {
    Sim::CSimProcessor sim;
    CWindow w;
    ASSERT_NO_FATAL_FAILURE(w.OpenLink(sim));
    CViewEdit* pBox = w.Edit(ctl::MAIN_LEVEL_BOX);
    pBox->setFocus();
    const int nBefore = w.Model().m_nMainVolume;
    // X repeats a held key as release/press pairs with one time stamp; Qt marks them as repeats only
    // when it sees the press in time, so both kinds come here.
    auto send = [&](QEvent::Type type, bool bRepeat, unsigned long nTime) {
        QKeyEvent e(type, Qt::Key_Up, Qt::NoModifier, QString(), bRepeat);
        e.setTimestamp(nTime);
        QApplication::sendEvent(pBox, &e);
    };
    send(QEvent::KeyPress, false, 1000);
    for (int i = 0; i < 15; ++i) {
        const bool bMarked = i % 2 == 0;
        send(QEvent::KeyRelease, bMarked, 1300 + 60 * i);
        send(QEvent::KeyPress, bMarked, 1300 + 60 * i);
        QCoreApplication::processEvents();
    }
    send(QEvent::KeyRelease, false, 2300);
    w.Settle();
    EXPECT_EQ(w.Model().m_nMainVolume, nBefore + 16);
    int nVolumeFrames = 0;
    for (const auto& f : sim.ReceivedFrames())
        nVolumeFrames += (f[1] & 0x1F) == VA_VOLUME;
    EXPECT_EQ(nVolumeFrames, 1);
    EXPECT_EQ(sim.Running().nMainVolume, nBefore + 16);
    w.Core().Protocol().Close();
}

TEST(WindowTruth, APageChangeLeavesNoBoxThatStrayTypingCouldChange) {
    CWindow w;
    w.Click(ctl::TAB_EQ);
    w.Edit(ctl::EQ_FREQ_BOX.first + 3)->setFocus(); // the user worked in a box of the page
    const int nBefore = w.Model().m_nMainVolume;
    for (int nTab : {ctl::TAB_XOVER, ctl::TAB_DELAY, ctl::TAB_CONFIG, ctl::TAB_EQ}) {
        w.Click(nTab);
        QWidget* pFocus = QApplication::focusWidget();
        EXPECT_NE(pFocus, w.Edit(ctl::MAIN_LEVEL_BOX)) << nTab;
        EXPECT_NE(pFocus, w.Edit(ctl::CHANNEL_LEVEL_BOX)) << nTab;
        QWidget* pTarget = pFocus ? pFocus : &w.View();
        QTest::keyClicks(pTarget, "0");
        QTest::keyClick(pTarget, Qt::Key_Return);
        QTest::keyClick(pTarget, Qt::Key_Up);
        w.Settle();
        EXPECT_EQ(w.Model().m_nMainVolume, nBefore) << nTab;
    }
}

TEST(WindowTruth, EveryValueAndHelpTextFitsItsRectangle) {
    CWindow w;
    // The widest values of each kind of box.
    const std::pair<int, const char*> values[] = {
        {ctl::EQ_FREQ_BOX.first, "16000"}, {ctl::EQ_FREQ_BOX.first + 9, "20000"},
        {ctl::EQ_Q_BOX.first, "10.0"},     {ctl::EQ_GAIN_BOX.first, "-12"},
        {ctl::MAIN_LEVEL_BOX, "-64.0"},    {ctl::CHANNEL_LEVEL_BOX, "-64.0"},
        {ctl::HP_FREQ_BOX, "20000"},       {ctl::LP_SLOPE_BOX, "48"},
        {ctl::EASY_SENS_BOX, "21.6"},      {ctl::EXP_SENS_BOX.first, "21.6"},
        {ctl::AUX_SENS_BOX.first, "5.5"},  {ctl::DELAY_MS_BOX, "170.65"},
        {ctl::DELAY_CM_BOX, "5858.2"},     {ctl::DELAY_IN_BOX, "2306.4"},
    };
    for (auto [nId, text] : values) {
        CViewEdit* p = w.Edit(nId);
        ASSERT_NE(p, nullptr) << nId;
        p->setText(text);
        const QFontMetrics fm(p->font());
        EXPECT_LE(fm.horizontalAdvance(text), p->width() - 4) << nId << " " << text;
        EXPECT_GE(p->font().pixelSize(), 8) << nId << " " << text;
    }
    // Every help text, whole, inside the help area.
    const QSize room(SkinLayout::HELP_TEXT.w - 4, SkinLayout::HELP_TEXT.h - 2);
    std::vector<QString> texts;
    for (const EUiLanguage language : {EUiLanguage::English, EUiLanguage::Chinese}) {
        ASSERT_TRUE(SetUiLanguage(language));
        texts.push_back(UiHelpText(TEXT_COMPARE_RESET));
    }
    for (int nId = ctl::MAIN_LEVEL_BOX; nId <= ctl::DELAY_PHASE; ++nId)
        if (const char* pszText = CHelp::HelpText(nId)) texts.push_back(QString::fromUtf8(pszText));
    for (const QString& text : texts) {
        const std::string nId = text.left(30).toStdString();
        QString laidOut;
        QFont f;
        f.setPixelSize(HelpTextPixelSize(text, room, &laidOut));
        const QRect need = QFontMetrics(f).boundingRect(QRect(QPoint(0, 0), room),
                                                        Qt::TextWordWrap | Qt::AlignLeft, laidOut);
        EXPECT_LE(need.height(), room.height()) << nId;
        EXPECT_LE(need.width(), room.width()) << nId;
        EXPECT_GE(f.pixelSize(), 8) << nId;
    }
}

// Found by the rule below: a refresh of the window (a timer, a reply) between a click and its
// notification set the button back, and the crossover type was taken from the stale state.
TEST(WindowTruth, AToggleClickSurvivesARefreshBeforeItsNotification) {
    CWindow w;
    w.Click(ctl::TAB_XOVER);
    auto* pBandPass = w.Control<CSkinButtonBase>(ctl::XOVER_BP);
    ASSERT_NE(pBandPass, nullptr);
    QTest::mousePress(pBandPass, Qt::LeftButton, {}, QPoint(40, 15));
    QTest::mouseRelease(pBandPass, Qt::LeftButton, {}, QPoint(40, 15));
    w.View().SyncFromForm(); // what the graph timer does 50 ms after the page was opened
    Settle(30);
    EXPECT_EQ(w.Model().m_bXoverEnable[0], 1);
    EXPECT_EQ(w.Model().m_nXoverType[0][0], FT_LOWPASS);
    EXPECT_EQ(w.Model().m_nXoverType[0][1], FT_HIGHPASS);
    EXPECT_TRUE(w.Control<CGdiSlider>(ctl::HP_SLIDER)->isVisible());
}

// A knob or speaker icon moves from where it is pressed: one click on a level knob, a Q knob or a
// speaker icon changes nothing and sends nothing (the icon selects its output); a drag up turns a
// level up, a drag down turns it down, from where it stood.
TEST(WindowTruth, AClickOnAKnobOrSpeakerChangesNothing) {
    Sim::CSimProcessor sim;
    CWindow w;
    ASSERT_NO_FATAL_FAILURE(w.OpenLink(sim));
    CSettingsModel& m = w.Model();
    m.m_nMainVolume = 104;                 // -12 dB
    m.m_nVolume[0] = m.m_nVolume[1] = 116; // Out 1+2 at -6 dB
    m.m_fDelayMs[2] = 2.104f;
    w.Core().Delays().SetDelaySamples(2, m.m_fDelayMs[2]);
    w.Core().Pages().SelectChannel(-1);
    w.View().SyncFromForm();
    auto click = [&](CSkinCtrl* p, QPoint pt) {
        ASSERT_NE(p, nullptr);
        ASSERT_TRUE(p->isVisible());
        QTest::mouseClick(p, Qt::LeftButton, {}, pt);
        w.Settle();
    };
    const struct {
        const char* pszName;
        std::function<void()> fnOpen; // the page the control is on
        std::function<int()> fnId;
        QPoint pt;
        const char* pszShot; // kept when MLB8_SHOT_DIR is set
    } cases[] = {
        {"channel knob", [] {}, [] { return ctl::CHANNEL_KNOB; }, {20, 80}, "knob-press.png"},
        {"master knob", [] {}, [] { return ctl::MAIN_KNOB; }, {50, 50}, nullptr},
        {"Q knob", [&] { w.Click(ctl::TAB_EQ); }, [] { return ctl::EQ_Q_KNOB.first + 2; }, {5, 30}, nullptr},
        {"speaker icon",
         [&] {
             w.Click(ctl::TAB_DELAY);
             w.Click(ctl::CHANNEL.first + 1);
         },
         [&] { return w.Core().Delays().IconOfChannel(2); },
         {30, 20},
         "speaker-click.png"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        c.fnOpen();
        const SEditSnapshot before = SEditSnapshot::Of(m);
        sim.ClearReceivedFrames();
        click(w.Control<CSkinCtrl>(c.fnId()), c.pt);
        EXPECT_EQ(SEditSnapshot::Of(m), before);
        EXPECT_TRUE(sim.ReceivedFrames().empty());
        if (c.pszShot) Keep(w, c.pszShot);
    }
    EXPECT_EQ(m.m_nChannel, 2) << "the speaker click selects its output";
    EXPECT_FLOAT_EQ(m.m_fDelayMs[2], 2.104f);

    w.Click(ctl::TAB_CONFIG);
    const struct {
        QPoint to;
        bool bUp;
    } drags[] = {{{50, 30}, true}, {{50, 70}, false}, {{70, 50}, true}, {{30, 50}, false}};
    for (const auto& d : drags) {
        const int nBefore = m.m_nMainVolume;
        sim.ClearReceivedFrames();
        w.Drag(ctl::MAIN_KNOB, {50, 50}, d.to); // 20 pixels
        EXPECT_EQ(m.m_nMainVolume > nBefore, d.bUp) << d.to.x() << "," << d.to.y();
        EXPECT_NEAR(m.m_nMainVolume, nBefore, 40) << "a short drag is a short turn";
        EXPECT_EQ(sim.Running().nMainVolume, m.m_nMainVolume);
    }
    w.Core().Protocol().Close();
}

// A click on a page tab takes the keyboard focus out of every box, also out of the top bar's boxes
// that stay on screen: a key meant for the page does not step the master level.
TEST(WindowTruth, APageTabTakesTheFocusFromEveryBox) {
    CWindow w;
    const int nBefore = w.Model().m_nMainVolume;
    for (int nTab : {ctl::TAB_EQ, ctl::TAB_XOVER, ctl::TAB_DELAY, ctl::TAB_CONFIG, ctl::MODE_SWITCH}) {
        for (int nBox : {ctl::MAIN_LEVEL_BOX, ctl::CHANNEL_LEVEL_BOX}) {
            CViewEdit* pBox = w.Edit(nBox);
            QTest::mouseClick(pBox, Qt::LeftButton, {}, QPoint(5, 5));
            ASSERT_TRUE(pBox->hasFocus());
            w.Click(nTab);
            EXPECT_EQ(dynamic_cast<CViewEdit*>(QApplication::focusWidget()), nullptr) << nTab << " " << nBox;
            QWidget* pFocus = QApplication::focusWidget() ? QApplication::focusWidget() : &w.View();
            QTest::keyClick(pFocus, Qt::Key_Up);
            w.Settle();
            EXPECT_EQ(w.Model().m_nMainVolume, nBefore) << nTab << " " << nBox;
        }
    }
}

// Walking the equalizer page with Tab, the focus is always visible: a box shows its text selected,
// a fader or a Q knob its focus frame.
TEST(WindowTruth, TabShowsWhereTheFocusIs) {
    CWindow w;
    w.Click(ctl::TAB_EQ);
    CViewEdit* pFirst = w.Edit(ctl::EQ_FREQ_BOX.first);
    QTest::mouseClick(pFirst, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_TRUE(pFirst->hasFocus());
    int nBoxes = 0, nControls = 0;
    for (int i = 0; i < 15; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* pFocus = QApplication::focusWidget();
        ASSERT_NE(pFocus, nullptr) << i;
        EXPECT_TRUE(pFocus->isVisible()) << i;
        if (auto* pBox = dynamic_cast<CViewEdit*>(pFocus)) {
            ++nBoxes;
            EXPECT_FALSE(pBox->text().isEmpty()) << i;
            EXPECT_EQ(pBox->selectedText(), pBox->text()) << "box " << pBox->Id();
        } else if (auto* pCtrl = dynamic_cast<CSkinCtrl*>(pFocus)) {
            ++nControls;
            EXPECT_TRUE(pCtrl->HasKeyboardFocus()) << "control " << pCtrl->GetDlgCtrlID();
        } else {
            ADD_FAILURE() << "the focus went to a " << pFocus->metaObject()->className();
        }
    }
    EXPECT_GT(nBoxes, 0);
    EXPECT_GT(nControls, 0);
}

// ---- the rule: after any gesture the window equals a fresh one ----

namespace {

struct SGesture {
    const char* name;
    std::function<void(CWindow&)> act;
};
const QPoint kKnobFrom(5, 96), kKnobTo(70, 30);

// Standard configuration page and the fixed frame.
const SGesture kStandardAndFrame[] = {
    {"start-up", [](CWindow&) {}},
    {"standard: input kind 4 wired", [](CWindow& w) { w.Click(ctl::INPUT_KIND.first + INPUT_4_WIRED); }},
    {"standard: architecture 2.1", [](CWindow& w) { w.Click(ctl::ARCH.first + ARCH_21); }},
    {"standard: low/high switch", [](CWindow& w) { w.Click(ctl::EASY_LOW_HIGH); }},
    {"standard: sensitivity typed", [](CWindow& w) { w.Type(ctl::EASY_SENS_BOX, "9.9"); }},
    {"standard: sensitivity typed beyond the table", [](CWindow& w) { w.Type(ctl::EASY_SENS_BOX, "99"); }},
    {"standard: sensitivity stepped", [](CWindow& w) { w.Key(ctl::EASY_SENS_BOX, Qt::Key_Down); }},
    {"standard: sensitivity wheel", [](CWindow& w) { w.Wheel(ctl::EASY_SENS_BOX, -120); }},
    {"standard: sensitivity slider drag",
     [](CWindow& w) {
         w.Drag(ctl::EASY_SENS_SLIDER, {20, 14}, {120, 14});
     }},
    {"standard: sensitivity stepper", [](CWindow& w) { w.Click(ctl::EASY_SENS_UP); }},
    {"frame: master level typed", [](CWindow& w) { w.Type(ctl::MAIN_LEVEL_BOX, "-10"); }},
    {"frame: master level typed beyond 0 dB", [](CWindow& w) { w.Type(ctl::MAIN_LEVEL_BOX, "10"); }},
    {"frame: master level stepped", [](CWindow& w) { w.Key(ctl::MAIN_LEVEL_BOX, Qt::Key_Down); }},
    {"frame: master knob drag", [](CWindow& w) { w.Drag(ctl::MAIN_KNOB, kKnobFrom, kKnobTo); }},
    {"frame: master stepper", [](CWindow& w) { w.Click(ctl::MAIN_DOWN); }},
    {"frame: single channel Out 2", [](CWindow& w) { w.Click(ctl::CHANNEL.first + 1); }},
    {"frame: channel level typed", [](CWindow& w) { w.Type(ctl::CHANNEL_LEVEL_BOX, "-3.5"); }},
    {"frame: channel knob drag", [](CWindow& w) { w.Drag(ctl::CHANNEL_KNOB, kKnobFrom, kKnobTo); }},
    {"frame: channel mute", [](CWindow& w) { w.Click(ctl::MUTE.first + 1); }},
    {"frame: pair solo", [](CWindow& w) { w.Click(ctl::PAIR_SOLO.first); }},
    {"frame: pair solo off", [](CWindow& w) { w.Click(ctl::PAIR_SOLO.first); }},
    {"frame: phase", [](CWindow& w) { w.Click(ctl::PHASE); }},
    {"standard: an architecture after the inverted pair 3+4",
     [](CWindow& w) {
         w.Click(ctl::ARCH.first + ARCH_2WAY_SUB);
         w.Click(ctl::PAIR.first + 1);
         w.Click(ctl::PHASE);
         w.Click(ctl::ARCH.first + ARCH_41);
     }},
};

// Expert configuration page.
const SGesture kExpert[] = {
    {"standard: single Out 2", [](CWindow& w) { w.Click(ctl::CHANNEL.first + 1); }},
    {"standard: Out 2 level typed", [](CWindow& w) { w.Type(ctl::CHANNEL_LEVEL_BOX, "-3.5"); }},
    {"expert: mode switch", [](CWindow& w) { w.Click(ctl::MODE_SWITCH); }},
    {"expert: AUX input", [](CWindow& w) { w.Click(ctl::EXP_INPUT.at(1)); }},
    {"expert: AUX level typed", [](CWindow& w) { w.Type(ctl::AUX_SENS_BOX.first, "3.1"); }},
    {"expert: AUX slider drag",
     [](CWindow& w) {
         w.Drag(ctl::AUX_SENS_SLIDER.first, {150, 14}, {30, 14});
     }},
    {"expert: main input", [](CWindow& w) { w.Click(ctl::EXP_INPUT.first); }},
    {"expert: routing light", [](CWindow& w) { w.Click(ctl::EXP_ROUTE_MAIN.first + 6 * 4 + 1); }},
    {"expert: level typed", [](CWindow& w) { w.Type(ctl::EXP_SENS_BOX.first, "2.0"); }},
    {"expert: level stepped", [](CWindow& w) { w.Key(ctl::EXP_SENS_BOX.at(2), Qt::Key_Up); }},
    {"expert: level wheel", [](CWindow& w) { w.Wheel(ctl::EXP_SENS_BOX.at(4), 120); }},
    {"expert: level slider drag",
     [](CWindow& w) {
         w.Drag(ctl::EXP_SENS_SLIDER.first, {20, 14}, {160, 14});
     }},
    {"expert: level stepper", [](CWindow& w) { w.Click(ctl::EXP_SENS_DOWN.first); }},
    {"expert: low/high switch", [](CWindow& w) { w.Click(ctl::EXP_HIGHLOW); }},
    {"expert: pair Out 5+6", [](CWindow& w) { w.Click(ctl::PAIR.first + 2); }},
};

// Equalizer page in standard mode: pair, then single channels with mirrored gains.
const SGesture kEqualizer[] = {
    {"equalizer: page", [](CWindow& w) { w.Click(ctl::TAB_EQ); }},
    {"equalizer: gain typed +6", [](CWindow& w) { w.Type(ctl::EQ_GAIN_BOX.first + 1, "6"); }},
    {"equalizer: gain typed -6", [](CWindow& w) { w.Type(ctl::EQ_GAIN_BOX.first + 1, "-6"); }},
    {"equalizer: gain typed beyond +12", [](CWindow& w) { w.Type(ctl::EQ_GAIN_BOX.first + 1, "40"); }},
    {"equalizer: gain typed -12", [](CWindow& w) { w.Type(ctl::EQ_GAIN_BOX.first + 1, "-12"); }},
    {"equalizer: gain stepped below -12",
     [](CWindow& w) { w.Key(ctl::EQ_GAIN_BOX.first + 1, Qt::Key_Down); }},
    {"equalizer: gain wheel", [](CWindow& w) { w.Wheel(ctl::EQ_GAIN_BOX.first + 7, 120); }},
    {"equalizer: gain slider drag",
     [](CWindow& w) {
         w.Drag(ctl::EQ_GAIN_SLIDER.first + 3, {17, 100}, {17, 20});
     }},
    {"equalizer: Q knob drag",
     [](CWindow& w) {
         w.Drag(ctl::EQ_Q_KNOB.first + 2, {2, 40}, {30, 10});
     }},
    {"equalizer: Q typed", [](CWindow& w) { w.Type(ctl::EQ_Q_BOX.first + 4, "10"); }},
    {"equalizer: Q stepped", [](CWindow& w) { w.Key(ctl::EQ_Q_BOX.first + 4, Qt::Key_Down); }},
    {"equalizer: frequency typed 16000", [](CWindow& w) { w.Type(ctl::EQ_FREQ_BOX.first + 8, "16000"); }},
    {"equalizer: frequency typed beyond 20000",
     [](CWindow& w) { w.Type(ctl::EQ_FREQ_BOX.first + 9, "25000"); }},
    {"equalizer: frequency stepped", [](CWindow& w) { w.Key(ctl::EQ_FREQ_BOX.first + 9, Qt::Key_Up); }},
    {"equalizer: frequency wheel", [](CWindow& w) { w.Wheel(ctl::EQ_FREQ_BOX.first, -120); }},
    {"equalizer: single Out 1", [](CWindow& w) { w.Click(ctl::CHANNEL.first); }},
    {"equalizer: Out 1 band 6 +6", [](CWindow& w) { w.Type(ctl::EQ_GAIN_BOX.first + 6, "6"); }},
    {"equalizer: single Out 2", [](CWindow& w) { w.Click(ctl::CHANNEL.first + 1); }},
    {"equalizer: Out 2 band 6 -6", [](CWindow& w) { w.Type(ctl::EQ_GAIN_BOX.first + 6, "-6"); }},
    {"equalizer: back to Out 1 (+6 after -6)", [](CWindow& w) { w.Click(ctl::CHANNEL.first); }},
    {"equalizer: switch off", [](CWindow& w) { w.Click(ctl::EQ_SWITCH); }},
    {"equalizer: switch on", [](CWindow& w) { w.Click(ctl::EQ_SWITCH); }},
    {"equalizer: pair Out 5+6", [](CWindow& w) { w.Click(ctl::PAIR.first + 2); }},
};

// Crossover page.
const SGesture kCrossover[] = {
    {"crossover: page", [](CWindow& w) { w.Click(ctl::TAB_XOVER); }},
    {"crossover: band-pass", [](CWindow& w) { w.Click(ctl::XOVER_BP); }},
    {"crossover: high-pass slider drag",
     [](CWindow& w) {
         w.Drag(ctl::HP_SLIDER, {30, 14}, {110, 14});
     }},
    {"crossover: high-pass frequency typed beyond 20000",
     [](CWindow& w) { w.Type(ctl::HP_FREQ_BOX, "70000"); }},
    {"crossover: low-pass frequency typed", [](CWindow& w) { w.Type(ctl::LP_FREQ_BOX, "16000"); }},
    {"crossover: low-pass frequency stepped", [](CWindow& w) { w.Key(ctl::LP_FREQ_BOX, Qt::Key_Down); }},
    {"crossover: low-pass frequency wheel", [](CWindow& w) { w.Wheel(ctl::LP_FREQ_BOX, 120); }},
    {"crossover: slope typed 300", [](CWindow& w) { w.Type(ctl::HP_SLOPE_BOX, "300"); }},
    {"crossover: slope stepped", [](CWindow& w) { w.Key(ctl::LP_SLOPE_BOX, Qt::Key_Up); }},
    {"crossover: single Out 8", [](CWindow& w) { w.Click(ctl::CHANNEL.first + 7); }},
    {"crossover: high-pass only", [](CWindow& w) { w.Click(ctl::XOVER_HP); }},
    {"crossover: high-pass off", [](CWindow& w) { w.Click(ctl::XOVER_HP); }},
};

// Time alignment, in expert mode and then in standard mode.
const SGesture kTimeAlignment[] = {
    {"time: expert mode", [](CWindow& w) { w.Click(ctl::MODE_SWITCH); }},
    {"time: page", [](CWindow& w) { w.Click(ctl::TAB_DELAY); }},
    {"time: single Out 3", [](CWindow& w) { w.Click(ctl::CHANNEL.first + 2); }},
    {"time: delay typed", [](CWindow& w) { w.Type(ctl::DELAY_MS_BOX, "3"); }},
    {"time: delay typed beyond the limit", [](CWindow& w) { w.Type(ctl::DELAY_MS_BOX, "900"); }},
    {"time: delay stepped", [](CWindow& w) { w.Key(ctl::DELAY_CM_BOX, Qt::Key_Down); }},
    {"time: delay wheel", [](CWindow& w) { w.Wheel(ctl::DELAY_IN_BOX, -120); }},
    {"time: speaker icon drag",
     [](CWindow& w) {
         w.Drag(ctl::EXPERT_SPEAKER.first + 2, {10, 10}, {60, 10});
     }},
    {"time: phase", [](CWindow& w) { w.Click(ctl::DELAY_PHASE); }},
    {"time: speaker icon click selects its output",
     [](CWindow& w) {
         w.Type(ctl::CHANNEL_LEVEL_BOX, "-6");
         QTest::mouseClick(w.Control<CSkinCtrl>(ctl::EXPERT_SPEAKER.first), Qt::LeftButton, {},
                           QPoint(10, 10));
         w.Settle();
     }},
    {"time: pair Out 3+4", [](CWindow& w) { w.Click(ctl::PAIR.first + 1); }},
    {"standard again",
     [](CWindow& w) {
         w.Click(ctl::TAB_CONFIG);
         w.Click(ctl::MODE_SWITCH);
     }},
    {"time: standard mode", [](CWindow& w) { w.Click(ctl::TAB_DELAY); }},
    {"time: single Out 1", [](CWindow& w) { w.Click(ctl::CHANNEL.first); }},
    {"time: standard speaker icon drag",
     [](CWindow& w) {
         w.Drag(w.Core().Delays().IconOfChannel(0), {10, 10}, {80, 10});
     }},
};

// Runs the gestures in order on one window; after each the window must equal a fresh one.
template <std::size_t N> void RunGestures(CWindow& w, const SGesture (&gestures)[N]) {
    for (const SGesture& g : gestures) {
        g.act(w);
        ExpectTruthful(w, g.name);
    }
}

} // namespace

TEST(WindowTruth, StandardPageAndFrameGesturesLeaveAFreshWindow) {
    CWindow w;
    RunGestures(w, kStandardAndFrame);
}

TEST(WindowTruth, ExpertPageGesturesLeaveAFreshWindow) {
    CWindow w;
    RunGestures(w, kExpert);
}

TEST(WindowTruth, EqualizerGesturesLeaveAFreshWindow) {
    CWindow w;
    RunGestures(w, kEqualizer);
}

TEST(WindowTruth, CrossoverGesturesLeaveAFreshWindow) {
    CWindow w;
    RunGestures(w, kCrossover);
}

TEST(WindowTruth, TimeAlignmentGesturesLeaveAFreshWindow) {
    CWindow w;
    RunGestures(w, kTimeAlignment);
}

// Pictures for a reader of the change (kept only when MLB8_SHOT_DIR is set).
TEST(WindowTruth, Pictures) {
    if (qgetenv("MLB8_SHOT_DIR").isEmpty()) GTEST_SKIP() << "MLB8_SHOT_DIR not set";
    CWindow w;
    w.Click(ctl::TAB_EQ);
    w.Type(ctl::EQ_GAIN_BOX.first + 4, "9");
    w.Type(ctl::EQ_GAIN_BOX.first + 2, "-6");
    Keep(w, "equalizer-after-edit.png");
    w.Type(ctl::EQ_FREQ_BOX.first + 8, "16000");
    w.Type(ctl::EQ_FREQ_BOX.first + 9, "20000");
    w.Type(ctl::EQ_Q_BOX.first + 9, "10");
    Keep(w, "band-16000.png");
    w.Click(ctl::TAB_CONFIG);
    w.Click(ctl::INPUT_KIND.first + INPUT_4_WIRED);
    w.Click(ctl::ARCH.first + ARCH_21);
    w.Click(ctl::MODE_SWITCH);
    Keep(w, "expert.png");
    w.Click(ctl::TAB_XOVER);
    w.Click(ctl::XOVER_BP);
    w.Type(ctl::HP_FREQ_BOX, "16000");
    w.Type(ctl::LP_FREQ_BOX, "20000");
    Keep(w, "crossover.png");
    w.Click(ctl::TAB_DELAY);
    w.Type(ctl::DELAY_MS_BOX, "170.65");
    Keep(w, "time.png");
    w.Click(ctl::TAB_CONFIG);
    w.Click(ctl::HELP);
    QTest::mouseMove(w.Control<CSkinCtrl>(ctl::EXP_ROUTE_MAIN.first), QPoint(5, 5));
    Settle(50);
    Keep(w, "expert-help.png");
}

// ---- equalizer tools: a dropped filter list, the measurement on the graph ----

namespace {

QImage GraphImage(CWindow& w) {
    w.Settle();
    for (QWidget* p : w.View().findChildren<QWidget*>())
        if (auto* pGraph = dynamic_cast<CFilterGraphic*>(p)) return pGraph->grab().toImage();
    return {};
}

void DropFile(CWindow& w, const QString& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    const QPoint at(w.View().width() / 2, w.View().height() / 2);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w.View(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w.View(), &drop);
    w.Settle();
}

void CloseReports(CWindow& w) {
    for (QWidget* p : QApplication::topLevelWidgets())
        if (p->objectName() == "eqReport") p->close();
    Settle(30);
    (void)w;
}

QString WriteTemp(const char* pszName, const QByteArray& text) {
    const QString path = QDir(QString::fromStdString(testing::TempDir())).filePath(pszName);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
    return path;
}

} // namespace

const char kRewFilters[] = "Filter Settings file\r\n"
                           "Room EQ V5.20.13\r\n"
                           "Filter  1: ON  PK       Fc   1180 Hz   Gain   2.50 dB  Q  0.900\r\n"
                           "Filter  2: ON  PK       Fc   42.50 Hz  Gain   4.00 dB  Q  1.200\r\n"
                           "Filter  3: ON  LS       Fc   60.00 Hz  Gain   2.00 dB\r\n"
                           "Filter  4: ON  PK       Fc   3350 Hz   Gain  -9.0 dB  Q  4.00\r\n";

TEST(EqTools, ADroppedFilterListUpdatesThePageAndTheGraph) {
    CWindow w;
    w.Click(ctl::TAB_EQ);
    w.Click(ctl::CHANNEL.first + 2);
    ASSERT_EQ(w.Model().m_nChannel, 2);
    ASSERT_EQ(w.Model().m_bPair, 0);
    const QImage before = GraphImage(w);
    DropFile(w, WriteTemp("dropped-filters.txt", kRewFilters));

    // The report is shown; the page's boxes, the model and the graph follow.
    EXPECT_TRUE(w.View().EqTools().LastReport().contains("Imported 3 filters into the bands"));
    EXPECT_TRUE(w.View().EqTools().LastReport().contains("line 5: LS filter not importable"));
    bool bDialog = false;
    for (QWidget* p : QApplication::topLevelWidgets())
        if (auto* pDlg = dynamic_cast<CEqReportDlg*>(p); pDlg && pDlg->isVisible())
            bDialog = pDlg->Text() == w.View().EqTools().LastReport();
    EXPECT_TRUE(bDialog);
    const SEqImport want = ParseEqFilterText(kRewFilters);
    EXPECT_EQ(w.Model().m_bEqEnable[2], 1);
    for (int b = 0; b < CRev8001Lib::EQ_BANDS; ++b) {
        const SFilterCoef c = w.Model().m_Lib.GetEqCoef(2, static_cast<std::uint8_t>(b));
        EXPECT_EQ(c.Freq, want.bands[b].Freq) << b;
        EXPECT_EQ(c.Gain, want.bands[b].Gain) << b;
        EXPECT_FLOAT_EQ(c.BandWidth, want.bands[b].BandWidth) << b;
        EXPECT_EQ(w.Edit(ctl::EQ_FREQ_BOX.first + b)->text().toInt(), want.bands[b].Freq) << b;
        EXPECT_EQ(w.Edit(ctl::EQ_GAIN_BOX.first + b)->text().toInt(), want.bands[b].Gain) << b;
    }
    EXPECT_EQ(w.Edit(ctl::EQ_FREQ_BOX.first + 0)->text(), "43");
    EXPECT_EQ(w.Edit(ctl::EQ_Q_BOX.first + 2)->text(), "8.0");
    EXPECT_NE(GraphImage(w), before);
    CloseReports(w);
    EXPECT_EQ(w.Picture(), w.FreshPicture());

    // Other pages take no drop.
    w.Click(ctl::TAB_DELAY);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(WriteTemp("dropped-filters.txt", kRewFilters))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w.View(), &enter);
    EXPECT_FALSE(enter.isAccepted());
}

TEST(EqTools, TheMeasurementTargetAndPredictionOnTheGraphPerOutput) {
    CWindow w;
    w.Click(ctl::TAB_EQ);
    w.Click(ctl::CHANNEL.first + 4);
    const QImage plain = GraphImage(w);
    QByteArray meas = "* Freq(Hz) SPL(dB) Phase(degrees)\n";
    for (double f = 15.0; f < 22000.0; f *= 1.03) {
        const double l = 82.0 - 7.0 * std::exp(-std::pow(std::log2(f / 150.0) * 2.5, 2.0)) +
                         5.0 * std::exp(-std::pow(std::log2(f / 2500.0) * 2.0, 2.0));
        meas += QByteArray::number(f, 'f', 3) + " " + QByteArray::number(l, 'f', 3) + " 0\n";
    }
    // A measurement dropped on the page becomes the output's measurement.
    DropFile(w, WriteTemp("measurement.txt", meas));
    ASSERT_TRUE(w.View().EqTools().Tuning(4).HasMeasurement());
    const QImage shown = GraphImage(w);
    EXPECT_NE(shown, plain);

    // Each curve can be hidden; with all three hidden the graph is the plain one again.
    CEqTools& tools = w.View().EqTools();
    for (int i = 0; i < 3; ++i)
        tools.SetShown(i, false);
    EXPECT_EQ(GraphImage(w), plain);
    for (int i = 0; i < 3; ++i)
        tools.SetShown(i, true);
    EXPECT_EQ(GraphImage(w), shown);

    // It stays with its output while another output and another page are shown.
    w.Click(ctl::CHANNEL.first + 5);
    EXPECT_FALSE(tools.Tuning(5).HasMeasurement());
    w.Click(ctl::TAB_XOVER);
    w.Click(ctl::TAB_EQ);
    w.Click(ctl::CHANNEL.first + 4);
    EXPECT_EQ(GraphImage(w), shown);

    // The fit puts its bands into the output; the prediction moves toward the target.
    ASSERT_TRUE(tools.Fit());
    EXPECT_TRUE(tools.LastReport().contains("dB before"));
    EXPECT_EQ(w.Model().m_bEqEnable[4], 1);
    int nUsed = 0;
    for (int b = 0; b < CRev8001Lib::EQ_BANDS; ++b) {
        const SFilterCoef c = w.Model().m_Lib.GetEqCoef(4, static_cast<std::uint8_t>(b));
        nUsed += c.Gain != 0;
        EXPECT_EQ(w.Edit(ctl::EQ_GAIN_BOX.first + b)->text().toInt(), c.Gain) << b;
    }
    EXPECT_GT(nUsed, 1);
    EXPECT_NE(GraphImage(w), shown);
    CloseReports(w);
    Keep(w, "equalizer-measurement.png");

    tools.Clear();
    EXPECT_FALSE(tools.Tuning(4).HasMeasurement());
}

// A measurement with lines that cannot be used loads with a report naming them; one that cannot be
// right (frequencies in kHz, a header without a level column) is refused with its reason, whether
// chosen from the menu or dropped on the page, and the output keeps no curve.
TEST(EqTools, AMeasurementReportsWhatWasNotUsed) {
    CWindow w;
    w.Click(ctl::TAB_EQ);
    w.Click(ctl::CHANNEL.first + 3);
    CEqTools& tools = w.View().EqTools();
    QByteArray meas = "Frequency\tSPL\tPhase\n";
    for (double f = 20.0; f < 20000.0; f *= 1.1)
        meas += QByteArray::number(f, 'f', 2) + "\t80\t0\n";
    meas += "500\tnan\t0\n300\t81\t0\n";
    ASSERT_TRUE(tools.LoadMeasurement(WriteTemp("partly-usable.txt", meas).toStdString()));
    EXPECT_TRUE(tools.Tuning(3).HasMeasurement());
    EXPECT_TRUE(tools.LastReport().contains("line 75: level is not a finite number"))
        << tools.LastReport().toStdString();
    EXPECT_TRUE(tools.LastReport().contains("line 76: frequency 300 Hz below the line before"));
    bool bDialog = false;
    for (QWidget* p : QApplication::topLevelWidgets())
        if (auto* pDlg = dynamic_cast<CEqReportDlg*>(p); pDlg && pDlg->isVisible())
            bDialog = pDlg->Text() == tools.LastReport();
    EXPECT_TRUE(bDialog);
    CloseReports(w);
    tools.Clear();

    DropFile(w, WriteTemp("kilohertz.txt", "0.02 80\n0.1 81\n1 80\n20 79\n"));
    EXPECT_FALSE(tools.Tuning(3).HasMeasurement());
    EXPECT_TRUE(tools.LastReport().contains("they look like kHz")) << tools.LastReport().toStdString();
    CloseReports(w);
    DropFile(w, WriteTemp("results.csv", "frequency,error,smoothed\n20,1,2\n20000,1,2\n"));
    EXPECT_FALSE(tools.Tuning(3).HasMeasurement());
    EXPECT_TRUE(tools.LastReport().contains("Columns found: frequency, error, smoothed; no level column"))
        << tools.LastReport().toStdString();
    CloseReports(w);
    EXPECT_EQ(w.Picture(), w.FreshPicture());
}

// A measurement loaded counts as taken through the output's settings then (the legend says so): a
// driver with a dip, measured through a band that fills it, is flat; the fit keeps that band's work
// instead of throwing it away. Marked as a bare driver, the same file asks for nothing.
TEST(EqTools, AMeasurementIsTakenThroughTheSettingsWhenLoaded) {
    CWindow w;
    w.Click(ctl::TAB_EQ);
    w.Click(ctl::CHANNEL.first + 4);
    w.Type(ctl::EQ_FREQ_BOX.first + 5, "1000");
    w.Type(ctl::EQ_GAIN_BOX.first + 5, "6");
    const std::vector<double> withS = ChannelCurve(w.Model(), 4, true, w.Model().m_bXoverEnable[4] != 0);
    const ZUtils::ZResponseGrid& grid = ZUtils::ZResponseGrid::Get();
    QByteArray meas = "* Freq(Hz) SPL(dB)\n";
    for (int i = 0; i < grid.m_nCount && grid.m_fFreq[i] < 22000.0; ++i) {
        // The bare driver is the band's inverse: through the band it measures as the crossover alone.
        const double fBare = -(
            withS[static_cast<std::size_t>(i)] -
            ChannelCurve(w.Model(), 4, false, w.Model().m_bXoverEnable[4] != 0)[static_cast<std::size_t>(i)]);
        meas += QByteArray::number(grid.m_fFreq[i], 'f', 4) + " " +
                QByteArray::number(80.0 + fBare + withS[static_cast<std::size_t>(i)], 'f', 4) + "\n";
    }
    CEqTools& tools = w.View().EqTools();
    ASSERT_TRUE(tools.LoadMeasurement(WriteTemp("through.txt", meas).toStdString()));
    EXPECT_TRUE(tools.Tuning(4).bThrough);
    EXPECT_EQ(MeasuredWithText(tools.Tuning(4)), "taken through Out 5 at loading");

    ASSERT_TRUE(tools.Fit());
    CloseReports(w);
    int nNear1k = 0;
    for (int b = 0; b < CRev8001Lib::EQ_BANDS; ++b) {
        const SFilterCoef c = w.Model().m_Lib.GetEqCoef(4, static_cast<std::uint8_t>(b));
        if (c.Freq > 700 && c.Freq < 1400) nNear1k += c.Gain;
    }
    EXPECT_GE(nNear1k, 4) << tools.LastReport().toStdString();

    // As a bare driver the flat measurement needs no band.
    tools.SetRaw(true);
    EXPECT_FALSE(tools.Tuning(4).bThrough);
    ASSERT_TRUE(tools.Fit());
    CloseReports(w);
    EXPECT_TRUE(tools.LastReport().contains("No band improves")) << tools.LastReport().toStdString();
}

// The pictures of the README and the manual, doc/examples/measurement-before-fit.png and
// measurement-after-fit.png: the whole window in English with the example measurement and house curve
// on output 5 with a high-pass at 60 Hz, before and after the fit (kept only when MLB8_SHOT_DIR is
// set; the examples are read from MLB8_EXAMPLES_DIR).
TEST(EqTools, Pictures) {
    const QByteArray examples = qgetenv("MLB8_EXAMPLES_DIR");
    const QByteArray shots = qgetenv("MLB8_SHOT_DIR");
    if (shots.isEmpty() || examples.isEmpty()) GTEST_SKIP() << "MLB8_SHOT_DIR or MLB8_EXAMPLES_DIR not set";
    const QDir dir(QString::fromLocal8Bit(examples)), out(QString::fromLocal8Bit(shots));
    ASSERT_TRUE(SetUiLanguage(EUiLanguage::English));
    {
        CWindow w;
        w.Frame();
        w.Click(ctl::CHANNEL.first + 4);
        w.Click(ctl::TAB_XOVER);
        w.Click(ctl::XOVER_HP);
        w.Type(ctl::HP_FREQ_BOX, "60");
        w.Click(ctl::TAB_EQ);
        CEqTools& tools = w.View().EqTools();
        ASSERT_TRUE(tools.LoadMeasurement(dir.filePath("front-left.txt").toStdString()));
        tools.SetRaw(true); // the example was measured with the equalizer and crossover off
        ASSERT_TRUE(tools.LoadTarget(dir.filePath("house-curve.txt").toStdString()));
        EXPECT_TRUE(w.FramePicture().save(out.filePath("measurement-before-fit.png")));
        ASSERT_TRUE(tools.Fit());
        std::printf("%s\n", tools.LastReport().toStdString().c_str());
        CloseReports(w);
        EXPECT_TRUE(w.FramePicture().save(out.filePath("measurement-after-fit.png")));
    }
    SetUiLanguage(EUiLanguage::Chinese);
}

// Undo puts the model back and leaves the window as a freshly opened one; redo edits again.
TEST(WindowTruth, UndoAndRedoLeaveAFreshWindow) {
    struct SRow {
        const char* gesture;
        std::function<void(CWindow&)> run;
    };
    const SRow rows[] = {
        {"mute", [](CWindow& w) { w.Click(ctl::MUTE.first + 1); }},
        {"phase", [](CWindow& w) { w.Click(ctl::PHASE); }},
        {"typed main level", [](CWindow& w) { w.Type(ctl::MAIN_LEVEL_BOX, "-20"); }},
        {"wheel on the main level", [](CWindow& w) { w.Wheel(ctl::MAIN_LEVEL_BOX, 240); }},
        {"typed EQ gain",
         [](CWindow& w) {
             w.Click(ctl::TAB_EQ);
             w.Type(ctl::EQ_GAIN_BOX.first + 3, "-6");
         }},
        {"crossover type of output 3",
         [](CWindow& w) {
             w.Click(ctl::TAB_XOVER);
             w.Click(ctl::CHANNEL.first + 2);
             w.Click(ctl::XOVER_HP);
         }},
    };
    for (const SRow& row : rows) {
        CWindow w;
        const SEditSnapshot before = SEditSnapshot::Of(w.Model());
        row.run(w);
        const SEditSnapshot edited = SEditSnapshot::Of(w.Model());
        ASSERT_NE(edited, before) << row.gesture;
        EXPECT_EQ(w.Core().History().UndoCount(), 1u) << row.gesture;
        const int nPage = w.Model().m_nPage;
        const int nChannel = w.Model().m_nChannel;
        w.View().OnMenuCommand(ID_EDIT_UNDO);
        // The user stays where the step was taken back.
        EXPECT_EQ(w.Model().m_nPage, nPage) << row.gesture;
        EXPECT_EQ(w.Model().m_nChannel, nChannel) << row.gesture;
        EXPECT_EQ(SEditSnapshot::Of(w.Model()), before) << row.gesture;
        ExpectTruthful(w, std::string("undo ") + row.gesture);
        w.View().OnMenuCommand(ID_EDIT_REDO);
        EXPECT_EQ(SEditSnapshot::Of(w.Model()), edited) << row.gesture;
        ExpectTruthful(w, std::string("redo ") + row.gesture);
    }
}

// The whole main window without a processor, active, and its Edit menu's entries as the menu shows
// them (those whose caption passes `keep`, each with + when enabled and - when not).
struct SEditWindow {
    CWAVRView* pView = nullptr;
    std::unique_ptr<CMainFrame> pFrame;
    QMenu* pEdit = nullptr;

    void Open() {
        InitSkinResources();
        pView = new CWAVRView;
        pView->Core().Start(false);
        pFrame = std::make_unique<CMainFrame>(pView);
        pFrame->show();
        pFrame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(pFrame.get()));
        for (QAction* pMenu : pFrame->menuBar()->actions())
            if (pMenu->text() == "Edit") pEdit = pMenu->menu();
        ASSERT_NE(pEdit, nullptr);
    }
    std::string Entries(const std::function<bool(const QString&)>& keep) const {
        emit pEdit->aboutToShow();
        std::string s;
        for (QAction* p : pEdit->actions())
            if (keep(p->text())) s += p->text().toStdString() + (p->isEnabled() ? "+ " : "- ");
        emit pEdit->aboutToHide();
        return s;
    }
};

// The keys of the Edit menu, and its entries enabled only when there is a step to take.
TEST(WindowTruth, TheEditKeysUndoAndRedo) {
    SEditWindow win;
    ASSERT_NO_FATAL_FAILURE(win.Open());
    CWAVRView* pView = win.pView;
    CMainFrame& frame = *win.pFrame;
    auto enabled = [&] { return win.Entries([](const QString& t) { return t == "Undo" || t == "Redo"; }); };
    EXPECT_EQ(enabled(), "Undo- Redo- ");
    CSettingsModel& m = pView->Core().Model();
    const int nBefore = m.m_nMainVolume;
    m.m_nMainVolume = nBefore - 10;
    pView->Core().CommitStep();
    EXPECT_EQ(enabled(), "Undo+ Redo- ");

    const struct {
        QKeyCombination keys;
        int nVolume;
        const char* pszMenu;
    } steps[] = {
        {Qt::CTRL | Qt::Key_Z, nBefore, "Undo- Redo+ "},
        {Qt::CTRL | Qt::Key_Y, nBefore - 10, "Undo+ Redo- "},
        {Qt::CTRL | Qt::Key_Z, nBefore, "Undo- Redo+ "},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_Z, nBefore - 10, "Undo+ Redo- "},
    };
    for (const auto& step : steps) {
        QTest::keyClick(&frame, step.keys.key(), step.keys.keyboardModifiers());
        SettleView(*pView);
        EXPECT_EQ(m.m_nMainVolume, step.nVolume) << QKeySequence(step.keys).toString().toStdString();
        EXPECT_EQ(enabled(), step.pszMenu);
    }
}

// In a value box, the undo and redo keys are the window's: the model, the processor and the box go
// back together, and the box never shows a value the model does not have.
TEST(WindowTruth, TheUndoKeysInAValueBoxAreTheWindows) {
    SEditWindow win;
    ASSERT_NO_FATAL_FAILURE(win.Open());
    CWAVRView* pView = win.pView;
    CSettingsModel& m = pView->Core().Model();
    CViewEdit* pBox = nullptr;
    for (CViewEdit* p : pView->findChildren<CViewEdit*>())
        if (p->Id() == ctl::MAIN_LEVEL_BOX) pBox = p;
    ASSERT_NE(pBox, nullptr);
    pView->SyncFromForm();
    const int nBefore = m.m_nMainVolume;
    const QString before = pBox->text();
    ASSERT_FALSE(before.isEmpty());
    pBox->setFocus();
    pBox->selectAll();
    QTest::keyClicks(pBox, "-20");
    QTest::keyClick(pBox, Qt::Key_Return);
    SettleView(*pView);
    ASSERT_EQ(m.m_nMainVolume, 88);
    ASSERT_TRUE(pBox->hasFocus());
    const struct {
        QKeyCombination keys;
        int nVolume;
        QString text;
    } steps[] = {
        {Qt::CTRL | Qt::Key_Z, nBefore, before},
        {Qt::CTRL | Qt::Key_Y, 88, "-20.0"},
        {Qt::CTRL | Qt::Key_Z, nBefore, before},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_Z, 88, "-20.0"},
    };
    for (const auto& step : steps) {
        const std::string keys = QKeySequence(step.keys).toString().toStdString();
        QTest::keyClick(pBox, step.keys.key(), step.keys.keyboardModifiers());
        SettleView(*pView);
        EXPECT_EQ(m.m_nMainVolume, step.nVolume) << keys;
        EXPECT_EQ(pBox->text(), step.text) << keys;
        EXPECT_TRUE(pBox->hasFocus()) << keys;
    }
}

// The A/B comparison from the window: F8 and the header's two sides switch, the live side is lit, the
// menu names the other side, and each side keeps its own settings.
TEST(WindowTruth, TheAbSwitchAndF8ChangeSides) {
    SEditWindow win;
    ASSERT_NO_FATAL_FAILURE(win.Open());
    CWAVRView* pView = win.pView;
    CMainFrame& frame = *win.pFrame;
    auto entries = [&] {
        return win.Entries([](const QString& t) { return t.startsWith("Switch") || t.startsWith("Copy"); });
    };
    CAbSwitch* pAb = pView->AbSwitch();
    ASSERT_NE(pAb, nullptr);
    auto lit = [&] {
        return std::to_string(pAb->Side(0)->GetToggle()) + std::to_string(pAb->Side(1)->GetToggle());
    };
    CSettingsModel& m = pView->Core().Model();
    const int nA = m.m_nMainVolume;
    EXPECT_EQ(lit(), "10");
    EXPECT_EQ(entries(), "Switch to B+ Copy A to B+ ");

    QTest::keyClick(&frame, Qt::Key_F8);
    SettleView(*pView);
    EXPECT_EQ(pView->Core().Ab().LiveName(), 'B');
    EXPECT_EQ(lit(), "01");
    EXPECT_EQ(entries(), "Switch to A+ Copy B to A+ ");
    m.m_nMainVolume = nA - 10; // an edit on B
    pView->Core().CommitStep();

    QTest::mouseClick(pAb->Side(0), Qt::LeftButton, {},
                      QPoint(pAb->Side(0)->width() / 2, pAb->Side(0)->height() / 2));
    SettleView(*pView);
    EXPECT_EQ(pView->Core().Ab().LiveName(), 'A');
    EXPECT_EQ(lit(), "10");
    EXPECT_EQ(m.m_nMainVolume, nA);
    // A click on the live side changes nothing.
    QTest::mouseClick(pAb->Side(0), Qt::LeftButton, {},
                      QPoint(pAb->Side(0)->width() / 2, pAb->Side(0)->height() / 2));
    SettleView(*pView);
    EXPECT_EQ(pView->Core().Ab().LiveName(), 'A');
    EXPECT_EQ(lit(), "10");
    QTest::keyClick(&frame, Qt::Key_F8);
    SettleView(*pView);
    EXPECT_EQ(m.m_nMainVolume, nA - 10);
}

// ---- the rule over random walks: every gesture, then undo of all and redo of all ----

namespace {

// A gesture of the walk: its name and whether the window offers it now (its control visible).
struct SWalkGesture {
    std::string name;
    std::function<bool(CWindow&)> available;
    std::function<void(CWindow&)> act;
};

bool Shown(CWindow& w, int nId) {
    if (CViewEdit* pEdit = w.Edit(nId)) return pEdit->isVisible();
    CSkinButtonBase* p = w.Control<CSkinButtonBase>(nId);
    return p && p->isVisible();
}

CSystemGraph& SystemLayer(CWindow& w) {
    return *w.View().SystemGraph();
}

// The gestures a walk draws from: every page, the top bar, the system view's switches.
std::vector<SWalkGesture> WalkGestures() {
    std::vector<SWalkGesture> g;
    auto click = [&](std::string name, int nId) {
        g.push_back({std::move(name), [nId](CWindow& w) { return Shown(w, nId); },
                     [nId](CWindow& w) { w.Click(nId); }});
    };
    auto type = [&](std::string name, int nId, const char* pszText) {
        g.push_back({std::move(name), [nId](CWindow& w) { return Shown(w, nId); },
                     [nId, pszText](CWindow& w) { w.Type(nId, pszText); }});
    };
    click("configuration page", ctl::TAB_CONFIG);
    click("equalizer page", ctl::TAB_EQ);
    click("crossover page", ctl::TAB_XOVER);
    click("time alignment page", ctl::TAB_DELAY);
    for (int n : {0, 2, 5, 7})
        click("Out " + std::to_string(n + 1), ctl::CHANNEL.first + n);
    click("pair Out 3+4", ctl::PAIR.first + 1);
    click("phase", ctl::PHASE);
    click("mute Out 2", ctl::MUTE.first + 1);
    type("master level -18", ctl::MAIN_LEVEL_BOX, "-18");
    type("channel level -7.5", ctl::CHANNEL_LEVEL_BOX, "-7.5");
    type("channel level 0", ctl::CHANNEL_LEVEL_BOX, "0");
    type("band 3 +5", ctl::EQ_GAIN_BOX.first + 2, "5");
    type("band 4 -5", ctl::EQ_GAIN_BOX.first + 3, "-5");
    type("band 9 at 9000 Hz", ctl::EQ_FREQ_BOX.first + 8, "9000");
    click("equalizer switch", ctl::EQ_SWITCH);
    click("crossover band-pass", ctl::XOVER_BP);
    click("crossover high-pass", ctl::XOVER_HP);
    type("high-pass 120 Hz", ctl::HP_FREQ_BOX, "120");
    type("delay 1.5 ms", ctl::DELAY_MS_BOX, "1.5");
    click("expert AUX input", ctl::EXP_INPUT.at(1));
    click("expert main input", ctl::EXP_INPUT.first);
    click("expert routing light", ctl::EXP_ROUTE_MAIN.first + 6 * 4 + 1);
    for (int nId : {CSystemGraph::ID_SYSTEM, CSystemGraph::ID_PHASE, CSystemGraph::ID_UNWRAP})
        g.push_back({nId == CSystemGraph::ID_SYSTEM  ? "SYSTEM"
                     : nId == CSystemGraph::ID_PHASE ? "PHASE"
                                                     : "UNWRAP",
                     [nId](CWindow& w) {
                         CSkinButton* p = SystemLayer(w).Switch(nId);
                         return p && p->isVisible();
                     },
                     [nId](CWindow& w) {
                         CSkinButton* p = SystemLayer(w).Switch(nId);
                         QTest::mouseClick(p, Qt::LeftButton, {}, QPoint(p->width() / 2, p->height() / 2));
                         w.Settle();
                     }});
    return g;
}

// The invariant after a step: what the screen shows of the graph (with the system view over it)
// equals a fresh render of it; at the ends of a walk also the whole window equals a fresh one on the
// model (a fresh window after every step would make the walks too slow to run often).
void ExpectWalkTruthful(CWindow& w, const std::string& step, bool bWhole) {
    if (bWhole) ExpectTruthful(w, step);
    QWidget* pGraph = SystemLayer(w).parentWidget();
    if (!pGraph->isVisible()) return;
    w.Settle();
    const QImage fresh = pGraph->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_TRUE(OnScreen(*pGraph) == fresh) << step << ": the screen shows a stale graph";
}

struct SWalk {
    const char* name;
    bool bExpert;
    bool bSystem; // starts on the equalizer page with the system view on
    unsigned nSeed;
};

class WindowTruthWalk : public testing::TestWithParam<SWalk> {};

TEST_P(WindowTruthWalk, EveryStepUndoneAndRedoneLeavesATruthfulWindowAndProcessor) {
    constexpr int kGestures = 10;
    Sim::CSimProcessor sim;
    CWindow w;
    ASSERT_NO_FATAL_FAILURE(w.OpenLink(sim));
    // An input other than the start-up one (expert mode's after-load rules force the start-up one),
    // and the processor holding the model, so that both can be compared.
    w.Click(ctl::INPUT_KIND.first + INPUT_4_WIRED);
    w.Core().Writer().OnSendAll();
    w.Settle();
    if (GetParam().bExpert) w.Click(ctl::MODE_SWITCH);
    if (GetParam().bSystem) {
        w.Click(ctl::TAB_EQ);
        CSkinButton* p = SystemLayer(w).Switch(CSystemGraph::ID_SYSTEM);
        QTest::mouseClick(p, Qt::LeftButton, {}, QPoint(p->width() / 2, p->height() / 2));
        w.Settle();
    }
    w.Core().CommitStep();
    std::vector<SEditSnapshot> models{SEditSnapshot::Of(w.Model())};
    std::vector<Sim::SSimConfig> processors{sim.Running()};
    const std::size_t nFirstStep = w.Core().History().UndoCount();

    const std::vector<SWalkGesture> gestures = WalkGestures();
    std::mt19937 random(GetParam().nSeed);
    std::string path;
    for (int n = 0; n < kGestures; ++n) {
        std::vector<const SWalkGesture*> offered;
        for (const SWalkGesture& g : gestures)
            if (g.available(w)) offered.push_back(&g);
        ASSERT_FALSE(offered.empty());
        const SWalkGesture& g = *offered[random() % offered.size()];
        path += g.name + "; ";
        const std::size_t nSteps = w.Core().History().UndoCount();
        g.act(w);
        ExpectWalkTruthful(w, path, n == kGestures - 1);
        if (w.Core().History().UndoCount() != nSteps) {
            models.push_back(SEditSnapshot::Of(w.Model()));
            processors.push_back(sim.Running());
        }
    }
    ASSERT_EQ(w.Core().History().UndoCount() - nFirstStep, models.size() - 1) << path;
    RecordProperty("walk", path);
    RecordProperty("steps", static_cast<int>(models.size() - 1));

    for (std::size_t n = models.size() - 1; n-- > 0;) {
        w.View().OnMenuCommand(ID_EDIT_UNDO);
        ExpectWalkTruthful(w, path + "undo to " + std::to_string(n), n == 0);
        EXPECT_EQ(SEditSnapshot::Of(w.Model()), models[n]) << path << "undo to " << n;
        EXPECT_EQ(sim.Running(), processors[n]) << path << "undo to " << n;
    }
    for (std::size_t n = 1; n < models.size(); ++n) {
        w.View().OnMenuCommand(ID_EDIT_REDO);
        ExpectWalkTruthful(w, path + "redo to " + std::to_string(n), n + 1 == models.size());
        EXPECT_EQ(SEditSnapshot::Of(w.Model()), models[n]) << path << "redo to " << n;
        EXPECT_EQ(sim.Running(), processors[n]) << path << "redo to " << n;
    }
    EXPECT_FALSE(w.Core().CanRedo());
    w.Core().Protocol().Close();
}

const SWalk kWalks[] = {
    {"Standard", false, false, 1},
    {"StandardSystemView", false, true, 110},
    {"Expert", true, false, 113},
    {"ExpertSystemView", true, true, 4},

};

INSTANTIATE_TEST_SUITE_P(Seeds, WindowTruthWalk, testing::ValuesIn(kWalks),
                         [](const testing::TestParamInfo<SWalk>& p) { return std::string(p.param.name); });

} // namespace

// Align outputs: the proposal for the outputs with a measurement is shown with Apply, which changes the
// tune as one undo step.
TEST(EqTools, AlignOutputsAppliesTheProposalAsOneUndoStep) {
    CWindow w;
    CEqTools& tools = w.View().EqTools();
    EXPECT_FALSE(tools.AlignOutputs());
    EXPECT_TRUE(tools.LastReport().contains("no output to align")) << tools.LastReport().toStdString();
    CloseReports(w);

    // Flat speakers at different distances (and one louder), measured through the settings now.
    const int kChannels[] = {0, 2, 4};
    const double kArrivalMs[] = {2.0, 3.5, 5.0};
    const double kLevelDb[] = {86.0, 80.0, 80.0};
    for (int k = 0; k < 3; ++k) {
        std::string text;
        for (double f = 10.0; f < 24000.0; f *= 1.005)
            text += std::to_string(f) + " " + std::to_string(kLevelDb[k]) + " " +
                    std::to_string(ZUtils::WrapDegrees(-360.0 * f * kArrivalMs[k] / 1000.0)) + "\n";
        const SMeasurementRead r = ParseMeasurementText(text);
        ASSERT_TRUE(r.bOk);
        SChannelTuning& t = tools.Tuning(kChannels[k]);
        t.measured = CurveOnGrid(r.curve);
        t.measuredPhase = PhaseOnGrid(r.curve);
        SetMeasuredThrough(t, w.Model(), kChannels[k], "the test");
    }
    const std::size_t nSteps = w.Core().History().UndoCount();
    int nDelayBefore[8], nVolumeBefore[8];
    for (int ch = 0; ch < 8; ++ch) {
        nDelayBefore[ch] = w.Model().m_nDelay[ch];
        nVolumeBefore[ch] = w.Model().m_nVolume[ch];
    }
    ASSERT_TRUE(tools.AlignOutputs());
    EXPECT_TRUE(tools.LastReport().contains("whole range")) << tools.LastReport().toStdString();
    const SAlignResult proposal = tools.Alignment();
    ASSERT_EQ(proposal.outputs.size(), 3u);
    QPushButton* pApply = nullptr;
    for (QWidget* p : QApplication::topLevelWidgets())
        if (auto* pDlg = dynamic_cast<CEqReportDlg*>(p); pDlg && pDlg->isVisible())
            pApply = pDlg->findChild<QPushButton*>("alignApply");
    ASSERT_NE(pApply, nullptr);
    pApply->click();
    w.Settle();
    for (const SAlignOutput& o : proposal.outputs) {
        EXPECT_EQ(w.Model().m_nDelay[o.nChannel], o.after.nDelay) << o.nChannel;
        EXPECT_EQ(w.Model().m_nVolume[o.nChannel], o.after.nVolume) << o.nChannel;
    }
    // The latest speaker gets no delay, the others their distance to it; the loud one comes down 6 dB.
    EXPECT_EQ(w.Model().m_nDelay[4], 0);
    EXPECT_NEAR(w.Model().m_nDelay[0] - w.Model().m_nDelay[2], 72, 2);
    EXPECT_EQ(w.Model().m_nVolume[0], 116);
    EXPECT_EQ(w.Core().History().UndoCount(), nSteps + 1);
    ASSERT_TRUE(w.Core().Undo());
    w.Settle();
    for (int ch = 0; ch < 8; ++ch) {
        EXPECT_EQ(w.Model().m_nDelay[ch], nDelayBefore[ch]) << ch;
        EXPECT_EQ(w.Model().m_nVolume[ch], nVolumeBefore[ch]) << ch;
    }
}
