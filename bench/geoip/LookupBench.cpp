// SPDX-License-Identifier: GPL-3.0-or-later
// The cost of one lookup as the program makes it (construct a reader, look
// one random address up, free it) on a written database of about a million
// ranges, beside a floor measured in the same run: the same open, the same
// pread calls of the same sizes at the same positions, and close, done raw.
// Prints ns per lookup for both and their ratio.
//
//   geoip_lookup_bench [--ranges=N] [benchmark options]
//
// With --benchmark_repetitions=N (and --benchmark_enable_random_interleaving=true
// against drift on a busy machine) the ratio is that of the medians.

#include "geoip/TGeoIP.h"
#include "geoipwriter/CityDatabaseWriter.h"

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace orvanta::geoip;

struct Read {
    off_t position;
    std::size_t size;
};

struct Sample {
    std::string address;
    std::vector<Read> reads; // what the reader does for this address
};

struct Fixture {
    std::string path;
    std::vector<Sample> samples;
} fixture;

std::string AddressText(std::uint32_t address) {
    in_addr value{htonl(address)};
    char text[INET_ADDRSTRLEN];
    inet_ntop(AF_INET, &value, text, sizeof text);
    return text;
}

CityRangeSet RandomRanges(std::size_t count, std::mt19937& random) {
    CityRangeSet set;
    const std::size_t records = std::max<std::size_t>(1, count / 20);
    for (std::size_t i = 0; i < records; ++i) {
        CityRecordData record;
        record.countryIndex = static_cast<std::uint8_t>(random() % 253);
        record.region = "R" + std::to_string(random() % 100);
        record.city = "City " + std::to_string(i);
        record.postalCode = std::to_string(random() % 100000);
        record.latitude = static_cast<int>(random() % 1800000) / 10000.0 - 90;
        record.longitude = static_cast<int>(random() % 3600000) / 10000.0 - 180;
        set.records.push_back(record);
    }
    // Ranges start and end on /24 boundaries, as most allocations do: a
    // million ranges with arbitrary ends would split into more blocks than
    // 3-byte tree values can number.
    const std::uint64_t slot = std::max<std::uint64_t>(2, (std::uint64_t{1} << 24) / count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t first = i * slot + random() % (slot / 4 + 1);
        const std::uint64_t units = 1 + random() % (slot / 2);
        set.ranges.push_back({static_cast<std::uint32_t>(first << 8),
                              static_cast<std::uint32_t>(((first + units) << 8) - 1),
                              static_cast<std::uint32_t>(random() % records)});
    }
    return set;
}

std::uint32_t Value(const std::string& bytes, std::uint64_t at) {
    std::uint32_t value = 0;
    for (int i = 2; i >= 0; --i) {
        value = value << 8 | static_cast<unsigned char>(at + i < bytes.size() ? bytes[at + i] : 0);
    }
    return value;
}

// The reads the reader makes for an address, worked out once from the file's
// bytes, so the floor replays them without any decoding of its own.
std::vector<Read> TraceReads(const std::string& bytes, std::uint32_t address) {
    std::vector<Read> reads;
    const off_t size = static_cast<off_t>(bytes.size());
    std::uint32_t boundary = 0;
    for (off_t back = 3; back < 23 && back <= size; ++back) {
        reads.push_back({size - back, 3});
        if (bytes.compare(static_cast<std::size_t>(size - back), 3, "\xFF\xFF\xFF") == 0) {
            reads.push_back({size - back + 3, 1});
            reads.push_back({size - back + 4, 3});
            boundary = Value(bytes, static_cast<std::uint64_t>(size - back + 4));
            break;
        }
    }
    std::uint32_t node = 0;
    std::uint32_t terminal = 0;
    for (int bit = 31; bit >= 0; --bit) {
        reads.push_back({static_cast<off_t>(node) * 6, 6});
        std::uint32_t value = Value(bytes, std::uint64_t{node} * 6 + ((address >> bit) & 1) * 3);
        if (value >= boundary) {
            terminal = value;
            break;
        }
        node = value;
    }
    if (terminal != boundary) {
        reads.push_back({static_cast<off_t>(terminal) + 5 * static_cast<off_t>(boundary), 50});
    }
    return reads;
}

void Prepare(std::size_t ranges) {
    std::mt19937 random(2024);
    fixture.path = (std::filesystem::temp_directory_path() /
                    ("orvanta-bench-" + std::to_string(::getpid()) + ".dat"))
                       .string();
    WriteSummary summary =
        WriteCityDatabase(fixture.path, RandomRanges(ranges, random), {2, false});
    std::fprintf(stderr, "database: %zu ranges, %zu tree nodes, %llu bytes\n", summary.ranges,
                 summary.treeNodes, static_cast<unsigned long long>(summary.fileSize));
    std::ifstream in(fixture.path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (int i = 0; i < 4096; ++i) {
        std::uint32_t address = static_cast<std::uint32_t>(random()) | 1;
        fixture.samples.push_back({AddressText(address), TraceReads(bytes, address)});
    }
}

void BM_Lookup(benchmark::State& state) {
    std::size_t i = 0;
    for (auto _ : state) {
        const Sample& sample = fixture.samples[i++ % fixture.samples.size()];
        TGeoIP reader(fixture.path);
        TGeoIPCity record;
        benchmark::DoNotOptimize(reader.LookupCity(sample.address, record));
        benchmark::DoNotOptimize(record.City.data());
    }
}

void BM_RawFloor(benchmark::State& state) {
    std::size_t i = 0;
    std::uint8_t buffer[64];
    for (auto _ : state) {
        const Sample& sample = fixture.samples[i++ % fixture.samples.size()];
        int fd = ::open(fixture.path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        struct stat status {};
        ::fstat(fd, &status);
        for (const Read& read : sample.reads) {
            benchmark::DoNotOptimize(::pread(fd, buffer, read.size, read.position));
        }
        ::close(fd);
        benchmark::ClobberMemory();
    }
}

// Keeps the time per iteration of each benchmark for the ratio: the median
// when repetitions are asked for, else the single run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const std::string& name = run.run_name.function_name;
            if (run.error_occurred) {
                continue;
            }
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                times[name] = run.GetAdjustedRealTime();
                medians[name] = true;
            } else if (run.run_type == Run::RT_Iteration && !medians[name]) {
                times[name] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times; // ns per iteration
    std::map<std::string, bool> medians;
};

} // namespace

int main(int argc, char** argv) {
    std::size_t ranges = 1000000;
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--ranges=", 9) == 0) {
            ranges = std::max<std::size_t>(16, std::strtoull(argv[i] + 9, nullptr, 10));
        } else {
            rest.push_back(argv[i]);
        }
    }
    int restCount = static_cast<int>(rest.size());
    benchmark::Initialize(&restCount, rest.data());
    Prepare(ranges);
    benchmark::RegisterBenchmark("RawFloor", BM_RawFloor)->Unit(benchmark::kNanosecond);
    benchmark::RegisterBenchmark("Lookup", BM_Lookup)->Unit(benchmark::kNanosecond);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::filesystem::remove(fixture.path);
    const double floor = reporter.times["RawFloor"];
    const double lookup = reporter.times["Lookup"];
    if (floor <= 0 || lookup <= 0) {
        std::fprintf(stderr, "missing measurements\n");
        return 1;
    }
    std::printf("lookup: %.0f ns, raw pread floor: %.0f ns, ratio: %.3f (goal <= 1.3)\n", lookup,
                floor, lookup / floor);
    return 0;
}
