// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A fake maps API for tests: the page's loader address is redirected to a
// test scheme whose handler serves a small script that records what the
// page asks of google.maps, or fails so the page runs without the API.
// The web whois host goes to the program's own site, as in the program;
// every other http(s) request is blocked.

#include <QString>
#include <QVariant>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlSchemeHandler>

class QWebEnginePage;
class QWebEngineProfile;

class FakeMapsApi : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    enum class Mode { Serve, Fail };

    // Call before the application object exists.
    static void registerScheme();

    explicit FakeMapsApi(QWebEngineProfile* profile);
    void setMode(Mode mode) { FMode = mode; }

    void interceptRequest(QWebEngineUrlRequestInfo& info) override;

    // Loader requests seen, with their full address.
    QStringList loaderRequests() const { return FLoaderRequests; }
    // Every request of the profile seen (before any redirect).
    QStringList requests() const { return FRequests; }
    void clearRequests() { FRequests.clear(); }

private:
    class Handler;
    Mode FMode = Mode::Serve;
    QStringList FLoaderRequests;
    QStringList FRequests;
    Handler* FHandler;
};

// Loads `html` into `page` and waits (bounded) for the load to finish.
bool loadHtml(QWebEnginePage& page, const QString& html);

// Runs `script` in `page` and waits (bounded) for its value.
QVariant evalJs(QWebEnginePage& page, const QString& script);

// Polls `script` until it gives true or `timeoutMs` passes.
bool waitForJs(QWebEnginePage& page, const QString& script, int timeoutMs = 20000);
