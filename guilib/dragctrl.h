// The mouse input of every control that is dragged (linear sliders, speaker icons, knobs), written
// once. A left press captures the mouse, takes the focus, starts the drag at the press point and
// posts WM_GDI_CTRL_DOWN; moves while dragging go to DragTo, which posts WM_GDI_CTRL_MOVE as its
// control sees fit; a release that reaches the control, or a move the control calls too far away,
// ends the drag and posts WM_GDI_CTRL_UP with the stored position.
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

    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;

private:
    void MoveTo(const QPoint& pt);
    void EndDrag();

    int m_bDragging = 0;
};
