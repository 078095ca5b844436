// Serial ports arriving and going away, watched from the GUI thread's event loop: the system's own
// notifications (wavr/posix: a libudev monitor on the tty subsystem; wavr/win32: WM_DEVICECHANGE
// through Qt's native event filter) and a light look at the paths of the ports given with --port. A
// storage device or any other kind of device reports nothing.
#pragma once

#include <QObject>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QTimer;

enum class EPortChange { None, Arrived, Removed };

// What one udev event means for the manager: a serial port (a tty with a COM number, or one given
// with --port) that arrived or was removed, with its COM number (-1 when it has none).
EPortChange ClassifyPortEvent(const std::string& subsystem, const std::string& action,
                              const std::string& devnode, int* pComNumber);

// Ports given with --port (a pseudo-terminal, a link to a device) may have no notifications of their
// own: their paths are looked at, and a path that appears counts as the port arriving, one that goes
// away (or whose link dangles) as the port being removed. A path made anew between two looks (a quick
// replug) is both. The first look only notes what is there.
class CPortPathWatch {
public:
    using CChanges = std::vector<std::pair<EPortChange, int>>; // with the COM number
    CChanges Look();

private:
    struct SSeen {
        bool bPresent = false;
        std::string identity; // of the path and the device behind it; changes when either is made anew
    };
    std::map<std::string, SSeen> m_Seen;
    bool m_bLooked = false;
};

using HotplugHandler = std::function<void(EPortChange change, int nComNumber)>;

// The system's notifications, running until destroyed; the handler is called on the GUI thread.
class IHotplugSource {
public:
    virtual ~IHotplugSource() = default;
};

// Starts the system's notifications (wavr/posix or wavr/win32, chosen by the build); nullptr when the
// system cannot be watched.
std::unique_ptr<IHotplugSource> StartSystemHotplug(HotplugHandler handler);

class CHotplugMonitor : public QObject {
public:
    using Handler = HotplugHandler;

    static constexpr int PATH_LOOK_MS = 1000; // a light look at the --port paths, no busy polling

    explicit CHotplugMonitor(Handler handler, QObject* pParent = nullptr);
    ~CHotplugMonitor() override;
    // False when the system could not be watched (the manager then works without hot-plug).
    bool IsWatching() const { return m_pSource != nullptr; }

private:
    Handler m_Handler;
    std::unique_ptr<IHotplugSource> m_pSource;
    CPortPathWatch m_PathWatch;
    QTimer* m_pPathTimer = nullptr;
};
