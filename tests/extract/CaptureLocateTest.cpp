// SPDX-License-Identifier: GPL-3.0-or-later
// A capture as a many-address run: rows in first-seen order with packets
// and bytes, located; a stop keeps what was counted; damage after some
// packets keeps their rows and tells the damage; no capture at all throws.
#include "bulk/CaptureLocate.h"

#include "CaptureBytes.h"
#include "TempFolder.h"
#include "geoipwriter/CityDatabaseWriter.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace {

using namespace orvanta::capture::test;
using orvanta::bulk::BulkHooks;
using orvanta::bulk::BulkOutcome;
using orvanta::bulk::BulkRow;

TEST(CaptureLocate, RowsStopsAndDamage) {
    orvanta::test::TempFolder folder;
    const std::string db = folder.File("GeoLiteCity.dat");
    orvanta::geoip::CityRange paris;
    paris.first = 0x01000000;
    paris.last = 0x01FFFFFF;
    paris.record.countryIndex = 74;
    paris.record.city = "Paris";
    paris.record.latitude = 48.8667;
    orvanta::geoip::WriteCityDatabase(db, {paris}, orvanta::geoip::WriteOptions{});
    // 6000 packets: more than the reader goes between two looks at the flag.
    std::vector<TestPacket> packets;
    for (int i = 0; i < 6000; ++i)
        packets.push_back(
            {Ipv4("1.0.0.1", "9.0." + std::to_string(i / 256) + "." + std::to_string(i % 256)),
             100});
    const Bytes capture = CaptureFile(CaptureFormat::PcapMicro, false, 101, packets);
    const struct {
        const char* name;
        Bytes bytes;
        bool stopWhileReading;
        BulkOutcome outcome;
        std::size_t rows;
        std::uint64_t firstPackets;
        bool damaged;
    } cases[] = {
        {"whole", capture, false, BulkOutcome::Done, 6001, 6000, false},
        {"stopped_keeps_counted", capture, true, BulkOutcome::Stopped, 4097, 4096, false},
        {"cut_keeps_counted", capture.substr(0, capture.size() - 7), false, BulkOutcome::Done, 6000,
         5999, true},
        {"no_ip_packets", CaptureFile(CaptureFormat::Pcapng, true, 1, {{Bytes(60, '\1')}}), false,
         BulkOutcome::NoAddresses, 0, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.Write(c.name, c.bytes);
        std::atomic<bool> stop{false};
        std::vector<BulkRow> rows;
        BulkHooks hooks;
        hooks.scanned = [&](std::uint64_t) { stop = c.stopWhileReading; };
        hooks.rows = [&](std::vector<BulkRow>&& batch, std::size_t, std::size_t) {
            for (BulkRow& row : batch)
                rows.push_back(std::move(row));
        };
        const orvanta::bulk::CaptureOutcome done = orvanta::bulk::LocateCapture(
            path,
            [&] {
                return orvanta::bulk::OpenRunDatabases({db, "", "", ""});
            },
            stop, hooks);
        EXPECT_EQ(done.outcome, c.outcome);
        EXPECT_EQ(!done.error.empty(), c.damaged) << done.error;
        ASSERT_EQ(rows.size(), c.rows);
        if (!rows.empty()) {
            EXPECT_EQ(rows[0].address, "1.0.0.1");
            EXPECT_EQ(rows[0].count, c.firstPackets);
            EXPECT_EQ(rows[0].bytes, 100 * c.firstPackets);
            EXPECT_TRUE(rows[0].found);
            EXPECT_EQ(rows[0].record.City, "Paris");
            EXPECT_EQ(rows[1].address, "9.0.0.0");
            EXPECT_FALSE(rows[1].found);
        }
    }
    std::atomic<bool> stop{false};
    const std::string text = folder.Write("text.pcap", "1.0.0.1\n");
    EXPECT_THROW(
        orvanta::bulk::LocateCapture(text,
                                     [&] {
                                         return orvanta::bulk::OpenRunDatabases({db, "", "", ""});
                                     },
                                     stop, {}),
        std::runtime_error);
}

} // namespace
