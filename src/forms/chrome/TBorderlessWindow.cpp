// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/chrome/TBorderlessWindow.h"

#include "forms/support/SystemColors.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <QWindow>
#include <utility>

TBorderlessWindow::TBorderlessWindow(QWidget* owner, Sizing sizing)
    : QWidget(owner, (owner ? Qt::Dialog : Qt::Window) | Qt::FramelessWindowHint),
      client_(new QWidget(this)), sizing_(sizing) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kFrame, kFrame, kFrame, kFrame);
    layout->setSpacing(0);
    layout->addWidget(client_);
    client_->setObjectName(QStringLiteral("Client"));
    if (sizing_ == Sizing::Resizable)
        setMouseTracking(true);
}

void TBorderlessWindow::SetFixedOuterSize(const QSize& size) {
    setFixedSize(size);
}

void TBorderlessWindow::ResizeClient(const QSize& client) {
    resize(client + QSize(2 * kFrame, 2 * kFrame));
}

void TBorderlessWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), SystemColors::BtnFace());
    // The sunken edge: dark at the top and left, light at the bottom and right.
    const QRect edge = rect().adjusted(kFrame - 1, kFrame - 1, -kFrame, -kFrame);
    p.setPen(SystemColors::BtnShadow());
    p.drawLine(edge.topLeft(), edge.topRight());
    p.drawLine(edge.topLeft(), edge.bottomLeft());
    p.setPen(SystemColors::BtnHighlight());
    p.drawLine(edge.bottomLeft(), edge.bottomRight());
    p.drawLine(edge.topRight(), edge.bottomRight());
}

Qt::Edges TBorderlessWindow::EdgesAt(const QPoint& pos) const {
    Qt::Edges edges;
    if (sizing_ != Sizing::Resizable)
        return edges;
    if (pos.x() < kFrame)
        edges |= Qt::LeftEdge;
    if (pos.x() >= width() - kFrame)
        edges |= Qt::RightEdge;
    if (pos.y() < kFrame)
        edges |= Qt::TopEdge;
    if (pos.y() >= height() - kFrame)
        edges |= Qt::BottomEdge;
    return edges;
}

static Qt::CursorShape CursorFor(Qt::Edges edges) {
    const bool h = edges & (Qt::LeftEdge | Qt::RightEdge);
    const bool v = edges & (Qt::TopEdge | Qt::BottomEdge);
    if (h && v) {
        const bool mainDiagonal = (edges & Qt::LeftEdge) == (edges & Qt::TopEdge) ||
                                  ((edges & Qt::RightEdge) && (edges & Qt::BottomEdge));
        return mainDiagonal ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor;
    }
    if (h)
        return Qt::SizeHorCursor;
    if (v)
        return Qt::SizeVerCursor;
    return Qt::ArrowCursor;
}

void TBorderlessWindow::mousePressEvent(QMouseEvent* event) {
    const Qt::Edges edges = EdgesAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || !edges) {
        QWidget::mousePressEvent(event);
        return;
    }
    // As with the title strip, nothing starts before the pointer moves: a
    // window manager asked to resize on a quick click's press can miss its
    // release and keep resizing until the next click.
    pressEdges_ = edges;
    pressGlobal_ = event->globalPosition().toPoint();
    pressGeometry_ = geometry();
}

void TBorderlessWindow::mouseMoveEvent(QMouseEvent* event) {
    if (pressEdges_ && (event->globalPosition().toPoint() - pressGlobal_).manhattanLength() >=
                           QApplication::startDragDistance()) {
        const Qt::Edges edges = std::exchange(pressEdges_, {});
        // The window manager resizes where it can; elsewhere follow the pointer.
        if (windowHandle() && windowHandle()->startSystemResize(edges))
            return;
        resizeEdges_ = edges;
    }
    if (!resizeEdges_) {
        setCursor(CursorFor(EdgesAt(event->position().toPoint())));
        QWidget::mouseMoveEvent(event);
        return;
    }
    const QPoint d = event->globalPosition().toPoint() - pressGlobal_;
    QRect g = pressGeometry_;
    const QSize min = minimumSize();
    if (resizeEdges_ & Qt::LeftEdge)
        g.setLeft(std::min(g.left() + d.x(), g.right() - min.width()));
    if (resizeEdges_ & Qt::RightEdge)
        g.setRight(g.right() + d.x());
    if (resizeEdges_ & Qt::TopEdge)
        g.setTop(std::min(g.top() + d.y(), g.bottom() - min.height()));
    if (resizeEdges_ & Qt::BottomEdge)
        g.setBottom(g.bottom() + d.y());
    setGeometry(g);
}

void TBorderlessWindow::mouseReleaseEvent(QMouseEvent* event) {
    pressEdges_ = {};
    resizeEdges_ = {};
    QWidget::mouseReleaseEvent(event);
}
