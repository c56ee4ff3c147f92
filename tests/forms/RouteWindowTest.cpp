// SPDX-License-Identifier: GPL-3.0-or-later
// The route window in the real window set with the open map, offline: hops
// handed to the window as the trace hands them over, and what the map's
// route layer then holds; one real trace to this machine for the window's
// own session.
#include "forms/RouteWindow.h"

#include "FakeMapsApi.h"
#include "WindowSet.h"
#include "forms/StartUp.h"
#include "forms/Unit1.h"
#include "forms/chrome/TFlatButton.h"
#include "forms/chrome/TFlatTitlebar.h"
#include "forms/fMain.h"
#include "forms/results/TListView.h"
#include "forms/support/ErrorReport.h"
#include "forms/work/TMapLayers.h"
#include "forms/work/TRouteRole.h"
#include "geoipwriter/CityDatabaseWriter.h"
#include "geoipwriter/CountryMapping.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineView>
#include <arpa/inet.h>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

namespace geo = orvanta::geoip;
using orvanta::trace::Hop;
using orvanta::trace::HopKind;
using orvanta::trace::TraceEvent;

geo::CityRange Range(const char* first, const char* last, const char* country, const char* city,
                     double lat, double lon) {
    geo::CityRange r;
    r.first = ntohl(inet_addr(first));
    r.last = ntohl(inet_addr(last));
    r.record.countryIndex = geo::MapCountryCode(country).index;
    r.record.city = city;
    r.record.latitude = lat;
    r.record.longitude = lon;
    return r;
}

TraceEvent HopEvent(int number, const char* address, HopKind kind = HopKind::Router) {
    Hop hop;
    hop.number = number;
    hop.address = address;
    hop.kind = address[0] ? kind : HopKind::Silent;
    hop.probes.resize(3);
    if (address[0])
        hop.probes[0] = {address, 1.5};
    return TraceEvent::HopArrived(hop);
}

TraceEvent EndEvent(int hops) {
    TraceEvent end;
    end.kind = TraceEvent::Kind::End;
    end.summary.reached = true;
    end.summary.hops = hops;
    return end;
}

class RouteWindow : public testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = new QTemporaryDir;
        QDir::setCurrent(dir->path());
        geo::WriteCityDatabase(
            dir->filePath(QStringLiteral("GeoLiteCity.dat")).toStdString(),
            {Range("192.0.2.0", "192.0.2.255", "DE", "Berlin", 52.52, 13.405),
             Range("198.51.100.0", "198.51.100.255", "FR", "Paris", 48.8566, 2.3522),
             Range("203.0.113.0", "203.0.113.255", "GB", "London", 51.5072, -0.1276)},
            geo::WriteOptions{});
        // 2001:db8:3::/48 in Madrid, for IPv6 hops.
        geo::CityRange v6 = Range("0.0.0.0", "0.0.0.0", "ES", "Madrid", 40.4168, -3.7038);
        v6.first = geo::AddressValue{0x20010db800030000ULL} << 64;
        v6.last = v6.first | geo::LowBits(80);
        geo::WriteOptions v6Options;
        v6Options.edition = 30;
        geo::WriteCityDatabase(dir->filePath(QStringLiteral("GeoLiteCityv6.dat")).toStdString(),
                               {v6}, v6Options);
        CreateForms();
        frmMain->show();
        ASSERT_TRUE(
            waitForJs(Page(), "typeof map === 'object' && typeof RouteShow === 'function'"));
        frmRoute->SetMapBridge(frmMain->Layers->Bridge());
        frmRoute->Session().SetNameLookup([](const std::string&) { return std::nullopt; },
                                          std::chrono::milliseconds(2000));
    }
    void SetUp() override {
        SetErrorReportSink([this](const QString& m) { reported << m; });
    }
    void TearDown() override {
        SetErrorReportSink({});
        EXPECT_TRUE(reported.isEmpty()) << reported.join('\n').toStdString();
    }
    static QWebEnginePage& Page() { return *frmMain->WebBrowser1->page(); }
    static QString Js(const QString& script) { return evalJs(Page(), script).toString(); }
    // The route layer as "hop@lat,lng ..." for its markers, then "line:N"
    // for the points of its line; "none" without a layer.
    static QString Route() {
        return Js(QStringLiteral(
            "(function () { if (!routeLayer || !map.hasLayer(routeLayer)) return 'none';"
            " return routeLayer.getLayers().map(function (l) {"
            "  if (l instanceof L.Polyline) return 'line:' + l.getLatLngs().length;"
            "  return l.options.icon.options.html.textContent + '@' + l.getLatLng().lat + ','"
            "   + l.getLatLng().lng; }).join(' '); })()"));
    }
    // A route of four hops, the second silent and the fourth not in the
    // database, then its end.
    static void FeedRoute() {
        frmRoute->StartTrace(QStringLiteral("0.0.0.0")); // refused at once: an empty window
        QTRY_VERIFY(!frmRoute->Session().Running());
        frmRoute->PollSession();
        for (const TraceEvent& e :
             {HopEvent(1, "192.0.2.1"), HopEvent(2, ""), HopEvent(3, "203.0.113.9"),
              HopEvent(4, "10.1.2.3"), HopEvent(5, "198.51.100.7"),
              HopEvent(6, "2001:db8:3::2", HopKind::Destination)})
            frmRoute->ShowEvent(e);
        frmRoute->ShowEvent(EndEvent(6));
    }

    static QTemporaryDir* dir;
    QStringList reported;
};

QTemporaryDir* RouteWindow::dir = nullptr;

TEST_F(RouteWindow, LocatedHopsAreNumberedMarkersJoinedInHopOrder) {
    FeedRoute();
    EXPECT_EQ(Route(),
              "1@52.52,13.405 3@51.5072,-0.1276 5@48.8566,2.3522 6@40.4168,-3.7038 line:4");
    EXPECT_EQ(frmRoute->ListHops->Count(), 6);
    EXPECT_EQ(frmRoute->ListHops->Text(5, TfrmRoute::LocationColumn).toStdString(),
              "Madrid, , Spain");
    EXPECT_EQ(frmRoute->ListHops->Text(1, TfrmRoute::AddressColumn), "*");
    EXPECT_EQ(frmRoute->ListHops->Text(3, TfrmRoute::LocationColumn), "ERROR City not present");
    // Fitted at the end: every marker inside the map's view.
    EXPECT_EQ(Js("routeLayer.getLayers().every(function (l) { return l instanceof L.Polyline ||"
                 " map.getBounds().contains(l.getLatLng()); }) ? 'all shown' : 'cut'"),
              "all shown");
}

TEST_F(RouteWindow, ClickingAMarkerSelectsItsHop) {
    FeedRoute();
    frmRoute->ListHops->clearSelection();
    Js("routeLayer.getLayers()[1].fire('click'); 'ok'");
    QTRY_VERIFY(frmRoute->ListHops->selectionModel()->isRowSelected(2, {}));
}

TEST_F(RouteWindow, ClearMarkersKeepsTheRouteAndClearListRemovesIt) {
    FeedRoute();
    frmMain->ButtonClearMarkers->click();
    EXPECT_NE(Route(), "none");
    frmMain->ListView1->Add({QStringLiteral("Berlin, , Germany"), {QStringLiteral("192.0.2.1")}});
    frmMain->Clear1Click();
    EXPECT_EQ(Route(), "none");
}

TEST_F(RouteWindow, CopyGivesTheSelectedHopsAsTabSeparatedLines) {
    FeedRoute();
    frmRoute->ListHops->selectRow(0);
    EXPECT_EQ(frmRoute->HopsText(true).toStdString(),
              "1\t192.0.2.1\t\u2026\tBerlin, , Germany\t\t1.500 ms  *  *");
    frmRoute->ListHops->selectAll();
    EXPECT_EQ(frmRoute->HopsText(true).count('\n'), 5);
    // The file holds every hop, whatever is selected, under the captions.
    frmRoute->ListHops->selectRow(0);
    const QString path = dir->filePath(QStringLiteral("route.csv"));
    frmRoute->SaveHopsAsCsv(path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_EQ(lines.size(), 8); // header, six hops, the empty rest after the last line end
    EXPECT_EQ(lines[0], "Hop,IP address,Host name,Location,Organisation,Round trip\r");
    EXPECT_EQ(lines[1], "1,192.0.2.1,\xe2\x80\xa6,\"Berlin, , Germany\",,1.500 ms  *  *\r");
}

TEST_F(RouteWindow, ASecondTraceReplacesTheFirst) {
    FeedRoute();
    frmRoute->StartTrace(QStringLiteral("127.0.0.1"));
    EXPECT_EQ(Route(), "none");
    QTRY_COMPARE(frmRoute->ListHops->Count(), 1);
    QTRY_VERIFY(!frmRoute->ButtonStop->isEnabled());
    EXPECT_EQ(frmRoute->ListHops->Text(0, TfrmRoute::AddressColumn), "127.0.0.1");
    QTRY_COMPARE(frmRoute->ListHops->Text(0, TfrmRoute::HostColumn),
                 QStringLiteral("Unresolved Host"));
    EXPECT_EQ(frmRoute->LabelStatus->text(), "127.0.0.1 reached in 1 hops");
}

TEST_F(RouteWindow, CtrlTOpensItBorderlessCentredAndEscClosesIt) {
    const auto* shortcut = frmMain->findChild<QShortcut*>(QStringLiteral("TraceRouteShortcut"));
    ASSERT_TRUE(shortcut);
    EXPECT_EQ(shortcut->key(), QKeySequence(Qt::CTRL | Qt::Key_T));
    Form1->IP->setText(QStringLiteral("127.0.0.1"));
    frmMain->Route->TraceCurrentAddress();
    ASSERT_TRUE(frmRoute->isVisible());
    EXPECT_TRUE(frmRoute->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(frmRoute->FlatTitlebar1->Caption(), QStringLiteral("Trace Route"));
    const QRect main = frmMain->frameGeometry();
    const QSize size = frmRoute->frameGeometry().size();
    EXPECT_EQ(frmRoute->pos(), QPoint(main.left() + (main.width() - size.width()) / 2,
                                      main.top() + (main.height() - size.height()) / 2));
    QTRY_COMPARE(frmRoute->ListHops->Count(), 1);
    QTest::keyClick(frmRoute, Qt::Key_Escape);
    EXPECT_FALSE(frmRoute->isVisible());
}

TEST_F(RouteWindow, AnAddressThatCannotBeTracedIsOneMessageInTheWindow) {
    frmRoute->StartTrace(QStringLiteral("224.0.0.1"));
    QTRY_COMPARE(frmRoute->LabelStatus->text(),
                 QStringLiteral("A multicast address cannot be traced"));
    EXPECT_EQ(frmRoute->ListHops->Count(), 0);
}

} // namespace

int main(int argc, char** argv) {
    return RunOfflineMapWindowTests(argc, argv);
}
