// Processes, calendar time and the console on POSIX.
#include "comm/sysplatform.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <thread>
#include <vector>

extern char** environ;

namespace ZUtils {

int LaunchDocument(const std::string& program, const std::string& document) {
    if (program.empty()) return ENOENT;
    posix_spawnattr_t attr;
    int nResult = posix_spawnattr_init(&attr);
    if (nResult) return nResult;
    // A session of its own: the reader outlives the manager and ignores its terminal.
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
    std::vector<char*> argv{const_cast<char*>(program.c_str()), const_cast<char*>(document.c_str()), nullptr};
    pid_t pid = 0;
    nResult = posix_spawnp(&pid, program.c_str(), nullptr, &attr, argv.data(), environ);
    posix_spawnattr_destroy(&attr);
    if (nResult) return nResult;
    // The reader runs on; its exit status is collected in the background. Without a thread to spare
    // the reader still runs and only its exit status is left uncollected.
    try {
        std::thread([pid] {
            int nStatus = 0;
            while (waitpid(pid, &nStatus, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (const std::system_error&) {
    }
    return 0;
}

unsigned long ProcessId() {
    return static_cast<unsigned long>(::getpid());
}

std::tm LocalTime(std::time_t t) {
    std::tm out{};
    localtime_r(&t, &out);
    return out;
}

void UseUtf8Console() {}

} // namespace ZUtils
