// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's own small web site, "orvanta://site/...", answered inside
// its browser views from the program's resources. The map's marker icon
// lives here, so markers never depend on an outside web site.

class QWebEngineProfile;

namespace orvanta::webwhois {
struct WhoisChainSettings;
}
namespace orvanta::rdap {
struct Settings;
}

class TSiteScheme {
public:
    // Makes the scheme known to the browser engine. Must run before the
    // application object is created.
    static void registerScheme();

    // Answers the scheme in every view of `profile`, and sends the web
    // whois host's addresses there; a second call for the same profile
    // changes nothing.
    static void installOn(QWebEngineProfile* profile);

    // Where the web whois pages start their WHOIS queries (the root server,
    // its port, the query bounds). UI thread only.
    static void setWhoisSettings(const orvanta::webwhois::WhoisChainSettings& settings);
    // Where the web whois pages start their RDAP lookups (the bootstrap
    // folder, the cache, the bounds). UI thread only.
    static void setRdapSettings(const orvanta::rdap::Settings& settings);
};
