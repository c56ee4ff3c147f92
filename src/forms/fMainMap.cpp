// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's map area: the browser holding the map page, and the
// map commands of the hidden map control panel. Commands run through the
// map script bridge; an error of a call ends the command and reaches the
// error report through the handler guard.
#include "forms/fMain.h"
#include "forms/support/Guard.h"
#include "forms/work/TMapLayers.h"
#include "forms/work/TPrivacyRole.h"
#include "site/MapCommands.h"
#include "site/MapPageLoader.h"
#include "site/MapProfile.h"
#include "site/MapScriptBridge.h"
#include "site/MapWebPage.h"
#include "site/SiteScheme.h"

#include <QCheckBox>
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <algorithm>
#include <stdexcept>

void TfrmMain::WireMap() {
    // The browser fills the map area, in the map's own persistent profile
    // (disk tile cache, the program's User-Agent). The program's site
    // (marker icon, open map, web whois pages) answers in both profiles.
    QWebEngineProfile* profile = TMapProfile::program();
    TSiteScheme::installOn(QWebEngineProfile::defaultProfile());
    WebBrowser1 = new QWebEngineView(MapArea);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setAccessibleName(QStringLiteral("Map"));
    WebBrowser1->setPage(new TMapWebPage(profile, this, WebBrowser1));
    MapArea->layout()->addWidget(WebBrowser1);

    connect(WebBrowser1, &QWebEngineView::loadStarted, this,
            Guarded([this] { WebBrowser1ProgressChange(0, 100); }));
    connect(WebBrowser1, &QWebEngineView::loadProgress, this,
            Guarded([this](int progress) { WebBrowser1ProgressChange(progress, 100); }));
    // The engine reports no position once a load is over; -1 says so.
    connect(WebBrowser1, &QWebEngineView::loadFinished, this,
            Guarded([this] { WebBrowser1ProgressChange(-1, 100); }));

    connect(ButtonGotoAddress, &QAbstractButton::clicked, this,
            Guarded([this] { ButtonGotoAddressClick(); }));
    connect(ButtonGotoLocation, &QAbstractButton::clicked, this,
            Guarded([this] { ButtonGotoLocationClick(); }));
    connect(ButtonClearMarkers, &QAbstractButton::clicked, this,
            Guarded([this] { ButtonClearMarkersClick(); }));
    // clicked comes after the box has changed state, as the handlers expect.
    connect(CheckBoxTraffic, &QAbstractButton::clicked, this,
            Guarded([this] { CheckBoxTrafficClick(); }));
    connect(CheckBoxBicycling, &QAbstractButton::clicked, this,
            Guarded([this] { CheckBoxBicyclingClick(); }));
    connect(CheckBoxStreeView, &QAbstractButton::clicked, this,
            Guarded([this] { CheckBoxStreeViewClick(); }));
}

void TfrmMain::FormCreate() {
    if (Layers->Bridge() != nullptr) {
        return; // the page is loaded once
    }
    Layers->SetBridge(new TMapScriptBridge(WebBrowser1->page(), this));
    TMapPageLoader::load(WebBrowser1->page(), Privacy->PrivateMode());
}

// Until FormCreate the map has no page: the commands have nothing to do.
void TfrmMain::ButtonGotoAddressClick() {
    if (TMapScriptBridge* bridge = Layers->Bridge()) {
        TMapCommands(*bridge).gotoAddress(MemoAddress->toPlainText());
    }
}

void TfrmMain::ButtonGotoLocationClick() {
    if (TMapScriptBridge* bridge = Layers->Bridge()) {
        TMapCommands(*bridge).gotoLocation(Latitude->text(), Longitude->text());
    }
}

void TfrmMain::ButtonClearMarkersClick() {
    if (TMapScriptBridge* bridge = Layers->Bridge()) {
        TMapCommands(*bridge).clearMarkers();
    }
}

void TfrmMain::CheckBoxTrafficClick() {
    if (TMapScriptBridge* bridge = Layers->Bridge()) {
        TMapCommands(*bridge).traffic(CheckBoxTraffic->isChecked());
    }
}

void TfrmMain::CheckBoxBicyclingClick() {
    if (TMapScriptBridge* bridge = Layers->Bridge()) {
        TMapCommands(*bridge).bicycling(CheckBoxBicycling->isChecked());
    }
}

void TfrmMain::CheckBoxStreeViewClick() {
    if (TMapScriptBridge* bridge = Layers->Bridge()) {
        TMapCommands(*bridge).streetView(CheckBoxStreeView->isChecked());
    }
}

void TfrmMain::WebBrowser1ProgressChange(int Progress, int ProgressMax) {
    if (ProgressMax < 0) {
        throw std::runtime_error("TProgressBar property out of range");
    }
    // Maximum first, then the position. A 0..0 range would make the bar a
    // busy indicator; a negative position shows as an empty bar.
    ProgressBar1->setRange(0, std::max(ProgressMax, 1));
    if (Progress < 0) {
        ProgressBar1->reset();
    } else {
        ProgressBar1->setValue(std::min(Progress, ProgressBar1->maximum()));
    }
}
