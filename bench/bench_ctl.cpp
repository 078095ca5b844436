// The command line as a scripter sees it: the wall time of `mlb8ctl --simulate probe` and `show`, each a
// fresh process, against what the protocol itself costs. A probe is one transaction; `show` connects,
// reads the whole configuration (134 transactions with their mandated 5 ms pauses) and then waits out
// the 1000 ms input lock that follows every load, as the manager does.
//   mlb8_bench_ctl [--runs N]
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

extern char** environ;

namespace {

constexpr double kProbeGoalMs = 300;
constexpr double kShowFloorMs = 1000 + 134 * 5;
constexpr double kShowGoalRatio = 1.5;

// The wall time of one run of mlb8ctl with the arguments, in ms; negative when it failed.
double TimeRun(const std::string& ctl, std::vector<std::string> args) {
    args.insert(args.begin(), ctl);
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int nError = posix_spawn(&pid, ctl.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (nError != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    const double fMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? fMs : -1;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    int nRuns = 5;
    CLI::App app("Times mlb8ctl --simulate probe and show, each a new process.", "mlb8_bench_ctl");
    app.add_option("--runs", nRuns, "how many runs of each (default 5)")->check(CLI::Range(1, 1000000));
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : 2; // a usage error, as before
    }
    char szSelf[4096] = {};
    const ssize_t nLen = readlink("/proc/self/exe", szSelf, sizeof szSelf - 1);
    if (nLen <= 0) return 1;
    std::string ctl(szSelf, static_cast<std::size_t>(nLen));
    ctl = ctl.substr(0, ctl.rfind('/') + 1) + "mlb8ctl";
    std::vector<double> probe, show;
    for (int r = 0; r < nRuns; ++r) {
        const double fProbe = TimeRun(ctl, {"--simulate", "probe"});
        const double fShow = TimeRun(ctl, {"--simulate", "show"});
        if (fProbe < 0 || fShow < 0) {
            std::fprintf(stderr, "mlb8_bench_ctl: run %d failed (%s)\n", r + 1, ctl.c_str());
            return 1;
        }
        std::printf("run %d: probe %.0f ms, show %.0f ms\n", r + 1, fProbe, fShow);
        probe.push_back(fProbe);
        show.push_back(fShow);
    }
    std::printf("median of %d runs: probe %.0f ms (goal <= %.0f ms); show %.0f ms, floor %.0f ms, ratio %.2f "
                "(goal <= %.1f)\n",
                nRuns, Median(probe), kProbeGoalMs, Median(show), kShowFloorMs, Median(show) / kShowFloorMs,
                kShowGoalRatio);
    return 0;
}
