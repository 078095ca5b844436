// Start-up of the manager with its simulated processor on Qt's offscreen platform: the time from the
// start of the process to the first painted main window, and the resident memory once the whole
// configuration is loaded. Each run is a fresh process (this program started again with --once);
// the figures printed are the medians.
//   mlb8_bench_startup [--runs N]
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
#include <fstream>
#include <string>
#include <vector>

#include "comm/trace.h"
#include "editor/editorcore.h"
#include "wavr/mainfrm.h"
#include "wavr/wavrapp.h"
#include "wavr/wavrview.h"

extern char** environ;

namespace {

constexpr double kStartupGoalMs = 400;
constexpr double kMemoryGoalMb = 150;

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

int RunOnce(std::int64_t nStartNs, int argc, char** argv) {
    TraceSetupFromArgs(argc, argv); // MLB8_TRACE shows where the time goes
    std::vector<char*> args = {argv[0], const_cast<char*>("--simulate")};
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
    double fLoadedMs = -1;
    QObject::connect(pPoll, &QTimer::timeout, [&] {
        nWaited += 50;
        const CSettingsModel& m = app.View()->Core().m_Model;
        if (fLoadedMs < 0 && m.m_bConnected) fLoadedMs = static_cast<double>(NowNs() - nStartNs) / 1e6;
        // The replies are applied and the input lock released a second after the load.
        if ((fLoadedMs >= 0 && nWaited >= fLoadedMs + 1500) || nWaited > 30000) {
            pPoll->stop();
            std::printf("first_paint_ms %.1f loaded_ms %.1f rss_mb %.1f peak_rss_mb %.1f\n",
                        watch.m_fFirstPaintMs, fLoadedMs, StatusMb("VmRSS"), StatusMb("VmHWM"));
            std::fflush(stdout);
            QApplication::exit(fLoadedMs >= 0 && watch.m_fFirstPaintMs >= 0 ? 0 : 1);
        }
    });
    pPoll->start(50);
    return app.exec();
}

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--once") == 0) return RunOnce(std::atoll(argv[2]), argc, argv);
    int nRuns = 5;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--runs") == 0) nRuns = std::max(1, std::atoi(argv[i + 1]));
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::vector<double> paint, rss, peak;
    for (int r = 0; r < nRuns; ++r) {
        int fds[2];
        if (pipe(fds) != 0) return 1;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        const std::string start = std::to_string(NowNs());
        char* child[] = {argv[0], const_cast<char*>("--once"), const_cast<char*>(start.c_str()), nullptr};
        pid_t pid = 0;
        const int nError = posix_spawn(&pid, "/proc/self/exe", &actions, nullptr, child, environ);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        if (nError != 0) {
            close(fds[0]);
            std::fprintf(stderr, "mlb8_bench_startup: cannot start a run: %s\n", std::strerror(nError));
            return 1;
        }
        std::string out;
        char buffer[512];
        ssize_t n;
        while ((n = read(fds[0], buffer, sizeof buffer)) > 0)
            out.append(buffer, static_cast<std::size_t>(n));
        close(fds[0]);
        int status = 0;
        waitpid(pid, &status, 0);
        double fPaint = 0, fLoaded = 0, fRss = 0, fPeak = 0;
        const char* pLine = std::strstr(out.c_str(), "first_paint_ms");
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !pLine ||
            std::sscanf(pLine, "first_paint_ms %lf loaded_ms %lf rss_mb %lf peak_rss_mb %lf", &fPaint,
                        &fLoaded, &fRss, &fPeak) != 4) {
            std::fprintf(stderr, "mlb8_bench_startup: run %d failed: %s\n", r + 1, out.c_str());
            return 1;
        }
        std::printf("run %d: first paint %.1f ms, loaded %.1f ms, resident %.1f MiB (peak %.1f MiB)\n", r + 1,
                    fPaint, fLoaded, fRss, fPeak);
        paint.push_back(fPaint);
        rss.push_back(fRss);
        peak.push_back(fPeak);
    }
    std::printf("median of %d runs: first paint %.1f ms (goal <= %.0f ms), resident after load %.1f MiB "
                "(peak %.1f MiB; goal <= %.0f MB)\n",
                nRuns, Median(paint), kStartupGoalMs, Median(rss), Median(peak), kMemoryGoalMb);
    return 0;
}
