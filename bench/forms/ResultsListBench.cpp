// SPDX-License-Identifier: GPL-3.0-or-later
// The results list must not slow down as it grows. Appends rows one by one
// the way the locate command does (append, then the change handler scrolls
// to the end) to a shown list, and reports the time of the last 1,000
// appends against the first 1,000 (goal: ratio at most 1.5; the median over
// five fresh lists, as single windows of 1,000 appends are noisy on a shared
// machine) and the heap memory each row takes.
//
//   results_list_bench [--rows=N] [benchmark options]   (default 100000)
#include "forms/results/TListView.h"
#include "forms/support/ProgramFonts.h"

#include <QApplication>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <malloc.h>
#include <string>
#include <vector>

namespace {

int gRows = 100000;
constexpr int kWindow = 1000;
// One entry per repetition: each builds a fresh list.
std::vector<double> gRatios;
double gBytesPerRow = 0;

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

TListItem RowFor(int i) {
    const QString address =
        QStringLiteral("10.%1.%2.%3").arg(i >> 16).arg((i >> 8) & 255).arg(i & 255);
    return {QStringLiteral("Mountain View, CA, United States"),
            {address, QStringLiteral("37.386"), QStringLiteral("-122.0838"),
             QStringLiteral("host-%1.example").arg(i)},
            0};
}

void BM_AppendRows(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    for (auto _ : state) {
        TListView list;
        list.SetColumns({{QStringLiteral("IP Locations"), 250},
                         {QStringLiteral("IP address"), 100},
                         {QStringLiteral("Latitude"), 80},
                         {QStringLiteral("Logitude"), 80},
                         {QStringLiteral("Host name"), 320}});
        QObject::connect(&list, &TListView::Change, &list, [&list] { list.ScrollToEndLater(); });
        list.resize(843, 172);
        list.show();
        QApplication::processEvents();
        const std::size_t heapBefore = mallinfo2().uordblks;
        // Each window of appends ends with the event processing that follows
        // in the program, so the view's deferred work is charged to it.
        auto appendWindow = [&list](int from) {
            const Clock::time_point start = Clock::now();
            for (int i = from; i < from + kWindow; ++i)
                list.Add(RowFor(i));
            QApplication::processEvents();
            return std::chrono::duration<double>(Clock::now() - start).count();
        };
        const double first = appendWindow(0);
        for (int i = kWindow; i < gRows - kWindow; ++i) {
            list.Add(RowFor(i));
            if (i % kWindow == 0)
                QApplication::processEvents();
        }
        QApplication::processEvents();
        const double last = appendWindow(gRows - kWindow);
        const std::size_t heapAfter = mallinfo2().uordblks;
        state.SetIterationTime(first + last);
        state.counters["first_1000_ms"] = first * 1e3;
        state.counters["last_1000_ms"] = last * 1e3;
        gRatios.push_back(last / first);
        state.counters["ratio"] = last / first;
        gBytesPerRow = double(heapAfter - heapBefore) / gRows;
        state.counters["bytes_per_row"] = gBytesPerRow;
    }
}

} // namespace

int main(int argc, char** argv) {
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--rows=", 7) == 0)
            gRows = std::max(2 * kWindow, std::atoi(argv[i] + 7));
        else
            rest.push_back(argv[i]);
    }
    int restCount = static_cast<int>(rest.size());
    QApplication app(restCount, rest.data());
    LoadProgramFonts();
    benchmark::Initialize(&restCount, rest.data());
    benchmark::RegisterBenchmark("AppendRows", BM_AppendRows)
        ->UseManualTime()
        ->Iterations(1)
        ->Repetitions(5)
        ->ReportAggregatesOnly(false)
        ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    std::printf(
        "rows: %d, last 1000 appends / first 1000: %.3f, median of %zu lists (goal <= 1.5), "
        "%.0f bytes per row\n",
        gRows, Median(gRatios), gRatios.size(), gBytesPerRow);
    return 0;
}
