// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/results/CoordinateText.h"

#include <charconv>

QString CoordinateText(double value, QChar decimalSeparator) {
    if (value == 0)
        return QStringLiteral("0"); // also for -0
    // std::to_chars ignores the C locale, which Qt sets from the environment;
    // general format with precision 15 switches to scientific exactly below
    // 1e-4 and from 1e15 on.
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    QString text = QString::fromLatin1(buffer, result.ptr - buffer);
    text.replace(QLatin1Char('.'), decimalSeparator);
    return text;
}
