// The A/B comparison's switch in the window's header: two skinned buttons, the live side lit. A click
// on the side that is not live asks for the switch; the core decides and the view shows its answer.
#pragma once

#include <QWidget>
#include <functional>

class CSkinButton;

class CAbSwitch : public QWidget {
public:
    CAbSwitch(QWidget* pParent, std::function<void()> pfnSwitch);

    // Lights the live side (0: A, 1: B).
    void Show(int nLive);
    CSkinButton* Side(int nSide) const { return m_pSide[nSide]; }

protected:
    bool event(QEvent* pEvent) override;

private:
    std::function<void()> m_pfnSwitch;
    CSkinButton* m_pSide[2] = {};
    int m_nLive = 0;
};
