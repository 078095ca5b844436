// The command line of the tools (mlb8ctl, mlb8-sim, mlb8-soak, the benchmarks).
//
// Options are named with their dashes ("--port", "-h"). An option with a value takes it from the
// next argument, or after '=' (--port=PATH) where the program and the option allow that. Each
// occurrence calls the option's handler in the order given, so a repeatable option simply sees every
// value. A lone "-" is a word, not an option (it names a standard stream or, for mlb8ctl, the
// processor). A name registered twice belongs to its first registration. The parser stops at the
// first problem and names it; each program words its own message from that.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ZUtils {

struct SCmdLineError {
    enum EKind {
        None,
        UnknownOption, // a dashed argument that names no option
        MissingValue,  // an option with a value came last
        ValueNotTaken, // --flag=value for an option without a value
        Positional,    // an argument without a dash where the program takes none
        Rejected,      // a handler refused the value
    };
    EKind kind = None;
    std::string option;   // the option's name as written, without "=value"
    std::string argument; // the whole argument as written
    std::string text;     // what a refusing handler said (may be empty)
};

class CCmdLine {
public:
    // Handlers return false to stop with SCmdLineError::Rejected, optionally with a text.
    using FlagHandler = std::function<bool(std::string& error)>;
    using ValueHandler = std::function<bool(const std::string& value, std::string& error)>;

    // What "--name=value" is to one option when the parser takes inline values at all.
    enum class EInline {
        Value,   // the option with that value (a flag refuses it: ValueNotTaken)
        Unknown, // not this option: an unknown name, as for a parser without inline values
    };

    // Whether "--name=value" gives an option its value.
    explicit CCmdLine(bool bInlineValues = true) : m_bInlineValues(bInlineValues) {}

    CCmdLine& Flag(std::vector<std::string> names, FlagHandler handler, EInline inl = EInline::Value);
    CCmdLine& Flag(std::vector<std::string> names, bool& bSet, EInline inl = EInline::Value);
    CCmdLine& Value(std::vector<std::string> names, ValueHandler handler, EInline inl = EInline::Value);
    // Arguments without a leading dash; without a handler they are refused.
    CCmdLine& Positional(ValueHandler handler);

    bool Parse(const std::vector<std::string>& args, SCmdLineError& error) const;
    // argv[1..argc-1].
    bool Parse(int argc, char** argv, SCmdLineError& error) const;

    // The first argument that Parse would give the positional handler, found without calling any
    // handler: options and their values are passed over, and so is an unknown option (alone). For a
    // program whose command word decides which options it registers.
    std::optional<std::string> FirstPositional(const std::vector<std::string>& args) const;

private:
    struct SOption {
        std::vector<std::string> names;
        FlagHandler flag;   // set for an option without a value
        ValueHandler value; // set for an option with a value
        EInline inl;
    };
    struct SLookup {
        const SOption* pOption = nullptr; // null for an unknown name
        std::string name;                 // the name as written, without an inline value
        std::optional<std::string> value; // the inline value
    };
    const SOption* Find(const std::string& name) const;
    // A dashed argument read as an option name, with its inline value where one is taken.
    SLookup Lookup(const std::string& arg) const;
    static bool IsWord(const std::string& arg) { return arg.empty() || arg[0] != '-' || arg == "-"; }

    bool m_bInlineValues;
    std::vector<SOption> m_Options;
    ValueHandler m_Positional;
};

} // namespace ZUtils
