// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TfrmRoute: the route window. Traces the route to one address off the
// window's thread and lists the hops as they arrive: hop number, address,
// host name (asked in the background, "Unresolved Host" when none comes in
// time), location line, organisation and round trips. Located hops are
// drawn on the open map in its route layer; clicking a hop's marker selects
// the hop here. A second trace replaces the first, list and map route alike.
#include "forms/chrome/TBorderlessWindow.h"
#include "map/RouteCalls.h"
#include "trace/TraceSession.h"

#include <functional>
#include <memory>
#include <vector>

class QLabel;
class TListView;
class QTimer;
class TFlatButton;
class TFlatTitlebar;
class TImage;
class TMapScriptBridge;

class TfrmRoute : public TBorderlessWindow {
    Q_OBJECT
public:
    enum Column {
        HopColumn,
        AddressColumn,
        HostColumn,
        LocationColumn,
        OrganisationColumn,
        RoundTripColumn,
        ColumnCount
    };

    explicit TfrmRoute(QWidget* owner);
    ~TfrmRoute() override;

    TFlatTitlebar* FlatTitlebar1;
    TImage* Image1;
    TListView* ListHops; // the results list's row type and model: one row a hop
    QLabel* LabelStatus;
    TFlatButton* ButtonStop;
    TFlatButton* ButtonSave;

    // Shows the window centred over `mainWindow` and traces `address`.
    void RunTrace(const QWidget* mainWindow, const QString& address);
    // Ends the trace at hand, clears the list and the map route, traces anew.
    void StartTrace(const QString& address);
    void StopClick();
    void Image1Click();
    void SaveClick(); // asks for a file name, then SaveHopsAsCsv
    void SaveHopsAsCsv(const QString& path);
    // The selected hops as tab-separated lines, to the clipboard.
    void CopyClick();
    void SelectHop(int hop);

    // Where hops are drawn; none leaves the map alone.
    void SetMapBridge(TMapScriptBridge* bridge) { bridge_ = bridge; }
    void SetDatabaseFile(const QString& file) { databaseFile_ = file; }
    // The organisation text of an address; empty when none is known.
    void SetOrganisationLookup(std::function<QString(const QString&)> lookup);
    orvanta::trace::TraceSession& Session() { return *session_; }

    // What the trace reports, applied to the list and the map; the session
    // feeds them, and tests may too.
    void ShowEvent(const orvanta::trace::TraceEvent& event);
    // Takes the session's news now (the window's timer does so while a trace runs).
    void PollSession();
    // Clears the map's route layer (the results list's "Clear list" does too).
    void ClearMapRoute();
    QString HopsText(bool selectedOnly) const;

private:
    void BuildList(QWidget* client);
    void ShowHop(const orvanta::trace::Hop& hop);
    void ShowHostName(int hop, const std::optional<std::string>& name);
    int RowOfHop(int hop) const; // -1 when no row has it
    void ShowEnd(const orvanta::trace::TraceEvent& event);
    void DrawRoute(bool fit);

    std::unique_ptr<orvanta::trace::TraceSession> session_;
    QTimer* poll_;
    TMapScriptBridge* bridge_ = nullptr;
    QString databaseFile_ = QStringLiteral("GeoLiteCity.dat");
    QString destination_;
    std::function<QString(const QString&)> organisationOf_;
    std::vector<orvanta::map::RoutePoint> points_;
    std::vector<int> hops_; // the hop number of each row
};

extern TfrmRoute* frmRoute;
