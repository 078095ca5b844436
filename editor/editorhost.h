// Everything the editor core needs from outside: the window it lives in. The Qt view implements
// it; tests use a scripted host that runs timers on a virtual clock.
#pragma once

#include <cstdint>
#include <string>

#include "comm/linkenv.h"
#include "comm/w32window.h"

class IEditorHost {
public:
    virtual ~IEditorHost() = default;

    // Messages are delivered later, in order, on the GUI thread to CEditorCore::OnMessage.
    virtual void PostToSelf(std::uint32_t nMsg, std::uintptr_t wParam, std::intptr_t lParam) = 0;
    virtual void PostToFrame(std::uint32_t nMsg, std::intptr_t lParam) = 0;
    // Where the links post what they receive; called on the reader thread, copies the chunk and
    // delivers it in order as WM_IPC_RECEIVE through the same queue as PostToSelf.
    virtual IW32Window* ReceiveWindow() = 0;

    // Setting a timer that runs restarts it. Expiries reach CEditorCore::OnTimer.
    virtual void SetTimer(int nId, std::uint32_t nMs) = 0;
    virtual void KillTimer(int nId) = 0;
    // Blocks the GUI thread (the pauses of the command sequences).
    virtual void Sleep(std::uint32_t nMs) = 0;
    // The ports and the clock of the links to the processor, asked once when the core is made.
    virtual ILinkEnv& LinkEnv() { return DefaultLinkEnv(); }

    virtual void ShowBusy(const std::string& text) = 0;
    virtual void HideBusy() = 0;
    virtual void MessageBox(const std::string& text) = 0;
    // OK/Cancel; true for OK.
    virtual bool Confirm(const std::string& text) = 0;
    // Asked before a preset file that is incomplete or had values changed is applied: the text says
    // what is wrong; true for "Load anyway".
    virtual bool ConfirmLoad(const std::string& text) { return Confirm(text); }
    // File dialogs with a filter such as "DSP Files(*.Dovu)|*.Dovu||"; empty when cancelled.
    virtual std::string OpenFileDialog(const std::string& filter) = 0;
    virtual std::string SaveFileDialog(const std::string& filter, const std::string& defaultPath) = 0;
    virtual void SetTitle(const std::string& title) = 0;
    virtual void OpenDocument(const std::string& path) = 0;
    virtual void Repaint(int nArea) = 0;
    // The response graph: one curve in dB per grid point with a pen index, over a cleared background
    // when bClear is set.
    virtual void DrawCurve(const double* pValues, int nCount, int nPen, int bClear) = 0;
    // Every value box gives up the keyboard focus (a page was picked): a key then steps nothing.
    virtual void ReleaseBoxFocus() {}
};
