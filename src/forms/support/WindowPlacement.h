// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where windows appear. Every handler that opens a dialog calls
// ShowCentredOver(dialog, frmMain): show it (or bring it to the front), then
// centre it over the main window, at every opening, so a window the user
// moved comes back centred.
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// Centred over `owner` (outer frames), halves rounded toward zero, then
// raised to at least the left and top edge of `desktop`; no limit at the
// right or bottom.
QPoint CentredOverPosition(const QRect& owner, const QSize& size, const QRect& desktop);

// Centred on a screen of `screen` size, raised to `desktop`'s left and top.
QPoint CentredOnScreenPosition(const QSize& screen, const QSize& size, const QRect& desktop);

// Moves `window` centred over `owner` on the virtual desktop.
void PlaceCentredOver(QWidget* window, const QWidget* owner);

// Moves `window` centred on its primary screen.
void PlaceCentredOnScreen(QWidget* window);

// Shows `window` (raising it when shown), then PlaceCentredOver.
void ShowCentredOver(QWidget* window, const QWidget* owner);
