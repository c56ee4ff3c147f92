// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's locate command and the actions on results rows: a typed
// address becomes a row with place, address, coordinates and host name and
// a marker on the map; a row can be shown again and its owner looked up.
#include "forms/Unit1.h"
#include "forms/Unit2.h"
#include "forms/chrome/TBusyCursor.h"
#include "forms/fMain.h"
#include "forms/results/LocateTexts.h"
#include "forms/results/TListView.h"
#include "forms/support/Guard.h"
#include "forms/work/TMapLayers.h"
#include "forms/work/TPrivacyRole.h"
#include "geoip/OrganizationOf.h"
#include "net/HostNameOf.h"
#include "validation/Ipv6AddressText.h"
#include "validation/IsInvalidAddressText.h"

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>

void TfrmMain::WireResults() {
    connect(ListView1, &TListView::Change, this,
            Guarded([this](TListChange kind) { ListView1Change(kind); }));
    connect(ListView1, &TListView::DblClick, this, Guarded([this] { ListView1DblClick(); }));
    connect(Go1, &QAction::triggered, this, Guarded([this] { Go1Click(); }));
    connect(Whois1, &QAction::triggered, this, Guarded([this] { Whois1Click(); }));
    connect(Copy1, &QAction::triggered, this, Guarded([this] { Copy1Click(); }));
    connect(SaveAs1, &QAction::triggered, this, Guarded([this] { SaveAs1Click(); }));
    connect(Clear1, &QAction::triggered, this, Guarded([this] { Clear1Click(); }));
    UpdateListActions();
}

void TfrmMain::SetHostResolver(THostResolver* resolver) {
    FHostResolver = resolver;
}

QString TfrmMain::LocationText() {
    return LocationTextOf(DatabaseFileFor(Form1->IP->text()), Form1->IP->text());
}

QString TfrmMain::LatitudeText() {
    return LatitudeTextOf(DatabaseFileFor(Form1->IP->text()), Form1->IP->text(), FDecimalSeparator);
}

QString TfrmMain::LongitudeText() {
    return LongitudeTextOf(DatabaseFileFor(Form1->IP->text()), Form1->IP->text(),
                           FDecimalSeparator);
}

QString TfrmMain::HostNameOf(const QString& address) {
    static TSystemHostResolver system;
    THostResolver& resolver = FHostResolver ? *FHostResolver : system;
    return QString::fromUtf8(::HostNameOf(address.toStdString(), resolver));
}

void TfrmMain::SpeedButton2Click() {
    // The IPv4 gate decides first and alone for every text it takes, and
    // raises its conversion error as before; IPv6 texts pass beside it.
    const std::string text = Form1->IP->text().toStdString();
    if (IsInvalidAddressText(text) && !IsIpv6AddressText(text))
        return;
    // A database lookup and a reverse resolution block the windows.
    const TBusyCursor busy;
    // One lookup gives the row's values; an unreadable database raises its
    // open error here, with only the latitude box emptied.
    const QString address = Form1->IP->text();
    Latitude->clear();
    TResultRow row = LocateRowOf(DatabaseFileFor(address), address);
    SetOrganisationText(
        row, OrganisationOrBlock(address, QString::fromStdString(orvanta::geoip::OrganizationOf(
                                              address.toStdString()))));
    // Private mode: the one reverse query of a locate stays in too.
    const bool named = !Privacy->PrivateMode();
    if (named)
        row.hostName = HostNameFromText(HostNameOf(address));
    // The row is built whole before it is appended, so an error on the way
    // never leaves a half-filled row behind.
    TListItem texts = ResultTexts(row, FDecimalSeparator);
    if (!named)
        texts.SubItems[3] = QString::fromLatin1(kNotLookedUp);
    Latitude->setText(texts.SubItems[1]);
    Longitude->clear();
    Longitude->setText(texts.SubItems[2]);
    ListView1->AddRows({row}, {texts});
    Layers->AddPlace(texts, FDecimalSeparator);
    MemoAddress->clear();
    MemoAddress->setPlainText(texts.Caption);
    ButtonGotoAddressClick();
}

void TfrmMain::ListView1Change(TListChange kind) {
    // Only a new row brings the end into view: selecting a row leaves the
    // list where it is, so a double-click acts on the row under the pointer.
    if (kind == TListChange::Appended)
        ListView1->ScrollToEndLater();
    UpdateListActions();
}

bool TfrmMain::ShowFocusedRow() {
    const int focused = ListView1->ItemFocused();
    if (focused < 0)
        return false;
    const TListItem& row = ListView1->Item(focused);
    Layers->FocusPlace(row, FDecimalSeparator);
    MemoAddress->clear();
    Form1->IP->setText(row.SubItems.value(0));
    MemoAddress->setPlainText(row.Caption);
    ButtonGotoAddressClick();
    return true;
}

void TfrmMain::ListView1DblClick() {
    if (ListView1->Selected() < 0)
        return;
    if (ShowFocusedRow())
        RunIpWhois();
}

void TfrmMain::Go1Click() {
    ShowFocusedRow();
}

void TfrmMain::Whois1Click() {
    SpeedButton3Click();
}
