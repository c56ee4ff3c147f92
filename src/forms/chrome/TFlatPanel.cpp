// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/chrome/TFlatPanel.h"

#include "forms/support/SystemColors.h"

#include <QPainter>

TFlatPanel::TFlatPanel(QWidget* parent)
    : QWidget(parent), face_(SystemColors::BtnFace()), highLight_(SystemColors::BtnHighlight()),
      shadow_(SystemColors::BtnShadow()) {}

void TFlatPanel::SetColors(const QColor& face, const QColor& highLight, const QColor& shadow) {
    face_ = face;
    highLight_ = highLight;
    shadow_ = shadow;
    update();
}

void TFlatPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect();
    p.fillRect(r, face_);
    p.setPen(highLight_);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(shadow_);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
}
