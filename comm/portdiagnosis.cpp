#include "portdiagnosis.h"

#include <cerrno>
#include <cstring>

bool IsPortBusyError(int nError) {
    return nError == EBUSY || nError == EWOULDBLOCK || nError == EAGAIN;
}

std::string DescribePortOpenFailure(int nError, const std::string& path) {
    if (nError == ENOTTY) return "not a serial port";
    if (IsPortBusyError(nError)) {
        const int nPid = FindPortHolder(path);
        return nPid > 0 ? "in use by another program (pid " + std::to_string(nPid) + ")"
                        : "in use by another program";
    }
    if (nError == EACCES || nError == EPERM)
        return std::string("no permission to open it") + PortPermissionAdvice();
    if (nError == ENOENT || nError == ENODEV || nError == ENXIO) return "not present";
    return nError ? std::strerror(nError) : "cannot be opened";
}
