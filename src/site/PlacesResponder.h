#pragma once
// Answers the open map's "a marker of many places was clicked" request,
// "/map/select?row=N" on the program's own site, by handing the row to the
// results list. UI thread only, like every request of the site.

#include <QString>
#include <functional>

class QUrl;
class QWebEngineUrlRequestJob;

class TPlacesResponder {
public:
    static bool isPlacesPath(const QString& path);
    static void respond(QWebEngineUrlRequestJob* job, const QUrl& url);
    // Who is told of a clicked row; none ignores the clicks.
    static void setRowSelector(std::function<void(int)> selector);
};
