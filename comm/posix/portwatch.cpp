// The port watch on Linux: a udev monitor of the tty subsystem, read by a thread that also waits on
// an eventfd to stop.
#include "comm/portwatch.h"

#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <thread>

namespace {

class CUdevPortWatch : public IPortWatch {
public:
    explicit CUdevPortWatch(PortEventHandler handler) : m_Handler(std::move(handler)) {}

    ~CUdevPortWatch() override {
        if (m_Thread.joinable()) {
            const std::uint64_t one = 1;
            [[maybe_unused]] const ssize_t n = ::write(m_nStopFd, &one, sizeof one);
            m_Thread.join();
        }
        if (m_nStopFd >= 0) ::close(m_nStopFd);
        if (m_pMonitor) udev_monitor_unref(m_pMonitor);
        if (m_pUdev) udev_unref(m_pUdev);
    }
    CUdevPortWatch(const CUdevPortWatch&) = delete;
    CUdevPortWatch& operator=(const CUdevPortWatch&) = delete;

    bool Start() {
        m_pUdev = udev_new();
        if (!m_pUdev) return false;
        m_pMonitor = udev_monitor_new_from_netlink(m_pUdev, "udev");
        if (!m_pMonitor || udev_monitor_filter_add_match_subsystem_devtype(m_pMonitor, "tty", nullptr) < 0 ||
            udev_monitor_enable_receiving(m_pMonitor) < 0)
            return false;
        m_nStopFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (m_nStopFd < 0) return false;
        m_Ports = CurrentPortNumbers();
        m_Thread = std::thread(&CUdevPortWatch::Run, this);
        return true;
    }

private:
    void Run() {
        pollfd fds[2] = {{udev_monitor_get_fd(m_pMonitor), POLLIN, 0}, {m_nStopFd, POLLIN, 0}};
        for (;;) {
            if (::poll(fds, 2, -1) < 0) {
                if (errno == EINTR) continue;
                return;
            }
            if (fds[1].revents) return;
            if (!(fds[0].revents & POLLIN)) continue;
            if (udev_device* pDevice = udev_monitor_receive_device(m_pMonitor)) udev_device_unref(pDevice);
            std::set<int> now = CurrentPortNumbers();
            for (const SPortEvent& change : DiffPortSets(m_Ports, now))
                if (m_Handler) m_Handler(change);
            m_Ports = std::move(now);
        }
    }

    PortEventHandler m_Handler;
    udev* m_pUdev = nullptr;
    udev_monitor* m_pMonitor = nullptr;
    int m_nStopFd = -1;
    std::set<int> m_Ports;
    std::thread m_Thread;
};

} // namespace

std::unique_ptr<IPortWatch> WatchSerialPorts(PortEventHandler handler) {
    auto pWatch = std::make_unique<CUdevPortWatch>(std::move(handler));
    if (!pWatch->Start()) return nullptr;
    return pWatch;
}
