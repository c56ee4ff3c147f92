// SPDX-License-Identifier: GPL-3.0-or-later
#include "site/MapDataResponder.h"

#include "map/OpenMapSite.h"
#include "map/PlaceBook.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QUrlQuery>
#include <QWebEngineUrlRequestJob>

namespace {

QString fromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

struct Settings {
    std::weak_ptr<const orvanta::map::PlaceBook> book;
    QString worldFile = fromView(orvanta::map::kWorldFileName);
};

Settings& settings() {
    static Settings instance;
    return instance;
}

void replyWith(QWebEngineUrlRequestJob* job, const QByteArray& type, const QByteArray& data) {
    // The job reads the buffer later; it owns it through the parent link.
    auto* body = new QBuffer(job);
    body->setData(data);
    body->open(QIODevice::ReadOnly);
    job->reply(type, body);
}

void answerPlace(QWebEngineUrlRequestJob* job, const QUrl& url) {
    const QString address =
        QUrlQuery(url).queryItemValue(QStringLiteral("address"), QUrl::FullyDecoded);
    std::optional<orvanta::map::Place> place;
    if (const auto book = settings().book.lock()) {
        place = book->Find(address.toStdString());
    }
    replyWith(job, "application/json", QByteArray::fromStdString(orvanta::map::placeAnswer(place)));
}

// A file that is missing, unreadable or too large is simply not there: the
// page draws without its world map. So is anything but a regular file: a
// FIFO would hold the open, on the UI thread that serves the page, until
// something writes to it.
void answerWorld(QWebEngineUrlRequestJob* job) {
    QFile file(settings().worldFile);
    if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly) || file.size() <= 0 ||
        static_cast<std::uint64_t>(file.size()) > orvanta::map::kMaxWorldFileBytes) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    replyWith(job, "application/json", file.read(file.size()));
}

} // namespace

bool TMapDataResponder::isMapDataPath(const QString& path) {
    return path == fromView(orvanta::map::kPlacePath) || path == fromView(orvanta::map::kWorldPath);
}

void TMapDataResponder::respond(QWebEngineUrlRequestJob* job, const QUrl& url) {
    if (url.path(QUrl::FullyDecoded) == fromView(orvanta::map::kPlacePath)) {
        answerPlace(job, url);
    } else {
        answerWorld(job);
    }
}

void TMapDataResponder::setPlaceBook(std::weak_ptr<const orvanta::map::PlaceBook> book) {
    settings().book = std::move(book);
}

void TMapDataResponder::setWorldFile(const QString& fileName) {
    settings().worldFile = fileName;
}
