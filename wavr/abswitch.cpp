#include "abswitch.h"

#include <QCoreApplication>

#include "comm/ctrlmessages.h"
#include "editor/controlids.h"
#include "guilib/notify.h"
#include "guilib/skinbutton.h"
#include "skin/skinids.h"
#include "skin/skinlayout.h"

CAbSwitch::CAbSwitch(QWidget* pParent, std::function<void()> pfnSwitch)
    : QWidget(pParent), m_pfnSwitch(std::move(pfnSwitch)) {
    for (int i = 0; i < 2; ++i) {
        auto* p = new CSkinButton(this);
        p->SetDlgCtrlID(1 + i);
        const int nFirst = SkinId::ButtonLook(SkinId::AB_FIRST, i, 0);
        p->SetIcons(nFirst, "PNG", nFirst + 1, "PNG", nFirst + 2, "PNG", nFirst + 3, "PNG");
        p->setGeometry(i * (SkinId::AB_W + 2), 0, SkinId::AB_W, SkinId::AB_H);
        p->setToolTip(
            QCoreApplication::translate("CAbSwitch", "A/B comparison (F8 switches, Edit menu copies)"));
        m_pSide[i] = p;
    }
    setGeometry(SkinLayout::AB_SWITCH.x, SkinLayout::AB_SWITCH.y, 2 * SkinId::AB_W + 2, SkinId::AB_H);
    Show(0);
}

void CAbSwitch::Show(int nLive) {
    m_nLive = nLive;
    // Called on every sync of the view: only a side whose light changes is repainted.
    for (int i = 0; i < 2; ++i) {
        if ((m_pSide[i]->GetToggle() != 0) == (i == nLive)) continue;
        m_pSide[i]->SetToggle(i == nLive);
        m_pSide[i]->update();
    }
}

bool CAbSwitch::event(QEvent* pEvent) {
    if (pEvent->type() == CCtrlNotifyEvent::EventType()) {
        auto* p = static_cast<CCtrlNotifyEvent*>(pEvent);
        // Help mode explains the sides: the view hears of the pointer under its own IDs for them.
        if (p->Message() == WM_CTRL_HOVER)
            PostCtrlNotify(this, WM_CTRL_HOVER, p->Value() ? ctl::AB_SIDE_HELP.at(p->CtrlId() - 1) : 0,
                           p->Value());
        if (p->Message() == WM_SKIN_BTN_UP) {
            m_pSide[p->CtrlId() - 1]->TakeClickToggle();
            if (p->CtrlId() - 1 != m_nLive && m_pfnSwitch) m_pfnSwitch();
            Show(m_nLive); // the core's answer comes through Show; until then the live side stays lit
        }
        return true;
    }
    return QWidget::event(pEvent);
}
