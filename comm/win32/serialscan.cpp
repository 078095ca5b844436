// Serial ports of a Windows machine: the COM port interfaces SetupAPI lists, with their friendly
// names and whether a USB device is behind them; the registry's SERIALCOMM map adds ports whose
// driver registers no interface, and QueryDosDevice stands in when neither answers.
#include "comm/serialscan.h"

// clang-format off
#include <windows.h>
#include <cfgmgr32.h>
#include <devguid.h>
#include <initguid.h>
#include <setupapi.h>
// clang-format on

#include <cstdio>
#include <set>
#include <vector>

#include "comm/comnames.h"
#include "comm/trace.h"
#include "win32util.h"

// Not every SDK declares it with initguid.h in effect; the value is fixed by Windows.
DEFINE_GUID(kComPortInterface, 0x86e0d1e0L, 0x8089, 0x11d0, 0x9c, 0xe4, 0x08, 0x00, 0x3e, 0x30, 0x1f, 0x73);

namespace {

[[noreturn]] void RaiseError(const char* pszFormat, unsigned long nErr) {
    char szMsg[128];
    std::snprintf(szMsg, sizeof szMsg, pszFormat, nErr);
    throw CSerialEnumError(szMsg);
}

std::wstring RegistryString(HKEY hKey, const wchar_t* pszValue) {
    DWORD nType = 0, nBytes = 0;
    if (::RegQueryValueExW(hKey, pszValue, nullptr, &nType, nullptr, &nBytes) != ERROR_SUCCESS ||
        (nType != REG_SZ && nType != REG_EXPAND_SZ) || nBytes == 0)
        return {};
    std::vector<wchar_t> text(nBytes / sizeof(wchar_t) + 1, L'\0');
    if (::RegQueryValueExW(hKey, pszValue, nullptr, &nType, reinterpret_cast<BYTE*>(text.data()), &nBytes) !=
        ERROR_SUCCESS)
        return {};
    return std::wstring(text.data());
}

std::wstring DeviceProperty(HDEVINFO hSet, SP_DEVINFO_DATA& device, DWORD nProperty) {
    wchar_t szText[512] = {};
    DWORD nType = 0;
    if (!::SetupDiGetDeviceRegistryPropertyW(hSet, &device, nProperty, &nType,
                                             reinterpret_cast<BYTE*>(szText), sizeof szText - sizeof(wchar_t),
                                             nullptr) ||
        nType != REG_SZ)
        return {};
    return szText;
}

bool StartsWithNoCase(const std::wstring& text, const wchar_t* pszPrefix) {
    for (std::size_t i = 0; pszPrefix[i]; ++i)
        if (i >= text.size() || ::towupper(text[i]) != ::towupper(pszPrefix[i])) return false;
    return true;
}

// A USB device is somewhere above the port: its own instance or one of its parents is enumerated by
// the USB bus (USB\..., or FTDIBUS\... for the adapters whose driver makes its own bus).
bool IsUsbDevice(DEVINST hDevice) {
    for (int nDepth = 0; nDepth < 8; ++nDepth) {
        wchar_t szId[MAX_DEVICE_ID_LEN] = {};
        if (::CM_Get_Device_IDW(hDevice, szId, MAX_DEVICE_ID_LEN, 0) == CR_SUCCESS) {
            const std::wstring id = szId;
            if (StartsWithNoCase(id, L"USB\\") || StartsWithNoCase(id, L"FTDIBUS\\")) return true;
        }
        DEVINST hParent = 0;
        if (::CM_Get_Parent(&hParent, hDevice, 0) != CR_SUCCESS) return false;
        hDevice = hParent;
    }
    return false;
}

// The name before the " (COMn)" Windows appends to a port's friendly name.
std::string NameWithoutPort(const std::wstring& friendly) {
    const std::size_t nOpen = friendly.rfind(L" (COM");
    if (nOpen != std::wstring::npos && nOpen > 0 && friendly.back() == L')')
        return Win32::Narrow(friendly.substr(0, nOpen));
    return Win32::Narrow(friendly);
}

void Add(std::vector<SFoundPort>& found, std::set<int>& seen, int nCom, const std::string& name, bool bUsb) {
    if (nCom <= 0 || nCom >= ZUtils::kFirstExtraComNumber || !seen.insert(nCom).second) return;
    SSerInfo info;
    info.devicePath = "\\\\.\\" + ZUtils::ComPortName(nCom);
    info.portName = ZUtils::ComPortName(nCom);
    info.isUsb = bUsb ? 1 : 0;
    info.friendlyName = MakeFriendlyName(name, nCom);
    TRACE("\r\n serial port %s: %s%s", info.devicePath.c_str(), info.friendlyName.c_str(),
          bUsb ? " [USB]" : "");
    found.push_back({nCom, std::move(info)});
}

// False when SetupAPI gives no device list at all.
bool ScanInterfaces(std::vector<SFoundPort>& found, std::set<int>& seen, DWORD* pError) {
    HDEVINFO hSet =
        ::SetupDiGetClassDevsW(&kComPortInterface, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (hSet == INVALID_HANDLE_VALUE) {
        *pError = ::GetLastError();
        return false;
    }
    for (DWORD i = 0;; ++i) {
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof device;
        if (!::SetupDiEnumDeviceInfo(hSet, i, &device)) break;
        HKEY hKey = ::SetupDiOpenDevRegKey(hSet, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (hKey == INVALID_HANDLE_VALUE) continue;
        const int nCom = Win32::ComNumberFromPortName(RegistryString(hKey, L"PortName"));
        ::RegCloseKey(hKey);
        if (nCom <= 0) continue; // a parallel port or a modem without a COM name
        std::wstring name = DeviceProperty(hSet, device, SPDRP_FRIENDLYNAME);
        if (name.empty()) name = DeviceProperty(hSet, device, SPDRP_DEVICEDESC);
        Add(found, seen, nCom, name.empty() ? "Communications Port" : NameWithoutPort(name),
            IsUsbDevice(device.DevInst));
    }
    ::SetupDiDestroyDeviceInfoList(hSet);
    return true;
}

// The ports the serial drivers entered in HARDWARE\DEVICEMAP\SERIALCOMM: value names are the kernel
// devices (\Device\Serial0, \Device\VCP0, \Device\USBSER000...), the data the COM names.
bool ScanSerialComm(std::vector<SFoundPort>& found, std::set<int>& seen, DWORD* pError) {
    HKEY hKey = nullptr;
    const LONG nResult =
        ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &hKey);
    if (nResult != ERROR_SUCCESS) {
        *pError = static_cast<DWORD>(nResult);
        return false;
    }
    for (DWORD i = 0;; ++i) {
        wchar_t szName[256] = {};
        wchar_t szData[64] = {};
        DWORD nNameChars = 255, nDataBytes = sizeof szData - sizeof(wchar_t), nType = 0;
        const LONG n = ::RegEnumValueW(hKey, i, szName, &nNameChars, nullptr, &nType,
                                       reinterpret_cast<BYTE*>(szData), &nDataBytes);
        if (n == ERROR_NO_MORE_ITEMS) break;
        if (n != ERROR_SUCCESS || nType != REG_SZ) continue;
        const std::wstring device = szName;
        const bool bUsb =
            device.find(L"USB") != std::wstring::npos || device.find(L"VCP") != std::wstring::npos;
        Add(found, seen, Win32::ComNumberFromPortName(szData),
            bUsb ? "USB Serial Device" : "Communications Port", bUsb);
    }
    ::RegCloseKey(hKey);
    return true;
}

bool ScanDosDevices(std::vector<SFoundPort>& found, std::set<int>& seen, DWORD* pError) {
    std::vector<wchar_t> names(65536);
    DWORD nChars = ::QueryDosDeviceW(nullptr, names.data(), static_cast<DWORD>(names.size()));
    if (nChars == 0) {
        *pError = ::GetLastError();
        return false;
    }
    for (const wchar_t* p = names.data(); *p && p < names.data() + nChars; p += wcslen(p) + 1)
        Add(found, seen, Win32::ComNumberFromPortName(p), "Communications Port", false);
    return true;
}

} // namespace

void ScanSystemPorts(std::vector<SFoundPort>& found) {
    std::set<int> seen;
    for (const SFoundPort& port : found)
        seen.insert(port.nCom);
    DWORD nInterfaceError = 0, nRegistryError = 0, nDosError = 0;
    const bool bInterfaces = ScanInterfaces(found, seen, &nInterfaceError);
    const bool bRegistry = ScanSerialComm(found, seen, &nRegistryError);
    if (!found.empty()) return;
    if (ScanDosDevices(found, seen, &nDosError) || bInterfaces || bRegistry) return;
    RaiseError("SetupDiGetClassDevs failed. (err=%lx)", static_cast<unsigned long>(nInterfaceError));
}

bool CanOpenExclusively(const std::string& path) {
    HANDLE hPort = ::CreateFileW(Win32::PortDeviceName(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (hPort == INVALID_HANDLE_VALUE) {
        TRACE("\r\n %s cannot be opened (error %lu): left out", path.c_str(), ::GetLastError());
        return false;
    }
    ::CloseHandle(hPort);
    return true;
}
