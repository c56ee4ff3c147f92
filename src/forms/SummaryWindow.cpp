// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/SummaryWindow.h"

#include "forms/chrome/DialogChrome.h"
#include "forms/chrome/TFlatTitlebar.h"
#include "forms/chrome/TImage.h"
#include "forms/results/TSummaryModel.h"
#include "forms/support/Guard.h"
#include "forms/support/SystemColors.h"
#include "forms/support/WindowPlacement.h"
#include "forms/work/TResultsRole.h"
#include "tabletext/DelimitedText.h"

#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QShortcut>
#include <QTableView>
#include <algorithm>
#include <functional>

TfrmSummary* frmSummary = nullptr;

namespace {
constexpr int kClientWidth = 620;
constexpr int kClientHeight = 520;
constexpr int kLabelHeight = 22;
constexpr int kMargin = 8;

// A table view takes Ctrl+C itself (the current cell alone); the window's
// copy of whole lines goes first.
class TCopyKey : public QObject {
public:
    TCopyKey(QObject* parent, std::function<void()> copy)
        : QObject(parent), copy_(std::move(copy)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const bool isKey =
            event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride;
        if (isKey && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
            event->accept();
            if (event->type() == QEvent::KeyPress)
                copy_();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> copy_;
};
} // namespace

TfrmSummary::TfrmSummary(QWidget* owner, TResultsRole* results)
    : TBorderlessWindow(owner, Sizing::Fixed), results_(results),
      countries_(new TSummaryModel(QStringLiteral("Country"), this)),
      organizations_(new TSummaryModel(QStringLiteral("Organization"), this)) {
    setObjectName(QStringLiteral("frmSummary"));
    setWindowTitle(QStringLiteral("Summary"));
    const DialogChrome chrome = DialogChrome::Add(
        *this, {kClientWidth, kClientHeight}, SystemColors::Window(), QStringLiteral("Summary"));
    FlatTitlebar1 = chrome.Titlebar;
    Image1 = chrome.Close;
    QWidget* client = Client();
    const int tablesTop = TFlatTitlebar::kHeight + kMargin / 2;
    const int half = (kClientHeight - tablesTop) / 2;
    ListCountries =
        BuildTable(client, "ListCountries", QStringLiteral("Countries"), tablesTop, countries_);
    ListOrganizations = BuildTable(client, "ListOrganizations", QStringLiteral("Organizations"),
                                   tablesTop + half, organizations_);

    connect(results, &TResultsRole::SummaryChanged, this, [this] { SummaryChanged(); });
    connect(Image1, &TImage::Clicked, this, Guarded([this] { Image1Click(); }));
    connect(chrome.Escape, &QShortcut::activated, this, Guarded([this] { Image1Click(); }));
    auto* copy = new QShortcut(QKeySequence::Copy, this);
    connect(copy, &QShortcut::activated, this, Guarded([this] { CopyClick(); }));
    auto* all = new QShortcut(QKeySequence::SelectAll, this);
    connect(all, &QShortcut::activated, this, Guarded([this] { SelectAllClick(); }));
}

QTableView* TfrmSummary::BuildTable(QWidget* client, const char* name, const QString& caption,
                                    int top, TSummaryModel* model) {
    const int height = (kClientHeight - TFlatTitlebar::kHeight - kMargin / 2) / 2;
    auto* label = new QLabel(caption, client);
    label->setObjectName(QLatin1String(name) + QStringLiteral("Label"));
    label->setGeometry(kMargin, top, kClientWidth - 2 * kMargin, kLabelHeight);
    auto* table = new QTableView(client);
    table->setObjectName(QLatin1String(name));
    table->setAccessibleName(caption);
    label->setBuddy(table);
    table->setModel(model);
    table->setGeometry(kMargin, top + kLabelHeight, kClientWidth - 2 * kMargin,
                       height - kLabelHeight - kMargin);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(20);
    // The numbers narrow, so that every column shows beside the name.
    table->setColumnWidth(TSummaryModel::Name, 210);
    for (int column = TSummaryModel::Addresses; column < TSummaryModel::ColumnCount; ++column)
        table->setColumnWidth(column, 86);
    table->horizontalHeader()->setStretchLastSection(true);
    table->installEventFilter(new TCopyKey(table, Guarded([this] { CopyClick(); })));
    const bool countries = model == countries_;
    connect(table, &QAbstractItemView::doubleClicked, this,
            Guarded([this, model, countries](const QModelIndex& index) {
                if (index.isValid())
                    results_->SelectRowsOf(countries, model->Line(index.row()).key);
            }));
    return table;
}

void TfrmSummary::ShowOver(const QWidget* mainWindow) {
    Take();
    ShowCentredOver(this, mainWindow);
}

void TfrmSummary::SummaryChanged() {
    // Sorting a few hundred lines per batch is cheap, but not worth doing
    // for a window nobody looks at: a hidden one takes the summary when shown.
    if (isVisible())
        Take();
    else
        pending_ = true;
}

void TfrmSummary::showEvent(QShowEvent* event) {
    if (pending_)
        Take();
    TBorderlessWindow::showEvent(event);
}

void TfrmSummary::Take() {
    pending_ = false;
    countries_->SetLines(results_->Summary().Countries());
    organizations_->SetLines(results_->Summary().Organizations());
}

void TfrmSummary::Image1Click() {
    hide();
}

QTableView* TfrmSummary::FocusedTable() const {
    return ListOrganizations->hasFocus() ? ListOrganizations : ListCountries;
}

void TfrmSummary::SelectAllClick() {
    FocusedTable()->selectAll();
}

void TfrmSummary::CopyClick() {
    QTableView* table = FocusedTable();
    const auto* model = static_cast<const TSummaryModel*>(table->model());
    QModelIndexList rows = table->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return;
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QStringList lines;
    for (const QModelIndex& index : rows) {
        std::vector<std::string> fields;
        for (int column = 0; column < TSummaryModel::ColumnCount; ++column)
            fields.push_back(model->Text(index.row(), column).toStdString());
        lines << QString::fromStdString(orvanta::tabletext::DelimitedLine(fields, '\t'));
    }
    QGuiApplication::clipboard()->setText(lines.join(QLatin1Char('\n')));
}
