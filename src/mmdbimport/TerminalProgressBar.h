// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A one-line progress bar on a terminal: phase, bar, counts and elapsed time,
// redrawn at most ten times a second. Writes nothing unless enabled.

#include "mmdbimport/Progress.h"

#include <chrono>
#include <cstdio>

namespace orvanta::mmdbimport {

class TerminalProgressBar final : public Progress {
public:
    // Enabled when `out` is a terminal.
    explicit TerminalProgressBar(std::FILE* out);
    TerminalProgressBar(std::FILE* out, bool enabled);

    void Start(const std::string& phase, std::uint64_t total) override;
    void Advance(std::uint64_t done) override;
    void Finish() override;

    bool enabled() const { return enabled_; }

private:
    void Draw(bool force);

    using Clock = std::chrono::steady_clock;
    std::FILE* out_;
    bool enabled_;
    std::string phase_;
    std::uint64_t total_ = 0;
    std::uint64_t done_ = 0;
    Clock::time_point started_{};
    Clock::time_point drawn_{};
};

} // namespace orvanta::mmdbimport
