// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/Unit4.h"

#include "forms/chrome/DialogChrome.h"
#include "forms/chrome/TFlatTitlebar.h"
#include "forms/chrome/TImage.h"
#include "forms/support/Guard.h"
#include "forms/support/SystemColors.h"
#include "net/WebWhoisAddress.h"

#include <QEvent>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QUrl>
#include <QWebEngineView>
#include <algorithm>
#include <stdexcept>

TForm4* Form4 = nullptr;

namespace {
constexpr int kClientWidth = 601;
constexpr int kClientHeight = 509;
constexpr int kBrowserHeight = 457;
constexpr int kProgressHeight = 19;
} // namespace

TForm4::TForm4(QWidget* owner) : TBorderlessWindow(owner, Sizing::Fixed) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Domain Whois Lookup"));
    const DialogChrome chrome =
        DialogChrome::Add(*this, {kClientWidth, kClientHeight}, SystemColors::BtnFace(),
                          QStringLiteral("Domain Whois Lookup"));
    FlatTitlebar1 = chrome.Titlebar;
    Image1 = chrome.Close;
    QWidget* client = Client();

    WebBrowser1 = new QWebEngineView(client);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setAccessibleName(QStringLiteral("Web whois page"));
    WebBrowser1->setGeometry(0, TFlatTitlebar::kHeight, kClientWidth, kBrowserHeight);

    ProgressBar1 = new QProgressBar(client);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setAccessibleName(QStringLiteral("Page progress"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setGeometry(0, kClientHeight - kProgressHeight, kClientWidth, kProgressHeight);

    // Never shown: they take no space and receive no input.
    Edit1 = new QLineEdit(client);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setAccessibleName(QStringLiteral("Edit1"));
    Edit1->setGeometry(0, kClientHeight - 26, kClientWidth, 26);
    Edit1->hide();
    Edit1->installEventFilter(this);
    Button1 = new QPushButton(QStringLiteral("Button1"), client);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(kClientWidth - 75, kClientHeight - 26, 75, 25);
    Button1->hide();

    connect(Image1, &TImage::Clicked, this, Guarded([this] { Image1Click(); }));
    connect(chrome.Escape, &QShortcut::activated, this, Guarded([this] { Image1Click(); }));
    connect(Button1, &QPushButton::clicked, this, Guarded([this] { Button1Click(); }));
    connect(WebBrowser1, &QWebEngineView::loadStarted, this,
            Guarded([this] { WebBrowser1DownloadBegin(); }));
    connect(WebBrowser1, &QWebEngineView::loadProgress, this,
            Guarded([this](int progress) { WebBrowser1ProgressChange(progress, 100); }));
    // The engine reports no position once a load is over; -1 says so.
    connect(WebBrowser1, &QWebEngineView::loadFinished, this,
            Guarded([this] { WebBrowser1ProgressChange(-1, 100); }));
}

void TForm4::Navigate(const std::string& address) {
    const QUrl url(QString::fromUtf8(address.data(), static_cast<qsizetype>(address.size())));
    if (!url.isValid()) {
        throw std::runtime_error(url.errorString().toStdString());
    }
    WebBrowser1->load(url);
}

void TForm4::WebBrowser1DownloadBegin() {
    ProgressBar1->setValue(0);
}

void TForm4::WebBrowser1ProgressChange(int progress, int progressMax) {
    if (progressMax < 0) {
        throw std::runtime_error("TProgressBar property out of range");
    }
    // A 0..0 range would turn the bar into a busy indicator.
    ProgressBar1->setRange(0, progressMax > 0 ? progressMax : 1);
    if (progress < 0) {
        ProgressBar1->reset(); // shows an empty bar
    } else {
        ProgressBar1->setValue(std::min(progress, ProgressBar1->maximum()));
    }
}

void TForm4::Edit1Click() {
    Button1Click();
}

void TForm4::Button1Click() {
    Navigate(orvanta::net::WebWhoisExampleAddress(Edit1->text().toStdString()));
}

void TForm4::Image1Click() {
    hide();
}

bool TForm4::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit1 && event->type() == QEvent::MouseButtonRelease) {
        RunGuarded([this] { Edit1Click(); });
    }
    return TBorderlessWindow::eventFilter(watched, event);
}
