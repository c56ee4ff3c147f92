// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop under a real X server with a window manager (started by
// run-under-x): what only real windows show. The title strips' colours read
// back from the screen across changes of activation, a double-click made by
// the X server's own pointer on a scrolled list, and the IP whois window on
// the screen while its query blocks.
#include "FakeMapsApi.h"
#include "LoopbackWhoisServer.h"
#include "ScopedCacheHome.h"
#include "WindowSet.h"
#include "forms/StartUp.h"
#include "forms/Unit1.h"
#include "forms/Unit2.h"
#include "forms/chrome/TFlatTitlebar.h"
#include "forms/chrome/TSpeedButton.h"
#include "forms/fMain.h"
#include "forms/results/TListView.h"
#include "forms/support/ProgramFonts.h"
#include "forms/support/SystemColors.h"
#include "site/MapProfile.h"
#include "site/SiteScheme.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>

namespace {

using orvanta::test::LoopbackWhoisServer;
using orvanta::test::WhoisConnection;

// True as soon as `done` is; false when it never was within `ms`. (A
// window moved just after showing may go blank for a moment until it is
// painted again, so a state seen once is not asked again.)
bool WaitFor(const std::function<bool()>& done, int ms = 5000) {
    for (int waited = 0; waited < ms; waited += 50) {
        if (done())
            return true;
        QTest::qWait(50);
    }
    return done();
}

// Runs xdotool with `args` while the program goes on taking events; its
// standard output goes to `out` when given.
bool Xdotool(const QStringList& args, QString* out = nullptr) {
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    if (!p.waitForStarted(5000))
        return false;
    WaitFor([&] { return p.state() == QProcess::NotRunning; }, 10000);
    if (out)
        *out = QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
    return p.state() == QProcess::NotRunning && p.exitStatus() == QProcess::NormalExit &&
           p.exitCode() == 0;
}

// The window the window manager has made active (_NET_ACTIVE_WINDOW).
bool ActiveOnTheServer(const QWidget* window) {
    QString id;
    return Xdotool({QStringLiteral("getactivewindow")}, &id) &&
           id == QString::number(window->winId());
}

// True once the window manager and the program both hold `window` active.
// Qt's own wait is not enough: it counts a window active while a window it
// owns has the focus, and the window manager may not have finished making a
// window active when the program already takes it for so.
bool ActiveEverywhere(const QWidget* window, int ms = 20000) {
    return WaitFor(
        [&] { return QApplication::activeWindow() == window && ActiveOnTheServer(window); }, ms);
}

QRect OnScreen(const QWidget* w, const QRect& local) {
    return local.translated(w->mapToGlobal(QPoint()));
}

int CountColour(const QImage& image, const QRect& area, const QColor& colour) {
    int n = 0;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += image.pixelColor(x, y).rgb() == colour.rgb();
    return n;
}

// The caption's part of a strip, without the pictures at its right end.
QRect CaptionArea(const TFlatTitlebar* strip, int picturesWidth) {
    return OnScreen(strip, QRect(0, 0, strip->width() - picturesWidth, strip->height()));
}

// True once the screen shows the caption of `strip` in `shown` and nowhere
// in `other` (bounded wait: painting follows activation shortly).
bool CaptionDrawnIn(const TFlatTitlebar* strip, int picturesWidth, const QColor& shown,
                    const QColor& other) {
    return WaitFor(
        [&] {
            const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
            const QRect area = CaptionArea(strip, picturesWidth);
            return CountColour(screen, area, shown) > 20 && CountColour(screen, area, other) == 0;
        },
        20000);
}

// Activates `window` as a user would, through the window manager (xdotool
// asks it as a pager does, which no focus-stealing rule turns down), and
// waits until the program has it active too.
void Activate(QWidget* window) {
    ASSERT_TRUE(Xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"),
                         QString::number(window->winId())}));
    ASSERT_TRUE(ActiveEverywhere(window));
}

class Desktop : public testing::Test {
protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs an X server: run through run-under-x";
    }
    void TearDown() override {
        Form1->hide();
        Form2->hide();
    }
};

TEST_F(Desktop, TitleStripColoursFollowActivation) {
    const QColor inactive = SystemColors::InactiveCaptionText();
    const QColor mainActive = frmMain->FlatTitlebar1->ActiveTextColor();
    const QColor dialogActive = Form1->FlatTitlebar1->ActiveTextColor();
    constexpr int kMainPictures = 44 + 46 + 44;
    constexpr int kClosePicture = 44;
    Activate(frmMain);
    EXPECT_TRUE(CaptionDrawnIn(frmMain->FlatTitlebar1, kMainPictures, mainActive, inactive));

    // A dialog's first showing draws it active; the main window turns inactive.
    frmMain->SpeedButton1->click();
    ASSERT_TRUE(ActiveEverywhere(Form1));
    EXPECT_TRUE(CaptionDrawnIn(Form1->FlatTitlebar1, kClosePicture, dialogActive, inactive));
    EXPECT_TRUE(CaptionDrawnIn(frmMain->FlatTitlebar1, kMainPictures, inactive, mainActive));

    // Back and forth: every change repaints both.
    Activate(frmMain);
    EXPECT_TRUE(CaptionDrawnIn(Form1->FlatTitlebar1, kClosePicture, inactive, dialogActive));
    EXPECT_TRUE(CaptionDrawnIn(frmMain->FlatTitlebar1, kMainPictures, mainActive, inactive));
    Activate(Form1);
    EXPECT_TRUE(CaptionDrawnIn(Form1->FlatTitlebar1, kClosePicture, dialogActive, inactive));
}

TEST_F(Desktop, DoubleClickOnAScrolledListQueriesTheRowUnderThePointer) {
    TListView* list = frmMain->ListView1;
    list->Clear();
    for (int i = 1; i <= 40; ++i)
        list->Add({QStringLiteral("place %1").arg(i),
                   {QStringLiteral("10.0.0.%1").arg(i), "1", "2", "host"},
                   0});
    QScrollBar* bar = list->verticalScrollBar();
    // Appending scrolled to the very end, past the horizontal scroll bar
    // that came with the vertical one.
    ASSERT_TRUE(WaitFor([&] { return bar->maximum() > 0 && bar->value() == bar->maximum(); }));
    // The user scrolls back to the top and double-clicks the second row.
    list->scrollToTop();
    LoopbackWhoisServer server(LoopbackWhoisServer::Answer("whois of row 2\r\n"));
    WhoisOnLoopback(server.Port());
    Activate(frmMain);
    const QPoint target =
        list->viewport()->mapToGlobal(list->visualRect(list->model()->index(1, 1)).center());
    ASSERT_TRUE(
        Xdotool({"mousemove", "--sync", QString::number(target.x()), QString::number(target.y())}));
    // xdotool sends the two clicks 80 ms apart, but on a busy machine more
    // than the desktop's double-click interval may pass before the second
    // reaches the X server; the row under the pointer is what is tested.
    const int interval = QApplication::doubleClickInterval();
    QApplication::setDoubleClickInterval(std::max(interval, 5000));
    const bool clicked = Xdotool({"click", "--repeat", "2", "--delay", "80", "1"});
    const bool queried = clicked && WaitFor([&] { return server.Queries().size() == 1u; }, 10000);
    QApplication::setDoubleClickInterval(interval);
    ASSERT_TRUE(clicked);
    ASSERT_TRUE(queried);
    EXPECT_EQ(server.Queries()[0], "10.0.0.2\r\n");
    EXPECT_EQ(Form1->IP->text(), QStringLiteral("10.0.0.2"));
    EXPECT_EQ(bar->value(), 0);
}

TEST_F(Desktop, IpWhoisWindowIsOnTheScreenWhileItsQueryBlocks) {
    QTemporaryDir shots;
    const QString during = shots.filePath(QStringLiteral("during.png"));
    // The server takes a picture of the screen before it answers, while the
    // program waits for it.
    LoopbackWhoisServer server([&](WhoisConnection& c) {
        c.ReadQuery();
        const QString command = QStringLiteral("timeout 20 import -window root %1").arg(during);
        (void)std::system(command.toLocal8Bit().constData());
        c.Send("answer\r\n");
        c.ShutdownSend();
    });
    WhoisOnLoopback(server.Port());
    Form2->hide();
    Activate(frmMain);
    frmMain->SpeedButton3->click();
    ASSERT_TRUE(server.WaitServed(1));
    EXPECT_EQ(Form2->Memo1->toPlainText(), QStringLiteral("answer\n"));
    const QImage screen(during);
    ASSERT_FALSE(screen.isNull());
    // The strip left of its caption and a band of the cleared memo.
    const QRect strip = OnScreen(Form2->FlatTitlebar1, QRect(0, 0, 100, 33));
    const QRect memo = OnScreen(Form2->Memo1, QRect(10, 100, 300, 200));
    EXPECT_GT(CountColour(screen, strip, SystemColors::DkShadow3D()), strip.width() * 30);
    EXPECT_GT(CountColour(screen, memo, SystemColors::Window()), memo.width() * 190);
}

} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    const orvanta::test::ScopedCacheHome cacheHome; // the map profile's folder
    // The keyed page, its maps API answered by the fake.
    ::setenv("ORVANTA_MAP", "google", 1);
    TSiteScheme::registerScheme();
    FakeMapsApi::registerScheme();
    QApplication app(argc, argv);
    LoadProgramFonts();
    // The start-up check wants a database file in the current directory.
    QTemporaryDir dir;
    QFile db(dir.filePath(QStringLiteral("GeoLiteCity.dat")));
    if (!dir.isValid() || !db.open(QIODevice::WriteOnly))
        return 2;
    db.close();
    QDir::setCurrent(dir.path());
    CreateForms();
    // Lives as long as the map profile.
    new FakeMapsApi(TMapProfile::program());
    frmMain->show();
    // The tests start from a main window that the window manager has
    // finished showing and making active.
    const char* failed = nullptr;
    if (!QTest::qWaitForWindowExposed(frmMain, 20000))
        failed = "the main window did not show";
    else if (!Xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"),
                       QString::number(frmMain->winId())}) ||
             !ActiveEverywhere(frmMain, 60000))
        failed = "the main window did not become active";
    else if (!waitForJs(*frmMain->WebBrowser1->page(), "typeof codeAddress === 'function'", 20000))
        failed = "the map page did not come up";
    if (failed) {
        std::fprintf(stderr, "desktop_test: %s\n", failed);
        return 3;
    }
    const int result = RUN_ALL_TESTS();
    FreeForms();
    QDir::setCurrent(QDir::tempPath());
    return result;
}
