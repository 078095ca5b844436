// Linear slider with a film-strip thumb, an optional track picture and, when horizontal, a level
// fill. Keeps an integer position; vertical sliders are usually inverted (top = maximum).
#pragma once

#include "dragctrl.h"

class CGdiSlider : public CDragCtrl {
public:
    explicit CGdiSlider(QWidget* pParent = nullptr);

    // Thumb film strip; one frame is w x h at (x, y). Frames = image height / h.
    bool SetIconImage(int nId, const char* pszType, float x, float y, float w, float h);
    // Track picture drawn scaled into (x, y, w, h).
    bool SetIconBGImage(int nId, const char* pszType, float x, float y, float w, float h);
    // Level fill at (x, y), horizontal sliders only.
    bool SetIconFill(int nId, const char* pszType, float x, float y);

    void SetRange(int nMin, int nMax, bool bRedraw = false);
    void SetPos(int nValue);
    int GetPos() const;
    int GetRangeMin() const { return m_nMin; }
    int GetRangeMax() const { return m_nMax; }
    void SetPageStep(int n) { m_nPageStep = n; }
    void SetVertical(bool b) { m_bVertical = b ? 1 : 0; }
    void SetInverted(bool b) { m_bInverted = b ? 1 : 0; }

    // The stored position (inverted when the slider is).
    int GetStoredPos() const { return m_nPos; }
    int GetFrames() const { return m_nFrames; }

    // The form's position, unless the user is dragging the thumb.
    void ApplyState(const SControlState& state) override;

    int PosToPixel(int nPos) const;
    int PixelToPos(double q) const;

    // Distance beyond the client rectangle at which a drag is abandoned.
    static constexpr int DRAG_CANCEL_DISTANCE = 100;

protected:
    void paintEvent(QPaintEvent*) override;
    void keyPressEvent(QKeyEvent* pEvent) override;
    void DragBegins(const QPoint&) override { m_nDragOffset = 0; }
    void DragTo(const QPoint& pt) override;
    bool DragCancelledAt(const QPoint& pt) const override;
    int StoredPos() const override { return m_nPos; }

private:
    int ReportedValue() const { return m_bInverted ? m_nMax + m_nMin - m_nPos : m_nPos + m_nMin; }
    int Width() const { return width(); }
    int Height() const { return height(); }

    int m_nFrames = 0;
    QRectF m_rcThumb;
    QRectF m_rcBack;
    Slot m_pBack, m_pFill, m_pThumb;
    QPointF m_ptFill;
    QSizeF m_szFill;
    QRectF m_rcBackSrc;
    int m_nRange = 100;
    int m_nMax = 100, m_nMin = 0, m_nPos = 0, m_nPageStep = 20;
    int m_bVertical = 0, m_bInverted = 0;
    int m_nDragOffset = 0;
};
