// SPDX-License-Identifier: GPL-3.0-or-later
// Capture files end to end, in one run: a generated capture (by default
// 10,000,000 Ethernet packets, about 1.2 GB, between 100,000 distinct IPv4
// addresses, 1% ARP, 10% VLAN-tagged) read by `orvanta-db endpoints` (its
// lines written to a file) beside pcap_loop, a bare C loop over
// pcap_next_ex that only counts the packets. Both run several times in
// turn after one warm-up read, so both find the file in the page cache;
// prints the median wall and processor times, their ratios and orvanta-db's
// peak memory.
// Where tshark is installed, also a cut of 1,000,000 packets beside
// `tshark -q -z endpoints,ip`.
//
// Usage: capture_bench [--packets N] [--addresses N] [--runs N] [--dir DIR] [--keep]
// The files go to a new folder under DIR (default $TMPDIR or /tmp), removed
// at the end unless --keep.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

struct Run {
    double seconds = 0;
    double processor = 0; // user + system seconds of the child
    long peakKiB = 0;
    int status = -1;
};

// Runs `argv` in `folder` with standard output to `out`; waits for it.
Run RunOnce(const std::vector<std::string>& argv, const std::string& folder,
            const std::string& out) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
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
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    Run run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.processor = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                    static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    run.peakKiB = usage.ru_maxrss;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (run.status != 0) {
        std::fprintf(stderr, "%s exited with %d\n", args[0], run.status);
        std::exit(1);
    }
    return run;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

class Random {
public:
    std::uint64_t Next() {
        state_ += 0x9E3779B97F4A7C15ULL;
        std::uint64_t z = state_;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

private:
    std::uint64_t state_ = 42;
};

void Put16(std::vector<unsigned char>& b, std::uint16_t v) { // network order
    b.push_back(static_cast<unsigned char>(v >> 8));
    b.push_back(static_cast<unsigned char>(v & 0xFF));
}

void Put32(std::vector<unsigned char>& b, std::uint32_t v) {
    Put16(b, static_cast<std::uint16_t>(v >> 16));
    Put16(b, static_cast<std::uint16_t>(v & 0xFFFF));
}

void PutLittle32(std::vector<unsigned char>& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b.push_back(static_cast<unsigned char>(v >> (8 * i)));
    }
}

// A little-endian microsecond pcap of Ethernet frames; the addresses spread
// over 1.0.0.0-223.255.255.255, every one of the pool used at least once.
void WriteCapture(const std::string& path, std::uint64_t packets, std::uint32_t addresses) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"),
                                                         std::fclose);
    if (!file) {
        std::perror(path.c_str());
        std::exit(1);
    }
    std::vector<unsigned char> b;
    for (std::uint32_t v : {0xA1B2C3D4u, 0x00040002u, 0u, 0u, 262144u, 1u}) {
        PutLittle32(b, v);
    }
    const std::uint32_t step = 0xDF000000u / addresses;
    const auto address = [&](std::uint64_t i) { return 0x01000000u + std::uint32_t(i) * step; };
    Random random;
    for (std::uint64_t i = 0; i < packets; ++i) {
        const std::uint64_t r = random.Next();
        const std::uint32_t payload = static_cast<std::uint32_t>(r % 101);
        const bool arp = (r >> 8) % 100 == 0;
        const bool vlan = (r >> 16) % 10 == 0;
        const std::uint32_t source = address(i < addresses ? i : (r >> 24) % addresses);
        const std::uint32_t destination = address(random.Next() % addresses);
        const std::uint32_t length = (arp ? 42 : 14 + 20 + 20 + payload) + (vlan ? 4 : 0);
        PutLittle32(b, static_cast<std::uint32_t>(1700000000 + i / 100000));
        PutLittle32(b, static_cast<std::uint32_t>(i % 1000000));
        PutLittle32(b, length);
        PutLittle32(b, length);
        const unsigned char macs[12] = {2, 0, 0, 0, 0, 1, 2, 0, 0, 0, 0, 2};
        b.insert(b.end(), macs, macs + 12);
        if (vlan) {
            Put16(b, 0x8100);
            Put16(b, 100);
        }
        if (arp) {
            Put16(b, 0x0806);
            b.insert(b.end(), 28, 0);
        } else {
            Put16(b, 0x0800);
            Put32(b, 0x45000000u | (20 + 20 + payload));
            Put32(b, 0);
            Put32(b, 0x40060000u);
            Put32(b, source);
            Put32(b, destination);
            b.insert(b.end(), 20 + payload, 0); // TCP header and payload
        }
        if (b.size() > (std::size_t(4) << 20)) {
            std::fwrite(b.data(), 1, b.size(), file.get());
            b.clear();
        }
    }
    std::fwrite(b.data(), 1, b.size(), file.get());
    if (std::fflush(file.get()) != 0) {
        std::perror(path.c_str());
        std::exit(1);
    }
}

// A city database of one record per /8, so that every endpoint is found.
void WriteDatabase(const std::string& folder) {
    std::FILE* csv = std::fopen((folder + "/cities.csv").c_str(), "w");
    for (int octet = 1; octet < 224; ++octet) {
        std::fprintf(csv, "%d.0.0.0,%d.255.255.255,FR,R%d,,City %d,,%d.5,%d.25\n", octet, octet,
                     octet, octet, octet % 90, octet % 180);
    }
    std::fclose(csv);
    RunOnce({ORVANTA_DB_TOOL, "build", "--csv", "cities.csv", "-o", "GeoLiteCity.dat"}, folder,
            "/dev/null");
}

std::size_t Lines(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "r");
    std::size_t lines = 0;
    for (int c; (c = std::fgetc(file)) != EOF;) {
        lines += c == '\n';
    }
    std::fclose(file);
    return lines;
}

// Median wall and processor seconds of each side, run in turn; the largest
// peak of `ours`. The processor time is the steadier figure on a busy machine.
void Compare(const char* title, const std::vector<std::string>& ours,
             const std::vector<std::string>& theirs, const char* theirName, int runs,
             const std::string& folder, std::uint32_t addresses) {
    std::vector<double> our, ourProcessor, their, theirProcessor;
    long peak = 0;
    RunOnce(theirs, folder, "/dev/null"); // warm the page cache
    for (int i = 0; i < runs; ++i) {
        const Run baseline = RunOnce(theirs, folder, "/dev/null");
        their.push_back(baseline.seconds);
        theirProcessor.push_back(baseline.processor);
        const Run run = RunOnce(ours, folder, folder + "/endpoints.tsv");
        our.push_back(run.seconds);
        ourProcessor.push_back(run.processor);
        peak = std::max(peak, run.peakKiB);
    }
    const std::size_t lines = Lines(folder + "/endpoints.tsv");
    std::printf("%s (median of %d runs)\n", title, runs);
    std::printf("  %-22s %8.3f s wall %8.3f s processor\n", theirName, Median(their),
                Median(theirProcessor));
    std::printf("  %-22s %8.3f s wall %8.3f s processor\n", "orvanta-db endpoints", Median(our),
                Median(ourProcessor));
    std::printf("  ratio                  %8.2fx wall %8.2fx processor (goal <= 2x)\n",
                Median(our) / Median(their), Median(ourProcessor) / Median(theirProcessor));
    std::printf("  peak memory            %8.1f MiB (goal <= 256 MiB)\n", peak / 1024.0);
    std::printf("  endpoints printed      %8zu (expected %u)\n", lines, addresses);
}

bool OnPath(const char* program) {
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "";
    for (std::size_t start = 0; start <= folders.size();) {
        const std::size_t end = std::min(folders.find(':', start), folders.size());
        const std::string candidate = folders.substr(start, end - start) + "/" + program;
        if (::access(candidate.c_str(), X_OK) == 0) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    std::uint64_t packets = 10000000;
    std::uint32_t addresses = 100000;
    int runs = 5;
    bool keep = false;
    const char* tmp = std::getenv("TMPDIR");
    std::string parent = tmp ? tmp : "/tmp";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--keep") {
            keep = true;
        } else if (i + 1 < argc && arg == "--packets") {
            packets = std::strtoull(argv[++i], nullptr, 10);
        } else if (i + 1 < argc && arg == "--addresses") {
            addresses = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        } else if (i + 1 < argc && arg == "--runs") {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (i + 1 < argc && arg == "--dir") {
            parent = argv[++i];
        } else {
            std::fprintf(stderr, "usage: capture_bench [--packets N] [--addresses N] "
                                 "[--runs N] [--dir DIR] [--keep]\n");
            return 2;
        }
    }
    addresses = std::max<std::uint32_t>(1, std::min<std::uint32_t>(addresses, 1u << 24));
    std::string pattern = parent + "/orvanta-capture-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror(pattern.c_str());
        return 1;
    }
    const std::string folder = pattern;
    WriteDatabase(folder);
    const auto start = std::chrono::steady_clock::now();
    WriteCapture(folder + "/capture.pcap", packets, addresses);
    std::printf("capture: %llu packets, %u addresses, %.1f MB, written in %.1f s\n",
                static_cast<unsigned long long>(packets), addresses,
                std::filesystem::file_size(folder + "/capture.pcap") / 1e6,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    Compare("full capture", {ORVANTA_DB_TOOL, "endpoints", "capture.pcap"},
            {ORVANTA_PCAP_LOOP, "capture.pcap"}, "pcap_next_ex loop", runs, folder, addresses);
    if (OnPath("tshark")) {
        const std::uint64_t cut = std::min<std::uint64_t>(packets, 1000000);
        WriteCapture(folder + "/cut.pcap", cut, std::min<std::uint64_t>(addresses, cut));
        Compare("1,000,000-packet cut", {ORVANTA_DB_TOOL, "endpoints", "cut.pcap"},
                {"tshark", "-q", "-z", "endpoints,ip", "-r", "cut.pcap"}, "tshark endpoints,ip",
                runs, folder, std::min<std::uint64_t>(addresses, cut));
    } else {
        std::printf("tshark is not installed: no comparison with it\n");
    }
    if (keep) {
        std::printf("files kept in %s\n", folder.c_str());
    } else {
        std::filesystem::remove_all(folder);
    }
    return 0;
}
