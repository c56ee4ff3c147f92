// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/support/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace {
// C++ division already rounds toward zero, as the placement rule wants even
// when the window is larger than its owner.
int Half(int v) {
    return v / 2;
}

QRect VirtualDesktop() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->virtualGeometry() : QRect();
}
} // namespace

QPoint CentredOverPosition(const QRect& owner, const QSize& size, const QRect& desktop) {
    const int left = owner.left() + Half(owner.width() - size.width());
    const int top = owner.top() + Half(owner.height() - size.height());
    return {std::max(left, desktop.left()), std::max(top, desktop.top())};
}

QPoint CentredOnScreenPosition(const QSize& screen, const QSize& size, const QRect& desktop) {
    const int left = Half(screen.width() - size.width());
    const int top = Half(screen.height() - size.height());
    return {std::max(left, desktop.left()), std::max(top, desktop.top())};
}

void PlaceCentredOver(QWidget* window, const QWidget* owner) {
    window->move(CentredOverPosition(owner->frameGeometry(), window->frameGeometry().size(),
                                     VirtualDesktop()));
}

void PlaceCentredOnScreen(QWidget* window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    window->move(CentredOnScreenPosition(screen->geometry().size(), window->frameGeometry().size(),
                                         VirtualDesktop()));
}

void ShowCentredOver(QWidget* window, const QWidget* owner) {
    if (window->isVisible()) {
        window->raise();
        window->activateWindow();
    } else {
        window->show();
        window->activateWindow();
    }
    PlaceCentredOver(window, owner);
}
