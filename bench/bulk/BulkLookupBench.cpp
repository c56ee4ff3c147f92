// SPDX-License-Identifier: GPL-3.0-or-later
// Bulk lookups end to end, in one run: `orvanta-db lookup` reading addresses
// on standard input and writing its tab-separated lines to a pipe, beside a C
// loop over libmaxminddb (mmdb_loop, the database opened once) doing the same
// on the source MMDB. Same random addresses for both, each side run several
// times in turn; prints addresses per second (median run) and the ratios.
//
// Usage: bulk_lookup_bench [--count N] [--runs N] [--db FILE.dat] [--mmdb FILE.mmdb] [--ipv6]
//                          [--asn GeoIPASNum.dat --asn6 GeoIPASNumv6.dat]
// The files default to the full-scale pair (ORVANTA_SCALE_DAT / _MMDB, or
// what scripts/prove-scale leaves in the cache); skips when they are missing.
// With --ipv6 the pair is an IPv6 database and its source, and the addresses
// are IPv6 ones drawn by a random walk down the source's tree (uniform draws
// would almost all fall where the source has nothing).
// With --asn and --asn6 it also runs `orvanta-db lookup` with the
// organisation fields from those files and prints that rate beside the run
// without them (every run starts in an empty folder, so no default
// organisation file is found by accident).

#include "ScaleFiles.h"
#include "SourceWalk.h"

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

struct Run {
    double wall = 0;       // seconds
    double processor = 0;  // user + system seconds of the child
    std::size_t lines = 0; // lines it wrote
};

struct Side {
    const char* name;
    std::vector<std::string> argv;
    std::vector<Run> runs;
};

double Seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

// Runs the command with `input` as standard input, reads everything it writes
// and counts the lines; the wall time includes start-up and the last byte.
Run RunOnce(const std::vector<std::string>& argv, const std::string& input,
            const std::string& folder) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) {
        std::perror("pipe");
        std::exit(1);
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    if (posix_spawn(&child, args[0], &actions, nullptr, args.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", args[0]);
        std::exit(1);
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    Run run;
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const ssize_t got = ::read(out[0], buffer.data(), buffer.size());
        if (got <= 0) {
            break;
        }
        run.lines += static_cast<std::size_t>(std::count(buffer.data(), buffer.data() + got, '\n'));
    }
    ::close(out[0]);
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    run.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.processor = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", args[0]);
        std::exit(1);
    }
    return run;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// `source` is the MMDB the IPv6 addresses are drawn from; null for IPv4.
std::string WriteAddresses(std::size_t count, const MMDB_s* source) {
    char path[] = "/tmp/orvanta-bulk-bench-XXXXXX";
    const int fd = ::mkstemp(path);
    std::FILE* file = fd >= 0 ? ::fdopen(fd, "w") : nullptr;
    if (file == nullptr) {
        std::perror("address file");
        std::exit(1);
    }
    std::mt19937 random(20261209);
    std::uniform_int_distribution<std::uint32_t> any(1, 0xFFFFFFFEu);
    for (std::size_t i = 0; i < count; ++i) {
        if (source != nullptr) {
            const auto bytes = orvanta::scale::RandomWalkAddress(*source, random);
            char text[INET6_ADDRSTRLEN] = {};
            ::inet_ntop(AF_INET6, bytes.data(), text, sizeof text);
            std::fprintf(file, "%s\n", text);
            continue;
        }
        const std::uint32_t n = any(random);
        std::fprintf(file, "%u.%u.%u.%u\n", n >> 24, (n >> 16) & 255, (n >> 8) & 255, n & 255);
    }
    std::fclose(file);
    return path;
}

} // namespace

int main(int argc, char** argv) {
    std::size_t count = 2000000;
    int runs = 5;
    std::string db = orvanta::scale::ScaleDatabase();
    std::string mmdb = orvanta::scale::ScaleSource();
    bool ipv6 = false;
    std::string asn;
    std::string asn6;
    for (int i = 1; i < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--ipv6") {
            ipv6 = true;
            --i;
        } else if (i + 1 >= argc) {
            std::fprintf(stderr, "%s needs a value\n", argv[i]);
            return 2;
        } else if (option == "--count") {
            count = std::strtoull(argv[i + 1], nullptr, 10);
        } else if (option == "--runs") {
            runs = std::max(1, std::atoi(argv[i + 1]));
        } else if (option == "--db") {
            db = argv[i + 1];
        } else if (option == "--mmdb") {
            mmdb = argv[i + 1];
        } else if (option == "--asn") {
            asn = argv[i + 1];
        } else if (option == "--asn6") {
            asn6 = argv[i + 1];
        } else {
            std::fprintf(stderr, "unknown option %s\n", argv[i]);
            return 2;
        }
    }
    if (::access(db.c_str(), R_OK) != 0 || ::access(mmdb.c_str(), R_OK) != 0 || count == 0) {
        std::printf("skipped: %s or %s is missing (scripts/prove-scale makes them)\n", db.c_str(),
                    mmdb.c_str());
        return 0;
    }
    MMDB_s source{};
    if (ipv6 && MMDB_open(mmdb.c_str(), MMDB_MODE_MMAP, &source) != MMDB_SUCCESS) {
        std::fprintf(stderr, "cannot open %s\n", mmdb.c_str());
        return 1;
    }
    const std::string input = WriteAddresses(count, ipv6 ? &source : nullptr);
    if (ipv6) {
        MMDB_close(&source);
    }
    const bool withAsn = !asn.empty() && !asn6.empty() && ::access(asn.c_str(), R_OK) == 0 &&
                         ::access(asn6.c_str(), R_OK) == 0;
    // The children run in an empty folder: every file is given absolute.
    for (std::string* file : {&db, &mmdb, &asn, &asn6}) {
        char* absolute = file->empty() ? nullptr : ::realpath(file->c_str(), nullptr);
        if (absolute != nullptr) {
            *file = absolute;
            std::free(absolute);
        }
    }
    char folder[] = "/tmp/orvanta-bulk-folder-XXXXXX";
    if (::mkdtemp(folder) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    std::vector<Side> sides = {
        {"orvanta-db lookup", {ORVANTA_DB_TOOL, "lookup", ipv6 ? "--db6" : "--db", db}, {}},
        {"libmaxminddb C loop", {ORVANTA_MMDB_LOOP, mmdb}, {}}};
    if (withAsn) {
        sides.push_back(
            {"  with organisation",
             {ORVANTA_DB_TOOL, "lookup", ipv6 ? "--db6" : "--db", db, "--asn", asn, "--asn6", asn6},
             {}});
    }
    for (int run = 0; run < runs; ++run) {
        for (Side& side : sides) {
            side.runs.push_back(RunOnce(side.argv, input, folder));
            if (side.runs.back().lines != count) {
                std::fprintf(stderr, "%s wrote %zu lines for %zu addresses\n", side.name,
                             side.runs.back().lines, count);
                return 1;
            }
        }
    }
    ::unlink(input.c_str());
    ::rmdir(folder);
    double rate[3];
    double processor[3];
    for (std::size_t s = 0; s < sides.size(); ++s) {
        std::vector<double> walls;
        std::vector<double> cpus;
        for (const Run& run : sides[s].runs) {
            walls.push_back(run.wall);
            cpus.push_back(run.processor);
        }
        rate[s] = static_cast<double>(count) / Median(walls);
        processor[s] = static_cast<double>(count) / Median(cpus);
        std::printf("%-20s %10.0f addresses/s end to end (median of %d), %10.0f per processor "
                    "second\n",
                    sides[s].name, rate[s], runs, processor[s]);
    }
    std::printf("%zu %s addresses; orvanta-db: %.2f million addresses/s (goal >= %s)\n", count,
                ipv6 ? "IPv6" : "IPv4", rate[0] / 1e6, ipv6 ? "1.0" : "1.5");
    std::printf("ratio orvanta-db / libmaxminddb: %.2f end to end, %.2f in processor time "
                "(goal >= 2)\n",
                rate[0] / rate[1], processor[0] / processor[1]);
    if (withAsn) {
        std::printf("with the organisation fields: %.2f million addresses/s (goal >= %s), "
                    "%.2f of the rate without them\n",
                    rate[2] / 1e6, ipv6 ? "1.0" : "1.5", rate[2] / rate[0]);
    }
    return 0;
}
