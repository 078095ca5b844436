// Running a program from a test (mlb8ctl above all): its standard output into a file, and its
// standard error into a file of its own or into the same one after the output.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <string>
#include <vector>

#include "editor/help.h"
#include "tests/common/textfiles.h"

extern char** environ;

namespace CtlRun {

using TestFiles::ReadText;

// Runs the program argv[0] with the arguments that follow. Its standard output goes to outPath
// (opened for writing as it is, so /dev/full works); its standard error to errPath, or, when errPath
// is empty, into outPath as well. The exit status, or -1 when it did not start or did not exit.
inline int RunProgram(const std::vector<std::string>& args, const std::string& outPath,
                      const std::string& errPath = {}) {
    std::vector<std::string> all = args;
    std::vector<char*> argv;
    for (std::string& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (errPath.empty())
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
    else
        posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    const int nError = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (nError != 0) return -1;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// mlb8ctl, built beside the tests.
inline std::string CtlPath() {
    return ZUtils::ExecutableDir() + "/mlb8ctl";
}

// Runs mlb8ctl with args, its output and error as RunProgram sends them.
inline int RunCtl(const std::vector<std::string>& args, const std::string& outPath,
                  const std::string& errPath = {}) {
    std::vector<std::string> all = {CtlPath()};
    all.insert(all.end(), args.begin(), args.end());
    return RunProgram(all, outPath, errPath);
}

} // namespace CtlRun
