// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/chrome/PaintNow.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <QWidget>
#include <QWindow>

void PaintNow(QWidget* window) {
    if (!window->isVisible())
        return;
    // The window manager maps a new window in its own time; a second is
    // plenty on any desktop, and the command goes on regardless.
    const QDeadlineTimer deadline(1000);
    // Cleared at once when the window is hidden, set when the window
    // system has it on the screen again (the window handle's own exposed
    // state lags behind a hide until its events are processed).
    const auto mapped = [window] { return window->testAttribute(Qt::WA_Mapped); };
    while (!mapped() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        if (!mapped())
            QThread::msleep(5);
    }
    window->repaint();
    // Hands the painted image and the cursor change to the window system.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
