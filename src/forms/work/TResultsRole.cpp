// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/work/TResultsRole.h"

#include "cluster/PlaceClusters.h"
#include "forms/results/ResultRecords.h"
#include "forms/results/ResultsExport.h"
#include "forms/results/TListView.h"
#include "forms/support/FileReplace.h"
#include "forms/support/Guard.h"
#include "forms/work/TBulkRole.h"
#include "forms/work/TMapLayers.h"
#include "map/CountriesCalls.h"
#include "resultfiles/GeoJsonReader.h"
#include "resultfiles/GeoJsonWriter.h"
#include "resultfiles/KmlWriter.h"
#include "resultfiles/SavedFile.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QItemSelection>
#include <QMenu>
#include <QTimer>
#include <array>
#include <span>
#include <sys/stat.h>

namespace rf = orvanta::resultfiles;

namespace {

// The shaded map is sent at most this often while rows stream in, and
// the summary's readers are told as often.
constexpr int kCountriesDelayMs = 300;
// Rows are added up this long at a time, and so many between looks at the
// clock: the first rows of a big run each touch a fresh page of the
// summary's table, and take many times as long as the rest.
constexpr qint64 kTallySliceNs = 3'000'000;
constexpr std::size_t kTallyStep = 32;

enum class Format { Csv, GeoJson, Kml };

Format FormatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("geojson") || suffix == QLatin1String("json"))
        return Format::GeoJson;
    if (suffix == QLatin1String("kml"))
        return Format::Kml;
    return Format::Csv;
}

std::string LocalName(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

const QString kCsvFilter = QStringLiteral("CSV files (*.csv)");
const QString kGeoJsonFilter = QStringLiteral("GeoJSON files (*.geojson *.json)");
const QString kKmlFilter = QStringLiteral("KML files (*.kml)");

} // namespace

TResultsRole::TResultsRole(const Parts& parts, QObject* parent)
    : QObject(parent), parts_(parts), tallyLater_(new QTimer(this)),
      countriesLater_(new QTimer(this)) {
    parts_.menu->addSeparator();
    Summary1 = parts_.menu->addAction(QStringLiteral("Summary"));
    Summary1->setObjectName(QStringLiteral("Summary1"));
    Summary1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    Summary1->setShortcutContext(Qt::WindowShortcut);
    parts_.window->addAction(Summary1);
    connect(Summary1, &QAction::triggered, this, Guarded([this] { Summary1Click(); }));

    parts_.saveAs->setText(QStringLiteral("Save list as\u2026"));
    parts_.saveAs->setShortcut(QKeySequence::Save);
    parts_.saveAs->setShortcutContext(Qt::WindowShortcut);
    parts_.window->addAction(parts_.saveAs);

    // Every kind of row reaches the list through its model: single locates,
    // runs, restored files.
    QAbstractItemModel* model = parts_.list->model();
    connect(model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { RowsAdded(first, last); });
    // The list only ever loses all its rows at once ("Clear list").
    connect(model, &QAbstractItemModel::rowsRemoved, this, [this] { Clear(); });
    connect(model, &QAbstractItemModel::modelReset, this, [this] { Clear(); });
    parts_.bulk->onFile = [this](const QString& path) {
        if (!IsResultFile(path))
            return false;
        OpenResultFile(path);
        return true;
    };
    parts_.bulk->onRowsComing = [this](std::size_t rows) {
        summary_.Reserve(static_cast<std::size_t>(parts_.list->Count() - tallied_) + rows);
    };
    countriesLater_->setSingleShot(true);
    countriesLater_->setInterval(kCountriesDelayMs);
    connect(countriesLater_, &QTimer::timeout, this, [this] { SendCountries(); });
    tallyLater_->setSingleShot(true);
    tallyLater_->setInterval(0);
    connect(tallyLater_, &QTimer::timeout, this, [this] { TallySome(false); });
    toldAt_.start();
}

void TResultsRole::Summary1Click() {
    parts_.showSummary();
}

void TResultsRole::RowsAdded(int, int) {
    // The rows are added up later, in order: the list only ever grows at
    // its end between clears.
    if (!tallyLater_->isActive())
        tallyLater_->start();
}

void TResultsRole::TallySome(bool all) {
    TListView* list = parts_.list;
    const int count = list->Count();
    if (tallied_ >= count)
        return;
    QElapsedTimer clock;
    clock.start();
    do {
        // A run's rows are read as the run made them, without making the
        // list's whole rows.
        std::size_t offset = 0;
        if (const TRunRows* run = list->RunRowsAt(tallied_, offset)) {
            const std::size_t to = std::min(run->size(), offset + kTallyStep);
            tally_.Add(*run, offset, to);
            shading_ = true; // a run's rows all have their count
            tallied_ += static_cast<int>(to - offset);
            continue;
        }
        // Rows of a big run are new addresses, each a miss in the summary's
        // table: added some at a time, their misses side by side.
        std::array<const TResultRow*, kTallyStep> rows;
        std::size_t n = 0;
        for (; n < rows.size() && tallied_ < count; ++n, ++tallied_) {
            rows[n] = &list->Row(tallied_);
            shading_ = shading_ || rows[n]->count.has_value();
        }
        tally_.Add(std::span(rows.data(), n));
    } while (tallied_ < count && (all || clock.nsecsElapsed() < kTallySliceNs));
    if (tallied_ < count)
        tallyLater_->start();
    else
        tallyLater_->stop();
    if (shading_ && !countriesLater_->isActive())
        countriesLater_->start();
    // A shown Summary window sorts its tables anew on each word: told at
    // the end and now and then on the way, not after every slice.
    if (tallied_ == count || toldAt_.elapsed() >= kCountriesDelayMs) {
        toldAt_.restart();
        emit SummaryChanged();
    }
}

const rf::ResultSummary& TResultsRole::Summary() {
    TallySome(true);
    return summary_;
}

void TResultsRole::SendCountries() {
    // What is added up so far: the rest follows when it is.
    std::vector<orvanta::map::CountryShade> lines;
    for (const rf::SummaryLine& line : summary_.Countries())
        lines.push_back({line.key, line.name, line.addresses, line.occurrences});
    parts_.layers->Post(orvanta::map::countriesShowCall(lines));
}

void TResultsRole::Clear() {
    countriesLater_->stop();
    tallyLater_->stop();
    summary_.Clear();
    tally_.Clear();
    tallied_ = 0;
    if (shading_)
        parts_.layers->Post(orvanta::map::countriesClearCall());
    shading_ = false;
    // Rows left after a removal, if ever, are counted anew.
    if (parts_.list->Count() > 0)
        RowsAdded(0, parts_.list->Count() - 1);
    else
        emit SummaryChanged();
}

void TResultsRole::SaveAsClick() {
    QFileDialog dialog(parts_.window, QStringLiteral("Save list as"), QDir::homePath());
    dialog.setObjectName(QStringLiteral("SaveDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(
        {kCsvFilter, kGeoJsonFilter, kKmlFilter, QStringLiteral("All files (*)")});
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        dialog.setDefaultSuffix(filter == kGeoJsonFilter ? QStringLiteral("geojson")
                                : filter == kKmlFilter   ? QStringLiteral("kml")
                                                         : QStringLiteral("csv"));
    });
    dialog.selectFile(QStringLiteral("orvanta-results.csv"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    SaveList(dialog.selectedFiles().constFirst());
}

void TResultsRole::SaveList(const QString& path) {
    switch (FormatOf(path)) {
    case Format::Csv:
        ReplaceFile(path, ResultsCsv(*parts_.list));
        return;
    case Format::GeoJson: {
        const auto records = RecordsOf(*parts_.list);
        rf::SaveFile(LocalName(path), [&](std::ostream& out) { rf::WriteGeoJson(out, records); });
        return;
    }
    case Format::Kml: {
        const auto records = RecordsOf(*parts_.list);
        rf::SaveFile(LocalName(path), [&](std::ostream& out) { rf::WriteKml(out, records); });
        return;
    }
    }
}

bool TResultsRole::IsResultFile(const QString& path) {
    // Only a regular file is looked into: opening a pipe would wait for
    // its writer, and a log may well come through one.
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0 || !S_ISREG(status.st_mode))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray start = file.read(4096);
    return rf::LooksLikeGeoJson(std::string_view(start.constData(), start.size()));
}

void TResultsRole::OpenResultFile(const QString& path) {
    rf::GeoJsonContents contents = rf::ReadGeoJsonFile(LocalName(path));
    std::vector<TResultRow> rows;
    rows.reserve(contents.rows.size());
    for (const rf::ResultRecord& record : contents.rows)
        rows.push_back(RowOf(record));
    TListView* list = parts_.list;
    const int first = list->AddRows(std::move(rows));
    // The places come back as they were: every row in the place book the
    // map's "Go to Address" asks, the rows of runs in the layer of many places.
    std::vector<orvanta::cluster::PlaceIn> places;
    for (int row = first; row < list->Count(); ++row) {
        const TResultRow& values = list->Row(row);
        parts_.layers->AddPlace(list->Item(row), parts_.decimalSeparator());
        if (values.count && values.latitude && values.longitude)
            places.push_back({*values.latitude, *values.longitude, static_cast<std::uint32_t>(row),
                              *values.count});
    }
    if (!places.empty()) {
        parts_.layers->AddRunPlaces(std::move(places));
        parts_.layers->FlushRunPlaces();
        parts_.layers->FitRunPlaces();
    }
    TallySome(true);
    if (shading_) {
        countriesLater_->stop();
        SendCountries();
    }
}

void TResultsRole::SelectRowsOf(bool countries, const std::string& key) {
    TListView* list = parts_.list;
    const QAbstractItemModel* model = list->model();
    const int lastColumn = model->columnCount() - 1;
    QItemSelection selection;
    int first = -1; // of the run of matching rows at hand
    int firstOfAll = -1;
    const int count = list->Count();
    for (int row = 0; row <= count; ++row) {
        bool matches = false;
        if (row < count) {
            const rf::ResultRecord record = RecordOf(list->Row(row));
            matches = (countries ? rf::CountryKey(record) : rf::OrganisationKey(record)) == key;
        }
        if (matches && first < 0)
            first = row;
        if (!matches && first >= 0) {
            // One range per run of rows, so a country of thousands stays quick.
            selection.select(model->index(first, 0), model->index(row - 1, lastColumn));
            firstOfAll = firstOfAll < 0 ? first : firstOfAll;
            first = -1;
        }
    }
    list->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (firstOfAll >= 0) {
        const QModelIndex index = model->index(firstOfAll, 0);
        list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        list->scrollTo(index);
    }
}
