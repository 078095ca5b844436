// COM port numbers of serial devices.
//
// The protocol and the device search name ports by COM number, as the processor's users know them.
// On Windows that is the port's own number: COMn is the device "\\.\COMn" (n = 1..199). Elsewhere:
//   /dev/ttyS<k>   -> COM(k + 1)     k = 0..31
//   /dev/ttyUSB<k> -> COM(33 + k)
//   /dev/ttyACM<k> -> COM(65 + k)
//   a port given with `--port PATH` -> COM(200 + i), i = 0, 1, ... in the order given.
// While any extra port is registered, the port enumeration lists only the extra ports.
#pragma once

#include <string>
#include <vector>

namespace ZUtils {

constexpr int kFirstExtraComNumber = 200;
// COM200..COM255: the device search takes port numbers below 256 only.
constexpr int kMaxExtraPorts = 56;

// The COM number of a device path, or 0 when the path has none. A registered extra port takes its
// extra number, even when the same path also has a number of its own.
int ComNumberFromDevicePath(const std::string& path);

// The device path of COM number n, or "" when n names no port.
std::string DevicePathFromComNumber(int n);

// Registers a port given on the command line and returns its COM number. Registering a path again
// returns its first number. An empty path, or one more than kMaxExtraPorts, is not registered: 0.
int RegisterExtraPort(const std::string& path);
void ClearExtraPorts();
std::vector<std::string> ExtraPorts();

// "COM<n>".
std::string ComPortName(int n);

} // namespace ZUtils
