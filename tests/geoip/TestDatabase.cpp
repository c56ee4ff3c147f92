#include "TestDatabase.h"

#include <fstream>
#include <random>
#include <stdexcept>

namespace orvanta::geoip::test {

TempFolder::TempFolder() {
    std::random_device seed;
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = std::filesystem::temp_directory_path() /
                         ("orvanta-geoip-test-" + std::to_string(seed()));
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::string TempFolder::Write(const std::string& name, const Bytes& bytes) const {
    const std::string file = (path_ / name).string();
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + file);
    }
    return file;
}

Bytes LittleEndian(std::uint32_t value, int count) {
    Bytes out;
    for (int i = 0; i < count; ++i) {
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    return out;
}

Bytes Node(std::uint32_t zero, std::uint32_t one, int recordLength) {
    return LittleEndian(zero, recordLength) + LittleEndian(one, recordLength);
}

Bytes EditionBlock(std::uint8_t edition) {
    return Bytes("\xFF\xFF\xFF") + static_cast<char>(edition);
}

Bytes EditionBlock(std::uint8_t edition, std::uint32_t boundary) {
    return EditionBlock(edition) + LittleEndian(boundary, 3);
}

Bytes Record(std::uint8_t country, const std::string& region, const std::string& city,
             const std::string& postal, std::uint32_t latitude, std::uint32_t longitude,
             std::int64_t third) {
    Bytes out(1, static_cast<char>(country));
    out += region + '\0' + city + '\0' + postal + '\0';
    out += LittleEndian(latitude, 3) + LittleEndian(longitude, 3);
    if (third >= 0) {
        out += LittleEndian(static_cast<std::uint32_t>(third), 3);
    }
    return out;
}

Bytes OneRecordFile(std::uint8_t edition, const Bytes& record) {
    // Boundary 1: node 0 only; value 2 = record-area offset 1, at byte 2 + 5.
    return Node(1, 2) + Bytes(1, '\0') + record + EditionBlock(edition, 1);
}

} // namespace orvanta::geoip::test
