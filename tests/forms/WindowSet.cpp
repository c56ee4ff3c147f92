// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowSet.h"

#include "LoopbackWhoisServer.h"
#include "ScopedCacheHome.h"
#include "forms/StartUp.h"
#include "forms/Unit2.h"
#include "forms/fMain.h"
#include "forms/support/ProgramFonts.h"
#include "site/SiteScheme.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QSignalBlocker>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <gtest/gtest.h>

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

int RunOfflineMapWindowTests(int argc, char** argv, bool closeAlerts) {
    const orvanta::test::ScopedCacheHome cacheHome; // the map profile's folder
    ::unsetenv("ORVANTA_MAP");
    ::unsetenv("ORVANTA_MAPS_API_KEY");
    ::setenv("ORVANTA_TILE_URL", "http://127.0.0.1:9/{z}/{x}/{y}.png", 1);
    TSiteScheme::registerScheme();
    QApplication app(argc, argv);
    LoadProgramFonts();
    QTimer dismissAlerts;
    QObject::connect(&dismissAlerts, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->accept();
    });
    if (closeAlerts)
        dismissAlerts.start(50);
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    delete frmMain; // its browser page goes before the engine's profile
    return result;
}
