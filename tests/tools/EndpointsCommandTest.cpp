// SPDX-License-Identifier: GPL-3.0-or-later
// orvanta-db endpoints: the counts of two captures summed, and after them
// exactly the fields `orvanta-db lookup` prints for the address; the exit
// codes and the summary on standard error.

#include "EndpointsCommand.h"

#include "CaptureBytes.h"
#include "ToolRunner.h"
#include "geoipwriter/CityDatabaseWriter.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>

namespace orvanta::dbtool::test {
namespace {

using namespace orvanta::capture::test;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

class EndpointsCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        geoip::CityRecordData paris;
        paris.countryIndex = 74;
        paris.city = "Paris";
        paris.latitude = 48.8667;
        paris.longitude = 2.3333;
        geoip::WriteCityDatabase(folder_.File("GeoLiteCity.dat"),
                                 geoip::CityRanges{{0x01000000, 0x01FFFFFF, paris}}, {2, true});
        // 1.0.0.1 talks to 9.9.9.9 in one file and to itself in the other.
        folder_.Write("a.pcap", CaptureFile(CaptureFormat::PcapMicro, false, 1,
                                            {{Ethernet(0x0800, Ipv4("1.0.0.1", "9.9.9.9", 46))},
                                             {Ethernet(0x0806, Bytes(28, '\0'))},
                                             {Ethernet(0x0800, Ipv4("9.9.9.9", "1.0.0.1"))}}));
        folder_.Write("b.pcapng", CaptureFile(CaptureFormat::Pcapng, true, 101,
                                              {{Ipv4("1.0.0.1", "1.0.0.1"), 1000}}));
    }

    TempFolder folder_;
};

TEST_F(EndpointsCommandTest, CountsThenWhatLookupPrints) {
    const std::vector<std::string> counts = {"1.0.0.1\t3\t1114\t2\t1080\t2\t1034",
                                             "9.9.9.9\t2\t114\t1\t34\t1\t80"};
    const ToolResult run = RunTool({"endpoints", "a.pcap", "b.pcapng"}, "", folder_.path());
    ASSERT_EQ(run.status, 0) << run.err;
    const ToolResult lookup = RunTool({"lookup", "1.0.0.1", "9.9.9.9"}, "", folder_.path());
    const std::vector<std::string> lines = Lines(run.out);
    const std::vector<std::string> looked = Lines(lookup.out);
    ASSERT_EQ(lines.size(), 2u);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i], counts[i] + looked[i].substr(looked[i].find('\t')));
    }
    EXPECT_NE(run.err.find("a.pcap: 3 packets read, 2 with an IP header, 1 skipped, link type "
                           "EN10MB"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("b.pcapng: 1 packets read, 1 with an IP header, 0 skipped, link "
                           "type RAW"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("total: 4 packets read, 3 with an IP header, 1 skipped"),
              std::string::npos);

    const ToolResult json =
        RunTool({"endpoints", "--json", "a.pcap", "b.pcapng"}, "", folder_.path());
    const ToolResult lookupJson =
        RunTool({"lookup", "--json", "1.0.0.1", "9.9.9.9"}, "", folder_.path());
    const std::vector<std::string> jsonLines = Lines(json.out);
    const std::vector<std::string> lookedJson = Lines(lookupJson.out);
    ASSERT_EQ(jsonLines.size(), 2u);
    for (std::size_t i = 0; i < jsonLines.size(); ++i) {
        nlohmann::json expected = nlohmann::json::parse(lookedJson[i]);
        std::istringstream fields(counts[i]);
        std::string field;
        std::getline(fields, field, '\t');
        for (const char* key :
             {"packets", "bytes", "tx_packets", "tx_bytes", "rx_packets", "rx_bytes"}) {
            std::getline(fields, field, '\t');
            expected[key] = std::stoull(field);
        }
        EXPECT_EQ(nlohmann::json::parse(jsonLines[i]), expected);
    }
}

TEST_F(EndpointsCommandTest, ExitCodes) {
    folder_.Write("text.pcap", "9.9.9.9\n");
    const struct {
        const char* name;
        std::vector<std::string> args;
        int status;
        std::size_t lines;
        const char* error;
    } cases[] = {
        {"unreadable_file_others_summed",
         {"endpoints", "a.pcap", "missing.pcap", "text.pcap"},
         1,
         2,
         "missing.pcap: "},
        {"no_file", {"endpoints", "--json"}, 2, 0, "no capture file given"},
        {"unknown_option", {"endpoints", "--bytes", "a.pcap"}, 2, 0, "unknown option --bytes"},
        {"database_missing", {"endpoints", "--db", "none.dat", "a.pcap"}, 1, 0, "none.dat"},
        {"help", {"endpoints", "--help"}, 0, Lines(EndpointsUsage).size(), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ToolResult run = RunTool(c.args, "", folder_.path());
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(Lines(run.out).size(), c.lines);
        EXPECT_NE(run.err.find(c.error), std::string::npos) << run.err;
    }
}

} // namespace
} // namespace orvanta::dbtool::test
