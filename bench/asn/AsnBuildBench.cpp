// SPDX-License-Identifier: GPL-3.0-or-later
// Both organisation builds from the npm CSV files end to end: `orvanta-db
// build --csv asn-ipv4.csv --edition 9` and `--csv asn-ipv6.csv --edition
// 21`, timed together, beside a baseline measured in the same run on the
// same machine: GNU sort over the same two files (reading, splitting and
// ordering every row, the part of a build any tool must do). Prints the
// median seconds, the goal (10 s for both) and the ratio to the baseline.
//
// Usage: asn_build_bench ASN_V4_CSV ASN_V6_CSV [--runs N]
// Skips when the files are missing (scripts/prove-scale fetches them).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

// Runs the command with its output thrown away; the seconds it took.
double RunOnce(const std::vector<std::string>& argv) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    if (posix_spawnp(&child, args[0], &actions, nullptr, args.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", args[0]);
        std::exit(1);
    }
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", args[0]);
        std::exit(1);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: asn_build_bench ASN_V4_CSV ASN_V6_CSV [--runs N]\n");
        return 2;
    }
    const std::string v4 = argv[1];
    const std::string v6 = argv[2];
    int runs = 3;
    if (argc >= 5 && std::string(argv[3]) == "--runs") {
        runs = std::max(1, std::atoi(argv[4]));
    }
    if (::access(v4.c_str(), R_OK) != 0 || ::access(v6.c_str(), R_OK) != 0) {
        std::printf("skipped: %s or %s is missing (scripts/prove-scale fetches them)\n", v4.c_str(),
                    v6.c_str());
        return 0;
    }
    char folder[] = "/tmp/orvanta-asn-bench-XXXXXX";
    if (::mkdtemp(folder) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string out4 = std::string(folder) + "/GeoIPASNum.dat";
    const std::string out6 = std::string(folder) + "/GeoIPASNumv6.dat";
    ::setenv("LC_ALL", "C", 1);
    std::vector<double> builds;
    std::vector<double> sorts;
    for (int run = 0; run < runs; ++run) {
        builds.push_back(
            RunOnce({ORVANTA_DB_TOOL, "build", "--csv", v4, "-o", out4, "--edition", "9"}) +
            RunOnce({ORVANTA_DB_TOOL, "build", "--csv", v6, "-o", out6, "--edition", "21"}));
        sorts.push_back(RunOnce({"sort", "-t,", "-k1,1", v4}) +
                        RunOnce({"sort", "-t,", "-k1,1", v6}));
    }
    ::unlink(out4.c_str());
    ::unlink(out6.c_str());
    ::rmdir(folder);
    const double build = Median(builds);
    const double sort = Median(sorts);
    std::printf("both organisation builds: %.2f s (median of %d; goal at most 10 s)\n", build,
                runs);
    std::printf("baseline, sort(1) over the same files: %.2f s\n", sort);
    std::printf("ratio builds / baseline: %.2f\n", build / sort);
    return build <= 10.0 ? 0 : 1;
}
