// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/Unit2.h"

#include "forms/Unit1.h"
#include "forms/chrome/DialogChrome.h"
#include "forms/chrome/PaintNow.h"
#include "forms/chrome/TBusyCursor.h"
#include "forms/chrome/TFlatTitlebar.h"
#include "forms/chrome/TImage.h"
#include "forms/fMain.h"
#include "forms/support/Guard.h"
#include "forms/support/SystemColors.h"
#include "forms/support/WindowPlacement.h"
#include "net/WhoisReplyText.h"
#include "rdap/IpNetworkLookup.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShortcut>

TForm2* Form2 = nullptr;

namespace {
constexpr int kClientWidth = 601;
constexpr int kClientHeight = 509;
constexpr int kMemoHeight = 454;
constexpr int kFieldHeight = 22;

// Trimmed of every leading and trailing character with a code of 32 or
// less, blanks and control characters alike.
QString TrimControls(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first).unicode() <= 32)
        ++first;
    while (last > first && text.at(last - 1).unicode() <= 32)
        --last;
    return text.mid(first, last - first);
}
} // namespace

TForm2::TForm2(QWidget* owner) : TBorderlessWindow(owner, Sizing::Fixed) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("IP Whois Lookup"));
    const DialogChrome chrome =
        DialogChrome::Add(*this, {kClientWidth, kClientHeight}, SystemColors::Window(),
                          QStringLiteral("IP Whois Lookup"));
    FlatTitlebar1 = chrome.Titlebar;
    Image1 = chrome.Close;
    QWidget* client = Client();

    Memo1 = new QPlainTextEdit(client);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setAccessibleName(QStringLiteral("Whois record"));
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setGeometry(0, TFlatTitlebar::kHeight, kClientWidth, kMemoHeight);

    ComboBoxEx1 = new QComboBox(client);
    ComboBoxEx1->setObjectName(QStringLiteral("ComboBoxEx1"));
    ComboBoxEx1->setAccessibleName(QStringLiteral("Whois server"));
    ComboBoxEx1->setEditable(true);
    // The list is fixed, and the text is exactly what the user typed: no
    // completion that would change it behind the user's back.
    ComboBoxEx1->setInsertPolicy(QComboBox::NoInsert);
    ComboBoxEx1->setCompleter(nullptr);
    ComboBoxEx1->addItem(QString::fromLatin1(kRipeServer));
    ComboBoxEx1->addItem(QString::fromLatin1(kArinServer));
    ComboBoxEx1->addItem(QString::fromLatin1(kRdapEntry));
    ComboBoxEx1->setCurrentIndex(-1);
    ComboBoxEx1->setEditText(QString::fromLatin1(kArinServer));
    ComboBoxEx1->setGeometry(0, kClientHeight - kFieldHeight, kClientWidth, kFieldHeight);

    connect(Image1, &TImage::Clicked, this, Guarded([this] { Image1Click(); }));
    connect(chrome.Escape, &QShortcut::activated, this, Guarded([this] { Image1Click(); }));
    WireServerField();
}

void TForm2::WireServerField() {
    // The current address goes only to a server the user has finished
    // naming: an entry picked from the list, Enter in the field, or leaving
    // the field after editing it. A partial name is never asked.
    QLineEdit* edit = ComboBoxEx1->lineEdit();
    connect(edit, &QLineEdit::textEdited, this, [this] { serverEdited_ = true; });
    connect(edit, &QLineEdit::returnPressed, this, [this] { serverEntered_ = true; });
    // The box turns the end of an edit into a pick (activated) when the
    // text is an entry's, also when the user only passed through the field:
    // only the user's own picks count here.
    disconnect(edit, &QLineEdit::editingFinished, ComboBoxEx1, nullptr);
    connect(edit, &QLineEdit::editingFinished, this, Guarded([this] {
                // Closing the window or turning to another one is no
                // leaving of the field: the name may be half typed.
                if ((serverEdited_ || serverEntered_) && isVisible() && isActiveWindow())
                    ComboBoxEx1Change();
            }));
    // The edit reports the end of an edit only once: after the user turned
    // to another window and back, leaving the field says nothing more. The
    // focus itself still tells that the user moved on; the box holds it and
    // hands its focus events to the edit directly.
    ComboBoxEx1->installEventFilter(this);
    connect(ComboBoxEx1, &QComboBox::activated, this, Guarded([this] { ComboBoxEx1Change(); }));
}

void TForm2::RunIpWhois(const QWidget* mainWindow, orvanta::net::TIdWhois& client,
                        const QString& ipText) {
    ShowCentredOver(this, mainWindow);
    QueryInto(client, ipText);
}

void TForm2::ComboBoxEx1Change() {
    // Cleared first: an error report taking the focus ends the editing
    // again, which must not ask once more.
    serverEdited_ = false;
    serverEntered_ = false;
    if (ComboBoxEx1->currentText().isEmpty())
        return;
    QueryInto(IdWhois1, Form1->IP->text());
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && watched == ComboBoxEx1) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // Before the edit's own handler, so that its end-of-edit report
        // finds the query done and asks nothing more.
        if (serverEdited_ && reason != Qt::ActiveWindowFocusReason &&
            reason != Qt::PopupFocusReason && isVisible() && isActiveWindow())
            RunGuarded([this] { ComboBoxEx1Change(); });
    }
    return TBorderlessWindow::eventFilter(watched, event);
}

void TForm2::Image1Click() {
    hide();
}

void TForm2::hideEvent(QHideEvent* event) {
    // An edit left unfinished when the window closed is dropped.
    serverEdited_ = false;
    serverEntered_ = false;
    TBorderlessWindow::hideEvent(event);
}

void TForm2::QueryInto(orvanta::net::TIdWhois& client, const QString& ipText) {
    const TBusyCursor busy;
    Memo1->clear();
    PaintNow(this);
    const QString server = ComboBoxEx1->currentText();
    const std::string address = TrimControls(ipText).toStdString();
    std::string reply;
    if (server == QLatin1String(kRdapEntry)) {
        reply = orvanta::rdap::IpNetworkLookup(orvanta::rdap::Settings::FromEnvironment())
                    .RecordText(address);
    } else {
        client.SetHost(server.toStdString());
        reply = client.Query(address);
    }
    Memo1->setPlainText(QString::fromStdString(orvanta::net::WhoisReplyText(reply)));
}

void RunIpWhois() {
    Form2->RunIpWhois(frmMain, frmMain->IdWhois1, Form1->IP->text());
}
