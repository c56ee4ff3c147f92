// SPDX-License-Identifier: GPL-3.0-or-later
// Getting results out of the main window's list: the selected row to the
// clipboard, the whole list to a file (CSV here, every format through the
// Results role), and clearing the list.
#include "forms/fMain.h"
#include "forms/results/ResultsExport.h"
#include "forms/results/TListView.h"
#include "forms/support/FileReplace.h"
#include "forms/work/TBulkRole.h"
#include "forms/work/TMapLayers.h"
#include "forms/work/TResultsRole.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>

void TfrmMain::UpdateListActions() {
    Copy1->setEnabled(ListView1->Selected() >= 0);
    SaveAs1->setEnabled(ListView1->Count() > 0);
    Clear1->setEnabled(ListView1->Count() > 0);
}

void TfrmMain::Copy1Click() {
    const std::vector<int> rows = ListView1->SelectedRows();
    if (rows.empty())
        return;
    QGuiApplication::clipboard()->setText(RowsClipboardText(*ListView1, rows));
}

void TfrmMain::SaveAs1Click() {
    Results->SaveAsClick();
}

void TfrmMain::SaveListAsCsv(const QString& path) {
    ReplaceFile(path, ResultsCsv(*ListView1));
}

void TfrmMain::Clear1Click() {
    if (ListView1->Count() == 0)
        return;
    // Rows are addressed by their index: nothing of a run may arrive once
    // the list is emptied, not even the markers that wait (dropped first:
    // the stop would send them).
    Layers->Clear();
    Bulk->Stop();
    ListView1->Clear();
    UpdateListActions();
}
