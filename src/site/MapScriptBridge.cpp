// SPDX-License-Identifier: GPL-3.0-or-later
#include "site/MapScriptBridge.h"

#include "map/ScriptGuard.h"

#include <QEventLoop>
#include <QTimer>
#include <QVariant>
#include <QWebEnginePage>
#include <memory>
#include <stdexcept>

TMapScriptBridge::TMapScriptBridge(QWebEnginePage* page, QObject* parent)
    : QObject(parent), FPage(page) {
    connect(page, &QWebEnginePage::loadFinished, this, &TMapScriptBridge::pageLoaded);
}

void TMapScriptBridge::setTimeouts(int callTimeoutMs, int loadWaitMs) {
    FCallTimeoutMs = callTimeoutMs;
    FLoadWaitMs = loadWaitMs;
}

void TMapScriptBridge::pageLoaded(bool ok) {
    // Set once: the page is never reloaded, and a later navigation inside
    // it must not make a failed bridge usable or a usable one empty.
    if (FState == State::Loading) {
        FState = ok ? State::Ready : State::Failed;
        std::vector<std::string> posted;
        posted.swap(FPosted);
        for (const std::string& call : posted) {
            post(call);
        }
    }
}

void TMapScriptBridge::post(const std::string& callText) {
    if (FState == State::Loading) {
        FPosted.push_back(callText);
    } else if (FState == State::Ready && FPage) {
        FPage->runJavaScript(QString::fromStdString(callText));
    }
}

void TMapScriptBridge::waitForLoad() {
    if (!FPage) {
        FState = State::Failed;
        return;
    }
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(FPage, &QWebEnginePage::loadFinished, &loop, &QEventLoop::quit);
    connect(FPage, &QObject::destroyed, &loop, &QEventLoop::quit);
    timer.start(FLoadWaitMs);
    // pageLoaded runs first (connected earlier) and sets the state.
    while (FState == State::Loading && timer.isActive() && FPage) {
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
}

void TMapScriptBridge::run(const std::string& callText) {
    if (FState == State::Loading) {
        waitForLoad();
    }
    if (FState != State::Ready || !FPage) {
        return;
    }

    struct Answer {
        bool arrived = false;
        std::string text;
    };
    // Shared with the callback, which may come after this call gave up.
    auto answer = std::make_shared<Answer>();
    QEventLoop loop;
    QPointer<QEventLoop> waiting(&loop);
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(FPage, &QObject::destroyed, &loop, &QEventLoop::quit);

    const QString script = QString::fromStdString(orvanta::map::guardedCallScript(callText));
    FPage->runJavaScript(script, [answer, waiting](const QVariant& result) {
        answer->arrived = true;
        answer->text = result.toString().toStdString();
        if (waiting) {
            waiting->quit();
        }
    });
    timer.start(FCallTimeoutMs);
    while (!answer->arrived && timer.isActive() && FPage) {
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (!answer->arrived) {
        throw std::runtime_error("Script call timed out");
    }
    const auto outcome = orvanta::map::decodeGuardedAnswer(answer->text);
    if (outcome.failed) {
        throw std::runtime_error(outcome.message);
    }
}
