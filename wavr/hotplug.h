// Serial ports arriving and going away: a libudev monitor on the tty subsystem, watched from the GUI
// thread's event loop. A storage device or any other subsystem reports nothing.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>

class QSocketNotifier;
struct udev;
struct udev_monitor;

enum class EPortChange { None, Arrived, Removed };

// What one udev event means for the manager: a serial port (a tty with a COM number, or one given
// with --port) that arrived or was removed, with its COM number (-1 when it has none).
EPortChange ClassifyPortEvent(const std::string& subsystem, const std::string& action,
                              const std::string& devnode, int* pComNumber);

class CHotplugMonitor : public QObject {
public:
    using Handler = std::function<void(EPortChange change, int nComNumber)>;

    explicit CHotplugMonitor(Handler handler, QObject* pParent = nullptr);
    ~CHotplugMonitor() override;
    // False when udev could not be watched (the manager then works without hot-plug).
    bool IsWatching() const { return m_pNotifier != nullptr; }

private:
    void OnReadable();

    Handler m_Handler;
    udev* m_pUdev = nullptr;
    udev_monitor* m_pMonitor = nullptr;
    QSocketNotifier* m_pNotifier = nullptr;
};
