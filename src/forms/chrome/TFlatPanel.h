// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TFlatPanel: a flat rectangle in its face colour with a 1-pixel border,
// ColorHighLight at the top and left, ColorShadow at the bottom and right.
// Put child controls on it at fixed positions.
#include <QColor>
#include <QWidget>

class TFlatPanel : public QWidget {
    Q_OBJECT
public:
    explicit TFlatPanel(QWidget* parent = nullptr);

    void SetColors(const QColor& face, const QColor& highLight, const QColor& shadow);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor face_, highLight_, shadow_;
};
