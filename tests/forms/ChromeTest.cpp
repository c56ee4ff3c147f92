// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/chrome/TBorderlessWindow.h"
#include "forms/chrome/TFlatTitlebar.h"
#include "forms/support/AppTitle.h"
#include "forms/support/ErrorReport.h"
#include "forms/support/Guard.h"
#include "forms/support/SystemColors.h"
#include "forms/support/WindowPlacement.h"

#include <QApplication>
#include <QImage>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

struct TitleCase {
    const char* name;
    const char* path;
    const char* title;
};

class ApplicationTitleTest : public testing::TestWithParam<TitleCase> {};

TEST_P(ApplicationTitleTest, FromFileName) {
    EXPECT_EQ(ApplicationTitleFromPath(QString::fromUtf8(GetParam().path)),
              QString::fromUtf8(GetParam().title));
}

INSTANTIATE_TEST_SUITE_P(
    Table, ApplicationTitleTest,
    testing::Values(TitleCase{"PlainLowerCase", "/usr/bin/orvanta", "Orvanta"},
                    TitleCase{"MixedCaseWithExtension", "C:/x/MyTool.exe", "Mytool"},
                    TitleCase{"CutAtFirstDot", "/opt/my.tool.exe", "My"},
                    TitleCase{"DotInFolderIgnored", "/home/a.b/orvanta", "Orvanta"},
                    TitleCase{"OneCharacter", "/bin/x", "X"},
                    TitleCase{"LeadingDot", "/bin/.hidden", ""},
                    TitleCase{"AllUpperCase", "ORVANTA", "Orvanta"}),
    [](const testing::TestParamInfo<TitleCase>& info) { return info.param.name; });

struct ReportCase {
    const char* name;
    const char* message;
    const char* shown;
};

class ErrorReportTextTest : public testing::TestWithParam<ReportCase> {};

TEST_P(ErrorReportTextTest, FullStopRule) {
    EXPECT_EQ(ErrorReportText(QString::fromUtf8(GetParam().message)),
              QString::fromUtf8(GetParam().shown));
}

INSTANTIATE_TEST_SUITE_P(
    Table, ErrorReportTextTest,
    testing::Values(ReportCase{"Empty", "", ""}, ReportCase{"Letter", "Failed", "Failed."},
                    ReportCase{"AlreadyStop", "Failed.", "Failed."},
                    ReportCase{"Digit", "code 5", "code 5."},
                    ReportCase{"Quote", "'x' is bad'", "'x' is bad'"},
                    ReportCase{"Exclamation", "Stop!", "Stop!"},
                    ReportCase{"ClosingParen", "(x)", "(x)"}, ReportCase{"Slash", "a/", "a/."},
                    ReportCase{"Comma", "a,", "a,"},
                    ReportCase{"NonAscii", "caf\xc3\xa9", "caf\xc3\xa9."}),
    [](const testing::TestParamInfo<ReportCase>& info) { return info.param.name; });

// Answers the next modal message box from inside its own loop; records what
// it showed.
struct BoxAnswer {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
};

void AnswerNextBox(BoxAnswer* seen, QMessageBox::StandardButton answer) {
    QTimer::singleShot(0, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen->title = box->windowTitle();
        seen->text = box->text();
        seen->icon = box->icon();
        seen->buttons = static_cast<int>(box->buttons().size());
        box->button(answer)->click();
    });
}

TEST(ErrorReport, ShowsCriticalBoxCaptionedWithTitle) {
    BoxAnswer seen;
    AnswerNextBox(&seen, QMessageBox::Ok);
    ShowErrorReport(QStringLiteral("Cannot open file"));
    EXPECT_EQ(seen.title, ApplicationTitle());
    EXPECT_EQ(seen.text, QStringLiteral("Cannot open file."));
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.buttons, 1);
}

TEST(Guard, ErrorEndsHandlerAndEveryHandlerThatFiredIt) {
    QStringList reported;
    SetErrorReportSink([&](const QString& m) { reported << m; });
    QStringList steps;
    auto inner = [&] {
        steps << "inner";
        throw std::runtime_error("boom");
    };
    auto outer = [&] {
        steps << "outer";
        inner();
        steps << "after inner";
    };
    QPushButton button;
    QObject::connect(&button, &QPushButton::clicked, &button, Guarded(outer));
    button.click();
    SetErrorReportSink({});
    EXPECT_EQ(steps, (QStringList{"outer", "inner"}));
    EXPECT_EQ(reported, QStringList{"boom"});
}

TEST(Guard, PassesSignalArguments) {
    QPushButton button;
    button.setCheckable(true);
    bool got = false;
    QObject::connect(&button, &QPushButton::toggled, &button,
                     Guarded([&](bool checked) { got = checked; }));
    button.click();
    EXPECT_TRUE(got);
}

struct PlaceCase {
    const char* name;
    QRect owner;
    QSize size;
    QRect desktop;
    QPoint expected;
};

class CentredOverTest : public testing::TestWithParam<PlaceCase> {};

TEST_P(CentredOverTest, Position) {
    const PlaceCase& c = GetParam();
    EXPECT_EQ(CentredOverPosition(c.owner, c.size, c.desktop), c.expected);
}

const QRect kDesktop(0, 0, 1280, 1024);

INSTANTIATE_TEST_SUITE_P(
    Table, CentredOverTest,
    testing::Values(
        PlaceCase{"Centred", QRect(100, 50, 849, 798), QSize(263, 209), kDesktop, {393, 344}},
        PlaceCase{"OddDifferenceRoundsDown", QRect(0, 0, 10, 10), QSize(3, 3), kDesktop, {3, 3}},
        // Larger than the owner: the negative half rounds toward zero (-1, not -2),
        // then the desktop's edge raises it.
        PlaceCase{"LargerThanOwnerRoundsTowardZero",
                  QRect(500, 500, 10, 10),
                  QSize(13, 13),
                  kDesktop,
                  {499, 499}},
        PlaceCase{"ClampLeft", QRect(-400, 50, 849, 798), QSize(263, 209), kDesktop, {0, 344}},
        PlaceCase{"ClampTop", QRect(100, -500, 849, 798), QSize(263, 209), kDesktop, {393, 0}},
        PlaceCase{
            "NoClampRight", QRect(1000, 50, 849, 798), QSize(263, 209), kDesktop, {1293, 344}},
        PlaceCase{
            "NoClampBottom", QRect(100, 900, 849, 798), QSize(263, 209), kDesktop, {393, 1194}},
        PlaceCase{"DesktopNotAtOrigin",
                  QRect(-2000, -100, 849, 798),
                  QSize(263, 209),
                  QRect(-1280, 0, 2560, 1024),
                  {-1280, 194}}),
    [](const testing::TestParamInfo<PlaceCase>& info) { return info.param.name; });

TEST(CentredOnScreen, HalvesAndClamp) {
    EXPECT_EQ(CentredOnScreenPosition({1280, 1024}, {849, 798}, kDesktop), QPoint(215, 113));
    EXPECT_EQ(CentredOnScreenPosition({640, 480}, {849, 798}, kDesktop), QPoint(0, 0));
}

// Counts the pixels of exactly `color` in a grab of `w`.
int CountPixels(QWidget* w, const QColor& color) {
    const QImage img = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += QColor(img.pixel(x, y)) == color;
    return n;
}

TEST(FlatTitlebar, CaptionColourFollowsActivation) {
    TBorderlessWindow a(nullptr, TBorderlessWindow::Sizing::Fixed);
    a.SetFixedOuterSize({300, 100});
    auto* bar = new TFlatTitlebar(a.Client());
    bar->setGeometry(0, 0, 294, 33);
    bar->SetCaption(QStringLiteral("WWWWWW"));
    bar->SetTitlebarColor(Qt::black);
    bar->SetActiveTextColor(Qt::white);
    const QColor inactive = SystemColors::InactiveCaptionText();
    ASSERT_EQ(inactive, QColor(162, 154, 130));

    // Before its first activation the caption is drawn inactive.
    EXPECT_GT(CountPixels(bar, inactive), 20);
    EXPECT_EQ(CountPixels(bar, Qt::white), 0);

    a.show();
    QApplication::setActiveWindow(&a);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&a));
    EXPECT_GT(CountPixels(bar, Qt::white), 20);
    EXPECT_EQ(CountPixels(bar, inactive), 0);

    TBorderlessWindow b(nullptr, TBorderlessWindow::Sizing::Fixed);
    b.SetFixedOuterSize({100, 100});
    b.show();
    QApplication::setActiveWindow(&b);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&b));
    EXPECT_EQ(CountPixels(bar, Qt::white), 0);
    EXPECT_GT(CountPixels(bar, inactive), 20);
}

TEST(FlatTitlebar, DragMovesWindowByPointerMovement) {
    TBorderlessWindow w(nullptr, TBorderlessWindow::Sizing::Fixed);
    w.SetFixedOuterSize({300, 100});
    auto* bar = new TFlatTitlebar(w.Client());
    bar->setGeometry(0, 0, 294, 33);
    w.move(200, 150);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const QPoint start = w.pos();

    // A click whose pointer wobbles less than a drag's distance is no drag.
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(50, 10));
    QTest::mouseMove(bar, QPoint(52, 11));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(52, 11));
    EXPECT_EQ(w.pos(), start);

    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(50, 10));
    QTest::mouseMove(bar, QPoint(80, 30));
    EXPECT_EQ(w.pos(), start + QPoint(30, 20));
    // Positions are relative to the strip, which moved with its window.
    QTest::mouseMove(bar, QPoint(60, 30));
    EXPECT_EQ(w.pos(), start + QPoint(40, 40));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(50, 10));

    // After the release, moving the pointer leaves the window alone.
    const QPoint afterDrag = w.pos();
    QTest::mouseMove(bar, QPoint(10, 10));
    EXPECT_EQ(w.pos(), afterDrag);

    // A right press starts no drag.
    QTest::mousePress(bar, Qt::RightButton, {}, QPoint(50, 10));
    QTest::mouseMove(bar, QPoint(100, 20));
    QTest::mouseRelease(bar, Qt::RightButton, {}, QPoint(100, 20));
    EXPECT_EQ(w.pos(), afterDrag);
}

TEST(BorderlessWindow, EdgeDragResizesAndAClickDoesNot) {
    TBorderlessWindow w(nullptr, TBorderlessWindow::Sizing::Resizable);
    w.setGeometry(200, 150, 300, 200);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const QSize start = w.size();
    const QPoint edge(w.width() - 1, 100);

    QTest::mousePress(&w, Qt::LeftButton, {}, edge);
    QTest::mouseMove(&w, edge + QPoint(2, 0));
    QTest::mouseRelease(&w, Qt::LeftButton, {}, edge + QPoint(2, 0));
    EXPECT_EQ(w.size(), start);

    QTest::mousePress(&w, Qt::LeftButton, {}, edge);
    QTest::mouseMove(&w, edge + QPoint(40, 0));
    QTest::mouseRelease(&w, Qt::LeftButton, {}, edge + QPoint(40, 0));
    EXPECT_EQ(w.size(), start + QSize(40, 0));
}

TEST(FlatTitlebar, RightControlsFromTheRightEdge) {
    TFlatTitlebar bar;
    bar.resize(400, 33);
    bar.show();
    auto* a = new QWidget;
    a->setFixedSize(44, 33);
    auto* b = new QWidget;
    b->setFixedSize(46, 33);
    bar.AddRightControl(a);
    bar.AddRightControl(b);
    EXPECT_EQ(a->geometry(), QRect(356, 0, 44, 33));
    EXPECT_EQ(b->geometry(), QRect(310, 0, 46, 33));
    bar.resize(500, 33);
    EXPECT_EQ(a->geometry(), QRect(456, 0, 44, 33));
}

} // namespace
