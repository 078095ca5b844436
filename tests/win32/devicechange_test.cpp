// What the window's hot-plug makes of WM_DEVICECHANGE, on structures built here as the system lays
// them out: which messages are a COM port arriving or going, which are nothing (other events, other
// devices, other names, structures too short for what they claim), the number the manager knows a
// port by, and the copies of one broadcast that the program's other windows receive.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

// clang-format off
#include <windows.h>
#include <dbt.h>
// clang-format on

#include "comm/comnames.h"
#include "comm/win32/devicebroadcast.h"

namespace {

// A DEV_BROADCAST_PORT_W with the given name, its size field as the system sets it (header, reserved
// word, name and its end) unless nSize says otherwise. The buffer is larger than any size claimed,
// zero-filled, so a reader that trusts too much reads zeros instead of running off.
struct SBroadcast {
    alignas(8) unsigned char bytes[256] = {};

    SBroadcast(DWORD nType, const std::wstring& name, std::optional<DWORD> nSize = std::nullopt) {
        const std::size_t nNameAt = offsetof(DEV_BROADCAST_PORT_W, dbcp_name);
        const DWORD nFull = static_cast<DWORD>(nNameAt + (name.size() + 1) * sizeof(WCHAR));
        DEV_BROADCAST_HDR header{};
        header.dbch_size = nSize.value_or(nFull);
        header.dbch_devicetype = nType;
        std::memcpy(bytes, &header, sizeof header);
        std::memcpy(bytes + nNameAt, name.c_str(), (name.size() + 1) * sizeof(WCHAR));
    }
};

std::string Describe(const std::optional<SPortEvent>& event) {
    if (!event) return "nothing";
    return std::string(event->event == EPortEvent::Arrived ? "arrived " : "removed ") + "COM" +
           std::to_string(event->nCom);
}

TEST(Win32DeviceChange, OnlyComPortsArriveOrGo) {
    constexpr DWORD kNameAt = offsetof(DEV_BROADCAST_PORT_W, dbcp_name);
    struct SCase {
        const char* what;
        std::uintptr_t nEvent;
        SBroadcast broadcast;
        std::string expected;
    };
    const SCase cases[] = {
        {"arrival", DBT_DEVICEARRIVAL, {DBT_DEVTYP_PORT, L"COM12"}, "arrived COM12"},
        {"removal", DBT_DEVICEREMOVECOMPLETE, {DBT_DEVTYP_PORT, L"COM3"}, "removed COM3"},
        {"name in small letters", DBT_DEVICEARRIVAL, {DBT_DEVTYP_PORT, L"com255"}, "arrived COM255"},
        {"size larger than the name", DBT_DEVICEARRIVAL, {DBT_DEVTYP_PORT, L"COM4", 64}, "arrived COM4"},
        {"removal asked, not done", DBT_DEVICEQUERYREMOVE, {DBT_DEVTYP_PORT, L"COM3"}, "nothing"},
        {"removal pending", DBT_DEVICEREMOVEPENDING, {DBT_DEVTYP_PORT, L"COM3"}, "nothing"},
        {"printer port", DBT_DEVICEARRIVAL, {DBT_DEVTYP_PORT, L"LPT1"}, "nothing"},
        {"no number", DBT_DEVICEARRIVAL, {DBT_DEVTYP_PORT, L"COM"}, "nothing"},
        {"number 0", DBT_DEVICEARRIVAL, {DBT_DEVTYP_PORT, L"COM0"}, "nothing"},
        {"number past 255", DBT_DEVICEARRIVAL, {DBT_DEVTYP_PORT, L"COM256"}, "nothing"},
        {"leading zero", DBT_DEVICEARRIVAL, {DBT_DEVTYP_PORT, L"COM07"}, "nothing"},
        {"a name that goes on", DBT_DEVICEARRIVAL, {DBT_DEVTYP_PORT, L"COM12 (USB)"}, "nothing"},
        {"a volume", DBT_DEVICEARRIVAL, {DBT_DEVTYP_VOLUME, L"COM5"}, "nothing"},
        {"a device interface", DBT_DEVICEARRIVAL, {DBT_DEVTYP_DEVICEINTERFACE, L"COM5"}, "nothing"},
        // "COM12" cut after "COM1": no end within the size, not COM1.
        {"name cut by the size", DBT_DEVICEARRIVAL, {DBT_DEVTYP_PORT, L"COM12", kNameAt + 4 * 2}, "nothing"},
        {"size without a name", DBT_DEVICEARRIVAL, {DBT_DEVTYP_PORT, L"COM1", kNameAt}, "nothing"},
        {"size shorter than the header", DBT_DEVICEARRIVAL, {DBT_DEVTYP_PORT, L"COM1", 8}, "nothing"},
        {"size 0", DBT_DEVICEREMOVECOMPLETE, {DBT_DEVTYP_PORT, L"COM1", 0}, "nothing"},
    };
    for (const SCase& c : cases)
        EXPECT_EQ(Describe(Win32::PortEventOfDeviceChange(c.nEvent, c.broadcast.bytes)), c.expected)
            << c.what;
    EXPECT_EQ(Describe(Win32::PortEventOfDeviceChange(DBT_DEVICEARRIVAL, nullptr)), "nothing");
}

// A port given with --port as COMn is known by its extra number, whichever way it was written.
TEST(Win32DeviceChange, PortsGivenByNameKeepTheirExtraNumbers) {
    ZUtils::ClearExtraPorts();
    const int nSeven = ZUtils::RegisterExtraPort("com7");
    const int nNine = ZUtils::RegisterExtraPort("\\\\.\\COM9");
    ZUtils::RegisterExtraPort("C:\\ports\\COM11");
    EXPECT_EQ(Win32::ManagerComNumber(7), nSeven);
    EXPECT_EQ(Win32::ManagerComNumber(9), nNine);
    EXPECT_EQ(Win32::ManagerComNumber(11), 11);
    EXPECT_EQ(Win32::ManagerComNumber(12), 12);
    ZUtils::ClearExtraPorts();
}

// One broadcast reaches every top-level window: its copies count once; the other way, another port
// or the same change after a while counts again.
TEST(Win32DeviceChange, CopiesOfOneBroadcastCountOnce) {
    using R = Win32::CDeviceChangeRepeats;
    struct SStep {
        EPortEvent event;
        int nCom;
        std::uint64_t nAtMs;
        bool bRepeat;
    };
    const SStep steps[] = {
        {EPortEvent::Arrived, 5, 1000, false},
        {EPortEvent::Arrived, 5, 1000, true}, // the copy to a second window
        {EPortEvent::Arrived, 6, 1001, false},
        {EPortEvent::Arrived, 5, 1002, true},
        {EPortEvent::Removed, 5, 1100, false}, // unplugged at once
        {EPortEvent::Removed, 5, 1101, true},
        {EPortEvent::Arrived, 5, 1200, false}, // and back
        {EPortEvent::Arrived, 5, 1200 + R::kRepeatMs - 1, true},
        {EPortEvent::Arrived, 5, 1200 + R::kRepeatMs, false}, // an arrival whose removal was not seen
    };
    R repeats;
    for (const SStep& s : steps)
        EXPECT_EQ(repeats.IsRepeat({s.event, s.nCom}, s.nAtMs), s.bRepeat)
            << "COM" << s.nCom << " at " << s.nAtMs;
}

} // namespace
