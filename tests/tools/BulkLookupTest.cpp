// SPDX-License-Identifier: GPL-3.0-or-later
// Bulk lookups (several addresses, or standard input) answer from an
// in-memory copy of the database: their lines must be those of one fresh
// reader per address. And the JSON lines must parse, with every field.

#include "BulkLookup.h"

#include "ToolRunner.h"
#include "geoip/TGeoIP.h"
#include "geoipwriter/CityDatabaseWriter.h"

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <poll.h>
#include <random>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace orvanta::dbtool::test {
namespace {

TEST(QuickAddressTest, GivesTheNumberInetAddrGives) {
    std::vector<std::string> texts = {
        "1.2.3.4",   "01.2.3.4",  "1.2.3.04",  "1.2.3.4 ",  "1.2.3.4 x",  "1.2.3",
        "1",         "0x7f.1",    "256.1.1.1", "1.2.3.256", "1.2.3.1000", "255.255.255.255",
        "0.0.0.0",   "1.2.3.4.",  "",          "1..2.3",    ".1.2.3",     "1.2.3.4\n",
        "9.9.9.9x",  "0.0.0.1",   "00.0.0.0",  "-1.2.3.4",  "+1.2.3.4",   "1.2.3.4\t",
        "255.0.0.0", "017.0.0.1", "1.0xff.3.4"};
    texts.push_back(std::string("1.2.3.4\0junk", 12));
    std::mt19937 random(9);
    for (int i = 0; i < 2000; ++i) {
        std::string text;
        for (int part = 0; part < 4; ++part) {
            text += (part ? "." : "") + std::to_string(random() % (i % 2 ? 256 : 300));
        }
        texts.push_back(text);
    }
    for (const std::string& text : texts) {
        EXPECT_EQ(QuickAddressToNumber(text), geoip::TGeoIP::AddressToNumber(text)) << text;
    }
}

class BulkLookupTest : public ::testing::Test {
protected:
    void SetUp() override {
        geoip::CityRanges ranges;
        std::mt19937 random(21);
        std::uint32_t start = 0x01000000;
        for (int i = 0; i < 300 && start < 0xF0000000u; ++i) {
            geoip::CityRecordData record;
            record.countryIndex = static_cast<std::uint8_t>(1 + random() % 252);
            record.region = i % 4 ? "R\xE9gion " + std::to_string(i % 9) : "";
            record.city = "C\"ity\\" + std::to_string(i % 31);
            record.latitude = static_cast<double>(random() % 1800000) / 10000.0 - 90;
            record.longitude = static_cast<double>(random() % 3600000) / 10000.0 - 180;
            const std::uint32_t length = 1 + random() % (1u << (4 + random() % 20));
            ranges.push_back({start, start + length - 1, record});
            start += length + random() % (1u << (random() % 22));
        }
        geoip::WriteCityDatabase(db_, ranges, {6, true});
        for (int i = 0; i < 60; ++i) {
            const std::uint32_t n = static_cast<std::uint32_t>(random()) >> (i % 3 ? 0 : 4);
            addresses_.push_back(std::to_string(n >> 24) + "." + std::to_string(n >> 16 & 255) +
                                 "." + std::to_string(n >> 8 & 255) + "." +
                                 std::to_string(n & 255));
        }
        for (const char* odd : {"nonsense", "0.0.0.0", "255.255.255.255", "0x01000001",
                                "1.2.3.4 trailing", "010.0.0.1"}) {
            addresses_.push_back(odd);
        }
    }

    TempFolder folder_;
    const std::string db_ = folder_.File("GeoLiteCity.dat");
    std::vector<std::string> addresses_;
};

TEST_F(BulkLookupTest, AnswersAsOneReaderPerAddress) {
    for (const std::vector<std::string>& format :
         {std::vector<std::string>{}, std::vector<std::string>{"--json"}}) {
        std::vector<std::string> base = {"lookup", "--db", db_};
        base.insert(base.end(), format.begin(), format.end());
        std::string single;
        std::string input;
        for (const std::string& address : addresses_) {
            std::vector<std::string> args = base;
            args.push_back(address);
            const ToolResult one = RunTool(args);
            ASSERT_EQ(one.status, 0) << one.err;
            single += one.out;
            input += address + "\n";
        }
        std::vector<std::string> all = base;
        all.insert(all.end(), addresses_.begin(), addresses_.end());
        const ToolResult fromArguments = RunTool(all);
        EXPECT_EQ(fromArguments.status, 0) << fromArguments.err;
        EXPECT_EQ(fromArguments.out, single);
        const ToolResult fromInput = RunTool(base, input);
        EXPECT_EQ(fromInput.status, 0) << fromInput.err;
        EXPECT_EQ(fromInput.out, single);
    }
}

TEST_F(BulkLookupTest, JsonLinesParseWithEveryField) {
    const std::string odd = std::string("a\"b\\c\x01\xFF") + "\xC3\xA9";
    const ToolResult result =
        RunTool({"lookup", "--json", "--db", db_}, addresses_[0] + "\n" + odd + "\nnonsense\n");
    ASSERT_EQ(result.status, 0) << result.err;
    std::istringstream lines(result.out);
    std::vector<nlohmann::json> objects;
    for (std::string line; std::getline(lines, line);) {
        objects.push_back(nlohmann::json::parse(line)); // throws on bad JSON or UTF-8
    }
    ASSERT_EQ(objects.size(), 3u);
    const std::vector<std::string> keys = {
        "address",  "result",     "CountryCode", "CountryName",  "Region",
        "City",     "PostalCode", "Latitude",    "Longitude",    "DmaCode",
        "AreaCode", "network",    "asn",         "organization", "special"};
    for (const nlohmann::json& object : objects) {
        ASSERT_EQ(object.size(), keys.size());
        for (const std::string& key : keys) {
            EXPECT_TRUE(object.contains(key)) << key;
        }
        EXPECT_TRUE(object["Latitude"].is_number());
        EXPECT_TRUE(object["DmaCode"].is_number_integer());
    }
    // The TSV line of the same address, field by field.
    const ToolResult tsv = RunTool({"lookup", "--db", db_, addresses_[0]});
    std::vector<std::string> fields;
    // Split by hand: getline would drop the empty fields at the end.
    const std::string line = tsv.out.substr(0, tsv.out.size() - 1);
    for (std::size_t at = 0;;) {
        const std::size_t tab = line.find('\t', at);
        fields.push_back(line.substr(at, tab - at));
        if (tab == std::string::npos) {
            break;
        }
        at = tab + 1;
    }
    ASSERT_EQ(fields.size(), keys.size());
    const nlohmann::json& first = objects[0];
    EXPECT_EQ(first["result"], fields[1]);
    EXPECT_EQ(first["Region"].get<std::string>(), fields[4]);
    EXPECT_EQ(first["City"].get<std::string>(), fields[5].replace(fields[5].find("\\\\"), 2, "\\"));
    EXPECT_EQ(std::to_string(first["DmaCode"].get<int>()), fields[9]);
    EXPECT_EQ(first["network"], fields[11]);

    EXPECT_EQ(objects[1]["address"], "a\"b\\c\x01\xEF\xBF\xBD\xC3\xA9");
    EXPECT_EQ(objects[1]["result"], "lrInvalidAddress");
    EXPECT_TRUE(objects[1]["network"].is_null());
    EXPECT_EQ(objects[2]["Latitude"], 0);
}

// The tool as a co-process: one address in, its line out, with standard
// input still open; every wait bounded.
class CoProcess {
public:
    explicit CoProcess(const std::vector<std::string>& args) {
        int in[2];
        int out[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) {
            throw std::runtime_error("pipe");
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        std::vector<std::string> argv = {ORVANTA_DB_TOOL};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> pointers;
        for (std::string& arg : argv) {
            pointers.push_back(arg.data());
        }
        pointers.push_back(nullptr);
        posix_spawn(&child_, ORVANTA_DB_TOOL, &actions, nullptr, pointers.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        toChild_ = in[1];
        fromChild_ = out[0];
    }
    ~CoProcess() {
        CloseInput();
        ::close(fromChild_);
        if (child_ > 0) {
            ::kill(child_, SIGKILL);
            ::waitpid(child_, nullptr, 0);
        }
    }

    void Send(const std::string& line) {
        const std::string text = line + "\n";
        ASSERT_EQ(::write(toChild_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    // The next line, or "" when none comes within five seconds.
    std::string ReadLine() {
        std::string line;
        char c = 0;
        while (true) {
            pollfd ready{fromChild_, POLLIN, 0};
            if (::poll(&ready, 1, 5000) != 1 || ::read(fromChild_, &c, 1) != 1) {
                return "";
            }
            if (c == '\n') {
                return line;
            }
            line += c;
        }
    }
    void CloseInput() {
        if (toChild_ >= 0) {
            ::close(toChild_);
            toChild_ = -1;
        }
    }
    int Wait() {
        int status = 0;
        for (int i = 0; i < 500 && ::waitpid(child_, &status, WNOHANG) == 0; ++i) {
            ::usleep(10000);
        }
        child_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t child_ = -1;
    int toChild_ = -1;
    int fromChild_ = -1;
};

TEST_F(BulkLookupTest, AnswersAWaitingCallerAndOutlivesTheFileChanging) {
    const std::string expected = RunTool({"lookup", "--db", db_, addresses_[0]}).out;
    CoProcess tool({"lookup", "--db", db_});
    tool.Send(addresses_[0]);
    EXPECT_EQ(tool.ReadLine() + "\n", expected);
    // Cut, then replaced by something else: the run answers from its copy.
    std::filesystem::resize_file(db_, 100);
    folder_.Write("GeoLiteCity.dat", std::string(3, '\xFF') + "junk");
    tool.Send(addresses_[0]);
    EXPECT_EQ(tool.ReadLine() + "\n", expected);
    tool.CloseInput();
    EXPECT_EQ(tool.ReadLine(), "");
    EXPECT_EQ(tool.Wait(), 0);
}

} // namespace
} // namespace orvanta::dbtool::test
