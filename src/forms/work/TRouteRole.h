// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TRouteRole: the main window's way into the route window: "Trace route" in
// the results list's popup menu for the focused row's address, and Ctrl+T
// anywhere in the main window for the current address. The window itself is
// reached through `trace`, so this role needs no window header.
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class QAction;
class QWidget;
class TListView;

class TRouteRole : public QObject {
    Q_OBJECT
public:
    struct Parts {
        QWidget* window;  // where Ctrl+T works
        QAction* command; // the popup menu's "Trace route"
        TListView* list;  // whose focused row it traces
        // The address Ctrl+T traces; none when there is nowhere to read it.
        std::function<std::optional<QString>()> currentAddress;
        // Shows the route window and traces the address.
        std::function<void(const QString& address)> trace;
    };
    explicit TRouteRole(const Parts& parts, QObject* parent = nullptr);

    void TraceFocusedRow();
    void TraceCurrentAddress();

private:
    Parts parts_;
};
