// The tools' command-line parser: values, repeats, positional words and the error it names.
#include "comm/cmdline.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using ZUtils::CCmdLine;
using ZUtils::SCmdLineError;

// A parser like mlb8ctl's: a switch with two names, a repeatable value, a checked value, options that
// have no "--name=value" form, a name registered twice, and words.
struct SParsed {
    bool bQuiet = false;
    bool bBare = false;
    std::vector<std::string> ports;
    std::string level;
    std::vector<std::string> exact;
    std::vector<std::string> words;
};

CCmdLine MakeParser(SParsed& out, bool bInline = true, bool bWords = true) {
    using EInline = CCmdLine::EInline;
    auto collect = [](std::vector<std::string>& to) {
        return [&to](const std::string& value, std::string&) {
            to.push_back(value);
            return true;
        };
    };
    CCmdLine cmdline(bInline);
    cmdline.Flag({"--quiet", "-q"}, out.bQuiet)
        .Flag({"--bare"}, out.bBare, EInline::Unknown)
        .Value({"--port"}, collect(out.ports))
        .Value({"--level"},
               [&](const std::string& value, std::string& text) {
                   if (value != "low" && value != "high") {
                       text = "--level takes low or high";
                       return false;
                   }
                   out.level = value;
                   return true;
               })
        .Value({"--exact"}, collect(out.exact), EInline::Unknown)
        .Flag({"--port", "--level"}, out.bBare); // both names already have an owner
    if (bWords) cmdline.Positional(collect(out.words));
    return cmdline;
}

bool Parse(const std::vector<std::string>& args, SParsed& out, SCmdLineError& error, bool bInline = true,
           bool bWords = true) {
    return MakeParser(out, bInline, bWords).Parse(args, error);
}

TEST(CmdLine, TakesValuesRepeatsAndWordsInOrder) {
    SParsed out;
    SCmdLineError error;
    EXPECT_FALSE(Parse({"show", "--level", "--x", "x"}, out, error));
    // "--x" was taken as the value of --level and refused: values are taken whatever they look like.
    EXPECT_EQ(error.kind, SCmdLineError::Rejected);
    EXPECT_EQ(error.option, "--level");
    EXPECT_EQ(error.text, "--level takes low or high");

    out = {};
    ASSERT_TRUE(Parse({"show", "--port", "/dev/a", "-q", "--port=/dev/b=c", "--port=", "--level=high", "file",
                       "--exact", "--x=1", "-", "--bare", "--port", "--quiet"},
                      out, error))
        << error.argument;
    EXPECT_TRUE(out.bQuiet);
    EXPECT_TRUE(out.bBare);
    EXPECT_EQ(out.ports, (std::vector<std::string>{"/dev/a", "/dev/b=c", "", "--quiet"}));
    EXPECT_EQ(out.level, "high");
    EXPECT_EQ(out.exact, (std::vector<std::string>{"--x=1"}));
    // A lone "-" is a word (standard input, or the processor for mlb8ctl diff).
    EXPECT_EQ(out.words, (std::vector<std::string>{"show", "file", "-"}));
    EXPECT_EQ(error.kind, SCmdLineError::None);
}

TEST(CmdLine, NamesTheFirstProblem) {
    struct SCase {
        std::vector<std::string> args;
        bool bInline;
        bool bWords;
        SCmdLineError::EKind kind;
        std::string option;
        std::string argument;
    };
    const std::vector<SCase> cases = {
        {{"--port"}, true, true, SCmdLineError::MissingValue, "--port", "--port"},
        {{"-q", "--level"}, true, true, SCmdLineError::MissingValue, "--level", "--level"},
        {{"--bogus", "--port"}, true, true, SCmdLineError::UnknownOption, "--bogus", "--bogus"},
        {{"--bogus=1"}, true, true, SCmdLineError::UnknownOption, "--bogus", "--bogus=1"},
        {{"-x"}, true, true, SCmdLineError::UnknownOption, "-x", "-x"},
        {{"-"}, true, false, SCmdLineError::Positional, "", "-"},
        {{"-="}, true, true, SCmdLineError::UnknownOption, "-", "-="},
        {{"--"}, true, true, SCmdLineError::UnknownOption, "--", "--"},
        // An option without the inline form reads "--name=value" as a name of its own.
        {{"--exact=1"}, true, true, SCmdLineError::UnknownOption, "--exact=1", "--exact=1"},
        {{"--bare=1"}, true, true, SCmdLineError::UnknownOption, "--bare=1", "--bare=1"},
        {{"--exact"}, true, true, SCmdLineError::MissingValue, "--exact", "--exact"},
        {{"--quiet=yes"}, true, true, SCmdLineError::ValueNotTaken, "--quiet", "--quiet=yes"},
        {{"--level=mid"}, true, true, SCmdLineError::Rejected, "--level", "--level=mid"},
        {{"word"}, true, false, SCmdLineError::Positional, "", "word"},
        {{""}, true, false, SCmdLineError::Positional, "", ""},
        // Without inline values "--port=x" is a name of its own.
        {{"--port=/dev/a"}, false, true, SCmdLineError::UnknownOption, "--port=/dev/a", "--port=/dev/a"},
        {{"--quiet=yes"}, false, true, SCmdLineError::UnknownOption, "--quiet=yes", "--quiet=yes"},
    };
    for (const SCase& c : cases) {
        SParsed out;
        SCmdLineError error;
        EXPECT_FALSE(Parse(c.args, out, error, c.bInline, c.bWords)) << c.args[0];
        EXPECT_EQ(error.kind, c.kind) << c.args[0];
        EXPECT_EQ(error.option, c.option) << c.args[0];
        EXPECT_EQ(error.argument, c.argument) << c.args[0];
    }
}

// The word a program looks at before it registers the options that depend on it.
TEST(CmdLine, FirstPositionalPassesOverOptionsAndTheirValues) {
    struct SCase {
        std::vector<std::string> args;
        std::optional<std::string> word;
    };
    const std::vector<SCase> cases = {
        {{}, std::nullopt},
        {{"show", "file"}, "show"},
        {{"--port", "show", "file"}, "file"},
        {{"--port=show", "file"}, "file"},
        {{"-q", "--level", "x", "--exact", "y", "z"}, "z"},
        {{"--exact=1", "show"}, "show"}, // unknown, so passed over alone
        {{"--bogus", "show"}, "show"},
        {{"--bare=1", "--bogus=2", "show"}, "show"},
        {{"--quiet", "-", "show"}, "-"},
        {{"", "show"}, ""},
        {{"--level"}, std::nullopt},
        {{"--port", "a", "--bogus"}, std::nullopt},
    };
    for (const SCase& c : cases) {
        SParsed out;
        EXPECT_EQ(MakeParser(out).FirstPositional(c.args), c.word) << testing::PrintToString(c.args);
        EXPECT_TRUE(out.ports.empty() && out.words.empty() && out.exact.empty() && !out.bQuiet);
    }
}

TEST(CmdLine, AHandlerCanStopTheParse) {
    bool bHelp = false;
    int nSeen = 0;
    CCmdLine cmdline;
    cmdline
        .Flag({"--help"},
              [&](std::string&) {
                  bHelp = true;
                  return false;
              })
        .Positional([&](const std::string&, std::string&) {
            ++nSeen;
            return true;
        });
    SCmdLineError error;
    char arg0[] = "prog", arg1[] = "a", arg2[] = "--help", arg3[] = "--bogus";
    char* argv[] = {arg0, arg1, arg2, arg3, nullptr};
    EXPECT_FALSE(cmdline.Parse(4, argv, error));
    EXPECT_TRUE(bHelp);
    EXPECT_EQ(nSeen, 1);
    EXPECT_EQ(error.kind, SCmdLineError::Rejected);
    EXPECT_EQ(error.option, "--help");
    EXPECT_TRUE(cmdline.Parse(1, argv, error));
}

} // namespace
