// SPDX-License-Identifier: GPL-3.0-or-later
// The whois windows as a user meets them: the IP whois window asking a
// loopback WHOIS server, the domain dialog cleaning its field and searching,
// and the web whois window's addresses and progress bar.

#include "LoopbackWhoisServer.h"
#include "RdapTestAnswers.h"
#include "ScopedCacheHome.h"
#include "TempFolder.h"
#include "forms/StartUp.h"
#include "forms/Unit1.h"
#include "forms/Unit2.h"
#include "forms/Unit4.h"
#include "forms/Unit5.h"
#include "forms/chrome/TFlatButton.h"
#include "forms/chrome/TImage.h"
#include "forms/chrome/TSpeedButton.h"
#include "forms/fMain.h"
#include "forms/support/ErrorReport.h"
#include "forms/support/Guard.h"
#include "forms/support/ProgramFonts.h"
#include "forms/support/WindowPlacement.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>

namespace {

using namespace std::chrono_literals;
using orvanta::test::LoopbackWhoisServer;

// Collects what the default error report would have shown.
class ReportRecorder {
public:
    ReportRecorder() {
        SetErrorReportSink([this](const QString& m) { messages.push_back(m); });
    }
    ~ReportRecorder() { SetErrorReportSink({}); }
    ReportRecorder(const ReportRecorder&) = delete;
    ReportRecorder& operator=(const ReportRecorder&) = delete;
    std::vector<QString> messages;
};

// The web whois window's page in these tests: it records every address the
// window navigates to, as the browser engine hands it over, and loads none
// of them.
class RecordingPage : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;
    std::vector<QUrl> urls;

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override {
        if (isMainFrame)
            urls.push_back(url);
        return false;
    }
};

RecordingPage* Recorder() {
    static RecordingPage* page = [] {
        auto* p = new RecordingPage(Form4->WebBrowser1);
        Form4->WebBrowser1->setPage(p);
        return p;
    }();
    return page;
}

QString WaitForAddress() {
    for (int i = 0; i < 100 && Recorder()->urls.empty(); ++i)
        QTest::qWait(50);
    const auto& urls = Recorder()->urls;
    return urls.empty() ? QString() : urls.front().toString(QUrl::FullyEncoded);
}

QPoint ExpectedCentre(const QWidget* window) {
    QRect desktop;
    for (const QScreen* s : QGuiApplication::screens())
        desktop = desktop.united(s->geometry());
    return CentredOverPosition(frmMain->frameGeometry(), window->frameGeometry().size(), desktop);
}

// Points both WHOIS clients at `port`, without changing the server field.
void PointClients(int mainPort, int windowPort) {
    frmMain->IdWhois1.SetPort(mainPort);
    Form2->IdWhois1.SetPort(windowPort);
}

// Sets the server field without a query (the handler runs on user edits).
void SetServerFieldQuietly(const QString& text) {
    const QSignalBlocker block(Form2->ComboBoxEx1);
    Form2->ComboBoxEx1->setEditText(text);
}

class WhoisWindows : public testing::Test {
protected:
    void SetUp() override {
        Form2->hide();
        Form4->hide();
        Form5->hide();
        frmMain->move(40, 30);
    }
};

struct MemoCase {
    const char* name;
    std::string reply;
    QString memo;
};

class IpWhoisMemo : public WhoisWindows, public testing::WithParamInterface<MemoCase> {};

TEST_P(IpWhoisMemo, ShowsReplyWithOneBreakPerLineEnd) {
    LoopbackWhoisServer server(LoopbackWhoisServer::Answer(GetParam().reply));
    PointClients(server.Port(), orvanta::test::UnusedLoopbackPort());
    SetServerFieldQuietly(QStringLiteral("127.0.0.1"));
    Form1->IP->setText(QStringLiteral("\t192.0.2.7 \n"));
    ReportRecorder reports;
    frmMain->SpeedButton3->click();
    EXPECT_TRUE(reports.messages.empty());
    EXPECT_EQ(Form2->Memo1->toPlainText(), GetParam().memo);
    ASSERT_TRUE(server.WaitServed(1));
    EXPECT_EQ(server.Received().at(0), "192.0.2.7\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Replies, IpWhoisMemo,
    testing::Values(MemoCase{"CrLf", "a\r\nb\r\n\r\nc", "a\nb\n\nc"},
                    MemoCase{"LfOnly", "a\nb\nc", "a\nb\nc"}, MemoCase{"LoneCr", "a\rb", "a\nb"},
                    MemoCase{"NulCuts", std::string("shown\0hidden", 12), "shown"},
                    MemoCase{"Utf8", "Z\xc3\xbcrich", QString::fromUtf8("Z\xc3\xbcrich")},
                    MemoCase{"Latin1", "Z\xfcrich", QString::fromUtf8("Z\xc3\xbcrich")},
                    MemoCase{"Empty", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WhoisWindows, IpWhoisRecentresAndClears) {
    LoopbackWhoisServer server(LoopbackWhoisServer::Answer("second"), 1);
    PointClients(server.Port(), orvanta::test::UnusedLoopbackPort());
    SetServerFieldQuietly(QStringLiteral("localhost"));
    Form2->show();
    Form2->move(700, 500);
    Form2->Memo1->setPlainText(QStringLiteral("typed by the user"));
    frmMain->SpeedButton3Click();
    EXPECT_TRUE(Form2->isVisible());
    EXPECT_EQ(Form2->pos(), ExpectedCentre(Form2));
    EXPECT_EQ(Form2->Memo1->toPlainText(), "second");
}

TEST_F(WhoisWindows, IpWhoisEmptyServerReportsEmptyMessage) {
    PointClients(orvanta::test::UnusedLoopbackPort(), orvanta::test::UnusedLoopbackPort());
    SetServerFieldQuietly(QString());
    Form2->Memo1->setPlainText(QStringLiteral("old"));
    ReportRecorder reports;
    RunGuarded([] { frmMain->SpeedButton3Click(); });
    ASSERT_EQ(reports.messages.size(), 1u);
    EXPECT_EQ(reports.messages[0], QString());
    EXPECT_TRUE(Form2->isVisible());
    EXPECT_EQ(Form2->Memo1->toPlainText(), QString());
}

TEST_F(WhoisWindows, IpWhoisRefusedShowsSocketError) {
    PointClients(orvanta::test::UnusedLoopbackPort(), orvanta::test::UnusedLoopbackPort());
    SetServerFieldQuietly(QStringLiteral("127.0.0.1"));
    ReportRecorder reports;
    frmMain->SpeedButton3->click();
    ASSERT_EQ(reports.messages.size(), 1u);
    EXPECT_EQ(reports.messages[0], "Socket Error # 10061\r\nConnection refused.");
    EXPECT_EQ(Form2->Memo1->toPlainText(), QString());
}

TEST_F(WhoisWindows, QueryRunsUnderTheWaitCursor) {
    // Read on the server's thread while the program waits for the answer.
    std::atomic<int> shape{-1};
    LoopbackWhoisServer server([&](orvanta::test::WhoisConnection& c) {
        c.ReadQuery();
        const QCursor* cursor = QGuiApplication::overrideCursor();
        shape = cursor ? cursor->shape() : -2;
        c.Send("x");
        c.ShutdownSend();
    });
    PointClients(server.Port(), orvanta::test::UnusedLoopbackPort());
    SetServerFieldQuietly(QStringLiteral("127.0.0.1"));
    frmMain->SpeedButton3->click();
    ASSERT_TRUE(server.WaitServed(1));
    EXPECT_EQ(shape.load(), Qt::WaitCursor);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// The server field as the user edits it: a loopback server counts the
// queries. The list holds a loopback entry in place of the registries.
class ServerField : public WhoisWindows {
protected:
    void SetUp() override {
        WhoisWindows::SetUp();
        const QSignalBlocker block(Form2->ComboBoxEx1);
        Form2->ComboBoxEx1->addItem(QStringLiteral("127.0.0.1"));
        Form2->show();
        QApplication::setActiveWindow(Form2);
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form2));
        // The main window's client must not be used here.
        PointClients(orvanta::test::UnusedLoopbackPort(), server.Port());
        Form1->IP->setText(QStringLiteral("198.51.100.1"));
    }
    void TearDown() override {
        const QSignalBlocker block(Form2->ComboBoxEx1);
        Form2->ComboBoxEx1->removeItem(Form2->ComboBoxEx1->count() - 1);
    }
    void ExpectQueries(std::size_t count) {
        ASSERT_EQ(server.Queries().size(), count);
        if (count > 0) {
            EXPECT_EQ(server.Queries()[0], "198.51.100.1\r\n");
            EXPECT_EQ(Form2->Memo1->toPlainText(), "from field");
        }
        EXPECT_TRUE(reports.messages.empty()) << reports.messages.front().toStdString();
    }

    LoopbackWhoisServer server{LoopbackWhoisServer::Answer("from field"), 3};
    ReportRecorder reports;
};

// SwitchAway: to the main window and back, then leave the field.
enum class Finish { Nothing, Enter, Leave, Close, SwitchAway };

struct EditCase {
    const char* name;
    const char* before;
    const char* typed; // key by key, at the end of `before`
    Finish finish;
    std::size_t queries;
};

class ServerFieldEdit : public ServerField, public testing::WithParamInterface<EditCase> {};

TEST_P(ServerFieldEdit, AsksOnlyANameTheUserHasFinished) {
    SetServerFieldQuietly(QString::fromLatin1(GetParam().before));
    // Keys go to the box, which has the focus and hands them to its edit.
    QComboBox* box = Form2->ComboBoxEx1;
    box->setFocus();
    box->lineEdit()->end(false);
    QTest::keyClicks(box, QString::fromLatin1(GetParam().typed));
    EXPECT_TRUE(server.Queries().empty()); // no partial name is ever asked
    if (GetParam().finish == Finish::Enter)
        QTest::keyClick(box, Qt::Key_Return);
    else if (GetParam().finish == Finish::Leave)
        Form2->Memo1->setFocus();
    else if (GetParam().finish == Finish::Close)
        QTest::keyClick(box, Qt::Key_Escape);
    else if (GetParam().finish == Finish::SwitchAway) {
        QApplication::setActiveWindow(frmMain);
        ASSERT_TRUE(QTest::qWaitForWindowActive(frmMain));
        EXPECT_TRUE(server.Queries().empty()); // turning away finishes nothing
        QApplication::setActiveWindow(Form2);
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form2));
        ASSERT_TRUE(box->lineEdit()->hasFocus());
        Form2->Memo1->setFocus();
    }
    ExpectQueries(GetParam().queries);
}

INSTANTIATE_TEST_SUITE_P(
    Edits, ServerFieldEdit,
    testing::Values(EditCase{"NameThenEnter", "", "localhost", Finish::Enter, 1},
                    EditCase{"NameThenLeave", "", "localhost", Finish::Leave, 1},
                    EditCase{"NameNotFinished", "", "localhost", Finish::Nothing, 0},
                    EditCase{"NameThenWindowClosed", "", "localhost", Finish::Close, 0},
                    EditCase{"NameThenAwayAndBackThenLeave", "", "localhost", Finish::SwitchAway,
                             1},
                    // The box makes this a pick of the entry; still one query.
                    EditCase{"EntryTypedThenEnter", "", "127.0.0.1", Finish::Enter, 1},
                    EditCase{"EntryTypedThenLeave", "", "127.0.0.1", Finish::Leave, 1},
                    EditCase{"UnchangedThenLeave", "127.0.0.1", "", Finish::Leave, 0},
                    EditCase{"UnchangedThenEnter", "127.0.0.1", "", Finish::Enter, 1},
                    EditCase{"EmptyThenEnter", "", "", Finish::Enter, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ServerField, PickingAnEntryAsksOnce) {
    SetServerFieldQuietly(QStringLiteral("whois.invalid"));
    QComboBox* box = Form2->ComboBoxEx1;
    box->showPopup();
    QAbstractItemView* list = box->view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list->window()));
    const QModelIndex entry = list->model()->index(box->count() - 1, 0);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(entry).center());
    EXPECT_EQ(box->currentText(), "127.0.0.1");
    ExpectQueries(1);
    Form2->Memo1->setFocus(); // leaving the field afterwards asks nothing more
    ExpectQueries(1);
}

TEST_F(WhoisWindows, ServerListHoldsRipeThenArinThenRdap) {
    ASSERT_EQ(Form2->ComboBoxEx1->count(), 3);
    EXPECT_EQ(Form2->ComboBoxEx1->itemText(0), "whois.ripe.net");
    EXPECT_EQ(Form2->ComboBoxEx1->itemText(1), "whois.arin.net");
    EXPECT_EQ(Form2->ComboBoxEx1->itemText(2), "RDAP");
}

// Sets an environment variable for one test and puts it back after.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnvironment() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST_F(WhoisWindows, RdapEntryShowsTheNetworksRecordOrReportsWhy) {
    orvanta::test::TempFolder cache;
    orvanta::test::FakeRdapServer iana("127.0.0.1");
    orvanta::test::FakeRdapServer rir("127.0.0.5");
    iana.Set("/ipv4.json",
             orvanta::test::JsonReply(orvanta::test::Ipv4Bootstrap("192.0.2.0/24", rir.Base())));
    rir.Set("/ip/192.0.2.7", orvanta::test::JsonReply(orvanta::test::NetworkAnswer()));
    const ScopedEnvironment bootstrap("ORVANTA_RDAP_BOOTSTRAP", iana.Base());
    const ScopedEnvironment cacheHome("XDG_CACHE_HOME", cache.path().string());
    LoopbackWhoisServer port43(LoopbackWhoisServer::Answer("not to be asked"));
    PointClients(port43.Port(), port43.Port());
    SetServerFieldQuietly(QStringLiteral("RDAP"));
    Form1->IP->setText(QStringLiteral(" 192.0.2.7\t"));
    ReportRecorder reports;
    frmMain->SpeedButton3->click();
    EXPECT_TRUE(reports.messages.empty());
    const QString memo = Form2->Memo1->toPlainText();
    for (const char* line : {"Range:        192.0.2.0 - 192.0.2.255", "CIDR:         192.0.2.0/24",
                             "Holder:       Example Networks (EXNET)",
                             "Abuse:        abuse@net.example, +1-555-0199", "  Not routed."})
        EXPECT_TRUE(memo.contains(QString::fromUtf8(line))) << line << "\n" << memo.toStdString();
    EXPECT_TRUE(
        memo.contains(QString::fromStdString("Source:       " + rir.Base() + "ip/192.0.2.7")));
    EXPECT_EQ(rir.Targets(), std::vector<std::string>{"/ip/192.0.2.7"});
    EXPECT_TRUE(std::filesystem::exists(cache.path() / "orvanta" / "rdap" / "ipv4.json"));

    Form1->IP->setText(QStringLiteral("198.51.100.1"));
    frmMain->SpeedButton3->click();
    ASSERT_EQ(reports.messages.size(), 1u);
    // The quote sorts before ".", so the report adds no full stop.
    EXPECT_EQ(ErrorReportText(reports.messages[0]).toStdString(),
              "RDAP: no RDAP service is listed for \"198.51.100.1\"");
    EXPECT_EQ(Form2->Memo1->toPlainText(), QString());
    EXPECT_TRUE(port43.Received().empty());
    SetServerFieldQuietly(QString::fromLatin1(TForm2::kArinServer));
}

TEST_F(WhoisWindows, Ipv6AddressesGoToPort43AndRdapAsTyped) {
    orvanta::test::TempFolder cache;
    orvanta::test::FakeRdapServer iana("127.0.0.1");
    orvanta::test::FakeRdapServer rir("127.0.0.6");
    iana.Set("/ipv6.json",
             orvanta::test::JsonReply(orvanta::test::Ipv4Bootstrap("2001:db8::/32", rir.Base())));
    rir.Set("/ip/2001:DB8::7",
            orvanta::test::JsonReply(R"({"objectClassName": "ip network", "name": "DOC-V6",
              "startAddress": "2001:db8::", "endAddress": "2001:db8:ffff:ffff:ffff:ffff:ffff:ffff",
              "cidr0_cidrs": [{"v6prefix": "2001:db8::", "length": 32}]})"));
    const ScopedEnvironment bootstrap("ORVANTA_RDAP_BOOTSTRAP", iana.Base());
    const ScopedEnvironment cacheHome("XDG_CACHE_HOME", cache.path().string());
    LoopbackWhoisServer port43(LoopbackWhoisServer::Answer("inet6num: 2001:db8::/32"));
    PointClients(port43.Port(), orvanta::test::UnusedLoopbackPort());
    SetServerFieldQuietly(QStringLiteral("127.0.0.1"));
    Form1->IP->setText(QStringLiteral("2001:DB8::7"));
    ReportRecorder reports;
    frmMain->SpeedButton3->click();
    EXPECT_EQ(Form2->Memo1->toPlainText(), "inet6num: 2001:db8::/32");
    ASSERT_TRUE(port43.WaitServed(1));
    EXPECT_EQ(port43.Received().at(0), "2001:DB8::7\r\n");

    SetServerFieldQuietly(QStringLiteral("RDAP"));
    frmMain->SpeedButton3->click();
    EXPECT_TRUE(reports.messages.empty());
    const QString memo = Form2->Memo1->toPlainText();
    for (const char* line : {"Range:        2001:db8:: - 2001:db8:ffff:ffff:ffff:ffff:ffff:ffff",
                             "CIDR:         2001:db8::/32", "Name:         DOC-V6"})
        EXPECT_TRUE(memo.contains(QString::fromUtf8(line))) << line << "\n" << memo.toStdString();
    EXPECT_EQ(rir.Targets(), std::vector<std::string>{"/ip/2001:DB8::7"});
    EXPECT_TRUE(std::filesystem::exists(cache.path() / "orvanta" / "rdap" / "ipv6.json"));
    SetServerFieldQuietly(QString::fromLatin1(TForm2::kArinServer));
}

struct FieldCase {
    const char* name;
    const char* pasted;
    const char* settled;
};

class DomainField : public WhoisWindows, public testing::WithParamInterface<FieldCase> {};

TEST_P(DomainField, CleansItselfAfterPaste) {
    Form5->domain->clear();
    Form5->domain->insert(QString::fromUtf8(GetParam().pasted));
    EXPECT_EQ(Form5->domain->text(), QString::fromUtf8(GetParam().settled));
}

INSTANTIATE_TEST_SUITE_P(Pastes, DomainField,
                         testing::Values(FieldCase{"FullAddress", "http://www.HOST/a/b", "HOSTab"},
                                         FieldCase{"UpperCase", "HTTPS://WWW.Host/", "Host"},
                                         FieldCase{"Rebuilt", "wwhttp://w.HOST", "HOST"},
                                         FieldCase{"OtherScheme", "ftp://HOST", "ftp:HOST"},
                                         FieldCase{"OnlyWww", "www.", ""}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WhoisWindows, DomainFieldTypedKeyByKey) {
    Form5->domain->clear();
    QTest::keyClicks(Form5->domain, QStringLiteral("www."));
    EXPECT_EQ(Form5->domain->text(), QString());
    QTest::keyClicks(Form5->domain, QStringLiteral("http://"));
    EXPECT_EQ(Form5->domain->text(), "http:");
}

TEST_F(WhoisWindows, OpenersCentreTheirWindows) {
    frmMain->SpeedButton4->click();
    EXPECT_TRUE(Form5->isVisible());
    EXPECT_EQ(Form5->pos(), ExpectedCentre(Form5));
    Form5->move(5, 5);
    frmMain->SpeedButton4->click();
    EXPECT_EQ(Form5->pos(), ExpectedCentre(Form5));

    // The band of the picture below the "Domain whois" button.
    QTest::mouseClick(frmMain->Image9, Qt::LeftButton, {}, QPoint(50, 68));
    EXPECT_TRUE(Form4->isVisible());
    EXPECT_EQ(Form4->pos(), ExpectedCentre(Form4));
}

struct SearchCase {
    const char* name;
    const char* domain;
    const char* address; // FullyEncoded form the browser requests
};

class DomainSearchAddress : public WhoisWindows, public testing::WithParamInterface<SearchCase> {};

TEST_P(DomainSearchAddress, NavigatesEncoded) {
    Recorder()->urls.clear();
    Form5->domain->setText(QString::fromUtf8(GetParam().domain));
    ReportRecorder reports;
    RunGuarded([] { Form5->FlatButton2Click(); });
    EXPECT_TRUE(Form4->isVisible());
    EXPECT_EQ(Form4->pos(), ExpectedCentre(Form4));
    EXPECT_EQ(WaitForAddress(), GetParam().address);
}

INSTANTIATE_TEST_SUITE_P(
    Domains, DomainSearchAddress,
    testing::Values(
        SearchCase{"Plain", "example.invalid",
                   "http://whois.orvanta.localhost/whois/whois.php?query=example.invalid%20+%20"
                   "&output=nice"},
        SearchCase{"Empty", "",
                   "http://whois.orvanta.localhost/whois/whois.php?query=%20+%20&output=nice"},
        SearchCase{"QueryBreakers", "a&b#c?d%e .invalid",
                   "http://whois.orvanta.localhost/whois/whois.php?query="
                   "a%26b%23c%3Fd%25e%20.invalid%20+%20&output=nice"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WhoisWindows, DomainSearchUnresolvableGivesZeroAddress) {
    Form5->show();
    Form5->domain->setText(QStringLiteral("no-such-host.invalid"));
    ReportRecorder reports;
    Form5->FlatButton2->click();
    EXPECT_EQ(Form1->IP->text(), "0.0.0.0");
    EXPECT_TRUE(reports.messages.empty()); // the locate command rejects it silently
    EXPECT_FALSE(Form5->isVisible());
    EXPECT_FALSE(Form1->isVisible());
    EXPECT_EQ(Form5->domain->text(), "no-such-host.invalid");
}

TEST_F(WhoisWindows, DomainSearchResolvesLocalhost) {
    Form5->domain->setText(QStringLiteral("localhost"));
    ReportRecorder reports;
    RunGuarded([] { Form5->FlatButton2Click(); });
    EXPECT_EQ(Form1->IP->text(), "127.0.0.1");
}

TEST_F(WhoisWindows, HiddenButtonUsesSecondShape) {
    Recorder()->urls.clear();
    Form4->Edit1->setText(QStringLiteral("x&y"));
    Form4->Edit1Click();
    EXPECT_EQ(WaitForAddress(), "http://whois.orvanta.localhost/phpwhois-4.2.2/example.php?"
                                "query=x%26y%20+%20&output=nice");
}

struct ProgressCase {
    const char* name;
    int progress;
    int maximum;
    int shownValue; // -1: empty bar
    int shownMaximum;
};

class WebWhoisProgress : public WhoisWindows, public testing::WithParamInterface<ProgressCase> {};

TEST_P(WebWhoisProgress, FollowsTheBrowser) {
    Form4->WebBrowser1DownloadBegin();
    EXPECT_EQ(Form4->ProgressBar1->value(), 0);
    Form4->WebBrowser1ProgressChange(GetParam().progress, GetParam().maximum);
    EXPECT_EQ(Form4->ProgressBar1->maximum(), GetParam().shownMaximum);
    EXPECT_EQ(Form4->ProgressBar1->value(), GetParam().shownValue);
}

INSTANTIATE_TEST_SUITE_P(Events, WebWhoisProgress,
                         testing::Values(ProgressCase{"Half", 50, 100, 50, 100},
                                         ProgressCase{"OtherMaximum", 30, 60, 30, 60},
                                         ProgressCase{"Ended", -1, 100, -1, 100},
                                         ProgressCase{"PastMaximum", 150, 100, 100, 100}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WhoisWindows, NegativeMaximumIsReported) {
    ReportRecorder reports;
    RunGuarded([] { Form4->WebBrowser1ProgressChange(10, -1); });
    ASSERT_EQ(reports.messages.size(), 1u);
    EXPECT_EQ(ErrorReportText(reports.messages[0]), "TProgressBar property out of range.");
}

} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    const orvanta::test::ScopedCacheHome cacheHome; // the map profile's folder
    // The open map, offline: street tiles from a loopback port nothing
    // listens on.
    ::unsetenv("ORVANTA_MAP");
    ::unsetenv("ORVANTA_MAPS_API_KEY");
    ::setenv("ORVANTA_TILE_URL", "http://127.0.0.1:9/{z}/{x}/{y}.png", 1);
    QApplication app(argc, argv);
    LoadProgramFonts();
    // A domain search locates its address; the map answers a place the
    // (empty) database does not hold with its alert box, as specified.
    // These tests do not look at the map: such a box is closed at once.
    QTimer dismissAlerts;
    QObject::connect(&dismissAlerts, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->accept();
    });
    dismissAlerts.start(50);
    // The start-up check wants a database file in the current directory.
    QTemporaryDir dir;
    QFile db(dir.filePath(QStringLiteral("GeoLiteCity.dat")));
    if (!dir.isValid() || !db.open(QIODevice::WriteOnly))
        return 2;
    db.close();
    QDir::setCurrent(dir.path());
    CreateForms();
    frmMain->show();
    const int result = RUN_ALL_TESTS();
    delete frmMain; // with it the windows it owns, browser views included
    QDir::setCurrent(QDir::tempPath());
    return result;
}
