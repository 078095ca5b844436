// Rotary knob drawn from two film strips (a ring and the knob). A press leaves it where it is; a drag
// turns it from there, up or right turning up and down or left turning down, one step per half a
// pixel-per-step (the whole range over half the control's diagonal).
#pragma once

#include "dragctrl.h"

class CGdiRotary : public CDragCtrl {
public:
    explicit CGdiRotary(QWidget* pParent = nullptr);

    // Knob film strip drawn into (x, y, w, h); frames = image height / h.
    bool SetIconImage(int nId, const char* pszType, float x, float y, float w, float h);
    // Ring film strip drawn into (x, y, w, h); frames = image height / h.
    bool SetIconBGImage(int nId, const char* pszType, float x, float y, float w, float h);

    void SetRange(int nMin, int nMax);
    void SetPos(int nValue);
    int GetPos() const { return m_nPos; }
    int GetRangeMin() const { return m_nMin; }
    int GetRangeMax() const { return m_nMax; }
    double GetPixelPerStep() const { return m_fPixelPerStep; }

    // The position the pointer at (x, y) gives, measured from the press.
    void UpdatePosition(int x, int y);

    // The form's position, unless the user is turning the knob.
    void ApplyState(const SControlState& state) override;

protected:
    void paintEvent(QPaintEvent*) override;
    void DragBegins(const QPoint&) override;
    void DragTo(const QPoint& pt) override;
    void DragEnds() override;
    int StoredPos() const override { return m_nPos; }

private:
    void ComputePixelPerStep();

    QRectF m_rcKnob;
    QRectF m_rcRing;
    int m_nMax = 100, m_nMin = 0, m_nPos = 0, m_nRange = 100;
    float m_fStep = 3.6f;
    double m_fPixelPerStep = 0;
    int m_nRingFrames = 0, m_nKnobFrames = 0;
    Slot m_pRing, m_pKnob;
};
