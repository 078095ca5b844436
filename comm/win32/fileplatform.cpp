// Files and folders on Windows: UTF-16 Win32 calls, FlushFileBuffers, ReplaceFileW / MoveFileExW.
#include "comm/fileplatform.h"

#include "widetext.h"
#include "win32util.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <filesystem>
#include <string_view>

namespace ZFile {

namespace {

using ZWin::Narrow;
using ZWin::Widen;

std::size_t LastSeparator(const std::string& path) {
    return path.find_last_of("/\\");
}

std::string FolderOf(const std::string& path) {
    const std::size_t nSlash = LastSeparator(path);
    if (nSlash == std::string::npos) return path.size() == 2 && path[1] == ':' ? path + "\\" : ".";
    // "C:\x" lies in "C:\", "\x" in "\".
    if (nSlash == 0 || (nSlash == 2 && path[1] == ':')) return path.substr(0, nSlash + 1);
    return path.substr(0, nSlash);
}

bool IsFolder(const std::string& path) {
    const DWORD nAttr = ::GetFileAttributesW(Widen(path).c_str());
    return nAttr != INVALID_FILE_ATTRIBUTES && (nAttr & FILE_ATTRIBUTE_DIRECTORY);
}

// The file a link (or any other reparse point) leads to, as a path without the "\\?\" prefix.
int FinalPath(const std::string& path, std::string* pFinal) {
    HANDLE h = ::CreateFileW(Widen(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD nError = ::GetLastError();
        return nError == ERROR_FILE_NOT_FOUND || nError == ERROR_PATH_NOT_FOUND ? ERR_DANGLING
                                                                                : ZWin::ErrnoOf(nError);
    }
    std::wstring buffer(MAX_PATH, L'\0');
    DWORD n = ::GetFinalPathNameByHandleW(h, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
    if (n >= buffer.size()) {
        buffer.resize(n + 1);
        n = ::GetFinalPathNameByHandleW(h, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
    }
    const DWORD nError = ::GetLastError();
    ::CloseHandle(h);
    if (n == 0 || n >= buffer.size()) return ZWin::ErrnoOf(nError);
    buffer.resize(n);
    if (buffer.rfind(L"\\\\?\\UNC\\", 0) == 0)
        buffer = L"\\\\" + buffer.substr(8);
    else if (buffer.rfind(L"\\\\?\\", 0) == 0)
        buffer.erase(0, 4);
    *pFinal = Narrow(buffer);
    return 0;
}

struct SSaveTarget {
    std::string path; // where the text goes: the name given, or the file a link points to
    bool bExists = false;
};

// Where a save may write, or the reason why it may not (0 when it may).
int ResolveSaveTarget(const std::string& path, SSaveTarget* pTarget) {
    if (path.empty()) return ENOENT;
    DWORD nAttr = ::GetFileAttributesW(Widen(path).c_str());
    if (nAttr == INVALID_FILE_ATTRIBUTES) {
        const DWORD nError = ::GetLastError();
        if (nError != ERROR_FILE_NOT_FOUND) return ZWin::ErrnoOf(nError);
        // A new name: its folder must exist (whether it takes the file shows when the file is made).
        if (!IsFolder(FolderOf(path))) return ENOENT;
        pTarget->path = path;
        return 0;
    }
    pTarget->path = path;
    if (nAttr & FILE_ATTRIBUTE_REPARSE_POINT) {
        if (const int nError = FinalPath(path, &pTarget->path)) return nError;
        nAttr = ::GetFileAttributesW(Widen(pTarget->path).c_str());
        if (nAttr == INVALID_FILE_ATTRIBUTES) return ZWin::LastErrno();
    }
    if (nAttr & FILE_ATTRIBUTE_DIRECTORY) return EISDIR;
    if (nAttr & (FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_OFFLINE)) return ERR_NOT_REGULAR;
    if (nAttr & FILE_ATTRIBUTE_READONLY) return EACCES;
    pTarget->bExists = true;
    return 0;
}

// A hidden name beside the target, as on POSIX: ".TITLE.~PID.COUNTER".
std::string TempName(const std::string& target, unsigned nCounter) {
    const std::size_t nSlash = LastSeparator(target);
    const std::string folder = nSlash == std::string::npos ? std::string() : target.substr(0, nSlash + 1);
    std::string title = nSlash == std::string::npos ? target : target.substr(nSlash + 1);
    const std::string suffix =
        ".~" + std::to_string(::GetCurrentProcessId()) + "." + std::to_string(nCounter);
    // A folder entry holds 255 UTF-16 units; a UTF-8 byte is never more than one of them.
    const std::size_t nRoom = 255 - 1 - suffix.size();
    if (title.size() > nRoom) {
        title.resize(nRoom);
        while (!title.empty() && (static_cast<unsigned char>(title.back()) & 0xC0) == 0x80)
            title.pop_back(); // no cut inside a UTF-8 character
        if (!title.empty() && static_cast<unsigned char>(title.back()) >= 0xC0) title.pop_back();
    }
    return folder + "." + title + suffix;
}

bool ProcessRuns(DWORD nPid) {
    HANDLE h = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, nPid);
    if (!h) return ::GetLastError() != ERROR_INVALID_PARAMETER; // not allowed to look: assume it runs
    DWORD nExit = 0;
    const bool bRuns = !::GetExitCodeProcess(h, &nExit) || nExit == STILL_ACTIVE;
    ::CloseHandle(h);
    return bRuns;
}

// Temporaries that a save killed before its rename left beside the target (see the POSIX twin): ours
// by name, of a process that no longer runs, plain files only.
void RemoveStaleTemporaries(const std::string& target) {
    const std::size_t nSlash = LastSeparator(target);
    const std::string folder = nSlash == std::string::npos ? std::string() : target.substr(0, nSlash + 1);
    const std::string prefix =
        "." + (nSlash == std::string::npos ? target : target.substr(nSlash + 1)) + ".~";
    if (prefix.size() + 2 * 10 + 3 > 255) return; // a cut title could belong to another target
    WIN32_FIND_DATAW found{};
    HANDLE hFind = ::FindFirstFileExW(Widen(folder + prefix + "*").c_str(), FindExInfoBasic, &found,
                                      FindExSearchNameMatch, nullptr, 0);
    if (hFind == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = Narrow(found.cFileName);
        if (name.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string rest = name.substr(prefix.size());
        const std::size_t nDot = rest.find('.');
        auto digits = [](const std::string& t) {
            return !t.empty() && t.size() < 11 &&
                   std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
        };
        if (nDot == std::string::npos || !digits(rest.substr(0, nDot)) || !digits(rest.substr(nDot + 1)))
            continue;
        const unsigned long long nPid = std::strtoull(rest.substr(0, nDot).c_str(), nullptr, 10);
        if (nPid == 0 || nPid > 0xFFFFFFFFull || nPid == ::GetCurrentProcessId()) continue;
        if (ProcessRuns(static_cast<DWORD>(nPid))) continue;
        if (found.dwFileAttributes &
            (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_READONLY))
            continue;
        ::DeleteFileW(Widen(folder + name).c_str());
    } while (::FindNextFileW(hFind, &found));
    ::FindClose(hFind);
}

std::uint64_t Join(DWORD nHigh, DWORD nLow) {
    return (std::uint64_t{nHigh} << 32) | nLow;
}

// The volume, file index, creation and last write time of what path leads to (nFlags 0), or of a
// link at path itself (FILE_FLAG_OPEN_REPARSE_POINT). Opened without access rights: nothing is read.
bool FileIdentity(const std::wstring& path, DWORD nFlags, std::string* pIdentity) {
    HANDLE h = ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | nFlags, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool bRead = ::GetFileInformationByHandle(h, &info) != 0;
    ::CloseHandle(h);
    if (!bRead) return false;
    *pIdentity +=
        std::to_string(info.dwVolumeSerialNumber) + ":" +
        std::to_string(Join(info.nFileIndexHigh, info.nFileIndexLow)) + ":" +
        std::to_string(Join(info.ftCreationTime.dwHighDateTime, info.ftCreationTime.dwLowDateTime)) + ":" +
        std::to_string(Join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime));
    return true;
}

// The DOS device a port name stands for ("COM7" and "\\.\COM7" give "COM7", any "\\.\NAME" gives
// NAME), or "" for the path of a file. Devices are never opened to be looked at: opening a serial
// port can already do something to it, and one the manager holds refuses a second open.
std::wstring DosDeviceName(const std::wstring& path) {
    constexpr std::wstring_view kDeviceSpace = L"\\\\.\\";
    if (path.starts_with(kDeviceSpace)) return path.substr(kDeviceSpace.size());
    return Win32::ComNumberFromPortName(path) > 0 ? path : std::wstring();
}

bool WriteAll(HANDLE h, std::string_view text) {
    while (!text.empty()) {
        const DWORD nChunk = static_cast<DWORD>(std::min<std::size_t>(text.size(), 1u << 20));
        DWORD nWritten = 0;
        if (!::WriteFile(h, text.data(), nChunk, &nWritten, nullptr) || nWritten == 0) return false;
        text.remove_prefix(nWritten);
    }
    return true;
}

} // namespace

int ReadWhole(const std::string& path, std::size_t nMaxBytes, std::string* pText) {
    pText->clear();
    const std::wstring wide = Widen(path);
    // Checked before opening: opening a device (a COM port) can already do something to it.
    WIN32_FILE_ATTRIBUTE_DATA info{};
    if (!::GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &info)) return ZWin::LastErrno();
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return EISDIR;
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) return ERR_NOT_REGULAR;
    const std::uint64_t nSize = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    if (nSize > nMaxBytes) return EFBIG;
    HANDLE h =
        ::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return ZWin::LastErrno();
    // The name may have been replaced in between.
    int nError = ::GetFileType(h) == FILE_TYPE_DISK ? 0 : ERR_NOT_REGULAR;
    std::string& text = *pText;
    if (!nError) text.reserve(static_cast<std::size_t>(nSize));
    char buffer[65536];
    while (!nError) {
        DWORD nRead = 0;
        if (!::ReadFile(h, buffer, sizeof buffer, &nRead, nullptr)) {
            nError = ZWin::LastErrno();
            break;
        }
        if (nRead == 0) break;
        if (text.size() + nRead > nMaxBytes)
            nError = EFBIG;
        else
            text.append(buffer, nRead);
    }
    ::CloseHandle(h);
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
    const std::wstring wideTemp = Widen(temp), wideTarget = Widen(target.path);
    HANDLE h = ::CreateFileW(wideTemp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                             nullptr);
    if (h == INVALID_HANDLE_VALUE) return ZWin::LastErrno();
    int nError = 0;
    if (!WriteAll(h, text) || !::FlushFileBuffers(h)) nError = ZWin::LastErrno();
    if (!::CloseHandle(h) && !nError) nError = ZWin::LastErrno();
    bool bKeepTemp = false; // the temporary holds the only copy of the text
    if (!nError) {
        bool bMoved = false, bTryMove = true;
        if (target.bExists) {
            // The replaced file's attributes, security and creation time carry over.
            bMoved = ::ReplaceFileW(wideTarget.c_str(), wideTemp.c_str(), nullptr,
                                    REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0;
            const DWORD nReplaceError = bMoved ? ERROR_SUCCESS : ::GetLastError();
            if (nReplaceError == ERROR_UNABLE_TO_REMOVE_REPLACED) {
                // Both files keep their names: the old one is still there.
                nError = EACCES;
                bTryMove = false;
            } else if (nReplaceError == ERROR_UNABLE_TO_MOVE_REPLACEMENT ||
                       nReplaceError == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
                // The old file is gone and the text is only in the temporary: a plain move finishes
                // the step, and where it fails the temporary stays.
                bKeepTemp = true;
            }
            // Other refusals (a file system without the call) leave both files: the move below.
        }
        if (!bMoved && bTryMove) {
            bMoved = ::MoveFileExW(wideTemp.c_str(), wideTarget.c_str(),
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
            if (!bMoved) nError = ZWin::LastErrno();
        }
    }
    if (nError) {
        if (!bKeepTemp) ::DeleteFileW(wideTemp.c_str());
        return nError;
    }
    RemoveStaleTemporaries(target.path);
    return 0;
}

int Probe(const std::string& path) {
    if (::GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES) return 0;
    const DWORD nError = ::GetLastError();
    return nError == ERROR_DIRECTORY ? ENOTDIR : ZWin::ErrnoOf(nError);
}

bool Identity(const std::string& path, std::string* pIdentity) {
    pIdentity->clear();
    const std::wstring wide = Widen(path);
    if (wide.empty()) return false;
    if (const std::wstring device = DosDeviceName(wide); !device.empty()) {
        std::wstring target(1024, L'\0');
        const DWORD n = ::QueryDosDeviceW(device.c_str(), target.data(), static_cast<DWORD>(target.size()));
        if (n == 0) return false;
        target.resize(std::wcslen(target.c_str())); // the first of its targets
        *pIdentity = "device:" + Narrow(target);
        return true;
    }
    const DWORD nAttr = ::GetFileAttributesW(wide.c_str());
    if (nAttr == INVALID_FILE_ATTRIBUTES) return false;
    // A link is itself and what it leads to; one to nothing is not there.
    if ((nAttr & FILE_ATTRIBUTE_REPARSE_POINT) &&
        !FileIdentity(wide, FILE_FLAG_OPEN_REPARSE_POINT, pIdentity))
        return false;
    if (!pIdentity->empty()) *pIdentity += "->";
    if (!FileIdentity(wide, 0, pIdentity)) {
        pIdentity->clear();
        return false;
    }
    return true;
}

std::FILE* OpenFile(const std::string& path, const char* pszMode) {
    return ::_wfopen(Widen(path).c_str(), Widen(pszMode).c_str());
}

} // namespace ZFile

namespace ZUtils {

std::string ExecutableDir() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            break;
        }
        if (buffer.size() >= 32768) return {};
        buffer.resize(buffer.size() * 2);
    }
    return ZWin::Narrow(std::filesystem::path(buffer).parent_path().native());
}

std::string UserDataDir() {
    PWSTR pszFolder = nullptr;
    std::string out;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &pszFolder)))
        out = ZWin::Narrow(pszFolder) + "\\MLB-8 DSP Manager";
    ::CoTaskMemFree(pszFolder);
    return out;
}

} // namespace ZUtils
