// Skin buttons: a picture button that reports press, auto-repeat while held, and release, and keeps
// a toggle state. CSkinButton is the push button that flips its toggle on release when it has all
// four pictures; CSkinButton2 is the select button with four states of on/off pictures, which
// flips on every release.
#pragma once

#include <deque>

#include <QString>
#include <array>
#include <memory>

#include "buttontimer.h"
#include "skinctrl.h"

class CSkinButtonBase : public CSkinCtrl {
public:
    static constexpr int TIMER_ID_REPEAT = 1;
    static constexpr int REPEAT_FIRST_MS = 300;
    static constexpr int REPEAT_NEXT_MS = 50;
    static constexpr std::size_t kMaxQueuedClicks = 16;

    explicit CSkinButtonBase(QWidget* pParent = nullptr);
    ~CSkinButtonBase() override;

    void SetToggle(bool b) { m_bToggleOn = b ? 1 : 0; }
    int GetToggle() const { return m_bToggleOn; }
    // The toggle state a click left, oldest first; the parent takes one per release notification
    // (the state may be set again before the notification arrives). Without one, the current state.
    int TakeClickToggle();
    void SetText(const char* pszText) {
        if (pszText) m_strText = QString::fromUtf8(pszText);
    }
    const QString& GetText() const { return m_strText; }
    int IsPressed() const { return m_bPressed; }

    // Replaces the repeat timer (the default runs on the Qt event loop).
    void SetRepeatTimer(std::unique_ptr<CButtonTimer> pTimer);
    CButtonTimer& RepeatTimer() { return *m_pTimer; }

    // The form's toggle.
    void ApplyState(const SControlState& state) override;

    // The window is going away: no repeat timer from now on.
    void OnDestroy();
    void OnTimer(int nId);

protected:
    // The picture for the current pressed and toggle state; null draws nothing.
    virtual const CGdiPlusBitmap* CurrentImage() const = 0;
    virtual bool FlipsOnRelease() const = 0;
    virtual void BeforeSetTimer() {}

    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;
    void focusOutEvent(QFocusEvent* pEvent) override;

    int m_bToggleOn = 0;
    std::deque<int> m_ClickToggles;
    QString m_strText;
    int m_bDestroying = 0;
    int m_bPressed = 0;

private:
    std::unique_ptr<CButtonTimer> m_pTimer;
};

class CSkinButton : public CSkinButtonBase {
public:
    using CSkinButtonBase::CSkinButtonBase;

    // Normal, pressed, toggled, toggled and pressed. Stops at the first picture that fails and
    // returns false; the toggle works only when all four loaded.
    bool SetIcons(int nNormal, const char* pszNormalType, int nPress, const char* pszPressType, int nToggle,
                  const char* pszToggleType, int nTogglePress, const char* pszTogglePressType);
    int IsToggleEnabled() const { return m_bToggleEnable; }

protected:
    const CGdiPlusBitmap* CurrentImage() const override;
    bool FlipsOnRelease() const override { return m_bToggleEnable != 0; }

private:
    int m_bToggleEnable = 0;
    Slot m_pIconPress, m_pIconNormal, m_pIconTogglePress, m_pIconToggleNormal;
};

class CSkinButton2 : public CSkinButtonBase {
public:
    static constexpr int STATES = 4;

    using CSkinButtonBase::CSkinButtonBase;

    // (on, off) for state 0, then states 1, 2, 3. Loads every picture it can and returns true.
    bool SetIcons(const std::array<int, 8>& ids, const char* pszType = "PNG");
    bool SetState(int nState);
    int GetState() const { return m_nState; }
    // The form's image state and toggle.
    void ApplyState(const SControlState& state) override;

protected:
    const CGdiPlusBitmap* CurrentImage() const override;
    bool FlipsOnRelease() const override { return true; }
    void BeforeSetTimer() override;

private:
    int m_nState = 0;
    Slot m_pIconOn[STATES], m_pIconOff[STATES];
};
