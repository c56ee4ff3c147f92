// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TPrivacyRole: what the main window sends out about the addresses in it.
// Private mode (the popup menu's "Private mode", Ctrl+Shift+P, or a click on
// the bottom strip, which says in words which mode is on) keeps every
// reverse lookup, street tile and bootstrap refresh in; it is remembered in
// the settings, except when the run was started with --private. "Look up
// host names" (Ctrl+H) asks for the selected rows' names, after a question
// when they are many; "Look up host names for pasted addresses" makes runs
// of many addresses ask for every row's name as they come.
#include "forms/support/ProgramSettings.h"

#include <QObject>
#include <QString>
#include <functional>
#include <vector>

class QAction;
class QMenu;
class QPushButton;
class QWidget;
class TFlatTitlebar;
class TListView;

class TPrivacyRole : public QObject {
    Q_OBJECT
public:
    // Past this many rows Ctrl+H asks first.
    static constexpr std::size_t kAskAbove = 100;

    struct Parts {
        QWidget* window;      // takes Ctrl+Shift+P
        QMenu* menu;          // the list's popup menu
        TListView* list;      // takes Ctrl+H, which names its selected rows
        TFlatTitlebar* strip; // the bottom strip that shows the mode
        // The map page learns the mode at once ("SetPrivateMode(...)").
        std::function<void(const std::string& call)> postToMap;
        std::function<void(const std::vector<int>& rows)> lookUpNames;
        std::function<void(const QString& text)> stopNames;
    };
    explicit TPrivacyRole(const Parts& parts, QObject* parent = nullptr);

    // `orvanta --private`: the next role made starts in private mode and
    // leaves the remembered setting alone for the whole run.
    static void StartPrivateForThisRun();

    bool PrivateMode() const { return private_; }
    void SetPrivateMode(bool on);
    // Whether a run's rows get host names as they come.
    bool NamesForRuns() const;

    QAction* PrivateMode1;      // "Private mode", checkable
    QAction* LookUpHostNames1;  // "Look up host names", Ctrl+H
    QAction* PastedHostNames1;  // "Look up host names for pasted addresses", checkable
    QPushButton* PrivacyStrip1; // the bottom strip's words

    void LookUpHostNames1Click();

private:
    void ShowMode();

    Parts parts_;
    TProgramSettings settings_;
    bool forThisRun_;
    bool private_;
};
