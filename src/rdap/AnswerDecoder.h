// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// RDAP answers (RFC 9083 JSON) into the plain records. Every member is
// optional and may have the wrong type: what is missing or malformed is
// left empty rather than refused, because a registry answer with one odd
// field is still worth showing. Texts are cut at kMaxText bytes, lists at
// kMaxItems entries, nested entities at kMaxEntityDepth levels and
// kMaxEntities in all.

#include "rdap/RdapRecords.h"

#include <cstddef>
#include <nlohmann/json_fwd.hpp>
#include <string>
#include <string_view>

namespace orvanta::rdap {

class AnswerDecoder {
public:
    static constexpr std::size_t kMaxText = 2048;
    static constexpr std::size_t kMaxItems = 100;
    static constexpr int kMaxEntityDepth = 3;
    static constexpr std::size_t kMaxEntities = 200;
    static constexpr int kMaxJsonDepth = 32;

    // The answer's JSON; throws RdapError when it is not JSON.
    static nlohmann::json Parse(std::string_view body);

    // Throw RdapError when the answer is not an object, or names another
    // object class.
    Domain DecodeDomain(const nlohmann::json& answer);
    IpNetwork DecodeIpNetwork(const nlohmann::json& answer);
    // Never throws: anything else is an error answer with nothing in it.
    ErrorAnswer DecodeError(const nlohmann::json& answer);

    // `text` cut to at most `limit` bytes at a character boundary, with an
    // ellipsis when cut.
    static std::string Bounded(std::string_view text, std::size_t limit = kMaxText);

private:
    std::vector<Entity> Entities(const nlohmann::json& object, int depth);
    Entity DecodeEntity(const nlohmann::json& object, int depth);

    std::size_t entityCount_ = 0;
};

} // namespace orvanta::rdap
