// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TAboutDialog: the About window, with the platform's ordinary dialog frame,
// owned by the main window. FormCreate fills its texts once at start-up:
// "About <title>", the icon, the name, "Version 1.1 (Build 0.103)" read from
// the executable, and the rights notice with the year at start-up. It shows
// centred on the screen the first time and where it was left afterwards;
// OK, Enter, Esc and the close button hide it.
#include <QDialog>

class QLabel;
class QPushButton;
class TLinkLabel;

class TAboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit TAboutDialog(QWidget* owner);

    QLabel* imgProgram;
    QLabel* lblName;
    QLabel* lblVersion;
    QLabel* lblCopyright;
    TLinkLabel* Label1;
    QPushButton* btnOk;

    void FormCreate();
    void btnOkClick();
    void Label1Click();

    // The maker's web address, the link's caption and target.
    static QString HomeUrl();

    void setVisible(bool visible) override;

private:
    enum class Placement { OnScreen, OverOwner };
    Placement placement_ = Placement::OverOwner;
    bool placed_ = false;
};

extern TAboutDialog* AboutDialog;
