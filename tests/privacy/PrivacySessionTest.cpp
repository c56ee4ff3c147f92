// SPDX-License-Identifier: GPL-3.0-or-later
// What leaves the machine in a session of the real window set, counted by
// the DNS server and the tile server of the namespace in-counting-netns
// makes (their counts in ORVANTA_COUNTS). The session: start, locate
// 8.8.8.8, paste a log of 1,000 addresses, Ctrl+H on the rows, the route
// window; first in private mode (nothing may reach either server), then in
// the default mode (the paste sends no reverse query, Ctrl+H one per
// selected row). Every step waits for the state it needs, bounded.
#include "ScopedCacheHome.h"
#include "TempFolder.h"
#include "forms/RouteWindow.h"
#include "forms/StartUp.h"
#include "forms/Unit1.h"
#include "forms/chrome/TFlatButton.h"
#include "forms/fMain.h"
#include "forms/results/TListView.h"
#include "forms/support/ErrorReport.h"
#include "forms/support/Notice.h"
#include "forms/support/ProgramFonts.h"
#include "forms/support/Question.h"
#include "forms/work/TBulkRole.h"
#include "forms/work/TBulkRun.h"
#include "geoipwriter/CityDatabaseWriter.h"
#include "geoipwriter/CountryMapping.h"
#include "site/SiteScheme.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <arpa/inet.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>

namespace {

namespace geo = orvanta::geoip;
const QString kNotLookedUp = QStringLiteral("Not looked up");

struct Counts {
    long dns = 0;
    long ptr = 0;
    long tiles = 0;
};

long ReadCount(const char* name) {
    std::ifstream in(std::string(std::getenv("ORVANTA_COUNTS")) + "/" + name);
    long value = -1;
    in >> value;
    return value;
}

Counts Now() {
    return {ReadCount("dns"), ReadCount("ptr"), ReadCount("tiles")};
}

void Print(const char* step, const Counts& before, const Counts& after) {
    std::printf("counted %-42s reverse queries %ld, other DNS queries %ld, tile requests %ld\n",
                step, after.ptr - before.ptr, (after.dns - after.ptr) - (before.dns - before.ptr),
                after.tiles - before.tiles);
    std::fflush(stdout);
}

QAction* Action(const char* name) {
    auto* action = frmMain->findChild<QAction*>(QString::fromLatin1(name));
    EXPECT_NE(action, nullptr) << name;
    return action;
}

QString Host(int row) {
    return frmMain->ListView1->Item(row).SubItems.value(TBulkRun::kHostSubItem);
}

bool Js(const QString& script) {
    QWebEnginePage* page = frmMain->WebBrowser1->page();
    bool answered = false;
    bool result = false;
    page->runJavaScript(script, [&](const QVariant& value) {
        result = value.toBool();
        answered = true;
    });
    return QTest::qWaitFor([&] { return answered; }, 5000) && result;
}

// 1,000 distinct addresses, each twice, in a log's lines.
QString Log() {
    QString log;
    for (int i = 0; i < 1000; ++i) {
        const QString address = QStringLiteral("1.2.%1.%2").arg(i / 250).arg(i % 250 + 1);
        log += QStringLiteral("%1 - - [10/Dec/2026] \"GET / HTTP/1.1\" 200 512\n").arg(address);
        log += QStringLiteral("GET /favicon.ico from %1\n").arg(address);
    }
    return log;
}

void Locate(const QString& address) {
    const int before = frmMain->ListView1->Count();
    Form1->IP->setText(address);
    Form1->FlatButton2->click();
    ASSERT_EQ(frmMain->ListView1->Count(), before + 1);
}

void Paste() {
    const int before = frmMain->ListView1->Count();
    QGuiApplication::clipboard()->setText(Log());
    frmMain->ListView1->setFocus();
    Action("Paste1")->trigger();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !frmMain->Bulk->Running() && frmMain->ListView1->Count() == before + 1000; },
        60000));
    ASSERT_TRUE(QTest::qWaitFor([] { return frmMain->Bulk->NamesPending() == 0; }, 60000));
}

void Select(int first, int count) {
    TListView* list = frmMain->ListView1;
    list->clearSelection();
    list->selectionModel()->select(
        QItemSelection(list->model()->index(first, 0), list->model()->index(first + count - 1, 0)),
        QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

// Ctrl+H in the list, as the user presses it (the main window active again
// after the route window).
void CtrlH() {
    frmMain->raise();
    QApplication::setActiveWindow(frmMain);
    ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeWindow() == frmMain; }, 5000));
    frmMain->ListView1->setFocus();
    QTest::keyClick(frmMain->ListView1, Qt::Key_H, Qt::ControlModifier);
}

void Trace() {
    const char* hop = std::getenv("ORVANTA_TEST_HOP");
    const QString address = QString::fromLatin1(hop ? hop : "127.0.0.1");
    frmRoute->RunTrace(frmMain, address);
    ASSERT_TRUE(QTest::qWaitFor(
        [] {
            return frmRoute->ListHops->Count() > 0 && !frmRoute->ButtonStop->isVisible() &&
                   frmRoute->ListHops->Text(0, TfrmRoute::HostColumn) != QChar(0x2026);
        },
        30000));
}

class PrivacySession : public testing::Test {
protected:
    static void SetUpTestSuite() {
        folder = new orvanta::test::TempFolder;
        QDir::setCurrent(QString::fromStdString(folder->path().string()));
        geo::CityRange range;
        range.first = ntohl(inet_addr("1.0.0.0"));
        range.last = ntohl(inet_addr("9.255.255.255"));
        range.record.countryIndex = geo::MapCountryCode("US").index;
        range.record.region = "CA";
        range.record.city = "Mountain View";
        range.record.latitude = 37.386;
        range.record.longitude = -122.0838;
        geo::WriteCityDatabase(folder->File("GeoLiteCity.dat"), {range}, geo::WriteOptions{});
        // Private mode remembered from an earlier run: on from the start.
        ::setenv("XDG_CONFIG_HOME", folder->File("config").c_str(), 1);
        QDir().mkpath(QString::fromStdString(folder->File("config/orvanta")));
        QFile settings(QString::fromStdString(folder->File("config/orvanta/orvanta.conf")));
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
        settings.write("[privacy]\nprivateMode=true\n");
        settings.close();
        SetNoticeSink([](const QString&) {});
        SetErrorReportSink([](const QString& message) { ADD_FAILURE() << message.toStdString(); });
    }
    static orvanta::test::TempFolder* folder;
};
orvanta::test::TempFolder* PrivacySession::folder = nullptr;

TEST_F(PrivacySession, PrivateModeSendsNothingAndTheDefaultOnlyWhatIsAsked) {
    ASSERT_NE(std::getenv("ORVANTA_COUNTS"), nullptr) << "run under in-counting-netns";
    const Counts start = Now();
    CreateForms();
    frmMain->show();
    ASSERT_TRUE(
        QTest::qWaitFor([] { return Js(QStringLiteral("typeof map === 'object'")); }, 20000));
    ASSERT_TRUE(Action("PrivateMode1")->isChecked());

    // Private mode.
    Locate(QStringLiteral("8.8.8.8"));
    EXPECT_EQ(Host(0), kNotLookedUp);
    Paste();
    EXPECT_EQ(Host(1), kNotLookedUp);
    EXPECT_EQ(Host(1000), kNotLookedUp);
    Select(0, 1001);
    CtrlH();
    EXPECT_EQ(Host(500), kNotLookedUp);
    Trace();
    EXPECT_EQ(frmRoute->ListHops->Text(0, TfrmRoute::HostColumn), kNotLookedUp);
    frmRoute->hide();
    ASSERT_TRUE(Js(QStringLiteral("!map.hasLayer(openMap.tiles) && "
                                  "document.querySelector('.offline-note').textContent === "
                                  "'Private mode: street tiles off'")));
    const Counts privateEnd = Now();
    Print("in private mode (start, locate, paste, Ctrl+H, route):", start, privateEnd);
    EXPECT_EQ(privateEnd.ptr - start.ptr, 0);
    EXPECT_EQ(privateEnd.dns - start.dns, 0);
    EXPECT_EQ(privateEnd.tiles - start.tiles, 0);

    // The default mode, switched to in the running program.
    Action("PrivateMode1")->trigger();
    ASSERT_FALSE(Action("PrivateMode1")->isChecked());
    ASSERT_TRUE(QTest::qWaitFor([] { return Js(QStringLiteral("!openMap.offline")); }, 20000));
    Counts before = Now();
    Locate(QStringLiteral("8.8.8.8"));
    Counts after = Now();
    Print("default mode, locate 8.8.8.8:", before, after);
    EXPECT_EQ(after.ptr - before.ptr, 1);

    Action("Clear1")->trigger();
    before = Now();
    Paste();
    after = Now();
    Print("default mode, paste of 1,000 addresses:", before, after);
    EXPECT_EQ(after.ptr - before.ptr, 0);
    EXPECT_EQ(Host(0), kNotLookedUp);

    // More than 100 rows: asked first, and No sends nothing.
    QString asked;
    SetQuestionSink([&asked](const QString& question) {
        asked = question;
        return false;
    });
    Select(0, 150);
    before = Now();
    CtrlH();
    EXPECT_NE(asked.indexOf(QStringLiteral("150")), -1) << asked.toStdString();
    EXPECT_EQ(Now().ptr, before.ptr);

    constexpr int kSelected = 40;
    Select(100, kSelected);
    before = Now();
    CtrlH();
    ASSERT_TRUE(QTest::qWaitFor(
        [] {
            for (int row = 100; row < 100 + kSelected; ++row)
                if (!Host(row).endsWith(QStringLiteral(".test")))
                    return false;
            return frmMain->Bulk->NamesPending() == 0;
        },
        30000));
    after = Now();
    Print("default mode, Ctrl+H on 40 selected rows:", before, after);
    EXPECT_EQ(after.ptr - before.ptr, kSelected);
    EXPECT_EQ(Host(99), kNotLookedUp);
    EXPECT_EQ(Host(100 + kSelected), kNotLookedUp);
    SetQuestionSink({});

    before = Now();
    Trace();
    after = Now();
    Print("default mode, route window:", before, after);
    frmRoute->hide();
    Print("whole session:", start, after);
}

} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    const orvanta::test::ScopedCacheHome cacheHome; // the map profile's folder
    ::unsetenv("ORVANTA_MAP");
    ::unsetenv("ORVANTA_MAPS_API_KEY");
    TSiteScheme::registerScheme();
    QApplication app(argc, argv);
    LoadProgramFonts();
    const int result = RUN_ALL_TESTS();
    delete frmMain; // its browser page goes before the engine's profile
    return result;
}
