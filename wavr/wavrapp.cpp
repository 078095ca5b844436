#include "wavrapp.h"

#include <QIcon>
#include <QScreen>
#include <QTimer>
#include <cstdio>

#include "comm/comnames.h"
#include "editor/editorids.h"
#include "mainfrm.h"
#include "sim/simprocessor.h"
#include "skin/skinids.h"
#include "skin/skinmanifest.h"
#include "wavrview.h"

void CWAVRApp::Usage(std::FILE* pOut) {
    std::fputs(
        "Usage: mlb8-manager [--simulate] [--port PATH]... [--trace FILE|-] [--screenshot FILE [--page N]]\n"
        "  --simulate         use a simulated MLB-8 inside the program (no hardware needed)\n"
        "  --port PATH        use this serial port only (repeatable)\n"
        "  --trace FILE|-     developer trace to FILE or standard error (or MLB8_TRACE)\n"
        "  --screenshot FILE  save a picture of the window once connected, then quit\n"
        "  --page N           with --screenshot: show page N first (0 configuration, 2 equalizer,\n"
        "                     3 crossover, 4 time alignment)\n",
        pOut);
}

CWAVRApp::CWAVRApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName("ORVIX MANAGER");
}

CWAVRApp::~CWAVRApp() {
    m_pFrame.reset(); // the view and its links close before the simulated processor goes
    m_pSim.reset();
}

bool CWAVRApp::InitInstance() {
    std::vector<std::string> ports;
    bool bSimulate = false;
    const QStringList args = arguments();
    for (int i = 1; i < args.size(); ++i) {
        const std::string arg = args[i].toStdString();
        if (arg == "--simulate") {
            bSimulate = true;
        } else if (arg == "--port" && i + 1 < args.size()) {
            ports.push_back(args[++i].toStdString());
        } else if (arg == "--screenshot" && i + 1 < args.size()) {
            m_szScreenshot = args[++i].toStdString();
        } else if (arg == "--page" && i + 1 < args.size()) {
            m_nPage = args[++i].toInt();
        } else if (arg == "--help" || arg == "-h") {
            Usage(stdout);
            return false;
        } else {
            std::fprintf(stderr, "mlb8-manager: unknown argument '%s'\n", arg.c_str());
            Usage(stderr);
            m_nExitCode = 2;
            return false;
        }
    }
    if (bSimulate) {
        std::string error;
        m_pSim = std::make_unique<Sim::CSimProcessor>();
        if (!m_pSim->Start(&error)) {
            std::fprintf(stderr, "mlb8-manager: cannot start the simulated processor: %s\n", error.c_str());
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
            static const int kCommands[5] = {ID_PAGE_CONFIGURATION, -1, ID_PAGE_EQUALIZER, ID_PAGE_CROSSOVER,
                                             ID_PAGE_TIME_ALIGNMENT};
            if (m_nPage >= 0 && m_nPage < 5 && kCommands[m_nPage] > 0)
                m_pView->OnMenuCommand(kCommands[m_nPage]);
            QTimer::singleShot(700, [this] {
                m_pFrame->grab().save(QString::fromStdString(m_szScreenshot));
                QApplication::exit(0);
            });
        });
    });
    pPoll->start(100);
}
