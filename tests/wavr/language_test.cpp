// The window's language: the Chinese texts stay exactly as they are, the English ones leave no
// Chinese character in the menu bar, the title, the busy texts or the confirmations.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "editor/editorids.h"
#include "guilib/gdiplusbitmap.h"
#include "skin/skinids.h"
#include "skin/skinmanifest.h"
#include "wavr/dialogs.h"
#include "wavr/mainfrm.h"
#include "wavr/uilanguage.h"
#include "wavr/wavrview.h"

namespace {

bool HasChinese(const QString& text) {
    for (const QChar c : text)
        if ((c.unicode() >= 0x2E80 && c.unicode() <= 0x9FFF) ||
            (c.unicode() >= 0xF900 && c.unicode() <= 0xFAFF) ||
            (c.unicode() >= 0xFF00 && c.unicode() <= 0xFFEF))
            return true;
    return false;
}

// The menu bar as text: every menu title, then its items, separators as "-". The equalizer tools and
// the Edit menu have English captions in every language; bTools leaves them out.
std::vector<std::string> MenuTexts(CMainFrame& frame, bool bTools = true) {
    std::vector<std::string> texts;
    for (QAction* pMenu : frame.menuBar()->actions()) {
        if (!bTools && (pMenu->text() == "Equalizer tools" || pMenu->text() == "Edit")) continue;
        texts.push_back(pMenu->text().toStdString());
        for (QAction* pItem : pMenu->menu()->actions())
            texts.push_back(pItem->isSeparator() ? "-" : "  " + pItem->text().toStdString());
    }
    return texts;
}

// The text of the busy overlay, the only one the view shows at a time.
QString BusyText(QWidget* pView) {
    for (QWidget* p : pView->findChildren<QWidget*>()) // CMsgDlg is no QObject class of its own
        if (auto* pBusy = dynamic_cast<CMsgDlg*>(p)) return pBusy->Text();
    return {};
}

// Each test leaves the process in the language every other test expects: the sources.
class UiLanguageTest : public testing::Test {
protected:
    void SetUp() override { InitSkinResources(); }
    void TearDown() override { SetUiLanguage(EUiLanguage::Chinese); }
};

TEST(UiLanguage, FollowsTheLocaleUnlessToldOtherwise) {
    struct SRow {
        const char* option;
        const char* locale;
        std::optional<EUiLanguage> want;
    };
    const SRow rows[] = {
        {"", "zh_CN", EUiLanguage::Chinese},   {"", "zh_TW", EUiLanguage::Chinese},
        {"", "zh_HK", EUiLanguage::Chinese},   {"", "en_US", EUiLanguage::English},
        {"", "de_DE", EUiLanguage::English},   {"", "ja_JP", EUiLanguage::English},
        {"", "C", EUiLanguage::English},       {"en", "zh_CN", EUiLanguage::English},
        {"zh", "en_US", EUiLanguage::Chinese}, {"fr", "fr_FR", std::nullopt},
        {"ZH", "zh_CN", std::nullopt},
    };
    for (const SRow& row : rows)
        EXPECT_EQ(ChooseUiLanguage(row.option, QLocale(row.locale)), row.want)
            << row.option << " " << row.locale;
}

TEST_F(UiLanguageTest, ChineseTextsAreThoseOfBefore) {
    ASSERT_TRUE(SetUiLanguage(EUiLanguage::Chinese));
    auto* pView = new CWAVRView;
    CMainFrame frame(pView);
    const std::vector<std::string> before = {
        "加载设置",
        "  加载DSP模式 1",
        "  加载DSP模式 2",
        "  加载DSP模式 3",
        "  加载DSP模式 4",
        "  从文件加载设置",
        "  恢复出厂设置",
        "-",
        "  退出(&Q)",
        "储存设置",
        "  保存DSP模式 1",
        "  保存DSP模式 2",
        "  保存DSP模式 3",
        "  保存DSP模式 4",
        "  储存到指定DSP文件",
        "  保存到DSP",
        "参数设置",
        "  系统设置",
        "  均衡器",
        "  斜率",
        "  延时调整",
        "帮助",
        "  帮助",
        "  关于",
    };
    EXPECT_EQ(MenuTexts(frame, false), before);
    EXPECT_EQ(frame.windowTitle().toStdString(), "MLB-8 DSP 管理工具");
    pView->SetTitle(std::string(TEXT_TITLE) + "(tune.Dovu)");
    EXPECT_EQ(frame.windowTitle().toStdString(), "MLB-8 DSP 管理工具(tune.Dovu)");
    pView->ShowBusy("正在保存中.....");
    EXPECT_EQ(BusyText(pView).toStdString(), "正在保存中.....");
    pView->HideBusy();
    // Qt's file dialog speaks Chinese too (its translations come with the installed packages).
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel").toStdString(), "取消");
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "File &name:").toStdString(), "文件名称(&N)：");
}

TEST_F(UiLanguageTest, EnglishLeavesNoChineseCharacter) {
    ASSERT_TRUE(SetUiLanguage(EUiLanguage::English));
    EXPECT_EQ(UiLanguage(), EUiLanguage::English);
    auto* pView = new CWAVRView;
    CMainFrame frame(pView);
    const std::vector<std::string> menus = MenuTexts(frame);
    ASSERT_EQ(MenuTexts(frame, false).size(), 24u);
    for (const std::string& text : menus)
        EXPECT_FALSE(HasChinese(QString::fromStdString(text))) << text;
    EXPECT_EQ(menus[0], "Load");
    EXPECT_EQ(frame.windowTitle().toStdString(), "MLB-8 DSP Manager");

    // Texts of the editor core: the title with a file, both busy texts; English ones pass unchanged.
    pView->SetTitle(std::string(TEXT_TITLE) + "(tune.Dovu)");
    EXPECT_EQ(frame.windowTitle().toStdString(), "MLB-8 DSP Manager(tune.Dovu)");
    for (const char* pszBusy : {"正在保存中.....", "正在保存中......"}) {
        pView->ShowBusy(pszBusy);
        EXPECT_FALSE(HasChinese(BusyText(pView))) << BusyText(pView).toStdString();
        EXPECT_THAT(BusyText(pView).toStdString(), testing::StartsWith("Saving....."));
        pView->HideBusy();
    }
    EXPECT_EQ(CoreText("Loading....").toStdString(), "Loading....");
    EXPECT_EQ(CoreText(TEXT_COMM_ERROR).toStdString(), TEXT_COMM_ERROR);

    // The confirmations show the English question where the Chinese one was; the rest is alike.
    for (const bool bQuit : {false, true}) {
        auto grab = [&] {
            COkCancelDlg dlg(&frame, bQuit);
            return dlg.grab().toImage().convertToFormat(QImage::Format_ARGB32);
        };
        const QImage english = grab();
        SetUiLanguage(EUiLanguage::Chinese);
        const QImage chinese = grab();
        SetUiLanguage(EUiLanguage::English);
        const QRect message(10, 10, 580, 110);
        EXPECT_NE(english.copy(message), chinese.copy(message)) << bQuit;
        QImage outside = english, outsideZh = chinese;
        for (QImage* p : {&outside, &outsideZh})
            for (int y = message.top(); y <= message.bottom(); ++y)
                for (int x = message.left(); x <= message.right(); ++x)
                    p->setPixel(x, y, 0);
        EXPECT_EQ(outside, outsideZh) << bQuit;
    }
}

// The menu bar, every menu side by side below it and the quit question under them, for the README
// (kept only when MLB8_SHOT_DIR is set).
TEST_F(UiLanguageTest, Pictures) {
    const QByteArray dir = qgetenv("MLB8_SHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "MLB8_SHOT_DIR not set";
    for (const EUiLanguage language : {EUiLanguage::Chinese, EUiLanguage::English}) {
        ASSERT_TRUE(SetUiLanguage(language));
        auto* pView = new CWAVRView;
        CMainFrame frame(pView);
        frame.show();
        QApplication::processEvents();
        QMenuBar* pBar = frame.menuBar();
        const int nBarH = pBar->height();
        int nMenusH = 0;
        int nMenusW = 0;
        std::vector<std::pair<int, QImage>> menus;
        for (QAction* pMenu : pBar->actions()) {
            pMenu->menu()->ensurePolished();
            pMenu->menu()->adjustSize();
            menus.emplace_back(nMenusW, pMenu->menu()->grab().toImage());
            nMenusH = std::max(nMenusH, menus.back().second.height());
            nMenusW += menus.back().second.width() + 12;
        }
        COkCancelDlg quit(&frame, true);
        const QImage question = quit.grab().toImage();
        const int nGap = 12;
        QImage picture(std::max(frame.width(), nMenusW), nBarH + nMenusH + nGap + question.height(),
                       QImage::Format_ARGB32);
        picture.fill(QColor(24, 24, 26));
        QPainter p(&picture);
        p.drawImage(0, 0, frame.grab(QRect(0, 0, frame.width(), nBarH)).toImage());
        for (const auto& [x, image] : menus)
            p.drawImage(x, nBarH + 4, image);
        p.drawImage(0, nBarH + nMenusH + nGap, question);
        p.end();
        const char* pszName = language == EUiLanguage::English ? "language-en.png" : "language-zh.png";
        EXPECT_TRUE(picture.save(QDir(QString::fromLocal8Bit(dir)).filePath(pszName)));
    }
}

} // namespace
