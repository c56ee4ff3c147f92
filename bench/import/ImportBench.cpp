// SPDX-License-Identifier: GPL-3.0-or-later
// Lookups at full scale, in one run: the program's lookup on the converted
// DB-IP database (reader made, LookupCity, reader freed) beside the raw floor
// of the same reads, and libmaxminddb on the source MMDB, opened once and
// opened, looked up and closed per address. Prints ns per lookup and the
// ratios. Skips with a message when the full-scale files are not there.

#include "ScaleFiles.h"
#include "geoip/TGeoIP.h"

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <maxminddb.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::vector<std::string> addresses;
std::string databasePath;
std::string sourcePath;

void MakeAddresses(std::size_t count) {
    std::mt19937 random(20261209);
    std::uniform_int_distribution<std::uint32_t> any(1, 0xFFFFFFFEu);
    for (std::size_t i = 0; i < count; ++i) {
        in_addr a{htonl(any(random))};
        addresses.emplace_back(inet_ntoa(a));
    }
}

void BM_ProgramLookup(benchmark::State& state) {
    std::size_t i = 0;
    for (auto _ : state) {
        orvanta::geoip::TGeoIPCity city;
        orvanta::geoip::TGeoIP reader(databasePath);
        benchmark::DoNotOptimize(reader.LookupCity(addresses[i++ % addresses.size()], city));
        benchmark::DoNotOptimize(city);
    }
}

std::uint32_t Le3(const std::uint8_t* b) {
    return b[0] | b[1] << 8 | b[2] << 16;
}

// The reader's system calls and nothing else: open, fstat, the edition
// block windows from the end, one 6-byte read per tree level, the 50-byte
// record window, close.
void BM_RawFloor(benchmark::State& state) {
    std::size_t i = 0;
    for (auto _ : state) {
        const std::uint32_t address = ntohl(inet_addr(addresses[i++ % addresses.size()].c_str()));
        const int fd = ::open(databasePath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        struct stat status {};
        ::fstat(fd, &status);
        const off_t size = status.st_size;
        std::uint8_t b[50];
        std::uint32_t boundary = 0;
        for (int back = 3; back < 23 && back <= size; ++back) {
            ::pread(fd, b, 3, size - back);
            if (b[0] == 0xFF && b[1] == 0xFF && b[2] == 0xFF) {
                ::pread(fd, b, 1, size - back + 3);
                ::pread(fd, b, 3, size - back + 4);
                boundary = Le3(b);
                break;
            }
        }
        std::uint32_t node = 0;
        std::uint32_t value = 0;
        for (int bit = 31; bit >= 0; --bit) {
            ::pread(fd, b, 6, off_t(node) * 6);
            value = Le3((address >> bit) & 1 ? b + 3 : b);
            if (value >= boundary)
                break;
            node = value;
        }
        if (value != boundary)
            ::pread(fd, b, 50, off_t(value) + 5 * off_t(boundary));
        ::close(fd);
        benchmark::DoNotOptimize(b);
    }
}

// The fields the program shows, read from a libmaxminddb answer.
void ReadFields(MMDB_lookup_result_s& result) {
    if (!result.found_entry)
        return;
    MMDB_entry_data_s data;
    for (const char* key : {"country_code", "state1", "city", "latitude", "longitude"}) {
        MMDB_get_value(&result.entry, &data, key, nullptr);
        benchmark::DoNotOptimize(data);
    }
}

void BM_MmdbOpenedOnce(benchmark::State& state) {
    MMDB_s mmdb;
    if (MMDB_open(sourcePath.c_str(), MMDB_MODE_MMAP, &mmdb) != MMDB_SUCCESS) {
        state.SkipWithError("cannot open the MMDB source");
        return;
    }
    std::size_t i = 0;
    for (auto _ : state) {
        int gai = 0, error = 0;
        auto result =
            MMDB_lookup_string(&mmdb, addresses[i++ % addresses.size()].c_str(), &gai, &error);
        ReadFields(result);
    }
    MMDB_close(&mmdb);
}

void BM_MmdbOpenLookupClose(benchmark::State& state) {
    std::size_t i = 0;
    for (auto _ : state) {
        MMDB_s mmdb;
        if (MMDB_open(sourcePath.c_str(), MMDB_MODE_MMAP, &mmdb) != MMDB_SUCCESS) {
            state.SkipWithError("cannot open the MMDB source");
            return;
        }
        int gai = 0, error = 0;
        auto result =
            MMDB_lookup_string(&mmdb, addresses[i++ % addresses.size()].c_str(), &gai, &error);
        ReadFields(result);
        MMDB_close(&mmdb);
    }
}

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                times[run.benchmark_name()] = run.GetAdjustedRealTime();
                cpu[run.benchmark_name()] = run.GetAdjustedCPUTime();
            }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times; // ns per iteration, wall clock
    std::map<std::string, double>
        cpu; // ns per iteration, processor time (steadier on a busy machine)
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (!orvanta::scale::ScaleFilesPresent()) {
        std::printf("skipped: the full-scale files %s and %s are not there "
                    "(scripts/prove-scale makes them)\n",
                    orvanta::scale::ScaleDatabase().c_str(), orvanta::scale::ScaleSource().c_str());
        return 0;
    }
    databasePath = orvanta::scale::ScaleDatabase();
    sourcePath = orvanta::scale::ScaleSource();
    MakeAddresses(65536);
    benchmark::RegisterBenchmark("RawFloor", BM_RawFloor)->Unit(benchmark::kNanosecond);
    benchmark::RegisterBenchmark("ProgramLookup", BM_ProgramLookup)->Unit(benchmark::kNanosecond);
    benchmark::RegisterBenchmark("MmdbOpenedOnce", BM_MmdbOpenedOnce)->Unit(benchmark::kNanosecond);
    benchmark::RegisterBenchmark("MmdbOpenLookupClose", BM_MmdbOpenLookupClose)
        ->Unit(benchmark::kNanosecond);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto& t = reporter.times;
    if (t["RawFloor"] <= 0 || t["ProgramLookup"] <= 0 || t["MmdbOpenLookupClose"] <= 0 ||
        t["MmdbOpenedOnce"] <= 0) {
        std::fprintf(stderr, "missing measurements\n");
        return 1;
    }
    std::printf("program lookup: %.0f ns, raw floor: %.0f ns, ratio %.3f (goal <= 1.3)\n",
                t["ProgramLookup"], t["RawFloor"], t["ProgramLookup"] / t["RawFloor"]);
    std::printf("libmaxminddb open-lookup-close: %.0f ns, %.2fx the program's lookup (goal >= 5)\n",
                t["MmdbOpenLookupClose"], t["MmdbOpenLookupClose"] / t["ProgramLookup"]);
    std::printf("libmaxminddb opened once: %.0f ns, %.3fx the program's lookup\n",
                t["MmdbOpenedOnce"], t["MmdbOpenedOnce"] / t["ProgramLookup"]);
    auto& c = reporter.cpu;
    if (c["RawFloor"] > 0 && c["ProgramLookup"] > 0)
        std::printf("processor time: lookup/floor %.3f, open-lookup-close/lookup %.2f\n",
                    c["ProgramLookup"] / c["RawFloor"],
                    c["MmdbOpenLookupClose"] / c["ProgramLookup"]);
    return 0;
}
