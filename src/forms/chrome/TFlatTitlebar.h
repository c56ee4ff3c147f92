// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TFlatTitlebar: the title strip across the top of a borderless window,
// 33 pixels high. It fills itself with TitlebarColor and draws its caption
// centred, in ActiveTextColor while its window is active and in
// InactiveTextColor otherwise (also before the first activation). A left
// press on a part no child covers drags the window, once the pointer has
// moved a drag's distance, until a button is released; a click or a
// double-click does nothing.
//
//     auto* bar = new TFlatTitlebar(Client());
//     bar->SetCaption("ZA Derezove Videza");
//     bar->SetTitlebarColor(SystemColors::DkShadow3D());
//     bar->AddRightControl(closePicture); // laid out from the right end leftwards
//
// Strips without a caption (logo and bottom strips) serve as plain coloured
// bands; they drag their window too.
#include <QColor>
#include <QPoint>
#include <QWidget>
#include <vector>

class TFlatTitlebar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 33;

    explicit TFlatTitlebar(QWidget* parent = nullptr);

    void SetCaption(const QString& caption);
    QString Caption() const { return caption_; }
    void SetTitlebarColor(const QColor& c);
    void SetActiveTextColor(const QColor& c);
    void SetInactiveTextColor(const QColor& c);
    QColor TitlebarColor() const { return titlebarColor_; }
    QColor ActiveTextColor() const { return activeTextColor_; }
    QColor InactiveTextColor() const { return inactiveTextColor_; }
    // The colour the caption is drawn in right now.
    QColor CurrentTextColor() const;

    // Places `control` at the right end, left of the ones added before,
    // full strip height.
    void AddRightControl(QWidget* control);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void LayoutRightControls();

    QString caption_;
    QColor titlebarColor_;
    QColor activeTextColor_;
    QColor inactiveTextColor_;
    std::vector<QWidget*> rightControls_;
    // Pressed, but not yet moved far enough to be a drag.
    bool pressed_ = false;
    bool dragging_ = false;
    QPoint pressGlobal_;
    QPoint pressWindowPos_;
};
