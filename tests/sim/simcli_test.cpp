// The mlb8-sim program: its command line, its start-up line and a clean end on SIGTERM.
#include "simtestutil.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>

extern char** environ;

namespace {

struct SChild {
    pid_t pid = -1;
    int nOut = -1; // its standard output
    int nErr = -1; // its standard error
};

SChild Spawn(const std::vector<std::string>& args) {
    int out[2], err[2];
    SChild child;
    if (::pipe(out) != 0 || ::pipe(err) != 0) return child;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, err[0]);
    std::vector<std::string> all = {MLB8_SIM_EXE};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&child.pid, MLB8_SIM_EXE, &actions, nullptr, argv.data(), environ) != 0) child.pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    child.nOut = out[0];
    child.nErr = err[0];
    return child;
}

// Text of a pipe until it closes, or until the first newline when bLine.
std::string ReadPipe(int fd, bool bLine = false) {
    std::string text;
    for (;;) {
        pollfd pfd{fd, POLLIN, 0};
        if (::poll(&pfd, 1, 10000) <= 0) break;
        char c;
        if (::read(fd, &c, 1) != 1) break;
        text += c;
        if (bLine && c == '\n') break;
    }
    return text;
}

int Wait(pid_t pid) {
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

TEST(SimProgram, BadArgumentsExitWithTwo) {
    const std::vector<std::vector<std::string>> cases = {
        {"--address", "12"}, {"--drop-prob", "2"}, {"--nonsense"}, {"--delay"}, {"extra"},
    };
    for (const auto& args : cases) {
        SChild child = Spawn(args);
        ASSERT_GT(child.pid, 0);
        const std::string err = ReadPipe(child.nErr);
        EXPECT_EQ(Wait(child.pid), 2) << args[0];
        EXPECT_EQ(err.rfind("mlb8-sim: ", 0), 0u) << err;
        EXPECT_NE(err.find("usage:"), std::string::npos);
        ::close(child.nOut);
        ::close(child.nErr);
    }
    SChild help = Spawn({"--help"});
    EXPECT_NE(ReadPipe(help.nOut).find("usage: mlb8-sim"), std::string::npos);
    EXPECT_EQ(Wait(help.pid), 0);
    ::close(help.nOut);
    ::close(help.nErr);
}

TEST(SimProgram, AnnouncesItsPortAnswersAndCleansUpOnSigterm) {
    const std::string base = ::testing::TempDir() + "mlb8sim_cli_" + std::to_string(::getpid());
    const std::string link = base + ".link", log = base + ".log";
    SChild child = Spawn({"--address", "2", "--link", link, "--log", log});
    ASSERT_GT(child.pid, 0);
    const std::string line = ReadPipe(child.nOut, true);
    const std::string prefix = "mlb8-sim: port ";
    ASSERT_EQ(line.rfind(prefix, 0), 0u) << line;
    const std::string suffix = " link " + link + "\n";
    ASSERT_GT(line.size(), prefix.size() + suffix.size());
    ASSERT_EQ(line.substr(line.size() - suffix.size()), suffix) << line;
    const std::string port = line.substr(prefix.size(), line.size() - prefix.size() - suffix.size());

    char target[256] = {};
    ASSERT_GT(::readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(port, target);
    {
        SimTest::CTerminal term(link);
        ASSERT_TRUE(term.IsOpen());
        const auto reply = term.Transact(SimTest::Read(0, 0, 0, 2));
        ASSERT_TRUE(reply);
        EXPECT_EQ((*reply)[0], 2);
    }
    ASSERT_EQ(::kill(child.pid, SIGTERM), 0);
    EXPECT_EQ(Wait(child.pid), 0);
    struct stat st {};
    EXPECT_NE(::lstat(link.c_str(), &st), 0) << "link left behind";

    std::ifstream in(log);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("rx 02 00 80 00 00 00 00"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("| probe addr 2 -> reply"), std::string::npos) << text.str();
    ::close(child.nOut);
    ::close(child.nErr);
    std::remove(log.c_str());
}

} // namespace
