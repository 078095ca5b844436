// Files and folders on POSIX: descriptors, fsync, rename over the target.
#include "comm/fileplatform.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <system_error>

namespace ZFile {

namespace {

bool WriteAll(int fd, std::string_view text) {
    std::size_t nDone = 0;
    while (nDone < text.size()) {
        const ssize_t n = ::write(fd, text.data() + nDone, text.size() - nDone);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        nDone += static_cast<std::size_t>(n);
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    const std::size_t nSlash = path.rfind('/');
    if (nSlash == std::string::npos) return ".";
    return nSlash == 0 ? "/" : path.substr(0, nSlash);
}

struct SSaveTarget {
    std::string path; // where the text goes: the name given, or the file a link points to
    bool bExists = false;
    mode_t nMode = 0;
};

// Where a save may write, or the reason why it may not (0 when it may).
int ResolveSaveTarget(const std::string& path, SSaveTarget* pTarget) {
    if (path.empty()) return ENOENT;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno != ENOENT) return errno;
        // A new name: its folder must take it.
        if (::access(FolderOf(path).c_str(), W_OK) != 0) return errno;
        pTarget->path = path;
        return 0;
    }
    pTarget->path = path;
    if (S_ISLNK(st.st_mode)) {
        if (::stat(path.c_str(), &st) != 0) return errno == ENOENT ? ERR_DANGLING : errno;
        char* pReal = ::realpath(path.c_str(), nullptr);
        if (!pReal) return errno;
        pTarget->path = pReal;
        std::free(pReal);
    }
    if (S_ISDIR(st.st_mode)) return EISDIR;
    if (!S_ISREG(st.st_mode)) return ERR_NOT_REGULAR;
    // A file without any write permission is read-only, also for a user who could override it.
    if (!(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) || ::access(pTarget->path.c_str(), W_OK) != 0)
        return EACCES;
    if (::access(FolderOf(pTarget->path).c_str(), W_OK) != 0) return errno;
    pTarget->bExists = true;
    pTarget->nMode = st.st_mode;
    return 0;
}

// A hidden name beside the target that stays within the length a folder entry may have.
std::string TempName(const std::string& target, unsigned nCounter) {
    const std::size_t nSlash = target.rfind('/');
    const std::string folder = nSlash == std::string::npos ? std::string() : target.substr(0, nSlash + 1);
    std::string title = nSlash == std::string::npos ? target : target.substr(nSlash + 1);
    const std::string suffix = ".~" + std::to_string(::getpid()) + "." + std::to_string(nCounter);
    const std::size_t nRoom = NAME_MAX - 1 - suffix.size();
    if (title.size() > nRoom) {
        title.resize(nRoom);
        while (!title.empty() && (static_cast<unsigned char>(title.back()) & 0xC0) == 0x80)
            title.pop_back(); // no cut inside a UTF-8 character
        if (!title.empty() && static_cast<unsigned char>(title.back()) >= 0xC0) title.pop_back();
    }
    return folder + "." + title + suffix;
}

// Temporaries that a save killed before its rename left beside the target: the hidden name TempName
// gives, with the number of a process that no longer runs. Another process's save that is still
// going on, other targets' temporaries and anything that is not our own regular file are left alone.
void RemoveStaleTemporaries(const std::string& target) {
    const std::size_t nSlash = target.rfind('/');
    const std::string prefix =
        "." + (nSlash == std::string::npos ? target : target.substr(nSlash + 1)) + ".~";
    // A title TempName had to cut could belong to another target.
    if (prefix.size() + 2 * std::numeric_limits<unsigned>::digits10 + 3 > NAME_MAX) return;
    DIR* pDir = ::opendir(FolderOf(target).c_str());
    if (!pDir) return;
    const int dirFd = ::dirfd(pDir);
    while (const dirent* pEntry = ::readdir(pDir)) {
        const std::string_view name = pEntry->d_name;
        if (name.substr(0, prefix.size()) != prefix) continue;
        const std::string_view rest = name.substr(prefix.size());
        const std::size_t nDot = rest.find('.');
        auto digits = [](std::string_view t) {
            return !t.empty() && t.size() < 11 &&
                   std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
        };
        if (nDot == std::string_view::npos || !digits(rest.substr(0, nDot)) || !digits(rest.substr(nDot + 1)))
            continue;
        const long nPid = std::strtol(std::string(rest.substr(0, nDot)).c_str(), nullptr, 10);
        if (nPid <= 0 || nPid > INT_MAX || nPid == ::getpid()) continue;
        if (::kill(static_cast<pid_t>(nPid), 0) == 0 || errno != ESRCH) continue;
        struct stat st {};
        if (::fstatat(dirFd, pEntry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
            st.st_uid != ::geteuid())
            continue;
        ::unlinkat(dirFd, pEntry->d_name, 0);
    }
    ::closedir(pDir);
}

} // namespace

int ReadWhole(const std::string& path, std::size_t nMaxBytes, std::string* pText) {
    pText->clear();
    // Checked before opening: opening a device node can already do something to the device.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return errno;
    if (S_ISDIR(st.st_mode)) return EISDIR;
    if (!S_ISREG(st.st_mode)) return ERR_NOT_REGULAR;
    if (static_cast<std::uint64_t>(st.st_size) > nMaxBytes) return EFBIG;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return errno;
    int nError = 0;
    // The name may have been replaced in between.
    if (::fstat(fd, &st) != 0)
        nError = errno;
    else if (!S_ISREG(st.st_mode))
        nError = S_ISDIR(st.st_mode) ? EISDIR : ERR_NOT_REGULAR;
    std::string& text = *pText;
    if (!nError) text.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    while (!nError) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno != EINTR) nError = errno;
            continue;
        }
        if (n == 0) break;
        if (text.size() + static_cast<std::size_t>(n) > nMaxBytes)
            nError = EFBIG;
        else
            text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (nError) text.clear();
    return nError;
}

int CheckSaveTarget(const std::string& path) {
    SSaveTarget target;
    return ResolveSaveTarget(path, &target);
}

int ReplaceWithText(const std::string& path, std::string_view text) {
    SSaveTarget target;
    if (const int nError = ResolveSaveTarget(path, &target)) return nError;
    static std::atomic<unsigned> s_nCounter{0};
    const std::string temp = TempName(target.path, s_nCounter++);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return errno;
    int nError = 0;
    if (target.bExists && ::fchmod(fd, target.nMode & 07777) != 0) nError = errno;
    if (!nError && !WriteAll(fd, text)) nError = errno;
    if (!nError && ::fsync(fd) != 0) nError = errno;
    if (::close(fd) != 0 && !nError) nError = errno;
    if (!nError && ::rename(temp.c_str(), target.path.c_str()) != 0) nError = errno;
    if (nError) {
        ::unlink(temp.c_str());
        return nError;
    }
    RemoveStaleTemporaries(target.path);
    // The rename itself lasts once the folder is on the disk.
    const int dirFd = ::open(FolderOf(target.path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return 0;
}

int Probe(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? 0 : errno;
}

bool Identity(const std::string& path, std::string* pIdentity) {
    pIdentity->clear();
    struct stat target {
    }, entry{};
    // stat follows links: a dangling one is nothing.
    if (::stat(path.c_str(), &target) != 0 || ::lstat(path.c_str(), &entry) != 0) return false;
    *pIdentity = std::to_string(entry.st_ino) + ":" + std::to_string(entry.st_ctim.tv_sec) + "." +
                 std::to_string(entry.st_ctim.tv_nsec) + ":" + std::to_string(target.st_rdev) + ":" +
                 std::to_string(target.st_ino);
    return true;
}

std::FILE* OpenFile(const std::string& path, const char* pszMode) {
    return std::fopen(path.c_str(), pszMode);
}

} // namespace ZFile

namespace ZUtils {

std::string ExecutableDir() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    return exe.parent_path().string();
}

std::string UserDataDir() {
    const char* pszData = std::getenv("XDG_DATA_HOME");
    std::filesystem::path base;
    if (pszData && *pszData == '/') {
        base = pszData;
    } else {
        const char* pszHome = std::getenv("HOME");
        if (!pszHome || !*pszHome) return {};
        base = std::filesystem::path(pszHome) / ".local" / "share";
    }
    return (base / "MLB-8 DSP Manager").string();
}

} // namespace ZUtils
