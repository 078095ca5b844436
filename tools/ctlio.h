// What mlb8ctl prints. Standard output is checked when the program ends (a full disk or a closed
// pipe is an error, not a silent cut in what was printed); messages on standard error go through
// here so that a --json run that failed without a document of its own can still print one with
// its last message.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace CtlIo {

// The documents of --json keep their members in the order they are written.
using Json = nlohmann::ordered_json;

constexpr int kExitFailed = 1;

#if defined(__GNUC__)
#define CTLIO_PRINTF(a, b) __attribute__((format(printf, a, b)))
#else
#define CTLIO_PRINTF(a, b)
#endif

// Text on standard error, usually whole "mlb8ctl: ..." lines.
void Err(const char* pszFormat, ...) CTLIO_PRINTF(1, 2);
// Lines on standard error, each ended by a line feed.
void ErrLines(const std::vector<std::string>& lines);
// The last message line, without "mlb8ctl: " (empty when none was printed).
const std::string& LastError();

// A number as the documents show it: six significant digits (the precision of the single-precision
// values they carry), a whole number without a fraction, null for what is not finite.
Json Number(double f);
// The document as one line of JSON. Bytes that are not UTF-8 (file names are bytes) become U+FFFD,
// written as the escape \ufffd, so the document stays JSON that any reader takes.
std::string JsonText(const Json& doc);
// Prints the document on standard output, on a line of its own.
void PrintJson(const Json& doc);
// Whether a document was printed.
bool JsonPrinted();

// Flushes standard output and checks that everything printed was written: nExit when it was,
// otherwise kExitFailed after a message.
int Finish(int nExit);

} // namespace CtlIo
