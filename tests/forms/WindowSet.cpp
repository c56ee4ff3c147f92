#include "WindowSet.h"

#include "forms/StartUp.h"
#include "forms/fMain.h"

#include <QDir>
#include <QFile>
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
