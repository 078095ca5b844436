// The auto-repeat timer of a held skin button. The button sets it with a period and kills it; once
// set it fires every period until killed or set again. CQtButtonTimer runs on the Qt event loop;
// tests put their own clock behind the same interface.
#pragma once

#include <QTimer>
#include <functional>

class CButtonTimer {
public:
    virtual ~CButtonTimer() = default;
    virtual void Set(int nMs) = 0;
    virtual void Kill() = 0;
    virtual bool IsSet() const = 0;

    // Called on every tick; set by the button that owns the timer.
    std::function<void()> m_fnTick;
};

class CQtButtonTimer : public CButtonTimer {
public:
    CQtButtonTimer();
    void Set(int nMs) override;
    void Kill() override { m_Timer.stop(); }
    bool IsSet() const override { return m_Timer.isActive(); }

private:
    QTimer m_Timer;
};
