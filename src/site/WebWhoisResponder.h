#pragma once
// Answers the web whois pages of the program's own site. The WHOIS
// referral chain runs on a worker thread; the page goes to the browser
// when it is ready, so the window never blocks. A request the browser
// drops (window closed, page navigated again) is abandoned: no further
// server is asked for it and its answer is thrown away.

#include "webwhois/TWhoisChain.h"

#include <QObject>
#include <memory>

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

    struct Mailbox;

private:
    std::shared_ptr<Mailbox> FMailbox;
};
