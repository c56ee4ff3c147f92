// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/RouteWindow.h"

#include "forms/chrome/DialogChrome.h"
#include "forms/chrome/TFlatButton.h"
#include "forms/chrome/TFlatTitlebar.h"
#include "forms/chrome/TImage.h"
#include "forms/results/TListView.h"
#include "forms/support/FileReplace.h"
#include "forms/support/Guard.h"
#include "forms/support/SystemColors.h"
#include "forms/support/WindowPlacement.h"
#include "forms/work/RoutePlaces.h"
#include "geoip/OrganizationOf.h"
#include "net/PrivateMode.h"
#include "site/MapScriptBridge.h"
#include "site/RouteResponder.h"
#include "tabletext/DelimitedText.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QShortcut>
#include <QTimer>

TfrmRoute* frmRoute = nullptr;

using orvanta::trace::Hop;
using orvanta::trace::HopKind;
using orvanta::trace::TraceEvent;

namespace {
constexpr int kClientWidth = 760;
constexpr int kClientHeight = 420;
constexpr int kFootHeight = 30;
constexpr const char* kUnresolvedHost = "Unresolved Host";

QString RoundTripText(const Hop& hop) {
    QStringList parts;
    for (const auto& probe : hop.probes)
        parts << (probe.rttMs ? QString::number(*probe.rttMs, 'f', 3) + QStringLiteral(" ms")
                              : QStringLiteral("*"));
    return parts.join(QStringLiteral("  "));
}

QString KindNote(const Hop& hop) {
    if (hop.kind != HopKind::Unreachable)
        return {};
    return QStringLiteral(" (unreachable, code %1)").arg(hop.icmpCode);
}
} // namespace

TfrmRoute::TfrmRoute(QWidget* owner)
    : TBorderlessWindow(owner, Sizing::Fixed),
      session_(std::make_unique<orvanta::trace::TraceSession>()), poll_(new QTimer(this)) {
    setObjectName(QStringLiteral("frmRoute"));
    setWindowTitle(QStringLiteral("Trace Route"));
    const DialogChrome chrome =
        DialogChrome::Add(*this, {kClientWidth, kClientHeight}, SystemColors::Window(),
                          QStringLiteral("Trace Route"));
    FlatTitlebar1 = chrome.Titlebar;
    Image1 = chrome.Close;
    QWidget* client = Client();
    BuildList(client);

    const int footTop = kClientHeight - kFootHeight + 4;
    LabelStatus = new QLabel(client);
    LabelStatus->setObjectName(QStringLiteral("LabelStatus"));
    LabelStatus->setAccessibleName(QStringLiteral("Trace status"));
    LabelStatus->setGeometry(8, footTop, kClientWidth - 260, 22);
    ButtonStop = new TFlatButton(QStringLiteral("Stop"), client);
    ButtonStop->setObjectName(QStringLiteral("ButtonStop"));
    ButtonStop->setAccessibleName(QStringLiteral("Stop"));
    ButtonStop->setGeometry(kClientWidth - 244, footTop, 80, 22);
    // The flat button paints no disabled state: Stop shows only while a
    // trace runs.
    ButtonStop->setEnabled(false);
    ButtonStop->hide();
    ButtonSave = new TFlatButton(QStringLiteral("Save as CSV\u2026"), client);
    ButtonSave->setObjectName(QStringLiteral("ButtonSave"));
    ButtonSave->setAccessibleName(QStringLiteral("Save as CSV"));
    ButtonSave->setGeometry(kClientWidth - 156, footTop, 148, 22);

    connect(Image1, &TImage::Clicked, this, Guarded([this] { Image1Click(); }));
    connect(chrome.Escape, &QShortcut::activated, this, Guarded([this] { Image1Click(); }));
    connect(ButtonStop, &QAbstractButton::clicked, this, Guarded([this] { StopClick(); }));
    connect(ButtonSave, &QAbstractButton::clicked, this, Guarded([this] { SaveClick(); }));
    auto* copy = new QShortcut(QKeySequence::Copy, this);
    connect(copy, &QShortcut::activated, this, Guarded([this] { CopyClick(); }));
    auto* all = new QShortcut(QKeySequence::SelectAll, this);
    connect(all, &QShortcut::activated, ListHops, &QAbstractItemView::selectAll);
    poll_->setInterval(50);
    connect(poll_, &QTimer::timeout, this, Guarded([this] { PollSession(); }));
    TRouteResponder::setHopSelected([this](int hop) { SelectHop(hop); });
    // The organisation files beside the city database, as the results list reads them.
    organisationOf_ = [](const QString& address) {
        return QString::fromStdString(orvanta::geoip::OrganizationOf(address.toStdString()));
    };
}

TfrmRoute::~TfrmRoute() {
    TRouteResponder::setHopSelected({});
}

void TfrmRoute::BuildList(QWidget* client) {
    ListHops = new TListView(client);
    ListHops->setObjectName(QStringLiteral("ListHops"));
    ListHops->setAccessibleName(QStringLiteral("Hops"));
    ListHops->SetColumns({{QStringLiteral("Hop"), 36},
                          {QStringLiteral("IP address"), 110},
                          {QStringLiteral("Host name"), 150},
                          {QStringLiteral("Location"), 170},
                          {QStringLiteral("Organisation"), 120},
                          {QStringLiteral("Round trip"), 170}});
    ListHops->setGeometry(0, TFlatTitlebar::kHeight, kClientWidth,
                          kClientHeight - TFlatTitlebar::kHeight - kFootHeight);
    ListHops->horizontalHeader()->setStretchLastSection(true);
}

void TfrmRoute::SetOrganisationLookup(std::function<QString(const QString&)> lookup) {
    organisationOf_ = std::move(lookup);
}

void TfrmRoute::RunTrace(const QWidget* mainWindow, const QString& address) {
    ShowCentredOver(this, mainWindow);
    StartTrace(address);
}

void TfrmRoute::StartTrace(const QString& address) {
    session_->Stop();
    ListHops->Clear();
    hops_.clear();
    ClearMapRoute();
    destination_ = address.trimmed();
    LabelStatus->setText(QStringLiteral("Tracing the route to %1\u2026").arg(destination_));
    ButtonStop->setEnabled(true);
    ButtonStop->show();
    session_->Start(destination_.toStdString());
    poll_->start();
}

void TfrmRoute::StopClick() {
    session_->Stop();
}

void TfrmRoute::Image1Click() {
    hide();
}

void TfrmRoute::PollSession() {
    for (const TraceEvent& event : session_->TakeEvents())
        ShowEvent(event);
    if (!session_->Running())
        poll_->stop();
}

void TfrmRoute::ShowEvent(const TraceEvent& event) {
    switch (event.kind) {
    case TraceEvent::Kind::Hop:
        ShowHop(event.hop);
        break;
    case TraceEvent::Kind::HopName:
        ShowHostName(event.hop.number, event.name);
        break;
    case TraceEvent::Kind::End:
        ShowEnd(event);
        break;
    }
}

void TfrmRoute::ShowHop(const Hop& hop) {
    const QString address = QString::fromStdString(hop.address);
    TResultRow row;
    QString texts[ColumnCount];
    texts[HopColumn] = QString::number(hop.number);
    texts[AddressColumn] = address.isEmpty() ? QStringLiteral("*") : address + KindNote(hop);
    if (!address.isEmpty()) {
        // Private mode: the hop's name is never asked (the probes still go).
        texts[HostColumn] = orvanta::net::PrivateMode() ? QString::fromLatin1(kNotLookedUp)
                                                        : QStringLiteral("\u2026");
        const HopPlace place = PlaceOfHop(databaseFile_, address);
        row = place.row;
        texts[LocationColumn] = place.location;
        if (organisationOf_) {
            texts[OrganisationColumn] = organisationOf_(address);
            SetOrganisationText(row, texts[OrganisationColumn]);
        }
        if (place.latitude && place.longitude)
            points_.push_back({hop.number, *place.latitude, *place.longitude,
                               (QString::number(hop.number) + QLatin1Char(' ') + address +
                                QStringLiteral(", ") + place.location)
                                   .toStdString()});
    }
    texts[RoundTripColumn] = RoundTripText(hop);
    TListItem item{texts[HopColumn], {}, -1};
    for (int c = HopColumn + 1; c < ColumnCount; ++c)
        item.SubItems << texts[c];
    hops_.push_back(hop.number);
    ListHops->AddRows({row}, {item});
    ListHops->scrollToBottom();
    DrawRoute(false);
}

int TfrmRoute::RowOfHop(int hop) const {
    for (std::size_t row = 0; row < hops_.size(); ++row)
        if (hops_[row] == hop)
            return static_cast<int>(row);
    return -1;
}

void TfrmRoute::ShowHostName(int hop, const std::optional<std::string>& name) {
    const int row = RowOfHop(hop);
    if (row < 0)
        return;
    // The list's typed host name follows the text: the name, or none.
    ListHops->SetHostNames(HostColumn - 1, {{row, name ? QString::fromStdString(*name)
                                                       : QString::fromLatin1(kUnresolvedHost)}});
}

void TfrmRoute::ShowEnd(const TraceEvent& event) {
    ButtonStop->setEnabled(false);
    ButtonStop->hide();
    if (!event.error.empty()) {
        LabelStatus->setText(QString::fromStdString(event.error));
        return;
    }
    const auto& summary = event.summary;
    QString text;
    if (summary.stopped)
        text = QStringLiteral("Stopped after %1 hops").arg(summary.hops);
    else if (summary.reached)
        text = QStringLiteral("%1 reached in %2 hops").arg(destination_).arg(summary.hops);
    else
        text = QStringLiteral("%1 not reached in %2 hops").arg(destination_).arg(summary.hops);
    LabelStatus->setText(text);
    DrawRoute(true);
}

void TfrmRoute::DrawRoute(bool fit) {
    if (!bridge_ || bridge_->state() != TMapScriptBridge::State::Ready)
        return;
    // The list is what the user asked for; a map that cannot draw the
    // route says so in the status line and leaves the list as it is.
    try {
        bridge_->run(orvanta::map::routeShowCall(points_, fit));
    } catch (const std::exception& error) {
        LabelStatus->setText(QStringLiteral("The map could not draw the route: ") +
                             QString::fromUtf8(error.what()));
    }
}

void TfrmRoute::ClearMapRoute() {
    points_.clear();
    if (bridge_ && bridge_->state() == TMapScriptBridge::State::Ready)
        bridge_->run(orvanta::map::routeClearCall());
}

void TfrmRoute::SelectHop(int hop) {
    const int row = RowOfHop(hop);
    if (row < 0)
        return;
    ListHops->selectRow(row);
    ListHops->scrollTo(ListHops->model()->index(row, HopColumn));
}

QString TfrmRoute::HopsText(bool selectedOnly) const {
    QStringList lines;
    for (int row = 0; row < ListHops->Count(); ++row) {
        if (selectedOnly && !ListHops->selectionModel()->isRowSelected(row, {}))
            continue;
        std::vector<std::string> fields;
        for (int c = 0; c < ColumnCount; ++c)
            fields.push_back(ListHops->Text(row, c).toStdString());
        lines << QString::fromStdString(orvanta::tabletext::DelimitedLine(fields, '\t'));
    }
    return lines.join(QLatin1Char('\n'));
}

void TfrmRoute::CopyClick() {
    const QString text = HopsText(true);
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

void TfrmRoute::SaveClick() {
    QFileDialog dialog(this, QStringLiteral("Save route as CSV"), QDir::homePath());
    dialog.setObjectName(QStringLiteral("SaveDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({QStringLiteral("CSV files (*.csv)"), QStringLiteral("All files (*)")});
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.selectFile(QStringLiteral("orvanta-route.csv"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    SaveHopsAsCsv(dialog.selectedFiles().constFirst());
}

void TfrmRoute::SaveHopsAsCsv(const QString& path) {
    std::vector<std::string> header;
    for (int c = 0; c < ColumnCount; ++c)
        header.push_back(ListHops->model()->headerData(c, Qt::Horizontal).toString().toStdString());
    std::vector<std::vector<std::string>> rows;
    for (int row = 0; row < ListHops->Count(); ++row) {
        std::vector<std::string> fields;
        for (int c = 0; c < ColumnCount; ++c)
            fields.push_back(ListHops->Text(row, c).toStdString());
        rows.push_back(std::move(fields));
    }
    ReplaceFile(path, QByteArray::fromStdString(orvanta::tabletext::CsvText(header, rows)));
}
