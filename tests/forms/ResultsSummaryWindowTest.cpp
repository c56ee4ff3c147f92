// SPDX-License-Identifier: GPL-3.0-or-later
// The results added up and kept, in the real window set on the open map
// offline: a pasted log gives the Summary window (Ctrl+I) and the shaded
// countries the numbers its rows add up to; the list saved as GeoJSON and
// opened again in a folder without any database gives the same rows.
#include "FakeMapsApi.h"
#include "WindowSet.h"
#include "forms/StartUp.h"
#include "forms/SummaryWindow.h"
#include "forms/fMain.h"
#include "forms/results/TListView.h"
#include "forms/results/TSummaryModel.h"
#include "forms/support/ErrorReport.h"
#include "forms/support/Guard.h"
#include "forms/work/TBulkRole.h"
#include "forms/work/TResultsRole.h"
#include "geoip/GeoIPCountries.h"
#include "geoipwriter/CityDatabaseWriter.h"
#include "geoipwriter/CountryMapping.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineView>
#include <arpa/inet.h>
#include <gtest/gtest.h>

namespace {

namespace geo = orvanta::geoip;

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

// A square "United States of America" shape is all the offline world the
// shaded map needs here.
const char* kWorld =
    R"({"type":"FeatureCollection","features":[{"type":"Feature","properties":)"
    R"({"name":"United States of America"},"geometry":{"type":"Polygon","coordinates":)"
    R"([[[-120,30],[-80,30],[-80,45],[-120,45],[-120,30]]]}}]})";

class ResultsWindow : public testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = new QTemporaryDir;
        QDir::setCurrent(dir->path());
        geo::WriteCityDatabase(
            dir->filePath(QStringLiteral("GeoLiteCity.dat")).toStdString(),
            {Range("1.2.0.0", "1.2.255.255", "US", "Mountain View", 37.386, -122.0838),
             Range("6.6.0.0", "6.6.255.255", "CH", "Zurich", 47.3667, 8.55),
             Range("7.7.0.0", "7.7.255.255", "EU", "", 47, 8)},
            geo::WriteOptions{});
        QFile world(dir->filePath(QStringLiteral("world.geojson")));
        ASSERT_TRUE(world.open(QIODevice::WriteOnly));
        world.write(kWorld);
        world.close();
        CreateForms();
        frmMain->show();
        ASSERT_TRUE(waitForJs(*frmMain->WebBrowser1->page(),
                              "typeof map === 'object' && countriesLayer !== null"));
    }
    void SetUp() override {
        SetErrorReportSink([this](const QString& m) { reported << m; });
        frmSummary->hide();
        QApplication::setActiveWindow(frmMain);
        ASSERT_TRUE(QTest::qWaitForWindowActive(frmMain));
        frmMain->Clear1->setEnabled(true);
        frmMain->Clear1->trigger();
    }
    void TearDown() override { SetErrorReportSink({}); }

    static void Paste(const QString& log) {
        QGuiApplication::clipboard()->setText(log);
        frmMain->ListView1->setFocus();
        QTest::keySequence(frmMain->ListView1, QKeySequence::Paste);
        ASSERT_TRUE(QTest::qWaitFor([] { return !frmMain->Bulk->Running(); }, 20000));
    }
    static QStringList Lines(const TSummaryModel* model) {
        QStringList lines;
        for (int row = 0; row < model->rowCount(); ++row) {
            QStringList cells;
            for (int c = 0; c < TSummaryModel::ColumnCount; ++c)
                cells << model->Text(row, c);
            lines << cells.join(QLatin1Char('|'));
        }
        return lines;
    }
    static QStringList ListTexts() {
        QStringList rows;
        const auto* model = frmMain->ListView1->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            QStringList cells;
            for (int c = 0; c < model->columnCount(); ++c)
                cells << model->index(row, c).data().toString();
            rows << cells.join(QLatin1Char('|'));
        }
        return rows;
    }

    static QTemporaryDir* dir;
    QStringList reported;
};

QTemporaryDir* ResultsWindow::dir = nullptr;

// Three US addresses seen 1, 2 and 3 times, one Swiss address 4 times, a
// Europe-wide one once and one the database does not know twice.
const char* kLog = "1.2.0.1 a\n1.2.0.2 a\n1.2.0.2 b\n1.2.0.3 a\n1.2.0.3 b\n1.2.0.3 c\n"
                   "6.6.0.1 a\n6.6.0.1 b\n6.6.0.1 c\n6.6.0.1 d\n7.7.0.1 x\n9.9.9.9 y\n9.9.9.9 z\n";

TEST_F(ResultsWindow, CtrlIShowsWhatTheRowsAddUpToAndTheMapShadesTheSame) {
    Paste(QString::fromLatin1(kLog));
    // Every column shows at the window's first size.
    TListView* list = frmMain->ListView1;
    int widths = 0;
    for (int c = 0; c < list->model()->columnCount(); ++c)
        widths += list->columnWidth(c);
    EXPECT_LE(widths, list->viewport()->width());
    EXPECT_FALSE(list->horizontalScrollBar()->isVisible());

    QTest::keySequence(frmMain->ListView1, QKeySequence(Qt::CTRL | Qt::Key_I));
    ASSERT_TRUE(QTest::qWaitFor([] { return frmSummary && frmSummary->isVisible(); }, 5000));
    EXPECT_EQ(Lines(frmSummary->Countries()),
              (QStringList{"United States|3|6||46.2 %", "Switzerland|1|4||30.8 %",
                           "Unknown|1|2||15.4 %", "Europe|1|1||7.7 %"}));
    EXPECT_EQ(Lines(frmSummary->Organizations()), (QStringList{"Unknown|6|13||100.0 %"}));

    // Ctrl+A and Ctrl+C copy the focused table as tab-separated lines.
    QApplication::setActiveWindow(frmSummary);
    ASSERT_TRUE(QTest::qWaitForWindowActive(frmSummary));
    frmSummary->ListCountries->setFocus();
    QTest::keySequence(frmSummary->ListCountries, QKeySequence::SelectAll);
    QTest::keySequence(frmSummary->ListCountries, QKeySequence::Copy);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QStringLiteral("United States\t3\t6\t\t46.2 %\nSwitzerland\t1\t4\t\t30.8 %\n"
                             "Unknown\t1\t2\t\t15.4 %\nEurope\t1\t1\t\t7.7 %"));
    // A double-click on a line selects its rows in the list.
    emit frmSummary->ListCountries->doubleClicked(frmSummary->Countries()->index(0, 0));
    std::vector<QString> chosen;
    for (int row : list->SelectedRows())
        chosen.push_back(list->Row(row).address);
    EXPECT_EQ(chosen, (std::vector<QString>{"1.2.0.1", "1.2.0.2", "1.2.0.3"}));

    // The shaded map carries the same numbers; EU has no shape and is listed.
    auto page = frmMain->WebBrowser1->page();
    ASSERT_TRUE(waitForJs(*page, "countries.shapesDone && countriesLayer.getLayers().length === 1"
                                 " && countriesLayer.getLayers()[0].feature.properties"
                                 ".occurrences === 6"));
    EXPECT_EQ(evalJs(*page, "JSON.stringify(countriesLayer.getLayers()[0].feature.properties)")
                  .toString(),
              QStringLiteral(R"({"name":"United States of America","iso_a2":"US",)"
                             R"("addresses":3,"occurrences":6})"));
    EXPECT_TRUE(evalJs(*page, "map.hasLayer(countriesLayer)").toBool());
    EXPECT_TRUE(evalJs(*page, "document.querySelector('.countries-legend').textContent")
                    .toString()
                    .contains(QStringLiteral("EU Europe: 1 addresses, 1 occurrences")));

    QTest::keyClick(frmSummary, Qt::Key_Escape);
    EXPECT_FALSE(frmSummary->isVisible());
    frmMain->Clear1->trigger();
    EXPECT_EQ(frmSummary->Countries()->rowCount(), 4); // hidden: taken when shown again
    ASSERT_TRUE(waitForJs(*page, "countriesLayer.getLayers()[0].feature.properties"
                                 ".occurrences === 0"));
}

TEST_F(ResultsWindow, SavedGeoJsonOpensAgainWithoutAnyDatabase) {
    Paste(QString::fromLatin1(kLog));
    const QStringList before = ListTexts();
    ASSERT_EQ(before.size(), 6);
    QTemporaryDir elsewhere;
    const QString saved = elsewhere.filePath(QStringLiteral("saved.geojson"));
    const QString kml = elsewhere.filePath(QStringLiteral("saved.kml"));
    frmMain->Results->SaveList(saved);
    frmMain->Results->SaveList(kml);
    QFile placemarks(kml);
    ASSERT_TRUE(placemarks.open(QIODevice::ReadOnly));
    EXPECT_EQ(placemarks.readAll().count("<Placemark>"), 5);

    // A save that fails leaves the old file as it was.
    RunGuarded([&] { frmMain->Results->SaveList(elsewhere.filePath("missing/x.geojson")); });
    EXPECT_EQ(reported.size(), 1);

    frmMain->Clear1->trigger();
    QDir::setCurrent(elsewhere.path());
    frmMain->Bulk->LocateAddressesInFile(saved); // as "Open addresses…" and a drop do
    QDir::setCurrent(dir->path());
    EXPECT_FALSE(frmMain->Bulk->Running()); // no lookup
    EXPECT_EQ(ListTexts(), before);
    EXPECT_EQ(frmMain->Results->Summary().Countries().front().occurrences, 6u);
    ASSERT_TRUE(waitForJs(*frmMain->WebBrowser1->page(), "placesCount() === 5"));
}

} // namespace

int main(int argc, char** argv) {
    return RunOfflineMapWindowTests(argc, argv);
}
