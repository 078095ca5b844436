#include "hotplug.h"

#include <QSocketNotifier>
#include <QTimer>
#include <libudev.h>
#include <sys/stat.h>

#include "comm/comnames.h"
#include "comm/trace.h"

EPortChange ClassifyPortEvent(const std::string& subsystem, const std::string& action,
                              const std::string& devnode, int* pComNumber) {
    if (pComNumber) *pComNumber = -1;
    if (subsystem != "tty" || devnode.empty()) return EPortChange::None;
    const int nCom = ZUtils::ComNumberFromDevicePath(devnode);
    if (nCom <= 0) return EPortChange::None; // consoles, pseudo-terminals and other ttys are no serial ports
    if (pComNumber) *pComNumber = nCom;
    if (action == "add") return EPortChange::Arrived;
    if (action == "remove") return EPortChange::Removed;
    return EPortChange::None;
}

CPortPathWatch::CChanges CPortPathWatch::Look() {
    CChanges changes;
    for (const std::string& path : ZUtils::ExtraPorts()) {
        SSeen now;
        struct stat target {
        }, entry{};
        // stat follows links: a dangling one is a port that is gone.
        now.bPresent = ::stat(path.c_str(), &target) == 0 && ::lstat(path.c_str(), &entry) == 0;
        if (now.bPresent)
            now.identity = std::to_string(entry.st_ino) + ":" + std::to_string(entry.st_ctim.tv_sec) + "." +
                           std::to_string(entry.st_ctim.tv_nsec) + ":" + std::to_string(target.st_rdev) +
                           ":" + std::to_string(target.st_ino);
        auto [it, bNew] = m_Seen.try_emplace(path, SSeen{});
        const SSeen before = it->second;
        it->second = now;
        if (!m_bLooked || (bNew && !now.bPresent)) continue;
        const int nCom = ZUtils::ComNumberFromDevicePath(path);
        if (before.bPresent && (!now.bPresent || now.identity != before.identity))
            changes.push_back({EPortChange::Removed, nCom});
        if (now.bPresent && (!before.bPresent || now.identity != before.identity))
            changes.push_back({EPortChange::Arrived, nCom});
    }
    m_bLooked = true;
    return changes;
}

CHotplugMonitor::CHotplugMonitor(Handler handler, QObject* pParent)
    : QObject(pParent), m_Handler(std::move(handler)) {
    if (!ZUtils::ExtraPorts().empty()) {
        m_PathWatch.Look();
        m_pPathTimer = new QTimer(this);
        QObject::connect(m_pPathTimer, &QTimer::timeout, this, [this] {
            for (const auto& [change, nCom] : m_PathWatch.Look())
                if (m_Handler) m_Handler(change, nCom);
        });
        m_pPathTimer->start(PATH_LOOK_MS);
    }
    m_pUdev = udev_new();
    if (!m_pUdev) {
        TRACE("\r\n hot-plug: udev_new failed");
        return;
    }
    m_pMonitor = udev_monitor_new_from_netlink(m_pUdev, "udev");
    if (!m_pMonitor || udev_monitor_filter_add_match_subsystem_devtype(m_pMonitor, "tty", nullptr) < 0 ||
        udev_monitor_enable_receiving(m_pMonitor) < 0) {
        TRACE("\r\n hot-plug: the udev monitor is not available");
        return;
    }
    m_pNotifier = new QSocketNotifier(udev_monitor_get_fd(m_pMonitor), QSocketNotifier::Read, this);
    QObject::connect(m_pNotifier, &QSocketNotifier::activated, this, [this] { OnReadable(); });
}

CHotplugMonitor::~CHotplugMonitor() {
    delete m_pNotifier;
    if (m_pMonitor) udev_monitor_unref(m_pMonitor);
    if (m_pUdev) udev_unref(m_pUdev);
}

void CHotplugMonitor::OnReadable() {
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
