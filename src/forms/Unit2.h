// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TForm2: the IP whois window. Shows the WHOIS record of the current
// address, asked of the server named in the field at its foot. Queries
// block the window until the server has answered (the client bounds how
// long), under a wait cursor and with the window painted first; failures go
// to the error report and leave the memo empty.
#include "forms/chrome/TBorderlessWindow.h"
#include "net/TIdWhois.h"

class QComboBox;
class QPlainTextEdit;
class TFlatTitlebar;
class TImage;

class TForm2 : public TBorderlessWindow {
    Q_OBJECT
public:
    static constexpr const char* kRipeServer = "whois.ripe.net";
    static constexpr const char* kArinServer = "whois.arin.net";
    // The last list entry: the address's registry asked over RDAP instead
    // of a WHOIS server.
    static constexpr const char* kRdapEntry = "RDAP";

    explicit TForm2(QWidget* owner);

    TFlatTitlebar* FlatTitlebar1;
    TImage* Image1;
    QPlainTextEdit* Memo1;
    QComboBox* ComboBoxEx1;
    // This window's own client, used when the server field changes.
    orvanta::net::TIdWhois IdWhois1;

    // The IP whois sequence: show and centre over `mainWindow`, then query
    // `ipText` with `client` against the server in ComboBoxEx1.
    void RunIpWhois(const QWidget* mainWindow, orvanta::net::TIdWhois& client,
                    const QString& ipText);
    // Asks the server now named in the field again, unless the field is
    // empty. Runs when the user picks an entry, presses Enter in the field
    // or leaves it after editing it.
    void ComboBoxEx1Change();
    void Image1Click();

protected:
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void WireServerField();
    // Clear, point `client` at the field's server (or ask RDAP when the
    // field says so), query, show the reply.
    void QueryInto(orvanta::net::TIdWhois& client, const QString& ipText);

    // The field was edited, or Enter pressed in it, since the last query.
    bool serverEdited_ = false;
    bool serverEntered_ = false;
};

extern TForm2* Form2;

// The main window's "IP Whois" command: the sequence above for TForm1's IP
// with the main window's client.
void RunIpWhois();
