// SPDX-License-Identifier: GPL-3.0-or-later
// The typed results row: organisation texts come back exactly as read, the
// list's texts follow the values, and the list keeps each row's values.
#include "forms/results/ResultRow.h"

#include "forms/results/RunRows.h"
#include "forms/results/TListView.h"
#include "forms/results/TResultsModel.h"
#include "geoip/TGeoIPCity.h"

#include <gtest/gtest.h>

namespace {

TEST(ResultRow, OrganisationTextsComeBackAsRead) {
    struct Case {
        const char* text;
        std::optional<std::uint32_t> asn;
        const char* name;
    };
    const Case cases[] = {
        {"AS15169 Google LLC", 15169u, "Google LLC"},
        {"AS4294967295 Top", 4294967295u, "Top"},
        {"AS7", 7u, ""},
        {"", std::nullopt, ""},
        {"Some Network", std::nullopt, "Some Network"},
        {"AS0123 Leading zero", std::nullopt, "AS0123 Leading zero"},
        {"AS4294967296 Too big", std::nullopt, "AS4294967296 Too big"},
        {"AS12X Glued", std::nullopt, "AS12X Glued"},
        {"AS12 ", std::nullopt, "AS12 "},
        {"AS12  Two spaces", 12u, " Two spaces"},
        {"AS Name", std::nullopt, "AS Name"},
    };
    for (const Case& c : cases) {
        TResultRow row;
        SetOrganisationText(row, QString::fromUtf8(c.text));
        EXPECT_EQ(row.asn, c.asn) << c.text;
        EXPECT_EQ(row.organization.toStdString(), c.name) << c.text;
        EXPECT_EQ(OrganisationText(row).toStdString(), c.text);
    }
}

TEST(ResultRow, ListTextsFollowTheValues) {
    orvanta::geoip::TGeoIPCity record;
    record.CountryCode = "FR";
    record.CountryName = "France";
    record.Region = "A8";
    record.City = "Paris";
    record.Latitude = 48.8582;
    record.Longitude = -2.5;
    TResultRow found = LocatedRow(QStringLiteral("192.0.2.1"), &record, QStringLiteral("AS3 X"));
    TResultRow missing = LocatedRow(QStringLiteral("192.0.2.2"), nullptr, QString());
    missing.count = 4;
    missing.hostName = QString();
    EXPECT_EQ(found.countryCode, "FR");
    EXPECT_FALSE(missing.latitude);
    const TListItem a = ResultTexts(found, QLatin1Char(','));
    EXPECT_EQ(a.Caption, "Paris, A8, France");
    EXPECT_EQ(a.SubItems, QStringList({"192.0.2.1", "48,8582", "-2,5", "Not looked up", "AS3 X"}));
    const TListItem b = ResultTexts(missing, QLatin1Char('.'));
    EXPECT_EQ(b.Caption, "ERROR City not present");
    EXPECT_EQ(b.SubItems, QStringList({"192.0.2.2", "ERROR City not present",
                                       "ERROR City not present", "Unresolved Host", "", "4"}));
}

TEST(ResultRow, TheListKeepsEachRowsValues) {
    TListView list;
    list.SetColumns({{"IP Locations", 10}, {"IP Address", 10}});
    list.Add({QStringLiteral("texts only"), {QStringLiteral("198.51.100.1")}, 0});
    TResultRow typed = LocatedRow(QStringLiteral("198.51.100.2"), nullptr, QString());
    typed.count = 2;
    EXPECT_EQ(list.AddRows({typed, typed}), 1);
    list.SetHostNames(3, {{1, QStringLiteral("Unresolved Host")}, {2, QStringLiteral("h.test")}});
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Row(0).address, "198.51.100.1");
    EXPECT_EQ(list.Row(1).count, 2u);
    EXPECT_EQ(list.Row(1).hostName, QString());
    EXPECT_EQ(list.Row(2).hostName, QStringLiteral("h.test"));
    EXPECT_EQ(list.Text(2, 4), "h.test");
    EXPECT_EQ(list.Text(1, 0), "ERROR City not present");
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

// A run's rows as the run made them read back whole: an address too long to
// keep inline, the bytes of a capture, values shared between rows, and rows
// after them added otherwise.
TEST(ResultRow, ARunsRowsReadBackWhole) {
    auto shared = std::make_shared<TSharedRows>();
    orvanta::geoip::TGeoIPCity city;
    city.CountryCode = "NL";
    city.CountryName = "Netherlands";
    city.City = "Amsterdam";
    city.Latitude = 52.37;
    city.Longitude = 4.89;
    const std::uint32_t place =
        shared->Add(LocatedRow(QString(), &city, QStringLiteral("AS1 One")));
    const std::uint32_t none = shared->Add(LocatedRow(QString(), nullptr, QString()));
    const char* const kLong = "2001:db8:1234:5678:9abc:def0:1234:5678";
    TRunRows run(shared);
    run.Add("192.0.2.1", place, 3, std::nullopt);
    run.Add(kLong, place, 1, 1500);
    run.Add("10.0.0.1", none, 7, 60);

    TListView list;
    list.SetColumns({{"IP Locations", 10}, {"IP Address", 10}});
    list.SetLateColumn(QStringLiteral("Bytes"), 10);
    list.Add({QStringLiteral("texts only"), {QStringLiteral("198.51.100.1")}, 0});
    EXPECT_EQ(list.AddRuns(std::move(run)), 1);
    list.Add(LocatedRow(QStringLiteral("198.51.100.2"), nullptr, QString()));
    ASSERT_EQ(list.Count(), 5);
    EXPECT_EQ(list.model()->columnCount(), 3); // the bytes came with the run
    const struct {
        int row;
        QString address;
        bool found;
        std::optional<std::uint64_t> count, bytes;
    } kRows[] = {{1, "192.0.2.1", true, 3, {}},
                 {2, kLong, true, 1, 1500},
                 {3, "10.0.0.1", false, 7, 60},
                 {4, "198.51.100.2", false, {}, {}}};
    for (const auto& r : kRows) {
        SCOPED_TRACE(r.row);
        const TResultRow& row = list.Row(r.row);
        EXPECT_EQ(row.address, r.address);
        EXPECT_EQ(row.found, r.found);
        EXPECT_EQ(row.count, r.count);
        EXPECT_EQ(row.bytes, r.bytes);
        EXPECT_EQ(list.Text(r.row, 1), r.address);
        std::size_t offset = 0;
        const TRunRows* rows = list.RunRowsAt(r.row, offset);
        ASSERT_EQ(rows != nullptr, r.row < 4);
        if (rows) {
            EXPECT_EQ(rows->Address(offset), r.address.toStdString());
        }
    }
    EXPECT_EQ(list.Row(2).city, "Amsterdam");
    EXPECT_EQ(list.Row(2).organization, "One");
    list.Clear();
    std::size_t offset = 0;
    EXPECT_EQ(list.RunRowsAt(0, offset), nullptr);
}

// Rows added with their texts to be made later, or without texts at all,
// show, change and widen the list exactly as rows whose texts came with
// them.
TEST(ResultRow, TextsMadeLaterMatchTextsGivenAtOnce) {
    orvanta::geoip::TGeoIPCity city;
    city.CountryCode = "FR";
    city.CountryName = "France";
    city.Region = "B8";
    city.City = "Paris";
    city.Latitude = 48.8582;
    city.Longitude = 2.2945;
    TResultRow located = LocatedRow(QStringLiteral("192.0.2.1"), &city, QStringLiteral("AS3 X"));
    located.count = 7;
    TResultRow captured = LocatedRow(QStringLiteral("192.0.2.2"), nullptr, QString());
    captured.count = 2;
    captured.bytes = 1500;
    const std::vector<TResultRow> rows = {located, captured};

    TListView given, later, without;
    for (TListView* list : {&given, &later, &without}) {
        list->SetColumns({{"IP Locations", 10},
                          {"IP Address", 10},
                          {"Latitude", 10},
                          {"Longitude", 10},
                          {"Host", 10},
                          {"Organisation", 10},
                          {"Count", 10}});
        list->SetLateColumn(QStringLiteral("Bytes"), 10);
        list->SetDecimalSeparator(QLatin1Char(','));
    }
    std::vector<TListItem> texts;
    for (const TResultRow& row : rows)
        texts.push_back(ResultTexts(row, QLatin1Char(',')));
    given.AddRows(std::vector<TResultRow>(rows), std::move(texts));
    later.AddRows(std::vector<TResultRow>(rows),
                  std::vector<TListItem>(rows.size(), TResultsModel::TextsLater()));
    without.AddRows(std::vector<TResultRow>(rows));
    for (TListView* list : {&given, &later, &without})
        list->SetHostNames(3,
                           {{0, QStringLiteral("h.test")}, {1, QStringLiteral("Unresolved Host")}});
    for (TListView* list : {&given, &later, &without})
        list->SetSubItems(4, {{1, QStringLiteral("changed")}});

    for (TListView* list : {&later, &without}) {
        ASSERT_EQ(list->model()->columnCount(), given.model()->columnCount());
        EXPECT_EQ(list->model()->columnCount(), 8);
        for (int row = 0; row < 2; ++row) {
            EXPECT_EQ(list->Row(row).hostName, given.Row(row).hostName);
            for (int column = 0; column < 8; ++column)
                EXPECT_EQ(list->model()->index(row, column).data(),
                          given.model()->index(row, column).data())
                    << row << ", " << column;
        }
        EXPECT_EQ(list->Text(0, 4), "h.test");
        EXPECT_EQ(list->Text(1, 5), "changed");
    }
}

} // namespace
