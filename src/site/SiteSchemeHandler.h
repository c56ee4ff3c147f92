// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Answers requests for "orvanta://site/<path>": the web whois pages, the
// open map's places and world map, and otherwise the program's resources
// under ":/site" (pages, Leaflet, the marker icon); anything else is "not
// found".

#include <QWebEngineUrlSchemeHandler>

class TWebWhoisResponder;

class TSiteSchemeHandler : public QWebEngineUrlSchemeHandler {
    Q_OBJECT
public:
    explicit TSiteSchemeHandler(QObject* parent = nullptr);

    void requestStarted(QWebEngineUrlRequestJob* job) override;

    // The MIME type served for a path, chosen by its extension.
    static QByteArray mimeTypeFor(const QString& path);

private:
    TWebWhoisResponder* FWebWhois;
};
