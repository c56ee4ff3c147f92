// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/support/ProgramSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

namespace {

const QString PrivateModeKey = QStringLiteral("privacy/privateMode");
const QString PastedHostNamesKey = QStringLiteral("privacy/lookUpPastedHostNames");

// "true" and "false" as QSettings writes them; anything else is damage.
std::optional<bool> ReadFlag(const QSettings& file, const QString& key, bool& damaged) {
    if (!file.contains(key)) {
        return std::nullopt;
    }
    const QString text = file.value(key).toString().trimmed().toLower();
    if (text == QLatin1String("true")) {
        return true;
    }
    if (text == QLatin1String("false")) {
        return false;
    }
    damaged = true;
    return std::nullopt;
}

} // namespace

QString TProgramSettings::DefaultPath() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    // The XDG rule: a relative value is ignored.
    if (base.isEmpty() || QDir::isRelativePath(base)) {
        base = QDir::homePath() + QStringLiteral("/.config");
    }
    return base + QStringLiteral("/orvanta/orvanta.conf");
}

TProgramSettings::TProgramSettings(QString path) : path_(std::move(path)) {
    Load();
}

void TProgramSettings::SetPrivateMode(bool on) {
    if (on != privateMode_) {
        privateMode_ = on;
        Save();
    }
}

void TProgramSettings::SetLookUpPastedHostNames(bool on) {
    if (on != pastedHostNames_) {
        pastedHostNames_ = on;
        Save();
    }
}

void TProgramSettings::Complain(const QString& message) {
    if (complained_) {
        return;
    }
    complained_ = true;
    std::fprintf(stderr, "orvanta: %s\n", message.toLocal8Bit().constData());
}

void TProgramSettings::Load() {
    const QFileInfo info(path_);
    if (!info.exists()) {
        return; // first run: the defaults
    }
    QFile probe(path_);
    if (!info.isFile() || !probe.open(QIODevice::ReadOnly)) {
        Complain(
            QStringLiteral("cannot read the settings file %1 (%2); using the defaults")
                .arg(path_, info.isFile() ? probe.errorString() : QStringLiteral("not a file")));
        return;
    }
    probe.close();
    const QSettings file(path_, QSettings::IniFormat);
    bool damaged = file.status() != QSettings::NoError;
    const std::optional<bool> privateMode = ReadFlag(file, PrivateModeKey, damaged);
    const std::optional<bool> pasted = ReadFlag(file, PastedHostNamesKey, damaged);
    if (damaged) {
        Complain(QStringLiteral("the settings file %1 is damaged; using the defaults").arg(path_));
        return;
    }
    privateMode_ = privateMode.value_or(false);
    pastedHostNames_ = pasted.value_or(false);
}

void TProgramSettings::Save() {
    const QFileInfo info(path_);
    QString reason;
    if (!QDir().mkpath(info.absolutePath())) {
        reason = QStringLiteral("cannot make its folder");
    } else {
        // QSettings writes its own file in place; it writes into a temporary
        // file here, which only a rename puts where the settings live.
        QTemporaryFile temporary(info.absolutePath() + QStringLiteral("/.orvanta.conf.XXXXXX"));
        if (!temporary.open()) {
            reason = temporary.errorString();
        } else {
            temporary.close();
            {
                QSettings file(temporary.fileName(), QSettings::IniFormat);
                file.setValue(PrivateModeKey, privateMode_);
                file.setValue(PastedHostNamesKey, pastedHostNames_);
                file.sync();
                if (file.status() != QSettings::NoError) {
                    reason = QStringLiteral("cannot write it");
                }
            }
            if (reason.isEmpty()) {
                if (::rename(QFile::encodeName(temporary.fileName()).constData(),
                             QFile::encodeName(path_).constData()) == 0) {
                    temporary.setAutoRemove(false);
                    return;
                }
                reason = QString::fromLocal8Bit(std::strerror(errno));
            }
        }
    }
    Complain(QStringLiteral("cannot write the settings file %1 (%2); the setting holds for this "
                            "run only")
                 .arg(path_, reason));
}
