// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's pictures, compiled in as Qt resources: the names to hand to
// TImage or QIcon. Link orvanta::resources to have them.
#include <QString>
#include <QStringList>

namespace Pictures {
inline const QString Close = QStringLiteral(":/pictures/close.svg");       // white cross on red
inline const QString Minimize = QStringLiteral(":/pictures/minimize.svg"); // dark dash on white
inline const QString About = QStringLiteral(":/pictures/about.svg");       // ? in a blue circle
inline const QString Logo = QStringLiteral(":/pictures/logo.svg");
inline const QString IpLocation = QStringLiteral(":/pictures/ip-location.svg");
inline const QString IpWhois = QStringLiteral(":/pictures/ip-whois.svg");
inline const QString DomainWhois = QStringLiteral(":/pictures/domain-whois.svg");
inline const QString ProgramIcon = QStringLiteral(":/icons/orvanta.svg");

// The results list's small icons in list order; icon 0 is the one rows show.
QStringList ListIcons();
} // namespace Pictures
