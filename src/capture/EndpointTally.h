// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every distinct address of a capture once, in the order first seen, with
// its packets and bytes, sent and received. A fixed amount of memory per
// distinct address, however many packets name it: a capture of any size is
// summed in the memory its endpoints need.

#include "capture/PacketDecoder.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvanta::capture {

struct Endpoint {
    extract::Address address;
    std::uint64_t packets = 0; // packets naming it as source, destination or both
    std::uint64_t bytes = 0;   // their lengths on the wire
    std::uint64_t txPackets = 0;
    std::uint64_t txBytes = 0;
    std::uint64_t rxPackets = 0;
    std::uint64_t rxBytes = 0;
};

class EndpointTally {
public:
    // The most packets AddMany takes at once.
    static constexpr std::size_t kBatch = 32;

    // One packet of `wireLength` bytes between the two ends; it counts once
    // for each distinct address (once for a packet sent to itself, which is
    // then both sent and received).
    void Add(const IpEnds& ends, std::uint64_t wireLength);
    // The same for up to kBatch packets. Their slots and entries are fetched
    // from memory side by side before they are counted: with many endpoints
    // each would otherwise be a wait of its own.
    void AddMany(const IpEnds* ends, const std::uint64_t* wireLengths, std::size_t count);
    const std::vector<Endpoint>& Entries() const { return entries_; }

private:
    std::uint32_t Find(const extract::Address& address);
    std::uint32_t FindV4(std::uint32_t key);
    std::uint32_t FindV6(const extract::Address& address);
    void Prefetch(const extract::Address& address) const;
    void GrowV4();
    void GrowV6();

    std::vector<Endpoint> entries_;
    // Open addressing, at most half full. An IPv4 slot holds the address and
    // its entry's index + 1 together, so a probe reads one word; an IPv6
    // slot holds the index + 1 only (0: free).
    std::vector<std::uint64_t> slots4_;
    std::size_t used4_ = 0;
    std::vector<std::uint32_t> slots6_;
    std::size_t used6_ = 0;
};

} // namespace orvanta::capture
