// SPDX-License-Identifier: GPL-3.0-or-later
#include "site/SiteInterceptor.h"

#include "map/MapPage.h"
#include "net/WebWhoisAddress.h"

#include <QUrl>

QUrl TSiteInterceptor::siteAddressFor(const QUrl& url) {
    const QString host =
        QString::fromUtf8(orvanta::net::kWebWhoisHost.data(),
                          static_cast<qsizetype>(orvanta::net::kWebWhoisHost.size()));
    const QString scheme = url.scheme();
    if ((scheme != QLatin1String("http") && scheme != QLatin1String("https")) ||
        url.host().compare(host, Qt::CaseInsensitive) != 0) {
        return {};
    }
    QUrl site;
    site.setScheme(QString::fromUtf8(orvanta::map::kSiteScheme.data(),
                                     static_cast<qsizetype>(orvanta::map::kSiteScheme.size())));
    site.setHost(QStringLiteral("site"));
    site.setPath(url.path(QUrl::FullyEncoded), QUrl::TolerantMode);
    if (url.hasQuery()) {
        site.setQuery(url.query(QUrl::FullyEncoded), QUrl::TolerantMode);
    }
    return site;
}

bool TSiteInterceptor::redirectWebWhois(QWebEngineUrlRequestInfo& info) {
    const QUrl site = siteAddressFor(info.requestUrl());
    if (site.isEmpty()) {
        return false;
    }
    info.redirect(site);
    return true;
}

void TSiteInterceptor::interceptRequest(QWebEngineUrlRequestInfo& info) {
    redirectWebWhois(info);
}
