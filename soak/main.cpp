// mlb8-soak: many connect-and-load, preset-store and file-load sequences against the simulated
// processor with its faults switched on, each outcome classified. The sequences run in a worker
// process; this process only watches it, so that a crash or a hang is counted and the run goes on.
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <type_traits>

#include "comm/comnames.h"
#include "comm/trace.h"
#include "sim/simprocessor.h"
#include "soak/soakcheck.h"

namespace {

using Clock = std::chrono::steady_clock;

enum EFault {
    F_NONE,
    F_DROP,
    F_DROP_RATE,
    F_SPLIT,
    F_DELAY,
    F_GARBAGE,
    F_CORRUPT,
    F_SILENCE,
    F_HANGUP,
    F_COUNT
};
constexpr std::array<const char*, F_COUNT> kFaultNames = {
    "none", "drop", "drop-rate", "split", "delay", "garbage", "corrupt", "silence", "hang-up"};
enum EScenario { S_LOAD, S_STORE, S_FILE, S_COUNT };
constexpr std::array<const char*, S_COUNT> kScenarioNames = {"load", "store", "file"};
enum EOutcome { O_COMPLETED, O_FAILED, O_CORRUPTED, O_WRONG, O_CRASH, O_HANG, O_COUNT };
constexpr std::array<const char*, O_COUNT> kOutcomeNames = {"completed", "failed", "corrupted",
                                                            "wrong",     "crash",  "hang"};
// Frames a sequence sends, roughly: faults start somewhere inside it.
constexpr int kSequenceFrames = 130;

struct SOptions {
    long nIterations = 1000000;
    int nSeconds = 240;
    std::uint32_t nSeed = 1;
    int nHangSeconds = 60;
    bool bVerbose = false;
};

struct SResult {
    EOutcome outcome = O_COMPLETED;
    int nCrcMismatches = 0; // frames with a wrong CRC that were taken
    int nCrcDropped = 0;    // frames the link dropped for a wrong CRC
    int nFrames = 0;
    std::string detail;
};

// Switches the faults on when the device has received nStart frames of the sequence and, with
// nLength > 0, off again nLength frames later.
class CFaultWindow {
public:
    CFaultWindow(Sim::CSimProcessor& sim, const Sim::SFaults& faults, int nStart, int nLength)
        : m_Thread([this, &sim, faults, nStart, nLength] {
              if (!WaitFrames(sim, static_cast<std::size_t>(nStart))) return;
              sim.SetFaults(faults);
              if (nLength <= 0) return;
              const std::size_t nFrom = sim.ReceivedFrameCount();
              if (WaitFrames(sim, nFrom + static_cast<std::size_t>(nLength))) sim.SetFaults({});
          }) {}
    ~CFaultWindow() {
        m_bStop = true;
        m_Thread.join();
    }

private:
    bool WaitFrames(Sim::CSimProcessor& sim, std::size_t nCount) {
        while (!m_bStop) {
            if (sim.ReceivedFrameCount() >= nCount) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }
    std::atomic<bool> m_bStop{false};
    std::thread m_Thread;
};

// The fault of one iteration and where in the sequence it starts.
void PlanFaults(EFault kind, std::mt19937& rng, Sim::SFaults& faults, int& nStart, int& nLength) {
    auto pick = [&](int nLow, int nHigh) { return std::uniform_int_distribution<int>(nLow, nHigh)(rng); };
    faults = {};
    faults.nSeed = static_cast<std::uint32_t>(rng());
    nStart = pick(0, kSequenceFrames);
    nLength = 0;
    switch (kind) {
    case F_NONE:
        break;
    case F_DROP:
        faults.nDropNext = pick(1, 5);
        break; // 4 drops in a row exhaust one command's retries
    case F_DROP_RATE:
        nStart = 0;
        faults.fDropProbability = 0.05;
        break;
    case F_SPLIT:
        nStart = 0;
        faults.bSplit = true;
        break;
    case F_DELAY: // around the 600 ms reply time-out
        faults.nDelayMs = pick(500, 700);
        nLength = pick(1, 4);
        break;
    case F_GARBAGE:
        faults.nGarbage = pick(1, 12);
        nLength = pick(1, 6);
        break;
    case F_CORRUPT: // 1-3 in a row are retried, more fail the command
        faults.bCorrupt = true;
        nLength = pick(1, 6);
        break;
    case F_SILENCE:
        faults.bSilent = true;
        nLength = pick(1, 6);
        break;
    case F_HANGUP:
        nStart = 0;
        faults.nHangUpAfter = pick(1, kSequenceFrames);
        break;
    default:
        break;
    }
}

class CWorker {
public:
    explicit CWorker(const std::string& dir) : m_szDir(dir) {}

    SResult Run(long nIteration, EFault kind, EScenario scenario, std::uint32_t nSeed);

private:
    bool Plug(std::string& error) {
        if (m_bStarted && !m_Sim.IsHungUp()) return true;
        if (!m_Sim.Start(&error)) return false;
        m_bStarted = true;
        ZUtils::ClearExtraPorts();
        m_nPort = ZUtils::RegisterExtraPort(m_Sim.PortPath());
        return true;
    }
    Sim::CSimProcessor m_Sim;
    bool m_bStarted = false;
    int m_nPort = 0;
    std::string m_szDir;
};

SResult CWorker::Run(long nIteration, EFault kind, EScenario scenario, std::uint32_t nSeed) {
    SResult r;
    std::string error;
    if (!Plug(error)) {
        r.outcome = O_WRONG;
        r.detail = "cannot start the simulated processor: " + error;
        return r;
    }
    std::mt19937 rng(nSeed);
    m_Sim.SetFaults({});
    m_Sim.ClearReceivedFrames(); // only counted here; a long run would keep them all
    m_Sim.SetRunning(Soak::RandomConfig(rng));

    Soak::CCheckingHost host;
    host.SetQuiet(true);
    CEditorCore core(host);
    host.Attach(&core);
    CSettingsModel& m = core.Model();
    m.WriteStartupDefaults();
    m.m_Search.m_bSlaveFound[0] = 1; // found by a search before the sequence
    auto settle = [&] { host.RunUntil([] { return false; }, 5000); };

    if (scenario != S_LOAD) {
        core.Link().ConnectDevice(m_nPort, 0);
        settle();
        if (!host.Messages().empty()) {
            r.outcome = O_WRONG;
            r.detail = "the load before the sequence failed without faults";
            return r;
        }
    }

    Sim::SFaults faults;
    int nStart = 0, nLength = 0;
    PlanFaults(kind, rng, faults, nStart, nLength);
    const std::size_t nBase = m_Sim.ReceivedFrameCount();
    if (kind == F_HANGUP) m_Sim.SetFaults(faults); // counts the frames itself

    Soak::CFields before, after, truth;
    std::vector<std::string> skip;
    bool bSucceeded = false;
    {
        std::optional<CFaultWindow> window;
        if (kind != F_HANGUP && kind != F_NONE)
            window.emplace(m_Sim, faults, static_cast<int>(nBase) + nStart, nLength);
        switch (scenario) {
        case S_LOAD:
            core.Link().ConnectDevice(m_nPort, 0);
            settle();
            bSucceeded = host.Messages().empty();
            break;
        case S_STORE: {
            const int nMemory = std::uniform_int_distribution<int>(0, 3)(rng);
            Soak::RandomEdits(m, rng);
            truth = Soak::ModelFields(m, m.m_bEasyExp != 0);
            before = Soak::SimFields(m_Sim.Memory(nMemory));
            core.OnCommand(ID_STORE_PRESET_1 + nMemory);
            settle();
            bSucceeded = host.Messages().empty();
            after = Soak::SimFields(m_Sim.Memory(nMemory));
            // A paired crossover flag is carried to the partner by the device and not by the editor.
            if (m.m_bPair)
                for (int ch = 1; ch <= MLB8_CHANNELS; ++ch)
                    skip.push_back("xover flag ch" + std::to_string(ch));
            break;
        }
        case S_FILE: {
            const std::string path = m_szDir + "/soak-" + std::to_string(nIteration) + ".Dovu";
            Soak::RandomEdits(m, rng);
            m.m_szFilePath = path;
            if (!core.Files().WriteConfigFile(5)) {
                r.outcome = O_WRONG;
                r.detail = "cannot write " + path;
                return r;
            }
            Soak::RandomEdits(m, rng);
            if (!core.Files().LoadPresetPath(path)) {
                r.outcome = O_WRONG;
                r.detail = "cannot read " + path;
                return r;
            }
            std::filesystem::remove(path);
            host.KillTimer(TIMER_SEND_ALL); // its work is done here, so that its result is known
            truth = Soak::ModelFields(m, m.m_bEasyExp != 0);
            before = Soak::SimFields(m_Sim.Running());
            bSucceeded = core.Writer().SendDDXProc(m.m_nCurPreset) != 0 && host.Messages().empty();
            settle();
            after = Soak::SimFields(m_Sim.Running());
            for (int k = 1; k < 5; ++k)
                skip.push_back("output " + std::to_string(k)); // only a store writes them
            break;
        }
        default:
            break;
        }
    }
    m_Sim.SetFaults({});
    r.nCrcMismatches = host.CrcMismatches();
    r.nCrcDropped = core.Protocol().CrcErrors();
    r.nFrames = host.FramesSeen();

    // An unplugged device: its hang-up alone closes the link, once, and the indicator follows.
    if (m_Sim.IsHungUp()) {
        settle();
        if (core.Protocol().IsOpen() || m.m_bConnected || host.SaveDialogs() != 1) {
            r.outcome = O_WRONG;
            r.detail = "after the hang-up: link " +
                       std::string(core.Protocol().IsOpen() ? "open" : "closed") + ", indicator " +
                       (m.m_bConnected ? "CONNECTED" : "OFFLINE") + ", " +
                       std::to_string(host.SaveDialogs()) + " save dialogs";
            return r;
        }
    }

    Soak::SCheck check;
    if (scenario == S_LOAD) {
        // Selecting the preset memory at the start of the load makes it the running configuration,
        // so what the device sent is its running configuration afterwards.
        const Sim::SSimConfig sent = m_Sim.Running();
        const bool bExpert = sent.Easy_Expert != 0;
        auto pFresh = std::make_unique<CSettingsModel>(); // the model as the load found it
        pFresh->WriteStartupDefaults();
        before = Soak::ModelFields(*pFresh, bExpert);
        after = Soak::ModelFields(m, bExpert);
        check = Soak::CheckTarget(before, after, Soak::SimFields(sent), bSucceeded);
    } else {
        check = Soak::CheckTarget(before, after, truth, bSucceeded, skip);
        // Writing never changes the model: a value that appears there came from a corrupted reply.
        const auto changed = Soak::Differences(Soak::ModelFields(m, m.m_bEasyExp != 0), truth);
        check.nForeign += static_cast<int>(changed.size());
        for (const auto& name : changed)
            if (check.names.size() < 4) check.names.push_back("model " + name);
    }
    const bool bUsable = !m.m_bMouseLbtnEventBlock && !m.m_bPresetLoading && !m.m_bPresetSaving;
    const auto& messages = host.Messages();
    // The file load writes from a timer that tells the user nothing about a failure.
    const bool bReported = scenario == S_FILE ? messages.size() <= 1 : messages.size() == 1;
    const bool bMessagesOk = std::all_of(messages.begin(), messages.end(),
                                         [](const std::string& s) { return s == TEXT_COMM_ERROR; });

    if (check.nStale || check.nForeign) {
        r.outcome = r.nCrcMismatches > 0 ? O_CORRUPTED : O_WRONG;
        r.detail = std::to_string(check.nForeign) + " unsent, " + std::to_string(check.nStale) + " stale:";
        for (const auto& name : check.names)
            r.detail += " [" + name + "]";
    } else if (!bSucceeded) {
        r.outcome = O_FAILED;
        if (!bReported || !bMessagesOk) {
            r.outcome = O_WRONG;
            r.detail = std::to_string(messages.size()) + " messages for one failure";
        } else if (messages.empty()) {
            r.detail = "no message";
        }
    } else {
        r.outcome = O_COMPLETED;
    }
    if (r.outcome != O_WRONG && !bUsable) {
        r.outcome = O_WRONG;
        r.detail = "the editor stays blocked";
    }
    return r;
}

EFault KindOf(long n) {
    return static_cast<EFault>(n % F_COUNT);
}
EScenario ScenarioOf(long n) {
    return static_cast<EScenario>((n / F_COUNT) % S_COUNT);
}

// The worker: iterations from nFirst on until the count or the deadline, one line per event on fd.
[[noreturn]] void RunWorker(const SOptions& opt, long nFirst, Clock::time_point deadline, int fd) {
    std::string pattern = (std::filesystem::temp_directory_path() / "mlb8-soak-XXXXXX").string();
    if (!mkdtemp(pattern.data())) _exit(2);
    const std::string dir = pattern;
    {
        CWorker worker(dir);
        for (long n = nFirst; n < opt.nIterations && Clock::now() < deadline; ++n) {
            dprintf(fd, "B %ld\n", n);
            const SResult r =
                worker.Run(n, KindOf(n), ScenarioOf(n), opt.nSeed + static_cast<std::uint32_t>(n));
            dprintf(fd, "E %ld %d %d %d %d %s\n", n, r.outcome, r.nCrcMismatches, r.nCrcDropped, r.nFrames,
                    r.detail.c_str());
        }
    }
    std::filesystem::remove_all(dir);
    _exit(0);
}

struct STally {
    long count[F_COUNT][O_COUNT] = {};
    long nCrcMismatches = 0;
    long nCrcDropped = 0;
    long nFrames = 0;
    long nIterations = 0;
};

void Record(STally& t, const SOptions& opt, long n, EOutcome outcome, int nCrc, int nDropped, int nFrames,
            const std::string& detail) {
    ++t.count[KindOf(n)][outcome];
    t.nCrcMismatches += nCrc;
    t.nCrcDropped += nDropped;
    t.nFrames += nFrames;
    ++t.nIterations;
    if (opt.bVerbose || (outcome != O_COMPLETED && outcome != O_FAILED) || nCrc > 0)
        std::printf("#%ld %s/%s: %s%s%s (CRC mismatches taken %d)\n", n, kFaultNames[KindOf(n)],
                    kScenarioNames[ScenarioOf(n)], kOutcomeNames[outcome], detail.empty() ? "" : ": ",
                    detail.c_str(), nCrc);
    std::fflush(stdout);
}

// Runs workers until the iterations or the time are used up; a worker that dies or stops making
// progress is replaced and the iteration it was in is counted as a crash or a hang.
STally Supervise(const SOptions& opt) {
    STally t;
    const auto deadline = Clock::now() + std::chrono::seconds(opt.nSeconds);
    long nNext = 0;
    while (nNext < opt.nIterations && Clock::now() < deadline) {
        int fds[2];
        if (pipe(fds) != 0) break;
        const pid_t pid = fork();
        if (pid < 0) break;
        if (pid == 0) {
            close(fds[0]);
            RunWorker(opt, nNext, deadline, fds[1]);
        }
        close(fds[1]);
        std::string buffer;
        long nCurrent = -1;
        auto begun = Clock::now();
        bool bHung = false;
        for (;;) {
            pollfd p{fds[0], POLLIN, 0};
            const int nReady = poll(&p, 1, 1000);
            if (nReady > 0) {
                char chunk[4096];
                const ssize_t nRead = read(fds[0], chunk, sizeof chunk);
                if (nRead <= 0) break;
                buffer.append(chunk, static_cast<std::size_t>(nRead));
                std::size_t nEol;
                while ((nEol = buffer.find('\n')) != std::string::npos) {
                    const std::string line = buffer.substr(0, nEol);
                    buffer.erase(0, nEol + 1);
                    long n = 0;
                    int nOutcome = 0, nCrc = 0, nDropped = 0, nFrames = 0, nUsed = 0;
                    if (std::sscanf(line.c_str(), "B %ld", &n) == 1) {
                        nCurrent = n;
                        begun = Clock::now();
                    } else if (std::sscanf(line.c_str(), "E %ld %d %d %d %d %n", &n, &nOutcome, &nCrc,
                                           &nDropped, &nFrames, &nUsed) >= 5) {
                        Record(t, opt, n, static_cast<EOutcome>(nOutcome), nCrc, nDropped, nFrames,
                               nUsed > 0 ? line.substr(static_cast<std::size_t>(nUsed)) : "");
                        nCurrent = -1;
                        nNext = n + 1;
                    }
                }
            } else if (nReady < 0 && errno != EINTR) {
                break;
            }
            if (nCurrent >= 0 && Clock::now() - begun > std::chrono::seconds(opt.nHangSeconds)) {
                kill(pid, SIGKILL);
                bHung = true;
                break;
            }
        }
        close(fds[0]);
        int status = 0;
        waitpid(pid, &status, 0);
        if (nCurrent >= 0) {
            Record(t, opt, nCurrent, bHung ? O_HANG : O_CRASH, 0, 0, 0,
                   bHung ? "no progress" : (WIFSIGNALED(status) ? strsignal(WTERMSIG(status)) : "exit"));
            nNext = nCurrent + 1;
        } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "mlb8-soak: the worker failed outside an iteration\n");
            ++t.count[F_NONE][O_CRASH];
            break;
        } else {
            break; // the worker used up the iterations or the time
        }
    }
    return t;
}

} // namespace

int main(int argc, char** argv) {
    std::string error;
    if (!TraceSetupFromArgs(argc, argv, &error)) {
        std::fprintf(stderr, "mlb8-soak: %s\n", error.c_str());
        return 2;
    }
    SOptions opt;
    CLI::App app("Runs connect-and-load, preset-store and file-load sequences against a simulated MLB-8\n"
                 "with faults switched on (dropped, split, delayed, garbled and corrupted replies, silence,\n"
                 "hang-ups) and counts the outcomes per fault.",
                 "mlb8-soak");
    app.footer("Outcomes:\n"
               "  completed  the sequence succeeded and the target equals what was sent\n"
               "  failed     the sequence failed, was reported once, and the editor stays usable\n"
               "  corrupted  a value nobody sent was taken from a frame with a wrong CRC (the link drops\n"
               "             such frames, so this stays 0)\n"
               "  wrong      a value nobody sent was taken without a CRC mismatch, or a failure was\n"
               "             not reported properly, or the editor stays blocked\n"
               "  crash, hang  the sequence killed the program or made no progress for --hang-seconds\n"
               "Frames dropped for a wrong CRC are written to the trace. Exit status 1 on any wrong,\n"
               "corrupted, crash or hang.");
    app.get_formatter()->column_width(22);
    app.set_help_flag();
    bool bHelp = false;
    app.add_flag("-h,--help", bHelp, "show this text")->disable_flag_override();
    app.add_flag("--verbose", opt.bVerbose, "print the outcome of every sequence, not only the bad ones")
        ->disable_flag_override();
    // Taken by the trace set-up before the rest is parsed; named here for the help.
    std::string unusedTrace;
    app.add_option("--trace", unusedTrace, "write the developer trace to FILE, or to standard error with -")
        ->type_name("FILE|-");
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    // A whole number in a range, all of the text; --name=value is no form of it.
    auto number = [&app](const char* pszName, const char* pszValue, const char* pszHelp, long nLow,
                         long nHigh, auto& nTarget) {
        app.add_option(pszName, nTarget, pszHelp)
            ->type_name(pszValue)
            ->check(CLI::Validator(
                [=](std::string& value) {
                    char* pEnd = nullptr;
                    const long n = std::strtol(value.c_str(), &pEnd, 10);
                    return value.empty() || !pEnd || *pEnd || n < nLow || n > nHigh
                               ? std::string("out of range")
                               : std::string();
                },
                ""));
    };
    number("--iterations", "N", "run at most N sequences (1..100000000)", 1, 100000000, opt.nIterations);
    number("--seconds", "S", "run at most S seconds (1..604800)", 1, 7 * 24 * 3600, opt.nSeconds);
    number("--seed", "N", "seed of the faults and sequences (0..4294967295)", 0, 0xFFFFFFFFL, opt.nSeed);
    number("--hang-seconds", "S", "a sequence without progress for S seconds is a hang (5..3600)", 5, 3600,
           opt.nHangSeconds);
    // Help goes before anything else on the line; the first argument not taken is named.
    const std::vector<std::string> args(argv + std::min(argc, 1), argv + argc);
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            std::fputs(app.help().c_str(), stdout);
            return 0;
        }
    }
    std::string bad;
    try {
        std::vector<std::string> reversed(args.rbegin(), args.rend()); // as CLI11 takes them
        app.parse(reversed);
        if (!app.remaining().empty()) bad = app.remaining().front();
    } catch (const CLI::ParseError& e) {
        // The argument of the option CLI11 names: the option itself, or its value when it has one.
        const std::string name = std::string(e.what()).substr(0, std::string(e.what()).find(':'));
        const auto it = std::find(args.begin(), args.end(), name);
        bad = it == args.end() ? name : (it + 1 == args.end() ? *it : *(it + 1));
        if (!app.remaining().empty()) bad = app.remaining().front();
    }
    if (!bad.empty()) {
        std::fprintf(stderr, "mlb8-soak: bad argument '%s'\nTry 'mlb8-soak --help'.\n", bad.c_str());
        return 2;
    }
    signal(SIGPIPE, SIG_IGN);
    std::printf("mlb8-soak: seed %u, at most %ld iterations in %d s\n", opt.nSeed, opt.nIterations,
                opt.nSeconds);
    const STally t = Supervise(opt);

    std::printf("\n%-10s", "fault");
    for (const char* name : kOutcomeNames)
        std::printf(" %10s", name);
    std::printf("\n");
    long total[O_COUNT] = {};
    for (int k = 0; k < F_COUNT; ++k) {
        std::printf("%-10s", kFaultNames[k]);
        for (int o = 0; o < O_COUNT; ++o) {
            std::printf(" %10ld", t.count[k][o]);
            total[o] += t.count[k][o];
        }
        std::printf("\n");
    }
    std::printf("%-10s", "total");
    for (long n : total)
        std::printf(" %10ld", n);
    std::printf("\n\n%ld iterations, %ld frames received; %ld frames dropped for a wrong CRC, %ld with a "
                "wrong CRC taken; %ld iterations took a corrupted value.\n",
                t.nIterations, t.nFrames, t.nCrcDropped, t.nCrcMismatches, total[O_CORRUPTED]);
    const bool bBad =
        total[O_WRONG] || total[O_CORRUPTED] || total[O_CRASH] || total[O_HANG] || t.nIterations == 0;
    std::printf("%s\n", bBad ? "FAILED: wrong values, crashes or hangs" : "PASSED");
    return bBad ? 1 : 0;
}
