// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/NetAbout.h"

#include "Pictures.h"
#include "forms/chrome/TLinkLabel.h"
#include "forms/fMain.h"
#include "forms/support/AppTitle.h"
#include "forms/support/BuildInfo.h"
#include "forms/support/FileVersion.h"
#include "forms/support/Guard.h"
#include "forms/support/SystemColors.h"
#include "forms/support/WindowPlacement.h"

#include <QCoreApplication>
#include <QDate>
#include <QDesktopServices>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

TAboutDialog* AboutDialog = nullptr;

namespace {
// The licence and the rights holders; the last element is the year,
// followed by one blank. Short enough for one line beside the icon.
const char* const kCopyrightTemplate = "GPL-3.0-or-later, \u00a9 Orvanta developers %1 ";

QLabel* LabelAt(const QString& text, const char* name, int x, int y, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(x, y);
    label->adjustSize();
    return label;
}
} // namespace

TAboutDialog::TAboutDialog(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                         Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("AboutDialog"));
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(361, 89);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, SystemColors::BtnFace());
    setPalette(pal);

    imgProgram = LabelAt({}, "imgProgram", 16, 17, this);
    imgProgram->resize(48, 48);
    lblName = LabelAt(QStringLiteral("Name"), "lblName", 80, 9, this);
    lblVersion = LabelAt(QStringLiteral("Version %1 (Build %2)"), "lblVersion", 80, 29, this);
    lblCopyright = LabelAt(QString::fromUtf8(kCopyrightTemplate), "lblCopyright", 80, 48, this);
    Label1 = new TLinkLabel(HomeUrl(), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(80, 68);
    Label1->adjustSize();
    btnOk = new QPushButton(QStringLiteral("OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setGeometry(276, 10, 75, 25);
    btnOk->setDefault(true);

    connect(btnOk, &QPushButton::clicked, this, Guarded([this] { btnOkClick(); }));
    connect(Label1, &TLinkLabel::Clicked, this, Guarded([this] { Label1Click(); }));
    EmbeddedVersionBlock();
}

QString TAboutDialog::HomeUrl() {
    return QStringLiteral(ORVANTA_HOME_URL);
}

void TAboutDialog::FormCreate() {
    const QString title = ApplicationTitle();
    setWindowTitle(QStringLiteral("%1 %2").arg(windowTitle(), title));
    const QIcon icon(Pictures::ProgramIcon);
    imgProgram->setPixmap(icon.pixmap(QSize(48, 48), devicePixelRatio()));
    lblName->setText(title);
    lblName->adjustSize();
    QString version, build;
    ReadFileVersion(QCoreApplication::applicationFilePath(), version, build);
    lblVersion->setText(lblVersion->text().arg(version, build));
    lblVersion->adjustSize();
    const QString year = QDate::currentDate().toString(QStringLiteral("yyyy"));
    lblCopyright->setText(lblCopyright->text().arg(year));
    lblCopyright->adjustSize();
    // Every window is created before the main window shows, so this is
    // always centred on the screen in practice.
    placement_ = (frmMain && frmMain->isVisible()) ? Placement::OverOwner : Placement::OnScreen;
}

void TAboutDialog::setVisible(bool visible) {
    // The placement applies once, at the first showing; afterwards the window
    // comes back where the user left it.
    if (visible && !placed_) {
        placed_ = true;
        if (placement_ == Placement::OnScreen)
            PlaceCentredOnScreen(this);
        else if (parentWidget())
            PlaceCentredOver(this, parentWidget());
    }
    QDialog::setVisible(visible);
}

void TAboutDialog::btnOkClick() {
    close();
}

void TAboutDialog::Label1Click() {
    QDesktopServices::openUrl(QUrl(HomeUrl()));
}
