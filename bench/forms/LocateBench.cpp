// SPDX-License-Identifier: GPL-3.0-or-later
// One locate as the user starts it, from Search to the map call: the
// address check, six database lookups (each opening the file anew), the
// row, the memo and the two script calls of the address command, with the
// host name answered at once. Beside it, in the same run, the six lookups
// alone; prints both and the share the lookups take.
//
//   locate_bench [benchmark options]
#include "FakeMapsApi.h"
#include "ScopedCacheHome.h"
#include "forms/StartUp.h"
#include "forms/Unit1.h"
#include "forms/fMain.h"
#include "forms/results/LocateTexts.h"
#include "forms/support/ProgramFonts.h"
#include "geoipwriter/CityDatabaseWriter.h"
#include "geoipwriter/CountryMapping.h"
#include "net/HostNameOf.h"
#include "site/MapProfile.h"
#include "site/SiteScheme.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>

namespace {

namespace geo = orvanta::geoip;

class InstantResolver : public THostResolver {
public:
    std::optional<std::string> NameOf(std::uint32_t) override { return "host.example"; }
};

// A database of a few thousand ranges, so the tree walk has some depth.
void WriteDatabase(const QString& path) {
    std::mt19937 random(7);
    geo::CityRanges ranges;
    std::uint32_t next = 0x01000000;
    for (int i = 0; i < 5000; ++i) {
        geo::CityRange r;
        r.first = next;
        r.last = next + 200 + random() % 5000;
        next = r.last + 1 + random() % 1000;
        r.record.countryIndex = geo::MapCountryCode("US").index;
        r.record.region = "CA";
        r.record.city = "City " + std::to_string(i);
        r.record.latitude = 37.386;
        r.record.longitude = -122.0838;
        ranges.push_back(r);
    }
    geo::WriteCityDatabase(path.toStdString(), ranges, geo::WriteOptions{});
}

const QString kAddress = QStringLiteral("1.0.0.10");

void BM_Locate(benchmark::State& state) {
    Form1->IP->setText(kAddress);
    for (auto _ : state)
        Form1->FlatButton2Click();
}

void BM_SixLookups(benchmark::State& state) {
    const QString db = QStringLiteral("GeoLiteCity.dat");
    for (auto _ : state) {
        benchmark::DoNotOptimize(LatitudeTextOf(db, kAddress, QLatin1Char('.')));
        benchmark::DoNotOptimize(LatitudeTextOf(db, kAddress, QLatin1Char('.')));
        benchmark::DoNotOptimize(LongitudeTextOf(db, kAddress, QLatin1Char('.')));
        benchmark::DoNotOptimize(LongitudeTextOf(db, kAddress, QLatin1Char('.')));
        benchmark::DoNotOptimize(LocationTextOf(db, kAddress));
        benchmark::DoNotOptimize(LocationTextOf(db, kAddress));
    }
}

class TimesReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (!run.error_occurred && run.run_type == Run::RT_Iteration)
                times[run.run_name.function_name] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times; // microseconds per iteration
};

} // namespace

int main(int argc, char** argv) {
    const orvanta::test::ScopedCacheHome cacheHome; // the map profile's folder
    ::setenv("ORVANTA_MAP", "google", 1);           // the keyed page with the fake maps API
    TSiteScheme::registerScheme();
    FakeMapsApi::registerScheme();
    QApplication app(argc, argv);
    LoadProgramFonts();
    benchmark::Initialize(&argc, argv);

    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    WriteDatabase(dir.filePath(QStringLiteral("GeoLiteCity.dat")));
    CreateForms();
    FakeMapsApi fake(TMapProfile::program());
    InstantResolver resolver;
    frmMain->SetHostResolver(&resolver);
    frmMain->show();
    QWebEnginePage& page = *frmMain->WebBrowser1->page();
    if (!waitForJs(page,
                   "typeof codeAddress === 'function' && document.readyState === 'complete'")) {
        std::fprintf(stderr, "map page did not load\n");
        return 1;
    }

    benchmark::RegisterBenchmark("SixLookups", BM_SixLookups)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("Locate", BM_Locate)->Unit(benchmark::kMicrosecond);
    TimesReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double lookups = reporter.times["SixLookups"];
    const double locate = reporter.times["Locate"];
    if (lookups <= 0 || locate <= 0) {
        std::fprintf(stderr, "missing measurements\n");
        return 1;
    }
    std::printf("locate: %.0f us, six lookups: %.0f us, share of the lookups: %.1f %%\n", locate,
                lookups, 100.0 * lookups / locate);
    return 0;
}
