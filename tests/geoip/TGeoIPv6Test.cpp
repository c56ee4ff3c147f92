// SPDX-License-Identifier: GPL-3.0-or-later
// The IPv6 reader on texts and files made byte by byte: which texts are
// addresses, how editions are told apart, and damaged files that must be
// answered (found or not found) without a crash or a read outside the file,
// the same by the file reader and the in-memory image.

#include "geoip/TGeoIPv6.h"

#include "TestDatabase.h"
#include "geoip/CityDatabaseImageV6.h"
#include "geoip/IPv6Text.h"
#include "geoip/TGeoIP.h"

#include <gtest/gtest.h>

namespace orvanta::geoip::test {
namespace {

// One node: addresses with the top bit clear end at the boundary (not
// found), the others at the record at record-area offset 1.
Bytes OneNodeFile(std::uint8_t edition, const Bytes& record) {
    return Node(1, 2) + Bytes(1, '\0') + record + EditionBlock(edition, 1);
}

TEST(TGeoIPv6Test, AddressTexts) {
    struct Row {
        const char* name;
        std::string text;
        TLookupResult result;
    } rows[] = {
        {"Unspecified", "::", lrNotFound},
        {"Loopback", "::1", lrNotFound},
        {"TrailingDoubleColon", "1::", lrNotFound},
        {"IPv4Mapped", "::ffff:1.2.3.4", lrNotFound},
        {"EightGroups", "8001:0db8:0000:0000:0000:ff00:0042:8329", lrFound},
        {"UpperCase", "8001:DB8::FF00:42:8329", lrFound},
        {"NineGroups", "1:2:3:4:5:6:7:8:9", lrInvalidAddress},
        {"TwoDoubleColons", "1::2::3", lrInvalidAddress},
        {"TripleColon", ":::", lrInvalidAddress},
        {"FiveDigitGroup", "12345::", lrInvalidAddress},
        {"ZoneIndex", "fe80::1%eth0", lrInvalidAddress},
        {"Brackets", "[2001:db8::1]", lrInvalidAddress},
        {"Long", std::string(300, '1'), lrInvalidAddress},
        {"Empty", "", lrInvalidAddress},
        {"IPv4Text", "1.2.3.4", lrInvalidAddress},
        {"NulInside", std::string("8001:db8::1\0junk", 16), lrInvalidAddress},
    };
    TempFolder folder;
    const std::string path =
        folder.Write("v6.dat", OneNodeFile(31, Record(38, "", "Toronto", "", 2237000, 1006000)));
    TGeoIPv6 reader(path);
    const CityDatabaseImageV6 image(path);
    for (const Row& row : rows) {
        TGeoIPCity record;
        int prefix = 0;
        EXPECT_EQ(reader.LookupCity(row.text, record, prefix), row.result) << row.name;
        EXPECT_EQ(prefix, row.result == lrInvalidAddress ? -1 : 1) << row.name;
        EXPECT_EQ(image.LookupCity(row.text, record, prefix), row.result) << row.name;
    }
}

TEST(TGeoIPv6Test, MappedAddressesAreToldApart) {
    std::uint32_t ipv4 = 0;
    EXPECT_TRUE(IsIPv4Mapped(*ParseIPv6Address("::ffff:1.2.3.4"), ipv4));
    EXPECT_EQ(ipv4, 0x01020304u);
    EXPECT_FALSE(IsIPv4Mapped(*ParseIPv6Address("::1.2.3.4"), ipv4));
    EXPECT_FALSE(IsIPv4Mapped(*ParseIPv6Address("1::ffff:1.2.3.4"), ipv4));
    EXPECT_EQ(IPv6NetworkText(*ParseIPv6Address("2001:db8:ffff::1"), 32), "2001:db8::/32");
    EXPECT_EQ(IPv6NetworkText(AllAddressBits, 0), "::/0");
}

TEST(TGeoIPv6Test, EditionsOfTheOtherFamily) {
    struct Row {
        const char* name;
        std::uint8_t edition;
        TLookupResult v6Result; // of TGeoIPv6 for an address with the top bit set
        TLookupResult v4Result; // of TGeoIP for 200.0.0.1
    } rows[] = {
        {"IPv6City", 31, lrFound, lrNotCityEdition},
        {"IPv6CityWithThirdNumber", 30, lrFound, lrNotCityEdition},
        {"AdjustedIPv6Edition", 136, lrFound, lrNotCityEdition},
        {"IPv4City", 6, lrNotCityEdition, lrFound},
        {"IPv6Organisation", 21, lrNotCityEdition, lrNotCityEdition},
        {"Unknown", 40, lrNotCityEdition, lrNotCityEdition},
    };
    TempFolder folder;
    for (const Row& row : rows) {
        const std::string path = folder.Write(
            row.name,
            OneNodeFile(row.edition, Record(225, "CA", "X", "", 2237000, 1006000, 807415)));
        TGeoIPCity record;
        EXPECT_EQ(TGeoIPv6(path).LookupCity("8000::1", record), row.v6Result) << row.name;
        EXPECT_EQ(TGeoIP(path).LookupCity("200.0.0.1", record), row.v4Result) << row.name;
        EXPECT_EQ(TGeoIP(path).segments().empty(), row.v4Result != lrFound) << row.name;
    }
    TGeoIPCity thirdNumber;
    TGeoIPv6(folder.File("IPv6CityWithThirdNumber")).LookupCity("8000::1", thirdNumber);
    EXPECT_EQ(thirdNumber.DmaCode, 807);
    EXPECT_EQ(thirdNumber.AreaCode, 415);
    TGeoIPCity none;
    TGeoIPv6(folder.File("IPv6City")).LookupCity("8000::1", none);
    EXPECT_EQ(none.DmaCode, 0);
}

TEST(TGeoIPv6Test, DamagedFilesAreAnsweredInsideTheFile) {
    const Bytes record = Record(38, "", "Toronto", "", 2237000, 1006000);
    const Bytes good = OneNodeFile(31, record);
    struct Row {
        const char* name;
        Bytes file;
    } rows[] = {
        {"CutInTheTree", Node(1, 2).substr(0, 4) + EditionBlock(31, 1)},
        {"CutInTheRecord", Node(1, 2) + record.substr(0, 5) + EditionBlock(31, 1)},
        {"TreeLoopsToTheRoot", Node(0, 0) + record + EditionBlock(31, 2)},
        {"ChildPastTheEnd", Node(1000, 1) + EditionBlock(31, 5000)},
        {"RecordPastTheEnd", Node(1, 0xFFFFFE) + EditionBlock(31, 1)},
        {"BoundaryZero", good.substr(0, good.size() - 3) + Bytes(3, '\0')},
        {"BoundaryPastTheTree", Node(1, 2) + record + EditionBlock(31, 0xFFFFFE)},
        {"OnlyTheEditionBlock", EditionBlock(31, 1)},
        {"Empty", ""},
    };
    const char* addresses[] = {"::", "8000::1", "ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff", "::1"};
    TempFolder folder;
    for (const Row& row : rows) {
        const std::string path = folder.Write(row.name, row.file);
        TGeoIPv6 reader(path);
        const CityDatabaseImageV6 image(path);
        for (const char* address : addresses) {
            TGeoIPCity fromFile;
            TGeoIPCity fromImage;
            int filePrefix = 0;
            int imagePrefix = 0;
            const TLookupResult result = reader.LookupCity(address, fromFile, filePrefix);
            EXPECT_NE(result, lrInvalidAddress) << row.name << " " << address;
            EXPECT_EQ(image.LookupCity(address, fromImage, imagePrefix), result)
                << row.name << " " << address;
            EXPECT_EQ(imagePrefix, filePrefix) << row.name << " " << address;
            EXPECT_EQ(fromImage, fromFile) << row.name << " " << address;
        }
    }
    TGeoIPCity looped;
    int prefix = 0;
    TGeoIPv6(folder.File("TreeLoopsToTheRoot")).LookupCity("::", looped, prefix);
    EXPECT_EQ(prefix, 128); // through every bit, then value 0 as for IPv4
}

} // namespace
} // namespace orvanta::geoip::test
