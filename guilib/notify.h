// Notifications of the skinned controls to their parent: (message, control ID, value), posted as
// Qt events so that the parent handles them after the control's own handler has returned, in order.
#pragma once

#include <QEvent>

#include "comm/ctrlmessages.h"

class QWidget;

class CCtrlNotifyEvent : public QEvent {
public:
    CCtrlNotifyEvent(unsigned nMessage, int nCtrlId, int nValue);

    // The registered event type of every control notification.
    static QEvent::Type EventType();

    unsigned Message() const { return m_nMessage; }
    int CtrlId() const { return m_nCtrlId; }
    int Value() const { return m_nValue; }

private:
    unsigned m_nMessage;
    int m_nCtrlId;
    int m_nValue;
};

// Posts (message, ID, value) to the parent of pSender; a control without a parent posts nothing.
void PostCtrlNotify(QWidget* pSender, unsigned nMessage, int nCtrlId, int nValue);
