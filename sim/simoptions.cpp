#include "simoptions.h"

#include <CLI/CLI.hpp>

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
    CLI::App app("", "mlb8-sim");
    app.set_help_flag();
    app.allow_extras();
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    // Each value is checked as typed, with the message that names the option and the range.
    auto integer = [&app](const char* pszName, long long nMin, long long nMax, auto& nTarget) {
        app.add_option_function<std::string>(
               pszName,
               [&nTarget](const std::string& value) {
                   long long n = 0;
                   ParseInt(value, std::numeric_limits<long long>::min(),
                            std::numeric_limits<long long>::max(), n);
                   nTarget = static_cast<std::remove_reference_t<decltype(nTarget)>>(n);
               })
            ->check(CLI::Validator(
                [=](std::string& value) {
                    long long n = 0;
                    return ParseInt(value, nMin, nMax, n)
                               ? std::string()
                               : "'" + value + "' is not a whole number in " + std::to_string(nMin) + ".." +
                                     std::to_string(nMax);
                },
                std::to_string(nMin) + ".." + std::to_string(nMax)));
    };
    auto path = [&app](const char* pszName, std::string& target) {
        app.add_option(pszName, target)
            ->check(CLI::Validator(
                [](std::string& value) {
                    return value.empty() ? std::string("needs a path") : std::string();
                },
                ""));
    };
    constexpr long long kIntMax = std::numeric_limits<int>::max();
    for (auto [pszName, pFlag] :
         {std::pair{"--help", &out.bHelp}, std::pair{"--split", &out.Faults.bSplit},
          std::pair{"--silent", &out.Faults.bSilent}, std::pair{"--corrupt", &out.Faults.bCorrupt}})
        app.add_flag(pszName, *pFlag)->disable_flag_override();
    integer("--address", 0, 9, out.nAddress);
    path("--link", out.szLink);
    path("--log", out.szLog);
    integer("--drop-every", 0, kIntMax, out.Faults.nDropEvery);
    app.add_option("--drop-prob", out.Faults.fDropProbability)
        ->check(CLI::Validator(
            [](std::string& value) {
                double f = 0.0;
                return ParseProbability(value, f) ? std::string()
                                                  : "'" + value + "' is not a probability in 0..1";
            },
            "0..1"));
    integer("--drop-next", 0, kIntMax, out.Faults.nDropNext);
    integer("--delay", 0, 600000, out.Faults.nDelayMs);
    integer("--garbage", 0, 4096, out.Faults.nGarbage);
    integer("--hangup-after", 0, kIntMax, out.Faults.nHangUpAfter);
    integer("--seed", 0, std::numeric_limits<std::uint32_t>::max(), out.Faults.nSeed);

    std::vector<std::string> reversed(args.rbegin(), args.rend()); // as CLI11 takes them
    try {
        app.parse(reversed);
    } catch (const CLI::ArgumentMismatch& e) {
        const std::string text = e.what();
        if (text.find("flag override") != std::string::npos)
            szError = "--" + text.substr(0, text.find(' ')) + " takes no value";
        else if (const std::string name = text.substr(0, text.find(':')); name == "--log" || name == "--link")
            szError = name + " needs a path"; // also --log= (an empty value is none for CLI11)
        else
            szError = name + " needs a value";
        return false;
    } catch (const CLI::ParseError& e) {
        szError = e.what(); // "--address: '12' is not a whole number in 0..9"
        if (const std::size_t n = szError.find(": needs a path"); n != std::string::npos)
            szError = szError.substr(0, n) + " needs a path";
        return false;
    }
    for (const std::string& arg : app.remaining()) {
        if (arg.rfind("--", 0) == 0)
            szError = "unknown option '" + arg.substr(0, arg.find('=')) + "'";
        else
            szError = "unexpected argument '" + arg + "'";
        return false;
    }
    options = out;
    return true;
}

} // namespace Sim
