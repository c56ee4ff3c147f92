// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/results/ResultRecords.h"

#include "forms/results/TListView.h"

using orvanta::resultfiles::ResultRecord;

namespace {
QString Text(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}
} // namespace

ResultRecord RecordOf(const TResultRow& row) {
    ResultRecord record;
    record.address = row.address.toStdString();
    record.found = row.found;
    record.countryCode = row.countryCode.toStdString();
    record.countryName = row.countryName.toStdString();
    record.region = row.region.toStdString();
    record.city = row.city.toStdString();
    record.latitude = row.latitude;
    record.longitude = row.longitude;
    if (row.hostName)
        record.hostName = row.hostName->toStdString();
    record.asn = row.asn;
    record.organization = row.organization.toStdString();
    record.count = row.count;
    record.bytes = row.bytes;
    return record;
}

TResultRow RowOf(const ResultRecord& record) {
    TResultRow row;
    row.address = Text(record.address);
    row.found = record.found;
    row.countryCode = Text(record.countryCode);
    row.countryName = Text(record.countryName);
    row.region = Text(record.region);
    row.city = Text(record.city);
    row.latitude = record.latitude;
    row.longitude = record.longitude;
    if (record.hostName)
        row.hostName = Text(*record.hostName);
    row.asn = record.asn;
    row.organization = Text(record.organization);
    row.count = record.count;
    row.bytes = record.bytes;
    return row;
}

std::vector<ResultRecord> RecordsOf(const TListView& list) {
    std::vector<ResultRecord> records;
    records.reserve(static_cast<std::size_t>(list.Count()));
    for (int row = 0; row < list.Count(); ++row)
        records.push_back(RecordOf(list.Row(row)));
    return records;
}
