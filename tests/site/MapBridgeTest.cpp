// SPDX-License-Identifier: GPL-3.0-or-later
// The script bridge and the map commands in the browser engine: the exact
// call texts the page receives, errors, the bounded waits, and the address
// text surviving the trip into the page exactly.
#include "MapTestSupport.h"
#include "map/MapPage.h"
#include "site/MapCommands.h"

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QRandomGenerator>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// Every call text the bridge evaluates passes the page's global eval.
const char kRecordEval[] =
    "window.sent = []; (function () { var original = window.eval;"
    " window.eval = function (text) { sent.push(text); return original(text); }; })()";

std::string failureOf(TMapScriptBridge& bridge, const std::string& call) {
    try {
        bridge.run(call);
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "(no error)";
}

TEST(MapCommands, SendExactlyTheseCallTextsInOrder) {
    auto map = loadedMap();
    TMapCommands commands(*map.bridge);
    js(*map.page, kRecordEval);
    commands.gotoAddress("Main Street\nSpringfield");
    commands.gotoLocation("25.767314", "-80.135694");
    commands.clearMarkers();
    commands.traffic(true);
    commands.traffic(false);
    commands.bicycling(true);
    commands.bicycling(false);
    commands.streetView(true);
    commands.streetView(false);
    commands.gotoAddress(" \n\t\n ");
    EXPECT_EQ(js(*map.page, "sent.join('|')"),
              "ClearMarkers()|codeAddress('Main Street  Springfield')|"
              "GotoLatLng(25.767314,-80.135694)|ClearMarkers()|TrafficOn()|TrafficOff()|"
              "BicyclingOn()|BicyclingOff()|StreetViewOn()|StreetViewOff()|"
              "ClearMarkers()|codeAddress('')");
}

TEST(MapCommands, FailingClearStopsTheAddressCommand) {
    auto map = loadedMap();
    TMapCommands commands(*map.bridge);
    js(*map.page, kRecordEval);
    js(*map.page, "ClearMarkers = function () { throw new Error('boom. \\n'); }");
    try {
        commands.gotoAddress("Main Street");
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Error: boom");
    }
    EXPECT_EQ(js(*map.page, "sent.join('|')"), "ClearMarkers()");
    EXPECT_EQ(js(*map.page, "fake.requests.length"), "0");
}

TEST(MapScriptBridge, ReportsTheEnginesErrors) {
    auto map = loadedMap();
    struct Row {
        const char* name;
        const char* call;
        const char* error;
    };
    const Row rows[] = {
        {"empty latitude", "GotoLatLng(,-80.135694)", "SyntaxError: Unexpected token ','"},
        {"unknown function", "NoSuchThing()", "ReferenceError: NoSuchThing is not defined"},
        {"thrown text", "throw 'plain text...'", "plain text"},
        {"thrown nothing", "throw ''", "Script call failed"},
        {"unprintable error", "throw Object.create(null)", "Script call failed"},
        {"fine", "ClearMarkers()", "(no error)"},
        {"quotes survive", "var q = \"'\\\"\"; if (q.length !== 2) throw 'mangled'", "(no error)"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(failureOf(*map.bridge, row.call), row.error) << row.name;
    }
}

TEST(MapScriptBridge, CallsRunInTheGlobalScope) {
    auto map = loadedMap();
    map.bridge->run("var fromCall = 41; function addOne() { fromCall++; }");
    map.bridge->run("addOne()");
    EXPECT_EQ(js(*map.page, "String(fromCall)"), "42");
}

TEST(MapScriptBridge, GivesUpOnACallThatDoesNotAnswer) {
    auto map = loadedMap();
    map.bridge->setTimeouts(300, 1000);
    EXPECT_EQ(failureOf(*map.bridge, "var t = Date.now(); while (Date.now() - t < 1500) {}"),
              "Script call timed out");
    // The late answer must land harmlessly, and the bridge keeps working.
    QEventLoop settle;
    QTimer::singleShot(1500, &settle, &QEventLoop::quit);
    settle.exec();
    // Bounds a busy machine keeps: the page may still be running the
    // endless call, and the next one must only be answered, not fast.
    map.bridge->setTimeouts(20000, 20000);
    EXPECT_EQ(failureOf(*map.bridge, "ClearMarkers()"), "(no error)");
}

TEST(MapScriptBridge, CommandBeforeTheLoadWaitsForIt) {
    fakeMaps().setMode(FakeMapsApi::Mode::Serve);
    RecordingMapPage page;
    TMapScriptBridge bridge(&page);
    page.setHtml(QString::fromStdString(orvanta::map::mapPageText()));
    EXPECT_EQ(bridge.state(), TMapScriptBridge::State::Loading);
    bridge.run("GotoLatLng(1,2)");
    EXPECT_EQ(bridge.state(), TMapScriptBridge::State::Ready);
    EXPECT_EQ(js(page, "String(markersArray.length)"), "1");
}

TEST(MapScriptBridge, FailedLoadMakesCommandsDoNothing) {
    RecordingMapPage page;
    TMapScriptBridge bridge(&page);
    // A load that fails ends the wait at once; the bound is for a busy machine.
    bridge.setTimeouts(20000, 20000);
    page.load(QUrl("orvanta://site/no-such-page.html"));
    EXPECT_EQ(failureOf(bridge, "GotoLatLng(,-80.135694)"), "(no error)");
    EXPECT_EQ(bridge.state(), TMapScriptBridge::State::Failed);
    // Set at most once: a later good load does not revive it.
    loadHtml(page, "<html><body></body></html>");
    EXPECT_EQ(failureOf(bridge, "GotoLatLng(,-80.135694)"), "(no error)");
}

// Random memo texts full of what could break the trip: quotes,
// backslashes, tabs, controls, CR/LF runs, non-ASCII (also outside the
// basic plane), line and paragraph separators.
QString randomMemoText(QRandomGenerator& random) {
    static const QStringList pieces = {
        "a",      "Z",      "7",          " ",         "  ",    "'",    "\"",     "\\",
        "\\'",    "\t",     "\n",         "\n\n",      "\r",    "\x01", "\x1f",   "\x7f",
        ",",      ")",      "(",          "</script>", "${x}",  "`",    "\u00e9", "\u65e5\u672c",
        "\u2028", "\u2029", "\U0001F30D", "\u00a0",    "\ufeff"};
    QString text;
    const int count = static_cast<int>(random.bounded(0, 12));
    for (int i = 0; i < count; ++i) {
        text += pieces[static_cast<int>(random.bounded(static_cast<int>(pieces.size())))];
    }
    return text;
}

// The address the page should receive, worked out on the memo's own
// characters: the memo's line breaks are CR LF, ends trimmed of codes up
// to 32, then CR and LF each a blank.
QString expectedAddress(QString memo) {
    memo.replace("\n", "\r\n");
    qsizetype first = 0;
    qsizetype last = memo.size();
    while (first < last && memo[first].unicode() <= 32) {
        ++first;
    }
    while (last > first && memo[last - 1].unicode() <= 32) {
        --last;
    }
    QString address = memo.mid(first, last - first);
    address.replace(u'\r', u' ').replace(u'\n', u' ');
    return address;
}

TEST(MapCommands, AddressArrivesExactlyForRandomMemoTexts) {
    auto map = loadedMap();
    TMapCommands commands(*map.bridge);
    QRandomGenerator random(20261209);
    constexpr int kTexts = 1000;
    for (int i = 0; i < kTexts; ++i) {
        const QString memo = randomMemoText(random);
        commands.gotoAddress(memo);
        const QString received =
            evalJs(*map.page, QString("fake.requests[%1].address").arg(i)).toString();
        ASSERT_EQ(received.toStdU16String(), expectedAddress(memo).toStdU16String())
            << "memo #" << i << ": " << memo.toStdString();
    }
}

TEST(MapWebPage, AlertIsADialogOwnedByTheMapsWindow) {
    fakeMaps().setMode(FakeMapsApi::Mode::Serve);
    QWidget owner;
    owner.setObjectName("owner");
    TMapWebPage page(&testProfile(), &owner);
    ASSERT_TRUE(loadHtml(page, "<html><body></body></html>"));
    QString text;
    QWidget* parent = nullptr;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            text = box->text();
            parent = box->parentWidget();
            box->accept();
        }
    });
    poll.start(20);
    // The alert is modal in the page: the call returns once it is closed.
    evalJs(page, "alert('Geocode was not successful for the following reason: ERROR')");
    EXPECT_EQ(text, "Geocode was not successful for the following reason: ERROR");
    EXPECT_EQ(parent, &owner);
}

} // namespace
