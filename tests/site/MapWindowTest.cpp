// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's map: its browser, the page load of FormCreate and the
// map commands behind the (hidden) map control panel, driven by clicking
// the real controls, with the fake maps API answering the page's loader.
//
// Set ORVANTA_SCREENSHOT=<file.png> to keep a picture of the window with a
// marker on the map (run under Xvfb with QT_QPA_PLATFORM=xcb to see it as
// a user would).
#include "WindowTestSupport.h"
#include "forms/chrome/TFlatPanel.h"
#include "forms/fMain.h"
#include "forms/support/ErrorReport.h"
#include "site/SiteScheme.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <gtest/gtest.h>
#include <memory>

namespace {

const char kRecordEval[] =
    "window.sent = []; (function () { var original = window.eval;"
    " window.eval = function (text) { sent.push(text); return original(text); }; })()";

void settle(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// A main window with its map page loaded, in a folder that holds a
// database file so that its first showing asks nothing.
class MapWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QFile db(dir.filePath("GeoLiteCity.dat"));
        ASSERT_TRUE(db.open(QIODevice::WriteOnly));
        db.close();
        oldDir = QDir::currentPath();
        QDir::setCurrent(dir.path());
        SetErrorReportSink([this](const QString& message) { reported << message; });
    }
    void TearDown() override {
        SetErrorReportSink({});
        QDir::setCurrent(oldDir);
    }
    // Makes the window and loads the page the way start-up does.
    void open(FakeMapsApi::Mode mode) {
        window = std::make_unique<TfrmMain>();
        defaultProfileFake().setMode(mode); // after the window set up its site
        window->show();
        window->FormCreate();
        QWebEnginePage& page = *window->WebBrowser1->page();
        // The blank page before the map page commits is "complete" too:
        // wait for the map page's own script as well.
        ASSERT_TRUE(waitForJs(
            page, "typeof codeAddress === 'function' && document.readyState === 'complete'"));
        js(kRecordEval);
    }
    QString js(const QString& script) {
        return evalJs(*window->WebBrowser1->page(), script).toString();
    }

    QTemporaryDir dir;
    QString oldDir;
    QStringList reported;
    std::unique_ptr<TfrmMain> window;
};

TEST_F(MapWindow, ControlsSendTheirCallTexts) {
    open(FakeMapsApi::Mode::Serve);
    TfrmMain& w = *window;
    EXPECT_EQ(w.WebBrowser1->parentWidget(), w.MapArea);
    EXPECT_EQ(w.WebBrowser1->page()->parent(), w.WebBrowser1);

    w.MemoAddress->setPlainText("Main Street\nSpringfield");
    w.ButtonGotoAddress->click();
    w.ButtonGotoLocation->click();
    w.CheckBoxTraffic->click();
    w.CheckBoxTraffic->click();
    w.CheckBoxBicycling->click();
    w.CheckBoxStreeView->click();
    w.CheckBoxStreeView->click();
    w.ButtonClearMarkers->click();
    EXPECT_EQ(js("sent.join('|')"),
              "ClearMarkers()|codeAddress('Main Street  Springfield')|"
              "GotoLatLng(25.767314,-80.135694)|TrafficOn()|TrafficOff()|BicyclingOn()|"
              "StreetViewOn()|StreetViewOff()|ClearMarkers()");
    EXPECT_TRUE(reported.isEmpty()) << reported.join("; ").toStdString();
    // The progress bar: maximum 100, and empty once the page has loaded.
    EXPECT_EQ(w.ProgressBar1->maximum(), 100);
    EXPECT_EQ(w.ProgressBar1->value(), w.ProgressBar1->minimum() - 1);
}

TEST_F(MapWindow, EmptyLatitudeFailsAsAScriptErrorAndIsReported) {
    open(FakeMapsApi::Mode::Serve);
    window->Latitude->clear();
    window->ButtonGotoLocation->click();
    EXPECT_EQ(js("sent.join('|')"), "GotoLatLng(,-80.135694)");
    ASSERT_EQ(reported.size(), 1);
    EXPECT_EQ(reported[0], "SyntaxError: Unexpected token ','");
}

TEST_F(MapWindow, WithoutTheMapsApiOnlyTheFailingCommandsReport) {
    open(FakeMapsApi::Mode::Fail);
    window->MemoAddress->setPlainText("Main Street");
    window->ButtonGotoAddress->click();
    window->ButtonClearMarkers->click();
    EXPECT_TRUE(reported.isEmpty()) << reported.join("; ").toStdString();
    window->ButtonGotoLocation->click();
    EXPECT_EQ(reported, QStringList{"ReferenceError: google is not defined"});
}

TEST_F(MapWindow, AddressCommandPutsTheMarkerOnTheMap) {
    open(FakeMapsApi::Mode::Serve);
    TfrmMain& w = *window;
    w.resize(TfrmMain::kClientWidth, TfrmMain::kClientHeight);
    w.MemoAddress->setPlainText("Miami Beach, Florida, United States");
    w.ButtonGotoAddress->click();
    js("fake.answer([[25.790654, -80.1300455]], 'OK')");
    QWebEnginePage& page = *w.WebBrowser1->page();
    ASSERT_TRUE(waitForJs(page, "fake.markers.length === 1 && fake.markers[0].img.complete"));
    EXPECT_EQ(js("fake.markers[0].img.naturalWidth + ',' + fake.markers[0].title"),
              "32,25.790654,-80.1300455 (25.790654,-80.1300455)");
    // The map area fills the space right of the side panel, and the map
    // element fills the map area.
    const QRect area = w.MapArea->geometry();
    EXPECT_EQ(w.MapArea->mapTo(&w, QPoint(0, 0)).x(),
              w.FlatPanel1->mapTo(&w, QPoint(w.FlatPanel1->width(), 0)).x());
    EXPECT_EQ(js("var r = document.getElementById('map_canvas').getBoundingClientRect();"
                 "r.width + 'x' + r.height"),
              QString("%1x%2").arg(area.width()).arg(area.height()));
    const QString shot = qEnvironmentVariable("ORVANTA_SCREENSHOT");
    if (!shot.isEmpty()) {
        settle(500);
        const QRect frame = w.frameGeometry();
        w.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height()).save(shot);
    }
}

} // namespace
