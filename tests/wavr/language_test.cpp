// The window's language: the Chinese texts stay exactly as they are, the English ones leave no
// Chinese character in the menu bar, the title, the busy texts or the confirmations.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QToolTip>
#include <cerrno>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "comm/portdiagnosis.h"
#include "editor/abcompare.h"
#include "editor/editorids.h"
#include "editor/help.h"
#include "guilib/gdiplusbitmap.h"
#include "guilib/skinbutton.h"
#include "presets/presetreport.h"
#include "skin/skinids.h"
#include "skin/skinmanifest.h"
#include "tuning/systemview.h"
#include "wavr/abswitch.h"
#include "wavr/dialogs.h"
#include "wavr/eqtools.h"
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

// The menu bar as text: every menu title, then its items, separators as "-". bTools leaves out the
// menus added to the original (the equalizer tools and the Edit menu).
std::vector<std::string> MenuTexts(CMainFrame& frame, bool bTools = true) {
    std::vector<std::string> texts;
    for (QAction* pMenu : frame.menuBar()->actions()) {
        const QString title = pMenu->text();
        if (!bTools &&
            (title == "Equalizer tools" || title == "Edit" || title == "均衡器工具" || title == "编辑"))
            continue;
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

// A line of the window left English: Latin words once the names that stay as they are (file names
// and paths, units, the A/B sides, the filter keywords of the files, the system's own error texts)
// are taken out, and no Chinese character, or an English phrase of three words inside a Chinese line
// (a sentence whose pattern was missing, with only its punctuation translated).
bool LatinOnly(const QString& line) {
    static const QRegularExpression kKept(QStringLiteral(
        "(\\S*/[^\\s\uff08]*|\\S+\\.(txt|cfg|csv|frd|Dovu)\\b|\\b(A|B|Q|dB|Hz|kHz|ms|Fc|PK|ON|OFF|pid|F8|"
        "USB|DSP|MLB-8|ORVIX|RMS)\\b)"));
    static const QRegularExpression kPhrase(QStringLiteral("[A-Za-z]{2,}([ ,]+[A-Za-z]{2,}){2}"));
    QString rest = line;
    rest.remove(QStringLiteral("No such file or directory")).remove(kKept);
    if (HasChinese(line)) return rest.contains(kPhrase);
    return rest.contains(QRegularExpression(QStringLiteral("[A-Za-z]{2,}")));
}

// Every line of the texts that is English only, with where it was seen.
std::vector<std::string> EnglishLines(const std::vector<std::pair<std::string, QString>>& texts) {
    std::vector<std::string> out;
    for (const auto& [where, text] : texts)
        for (const QString& line : text.split('\n'))
            if (LatinOnly(line)) out.push_back(where + ": " + line.toStdString());
    return out;
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

// Every text the additions show (their menus, the equalizer tools' dialogs and reports, the incomplete
// file question, the port messages, the About box, the A/B buttons, the system view, the help texts)
// is Chinese in the Chinese window, and the English window shows them as written.
TEST_F(UiLanguageTest, TheAdditionsSpeakTheWindowsLanguage) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto write = [&](const char* pszName, const QByteArray& data) {
        QFile file(dir.filePath(pszName));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
        return dir.filePath(pszName).toStdString();
    };
    const std::string filters = write("filters.txt", "Preamp: -6 dB\nChannel: L\n"
                                                     "Filter 1: ON PK Fc 100 Hz Gain 4 dB Q 1.41\n"
                                                     "Filter 2: ON PK Fc 30000 Hz Gain 20 dB Q 9\n"
                                                     "Filter 3: OFF PK Fc 300 Hz Gain 2 dB Q 1\n"
                                                     "Filter 4: ON LS Fc 80 Hz Gain 3 dB\n"
                                                     "Filter 5: ON PK Fc 900 Hz Gain 3 dB\n"
                                                     "Filter 6: ON PK Fc abc Hz Gain 3 dB Q 1\n"
                                                     "Filter 7: ON PK Gain 3 dB Q 1\nEqualizer: on\nwhat\n");
    const std::string noFilters = write("none.txt", "just words\n");
    QByteArray curve;
    for (double f = 20; f < 20000; f *= 1.1)
        curve += QByteArray::number(f) + " " + QByteArray::number(3 * std::sin(f / 300)) + "\n";
    const std::string measurement = write("front.frd", curve);
    const std::string unusable = write("unusable.frd", curve + "abc def\n100 x\n1e9 3\n200 1 2 3 4\n");
    QByteArray kiloHertz, noLevel = "freq,phase\n", dip = "freq,spl\n";
    for (double f = 20; f < 20000; f *= 1.05) {
        kiloHertz += QByteArray::number(f / 1000) + " 0\n";
        noLevel += QByteArray::number(f) + ",10\n";
        // A narrow dip too deep to fill, on a response the bands can straighten.
        const double fLevel = std::abs(std::log2(f / 1000)) < 0.04 ? -30 : 4 * std::sin(f / 500);
        dip += QByteArray::number(f) + "," + QByteArray::number(fLevel) + "\n";
    }
    const std::string khz = write("khz.txt", kiloHertz);
    const std::string noLevelColumn = write("nolevel.csv", noLevel);
    const std::string withDip = write("dip.csv", dip);
    QByteArray many;
    for (int i = 1; i <= 12; ++i)
        many += "Filter " + QByteArray::number(i) + ": ON PK Fc " + QByteArray::number(100 * i) +
                " Hz Gain " + QByteArray::number(i % 2 ? 3 : -0.01 * i) + " dB Q 2\n";
    const std::string tooMany = write("many.txt", many);
    const std::string absurd = write("absurd.txt", "Filter 1: ON PK Fc 5000000 Hz Gain 3 dB Q 1\n");
    const std::string binary = write("binary.txt", QByteArray("\x00\x01\x02 text", 8));
    const std::string missing = dir.filePath("missing.txt").toStdString();
    const std::string unwritable = dir.filePath("no/such/folder/out.txt").toStdString();

    for (const EUiLanguage language : {EUiLanguage::Chinese, EUiLanguage::English}) {
        SCOPED_TRACE(language == EUiLanguage::Chinese ? "Chinese" : "English");
        ASSERT_TRUE(SetUiLanguage(language));
        auto* pView = new CWAVRView;
        CMainFrame frame(pView);
        std::vector<std::pair<std::string, QString>> texts;
        for (QAction* pMenu : frame.menuBar()->actions()) {
            const QString title = pMenu->text();
            if (title != "Edit" && title != "编辑" && title != "Equalizer tools" && title != "均衡器工具")
                continue;
            emit pMenu->menu()->aboutToShow();
            texts.emplace_back("menu", title);
            for (QAction* pItem : pMenu->menu()->actions())
                if (!pItem->isSeparator()) texts.emplace_back("menu item", pItem->text());
        }
        EXPECT_EQ(texts.size(), 2u + 4u + 11u) << "the Edit and Equalizer tools menus";

        // The equalizer tools' reports, in their dialogs, each with its title.
        CEqTools& tools = pView->EqTools();
        tools.ImportFilters(filters);
        tools.ImportFilters(noFilters);
        tools.ImportFilters(binary);
        tools.ImportFilters(missing);
        tools.Fit();
        tools.LoadMeasurement(noFilters);
        tools.LoadTarget(missing);
        tools.LoadMeasurement(measurement);
        tools.Fit();
        tools.ExportFilters(dir.filePath("out.txt").toStdString());
        tools.ExportFilters(unwritable);
        tools.ImportFilters(tooMany);
        tools.ImportFilters(absurd);
        tools.LoadMeasurement(unusable);
        tools.LoadMeasurement(khz);
        tools.LoadMeasurement(noLevelColumn);
        tools.LoadMeasurement(withDip);
        tools.Fit();
        // Align outputs: refused (a measurement without phase), then a proposal with an output muted and
        // the others without a measurement, previewed on the system view.
        tools.AlignOutputs();
        CSettingsModel& model = pView->Core().Model();
        for (int ch : {0, 2, 4, 6}) {
            SChannelTuning& t = tools.Tuning(ch);
            t = SChannelTuning{};
            double f = ZUtils::kGridFirstFreq;
            for (int i = 0; i < RESPONSE_POINTS; ++i, f *= ZUtils::kGridRatio) {
                t.measured.push_back(80.0);
                t.measuredPhase.push_back(-360.0 * f * (1.0 + ch) / 1000.0);
            }
            SetMeasuredThrough(t, model, ch, "the test");
        }
        model.m_bMute[6] = 1;
        tools.AlignOutputs();
        model.m_bMute[6] = 0;
        texts.emplace_back("align preview", CoreText(tools.AlignmentPreview().sumName));
        texts.emplace_back("align preview", CoreText("Dashed: before the alignment"));
        int nReports = 0;
        for (QWidget* pWidget : frame.findChildren<QWidget*>()) { // no QObject classes of their own
            auto* pDlg = dynamic_cast<CEqReportDlg*>(pWidget);
            if (!pDlg) continue;
            texts.emplace_back("report title", pDlg->windowTitle());
            texts.emplace_back("report of " + pDlg->windowTitle().toStdString(), pDlg->Text());
            for (QPushButton* pButton : pDlg->findChildren<QPushButton*>())
                texts.emplace_back("report button", pButton->text());
            ++nReports;
        }
        EXPECT_EQ(nReports, 18);

        // The incomplete-file question with its buttons, and the port messages.
        SPresetReport report;
        report.nKeys = 500;
        report.missing = {{"EQUALIZER", "CH1_BIQUAD_1_Freq"}, {"CROSSOVER", "CH2_HPF_Slop"}};
        report.unreadable = {"VOLUME_CH1=nan"};
        report.clamped = {"VOLUME_CH3=300 -> 128",
                          "A=1 -> 0",
                          "B=2 -> 0",
                          "C=3 -> 0",
                          "D=4 -> 0",
                          "E=5 -> 0",
                          "F=6 -> 0",
                          "G=7 -> 0",
                          "H=8 -> 0",
                          "I=9 -> 0"};
        report.notes = {"OUTPUT_MAP_M6=255 -> 3 (outside the 4.1 routing)",
                        "OUTPUT_CONFIG_1=4 -> 3 (the routing is 4.1's)"};
        texts.emplace_back("incomplete file", CoreText(report.Question("The preset file \"car.Dovu\"")));
        texts.emplace_back("incomplete file", QCoreApplication::translate("CWAVRView", "Load anyway"));
        for (const int nError : {EBUSY, EACCES, ENOENT, ENOTTY})
            texts.emplace_back("port", CoreText("The serial port /dev/ttyUSB0 is " +
                                                DescribePortOpenFailure(nError, "/dev/ttyUSB0") + "."));
        texts.emplace_back("port", CoreText("Close that program, then plug the processor in again."));

        // The About box, the A/B buttons, the system view's names.
        for (const QString& text : CAboutDlg::Texts())
            texts.emplace_back("About", text);
        for (QWidget* pWidget : pView->findChildren<QWidget*>())
            if (auto* pSwitch = dynamic_cast<CAbSwitch*>(pWidget))
                for (int i = 0; i < 2; ++i)
                    texts.emplace_back("A/B", pSwitch->Side(i)->toolTip());
        CSettingsModel& m = pView->Core().Model();
        for (int nArch = 0; nArch < MLB8_ARCHITECTURES; ++nArch) {
            m.m_nDSPOutput[m.m_nDSPInput] = nArch;
            CSystemView view;
            SSystemPicture picture;
            view.Compute(m, &picture);
            for (const SSystemOutput& o : picture.outputs)
                texts.emplace_back("system view", CoreText(o.name));
            texts.emplace_back("system view", CoreText(picture.sumName));
        }
        for (const int nMuted : {1, MLB8_CHANNELS}) { // one output muted, then all of them
            std::fill_n(m.m_bMute, nMuted, 1);
            CSystemView view;
            SSystemPicture picture;
            view.Compute(m, &picture);
            texts.emplace_back("system view, muted", CoreText(picture.sumName));
        }
        texts.emplace_back("system view", QCoreApplication::translate("CSystemGraph", " (muted)"));
        texts.emplace_back("reconnect", UiHelpText(TEXT_COMPARE_RESET));
        texts.emplace_back(
            "system view",
            CoreText("Processor-only sum: no measurement for Out 3, Out 5, Out 7; no phase in the "
                     "measurement of Out 1"));
        // A measured sum, and the alignment's, drawn moved onto the plot (the first of them as the view
        // names it, from measurements at 80 dB).
        for (int ch = 0; ch < MLB8_CHANNELS; ++ch)
            m.m_bMute[ch] = 0;
        {
            CSystemView view;
            view.SetTunings(&tools.Tunings());
            SSystemPicture picture;
            view.Compute(m, &picture);
            EXPECT_NE(picture.sumName.find(" dB lower)"), std::string::npos) << picture.sumName;
            texts.emplace_back("system view, measured", CoreText(picture.sumName));
        }
        for (const char* pszText : {"Sum Out 1 + Out 3 (measured, drawn 2.1 dB higher)",
                                    "Sum Out 1 + Out 2 after the alignment (drawn 2.1 dB higher)"})
            texts.emplace_back("system view, measured", CoreText(pszText));
        for (const char* pszText :
             {"Sum: click an output", "phase", "phase, common delay of %1 ms taken out"})
            texts.emplace_back("system view", QCoreApplication::translate("CSystemGraph", pszText));
        for (int nId = ctl::ADDED_HELP.first; nId <= ctl::ADDED_HELP.last; ++nId)
            texts.emplace_back("help " + std::to_string(nId), UiHelpText(CHelp::HelpText(nId)));

        const std::vector<std::string> english = EnglishLines(texts);
        if (language == EUiLanguage::Chinese) {
            EXPECT_TRUE(english.empty()) << testing::PrintToString(english);
        } else {
            for (const auto& [where, text] : texts)
                EXPECT_FALSE(HasChinese(text)) << where << ": " << text.toStdString();
            EXPECT_GT(english.size(), texts.size() / 2);
        }
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
