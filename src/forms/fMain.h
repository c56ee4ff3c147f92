// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TfrmMain: the main window, the program's only taskbar entry and the owner
// of every other window. Top to bottom: title strip, logo strip, the hidden
// map control panel and progress bar, side panel beside the map area, the
// splitter, the results list and the bottom strip. Controls keep their
// designer names, as members and as objectName. Handlers are connected
// through Guarded() (forms/support/Guard.h): the map's in WireMap(), WHOIS's
// in WireWhois(), the list's in WireResults().
//
// Roles: what the window does beyond its own controls (many addresses, the
// route window, the map's layers, and what comes next) is an object of
// forms/work the window owns, made in WireRoles() (fMain.cpp); it gets widgets
// and callbacks through its constructor, never a window header. To add one:
// a pointer beside Layers/Bulk/Route, its construction in WireRoles(), and a
// line in Clear1Click() if emptying the list concerns it.
#include "forms/chrome/TBorderlessWindow.h"
#include "net/TIdWhois.h"

#include <QList>

class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QAction;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class TFlatPanel;
class TFlatTitlebar;
class TImage;
class TListView;
enum class TListChange;
class TSpeedButton;
class TSplitter;
class THostResolver;
class QWebEngineView;
class TMapLayers;
class TBulkRole;
class TRouteRole;

class TfrmMain : public TBorderlessWindow {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 843;
    static constexpr int kClientHeight = 792;
    TfrmMain();

    // The title, logo and bottom strips; Exit, Minimize, About; the logo.
    TFlatTitlebar *FlatTitlebar1, *FlatTitlebar2, *FlatTitlebar3;
    TImage *Image1, *Image2, *Image8, *Image3;
    // Map control panel, hidden for the whole run: value holders and map commands.
    QWidget* PanelHeader;
    QLabel *LabelAddress, *LabelLatitude, *LabelLongitude;
    QPlainTextEdit* MemoAddress;
    QLineEdit *Latitude, *Longitude;
    QPushButton *ButtonGotoAddress, *ButtonGotoLocation, *ButtonClearMarkers;
    QCheckBox *CheckBoxTraffic, *CheckBoxBicycling, *CheckBoxStreeView;
    QProgressBar* ProgressBar1;
    // Side panel; the pictures lie underneath the transparent buttons.
    TFlatPanel* FlatPanel1;
    TImage *Image6, *Image7, *Image9;
    // IP location, the locate command's (never shown), IP Whois, Domain whois.
    TSpeedButton *SpeedButton1, *SpeedButton2, *SpeedButton3, *SpeedButton4;
    QWidget* MapArea;                      // where the browser goes
    QWebEngineView* WebBrowser1 = nullptr; // the map's browser, filling MapArea
    TSplitter* Splitter1;
    TListView* ListView1;
    QList<QIcon> ImageList1;
    QMenu* PopupMenu1;
    // TraceRoute1: the focused row's address (Ctrl+T: the current one);
    // Copy1: Ctrl+C; SaveAs1: "Save list as…" (Ctrl+S: CSV, GeoJSON or KML).
    QAction *Go1, *Whois1, *TraceRoute1, *Copy1, *SaveAs1, *Clear1;
    orvanta::net::TIdWhois IdWhois1;       // the WHOIS client of "IP Whois"
    TMapLayers* Layers = nullptr;          // roles (see the top): map bridge, places, layers
    TBulkRole* Bulk = nullptr;             // many addresses at once
    TRouteRole* Route = nullptr;           // into the route window
    class TPrivacyRole* Privacy = nullptr; // private mode, host names on request
    class TResultsRole* Results = nullptr; // the summary, saving and reopening

    void FormCreate(); // loads the map page
    void FormShow();
    void FormResize() {}
    void Image1Click();
    void Image2Click();
    void Image8Click();
    void SpeedButton1Click();
    // The locate command and the results list (fMainLocate.cpp).
    void SpeedButton2Click();
    QString LocationText();
    QString LatitudeText();
    QString LongitudeText();
    QString HostNameOf(const QString& address);
    void ListView1Change(TListChange kind);
    void ListView1DblClick();
    void Go1Click();
    void Whois1Click();
    // Getting results out of the list (fMainResults.cpp).
    void Copy1Click();
    void SaveAs1Click(); // asks for a file name and a format (Results)
    void SaveListAsCsv(const QString& path);
    void Clear1Click();
    void SetHostResolver(THostResolver* resolver); // for tests; null: the system's
    // The map commands (fMainMap.cpp).
    void ButtonGotoAddressClick();
    void ButtonGotoLocationClick();
    void ButtonClearMarkersClick();
    void CheckBoxTrafficClick();
    void CheckBoxBicyclingClick();
    void CheckBoxStreeViewClick();
    void WebBrowser1ProgressChange(int Progress, int ProgressMax);
    void SpeedButton3Click();
    void SpeedButton4Click();
    void Image9Click();
    // True once the database check's No closed the window before it came up.
    bool CloseRequested() const { return closeRequested_; }
    void setVisible(bool visible) override;

signals:
    // The main window closed; the program ends.
    void Closed();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildTitleStrips(QWidget* client); // the title and logo strips
    void BuildPanelHeader(QWidget* client);
    QWidget* BuildMiddle(QWidget* client);
    void BuildSidePanel(QWidget* middle);
    void BuildResultsList(QWidget* client);
    void WireMain();
    void WireMap();
    void WireWhois();
    void WireResults();
    void WireRoles();
    void UpdateListActions();
    bool ShowFocusedRow();

    QChar FDecimalSeparator = QLatin1Char('.'); // the user's, kept up to date
    THostResolver* FHostResolver = nullptr;
    bool shownOnce_ = false;
    bool closeRequested_ = false;
    QList<QWidget*> hiddenWithMinimize_;
};

extern TfrmMain* frmMain;
