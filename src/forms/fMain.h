#pragma once
// TfrmMain: the main window, the program's only taskbar entry and the owner
// of every other window. Top to bottom: title strip, logo strip, the hidden
// map control panel and progress bar, side panel beside the map area, the
// splitter, the results list and the bottom strip. Controls keep their
// designer names, as members and as objectName.
//
// Where other parts plug in:
//  - The map: the browser goes into MapArea's layout (MapArea->layout()),
//    and the handlers of the PanelHeader controls (ButtonGotoAddressClick,
//    ButtonGotoLocationClick, ButtonClearMarkersClick, CheckBox*Click) and
//    WebBrowser1ProgressChange are connected in WireMap().
//  - WHOIS: IdWhois1, SpeedButton3Click / RunIpWhois, SpeedButton4Click and
//    Image9Click are connected in WireWhois().
// Connect every handler through Guarded() (forms/Guard.h).
#include "forms/chrome/TBorderlessWindow.h"
#include "net/TIdWhois.h"

#include <QList>
#include <memory>

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
class TBulkRun;
class TBulkHostNames;
class TBulkPlaces;
struct TBulkBatch;
class QWebEngineView;
class TMapScriptBridge;
namespace orvanta::map {
class PlaceBook;
}

class TfrmMain : public TBorderlessWindow {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 843;
    static constexpr int kClientHeight = 792;

    TfrmMain();

    // Title strip and its pictures.
    TFlatTitlebar* FlatTitlebar1;
    TImage* Image1; // Exit
    TImage* Image2; // Minimize
    TImage* Image8; // About
    // Logo strip.
    TFlatTitlebar* FlatTitlebar2;
    TImage* Image3;
    // Map control panel, hidden for the whole run: value holders and map commands.
    QWidget* PanelHeader;
    QLabel* LabelAddress;
    QPlainTextEdit* MemoAddress;
    QPushButton* ButtonGotoAddress;
    QLabel* LabelLatitude;
    QLineEdit* Latitude;
    QLabel* LabelLongitude;
    QLineEdit* Longitude;
    QPushButton* ButtonGotoLocation;
    QCheckBox* CheckBoxTraffic;
    QCheckBox* CheckBoxBicycling;
    QCheckBox* CheckBoxStreeView;
    QPushButton* ButtonClearMarkers;
    QProgressBar* ProgressBar1;
    // Side panel; the pictures lie underneath the transparent buttons.
    TFlatPanel* FlatPanel1;
    TImage* Image6;
    TImage* Image7;
    TImage* Image9;
    TSpeedButton* SpeedButton1; // IP location
    TSpeedButton* SpeedButton2; // the locate command's button, never shown
    TSpeedButton* SpeedButton3; // IP Whois
    TSpeedButton* SpeedButton4; // Domain whois
    // Where the browser goes.
    QWidget* MapArea;
    QWebEngineView* WebBrowser1 = nullptr; // the map's browser, filling MapArea
    TSplitter* Splitter1;
    TListView* ListView1;
    QList<QIcon> ImageList1;
    QMenu* PopupMenu1;
    QAction* Go1;
    QAction* Whois1;
    QAction* TraceRoute1; // the focused row's address; Ctrl+T traces the current one
    QAction* Copy1;       // Ctrl+C
    QAction* SaveAs1;     // "Save list as CSV…"
    QAction* Clear1;
    // Many addresses at once (fMainBulk.cpp).
    QAction* Paste1; // "Paste addresses", Ctrl+V in the list
    QAction* Open1;  // "Open addresses…", Ctrl+O
    QAction* Stop1;  // "Stop", Esc, while a run goes on
    TFlatTitlebar* FlatTitlebar3;
    // The WHOIS client of the "IP Whois" command.
    orvanta::net::TIdWhois IdWhois1;

    // Handlers.
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
    // The route window (fMainRoute.cpp).
    void TraceRoute1Click();
    void TraceCurrentAddress();
    // The map script bridge once the map page is loading; null before.
    TMapScriptBridge* MapBridge() const { return FMapBridge; }
    // Getting results out of the list (fMainResults.cpp).
    void Copy1Click();
    void SaveAs1Click(); // asks for a file name, then SaveListAsCsv
    void SaveListAsCsv(const QString& path);
    void Clear1Click();
    // Many addresses at once (fMainBulk.cpp): every address in the text or
    // file becomes a row with its count and a marker in the map's layer of
    // many places. Runs off the window's thread; a second one waits for the
    // first.
    void Paste1Click();
    void Open1Click(); // asks for a file name, then LocateAddressesInFile
    void Stop1Click();
    void LocateAddressesInText(const QString& text);
    void LocateAddressesInFile(const QString& path);
    bool BulkRunning() const;
    // Host names of a run's rows still waiting or under way.
    std::size_t BulkNamesPending() const;
    // Tests answer reverse lookups themselves; null restores the system's.
    void SetHostResolver(THostResolver* resolver);
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
    void BuildTitleStrip(QWidget* client);
    void BuildLogoStrip(QWidget* client);
    void BuildPanelHeader(QWidget* client);
    QWidget* BuildMiddle(QWidget* client);
    void BuildSidePanel(QWidget* middle);
    void BuildResultsList(QWidget* client);
    void WireMain();
    void WireMap();
    void WireWhois();
    void WireResults();
    void WireRoute();
    void WireBulk();
    void BulkRows(TBulkBatch&& batch);
    void BulkFinished(int outcome, const QString& error);
    void ClearPlaces();
    void SelectPlaceRow(int row);
    void ReadDecimalSeparator();
    void UpdateListActions();
    bool ShowFocusedRow();
    QList<QWidget*> OwnedWindows() const;

    // The map script bridge: usable once the map page has loaded, for the
    // rest of the run. Empty before FormCreate.
    TMapScriptBridge* FMapBridge = nullptr;
    // Where each results row is, for the open map's geocoder: fed as rows
    // are added and shown again.
    std::shared_ptr<orvanta::map::PlaceBook> FPlaces;
    // The user's decimal separator, read at start-up and on every locale change.
    QChar FDecimalSeparator = QLatin1Char('.');
    THostResolver* FHostResolver = nullptr;
    TBulkRun* FBulkRun = nullptr;
    TBulkHostNames* FBulkNames = nullptr;
    TBulkPlaces* FBulkPlaces = nullptr;
    bool shownOnce_ = false;
    bool closeRequested_ = false;
    QList<QWidget*> hiddenWithMinimize_;
};

extern TfrmMain* frmMain;
