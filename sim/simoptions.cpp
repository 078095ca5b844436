#include "simoptions.h"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <tuple>
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

// The options with their checks and help texts; the usage text is made from the same definitions.
void DefineSimOptions(CLI::App& app, SSimOptions& out) {
    app.description("A simulated MLB-8 processor on a pseudo-terminal; runs until SIGINT or SIGTERM.");
    app.get_formatter()->label("Usage", "usage");
    app.get_formatter()->column_width(22);
    app.set_help_flag();
    app.allow_extras();
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    // Each value is checked as typed, with the message that names the option and the range.
    auto integer = [&app](const char* pszName, const char* pszValue, const char* pszHelp, long long nMin,
                          long long nMax, auto& nTarget) {
        app.add_option_function<std::string>(
               pszName,
               [&nTarget](const std::string& value) {
                   long long n = 0;
                   ParseInt(value, std::numeric_limits<long long>::min(),
                            std::numeric_limits<long long>::max(), n);
                   nTarget = static_cast<std::remove_reference_t<decltype(nTarget)>>(n);
               },
               pszHelp)
            ->type_name(pszValue)
            ->check(CLI::Validator(
                [=](std::string& value) {
                    long long n = 0;
                    return ParseInt(value, nMin, nMax, n)
                               ? std::string()
                               : "'" + value + "' is not a whole number in " + std::to_string(nMin) + ".." +
                                     std::to_string(nMax);
                },
                ""));
    };
    auto path = [&app](const char* pszName, const char* pszValue, const char* pszHelp, std::string& target) {
        app.add_option(pszName, target, pszHelp)
            ->type_name(pszValue)
            ->check(CLI::Validator(
                [](std::string& value) {
                    return value.empty() ? std::string("needs a path") : std::string();
                },
                ""));
    };
    constexpr long long kIntMax = std::numeric_limits<int>::max();
    app.add_flag("--help", out.bHelp, "show this text")->disable_flag_override();
    integer("--address", "A", "bus address to answer, 0..9 (default 0)", 0, 9, out.nAddress);
    path("--link", "PATH", "also reach the port through this symbolic link (removed at exit)", out.szLink);
    path("--log", "FILE", "write every received frame and what was done with it", out.szLog);
    integer("--drop-every", "N", "drop every Nth reply", 0, kIntMax, out.Faults.nDropEvery);
    app.add_option("--drop-prob", out.Faults.fDropProbability, "drop each reply with probability P (0..1)")
        ->type_name("P")
        ->check(CLI::Validator(
            [](std::string& value) {
                double f = 0.0;
                return ParseProbability(value, f) ? std::string()
                                                  : "'" + value + "' is not a probability in 0..1";
            },
            ""));
    integer("--drop-next", "N", "drop the next N replies", 0, kIntMax, out.Faults.nDropNext);
    integer("--delay", "MS", "wait MS milliseconds before each reply", 0, 600000, out.Faults.nDelayMs);
    for (auto [pszName, pszHelp, pFlag] :
         {std::tuple{"--split", "write replies in random pieces with short pauses", &out.Faults.bSplit},
          std::tuple{"--corrupt", "change one bit of each reply after its CRC was made",
                     &out.Faults.bCorrupt},
          std::tuple{"--silent", "receive and log, answer nothing", &out.Faults.bSilent}})
        app.add_flag(pszName, *pFlag, pszHelp)->disable_flag_override();
    integer("--garbage", "N", "write N random bytes before each reply", 0, 4096, out.Faults.nGarbage);
    integer("--hangup-after", "N", "hang up (as if unplugged) when the Nth frame arrives", 0, kIntMax,
            out.Faults.nHangUpAfter);
    integer("--seed", "S", "seed of the random faults (default 1)", 0,
            std::numeric_limits<std::uint32_t>::max(), out.Faults.nSeed);
}

} // namespace

std::string SimUsage() {
    SSimOptions unused;
    CLI::App app("", "mlb8-sim");
    DefineSimOptions(app, unused);
    return app.help();
}

bool ParseSimArgs(const std::vector<std::string>& args, SSimOptions& options, std::string& szError) {
    SSimOptions out;
    CLI::App app("", "mlb8-sim");
    DefineSimOptions(app, out);

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
