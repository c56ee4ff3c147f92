// SPDX-License-Identifier: GPL-3.0-or-later
// The locate command and the results list actions as a user meets them: a
// database written by the project's writer in the current directory, the
// whole window set, the map page with the fake maps API recording the call
// texts, host names answered by a fake resolver, WHOIS on loopback.
#include "FakeMapsApi.h"
#include "LoopbackWhoisServer.h"
#include "ScopedCacheHome.h"
#include "WindowSet.h"
#include "forms/StartUp.h"
#include "forms/Unit1.h"
#include "forms/Unit2.h"
#include "forms/chrome/TFlatButton.h"
#include "forms/chrome/TSpeedButton.h"
#include "forms/fMain.h"
#include "forms/results/CoordinateText.h"
#include "forms/results/TListView.h"
#include "forms/support/ErrorReport.h"
#include "forms/support/ProgramFonts.h"
#include "geoip/GeoIPCountries.h"
#include "geoipwriter/AsnDatabaseWriter.h"
#include "geoipwriter/CityDatabaseWriter.h"
#include "geoipwriter/CountryMapping.h"
#include "net/HostNameOf.h"
#include "site/MapProfile.h"
#include "site/SiteScheme.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <arpa/inet.h>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <optional>

using orvanta::test::LoopbackWhoisServer;

namespace {

// --- number to text ---------------------------------------------------------

struct NumberCase {
    const char* name;
    double value;
    char separator;
    const char* text;
};

class CoordinateTextTest : public testing::TestWithParam<NumberCase> {};

TEST_P(CoordinateTextTest, GeneralFormat) {
    const NumberCase& c = GetParam();
    EXPECT_EQ(CoordinateText(c.value, QLatin1Char(c.separator)), QString::fromLatin1(c.text));
}

INSTANTIATE_TEST_SUITE_P(
    Table, CoordinateTextTest,
    testing::Values(NumberCase{"OneDecimal", 46.8, '.', "46.8"},
                    NumberCase{"Negative", -122.4, '.', "-122.4"},
                    NumberCase{"Zero", 0.0, '.', "0"}, NumberCase{"NegativeZero", -0.0, '.', "0"},
                    NumberCase{"FourDecimals", -64.2327, '.', "-64.2327"},
                    NumberCase{"Whole", -180.0, '.', "-180"},
                    NumberCase{"LargestStored", 1497.7215, '.', "1497.7215"},
                    NumberCase{"SmallestFixed", 0.0001, '.', "0.0001"},
                    // As the reader computes it, with a binary error in the last
                    // bits that 15 significant digits round away.
                    NumberCase{"RoundedTo15Digits", 2173860 / 10000.0 - 180.0, '.', "37.386"},
                    NumberCase{"Comma", 46.8, ',', "46,8"},
                    NumberCase{"CommaNegative", -64.2327, ',', "-64,2327"},
                    NumberCase{"CommaWhole", 12.0, ',', "12"},
                    NumberCase{"BelowFixedRange", 0.00001, '.', "1e-05"}),
    [](const testing::TestParamInfo<NumberCase>& i) { return i.param.name; });

// --- host names ---------------------------------------------------------------

class MapResolver : public THostResolver {
public:
    std::map<std::uint32_t, std::string> names;
    std::vector<std::uint32_t> asked;
    std::vector<int> cursors; // the override cursor's shape at each question, -1: none
    std::optional<std::string> NameOf(std::uint32_t address) override {
        asked.push_back(address);
        const QCursor* cursor = QGuiApplication::overrideCursor();
        cursors.push_back(cursor ? cursor->shape() : -1);
        auto it = names.find(address);
        if (it == names.end())
            return std::nullopt;
        return it->second;
    }
};

TEST(HostNameOfTest, AnswersTheResolversNameForTheInetAddrValue) {
    MapResolver resolver;
    resolver.names[inet_addr("1.2.3.4")] = "one.example";
    EXPECT_EQ(HostNameOf("1.2.3.4", resolver), "one.example");
    EXPECT_EQ(HostNameOf("5.6.7.8", resolver), "Unresolved Host");
    ASSERT_EQ(resolver.asked.size(), 2u);
    EXPECT_EQ(resolver.asked[0], inet_addr("1.2.3.4"));
}

TEST(HostNameOfTest, EmptyNameCountsAsUnresolved) {
    MapResolver resolver;
    resolver.names[inet_addr("1.2.3.4")] = "";
    EXPECT_EQ(HostNameOf("1.2.3.4", resolver), "Unresolved Host");
}

TEST(HostNameOfTest, SystemResolverNamesLoopback) {
    TSystemHostResolver resolver;
    EXPECT_EQ(HostNameOf("127.0.0.1", resolver), "localhost");
}

// --- the window set -----------------------------------------------------------

namespace geo = orvanta::geoip;

std::uint32_t Ip(const char* text) {
    return ntohl(inet_addr(text));
}

geo::CityRange Range(const char* first, const char* last, const char* country, const char* region,
                     const char* city, double lat, double lon) {
    geo::CityRange r;
    r.first = Ip(first);
    r.last = Ip(last);
    r.record.countryIndex = geo::MapCountryCode(country).index;
    r.record.region = region;
    r.record.city = city;
    r.record.latitude = lat;
    r.record.longitude = lon;
    return r;
}

const char kRecordEval[] =
    "window.sent = []; (function () { var original = window.eval;"
    " window.eval = function (text) { sent.push(text); return original(text); }; })()";

// One window set for the binary, in a temporary current directory holding
// the test database; the map records every call text in `sent`.
class Locate : public testing::Test {
protected:
    static QTemporaryDir* dir;
    static MapResolver* resolver;

    static QString DbPath() { return dir->filePath(QStringLiteral("GeoLiteCity.dat")); }

    static void WriteDatabase() {
        geo::CityRanges ranges = {
            Range("1.2.3.0", "1.2.3.255", "US", "CA", "Mountain View", 37.386, -122.0838),
            Range("5.5.5.0", "5.5.5.255", "CH", "ZH", "Z\xfcrich", 47.3667, 8.55),
            Range("8.8.8.0", "8.8.8.255", "US", "WA", "Seattle", 46.8, -122.4),
            Range("9.9.9.0", "9.9.9.255", "DE", "", "", 51.0, 9.0),
        };
        geo::WriteCityDatabase(DbPath().toStdString(), ranges, geo::WriteOptions{});
    }

    static void SetUpTestSuite() {
        if (frmMain)
            return;
        dir = new QTemporaryDir;
        QDir::setCurrent(dir->path());
        WriteDatabase();
        resolver = new MapResolver;
        resolver->names[inet_addr("1.2.3.4")] = "host-1-2-3-4.test";
        CreateForms();
        // Lives as long as the map profile, which outlives the tests.
        new FakeMapsApi(TMapProfile::program());
        frmMain->SetHostResolver(resolver);
        frmMain->show();
        QWebEnginePage& page = *frmMain->WebBrowser1->page();
        ASSERT_TRUE(waitForJs(page, "document.readyState === 'complete'"));
        ASSERT_TRUE(waitForJs(page, "typeof codeAddress === 'function'"));
        evalJs(page, QString::fromLatin1(kRecordEval));
    }

    void SetUp() override {
        SetErrorReportSink([this](const QString& m) { reported << m; });
        Js("sent.length = 0");
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
    static QString Sent() { return Js(QStringLiteral("sent.join('|')")); }

    // Types `address` into the IP entry dialog opened from the side panel and
    // presses Search.
    static void Search(const QString& address) {
        frmMain->SpeedButton1->click();
        Form1->IP->setText(address);
        Form1->FlatButton2->click();
    }

    const TListItem& Row(int i) const { return frmMain->ListView1->Item(i); }
    int NewRows() const { return frmMain->ListView1->Count() - rowsBefore; }

    QStringList reported;
    int rowsBefore = 0;
};

QTemporaryDir* Locate::dir = nullptr;
MapResolver* Locate::resolver = nullptr;

QPoint RowCentre(int row) {
    TListView* list = frmMain->ListView1;
    list->scrollTo(list->model()->index(row, 0));
    return list->visualRect(list->model()->index(row, 1)).center();
}

// With ORVANTA_SCREENSHOT_DIR set (run under Xvfb with QT_QPA_PLATFORM=xcb),
// keeps a picture of the screen as `name`.png once the windows have settled.
void Screenshot(const char* name) {
    const QString dir = qEnvironmentVariable("ORVANTA_SCREENSHOT_DIR");
    if (dir.isEmpty())
        return;
    QTest::qWait(1500);
    QGuiApplication::primaryScreen()->grabWindow(0).save(dir + "/" + name + ".png");
}

TEST_F(Locate, DoubleClickWithoutSelectedRowDoesNothing) {
    // First in the suite, while the list still has room below its rows.
    Search(QStringLiteral("8.8.8.8"));
    TListView* list = frmMain->ListView1;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, RowCentre(rowsBefore));
    ASSERT_EQ(list->Selected(), rowsBefore);
    // A press below the last row deselects every row.
    const QPoint below(10, list->viewport()->height() - 2);
    if (list->indexAt(below).isValid())
        GTEST_SKIP() << "list too full to find an empty part";
    Form1->IP->setText(QStringLiteral("9.9.9.9"));
    Js("sent.length = 0");
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, below);
    EXPECT_EQ(list->Selected(), -1);
    EXPECT_EQ(Form1->IP->text(), QStringLiteral("9.9.9.9"));
    EXPECT_EQ(Sent(), QString());
    EXPECT_FALSE(Form2->isVisible());
}

TEST_F(Locate, SearchAddsOneRowHidesTheDialogAndMarksTheMap) {
    Search(QStringLiteral("1.2.3.4"));
    EXPECT_FALSE(Form1->isVisible());
    ASSERT_EQ(NewRows(), 1);
    const TListItem& row = Row(rowsBefore);
    EXPECT_EQ(row.Caption, QStringLiteral("Mountain View, CA, United States"));
    EXPECT_EQ(row.SubItems,
              (QStringList{"1.2.3.4", "37.386", "-122.0838", "host-1-2-3-4.test", ""}));
    EXPECT_EQ(row.ImageIndex, 0);
    const QModelIndex first = frmMain->ListView1->model()->index(rowsBefore, 0);
    EXPECT_FALSE(first.data(Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_EQ(frmMain->Latitude->text(), QStringLiteral("37.386"));
    EXPECT_EQ(frmMain->Longitude->text(), QStringLiteral("-122.0838"));
    EXPECT_EQ(frmMain->MemoAddress->toPlainText(), row.Caption);
    EXPECT_EQ(Sent(),
              QStringLiteral("ClearMarkers()|codeAddress('Mountain View, CA, United States')"));
    EXPECT_TRUE(reported.isEmpty());
    // The reverse lookup blocks under the wait cursor, which goes with the command.
    ASSERT_FALSE(resolver->cursors.empty());
    EXPECT_EQ(resolver->cursors.back(), Qt::WaitCursor);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(Locate, SameAddressTwiceGivesTwoIdenticalRows) {
    Search(QStringLiteral("8.8.8.8"));
    Search(QStringLiteral("8.8.8.8"));
    ASSERT_EQ(NewRows(), 2);
    EXPECT_EQ(Row(rowsBefore).Caption, Row(rowsBefore + 1).Caption);
    EXPECT_EQ(Row(rowsBefore).SubItems, Row(rowsBefore + 1).SubItems);
    EXPECT_EQ(Row(rowsBefore).SubItems,
              (QStringList{"8.8.8.8", "46.8", "-122.4", "Unresolved Host", ""}));
    EXPECT_EQ(Sent(), QStringLiteral("ClearMarkers()|codeAddress('Seattle, WA, United States')|"
                                     "ClearMarkers()|codeAddress('Seattle, WA, United States')"));
}

class LocateRejected : public Locate, public testing::WithParamInterface<const char*> {};

TEST_P(LocateRejected, AddsNothingAndHidesTheDialog) {
    frmMain->Latitude->setText(QStringLiteral("kept"));
    Search(QString::fromLatin1(GetParam()));
    EXPECT_FALSE(Form1->isVisible());
    EXPECT_EQ(NewRows(), 0);
    EXPECT_EQ(frmMain->Latitude->text(), QStringLiteral("kept"));
    EXPECT_EQ(Sent(), QString());
    EXPECT_TRUE(reported.isEmpty());
    EXPECT_EQ(Form1->IP->text(), QString::fromLatin1(GetParam()).remove(QLatin1Char(' ')));
}

INSTANTIATE_TEST_SUITE_P(Table, LocateRejected,
                         testing::Values("", "1.2.3", "x.y.z.w", "01.2.3.4", "1.2.3.4.5"),
                         [](const testing::TestParamInfo<const char*>& i) {
                             return std::to_string(i.index);
                         });

TEST_F(Locate, ConversionErrorKeepsTheDialogOpenWithItsText) {
    Search(QStringLiteral("1.2.3.99999999999"));
    EXPECT_TRUE(Form1->isVisible());
    EXPECT_EQ(Form1->IP->text(), QStringLiteral("1.2.3.99999999999"));
    EXPECT_EQ(NewRows(), 0);
    ASSERT_EQ(reported.size(), 1);
    EXPECT_EQ(reported[0], QStringLiteral("'99999999999' is not a valid integer value"));
}

TEST_F(Locate, AddressWithoutRecordGivesTheErrorRow) {
    Search(QStringLiteral("2.2.2.2"));
    ASSERT_EQ(NewRows(), 1);
    const QString e = QStringLiteral("ERROR City not present");
    EXPECT_EQ(Row(rowsBefore).Caption, e);
    EXPECT_EQ(Row(rowsBefore).SubItems, (QStringList{"2.2.2.2", e, e, "Unresolved Host", ""}));
    EXPECT_EQ(frmMain->Latitude->text(), e);
    EXPECT_EQ(frmMain->Longitude->text(), e);
    EXPECT_EQ(frmMain->MemoAddress->toPlainText(), e);
    EXPECT_EQ(Sent(), QStringLiteral("ClearMarkers()|codeAddress('ERROR City not present')"));
}

TEST_F(Locate, OrganizationColumnShowsTheRecordTextAndCopyAndCsvCarryIt) {
    const QString asnFile = dir->filePath(QStringLiteral("GeoIPASNum.dat"));
    {
        geo::AsnRangeSet set;
        set.ranges.push_back({ntohl(inet_addr("8.8.8.0")), ntohl(inet_addr("8.8.8.255")),
                              set.TextIndex("AS15169 Google LLC")});
        geo::WriteAsnDatabase(asnFile.toStdString(), set, 9);
        Search(QStringLiteral("8.8.8.8"));
        Search(QStringLiteral("1.2.3.4")); // no record for it
    }
    QFile::remove(asnFile); // the other tests run without the file
    Search(QStringLiteral("8.8.8.8"));
    ASSERT_EQ(NewRows(), 3);
    TListView* list = frmMain->ListView1;
    EXPECT_EQ(Row(rowsBefore).SubItems.value(4), QStringLiteral("AS15169 Google LLC"));
    EXPECT_EQ(list->model()->index(rowsBefore, 5).data().toString(),
              QStringLiteral("AS15169 Google LLC"));
    EXPECT_EQ(Row(rowsBefore + 1).SubItems.value(4), QString());
    EXPECT_EQ(Row(rowsBefore + 2).SubItems.value(4), QString());
    list->setFocus();
    list->selectRow(rowsBefore);
    QGuiApplication::clipboard()->clear();
    frmMain->Copy1->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QStringLiteral("Seattle, WA, United States\t8.8.8.8\t46.8\t-122.4\tUnresolved "
                             "Host\tAS15169 Google LLC\t"));
    QTemporaryDir out;
    const QString csv = out.filePath(QStringLiteral("list.csv"));
    frmMain->SaveListAsCsv(csv);
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.startsWith("IP Locations,IP address,Latitude,Logitude,Host name,"
                                "Organization,Count\r\n"));
    EXPECT_TRUE(text.contains("Seattle, WA, United States\",8.8.8.8,46.8,-122.4,Unresolved "
                              "Host,AS15169 Google LLC,\r\n"))
        << text.toStdString();
    EXPECT_TRUE(reported.isEmpty());
}

TEST_F(Locate, EmptyCityAndRegionLeadWithCommas) {
    Search(QStringLiteral("9.9.9.9"));
    ASSERT_EQ(NewRows(), 1);
    EXPECT_EQ(Row(rowsBefore).Caption, QStringLiteral(", , Germany"));
    EXPECT_EQ(Row(rowsBefore).SubItems.mid(1, 2), (QStringList{"51", "9"}));
}

TEST_F(Locate, RecordTextsAreLatin1) {
    Search(QStringLiteral("5.5.5.5"));
    ASSERT_EQ(NewRows(), 1);
    EXPECT_EQ(Row(rowsBefore).Caption, QStringLiteral("Z\u00fcrich, ZH, Switzerland"));
}

// Swaps the database file for the duration of a test.
class SwappedDatabase {
public:
    explicit SwappedDatabase(const QString& path) : path_(path), saved_(path + ".saved") {
        QFile::rename(path_, saved_);
    }
    ~SwappedDatabase() {
        QFile::remove(path_);
        QFile::rename(saved_, path_);
    }

private:
    QString path_, saved_;
};

TEST_F(Locate, FileOfAnotherEditionGivesTheErrorRow) {
    SwappedDatabase swap(DbPath());
    QFile country(DbPath());
    ASSERT_TRUE(country.open(QIODevice::WriteOnly));
    country.write(QByteArray(6 * 1024, '\0')); // no edition block: a country edition
    country.close();
    Search(QStringLiteral("1.2.3.4"));
    ASSERT_EQ(NewRows(), 1);
    EXPECT_EQ(Row(rowsBefore).Caption, QStringLiteral("ERROR City not present"));
    EXPECT_EQ(Row(rowsBefore).SubItems[3], QStringLiteral("host-1-2-3-4.test"));
}

TEST_F(Locate, DatabaseRemovedAfterStartReportsTheOpenError) {
    SwappedDatabase swap(DbPath());
    frmMain->Longitude->setText(QStringLiteral("lon kept"));
    frmMain->MemoAddress->setPlainText(QStringLiteral("memo kept"));
    Search(QStringLiteral("1.2.3.4"));
    EXPECT_TRUE(Form1->isVisible());
    EXPECT_EQ(NewRows(), 0);
    EXPECT_EQ(frmMain->Latitude->text(), QString());
    EXPECT_EQ(frmMain->Longitude->text(), QStringLiteral("lon kept"));
    EXPECT_EQ(frmMain->MemoAddress->toPlainText(), QStringLiteral("memo kept"));
    ASSERT_EQ(reported.size(), 1);
    EXPECT_TRUE(reported[0].startsWith(QStringLiteral("Cannot open file \"") + DbPath() + "\""))
        << reported[0].toStdString();
    EXPECT_EQ(Sent(), QString());
}

TEST_F(Locate, DecimalSeparatorFollowsTheRegionalSettings) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QEvent change(QEvent::LocaleChange);
    QApplication::sendEvent(frmMain, &change);
    Search(QStringLiteral("1.2.3.4"));
    QLocale::setDefault(QLocale::c());
    QApplication::sendEvent(frmMain, &change);
    ASSERT_EQ(NewRows(), 1);
    EXPECT_EQ(Row(rowsBefore).SubItems.mid(1, 2), (QStringList{"37,386", "-122,0838"}));
    EXPECT_EQ(frmMain->Latitude->text(), QStringLiteral("37,386"));
    Search(QStringLiteral("1.2.3.4"));
    EXPECT_EQ(Row(rowsBefore + 1).SubItems[1], QStringLiteral("37.386"));
}

// --- results list actions -----------------------------------------------------

TEST_F(Locate, DoubleClickShowsTheRowAgainAndRunsItsWhois) {
    frmMain->SpeedButton1->click();
    Form1->IP->setText(QStringLiteral("1.2.3.4"));
    Screenshot("locate-1-dialog");
    Form1->FlatButton2->click();
    Screenshot("locate-2-row");
    Search(QStringLiteral("8.8.8.8"));
    LoopbackWhoisServer server(LoopbackWhoisServer::Answer("inetnum: 1.2.3.0 - 1.2.3.255\r\n"));
    WhoisOnLoopback(server.Port());
    Js("sent.length = 0");
    QTest::mouseDClick(frmMain->ListView1->viewport(), Qt::LeftButton, {}, RowCentre(rowsBefore));
    EXPECT_EQ(Form1->IP->text(), QStringLiteral("1.2.3.4"));
    EXPECT_FALSE(Form1->isVisible());
    EXPECT_EQ(frmMain->MemoAddress->toPlainText(),
              QStringLiteral("Mountain View, CA, United States"));
    EXPECT_EQ(Sent(),
              QStringLiteral("ClearMarkers()|codeAddress('Mountain View, CA, United States')"));
    ASSERT_TRUE(server.WaitServed(1));
    EXPECT_EQ(server.Received()[0], "1.2.3.4\r\n");
    EXPECT_TRUE(Form2->isVisible());
    EXPECT_TRUE(Form2->Memo1->toPlainText().contains(QStringLiteral("inetnum: 1.2.3.0")));
    EXPECT_TRUE(reported.isEmpty()) << reported.join("|").toStdString();
    Screenshot("locate-3-whois");
}

TEST_F(Locate, MapErrorEndsTheDoubleClickBeforeItsWhois) {
    Search(QStringLiteral("1.2.3.4"));
    LoopbackWhoisServer server(LoopbackWhoisServer::Answer("x\r\n"));
    WhoisOnLoopback(server.Port());
    Js("window.savedClear = ClearMarkers; ClearMarkers = function () { throw new Error('map "
       "down'); }");
    Form1->IP->setText(QStringLiteral("9.9.9.9"));
    QTest::mouseDClick(frmMain->ListView1->viewport(), Qt::LeftButton, {}, RowCentre(rowsBefore));
    Js("ClearMarkers = window.savedClear");
    EXPECT_EQ(reported.size(), 1);
    EXPECT_EQ(Form1->IP->text(), QStringLiteral("1.2.3.4"));
    EXPECT_EQ(frmMain->MemoAddress->toPlainText(),
              QStringLiteral("Mountain View, CA, United States"));
    EXPECT_FALSE(server.WaitServed(1, std::chrono::milliseconds(300)));
    EXPECT_FALSE(Form2->isVisible());
}

TEST_F(Locate, GoToAddressShowsTheFocusedRowWithoutWhois) {
    Search(QStringLiteral("9.9.9.9"));
    Search(QStringLiteral("8.8.8.8"));
    QTest::mouseClick(frmMain->ListView1->viewport(), Qt::LeftButton, {}, RowCentre(rowsBefore));
    Js("sent.length = 0");
    frmMain->Go1->trigger();
    EXPECT_EQ(Form1->IP->text(), QStringLiteral("9.9.9.9"));
    EXPECT_EQ(frmMain->MemoAddress->toPlainText(), QStringLiteral(", , Germany"));
    EXPECT_EQ(Sent(), QStringLiteral("ClearMarkers()|codeAddress(', , Germany')"));
    EXPECT_FALSE(Form2->isVisible());
}

TEST_F(Locate, GoToAddressWithoutFocusedRowDoesNothing) {
    frmMain->ListView1->setCurrentIndex(QModelIndex());
    Form1->IP->setText(QStringLiteral("5.5.5.5"));
    frmMain->Go1->trigger();
    EXPECT_EQ(Form1->IP->text(), QStringLiteral("5.5.5.5"));
    EXPECT_EQ(Sent(), QString());
}

TEST_F(Locate, WhoisQueriesTheCurrentAddressNotTheRows) {
    Search(QStringLiteral("1.2.3.4"));
    Search(QStringLiteral("8.8.8.8"));
    LoopbackWhoisServer server(LoopbackWhoisServer::Answer("answer\r\n"));
    WhoisOnLoopback(server.Port());
    QTest::mouseClick(frmMain->ListView1->viewport(), Qt::LeftButton, {}, RowCentre(rowsBefore));
    Js("sent.length = 0");
    frmMain->Whois1->trigger();
    ASSERT_TRUE(server.WaitServed(1));
    EXPECT_EQ(server.Received()[0], "8.8.8.8\r\n");
    EXPECT_EQ(Sent(), QString());
    EXPECT_EQ(Form1->IP->text(), QStringLiteral("8.8.8.8"));
}

TEST_F(Locate, RightClickAnywhereOpensThePopupMenu) {
    TListView* list = frmMain->ListView1;
    const QPoint pos(5, list->viewport()->height() - 3);
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, list->viewport()->mapToGlobal(pos));
    QApplication::sendEvent(list->viewport(), &event);
    EXPECT_TRUE(frmMain->PopupMenu1->isVisible());
    frmMain->PopupMenu1->hide();
}

TEST_F(Locate, AppendingScrollsToTheEndSelectingLeavesTheListWhereItIs) {
    TListView* list = frmMain->ListView1;
    for (int i = 0; i < 60; ++i)
        list->Add({QStringLiteral("row %1").arg(i), {QStringLiteral("10.0.0.%1").arg(i)}, 0});
    QScrollBar* bar = list->verticalScrollBar();
    QApplication::processEvents(); // the scroll follows the event at hand
    ASSERT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
    list->scrollToTop();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(20, 5));
    QApplication::processEvents();
    EXPECT_EQ(list->Selected(), 0);
    EXPECT_EQ(bar->value(), 0);
}

} // namespace

int main(int argc, char** argv) {
    const orvanta::test::ScopedCacheHome cacheHome; // the map profile's folder
    // The keyed page, whose maps API the fake answers and records.
    ::setenv("ORVANTA_MAP", "google", 1);
    TSiteScheme::registerScheme();
    FakeMapsApi::registerScheme();
    QApplication app(argc, argv);
    LoadProgramFonts();
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    delete frmMain; // its browser page goes before the engine's profile
    return result;
}
