#include "simoptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace Sim {

namespace {

bool ParseInt(const std::string& text, long long nMin, long long nMax, long long& nValue) {
    if (text.empty() || text[0] == ' ' || text[0] == '+') return false;
    errno = 0;
    char* pEnd = nullptr;
    const long long n = std::strtoll(text.c_str(), &pEnd, 10);
    if (errno != 0 || *pEnd != '\0' || n < nMin || n > nMax) return false;
    nValue = n;
    return true;
}

bool ParseProbability(const std::string& text, double& fValue) {
    if (text.empty() || text[0] == ' ') return false;
    errno = 0;
    char* pEnd = nullptr;
    const double f = std::strtod(text.c_str(), &pEnd);
    if (errno != 0 || *pEnd != '\0' || !std::isfinite(f) || f < 0.0 || f > 1.0) return false;
    fValue = f;
    return true;
}

} // namespace

const char* SimUsage() {
    return "usage: mlb8-sim [--address A] [--link PATH] [--log FILE] [--drop-every N] [--drop-prob P]\n"
           "                [--drop-next N] [--delay MS] [--split] [--garbage N] [--corrupt]\n"
           "                [--silent] [--hangup-after N] [--seed S] [--help]\n"
           "A simulated MLB-8 processor on a pseudo-terminal; runs until SIGINT or SIGTERM.\n"
           "  --address A       bus address to answer, 0..9 (default 0)\n"
           "  --link PATH       also reach the port through this symbolic link (removed at exit)\n"
           "  --log FILE        write every received frame and what was done with it\n"
           "  --drop-every N    drop every Nth reply\n"
           "  --drop-prob P     drop each reply with probability P (0..1)\n"
           "  --drop-next N     drop the next N replies\n"
           "  --delay MS        wait MS milliseconds before each reply\n"
           "  --split           write replies in random pieces with short pauses\n"
           "  --garbage N       write N random bytes before each reply\n"
           "  --corrupt         change one bit of each reply after its CRC was made\n"
           "  --silent          receive and log, answer nothing\n"
           "  --hangup-after N  hang up (as if unplugged) when the Nth frame arrives\n"
           "  --seed S          seed of the random faults (default 1)\n";
}

bool ParseSimArgs(const std::vector<std::string>& args, SSimOptions& options, std::string& szError) {
    SSimOptions out;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool bHasValue = false;
        if (name.rfind("--", 0) != 0) {
            szError = "unexpected argument '" + name + "'";
            return false;
        }
        if (const auto eq = name.find('='); eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
            bHasValue = true;
        }
        auto flag = [&](bool& b) {
            if (bHasValue) {
                szError = name + " takes no value";
                return false;
            }
            b = true;
            return true;
        };
        auto takeValue = [&]() {
            if (bHasValue) return true;
            if (i + 1 >= args.size()) {
                szError = name + " needs a value";
                return false;
            }
            value = args[++i];
            return true;
        };
        auto integer = [&](long long nMin, long long nMax, long long& n) {
            if (!takeValue()) return false;
            if (!ParseInt(value, nMin, nMax, n)) {
                szError = name + ": '" + value + "' is not a whole number in " + std::to_string(nMin) + ".." +
                          std::to_string(nMax);
                return false;
            }
            return true;
        };
        constexpr long long kIntMax = std::numeric_limits<int>::max();
        long long n = 0;
        bool bOk = true;
        if (name == "--help") {
            bOk = flag(out.bHelp);
        } else if (name == "--split") {
            bOk = flag(out.Faults.bSplit);
        } else if (name == "--silent") {
            bOk = flag(out.Faults.bSilent);
        } else if (name == "--corrupt") {
            bOk = flag(out.Faults.bCorrupt);
        } else if (name == "--address") {
            bOk = integer(0, 9, n);
            out.nAddress = static_cast<int>(n);
        } else if (name == "--link" || name == "--log") {
            bOk = takeValue();
            if (bOk && value.empty()) {
                szError = name + " needs a path";
                bOk = false;
            }
            (name == "--link" ? out.szLink : out.szLog) = value;
        } else if (name == "--drop-every") {
            bOk = integer(0, kIntMax, n);
            out.Faults.nDropEvery = static_cast<int>(n);
        } else if (name == "--drop-prob") {
            bOk = takeValue();
            if (bOk && !ParseProbability(value, out.Faults.fDropProbability)) {
                szError = name + ": '" + value + "' is not a probability in 0..1";
                bOk = false;
            }
        } else if (name == "--drop-next") {
            bOk = integer(0, kIntMax, n);
            out.Faults.nDropNext = static_cast<int>(n);
        } else if (name == "--delay") {
            bOk = integer(0, 600000, n);
            out.Faults.nDelayMs = static_cast<int>(n);
        } else if (name == "--garbage") {
            bOk = integer(0, 4096, n);
            out.Faults.nGarbage = static_cast<int>(n);
        } else if (name == "--hangup-after") {
            bOk = integer(0, kIntMax, n);
            out.Faults.nHangUpAfter = static_cast<int>(n);
        } else if (name == "--seed") {
            bOk = integer(0, std::numeric_limits<std::uint32_t>::max(), n);
            out.Faults.nSeed = static_cast<std::uint32_t>(n);
        } else {
            szError = "unknown option '" + name + "'";
            bOk = false;
        }
        if (!bOk) return false;
    }
    options = out;
    return true;
}

} // namespace Sim
