// SPDX-License-Identifier: GPL-3.0-or-later
// A run over a log: answers equal the per-address reader's, in first-seen
// order with counts, and a stop or a failing read hands out nothing more.
#include "bulk/BulkLocate.h"

#include "TempFolder.h"
#include "geoip/GeoIPCountries.h"
#include "geoip/OrganizationOf.h"
#include "geoip/TGeoIP.h"
#include "geoipwriter/AsnDatabaseWriter.h"
#include "geoipwriter/CityDatabaseWriter.h"
#include "geoipwriter/CountryMapping.h"

#include <arpa/inet.h>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdexcept>
#include <unistd.h>

namespace {

namespace geo = orvanta::geoip;
using orvanta::bulk::BulkHooks;
using orvanta::bulk::BulkLocate;
using orvanta::bulk::BulkOutcome;
using orvanta::bulk::BulkRow;

geo::CityRange Range(const char* first, const char* last, const char* city, double lat,
                     double lon) {
    geo::CityRange r;
    r.first = ntohl(inet_addr(first));
    r.last = ntohl(inet_addr(last));
    r.record.countryIndex = geo::MapCountryCode("US").index;
    r.record.region = "CA";
    r.record.city = city;
    r.record.latitude = lat;
    r.record.longitude = lon;
    return r;
}

BulkLocate::Reader TextReader(std::string text) {
    auto at = std::make_shared<std::size_t>(0);
    return [text = std::move(text), at](char* buffer, std::size_t size) {
        const std::size_t n = std::min(size, text.size() - *at);
        std::memcpy(buffer, text.data() + *at, n);
        *at += n;
        return n;
    };
}

class Bulk : public testing::Test {
protected:
    void SetUp() override {
        db = folder.File("GeoLiteCity.dat");
        geo::WriteCityDatabase(db,
                               {Range("1.2.3.0", "1.2.3.255", "Mountain View", 37.386, -122.0838),
                                Range("6.6.6.0", "6.6.6.255", "Zurich", 47.3667, 8.55)},
                               geo::WriteOptions{});
        asn = folder.File("GeoIPASNum.dat");
        geo::AsnRangeSet set;
        set.ranges.push_back({ntohl(inet_addr("6.6.0.0")), ntohl(inet_addr("6.6.255.255")),
                              set.TextIndex("AS1 Six")});
        geo::WriteAsnDatabase(asn, set, 9);
    }
    BulkLocate Run(std::string text) {
        return BulkLocate(TextReader(std::move(text)), [this] {
            return orvanta::bulk::OpenRunDatabases({db, "", "", ""});
        });
    }
    orvanta::test::TempFolder folder;
    std::string db;
    std::string asn;
    std::atomic<bool> stop{false};
};

TEST_F(Bulk, RowsAnswerAsThePerAddressReader) {
    std::vector<BulkRow> rows;
    BulkHooks hooks;
    hooks.rows = [&](std::vector<BulkRow>&& batch, std::size_t, std::size_t) {
        for (auto& r : batch)
            rows.push_back(std::move(r));
    };
    const BulkOutcome outcome =
        BulkLocate(TextReader("6.6.6.6 GET\n1.2.3.4 GET\n6.6.6.6 POST\n9.9.9.9\n::ffff:6.6.1.1\n"),
                   [this] {
                       return orvanta::bulk::OpenRunDatabases({db, "", asn, ""});
                   })
            .Run(stop, hooks);
    EXPECT_EQ(outcome, BulkOutcome::Done);
    ASSERT_EQ(rows.size(), 4u);
    const std::vector<std::pair<std::string, std::uint64_t>> expected = {
        {"6.6.6.6", 2}, {"1.2.3.4", 1}, {"9.9.9.9", 1}, {"::ffff:6.6.1.1", 1}};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].address);
        EXPECT_EQ(rows[i].address, expected[i].first);
        EXPECT_EQ(rows[i].count, expected[i].second);
        geo::TGeoIP reader(db);
        geo::TGeoIPCity record;
        const bool found = reader.LookupCity(rows[i].address, record) == geo::lrFound;
        EXPECT_EQ(rows[i].found, found);
        EXPECT_EQ(rows[i].record, found ? record : geo::TGeoIPCity{});
        EXPECT_EQ(rows[i].organization, geo::OrganizationOf(rows[i].address, asn, ""));
    }
}

TEST_F(Bulk, OutcomesOfOddRuns) {
    struct Odd {
        const char* name;
        std::string text;
        bool stopAfterFirstBatch;
        BulkOutcome outcome;
        std::size_t rows;
    };
    std::string many;
    for (int i = 0; i < 3000; ++i)
        many += "1.2." + std::to_string(i / 256) + "." + std::to_string(i % 256) + "\n";
    const Odd odds[] = {
        {"NoAddress", "hello 1.2.3 world\n", false, BulkOutcome::NoAddresses, 0},
        {"Empty", "", false, BulkOutcome::NoAddresses, 0},
        {"StoppedBetweenBatches", many, true, BulkOutcome::Stopped, BulkLocate::kBatchRows},
        {"TwoBatches", many, false, BulkOutcome::Done, 3000},
    };
    for (const Odd& odd : odds) {
        SCOPED_TRACE(odd.name);
        stop = false;
        std::size_t rows = 0;
        BulkHooks hooks;
        hooks.rows = [&](std::vector<BulkRow>&& batch, std::size_t, std::size_t) {
            rows += batch.size();
            if (odd.stopAfterFirstBatch)
                stop = true;
        };
        EXPECT_EQ(Run(odd.text).Run(stop, hooks), odd.outcome);
        EXPECT_EQ(rows, odd.rows);
    }
}

// A file read in two halves at once answers as the same file read whole:
// the same addresses, counts and first-seen order, wherever the cut falls.
TEST_F(Bulk, AFileReadInHalvesAnswersAsReadWhole) {
    const std::string texts[] = {
        "1.2.3.4 a\n6.6.6.6 b\n1.2.3.4 c\n6.6.6.7 d\n6.6.6.6 e\n9.9.9.9 f\n1.2.3.5\n",
        "6.6.6.6\n6.6.6.6\n6.6.6.6\n1.2.3.4 1.2.3.4 6.6.6.6\n", // the half after has nothing new
        "1.2.3.4 no line end anywhere 6.6.6.6 1.2.3.4 6.6.6.8", // read whole
        "\n\n\n\n1.2.3.4\n",                                    // the first half has nothing
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        const std::string name = folder.File("log.txt");
        FILE* out = std::fopen(name.c_str(), "wb");
        ASSERT_NE(out, nullptr);
        std::fwrite(text.data(), 1, text.size(), out);
        std::fclose(out);
        auto rowsOf = [&](std::uint64_t splitAbove) {
            const int fd = ::open(name.c_str(), O_RDONLY);
            std::vector<std::pair<std::string, std::uint64_t>> rows;
            BulkHooks hooks;
            hooks.rows = [&](std::vector<BulkRow>&& batch, std::size_t, std::size_t) {
                for (const BulkRow& row : batch)
                    rows.emplace_back(row.address, row.count);
            };
            BulkLocate::Parts parts = orvanta::bulk::FileParts(fd, name, text.size());
            parts.splitAbove = splitAbove;
            BulkLocate(std::move(parts), [this] {
                return orvanta::bulk::OpenRunDatabases({db, "", "", ""});
            }).Run(stop, hooks);
            ::close(fd);
            return rows;
        };
        EXPECT_EQ(rowsOf(1), rowsOf(text.size() + 1));
        EXPECT_EQ(rowsOf(1), rowsOf(1)); // the same every time
    }
}

TEST_F(Bulk, ErrorsOfTheReaderAndTheDatabaseReachTheCaller) {
    BulkLocate failing([](char*, std::size_t) -> std::size_t { throw std::runtime_error("bad"); },
                       [this] {
                           return orvanta::bulk::OpenRunDatabases({db, "", "", ""});
                       });
    EXPECT_THROW(failing.Run(stop, {}), std::runtime_error);
    BulkLocate noDatabase(TextReader("1.2.3.4"), [this] {
        return orvanta::bulk::OpenRunDatabases({folder.File("missing.dat"), "", "", ""});
    });
    EXPECT_THROW(noDatabase.Run(stop, {}), geo::EFOpenError);
}

} // namespace
