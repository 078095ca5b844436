// mlb8ctl's command line on CLI11: validators that take a value as typed and refuse it in
// mlb8ctl's own words, and the words of each usage rule (what is missing, what goes with what).
#pragma once

#include <functional>
#include <map>
#include <string>

#include <CLI/CLI.hpp>

namespace CtlCli {

// A whole number, all of the text.
bool ParseInt(const std::string& text, int* pValue);
// A finite decimal number, all of the text.
bool ParseDouble(const std::string& text, double* pValue);

// A validator from a check that returns the message for a bad value (empty for a good one). The
// message is the whole of what the user sees (see CUsage::Message).
CLI::Validator Check(std::function<std::string(const std::string&)> check, std::string description);
// A whole number lo..hi.
CLI::Validator IntIn(int nLo, int nHi, std::string message);
// A decimal number lo..hi.
CLI::Validator DoubleIn(double fLo, double fHi, std::string message);
// Any text but the empty one.
CLI::Validator NotEmpty(std::string message);

// The messages of the rules given to CLI11, by command.
class CUsage {
public:
    // The option (or operand) of the command must be given.
    CLI::Option* Required(CLI::App* pCommand, CLI::Option* pOption, const std::string& message);
    // pOption needs pOther given too.
    void Needs(CLI::App* pCommand, CLI::Option* pOption, CLI::Option* pOther, const std::string& message);
    // pOption and pOther exclude each other.
    void Excludes(CLI::App* pCommand, CLI::Option* pOption, CLI::Option* pOther, const std::string& message);
    // The command does not take the program's option pOption.
    void Excludes(CLI::App* pCommand, CLI::Option* pOption, const std::string& message);
    // What is said when the option came last, without its value.
    void MissingValue(CLI::Option* pOption, const std::string& message);
    // What is said for a word the command does not take (default: unexpected argument 'WORD').
    void Extra(CLI::App* pCommand, const std::string& message);

    // The message of a rule that CLI11 reported for the command ("" for the program itself), or
    // an empty text when the error is no rule's.
    std::string RuleMessage(const std::string& command, const CLI::ParseError& e) const;
    // The message for an option given without its value, or an empty text.
    std::string MissingValueMessage(const std::string& option) const;
    // The message for a word the command does not take, or an empty text.
    std::string ExtraMessage(const std::string& command) const;

private:
    void Add(const CLI::App* pCommand, const std::string& text, const std::string& message);
    std::map<std::string, std::string> m_Rules; // "command\nCLI11's text" -> message
    std::map<std::string, std::string> m_MissingValue;
    std::map<std::string, std::string> m_Extra;
};

} // namespace CtlCli
