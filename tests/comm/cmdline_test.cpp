// The tools' command-line parser: values, repeats, positional words and the error it names.
#include "comm/cmdline.h"

#include <gtest/gtest.h>

namespace {

using ZUtils::CCmdLine;
using ZUtils::SCmdLineError;

// A parser like mlb8ctl's: a switch with two names, a repeatable value, a checked value and words.
struct SParsed {
    bool bQuiet = false;
    std::vector<std::string> ports;
    std::string level;
    std::vector<std::string> words;
};

bool Parse(const std::vector<std::string>& args, SParsed& out, SCmdLineError& error, bool bInline = true,
           bool bWords = true) {
    CCmdLine cmdline(bInline);
    cmdline.Flag({"--quiet", "-q"}, out.bQuiet)
        .Value({"--port"},
               [&](const std::string& value, std::string&) {
                   out.ports.push_back(value);
                   return true;
               })
        .Value({"--level"}, [&](const std::string& value, std::string& text) {
            if (value != "low" && value != "high") {
                text = "--level takes low or high";
                return false;
            }
            out.level = value;
            return true;
        });
    if (bWords)
        cmdline.Positional([&](const std::string& word, std::string&) {
            out.words.push_back(word);
            return true;
        });
    return cmdline.Parse(args, error);
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
                       "--port", "--quiet"},
                      out, error))
        << error.argument;
    EXPECT_TRUE(out.bQuiet);
    EXPECT_EQ(out.ports, (std::vector<std::string>{"/dev/a", "/dev/b=c", "", "--quiet"}));
    EXPECT_EQ(out.level, "high");
    EXPECT_EQ(out.words, (std::vector<std::string>{"show", "file"}));
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
        {{"-"}, true, true, SCmdLineError::UnknownOption, "-", "-"},
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
