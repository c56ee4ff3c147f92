// SPDX-License-Identifier: GPL-3.0-or-later
// The open map's two speeds as the user meets them, offline (street tiles
// from a loopback port nothing listens on), in a run folder holding the
// real database and world map:
//  - start: from the main window shown to the page's initialize finished
//    (and to the world map drawn), for the first window (the browser
//    engine starting cold) and for further windows; beside it, in the same
//    run, a blank page loaded in the same profile;
//  - Search to marker: from the IP entry dialog's Search to the marker on
//    the map; beside it, in the same run, one script round trip.
// Prints medians, the ratios to the baselines and the goals.
//
//   open_map_bench RUN_DIR [--windows=N] [--searches=N]
//   (RUN_DIR holds GeoLiteCity.dat and world.geojson, as scripts/run fills it)
#include "FakeMapsApi.h"
#include "ScopedCacheHome.h"
#include "forms/StartUp.h"
#include "forms/Unit1.h"
#include "forms/chrome/TFlatButton.h"
#include "forms/chrome/TSpeedButton.h"
#include "forms/fMain.h"
#include "forms/support/ProgramFonts.h"
#include "net/HostNameOf.h"
#include "site/MapProfile.h"
#include "site/SiteScheme.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

class InstantResolver : public THostResolver {
public:
    std::optional<std::string> NameOf(std::uint32_t) override { return "host.example"; }
};

// The page stamps its moments with the same system clock.
double nowMs() {
    return static_cast<double>(QDateTime::currentMSecsSinceEpoch());
}

double median(std::vector<double> values) {
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double pageNumber(QWebEnginePage& page, const char* script) {
    return evalJs(page, QString::fromLatin1(script)).toDouble();
}

struct StartTimes {
    double initialized = -1;
    double worldDrawn = -1;
};

// A main window made and shown as start-up does; times from its showing.
StartTimes startWindow(std::vector<std::unique_ptr<TfrmMain>>& windows) {
    auto window = std::make_unique<TfrmMain>();
    window->FormCreate();
    window->show();
    const double shown = nowMs();
    QWebEnginePage& page = *window->WebBrowser1->page();
    StartTimes times;
    if (waitForJs(page, "mapTimes.worldDrawn > 0 || mapTimes.worldMissing > 0", 20000)) {
        times.initialized = pageNumber(page, "mapTimes.initialized") - shown;
        times.worldDrawn = pageNumber(page, "mapTimes.worldDrawn || -1") - shown;
    }
    windows.push_back(std::move(window));
    return times;
}

double blankPageLoad(QWebEngineProfile* profile) {
    QWebEnginePage page(profile);
    QEventLoop loop;
    QObject::connect(&page, &QWebEnginePage::loadFinished, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    const double start = nowMs();
    page.setHtml(QStringLiteral("<html><body></body></html>"));
    loop.exec();
    return nowMs() - start;
}

double searchToMarker(const QString& address) {
    QWebEnginePage& page = *frmMain->WebBrowser1->page();
    const int before = static_cast<int>(pageNumber(page, "markersArray.length"));
    frmMain->SpeedButton1->click();
    Form1->IP->setText(address);
    const double start = nowMs();
    Form1->FlatButton2->click();
    if (!waitForJs(page, QStringLiteral("markersArray.length > %1").arg(before)))
        return -1;
    return pageNumber(page, "mapTimes.markerShown") - start;
}

double scriptRoundTrip() {
    QElapsedTimer clock;
    clock.start();
    evalJs(*frmMain->WebBrowser1->page(), QStringLiteral("1"));
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

int option(int argc, char** argv, const char* name, int fallback) {
    const std::size_t length = std::strlen(name);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], name, length) == 0)
            return std::max(1, std::atoi(argv[i] + length));
    }
    return fallback;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: open_map_bench RUN_DIR [--windows=N] [--searches=N]\n");
        return 2;
    }
    const int windowCount = option(argc, argv, "--windows=", 5);
    const int searchCount = option(argc, argv, "--searches=", 20);
    const orvanta::test::ScopedCacheHome cacheHome;
    ::unsetenv("ORVANTA_MAP");
    ::unsetenv("ORVANTA_MAPS_API_KEY");
    ::setenv("ORVANTA_TILE_URL", "http://127.0.0.1:9/{z}/{x}/{y}.png", 1);
    TSiteScheme::registerScheme();
    QApplication app(argc, argv);
    LoadProgramFonts();
    if (!QDir::setCurrent(QString::fromLocal8Bit(argv[1])) ||
        !QFile::exists(QStringLiteral("GeoLiteCity.dat")) ||
        !QFile::exists(QStringLiteral("world.geojson"))) {
        std::fprintf(stderr, "open_map_bench: %s must hold GeoLiteCity.dat and world.geojson\n",
                     argv[1]);
        return 2;
    }

    // Windows of their own first: each one answers the map's places from
    // its own rows, and the last one made is the one asked.
    std::vector<std::unique_ptr<TfrmMain>> windows;
    std::vector<double> starts, worlds, blanks;
    const StartTimes cold = startWindow(windows); // the browser engine starting cold
    for (int i = 0; i < windowCount; ++i) {
        const StartTimes times = startWindow(windows);
        starts.push_back(times.initialized);
        worlds.push_back(times.worldDrawn);
        blanks.push_back(blankPageLoad(TMapProfile::program()));
    }
    windows.clear();
    if (cold.worldDrawn < 0 || *std::min_element(worlds.begin(), worlds.end()) < 0) {
        std::fprintf(stderr, "open_map_bench: the world map was not drawn\n");
        return 1;
    }
    const double coldStart = cold.initialized;
    const double coldWorld = cold.worldDrawn;

    CreateForms();
    InstantResolver resolver;
    frmMain->SetHostResolver(&resolver);
    frmMain->show();
    if (!waitForJs(*frmMain->WebBrowser1->page(), "typeof geocoder === 'object'", 20000)) {
        std::fprintf(stderr, "open_map_bench: the map did not start\n");
        return 1;
    }

    std::vector<double> searches, trips;
    const char* addresses[] = {"8.8.8.8", "1.1.1.1", "9.9.9.9", "185.199.108.153"};
    for (int i = 0; i < searchCount; ++i) {
        searches.push_back(searchToMarker(QString::fromLatin1(addresses[i % 4])));
        trips.push_back(scriptRoundTrip());
    }

    const double start = median(starts), world = median(worlds), blank = median(blanks);
    const double search = median(searches), trip = median(trips);
    std::printf("window shown -> initialize finished: first window %.0f ms (engine cold), "
                "median of %d more %.0f ms; goal <= 500 ms\n",
                coldStart, windowCount, start);
    std::printf("window shown -> world map drawn: first window %.0f ms, median %.0f ms\n",
                coldWorld, world);
    std::printf("baseline, blank page load: median %.0f ms; start / blank = %.2f\n", blank,
                start / std::max(blank, 1.0));
    std::printf("Search -> marker shown: median of %d %.1f ms; goal <= 50 ms\n", searchCount,
                search);
    std::printf("baseline, one script round trip: median %.1f ms; search / round trip = %.1f\n",
                trip, search / std::max(trip, 0.1));
    delete frmMain; // its browser page goes before the engine's profile
    return 0;
}
