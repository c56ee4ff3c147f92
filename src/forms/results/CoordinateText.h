// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Coordinates as the results list shows them: the general format with up to
// 15 significant digits, trailing zeros and a bare separator dropped, no
// thousands separator, and the user's decimal separator. Fixed notation for
// magnitudes from 0.0001 up to 15 integer digits (every coordinate a record
// can hold), scientific otherwise.
#include <QChar>
#include <QString>

QString CoordinateText(double value, QChar decimalSeparator);
