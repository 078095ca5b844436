#include "gdirotary.h"

#include <QPainter>
#include <algorithm>
#include <climits>
#include <cmath>

#include "comm/trace.h"

CGdiRotary::CGdiRotary(QWidget* pParent) : CDragCtrl(pParent) {
    setFocusPolicy(Qt::StrongFocus);
}

bool CGdiRotary::SetIconImage(int nId, const char* pszType, float x, float y, float w, float h) {
    m_rcKnob = QRectF(x, y, w, h);
    m_nKnobFrames = 0;
    if (!LoadSlot(m_pKnob, nId, pszType, "!!!!!!!ERROR SetIconImage \r\n")) return false;
    m_nKnobFrames = StripFrames(*m_pKnob, h);
    return true;
}

bool CGdiRotary::SetIconBGImage(int nId, const char* pszType, float x, float y, float w, float h) {
    m_rcRing = QRectF(x, y, w, h);
    m_nRingFrames = 0;
    if (!LoadSlot(m_pRing, nId, pszType, "!!!!!!!ERROR SetIconBGImage \r\n")) return false;
    m_nRingFrames = StripFrames(*m_pRing, h);
    return true;
}

void CGdiRotary::SetRange(int nMin, int nMax) {
    m_nMin = nMin;
    m_nMax = nMax;
    const long long nSpan = static_cast<long long>(nMax) - nMin;
    m_nRange = int(std::clamp<long long>(nSpan, INT_MIN, INT_MAX));
    m_fStep = nSpan != 0 ? float(360.0 / double(nSpan)) : 0.0f;
}

void CGdiRotary::SetPos(int nValue) {
    m_nPos = ClampToRange(nValue, m_nMin, m_nMax);
    update();
}

void CGdiRotary::ComputePixelPerStep() {
    const int W = width(), H = height();
    if (m_fPixelPerStep == 0 && W > 0 && H > 0 && m_nRange > 0)
        m_fPixelPerStep = std::sqrt(double(W) * W + double(H) * H) / m_nRange;
}

void CGdiRotary::UpdatePosition(int x, int y) {
    if (m_fStep == 0 || m_nRange == 0) {
        TRACE("\r\n UpdatePosition m_fStep[%d]m_nRange[%d]", int(m_fStep), m_nRange);
        return;
    }
    ComputePixelPerStep();
    if (m_fPixelPerStep <= 0) return; // no size yet: nothing to measure against
    // Right and up count positive, left and down negative, each axis at the same rate.
    const double fPixels = double(x - PressPoint().x()) + double(PressPoint().y() - y);
    SetPos(DraggedPos(fPixels, m_fPixelPerStep / 2, m_nMin, m_nMax));
}

void CGdiRotary::paintEvent(QPaintEvent*) {
    ComputePixelPerStep();
    QPainter p(this);
    const int nSpan = m_nMax - m_nMin;
    const int nPos = m_nPos - m_nMin;
    // A strip that is not loaded is skipped; a loaded one without frames ends the paint.
    if (m_pRing) {
        const int nRing = FilmStripFrame(m_nRingFrames, nSpan, nPos);
        if (nRing < 0) return;
        const double rh = m_rcRing.height(), rw = m_rcRing.width();
        DrawImage(p, m_pRing.get(), m_rcRing, QRectF(0, nRing * rh, rw, rh));
    }
    if (!m_pKnob) return;
    const int nKnob = FilmStripFrame(m_nKnobFrames, nSpan, nPos);
    if (nKnob < 0) return;
    const double kh = m_rcKnob.height(), kw = m_rcKnob.width();
    DrawImage(p, m_pKnob.get(), m_rcKnob, QRectF(0, nKnob * kh, kw, kh));
}

void CGdiRotary::ApplyState(const SControlState& state) {
    if (!IsDragging() && GetPos() != state.nPos) SetPos(state.nPos);
}

void CGdiRotary::DragBegins(const QPoint&) {
    TRACE("\r\n OnLButtonDown");
}

void CGdiRotary::DragTo(const QPoint& pt) {
    const int nBefore = m_nPos;
    UpdatePosition(pt.x(), pt.y());
    if (m_nPos != nBefore) Post(WM_GDI_CTRL_MOVE, m_nPos);
}

void CGdiRotary::DragEnds() {
    TRACE("\r\n OnLButtonUp");
}
