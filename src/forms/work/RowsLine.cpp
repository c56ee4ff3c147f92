// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/work/RowsLine.h"

#include "forms/support/BackgroundThread.h"

RowsLine::RowsLine(Take take)
    : take_(std::move(take)), worker_([this] {
          YieldToWindow();
          Loop();
      }) {}

RowsLine::~RowsLine() {
    try {
        Close();
    } catch (...) {
        // Told by the Close the run called; a destructor cannot tell it.
    }
}

void RowsLine::Push(std::vector<orvanta::bulk::BulkRow>&& rows, std::size_t done,
                    std::size_t total) {
    std::unique_lock guard(lock_);
    room_.wait(guard, [this] { return waiting_.size() < kWaiting || failed_; });
    if (failed_)
        std::rethrow_exception(failed_);
    waiting_.push_back({std::move(rows), done, total});
    ready_.notify_one();
}

void RowsLine::Close() {
    {
        std::lock_guard guard(lock_);
        closed_ = true;
    }
    ready_.notify_one();
    if (worker_.joinable())
        worker_.join();
    if (failed_ && !thrown_) {
        thrown_ = true;
        std::rethrow_exception(failed_);
    }
}

void RowsLine::Loop() {
    for (;;) {
        Batch batch;
        {
            std::unique_lock guard(lock_);
            ready_.wait(guard, [this] { return closed_ || !waiting_.empty(); });
            if (waiting_.empty())
                return;
            batch = std::move(waiting_.front());
            waiting_.pop_front();
        }
        room_.notify_one();
        try {
            take_(std::move(batch.rows), batch.done, batch.total);
        } catch (...) {
            std::lock_guard guard(lock_);
            failed_ = std::current_exception();
            waiting_.clear();
            room_.notify_one();
            return;
        }
    }
}
