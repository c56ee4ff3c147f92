#include "forms/Unit1.h"

#include "Pictures.h"
#include "forms/Guard.h"
#include "forms/ProgramFonts.h"
#include "forms/SystemColors.h"
#include "forms/TFlatButton.h"
#include "forms/TFlatTitlebar.h"
#include "forms/TImage.h"
#include "forms/fMain.h"

#include <QLineEdit>
#include <algorithm>

TForm1* Form1 = nullptr;

TForm1::TForm1(QWidget* owner) : TBorderlessWindow(owner, Sizing::Fixed) {
    setObjectName(QStringLiteral("Form1"));
    const QString caption = QStringLiteral("ZA Derezove Videza");
    setWindowTitle(caption);
    setFont(TahomaCharHeight(11));
    SetFixedOuterSize({263, 209});
    QWidget* client = Client();
    client->setAutoFillBackground(true);
    QPalette pal = client->palette();
    pal.setColor(QPalette::Window, SystemColors::Window());
    client->setPalette(pal);

    FlatTitlebar1 = new TFlatTitlebar(client);
    FlatTitlebar1->setObjectName(QStringLiteral("FlatTitlebar1"));
    FlatTitlebar1->SetCaption(caption);
    FlatTitlebar1->SetTitlebarColor(SystemColors::DkShadow3D());
    FlatTitlebar1->SetActiveTextColor(Qt::white);
    FlatTitlebar1->setGeometry(0, 0, 263 - 2 * kFrame, TFlatTitlebar::kHeight);
    Image1 = new TImage(Pictures::Close);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(44, 33);
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->setAccessibleName(QStringLiteral("Close"));
    FlatTitlebar1->AddRightControl(Image1);

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
