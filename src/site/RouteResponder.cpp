// SPDX-License-Identifier: GPL-3.0-or-later
#include "site/RouteResponder.h"

#include <QBuffer>
#include <QUrl>
#include <QUrlQuery>
#include <QWebEngineUrlRequestJob>

namespace {
std::function<void(int)>& Handler() {
    static std::function<void(int)> handler;
    return handler;
}
} // namespace

bool TRouteResponder::isRoutePath(const QString& path) {
    return path == QLatin1String("/route/select");
}

void TRouteResponder::respond(QWebEngineUrlRequestJob* job, const QUrl& url) {
    bool ok = false;
    const int hop = QUrlQuery(url).queryItemValue(QStringLiteral("hop")).toInt(&ok);
    auto* body = new QBuffer(job);
    body->setData("{}");
    body->open(QIODevice::ReadOnly);
    job->reply("application/json", body);
    // A hop number out of any route's range is simply not found there.
    if (ok && hop > 0 && hop <= 255 && Handler())
        Handler()(hop);
}

void TRouteResponder::setHopSelected(std::function<void(int)> handler) {
    Handler() = std::move(handler);
}
