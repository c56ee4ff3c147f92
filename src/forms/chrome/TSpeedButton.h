// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TSpeedButton: a transparent flat button for the side panel. It has no
// picture of its own: the picture lies underneath it as a TImage sibling
// created before it. Hovering draws a thin light frame, pressing a sunken
// one.
#include <QAbstractButton>

class TSpeedButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit TSpeedButton(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
};
