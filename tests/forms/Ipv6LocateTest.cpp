// SPDX-License-Identifier: GPL-3.0-or-later
// IPv6 addresses in the real window set, offline on the open map: typed
// into the IP dialog, found by the domain search, shown again from their
// rows and asked about in the IP whois window. Both database files are
// written by the project's writer into a temporary current directory.
#include "FakeMapsApi.h"
#include "LoopbackWhoisServer.h"
#include "WindowSet.h"
#include "forms/StartUp.h"
#include "forms/Unit1.h"
#include "forms/Unit2.h"
#include "forms/Unit5.h"
#include "forms/chrome/TFlatButton.h"
#include "forms/chrome/TSpeedButton.h"
#include "forms/fMain.h"
#include "forms/results/TListView.h"
#include "forms/support/ErrorReport.h"
#include "geoipwriter/CityDatabaseWriter.h"
#include "geoipwriter/CountryMapping.h"
#include "net/HostNameOf.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineView>
#include <arpa/inet.h>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>

namespace {

namespace geo = orvanta::geoip;
using orvanta::test::LoopbackWhoisServer;

constexpr char kGoogle[] = "2a00:1450:4001:82a::200e";

// Names only the one IPv6 address; IPv4 rows stay unresolved.
class Ipv6Names : public THostResolver {
public:
    std::optional<std::string> NameOf(std::uint32_t) override { return std::nullopt; }
    std::optional<std::string> NameOfIpv6(const std::array<std::uint8_t, 16>& address) override {
        in6_addr known{};
        inet_pton(AF_INET6, kGoogle, &known);
        if (std::memcmp(&known, address.data(), address.size()) == 0)
            return "fra16s.test";
        return std::nullopt;
    }
};

geo::CityRecordData Record(const char* country, const char* region, const char* city, double lat,
                           double lon) {
    geo::CityRecordData r;
    r.countryIndex = geo::MapCountryCode(country).index;
    r.region = region;
    r.city = city;
    r.latitude = lat;
    r.longitude = lon;
    return r;
}

geo::AddressValue Ipv6Value(const char* text) {
    std::uint8_t bytes[16] = {};
    inet_pton(AF_INET6, text, bytes);
    geo::AddressValue value = 0;
    for (const std::uint8_t byte : bytes)
        value = value << 8 | byte;
    return value;
}

geo::CityRange Range6(const char* first, const char* last, geo::CityRecordData record) {
    geo::CityRange r;
    r.first = Ipv6Value(first);
    r.last = Ipv6Value(last);
    r.record = std::move(record);
    return r;
}

void WriteDatabases(const QTemporaryDir& dir) {
    geo::CityRange v4;
    v4.first = ntohl(inet_addr("1.2.3.0"));
    v4.last = ntohl(inet_addr("1.2.3.255"));
    v4.record = Record("US", "CA", "Mountain View", 37.386, -122.0838);
    geo::WriteCityDatabase(dir.filePath(QStringLiteral("GeoLiteCity.dat")).toStdString(), {v4},
                           geo::WriteOptions{});
    const geo::CityRanges v6 = {
        Range6("::", "0:ffff:ffff:ffff:ffff:ffff:ffff:ffff", Record("AQ", "", "Zero", -75, 0)),
        Range6("1::", "1:ffff:ffff:ffff:ffff:ffff:ffff:ffff", Record("IS", "", "One", 64.1, -21.9)),
        Range6("2a00:1450:4001::", "2a00:1450:4001:ffff:ffff:ffff:ffff:ffff",
               Record("DE", "HE", "Frankfurt am Main", 50.1109, 8.6821)),
    };
    geo::WriteOptions options;
    options.edition = 31;
    geo::WriteCityDatabase(dir.filePath(QStringLiteral("GeoLiteCityv6.dat")).toStdString(), v6,
                           options);
}

class Ipv6Locate : public testing::Test {
protected:
    // The table suite below derives from this one: the window set is made once.
    static void SetUpTestSuite() {
        if (dir != nullptr)
            return;
        dir = new QTemporaryDir;
        QDir::setCurrent(dir->path());
        WriteDatabases(*dir);
        CreateForms();
        frmMain->SetHostResolver(new Ipv6Names);
        frmMain->show();
        ASSERT_TRUE(waitForJs(*frmMain->WebBrowser1->page(),
                              "typeof map === 'object' && typeof geocoder === 'object'"));
    }
    void SetUp() override {
        SetErrorReportSink([this](const QString& m) { reported << m; });
        rowsBefore = frmMain->ListView1->Count();
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
    int NewRows() const { return frmMain->ListView1->Count() - rowsBefore; }
    static const TListItem& Row(int index) { return frmMain->ListView1->Item(index); }
    // Waits for the map's `made`th marker; whether the newest one sits on
    // the map's point for the row's coordinates, to the pixel.
    static QString MarkerAfter(int made, int row) {
        if (!waitForJs(*frmMain->WebBrowser1->page(),
                       QStringLiteral("markersArray.length === %1").arg(made)))
            return QStringLiteral("no marker %1").arg(made);
        const TListItem& item = Row(row);
        return Js(
            QStringLiteral("(function (lat, lng) { var m = markersArray[markersArray.length - 1];"
                           " var at = m.getLatLng();"
                           " var icon = m.getElement().getBoundingClientRect();"
                           " var box = map.getContainer().getBoundingClientRect();"
                           " var p = map.latLngToContainerPoint([lat, lng]);"
                           " var tip = Math.abs(icon.left + icon.width / 2 - box.left - p.x) < 1 &&"
                           "  Math.abs(icon.bottom - box.top - p.y) < 1;"
                           " return at.lat === lat && at.lng === lng && tip ? 'at the row'"
                           "  : 'elsewhere: ' + at; })(%1, %2)")
                .arg(item.SubItems.value(1), item.SubItems.value(2)));
    }

    static QTemporaryDir* dir;
    QStringList reported;
    int rowsBefore = 0;
};

QTemporaryDir* Ipv6Locate::dir = nullptr;

TEST_F(Ipv6Locate, TypedAddressGivesItsRowAndTheMarkerThere) {
    const int made = Js("markersArray.length").toInt();
    Search(QString::fromLatin1(kGoogle));
    ASSERT_EQ(NewRows(), 1) << reported.join("|").toStdString();
    EXPECT_FALSE(Form1->isVisible());
    const TListItem& row = Row(rowsBefore);
    EXPECT_EQ(row.Caption, QStringLiteral("Frankfurt am Main, HE, Germany"));
    // No organisation file beside the databases: that column stays empty.
    EXPECT_EQ(row.SubItems, (QStringList{kGoogle, "50.1109", "8.6821", "fra16s.test", ""}));
    EXPECT_EQ(frmMain->Latitude->text(), QStringLiteral("50.1109"));
    EXPECT_EQ(frmMain->Longitude->text(), QStringLiteral("8.6821"));
    EXPECT_EQ(frmMain->MemoAddress->toPlainText(), row.Caption);
    EXPECT_EQ(MarkerAfter(made + 1, rowsBefore), "at the row");
    EXPECT_TRUE(reported.isEmpty()) << reported.join("|").toStdString();
}

struct TextCase {
    const char* name;
    QString text;
    const char* caption; // nullptr: rejected silently, no row
};

class Ipv6DialogText : public Ipv6Locate, public testing::WithParamInterface<TextCase> {};

TEST_P(Ipv6DialogText, LocatedOrRejectedLikeAnIpv4Text) {
    const TextCase& c = GetParam();
    Search(c.text);
    EXPECT_TRUE(reported.isEmpty()) << reported.join("|").toStdString();
    EXPECT_FALSE(Form1->isVisible());
    if (c.caption == nullptr) {
        EXPECT_EQ(NewRows(), 0);
        return;
    }
    ASSERT_EQ(NewRows(), 1);
    EXPECT_EQ(Row(rowsBefore).Caption, QString::fromLatin1(c.caption));
    EXPECT_EQ(Row(rowsBefore).SubItems.value(0), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Ipv6DialogText,
    testing::Values(
        TextCase{"Unspecified", "::", "Zero, , Antarctica"},
        TextCase{"Loopback", "::1", "Zero, , Antarctica"},
        TextCase{"LeadingGroup", "1::", "One, , Iceland"},
        TextCase{"Ipv4Mapped", "::ffff:1.2.3.4", "Mountain View, CA, United States"},
        TextCase{"FullEightGroups", "2a00:1450:4001:082a:0000:0000:0000:200e",
                 "Frankfurt am Main, HE, Germany"},
        TextCase{"UpperCase", "2A00:1450:4001:82A::200E", "Frankfurt am Main, HE, Germany"},
        TextCase{"NotInTheFile", "2001:db8::1", "ERROR City not present"},
        TextCase{"NineGroups", "1:2:3:4:5:6:7:8:9", nullptr},
        TextCase{"TwoGaps", "1::2::3", nullptr}, TextCase{"TripleColon", ":::", nullptr},
        TextCase{"FiveDigitGroup", "12345::", nullptr},
        TextCase{"ZoneIndex", "fe80::1%eth0", nullptr},
        TextCase{"Brackets", "[2001:db8::1]", nullptr},
        TextCase{"Long", QString(300, QLatin1Char('1')), nullptr},
        TextCase{"LongIpv6Like", QStringLiteral("1:") + QString(298, QLatin1Char(':')), nullptr}),
    [](const testing::TestParamInfo<TextCase>& i) { return i.param.name; });

TEST_F(Ipv6Locate, MissingIpv6FileIsTheOpenErrorAndNoRow) {
    const QString file = dir->filePath(QStringLiteral("GeoLiteCityv6.dat"));
    ASSERT_TRUE(QFile::rename(file, file + ".away"));
    frmMain->Latitude->setText(QStringLiteral("lat"));
    Search(QString::fromLatin1(kGoogle));
    const QStringList seen = reported;
    // IPv4 texts need only their own file.
    Search(QStringLiteral("1.2.3.4"));
    ASSERT_TRUE(QFile::rename(file + ".away", file));
    ASSERT_EQ(seen.size(), 1);
    EXPECT_TRUE(seen[0].startsWith(QStringLiteral("Cannot open file \"")) &&
                seen[0].contains(QStringLiteral("GeoLiteCityv6.dat\"")))
        << seen[0].toStdString();
    EXPECT_EQ(NewRows(), 1);
    EXPECT_EQ(Row(rowsBefore).SubItems.value(0), QStringLiteral("1.2.3.4"));
}

TEST_F(Ipv6Locate, DomainWithOnlyAnIpv6AddressIsLocatedByIt) {
    std::vector<std::string> asked;
    orvanta::net::AddressLookups lookups;
    lookups.ipv4 = [&](const std::string& name) {
        asked.push_back("4 " + name);
        return orvanta::net::Ipv4Lookup{std::nullopt, 11004};
    };
    lookups.ipv6 = [&](const std::string& name) {
        asked.push_back("6 " + name);
        return orvanta::net::LookupIpv6(kGoogle); // numeric: no resolver asked
    };
    Form5->SetAddressLookups(lookups);
    Form5->domain->setText(QStringLiteral("v6only.test"));
    Form5->FlatButton2Click();
    Form5->SetAddressLookups({});
    EXPECT_EQ(asked, (std::vector<std::string>{"4 v6only.test", "6 v6only.test"}));
    EXPECT_EQ(Form1->IP->text(), QString::fromLatin1(kGoogle));
    ASSERT_EQ(NewRows(), 1) << reported.join("|").toStdString();
    EXPECT_EQ(Row(rowsBefore).Caption, QStringLiteral("Frankfurt am Main, HE, Germany"));
}

TEST_F(Ipv6Locate, RowActionsTakeTheIpv6Address) {
    Search(QString::fromLatin1(kGoogle));
    Search(QStringLiteral("1.2.3.4"));
    ASSERT_EQ(NewRows(), 2);
    LoopbackWhoisServer server(LoopbackWhoisServer::Answer("inet6num: 2a00:1450::/32\r\n"));
    frmMain->IdWhois1.SetPort(server.Port());
    {
        const QSignalBlocker quiet(Form2->ComboBoxEx1); // no query of its own
        Form2->ComboBoxEx1->setEditText(QStringLiteral("127.0.0.1"));
    }
    TListView* list = frmMain->ListView1;
    list->scrollTo(list->model()->index(rowsBefore, 0));
    const QPoint centre = list->visualRect(list->model()->index(rowsBefore, 1)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
    ASSERT_TRUE(server.WaitServed(1));
    EXPECT_EQ(server.Received().at(0), std::string(kGoogle) + "\r\n");
    EXPECT_EQ(Form1->IP->text(), QString::fromLatin1(kGoogle));
    EXPECT_EQ(Form2->Memo1->toPlainText(), QStringLiteral("inet6num: 2a00:1450::/32\n"));
    QGuiApplication::clipboard()->clear();
    frmMain->Copy1->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QStringLiteral("Frankfurt am Main, HE, Germany\t%1\t50.1109\t8.6821\tfra16s.test\t\t")
                  .arg(QString::fromLatin1(kGoogle)));
    EXPECT_TRUE(reported.isEmpty()) << reported.join("|").toStdString();
}

} // namespace

int main(int argc, char** argv) {
    // A text the database does not hold puts "ERROR City not present" on the
    // map, which answers with its alert box; no test here looks at it.
    return RunOfflineMapWindowTests(argc, argv, true);
}
