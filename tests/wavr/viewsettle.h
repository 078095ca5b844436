// Waiting for the window in tests.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>

#include "wavr/wavrview.h"

// Runs the event loop until the last gesture's deferred work is done: the view's one-shot timers
// have fired and what they posted is handled. Waits on the timers themselves rather than a fixed
// time, so a busy machine only makes it slower.
inline void SettleView(CWAVRView& view) {
    QCoreApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    while (!view.IsSettled() && timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCoreApplication::processEvents();
}
