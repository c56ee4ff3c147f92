// SPDX-License-Identifier: GPL-3.0-or-later
// Many addresses at once in the real window set, on the open map offline:
// a generated log pasted into the results list comes back through Ctrl+A
// and Ctrl+C as one row per distinct address with its count and the
// coordinates the per-address reader gives, and as the map's layer of
// many places, which represents every located address. Stopping keeps the rows so
// far and nothing of the stopped run arrives later; bad files are told.
#include "FakeMapsApi.h"
#include "WindowSet.h"
#include "forms/StartUp.h"
#include "forms/fMain.h"
#include "forms/results/LocateTexts.h"
#include "forms/results/TListView.h"
#include "forms/support/ErrorReport.h"
#include "forms/support/Guard.h"
#include "forms/support/Notice.h"
#include "forms/work/TBulkHostNames.h"
#include "forms/work/TBulkPlaces.h"
#include "forms/work/TBulkRole.h"
#include "geoip/GeoIPCountries.h"
#include "geoipwriter/CityDatabaseWriter.h"
#include "geoipwriter/CountryMapping.h"
#include "net/HostNameOf.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineView>
#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <thread>

namespace {

namespace geo = orvanta::geoip;

// Names every address "h-<address>.test", so a name in the wrong row shows.
class EchoNames : public THostResolver {
public:
    std::optional<std::string> NameOf(std::uint32_t address) override {
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &address, text, sizeof text);
        return "h-" + std::string(text) + ".test";
    }
};

geo::CityRange Range(const char* first, const char* last, const char* city, double lat,
                     double lon) {
    geo::CityRange r;
    r.first = ntohl(inet_addr(first));
    r.last = ntohl(inet_addr(last));
    r.record.countryIndex = geo::MapCountryCode("US").index;
    r.record.region = "CA";
    r.record.city = city;
    r.record.latitude = lat;
    r.record.longitude = lon;
    return r;
}

class BulkWindow : public testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = new QTemporaryDir;
        QDir::setCurrent(dir->path());
        geo::WriteCityDatabase(dir->filePath(QStringLiteral("GeoLiteCity.dat")).toStdString(),
                               {Range("1.2.0.0", "1.2.255.255", "Mountain View", 37.386, -122.0838),
                                Range("6.6.0.0", "6.6.255.255", "Zurich", 47.3667, 8.55)},
                               geo::WriteOptions{});
        CreateForms();
        // These runs check the names pasted rows get: the setting that asks
        // for them as rows come (off by default) is turned on.
        frmMain->findChild<QAction*>(QStringLiteral("PastedHostNames1"))->setChecked(true);
        frmMain->SetHostResolver(new EchoNames);
        frmMain->show();
        ASSERT_TRUE(waitForJs(*frmMain->WebBrowser1->page(),
                              "typeof map === 'object' && placesLayer !== null"));
    }
    void SetUp() override {
        SetErrorReportSink([this](const QString& m) { reported << m; });
        SetNoticeSink([this](const QString& m) { notices << m; });
        frmMain->Clear1->setEnabled(true);
        frmMain->Clear1->trigger();
    }
    void TearDown() override {
        SetErrorReportSink({});
        SetNoticeSink({});
    }
    static QString Js(const QString& script) {
        return evalJs(*frmMain->WebBrowser1->page(), script).toString();
    }
    static bool RunEnds() {
        return QTest::qWaitFor([] { return !frmMain->Bulk->Running(); }, 20000);
    }
    static QString Text(int row, int column) {
        return frmMain->ListView1->model()->index(row, column).data().toString();
    }

    static QTemporaryDir* dir;
    QStringList reported;
    QStringList notices;
};

QTemporaryDir* BulkWindow::dir = nullptr;

TEST_F(BulkWindow, PastedLogBecomesRowsWithCountsAndOneMarkerPerPlace) {
    // A web-server log: 300 distinct addresses, 200 of them located, each
    // seen once to three times, an IPv6 client among them.
    QString log;
    std::vector<std::pair<QString, int>> expected;
    for (int i = 0; i < 300; ++i) {
        const QString address = i % 3 == 2 ? QStringLiteral("9.9.%1.%2").arg(i / 256).arg(i % 256)
                                           : QStringLiteral("%1.%2.%3.%4")
                                                 .arg(i % 3 == 0 ? 1 : 6)
                                                 .arg(2 * (i % 3 == 0) + 6 * (i % 3 == 1))
                                                 .arg(i / 7)
                                                 .arg(i % 250);
        expected.emplace_back(address, 1 + i % 3);
    }
    for (int pass = 0; pass < 3; ++pass)
        for (std::size_t i = 0; i < expected.size(); ++i)
            if (pass < expected[i].second)
                log += expected[i].first +
                       QStringLiteral(" - - [09/Dec/2026:10:00:00 +0000] \"GET /a.html HTTP/1.1\" "
                                      "200 512 \"-\" \"Agent/1.0\"\n");
    log += QStringLiteral("[2a00:1450::7]:443 - - \"GET / HTTP/1.1\" 200\n");
    expected.emplace_back(QStringLiteral("2a00:1450::7"), 1);
    // Letters beyond ASCII, of one unit and of a pair, are no name letters.
    log += QStringLiteral("caf\u00e9 5.6.7.8\u00e9 \U0001D11E9.9.9.9\U0001D11E\n");
    expected.emplace_back(QStringLiteral("5.6.7.8"), 1);
    expected.emplace_back(QStringLiteral("9.9.9.9"), 1);

    TListView* list = frmMain->ListView1;
    QGuiApplication::clipboard()->setText(log);
    list->setFocus();
    QTest::keySequence(list, QKeySequence::Paste);
    ASSERT_TRUE(RunEnds());
    ASSERT_TRUE(QTest::qWaitFor([] { return frmMain->Bulk->NamesPending() == 0; }, 20000));

    QGuiApplication::clipboard()->clear();
    QTest::keySequence(list, QKeySequence::SelectAll);
    QTest::keySequence(list, QKeySequence::Copy);
    const QStringList lines = QGuiApplication::clipboard()->text().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), static_cast<qsizetype>(expected.size()));
    int located = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const QStringList f = lines[static_cast<qsizetype>(i)].split(QLatin1Char('\t'));
        ASSERT_EQ(f.size(), 7) << lines[static_cast<qsizetype>(i)].toStdString();
        const QString& address = expected[i].first;
        SCOPED_TRACE(address.toStdString());
        EXPECT_EQ(f[1], address);
        EXPECT_EQ(f[5], QString());
        EXPECT_EQ(f[6], QString::number(expected[i].second));
        EXPECT_EQ(f[0], LocationTextOf(QStringLiteral("GeoLiteCity.dat"), address));
        EXPECT_EQ(f[2], LatitudeTextOf(QStringLiteral("GeoLiteCity.dat"), address, '.'));
        EXPECT_EQ(f[3], LongitudeTextOf(QStringLiteral("GeoLiteCity.dat"), address, '.'));
        EXPECT_EQ(f[4], address.contains(':') ? QStringLiteral("Unresolved Host")
                                              : QStringLiteral("h-%1.test").arg(address));
        located += f[2] != QLatin1String(kCityNotPresent);
    }
    EXPECT_EQ(located, 200);

    // The layer represents every located row. Drawn are the view's
    // clusters and single places, each at the spot of its rows (the two
    // cities here: every row of one at one spot).
    QWebEnginePage& page = *frmMain->WebBrowser1->page();
    ASSERT_TRUE(waitForJs(page, QStringLiteral("placesCount() === %1 && "
                                               "mapTimes.placesShown !== undefined")
                                    .arg(located)));
    QStringList drawn =
        Js("placesLayer.getLayers().map(function (m) { return (m.options.places || 1) + ' ' +"
           " m.getLatLng().lat + ',' + m.getLatLng().lng + ' ' + m.options.row; }).join(';')")
            .split(QLatin1Char(';'));
    std::map<QString, std::pair<int, int>> spots; // "lat,lng": rows there, the first
    for (int r = 0; r < list->Count(); ++r)
        if (Text(r, 2) != QLatin1String(kCityNotPresent)) {
            auto& spot = spots.try_emplace(Text(r, 2) + ',' + Text(r, 3), 0, r).first->second;
            ++spot.first;
        }
    QStringList atSpots;
    for (const auto& [spot, rows] : spots)
        atSpots << QStringLiteral("%1 %2 %3").arg(rows.first).arg(spot).arg(rows.second);
    drawn.sort();
    atSpots.sort();
    EXPECT_EQ(drawn, atSpots);
    // After the run the map shows every place of it.
    EXPECT_EQ(Js("(function () { var b = map.getBounds(); return placesLayer.getLayers().every("
                 "function (m) { return b.contains(m.getLatLng()); }); })()"),
              QStringLiteral("true"));

    // A click on the places of one spot selects their first row.
    const int target = spots.rbegin()->second.second;
    Js(QStringLiteral("placesLayer.getLayers().filter(function (m) { return m.options.row === %1;"
                      " })[0].fire('click'); 'ok'")
           .arg(target));
    EXPECT_TRUE(QTest::qWaitFor([&] { return list->SelectedRows() == std::vector<int>{target}; }));

    // "Clear list" empties the layer too.
    frmMain->Clear1->trigger();
    EXPECT_TRUE(waitForJs(page, "placesLayer.getLayers().length === 0 && placesCount() === 0"));
    EXPECT_TRUE(reported.isEmpty()) << reported.join('|').toStdString();
    EXPECT_TRUE(notices.isEmpty());
}

// Holds every lookup until released, counting those that reached it.
class HeldNames : public THostResolver {
public:
    std::optional<std::string> NameOf(std::uint32_t) override {
        ++asked;
        while (!released)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return "held.test";
    }
    std::atomic<int> asked{0};
    std::atomic<bool> released{false};
};

// Private mode switched on while a run's names are asked: nothing more is
// asked, and the rows that waited read "Not looked up".
TEST_F(BulkWindow, PrivateModeStopsTheLookupsUnderWay) {
    HeldNames held;
    frmMain->SetHostResolver(&held);
    QString log;
    for (int i = 0; i < 100; ++i)
        log += QStringLiteral("1.2.9.%1\n").arg(i);
    TListView* list = frmMain->ListView1;
    QGuiApplication::clipboard()->setText(log);
    list->setFocus();
    QTest::keySequence(list, QKeySequence::Paste);
    ASSERT_TRUE(RunEnds());
    ASSERT_TRUE(QTest::qWaitFor([&] { return held.asked == TBulkHostNames::kAtOnce; }));
    auto* privateMode = frmMain->findChild<QAction*>(QStringLiteral("PrivateMode1"));
    privateMode->trigger();
    held.released = true;
    ASSERT_TRUE(QTest::qWaitFor([] { return frmMain->Bulk->NamesPending() == 0; }));
    EXPECT_EQ(held.asked, TBulkHostNames::kAtOnce);
    int notLookedUp = 0;
    for (int row = 0; row < list->Count(); ++row)
        notLookedUp += list->Text(row, 4) == QLatin1String(kNotLookedUp);
    EXPECT_GE(notLookedUp, 100 - TBulkHostNames::kAtOnce);
    privateMode->trigger();
    frmMain->Clear1->trigger();
    frmMain->SetHostResolver(new EchoNames);
}

TEST_F(BulkWindow, StopKeepsTheRowsSoFarAndASecondPasteWaitsItsTurn) {
    QString big;
    for (int i = 0; i < 5000; ++i)
        big += QStringLiteral("1.2.%1.%2\n").arg(i / 250).arg(i % 250);
    TListView* list = frmMain->ListView1;
    // Esc the moment the first rows are shown, while later ones are on
    // their way.
    const QMetaObject::Connection stopper =
        QObject::connect(list->model(), &QAbstractItemModel::rowsInserted, frmMain,
                         [] { QTest::keyClick(frmMain, Qt::Key_Escape); });
    frmMain->Bulk->LocateAddressesInText(big);
    ASSERT_TRUE(RunEnds());
    QObject::disconnect(stopper);
    const int kept = list->Count();
    EXPECT_GT(kept, 0);
    EXPECT_LT(kept, 5000);

    // Two pastes one after the other: the second runs after the first,
    // and nothing of the stopped run comes in between.
    frmMain->Bulk->LocateAddressesInText(QStringLiteral("6.6.6.6 6.6.6.6"));
    frmMain->Bulk->LocateAddressesInText(QStringLiteral("1.2.3.4"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return list->Count() == kept + 2; }, 20000));
    ASSERT_TRUE(RunEnds());
    EXPECT_EQ(list->Count(), kept + 2);
    EXPECT_EQ(Text(kept, 1), QStringLiteral("6.6.6.6"));
    EXPECT_EQ(Text(kept, 6), QStringLiteral("2"));
    EXPECT_EQ(Text(kept + 1, 1), QStringLiteral("1.2.3.4"));
    EXPECT_TRUE(reported.isEmpty()) << reported.join('|').toStdString();
}

TEST_F(BulkWindow, BadFilesAreToldAndAddNothing) {
    QTemporaryDir files;
    auto write = [&](const char* name, const QByteArray& bytes) {
        QFile f(files.filePath(QString::fromLatin1(name)));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    };
    QByteArray binary;
    // Consecutive bytes 138 apart: never two digits or a digit and a dot
    // in a row, so no address hides in it.
    for (unsigned i = 0; i < 300000; ++i)
        binary += static_cast<char>(i * 138u % 251u);
    // A pipe nobody writes to: reading it would wait for ever.
    const QString fifo = files.filePath(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    struct Bad {
        const char* name;
        QString path;
        const char* notice;   // the notice, if any
        const char* reported; // the start of the error report, if any
    };
    const Bad bads[] = {
        {"NoAddress", write("plain.log", "GET / 200\nversion 1.2.3\n"), "No addresses found", ""},
        {"Empty", write("empty.log", ""), "No addresses found", ""},
        {"Binary", write("binary.bin", binary), "No addresses found", ""},
        {"Missing", files.filePath(QStringLiteral("missing.log")), "", "Cannot open file \""},
        {"Folder", files.path(), "", "Cannot open file \""},
        {"Pipe", fifo, "", "Cannot open file \""},
    };
    for (const Bad& bad : bads) {
        SCOPED_TRACE(bad.name);
        reported.clear();
        notices.clear();
        RunGuarded([&] { frmMain->Bulk->LocateAddressesInFile(bad.path); });
        ASSERT_TRUE(RunEnds());
        EXPECT_EQ(frmMain->ListView1->Count(), 0);
        EXPECT_EQ(notices.join('|'), QString::fromLatin1(bad.notice));
        EXPECT_EQ(reported.size(), *bad.reported ? 1 : 0);
        if (!reported.isEmpty()) {
            EXPECT_TRUE(reported[0].startsWith(QString::fromLatin1(bad.reported)))
                << reported[0].toStdString();
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    return RunOfflineMapWindowTests(argc, argv);
}

// Markers go to the page at once when none went lately, else gathered
// until the pause ends; a flush sends what waits in calls of bounded size,
// and dropped ones never arrive.
TEST(BulkPlaces, GathersMarkersBetweenPausesInBoundedCalls) {
    std::vector<std::string> calls;
    TBulkPlaces places([&](const std::string& call) { calls.push_back(call); });
    auto marks = [](std::size_t n, int row) {
        std::vector<orvanta::map::PlaceMark> v(n);
        for (auto& m : v)
            m = {1.5, 2.5, row++, "1.2.3.4"};
        return v;
    };
    // Each place quotes its address; the call's guard quotes once more.
    auto placesIn = [](const std::string& call) {
        return static_cast<std::size_t>(std::count(call.begin(), call.end(), '\'')) / 2 - 1;
    };
    auto rows = [&] {
        std::size_t n = 0;
        for (const std::string& c : calls)
            n += placesIn(c);
        return n;
    };
    places.Add(marks(3, 0));
    EXPECT_EQ(calls.size(), 1u);
    places.Add(marks(2, 3));
    EXPECT_EQ(calls.size(), 1u);
    EXPECT_TRUE(QTest::qWaitFor([&] { return calls.size() == 2; }, 5000));
    EXPECT_NE(calls[1].find("1.5,2.5,4,'1.2.3.4'"), std::string::npos);

    places.Add(marks(TBulkPlaces::kPerCall * 2 + 1, 5));
    places.Flush();
    EXPECT_EQ(rows(), TBulkPlaces::kPerCall * 2 + 6);
    for (const std::string& c : calls)
        EXPECT_LE(placesIn(c), TBulkPlaces::kPerCall);

    // The flush left the pause running: this one waits, and is dropped;
    // with no pause after the drop the next goes at once, alone.
    const std::size_t before = calls.size();
    places.Add(marks(1, 0));
    places.Drop();
    places.Add(marks(1, 7));
    ASSERT_EQ(calls.size(), before + 1);
    EXPECT_EQ(calls.back(), orvanta::map::placesAddCall(marks(1, 7)));
}
