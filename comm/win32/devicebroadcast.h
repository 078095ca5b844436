// What a WM_DEVICECHANGE message says about serial ports, without a window: the window's hot-plug
// (wavr/win32) hands each message it sees to these. Windows sources only; the header itself needs no
// Windows header.
#pragma once

#include <cstdint>
#include <map>
#include <optional>

#include "comm/portwatch.h"

namespace Win32 {

// A port arriving or removed: nEvent is the message's wParam (DBT_DEVICEARRIVAL or
// DBT_DEVICEREMOVECOMPLETE), pBroadcast its lParam, a DEV_BROADCAST_HDR that is a DEV_BROADCAST_PORT_W
// naming "COM<n>" (n = 1..255, any case). Any other event, device type or name (LPT1), a missing
// structure or one whose size does not hold the header and a name ended within it: nothing.
std::optional<SPortEvent> PortEventOfDeviceChange(std::uintptr_t nEvent, const void* pBroadcast);

// The number the manager knows COMn by: the extra number of a port given with --port as "COMn" or
// "\\.\COMn" (any case), otherwise n.
int ManagerComNumber(int nCom);

// The system sends a port's arrival or removal to every top-level window of the program, so one event
// may be seen several times in a row. The same change of the same port within kRepeatMs of the last
// one reported for it is a repeat; a change the other way, another port, or a later one is not.
class CDeviceChangeRepeats {
public:
    static constexpr std::uint64_t kRepeatMs = 1000;
    // True when the event repeats the last one reported; otherwise it is noted as reported.
    bool IsRepeat(const SPortEvent& event, std::uint64_t nNowMs);

private:
    struct SLast {
        EPortEvent event;
        std::uint64_t nAtMs;
    };
    std::map<int, SLast> m_Last; // by COM number
};

} // namespace Win32
