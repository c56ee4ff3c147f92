// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/chrome/TSpeedButton.h"

#include <QPainter>

TSpeedButton::TSpeedButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
}

void TSpeedButton::enterEvent(QEnterEvent* event) {
    update();
    QAbstractButton::enterEvent(event);
}

void TSpeedButton::leaveEvent(QEvent* event) {
    update();
    QAbstractButton::leaveEvent(event);
}

void TSpeedButton::paintEvent(QPaintEvent*) {
    if (!isDown() && !underMouse())
        return;
    QPainter p(this);
    const QRect r = rect().adjusted(0, 0, -1, -1);
    const QColor light(200, 200, 200), dark(90, 90, 90);
    p.setPen(isDown() ? dark : light);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(isDown() ? light : dark);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
}
