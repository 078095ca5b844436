#include "gdislider.h"

#include <QKeyEvent>
#include <QPainter>
#include <cmath>
#include <cstdlib>

#include "comm/trace.h"

CGdiSlider::CGdiSlider(QWidget* pParent) : CDragCtrl(pParent) {
    setFocusPolicy(Qt::StrongFocus);
}

bool CGdiSlider::SetIconImage(int nId, const char* pszType, float x, float y, float w, float h) {
    m_rcThumb = QRectF(x, y, w, h);
    m_nFrames = 0;
    if (!LoadSlot(m_pThumb, nId, pszType, "!!!!!!!ERROR SetIconImage \r\n")) return false;
    m_nFrames = StripFrames(*m_pThumb, h);
    return true;
}

bool CGdiSlider::SetIconBGImage(int nId, const char* pszType, float x, float y, float w, float h) {
    m_rcBack = QRectF(x, y, w, h);
    if (!LoadSlot(m_pBack, nId, pszType, "!!!!!!!ERROR SetIconBGImage \r\n")) return false;
    m_rcBackSrc = QRectF(0, 0, m_pBack->GetWidth(), m_pBack->GetHeight());
    return true;
}

bool CGdiSlider::SetIconFill(int nId, const char* pszType, float x, float y) {
    m_ptFill = QPointF(x, y);
    if (!LoadSlot(m_pFill, nId, pszType, "!!!!!!!ERROR SetIconBGImage \r\n")) return false;
    m_szFill = QSizeF(m_pFill->GetWidth(), m_pFill->GetHeight());
    return true;
}

void CGdiSlider::SetRange(int nMin, int nMax, bool bRedraw) {
    m_nMin = nMin;
    m_nMax = nMax;
    m_nRange = int(std::llabs(static_cast<long long>(nMax) - nMin));
    if (bRedraw) update();
}

void CGdiSlider::SetPos(int nValue) {
    long long p = static_cast<long long>(nValue) - m_nMin;
    if (m_bInverted) p = m_nMax - p;
    m_nPos = ClampToRange(p, m_nMin, m_nMax);
    update();
}

int CGdiSlider::GetPos() const {
    return ReportedValue();
}

int CGdiSlider::PosToPixel(int nPos) const {
    const double fSpan = double(m_nMax) - m_nMin;
    const double fRatio = fSpan != 0 ? (double(nPos) - m_nMin) / fSpan : 0.0;
    const double w = m_rcThumb.width(), h = m_rcThumb.height();
    if (m_bVertical) return TruncToInt(h / 2 + (Height() - h) * fRatio);
    return TruncToInt(std::trunc((Width() - w / 2) * fRatio) + w);
}

int CGdiSlider::PixelToPos(double q) const {
    const double t = m_bVertical ? m_rcThumb.height() : m_rcThumb.width();
    const double fTrack = (m_bVertical ? Height() : Width()) - t;
    if (fTrack == 0) return m_nMin;
    return TruncToInt(m_nMin + (q - t / 2) / fTrack * (double(m_nMax) - m_nMin));
}

void CGdiSlider::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    DrawImage(p, m_pBack.get(), m_rcBack, m_rcBackSrc);

    const int nFrame = FilmStripFrame(m_nFrames, m_nRange, m_nPos);
    if (nFrame < 0) return;
    const double x0 = m_rcThumb.x(), y0 = m_rcThumb.y(), w = m_rcThumb.width(), h = m_rcThumb.height();
    const double fSpan = double(m_nMax) - m_nMin;
    if (m_bVertical) {
        const QRectF dest(x0, PosToPixel(m_nPos) - h / 2, w, h);
        DrawImage(p, m_pThumb.get(), dest, QRectF(0, nFrame * h, w, h));
        return;
    }
    if (m_pFill && m_nMax != 0) {
        double fWidth = m_szFill.width() / m_nMax * m_nPos - w / 3;
        if (fWidth >= m_szFill.width()) fWidth = m_szFill.width() - w / 3;
        const int nWidth = TruncToInt(fWidth), nHeight = TruncToInt(m_szFill.height());
        if (nWidth > 0 && nHeight > 0)
            p.drawImage(QPoint(TruncToInt(m_ptFill.x()), TruncToInt(m_ptFill.y())), *m_pFill->Image(),
                        QRect(0, 0, nWidth, nHeight));
    }
    double x = fSpan != 0 ? Width() * ((double(m_nPos) - m_nMin) / fSpan) - w : -w;
    if (x < 0) x = 0;
    DrawImage(p, m_pThumb.get(), QRectF(x, y0, w, h), QRectF(nFrame * w, 0, w, h));
}

void CGdiSlider::ApplyState(const SControlState& state) {
    // Compared as values: an inverted slider stores the mirror of its value.
    if (!IsDragging() && GetPos() != state.nPos) SetPos(state.nPos);
}

bool CGdiSlider::DragCancelledAt(const QPoint& pt) const {
    return pt.x() > Width() + DRAG_CANCEL_DISTANCE || pt.x() < -DRAG_CANCEL_DISTANCE ||
           pt.y() > Height() + DRAG_CANCEL_DISTANCE || pt.y() < -DRAG_CANCEL_DISTANCE;
}

void CGdiSlider::DragTo(const QPoint& pt) {
    const int W = Width(), H = Height();
    const double x0 = m_rcThumb.x(), y0 = m_rcThumb.y(), w = m_rcThumb.width(), h = m_rcThumb.height();
    double q = (m_bVertical ? pt.y() : pt.x()) - m_nDragOffset;
    if (m_bVertical) {
        q = std::min(q, H - y0 - h / 3);
        q = std::max(q, y0 + h / 2);
    } else {
        q = std::max(q, x0 + w / 2);
        q = std::min(q, W - x0 - w / 2);
    }
    if (PosToPixel(m_nPos) == q) return;
    m_nPos = ClampToRange(PixelToPos(q), m_nMin, m_nMax);
    update();
    Post(WM_GDI_CTRL_MOVE, ReportedValue());
}

void CGdiSlider::keyPressEvent(QKeyEvent* pEvent) {
    int nNew = 0;
    if (!SliderKeyPos(pEvent->key(), m_nPos, m_nPageStep, m_nMin, m_nMax, &nNew))
        return CDragCtrl::keyPressEvent(pEvent);
    m_nPos = nNew;
    update();
    Post(WM_GDI_CTRL_MOVE, ReportedValue());
}
