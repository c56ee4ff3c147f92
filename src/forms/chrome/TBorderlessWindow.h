// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TBorderlessWindow: the frame every window but About shares. A frameless
// top-level window that paints a thin sunken edge inside a narrow sizing
// band; put the window's controls on Client().
//
//     class TForm9 : public TBorderlessWindow {
//         TForm9(QWidget* owner) : TBorderlessWindow(owner, Sizing::Fixed) {
//             SetFixedOuterSize({263, 209}); ... children of Client() ... }
//     };
//
// With an owner the window is a dialog-type transient of it: no taskbar
// entry, always in front of the owner, hidden and restored with it (the main
// window hides its owned windows itself when minimized, see TfrmMain). With
// Sizing::Resizable the window resizes from its edges.
#include <QWidget>

class TBorderlessWindow : public QWidget {
    Q_OBJECT
public:
    enum class Sizing { Fixed, Resizable };
    // Width of the band around the client: 2 pixels of sizing frame and a
    // 1-pixel sunken edge.
    static constexpr int kFrame = 3;

    TBorderlessWindow(QWidget* owner, Sizing sizing);

    QWidget* Client() const { return client_; }
    // Outer size fixed (minimum = maximum), client = size less the frame.
    void SetFixedOuterSize(const QSize& size);
    // Outer size for the given client size.
    void ResizeClient(const QSize& client);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    Qt::Edges EdgesAt(const QPoint& pos) const;

    QWidget* client_;
    Sizing sizing_;
    // Pressed on these edges, not yet moved far enough to be a drag.
    Qt::Edges pressEdges_;
    Qt::Edges resizeEdges_;
    QPoint pressGlobal_;
    QRect pressGeometry_;
};
