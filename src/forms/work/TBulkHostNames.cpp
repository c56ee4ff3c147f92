// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/work/TBulkHostNames.h"

#include "forms/results/ResultRow.h"
#include "net/HostNameOf.h"
#include "net/PrivateMode.h"

#include <QDateTime>
#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

namespace {

const char* const kUnresolved = "Unresolved Host";

QString NameOf(const std::string& address, THostResolver* resolver) {
    in6_addr v6{};
    if (inet_pton(AF_INET6, address.c_str(), &v6) != 1) {
        static TSystemHostResolver system;
        return QString::fromStdString(HostNameOf(address, resolver ? *resolver : system));
    }
    // The resolver interface speaks IPv4 only; IPv6 goes to the system's,
    // and not at all when a test answers for it.
    if (resolver)
        return QString::fromLatin1(kUnresolved);
    sockaddr_in6 socket{};
    socket.sin6_family = AF_INET6;
    socket.sin6_addr = v6;
    char host[NI_MAXHOST] = {};
    if (getnameinfo(reinterpret_cast<const sockaddr*>(&socket), sizeof socket, host, sizeof host,
                    nullptr, 0, NI_NAMEREQD) != 0 ||
        host[0] == '\0')
        return QString::fromLatin1(kUnresolved);
    return QString::fromUtf8(host);
}

} // namespace

TBulkHostNames::TBulkHostNames(QObject* parent) : QObject(parent) {
    pool_.setMaxThreadCount(kAtOnce);
    expiry_.setInterval(250);
    connect(&expiry_, &QTimer::timeout, this, [this] { Expire(); });
    flush_.setSingleShot(true);
    flush_.setInterval(kFlushMs);
    connect(&flush_, &QTimer::timeout, this, [this] { Flush(); });
}

TBulkHostNames::~TBulkHostNames() {
    Stop();
    pool_.waitForDone();
}

void TBulkHostNames::Add(int row, const std::string& address) {
    AddMany(row, {address});
}

void TBulkHostNames::AddMany(int firstRow, std::vector<std::string>&& addresses) {
    if (addresses.empty())
        return;
    waitingCount_ += addresses.size();
    waiting_.push_back({firstRow, std::move(addresses)});
    StartMore();
}

void TBulkHostNames::Stop() {
    waiting_.clear();
    waitingCount_ = 0;
    inFlight_.clear();
    answered_.clear();
    ++generation_;
    expiry_.stop();
    flush_.stop();
}

void TBulkHostNames::Abandon(const QString& text) {
    std::vector<std::pair<int, QString>> rows;
    rows.swap(answered_);
    for (const Waiting& piece : waiting_)
        for (std::size_t i = piece.next; i < piece.addresses.size(); ++i)
            rows.emplace_back(piece.firstRow + static_cast<int>(i), text);
    for (const auto& [id, job] : inFlight_)
        if (!job.answered)
            rows.emplace_back(job.row, text);
    Stop();
    if (!rows.empty() && onNames)
        onNames(rows);
}

void TBulkHostNames::StartMore() {
    while (busy_ < kAtOnce && !waiting_.empty()) {
        Waiting& front = waiting_.front();
        const int row = front.firstRow + static_cast<int>(front.next);
        std::string address = std::move(front.addresses[front.next++]);
        --waitingCount_;
        if (front.next == front.addresses.size())
            waiting_.pop_front();
        const quint64 id = nextId_++;
        inFlight_.emplace(id, Job{row, QDateTime::currentMSecsSinceEpoch()});
        ++busy_;
        THostResolver* resolver = resolver_;
        const int generation = generation_;
        pool_.start([this, id, generation, address = std::move(address), resolver] {
            const QString name = orvanta::net::PrivateMode() ? QString::fromLatin1(kNotLookedUp)
                                                             : NameOf(address, resolver);
            bool first = false;
            {
                const std::lock_guard<std::mutex> hold(arrivedLock_);
                first = arrived_.empty();
                arrived_.push_back({id, generation, name});
            }
            if (first)
                QMetaObject::invokeMethod(
                    this, [this] { TakeArrived(); }, Qt::QueuedConnection);
        });
    }
    if (!inFlight_.empty() && !expiry_.isActive())
        expiry_.start();
}

void TBulkHostNames::TakeArrived() {
    std::vector<Arrived> arrived;
    {
        const std::lock_guard<std::mutex> hold(arrivedLock_);
        arrived.swap(arrived_);
    }
    for (const Arrived& a : arrived) {
        --busy_;
        if (a.generation == generation_)
            Answer(a.id, a.name);
    }
    StartMore();
}

void TBulkHostNames::Answer(quint64 id, const QString& name) {
    const auto job = inFlight_.find(id);
    if (job == inFlight_.end())
        return;
    const bool answered = job->second.answered;
    const int row = job->second.row;
    inFlight_.erase(job);
    if (!answered)
        answered_.emplace_back(row, name);
    if (!flush_.isActive())
        flush_.start();
    if (inFlight_.empty())
        expiry_.stop();
}

void TBulkHostNames::Flush() {
    std::vector<std::pair<int, QString>> names;
    names.swap(answered_);
    if (!names.empty() && onNames)
        onNames(names);
}

void TBulkHostNames::Expire() {
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (auto& [id, job] : inFlight_) {
        if (!job.answered && now - job.started >= kWaitMs) {
            job.answered = true;
            answered_.emplace_back(job.row, QString::fromLatin1(kUnresolved));
        }
    }
    if (!answered_.empty() && !flush_.isActive())
        flush_.start();
}
