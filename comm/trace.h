// Developer trace and assertions.
//
// The trace is off unless a sink is chosen at start-up: `--trace FILE`, `--trace -` (standard error)
// or the environment variable MLB8_TRACE with the same values. Both entry points may be called from
// several threads at once; each call formats into its own buffer and writes under the sink's lock.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace ZUtils {

// Milliseconds of a steady clock (the Win32 tick count). Wraps after about 49.7 days.
std::uint32_t GetTickCount();
// Tests replace the clock; nullptr restores the steady clock.
void SetTickSource(std::uint32_t (*pfnTick)());

} // namespace ZUtils

// Where trace text goes. An empty function switches the trace off.
using TraceSink = std::function<void(std::string_view)>;
void TraceSetSink(TraceSink sink);
bool TraceIsOn();

// Chooses the sink by name: "-" is standard error, anything else a file that is created
// or appended to. Returns false (and leaves the trace off) when the file cannot be opened.
bool TraceOpen(const std::string& where, std::string* pError = nullptr);

// Takes `--trace X` / `--trace=X` out of argv and opens that sink; without one, MLB8_TRACE is used.
// Returns false when a sink was asked for and could not be opened (the message is in *pError).
bool TraceSetupFromArgs(int& argc, char** argv, std::string* pError = nullptr);

// Formats the message and writes it with the source file and line: "file(line) : message".
void TraceLog(const char* pszFile, int nLine, const char* pszFormat, ...)
    __attribute__((format(printf, 3, 4)));

// Writes the tick prefix "%08u: " and then the message (cut to 1023 characters) as two writes.
void W32Trace(const char* pszFormat, ...) __attribute__((format(printf, 1, 2)));

// Traces the assertion banner and ends the program with the runtime's assertion report.
[[noreturn]] void W32Assert(const char* pszExpr, const char* pszFile, int nLine);

#define TRACE(...) TraceLog(__FILE__, __LINE__, __VA_ARGS__)
#define W32ASSERT(expr) ((expr) ? (void)0 : W32Assert(#expr, "comm/w32base", __LINE__))
