#include "trace.h"

#include "fileplatform.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

namespace ZUtils {

namespace {
std::atomic<std::uint32_t (*)()> g_pfnTick{nullptr};
}

std::uint32_t GetTickCount() {
    if (auto pfn = g_pfnTick.load(std::memory_order_acquire)) return pfn();
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SetTickSource(std::uint32_t (*pfnTick)()) {
    g_pfnTick.store(pfnTick, std::memory_order_release);
}

} // namespace ZUtils

namespace {

struct TraceState {
    std::mutex lock;
    TraceSink sink;
    std::atomic<bool> on{false};
};

TraceState& State() {
    static TraceState s;
    return s;
}

void Emit(std::string_view text) {
    TraceState& s = State();
    if (!s.on.load(std::memory_order_acquire)) return;
    std::lock_guard<std::mutex> guard(s.lock);
    if (s.sink) s.sink(text);
}

constexpr std::size_t kTraceBuffer = 1024; // characters, terminator included

} // namespace

void TraceSetSink(TraceSink sink) {
    TraceState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    s.sink = std::move(sink);
    s.on.store(static_cast<bool>(s.sink), std::memory_order_release);
}

bool TraceIsOn() {
    return State().on.load(std::memory_order_acquire);
}

bool TraceOpen(const std::string& where, std::string* pError) {
    if (where == "-") {
        TraceSetSink([](std::string_view text) {
            std::fwrite(text.data(), 1, text.size(), stderr);
            std::fflush(stderr);
        });
        return true;
    }
    std::FILE* pFile = ZFile::OpenFile(where, "ab");
    if (!pFile) {
        if (pError) *pError = "cannot open trace file \"" + where + "\": " + std::strerror(errno);
        return false;
    }
    std::setvbuf(pFile, nullptr, _IONBF, 0);
    std::shared_ptr<std::FILE> file(pFile, [](std::FILE* p) { std::fclose(p); });
    TraceSetSink([file](std::string_view text) { std::fwrite(text.data(), 1, text.size(), file.get()); });
    return true;
}

bool TraceSetupFromArgs(int& argc, char** argv, std::string* pError) {
    std::string where;
    bool bAsked = false;
    int nOut = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--trace") == 0 && i + 1 < argc) {
            where = argv[++i];
            bAsked = true;
        } else if (std::strncmp(argv[i], "--trace=", 8) == 0) {
            where = argv[i] + 8;
            bAsked = true;
        } else {
            argv[nOut++] = argv[i];
        }
    }
    argc = nOut;
    argv[argc] = nullptr;
    if (!bAsked) {
        const char* pszEnv = std::getenv("MLB8_TRACE");
        if (!pszEnv || !*pszEnv) return true;
        where = pszEnv;
    }
    if (where.empty()) {
        if (pError) *pError = "--trace needs a file name or -";
        return false;
    }
    return TraceOpen(where, pError);
}

void TraceLog(const char* pszFile, int nLine, const char* pszFormat, ...) {
    if (!TraceIsOn()) return;
    char szMsg[kTraceBuffer];
    va_list args;
    va_start(args, pszFormat);
    std::vsnprintf(szMsg, sizeof szMsg, pszFormat, args);
    va_end(args);
    char szLine[kTraceBuffer + 300];
    int n = std::snprintf(szLine, sizeof szLine, "%s(%d) : %s", pszFile ? pszFile : "", nLine, szMsg);
    if (n < 0) return;
    Emit(std::string_view(szLine, std::min<std::size_t>(static_cast<std::size_t>(n), sizeof szLine - 1)));
}

void W32Trace(const char* pszFormat, ...) {
    if (!TraceIsOn()) return;
    char szBuf[kTraceBuffer];
    int n = std::snprintf(szBuf, sizeof szBuf, "%08u: ", ZUtils::GetTickCount());
    Emit(std::string_view(szBuf, static_cast<std::size_t>(n)));
    va_list args;
    va_start(args, pszFormat);
    n = std::vsnprintf(szBuf, sizeof szBuf, pszFormat, args);
    va_end(args);
    if (n < 0) return;
    Emit(std::string_view(szBuf, std::min<std::size_t>(static_cast<std::size_t>(n), sizeof szBuf - 1)));
}

void W32Assert(const char* pszExpr, const char* pszFile, int nLine) {
    W32Trace("###!!!@@@   A S S E R T I O N   @@@!!!###\r\n");
    std::fprintf(stderr, "Assertion failed: %s, file %s, line %d\n", pszExpr, pszFile, nLine);
    std::fflush(stderr);
    std::abort();
}
