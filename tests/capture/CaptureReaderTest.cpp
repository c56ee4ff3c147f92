// SPDX-License-Identifier: GPL-3.0-or-later
// Whole captures written by the test, in every file flavour libpcap reads,
// summed into endpoints; damaged and foreign files refused or read up to
// the damage; the kind of a file told by its first bytes.

#include "capture/CaptureReader.h"

#include "CaptureBytes.h"
#include "TempFolder.h"
#include "capture/FileKind.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace orvanta::capture::test {
namespace {

constexpr int LinkEthernet = 1;
constexpr int LinkIeee80211 = 105;

using orvanta::test::TempFolder;

struct Counts {
    std::string address;
    std::uint64_t packets, bytes, txPackets, txBytes, rxPackets, rxBytes;
};

std::vector<Counts> CountsOf(const EndpointTally& tally) {
    std::vector<Counts> counts;
    for (const Endpoint& e : tally.Entries()) {
        counts.push_back(
            {e.address.Text(), e.packets, e.bytes, e.txPackets, e.txBytes, e.rxPackets, e.rxBytes});
    }
    return counts;
}

bool operator==(const Counts& a, const Counts& b) {
    return a.address == b.address && a.packets == b.packets && a.bytes == b.bytes &&
           a.txPackets == b.txPackets && a.txBytes == b.txBytes && a.rxPackets == b.rxPackets &&
           a.rxBytes == b.rxBytes;
}

std::ostream& operator<<(std::ostream& out, const Counts& c) {
    return out << c.address << ' ' << c.packets << ' ' << c.bytes << ' ' << c.txPackets << ' '
               << c.txBytes << ' ' << c.rxPackets << ' ' << c.rxBytes;
}

const std::string A = "10.0.0.1", B = "10.0.0.2", C6 = "2001:db8::c", D6 = "2001:db8::d";

// Both directions, a packet to itself, a packet cut by the snap length
// (its wire length counts), ARP and a cut header (skipped).
std::vector<TestPacket> Conversation() {
    return {
        {Ethernet(0x0800, Ipv4(A, B, 66))},
        {Ethernet(0x0800, Ipv4(B, A, 6))},
        {Ethernet(0x0800, Ipv4(A, A))},
        {Ethernet(0x0806, Bytes(28, '\1'))},
        {Ethernet(0x86DD, Ipv6(C6, D6)).substr(0, 40), 1514},
        {Ethernet(0x86DD, Ipv6(C6, D6)).substr(0, 54), 1500},
    };
}

const std::vector<Counts> ConversationCounts = {
    {A, 3, 100 + 40 + 34, 2, 100 + 34, 2, 40 + 34},
    {B, 2, 140, 1, 40, 1, 100},
    {C6, 1, 1500, 1, 1500, 0, 0},
    {D6, 1, 1500, 0, 0, 1, 1500},
};

TEST(CaptureReaderTest, SumsEveryFileFlavour) {
    const struct {
        const char* name;
        CaptureFormat format;
        bool bigEndian;
    } flavours[] = {
        {"pcap_micro_little", CaptureFormat::PcapMicro, false},
        {"pcap_micro_big", CaptureFormat::PcapMicro, true},
        {"pcap_nano_little", CaptureFormat::PcapNano, false},
        {"pcap_nano_big", CaptureFormat::PcapNano, true},
        {"pcapng_little", CaptureFormat::Pcapng, false},
        {"pcapng_big", CaptureFormat::Pcapng, true},
    };
    TempFolder folder;
    for (const auto& flavour : flavours) {
        SCOPED_TRACE(flavour.name);
        const Bytes bytes =
            CaptureFile(flavour.format, flavour.bigEndian, LinkEthernet, Conversation());
        const std::string path = folder.Write(flavour.name, bytes);
        EXPECT_EQ(FileKindOf(path), FileKind::Capture);
        EndpointTally tally;
        std::uint64_t lastRead = 0;
        ReadControl control;
        control.progress = [&](std::uint64_t read, std::uint64_t size) {
            EXPECT_GE(read, lastRead);
            EXPECT_EQ(size, bytes.size());
            lastRead = read;
        };
        const CaptureRead read = ReadCapture(path, tally, control);
        EXPECT_EQ(read.end, ReadEnd::Complete) << read.error;
        EXPECT_EQ(read.summary.packets, 6u);
        EXPECT_EQ(read.summary.ipPackets, 4u);
        EXPECT_EQ(read.summary.skipped, 2u);
        EXPECT_EQ(lastRead, bytes.size());
        EXPECT_EQ(CountsOf(tally), ConversationCounts);
    }
}

TEST(CaptureReaderTest, StopsKeepingWhatWasCounted) {
    TempFolder folder;
    const std::string path = folder.Write(
        "c.pcap", CaptureFile(CaptureFormat::PcapMicro, false, LinkEthernet, Conversation()));
    std::atomic<bool> stop{true};
    EndpointTally tally;
    tally.Add({}, 1); // counted before: kept
    const CaptureRead read = ReadCapture(path, tally, {&stop, {}});
    EXPECT_EQ(read.end, ReadEnd::Stopped);
    EXPECT_EQ(read.summary.packets, 0u);
    EXPECT_EQ(tally.Entries().size(), 1u);
}

TEST(CaptureReaderTest, DamagedAndForeignFiles) {
    const Bytes good = CaptureFile(CaptureFormat::PcapMicro, false, LinkEthernet, Conversation());
    const Bytes goodNg = CaptureFile(CaptureFormat::Pcapng, false, LinkEthernet, Conversation());
    const std::size_t firstRecord = 24 + 16 + Conversation()[0].bytes.size();
    Bytes hugeRecord = good;
    hugeRecord.replace(24 + 8, 4, Little32(0x7FFFFFF0)); // first record's captured length
    Bytes zeroSnap = good;
    zeroSnap.replace(16, 4, Little32(0));
    Bytes absurdSnap = good;
    absurdSnap.replace(16, 4, Little32(0xFFFFFFFF));
    Bytes shortBlock = goodNg;
    shortBlock.replace(28 + 32 + 4, 4, Little32(5)); // the first packet block's length
    Bytes longBlock = goodNg;
    longBlock.replace(28 + 32 + 4, 4, Little32(0x40000000));
    const struct {
        const char* name;
        Bytes bytes;
        ReadEnd end;
        std::uint64_t packets;
        const char* message; // a part of the error past the file name
    } cases[] = {
        {"empty", Bytes(), ReadEnd::Failed, 0, "empty"},
        {"text", Bytes("192.0.2.1 GET /\n"), ReadEnd::Failed, 0, "not a readable"},
        {"header_cut", good.substr(0, 10), ReadEnd::Failed, 0, "not a readable"},
        {"no_packets", good.substr(0, 24), ReadEnd::Complete, 0, ""},
        {"record_cut", good.substr(0, firstRecord + 20), ReadEnd::Failed, 1, "truncated"},
        {"record_header_cut", good.substr(0, firstRecord + 5), ReadEnd::Failed, 1, "truncated"},
        {"record_longer_than_file", hugeRecord, ReadEnd::Failed, 0, "capture length"},
        {"zero_snap_length", zeroSnap, ReadEnd::Complete, 6, ""},
        {"absurd_snap_length", absurdSnap, ReadEnd::Complete, 6, ""},
        {"pcapng_short_block", shortBlock, ReadEnd::Failed, 0, ""},
        {"pcapng_long_block", longBlock, ReadEnd::Failed, 0, ""},
        {"pcapng_cut", goodNg.substr(0, goodNg.size() - 3), ReadEnd::Failed, 5, ""},
        {"wifi", CaptureFile(CaptureFormat::PcapMicro, false, LinkIeee80211, Conversation()),
         ReadEnd::Failed, 0, "IEEE802_11"},
    };
    TempFolder folder;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.Write(c.name, c.bytes);
        EndpointTally tally;
        const CaptureRead read = ReadCapture(path, tally);
        EXPECT_EQ(read.end, c.end) << read.error;
        EXPECT_EQ(read.summary.packets, c.packets);
        if (c.end == ReadEnd::Failed) {
            EXPECT_EQ(read.error.rfind(path + ": ", 0), 0u) << read.error;
            EXPECT_NE(read.error.find(c.message), std::string::npos) << read.error;
        }
    }
    EndpointTally tally;
    EXPECT_EQ(ReadCapture(folder.File("missing"), tally).end, ReadEnd::Failed);
    EXPECT_EQ(ReadCapture(folder.path().string(), tally).end, ReadEnd::Failed);
}

TEST(CaptureReaderTest, KindIsToldByTheFirstBytes) {
    const struct {
        const char* name;
        Bytes start;
        FileKind kind;
    } cases[] = {
        {"pcap_little", Little32(0xA1B2C3D4), FileKind::Capture},
        {"pcap_big", Big32(0xA1B2C3D4), FileKind::Capture},
        {"pcap_nano_little", Little32(0xA1B23C4D), FileKind::Capture},
        {"pcap_nano_big", Big32(0xA1B23C4D), FileKind::Capture},
        {"pcapng", Big32(0x0A0D0D0A), FileKind::Capture},
        {"text", "10.0.0.1 x", FileKind::Text},
        {"three_bytes", Big32(0xA1B2C3D4).substr(0, 3), FileKind::Text},
        {"empty", "", FileKind::Text},
    };
    TempFolder folder;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.Write(std::string(c.name) + ".txt", c.start);
        EXPECT_EQ(FileKindOf(path), c.kind);
    }
    EXPECT_EQ(FileKindOf(folder.File("missing")), FileKind::Text);
    const std::string pipe = folder.File("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(FileKindOf(pipe), FileKind::Text); // without waiting for a writer
}

} // namespace
} // namespace orvanta::capture::test
