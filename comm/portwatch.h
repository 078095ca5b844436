// Serial ports coming and going, for the programs without Qt's event loop (the window has its own,
// wavr/hotplug.h): the system's notification (a udev monitor; on Windows a message-only window
// registered for WM_DEVICECHANGE) wakes a new look at the port list, and each COM number that
// appeared or went is handed to the handler.
#pragma once

#include <functional>
#include <memory>
#include <set>
#include <vector>

enum class EPortEvent { Arrived, Removed };

struct SPortEvent {
    EPortEvent event;
    int nCom;
    bool operator==(const SPortEvent&) const = default;
};

// The changes between two looks at the port numbers: the removals first, then the arrivals, each in
// ascending order.
std::vector<SPortEvent> DiffPortSets(const std::set<int>& before, const std::set<int>& now);

// The COM numbers of the serial ports with hardware behind them right now (as ListSerialPorts finds
// them, registered extra ports aside); empty when the enumeration fails.
std::set<int> CurrentPortNumbers();

// A running watch; destroying it stops the watch, and no handler call follows.
class IPortWatch {
public:
    virtual ~IPortWatch() = default;
};

// Called on a thread of the watch.
using PortEventHandler = std::function<void(const SPortEvent&)>;

// Starts watching; nullptr when the system gives no notifications (the caller then looks at the port
// list when it needs to).
std::unique_ptr<IPortWatch> WatchSerialPorts(PortEventHandler handler);
