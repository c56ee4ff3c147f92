// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Answers the web whois pages of the program's own site: RDAP where the
// name's registry offers it, else the WHOIS referral chain. The work runs
// in a small thread pool; the page goes to the browser when it is ready,
// so the window never blocks. A request the browser drops (window closed,
// page navigated again) is abandoned: its download stops, no further
// server is asked for it and its answer is thrown away.

#include "rdap/WebWhoisAnswer.h"

#include <QObject>
#include <atomic>
#include <memory>
#include <vector>

class QThreadPool;
class QUrl;
class QWebEngineUrlRequestJob;

class TWebWhoisResponder : public QObject {
    Q_OBJECT
public:
    explicit TWebWhoisResponder(QObject* parent = nullptr);
    ~TWebWhoisResponder() override;

    // True for the two paths the web whois addresses use.
    static bool isWebWhoisPath(const QString& path);

    // The name a web whois address asks for: the query value decoded, the
    // tail removed, an international name in its ASCII form.
    static QString nameFor(const QUrl& url);

    // Starts answering `job` for `url`.
    void respond(QWebEngineUrlRequestJob* job, const QUrl& url);

    // The chain's settings (root server, port, bounds); tests point the
    // root at loopback servers. UI thread only.
    static void setChainSettings(const orvanta::webwhois::WhoisChainSettings& settings);
    static orvanta::webwhois::WhoisChainSettings chainSettings();
    // Where RDAP lookups start (bootstrap folder, cache, bounds); taken
    // from the environment until set. UI thread only.
    static void setRdapSettings(const orvanta::rdap::Settings& settings);

    // Requests answered at the same time; more wait their turn.
    static constexpr int kWorkers = 4;

    struct Mailbox;

private:
    std::shared_ptr<Mailbox> FMailbox;
    QThreadPool* FPool;
    // The cancel flags of requests that may still run, to stop them all
    // when the responder goes.
    std::vector<std::weak_ptr<std::atomic<bool>>> FRunning;
};
