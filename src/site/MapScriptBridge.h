// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The map script bridge: runs one call text in the map page and waits for
// its outcome. A call that throws in the page, or is not valid script,
// raises std::runtime_error with the engine's description; no answer in
// time raises "Script call timed out". The wait runs a local event loop
// that takes no user input, so nothing else the user does can start while
// a command is under way.

#include <QObject>
#include <QPointer>
#include <string>
#include <vector>

class QWebEnginePage;

class TMapScriptBridge : public QObject {
    Q_OBJECT
public:
    enum class State { Loading, Ready, Failed };

    // Bounds of the two waits; tests may lower them.
    static constexpr int kCallTimeoutMs = 5000;
    static constexpr int kLoadWaitMs = 10000;

    // Follows the first load of `page` that finishes after construction:
    // the bridge becomes usable once (Ready) or never (Failed).
    explicit TMapScriptBridge(QWebEnginePage* page, QObject* parent = nullptr);

    State state() const { return FState; }

    // Runs one call text. While the page is still loading, waits for it
    // first (bounded); when the page did not load, does nothing.
    void run(const std::string& callText);

    void setTimeouts(int callTimeoutMs, int loadWaitMs);

    // Runs one call text without waiting for it, for work that must not
    // hold the window (many places at once): its outcome is not looked at.
    // Calls posted while the page loads run, in order, once it has loaded;
    // on a page that did not load they are dropped.
    void post(const std::string& callText);

private:
    void pageLoaded(bool ok);
    void waitForLoad();

    QPointer<QWebEnginePage> FPage;
    State FState = State::Loading;
    int FCallTimeoutMs = kCallTimeoutMs;
    int FLoadWaitMs = kLoadWaitMs;
    std::vector<std::string> FPosted;
};
