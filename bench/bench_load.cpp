// A full connect-and-load against the in-process simulated processor, measured against the floor the
// protocol itself imposes: the pause after every transaction (5 ms, 1 ms after a probe).
#include <benchmark/benchmark.h>

#include <chrono>

#include "comm/comnames.h"
#include "editor/consolehost.h"
#include "editor/editorcore.h"
#include "sim/simprocessor.h"

namespace {

// Transactions of ConnectDevice: the preset read, the opening bracket, the preset selection, the
// 130 reads of the load and the closing bracket; plus the one response probe.
constexpr int kTransactions = 1 + 1 + 1 + 130 + 1;
constexpr double kFloorMs = kTransactions * 5.0 + 1.0;

void BM_ConnectAndLoad(benchmark::State& state) {
    Sim::CSimProcessor sim;
    if (!sim.Start()) {
        state.SkipWithError("cannot start the simulated processor");
        return;
    }
    const int nPort = ZUtils::RegisterExtraPort(sim.PortPath());
    CConsoleHost host;
    host.SetQuiet(true);
    CEditorCore core(host);
    host.Attach(&core);
    core.Model().m_Search.m_bSlaveFound[0] = 1; // found by a search before the measurement
    double fTotalMs = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        const int bOk = core.Link().ConnectDevice(nPort, 0);
        fTotalMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
        if (!bOk || !host.Messages().empty()) {
            state.SkipWithError("the load failed");
            break;
        }
        state.PauseTiming();
        host.RunUntil([] { return false; }, 5000); // apply the replies
        state.ResumeTiming();
    }
    state.counters["floor_ms"] = kFloorMs;
    if (state.iterations() > 0)
        state.counters["ratio"] = fTotalMs / static_cast<double>(state.iterations()) / kFloorMs;
}

} // namespace

BENCHMARK(BM_ConnectAndLoad)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
