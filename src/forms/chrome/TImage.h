// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TImage: a picture control showing an SVG resource scaled to its size
// (sharp at any device pixel ratio), on a transparent ground. A click (press
// and release of the left button inside it) emits Clicked().
//
//     auto* exit = new TImage(QStringLiteral(":/pictures/close.svg"), parent);
//     exit->setFixedSize(44, 33);
//     exit->setToolTip("Exit");
//     exit->setCursor(Qt::PointingHandCursor);
//     connect(exit, &TImage::Clicked, this, Guarded([this] { Image1Click(); }));
#include <QWidget>

class QSvgRenderer;

class TImage : public QWidget {
    Q_OBJECT
public:
    TImage(const QString& svgResource, QWidget* parent = nullptr);

    QString Picture() const { return picture_; }
    bool HasPicture() const;

signals:
    void Clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString picture_;
    QSvgRenderer* renderer_;
    bool pressed_ = false;
};
