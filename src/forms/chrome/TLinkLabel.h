// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TLinkLabel: a label used as a link: blue underlined text drawn straight
// onto its parent with no fill of its own, a hand cursor, and Clicked() on
// a left click.
#include <QLabel>

class TLinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit TLinkLabel(const QString& text, QWidget* parent = nullptr);

signals:
    void Clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};
