// The main window's way into the route window: "Trace route" in the results
// list's popup menu for the focused row's address, and Ctrl+T anywhere in
// the main window for the current address (the IP entry dialog's text).
#include "forms/support/Guard.h"
#include "forms/RouteWindow.h"
#include "forms/results/TListView.h"
#include "forms/Unit1.h"
#include "forms/fMain.h"

#include <QAction>
#include <QLineEdit>
#include <QShortcut>

void TfrmMain::WireRoute() {
    connect(TraceRoute1, &QAction::triggered, this, Guarded([this] { TraceRoute1Click(); }));
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_T), this);
    shortcut->setObjectName(QStringLiteral("TraceRouteShortcut"));
    connect(shortcut, &QShortcut::activated, this, Guarded([this] { TraceCurrentAddress(); }));
}

void TfrmMain::TraceRoute1Click() {
    const int focused = ListView1->ItemFocused();
    if (focused < 0 || !frmRoute)
        return;
    frmRoute->SetMapBridge(FMapBridge);
    frmRoute->RunTrace(this, ListView1->Item(focused).SubItems.value(0));
}

void TfrmMain::TraceCurrentAddress() {
    if (!frmRoute || !Form1)
        return;
    frmRoute->SetMapBridge(FMapBridge);
    frmRoute->RunTrace(this, Form1->IP->text());
}
