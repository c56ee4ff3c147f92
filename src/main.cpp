// SPDX-License-Identifier: GPL-3.0-or-later
// Orvanta's entry: the application object, the window set in its order
// (forms/StartUp.cpp), the main window's first showing with its database
// check, then the event loop until the main window closes, and the windows
// freed before the application object ends.
#include "Pictures.h"
#include "forms/StartUp.h"
#include "forms/fMain.h"
#include "forms/support/ProgramFonts.h"
#include "forms/work/TPrivacyRole.h"
#include "site/SiteScheme.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <cstdio>
#include <cstring>

namespace {

// Answered before the application object exists, so that neither needs a
// display (man pages, package checks and scripts ask them on a console).
bool AnswerInformationOption(int argc, char** argv, int& status) {
    if (argc != 2)
        return false;
    if (std::strcmp(argv[1], "--version") == 0) {
        status = std::printf("orvanta %s\n", ORVANTA_VERSION) < 0 ? 1 : 0;
        return true;
    }
    if (std::strcmp(argv[1], "--help") == 0) {
        status =
            std::printf("Usage: orvanta [--private] [--version | --help | FILE...]\n"
                        "Locates IPv4 and IPv6 addresses in GeoLiteCity.dat and\n"
                        "GeoLiteCityv6.dat in the current directory, shows them on a map and\n"
                        "queries WHOIS and RDAP. Each FILE (a text, a pcap/pcapng capture or\n"
                        "a saved result list in GeoJSON) is opened as \"Open addresses\" opens\n"
                        "it. The desktop entry starts it through orvanta-launcher in\n"
                        "~/.local/share/orvanta.\n"
                        "  --private  private mode for this run: no reverse lookups, no\n"
                        "             street tiles, no RDAP bootstrap refresh\n"
                        "See orvanta(1).\n") < 0
                ? 1
                : 0;
        return true;
    }
    return false;
}

// --private, taken out before Qt sees the arguments: private mode for this
// run, whatever the settings say, and the settings left as they are.
void TakePrivateOption(int& argc, char** argv) {
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--private") == 0)
            TPrivacyRole::StartPrivateForThisRun();
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    argv[argc] = nullptr;
}

} // namespace

int main(int argc, char** argv) {
    if (int status = 0; AnswerInformationOption(argc, argv, status))
        return status;
    TakePrivateOption(argc, argv);
    // The program's own site must be known to the browser engine first.
    TSiteScheme::registerScheme();
    QApplication app(argc, argv);
    LoadProgramFonts();
    QApplication::setWindowIcon(QIcon(Pictures::ProgramIcon));
    // Ties the windows to the installed desktop entry (its icon and name in
    // task bars and docks).
    QGuiApplication::setDesktopFileName(QStringLiteral(ORVANTA_APP_ID));

    CreateForms();
    QObject::connect(frmMain, &TfrmMain::Closed, &app, &QCoreApplication::quit);

    // The files named after the program; Qt has taken its own options out.
    // Saved result lists come first: shown before the window first shows,
    // their rows need no database, so its check is skipped.
    QStringList files;
    for (int i = 1; i < argc; ++i)
        files << QFile::decodeName(argv[i]);
    files = OpenResultFilesAtStart(files);

    frmMain->show();
    // The database check's No closes the main window before it comes up.
    if (frmMain->CloseRequested()) {
        FreeForms();
        return 0;
    }
    OpenFilesAtStart(files);
    const int result = app.exec();
    // The windows, and with them the browser pages, go while the browser
    // profile that the engine releases with the application object is there.
    FreeForms();
    return result;
}
