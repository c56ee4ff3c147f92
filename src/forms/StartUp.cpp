#include "forms/StartUp.h"

#include "forms/CreateForm.h"
#include "forms/NetAbout.h"
#include "forms/Unit1.h"
#include "forms/fMain.h"

void CreateForms() {
    // 1. The main window, first, so that it owns the taskbar entry.
    frmMain = CreateForm<TfrmMain>();
    // 2. IP entry dialog.
    Form1 = CreateForm<TForm1>(frmMain);
    // 3. IP whois window (Form2) goes here.
    // 4. About window.
    AboutDialog = CreateForm<TAboutDialog>(frmMain);
    // 5. Web whois window (Form4) goes here.
    // 6. Domain dialog (Form5) goes here.
}
