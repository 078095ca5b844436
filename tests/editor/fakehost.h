// A scripted host for the editor core: messages are queued and delivered by Pump(), timers run on a
// virtual clock advanced by the test, dialogs answer what the test told them to, and everything the
// core asked for is recorded. The links use the real ports and clock unless pLinkEnv is set before
// the core is made; Clock() is the virtual clock for such an environment: the links' waits and
// pauses move it on, as the GUI thread blocked in them would see the time pass.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "comm/protocol.h"
#include "editor/editorcore.h"
#include "editor/editorhost.h"

class CFakeHost : public IEditorHost, public IW32Window {
public:
    struct SPosted {
        std::uint32_t nMsg;
        std::uintptr_t wParam;
        std::intptr_t lParam;
        std::vector<std::uint8_t> data;
    };

    void Attach(CEditorCore* pCore) { m_pCore = pCore; }

    // IEditorHost
    void PostToSelf(std::uint32_t nMsg, std::uintptr_t wParam, std::intptr_t lParam) override {
        std::lock_guard<std::mutex> guard(m_Lock);
        m_Queue.push_back({nMsg, wParam, lParam, {}});
        m_Cond.notify_all();
    }
    void PostToFrame(std::uint32_t nMsg, std::intptr_t lParam) override {
        frameMessages.push_back({nMsg, lParam});
    }
    IW32Window* ReceiveWindow() override { return this; }
    void SetTimer(int nId, std::uint32_t nMs) override { m_Timers[nId] = {nMs, m_nNow + nMs}; }
    void KillTimer(int nId) override { m_Timers.erase(nId); }
    void Sleep(std::uint32_t nMs) override { sleptMs += nMs; }
    ILinkEnv& LinkEnv() override { return pLinkEnv ? *pLinkEnv : DefaultLinkEnv(); }
    void ShowBusy(const std::string& text) override { busyTexts.push_back(text); }
    void HideBusy() override { ++nHideBusy; }
    void MessageBox(const std::string& text) override { messageBoxes.push_back(text); }
    bool Confirm(const std::string& text) override {
        confirms.push_back(text);
        return bConfirmAnswer;
    }
    std::string OpenFileDialog(const std::string& filter) override {
        fileDialogs.push_back("open " + filter);
        return openAnswer;
    }
    std::string SaveFileDialog(const std::string& filter, const std::string&) override {
        fileDialogs.push_back("save " + filter);
        return saveAnswer;
    }
    void SetTitle(const std::string& title) override { titles.push_back(title); }
    void OpenDocument(const std::string& path) override { documents.push_back(path); }
    void Repaint(int nArea) override { repaints.push_back(nArea); }
    void DrawCurve(const double* pValues, int nCount, int nPen, int bClear) override {
        curves.push_back({std::vector<double>(pValues, pValues + nCount), nPen, bClear});
    }
    struct SCurve {
        std::vector<double> values;
        int nPen;
        int bClear;
    };
    std::vector<SCurve> curves;

    // IW32Window: the links' reader threads post received chunks here.
    void PostMessage(std::uint32_t nMsg, std::uintptr_t wParam, std::intptr_t lParam) override {
        SPosted posted{nMsg, nMsg == WM_IPC_RECEIVE ? 0 : wParam, lParam, {}};
        if (nMsg == WM_IPC_RECEIVE && wParam && lParam > 0) {
            const auto* p = reinterpret_cast<const std::uint8_t*>(wParam);
            posted.data.assign(p, p + lParam);
        }
        std::lock_guard<std::mutex> guard(m_Lock);
        m_Queue.push_back(std::move(posted));
        m_Cond.notify_all();
    }

    // Delivers queued messages, in order, until none arrives for nQuietMs (replies may still be on
    // their way from the reader thread; -1: nDefaultQuietMs).
    int Pump(int nQuietMs = -1) {
        if (nQuietMs < 0) nQuietMs = nDefaultQuietMs;
        int nDelivered = 0;
        for (;;) {
            SPosted msg;
            {
                std::unique_lock<std::mutex> lock(m_Lock);
                if (!m_Cond.wait_for(lock, std::chrono::milliseconds(nQuietMs),
                                     [this] { return !m_Queue.empty(); }))
                    return nDelivered;
                msg = std::move(m_Queue.front());
                m_Queue.pop_front();
            }
            ++nDelivered;
            delivered.push_back(msg.nMsg);
            const std::uintptr_t wParam =
                msg.data.empty() ? msg.wParam : reinterpret_cast<std::uintptr_t>(msg.data.data());
            m_pCore->OnMessage(msg.nMsg, wParam, msg.lParam);
        }
    }

    // Moves the virtual clock on by nMs, delivering messages first and firing every timer that
    // falls due, in time order (a timer repeats until killed).
    void Advance(std::uint32_t nMs) {
        const std::uint64_t nEnd = m_nNow + nMs;
        for (;;) {
            Pump(0);
            int nId = -1;
            std::uint64_t nDue = nEnd + 1;
            for (const auto& [id, t] : m_Timers)
                if (t.nDue < nDue) {
                    nDue = t.nDue;
                    nId = id;
                }
            if (nId < 0) break;
            m_nNow = std::max(m_nNow, nDue); // a timer that fell due in a link's wait fires now
            m_Timers[nId].nDue = nDue + std::max<std::uint32_t>(m_Timers[nId].nPeriod, 1);
            firedTimers.push_back(nId);
            m_pCore->OnTimer(nId);
        }
        m_nNow = std::max(m_nNow, nEnd);
        Pump(0);
    }

    bool TimerSet(int nId) const { return m_Timers.count(nId) != 0; }
    std::uint64_t Now() const { return m_nNow; }
    IClock& Clock() { return m_Clock; }

    std::vector<std::pair<std::uint32_t, std::intptr_t>> frameMessages;
    std::vector<std::string> busyTexts, messageBoxes, confirms, fileDialogs, titles, documents;
    std::vector<int> repaints, firedTimers;
    std::vector<std::uint32_t> delivered;
    int nHideBusy = 0;
    std::uint64_t sleptMs = 0;
    bool bConfirmAnswer = true;
    std::string openAnswer, saveAnswer;
    ILinkEnv* pLinkEnv = nullptr;
    int nDefaultQuietMs = 30; // 0 when every reply is queued before its request returns

private:
    // The links' time: a wait for an answer that has not come is over at once, its time-out spent.
    class CVirtualClock : public IClock {
    public:
        explicit CVirtualClock(std::uint64_t& rNow) : m_rNow(rNow) {}
        std::uint32_t NowMs() override { return static_cast<std::uint32_t>(m_rNow); }
        void Sleep(std::uint32_t nMs) override { m_rNow += nMs; }
        int Wait(ZUtils::ZEvent& rEvent, std::uint32_t nMs) override {
            if (rEvent.Wait(0) == ZUtils::WAIT_OBJECT_0) return ZUtils::WAIT_OBJECT_0;
            m_rNow += nMs;
            return ZUtils::WAIT_TIMEOUT;
        }

    private:
        std::uint64_t& m_rNow;
    };
    struct STimer {
        std::uint32_t nPeriod;
        std::uint64_t nDue;
    };
    CEditorCore* m_pCore = nullptr;
    std::mutex m_Lock;
    std::condition_variable m_Cond;
    std::deque<SPosted> m_Queue;
    std::map<int, STimer> m_Timers;
    std::uint64_t m_nNow = 0;
    CVirtualClock m_Clock{m_nNow};
};
