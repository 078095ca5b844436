#include "gdiactiveslider.h"

#include <QKeyEvent>
#include <QPainter>
#include <climits>
#include <cstdlib>

#include "comm/trace.h"

CGdiActiveSlider::CGdiActiveSlider(QWidget* pParent) : CDragCtrl(pParent) {
    setFocusPolicy(Qt::StrongFocus);
}

bool CGdiActiveSlider::LoadLooks(const std::array<int, 6>& ids, const char* pszType, int nFirstLook) {
    for (int i = 0; i < 6; ++i)
        LoadSlot(m_pIcons[nFirstLook + i % 2][i / 2], ids[i], pszType, "!!!!!!!ERROR SetIconNormal \r\n");
    return true;
}

bool CGdiActiveSlider::SetIconsInactive(const std::array<int, 6>& ids, const char* pszType) {
    LoadLooks(ids, pszType, 0);
    const auto& p = m_pIcons[0][0];
    m_szIcon = p ? QSizeF(p->GetWidth(), p->GetHeight()) : QSizeF();
    return true;
}

bool CGdiActiveSlider::SetIconsActive(const std::array<int, 6>& ids, const char* pszType) {
    return LoadLooks(ids, pszType, 2);
}

void CGdiActiveSlider::SetRange(int nMin, int nMax, bool bRedraw) {
    m_nMin = nMin;
    m_nMax = nMax;
    m_nRange = int(std::llabs(static_cast<long long>(nMax) - nMin));
    if (bRedraw) update();
}

void CGdiActiveSlider::SetPos(int nValue) {
    m_nPos = ClampToRange(static_cast<long long>(nValue) - m_nMin, m_nMin, m_nMax);
    update();
}

bool CGdiActiveSlider::SetState(int nState) {
    if (nState < 0 || nState >= STATES) {
        TRACE("!!!!!!!ERROR index[%d] \r\n", nState);
        return false;
    }
    m_nState = nState;
    if (const auto& p = m_pIcons[0][nState]) m_szIcon = QSizeF(p->GetWidth(), p->GetHeight());
    return true;
}

int CGdiActiveSlider::GetLook() const {
    if (m_bSelected) return m_bActive ? 2 : 0;
    return m_bActive ? 3 : 1;
}

int CGdiActiveSlider::PosToPixel(int nPos) const {
    const double fSpan = double(m_nMax) - m_nMin;
    if (fSpan == 0) return 0;
    const double t = m_bVertical ? m_szIcon.height() : m_szIcon.width();
    const double p = m_bInverted ? double(m_nMax) - nPos - m_nMin : double(nPos) - m_nMin;
    return TruncToInt(p / fSpan * (Span() - t));
}

int CGdiActiveSlider::PixelToPos(int q) const {
    const long long S = Span();
    if (S <= 0) return m_nMin;
    const long long n = static_cast<long long>(q) * (static_cast<long long>(m_nMax) - m_nMin) / S;
    return ClampToRange(m_bInverted ? m_nMax - n - m_nMin : n - m_nMin, INT_MIN, INT_MAX);
}

void CGdiActiveSlider::paintEvent(QPaintEvent*) {
    const auto& pImage = m_pIcons[GetLook()][m_nState];
    if (!pImage) return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QSizeF sz(pImage->GetWidth(), pImage->GetHeight());
    const double fAt = PosToPixel(m_nPos);
    const QPointF pt = m_bVertical ? QPointF(m_ptIconOffset.x(), fAt) : QPointF(fAt, m_ptIconOffset.y());
    DrawImage(p, pImage.get(), QRectF(pt, sz));
}

void CGdiActiveSlider::ApplyState(const SControlState& state) {
    if (!IsDragging() && GetPos() != state.nPos) SetPos(state.nPos);
    SetSelected(state.bToggle);
    SetActive(state.nState != 0);
    update();
}

void CGdiActiveSlider::DragTo(const QPoint& pt) {
    // The icon's own run is the span less its size: one step per run / range pixels, as painted.
    const double fRun = Span() - (m_bVertical ? m_szIcon.height() : m_szIcon.width());
    const QPoint press = PressPoint();
    const int nPixels = m_bVertical ? pt.y() - press.y() : pt.x() - press.x();
    const int nPos =
        DraggedPos(m_bInverted ? -nPixels : nPixels, m_nRange ? fRun / m_nRange : 0, m_nMin, m_nMax);
    if (nPos == m_nPos) return;
    m_nPos = nPos;
    update();
    Post(WM_GDI_CTRL_MOVE, m_nPos + m_nMin);
}

void CGdiActiveSlider::keyPressEvent(QKeyEvent* pEvent) {
    int nNew = 0;
    if (!SliderKeyPos(pEvent->key(), m_nPos, m_nPageStep, m_nMin, m_nMax, &nNew))
        return CDragCtrl::keyPressEvent(pEvent);
    m_nPos = nNew;
    update();
    Post(WM_GDI_CTRL_MOVE, m_nPos + m_nMin);
}

void CGdiActiveSlider::focusInEvent(QFocusEvent* pEvent) {
    CDragCtrl::focusInEvent(pEvent);
    m_bSelected = 1;
    update();
}
