// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TFlatButton: a flat push button painted in its own colours. The caption's
// "&" marks the keyboard accelerator (Alt plus that letter presses it). It is
// never a default button, so Enter in a neighbouring edit does not press it.
//
//     auto* b = new TFlatButton(QStringLiteral("&Search"), Client());
//     connect(b, &QAbstractButton::clicked, this, Guarded([this] { FlatButton2Click(); }));
//
// The default colours are those of the IP entry dialog's Search button:
// face, focused face and border in the highlight colour, pressed face in the
// hot-light colour, white shadow, caption in the window colour.
#include <QAbstractButton>
#include <QColor>

class TFlatButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit TFlatButton(const QString& caption, QWidget* parent = nullptr);

    QColor Color, ColorFocused, ColorDown, ColorBorder, ColorShadow, FontColor;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
};
