#pragma once
// The many-address run behind the main window: a text (pasted, dropped or
// a file read in a stream) is searched for addresses and each distinct one
// looked up, on a thread of its own, so the window keeps answering. Rows
// come back in batches, ready for the results list, in the order the
// addresses were first seen. A text added while a run goes on waits for
// it; Stop ends the run and drops what waits.
//
//     TBulkRun run;
//     run.onRows = [&](TBulkBatch&& batch) {
//         list->AddRows(std::move(batch.rows), std::move(batch.texts));
//     };
//     run.onFinished = [&](TBulkRun::Outcome outcome, const QString& error) { ... };
//     run.AddText(clipboardText, QLatin1Char('.'));
#include "bulk/BulkLocate.h"
#include "forms/results/ResultRow.h"
#include "map/PlacesCalls.h"

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
    std::vector<TResultRow> rows;
    std::vector<TListItem> texts; // the list's texts of `rows`, one each
    // The located rows' places; `row` counts from the batch's first row.
    std::vector<orvanta::map::PlaceMark> places;
    std::size_t done = 0;
    std::size_t total = 0;
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
    // Ends the running run (reported as Stopped) and drops the waiting ones.
    void Stop();
    bool Running() const { return running_; }

    std::function<void(TBulkBatch&&)> onRows;
    // Fraction of the run done, 0 to 1.
    std::function<void(double)> onProgress;
    std::function<void(Outcome, const QString& error)> onFinished;

private:
    struct Input;
    void StartNext();
    void Work(std::shared_ptr<Input> input, int generation);
    template <class F> void Post(int generation, F&& f);

    // Names made absolute at start: the run opens them on its thread.
    orvanta::bulk::RunFiles files_;
    std::deque<std::shared_ptr<Input>> waiting_;
    std::thread worker_;
    std::atomic<bool> stop_{false};
    // Bumped by Stop: whatever an older run still posts is dropped.
    int generation_ = 0;
    bool running_ = false;
};
