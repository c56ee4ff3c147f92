// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the in-memory city images of both families share: the file copy, its
// edition block, the tree and the record decoding. Only the tree depth and
// the address type differ between CityDatabaseImage and CityDatabaseImageV6.

#include "geoip/DatabaseImageBytes.h"
#include "geoip/ImageTree.h"
#include "geoip/TGeoIPCity.h"
#include "geoip/TLookupResult.h"
#include "geoip/TreeWalk.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orvanta::geoip {

class CityImageCore {
public:
    // Throws EFOpenError when the file cannot be opened or read.
    CityImageCore(const std::string& fileName, int depth);

    bool IsCityEdition() const;

    // The walk of a city edition's tree: lrFound, lrNotFound (the walk ended
    // at the boundary) or lrNotCityEdition (no walk, prefix length -1).
    template <class Address> TLookupResult Find(Address address, TreeWalkResult& walk) const {
        walk = {0, -1};
        if (!IsCityEdition()) {
            return lrNotCityEdition;
        }
        walk = tree_->Walk(address);
        return walk.value == segments_[0] ? lrNotFound : lrFound;
    }
    template <class Address>
    void FindMany(const Address* addresses, std::size_t count, TreeWalkResult* walks,
                  TLookupResult* results) const {
        if (!IsCityEdition()) {
            for (std::size_t i = 0; i < count; ++i) {
                walks[i] = {0, -1};
                results[i] = lrNotCityEdition;
            }
            return;
        }
        tree_->WalkMany(addresses, count, walks);
        for (std::size_t i = 0; i < count; ++i) {
            results[i] = walks[i].value == segments_[0] ? lrNotFound : lrFound;
        }
    }
    // Any edition's walk; {0, 0} for editions without a boundary.
    template <class Address> TreeWalkResult WalkTree(Address address) const {
        return tree_ ? tree_->Walk(address) : TreeWalkResult{0, 0};
    }

    void PrefetchRecord(std::uint32_t terminal) const;
    void DecodeRecord(std::uint32_t terminal, TGeoIPCity& record) const;

    std::uint8_t edition() const { return edition_; }
    const std::vector<std::uint32_t>& segments() const { return segments_; }
    std::int32_t recordLength() const { return recordLength_; }

private:
    int depth_;
    // Held apart so that the tree's reference to it survives a move.
    std::unique_ptr<const DatabaseImageBytes> bytes_;
    std::uint8_t edition_ = 1;
    std::vector<std::uint32_t> segments_;
    std::int32_t recordLength_ = 3;
    std::unique_ptr<ImageTree> tree_; // none for editions without a boundary
};

} // namespace orvanta::geoip
