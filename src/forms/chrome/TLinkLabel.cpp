// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/chrome/TLinkLabel.h"

#include "forms/support/ProgramFonts.h"

#include <QMouseEvent>

TLinkLabel::TLinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    QFont f = TahomaCharHeight(11);
    f.setUnderline(true);
    setFont(f);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, Qt::blue);
    setPalette(pal);
    setAutoFillBackground(false);
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(text);
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit Clicked();
    QLabel::mouseReleaseEvent(event);
}
