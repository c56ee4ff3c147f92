#include "site/MapProfile.h"

#include "http/HttpClient.h"
#include "site/SiteScheme.h"

#include <QCoreApplication>
#include <QDir>
#include <QWebEngineProfile>

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
    profile->setHttpUserAgent(QString::fromStdString(orvanta::http::UserAgent()));
    TSiteScheme::installOn(profile);
    return profile;
}

QWebEngineProfile* TMapProfile::program() {
    static QWebEngineProfile* profile = create(cacheFolder(), QCoreApplication::instance());
    return profile;
}
