#include "comm/portdiagnosis.h"

// Windows does not tell which process holds a serial port (the handle is exclusive and the Restart
// Manager does not cover devices), so the busy text names no process here.
int FindPortHolder(const std::string&) {
    return -1;
}

const char* PortPermissionAdvice() {
    return " (ask the administrator of this computer for access to the port)";
}
