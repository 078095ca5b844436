// Serial ports of this machine and the port list of the device search.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

// One serial port found by the enumeration.
struct SSerInfo {
    std::string devicePath;   // path to open the port with, such as /dev/ttyUSB0
    std::string portName;     // "COM<n>"
    std::string friendlyName; // display name ending in "(COM<n>)", such as "FT232R USB UART (COM33)"
    int isUsb = 0;            // 1 when the port belongs to a USB device
    std::string description;  // device description
};

// Raised by ListSerialPorts; what() is the message, such as "udev_new failed. (err=c)".
class CSerialEnumError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Empties the array and fills it with the serial ports that have hardware behind them (ttyS with a
// UART, ttyUSB, ttyACM), sorted by COM number. While extra ports are registered (`--port`), lists only
// those, whether or not their paths exist. With ignoreBusy != 0 every port that cannot be opened
// exclusively right now is left out. Throws CSerialEnumError when the system enumeration fails; the
// array then holds the ports found before the failure.
void ListSerialPorts(std::vector<SSerInfo>& array, int ignoreBusy);

// "<name> (COM<n>)". The name comes from the device or the command line, so it is made safe to parse
// back: control characters become spaces, parentheses become brackets, "COM" becomes "Com", runs of
// blanks shrink to one, and the name is cut to 96 bytes; an empty name becomes "Serial port".
std::string MakeFriendlyName(const std::string& name, int nCom);

// The description of a port without one: the friendly name, cut before " (" when that is not at the
// start and the name's first ")" is its last character ("Communications Port (COM1)" gives
// "Communications Port"; "Port (COM1) x" stays as it is).
std::string DescriptionFromFriendlyName(const std::string& friendlyName);

// The port number in a friendly name: the text after the first "COM" (case-sensitive) up to the first
// ")" behind it, read like atoi (leading blanks, optional sign, leading digits; 0 when there are none;
// saturated at the int range). Returns -1 when the name has no "COM" or no ")" after it. Taking the
// ")" after "COM" keeps names like "Dual (A) (COM5)" readable as 5.
int ParseComNumberFromFriendlyName(const std::string& friendlyName);

// The port numbers the device search probes, in the order of the list: each number n from a friendly
// name with 0 <= n < 256, at most 10. Traces each friendly name.
std::vector<int> SearchCandidatePorts(const std::vector<SSerInfo>& ports);

// ListSerialPorts (ignoreBusy 0) and SearchCandidatePorts. An enumeration error is traced and gives an
// empty list; its message goes to *pError when given ("" on success).
std::vector<int> ListSearchCandidates(std::string* pError = nullptr);
