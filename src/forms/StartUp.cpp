// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/StartUp.h"

#include "forms/CreateForm.h"
#include "forms/NetAbout.h"
#include "forms/RouteWindow.h"
#include "forms/SummaryWindow.h"
#include "forms/Unit1.h"
#include "forms/Unit2.h"
#include "forms/Unit4.h"
#include "forms/Unit5.h"
#include "forms/fMain.h"
#include "forms/support/Guard.h"
#include "forms/work/TBulkRole.h"
#include "forms/work/TResultsRole.h"

void CreateForms() {
    // 1. The main window, first, so that it owns the taskbar entry.
    frmMain = CreateForm<TfrmMain>();
    // 2. IP entry dialog.
    Form1 = CreateForm<TForm1>(frmMain);
    // 3. IP whois window.
    Form2 = CreateForm<TForm2>(frmMain);
    // 4. About window.
    AboutDialog = CreateForm<TAboutDialog>(frmMain);
    // 5. Web whois window.
    Form4 = CreateForm<TForm4>(frmMain);
    // 6. Domain dialog.
    Form5 = CreateForm<TForm5>(frmMain);
    // 7. Route window.
    frmRoute = CreateForm<TfrmRoute>(frmMain);
}

void OpenFilesAtStart(const QStringList& files) {
    for (const QString& file : files)
        RunGuarded([&] { frmMain->Bulk->LocateAddressesInFile(file); });
}

void FreeForms() {
    delete frmMain; // owns every other window
    frmMain = nullptr;
    Form1 = nullptr;
    Form2 = nullptr;
    AboutDialog = nullptr;
    Form4 = nullptr;
    Form5 = nullptr;
    frmRoute = nullptr;
    frmSummary = nullptr;
}

QStringList OpenResultFilesAtStart(const QStringList& files) {
    QStringList others;
    for (const QString& file : files) {
        if (TResultsRole::IsResultFile(file))
            RunGuarded([&] { frmMain->Results->OpenResultFile(file); });
        else
            others << file;
    }
    return others;
}
