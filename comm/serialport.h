// The serial port of this system behind IPort: the device opened exclusively at 115200 8-N-1 without
// flow control, DTR and RTS cleared, with a reader thread that hands each received chunk (at most
// IPort::READ_CHUNK bytes) and the hang-up to the callbacks. comm/posix and comm/win32 implement it.
#pragma once

#include <memory>

#include "port.h"

// A closed serial port.
std::unique_ptr<IPort> NewSerialPort();
