// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The browser profile of the map: persistent, so that street tiles are
// kept in a disk cache in the user's cache folder and reused across runs
// (the tile servers' usage policies ask for that), and sending the
// program's own User-Agent on every request. Cookies are never kept.

#include <QString>

class QObject;
class QWebEngineProfile;

class TMapProfile {
public:
    // $XDG_CACHE_HOME/orvanta, else ~/.cache/orvanta.
    static QString cacheFolder();

    // A profile keeping its cache and storage under `folder`, with the
    // program's site installed.
    static QWebEngineProfile* create(const QString& folder, QObject* parent);

    // Gives a profile made by create() the browser engine's own User-Agent
    // back, for a page of a service that expects a browser's (the keyed
    // Google page).
    static void useEngineUserAgent(QWebEngineProfile* profile);

    // The program's one map profile under cacheFolder(), made on first use
    // and owned by the application object. Pages using it must be deleted
    // before the application object is.
    static QWebEngineProfile* program();
};
