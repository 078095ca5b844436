// The application on Qt's offscreen platform with real widgets, against the simulated processor.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "comm/comnames.h"
#include "editor/controlids.h"
#include "guilib/gdislider.h"
#include "guilib/skinbutton.h"
#include "sim/simprocessor.h"
#include "skin/skinmanifest.h"
#include "tests/common/filterrecord.h"
#include "wavr/dialogs.h"
#include "wavr/eqtools.h"
#include "wavr/hotplug.h"
#include "wavr/mainfrm.h"
#include "wavr/uilanguage.h"
#include "wavr/wavrapp.h"
#include "wavr/wavrview.h"

namespace {

template <class T> T* FindControl(QWidget* pView, int nId) {
    for (QWidget* p :
         pView->findChildren<QWidget*>()) // the skinned controls are no QObject classes of their own
        if (auto* pCtrl = dynamic_cast<T*>(p); pCtrl && pCtrl->GetDlgCtrlID() == nId) return pCtrl;
    return nullptr;
}

CViewEdit* FindEdit(QWidget* pView, int nId) {
    for (CViewEdit* p : pView->findChildren<CViewEdit*>())
        if (p->Id() == nId) return p;
    return nullptr;
}

bool WaitUntil(const std::function<bool()>& done, int nMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > nMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

} // namespace

TEST(Hotplug, OnlySerialPortsArriveOrGo) {
    struct Case {
        const char *subsystem, *action, *devnode;
        EPortChange change;
        int nCom;
    };
    const Case cases[] = {
        {"tty", "add", "/dev/ttyUSB0", EPortChange::Arrived, 33},
        {"tty", "remove", "/dev/ttyACM2", EPortChange::Removed, 67},
        {"tty", "change", "/dev/ttyUSB0", EPortChange::None, 33},
        {"tty", "add", "/dev/tty3", EPortChange::None, -1},  // a console
        {"tty", "add", "/dev/pts/4", EPortChange::None, -1}, // a pseudo-terminal
        {"block", "add", "/dev/sdb", EPortChange::None, -1}, // a storage device
        {"tty", "add", "", EPortChange::None, -1},
    };
    for (const Case& c : cases) {
        int nCom = 0;
        EXPECT_EQ(ClassifyPortEvent(c.subsystem, c.action, c.devnode, &nCom), c.change) << c.devnode;
        EXPECT_EQ(nCom, c.nCom) << c.devnode;
    }
}

TEST(MainFrame, Placement) {
    EXPECT_EQ(CMainFrame::Placement(1024, 740), QPoint(50, 50));
    EXPECT_EQ(CMainFrame::Placement(1920, 1050), QPoint(451, 172));
}

TEST(MainFrame, MenuMarksFollowLoadAndSave) {
    InitSkinResources();
    auto* pView = new CWAVRView;
    CMainFrame frame(pView);
    CWAVRApp::ConnectFrameMessages(frame, *pView);
    frame.OnMarkLoad(4);
    for (int nId : {ID_LOAD_PRESET.at(0), ID_LOAD_PRESET.at(1), ID_LOAD_PRESET.at(2), ID_LOAD_PRESET.at(3),
                    ID_RESTORE_FACTORY})
        EXPECT_FALSE(frame.IsChecked(nId)) << nId;
    EXPECT_TRUE(frame.IsChecked(ID_LOAD_PRESET_FILE));
    frame.OnMarkLoad(2);
    EXPECT_TRUE(frame.IsChecked(ID_LOAD_PRESET.at(2)));
    EXPECT_FALSE(frame.IsChecked(ID_LOAD_PRESET_FILE));
    frame.OnMarkLoad(9); // ignored
    EXPECT_TRUE(frame.IsChecked(ID_LOAD_PRESET.at(2)));
    frame.OnMarkSave(5);
    EXPECT_TRUE(frame.IsChecked(ID_SAVE_PRESET_FILE));
    EXPECT_EQ(frame.windowTitle().toStdString(), TEXT_TITLE);
}

TEST(ManagerWindow, ConnectsShowsTheProcessorsValuesAndTakesClicks) {
    Sim::CSimProcessor sim;
    ASSERT_TRUE(sim.Start());
    ZUtils::ClearExtraPorts();
    ZUtils::RegisterExtraPort(sim.PortPath());
    InitSkinResources();
    auto* pView = new CWAVRView;
    CMainFrame frame(pView);
    CWAVRApp::ConnectFrameMessages(frame, *pView);
    frame.show();
    pView->Start();
    CSettingsModel& m = pView->Core().Model();
    ASSERT_TRUE(WaitUntil([&] { return m.m_bConnected != 0; }, 20000));
    WaitUntil([] { return false; }, 300); // the replies and the after-load refresh

    // The level box shows the processor's master volume: the widget follows the model.
    const auto edits = pView->findChildren<QLineEdit*>();
    const auto it = std::find_if(edits.begin(), edits.end(), [&](QLineEdit* p) {
        return p->geometry().topLeft() == QPoint(20, 65); // the master level box
    });
    ASSERT_NE(it, edits.end());
    EXPECT_EQ((*it)->text().toStdString(), pView->Core().Form().Text(ctl::MAIN_LEVEL_BOX));
    EXPECT_EQ(m.m_nMainVolume, sim.Running().nMainVolume);

    // A real click on "Out 4" selects that single channel.
    CSkinButtonBase* pOut4 = FindControl<CSkinButtonBase>(pView, ctl::CHANNEL.first + 3);
    ASSERT_NE(pOut4, nullptr);
    QTest::mouseClick(pOut4, Qt::LeftButton, {}, QPoint(10, 10));
    WaitUntil([&] { return m.m_nChannel == 3; }, 2000);
    EXPECT_EQ(m.m_nChannel, 3);
    EXPECT_EQ(m.m_bPair, 0);

    // A screenshot of every page, kept beside the test binary.
    for (int nCommand :
         {ID_PAGE_CONFIGURATION, ID_PAGE_EQUALIZER, ID_PAGE_CROSSOVER, ID_PAGE_TIME_ALIGNMENT}) {
        pView->OnMenuCommand(nCommand);
        WaitUntil([] { return false; }, 200);
        const QString path =
            QCoreApplication::applicationDirPath() + "/screenshot-" + QString::number(nCommand) + ".png";
        EXPECT_TRUE(frame.grab().save(path));
    }
    EXPECT_EQ(m.m_nPage, 4);

    // Gestures through real widgets reach the processor.
    // A delay typed into the millisecond box with Enter.
    CViewEdit* pMs = FindEdit(pView, ctl::DELAY_MS_BOX);
    ASSERT_NE(pMs, nullptr);
    pMs->setFocus();
    pMs->selectAll();
    QTest::keyClicks(pMs, "3");
    QTest::keyClick(pMs, Qt::Key_Return);
    WaitUntil([&] { return sim.Running().nDelay[3] == 144; }, 3000);
    EXPECT_EQ(sim.Running().nDelay[3], 144);

    // An equalizer gain slider of the pair Out 1+2 dragged and released: both bands change.
    QTest::mouseClick(FindControl<CSkinButtonBase>(pView, ctl::PAIR.first), Qt::LeftButton, {},
                      QPoint(10, 10));
    pView->OnMenuCommand(ID_PAGE_EQUALIZER);
    auto* pGain = FindControl<CGdiSlider>(pView, ctl::EQ_GAIN_SLIDER.first + 4);
    ASSERT_NE(pGain, nullptr);
    const auto before = sim.Running().Eq[0][4];
    QTest::mousePress(pGain, Qt::LeftButton, {}, QPoint(17, 10));
    QTest::mouseMove(pGain, QPoint(17, 12));
    QTest::mouseRelease(pGain, Qt::LeftButton, {}, QPoint(17, 12));
    WaitUntil([&] { return sim.Running().Eq[0][4] != before; }, 3000);
    const SFilterCoef sent = FilterRecord::FromBytes(sim.Running().Eq[0][4].data());
    EXPECT_GT(sent.Gain, 0);
    EXPECT_EQ(sim.Running().Eq[1][4], sim.Running().Eq[0][4]); // the partner follows (same offset here)

    // A routing light in expert mode.
    pView->OnMenuCommand(ID_PAGE_CONFIGURATION);
    QTest::mouseClick(FindControl<CSkinButtonBase>(pView, ctl::MODE_SWITCH), Qt::LeftButton, {},
                      QPoint(120, 10));
    WaitUntil([] { return false; }, 200);
    ASSERT_EQ(m.m_nPage, 1);
    ASSERT_EQ(m.m_nDSPExpInput, 0);
    const std::uint8_t nMapBefore = sim.Running().Map[0];
    QTest::mouseClick(FindControl<CSkinButtonBase>(pView, ctl::EXP_ROUTE_MAIN.first + 2), Qt::LeftButton, {},
                      QPoint(9, 9));
    WaitUntil([&] { return sim.Running().Map[0] != nMapBefore; }, 3000);
    EXPECT_EQ(sim.Running().Map[0], nMapBefore ^ 0x04);

    // A processor preset recalled from the menu.
    frame.Action(ID_LOAD_PRESET.at(1))->trigger();
    WaitUntil([&] { return sim.CurrentPreset() == 1 && m.m_nCurPreset == 1; }, 10000);
    EXPECT_EQ(sim.CurrentPreset(), 1);
    EXPECT_TRUE(frame.IsChecked(ID_LOAD_PRESET.at(1)) ||
                WaitUntil([&] { return frame.IsChecked(ID_LOAD_PRESET.at(1)); }, 2000));
    frame.hide();
}

TEST(Hotplug, PortPathsAppearingAndGoingAwayArriveAndGo) {
    const std::string path =
        testing::TempDir() + "watched-port-" + std::to_string(QCoreApplication::applicationPid());
    std::remove(path.c_str());
    ZUtils::ClearExtraPorts();
    const int nCom = ZUtils::RegisterExtraPort(path);
    CPortPathWatch watch;
    using Changes = CPortPathWatch::CChanges;
    EXPECT_EQ(watch.Look(), Changes{}); // the first look reports nothing: it is how things are
    EXPECT_EQ(watch.Look(), Changes{});
    std::fclose(std::fopen(path.c_str(), "w"));
    EXPECT_EQ(watch.Look(), (Changes{{EPortChange::Arrived, nCom}}));
    EXPECT_EQ(watch.Look(), Changes{});
    std::remove(path.c_str());
    EXPECT_EQ(watch.Look(), (Changes{{EPortChange::Removed, nCom}}));
    EXPECT_EQ(watch.Look(), Changes{});
    // Gone and back between two looks: a new device at the same path.
    std::fclose(std::fopen(path.c_str(), "w"));
    EXPECT_EQ(watch.Look(), (Changes{{EPortChange::Arrived, nCom}}));
    std::remove(path.c_str());
    std::fclose(std::fopen(path.c_str(), "w"));
    EXPECT_EQ(watch.Look(), (Changes{{EPortChange::Removed, nCom}, {EPortChange::Arrived, nCom}}));
    std::remove(path.c_str());
    ZUtils::ClearExtraPorts();
}

// The manager started with --port before the processor exists; the processor appears, goes away
// (the line hangs up) and comes back at the same path.
TEST(ManagerWindow, FollowsTheProcessorAtAGivenPortThroughUnplugAndReplug) {
    const std::string link =
        testing::TempDir() + "replug-port-" + std::to_string(QCoreApplication::applicationPid());
    std::remove(link.c_str());
    ZUtils::ClearExtraPorts();
    ZUtils::RegisterExtraPort(link);
    InitSkinResources();
    auto* pView = new CWAVRView;
    CMainFrame frame(pView);
    CWAVRApp::ConnectFrameMessages(frame, *pView);
    frame.show();
    pView->Start();
    CSettingsModel& m = pView->Core().Model();
    // The save-as dialog offered on removal is answered "cancel".
    int nDialogs = 0;
    QTimer dismiss;
    QObject::connect(&dismiss, &QTimer::timeout, [&] {
        if (auto* pDialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            ++nDialogs;
            pDialog->reject();
        }
    });
    dismiss.start(50);
    WaitUntil([] { return false; }, 500);
    EXPECT_EQ(m.m_bConnected, 0);

    Sim::CSimProcessor sim;
    for (int nPlug = 0; nPlug < 2; ++nPlug) {
        ASSERT_TRUE(sim.Start());
        ASSERT_TRUE(sim.MakeLink(link));
        ASSERT_TRUE(WaitUntil([&] { return m.m_bConnected != 0; }, 20000)) << "plug " << nPlug;
        WaitUntil([] { return false; }, 300);
        EXPECT_EQ(m.m_nMainVolume, sim.Running().nMainVolume);
        sim.HangUp();
        ASSERT_TRUE(WaitUntil([&] { return m.m_bConnected == 0 && nDialogs == nPlug + 1; }, 5000));
        EXPECT_EQ(pView->Core().Protocol().IsOpen(), 0);
    }
    WaitUntil([] { return false; }, 1500); // the path's removal seen as well: still one dialog each
    EXPECT_EQ(nDialogs, 2);
    frame.hide();
    ZUtils::ClearExtraPorts();
}

TEST(Dialogs, ConfirmationEndsOnlyWithItsButtons) {
    InitSkinResources();
    COkCancelDlg dlg(nullptr, true);
    dlg.show();
    QTest::keyClick(&dlg, Qt::Key_Escape);
    QTest::keyClick(&dlg, Qt::Key_Return);
    EXPECT_TRUE(dlg.isVisible());
    auto* pOk = FindControl<CSkinButtonBase>(&dlg, ctl::DIALOG_OK);
    ASSERT_NE(pOk, nullptr);
    QTest::mouseClick(pOk, Qt::LeftButton, {}, QPoint(10, 10));
    WaitUntil([&] { return !dlg.isVisible(); }, 2000);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

// A report of the equalizer tools has one button, OK: Enter and the keypad's Enter take it, from
// wherever the report's focus is.
TEST(Dialogs, AReportEndsWithEnter) {
    InitSkinResources();
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        QPointer<CEqReportDlg> pDlg = new CEqReportDlg(nullptr, "Import", "line 1\nline 2");
        int nResult = -1;
        QObject::connect(pDlg, &QDialog::finished, [&](int n) { nResult = n; });
        pDlg->show();
        pDlg->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(pDlg));
        QWidget* pFocus = QApplication::focusWidget() ? QApplication::focusWidget() : pDlg.data();
        QTest::keyClick(pFocus, key);
        WaitUntil([&] { return pDlg.isNull(); }, 2000);
        EXPECT_EQ(nResult, QDialog::Accepted) << key;
        EXPECT_TRUE(pDlg.isNull()) << key;
        delete pDlg;
    }
}

// The About box names the program's version, in the window's language.
TEST(Dialogs, TheAboutBoxShowsTheVersion) {
    InitSkinResources();
    ASSERT_TRUE(SetUiLanguage(EUiLanguage::English));
    EXPECT_EQ(CAboutDlg::VersionText(), QString("Version ") + MLB8_VERSION);
    SetUiLanguage(EUiLanguage::Chinese);
    EXPECT_EQ(CAboutDlg::VersionText(), QString::fromUtf8("版本 ") + MLB8_VERSION);
    EXPECT_TRUE(QRegularExpression("^\\d+\\.\\d+\\.\\d+$").match(MLB8_VERSION).hasMatch()) << MLB8_VERSION;
    // Drawn: the box differs from its skin where the version stands.
    CAboutDlg dlg(nullptr);
    const QImage shown = dlg.grab().toImage();
    if (const QByteArray dir = qgetenv("MLB8_SHOT_DIR"); !dir.isEmpty())
        shown.save(QString::fromLocal8Bit(dir) + "/about.png");
    int nTextPixels = 0;
    for (int y = 289; y < 309; ++y)
        for (int x = 48; x < 200; ++x)
            nTextPixels += qGray(shown.pixel(x, y)) > 180;
    EXPECT_GT(nTextPixels, 20);
}

TEST(Dialogs, IncompletePresetFileAsksLoadAnywayOrCancel) {
    InitSkinResources();
    // The buttons are found by their English captions, whatever language a test before left.
    ASSERT_TRUE(SetUiLanguage(EUiLanguage::English));
    QTemporaryDir dir;
    const std::string path = dir.filePath("cut.Dovu").toStdString();
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("[PRESET]\r\nPRESET=1\r\n[MAIN_CONTROL]\r\nVOLUME_MAIN=300\r\n", f);
        std::fclose(f);
    }
    auto* pView = new CWAVRView;
    CMainFrame frame(pView);
    CWAVRApp::ConnectFrameMessages(frame, *pView);
    frame.show();
    CSettingsModel& m = pView->Core().Model();
    m.WriteStartupDefaults();
    const int nVolume = m.m_nMainVolume;
    // Answers the question with one of its buttons once it is shown; keeps its text. A box without
    // that button is a failure and is closed, so the test never waits on it.
    auto answer = [](const QString& button, QString* pText) {
        QTimer::singleShot(50, [button, pText] {
            auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(pBox, nullptr);
            EXPECT_EQ(pBox->objectName(), "loadConfirmation");
            *pText = pBox->text();
            for (QAbstractButton* pButton : pBox->buttons())
                if (pButton->text().remove('&') == button) {
                    pButton->click();
                    return;
                }
            ADD_FAILURE() << "the question has no button " << button.toStdString();
            pBox->reject();
        });
    };
    QString text;
    answer("Cancel", &text);
    EXPECT_EQ(pView->Core().LoadPresetPath(path), 0);
    EXPECT_THAT(text.toStdString(), testing::HasSubstr("475 keys of 477 are missing"));
    EXPECT_THAT(text.toStdString(), testing::HasSubstr("VOLUME_MAIN=300 -> 128"));
    EXPECT_EQ(m.m_nMainVolume, nVolume);

    answer("Load anyway", &text);
    EXPECT_EQ(pView->Core().LoadPresetPath(path), 1);
    EXPECT_EQ(m.m_nMainVolume, 128);
    pView->KillTimer(TIMER_SEND_ALL);
    frame.hide();
}

TEST(ManagerCommandLine, TakesItsOptionsAndNamesTheArgumentItRefuses) {
    auto parse = [](QStringList args) {
        args.prepend("mlb8-manager");
        return CWAVRApp::ParseCommandLine(args);
    };
    const CWAVRApp::SCommandLine all =
        parse({"--simulate", "--port", "/dev/a", "--port=/dev/b", "--screenshot", "s.png", "--page", "3"});
    EXPECT_TRUE(all.bSimulate);
    EXPECT_FALSE(all.bHelp);
    EXPECT_EQ(all.ports, (std::vector<std::string>{"/dev/a", "/dev/b"}));
    EXPECT_EQ(all.szScreenshot, "s.png");
    EXPECT_EQ(all.nPage, 3);
    EXPECT_EQ(all.szBadArgument, "");
    EXPECT_EQ(parse({}).nPage, -1);
    EXPECT_TRUE(parse({"--bogus", "-h"}).bHelp);
    EXPECT_TRUE(parse({"--help"}).bHelp);

    const std::vector<std::pair<QStringList, std::string>> refused = {
        {{"--bogus"}, "--bogus"},
        {{"--simulate", "-x=1"}, "-x=1"},
        {{"--simulate=1"}, "--simulate=1"},
        {{"--page", "2", "--port"}, "--port"},
        {{"word"}, "word"},
        {{"--port", "/dev/a", "word"}, "word"},
    };
    for (const auto& [args, bad] : refused)
        EXPECT_EQ(parse(args).szBadArgument, bad) << args.join(' ').toStdString();
}
