#include "skinctrl.h"

#include <QFocusEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "comm/trace.h"

CSkinCtrl::CSkinCtrl(QWidget* pParent) : QWidget(pParent) {
    setMouseTracking(true);
    setAutoFillBackground(false);
}

bool CSkinCtrl::LoadSlot(Slot& slot, int nId, const char* pszType, const char* pszTrace) {
    slot = std::make_unique<CGdiPlusBitmapResource>();
    if (slot->Load(nId, pszType)) return true;
    slot.reset();
    TRACE("%s", pszTrace);
    return false;
}

void CSkinCtrl::Post(unsigned nMessage, int nValue) {
    PostCtrlNotify(this, nMessage, m_nCtrlId, nValue);
}

void CSkinCtrl::TrackHover() {
    if (m_bTracking) return;
    m_bTracking = 1;
    Post(WM_CTRL_HOVER, 1);
}

void CSkinCtrl::leaveEvent(QEvent* pEvent) {
    QWidget::leaveEvent(pEvent);
    if (!m_bTracking) return;
    m_bTracking = 0;
    Post(WM_CTRL_HOVER, 0);
}

void CSkinCtrl::focusInEvent(QFocusEvent* pEvent) {
    QWidget::focusInEvent(pEvent);
    m_bKeyboardFocus = pEvent->reason() == Qt::TabFocusReason || pEvent->reason() == Qt::BacktabFocusReason;
    update();
}

void CSkinCtrl::focusOutEvent(QFocusEvent* pEvent) {
    QWidget::focusOutEvent(pEvent);
    m_bKeyboardFocus = false;
    update();
}

namespace {

// The frame of the keyboard focus: the skin's accent, as the report titles.
const QColor kFocusColor(240, 150, 30);

} // namespace

bool CSkinCtrl::event(QEvent* pEvent) {
    const bool bDone = QWidget::event(pEvent);
    if (pEvent->type() == QEvent::Paint && m_bKeyboardFocus) {
        QPainter p(this); // still inside the paint: over whatever the control drew
        p.setPen(QPen(kFocusColor, 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    return bDone;
}

void CSkinCtrl::DrawImage(QPainter& p, const CGdiPlusBitmap* pImage, const QRectF& dest, const QRectF& src) {
    if (!pImage || !pImage->Image() || dest.isEmpty() || src.isEmpty()) return;
    p.drawImage(dest, *pImage->Image(), src);
}

void CSkinCtrl::DrawImage(QPainter& p, const CGdiPlusBitmap* pImage, const QRectF& dest) {
    if (!pImage) return;
    DrawImage(p, pImage, dest, QRectF(0, 0, pImage->GetWidth(), pImage->GetHeight()));
}

int FilmStripFrame(int nFrames, int nRange, int nPos) {
    if (nFrames <= 0) return -1;
    if (nPos == 0 || nRange == 0) return 0;
    const double f = std::trunc(double(nFrames) / nRange * nPos);
    return int(std::clamp(f, 0.0, double(nFrames - 1)));
}

bool SliderKeyPos(int nQtKey, int nPos, int nPageStep, int nMin, int nMax, int* pNewPos) {
    long long n = nPos;
    switch (nQtKey) {
    case Qt::Key_PageUp:
        n += nPageStep;
        break;
    case Qt::Key_PageDown:
        n -= nPageStep;
        break;
    case Qt::Key_End:
        n = nMin;
        break;
    case Qt::Key_Home:
        n = nMax;
        break;
    case Qt::Key_Left:
        n += 1;
        break;
    case Qt::Key_Up:
        n -= 1;
        break;
    case Qt::Key_Right:
        n -= 1;
        break;
    case Qt::Key_Down:
        n += 1;
        break;
    default:
        return false;
    }
    *pNewPos = ClampToRange(n, nMin, nMax);
    return true;
}

int ClampToRange(long long v, int a, int b) {
    return int(std::clamp<long long>(v, std::min(a, b), std::max(a, b)));
}

int TruncToInt(double f) {
    if (std::isnan(f)) return 0;
    return int(std::clamp(std::trunc(f), -1e9, 1e9));
}

int StripFrames(const CGdiPlusBitmap& image, float h) {
    const int nH = TruncToInt(h);
    return nH > 0 ? image.GetHeight() / nH : 0;
}
