// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The results list's typed row and the result files' plain record, one to
// one: texts as UTF-8, every value absent or empty as it was, so a row
// written to a file and read back is the row it was.
#include "forms/results/ResultRow.h"
#include "resultfiles/ResultRecord.h"

#include <vector>

orvanta::resultfiles::ResultRecord RecordOf(const TResultRow& row);
TResultRow RowOf(const orvanta::resultfiles::ResultRecord& record);

class TListView;
// Every row of the list, in list order.
std::vector<orvanta::resultfiles::ResultRecord> RecordsOf(const TListView& list);
