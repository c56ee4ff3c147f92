// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/chrome/TFlatButton.h"

#include "forms/support/ProgramFonts.h"
#include "forms/support/SystemColors.h"

#include <QFontMetrics>
#include <QPainter>

TFlatButton::TFlatButton(const QString& caption, QWidget* parent)
    : QAbstractButton(parent), Color(SystemColors::Highlight()),
      ColorFocused(SystemColors::Highlight()), ColorDown(SystemColors::HotLight()),
      ColorBorder(SystemColors::Highlight()), ColorShadow(Qt::white),
      FontColor(SystemColors::Window()) {
    setText(caption);
    setFont(TahomaCharHeight(11));
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::ArrowCursor);
    QString plain = caption;
    setAccessibleName(plain.remove(QLatin1Char('&')));
}

QSize TFlatButton::sizeHint() const {
    const QFontMetrics fm(font());
    return {fm.horizontalAdvance(text()) + 16, fm.height() + 10};
}

void TFlatButton::enterEvent(QEnterEvent* event) {
    update();
    QAbstractButton::enterEvent(event);
}

void TFlatButton::leaveEvent(QEvent* event) {
    update();
    QAbstractButton::leaveEvent(event);
}

void TFlatButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect();
    QColor face = Color;
    if (isDown())
        face = ColorDown;
    else if (hasFocus() || underMouse())
        face = ColorFocused;
    p.fillRect(r, face);
    p.setPen(ColorBorder);
    p.drawRect(r.adjusted(0, 0, -1, -1));
    // A pressed button shows its shadow inside the top and left border.
    if (isDown()) {
        p.setPen(ColorShadow);
        p.drawLine(1, 1, r.width() - 2, 1);
        p.drawLine(1, 1, 1, r.height() - 2);
    }
    p.setPen(FontColor);
    p.setFont(font());
    const QRect textRect = isDown() ? r.translated(1, 1) : r;
    p.drawText(textRect, Qt::AlignCenter | Qt::TextShowMnemonic, text());
    if (hasFocus()) {
        p.setPen(QPen(FontColor, 1, Qt::DotLine));
        p.drawRect(r.adjusted(3, 3, -4, -4));
    }
}
