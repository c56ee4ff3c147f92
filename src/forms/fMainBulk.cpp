// Many addresses at once in the main window: a pasted, dropped or opened
// text becomes one row per distinct address, with how often it occurred,
// and one marker per located address in the map's layer of many places.
// The reading and the lookups run on a thread of their own and the host
// names in the background, so the window answers throughout; the single
// locate keeps its blocking way.
#include "forms/support/Guard.h"
#include "forms/support/Notice.h"
#include "forms/work/TBulkHostNames.h"
#include "forms/work/TBulkPlaces.h"
#include "forms/work/TBulkRun.h"
#include "forms/results/TListView.h"
#include "forms/fMain.h"
#include "map/PlacesCalls.h"
#include "site/MapScriptBridge.h"
#include "site/PlacesResponder.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QWebEngineView>

namespace {

const QString kDatabaseFile = QStringLiteral("GeoLiteCity.dat");
constexpr int kProgressSteps = 1000;

// Drops on the main window: files are opened as address files, any other
// text is taken as pasted. The map's browser leaves drops to the window,
// so a dropped file never replaces the map page.
class TDropTarget : public QObject {
public:
    explicit TDropTarget(TfrmMain* window) : QObject(window), window_(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto* drag = static_cast<QDropEvent*>(event);
            if (Usable(drag->mimeData())) {
                drag->acceptProposedAction();
                return true;
            }
        } else if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            const QMimeData* data = drop->mimeData();
            if (Usable(data)) {
                drop->acceptProposedAction();
                RunGuarded([&] { Take(data); });
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    static bool Usable(const QMimeData* data) {
        return data && (data->hasUrls() || data->hasText());
    }
    void Take(const QMimeData* data) {
        bool tookFile = false;
        for (const QUrl& url : data->urls()) {
            if (url.isLocalFile()) {
                window_->LocateAddressesInFile(url.toLocalFile());
                tookFile = true;
            }
        }
        if (!tookFile)
            window_->LocateAddressesInText(data->text());
    }
    TfrmMain* window_;
};

} // namespace

void TfrmMain::WireBulk() {
    FBulkRun = new TBulkRun(kDatabaseFile, this);
    FBulkNames = new TBulkHostNames(this);
    FBulkPlaces = new TBulkPlaces(
        [this](const std::string& call) {
            if (FMapBridge != nullptr)
                FMapBridge->post(call);
        },
        this);
    FBulkRun->onRows = [this](TBulkBatch&& batch) {
        RunGuarded([&] { BulkRows(std::move(batch)); });
    };
    FBulkRun->onProgress = [this](double done) {
        if (!ProgressBar1->isVisible())
            ProgressBar1->show();
        ProgressBar1->setRange(0, kProgressSteps);
        ProgressBar1->setValue(static_cast<int>(done * kProgressSteps));
    };
    FBulkRun->onFinished = [this](TBulkRun::Outcome outcome, const QString& error) {
        RunGuarded([&] { BulkFinished(static_cast<int>(outcome), error); });
    };
    FBulkNames->onNames = [this](const std::vector<std::pair<int, QString>>& names) {
        ListView1->SetSubItems(TBulkRun::kHostSubItem, names);
    };

    PopupMenu1->addSeparator();
    Paste1 = PopupMenu1->addAction(QStringLiteral("Paste addresses"));
    Paste1->setObjectName(QStringLiteral("Paste1"));
    Paste1->setShortcut(QKeySequence::Paste);
    Paste1->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    ListView1->addAction(Paste1);
    Open1 = PopupMenu1->addAction(QStringLiteral("Open addresses\u2026"));
    Open1->setObjectName(QStringLiteral("Open1"));
    Open1->setShortcut(QKeySequence::Open);
    Open1->setShortcutContext(Qt::WindowShortcut);
    addAction(Open1);
    Stop1 = PopupMenu1->addAction(QStringLiteral("Stop"));
    Stop1->setObjectName(QStringLiteral("Stop1"));
    Stop1->setShortcut(Qt::Key_Escape);
    Stop1->setShortcutContext(Qt::WindowShortcut);
    Stop1->setEnabled(false);
    addAction(Stop1);
    connect(Paste1, &QAction::triggered, this, Guarded([this] { Paste1Click(); }));
    connect(Open1, &QAction::triggered, this, Guarded([this] { Open1Click(); }));
    connect(Stop1, &QAction::triggered, this, Guarded([this] { Stop1Click(); }));

    setAcceptDrops(true);
    if (WebBrowser1)
        WebBrowser1->setAcceptDrops(false);
    installEventFilter(new TDropTarget(this));
    TPlacesResponder::setRowSelector([this](int row) { SelectPlaceRow(row); });
}

void TfrmMain::Paste1Click() {
    LocateAddressesInText(QGuiApplication::clipboard()->text());
}

void TfrmMain::Open1Click() {
    QFileDialog dialog(this, QStringLiteral("Open addresses"), QDir::homePath());
    dialog.setObjectName(QStringLiteral("OpenDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(
        {QStringLiteral("Logs and text (*.log *.txt *.csv)"), QStringLiteral("All files (*)")});
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    LocateAddressesInFile(dialog.selectedFiles().constFirst());
}

void TfrmMain::Stop1Click() {
    FBulkRun->Stop();
    FBulkNames->Stop();
}

void TfrmMain::LocateAddressesInText(const QString& text) {
    FBulkRun->AddText(text, FDecimalSeparator);
    Stop1->setEnabled(true);
}

void TfrmMain::LocateAddressesInFile(const QString& path) {
    FBulkRun->AddFile(path, FDecimalSeparator);
    Stop1->setEnabled(true);
}

bool TfrmMain::BulkRunning() const {
    return FBulkRun->Running();
}

std::size_t TfrmMain::BulkNamesPending() const {
    return FBulkNames->Pending();
}

void TfrmMain::BulkRows(TBulkBatch&& batch) {
    std::vector<std::pair<int, std::string>> names;
    names.reserve(batch.rows.size());
    for (std::size_t i = 0; i < batch.rows.size(); ++i)
        names.emplace_back(static_cast<int>(i), batch.rows[i].SubItems[0].toStdString());
    const int first = ListView1->AddMany(std::move(batch.rows));
    for (orvanta::map::PlaceMark& mark : batch.places)
        mark.row += first;
    if (!batch.places.empty())
        FBulkPlaces->Add(std::move(batch.places));
    FBulkNames->SetResolver(FHostResolver);
    for (auto& [offset, address] : names)
        FBulkNames->Add(first + offset, address);
}

void TfrmMain::BulkFinished(int outcome, const QString& error) {
    // The rows in the list keep their markers, also after a stop.
    FBulkPlaces->Flush();
    Stop1->setEnabled(FBulkRun->Running());
    if (!FBulkRun->Running()) {
        ProgressBar1->reset();
        ProgressBar1->hide();
    }
    switch (static_cast<TBulkRun::Outcome>(outcome)) {
    case TBulkRun::Outcome::Done:
        if (FMapBridge != nullptr)
            FMapBridge->post(orvanta::map::placesFitCall());
        break;
    case TBulkRun::Outcome::NoAddresses:
        ShowNotice(QStringLiteral("No addresses found"));
        break;
    case TBulkRun::Outcome::Failed:
        ShowErrorReport(error);
        break;
    case TBulkRun::Outcome::Stopped:
        break;
    }
}

void TfrmMain::ClearPlaces() {
    // Rows are addressed by their index: nothing of a run may arrive once
    // the list is emptied, not even the markers that wait (dropped first:
    // the stop would send them).
    FBulkPlaces->Drop();
    FBulkRun->Stop();
    FBulkNames->Stop();
    if (FMapBridge != nullptr)
        FMapBridge->post(orvanta::map::placesClearCall());
}

void TfrmMain::SelectPlaceRow(int row) {
    if (row < 0 || row >= ListView1->Count())
        return;
    const QModelIndex index = ListView1->model()->index(row, 0);
    ListView1->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                            QItemSelectionModel::Rows);
    ListView1->scrollTo(index);
}
