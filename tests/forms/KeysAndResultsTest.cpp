// SPDX-License-Identifier: GPL-3.0-or-later
// The keyboard and getting results out of the list, as a user meets them:
// Esc in the dialogs and whois windows, the side panel's shortcuts, the
// focus in a dialog's edit, Ctrl+C on a row, the list saved as CSV and read
// back, and clearing the list.
#include "LoopbackWhoisServer.h"
#include "WindowSet.h"
#include "forms/StartUp.h"
#include "forms/Unit1.h"
#include "forms/Unit2.h"
#include "forms/Unit4.h"
#include "forms/Unit5.h"
#include "forms/chrome/TSpeedButton.h"
#include "forms/fMain.h"
#include "forms/results/TListView.h"
#include "forms/support/ErrorReport.h"
#include "forms/support/Guard.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QSignalBlocker>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

using orvanta::test::LoopbackWhoisServer;

// Reads RFC 4180 CSV back: quoted fields with doubled quotes, CR LF ends.
std::vector<QStringList> ReadCsv(const QByteArray& bytes) {
    const QString text = QString::fromUtf8(bytes);
    std::vector<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                field += text[++i];
            else if (c == '"')
                quoted = false;
            else
                field += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            row << field;
            field.clear();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            row << field;
            field.clear();
            rows.push_back(row);
            row.clear();
            ++i;
        } else {
            field += c;
        }
    }
    return rows;
}

class KeysAndResults : public testing::Test {
protected:
    static void SetUpTestSuite() { CreateWindowSetOnce(); }
    void SetUp() override {
        SetErrorReportSink([this](const QString& m) { reported << m; });
        ActivateWindow(frmMain);
        frmMain->ListView1->Clear();
    }
    void TearDown() override {
        SetErrorReportSink({});
        for (QWidget* w : std::initializer_list<QWidget*>{Form1, Form2, Form4, Form5})
            w->hide();
    }

    static void ActivateWindow(QWidget* w) {
        QApplication::setActiveWindow(w);
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    }

    QStringList reported;
};

TEST_F(KeysAndResults, EscapeHidesTheDialogsAndWhoisWindows) {
    for (QWidget* w : std::initializer_list<QWidget*>{Form1, Form2, Form4, Form5}) {
        w->show();
        ActivateWindow(w);
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : w,
                        Qt::Key_Escape);
        EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
    }
    EXPECT_TRUE(frmMain->isVisible()); // the main window has no such key
    QTest::keyClick(frmMain, Qt::Key_Escape);
    EXPECT_TRUE(frmMain->isVisible());
}

TEST_F(KeysAndResults, SidePanelShortcutsNamedInTooltipsOpenWithTheFocusInTheEdit) {
    struct Opener {
        TSpeedButton* button;
        QKeySequence key;
        QWidget* window;
        QWidget* edit;
    };
    for (const Opener& o :
         {Opener{frmMain->SpeedButton1, Qt::CTRL | Qt::Key_1, Form1, Form1->IP},
          Opener{frmMain->SpeedButton4, Qt::CTRL | Qt::Key_3, Form5, Form5->domain}}) {
        EXPECT_TRUE(o.button->toolTip().endsWith(
            QStringLiteral(" (%1)").arg(o.key.toString(QKeySequence::NativeText))));
        // Twice: the focus goes to the edit at every opening.
        for (int i = 0; i < 2; ++i) {
            ActivateWindow(frmMain);
            QTest::keySequence(frmMain, o.key);
            ASSERT_TRUE(QTest::qWaitFor([&] { return o.window->isVisible(); }, 1000));
            ActivateWindow(o.window);
            EXPECT_EQ(QApplication::focusWidget(), o.edit) << i;
            // Typing replaces the text kept from before.
            QTest::keyClicks(o.edit, QStringLiteral("x%1").arg(i));
            EXPECT_EQ(qobject_cast<QLineEdit*>(o.edit)->text(), QStringLiteral("x%1").arg(i));
            // The user moves on to the Search button and closes the window.
            QTest::keyClick(o.edit, Qt::Key_Tab);
            o.window->hide();
        }
    }
    // "IP Whois" asks the server in the field.
    LoopbackWhoisServer server(LoopbackWhoisServer::Answer("owner"));
    frmMain->IdWhois1.SetPort(server.Port());
    {
        const QSignalBlocker block(Form2->ComboBoxEx1);
        Form2->ComboBoxEx1->setEditText(QStringLiteral("127.0.0.1"));
    }
    EXPECT_TRUE(frmMain->SpeedButton3->toolTip().startsWith(QStringLiteral("IP Whois (")));
    ActivateWindow(frmMain);
    QTest::keySequence(frmMain, Qt::CTRL | Qt::Key_2);
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.Queries().size() == 1u; }, 2000));
    EXPECT_TRUE(reported.isEmpty());
}

struct AwkwardRow {
    const char* name;
    const char* caption;
    const char* latitude;
    const char* host;
    const char* copied; // what Ctrl+C puts on the clipboard
    const char* csvLatitude;
};

class ResultsOut : public KeysAndResults, public testing::WithParamInterface<AwkwardRow> {
protected:
    TListItem Row() const {
        const AwkwardRow& r = GetParam();
        return {QString::fromUtf8(r.caption),
                {QStringLiteral("192.0.2.1"), QString::fromUtf8(r.latitude),
                 QStringLiteral("-122,0838"), QString::fromUtf8(r.host)},
                0};
    }
};

TEST_P(ResultsOut, CtrlCCopiesTheSelectedRow) {
    TListView* list = frmMain->ListView1;
    list->Add({QStringLiteral("other"), {"1.1.1.1", "1", "2", "h"}, 0});
    list->Add(Row());
    list->setFocus();
    list->selectRow(1);
    QGuiApplication::clipboard()->clear();
    QTest::keySequence(list, QKeySequence::Copy);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8(GetParam().copied));
}

TEST_P(ResultsOut, SavedFileReadBackEqualsTheList) {
    TListView* list = frmMain->ListView1;
    list->Add(Row());
    list->Add({QStringLiteral("Seattle, WA, United States"),
               {"8.8.8.8", "ERROR City not present", "0", "Unresolved Host"},
               0});
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("list.csv"));
    frmMain->SaveListAsCsv(path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const std::vector<QStringList> rows = ReadCsv(file.readAll());
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (QStringList{"IP Locations", "IP address", "Latitude", "Logitude",
                                    "Host name", "Organization", "Count"}));
    // Rows without an organisation text carry an empty field for it, and
    // those of a single locate an empty count.
    const QStringList kNoOrganizationNorCount = {QString(), QString()};
    QStringList first =
        QStringList{list->Item(0).Caption} + list->Item(0).SubItems + kNoOrganizationNorCount;
    first[2] = QString::fromUtf8(GetParam().csvLatitude);
    first[3] = QStringLiteral("-122.0838");
    EXPECT_EQ(rows[1], first);
    EXPECT_EQ(rows[2], QStringList{list->Item(1).Caption} + list->Item(1).SubItems +
                           kNoOrganizationNorCount);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files) == QStringList{"list.csv"});
}

INSTANTIATE_TEST_SUITE_P(
    Awkward, ResultsOut,
    testing::Values(
        AwkwardRow{"Plain", "Z\xc3\xbcrich, ZH, Switzerland", "47,3667", "host.test",
                   "Z\xc3\xbcrich, ZH, Switzerland\t192.0.2.1\t47,3667\t-122,0838\thost.test\t\t",
                   "47.3667"},
        AwkwardRow{"TabAndQuotes", "a\tb, \"Q\"", "1", "h\"x",
                   "\"a\tb, \"\"Q\"\"\"\t192.0.2.1\t1\t-122,0838\t\"h\"\"x\"\t\t", "1"},
        AwkwardRow{"LineBreaks", "one\r\ntwo", "-0,5", "x\ny",
                   "\"one\r\ntwo\"\t192.0.2.1\t-0,5\t-122,0838\t\"x\ny\"\t\t", "-0.5"},
        AwkwardRow{"NonLatin1", "\xe6\x9d\xb1\xe4\xba\xac, 13, Japan", "35,6895",
                   "\xd0\xbc\xd0\xbe\xd1\x81\xd0\xba\xd0\xb2\xd0\xb0.test",
                   "\xe6\x9d\xb1\xe4\xba\xac, 13, Japan\t192.0.2.1\t35,6895\t-122,0838\t"
                   "\xd0\xbc\xd0\xbe\xd1\x81\xd0\xba\xd0\xb2\xd0\xb0.test\t\t",
                   "35.6895"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(KeysAndResults, SaveThroughTheDialogReplacesTheChosenFile) {
    frmMain->ListView1->Add({QStringLiteral("place"), {"1.2.3.4", "1", "2", "h"}, 0});
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("chosen.csv"));
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old contents");
    old.close();
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->setOption(QFileDialog::DontConfirmOverwrite);
        dialog->selectFile(path);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    frmMain->SaveAs1->trigger();
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), QByteArray("IP Locations,IP address,Latitude,Logitude,Host "
                                          "name,Organization,Count\r\nplace,1.2.3.4,1,2,h,,\r\n"));
    EXPECT_TRUE(reported.isEmpty());
}

TEST_F(KeysAndResults, SaveIntoAMissingFolderIsReportedAndWritesNothing) {
    frmMain->ListView1->Add({QStringLiteral("place"), {"1.2.3.4", "1", "2", "h"}, 0});
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("missing/list.csv"));
    RunGuarded([&] { frmMain->SaveListAsCsv(path); });
    ASSERT_EQ(reported.size(), 1);
    EXPECT_TRUE(reported[0].startsWith(QStringLiteral("Cannot create file \"%1\". ").arg(path)))
        << reported[0].toStdString();
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}

TEST_F(KeysAndResults, ClearListEmptiesItAndDoesNothingOnAnEmptyList) {
    TListView* list = frmMain->ListView1;
    list->Add({QStringLiteral("a"), {"1.2.3.4", "1", "2", "h"}, 0});
    list->selectRow(0);
    EXPECT_TRUE(frmMain->Copy1->isEnabled());
    EXPECT_TRUE(frmMain->Clear1->isEnabled());
    frmMain->Clear1->trigger();
    EXPECT_EQ(list->Count(), 0);
    EXPECT_FALSE(frmMain->Copy1->isEnabled());
    EXPECT_FALSE(frmMain->Clear1->isEnabled());
    EXPECT_FALSE(frmMain->SaveAs1->isEnabled());
    int changes = 0;
    QObject::connect(list->model(), &QAbstractItemModel::rowsRemoved, list, [&] { ++changes; });
    frmMain->Clear1Click();
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(reported.isEmpty());
}

} // namespace
