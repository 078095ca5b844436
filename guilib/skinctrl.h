// What every skinned control shares: its dialog ID, the notifications to the parent, hover
// tracking, the mouse capture from press to release, image slots loaded by ID, and showing its part
// of the form state.
//
// A control paints only its own pictures: it has no background fill and is not opaque, so the
// parent's skin shows through wherever a picture is transparent, and Qt's backing store buffers
// every paint.
#pragma once

#include <QWidget>
#include <memory>

#include "appliesstate.h"
#include "gdiplusbitmap.h"
#include "notify.h"

class QPainter;

class CSkinCtrl : public QWidget, public IAppliesState {
public:
    explicit CSkinCtrl(QWidget* pParent = nullptr);

    void SetDlgCtrlID(int nId) { m_nCtrlId = nId; }
    int GetDlgCtrlID() const { return m_nCtrlId; }

    // Hover reported (pointer inside since the last leave).
    int IsTracking() const { return m_bTracking; }
    // The keyboard focus came by Tab or Backtab (the control shows its focus frame).
    bool HasKeyboardFocus() const { return m_bKeyboardFocus; }

    // Shows the form state of this control; a control without such state ignores it.
    void ApplyState(const SControlState&) override {}

protected:
    using Slot = std::unique_ptr<CGdiPlusBitmapResource>;

    // Loads a fresh picture into the slot; on failure the slot is left empty and pszTrace is traced.
    static bool LoadSlot(Slot& slot, int nId, const char* pszType, const char* pszTrace);

    // Posts (message, our ID, value) to the parent.
    void Post(unsigned nMessage, int nValue);

    // Reports the hover the first time the pointer moves over the control.
    void TrackHover();

    // The mouse capture: a captured control gets the release wherever it happens; without the
    // capture only a release over the control reaches it.
    void SetCapture() { m_bCapture = true; }
    void ReleaseCapture() { m_bCapture = false; }
    bool HasCapture() const { return m_bCapture; }
    bool ReleaseReachesUs(const QPoint& pt) const { return m_bCapture || rect().contains(pt); }

    // Draws src of the picture into dest; an empty slot draws nothing.
    static void DrawImage(QPainter& p, const CGdiPlusBitmap* pImage, const QRectF& dest, const QRectF& src);
    static void DrawImage(QPainter& p, const CGdiPlusBitmap* pImage, const QRectF& dest);

    void leaveEvent(QEvent* pEvent) override;
    void focusInEvent(QFocusEvent* pEvent) override;
    void focusOutEvent(QFocusEvent* pEvent) override;

    // Every paint of a control that has the keyboard focus by Tab ends with a dotted frame, so a user
    // who walks the window with the keyboard sees where the keys go.
    bool event(QEvent* pEvent) override;

    int m_bTracking = 0;

private:
    int m_nCtrlId = 0;
    bool m_bCapture = false;
    bool m_bKeyboardFocus = false;
};

// Frame of a film strip for a position: 0 at position 0, else frames / range * position truncated,
// clamped to the last frame. -1 when the strip has no frames (nothing to draw).
int FilmStripFrame(int nFrames, int nRange, int nPos);

// Stored position after a stepping key of the linear sliders (Qt key codes); false for other keys.
// The result is clamped to [nMin, nMax].
bool SliderKeyPos(int nQtKey, int nPos, int nPageStep, int nMin, int nMax, int* pNewPos);

// Clamps to the range between a and b, whichever order they come in.
int ClampToRange(long long v, int a, int b);
// Truncates toward zero into an int, saturating far outside the int range; NaN gives 0.
int TruncToInt(double f);
// Frames of a vertical film strip whose frames are h pixels high (integer division; 0 when h < 1).
int StripFrames(const CGdiPlusBitmap& image, float h);
