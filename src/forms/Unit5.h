// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TForm5: the domain dialog. The field cleans itself of schemes, "www." and
// slashes as the user types; Search shows the web whois page for the name,
// resolves it (IPv4 first, else IPv6) and locates its address like a typed
// one.
#include "forms/chrome/TBorderlessWindow.h"
#include "net/NameResolution.h"

class QLineEdit;
class TFlatButton;
class TFlatTitlebar;
class TImage;

class TForm5 : public TBorderlessWindow {
    Q_OBJECT
public:
    explicit TForm5(QWidget* owner);

    TFlatTitlebar* FlatTitlebar1;
    TImage* Image1;
    QLineEdit* domain;
    TFlatButton* FlatButton2;

    // Runs after every change of the field's text, its own included.
    void domainChange();
    // The domain search: web whois page, resolution, locate, hide.
    void FlatButton2Click();
    void Image1Click();
    // Where Search resolves names; the platform's resolver until replaced.
    void SetAddressLookups(orvanta::net::AddressLookups lookups);

private:
    orvanta::net::AddressLookups FAddressLookups;
};

extern TForm5* Form5;
