// Processes, calendar time and the console on Windows.
#include "comm/sysplatform.h"

#include "widetext.h"

#include <cerrno>

namespace ZUtils {

int LaunchDocument(const std::string& program, const std::string& document) {
    if (program.empty()) return ENOENT;
    // The shell finds a reader by its registered name (App Paths) as well as on PATH; the desktop's
    // opener is the file association of the document itself.
    const bool bAssociation = program == DESKTOP_OPENER;
    const std::wstring file = ZWin::Widen(bAssociation ? document : program);
    const std::wstring parameters = bAssociation ? std::wstring() : L"\"" + ZWin::Widen(document) + L"\"";
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = bAssociation ? L"open" : nullptr;
    info.lpFile = file.c_str();
    info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (::ShellExecuteExW(&info)) return 0;
    const DWORD nError = ::GetLastError();
    return nError == ERROR_NO_ASSOCIATION ? ENOENT : ZWin::ErrnoOf(nError);
}

unsigned long ProcessId() {
    return ::GetCurrentProcessId();
}

std::tm LocalTime(std::time_t t) {
    std::tm out{};
    ::localtime_s(&out, &t);
    return out;
}

void UseUtf8Console() {
    ::SetConsoleOutputCP(CP_UTF8);
}

} // namespace ZUtils
