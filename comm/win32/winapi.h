// <windows.h> for the Windows sources of comm/: include this instead. Win32 defines as macros a few
// names that the portable layer declares itself (WM_QUIT, WM_USER and ERROR_INVALID_THREAD_ID in
// w32thread.h, WAIT_OBJECT_0, WAIT_TIMEOUT and WAIT_FAILED in zsync.h, PostMessage in w32window.h);
// the macros would rename those declarations. They are taken back here. WM_QUIT, WM_USER and
// ERROR_INVALID_THREAD_ID have the same values in both; the Win32 wait results stay reachable as
// ZWin::WIN32_WAIT_*, and the Win32 call to post to a window is PostMessageW.
//
// SDK headers use the macros themselves: every one the Windows sources need is included here, above
// the lines that take the macros back (add a new one to the list, not to a source file).
#pragma once

// clang-format off
#include <windows.h>
#include <dbt.h>
#include <shellapi.h>
#include <shlobj.h>
#include <setupapi.h>
// clang-format on

namespace ZWin {
constexpr DWORD WIN32_WAIT_OBJECT_0 = WAIT_OBJECT_0;
constexpr DWORD WIN32_WAIT_TIMEOUT = WAIT_TIMEOUT;
constexpr DWORD WIN32_WAIT_FAILED = WAIT_FAILED;
} // namespace ZWin

#undef PostMessage
#undef WM_QUIT
#undef WM_USER
#undef ERROR_INVALID_THREAD_ID
#undef WAIT_OBJECT_0
#undef WAIT_TIMEOUT
#undef WAIT_FAILED
