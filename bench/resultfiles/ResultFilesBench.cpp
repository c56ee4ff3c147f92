// SPDX-License-Identifier: GPL-3.0-or-later
// Saving and reopening a long results list, in one run: the CSV the list
// has always written (rows as texts, CsvText, one file), the GeoJSON and
// KML files written from the typed rows, and the GeoJSON file read back.
// Each step runs in a child process of its own, so its peak memory is the
// child's peak resident size less that of a child that does nothing; the
// time is the median of the runs. Prints both, and the ratios to the CSV.
//
// Usage: result_files_bench [--rows N] [--runs N]     (defaults 100000, 5)
#include "resultfiles/GeoJsonReader.h"
#include "resultfiles/GeoJsonWriter.h"
#include "resultfiles/KmlWriter.h"
#include "resultfiles/SavedFile.h"
#include "tabletext/DelimitedText.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace orvanta::resultfiles;

// Rows like a many-address run's: every third not located, most with an
// organisation, counts everywhere, bytes on some.
std::vector<ResultRecord> Rows(int count) {
    std::vector<ResultRecord> rows;
    rows.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        ResultRecord row;
        row.address = std::to_string(10 + (i >> 16)) + "." + std::to_string((i >> 8) & 255) + "." +
                      std::to_string(i & 255) + ".7";
        row.count = static_cast<std::uint64_t>(1 + i % 97);
        if (i % 3 != 0) {
            row.found = true;
            row.countryCode = "US";
            row.countryName = "United States";
            row.region = "CA";
            row.city = "Mountain View";
            row.latitude = 37.386 + i * 1e-6;
            row.longitude = -122.0838 - i * 1e-6;
        }
        if (i % 5 != 0) {
            row.asn = static_cast<std::uint32_t>(15169 + i % 50);
            row.organization = "Example Networks LLC";
        }
        if (i % 4 == 0)
            row.bytes = static_cast<std::uint64_t>(i) * 1500;
        rows.push_back(std::move(row));
    }
    return rows;
}

// The list's texts of the rows, as the list holds them before a CSV save.
std::vector<std::vector<std::string>> Texts(const std::vector<ResultRecord>& rows) {
    std::vector<std::vector<std::string>> texts;
    texts.reserve(rows.size());
    for (const ResultRecord& row : rows)
        texts.push_back({row.found ? LocationLine(row) : "ERROR City not present", row.address,
                         row.latitude ? std::to_string(*row.latitude) : "",
                         row.longitude ? std::to_string(*row.longitude) : "", "",
                         OrganisationText(row), std::to_string(*row.count)});
    return texts;
}

struct Measure {
    double seconds = 0;
    long peakKb = 0;
};

// Runs `step` in a child; its time and peak resident size.
Measure InChild(const std::function<void()>& step) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        std::exit(2);
    const pid_t child = ::fork();
    if (child == 0) {
        const auto start = std::chrono::steady_clock::now();
        step();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (::write(pipeFds[1], &seconds, sizeof seconds) != sizeof seconds)
            ::_exit(3);
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    Measure measure;
    if (::read(pipeFds[0], &measure.seconds, sizeof measure.seconds) != sizeof measure.seconds)
        measure.seconds = -1;
    ::close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "result_files_bench: a step failed\n");
        std::exit(1);
    }
    measure.peakKb = usage.ru_maxrss;
    return measure;
}

Measure Median(std::vector<Measure> runs) {
    std::sort(runs.begin(), runs.end(),
              [](const Measure& a, const Measure& b) { return a.seconds < b.seconds; });
    Measure median = runs[runs.size() / 2];
    for (const Measure& m : runs)
        median.peakKb = std::max(median.peakKb, m.peakKb);
    return median;
}

} // namespace

int main(int argc, char** argv) {
    int count = 100000;
    int runs = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--rows") == 0)
            count = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[i + 1]));
    }
    const auto folder = std::filesystem::temp_directory_path() /
                        ("result-files-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string csv = (folder / "list.csv").string();
    const std::string geojson = (folder / "list.geojson").string();
    const std::string kml = (folder / "list.kml").string();

    const auto rows = Rows(count);
    const auto texts = Texts(rows);
    const std::vector<std::string> header = {"IP Locations", "IP address",   "Latitude", "Logitude",
                                             "Host name",    "Organization", "Count"};
    struct Step {
        const char* name;
        std::function<void()> run;
    };
    const Step steps[] = {
        {"nothing (baseline)", [] {}},
        {"save CSV",
         [&] {
             const std::string text = orvanta::tabletext::CsvText(header, texts);
             SaveFile(csv, [&](std::ostream& out) { out << text; });
         }},
        {"save GeoJSON",
         [&] { SaveFile(geojson, [&](std::ostream& out) { WriteGeoJson(out, rows); }); }},
        {"save KML", [&] { SaveFile(kml, [&](std::ostream& out) { WriteKml(out, rows); }); }},
        {"reopen GeoJSON",
         [&] {
             if (ReadGeoJsonFile(geojson).rows != rows)
                 std::_Exit(4);
         }},
    };
    std::vector<Measure> results;
    for (const Step& step : steps) {
        std::vector<Measure> measured;
        for (int r = 0; r < runs; ++r)
            measured.push_back(InChild(step.run));
        results.push_back(Median(measured));
    }
    const long base = results[0].peakKb;
    const Measure& csvMeasure = results[1];
    const double csvMb = std::max(1.0, (csvMeasure.peakKb - base) / 1024.0);
    std::printf("%d rows, median of %d runs; memory is the peak above a child that does "
                "nothing (%.1f MB)\n",
                count, runs, base / 1024.0);
    std::printf("%-16s %10s %10s %10s %10s %12s\n", "step", "ms", "x CSV", "peak MB", "x CSV",
                "file MB");
    const std::string files[] = {"", csv, geojson, kml, geojson};
    for (std::size_t i = 1; i < results.size(); ++i) {
        const double ms = results[i].seconds * 1e3;
        const double mb = (results[i].peakKb - base) / 1024.0;
        std::printf("%-16s %10.1f %10.2f %10.1f %10.2f %12.1f\n", steps[i].name, ms,
                    ms / (csvMeasure.seconds * 1e3), mb, mb / csvMb,
                    std::filesystem::file_size(files[i]) / 1048576.0);
    }
    std::filesystem::remove_all(folder);
    return 0;
}
