// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/CaptureReader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <pcap/pcap.h>
#include <sys/stat.h>

namespace orvanta::capture {
namespace {

// Packets between two looks at the stop flag and the file position (a look
// at the position costs a system call).
constexpr std::uint64_t PacketsPerLook = 4096;
// stdio's default buffer is a page: captures are read in larger pieces.
constexpr std::size_t ReadBuffer = std::size_t(1) << 20;

struct PcapCloser {
    void operator()(pcap_t* p) const { ::pcap_close(p); }
};
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// The file and its buffer, which must outlive the libpcap handle that owns
// the stream once it has opened.
struct OpenCapture {
    std::unique_ptr<char[]> buffer;
    std::unique_ptr<pcap_t, PcapCloser> pcap;
    std::uint64_t size = 0;
};

bool Open(const std::string& path, OpenCapture& open, std::string& error) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    struct stat status {};
    if (!file || ::fstat(::fileno(file.get()), &status) != 0) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        error = path + ": not a regular file";
        return false;
    }
    if (status.st_size == 0) {
        error = path + ": the file is empty, not a capture";
        return false;
    }
    open.size = static_cast<std::uint64_t>(status.st_size);
    open.buffer = std::make_unique<char[]>(ReadBuffer);
    std::setvbuf(file.get(), open.buffer.get(), _IOFBF, ReadBuffer);
    char message[PCAP_ERRBUF_SIZE] = {};
    pcap_t* pcap = ::pcap_fopen_offline(file.get(), message);
    if (pcap == nullptr) {
        error = path + ": not a readable pcap or pcapng capture (" + message + ")";
        return false;
    }
    file.release(); // closed by pcap_close from here on
    open.pcap.reset(pcap);
    return true;
}

} // namespace

std::string SummaryText(const CaptureSummary& summary) {
    std::string text = std::to_string(summary.packets) + " packets read, " +
                       std::to_string(summary.ipPackets) + " with an IP header, " +
                       std::to_string(summary.skipped) + " skipped";
    if (summary.linkType >= 0) {
        text += ", link type " + LinkTypeText(summary.linkType);
    }
    return text;
}

CaptureRead ReadCapture(const std::string& path, EndpointTally& tally, const ReadControl& control) {
    CaptureRead read;
    OpenCapture open;
    if (!Open(path, open, read.error)) {
        read.end = ReadEnd::Failed;
        return read;
    }
    pcap_t* pcap = open.pcap.get();
    const int linkType = ::pcap_datalink(pcap);
    read.summary.linkType = linkType;
    if (!IsReadableLinkType(linkType)) {
        read.end = ReadEnd::Failed;
        read.error = path + ": link type " + LinkTypeText(linkType) +
                     " is not read (Ethernet, Linux cooked, BSD loopback, raw IP and PPP are)";
        return read;
    }
    CaptureSummary& summary = read.summary;
    std::FILE* file = ::pcap_file(pcap);
    const auto tell = [&] {
        if (control.progress) {
            const long at = std::ftell(file);
            control.progress(at < 0 ? 0 : static_cast<std::uint64_t>(at), open.size);
        }
    };
    // Packets are counted a batch at a time (see EndpointTally::AddMany).
    IpEnds ends[EndpointTally::kBatch];
    std::uint64_t lengths[EndpointTally::kBatch];
    std::size_t batched = 0;
    pcap_pkthdr* header = nullptr;
    const u_char* data = nullptr;
    while (true) {
        if (summary.packets % PacketsPerLook == 0) {
            if (control.stop != nullptr && control.stop->load(std::memory_order_relaxed)) {
                read.end = ReadEnd::Stopped;
                break;
            }
            tell();
        }
        const int next = ::pcap_next_ex(pcap, &header, &data);
        if (next == PCAP_ERROR_BREAK) {
            break; // the end of the file
        }
        if (next != 1) {
            read.end = ReadEnd::Failed;
            read.error = path + ": " + ::pcap_geterr(pcap);
            break;
        }
        ++summary.packets;
        if (DecodePacket(linkType, data, header->caplen, ends[batched]) == Decoded::Ip) {
            ++summary.ipPackets;
            lengths[batched++] = header->len;
            if (batched == EndpointTally::kBatch) {
                tally.AddMany(ends, lengths, batched);
                batched = 0;
            }
        } else {
            ++summary.skipped;
        }
    }
    tally.AddMany(ends, lengths, batched);
    tell();
    return read;
}

} // namespace orvanta::capture
