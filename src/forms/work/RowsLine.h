// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Hands a run's answered batches to `take` on a thread of its own, in
// order: the rows of one batch are made while the next is looked up, on
// two cores where there are two.
//
//     RowsLine line([&](std::vector<BulkRow>&& rows, std::size_t done,
//                       std::size_t total) { pieces.Take(...); });
//     hooks.rows = [&](auto&& rows, std::size_t done, std::size_t total) {
//         line.Push(std::move(rows), done, total);
//     };
//     ...
//     line.Close(); // every batch pushed is taken
#include "bulk/BulkLocate.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class RowsLine {
public:
    using Take = std::function<void(std::vector<orvanta::bulk::BulkRow>&&, std::size_t done,
                                    std::size_t total)>;
    explicit RowsLine(Take take);
    ~RowsLine();
    RowsLine(const RowsLine&) = delete;
    RowsLine& operator=(const RowsLine&) = delete;

    // Waits while a few batches wait already: memory stays bounded.
    // Throws what taking an earlier batch threw.
    void Push(std::vector<orvanta::bulk::BulkRow>&& rows, std::size_t done, std::size_t total);
    // Returns when every batch pushed is taken; throws what taking threw.
    void Close();

private:
    static constexpr std::size_t kWaiting = 4;
    struct Batch {
        std::vector<orvanta::bulk::BulkRow> rows;
        std::size_t done = 0;
        std::size_t total = 0;
    };
    void Loop();

    Take take_;
    std::mutex lock_;
    std::condition_variable ready_;
    std::condition_variable room_;
    std::deque<Batch> waiting_;
    bool closed_ = false;
    std::exception_ptr failed_;
    bool thrown_ = false;
    std::thread worker_; // last: started once the rest is made
};
