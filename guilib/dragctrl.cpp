#include "dragctrl.h"

#include <QMouseEvent>

void CDragCtrl::mousePressEvent(QMouseEvent* pEvent) {
    if (pEvent->button() != Qt::LeftButton) return CSkinCtrl::mousePressEvent(pEvent);
    const QPoint pt = pEvent->position().toPoint();
    m_ptPress = pt;
    m_nPressPos = StoredPos();
    DragBegins(pt);
    SetCapture();
    setFocus(Qt::MouseFocusReason);
    m_bDragging = 1;
    MoveTo(pt);
    update();
    Post(WM_GDI_CTRL_DOWN, 0);
}

void CDragCtrl::mouseMoveEvent(QMouseEvent* pEvent) {
    MoveTo(pEvent->position().toPoint());
}

void CDragCtrl::MoveTo(const QPoint& pt) {
    TrackHover();
    if (!m_bDragging) return;
    if (DragCancelledAt(pt)) return EndDrag();
    DragTo(pt);
}

void CDragCtrl::mouseReleaseEvent(QMouseEvent* pEvent) {
    if (pEvent->button() != Qt::LeftButton) return CSkinCtrl::mouseReleaseEvent(pEvent);
    if (!ReleaseReachesUs(pEvent->position().toPoint())) return;
    DragEnds();
    EndDrag();
}

void CDragCtrl::EndDrag() {
    ReleaseCapture();
    m_bDragging = 0;
    update();
    Post(WM_GDI_CTRL_UP, StoredPos());
}

int CDragCtrl::DraggedPos(double fPixels, double fPixelsPerStep, int nMin, int nMax) const {
    if (!(fPixelsPerStep > 0)) return m_nPressPos;
    const long long nSteps = TruncToInt(fPixels / fPixelsPerStep);
    return ClampToRange(static_cast<long long>(m_nPressPos) + nSteps, nMin, nMax);
}
