// SPDX-License-Identifier: GPL-3.0-or-later
// A capture opened in the program as `orvanta FILE` opens it, offline:
// from the open to every endpoint's row in the list and every located
// endpoint's marker in the map's layer of many places; beside it, in the
// same run, `orvanta-db endpoints` on the same file. Run by hand on the
// folder capture_bench leaves with --keep (GeoLiteCity.dat, capture.pcap):
//
//   capture_open_bench FOLDER build/tools/orvanta-db/orvanta-db
#include "FakeMapsApi.h"
#include "ScopedCacheHome.h"
#include "forms/StartUp.h"
#include "forms/fMain.h"
#include "forms/results/TListView.h"
#include "forms/support/ProgramFonts.h"
#include "forms/work/TBulkRole.h"
#include "site/SiteScheme.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <QWebEngineView>
#include <cstdio>
#include <cstdlib>

namespace {

int Markers() {
    return evalJs(*frmMain->WebBrowser1->page(), "placesCount()").toInt();
}

int LocatedRows() {
    int located = 0;
    for (int r = 0; r < frmMain->ListView1->Count(); ++r)
        located += frmMain->ListView1->Row(r).found ? 1 : 0;
    return located;
}

double ToolMs(const QString& tool, const QString& capture) {
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(tool, {QStringLiteral("endpoints"), capture});
    process.waitForFinished(600000);
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: capture_open_bench FOLDER ORVANTA_DB\n");
        return 2;
    }
    const QString tool = QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath();
    const orvanta::test::ScopedCacheHome cacheHome;
    ::unsetenv("ORVANTA_MAP");
    ::setenv("ORVANTA_TILE_URL", "http://127.0.0.1:9/{z}/{x}/{y}.png", 1);
    TSiteScheme::registerScheme();
    QApplication app(argc, argv);
    LoadProgramFonts();
    if (!QDir::setCurrent(QString::fromLocal8Bit(argv[1])) ||
        !QFile::exists(QStringLiteral("capture.pcap"))) {
        std::fprintf(stderr,
                     "capture_open_bench: %s must hold GeoLiteCity.dat and "
                     "capture.pcap (capture_bench --keep)\n",
                     argv[1]);
        return 2;
    }
    const QString capture = QFileInfo(QStringLiteral("capture.pcap")).absoluteFilePath();
    CreateForms();
    frmMain->show();
    if (!waitForJs(*frmMain->WebBrowser1->page(), "typeof map === 'object' && placesLayer !== null",
                   20000)) {
        std::fprintf(stderr, "capture_open_bench: the map did not start\n");
        return 1;
    }
    const double toolBefore = ToolMs(tool, capture); // also warms the page cache
    QElapsedTimer timer;
    timer.start();
    OpenFilesAtStart({capture});
    if (!QTest::qWaitFor([] { return !frmMain->Bulk->Running(); }, 600000)) {
        std::fprintf(stderr, "capture_open_bench: the run did not end in 10 minutes\n");
        return 1;
    }
    const double rowsMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    const int located = LocatedRows();
    if (!QTest::qWaitFor([&] { return Markers() == located; }, 600000)) {
        std::fprintf(stderr, "capture_open_bench: %d of %d markers shown\n", Markers(), located);
        return 1;
    }
    const double shownMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    const double toolMs = std::min(toolBefore, ToolMs(tool, capture));
    std::printf("capture opened -> %d rows, %d markers shown: %.0f ms (every row: %.0f ms)\n",
                frmMain->ListView1->Count(), Markers(), shownMs, rowsMs);
    std::printf("baseline, orvanta-db endpoints on the same file: %.0f ms; ratio %.2f\n", toolMs,
                shownMs / std::max(toolMs, 1.0));
    FreeForms();
    return 0;
}
