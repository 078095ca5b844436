// mlb8-sim: a simulated MLB-8 processor on a pseudo-terminal.
#include "simoptions.h"
#include "simprocessor.h"

#include <csignal>
#include <cstdio>
#include <pthread.h>

int main(int argc, char** argv) {
    Sim::SSimOptions options;
    std::string szError;
    if (!Sim::ParseSimArgs(std::vector<std::string>(argv + 1, argv + argc), options, szError)) {
        std::fprintf(stderr, "mlb8-sim: %s\n%s", szError.c_str(), Sim::SimUsage().c_str());
        return 2;
    }
    if (options.bHelp) {
        std::fputs(Sim::SimUsage().c_str(), stdout);
        return 0;
    }

    // The signals are taken with sigwait below; the simulator thread inherits the blocked mask.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    Sim::CSimProcessor sim;
    sim.SetAddress(options.nAddress);
    sim.SetFaults(options.Faults);
    if (!options.szLog.empty() && !sim.SetLogFile(options.szLog, &szError)) {
        std::fprintf(stderr, "mlb8-sim: cannot open the log: %s\n", szError.c_str());
        return 1;
    }
    if (!sim.Start(&szError)) {
        std::fprintf(stderr, "mlb8-sim: cannot open a pseudo-terminal: %s\n", szError.c_str());
        return 1;
    }
    if (!options.szLink.empty() && !sim.MakeLink(options.szLink, &szError)) {
        std::fprintf(stderr, "mlb8-sim: cannot make the link: %s\n", szError.c_str());
        return 1;
    }
    if (options.szLink.empty())
        std::printf("mlb8-sim: port %s\n", sim.PortPath().c_str());
    else
        std::printf("mlb8-sim: port %s link %s\n", sim.PortPath().c_str(), options.szLink.c_str());
    std::fflush(stdout);

    int nSignal = 0;
    while (sigwait(&signals, &nSignal) != 0) {
    }
    sim.Stop();
    return 0;
}
