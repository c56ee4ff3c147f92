// SPDX-License-Identifier: GPL-3.0-or-later
// The domain search as a user meets it: the domain dialog's Search shows
// the web whois window, whose page the program answers itself from the
// referral chain (loopback WHOIS servers here), while the window stays
// responsive and its progress bar follows the load.
//
// Set ORVANTA_WHOIS_SCREENSHOT=<file.png> to keep a picture of the window.
#include "LoopbackWhoisServer.h"
#include "WindowTestSupport.h"
#include "forms/StartUp.h"
#include "forms/Unit4.h"
#include "forms/Unit5.h"
#include "forms/chrome/TFlatButton.h"
#include "forms/support/ErrorReport.h"
#include "site/SiteScheme.h"
#include "webwhois/TWhoisChain.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QProgressBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineView>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

using orvanta::test::LoopbackWhoisServer;

TEST(WebWhoisWindow, DomainSearchShowsTheReferralChain) {
    auto root =
        LoopbackWhoisServer::Answering("127.0.0.1", 0, "domain: INVALID\nrefer: 127.0.0.2\n");
    auto registry = LoopbackWhoisServer::Answering(
        "127.0.0.2", root.Port(),
        "Domain Name: DOMAIN.INVALID\nRegistrar WHOIS Server: 127.0.0.3\n");
    auto registrar = LoopbackWhoisServer::Answering("127.0.0.3", root.Port(),
                                                    "Registrant Name: <b>Someone</b>\n");
    orvanta::webwhois::WhoisChainSettings settings;
    settings.rootServer = "127.0.0.1";
    settings.port = root.Port();
    TSiteScheme::setWhoisSettings(settings);

    // An empty folder: the located address of an unresolvable name is
    // rejected before any database is opened.
    QTemporaryDir dir;
    const QString oldDir = QDir::currentPath();
    QDir::setCurrent(dir.path());
    QStringList reported;
    SetErrorReportSink([&](const QString& message) { reported << message; });
    defaultProfileFake().setMode(FakeMapsApi::Mode::Fail);
    CreateForms();

    QList<int> positions;
    QObject::connect(Form4->ProgressBar1, &QProgressBar::valueChanged,
                     [&](int value) { positions << value; });
    Form5->domain->setText("domain.invalid");
    QElapsedTimer clock;
    clock.start();
    Form5->FlatButton2->click();
    EXPECT_LT(clock.elapsed(), 1000); // the click does not wait for the servers
    EXPECT_TRUE(Form4->isVisible());

    QWebEnginePage& page = *Form4->WebBrowser1->page();
    ASSERT_TRUE(waitForJs(page,
                          "document.body && document.body.innerText.indexOf("
                          "'Registrant Name: <b>Someone</b>') >= 0",
                          8000))
        << evalJs(page, "document.body ? document.body.innerText : ''").toString().toStdString();
    const QString text = evalJs(page, "document.body.innerText").toString();
    const qsizetype first = text.indexOf("Server: 127.0.0.1");
    const qsizetype second = text.indexOf("Server: 127.0.0.2");
    const qsizetype third = text.indexOf("Server: 127.0.0.3");
    EXPECT_TRUE(first >= 0 && first < second && second < third) << text.toStdString();
    EXPECT_EQ(registrar.Queries(), std::vector<std::string>{"domain.invalid\r\n"});
    // The bar moved while the page loaded, and the end of the load emptied it.
    EXPECT_TRUE(std::any_of(positions.begin(), positions.end(), [](int p) { return p > 0; }))
        << positions.size();
    EXPECT_EQ(Form4->ProgressBar1->value(), Form4->ProgressBar1->minimum() - 1);
    EXPECT_TRUE(reported.isEmpty()) << reported.join("; ").toStdString();

    const QString shot = qEnvironmentVariable("ORVANTA_WHOIS_SCREENSHOT");
    if (!shot.isEmpty()) {
        QEventLoop settle;
        QTimer::singleShot(500, &settle, &QEventLoop::quit);
        settle.exec();
        const QRect frame = Form4->frameGeometry();
        Form4->screen()
            ->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height())
            .save(shot);
    }
    SetErrorReportSink({});
    QDir::setCurrent(oldDir);
}

} // namespace
