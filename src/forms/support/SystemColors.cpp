// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/support/SystemColors.h"

#include <QGuiApplication>
#include <QPalette>

namespace {
QColor Role(QPalette::ColorRole role) {
    return QGuiApplication::palette().color(role);
}
} // namespace

namespace SystemColors {
QColor BtnFace() {
    return Role(QPalette::Button);
}
QColor DkShadow3D() {
    return Role(QPalette::Shadow);
}
QColor BtnShadow() {
    return Role(QPalette::Dark);
}
QColor BtnHighlight() {
    return Role(QPalette::Light);
}
QColor Window() {
    return Role(QPalette::Base);
}
QColor Highlight() {
    return Role(QPalette::Highlight);
}
QColor HotLight() {
    return Role(QPalette::Link);
}
QColor WindowFrame() {
    return Role(QPalette::WindowText);
}
QColor ActiveBorder() {
    return QColor(180, 180, 180);
}
QColor InactiveCaptionText() {
    return QColor(162, 154, 130);
}
} // namespace SystemColors
