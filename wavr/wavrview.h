// The main view: the skinned 1018 x 706 form. It hosts the editor core (which decides everything),
// mirrors the core's form state into the widgets, forwards every notification, key, wheel and mouse
// event to the core, and paints the skin.
#pragma once

#include <QEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QList>
#include <QPixmap>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "comm/w32window.h"
#include "editor/editorcore.h"
#include "guilib/appliesstate.h"
#include "guilib/gdiplusbitmap.h"

class CEqTools;
class CFilterGraphic;
class CSystemGraph;
class CAbSwitch;
class CMsgDlg;
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

// The keys of the window's undo and redo; a value box hands them to the window as well.
const QList<QKeySequence>& UndoKeys();
const QList<QKeySequence>& RedoKeys();

// Edit boxes: white on dark grey; Enter, Up and Down and the wheel go to the core. Undo and redo
// are the window's (the box's own text history would show a value the model does not have).
class CViewEdit : public QLineEdit, public IAppliesState {
public:
    CViewEdit(CWAVRView* pView, int nId);
    int Id() const { return m_nId; }
    // The form's text; an unchanged text keeps the cursor and selection.
    void ApplyState(const SControlState& state) override;
    // Largest pixel size, up to the skin's 12, at which the text fits the box whole.
    static int FittingPixelSize(const QFont& font, const QString& text, const QSize& room);

protected:
    bool event(QEvent* pEvent) override;
    void keyPressEvent(QKeyEvent* pEvent) override;
    void keyReleaseEvent(QKeyEvent* pEvent) override;
    void contextMenuEvent(QContextMenuEvent* pEvent) override;
    void wheelEvent(QWheelEvent* pEvent) override;
    void enterEvent(QEnterEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;

private:
    void FitFont();
    CWAVRView* m_pView;
    int m_nId;
};

class CWAVRView : public QWidget, public IEditorHost, public IW32Window {
public:
    static constexpr int WIDTH = 1018;
    static constexpr int HEIGHT = 706;

    explicit CWAVRView(QWidget* pParent = nullptr);
    ~CWAVRView() override;

    // Where the messages for the frame go (WM_MARK_LOAD, WM_MARK_SAVE): the application connects it,
    // so the view does not know the frame that holds it. Delivered later, in order.
    using FrameMessageHandler = std::function<void(std::uint32_t nMsg, std::intptr_t lParam)>;
    void SetFrameMessageHandler(FrameMessageHandler handler) { m_FrameMessages = std::move(handler); }
    // Start-up: defaults, the first page, the device search.
    void Start();
    void OnMenuCommand(int nId);
    void OnDeviceChange(bool bArrived, int nComNumber);
    CEditorCore& Core() { return m_Core; }
    // Import, export, measurement and fit of the equalizer (menu, drops, graph overlay).
    CEqTools& EqTools() { return *m_pEqTools; }
    CSystemGraph* SystemGraph() const { return m_pSystemGraph; }
    CAbSwitch* AbSwitch() const { return m_pAbSwitch; }
    // Brings the widgets in line with the core's form state.
    void SyncFromForm();

    // IEditorHost
    void PostToSelf(std::uint32_t nMsg, std::uintptr_t wParam, std::intptr_t lParam) override;
    void PostToFrame(std::uint32_t nMsg, std::intptr_t lParam) override;
    IW32Window* ReceiveWindow() override { return this; }
    void SetTimer(int nId, std::uint32_t nMs) override;
    void KillTimer(int nId) override;
    bool IsTimerActive(int nId) const;
    // No deferred work of a gesture is waiting: neither the one-shot timers an edit starts (graph
    // redraw, configuration apply, file save, send-all, wheel pause) nor the grace before a key's
    // release commits. What they post is still in the event queue.
    bool IsSettled() const;
    QRect AnimationRect() const;
    // How many times the busy overlay was shown so far (for measurements of blocking sequences).
    int BusyShownCount() const { return m_nBusyShown; }
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
    void ReleaseBoxFocus() override;
    // IW32Window: the links post what they receive (on the reader thread).
    void PostMessage(std::uint32_t nMsg, std::uintptr_t wParam, std::intptr_t lParam) override;

    // From the edit boxes.
    bool OnEditKey(int nId, int nKey, bool bPress);
    // Up/Down from a box, with the event's auto-repeat mark; true when consumed.
    bool OnEditArrow(int nId, int nKey, bool bPress, bool bAutoRepeat);
    // Commits a key release that is still waiting to be told from an auto-repeat.
    void FlushKeyRelease();
    void OnEditWheel(int nId, int nDelta);
    void OnEditTextEdited(int nId, const QString& text);
    void OnEditHover(int nId);

protected:
    bool event(QEvent* pEvent) override;
    void paintEvent(QPaintEvent*) override;
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;
    void dragEnterEvent(QDragEnterEvent* pEvent) override;
    void dropEvent(QDropEvent* pEvent) override;

private:
    void CreateControls();
    void Deliver(std::uint32_t nMsg, std::uintptr_t wParam, std::intptr_t lParam);
    void PaintPage(QPainter& p);
    const QPixmap& StaticLayer(int nPage, bool bExpertCar);
    void DrawImage(QPainter& p, int nId, int x, int y, int cx = -1, int cy = -1);
    void ReloadSpeakerIcons();

    CEditorCore m_Core;
    FrameMessageHandler m_FrameMessages;
    std::map<int, QWidget*> m_Controls;
    // The controls that show a part of the form state (all but the graph), by ID.
    std::map<int, IAppliesState*> m_StateViews;
    std::map<int, QTimer*> m_Timers;
    CFilterGraphic* m_pGraph = nullptr;
    CEqTools* m_pEqTools = nullptr;
    CSystemGraph* m_pSystemGraph = nullptr; // the graph's system view, over m_pGraph
    CAbSwitch* m_pAbSwitch = nullptr;       // the A/B comparison's sides, in the header
    CMsgDlg* m_pBusy = nullptr;
    int m_nBusyShown = 0;
    std::map<int, std::unique_ptr<CGdiPlusBitmapResource>> m_Images;
    // The skin that never changes on a page (backgrounds, bars, frames, the page's art), drawn once
    // per page and pixel ratio: a repaint then copies it instead of scaling every image again.
    std::map<int, QPixmap> m_StaticLayers;
    int m_nIconArch = -1; // architecture the standard speaker icons were loaded for
    // A released arrow key commits only when no press of it follows at once (X auto-repeat).
    QTimer* m_pReleaseTimer = nullptr;
    int m_nReleaseKey = 0;
    int m_nReleaseId = 0;
};

// Pixel size of the help text that shows the whole text inside its area.
int HelpTextPixelSize(const QString& text, const QSize& room, QString* pLaidOut);
