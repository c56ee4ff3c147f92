// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/work/TBulkRole.h"

#include "capture/FileKind.h"
#include "forms/results/TListView.h"
#include "forms/support/ErrorReport.h"
#include "forms/support/Guard.h"
#include "forms/support/Notice.h"
#include "forms/work/TBulkHostNames.h"
#include "forms/work/TBulkRun.h"
#include "forms/work/TMapLayers.h"
#include "site/PlacesResponder.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QTimer>
#include <algorithm>

namespace {

const QString kDatabaseFile = QStringLiteral("GeoLiteCity.dat");
constexpr int kProgressSteps = 1000;

// Drops on the main window: files are opened as address files or captures,
// any other text is taken as pasted. The map's browser leaves drops to the window,
// so a dropped file never replaces the map page.
class TDropTarget : public QObject {
public:
    explicit TDropTarget(TBulkRole* role) : QObject(role), role_(role) {}

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
                role_->LocateAddressesInFile(url.toLocalFile());
                tookFile = true;
            }
        }
        if (!tookFile)
            role_->LocateAddressesInText(data->text());
    }
    TBulkRole* role_;
};

QAction* MenuAction(QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    return action;
}

} // namespace

TBulkRole::TBulkRole(const Parts& parts, QObject* parent)
    : QObject(parent), parts_(parts), run_(new TBulkRun(kDatabaseFile, this)),
      names_(new TBulkHostNames(this)) {
    run_->onRows = [this](TBulkBatch&& batch) { RunGuarded([&] { Rows(std::move(batch)); }); };
    run_->onProgress = [this](double done) {
        QProgressBar* bar = parts_.progress;
        if (!bar->isVisible())
            bar->show();
        bar->setRange(0, kProgressSteps);
        bar->setValue(static_cast<int>(done * kProgressSteps));
    };
    run_->onFinished = [this](TBulkRun::Outcome outcome, const QString& error) {
        RunGuarded([&] { Finished(static_cast<int>(outcome), error); });
    };
    names_->onNames = [this](const std::vector<std::pair<int, QString>>& names) {
        parts_.list->SetHostNames(TBulkRun::kHostSubItem, names);
    };

    parts_.menu->addSeparator();
    Paste1 = MenuAction(parts_.menu, "Paste1", QStringLiteral("Paste addresses"));
    Paste1->setShortcut(QKeySequence::Paste);
    Paste1->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    parts_.list->addAction(Paste1);
    Open1 = MenuAction(parts_.menu, "Open1", QStringLiteral("Open addresses\u2026"));
    Open1->setShortcut(QKeySequence::Open);
    Open1->setShortcutContext(Qt::WindowShortcut);
    parts_.window->addAction(Open1);
    Stop1 = MenuAction(parts_.menu, "Stop1", QStringLiteral("Stop"));
    Stop1->setShortcut(Qt::Key_Escape);
    Stop1->setShortcutContext(Qt::WindowShortcut);
    Stop1->setEnabled(false);
    parts_.window->addAction(Stop1);
    connect(Paste1, &QAction::triggered, this, Guarded([this] { Paste1Click(); }));
    connect(Open1, &QAction::triggered, this, Guarded([this] { Open1Click(); }));
    connect(Stop1, &QAction::triggered, this, Guarded([this] { Stop1Click(); }));

    parts_.window->setAcceptDrops(true);
    if (parts_.browser)
        parts_.browser->setAcceptDrops(false);
    parts_.window->installEventFilter(new TDropTarget(this));
    TPlacesResponder::setRowSelector([this](int row) { SelectRow(row); });
    // A single place on the map is titled with its row's address.
    TPlacesResponder::setRowTitle([list = parts_.list](std::uint32_t row) {
        return row < static_cast<std::uint32_t>(list->Count())
                   ? list->Row(static_cast<int>(row)).address.toStdString()
                   : std::string();
    });
}

void TBulkRole::Paste1Click() {
    LocateAddressesInText(QGuiApplication::clipboard()->text());
}

void TBulkRole::Open1Click() {
    QFileDialog dialog(parts_.window, QStringLiteral("Open addresses"), QDir::homePath());
    dialog.setObjectName(QStringLiteral("OpenDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // Only a help for finding files: what a file is, its content tells.
    dialog.setNameFilters({QStringLiteral("Logs and text (*.log *.txt *.csv)"),
                           QStringLiteral("Packet captures (*.pcap *.pcapng *.cap)"),
                           QStringLiteral("Saved results (*.geojson *.json)"),
                           QStringLiteral("All files (*)")});
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    LocateAddressesInFile(dialog.selectedFiles().constFirst());
}

void TBulkRole::Stop1Click() {
    run_->StopKeepingCounted();
    names_->Stop();
}

void TBulkRole::Stop() {
    namesLater_.clear();
    namesLaterCount_ = 0;
    run_->Stop();
    names_->Stop();
}

void TBulkRole::LocateAddressesInText(const QString& text) {
    run_->AddText(text, parts_.decimalSeparator());
    Stop1->setEnabled(true);
}

void TBulkRole::LocateAddressesInFile(const QString& path) {
    if (onFile && onFile(path))
        return;
    if (orvanta::capture::FileKindOf(path.toStdString()) == orvanta::capture::FileKind::Capture)
        run_->AddCapture(path, parts_.decimalSeparator());
    else
        run_->AddFile(path, parts_.decimalSeparator());
    Stop1->setEnabled(true);
}

bool TBulkRole::Running() const {
    return run_->Running();
}

std::size_t TBulkRole::NamesPending() const {
    return names_->Pending() + namesLaterCount_;
}

void TBulkRole::Rows(TBulkBatch&& batch) {
    // Everything of the piece was made on the run's thread: here it is only
    // swapped in. Pasted rows get their names only when the user asks for
    // them (or has asked for them for every run), a capture's never: until
    // then their host name cells read "Not looked up".
    const bool named = batch.lookUpHostNames && (!parts_.namesForRuns || parts_.namesForRuns());
    if (onRowsComing)
        onRowsComing(batch.rows.size() + (batch.total - std::min(batch.total, batch.done)));
    // Only runs whose names are wanted pay for their addresses' texts.
    std::vector<std::string> addresses;
    if (named) {
        addresses.reserve(batch.rows.size());
        for (std::size_t row = 0; row < batch.rows.size(); ++row)
            addresses.emplace_back(batch.rows.Address(row));
    }
    const int first = parts_.list->AddRuns(std::move(batch.rows));
    for (orvanta::cluster::PlaceIn& place : batch.places)
        place.row += static_cast<std::uint32_t>(first);
    parts_.layers->AddRunPlaces(std::move(batch.places));
    if (!addresses.empty()) {
        namesLaterCount_ += addresses.size();
        namesLater_.emplace_back(first, std::move(addresses));
    }
}

void TBulkRole::Finished(int outcome, const QString& error) {
    // The pieces are handed over whole: a million rows' names cost the
    // window's thread no more than a few pieces.
    if (!namesLater_.empty()) {
        names_->SetResolver(parts_.hostResolver());
        for (auto& [first, addresses] : namesLater_)
            names_->AddMany(first, std::move(addresses));
        namesLater_.clear();
        namesLaterCount_ = 0;
    }
    // The rows in the list keep their markers, also after a stop.
    parts_.layers->FlushRunPlaces();
    Stop1->setEnabled(run_->Running());
    if (!run_->Running()) {
        parts_.progress->reset();
        parts_.progress->hide();
    }
    switch (static_cast<TBulkRun::Outcome>(outcome)) {
    case TBulkRun::Outcome::Done:
        parts_.layers->FitRunPlaces();
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

void TBulkRole::SelectRow(int row) {
    TListView* list = parts_.list;
    if (row < 0 || row >= list->Count())
        return;
    const QModelIndex index = list->model()->index(row, 0);
    list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                       QItemSelectionModel::Rows);
    list->scrollTo(index);
}

void TBulkRole::LookUpNames(const std::vector<int>& rows) {
    TListView* list = parts_.list;
    std::vector<std::pair<int, QString>> pending;
    pending.reserve(rows.size());
    for (int row : rows)
        if (row >= 0 && row < list->Count())
            pending.emplace_back(row, QString());
    list->SetHostNames(TBulkRun::kHostSubItem, pending);
    names_->SetResolver(parts_.hostResolver());
    for (const auto& [row, text] : pending)
        names_->Add(row, list->Row(row).address.toStdString());
}

void TBulkRole::StopNames(const QString& text) {
    names_->Abandon(text);
}
