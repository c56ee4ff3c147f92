// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// DialogChrome: the top of the small fixed-size dialogs. Fixes the window's
// outer size around the given client size, fills the client with the
// background colour and puts the title strip across its top with the close
// picture at its right end; the window's Image1Click stays its own. Esc
// anywhere in the window is a shortcut to be connected like the picture.
//
//     const DialogChrome chrome = DialogChrome::Add(*this, {392, 235},
//         SystemColors::BtnFace(), QStringLiteral("Enter domain name"));
//     FlatTitlebar1 = chrome.Titlebar;
//     Image1 = chrome.Close;
//     connect(chrome.Escape, &QShortcut::activated, this, Guarded([this] { Image1Click(); }));
#include <QColor>
#include <QSize>
#include <QString>

class QShortcut;
class TBorderlessWindow;
class TFlatTitlebar;
class TImage;

struct DialogChrome {
    TFlatTitlebar* Titlebar;
    TImage* Close;
    QShortcut* Escape;

    // Also sets the window's Tahoma 11 font, which its other controls take on.
    static DialogChrome Add(TBorderlessWindow& window, const QSize& clientSize,
                            const QColor& background, const QString& caption);
};
