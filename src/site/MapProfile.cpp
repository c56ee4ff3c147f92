// SPDX-License-Identifier: GPL-3.0-or-later
#include "site/MapProfile.h"

#include "http/HttpClient.h"
#include "site/SiteScheme.h"

#include <QCoreApplication>
#include <QDir>
#include <QVariant>
#include <QWebEngineProfile>

namespace {
const char* const kEngineUserAgent = "orvantaEngineUserAgent";
} // namespace

QString TMapProfile::cacheFolder() {
    // The XDG rule: an unset or relative XDG_CACHE_HOME is ignored.
    QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base)) {
        base = QDir::homePath() + QStringLiteral("/.cache");
    }
    return base + QStringLiteral("/orvanta");
}

QWebEngineProfile* TMapProfile::create(const QString& folder, QObject* parent) {
    auto* profile = new QWebEngineProfile(QStringLiteral("orvanta-map"), parent);
    profile->setPersistentStoragePath(folder + QStringLiteral("/map-profile"));
    profile->setCachePath(folder + QStringLiteral("/map-cache"));
    profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
    profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    profile->setProperty(kEngineUserAgent, profile->httpUserAgent());
    profile->setHttpUserAgent(QString::fromStdString(orvanta::http::UserAgent()));
    TSiteScheme::installOn(profile);
    return profile;
}

void TMapProfile::useEngineUserAgent(QWebEngineProfile* profile) {
    const QVariant engine = profile->property(kEngineUserAgent);
    if (engine.isValid()) {
        profile->setHttpUserAgent(engine.toString());
    }
}

QWebEngineProfile* TMapProfile::program() {
    static QWebEngineProfile* profile = create(cacheFolder(), QCoreApplication::instance());
    return profile;
}
