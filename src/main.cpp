// Orvanta's entry: the application object, the window set in its order
// (forms/StartUp.cpp), the main window's first showing with its database
// check, then the event loop until the main window closes, and the windows
// freed before the application object ends.
#include "Pictures.h"
#include "forms/ProgramFonts.h"
#include "forms/StartUp.h"
#include "forms/fMain.h"
#include "site/SiteScheme.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv) {
    // The program's own site must be known to the browser engine first.
    TSiteScheme::registerScheme();
    QApplication app(argc, argv);
    LoadProgramFonts();
    QApplication::setWindowIcon(QIcon(Pictures::ProgramIcon));

    CreateForms();
    QObject::connect(frmMain, &TfrmMain::Closed, &app, &QCoreApplication::quit);

    frmMain->show();
    // The database check's No closes the main window before it comes up.
    const int result = frmMain->CloseRequested() ? 0 : app.exec();
    // The windows, and with them the browser pages, go while the browser
    // profile that the engine releases with the application object is there.
    FreeForms();
    return result;
}
