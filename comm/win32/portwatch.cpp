// The port watch on Windows: a message-only window on a thread of its own, registered for the
// arrival and removal of COM port interfaces (WM_DEVICECHANGE). Destroying the watch closes the
// window, which ends the thread's message loop.
#include "comm/portwatch.h"

// initguid.h after the Windows headers: DEFINE_GUID below then defines the GUID here.
// clang-format off
#include "comm/win32/winapi.h"
#include <initguid.h>
// clang-format on

#include <thread>

// The COM port device interface (GUID_DEVINTERFACE_COMPORT).
DEFINE_GUID(kWatchedComPorts, 0x86e0d1e0L, 0x8089, 0x11d0, 0x9c, 0xe4, 0x08, 0x00, 0x3e, 0x30, 0x1f, 0x73);

namespace {

constexpr wchar_t kWindowClass[] = L"mlb8-port-watch";

class CWindowPortWatch : public IPortWatch {
public:
    explicit CWindowPortWatch(PortEventHandler handler) : m_Handler(std::move(handler)) {}

    ~CWindowPortWatch() override {
        if (m_hWnd) ::PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
        if (m_Thread.joinable()) m_Thread.join();
        if (m_hReady) ::CloseHandle(m_hReady);
    }
    CWindowPortWatch(const CWindowPortWatch&) = delete;
    CWindowPortWatch& operator=(const CWindowPortWatch&) = delete;

    bool Start() {
        m_hReady = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (!m_hReady) return false;
        m_Ports = CurrentPortNumbers();
        m_Thread = std::thread(&CWindowPortWatch::Run, this);
        ::WaitForSingleObject(m_hReady, INFINITE);
        if (m_hWnd) return true;
        m_Thread.join();
        return false;
    }

private:
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<CWindowPortWatch*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        switch (nMsg) {
        case WM_DEVICECHANGE:
            if (self && (wParam == DBT_DEVICEARRIVAL || wParam == DBT_DEVICEREMOVECOMPLETE)) self->Look();
            return TRUE;
        case WM_CLOSE:
            ::DestroyWindow(hWnd);
            return 0;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
        default:
            return ::DefWindowProcW(hWnd, nMsg, wParam, lParam);
        }
    }

    void Run() {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &CWindowPortWatch::WindowProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = kWindowClass;
        ::RegisterClassExW(&wc); // fails harmlessly when a watch registered it before
        HWND hWnd = ::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      wc.hInstance, nullptr);
        HDEVNOTIFY hNotify = nullptr;
        if (hWnd) {
            ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
            DEV_BROADCAST_DEVICEINTERFACE_W filter{};
            filter.dbcc_size = sizeof filter;
            filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
            filter.dbcc_classguid = kWatchedComPorts;
            hNotify = ::RegisterDeviceNotificationW(hWnd, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
            if (!hNotify) {
                ::DestroyWindow(hWnd);
                hWnd = nullptr;
            }
        }
        m_hWnd = hWnd;
        ::SetEvent(m_hReady);
        if (!hWnd) return;
        MSG msg;
        while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::UnregisterDeviceNotification(hNotify);
    }

    void Look() {
        std::set<int> now = CurrentPortNumbers();
        for (const SPortEvent& change : DiffPortSets(m_Ports, now))
            if (m_Handler) m_Handler(change);
        m_Ports = std::move(now);
    }

    PortEventHandler m_Handler;
    std::set<int> m_Ports; // touched by the window's thread only, once it runs
    HANDLE m_hReady = nullptr;
    HWND m_hWnd = nullptr;
    std::thread m_Thread;
};

} // namespace

std::unique_ptr<IPortWatch> WatchSerialPorts(PortEventHandler handler) {
    auto pWatch = std::make_unique<CWindowPortWatch>(std::move(handler));
    if (!pWatch->Start()) return nullptr;
    return pWatch;
}
