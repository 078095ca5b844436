// Processes, the clock's calendar and the console, the same on every platform: the implementations
// are in posix/sysplatform.cpp and win32/sysplatform.cpp.
#pragma once

#include <ctime>
#include <string>

namespace ZUtils {

// The program name that stands for the desktop's own opener of a document's type. On Windows the
// shell's file association does its work.
constexpr const char* DESKTOP_OPENER = "xdg-open";

// Starts a program with a document as its only argument, without a shell, the environment inherited;
// the program runs on without the caller (a child is reaped in the background). Returns 0 when it was
// started, otherwise an errno value (ENOENT when the program is not found).
int LaunchDocument(const std::string& program, const std::string& document);

// The number of the running process.
unsigned long ProcessId();

// The local calendar time of t (thread-safe).
std::tm LocalTime(std::time_t t);

// Makes the console show UTF-8 output as such (Windows: the console's output code page; elsewhere the
// terminal does already). Programs that print call it first thing in main.
void UseUtf8Console();

} // namespace ZUtils
