// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Answers "/route/select?hop=N" on the program's own site: the open map's
// route marker N was clicked. The answer is empty; the hop goes to the
// handler set here (the route window, which selects that hop). UI thread
// only, like every request of the site.
#include <functional>

class QString;
class QUrl;
class QWebEngineUrlRequestJob;

class TRouteResponder {
public:
    static bool isRoutePath(const QString& path);
    static void respond(QWebEngineUrlRequestJob* job, const QUrl& url);
    // None (empty) drops the clicks.
    static void setHopSelected(std::function<void(int)> handler);
};
