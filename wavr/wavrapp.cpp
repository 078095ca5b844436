#include "wavrapp.h"

#include <QCommandLineParser>
#include <QIcon>
#include <QRegularExpression>
#include <QScreen>
#include <QTimer>
#include <cstdio>

#include "comm/comnames.h"
#include "editor/editorids.h"
#include "editor/presetfile.h"
#include "graph/systemgraph.h"
#include "mainfrm.h"
#include "sim/simulated.h"
#include "skin/skinids.h"
#include "skin/skinmanifest.h"
#include "uilanguage.h"
#include "wavrview.h"

void CWAVRApp::Usage(std::FILE* pOut) {
    std::fputs(
        "Usage: mlb8-manager [--simulate] [--port PATH]... [--trace FILE|-] [--screenshot FILE [--page N]\n"
        "                    [--load FILE] [--system-view]] [--lang zh|en]\n"
        "  --simulate         use a simulated MLB-8 inside the program (no hardware needed)\n"
        "  --port PATH        use this serial port only (repeatable)\n"
        "  --trace FILE|-     developer trace to FILE or standard error (or MLB8_TRACE)\n"
        "  --screenshot FILE  save a picture of the window once connected, then quit\n"
        "  --page N           with --screenshot: show page N first (0 configuration, 2 equalizer,\n"
        "                     3 crossover, 4 time alignment)\n"
        "  --lang zh|en       the window's language, Chinese or English (without it: Chinese for a\n"
        "                     Chinese system locale, English for every other)\n"
        "  --load FILE        with --screenshot: load the preset file FILE first (written to the\n"
        "                     processor as a file loaded from the menu is)\n"
        "  --system-view      with --screenshot: switch the graph's system view on\n",
        pOut);
}

CWAVRApp::SCommandLine CWAVRApp::ParseCommandLine(const QStringList& args) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption simulate("simulate");
    const QCommandLineOption port("port", QString(), "PATH");
    const QCommandLineOption screenshot("screenshot", QString(), "FILE");
    const QCommandLineOption page("page", QString(), "N");
    const QCommandLineOption help(QStringList{"h", "help"});
    const QCommandLineOption lang("lang", QString(), "zh|en");
    const QCommandLineOption load("load", QString(), "FILE");
    const QCommandLineOption systemView("system-view");
    parser.addOptions({simulate, port, screenshot, page, help, lang, load, systemView});
    SCommandLine out;
    const bool bParsed = parser.parse(args);
    out.bHelp = parser.isSet(help);
    out.bSimulate = parser.isSet(simulate);
    for (const QString& path : parser.values(port))
        out.ports.push_back(path.toStdString());
    out.szScreenshot = parser.value(screenshot).toStdString();
    if (parser.isSet(page)) out.nPage = parser.value(page).toInt();
    out.szLanguage = parser.value(lang).toStdString();
    out.szLoad = parser.value(load).toStdString();
    out.bSystemView = parser.isSet(systemView);
    // Name the argument as it was written: an unknown option, a switch given a value, an option
    // without its value (it came last), or a word where none is taken.
    if (!bParsed && !parser.unknownOptionNames().isEmpty()) {
        const QString name = parser.unknownOptionNames().first();
        for (int i = 1; i < args.size() && out.szBadArgument.empty(); ++i)
            if (args[i].startsWith('-') &&
                args[i].section('=', 0, 0).remove(QRegularExpression("^-+")) == name)
                out.szBadArgument = args[i].toStdString();
    }
    for (int i = 1; i < args.size() && !bParsed && out.szBadArgument.empty(); ++i)
        if (args[i].contains(QRegularExpression("^-+(simulate|h|help|system-view)=")))
            out.szBadArgument = args[i].toStdString();
    if (!bParsed && out.szBadArgument.empty() && args.size() > 1)
        out.szBadArgument = args.last().toStdString();
    if (bParsed && !parser.positionalArguments().isEmpty())
        out.szBadArgument = parser.positionalArguments().first().toStdString();
    return out;
}

CWAVRApp::CWAVRApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName("ORVIX MANAGER");
}

CWAVRApp::~CWAVRApp() {
    m_pFrame.reset(); // the view and its links close before the simulated processor goes
    m_pSim.reset();
}

bool CWAVRApp::InitInstance() {
    SCommandLine options = ParseCommandLine(arguments());
    if (!options.szBadArgument.empty()) {
        std::fprintf(stderr, "mlb8-manager: unknown argument '%s'\n", options.szBadArgument.c_str());
        Usage(stderr);
        m_nExitCode = 2;
        return false;
    }
    if (options.bHelp) {
        Usage(stdout);
        return false;
    }
    std::vector<std::string> ports = options.ports;
    const bool bSimulate = options.bSimulate;
    m_szScreenshot = options.szScreenshot;
    m_nPage = options.nPage;
    m_szLoad = options.szLoad;
    m_bSystemView = options.bSystemView ? 1 : 0;
    // Before anything shows a text.
    const std::optional<EUiLanguage> uiLanguage =
        ChooseUiLanguage(QString::fromStdString(options.szLanguage), QLocale::system());
    if (!uiLanguage) {
        std::fprintf(stderr, "mlb8-manager: --lang takes zh or en\n");
        m_nExitCode = 2;
        return false;
    }
    if (!SetUiLanguage(*uiLanguage))
        std::fprintf(stderr, "mlb8-manager: the texts of the chosen language are missing\n");
    if (bSimulate) {
        std::string error;
        m_pSim = Sim::StartSimulated(&error);
        if (!m_pSim) {
            std::fprintf(stderr, "mlb8-manager: %s\n", error.c_str());
            m_nExitCode = 1;
            return false;
        }
        ports = {m_pSim->PortPath()};
    }
    for (const std::string& path : ports)
        ZUtils::RegisterExtraPort(path);

    InitSkinResources();
    setWindowIcon(QIcon(SkinResourcePath(SkinId::APP_ICON)));
    m_pView = new CWAVRView;
    m_pFrame = std::make_unique<CMainFrame>(m_pView);
    ConnectFrameMessages(*m_pFrame, *m_pView);
    const QRect screen = primaryScreen() ? primaryScreen()->availableGeometry() : QRect(0, 0, 1280, 800);
    m_pFrame->move(CMainFrame::Placement(screen.width(), screen.height()));
    m_pFrame->show();
    m_pView->Start();
    if (!m_szScreenshot.empty()) TakeScreenshotWhenLoaded();
    return true;
}

void CWAVRApp::ConnectFrameMessages(CMainFrame& frame, CWAVRView& view) {
    view.SetFrameMessageHandler([pFrame = &frame](std::uint32_t nMsg, std::intptr_t lParam) {
        pFrame->OnFrameMessage(nMsg, static_cast<long>(lParam));
    });
}

// Waits for the connection and the load, shows the asked page, takes the picture and quits.
void CWAVRApp::TakeScreenshotWhenLoaded() {
    auto* pPoll = new QTimer(m_pFrame.get());
    auto nWaited = std::make_shared<int>(0);
    QObject::connect(pPoll, &QTimer::timeout, [this, pPoll, nWaited] {
        *nWaited += 100;
        if (!m_pView->Core().Model().m_bConnected && *nWaited <= 15000) return;
        pPoll->stop();
        // The replies and the after-load refresh (which shows the configuration page) come first.
        QTimer::singleShot(1500, [this] {
            // A loaded file is written to the processor by a timer, behind the busy overlay; the
            // picture waits for it.
            // Unattended: a file that would ask before loading (incomplete, values changed) ends the run.
            if (!m_szLoad.empty()) {
                ZUtils::ZProfile profile;
                CEditorCore& core = m_pView->Core();
                if (!core.CheckPresetFile(m_szLoad, EPresetRead::File, profile) ||
                    !core.FileReport().Clean()) {
                    std::fprintf(stderr, "mlb8-manager: %s cannot be loaded unattended: %s\n",
                                 m_szLoad.c_str(),
                                 core.FileError().empty() ? "it is incomplete or has values out of range"
                                                          : core.FileError().c_str());
                    QApplication::exit(1);
                    return;
                }
            }
            const int bLoaded = !m_szLoad.empty() && m_pView->Core().LoadPresetPath(m_szLoad);
            m_pView->SyncFromForm();
            QTimer::singleShot(bLoaded ? 3000 : 0, [this] { ShowPageAndTakePicture(); });
        });
    });
    pPoll->start(100);
}

void CWAVRApp::ShowPageAndTakePicture() {
    static const int kCommands[5] = {ID_PAGE_CONFIGURATION, -1, ID_PAGE_EQUALIZER, ID_PAGE_CROSSOVER,
                                     ID_PAGE_TIME_ALIGNMENT};
    if (m_nPage >= 0 && m_nPage < 5 && kCommands[m_nPage] > 0) m_pView->OnMenuCommand(kCommands[m_nPage]);
    if (m_bSystemView && m_pView->SystemGraph()) {
        m_pView->SystemGraph()->View().SetOn(true);
        m_pView->SystemGraph()->ApplyView();
    }
    QTimer::singleShot(700, [this] {
        m_pFrame->grab().save(QString::fromStdString(m_szScreenshot));
        QApplication::exit(0);
    });
}
