// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/Unit1.h"

#include "forms/chrome/DialogChrome.h"
#include "forms/chrome/TFlatButton.h"
#include "forms/chrome/TImage.h"
#include "forms/fMain.h"
#include "forms/support/Guard.h"
#include "forms/support/ProgramFonts.h"
#include "forms/support/SystemColors.h"

#include <QLineEdit>
#include <QShortcut>
#include <algorithm>

TForm1* Form1 = nullptr;

TForm1::TForm1(QWidget* owner) : TBorderlessWindow(owner, Sizing::Fixed) {
    setObjectName(QStringLiteral("Form1"));
    const QString caption = QStringLiteral("ZA Derezove Videza");
    setWindowTitle(caption);
    const DialogChrome chrome = DialogChrome::Add(*this, {263 - 2 * kFrame, 209 - 2 * kFrame},
                                                  SystemColors::Window(), caption);
    FlatTitlebar1 = chrome.Titlebar;
    Image1 = chrome.Close;
    QWidget* client = Client();

    IP = new QLineEdit(client);
    IP->setObjectName(QStringLiteral("IP"));
    IP->setAccessibleName(QStringLiteral("IP address"));
    IP->setFont(TahomaCharHeight(18));
    IP->setGeometry(64, 80, 145, 26);

    FlatButton2 = new TFlatButton(QStringLiteral("&Search"), client);
    FlatButton2->setObjectName(QStringLiteral("FlatButton2"));
    FlatButton2->setGeometry(79, 132, 98, 25);
    setTabOrder(IP, FlatButton2);

    connect(IP, &QLineEdit::textChanged, this, Guarded([this] { IPChange(); }));
    connect(FlatButton2, &QAbstractButton::clicked, this, Guarded([this] { FlatButton2Click(); }));
    connect(Image1, &TImage::Clicked, this, Guarded([this] { Image1Click(); }));
    connect(chrome.Escape, &QShortcut::activated, this, Guarded([this] { Image1Click(); }));
}

void TForm1::IPChange() {
    const QString text = IP->text();
    if (!text.contains(QLatin1Char(' ')))
        return;
    const int caret = IP->hasSelectedText() ? IP->selectionStart() : IP->cursorPosition();
    QString stripped = text;
    stripped.remove(QLatin1Char(' '));
    IP->setText(stripped); // runs IPChange again, which finds no blank
    // The caret keeps its index: blanks removed before it do not move it left.
    IP->setCursorPosition(std::min(caret, static_cast<int>(stripped.size())));
}

void TForm1::FlatButton2Click() {
    frmMain->SpeedButton2Click();
    close();
}

void TForm1::Image1Click() {
    close();
}
