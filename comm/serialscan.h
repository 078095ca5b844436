// The system half of the port enumeration, one per system (comm/posix, comm/win32); serialenum.cpp
// sorts, filters and names what it finds.
#pragma once

#include <string>
#include <vector>

#include "serialenum.h"

struct SFoundPort {
    int nCom;
    SSerInfo info; // devicePath, portName, friendlyName (MakeFriendlyName) and isUsb filled
};

// Appends the serial ports that have hardware behind them, in any order, each with a COM number
// below ZUtils::kFirstExtraComNumber. Throws CSerialEnumError when the system enumeration fails; the
// ports found before the failure stay appended.
void ScanSystemPorts(std::vector<SFoundPort>& found);

// Whether the port could be opened for exclusive use right now (false when it cannot be opened).
bool CanOpenExclusively(const std::string& path);
