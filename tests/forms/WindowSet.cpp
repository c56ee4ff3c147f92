#include "WindowSet.h"

#include "LoopbackWhoisServer.h"
#include "forms/StartUp.h"
#include "forms/Unit2.h"
#include "forms/fMain.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QSignalBlocker>
#include <QTemporaryDir>
#include <QTest>

void CreateWindowSetOnce() {
    if (frmMain)
        return;
    static QTemporaryDir dir;
    QFile db(dir.filePath(QStringLiteral("GeoLiteCity.dat")));
    db.open(QIODevice::WriteOnly);
    db.close();
    const QString old = QDir::currentPath();
    QDir::setCurrent(dir.path());
    CreateForms();
    frmMain->move(100, 50);
    frmMain->show();
    (void)QTest::qWaitForWindowExposed(frmMain);
    QDir::setCurrent(old);
}

void WhoisOnLoopback(int port) {
    frmMain->IdWhois1.SetPort(port);
    Form2->IdWhois1.SetPort(orvanta::test::UnusedLoopbackPort());
    const QSignalBlocker block(Form2->ComboBoxEx1);
    Form2->ComboBoxEx1->setEditText(QStringLiteral("127.0.0.1"));
}
