// Orvanta's entry: the application object, the window set in its order
// (forms/StartUp.cpp), the main window's first showing with its database
// check, then the event loop until the main window closes, and the windows
// freed before the application object ends.
#include "Pictures.h"
#include "forms/StartUp.h"
#include "forms/fMain.h"
#include "forms/support/ProgramFonts.h"
#include "site/SiteScheme.h"

#include <QApplication>
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
        status = std::printf("Usage: orvanta [--version | --help] [FILE...]\n"
                             "Locates IPv4 addresses in GeoLiteCity.dat in the current directory,\n"
                             "shows them on a map and queries WHOIS and RDAP. The desktop entry\n"
                             "starts it through orvanta-launcher in ~/.local/share/orvanta.\n"
                             "FILE: a saved result list (GeoJSON) to show again, or a log\n"
                             "whose addresses are located.\n"
                             "See orvanta(1).\n") < 0
                     ? 1
                     : 0;
        return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (int status = 0; AnswerInformationOption(argc, argv, status))
        return status;
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

    // Files named on the command line (Qt has taken its own options out of
    // argv): a saved result list, or logs to read addresses from.
    QStringList files;
    for (int i = 1; i < argc; ++i)
        files << QString::fromLocal8Bit(argv[i]);
    OpenFilesAtStart(files);

    frmMain->show();
    // The database check's No closes the main window before it comes up.
    const int result = frmMain->CloseRequested() ? 0 : app.exec();
    // The windows, and with them the browser pages, go while the browser
    // profile that the engine releases with the application object is there.
    FreeForms();
    return result;
}
