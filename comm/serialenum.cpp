#include "serialenum.h"

#include "comnames.h"
#include "trace.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <utility>

#include <fcntl.h>
#include <libudev.h>
#include <linux/serial.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr std::size_t kMaxNameBytes = 96;
constexpr int kMaxCandidates = 10;
constexpr int kCandidateLimit = 256; // port numbers of the search stay below this

[[noreturn]] void RaiseError(const char* pszFormat, unsigned long nErr) {
    char szMsg[128];
    std::snprintf(szMsg, sizeof szMsg, pszFormat, nErr);
    throw CSerialEnumError(szMsg);
}

struct SUdevFree {
    void operator()(udev* p) const { udev_unref(p); }
    void operator()(udev_enumerate* p) const { udev_enumerate_unref(p); }
    void operator()(udev_device* p) const { udev_device_unref(p); }
};
template <class T> using UdevPtr = std::unique_ptr<T, SUdevFree>;

// Opens a tty without becoming its controlling process and without waiting for the carrier.
int OpenPortNonBlocking(const char* pszPath) {
    return open(pszPath, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
}

// Whether the port could be opened for exclusive use right now. The port itself opens with TIOCEXCL
// and flock: a holder's TIOCEXCL fails our open with EBUSY, except for root, who is let through and
// therefore asks TIOCGEXCL; a holder's flock fails ours. TIOCEXCL is not set here, as it would stay
// on for a holder that shares the port.
bool CanOpenExclusively(const std::string& path) {
    int fd = OpenPortNonBlocking(path.c_str());
    if (fd < 0) {
        TRACE("\r\n %s cannot be opened (errno %d): left out", path.c_str(), errno);
        return false;
    }
    int nExclusive = 0;
    bool bFree = !(ioctl(fd, TIOCGEXCL, &nExclusive) == 0 && nExclusive != 0);
    if (bFree && flock(fd, LOCK_EX | LOCK_NB) != 0) bFree = false;
    close(fd);
    if (!bFree) TRACE("\r\n %s is in use: left out", path.c_str());
    return bFree;
}

// A ttyS device is listed only when a UART answers behind it; the 8250 driver registers its legacy
// ports whether or not there is one.
bool HasUart(udev_device* pDev, const char* pszNode) {
    if (const char* pszType = udev_device_get_sysattr_value(pDev, "type"))
        return std::atoi(pszType) != PORT_UNKNOWN;
    int fd = OpenPortNonBlocking(pszNode); // kernels without the attribute
    if (fd < 0) return false;
    serial_struct serial{};
    bool bUart = ioctl(fd, TIOCGSERIAL, &serial) == 0 && serial.type != PORT_UNKNOWN;
    close(fd);
    return bUart;
}

const char* NonEmpty(const char* psz) {
    return psz && *psz ? psz : nullptr;
}

// The name of a USB serial port: the product string of the device, then what the udev database knows.
std::string UsbPortName(udev_device* pDev, udev_device* pUsbDevice) {
    const char* pszName = nullptr;
    if (pUsbDevice) pszName = NonEmpty(udev_device_get_sysattr_value(pUsbDevice, "product"));
    if (!pszName) pszName = NonEmpty(udev_device_get_property_value(pDev, "ID_MODEL_FROM_DATABASE"));
    if (!pszName) {
        if (const char* pszModel = NonEmpty(udev_device_get_property_value(pDev, "ID_MODEL"))) {
            std::string model(pszModel); // udev writes blanks as '_'
            std::replace(model.begin(), model.end(), '_', ' ');
            return model;
        }
    }
    if (!pszName) {
        const char* pszVendor = NonEmpty(udev_device_get_property_value(pDev, "ID_VENDOR_FROM_DATABASE"));
        if (!pszVendor && pUsbDevice)
            pszVendor = NonEmpty(udev_device_get_sysattr_value(pUsbDevice, "manufacturer"));
        return pszVendor ? std::string(pszVendor) + " USB Serial Device" : "USB Serial Device";
    }
    return pszName;
}

struct SFoundPort {
    int nCom;
    SSerInfo info;
};

void ScanTtyDevices(std::vector<SFoundPort>& found) {
    errno = 0;
    UdevPtr<udev> pUdev(udev_new());
    if (!pUdev) RaiseError("udev_new failed. (err=%lx)", static_cast<unsigned long>(errno));
    errno = 0;
    UdevPtr<udev_enumerate> pEnum(udev_enumerate_new(pUdev.get()));
    if (!pEnum) RaiseError("udev_enumerate_new failed. (err=%lx)", static_cast<unsigned long>(errno));
    int nResult = udev_enumerate_add_match_subsystem(pEnum.get(), "tty");
    if (nResult < 0)
        RaiseError("udev_enumerate_add_match_subsystem failed. (err=%lx)",
                   static_cast<unsigned long>(-nResult));
    nResult = udev_enumerate_scan_devices(pEnum.get());
    if (nResult < 0)
        RaiseError("udev_enumerate_scan_devices failed. (err=%lx)", static_cast<unsigned long>(-nResult));

    udev_list_entry* pEntry = nullptr;
    udev_list_entry_foreach(pEntry, udev_enumerate_get_list_entry(pEnum.get())) {
        const char* pszSysPath = udev_list_entry_get_name(pEntry);
        errno = 0;
        UdevPtr<udev_device> pDev(udev_device_new_from_syspath(pUdev.get(), pszSysPath));
        if (!pDev) {
            int nErr = errno;
            if (nErr == ENOENT || nErr == ENODEV) // unplugged since the scan
                continue;
            RaiseError("udev_device_new_from_syspath failed. (err=%lx)", static_cast<unsigned long>(nErr));
        }
        const char* pszNode = udev_device_get_devnode(pDev.get());
        if (!pszNode) continue;
        int nCom = ZUtils::ComNumberFromDevicePath(pszNode);
        if (nCom <= 0 || nCom >= ZUtils::kFirstExtraComNumber) continue;
        if (!udev_device_get_parent(pDev.get())) // consoles, ptys and other ttys without hardware
            continue;
        bool bTtyS = std::string_view(pszNode).starts_with("/dev/ttyS");
        if (bTtyS && !HasUart(pDev.get(), pszNode)) continue;

        udev_device* pUsbDevice =
            udev_device_get_parent_with_subsystem_devtype(pDev.get(), "usb", "usb_device");
        const char* pszBus = udev_device_get_property_value(pDev.get(), "ID_BUS");
        SSerInfo info;
        info.devicePath = pszNode;
        info.portName = ZUtils::ComPortName(nCom);
        info.isUsb = (pUsbDevice || (pszBus && std::string_view(pszBus) == "usb")) ? 1 : 0;
        info.friendlyName = MakeFriendlyName(
            bTtyS ? std::string("Communications Port") : UsbPortName(pDev.get(), pUsbDevice), nCom);
        TRACE("\r\n serial port %s: %s%s", info.devicePath.c_str(), info.friendlyName.c_str(),
              info.isUsb ? " [USB]" : "");
        found.push_back({nCom, std::move(info)});
    }
}

void ListExtraPorts(std::vector<SSerInfo>& array, const std::vector<std::string>& extras) {
    for (std::size_t i = 0; i < extras.size(); ++i) {
        int nCom = ZUtils::kFirstExtraComNumber + static_cast<int>(i);
        SSerInfo info;
        info.devicePath = extras[i];
        info.portName = ZUtils::ComPortName(nCom);
        info.friendlyName = MakeFriendlyName("Serial port " + extras[i], nCom);
        array.push_back(std::move(info));
    }
}

void MoveSorted(std::vector<SFoundPort>& found, std::vector<SSerInfo>& array) {
    std::stable_sort(found.begin(), found.end(),
                     [](const SFoundPort& a, const SFoundPort& b) { return a.nCom < b.nCom; });
    for (SFoundPort& port : found)
        array.push_back(std::move(port.info));
}

} // namespace

void ListSerialPorts(std::vector<SSerInfo>& array, int ignoreBusy) {
    array.clear();
    std::vector<std::string> extras = ZUtils::ExtraPorts();
    if (!extras.empty()) {
        ListExtraPorts(array, extras);
    } else {
        std::vector<SFoundPort> found;
        try {
            ScanTtyDevices(found);
        } catch (const CSerialEnumError&) {
            MoveSorted(found, array);
            throw;
        }
        MoveSorted(found, array);
    }

    for (auto it = array.begin(); it != array.end();) {
        if (ignoreBusy != 0 && !CanOpenExclusively(it->devicePath)) {
            it = array.erase(it);
            continue;
        }
        if (it->friendlyName.empty()) it->friendlyName = it->portName;
        if (it->description.empty()) it->description = DescriptionFromFriendlyName(it->friendlyName);
        ++it;
    }
}

std::string MakeFriendlyName(const std::string& name, int nCom) {
    std::string safe;
    safe.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        char c = name[i];
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = ' ';
        else if (c == '(')
            c = '[';
        else if (c == ')')
            c = ']';
        else if (name.compare(i, 3, "COM") == 0) {
            safe += "Com";
            i += 2;
            continue;
        }
        if (c == ' ' && (safe.empty() || safe.back() == ' ')) continue;
        safe.push_back(c);
    }
    if (safe.size() > kMaxNameBytes) {
        std::size_t nKeep = kMaxNameBytes;
        while (nKeep > 0 && (static_cast<unsigned char>(safe[nKeep]) & 0xC0) == 0x80)
            --nKeep; // never cut a UTF-8 sequence in two
        safe.resize(nKeep);
    }
    while (!safe.empty() && safe.back() == ' ')
        safe.pop_back();
    if (safe.empty()) safe = "Serial port";
    return safe + " (" + ZUtils::ComPortName(nCom) + ")";
}

std::string DescriptionFromFriendlyName(const std::string& friendlyName) {
    std::size_t nOpen = friendlyName.find(" (");
    std::size_t nClose = friendlyName.find(')');
    if (nOpen != std::string::npos && nOpen > 0 && nClose == friendlyName.size() - 1)
        return friendlyName.substr(0, nOpen);
    return friendlyName;
}

int ParseComNumberFromFriendlyName(const std::string& friendlyName) {
    std::size_t nCom = friendlyName.find("COM");
    if (nCom == std::string::npos) return -1;
    std::size_t nStart = nCom + 3;
    std::size_t nClose = friendlyName.find(')', nStart);
    if (nClose == std::string::npos) return -1;
    std::string_view text(friendlyName.data() + nStart, nClose - nStart);

    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool bNegative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) bNegative = text[i++] == '-';
    long long nValue = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        nValue = nValue * 10 + (text[i] - '0');
        if (nValue > INT_MAX) return bNegative ? INT_MIN : INT_MAX;
    }
    return static_cast<int>(bNegative ? -nValue : nValue);
}

std::vector<int> SearchCandidatePorts(const std::vector<SSerInfo>& ports) {
    std::vector<int> candidates;
    for (const SSerInfo& port : ports) {
        TRACE("\r\n %s", port.friendlyName.c_str());
        int n = ParseComNumberFromFriendlyName(port.friendlyName);
        if (n >= 0 && n < kCandidateLimit && candidates.size() < static_cast<std::size_t>(kMaxCandidates))
            candidates.push_back(n);
    }
    return candidates;
}

std::vector<int> ListSearchCandidates(std::string* pError) {
    if (pError) pError->clear();
    std::vector<SSerInfo> ports;
    try {
        ListSerialPorts(ports, 0);
    } catch (const CSerialEnumError& error) {
        TRACE("\r\n port enumeration failed: %s", error.what());
        if (pError) *pError = error.what();
        return {};
    }
    return SearchCandidatePorts(ports);
}
