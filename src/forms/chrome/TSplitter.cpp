// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/chrome/TSplitter.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace {
// The hatched line that follows the pointer during a drag.
class HatchedLine : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), QBrush(Qt::gray, Qt::Dense4Pattern));
    }
};
} // namespace

TSplitter::TSplitter(QWidget* above, QWidget* below, QWidget* parent)
    : QWidget(parent), above_(above), below_(below), line_(new HatchedLine(parent)) {
    setFixedHeight(kHeight);
    setCursor(Qt::SizeVerCursor);
    line_->hide();
}

int TSplitter::ClampedHeight(int requested, int available) {
    const int height = std::min(requested, available - kMinSize);
    return height <= kMinSize ? 0 : height;
}

int TSplitter::RequestedHeight(const QPoint& globalPos) const {
    return pressBelowHeight_ - (globalPos.y() - pressGlobalY_);
}

void TSplitter::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    dragging_ = true;
    pressGlobalY_ = event->globalPosition().toPoint().y();
    pressBelowHeight_ = below_->height();
    line_->setGeometry(geometry());
    line_->raise();
    line_->show();
}

void TSplitter::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_)
        return;
    const int dy = event->globalPosition().toPoint().y() - pressGlobalY_;
    line_->move(x(), y() + dy);
}

void TSplitter::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragging_ || event->button() != Qt::LeftButton)
        return;
    dragging_ = false;
    line_->hide();
    const int available = above_->height() + below_->height();
    const int height = ClampedHeight(RequestedHeight(event->globalPosition().toPoint()), available);
    below_->setFixedHeight(height);
    emit Moved(height);
}
