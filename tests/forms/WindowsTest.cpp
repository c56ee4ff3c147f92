// SPDX-License-Identifier: GPL-3.0-or-later
// The windows as a user meets them: the window set, the main window's
// layout, splitter and database check, the IP entry dialog, the About window.
#include "Pictures.h"
#include "WindowSet.h"
#include "forms/NetAbout.h"
#include "forms/StartUp.h"
#include "forms/Unit1.h"
#include "forms/chrome/TFlatButton.h"
#include "forms/chrome/TFlatPanel.h"
#include "forms/chrome/TFlatTitlebar.h"
#include "forms/chrome/TImage.h"
#include "forms/chrome/TSpeedButton.h"
#include "forms/chrome/TSplitter.h"
#include "forms/fMain.h"
#include "forms/results/TListView.h"
#include "forms/support/AppTitle.h"
#include "forms/support/ErrorReport.h"
#include "forms/support/FileVersion.h"
#include "validation/VersionBlock.h"

#include <QApplication>
#include <QDate>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWindow>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Records what QDesktopServices::openUrl was asked to open.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened << url; }
};

// Runs the test with `dir` as the current directory, restoring it after.
class CurrentDir {
public:
    explicit CurrentDir(const QString& dir) : old_(QDir::currentPath()) { QDir::setCurrent(dir); }
    ~CurrentDir() { QDir::setCurrent(old_); }

private:
    QString old_;
};

// Answers the next modal message box from inside its own loop; `seen` gets
// its text and title, or stays empty when no box appears.
void AnswerNextBox(QString* seenText, QString* seenTitle, QMessageBox::StandardButton answer) {
    QTimer::singleShot(0, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        *seenText = box->text();
        *seenTitle = box->windowTitle();
        box->button(answer)->click();
    });
}

// The program's window set, created once for the whole binary in a folder
// that holds a database file, and the main window shown.
class Windows : public testing::Test {
protected:
    static void SetUpTestSuite() { CreateWindowSetOnce(); }

    void SetUp() override {
        SetErrorReportSink([this](const QString& m) { reported << m; });
        frmMain->showNormal();
        frmMain->move(100, 50);
    }
    void TearDown() override {
        SetErrorReportSink({});
        Form1->hide();
        AboutDialog->hide();
    }

    QStringList reported;
};

TEST_F(Windows, WindowSetOwnersAndVisibility) {
    ASSERT_NE(frmMain, nullptr);
    ASSERT_NE(Form1, nullptr);
    ASSERT_NE(AboutDialog, nullptr);
    EXPECT_EQ(frmMain->parentWidget(), nullptr);
    EXPECT_TRUE(frmMain->isVisible());
    // Every other window is owned by the main window, in creation order, and
    // none is shown at start.
    QList<QWidget*> owned;
    for (QObject* child : frmMain->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (w && w->isWindow())
            owned << w;
    }
    ASSERT_GE(owned.size(), 2);
    EXPECT_LT(owned.indexOf(Form1), owned.indexOf(AboutDialog));
    EXPECT_GE(owned.indexOf(Form1), 0);
    for (QWidget* w : std::as_const(owned)) {
        EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
        EXPECT_EQ(w->windowType(), Qt::Dialog) << w->objectName().toStdString();
    }
    // Only the main window is a top-level window without an owner.
    int unowned = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isWindow() && !w->parentWidget() && w->windowType() != Qt::Popup &&
            w->windowType() != Qt::ToolTip && !qobject_cast<QMenu*>(w))
            unowned += w == frmMain ? 1 : 100;
    EXPECT_EQ(unowned, 1);
    // Shown owned windows are transient for the main window.
    Form1->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form1));
    EXPECT_EQ(Form1->windowHandle()->transientParent(), frmMain->windowHandle());
    EXPECT_TRUE(Form1->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(frmMain->windowFlags() & Qt::FramelessWindowHint);
}

QRect InClient(QWidget* w) {
    return QRect(w->mapTo(frmMain->Client(), QPoint()), w->size());
}

TEST_F(Windows, MainLayoutAtInitialSize) {
    EXPECT_EQ(frmMain->Client()->size(), QSize(843, 792));
    EXPECT_EQ(InClient(frmMain->FlatTitlebar1), QRect(0, 0, 843, 33));
    EXPECT_EQ(InClient(frmMain->FlatTitlebar2), QRect(0, 33, 843, 65));
    EXPECT_EQ(InClient(frmMain->FlatPanel1), QRect(0, 98, 54, 486));
    EXPECT_EQ(InClient(frmMain->MapArea), QRect(54, 98, 789, 486));
    EXPECT_EQ(InClient(frmMain->Splitter1), QRect(0, 584, 843, 3));
    EXPECT_EQ(InClient(frmMain->ListView1), QRect(0, 587, 843, 172));
    EXPECT_EQ(InClient(frmMain->FlatTitlebar3), QRect(0, 759, 843, 33));
    EXPECT_FALSE(frmMain->PanelHeader->isVisible());
    EXPECT_FALSE(frmMain->ProgressBar1->isVisible());
    EXPECT_EQ(frmMain->Latitude->text(), QStringLiteral("25.767314"));
    EXPECT_EQ(frmMain->Longitude->text(), QStringLiteral("-80.135694"));
    // Pictures: the logo is cut 11 pixels at its top; the band of Image9
    // below SpeedButton4 belongs to the picture.
    EXPECT_EQ(frmMain->Image3->geometry(), QRect(0, -11, 272, 65));
    EXPECT_EQ(frmMain->FlatPanel1->childAt(20, 272), frmMain->Image9);
    EXPECT_EQ(frmMain->FlatPanel1->childAt(20, 250), frmMain->SpeedButton4);
    EXPECT_EQ(frmMain->FlatPanel1->childAt(20, 40), frmMain->SpeedButton1);
    EXPECT_EQ(frmMain->Image1->geometry(), QRect(843 - 44, 0, 44, 33));
    EXPECT_EQ(frmMain->Image2->geometry(), QRect(843 - 90, 0, 46, 33));
    EXPECT_EQ(frmMain->Image8->geometry(), QRect(843 - 134, 0, 44, 33));
    for (TImage* image : {frmMain->Image1, frmMain->Image2, frmMain->Image3, frmMain->Image6,
                          frmMain->Image7, frmMain->Image8, frmMain->Image9})
        EXPECT_TRUE(image->HasPicture()) << image->objectName().toStdString();
    EXPECT_EQ(frmMain->ImageList1.size(), 11);
    for (const QIcon& icon : frmMain->ImageList1)
        EXPECT_FALSE(icon.pixmap(16, 16).isNull());
}

TEST_F(Windows, ResultsListColumnsAndMenu) {
    TListView* list = frmMain->ListView1;
    const QStringList captions = {"IP Locations", "IP address",   "Latitude", "Logitude",
                                  "Host name",    "Organization", "Count"};
    ASSERT_EQ(list->model()->columnCount(), 7);
    // The widths follow the list's: every column shows without scrolling
    // sideways, the location line taking what the others leave.
    int widths = 0;
    for (int c = 0; c < 7; ++c) {
        EXPECT_EQ(list->model()->headerData(c, Qt::Horizontal).toString(), captions[c]);
        EXPECT_GE(list->columnWidth(c), c == 0 ? 120 : 50) << c;
        widths += list->columnWidth(c);
    }
    EXPECT_EQ(widths, list->viewport()->width());
    EXPECT_TRUE(list->showGrid());
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    // The row actions first, then the list's own.
    QStringList items;
    for (const QAction* a : frmMain->PopupMenu1->actions())
        items << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(items, (QStringList{"Go to Address", "Whois", "Trace route", "-", "Copy",
                                  QString::fromUtf8("Save list as\u2026"), "Clear list", "-",
                                  "Paste addresses", QString::fromUtf8("Open addresses\u2026"),
                                  "Stop", "-", "Summary", "-", "Look up host names",
                                  "Look up host names for pasted addresses", "Private mode"}));
    EXPECT_EQ(frmMain->Copy1->shortcut(), QKeySequence(QKeySequence::Copy));
}

TEST_F(Windows, ResizeKeepsStripsAndListHeights) {
    frmMain->ResizeClient({1000, 900});
    QApplication::processEvents();
    EXPECT_EQ(frmMain->ListView1->height(), 172);
    EXPECT_EQ(frmMain->FlatTitlebar1->width(), 1000);
    EXPECT_EQ(frmMain->MapArea->height(), 486 + 108);
    EXPECT_EQ(frmMain->Image1->geometry().right(), 999);
    frmMain->ResizeClient({843, 792});
    QApplication::processEvents();
    EXPECT_EQ(frmMain->MapArea->height(), 486);
}

struct SplitCase {
    const char* name;
    int requested;
    int available;
    int expected;
};

class SplitterClamp : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitterClamp, Height) {
    EXPECT_EQ(TSplitter::ClampedHeight(GetParam().requested, GetParam().available),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, SplitterClamp,
                         testing::Values(SplitCase{"Unchanged", 172, 658, 172},
                                         SplitCase{"JustAboveMinimum", 31, 658, 31},
                                         SplitCase{"AtMinimumCollapses", 30, 658, 0},
                                         SplitCase{"BelowMinimumCollapses", 10, 658, 0},
                                         SplitCase{"NegativeCollapses", -50, 658, 0},
                                         SplitCase{"LeavesMapThirty", 700, 658, 628},
                                         SplitCase{"MapTooSmallCollapses", 100, 50, 0}),
                         [](const testing::TestParamInfo<SplitCase>& i) { return i.param.name; });

void DragSplitter(int dy) {
    TSplitter* s = frmMain->Splitter1;
    QTest::mousePress(s, Qt::LeftButton, {}, QPoint(100, 1));
    QTest::mouseMove(s, QPoint(100, 1 + dy));
    QTest::mouseRelease(s, Qt::LeftButton, {}, QPoint(100, 1 + dy));
    QApplication::processEvents();
}

TEST_F(Windows, SplitterDragResizesCollapsesAndReopens) {
    DragSplitter(-100);
    EXPECT_EQ(frmMain->ListView1->height(), 272);
    EXPECT_EQ(frmMain->MapArea->height(), 386);
    DragSplitter(250);
    EXPECT_EQ(frmMain->ListView1->height(), 0);
    EXPECT_EQ(frmMain->MapArea->height(), 658);
    // Dragging far up stops where the map keeps 30 pixels.
    DragSplitter(-2000);
    EXPECT_EQ(frmMain->ListView1->height(), 628);
    EXPECT_EQ(frmMain->MapArea->height(), 30);
    frmMain->ListView1->setFixedHeight(172);
    QApplication::processEvents();
}

struct DbCase {
    const char* name;
    enum { File, Folder, Missing } kind;
    bool expectBox;
};

class DatabaseCheck : public testing::TestWithParam<DbCase> {};

TEST_P(DatabaseCheck, WarnsUnlessAFileIsThere) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("GeoLiteCity.dat"));
    if (GetParam().kind == DbCase::File) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    } else if (GetParam().kind == DbCase::Folder) {
        ASSERT_TRUE(QDir().mkdir(path));
    }
    CurrentDir cd(dir.path());
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "Open");
    TfrmMain window;
    QString text, title;
    AnswerNextBox(&text, &title, QMessageBox::Yes);
    window.show();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.CloseRequested());
    if (!GetParam().expectBox) {
        EXPECT_TRUE(text.isEmpty());
        EXPECT_TRUE(recorder.opened.isEmpty());
        return;
    }
    EXPECT_EQ(text, QStringLiteral("GeoIP CityDB missing Please Download GeoIP CityDB!!! "));
    EXPECT_EQ(title, QStringLiteral("DB missing"));
    ASSERT_EQ(recorder.opened.size(), 1);
    EXPECT_EQ(recorder.opened[0], QUrl::fromLocalFile(dir.filePath(QStringLiteral("db"))));
}

INSTANTIATE_TEST_SUITE_P(Table, DatabaseCheck,
                         testing::Values(DbCase{"File", DbCase::File, false},
                                         DbCase{"Folder", DbCase::Folder, true},
                                         DbCase{"Missing", DbCase::Missing, true}),
                         [](const testing::TestParamInfo<DbCase>& i) { return i.param.name; });

TEST(DatabaseCheckNo, ClosesTheMainWindowBeforeItComesUp) {
    QTemporaryDir dir;
    CurrentDir cd(dir.path());
    TfrmMain window;
    QString text, title;
    AnswerNextBox(&text, &title, QMessageBox::No);
    window.show();
    EXPECT_FALSE(text.isEmpty());
    EXPECT_TRUE(window.CloseRequested());
    EXPECT_FALSE(window.isVisible());
}

TEST_F(Windows, MinimizeHidesOwnedWindowsAndRestoreShowsThem) {
    frmMain->SpeedButton1->click();
    ASSERT_TRUE(Form1->isVisible());
    ASSERT_FALSE(AboutDialog->isVisible());
    frmMain->Image2Click();
    EXPECT_TRUE(frmMain->isMinimized());
    EXPECT_FALSE(Form1->isVisible());
    frmMain->showNormal();
    EXPECT_TRUE(Form1->isVisible());
    EXPECT_FALSE(AboutDialog->isVisible());
}

TEST_F(Windows, IpLocationOpensDialogCentredEveryTime) {
    Form1->IP->setText(QStringLiteral("1.2.3.4"));
    frmMain->SpeedButton1->click();
    ASSERT_TRUE(Form1->isVisible());
    const QRect main = frmMain->frameGeometry();
    const QPoint centred(main.left() + (main.width() - 263) / 2,
                         main.top() + (main.height() - 209) / 2);
    EXPECT_EQ(Form1->size(), QSize(263, 209));
    EXPECT_EQ(Form1->pos(), centred);
    Form1->move(10, 10);
    frmMain->SpeedButton1->click(); // while shown: centred again, text kept
    EXPECT_EQ(Form1->pos(), centred);
    EXPECT_EQ(Form1->IP->text(), QStringLiteral("1.2.3.4"));
    Form1->Image1Click();
    EXPECT_FALSE(Form1->isVisible());
    Form1->move(10, 10);
    frmMain->SpeedButton1->click();
    EXPECT_EQ(Form1->pos(), centred);
    EXPECT_EQ(Form1->IP->text(), QStringLiteral("1.2.3.4"));
}

TEST_F(Windows, DialogClampedAtDesktopLeftAndTopNotRight) {
    const QRect desktop = QGuiApplication::primaryScreen()->virtualGeometry();
    frmMain->move(desktop.left() - 700, desktop.top() - 600);
    frmMain->SpeedButton1->click();
    EXPECT_EQ(Form1->pos(), desktop.topLeft());
    frmMain->move(desktop.right() - 100, 50);
    frmMain->SpeedButton1->click();
    EXPECT_EQ(Form1->x(), frmMain->x() + (frmMain->width() - 263) / 2);
    EXPECT_GT(Form1->x(), desktop.right() - 100);
}

TEST_F(Windows, DialogTitleStrip) {
    EXPECT_EQ(Form1->windowTitle(), QStringLiteral("ZA Derezove Videza"));
    EXPECT_EQ(Form1->FlatTitlebar1->Caption(), QStringLiteral("ZA Derezove Videza"));
    EXPECT_EQ(Form1->FlatTitlebar1->height(), 33);
    EXPECT_EQ(Form1->FlatTitlebar1->ActiveTextColor(), QColor(Qt::white));
    EXPECT_EQ(Form1->FlatTitlebar1->InactiveTextColor(), QColor(162, 154, 130));
    EXPECT_EQ(Form1->Image1->size(), QSize(44, 33));
    EXPECT_EQ(Form1->Image1->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(Form1->minimumSize(), Form1->maximumSize());
    EXPECT_EQ(Form1->IP->geometry(), QRect(64, 80, 145, 26));
    EXPECT_EQ(Form1->FlatButton2->geometry(), QRect(79, 132, 98, 25));
}

struct CaretCase {
    const char* name;
    const char* before; // text already in the edit
    int caret;          // caret before the input
    const char* input;  // typed (keyClicks) or pasted (insert)
    bool paste;
    const char* after;
    int caretAfter;
};

class IPChangeCaret : public Windows, public testing::WithParamInterface<CaretCase> {};

TEST_P(IPChangeCaret, BlanksRemovedCaretKeepsIndex) {
    const CaretCase& c = GetParam();
    QLineEdit* ip = Form1->IP;
    ip->setText(QString::fromLatin1(c.before));
    ip->setCursorPosition(c.caret);
    if (c.paste)
        ip->insert(QString::fromLatin1(c.input));
    else
        QTest::keyClicks(ip, QString::fromLatin1(c.input));
    EXPECT_EQ(ip->text(), QString::fromLatin1(c.after));
    EXPECT_EQ(ip->cursorPosition(), c.caretAfter);
    EXPECT_FALSE(ip->hasSelectedText());
}

INSTANTIATE_TEST_SUITE_P(
    Table, IPChangeCaret,
    testing::Values(CaretCase{"BlankTypedAtEnd", "1234", 4, " ", false, "1234", 4},
                    CaretCase{"BlankTypedInside", "1234", 2, " ", false, "1234", 3},
                    CaretCase{"BlankTypedAtStart", "1234", 0, " ", false, "1234", 1},
                    CaretCase{"TypingWithBlanks", "", 0, "1 2", false, "12", 2},
                    CaretCase{"PasteBlanksAround", "", 0, "  1.2 .3.4  ", true, "1.2.3.4", 7},
                    CaretCase{"PasteInsideKeepsIndex", "1.4", 2, " 2. 3.", true, "1.2.3.4", 7},
                    CaretCase{"TabsStay", "", 0, "1.2.3.4\t ", true, "1.2.3.4\t", 8},
                    CaretCase{"LettersStay", "", 0, "a b", false, "ab", 2}),
    [](const testing::TestParamInfo<CaretCase>& i) { return i.param.name; });

TEST_F(Windows, ProgramWriteIsStrippedToo) {
    Form1->IP->setText(QStringLiteral(" 8.8.8.8 "));
    EXPECT_EQ(Form1->IP->text(), QStringLiteral("8.8.8.8"));
    EXPECT_EQ(Form1->IP->cursorPosition(), 7);
}

void ActivateDialog() {
    frmMain->SpeedButton1->click();
    QApplication::setActiveWindow(Form1);
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form1));
    Form1->IP->setFocus();
}

TEST_F(Windows, AltSPressesSearchEnterDoesNot) {
    Form1->IP->setText(QStringLiteral("not an address"));
    ActivateDialog();
    QTest::keyClick(Form1->IP, Qt::Key_Return);
    QTest::keyClick(Form1->IP, Qt::Key_Enter);
    QTest::qWait(300);
    EXPECT_TRUE(Form1->isVisible());
    ASSERT_EQ(Form1->FlatButton2->shortcut(), QKeySequence(Qt::ALT | Qt::Key_S));
    QTest::keyClick(Form1->IP, Qt::Key_S, Qt::AltModifier);
    // An accelerator presses the button visibly: the click follows from a
    // timer, late on a busy machine.
    EXPECT_TRUE(QTest::qWaitFor([] { return !Form1->isVisible(); }, 10000));
    // A rejected text is kept as typed and reported nowhere.
    EXPECT_EQ(Form1->IP->text(), QStringLiteral("notanaddress"));
    EXPECT_TRUE(reported.isEmpty());
}

TEST_F(Windows, ConversionErrorKeepsDialogOpenAndIsReported) {
    Form1->IP->setText(QStringLiteral("1.2.3.99999999999"));
    ActivateDialog();
    Form1->FlatButton2->click();
    EXPECT_TRUE(Form1->isVisible());
    EXPECT_EQ(Form1->IP->text(), QStringLiteral("1.2.3.99999999999"));
    ASSERT_EQ(reported.size(), 1);
    EXPECT_EQ(ErrorReportText(reported[0]),
              QStringLiteral("'99999999999' is not a valid integer value."));
}

TEST_F(Windows, AboutTexts) {
    const QString title = ApplicationTitle();
    EXPECT_EQ(AboutDialog->windowTitle(), QStringLiteral("About ") + title);
    EXPECT_EQ(AboutDialog->lblName->text(), title);
    EXPECT_EQ(AboutDialog->lblVersion->text(), QStringLiteral("Version 1.1 (Build 0.103)"));
    const QString year = QString::number(QDate::currentDate().year());
    EXPECT_TRUE(AboutDialog->lblCopyright->text().endsWith(year + QLatin1Char(' ')))
        << AboutDialog->lblCopyright->text().toStdString();
    EXPECT_FALSE(AboutDialog->imgProgram->pixmap().isNull());
    EXPECT_EQ(AboutDialog->size(), QSize(361, 89));
    const QUrl home(TAboutDialog::HomeUrl());
    EXPECT_TRUE(home.isValid());
    EXPECT_EQ(AboutDialog->findChild<QLabel*>(QStringLiteral("Label1"))->text(),
              TAboutDialog::HomeUrl());
}

TEST_F(Windows, AboutShowsOnceCentredThenWhereLeft) {
    frmMain->Image8Click();
    ASSERT_TRUE(AboutDialog->isVisible());
    frmMain->Image8Click(); // only brought to the front
    EXPECT_TRUE(AboutDialog->isVisible());
    AboutDialog->move(40, 30);
    AboutDialog->btnOk->click();
    EXPECT_FALSE(AboutDialog->isVisible());
    frmMain->Image8Click();
    EXPECT_EQ(AboutDialog->pos(), QPoint(40, 30));
    QTest::keyClick(AboutDialog, Qt::Key_Escape);
    EXPECT_FALSE(AboutDialog->isVisible());
    frmMain->Image8Click();
    QTest::keyClick(AboutDialog, Qt::Key_Return);
    EXPECT_FALSE(AboutDialog->isVisible());
}

TEST_F(Windows, AboutLinkOpensHomePage) {
    UrlRecorder recorder;
    const QString scheme = QUrl(TAboutDialog::HomeUrl()).scheme();
    QDesktopServices::setUrlHandler(scheme, &recorder, "Open");
    AboutDialog->Label1Click();
    QDesktopServices::unsetUrlHandler(scheme);
    ASSERT_EQ(recorder.opened.size(), 1);
    EXPECT_EQ(recorder.opened[0], QUrl(TAboutDialog::HomeUrl()));
}

// --- the version block --------------------------------------------------

class VersionFile : public testing::Test {
protected:
    QString Write(const QByteArray& bytes) {
        const QString path = dir_.filePath(QString::number(++n_));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return path;
    }
    QTemporaryDir dir_;
    int n_ = 0;
};

TEST_F(VersionFile, OwnExecutableCarriesTheBuildVersion) {
    QString version, build;
    ASSERT_TRUE(ReadFileVersion(QCoreApplication::applicationFilePath(), version, build));
    EXPECT_EQ(version, QStringLiteral("1.1"));
    EXPECT_EQ(build, QStringLiteral("0.103"));
}

struct BlockCase {
    const char* name;
    QByteArray bytes;
    bool found;
    const char* version;
    const char* build;
};

QByteArray Filler(qsizetype n) {
    return QByteArray(n, 'x');
}

class VersionBlockFiles : public VersionFile, public testing::WithParamInterface<BlockCase> {};

TEST_P(VersionBlockFiles, Read) {
    const BlockCase& c = GetParam();
    QString version = QStringLiteral("old"), build = QStringLiteral("old");
    EXPECT_EQ(ReadFileVersion(Write(c.bytes), version, build), c.found);
    EXPECT_EQ(version, QString::fromLatin1(c.version));
    EXPECT_EQ(build, QString::fromLatin1(c.build));
}

const QByteArray kBlock = QByteArray::fromStdString(VersionBlockBytes(0x00020005, 0x00070309));

INSTANTIATE_TEST_SUITE_P(
    Table, VersionBlockFiles,
    testing::Values(
        BlockCase{"Empty", {}, false, "old", "old"},
        BlockCase{"NoBlock", Filler(5000), false, "old", "old"},
        BlockCase{"BlockAlone", kBlock, true, "2.5", "7.777"},
        BlockCase{"BlockInside", Filler(100) + kBlock + Filler(100), true, "2.5", "7.777"},
        BlockCase{"StraddlesReadChunk", Filler((1 << 20) - 10) + kBlock, true, "2.5", "7.777"},
        BlockCase{"Truncated", Filler(10) + kBlock.left(20), false, "old", "old"},
        BlockCase{"BadCheckWord", kBlock.left(27) + char(kBlock[27] ^ 1), false, "old", "old"},
        BlockCase{"StrayMarkerThenBlock", kBlock.left(16) + Filler(40) + kBlock, true, "2.5",
                  "7.777"},
        BlockCase{"HighWords", QByteArray::fromStdString(VersionBlockBytes(0xFFFF0000, 0x0001FFFF)),
                  true, "65535.0", "1.65535"}),
    [](const testing::TestParamInfo<BlockCase>& i) { return i.param.name; });

TEST_F(VersionFile, MissingFileLeavesTextsUntouched) {
    QString version = QStringLiteral("v"), build = QStringLiteral("b");
    EXPECT_FALSE(ReadFileVersion(dir_.filePath(QStringLiteral("none")), version, build));
    EXPECT_EQ(version, QStringLiteral("v"));
    EXPECT_EQ(build, QStringLiteral("b"));
}

} // namespace

#include "WindowsTest.moc"
