// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/chrome/TImage.h"

#include <QMouseEvent>
#include <QPainter>
#include <QSvgRenderer>

TImage::TImage(const QString& svgResource, QWidget* parent)
    : QWidget(parent), picture_(svgResource), renderer_(new QSvgRenderer(svgResource, this)) {}

bool TImage::HasPicture() const {
    return renderer_->isValid();
}

void TImage::paintEvent(QPaintEvent*) {
    if (!renderer_->isValid())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    renderer_->render(&p, QRectF(rect()));
}

void TImage::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        pressed_ = true;
    event->accept();
}

void TImage::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (click)
        emit Clicked();
}
