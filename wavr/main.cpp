// mlb8-manager: the MLB-8 DSP Manager.
//   mlb8-manager [--simulate] [--port PATH]... [--trace FILE|-] [--screenshot FILE [--page N]]
#include <QApplication>
#include <QIcon>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "comm/comnames.h"
#include "comm/trace.h"
#include "editor/editorids.h"
#include "mainfrm.h"
#include "sim/simprocessor.h"
#include "skin/skinids.h"
#include "skin/skinmanifest.h"
#include "wavrview.h"

namespace {

void Usage(std::FILE* pOut) {
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

} // namespace

int main(int argc, char** argv) {
    std::string error;
    if (!TraceSetupFromArgs(argc, argv, &error)) {
        std::fprintf(stderr, "mlb8-manager: %s\n", error.c_str());
        return 2;
    }
    QApplication app(argc, argv);
    app.setApplicationName("ORVIX MANAGER");
    std::vector<std::string> ports;
    bool bSimulate = false;
    std::string screenshot;
    int nPage = -1;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const std::string arg = args[i].toStdString();
        if (arg == "--simulate") {
            bSimulate = true;
        } else if (arg == "--port" && i + 1 < args.size()) {
            ports.push_back(args[++i].toStdString());
        } else if (arg == "--screenshot" && i + 1 < args.size()) {
            screenshot = args[++i].toStdString();
        } else if (arg == "--page" && i + 1 < args.size()) {
            nPage = args[++i].toInt();
        } else if (arg == "--help" || arg == "-h") {
            Usage(stdout);
            return 0;
        } else {
            std::fprintf(stderr, "mlb8-manager: unknown argument '%s'\n", arg.c_str());
            Usage(stderr);
            return 2;
        }
    }

    std::unique_ptr<Sim::CSimProcessor> sim;
    if (bSimulate) {
        sim = std::make_unique<Sim::CSimProcessor>();
        if (!sim->Start(&error)) {
            std::fprintf(stderr, "mlb8-manager: cannot start the simulated processor: %s\n", error.c_str());
            return 1;
        }
        ports = {sim->PortPath()};
    }
    for (const std::string& path : ports)
        ZUtils::RegisterExtraPort(path);

    InitSkinResources();
    app.setWindowIcon(QIcon(SkinResourcePath(SkinId::APP_ICON)));
    auto* pView = new CWAVRView;
    CMainFrame frame(pView);
    const QRect screen =
        app.primaryScreen() ? app.primaryScreen()->availableGeometry() : QRect(0, 0, 1280, 800);
    frame.move(CMainFrame::Placement(screen.width(), screen.height()));
    frame.show();
    pView->Start();

    if (!screenshot.empty()) {
        // Wait for the connection and the load, then show the asked page and take the picture.
        auto* pPoll = new QTimer(&frame);
        int nWaited = 0;
        QObject::connect(pPoll, &QTimer::timeout, [&, pPoll] {
            nWaited += 100;
            const bool bReady = pView->Core().m_Model.m_bConnected || nWaited > 15000;
            if (!bReady) return;
            pPoll->stop();
            // The replies and the after-load refresh (which shows the configuration page) come first.
            QTimer::singleShot(1500, [&] {
                static const int kCommands[5] = {ID_PAGE_CONFIGURATION, -1, ID_PAGE_EQUALIZER,
                                                 ID_PAGE_CROSSOVER, ID_PAGE_TIME_ALIGNMENT};
                if (nPage >= 0 && nPage < 5 && kCommands[nPage] > 0) pView->OnMenuCommand(kCommands[nPage]);
                QTimer::singleShot(700, [&] {
                    frame.grab().save(QString::fromStdString(screenshot));
                    QApplication::exit(0);
                });
            });
        });
        pPoll->start(100);
    }
    return app.exec();
}
