// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Sends the web whois host's http addresses to the program's own site, so
// the web whois pages are answered by the program itself and no request
// for them ever leaves the machine.

#include <QWebEngineUrlRequestInterceptor>

class TSiteInterceptor : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void interceptRequest(QWebEngineUrlRequestInfo& info) override;

    // Redirects `info` when it asks for the web whois host; true when it
    // did. Other interceptors of a profile call this first.
    static bool redirectWebWhois(QWebEngineUrlRequestInfo& info);

    // The site address answering `url`, or an empty address when `url` is
    // not on the web whois host.
    static QUrl siteAddressFor(const QUrl& url);
};
