// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/chrome/DialogChrome.h"

#include "Pictures.h"
#include "forms/chrome/TBorderlessWindow.h"
#include "forms/chrome/TFlatTitlebar.h"
#include "forms/chrome/TImage.h"
#include "forms/support/ProgramFonts.h"
#include "forms/support/SystemColors.h"

#include <QPalette>
#include <QShortcut>

DialogChrome DialogChrome::Add(TBorderlessWindow& window, const QSize& clientSize,
                               const QColor& background, const QString& caption) {
    constexpr int frame = TBorderlessWindow::kFrame;
    window.setFont(TahomaCharHeight(11));
    window.SetFixedOuterSize(clientSize + QSize(2 * frame, 2 * frame));
    QWidget* client = window.Client();
    client->setAutoFillBackground(true);
    QPalette palette = client->palette();
    palette.setColor(QPalette::Window, background);
    client->setPalette(palette);

    auto* titlebar = new TFlatTitlebar(client);
    titlebar->setObjectName(QStringLiteral("FlatTitlebar1"));
    titlebar->SetCaption(caption);
    titlebar->SetTitlebarColor(SystemColors::DkShadow3D());
    titlebar->SetActiveTextColor(Qt::white);
    titlebar->SetInactiveTextColor(SystemColors::InactiveCaptionText());
    titlebar->setFont(TahomaCellHeight(18));
    titlebar->setGeometry(0, 0, clientSize.width(), TFlatTitlebar::kHeight);

    auto* close = new TImage(Pictures::Close, titlebar);
    close->setObjectName(QStringLiteral("Image1"));
    close->setAccessibleName(QStringLiteral("Close"));
    close->setFixedSize(44, TFlatTitlebar::kHeight);
    close->setCursor(Qt::PointingHandCursor);
    titlebar->AddRightControl(close);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), &window);
    escape->setObjectName(QStringLiteral("Escape"));
    return {titlebar, close, escape};
}
