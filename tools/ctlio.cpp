#include "ctlio.h"

#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace CtlIo {

namespace {

std::string g_ErrorLine; // the line being written to standard error
std::string g_LastError;
bool g_bJsonPrinted = false;

// Keeps the last complete "mlb8ctl: " line of what goes to standard error.
void WatchError(const std::string& text) {
    for (const char c : text) {
        if (c != '\n') {
            g_ErrorLine += c;
            continue;
        }
        if (g_ErrorLine.rfind("mlb8ctl: ", 0) == 0) g_LastError = g_ErrorLine.substr(9);
        g_ErrorLine.clear();
    }
}

} // namespace

void Err(const char* pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, pszFormat, copy);
    va_end(copy);
    std::string text(n > 0 ? static_cast<std::size_t>(n) : 0u, '\0');
    if (n > 0) std::vsnprintf(text.data(), text.size() + 1, pszFormat, args);
    va_end(args);
    WatchError(text);
    std::fputs(text.c_str(), stderr);
}

void ErrLines(const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        Err("%s\n", line.c_str());
}

const std::string& LastError() {
    return g_LastError;
}

Json Number(double f) {
    if (!std::isfinite(f)) return nullptr;
    char sz[32];
    std::snprintf(sz, sizeof sz, "%.6g", f);
    const double fShown = std::strtod(sz, nullptr);
    if (std::fabs(fShown) < 1e15 && fShown == std::trunc(fShown)) return static_cast<long long>(fShown);
    return fShown;
}

std::string JsonText(const Json& doc) {
    const std::string text = doc.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    // The replacement character comes out as UTF-8; the escape shows it on any terminal.
    static const std::string kReplacement = "\xEF\xBF\xBD";
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (text.compare(i, kReplacement.size(), kReplacement) == 0) {
            out += "\\ufffd";
            i += kReplacement.size();
        } else {
            out += text[i++];
        }
    }
    return out;
}

void PrintJson(const Json& doc) {
    const std::string text = JsonText(doc);
    std::fputs(text.c_str(), stdout);
    std::fputc('\n', stdout);
    g_bJsonPrinted = true;
}

bool JsonPrinted() {
    return g_bJsonPrinted;
}

int Finish(int nExit) {
    errno = 0;
    const bool bFlushed = std::fflush(stdout) == 0;
    const int nError = errno;
    if (bFlushed && !std::ferror(stdout)) return nExit;
    Err("mlb8ctl: writing to standard output failed%s%s.\n", nError ? ": " : "",
        nError ? std::strerror(nError) : "");
    return kExitFailed;
}

} // namespace CtlIo
