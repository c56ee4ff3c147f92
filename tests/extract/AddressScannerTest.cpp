// SPDX-License-Identifier: GPL-3.0-or-later
// What counts as an address in a log, fed whole and in every split.
#include "extract/AddressTally.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using orvanta::extract::AddressScanner;
using orvanta::extract::AddressTally;

// "text:count" of every distinct address, in first-seen order.
std::vector<std::string> Found(const std::string& text, std::size_t piece) {
    AddressTally tally;
    AddressScanner scanner([&](const auto& a) { tally.Add(a); });
    for (std::size_t at = 0; at < text.size(); at += piece)
        scanner.Feed(std::string_view(text).substr(at, piece));
    scanner.Finish();
    std::vector<std::string> out;
    for (const auto& e : tally.Entries())
        out.push_back(e.address.Text() + ":" + std::to_string(e.count));
    return out;
}

struct Case {
    const char* name;
    std::string text;
    std::vector<std::string> found;
};

class Extraction : public testing::TestWithParam<Case> {};

TEST_P(Extraction, FindsTheSameInAnySplit) {
    const Case& c = GetParam();
    for (std::size_t piece :
         {c.text.size() + 1, std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{7}})
        EXPECT_EQ(Found(c.text, piece), c.found) << "pieces of " << piece;
}

const Case kCases[] = {
    {"Empty", "", {}},
    {"WholeTextIsOne", "1.2.3.4", {"1.2.3.4:1"}},
    {"StartAndEndOfText", "8.8.8.8 x 9.9.9.9", {"8.8.8.8:1", "9.9.9.9:1"}},
    {"CountsInFirstSeenOrder",
     "10.0.0.2 - - [x] \"GET /\"\n10.0.0.1 a\n10.0.0.2 b\n10.0.0.2",
     {"10.0.0.2:3", "10.0.0.1:1"}},
    {"Bounds", "0.0.0.0 255.255.255.255", {"0.0.0.0:1", "255.255.255.255:1"}},
    {"GroupsOfEveryLength", "10.100.9.99 1.20.199.0", {"10.100.9.99:1", "1.20.199.0:1"}},
    {"GroupTooLarge", "256.1.1.1 1.2.3.300", {}},
    {"LeadingZeros", "01.2.3.4 1.2.3.04 1.02.3.4", {}},
    {"LongerRunsOfDigitsAndDots", "1.2.3.4.5 7 1.2.3 1.2.3.4..5 12341.2.3.4", {}},
    {"VersionNumbersAndDates", "v2.1.0 2024.01.02 3.14", {}},
    {"SentencePunctuation",
     "from 1.2.3.4. Then (5.6.7.8), ...9.9.9.9",
     {"1.2.3.4:1", "5.6.7.8:1", "9.9.9.9:1"}},
    {"Ports", "1.2.3.4:80 [2001:db8::1]:443", {"1.2.3.4:1", "2001:db8::1:1"}},
    {"NextToLetters", "ip=1.2.3.4;host:5.6.7.8,x", {"1.2.3.4:1", "5.6.7.8:1"}},
    {"InsideHostNames",
     "host129.206.196.21.example.com 4.3.2.1.in-addr.arpa www.1.2.3.4 1.2.3.4x x1.2.3.4 "
     "_1.2.3.4 a.b.5.6.7.8.c",
     {}},
    {"BesideHostNamesButApart",
     "host 1.2.3.4. Then 5.6.7.8-9.9.9.9 ...8.8.4.4 a..1.1.1.1 x-2.2.2.2 3.3.3.3..c",
     {"1.2.3.4:1", "5.6.7.8:1", "9.9.9.9:1", "8.8.4.4:1", "1.1.1.1:1", "2.2.2.2:1", "3.3.3.3:1"}},
    {"Ipv6Forms",
     "2001:db8:0:0:0:0:0:1 2001:DB8::1 ::1 fe80::1%eth0 1:2:3:4:5:6:7:8",
     {"2001:db8::1:2", "::1:1", "fe80::1:1", "1:2:3:4:5:6:7:8:1"}},
    {"Ipv6WithIpv4Tail",
     "::ffff:1.2.3.4 64:ff9b::192.0.2.33",
     {"::ffff:1.2.3.4:1", "64:ff9b::c000:221:1"}},
    {"Ipv6InBracketsAndPunctuation",
     "[::1] <2001:db8::2>. client:2001:db8::3:",
     {"::1:1", "2001:db8::2:1", "2001:db8::3:1"}},
    {"Ipv6LookAlikes",
     "12:30:45 00:1a:2b:3c:4d:5e std::abc Foo::Bad :: 1::2::3 12345::1 1:2:3:4:5:6:7:8:9 "
     "g::1 ::1x",
     {}},
    {"Ipv6TooLongRunKeepsIpv4Inside",
     "aaaa:aaaa:aaaa:aaaa:aaaa:aaaa:aaaa:aaaa:aaaa:aaaa:aaaa:aaaa:aaaa:1.2.3.4",
     {"1.2.3.4:1"}},
    {"BinaryBytes",
     std::string("\0\xff"
                 "1.2.3.4\x80\0",
                 11),
     {"1.2.3.4:1"}},
};

INSTANTIATE_TEST_SUITE_P(Texts, Extraction, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Tokens taken whole when a piece holds them and a byte at a time when a
// piece boundary cuts them: every cut gives the same.
class CutAnywhere : public testing::TestWithParam<Case> {};

TEST_P(CutAnywhere, FindsTheSameAtEveryCut) {
    const Case& c = GetParam();
    EXPECT_EQ(Found(c.text, c.text.size() + 1), c.found) << "whole";
    for (std::size_t piece = 1; piece <= 24; ++piece)
        EXPECT_EQ(Found(c.text, piece), c.found) << "pieces of " << piece;
}

const Case kCutCases[] = {
    {"LogLineWithTimeOfDay",
     "203.0.113.9 - - [09/Dec/2026:10:00:00 +0000] \"GET /index.html HTTP/1.1\" 200 5120",
     {"203.0.113.9:1"}},
    {"ColonsAroundIpv4",
     "host:1.2.3.4:80 a:5.6.7.8 9.9.9.9: x:www.4.4.4.4:80 12:30:1.1.1.1",
     {"1.2.3.4:1", "5.6.7.8:1", "9.9.9.9:1", "1.1.1.1:1"}},
    {"SixColons",
     "1:2:3:4:5:6:7 a:b:c:d:e:f:1.2.3.4 1:2:3:4:5:1.2.3.4 1:2:3:4:5:6:7:8",
     {"a:b:c:d:e:f:102:304:1", "1.2.3.4:1", "1:2:3:4:5:6:7:8:1"}},
    {"DoubleColons",
     "::1.2.3.4 1::5.6.7.8 ::ffff:10.0.0.1: [::1]:80 x::1 ::: 1::2::3.3.3.3",
     {"::1.2.3.4:1", "1::506:708:1", "::ffff:10.0.0.1:1", "::1:1", "3.3.3.3:1"}},
};

INSTANTIATE_TEST_SUITE_P(Texts, CutAnywhere, testing::ValuesIn(kCutCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ExtractionMemory, AHugeLineOfDigitsIsNoAddressAndNeverHeld) {
    // 100 MB would take long here; the scanner keeps at most its caps, so
    // a few megabytes show the same.
    AddressTally tally;
    AddressScanner scanner([&](const auto& a) { tally.Add(a); });
    const std::string digits(1 << 20, '1');
    scanner.Feed("9.9.9.9 ");
    for (int i = 0; i < 4; ++i)
        scanner.Feed(digits);
    scanner.Feed(".2.3.4 1.2.3.4");
    scanner.Finish();
    ASSERT_EQ(tally.Entries().size(), 2u);
    EXPECT_EQ(tally.Entries()[1].address.Text(), "1.2.3.4");
}

} // namespace
