// SPDX-License-Identifier: GPL-3.0-or-later
// orvanta-db update against a loopback server that serves gzipped test MMDBs
// in the nested shape of DB-IP's own download: the months it tries, what it
// leaves in the data folder, when it does nothing, and that every bad input
// leaves the installed database and the folder exactly as they were.

#include "CityRecords.h"
#include "DatabaseUpdate.h"
#include "LoopbackHttpServer.h"
#include "MmdbTestWriter.h"
#include "ToolRunner.h"
#include "geoip/AsnDatabase.h"
#include "geoip/TGeoIP.h"
#include "geoip/TGeoIPv6.h"
#include "mmdbimport/Progress.h"
#include "mmdbimport/RegionCodes.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <unistd.h>
#include <zlib.h>

namespace orvanta::dbtool::test {
namespace {

namespace fs = std::filesystem;
using namespace orvanta::mmdbtest;
using orvanta::test::HttpExchange;
using orvanta::test::HttpReply;
using orvanta::test::LoopbackHttpServer;

std::string Gzip(const std::string& bytes) {
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, bytes.size()) + 64, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

// DB-IP's download: an IPv6 database with the IPv4 space at ::/96.
std::string DbipMmdb(const std::string& city, std::uint64_t epoch = 1764547200,
                     const std::string& type = "DBIP-City-Lite", double ipv6Latitude = 50.11) {
    MmdbTestWriter writer(6, 24, type);
    writer.SetBuildEpoch(epoch);
    writer.Insert(Ip(8, 8, 8, 0), 24, DbipNestedCity("US", "California", city, 37.4, -122.08));
    writer.Insert(Ip(2, 0, 0, 0), 16, DbipNestedCity("FR", "", "Paris", 48.85, 2.35));
    writer.InsertIPv6({0x2a, 0x00, 0x14, 0x50}, 32,
                      DbipNestedCity("DE", "Hesse", city, ipv6Latitude, 8.68));
    return writer.Bytes();
}

// An IPv6 database with nothing but IPv4 networks.
std::string IPv4OnlyMmdb(const std::string& city) {
    MmdbTestWriter writer(6, 24, "DBIP-City-Lite");
    writer.Insert(Ip(8, 8, 8, 0), 24, DbipNestedCity("US", "California", city, 37.4, -122.08));
    return writer.Bytes();
}

// DB-IP's ASN Lite download: one IPv6 database for both families.
std::string DbipAsnMmdb(const std::string& name, std::uint64_t epoch = 1764547200) {
    MmdbTestWriter writer(6, 24, "DBIP-ASN-Lite (compat=GeoLite2-ASN)");
    writer.SetBuildEpoch(epoch);
    const Value record = Map({{"autonomous_system_number", Uint32(15169)},
                              {"autonomous_system_organization", Text(name)}});
    writer.Insert(Ip(8, 8, 8, 0), 24, record);
    writer.InsertIPv6({0x20, 0x01, 0x48, 0x60}, 32, record);
    return writer.Bytes();
}

class UpdateTest : public ::testing::Test {
public:
    UpdateTest()
        : server_([this](const HttpExchange& e) {
              const auto file = files_.find(e.target.substr(1));
              return file == files_.end() ? HttpReply{404, {}, "not here"} : file->second;
          }) {}

    UpdateRequest Request(int year = 2026, unsigned month = 12) const {
        UpdateRequest request;
        request.dir = dir_.string();
        request.baseUrl = server_.BaseUrl() + "/free/";
        request.year = year;
        request.month = month;
        request.regionCodesPath = mmdbimport::RegionCodes::DefaultPath;
        return request;
    }

    void Serve(const std::string& name, const std::string& body, int status = 200) {
        files_["free/" + name] = HttpReply{status, {}, body};
    }

    // Runs the update; returns "" on success, else the error's text.
    std::string Update(const UpdateRequest& request) {
        std::ostringstream out;
        std::ostringstream err;
        mmdbimport::NoProgress progress;
        output_.clear();
        try {
            UpdateDatabase(request, progress, out, err);
        } catch (const UpdateError& error) {
            return error.what();
        }
        output_ = out.str();
        return "";
    }

    std::string City(const std::string& address) const {
        geoip::TGeoIP reader((dir_ / "GeoLiteCity.dat").string());
        geoip::TGeoIPCity record;
        reader.LookupCity(address, record);
        return record.Region + "/" + record.City;
    }

    // The organisation text of an address in the installed files.
    std::string Org(geoip::AddressValue address, bool ipv6) const {
        const fs::path file = dir_ / (ipv6 ? "GeoIPASNumv6.dat" : "GeoIPASNum.dat");
        return geoip::AsnDatabase(file.string(), ipv6 ? 128 : 32).Lookup(address).value_or("-");
    }

    std::string UpdateAsn(const UpdateRequest& request) {
        std::ostringstream out;
        std::ostringstream err;
        mmdbimport::NoProgress progress;
        output_.clear();
        try {
            UpdateAsnDatabases(request, progress, out, err);
        } catch (const UpdateError& error) {
            return error.what();
        }
        output_ = out.str();
        return "";
    }

    std::string IPv6City(const std::string& address) const {
        geoip::TGeoIPv6 reader((dir_ / "GeoLiteCityv6.dat").string());
        geoip::TGeoIPCity record;
        reader.LookupCity(address, record);
        return record.Region + "/" + record.City;
    }

    std::vector<std::string> Targets() const {
        std::vector<std::string> targets;
        for (const HttpExchange& e : server_.Requests()) {
            targets.push_back(e.target);
        }
        return targets;
    }

    // Every file below the data folder with its bytes.
    std::map<std::string, std::string> Snapshot() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(dir_)) {
            files[entry.path().string()] =
                entry.is_regular_file() ? ReadFile(entry.path().string()) : "<dir>";
        }
        return files;
    }

    TempFolder folder_;
    const fs::path dir_ = folder_.path() / "data";
    std::map<std::string, HttpReply> files_;
    LoopbackHttpServer server_;
    std::string output_;
};

TEST_F(UpdateTest, TakesThisMonthsFileAndFillsTheDataFolder) {
    Serve("dbip-city-lite-2026-12.mmdb.gz", Gzip(DbipMmdb("Mountain View")));
    Serve("dbip-city-lite-2026-11.mmdb.gz", Gzip(DbipMmdb("Old Town")));
    ASSERT_EQ(Update(Request()), "");
    EXPECT_EQ(Targets(), std::vector<std::string>{"/free/dbip-city-lite-2026-12.mmdb.gz"});
    EXPECT_EQ(City("8.8.8.8"), "California/Mountain View");
    EXPECT_EQ(City("2.0.1.1"), "/Paris");
    EXPECT_EQ(IPv6City("2a00:1450:4001:82a::200e"), "Hesse/Mountain View");
    EXPECT_EQ(ReadFile((dir_ / "db/SOURCE.txt").string()),
              "source: dbip-city-lite-2026-12.mmdb.gz\nbuild_epoch: 1764547200\n"
              "built: 2025-12-01 00:00:00 UTC\n");
    EXPECT_NE(ReadFile((dir_ / "db/ATTRIBUTION.txt").string()).find("IP Geolocation by DB-IP"),
              std::string::npos);
    EXPECT_NE(ReadFile((dir_ / "db/README.txt").string()).find("orvanta-db update"),
              std::string::npos);
    EXPECT_NE(output_.find("made from dbip-city-lite-2026-12.mmdb.gz"), std::string::npos);
    EXPECT_EQ(server_.Requests().at(0).Header("user-agent").rfind("Orvanta/", 0), 0u);
}

TEST_F(UpdateTest, TakesLastMonthsFileWhileThisMonthsIsNotOut) {
    Serve("dbip-city-lite-2026-12.mmdb.gz", Gzip(DbipMmdb("December")));
    ASSERT_EQ(Update(Request(2027, 1)), "");
    EXPECT_EQ(Targets(), (std::vector<std::string>{"/free/dbip-city-lite-2027-01.mmdb.gz",
                                                   "/free/dbip-city-lite-2026-12.mmdb.gz"}));
    EXPECT_EQ(City("8.8.8.8"), "California/December");
    // Still not out: the installed file is last month's, so nothing to do.
    ASSERT_EQ(Update(Request(2027, 1)), "");
    EXPECT_NE(output_.find("already made from dbip-city-lite-2026-12.mmdb.gz"), std::string::npos);
    EXPECT_EQ(server_.RequestCount(), 3u);
}

TEST_F(UpdateTest, LeavesACurrentDatabaseUnlessForced) {
    Serve("dbip-city-lite-2026-12.mmdb.gz", Gzip(DbipMmdb("First")));
    ASSERT_EQ(Update(Request()), "");
    const auto before = Snapshot();
    Serve("dbip-city-lite-2026-12.mmdb.gz", Gzip(DbipMmdb("Second")));
    ASSERT_EQ(Update(Request()), "");
    EXPECT_NE(output_.find("already made from"), std::string::npos);
    EXPECT_EQ(server_.RequestCount(), 1u); // nothing downloaded
    EXPECT_EQ(Snapshot(), before);
    UpdateRequest forced = Request();
    forced.force = true;
    ASSERT_EQ(Update(forced), "");
    EXPECT_EQ(server_.RequestCount(), 2u);
    EXPECT_EQ(City("8.8.8.8"), "California/Second");
}

TEST_F(UpdateTest, TakesAFileGivenByHandGzippedOrNot) {
    UpdateRequest request = Request();
    request.baseUrl = "https://unused.invalid";
    request.fromFile = folder_.Write("dbip-city-lite-2026-10.mmdb.gz", Gzip(DbipMmdb("Gz")));
    ASSERT_EQ(Update(request), "");
    EXPECT_EQ(City("8.8.8.8"), "California/Gz");
    ASSERT_EQ(Update(request), "");
    EXPECT_NE(output_.find("already made from dbip-city-lite-2026-10.mmdb.gz"), std::string::npos);
    // The same name with a newer build is a new source.
    request.fromFile = folder_.Write("dbip-city-lite-2026-10.mmdb.gz",
                                     Gzip(DbipMmdb("Rebuilt", 1764547200 + 86400)));
    ASSERT_EQ(Update(request), "");
    EXPECT_EQ(City("8.8.8.8"), "California/Rebuilt");
    request.fromFile = folder_.Write("plain.mmdb", DbipMmdb("Plain"));
    ASSERT_EQ(Update(request), "");
    EXPECT_EQ(City("8.8.8.8"), "California/Plain");
    EXPECT_EQ(server_.RequestCount(), 0u);
}

struct BadInput {
    const char* name;
    std::function<void(UpdateTest&, UpdateRequest&)> arrange;
    const char* error;
};

void PrintTo(const BadInput& c, std::ostream* os) {
    *os << c.name;
}

class UpdateBadInputTest : public UpdateTest, public ::testing::WithParamInterface<BadInput> {};

std::string ThisMonth() {
    return "dbip-city-lite-2026-12.mmdb.gz";
}

const BadInput BadInputs[] = {
    {"ServerDown",
     [](UpdateTest&, UpdateRequest& r) {
         std::uint16_t port;
         {
             LoopbackHttpServer gone([](const HttpExchange&) { return HttpReply{}; });
             port = gone.Port();
         }
         r.baseUrl = "http://127.0.0.1:" + std::to_string(port);
     },
     "Download failed"},
    {"BothMonthsMissing", [](UpdateTest&, UpdateRequest&) {},
     "Neither dbip-city-lite-2026-12.mmdb.gz nor dbip-city-lite-2026-11.mmdb.gz"},
    {"ServerError", [](UpdateTest& t, UpdateRequest&) { t.Serve(ThisMonth(), "oops", 500); },
     "answered HTTP 500"},
    {"TruncatedGzip",
     [](UpdateTest& t, UpdateRequest&) {
         const std::string gz = Gzip(DbipMmdb("Cut"));
         t.Serve(ThisMonth(), gz.substr(0, gz.size() / 2));
     },
     "ends early"},
    {"GzipOfGarbage",
     [](UpdateTest& t, UpdateRequest&) { t.Serve(ThisMonth(), Gzip(std::string(5000, 'x'))); },
     "is not an MMDB database"},
    {"DamagedGzip",
     [](UpdateTest& t, UpdateRequest&) {
         std::string gz = Gzip(DbipMmdb("Damaged"));
         for (std::size_t i = 20; i < gz.size() - 8; i += 7) {
             gz[i] = static_cast<char>(gz[i] ^ 0x5A);
         }
         t.Serve(ThisMonth(), gz);
     },
     "Cannot unpack"},
    {"CountryDatabase",
     [](UpdateTest& t, UpdateRequest&) {
         MmdbTestWriter writer(6, 24, "DBIP-Country-Lite");
         writer.Insert(Ip(8, 8, 8, 0), 24, Map({{"country", Map({{"iso_code", Text("US")}})}}));
         t.Serve(ThisMonth(), Gzip(writer.Bytes()));
     },
     "is a DBIP-Country-Lite database, not a city database"},
    {"AsnDatabase",
     [](UpdateTest& t, UpdateRequest&) {
         MmdbTestWriter writer(6, 24, "DBIP-ASN-Lite");
         writer.Insert(Ip(8, 8, 8, 0), 24, Map({{"autonomous_system_number", Uint32(15169)}}));
         t.Serve(ThisMonth(), Gzip(writer.Bytes()));
     },
     "not a city database"},
    {"NoIpv4Data",
     [](UpdateTest& t, UpdateRequest&) {
         MmdbTestWriter writer(6, 24, "DBIP-City-Lite");
         writer.InsertIPv6({0x20, 0x01, 0x0d, 0xb8}, 32, DbipNestedCity("US", "", "Six", 1, 2));
         t.Serve(ThisMonth(), Gzip(writer.Bytes()));
     },
     "holds no IPv4 data"},
    {"IPv6PartCannotBeStored",
     [](UpdateTest& t, UpdateRequest&) {
         t.Serve(ThisMonth(), Gzip(DbipMmdb("Far", 1764547200, "DBIP-City-Lite", 5000)));
     },
     "latitude 5000"},
    {"DownloadOverTheCap",
     [](UpdateTest& t, UpdateRequest& r) {
         t.Serve(ThisMonth(), Gzip(DbipMmdb("Big")));
         r.maxDownloadBytes = 100;
     },
     "larger than 100 bytes"},
    {"UnpacksOverTheCap",
     [](UpdateTest& t, UpdateRequest& r) {
         t.Serve(ThisMonth(), Gzip(std::string(1 << 20, 'z')));
         r.maxUnpackedBytes = 1000;
     },
     "unpacks to more than 1000 bytes"},
    {"FolderCannotBeWritten",
     [](UpdateTest& t, UpdateRequest&) {
         t.Serve(ThisMonth(), Gzip(DbipMmdb("Blocked")));
         fs::remove_all(t.dir_ / "db");
         t.folder_.Write("data/db", "a file where the db folder belongs");
     },
     "Cannot create the folder"},
    {"MissingHandFile",
     [](UpdateTest& t, UpdateRequest& r) { r.fromFile = t.folder_.File("nowhere.mmdb.gz"); },
     "Cannot read"},
};

TEST_P(UpdateBadInputTest, LeavesTheInstalledDatabaseAndFolderAlone) {
    Serve(ThisMonth(), Gzip(DbipMmdb("Installed", 1000)));
    UpdateRequest first = Request();
    ASSERT_EQ(Update(first), "");
    files_.clear();
    UpdateRequest request = Request();
    request.force = true;
    GetParam().arrange(*this, request);
    const auto before = Snapshot();
    const std::string error = Update(request);
    EXPECT_NE(error.find(GetParam().error), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(City("8.8.8.8"), "California/Installed");
}

INSTANTIATE_TEST_SUITE_P(Inputs, UpdateBadInputTest, ::testing::ValuesIn(BadInputs),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(UpdateTest, SourceWithoutIPv6NetworksInstallsTheIPv4FileAlone) {
    Serve(ThisMonth(), Gzip(IPv4OnlyMmdb("Only Four")));
    ASSERT_EQ(Update(Request()), "");
    EXPECT_EQ(City("8.8.8.8"), "California/Only Four");
    EXPECT_FALSE(fs::exists(dir_ / "GeoLiteCityv6.dat"));
    EXPECT_NE(ReadFile((dir_ / "db/SOURCE.txt").string()).find("\nipv6: none\n"),
              std::string::npos);
    // Installed as it is: the same file again changes nothing.
    EXPECT_EQ(Update(Request()), "");
    EXPECT_NE(output_.find("nothing to do"), std::string::npos) << output_;
}

TEST_F(UpdateTest, ReadOnlyFolderIsReportedAndLeftAlone) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root writes into read-only folders";
    }
    Serve("dbip-city-lite-2026-12.mmdb.gz", Gzip(DbipMmdb("First")));
    ASSERT_EQ(Update(Request()), "");
    const auto before = Snapshot();
    fs::permissions(dir_, fs::perms::owner_write, fs::perm_options::remove);
    UpdateRequest forced = Request();
    forced.force = true;
    const std::string error = Update(forced);
    fs::permissions(dir_, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_NE(error.find("Cannot create a temporary file"), std::string::npos) << error;
    EXPECT_EQ(Snapshot(), before);
}

constexpr geoip::AddressValue GoogleV4 = 0x08080808;
constexpr geoip::AddressValue GoogleV6 = geoip::AddressValue(0x20014860) << 96 | 0x8888;

TEST_F(UpdateTest, InstallsTheOrganisationFilesAndKnowsWhenTheyAreCurrent) {
    Serve("dbip-city-lite-2026-12.mmdb.gz", Gzip(DbipMmdb("Mountain View")));
    Serve("dbip-asn-lite-2026-11.mmdb.gz", Gzip(DbipAsnMmdb("Google LLC")));
    ASSERT_EQ(Update(Request()), "");
    const std::string citySource = ReadFile((dir_ / "db/SOURCE.txt").string());
    ASSERT_EQ(UpdateAsn(Request()), "");
    EXPECT_EQ(Org(GoogleV4, false), "AS15169 Google LLC");
    EXPECT_EQ(Org(GoogleV6, true), "AS15169 Google LLC");
    EXPECT_EQ(Org(0x09090909, false), "-");
    EXPECT_EQ(ReadFile((dir_ / "db/SOURCE-asn.txt").string()),
              "source: dbip-asn-lite-2026-11.mmdb.gz\nbuild_epoch: 1764547200\n"
              "built: 2025-12-01 00:00:00 UTC\n");
    EXPECT_EQ(ReadFile((dir_ / "db/SOURCE.txt").string()), citySource);
    EXPECT_NE(output_.find("IP to ASN Lite by DB-IP"), std::string::npos) << output_;
    const auto before = Snapshot();
    const std::size_t requests = server_.RequestCount();
    ASSERT_EQ(UpdateAsn(Request()), "");
    EXPECT_NE(output_.find("already made from dbip-asn-lite-2026-11.mmdb.gz"), std::string::npos);
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(server_.RequestCount(), requests + 1); // only the December name asked
}

TEST_F(UpdateTest, AFailureOfOneKindLeavesTheOtherKindsFilesAlone) {
    Serve("dbip-city-lite-2026-12.mmdb.gz", Gzip(DbipMmdb("Installed")));
    Serve("dbip-asn-lite-2026-12.mmdb.gz", Gzip(DbipAsnMmdb("Google LLC")));
    ASSERT_EQ(Update(Request()), "");
    ASSERT_EQ(UpdateAsn(Request()), "");
    UpdateRequest forced = Request();
    forced.force = true;
    const auto before = Snapshot();
    // A city database where the ASN download belongs, and cut downloads.
    Serve("dbip-asn-lite-2026-12.mmdb.gz", Gzip(DbipMmdb("Wrong kind")));
    EXPECT_NE(UpdateAsn(forced).find("is not an ASN database"), std::string::npos);
    const std::string cut = Gzip(DbipAsnMmdb("Cut"));
    Serve("dbip-asn-lite-2026-12.mmdb.gz", cut.substr(0, cut.size() / 2));
    EXPECT_NE(UpdateAsn(forced).find("ends early"), std::string::npos);
    EXPECT_EQ(Snapshot(), before);
    Serve("dbip-city-lite-2026-12.mmdb.gz", Gzip(DbipAsnMmdb("Not a city")));
    EXPECT_NE(Update(forced).find("not a city database"), std::string::npos);
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(City("8.8.8.8"), "California/Installed");
    EXPECT_EQ(Org(GoogleV4, false), "AS15169 Google LLC");
}

TEST_F(UpdateTest, AnAsnFileGivenByHandReplacesTheOrganisationFilesOnly) {
    Serve("dbip-city-lite-2026-12.mmdb.gz", Gzip(DbipMmdb("Installed")));
    ASSERT_EQ(Update(Request()), "");
    const std::string city = ReadFile((dir_ / "GeoLiteCity.dat").string());
    UpdateRequest request = Request();
    request.fromFile = folder_.Write("dbip-asn-lite-2026-10.mmdb.gz", Gzip(DbipAsnMmdb("Hand")));
    ASSERT_EQ(Update(request), "");
    EXPECT_EQ(Org(GoogleV4, false), "AS15169 Hand");
    EXPECT_EQ(ReadFile((dir_ / "GeoLiteCity.dat").string()), city);
    ASSERT_EQ(Update(request), "");
    EXPECT_NE(output_.find("already made from dbip-asn-lite-2026-10.mmdb.gz"), std::string::npos);
}

TEST(UpdateCommandTest, RunsFromTheCommandLineWithOneLineOnFailure) {
    TempFolder folder;
    std::string served;
    std::string servedAsn;
    LoopbackHttpServer server([&served, &servedAsn](const HttpExchange& e) {
        if (e.target.find("/dbip-asn-lite-") == 0 && !servedAsn.empty()) {
            return HttpReply{200, {}, servedAsn};
        }
        return e.target.find("/dbip-city-lite-") == 0 && !served.empty()
                   ? HttpReply{200, {}, served}
                   : HttpReply{404, {}, ""};
    });
    const std::string dir = folder.File("data");
    const ToolResult missing = RunTool({"update", "--dir", dir, "--url", server.BaseUrl()});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(std::count(missing.err.begin(), missing.err.end(), '\n'), 1) << missing.err;
    EXPECT_FALSE(fs::exists(dir + "/GeoLiteCity.dat"));

    served = Gzip(DbipMmdb("Mountain View"));
    // The city file alone: installed, and the missing ASN download is the failure.
    const ToolResult half = RunTool({"update", "--dir", dir, "--url", server.BaseUrl()});
    EXPECT_EQ(half.status, 1);
    EXPECT_NE(half.err.find("Neither dbip-asn-lite-"), std::string::npos) << half.err;
    EXPECT_TRUE(fs::exists(dir + "/GeoLiteCity.dat"));
    servedAsn = Gzip(DbipAsnMmdb("Google LLC"));
    const ToolResult done = RunTool({"update", "--dir=" + dir, "--url=" + server.BaseUrl()});
    EXPECT_EQ(done.status, 0) << done.err;
    const ToolResult lookup = RunTool({"lookup", "8.8.8.8"}, "", dir);
    EXPECT_NE(lookup.out.find("\tCalifornia\tMountain View\t"), std::string::npos) << lookup.out;
    EXPECT_EQ(RunTool({"update", "--url", "a", "--from", "b"}).status, 2);
    // An empty value is a wrong command line, not the default: an empty
    // --url must not fall back to the mirror of the environment (here the
    // loopback server) or to DB-IP.
    ::setenv("ORVANTA_DB_URL", server.BaseUrl().c_str(), 1);
    for (const char* option : {"--url=", "--from="}) {
        EXPECT_EQ(RunTool({"update", "--dir", dir, option}).status, 2) << option;
    }
    ::unsetenv("ORVANTA_DB_URL");
}

} // namespace
} // namespace orvanta::dbtool::test
