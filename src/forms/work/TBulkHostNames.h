// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Host names for the rows of a many-address run, resolved in the
// background: at most kAtOnce reverse lookups at a time, each given
// kWaitMs before its row shows "Unresolved Host" (a lookup the resolver
// still holds keeps its place among the kAtOnce until it returns, so the
// bound on lookups under way holds). Answers come back on the window's
// thread through onNames, a batch at a time (at most every kFlushMs), so a
// hundred thousand quick answers do not crowd the window's event loop.
// Private mode is looked at just before each query: once it is on, nothing
// more is asked and the rows read "Not looked up".
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <QTimer>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

class THostResolver;

class TBulkHostNames : public QObject {
    Q_OBJECT
public:
    static constexpr int kAtOnce = 16;
    static constexpr int kWaitMs = 5000;
    static constexpr int kFlushMs = 100;

    explicit TBulkHostNames(QObject* parent = nullptr);
    ~TBulkHostNames() override;

    // The resolver to ask, which must answer from any thread; null is the
    // system's.
    void SetResolver(THostResolver* resolver) { resolver_ = resolver; }
    // Asks for the name of `address` (IPv4 or IPv6 text) of `row`.
    void Add(int row, const std::string& address);
    // Asks for the names of consecutive rows from `firstRow`, taking the
    // addresses over whole: a run's piece of a hundred thousand rows is
    // handed over without touching one of them.
    void AddMany(int firstRow, std::vector<std::string>&& addresses);
    // Forgets what waits; answers still under way are dropped.
    void Stop();
    // Stop, with `text` as the answer of every row that waited or was under
    // way (private mode switched on: those rows are not looked up).
    void Abandon(const QString& text);
    // Lookups waiting or under way for the current rows.
    std::size_t Pending() const { return waitingCount_ + inFlight_.size() + answered_.size(); }

    std::function<void(const std::vector<std::pair<int, QString>>& names)> onNames;

private:
    struct Job {
        int row;
        qint64 started;
        bool answered = false;
    };
    struct Arrived {
        quint64 id;
        int generation;
        QString name;
    };
    void StartMore();
    void TakeArrived();
    void Answer(quint64 id, const QString& name);
    void Expire();
    void Flush();

    THostResolver* resolver_ = nullptr;
    struct Waiting {
        int firstRow;
        std::vector<std::string> addresses;
        std::size_t next = 0; // the first not yet asked for
    };
    std::deque<Waiting> waiting_;
    std::size_t waitingCount_ = 0;
    std::unordered_map<quint64, Job> inFlight_;
    int busy_ = 0; // lookups the resolver holds, of this run or an older one
    quint64 nextId_ = 0;
    int generation_ = 0;
    QThreadPool pool_;
    QTimer expiry_;
    QTimer flush_;
    std::vector<std::pair<int, QString>> answered_;
    // Answers of the pool's threads, taken on the window's thread: one
    // wake-up for all that arrived meanwhile, not one per answer.
    std::mutex arrivedLock_;
    std::vector<Arrived> arrived_;
};
