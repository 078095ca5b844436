// The window's hot-plug on Windows: the system sends WM_DEVICECHANGE with DBT_DEVICEARRIVAL and
// DBT_DEVICEREMOVECOMPLETE for a COM port to every top-level window, without any registration. A
// native event filter on the application sees them before the windows do (and lets them pass);
// comm/win32/devicebroadcast.h reads the message, and drops the copies the program's other top-level
// windows receive.
#include "wavr/hotplug.h"

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QCoreApplication>

#include "comm/win32/devicebroadcast.h"
#include "comm/win32/winapi.h" // after Qt's headers: <windows.h>'s macros stay out of them

namespace {

class CDeviceChangeFilter : public IHotplugSource, public QAbstractNativeEventFilter {
public:
    explicit CDeviceChangeFilter(HotplugHandler handler) : m_Handler(std::move(handler)) {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~CDeviceChangeFilter() override {
        if (QCoreApplication* pApp = QCoreApplication::instance()) pApp->removeNativeEventFilter(this);
    }
    CDeviceChangeFilter(const CDeviceChangeFilter&) = delete;
    CDeviceChangeFilter& operator=(const CDeviceChangeFilter&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* pMessage, qintptr* /*pResult*/) override {
        if (eventType != "windows_generic_MSG" || !pMessage) return false;
        const MSG* pMsg = static_cast<const MSG*>(pMessage);
        if (pMsg->message != WM_DEVICECHANGE) return false;
        const std::optional<SPortEvent> event =
            Win32::PortEventOfDeviceChange(pMsg->wParam, reinterpret_cast<const void*>(pMsg->lParam));
        if (!event || m_Repeats.IsRepeat(*event, ::GetTickCount64())) return false;
        if (m_Handler)
            m_Handler(event->event == EPortEvent::Arrived ? EPortChange::Arrived : EPortChange::Removed,
                      Win32::ManagerComNumber(event->nCom));
        return false;
    }

private:
    HotplugHandler m_Handler;
    Win32::CDeviceChangeRepeats m_Repeats;
};

} // namespace

std::unique_ptr<IHotplugSource> StartSystemHotplug(HotplugHandler handler) {
    if (!QCoreApplication::instance()) return nullptr;
    return std::make_unique<CDeviceChangeFilter>(std::move(handler));
}
