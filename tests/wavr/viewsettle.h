// Waiting for the window in tests.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWindow>

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

// What the screen shows of a widget now: its window's backing store as last painted, where a grab()
// would paint the widget afresh and hide a repaint that never came.
inline QImage OnScreen(QWidget& widget) {
    QWidget* pTop = widget.window();
    const QPoint at = widget.mapTo(pTop, QPoint(0, 0));
    QScreen* pScreen = pTop->windowHandle() ? pTop->windowHandle()->screen() : nullptr;
    if (!pScreen) return {};
    return pScreen->grabWindow(pTop->winId(), at.x(), at.y(), widget.width(), widget.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}
