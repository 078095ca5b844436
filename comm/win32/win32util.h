// Helpers shared by the Win32 port, enumeration and diagnosis: text conversion, the device name of a
// port and the errno a Win32 error stands for.
#pragma once

#include <windows.h>

#include <string>

namespace Win32 {

std::wstring Widen(const std::string& text);  // UTF-8 to UTF-16
std::string Narrow(const std::wstring& text); // UTF-16 to UTF-8

// The name CreateFile takes for a port: "COM7" and "\\.\COM7" give "\\.\COM7"; any other path is
// passed on as it is.
std::wstring PortDeviceName(const std::string& path);

// The COM number of "COM<n>" (1..255, no sign, no leading zero), else 0.
int ComNumberFromPortName(const std::wstring& name);

// The errno IPort::OpenError reports for a Win32 error of CreateFile, so that the diagnosis gives the
// same words on every system: a port another program holds fails with ERROR_ACCESS_DENIED (EBUSY),
// a missing one with ERROR_FILE_NOT_FOUND (ENOENT), a refused privilege gives EACCES, a device that is
// no serial port ENOTTY; anything else EIO.
int ErrnoFromWin32(DWORD nError);

// True for the errors of an I/O request on a port whose device went away.
bool IsRemovalError(DWORD nError);

} // namespace Win32
