// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// IPv6 addresses drawn from an MMDB source's own networks: a random walk
// down its search tree, one random bit per level (nearly always the side
// with something under it, where only one has), until the walk reaches data or a node with
// nothing under either side; the bits below are random. Short and long
// prefixes come out as often as the tree has them, unlike uniform draws,
// which almost never meet the source's networks in the IPv6 space. The IPv4
// parts (::/96, ::ffff:0:0/96), which the IPv6 file leaves to the IPv4 one,
// are drawn again.

#include <array>
#include <cstdint>
#include <maxminddb.h>
#include <random>

namespace orvanta::scale {

inline std::array<std::uint8_t, 16> RandomWalkAddress(const MMDB_s& mmdb, std::mt19937& random) {
    for (;;) {
        std::array<std::uint8_t, 16> bytes{};
        std::uint32_t node = 0;
        bool inTree = true;
        for (int bit = 0; bit < 128; ++bit) {
            int side = static_cast<int>(random() & 1U);
            MMDB_search_node_s read{};
            if (inTree && MMDB_read_node(const_cast<MMDB_s*>(&mmdb), node, &read) != MMDB_SUCCESS) {
                inTree = false;
            }
            if (inTree) {
                const bool leftEmpty = read.left_record_type == MMDB_RECORD_TYPE_EMPTY;
                const bool rightEmpty = read.right_record_type == MMDB_RECORD_TYPE_EMPTY;
                // One step in 64 ignores that, so unassigned space is drawn too.
                if (leftEmpty != rightEmpty && random() % 64 != 0) {
                    side = leftEmpty ? 1 : 0;
                }
            }
            if (side) {
                bytes[bit / 8] = static_cast<std::uint8_t>(bytes[bit / 8] | (0x80 >> (bit % 8)));
            }
            if (!inTree) {
                continue;
            }
            const int type = side ? read.right_record_type : read.left_record_type;
            if (type == MMDB_RECORD_TYPE_SEARCH_NODE) {
                node = static_cast<std::uint32_t>(side ? read.right_record : read.left_record);
            } else {
                inTree = false;
            }
        }
        bool ipv4Part = true;
        for (int i = 0; i < 10; ++i) {
            ipv4Part = ipv4Part && bytes[i] == 0;
        }
        const bool zeros = bytes[10] == 0 && bytes[11] == 0;
        const bool mapped = bytes[10] == 0xFF && bytes[11] == 0xFF;
        if (!(ipv4Part && (zeros || mapped))) {
            return bytes;
        }
    }
}

} // namespace orvanta::scale
