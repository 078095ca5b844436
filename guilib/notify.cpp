#include "notify.h"

#include <QCoreApplication>
#include <QWidget>

CCtrlNotifyEvent::CCtrlNotifyEvent(unsigned nMessage, int nCtrlId, int nValue)
    : QEvent(EventType()), m_nMessage(nMessage), m_nCtrlId(nCtrlId), m_nValue(nValue) {}

QEvent::Type CCtrlNotifyEvent::EventType() {
    static const QEvent::Type s_Type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return s_Type;
}

void PostCtrlNotify(QWidget* pSender, unsigned nMessage, int nCtrlId, int nValue) {
    QWidget* pParent = pSender ? pSender->parentWidget() : nullptr;
    if (!pParent) return;
    QCoreApplication::postEvent(pParent, new CCtrlNotifyEvent(nMessage, nCtrlId, nValue));
}
