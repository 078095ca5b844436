// The main view: the skinned 1018 x 706 form. It hosts the editor core (which decides everything),
// mirrors the core's form state into the widgets, forwards every notification, key, wheel and mouse
// event to the core, and paints the skin.
#pragma once

#include <QEvent>
#include <QLineEdit>
#include <QWidget>
#include <map>
#include <memory>
#include <vector>

#include "comm/w32window.h"
#include "editor/editorcore.h"
#include "guilib/gdiplusbitmap.h"

class CFilterGraphic;
class CMsgDlg;
class CMainFrame;
class QTimer;

// A message for the core, posted to the view (also from the reader thread).
class CCoreMessageEvent : public QEvent {
public:
    CCoreMessageEvent(std::uint32_t nMsg, std::uintptr_t wParam, std::intptr_t lParam,
                      std::vector<std::uint8_t> data);
    static QEvent::Type EventType();
    std::uint32_t m_nMsg;
    std::uintptr_t m_wParam;
    std::intptr_t m_lParam;
    std::vector<std::uint8_t> m_Data;
};

class CWAVRView;

// Edit boxes: white on dark grey; Enter, Up and Down and the wheel go to the core.
class CViewEdit : public QLineEdit {
public:
    CViewEdit(CWAVRView* pView, int nId);
    int Id() const { return m_nId; }

protected:
    void keyPressEvent(QKeyEvent* pEvent) override;
    void keyReleaseEvent(QKeyEvent* pEvent) override;
    void wheelEvent(QWheelEvent* pEvent) override;
    void enterEvent(QEnterEvent* pEvent) override;

private:
    CWAVRView* m_pView;
    int m_nId;
};

class CWAVRView : public QWidget, public IEditorHost, public IW32Window {
public:
    static constexpr int WIDTH = 1018;
    static constexpr int HEIGHT = 706;

    explicit CWAVRView(QWidget* pParent = nullptr);
    ~CWAVRView() override;

    void SetFrame(CMainFrame* pFrame) { m_pFrame = pFrame; }
    // Start-up: defaults, the first page, the device search.
    void Start();
    void OnMenuCommand(int nId);
    void OnDeviceChange(bool bArrived, int nComNumber);
    CEditorCore& Core() { return m_Core; }
    // Brings the widgets in line with the core's form state.
    void SyncFromForm();

    // IEditorHost
    void PostToSelf(std::uint32_t nMsg, std::uintptr_t wParam, std::intptr_t lParam) override;
    void PostToFrame(std::uint32_t nMsg, std::intptr_t lParam) override;
    IW32Window* ReceiveWindow() override { return this; }
    void SetTimer(int nId, std::uint32_t nMs) override;
    void KillTimer(int nId) override;
    void Sleep(std::uint32_t nMs) override;
    void ShowBusy(const std::string& text) override;
    void HideBusy() override;
    void MessageBox(const std::string& text) override;
    bool Confirm(const std::string& text) override;
    bool ConfirmLoad(const std::string& text) override;
    std::string OpenFileDialog(const std::string& filter) override;
    std::string SaveFileDialog(const std::string& filter, const std::string& defaultPath) override;
    void SetTitle(const std::string& title) override;
    void OpenDocument(const std::string& path) override;
    void Repaint(int nArea) override;
    void DrawCurve(const double* pValues, int nCount, int nPen, int bClear) override;
    // IW32Window: the links post what they receive (on the reader thread).
    void PostMessage(std::uint32_t nMsg, std::uintptr_t wParam, std::intptr_t lParam) override;

    // From the edit boxes.
    bool OnEditKey(int nId, int nKey, bool bPress);
    void OnEditWheel(int nId, int nDelta);
    void OnEditTextEdited(int nId, const QString& text);
    void OnEditHover(int nId);

protected:
    bool event(QEvent* pEvent) override;
    void paintEvent(QPaintEvent*) override;
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    void CreateControls();
    void Deliver(std::uint32_t nMsg, std::uintptr_t wParam, std::intptr_t lParam);
    void PaintPage(QPainter& p);
    void DrawImage(QPainter& p, int nId, int x, int y, int cx = -1, int cy = -1);
    void ReloadSpeakerIcons();

    CEditorCore m_Core;
    CMainFrame* m_pFrame = nullptr;
    std::map<int, QWidget*> m_Controls;
    std::map<int, QTimer*> m_Timers;
    CFilterGraphic* m_pGraph = nullptr;
    CMsgDlg* m_pBusy = nullptr;
    std::map<int, std::unique_ptr<CGdiPlusBitmapResource>> m_Images;
    int m_nIconArch = -1; // architecture the standard speaker icons were loaded for
};
