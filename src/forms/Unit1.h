// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TForm1: the IP entry dialog. Its edit IP holds the current address for the
// whole program: the locate command and the whois commands read it, the
// results list actions and the domain dialog write it. Hidden at start-up,
// opened centred by the main window's "IP location" button, hidden again by
// Search and by its close picture; it keeps its text while hidden.
#include "forms/chrome/TBorderlessWindow.h"

class QLineEdit;
class TFlatButton;
class TFlatTitlebar;
class TImage;

class TForm1 : public TBorderlessWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* owner);

    TFlatTitlebar* FlatTitlebar1;
    TImage* Image1;
    QLineEdit* IP;
    TFlatButton* FlatButton2;

    void IPChange();
    void FlatButton2Click();
    void Image1Click();
};

extern TForm1* Form1;
