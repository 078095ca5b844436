#include "devicebroadcast.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "comm/comnames.h"
#include "win32util.h"
#include "winapi.h"

namespace Win32 {

namespace {

// A port name is short: "COM255" and its end. Nothing past this is read even when the size says more.
constexpr std::size_t kMaxNameChars = 16;

} // namespace

std::optional<SPortEvent> PortEventOfDeviceChange(std::uintptr_t nEvent, const void* pBroadcast) {
    if (nEvent != DBT_DEVICEARRIVAL && nEvent != DBT_DEVICEREMOVECOMPLETE) return std::nullopt;
    if (!pBroadcast) return std::nullopt;
    // Copied out field by field: the system's structure need not be aligned for us.
    const auto* pBytes = static_cast<const unsigned char*>(pBroadcast);
    DEV_BROADCAST_HDR header{};
    std::memcpy(&header, pBytes, sizeof header);
    if (header.dbch_size < sizeof header || header.dbch_devicetype != DBT_DEVTYP_PORT) return std::nullopt;
    constexpr std::size_t nNameAt = offsetof(DEV_BROADCAST_PORT_W, dbcp_name);
    if (header.dbch_size < nNameAt) return std::nullopt;
    const std::size_t nChars =
        std::min<std::size_t>((header.dbch_size - nNameAt) / sizeof(WCHAR), kMaxNameChars);
    std::wstring name;
    for (std::size_t i = 0;; ++i) {
        if (i == nChars) return std::nullopt; // no end within the structure
        WCHAR c = 0;
        std::memcpy(&c, pBytes + nNameAt + i * sizeof c, sizeof c);
        if (c == 0) break;
        name.push_back(c);
    }
    const int nCom = ComNumberFromPortName(name);
    if (nCom <= 0) return std::nullopt;
    return SPortEvent{nEvent == DBT_DEVICEARRIVAL ? EPortEvent::Arrived : EPortEvent::Removed, nCom};
}

int ManagerComNumber(int nCom) {
    for (const std::string& path : ZUtils::ExtraPorts()) {
        std::string name = path;
        if (name.starts_with("\\\\.\\")) name.erase(0, 4);
        if (ComNumberFromPortName(Widen(name)) == nCom) return ZUtils::ComNumberFromDevicePath(path);
    }
    return nCom;
}

bool CDeviceChangeRepeats::IsRepeat(const SPortEvent& event, std::uint64_t nNowMs) {
    auto it = m_Last.find(event.nCom);
    if (it != m_Last.end() && it->second.event == event.event && nNowMs - it->second.nAtMs < kRepeatMs)
        return true;
    m_Last[event.nCom] = SLast{event.event, nNowMs};
    return false;
}

} // namespace Win32
