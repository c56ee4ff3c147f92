// SPDX-License-Identifier: GPL-3.0-or-later
// A capture opened the way `orvanta FILE` opens it, in the real window set
// on the open map offline: the file is told to be a capture by its bytes
// (its name says log), and comes back through Ctrl+A and Ctrl+C as one row
// per endpoint in the order first seen, its packets in Count and its bytes
// on the wire in Bytes, no host name asked for, and one marker per located
// endpoint in the map's layer of many places.
#include "CaptureBytes.h"
#include "FakeMapsApi.h"
#include "WindowSet.h"
#include "forms/StartUp.h"
#include "forms/fMain.h"
#include "forms/results/TListView.h"
#include "forms/support/ErrorReport.h"
#include "forms/work/TBulkRole.h"
#include "geoip/GeoIPCountries.h"
#include "geoipwriter/CityDatabaseWriter.h"
#include "geoipwriter/CountryMapping.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineView>
#include <arpa/inet.h>
#include <gtest/gtest.h>

namespace {

namespace geo = orvanta::geoip;
using namespace orvanta::capture::test;

geo::CityRange Range(const char* first, const char* last, const char* city, double lat,
                     double lon) {
    geo::CityRange r;
    r.first = ntohl(inet_addr(first));
    r.last = ntohl(inet_addr(last));
    r.record.countryIndex = geo::MapCountryCode("CH").index;
    r.record.city = city;
    r.record.latitude = lat;
    r.record.longitude = lon;
    return r;
}

TEST(CaptureWindow, OpenedCaptureGivesPacketsBytesAndMarkers) {
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    geo::WriteCityDatabase(dir.filePath(QStringLiteral("GeoLiteCity.dat")).toStdString(),
                           {Range("1.2.0.0", "1.2.255.255", "Basel", 47.5667, 7.6),
                            Range("6.6.0.0", "6.6.255.255", "Zurich", 47.3667, 8.55)},
                           geo::WriteOptions{});
    QStringList reported;
    SetErrorReportSink([&](const QString& m) { reported << m; });
    CreateForms();
    frmMain->show();
    QWebEnginePage& page = *frmMain->WebBrowser1->page();
    ASSERT_TRUE(waitForJs(page, "typeof map === 'object' && placesLayer !== null", 30000));

    // Basel and Zurich talk over a VLAN, 9.9.9.9 (not located) joins, ARP
    // is skipped; one frame was cut by the snap length (its wire length counts).
    const std::vector<TestPacket> packets = {
        {Ethernet(0x0800, Ipv4("1.2.3.4", "6.6.6.6", 46), {0x8100})}, // 84 bytes
        {Ethernet(0x0800, Ipv4("6.6.6.6", "1.2.3.4", 66)).substr(0, 60), 1500},
        {Ethernet(0x0806, Bytes(28, '\0'))},
        {Ethernet(0x0800, Ipv4("9.9.9.9", "6.6.6.6"))}, // 34 bytes
    };
    const QString path = dir.filePath(QStringLiteral("traffic.log"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const Bytes bytes = CaptureFile(CaptureFormat::Pcapng, false, 1, packets);
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    file.close();

    OpenFilesAtStart({path});
    ASSERT_TRUE(QTest::qWaitFor([] { return !frmMain->Bulk->Running(); }, 20000));

    TListView* list = frmMain->ListView1;
    EXPECT_EQ(list->model()->headerData(7, Qt::Horizontal).toString(), QStringLiteral("Bytes"));
    list->setFocus();
    QGuiApplication::clipboard()->clear();
    QTest::keySequence(list, QKeySequence::SelectAll);
    QTest::keySequence(list, QKeySequence::Copy);
    const QStringList lines = QGuiApplication::clipboard()->text().split(QLatin1Char('\n'));
    // address, Count, Bytes; located or not
    const struct {
        const char* address;
        const char* count;
        const char* bytes;
        const char* location;
    } expected[] = {
        {"1.2.3.4", "2", "1584", "Basel, , Switzerland"},
        {"6.6.6.6", "3", "1618", "Zurich, , Switzerland"},
        {"9.9.9.9", "1", "34", "ERROR City not present"},
    };
    ASSERT_EQ(lines.size(), 3) << lines.join('|').toStdString();
    for (int i = 0; i < 3; ++i) {
        const QStringList f = lines[i].split(QLatin1Char('\t'));
        SCOPED_TRACE(lines[i].toStdString());
        ASSERT_EQ(f.size(), 8);
        EXPECT_EQ(f[0], QLatin1String(expected[i].location));
        EXPECT_EQ(f[1], QLatin1String(expected[i].address));
        EXPECT_EQ(f[4], QString()); // no host name looked up
        EXPECT_EQ(f[6], QLatin1String(expected[i].count));
        EXPECT_EQ(f[7], QLatin1String(expected[i].bytes));
    }
    EXPECT_TRUE(waitForJs(page, "placesCount() === 2"));
    EXPECT_TRUE(reported.isEmpty()) << reported.join('|').toStdString();
    SetErrorReportSink({});
    FreeForms();
}

} // namespace

int main(int argc, char** argv) {
    return RunOfflineMapWindowTests(argc, argv);
}
