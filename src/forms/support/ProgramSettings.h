// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's settings file, $XDG_CONFIG_HOME/orvanta/orvanta.conf
// (~/.config/orvanta/orvanta.conf without it), in Qt's INI format. It holds
// only what the windows must remember between runs. Every value is read once
// at start and kept in memory, and every change rewrites the file whole
// (a temporary file beside it, then a rename), so a crash never leaves half a
// file. A file that cannot be read, is damaged or cannot be written never
// stops the program: its values fall back to the defaults (or to what was
// set during the run), and one line on standard error says what went wrong.
#include <QString>

class TProgramSettings {
public:
    // The file named by the environment, as above.
    static QString DefaultPath();

    explicit TProgramSettings(QString path = DefaultPath());

    // Private mode: nothing leaves the machine that the user did not ask for.
    bool PrivateMode() const { return privateMode_; }
    void SetPrivateMode(bool on);

    // Host names for the rows of pasted addresses and opened logs.
    bool LookUpPastedHostNames() const { return pastedHostNames_; }
    void SetLookUpPastedHostNames(bool on);

    const QString& Path() const { return path_; }

private:
    void Load();
    void Save();
    void Complain(const QString& message);

    QString path_;
    bool privateMode_ = false;
    bool pastedHostNames_ = false;
    bool complained_ = false; // one line per run is enough
};
