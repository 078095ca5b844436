#include "win32util.h"

#include <cerrno>

namespace Win32 {

std::wstring Widen(const std::string& text) {
    if (text.empty()) return {};
    const int nChars =
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (nChars <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(nChars), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), nChars);
    return wide;
}

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return {};
    const int nBytes = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                             0, nullptr, nullptr);
    if (nBytes <= 0) return {};
    std::string narrow(static_cast<std::size_t>(nBytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), nBytes,
                          nullptr, nullptr);
    return narrow;
}

int ComNumberFromPortName(const std::wstring& name) {
    if (name.size() < 4 || name.size() > 6) return 0;
    if ((name[0] | 0x20) != L'c' || (name[1] | 0x20) != L'o' || (name[2] | 0x20) != L'm') return 0;
    if (name[3] == L'0') return 0;
    int n = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (name[i] < L'0' || name[i] > L'9') return 0;
        n = n * 10 + (name[i] - L'0');
    }
    return n <= 255 ? n : 0;
}

std::wstring PortDeviceName(const std::string& path) {
    const std::wstring wide = Widen(path);
    if (ComNumberFromPortName(wide) > 0) return L"\\\\.\\" + wide;
    return wide;
}

int ErrnoFromWin32(DWORD nError) {
    switch (nError) {
    case ERROR_SUCCESS:
        return 0;
    case ERROR_ACCESS_DENIED: // a serial port is opened exclusively: another program has it
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_BUSY:
        return EBUSY;
    case ERROR_PRIVILEGE_NOT_HELD:
        return EACCES;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_BAD_UNIT:
        return ENOENT;
    case ERROR_NOT_READY:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEVICE_REMOVED:
        return ENODEV;
    case ERROR_INVALID_FUNCTION:
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_HANDLE:
        return ENOTTY;
    default:
        return EIO;
    }
}

bool IsRemovalError(DWORD nError) {
    switch (nError) {
    case ERROR_OPERATION_ABORTED: // the driver ended the request as the device left
    case ERROR_ACCESS_DENIED:
    case ERROR_BAD_COMMAND:
    case ERROR_GEN_FAILURE:
    case ERROR_DEVICE_REMOVED:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_NOT_READY:
    case ERROR_INVALID_HANDLE:
    case ERROR_BROKEN_PIPE:
    case ERROR_HANDLE_EOF:
        return true;
    default:
        return false;
    }
}

} // namespace Win32
