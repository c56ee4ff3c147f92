// SPDX-License-Identifier: GPL-3.0-or-later
#include "site/SiteSchemeHandler.h"

#include "site/MapDataResponder.h"
#include "site/PlacesResponder.h"
#include "site/RouteResponder.h"
#include "site/WebWhoisResponder.h"

#include <QBuffer>
#include <QFile>
#include <QUrl>
#include <QWebEngineUrlRequestJob>

namespace {

// Paths are looked up only among the site's own resources: a path that
// tries to climb out ("..") or names a folder is not found.
QString resourceFor(const QString& path) {
    if (!path.startsWith(u'/') || path.contains(QLatin1String("..")) || path.endsWith(u'/')) {
        return {};
    }
    return QStringLiteral(":/site") + path;
}

} // namespace

TSiteSchemeHandler::TSiteSchemeHandler(QObject* parent)
    : QWebEngineUrlSchemeHandler(parent), FWebWhois(new TWebWhoisResponder(this)) {}

QByteArray TSiteSchemeHandler::mimeTypeFor(const QString& path) {
    if (path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive)) {
        return "image/png";
    }
    if (path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
        return "image/svg+xml";
    }
    if (path.endsWith(QLatin1String(".html"), Qt::CaseInsensitive)) {
        return "text/html";
    }
    if (path.endsWith(QLatin1String(".js"), Qt::CaseInsensitive)) {
        return "text/javascript";
    }
    if (path.endsWith(QLatin1String(".css"), Qt::CaseInsensitive)) {
        return "text/css";
    }
    if (path.endsWith(QLatin1String(".json"), Qt::CaseInsensitive) ||
        path.endsWith(QLatin1String(".geojson"), Qt::CaseInsensitive)) {
        return "application/json";
    }
    return "application/octet-stream";
}

void TSiteSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job) {
    const QUrl url = job->requestUrl();
    if (job->requestMethod() != "GET" || url.host() != QLatin1String("site")) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    const QString path = url.path(QUrl::FullyDecoded);
    if (TWebWhoisResponder::isWebWhoisPath(path)) {
        FWebWhois->respond(job, url);
        return;
    }
    if (TMapDataResponder::isMapDataPath(path)) {
        TMapDataResponder::respond(job, url);
        return;
    }
    if (TRouteResponder::isRoutePath(path)) {
        TRouteResponder::respond(job, url);
        return;
    }
    if (TPlacesResponder::isPlacesPath(path)) {
        TPlacesResponder::respond(job, url);
        return;
    }
    const QString resource = resourceFor(path);
    QFile file(resource);
    if (resource.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    // The job reads the buffer later; it owns it through the parent link.
    auto* body = new QBuffer(job);
    body->setData(file.readAll());
    body->open(QIODevice::ReadOnly);
    job->reply(mimeTypeFor(path), body);
}
