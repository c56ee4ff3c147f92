// SPDX-License-Identifier: GPL-3.0-or-later
// How fast the address scanner reads text, beside a floor measured in the
// same run: a plain pass over the same bytes in the same pieces that only
// counts the line ends (memchr). Texts, all generated in memory from a fixed
// seed:
//   log    a web server's access log (by default 1,000,000 lines, ~115 MB)
//   list   addresses pasted one per line, IPv4 and IPv6 mixed
//   ipv6   log lines whose clients are IPv6 addresses
//   binary random bytes
// Each is scanned in 1 MiB pieces, as a file is read, several times; the
// fastest run of each counts, in processor time (the machine is shared).
// Prints MB/s of the scan and of the floor, their ratio (scan speed over
// floor speed), and the addresses found.
//
// Usage: scan_bench [--lines N] [--runs N] [--text NAME]

#include "extract/AddressScanner.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <time.h>
#include <vector>

namespace {

using orvanta::extract::Address;
using orvanta::extract::AddressScanner;

constexpr std::size_t kPiece = 1 << 20;

std::string V4(std::mt19937& random) {
    // Mostly a few thousand clients, as a busy site sees them again and again.
    const std::uint32_t a =
        random() % 4 == 0 ? static_cast<std::uint32_t>(random()) : 0xcb007100u + random() % 4096;
    return std::to_string(a >> 24) + '.' + std::to_string((a >> 16) & 255) + '.' +
           std::to_string((a >> 8) & 255) + '.' + std::to_string(a & 255);
}

std::string V6(std::mt19937& random) {
    char text[64];
    std::snprintf(text, sizeof text, "2001:db8:%x:%x::%x", static_cast<unsigned>(random() % 65536),
                  static_cast<unsigned>(random() % 16), static_cast<unsigned>(random() % 65536));
    return text;
}

const char* const kPaths[] = {"/index.html",      "/static/app.js?v=2.1.0", "/api/v1/items/12345",
                              "/images/logo.png", "/favicon.ico",           "/search?q=1.2"};
const char* const kAgents[] = {
    "Mozilla/5.0 (X11; Linux x86_64; rv:128.0) Gecko/20100101 Firefox/128.0", "Mozilla/5.0",
    "curl/8.5.0", "Wget/1.21.4",
    "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 Chrome/126.0.0.0"};

std::string LogLine(std::mt19937& random, const std::string& client) {
    char line[512];
    const unsigned seconds = random() % 86400;
    std::snprintf(line, sizeof line,
                  "%s - - [09/Dec/2026:%02u:%02u:%02u +0000] \"GET %s HTTP/1.1\" %u %u \"-\" "
                  "\"%s\"\n",
                  client.c_str(), seconds / 3600, seconds / 60 % 60, seconds % 60,
                  kPaths[random() % std::size(kPaths)], random() % 8 == 0 ? 404u : 200u,
                  static_cast<unsigned>(random() % 100000),
                  kAgents[random() % 8 < 5 ? 1 : random() % std::size(kAgents)]);
    return line;
}

struct Text {
    const char* name;
    std::string bytes;
};

std::vector<Text> MakeTexts(std::size_t lines) {
    std::mt19937 random(20261209);
    std::vector<Text> texts{{"log", {}}, {"list", {}}, {"ipv6", {}}, {"binary", {}}};
    for (std::size_t i = 0; i < lines; ++i)
        texts[0].bytes += LogLine(random, V4(random));
    for (std::size_t i = 0; i < lines; ++i)
        texts[1].bytes += (i % 4 == 0 ? V6(random) : V4(random)) + '\n';
    for (std::size_t i = 0; i < lines / 4; ++i)
        texts[2].bytes += LogLine(random, V6(random));
    texts[3].bytes.resize(lines * 32);
    for (char& c : texts[3].bytes)
        c = static_cast<char>(random());
    return texts;
}

// Processor time of the fastest of `runs` passes: on a shared machine the
// wall time of a pass also holds the time others had the core.
template <typename Pass> double FastestSeconds(int runs, Pass pass) {
    const auto now = [] {
        timespec time{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
        return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_nsec) / 1e9;
    };
    double best = 1e30;
    for (int run = 0; run < runs; ++run) {
        const double start = now();
        pass();
        best = std::min(best, now() - start);
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    std::size_t lines = 1'000'000;
    int runs = 5;
    std::string only; // one text's name, or all
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--lines") == 0)
            lines = std::strtoull(argv[i + 1], nullptr, 10);
        else if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--text") == 0)
            only = argv[i + 1];
        else {
            std::fprintf(stderr, "usage: scan_bench [--lines N] [--runs N] [--text NAME]\n");
            return 2;
        }
    }
    std::printf("%-7s %9s %13s %13s %7s %10s\n", "text", "MB", "scan MB/s", "memchr MB/s", "ratio",
                "addresses");
    for (const Text& text : MakeTexts(lines)) {
        if (!only.empty() && only != text.name)
            continue;
        const std::string_view all(text.bytes);
        std::size_t found = 0;
        std::size_t newlines = 0;
        const double scan = FastestSeconds(runs, [&] {
            found = 0;
            AddressScanner scanner([&](const Address&) { ++found; });
            for (std::size_t at = 0; at < all.size(); at += kPiece)
                scanner.Feed(all.substr(at, kPiece));
            scanner.Finish();
        });
        const double floor = FastestSeconds(runs, [&] {
            newlines = 0;
            for (std::size_t at = 0; at < all.size(); at += kPiece) {
                const std::string_view piece = all.substr(at, kPiece);
                const char* p = piece.data();
                const char* const end = p + piece.size();
                while ((p = static_cast<const char*>(std::memchr(p, '\n', end - p))) != nullptr) {
                    ++newlines;
                    ++p;
                }
            }
        });
        const double megabytes = all.size() / 1e6;
        std::printf("%-7s %9.1f %13.0f %13.0f %7.2f %10zu\n", text.name, megabytes,
                    megabytes / scan, megabytes / floor, floor / scan, found);
        if (newlines == 0 && text.name[0] == 'l')
            return 1; // the floor must have read the text
    }
    return 0;
}
