// The window's hot-plug on Linux: a libudev monitor on the tty subsystem, its socket watched by the
// GUI thread's event loop. Each event is judged by ClassifyPortEvent.
#include "wavr/hotplug.h"

#include <QSocketNotifier>
#include <libudev.h>

#include "comm/trace.h"

namespace {

class CUdevHotplug : public IHotplugSource {
public:
    explicit CUdevHotplug(HotplugHandler handler) : m_Handler(std::move(handler)) {}
    ~CUdevHotplug() override {
        m_pNotifier.reset();
        if (m_pMonitor) udev_monitor_unref(m_pMonitor);
        if (m_pUdev) udev_unref(m_pUdev);
    }
    CUdevHotplug(const CUdevHotplug&) = delete;
    CUdevHotplug& operator=(const CUdevHotplug&) = delete;

    bool Start() {
        m_pUdev = udev_new();
        if (!m_pUdev) {
            TRACE("\r\n hot-plug: udev_new failed");
            return false;
        }
        m_pMonitor = udev_monitor_new_from_netlink(m_pUdev, "udev");
        if (!m_pMonitor || udev_monitor_filter_add_match_subsystem_devtype(m_pMonitor, "tty", nullptr) < 0 ||
            udev_monitor_enable_receiving(m_pMonitor) < 0) {
            TRACE("\r\n hot-plug: the udev monitor is not available");
            return false;
        }
        m_pNotifier =
            std::make_unique<QSocketNotifier>(udev_monitor_get_fd(m_pMonitor), QSocketNotifier::Read);
        QObject::connect(m_pNotifier.get(), &QSocketNotifier::activated, m_pNotifier.get(),
                         [this] { OnReadable(); });
        return true;
    }

private:
    void OnReadable() {
        udev_device* pDevice = udev_monitor_receive_device(m_pMonitor);
        if (!pDevice) return;
        auto text = [](const char* p) { return std::string(p ? p : ""); };
        int nCom = -1;
        const EPortChange change =
            ClassifyPortEvent(text(udev_device_get_subsystem(pDevice)), text(udev_device_get_action(pDevice)),
                              text(udev_device_get_devnode(pDevice)), &nCom);
        udev_device_unref(pDevice);
        if (change != EPortChange::None && m_Handler) m_Handler(change, nCom);
    }

    HotplugHandler m_Handler;
    udev* m_pUdev = nullptr;
    udev_monitor* m_pMonitor = nullptr;
    std::unique_ptr<QSocketNotifier> m_pNotifier;
};

} // namespace

std::unique_ptr<IHotplugSource> StartSystemHotplug(HotplugHandler handler) {
    auto pSource = std::make_unique<CUdevHotplug>(std::move(handler));
    if (!pSource->Start()) return nullptr;
    return pSource;
}
