// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TfrmSummary: the window "Summary", the results list added up. Two tables,
// "Countries" and "Organizations": each line a name, its addresses, its
// occurrences, its bytes where captures gave them and its share of all
// occurrences, largest first. Ctrl+A selects the focused table's lines,
// Ctrl+C copies the selected ones as tab-separated lines; a double-click
// on a line asks for that line's rows to be selected in the results list.
// Esc and the close picture hide it. Owned by the main window, which opens
// it centred over itself; the main window's Results role feeds it the
// summary as rows arrive and selects the rows of a chosen line.
#include "forms/chrome/TBorderlessWindow.h"

class QTableView;
class TFlatTitlebar;
class TImage;
class TResultsRole;
class TSummaryModel;

class TfrmSummary : public TBorderlessWindow {
    Q_OBJECT
public:
    TfrmSummary(QWidget* owner, TResultsRole* results);

    TFlatTitlebar* FlatTitlebar1;
    TImage* Image1;
    QTableView* ListCountries;
    QTableView* ListOrganizations;

    // Shows the window centred over `mainWindow` with the summary as it is.
    void ShowOver(const QWidget* mainWindow);
    // Takes the summary anew, or when next shown while hidden.
    void SummaryChanged();
    void Image1Click();
    void CopyClick();
    void SelectAllClick();
    TSummaryModel* Countries() const { return countries_; }
    TSummaryModel* Organizations() const { return organizations_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QTableView* BuildTable(QWidget* client, const char* name, const QString& caption, int top,
                           TSummaryModel* model);
    void Take();
    QTableView* FocusedTable() const;

    TResultsRole* results_;
    TSummaryModel* countries_;
    TSummaryModel* organizations_;
    bool pending_ = false;
};

extern TfrmSummary* frmSummary;
