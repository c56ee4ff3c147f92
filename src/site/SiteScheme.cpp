// SPDX-License-Identifier: GPL-3.0-or-later
#include "site/SiteScheme.h"

#include "map/MapPage.h"
#include "site/SiteInterceptor.h"
#include "site/SiteSchemeHandler.h"
#include "site/WebWhoisResponder.h"

#include <QByteArray>
#include <QWebEngineProfile>
#include <QWebEngineUrlScheme>

// Resources of a static library must be pulled in by name.
static void initSiteResources() {
    Q_INIT_RESOURCE(site);
}

namespace {

QByteArray schemeName() {
    return QByteArray(orvanta::map::kSiteScheme.data(),
                      static_cast<qsizetype>(orvanta::map::kSiteScheme.size()));
}

} // namespace

void TSiteScheme::registerScheme() {
    if (QWebEngineUrlScheme::schemeByName(schemeName()).name() == schemeName()) {
        return;
    }
    QWebEngineUrlScheme scheme(schemeName());
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    // Secure, so https pages may use it; CORS-enabled, so scripts and
    // images of any of the program's pages may load from it.
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::CorsEnabled);
    QWebEngineUrlScheme::registerScheme(scheme);
}

void TSiteScheme::installOn(QWebEngineProfile* profile) {
    // Normally done before the application object exists; doing it here too
    // covers programs and tests that forgot, as long as no page has loaded.
    registerScheme();
    initSiteResources();
    if (profile->urlSchemeHandler(schemeName()) != nullptr) {
        return;
    }
    profile->installUrlSchemeHandler(schemeName(), new TSiteSchemeHandler(profile));
    profile->setUrlRequestInterceptor(new TSiteInterceptor(profile));
}

void TSiteScheme::setWhoisSettings(const orvanta::webwhois::WhoisChainSettings& settings) {
    TWebWhoisResponder::setChainSettings(settings);
}

void TSiteScheme::setRdapSettings(const orvanta::rdap::Settings& settings) {
    TWebWhoisResponder::setRdapSettings(settings);
}
