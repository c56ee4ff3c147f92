// SPDX-License-Identifier: GPL-3.0-or-later
#include "Pictures.h"

namespace Pictures {
QStringList ListIcons() {
    static const char* const names[] = {
        "list-00-info",   "list-01-warning", "list-02-error",   "list-03-ok",
        "list-04-globe",  "list-05-pin",     "list-06-network", "list-07-search",
        "list-08-server", "list-09-lock",    "list-10-clock",
    };
    QStringList icons;
    for (const char* n : names)
        icons << QStringLiteral(":/icons/%1.svg").arg(QLatin1String(n));
    return icons;
}
} // namespace Pictures
