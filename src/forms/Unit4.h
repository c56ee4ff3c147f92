// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TForm4: the web whois window. A browser area shows the web whois page a
// domain search (or the hidden Edit1/Button1 pair) asks for; the progress
// bar under it follows the page's loading.
#include "forms/chrome/TBorderlessWindow.h"

#include <string>

class QLineEdit;
class QProgressBar;
class QPushButton;
class QWebEngineView;
class TFlatTitlebar;
class TImage;

class TForm4 : public TBorderlessWindow {
    Q_OBJECT
public:
    explicit TForm4(QWidget* owner);

    TFlatTitlebar* FlatTitlebar1;
    TImage* Image1;
    QWebEngineView* WebBrowser1;
    QProgressBar* ProgressBar1;
    QLineEdit* Edit1;
    QPushButton* Button1;

    // Starts loading `address` (UTF-8) and returns at once. Throws when the
    // address is not one the browser can load.
    void Navigate(const std::string& address);

    void WebBrowser1DownloadBegin();
    // Maximum first, then the position; a negative position empties the
    // bar, a negative maximum throws "TProgressBar property out of range".
    void WebBrowser1ProgressChange(int progress, int progressMax);
    void Edit1Click();
    void Button1Click();
    void Image1Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

extern TForm4* Form4;
