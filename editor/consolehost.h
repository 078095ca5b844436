// A host for the editor core in a terminal: messages and timers run in a plain loop on the calling
// thread, busy texts and messages go to standard error, dialogs answer "cancel".
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "editor/editorcore.h"

class CConsoleHost : public IEditorHost, public IW32Window {
public:
    void Attach(CEditorCore* pCore) { m_pCore = pCore; }

    void PostToSelf(std::uint32_t nMsg, std::uintptr_t wParam, std::intptr_t lParam) override;
    void PostToFrame(std::uint32_t, std::intptr_t) override {}
    IW32Window* ReceiveWindow() override { return this; }
    void SetTimer(int nId, std::uint32_t nMs) override;
    void KillTimer(int nId) override { m_Timers.erase(nId); }
    void Sleep(std::uint32_t nMs) override;
    void ShowBusy(const std::string& text) override;
    void HideBusy() override {}
    void MessageBox(const std::string& text) override;
    bool Confirm(const std::string&) override { return true; }
    std::string OpenFileDialog(const std::string&) override { return {}; }
    std::string SaveFileDialog(const std::string&, const std::string&) override { return {}; }
    void SetTitle(const std::string&) override {}
    void OpenDocument(const std::string&) override {}
    void Repaint(int) override {}
    void DrawCurve(const double*, int, int, int) override {}
    void PostMessage(std::uint32_t nMsg, std::uintptr_t wParam, std::intptr_t lParam) override;

    // Runs messages and timers until done() holds or nothing is pending any more (no message, no
    // timer), or nTimeoutMs passes. Returns done().
    bool RunUntil(const std::function<bool()>& done, int nTimeoutMs);
    const std::vector<std::string>& Messages() const { return m_Messages; }
    // Busy texts and messages are not printed.
    void SetQuiet(bool bQuiet) { m_bQuiet = bQuiet; }
    // Printed before each message: the program and what it was doing ("mlb8ctl: storing ...: ").
    void SetMessagePrefix(const std::string& prefix) { m_szMessagePrefix = prefix; }
    // Busy texts are not printed (messages still are): they are the window's progress overlay.
    void SetBusyShown(bool bShown) { m_bBusyShown = bShown; }

private:
    using Clock = std::chrono::steady_clock;
    struct SPosted {
        std::uint32_t nMsg;
        std::uintptr_t wParam;
        std::intptr_t lParam;
        std::vector<std::uint8_t> data;
    };
    struct STimer {
        std::uint32_t nPeriod;
        Clock::time_point due;
    };
    CEditorCore* m_pCore = nullptr;
    std::string m_szMessagePrefix;
    std::mutex m_Lock;
    std::condition_variable m_Cond;
    std::deque<SPosted> m_Queue;
    std::map<int, STimer> m_Timers;
    std::vector<std::string> m_Messages;
    bool m_bQuiet = false;
    bool m_bBusyShown = true;
};
