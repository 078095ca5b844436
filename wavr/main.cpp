// mlb8-manager: the MLB-8 DSP Manager.
//   mlb8-manager [--simulate] [--port PATH]... [--trace FILE|-] [--screenshot FILE [--page N]]
//                [--lang zh|en]
#include <cstdio>
#include <string>

#include "comm/trace.h"
#include "wavrapp.h"

int main(int argc, char** argv) {
    std::string error;
    if (!TraceSetupFromArgs(argc, argv, &error)) {
        std::fprintf(stderr, "mlb8-manager: %s\n", error.c_str());
        return 2;
    }
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args.push_back(QString::fromLocal8Bit(argv[i]));
    if (CWAVRApp::ParseCommandLine(args).bHelp) { // also without a display
        CWAVRApp::Usage(stdout);
        return 0;
    }
    CWAVRApp app(argc, argv);
    if (!app.InitInstance()) return app.ExitCode();
    return app.exec();
}
