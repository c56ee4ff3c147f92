// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A small MMDB writer for tests: builds a search tree from networks, encodes
// each distinct data value once, and appends the metadata, so tests can make
// databases of either record shape (and damaged ones) without downloads.

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace orvanta::mmdbtest {

struct Value {
    enum class Kind { Map, Array, Text, Double, Float, Uint16, Uint32, Uint64, Int32, Boolean };
    Kind kind = Kind::Map;
    std::string text;
    double number = 0;
    std::uint64_t integer = 0;
    std::vector<std::string> keys; // Map: member names, parallel to items
    std::vector<Value> items;      // Map: member values; Array: elements
};

Value Text(std::string text);
Value Double(double value);
Value Float(float value);
Value Uint16(std::uint16_t value);
Value Uint32(std::uint32_t value);
Value Uint64(std::uint64_t value);
Value Boolean(bool value);
Value Map(std::vector<std::pair<std::string, Value>> members);
Value Array(std::vector<Value> items);

// The data section encoding of one value.
std::string EncodeValue(const Value& value);

// A whole file from raw parts: tree bytes, the data section, metadata.
std::string AssembleDatabase(const std::string& tree, std::uint32_t nodeCount,
                             const std::string& data, int ipVersion, int recordSize,
                             const std::string& databaseType,
                             std::uint64_t buildEpoch = 1700000000);

class MmdbTestWriter {
public:
    explicit MmdbTestWriter(int ipVersion = 4, int recordSize = 24,
                            std::string databaseType = "test-city");

    // An IPv4 network (host byte order); in an IPv6 database it lies at ::/96.
    // A later insert replaces what an earlier one put inside its network.
    void Insert(std::uint32_t network, int prefixLength, const Value& value);
    // An IPv6 network (IPv6 databases only).
    void InsertIPv6(const std::array<std::uint8_t, 16>& network, int prefixLength,
                    const Value& value);

    // Damage: replace a record of the serialised tree by a raw value
    // (side 0 left, 1 right). The node count plus 16 plus an offset points
    // into the data section; the node count alone means "empty".
    void SetRawRecord(std::uint32_t node, int side, std::uint64_t raw);

    void SetBuildEpoch(std::uint64_t epoch) { buildEpoch_ = epoch; }

    std::uint32_t NodeCount() const { return std::uint32_t(nodes_.size()); }
    std::string Bytes() const;
    void WriteTo(const std::string& path) const;

private:
    struct Child {
        enum class Kind { Empty, Node, Data } kind = Kind::Empty;
        std::uint32_t index = 0;
    };
    struct Node {
        Child child[2];
    };
    void InsertBits(const std::vector<int>& bits, const Value& value);
    std::uint32_t DataIndex(const Value& value);

    int ipVersion_;
    int recordSize_;
    std::string databaseType_;
    std::uint64_t buildEpoch_ = 1700000000;
    std::vector<Node> nodes_;
    std::vector<std::string> data_; // encoded values, each once
    std::vector<std::pair<std::pair<std::uint32_t, int>, std::uint64_t>> raw_;
};

} // namespace orvanta::mmdbtest
