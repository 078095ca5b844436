#include "comm/serialscan.h"

#include <algorithm>
#include <cerrno>
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

#include "comm/comnames.h"
#include "comm/trace.h"

namespace {

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

} // namespace

void ScanSystemPorts(std::vector<SFoundPort>& found) {
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
