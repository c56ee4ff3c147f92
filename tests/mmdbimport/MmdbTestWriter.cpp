// SPDX-License-Identifier: GPL-3.0-or-later
#include "MmdbTestWriter.h"

#include <cstring>
#include <fstream>
#include <stdexcept>

namespace orvanta::mmdbtest {

Value Text(std::string text) {
    Value v;
    v.kind = Value::Kind::Text;
    v.text = std::move(text);
    return v;
}
Value Double(double value) {
    Value v;
    v.kind = Value::Kind::Double;
    v.number = value;
    return v;
}
Value Float(float value) {
    Value v;
    v.kind = Value::Kind::Float;
    v.number = value;
    return v;
}
Value Uint16(std::uint16_t value) {
    Value v;
    v.kind = Value::Kind::Uint16;
    v.integer = value;
    return v;
}
Value Uint32(std::uint32_t value) {
    Value v;
    v.kind = Value::Kind::Uint32;
    v.integer = value;
    return v;
}
Value Uint64(std::uint64_t value) {
    Value v;
    v.kind = Value::Kind::Uint64;
    v.integer = value;
    return v;
}
Value Boolean(bool value) {
    Value v;
    v.kind = Value::Kind::Boolean;
    v.integer = value ? 1 : 0;
    return v;
}
Value Map(std::vector<std::pair<std::string, Value>> members) {
    Value v;
    v.kind = Value::Kind::Map;
    for (auto& [key, value] : members) {
        v.keys.push_back(key);
        v.items.push_back(std::move(value));
    }
    return v;
}
Value Array(std::vector<Value> items) {
    Value v;
    v.kind = Value::Kind::Array;
    v.items = std::move(items);
    return v;
}

namespace {

// Control byte(s): 3 type bits (extended types after a zero type), 5 size
// bits with up to three following size bytes.
void Control(std::string& out, int type, std::size_t size) {
    std::string sizeBytes;
    int sizeBits = 0;
    if (size < 29) {
        sizeBits = int(size);
    } else if (size < 285) {
        sizeBits = 29;
        sizeBytes += char(size - 29);
    } else if (size < 65821) {
        sizeBits = 30;
        const std::size_t rest = size - 285;
        sizeBytes += char(rest >> 8);
        sizeBytes += char(rest & 0xFF);
    } else {
        sizeBits = 31;
        const std::size_t rest = size - 65821;
        sizeBytes += char(rest >> 16);
        sizeBytes += char((rest >> 8) & 0xFF);
        sizeBytes += char(rest & 0xFF);
    }
    if (type < 8) {
        out += char((type << 5) | sizeBits);
    } else {
        out += char(sizeBits);
        out += char(type - 7);
    }
    out += sizeBytes;
}

void Unsigned(std::string& out, int type, std::uint64_t value) {
    std::string bytes;
    for (; value != 0; value >>= 8)
        bytes.insert(bytes.begin(), char(value & 0xFF));
    Control(out, type, bytes.size());
    out += bytes;
}

void Encode(std::string& out, const Value& v) {
    switch (v.kind) {
    case Value::Kind::Text:
        Control(out, 2, v.text.size());
        out += v.text;
        break;
    case Value::Kind::Double: {
        Control(out, 3, 8);
        std::uint64_t bits;
        std::memcpy(&bits, &v.number, 8);
        for (int i = 7; i >= 0; --i)
            out += char((bits >> (8 * i)) & 0xFF);
        break;
    }
    case Value::Kind::Float: {
        Control(out, 15, 4);
        const float f = float(v.number);
        std::uint32_t bits;
        std::memcpy(&bits, &f, 4);
        for (int i = 3; i >= 0; --i)
            out += char((bits >> (8 * i)) & 0xFF);
        break;
    }
    case Value::Kind::Uint16:
        Unsigned(out, 5, v.integer);
        break;
    case Value::Kind::Uint32:
        Unsigned(out, 6, v.integer);
        break;
    case Value::Kind::Uint64:
        Unsigned(out, 9, v.integer);
        break;
    case Value::Kind::Int32:
        Control(out, 8, 4);
        for (int i = 3; i >= 0; --i)
            out += char((v.integer >> (8 * i)) & 0xFF);
        break;
    case Value::Kind::Boolean:
        Control(out, 14, std::size_t(v.integer));
        break;
    case Value::Kind::Map:
        Control(out, 7, v.keys.size());
        for (std::size_t i = 0; i < v.keys.size(); ++i) {
            Encode(out, Text(v.keys[i]));
            Encode(out, v.items[i]);
        }
        break;
    case Value::Kind::Array:
        Control(out, 11, v.items.size());
        for (const auto& item : v.items)
            Encode(out, item);
        break;
    }
}

void PutRecordPair(std::string& out, int recordSize, std::uint64_t left, std::uint64_t right) {
    auto be = [&](std::uint64_t value, int bytes) {
        for (int i = bytes - 1; i >= 0; --i)
            out += char((value >> (8 * i)) & 0xFF);
    };
    if (recordSize == 24) {
        be(left, 3);
        be(right, 3);
    } else if (recordSize == 28) {
        be(left & 0xFFFFFF, 3);
        out += char(((left >> 24) & 0x0F) << 4 | ((right >> 24) & 0x0F));
        be(right & 0xFFFFFF, 3);
    } else if (recordSize == 32) {
        be(left, 4);
        be(right, 4);
    } else {
        throw std::invalid_argument("record size must be 24, 28 or 32");
    }
}

} // namespace

std::string EncodeValue(const Value& value) {
    std::string out;
    Encode(out, value);
    return out;
}

std::string AssembleDatabase(const std::string& tree, std::uint32_t nodeCount,
                             const std::string& data, int ipVersion, int recordSize,
                             const std::string& databaseType, std::uint64_t buildEpoch) {
    std::string out = tree;
    out += std::string(16, '\0');
    out += data;
    out += "\xAB\xCD\xEFMaxMind.com";
    out += EncodeValue(Map({
        {"binary_format_major_version", Uint16(2)},
        {"binary_format_minor_version", Uint16(0)},
        {"build_epoch", Uint64(buildEpoch)},
        {"database_type", Text(databaseType)},
        {"description", Map({{"en", Text("test database")}})},
        {"ip_version", Uint16(std::uint16_t(ipVersion))},
        {"languages", Array({Text("en")})},
        {"node_count", Uint32(nodeCount)},
        {"record_size", Uint16(std::uint16_t(recordSize))},
    }));
    return out;
}

MmdbTestWriter::MmdbTestWriter(int ipVersion, int recordSize, std::string databaseType)
    : ipVersion_(ipVersion), recordSize_(recordSize), databaseType_(std::move(databaseType)) {
    nodes_.push_back({});
}

std::uint32_t MmdbTestWriter::DataIndex(const Value& value) {
    std::string encoded = EncodeValue(value);
    for (std::size_t i = 0; i < data_.size(); ++i)
        if (data_[i] == encoded)
            return std::uint32_t(i);
    data_.push_back(std::move(encoded));
    return std::uint32_t(data_.size() - 1);
}

void MmdbTestWriter::InsertBits(const std::vector<int>& bits, const Value& value) {
    const Child data{Child::Kind::Data, DataIndex(value)};
    if (bits.empty()) {
        nodes_[0].child[0] = nodes_[0].child[1] = data;
        return;
    }
    std::uint32_t node = 0;
    for (std::size_t depth = 0; depth + 1 < bits.size(); ++depth) {
        Child& next = nodes_[node].child[bits[depth]];
        if (next.kind != Child::Kind::Node) {
            const Child below = next; // a wider network keeps answering around
            nodes_.push_back({{below, below}});
            nodes_[node].child[bits[depth]] = {Child::Kind::Node, std::uint32_t(nodes_.size() - 1)};
        }
        node = nodes_[node].child[bits[depth]].index;
    }
    nodes_[node].child[bits.back()] = data;
}

void MmdbTestWriter::Insert(std::uint32_t network, int prefixLength, const Value& value) {
    std::vector<int> bits;
    if (ipVersion_ == 6)
        bits.assign(96, 0);
    for (int i = 0; i < prefixLength; ++i)
        bits.push_back(int((network >> (31 - i)) & 1));
    InsertBits(bits, value);
}

void MmdbTestWriter::InsertIPv6(const std::array<std::uint8_t, 16>& network, int prefixLength,
                                const Value& value) {
    std::vector<int> bits;
    for (int i = 0; i < prefixLength; ++i)
        bits.push_back((network[std::size_t(i / 8)] >> (7 - i % 8)) & 1);
    InsertBits(bits, value);
}

void MmdbTestWriter::SetRawRecord(std::uint32_t node, int side, std::uint64_t raw) {
    raw_.push_back({{node, side}, raw});
}

std::string MmdbTestWriter::Bytes() const {
    std::vector<std::uint64_t> offsets;
    std::string data;
    for (const auto& encoded : data_) {
        offsets.push_back(data.size());
        data += encoded;
    }
    const std::uint64_t count = nodes_.size();
    std::vector<std::array<std::uint64_t, 2>> records(nodes_.size());
    for (std::size_t n = 0; n < nodes_.size(); ++n)
        for (int side = 0; side < 2; ++side) {
            const Child& c = nodes_[n].child[side];
            records[n][std::size_t(side)] = c.kind == Child::Kind::Empty ? count
                                            : c.kind == Child::Kind::Node
                                                ? c.index
                                                : count + 16 + offsets[c.index];
        }
    for (const auto& [where, raw] : raw_)
        if (where.first < records.size())
            records[where.first][std::size_t(where.second)] = raw;
    std::string tree;
    for (const auto& pair : records)
        PutRecordPair(tree, recordSize_, pair[0], pair[1]);
    return AssembleDatabase(tree, std::uint32_t(count), data, ipVersion_, recordSize_,
                            databaseType_, buildEpoch_);
}

void MmdbTestWriter::WriteTo(const std::string& path) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const std::string bytes = Bytes();
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

} // namespace orvanta::mmdbtest
