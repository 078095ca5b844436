// The mouse input of every control that is dragged (linear sliders, speaker icons, knobs), written
// once. A left press captures the mouse, takes the focus, starts the drag at the press point and
// posts WM_GDI_CTRL_DOWN; moves while dragging go to DragTo, which posts WM_GDI_CTRL_MOVE as its
// control sees fit; a release that reaches the control, or a move the control calls too far away,
// ends the drag and posts WM_GDI_CTRL_UP with the stored position.
//
// The relative law (knobs, speaker icons) lives here too: the value moves from the one the press
// found, by the pixels dragged, so a press alone changes nothing.
#pragma once

#include "skinctrl.h"

class CDragCtrl : public CSkinCtrl {
public:
    using CSkinCtrl::CSkinCtrl;

    int IsDragging() const { return m_bDragging; }

protected:
    // A press at pt starts a drag (called first).
    virtual void DragBegins(const QPoint&) {}
    // The pointer is at pt during a drag, the press point included.
    virtual void DragTo(const QPoint& pt) = 0;
    // A move to pt abandons the drag as a release would.
    virtual bool DragCancelledAt(const QPoint&) const { return false; }
    // A release ends the drag (called before the capture goes).
    virtual void DragEnds() {}
    // The value the release reports.
    virtual int StoredPos() const = 0;

    // Where the press was, and the stored position it found.
    QPoint PressPoint() const { return m_ptPress; }
    int PressPos() const { return m_nPressPos; }
    // The stored position fPixels of drag away from the pressed one (positive: towards the maximum),
    // one step per fPixelsPerStep, truncated toward the pressed position and clamped to [nMin, nMax].
    // A step size that is not positive leaves the pressed position.
    int DraggedPos(double fPixels, double fPixelsPerStep, int nMin, int nMax) const;

    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;

private:
    void MoveTo(const QPoint& pt);
    void EndDrag();

    int m_bDragging = 0;
    QPoint m_ptPress;
    int m_nPressPos = 0;
};
