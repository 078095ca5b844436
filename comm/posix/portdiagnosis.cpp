#include "comm/portdiagnosis.h"

#include <dirent.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

int FindPortHolder(const std::string& path) {
    char szReal[PATH_MAX];
    if (!::realpath(path.c_str(), szReal)) return -1;
    const std::string target = szReal;
    DIR* pProc = ::opendir("/proc");
    if (!pProc) return -1;
    const int nSelf = static_cast<int>(::getpid());
    int nHolder = -1;
    while (dirent* pEntry = ::readdir(pProc)) {
        char* pEnd = nullptr;
        const long nPid = std::strtol(pEntry->d_name, &pEnd, 10);
        if (!pEnd || *pEnd || nPid <= 0 || nPid == nSelf) continue;
        const std::string fdDir = "/proc/" + std::string(pEntry->d_name) + "/fd";
        DIR* pFds = ::opendir(fdDir.c_str());
        if (!pFds) continue; // gone, or another user's
        while (dirent* pFd = ::readdir(pFds)) {
            if (pFd->d_name[0] == '.') continue;
            char szLink[PATH_MAX];
            const ssize_t n = ::readlink((fdDir + "/" + pFd->d_name).c_str(), szLink, sizeof szLink - 1);
            if (n <= 0) continue;
            szLink[n] = 0;
            if (target == szLink) {
                nHolder = static_cast<int>(nPid);
                break;
            }
        }
        ::closedir(pFds);
        if (nHolder > 0) break;
    }
    ::closedir(pProc);
    return nHolder;
}

const char* PortPermissionAdvice() {
    return " (add your user to the 'dialout' group, then log in again)";
}
