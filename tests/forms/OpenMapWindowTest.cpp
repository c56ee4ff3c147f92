// SPDX-License-Identifier: GPL-3.0-or-later
// The open map in the real window set, offline (street tiles from a
// loopback port nothing listens on): locating addresses from a written
// database, and showing older rows again, as a user does it. The marker
// must sit where the row says, also when rows share a location line.
//
// With ORVANTA_SCREENSHOT_DIR set (run under Xvfb with QT_QPA_PLATFORM=xcb)
// keeps a picture of the screen after the last locate.
#include "FakeMapsApi.h"
#include "LoopbackWhoisServer.h"
#include "WindowSet.h"
#include "forms/StartUp.h"
#include "forms/Unit1.h"
#include "forms/Unit2.h"
#include "forms/chrome/TFlatButton.h"
#include "forms/chrome/TSpeedButton.h"
#include "forms/fMain.h"
#include "forms/results/TListView.h"
#include "forms/support/ErrorReport.h"
#include "geoip/GeoIPCountries.h"
#include "geoipwriter/CityDatabaseWriter.h"
#include "geoipwriter/CountryMapping.h"
#include "net/HostNameOf.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QScreen>
#include <QSignalBlocker>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineView>
#include <arpa/inet.h>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

namespace geo = orvanta::geoip;
using orvanta::test::LoopbackWhoisServer;

class NoNames : public THostResolver {
public:
    std::optional<std::string> NameOf(std::uint32_t) override { return std::nullopt; }
};

geo::CityRange Range(const char* first, const char* last, const char* country, const char* region,
                     const char* city, double lat, double lon) {
    geo::CityRange r;
    r.first = ntohl(inet_addr(first));
    r.last = ntohl(inet_addr(last));
    r.record.countryIndex = geo::MapCountryCode(country).index;
    r.record.region = region;
    r.record.city = city;
    r.record.latitude = lat;
    r.record.longitude = lon;
    return r;
}

class OpenMapWindow : public testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = new QTemporaryDir;
        QDir::setCurrent(dir->path());
        // Two ranges share a location line but not their coordinates.
        geo::WriteCityDatabase(
            dir->filePath(QStringLiteral("GeoLiteCity.dat")).toStdString(),
            {Range("1.2.3.0", "1.2.3.255", "US", "CA", "Mountain View", 37.386, -122.0838),
             Range("5.5.5.0", "5.5.5.255", "US", "CA", "Mountain View", 37.4, -122.1),
             Range("6.6.6.0", "6.6.6.255", "CH", "ZH", "Z\xfcrich", 47.3667, 8.55)},
            geo::WriteOptions{});
        CreateForms();
        frmMain->SetHostResolver(new NoNames);
        frmMain->show();
        QWebEnginePage& page = *frmMain->WebBrowser1->page();
        ASSERT_TRUE(waitForJs(page, "typeof map === 'object' && typeof geocoder === 'object'"));
    }
    void SetUp() override {
        SetErrorReportSink([this](const QString& m) { reported << m; });
    }
    void TearDown() override {
        SetErrorReportSink({});
        Form1->hide();
        Form2->hide();
    }

    static QString Js(const QString& script) {
        return evalJs(*frmMain->WebBrowser1->page(), script).toString();
    }
    static void Search(const QString& address) {
        frmMain->SpeedButton1->click();
        Form1->IP->setText(address);
        Form1->FlatButton2->click();
    }
    // Waits for the map to have made `made` markers, then tells how many
    // are on it and whether the newest one's icon tip sits on the map's
    // point for the row's coordinates, to the pixel.
    static QString MarkerAfter(int made, int row) {
        if (!waitForJs(*frmMain->WebBrowser1->page(),
                       QStringLiteral("markersArray.length === %1").arg(made)))
            return QStringLiteral("no marker %1").arg(made);
        const TListItem& item = frmMain->ListView1->Item(row);
        return Js(QStringLiteral(
                      "(function (lat, lng) { var m = markersArray[markersArray.length - 1];"
                      " var on = markersArray.filter(function (x) { return map.hasLayer(x); });"
                      " var at = m.getLatLng();"
                      " var icon = m.getElement().getBoundingClientRect();"
                      " var box = map.getContainer().getBoundingClientRect();"
                      " var p = map.latLngToContainerPoint([lat, lng]);"
                      " var tip = Math.abs(icon.left + icon.width / 2 - box.left - p.x) < 1 &&"
                      "  Math.abs(icon.bottom - box.top - p.y) < 1;"
                      " return on.length + ' shown, ' + (at.lat === lat && at.lng === lng && tip"
                      "  ? 'at the row' : 'elsewhere: ' + at); })(%1, %2)")
                      .arg(item.SubItems.value(1), item.SubItems.value(2)));
    }
    static QPoint RowCentre(int row) {
        TListView* list = frmMain->ListView1;
        list->scrollTo(list->model()->index(row, 0));
        return list->visualRect(list->model()->index(row, 1)).center();
    }

    static QTemporaryDir* dir;
    QStringList reported;
};

QTemporaryDir* OpenMapWindow::dir = nullptr;

TEST_F(OpenMapWindow, MarkerFollowsTheRowTheUserActsOn) {
    const int first = frmMain->ListView1->Count();
    const int made = Js("markersArray.length").toInt();
    Search(QStringLiteral("1.2.3.4"));
    EXPECT_EQ(MarkerAfter(made + 1, first), "1 shown, at the row");
    // Same location line, other coordinates: the new row's own place.
    Search(QStringLiteral("5.5.5.5"));
    EXPECT_EQ(frmMain->ListView1->Item(first + 1).Caption, frmMain->ListView1->Item(first).Caption);
    EXPECT_EQ(MarkerAfter(made + 2, first + 1), "1 shown, at the row");
    Search(QStringLiteral("6.6.6.6"));
    EXPECT_EQ(MarkerAfter(made + 3, first + 2), "1 shown, at the row");

    // A double-click on the oldest row moves the marker there, not to the
    // newer row with the same line.
    LoopbackWhoisServer server(LoopbackWhoisServer::Answer("inetnum: 1.2.3.0 - 1.2.3.255\r\n"));
    frmMain->IdWhois1.SetPort(server.Port());
    {
        const QSignalBlocker quiet(Form2->ComboBoxEx1); // no query of its own
        Form2->ComboBoxEx1->setEditText(QStringLiteral("127.0.0.1"));
    }
    QTest::mouseDClick(frmMain->ListView1->viewport(), Qt::LeftButton, {}, RowCentre(first));
    EXPECT_EQ(MarkerAfter(made + 4, first), "1 shown, at the row");
    ASSERT_TRUE(server.WaitServed(1));

    // "Go to Address" on the second row: its own place again.
    QTest::mouseClick(frmMain->ListView1->viewport(), Qt::LeftButton, {}, RowCentre(first + 1));
    frmMain->Go1->trigger();
    EXPECT_EQ(MarkerAfter(made + 5, first + 1), "1 shown, at the row");
    EXPECT_TRUE(reported.isEmpty()) << reported.join("|").toStdString();

    if (const QString shots = qEnvironmentVariable("ORVANTA_SCREENSHOT_DIR"); !shots.isEmpty()) {
        QTest::qWait(1500);
        QGuiApplication::primaryScreen()->grabWindow(0).save(shots + "/open-map-window.png");
    }
}

} // namespace

int main(int argc, char** argv) {
    return RunOfflineMapWindowTests(argc, argv);
}
