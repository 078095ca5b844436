// Why a serial port gave no processor, in words for the user: the search itself only knows that no
// address answered, which leaves the user guessing between a wrong port, a busy one and a locked one.
#pragma once

#include <string>

// The reason a port could not be opened, from the errno of the failed open (IPort::OpenError):
// "not a serial port", "in use by another program (pid N)", "no permission ...", "not present", or
// the system's text.
std::string DescribePortOpenFailure(int nError, const std::string& path);
// True for the errors of a port that another program holds.
bool IsPortBusyError(int nError);
// The id of a process other than this one that has the device behind path open, or -1 when none
// can be seen (processes of other users are only visible to root; Windows names no holder).
int FindPortHolder(const std::string& path);
// What the user of this system does when the port may not be opened, for the "no permission" text.
const char* PortPermissionAdvice();
