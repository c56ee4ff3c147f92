// SPDX-License-Identifier: GPL-3.0-or-later
#include "mmdbimport/TerminalProgressBar.h"

#include <string>
#include <unistd.h>

namespace orvanta::mmdbimport {
namespace {
constexpr int kBarWidth = 30;
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);
} // namespace

TerminalProgressBar::TerminalProgressBar(std::FILE* out)
    : TerminalProgressBar(out, out != nullptr && isatty(fileno(out)) == 1) {}

TerminalProgressBar::TerminalProgressBar(std::FILE* out, bool enabled)
    : out_(out), enabled_(enabled && out != nullptr) {}

void TerminalProgressBar::Start(const std::string& phase, std::uint64_t total) {
    phase_ = phase;
    total_ = total;
    done_ = 0;
    started_ = Clock::now();
    Draw(true);
}

void TerminalProgressBar::Advance(std::uint64_t done) {
    done_ = done;
    Draw(false);
}

void TerminalProgressBar::Finish() {
    if (total_ != 0)
        done_ = total_;
    Draw(true);
    if (enabled_)
        std::fputc('\n', out_);
}

void TerminalProgressBar::Draw(bool force) {
    if (!enabled_)
        return;
    const auto now = Clock::now();
    if (!force && now - drawn_ < kRedrawEvery)
        return;
    drawn_ = now;
    const double seconds = std::chrono::duration<double>(now - started_).count();
    std::string bar;
    if (total_ != 0) {
        const auto filled =
            static_cast<int>(kBarWidth * (done_ > total_ ? 1.0 : double(done_) / double(total_)));
        bar.assign(1, '[');
        bar.append(static_cast<std::size_t>(filled), '#');
        bar.append(static_cast<std::size_t>(kBarWidth - filled), '.');
        bar += "] ";
    }
    std::fprintf(out_, "\r%-9s %s", phase_.c_str(), bar.c_str());
    if (total_ != 0)
        std::fprintf(out_, "%llu/%llu  ", static_cast<unsigned long long>(done_),
                     static_cast<unsigned long long>(total_));
    else if (done_ != 0)
        std::fprintf(out_, "%llu  ", static_cast<unsigned long long>(done_));
    std::fprintf(out_, "%.1f s\x1b[K", seconds);
    std::fflush(out_);
}

} // namespace orvanta::mmdbimport
