// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/Unit5.h"

#include "forms/Unit1.h"
#include "forms/Unit4.h"
#include "forms/chrome/DialogChrome.h"
#include "forms/chrome/TBusyCursor.h"
#include "forms/chrome/TFlatButton.h"
#include "forms/chrome/TImage.h"
#include "forms/fMain.h"
#include "forms/support/Guard.h"
#include "forms/support/ProgramFonts.h"
#include "forms/support/SystemColors.h"
#include "forms/support/WindowPlacement.h"
#include "net/DomainCleanup.h"
#include "net/NameResolution.h"
#include "net/WebWhoisAddress.h"

#include <QLineEdit>
#include <QShortcut>

TForm5* Form5 = nullptr;

namespace {
constexpr int kClientWidth = 392;
constexpr int kClientHeight = 235;
} // namespace

TForm5::TForm5(QWidget* owner) : TBorderlessWindow(owner, Sizing::Fixed) {
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Form5"));
    const DialogChrome chrome =
        DialogChrome::Add(*this, {kClientWidth, kClientHeight}, SystemColors::BtnFace(),
                          QStringLiteral("Enter domain name"));
    FlatTitlebar1 = chrome.Titlebar;
    Image1 = chrome.Close;
    QWidget* client = Client();

    domain = new QLineEdit(client);
    domain->setObjectName(QStringLiteral("domain"));
    domain->setAccessibleName(QStringLiteral("Domain name"));
    domain->setFont(TahomaCellHeight(18));
    domain->setGeometry(48, 80, 289, 26);

    FlatButton2 = new TFlatButton(QStringLiteral("&Search"), client);
    FlatButton2->setObjectName(QStringLiteral("FlatButton2"));
    FlatButton2->setAccessibleName(QStringLiteral("Search"));
    FlatButton2->setFont(TahomaCharHeight(11));
    FlatButton2->setGeometry(143, 156, 98, 25);
    setTabOrder(domain, FlatButton2);

    connect(Image1, &TImage::Clicked, this, Guarded([this] { Image1Click(); }));
    connect(chrome.Escape, &QShortcut::activated, this, Guarded([this] { Image1Click(); }));
    connect(domain, &QLineEdit::textChanged, this, Guarded([this] { domainChange(); }));
    connect(FlatButton2, &QAbstractButton::clicked, this, Guarded([this] { FlatButton2Click(); }));
}

void TForm5::domainChange() {
    const std::string text = domain->text().toStdString();
    const std::string settled = orvanta::net::CleanDomain(text);
    if (settled != text) {
        // Fires textChanged again; that run finds nothing left to remove.
        domain->setText(QString::fromStdString(settled));
    }
}

void TForm5::FlatButton2Click() {
    // Resolving the name and locating its address block the windows.
    const TBusyCursor busy;
    ShowCentredOver(Form4, frmMain);
    const std::string name = domain->text().toStdString();
    Form4->Navigate(orvanta::net::WebWhoisSearchAddress(name));
    Form1->IP->setText(
        QString::fromStdString(orvanta::net::DomainToLocatableAddress(name, FAddressLookups)));
    // Called directly, not clicked: an error in the locate command ends this
    // search too, and the dialog stays open.
    Form1->FlatButton2Click();
    hide();
}

void TForm5::SetAddressLookups(orvanta::net::AddressLookups lookups) {
    FAddressLookups = std::move(lookups);
}

void TForm5::Image1Click() {
    hide();
}
