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
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h") { // also without a display
            CWAVRApp::Usage(stdout);
            return 0;
        }
    CWAVRApp app(argc, argv);
    if (!app.InitInstance()) return app.ExitCode();
    return app.exec();
}
