// SPDX-License-Identifier: GPL-3.0-or-later
#include "site/WebWhoisResponder.h"

#include "webwhois/WebWhoisPage.h"
#include "webwhois/WebWhoisQuery.h"

#include <QBuffer>
#include <QPointer>
#include <QThreadPool>
#include <QUrl>
#include <QWebEngineUrlRequestJob>
#include <algorithm>
#include <atomic>
#include <mutex>

using namespace orvanta::webwhois;

// Where workers post their pages: the responder while it lives. Workers
// hold it by shared pointer and post only under the lock, so a responder
// that is gone (profile deleted, program ending) is never touched.
struct TWebWhoisResponder::Mailbox {
    std::mutex mutex;
    QObject* receiver = nullptr;
};

namespace {

orvanta::rdap::WebWhoisSettings& settingsStore() {
    static orvanta::rdap::WebWhoisSettings settings{orvanta::rdap::Settings::FromEnvironment(), {}};
    return settings;
}

// Hands `html` to the job; the job owns the buffer and reads it later.
void replyHtml(QWebEngineUrlRequestJob* job, const std::string& html) {
    auto* body = new QBuffer(job);
    body->setData(QByteArray::fromStdString(html));
    body->open(QIODevice::ReadOnly);
    job->reply("text/html", body);
}

} // namespace

TWebWhoisResponder::TWebWhoisResponder(QObject* parent)
    : QObject(parent), FMailbox(std::make_shared<Mailbox>()), FPool(new QThreadPool) {
    FMailbox->receiver = this;
    FPool->setMaxThreadCount(kWorkers);
}

TWebWhoisResponder::~TWebWhoisResponder() {
    {
        std::lock_guard lock(FMailbox->mutex);
        FMailbox->receiver = nullptr;
    }
    for (const auto& running : FRunning) {
        if (const auto cancel = running.lock()) {
            cancel->store(true);
        }
    }
    // Downloads stop at once when cancelled, but a WHOIS query runs to its
    // own time bound. Rather than hold up the program's end for it, a pool
    // still busy after a moment is left to finish on its own: its tasks
    // hold only their own copies and the mailbox, never the responder.
    if (FPool->waitForDone(2000)) {
        delete FPool;
    }
}

bool TWebWhoisResponder::isWebWhoisPath(const QString& path) {
    return path == QLatin1String("/whois/whois.php") ||
           path == QLatin1String("/phpwhois-4.2.2/example.php");
}

QString TWebWhoisResponder::nameFor(const QUrl& url) {
    const std::string raw = url.query(QUrl::FullyEncoded).toStdString();
    const QString name = QString::fromUtf8(nameFromQuery(raw));
    bool ascii = true;
    for (QChar ch : name) {
        ascii = ascii && ch.unicode() < 0x80;
    }
    if (ascii) {
        return name;
    }
    // "münchen.de" is asked for as "xn--mnchen-3ya.de", as registries expect.
    const QByteArray ace = QUrl::toAce(name);
    return ace.isEmpty() ? name : QString::fromLatin1(ace);
}

void TWebWhoisResponder::setChainSettings(const WhoisChainSettings& settings) {
    settingsStore().chain = settings;
}

WhoisChainSettings TWebWhoisResponder::chainSettings() {
    return settingsStore().chain;
}

void TWebWhoisResponder::setRdapSettings(const orvanta::rdap::Settings& settings) {
    settingsStore().rdap = settings;
}

void TWebWhoisResponder::respond(QWebEngineUrlRequestJob* job, const QUrl& url) {
    const std::string name = nameFor(url).toStdString();
    if (!isPlausibleDomain(name)) {
        replyHtml(job, refusedNamePage(name));
        return;
    }
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    QPointer<QWebEngineUrlRequestJob> pending(job);
    // The browser drops the job when the page goes away or navigates again.
    connect(job, &QObject::destroyed, this, [cancel] { cancel->store(true); });
    std::erase_if(FRunning, [](const auto& running) { return running.expired(); });
    FRunning.push_back(cancel);

    FPool->start([settings = settingsStore(), name, cancel, mailbox = FMailbox, pending]() {
        std::string html;
        try {
            auto page = orvanta::rdap::WebWhoisAnswer(name, settings, cancel.get());
            if (!page) {
                return;
            }
            html = std::move(*page);
        } catch (const std::exception& error) {
            WhoisChainResult failed;
            failed.name = name;
            failed.note = error.what();
            html = chainPage(failed);
        }
        std::lock_guard lock(mailbox->mutex);
        if (mailbox->receiver == nullptr) {
            return;
        }
        QMetaObject::invokeMethod(
            mailbox->receiver,
            [pending, html = std::move(html)] {
                if (pending) {
                    replyHtml(pending, html);
                }
            },
            Qt::QueuedConnection);
    });
}
