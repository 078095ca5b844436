// A draggable icon (the speaker icons on the car picture). Three states (icon sizes) by four looks:
// 0 selected, 1 normal, 2 selected and active, 3 active and not selected. The icon is grabbed where
// it is pressed: a click leaves it in place, a drag moves it by as many pixels as the pointer moved.
#pragma once

#include <array>

#include "dragctrl.h"

class CGdiActiveSlider : public CDragCtrl {
public:
    static constexpr int STATES = 3;
    static constexpr int LOOKS = 4;

    explicit CGdiActiveSlider(QWidget* pParent = nullptr);

    // Looks 0 and 1 in the order (look 0 state 0, look 1 state 0, look 0 state 1, look 1 state 1,
    // look 0 state 2, look 1 state 2); the icon size becomes that of look 0 state 0. Loads every
    // image it can and returns true.
    bool SetIconsInactive(const std::array<int, 6>& ids, const char* pszType = "PNG");
    // Looks 2 and 3 in the same order.
    bool SetIconsActive(const std::array<int, 6>& ids, const char* pszType = "PNG");

    void SetRange(int nMin, int nMax, bool bRedraw = false);
    void SetPos(int nValue);
    int GetPos() const { return m_nPos; }
    bool SetState(int nState);
    int GetState() const { return m_nState; }
    void SetSelected(bool b) { m_bSelected = b ? 1 : 0; }
    void SetActive(bool b) { m_bActive = b ? 1 : 0; }
    void SetVertical(bool b) { m_bVertical = b ? 1 : 0; }
    void SetInverted(bool b) { m_bInverted = b ? 1 : 0; }
    void SetPageStep(int n) { m_nPageStep = n; }
    int IsSelected() const { return m_bSelected; }
    int IsActive() const { return m_bActive; }
    QSizeF GetIconSize() const { return m_szIcon; }
    // The look painted for the current flags.
    int GetLook() const;

    // Position (unless the user is dragging the icon), selection and activity from the form.
    void ApplyState(const SControlState& state) override;

    int PosToPixel(int nPos) const;
    int PixelToPos(int q) const;

protected:
    void paintEvent(QPaintEvent*) override;
    void keyPressEvent(QKeyEvent* pEvent) override;
    void focusInEvent(QFocusEvent* pEvent) override;
    void DragTo(const QPoint& pt) override;
    int StoredPos() const override { return m_nPos; }

private:
    bool LoadLooks(const std::array<int, 6>& ids, const char* pszType, int nFirstLook);
    int Span() const { return m_bVertical ? height() : width(); }

    int m_bSelected = 0, m_bActive = 0, m_bVertical = 0, m_bInverted = 0;
    int m_nRange = 0;
    QPointF m_ptIconOffset;
    QSizeF m_szIcon;
    int m_nState = 0;
    Slot m_pIcons[LOOKS][STATES];
    int m_nMax = 100, m_nMin = 0, m_nPos = 0, m_nPageStep = 20;
};
