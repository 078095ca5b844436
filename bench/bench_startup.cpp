// Start-up of the manager with its simulated processor on Qt's offscreen platform: the time from the
// start of the process to the first painted main window and to the loaded window (connected, every
// reply applied, the input lock released), compared with the floor the protocol itself sets, and the
// resident memory once the whole configuration is loaded. Then the processor time the idle window
// spends on every page, connected and without a processor. Each run is a fresh process (this
// program started again with --once); the figures printed are the medians.
//   mlb8_bench_startup [--runs N] [--idle-seconds S]
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "comm/trace.h"
#include "editor/editorcore.h"
#include "editor/editorids.h"
#include "wavr/mainfrm.h"
#include "wavr/wavrapp.h"
#include "wavr/wavrview.h"
#include <CLI/CLI.hpp>

extern char** environ;

namespace {

constexpr double kStartupGoalMs = 400;
constexpr double kMemoryGoalMb = 150;
// What the protocol itself costs from the answer to a usable window: the 1000 ms input lock after
// the load, and the 5 ms pause after each of the 134 transactions of connect and load.
constexpr double kLoadFloorMs = 1000 + 134 * 5;
constexpr double kLoadGoalRatio = 1.8;
constexpr double kIdleGoalPercent = 1.0;

double CpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

std::int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// A line of /proc/self/status in MiB ("VmRSS", "VmHWM").
double StatusMb(const char* pszKey) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string key = std::string(pszKey) + ":";
    while (std::getline(in, line))
        if (line.compare(0, key.size(), key) == 0) return std::atof(line.c_str() + key.size()) / 1024.0;
    return 0;
}

// Notes the end of the first paint of the main window.
class CPaintWatch : public QObject {
public:
    explicit CPaintWatch(std::int64_t nStartNs) : m_nStartNs(nStartNs) {}
    double m_fFirstPaintMs = -1;

protected:
    bool eventFilter(QObject* pObject, QEvent* pEvent) override {
        if (m_fFirstPaintMs < 0 && !m_bSeen && pEvent->type() == QEvent::Paint && pObject->isWidgetType()) {
            m_bSeen = true;
            // The rest of the paint pass runs before the next queued call.
            QTimer::singleShot(0,
                               [this] { m_fFirstPaintMs = static_cast<double>(NowNs() - m_nStartNs) / 1e6; });
        }
        return false;
    }

private:
    std::int64_t m_nStartNs;
    bool m_bSeen = false;
};

// Idle measurement of one run: every page in turn, each given a moment to settle, then its processor
// time over nIdleMs. Prints "idle <page> <percent>" lines.
void MeasureIdle(CWAVRApp& app, int nIdleMs, bool bConnected, std::function<void()> done) {
    static const int kCommands[4] = {ID_PAGE_CONFIGURATION, ID_PAGE_EQUALIZER, ID_PAGE_CROSSOVER,
                                     ID_PAGE_TIME_ALIGNMENT};
    static const char* kNames[4] = {"configuration", "equalizer", "crossover", "time-alignment"};
    // Once per process; kept for the whole run, so the timers' calls never outlive it.
    static std::function<void(int)> step;
    step = [&app, nIdleMs, bConnected, done](int k) {
        if (k == 4) {
            done();
            return;
        }
        app.View()->OnMenuCommand(kCommands[k]);
        QTimer::singleShot(300, [nIdleMs, bConnected, k] {
            const double fStart = CpuSeconds();
            QTimer::singleShot(nIdleMs, [nIdleMs, bConnected, k, fStart] {
                const double fPercent = (CpuSeconds() - fStart) * 100000.0 / nIdleMs;
                std::printf("idle %s %s %.2f\n", bConnected ? "connected" : "offline", kNames[k], fPercent);
                std::fflush(stdout);
                step(k + 1);
            });
        });
    };
    step(0);
}

int RunOnce(std::int64_t nStartNs, int nIdleMs, bool bOffline, char** argv) {
    // MLB8_TRACE shows where the time goes.
    if (const char* pszTrace = std::getenv("MLB8_TRACE"); pszTrace && *pszTrace) TraceOpen(pszTrace);
    // Without a processor: a serial port (a pseudo-terminal) where nothing answers, so the whole search
    // runs and finds nothing.
    std::vector<char*> args = {argv[0], const_cast<char*>("--simulate")};
    std::string silentPort;
    int nMaster = -1;
    if (bOffline) {
        nMaster = posix_openpt(O_RDWR | O_NOCTTY);
        if (nMaster < 0 || grantpt(nMaster) != 0 || unlockpt(nMaster) != 0) return 1;
        silentPort = ptsname(nMaster);
        args = {argv[0], const_cast<char*>("--port"), silentPort.data()};
    }
    int nArgs = static_cast<int>(args.size());
    CWAVRApp app(nArgs, args.data());
    CPaintWatch watch(nStartNs);
    app.installEventFilter(&watch);
    const double fBeforeInitMs = static_cast<double>(NowNs() - nStartNs) / 1e6;
    if (!app.InitInstance()) return app.ExitCode();
    const double fInitMs = static_cast<double>(NowNs() - nStartNs) / 1e6;
    std::fprintf(stderr, "application object after %.1f ms, window built and search started after %.1f ms\n",
                 fBeforeInitMs, fInitMs);
    auto* pPoll = new QTimer(app.Frame());
    int nWaited = 0;
    // The longest time the event loop stood still without the busy overlay having been shown.
    std::int64_t nLastTickNs = NowNs();
    int nBusyAtLastTick = 0;
    double fLongestFreezeMs = 0;
    double fConnectedMs = -1, fLoadedMs = -1;
    bool bLockSeen = false;
    auto finish = [&] {
        std::printf("first_paint_ms %.1f connected_ms %.1f loaded_ms %.1f rss_mb %.1f peak_rss_mb %.1f\n",
                    watch.m_fFirstPaintMs, fConnectedMs, fLoadedMs, StatusMb("VmRSS"), StatusMb("VmHWM"));
        if (bOffline) std::printf("longest_freeze_ms %.1f\n", fLongestFreezeMs);
        std::fflush(stdout);
        QApplication::exit((bOffline || fLoadedMs >= 0) && watch.m_fFirstPaintMs >= 0 ? 0 : 1);
    };
    QObject::connect(pPoll, &QTimer::timeout, [&] {
        nWaited += 10;
        const std::int64_t nTickNs = NowNs();
        if (app.View()->BusyShownCount() == nBusyAtLastTick)
            fLongestFreezeMs = std::max(fLongestFreezeMs, static_cast<double>(nTickNs - nLastTickNs) / 1e6);
        nLastTickNs = nTickNs;
        nBusyAtLastTick = app.View()->BusyShownCount();
        const CSettingsModel& m = app.View()->Core().Model();
        const double fNow = static_cast<double>(NowNs() - nStartNs) / 1e6;
        if (fConnectedMs < 0 && m.m_bConnected) fConnectedMs = fNow;
        // Loaded: every reply applied and the input lock's timer, set by the after-load refresh, expired.
        if (m.m_bConnected && app.View()->IsTimerActive(TIMER_ID_UNLOCK_MOUSE)) bLockSeen = true;
        if (fLoadedMs < 0 && bLockSeen && !app.View()->IsTimerActive(TIMER_ID_UNLOCK_MOUSE)) fLoadedMs = fNow;
        // Offline: the search has given up once its link is closed and timer 1 is gone.
        const bool bReady = bOffline ? nWaited >= 1000 && !app.View()->Core().SearchProtocol().IsOpen() &&
                                           !app.View()->IsTimerActive(TIMER_DEVICE_SEARCH)
                                     : fLoadedMs >= 0;
        if (bReady || nWaited > 30000) {
            pPoll->stop();
            if (bReady && nIdleMs > 0)
                MeasureIdle(app, nIdleMs, !bOffline, finish);
            else
                finish();
        }
    });
    pPoll->start(10);
    const int nExit = app.exec();
    if (nMaster >= 0) close(nMaster);
    return nExit;
}

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// Runs this program again with --once and the given options; its standard output, or nothing when the
// run failed.
bool SpawnRun(const std::vector<std::string>& options, std::string* pOut) {
    int fds[2];
    if (pipe(fds) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    const std::string start = std::to_string(NowNs());
    std::vector<std::string> argStrings = {"mlb8_bench_startup", "--once", start};
    argStrings.insert(argStrings.end(), options.begin(), options.end());
    std::vector<char*> child;
    for (std::string& a : argStrings)
        child.push_back(a.data());
    child.push_back(nullptr);
    pid_t pid = 0;
    const int nError = posix_spawn(&pid, "/proc/self/exe", &actions, nullptr, child.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (nError != 0) {
        close(fds[0]);
        std::fprintf(stderr, "mlb8_bench_startup: cannot start a run: %s\n", std::strerror(nError));
        return false;
    }
    pOut->clear();
    char buffer[512];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0)
        pOut->append(buffer, static_cast<std::size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The "idle <state> <page> <percent>" lines of a run.
void CollectIdle(const std::string& out, std::map<std::string, double>* pIdle) {
    std::size_t pos = 0;
    while ((pos = out.find("idle ", pos)) != std::string::npos) {
        char szState[32] = {}, szPage[32] = {};
        double fPercent = 0;
        if (std::sscanf(out.c_str() + pos, "idle %31s %31s %lf", szState, szPage, &fPercent) == 3)
            (*pIdle)[std::string(szState) + " " + szPage] = fPercent;
        pos += 5;
    }
}

} // namespace

int main(int argc, char** argv) {
    int nRuns = 5;
    double fIdleSeconds = 30;
    // A single run in a child process (see SpawnRun): when it started, and how it idles.
    std::int64_t nOnceStartNs = -1;
    int nIdleMs = 0;
    bool bOnceOffline = false;
    CLI::App app("Times the manager's start-up to its first painted window, each a new process.",
                 "mlb8_bench_startup");
    app.add_option("--runs", nRuns, "how many start-ups (default 5)")->check(CLI::Range(1, 1000000));
    app.add_option("--idle-seconds", fIdleSeconds, "how long each run idles after the load (default 30)")
        ->check(CLI::Range(0.0, 86400.0));
    // The child's side of a run (see SpawnRun).
    app.add_option("--once", nOnceStartNs)->group("");
    app.add_option("--idle-ms", nIdleMs)->group("");
    app.add_flag("--offline", bOnceOffline)->group("");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : 2; // a usage error, as before
    }
    if (nOnceStartNs >= 0) return RunOnce(nOnceStartNs, nIdleMs, bOnceOffline, argv);
    nRuns = std::max(1, nRuns);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::vector<double> paint, loaded, rss, peak;
    for (int r = 0; r < nRuns; ++r) {
        std::string out;
        const bool bOk = SpawnRun({}, &out);
        double fPaint = 0, fConnected = 0, fLoaded = 0, fRss = 0, fPeak = 0;
        const char* pLine = std::strstr(out.c_str(), "first_paint_ms");
        if (!bOk || !pLine ||
            std::sscanf(pLine, "first_paint_ms %lf connected_ms %lf loaded_ms %lf rss_mb %lf peak_rss_mb %lf",
                        &fPaint, &fConnected, &fLoaded, &fRss, &fPeak) != 5) {
            std::fprintf(stderr, "mlb8_bench_startup: run %d failed: %s\n", r + 1, out.c_str());
            return 1;
        }
        std::printf("run %d: first paint %.1f ms, connected %.1f ms, loaded %.1f ms, resident %.1f MiB "
                    "(peak %.1f MiB)\n",
                    r + 1, fPaint, fConnected, fLoaded, fRss, fPeak);
        paint.push_back(fPaint);
        loaded.push_back(fLoaded);
        rss.push_back(fRss);
        peak.push_back(fPeak);
    }
    std::printf("median of %d runs: first paint %.1f ms (goal <= %.0f ms); start to loaded %.1f ms, floor "
                "%.0f ms, ratio %.2f (goal <= %.1f); resident after load %.1f MiB (peak %.1f MiB; goal <= "
                "%.0f MB)\n",
                nRuns, Median(paint), kStartupGoalMs, Median(loaded), kLoadFloorMs,
                Median(loaded) / kLoadFloorMs, kLoadGoalRatio, Median(rss), Median(peak), kMemoryGoalMb);
    std::fflush(stdout);
    if (fIdleSeconds <= 0) return 0;
    const std::string idleMs = std::to_string(static_cast<int>(fIdleSeconds * 1000));
    std::map<std::string, double> idle;
    for (bool bOffline : {false, true}) {
        std::string out;
        std::vector<std::string> options = {"--idle-ms", idleMs};
        if (bOffline) options.push_back("--offline");
        if (!SpawnRun(options, &out)) {
            std::fprintf(stderr, "mlb8_bench_startup: idle run failed: %s\n", out.c_str());
            return 1;
        }
        CollectIdle(out, &idle);
        double fFreeze = 0;
        if (const char* pFreeze = std::strstr(out.c_str(), "longest_freeze_ms"))
            if (std::sscanf(pFreeze, "longest_freeze_ms %lf", &fFreeze) == 1)
                std::printf("search without a processor: the window stood still at most %.0f ms without the "
                            "busy overlay (goal <= 100 ms)\n",
                            fFreeze);
    }
    for (const auto& [page, fPercent] : idle)
        std::printf("idle %-30s %6.2f %% of one core over %.0f s (goal <= %.0f %%)\n", page.c_str(), fPercent,
                    fIdleSeconds, kIdleGoalPercent);
    return 0;
}
