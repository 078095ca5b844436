// UTF-8 text to and from the UTF-16 of the Win32 calls, and Win32 errors as errno values. Windows
// sources only.
#pragma once

#include "winapi.h"

#include <cerrno>
#include <string>
#include <string_view>

namespace ZWin {

inline std::wstring Widen(std::string_view text) {
    if (text.empty()) return {};
    const int nLength = static_cast<int>(text.size());
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), nLength, nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), nLength, out.data(), n);
    return out;
}

inline std::string Narrow(std::wstring_view text) {
    if (text.empty()) return {};
    const int nLength = static_cast<int>(text.size());
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), nLength, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), nLength, out.data(), n, nullptr, nullptr);
    return out;
}

// The errno value nearest to a Win32 error, so that one message table serves both platforms.
inline int ErrnoOf(DWORD nError) {
    switch (nError) {
    case ERROR_SUCCESS:
        return 0;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_INVALID_NAME:
    case ERROR_DIRECTORY:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_CURRENT_DIRECTORY:
        return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    default:
        return EIO;
    }
}

inline int LastErrno() {
    return ErrnoOf(::GetLastError());
}

} // namespace ZWin
