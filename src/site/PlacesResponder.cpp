#include "site/PlacesResponder.h"

#include "map/PlacesCalls.h"

#include <QBuffer>
#include <QUrl>
#include <QUrlQuery>
#include <QWebEngineUrlRequestJob>

namespace {

std::function<void(int)>& selector() {
    static std::function<void(int)> instance;
    return instance;
}

} // namespace

bool TPlacesResponder::isPlacesPath(const QString& path) {
    return path == QLatin1String(orvanta::map::kSelectRowPath);
}

void TPlacesResponder::respond(QWebEngineUrlRequestJob* job, const QUrl& url) {
    bool ok = false;
    const int row = QUrlQuery(url).queryItemValue(QStringLiteral("row")).toInt(&ok);
    auto* body = new QBuffer(job);
    body->setData("{}");
    body->open(QIODevice::ReadOnly);
    job->reply("application/json", body);
    // After the reply: the selection may run a good deal of window code.
    if (ok && row >= 0 && selector()) {
        selector()(row);
    }
}

void TPlacesResponder::setRowSelector(std::function<void(int)> selector_) {
    selector() = std::move(selector_);
}
