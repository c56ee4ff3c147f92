// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The many-address run behind the main window: a text (pasted, dropped or
// a file read in a stream) is searched for addresses and each distinct one
// looked up, on a thread of its own, so the window keeps answering. Rows
// come back in a few large pieces, ready for the results list, in the
// order the addresses were first seen. A packet capture is such a run too:
// its endpoints with their packets and bytes. A text added while a run goes
// on waits for it; Stop ends the run and drops what waits.
//
//     TBulkRun run;
//     run.onRows = [&](TBulkBatch&& batch) {
//         list->AddRuns(std::move(batch.rows));
//     };
//     run.onFinished = [&](TBulkRun::Outcome outcome, const QString& error) { ... };
//     run.AddText(clipboardText, QLatin1Char('.'));
#include "bulk/BulkLocate.h"
#include "cluster/PlaceClusters.h"
#include "forms/results/RunRows.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

struct TBulkBatch {
    // As the run made them: the list makes whole rows and their texts
    // when they are first asked for.
    TRunRows rows;
    // The located rows' places; `row` counts from the batch's first row.
    std::vector<orvanta::cluster::PlaceIn> places;
    std::size_t done = 0;
    std::size_t total = 0;
    // A capture's rows get no host names: asking for the names of all its
    // endpoints would send packets the user did not ask for.
    bool lookUpHostNames = true;
};

class TBulkRun : public QObject {
    Q_OBJECT
public:
    enum class Outcome { Done, Stopped, NoAddresses, Failed };

    // Sub-item of a row that holds its count of occurrences, after the
    // organisation; the host name is sub-item 3, filled in later.
    static constexpr int kCountSubItem = 5;
    static constexpr int kHostSubItem = 3;

    // The city database file, and beside it in the current directory the
    // optional IPv6 city and organisation files.
    explicit TBulkRun(const QString& databaseFile, QObject* parent = nullptr);
    ~TBulkRun() override;

    // Opens the file now, so an unreadable one fails here with the open
    // error ("Cannot open file ..."), then reads it when its turn comes.
    void AddFile(const QString& fileName, QChar decimalSeparator);
    void AddText(const QString& text, QChar decimalSeparator);
    // A pcap or pcapng file, checked for opening now as AddFile does.
    void AddCapture(const QString& fileName, QChar decimalSeparator);
    // Ends the running run (reported as Stopped) and drops the waiting ones.
    void Stop();
    // The user's stop: as Stop, except that a capture being read keeps what
    // was counted: its rows still come, then the Stopped outcome.
    void StopKeepingCounted();
    bool Running() const { return running_; }

    // Rows come in few large pieces: the first batch at once, then at most
    // every kStepMs or kStepRows rows, whichever comes first.
    static constexpr int kStepMs = 250;
    static constexpr std::size_t kStepRows = 50000;

    std::function<void(TBulkBatch&&)> onRows;
    // Fraction of the run done, 0 to 1.
    std::function<void(double)> onProgress;
    std::function<void(Outcome, const QString& error)> onFinished;

private:
    struct Input;
    void AddFileInput(const QString& fileName, QChar decimalSeparator, bool capture);
    void StartNext();
    void Work(std::shared_ptr<Input> input, int generation);
    void WorkCapture(const Input& input, int generation);
    void Finish(int generation, Outcome outcome, const QString& error);
    class Pieces; // gathers a run's rows into the pieces the window takes
    template <class F> void Post(int generation, F&& f);

    // Names made absolute at start: the run opens them on its thread.
    orvanta::bulk::RunFiles files_;
    std::deque<std::shared_ptr<Input>> waiting_;
    std::thread worker_;
    std::atomic<bool> stop_{false};
    // Bumped by Stop: whatever an older run still posts is dropped.
    int generation_ = 0;
    bool running_ = false;
    bool runningCapture_ = false;
};
