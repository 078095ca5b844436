// What the link posts its messages to: the window of the Win32 design, as an interface.
#pragma once

#include <cstdint>

class IW32Window {
public:
    virtual ~IW32Window() = default;
    // Called on the poster's thread (for the link: the reader thread). A message whose wParam
    // points at data (WM_IPC_RECEIVE: the received chunk, lParam its length) must copy that data
    // before returning; delivery to the GUI thread happens later, in the order of the posts.
    virtual void PostMessage(std::uint32_t nMsg, std::uintptr_t wParam, std::intptr_t lParam) = 0;
};
