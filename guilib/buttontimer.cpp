#include "buttontimer.h"

CQtButtonTimer::CQtButtonTimer() {
    m_Timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_Timer, &QTimer::timeout, [this] {
        if (m_fnTick) m_fnTick();
    });
}

void CQtButtonTimer::Set(int nMs) {
    m_Timer.start(nMs);
}
