#include "simoptions.h"

#include "comm/cmdline.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <type_traits>

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
    auto integer = [](const char* pszName, long long nMin, long long nMax, auto& nTarget) {
        return [=, &nTarget](const std::string& value, std::string& error) {
            long long n = 0;
            if (!ParseInt(value, nMin, nMax, n)) {
                error = std::string(pszName) + ": '" + value + "' is not a whole number in " +
                        std::to_string(nMin) + ".." + std::to_string(nMax);
                return false;
            }
            nTarget = static_cast<std::remove_reference_t<decltype(nTarget)>>(n);
            return true;
        };
    };
    auto path = [](const char* pszName, std::string& target) {
        return [=, &target](const std::string& value, std::string& error) {
            target = value;
            if (!value.empty()) return true;
            error = std::string(pszName) + " needs a path";
            return false;
        };
    };
    constexpr long long kIntMax = std::numeric_limits<int>::max();
    ZUtils::CCmdLine cmdline;
    cmdline.Flag({"--help"}, out.bHelp)
        .Flag({"--split"}, out.Faults.bSplit)
        .Flag({"--silent"}, out.Faults.bSilent)
        .Flag({"--corrupt"}, out.Faults.bCorrupt)
        .Value({"--address"}, integer("--address", 0, 9, out.nAddress))
        .Value({"--link"}, path("--link", out.szLink))
        .Value({"--log"}, path("--log", out.szLog))
        .Value({"--drop-every"}, integer("--drop-every", 0, kIntMax, out.Faults.nDropEvery))
        .Value({"--drop-prob"},
               [&](const std::string& value, std::string& error) {
                   if (ParseProbability(value, out.Faults.fDropProbability)) return true;
                   error = "--drop-prob: '" + value + "' is not a probability in 0..1";
                   return false;
               })
        .Value({"--drop-next"}, integer("--drop-next", 0, kIntMax, out.Faults.nDropNext))
        .Value({"--delay"}, integer("--delay", 0, 600000, out.Faults.nDelayMs))
        .Value({"--garbage"}, integer("--garbage", 0, 4096, out.Faults.nGarbage))
        .Value({"--hangup-after"}, integer("--hangup-after", 0, kIntMax, out.Faults.nHangUpAfter))
        .Value({"--seed"}, integer("--seed", 0, std::numeric_limits<std::uint32_t>::max(), out.Faults.nSeed));
    ZUtils::SCmdLineError error;
    if (!cmdline.Parse(args, error)) {
        switch (error.kind) {
        case ZUtils::SCmdLineError::UnknownOption:
            if (error.argument.rfind("--", 0) == 0) {
                szError = "unknown option '" + error.option + "'";
                break;
            }
            [[fallthrough]];
        case ZUtils::SCmdLineError::Positional:
            szError = "unexpected argument '" + error.argument + "'";
            break;
        case ZUtils::SCmdLineError::MissingValue:
            szError = error.option + " needs a value";
            break;
        case ZUtils::SCmdLineError::ValueNotTaken:
            szError = error.option + " takes no value";
            break;
        default:
            szError = error.text;
            break;
        }
        return false;
    }
    options = out;
    return true;
}

} // namespace Sim
