// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/chrome/TFlatTitlebar.h"

#include "forms/support/ProgramFonts.h"
#include "forms/support/SystemColors.h"

#include <QApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

TFlatTitlebar::TFlatTitlebar(QWidget* parent)
    : QWidget(parent), titlebarColor_(SystemColors::DkShadow3D()), activeTextColor_(Qt::white),
      inactiveTextColor_(SystemColors::InactiveCaptionText()) {
    setFixedHeight(kHeight);
    setFont(TahomaCellHeight(18));
}

void TFlatTitlebar::SetCaption(const QString& caption) {
    caption_ = caption;
    setAccessibleName(caption);
    update();
}

void TFlatTitlebar::SetTitlebarColor(const QColor& c) {
    titlebarColor_ = c;
    update();
}

void TFlatTitlebar::SetActiveTextColor(const QColor& c) {
    activeTextColor_ = c;
    update();
}

void TFlatTitlebar::SetInactiveTextColor(const QColor& c) {
    inactiveTextColor_ = c;
    update();
}

QColor TFlatTitlebar::CurrentTextColor() const {
    return isActiveWindow() ? activeTextColor_ : inactiveTextColor_;
}

void TFlatTitlebar::AddRightControl(QWidget* control) {
    control->setParent(this);
    rightControls_.push_back(control);
    LayoutRightControls();
    control->show();
}

void TFlatTitlebar::LayoutRightControls() {
    int right = width();
    for (QWidget* w : rightControls_) {
        right -= w->width();
        w->setGeometry(right, 0, w->width(), kHeight);
    }
}

void TFlatTitlebar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), titlebarColor_);
    if (caption_.isEmpty())
        return;
    p.setFont(font());
    p.setPen(CurrentTextColor());
    p.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, caption_);
}

bool TFlatTitlebar::event(QEvent* event) {
    // ActivationChange reaches only the top-level window; these two are
    // passed on to every visible child, the strip included.
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::WindowDeactivate)
        update();
    return QWidget::event(event);
}

void TFlatTitlebar::resizeEvent(QResizeEvent* event) {
    LayoutRightControls();
    QWidget::resizeEvent(event);
}

void TFlatTitlebar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    // The move starts only once the pointer is on its way: a window manager
    // asked to move on the press itself can miss a quick click's release and
    // then carry the window along until the next click.
    pressed_ = true;
    pressGlobal_ = event->globalPosition().toPoint();
    pressWindowPos_ = window()->pos();
}

void TFlatTitlebar::mouseMoveEvent(QMouseEvent* event) {
    const QPoint global = event->globalPosition().toPoint();
    if (pressed_ &&
        (global - pressGlobal_).manhattanLength() >= QApplication::startDragDistance()) {
        pressed_ = false;
        // Let the window manager move the window where it can (Wayland only
        // allows that); elsewhere follow the pointer ourselves.
        QWindow* handle = window()->windowHandle();
        if (handle && handle->startSystemMove())
            return;
        dragging_ = true;
    }
    if (dragging_)
        window()->move(pressWindowPos_ + global - pressGlobal_);
}

void TFlatTitlebar::mouseReleaseEvent(QMouseEvent*) {
    pressed_ = false;
    dragging_ = false;
}

void TFlatTitlebar::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
}
