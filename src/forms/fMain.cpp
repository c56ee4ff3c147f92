// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/fMain.h"

#include "Pictures.h"
#include "forms/NetAbout.h"
#include "forms/RouteWindow.h"
#include "forms/SummaryWindow.h"
#include "forms/Unit1.h"
#include "forms/Unit2.h"
#include "forms/Unit4.h"
#include "forms/Unit5.h"
#include "forms/chrome/TFlatPanel.h"
#include "forms/chrome/TFlatTitlebar.h"
#include "forms/chrome/TImage.h"
#include "forms/chrome/TSpeedButton.h"
#include "forms/chrome/TSplitter.h"
#include "forms/results/TColumnFit.h"
#include "forms/results/TListView.h"
#include "forms/support/Guard.h"
#include "forms/support/ProgramFonts.h"
#include "forms/support/SystemColors.h"
#include "forms/support/WindowPlacement.h"
#include "forms/work/TBulkRole.h"
#include "forms/work/TMapLayers.h"
#include "forms/work/TPrivacyRole.h"
#include "forms/work/TResultsRole.h"
#include "forms/work/TRouteRole.h"
#include "site/MapDataResponder.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineView>

TfrmMain* frmMain = nullptr;

namespace {
const char* const kDatabaseFile = "GeoLiteCity.dat";

template <class W> W* Named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

TImage* Picture(const QString& svg, QSize size, const char* name, const QString& tip,
                QWidget* parent) {
    auto* image = Named(new TImage(svg, parent), name);
    image->setFixedSize(size);
    if (!tip.isEmpty()) {
        image->setToolTip(tip);
        image->setAccessibleName(tip);
    }
    return image;
}

QList<QWidget*> OwnedWindows(const QObject& window) {
    QList<QWidget*> owned;
    for (QObject* child : window.children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (w && w->isWindow())
            owned << w;
    }
    return owned;
}

QChar UserDecimalSeparator() {
    const QString point = QLocale().decimalPoint();
    return point.isEmpty() ? QLatin1Char('.') : point.front();
}
} // namespace

TfrmMain::TfrmMain() : TBorderlessWindow(nullptr, Sizing::Resizable) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Orvanta"));
    setFont(TahomaCharHeight(11));
    ResizeClient({kClientWidth, kClientHeight});

    QWidget* client = Client();
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    BuildTitleStrips(client);
    BuildPanelHeader(client);
    QWidget* middle = BuildMiddle(client);
    BuildResultsList(client);
    Splitter1 = Named(new TSplitter(middle, ListView1, client), "Splitter1");
    FlatTitlebar3 = Named(new TFlatTitlebar(client), "FlatTitlebar3");

    layout->addWidget(FlatTitlebar1);
    layout->addWidget(FlatTitlebar2);
    layout->addWidget(PanelHeader);
    layout->addWidget(ProgressBar1);
    layout->addWidget(middle, 1);
    layout->addWidget(Splitter1);
    layout->addWidget(ListView1);
    layout->addWidget(FlatTitlebar3);
    WireMain();
    WireMap();
    WireWhois();
    WireResults();
    WireRoles();
    FDecimalSeparator = UserDecimalSeparator();
    ListView1->SetDecimalSeparator(FDecimalSeparator);
}

void TfrmMain::WireRoles() {
    Layers = new TMapLayers(this);
    Layers->onClearRoute = [] {
        // The route drawn on the map goes with the rows.
        if (frmRoute)
            frmRoute->ClearMapRoute();
    };
    TMapDataResponder::setPlaceBook(Layers->Places());
    Bulk = new TBulkRole({this, WebBrowser1, PopupMenu1, ListView1, ProgressBar1, Layers,
                          [this] { return FDecimalSeparator; }, [this] { return FHostResolver; },
                          [this] { return Privacy->NamesForRuns(); }},
                         this);
    Route = new TRouteRole({this, TraceRoute1, ListView1,
                            []() -> std::optional<QString> {
                                if (!Form1)
                                    return std::nullopt;
                                return Form1->IP->text();
                            },
                            [this](const QString& address) {
                                if (!frmRoute)
                                    return;
                                frmRoute->SetMapBridge(Layers->Bridge());
                                frmRoute->RunTrace(this, address);
                            }},
                           this);
    Results = new TResultsRole({this, PopupMenu1, ListView1, Layers, Bulk, SaveAs1,
                                [this] { return FDecimalSeparator; },
                                [this] { frmSummary->ShowOver(this); }},
                               this);
    frmSummary = new TfrmSummary(this, Results);
    Privacy = new TPrivacyRole({this, PopupMenu1, ListView1, FlatTitlebar3,
                                [this](const std::string& call) { Layers->Post(call); },
                                [this](const std::vector<int>& rows) { Bulk->LookUpNames(rows); },
                                [this](const QString& text) { Bulk->StopNames(text); }},
                               this);
}

void TfrmMain::BuildTitleStrips(QWidget* client) {
    FlatTitlebar1 = Named(new TFlatTitlebar(client), "FlatTitlebar1");
    FlatTitlebar1->SetCaption(QStringLiteral("Orvanta"));
    FlatTitlebar1->SetTitlebarColor(Qt::white);
    FlatTitlebar1->SetActiveTextColor(SystemColors::ActiveBorder());
    Image1 = Picture(Pictures::Close, {44, 33}, "Image1", QStringLiteral("Exit"), FlatTitlebar1);
    Image1->setCursor(Qt::PointingHandCursor);
    Image2 =
        Picture(Pictures::Minimize, {46, 33}, "Image2", QStringLiteral("Minimize"), FlatTitlebar1);
    Image2->setCursor(Qt::PointingHandCursor);
    Image8 = Picture(Pictures::About, {44, 33}, "Image8", QStringLiteral("About"), FlatTitlebar1);
    Image8->setCursor(Qt::ArrowCursor);
    FlatTitlebar1->AddRightControl(Image1);
    FlatTitlebar1->AddRightControl(Image2);
    FlatTitlebar1->AddRightControl(Image8);

    FlatTitlebar2 = Named(new TFlatTitlebar(client), "FlatTitlebar2");
    FlatTitlebar2->setFixedHeight(65);
    FlatTitlebar2->SetTitlebarColor(SystemColors::DkShadow3D());
    // The logo's area starts 11 pixels above the strip: its top rows are cut off.
    Image3 = Picture(Pictures::Logo, {272, 65}, "Image3", {}, FlatTitlebar2);
    Image3->move(0, -11);
    Image3->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TfrmMain::BuildPanelHeader(QWidget* client) {
    PanelHeader = Named(new QWidget(client), "PanelHeader");
    PanelHeader->setFixedHeight(137);
    auto place = [](QWidget* w, int x, int y, int width = -1, int height = -1) {
        if (width < 0)
            w->adjustSize();
        else
            w->resize(width, height);
        w->move(x, y);
        return w;
    };
    LabelAddress = Named(new QLabel(QStringLiteral("Address"), PanelHeader), "LabelAddress");
    place(LabelAddress, 8, 8);
    MemoAddress = Named(new QPlainTextEdit(PanelHeader), "MemoAddress");
    MemoAddress->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoAddress->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoAddress->setLineWrapMode(QPlainTextEdit::NoWrap);
    place(MemoAddress, 6, 27, 729, 62);
    ButtonGotoAddress =
        Named(new QPushButton(QStringLiteral("Go to Address"), PanelHeader), "ButtonGotoAddress");
    place(ButtonGotoAddress, 741, 27, 99, 40);
    LabelLatitude = Named(new QLabel(QStringLiteral("Latitude"), PanelHeader), "LabelLatitude");
    place(LabelLatitude, 8, 95);
    Latitude = Named(new QLineEdit(QStringLiteral("25.767314"), PanelHeader), "Latitude");
    place(Latitude, 8, 110, 121, 21);
    LabelLongitude = Named(new QLabel(QStringLiteral("Longitude"), PanelHeader), "LabelLongitude");
    place(LabelLongitude, 135, 91);
    Longitude = Named(new QLineEdit(QStringLiteral("-80.135694"), PanelHeader), "Longitude");
    place(Longitude, 135, 110, 121, 21);
    ButtonGotoLocation = Named(new QPushButton(QStringLiteral("Go to Location "), PanelHeader),
                               "ButtonGotoLocation");
    place(ButtonGotoLocation, 262, 106, 99, 25);
    CheckBoxTraffic =
        Named(new QCheckBox(QStringLiteral("Traffic"), PanelHeader), "CheckBoxTraffic");
    place(CheckBoxTraffic, 383, 110, 58, 17);
    CheckBoxBicycling =
        Named(new QCheckBox(QStringLiteral("Bicycling"), PanelHeader), "CheckBoxBicycling");
    place(CheckBoxBicycling, 447, 110, 58, 17);
    CheckBoxStreeView =
        Named(new QCheckBox(QStringLiteral("Street View"), PanelHeader), "CheckBoxStreeView");
    place(CheckBoxStreeView, 520, 110, 97, 17);
    ButtonClearMarkers =
        Named(new QPushButton(QStringLiteral("Clear Markers"), PanelHeader), "ButtonClearMarkers");
    place(ButtonClearMarkers, 634, 106, 101, 25);
    PanelHeader->hide();

    ProgressBar1 = Named(new QProgressBar(client), "ProgressBar1");
    ProgressBar1->setFixedHeight(22);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->hide();
}

QWidget* TfrmMain::BuildMiddle(QWidget* client) {
    auto* middle = new QWidget(client);
    middle->setObjectName(QStringLiteral("Middle"));
    auto* row = new QHBoxLayout(middle);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    BuildSidePanel(middle);
    MapArea = Named(new QWidget(middle), "MapArea");
    MapArea->setMinimumHeight(0);
    auto* mapLayout = new QVBoxLayout(MapArea);
    mapLayout->setContentsMargins(0, 0, 0, 0);
    mapLayout->setSpacing(0);
    row->addWidget(FlatPanel1);
    row->addWidget(MapArea, 1);
    return middle;
}

void TfrmMain::BuildSidePanel(QWidget* middle) {
    FlatPanel1 = Named(new TFlatPanel(middle), "FlatPanel1");
    FlatPanel1->setFixedWidth(54);
    const QColor frame = SystemColors::WindowFrame();
    FlatPanel1->SetColors(frame, frame, frame);
    // Pictures first, so that the transparent buttons lie on top of them.
    Image6 = Picture(Pictures::IpLocation, {105, 73}, "Image6", {}, FlatPanel1);
    Image6->move(-13, 6);
    Image7 = Picture(Pictures::IpWhois, {105, 73}, "Image7", {}, FlatPanel1);
    Image7->move(-13, 102);
    Image9 = Picture(Pictures::DomainWhois, {105, 73}, "Image9", {}, FlatPanel1);
    Image9->move(0, 206);
    // The shortcuts follow the buttons from the top; Ctrl with a digit is
    // bound to nothing in a desktop program without tabs.
    auto button = [this](const char* name, int top, int height, const QString& tip,
                         const QKeySequence& key) {
        auto* b = Named(new TSpeedButton(FlatPanel1), name);
        b->setGeometry(0, top, 54, height);
        b->setAccessibleName(tip);
        if (key.isEmpty()) {
            b->setToolTip(tip);
        } else {
            b->setShortcut(key);
            b->setToolTip(
                QStringLiteral("%1 (%2)").arg(tip, key.toString(QKeySequence::NativeText)));
        }
        return b;
    };
    SpeedButton1 =
        button("SpeedButton1", 17, 60, QStringLiteral("IP location"), Qt::CTRL | Qt::Key_1);
    SpeedButton3 =
        button("SpeedButton3", 109, 60, QStringLiteral("IP Whois"), Qt::CTRL | Qt::Key_2);
    SpeedButton4 =
        button("SpeedButton4", 201, 67, QStringLiteral("Domain whois"), Qt::CTRL | Qt::Key_3);
    SpeedButton2 = button("SpeedButton2", 0, 0, {}, {});
    SpeedButton2->hide();
}

void TfrmMain::BuildResultsList(QWidget* client) {
    ListView1 = Named(new TListView(client), "ListView1");
    ListView1->setFixedHeight(172);
    ListView1->SetColumns({{QStringLiteral("IP Locations"), 250},
                           {QStringLiteral("IP address"), 100},
                           {QStringLiteral("Latitude"), 80},
                           {QStringLiteral("Logitude"), 80},
                           {QStringLiteral("Host name"), 320},
                           {QStringLiteral("Organization"), 250},
                           {QStringLiteral("Count"), 60}});
    // A capture's bytes on the wire, after its packets in Count.
    ListView1->SetLateColumn(QStringLiteral("Bytes"), 90);
    // At any size every column shows; the location line takes what is left.
    new TColumnFit(ListView1, {0, 100, 75, 75, 170, 150, 55, 80});
    for (const QString& icon : Pictures::ListIcons())
        ImageList1 << QIcon(icon);
    ListView1->SetSmallImages(ImageList1);
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    PopupMenu1 = Named(new QMenu(ListView1), "PopupMenu1");
    Go1 = Named(PopupMenu1->addAction(QStringLiteral("Go to Address")), "Go1");
    Whois1 = Named(PopupMenu1->addAction(QStringLiteral("Whois")), "Whois1");
    TraceRoute1 = Named(PopupMenu1->addAction(QStringLiteral("Trace route")), "TraceRoute1");
    PopupMenu1->addSeparator();
    Copy1 = Named(PopupMenu1->addAction(QStringLiteral("Copy")), "Copy1");
    Copy1->setShortcut(QKeySequence::Copy);
    // Ctrl+C works wherever the focus is in the list, menu open or not.
    Copy1->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    ListView1->addAction(Copy1);
    SaveAs1 = Named(PopupMenu1->addAction(QStringLiteral("Save list as\u2026")), "SaveAs1");
    Clear1 = Named(PopupMenu1->addAction(QStringLiteral("Clear list")), "Clear1");
    connect(ListView1, &QWidget::customContextMenuRequested, PopupMenu1, [this](const QPoint& pos) {
        PopupMenu1->popup(ListView1->viewport()->mapToGlobal(pos));
    });
}

void TfrmMain::WireMain() {
    connect(Image1, &TImage::Clicked, this, Guarded([this] { Image1Click(); }));
    connect(Image2, &TImage::Clicked, this, Guarded([this] { Image2Click(); }));
    connect(Image8, &TImage::Clicked, this, Guarded([this] { Image8Click(); }));
    connect(SpeedButton1, &QAbstractButton::clicked, this,
            Guarded([this] { SpeedButton1Click(); }));
    connect(SpeedButton2, &QAbstractButton::clicked, this,
            Guarded([this] { SpeedButton2Click(); }));
}

void TfrmMain::WireWhois() {
    connect(SpeedButton3, &QAbstractButton::clicked, this,
            Guarded([this] { SpeedButton3Click(); }));
    connect(SpeedButton4, &QAbstractButton::clicked, this,
            Guarded([this] { SpeedButton4Click(); }));
    connect(Image9, &TImage::Clicked, this, Guarded([this] { Image9Click(); }));
}

void TfrmMain::SpeedButton3Click() {
    RunIpWhois();
}

void TfrmMain::SpeedButton4Click() {
    ShowCentredOver(Form5, this);
    // Ready for typing: a new name replaces the old one, which stays.
    Form5->domain->setFocus();
    Form5->domain->selectAll();
}

void TfrmMain::Image9Click() {
    ShowCentredOver(Form4, this);
}

void TfrmMain::setVisible(bool visible) {
    if (visible && !shownOnce_) {
        shownOnce_ = true;
        RunGuarded([this] { FormShow(); });
        if (closeRequested_)
            return;
        PlaceCentredOnScreen(this);
    }
    TBorderlessWindow::setVisible(visible);
}

void TfrmMain::FormShow() {
    const QString path = QDir::currentPath() + QLatin1Char('/') + QLatin1String(kDatabaseFile);
    // Rows before the first showing come from result files named at start,
    // which need no database.
    if (QFileInfo(path).isFile() || ListView1->Count() > 0)
        return;
    QMessageBox box(QMessageBox::Warning, QStringLiteral("DB missing"),
                    QStringLiteral("GeoIP CityDB missing Please Download GeoIP CityDB!!! "),
                    QMessageBox::Yes | QMessageBox::No);
    box.setObjectName(QStringLiteral("DatabaseMissing"));
    if (box.exec() == QMessageBox::Yes) {
        // Whatever the desktop makes of it; the outcome is not looked at.
        QDesktopServices::openUrl(
            QUrl::fromLocalFile(QDir::current().filePath(QStringLiteral("db"))));
        return;
    }
    closeRequested_ = true;
}

void TfrmMain::Image1Click() {
    close();
}

void TfrmMain::Image2Click() {
    showMinimized();
}

void TfrmMain::Image8Click() {
    if (AboutDialog->isVisible()) {
        AboutDialog->raise();
        AboutDialog->activateWindow();
    } else {
        AboutDialog->show();
    }
}

void TfrmMain::SpeedButton1Click() {
    ShowCentredOver(Form1, this);
    // Ready for typing: a new address replaces the old one, which stays.
    Form1->IP->setFocus();
    Form1->IP->selectAll();
}

void TfrmMain::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LocaleChange) {
        FDecimalSeparator = UserDecimalSeparator();
        ListView1->SetDecimalSeparator(FDecimalSeparator);
    }
    // Owned windows go with the main window to the taskbar and come back
    // with it, whatever the window manager does with transient windows.
    if (event->type() == QEvent::WindowStateChange) {
        if (isMinimized()) {
            for (QWidget* w : OwnedWindows(*this)) {
                if (w->isVisible()) {
                    hiddenWithMinimize_ << w;
                    w->hide();
                }
            }
        } else {
            for (QWidget* w : std::as_const(hiddenWithMinimize_))
                w->show();
            hiddenWithMinimize_.clear();
        }
    }
    TBorderlessWindow::changeEvent(event);
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    TBorderlessWindow::closeEvent(event);
    if (event->isAccepted())
        emit Closed();
}

void TfrmMain::resizeEvent(QResizeEvent* event) {
    TBorderlessWindow::resizeEvent(event);
    RunGuarded([this] { FormResize(); });
}
