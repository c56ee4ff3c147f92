// SPDX-License-Identifier: GPL-3.0-or-later
#include "site/PlacesResponder.h"

#include "cluster/ViewRequest.h"
#include "map/PlacesCalls.h"

#include <QBuffer>
#include <QUrl>
#include <QUrlQuery>
#include <QWebEngineUrlRequestJob>

namespace {

struct Settings {
    std::function<void(int)> selector;
    std::function<std::shared_ptr<const orvanta::cluster::PlaceIndex>()> places;
    std::function<std::string(std::uint32_t)> title;
};

Settings& settings() {
    static Settings instance;
    return instance;
}

void replyJson(QWebEngineUrlRequestJob* job, QByteArray data) {
    auto* body = new QBuffer(job);
    body->setData(std::move(data));
    body->open(QIODevice::ReadOnly);
    job->reply("application/json", body);
}

void answerView(QWebEngineUrlRequestJob* job, const QUrl& url) {
    // The query as the page wrote it: numbers need no decoding, and
    // anything else is ignored by the reader.
    const QByteArray query = url.query(QUrl::FullyEncoded).toLatin1();
    const auto request = orvanta::cluster::ParseViewRequest(
        {query.constData(), static_cast<std::size_t>(query.size())});
    std::shared_ptr<const orvanta::cluster::PlaceIndex> index;
    if (settings().places)
        index = settings().places();
    if (!index)
        index = std::make_shared<const orvanta::cluster::PlaceIndex>();
    const auto answer = index->Query(request.bounds, request.zoom);
    replyJson(
        job, QByteArray::fromStdString(orvanta::cluster::ViewAnswerJson(answer, settings().title)));
}

} // namespace

bool TPlacesResponder::isPlacesPath(const QString& path) {
    return path == QLatin1String(orvanta::map::kSelectRowPath) ||
           path == QLatin1String(orvanta::cluster::kViewPath);
}

void TPlacesResponder::respond(QWebEngineUrlRequestJob* job, const QUrl& url) {
    if (url.path(QUrl::FullyDecoded) == QLatin1String(orvanta::cluster::kViewPath)) {
        answerView(job, url);
        return;
    }
    bool ok = false;
    const int row = QUrlQuery(url).queryItemValue(QStringLiteral("row")).toInt(&ok);
    replyJson(job, "{}");
    // After the reply: the selection may run a good deal of window code.
    if (ok && row >= 0 && settings().selector) {
        settings().selector(row);
    }
}

void TPlacesResponder::setRowSelector(std::function<void(int)> selector) {
    settings().selector = std::move(selector);
}

void TPlacesResponder::setPlaces(
    std::function<std::shared_ptr<const orvanta::cluster::PlaceIndex>()> places) {
    settings().places = std::move(places);
}

void TPlacesResponder::setRowTitle(std::function<std::string(std::uint32_t)> title) {
    settings().title = std::move(title);
}
