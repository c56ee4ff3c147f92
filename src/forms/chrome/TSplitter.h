// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TSplitter: the 3-pixel bar between the map area (above) and the results
// list (below). Dragging draws a hatched line; on release the list gets its
// new height, clamped by ClampedHeight. A collapsed list (height 0) opens
// again by dragging the bar up.
#include <QPoint>
#include <QWidget>

class TSplitter : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 3;
    static constexpr int kMinSize = 30;

    TSplitter(QWidget* above, QWidget* below, QWidget* parent);

    // The list height for a requested one when list and area above share
    // `available` pixels: at most what leaves the area above kMinSize, and
    // a result of kMinSize or less collapses the list to 0.
    static int ClampedHeight(int requested, int available);

signals:
    void Moved(int belowHeight);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int RequestedHeight(const QPoint& globalPos) const;

    QWidget* above_;
    QWidget* below_;
    QWidget* line_;
    bool dragging_ = false;
    int pressGlobalY_ = 0;
    int pressBelowHeight_ = 0;
};
