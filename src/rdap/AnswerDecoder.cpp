// SPDX-License-Identifier: GPL-3.0-or-later
#include "rdap/AnswerDecoder.h"

#include "rdap/RdapError.h"

#include "json/BoundedJson.h"
#include <nlohmann/json.hpp>

namespace orvanta::rdap {
namespace {

using nlohmann::json;

const json& Empty() {
    static const json empty;
    return empty;
}

const json& Member(const json& object, const char* key) {
    if (!object.is_object()) {
        return Empty();
    }
    const auto it = object.find(key);
    return it == object.end() ? Empty() : *it;
}

// Strings as they are; whole numbers as digits (key tags, error codes);
// anything else is no text.
std::string TextOf(const json& value) {
    if (value.is_string()) {
        return AnswerDecoder::Bounded(value.get_ref<const std::string&>());
    }
    // Unsigned first: is_number_integer() holds for unsigned numbers too,
    // and those above the signed range would come out negative.
    if (value.is_number_unsigned()) {
        return std::to_string(value.get<unsigned long long>());
    }
    if (value.is_number_integer()) {
        return std::to_string(value.get<long long>());
    }
    return {};
}

std::string Text(const json& object, const char* key) {
    return TextOf(Member(object, key));
}

// Calls `each` for at most kMaxItems elements of the array `value`.
template <typename Each> void ForEach(const json& value, Each each) {
    if (!value.is_array()) {
        return;
    }
    std::size_t count = 0;
    for (const json& item : value) {
        if (count++ == AnswerDecoder::kMaxItems) {
            return;
        }
        each(item);
    }
}

std::vector<std::string> Texts(const json& value) {
    std::vector<std::string> out;
    ForEach(value, [&](const json& item) {
        if (std::string text = TextOf(item); !text.empty()) {
            out.push_back(std::move(text));
        }
    });
    return out;
}

std::vector<Link> Links(const json& object) {
    std::vector<Link> out;
    ForEach(Member(object, "links"), [&](const json& item) {
        out.push_back(
            {Text(item, "value"), Text(item, "rel"), Text(item, "href"), Text(item, "type")});
    });
    return out;
}

std::vector<Event> Events(const json& object) {
    std::vector<Event> out;
    ForEach(Member(object, "events"), [&](const json& item) {
        out.push_back(
            {Text(item, "eventAction"), Text(item, "eventDate"), Text(item, "eventActor")});
    });
    return out;
}

std::vector<Notice> Notices(const json& object, const char* key) {
    std::vector<Notice> out;
    ForEach(Member(object, key), [&](const json& item) {
        out.push_back({Text(item, "title"), Texts(Member(item, "description")), Links(item)});
    });
    return out;
}

// A member that is either {"type": ...} or {"description": ...} (RFC 9537).
std::string TypeOrDescription(const json& value) {
    std::string text = Text(value, "type");
    return text.empty() ? Text(value, "description") : text;
}

std::vector<Redaction> Redactions(const json& object) {
    std::vector<Redaction> out;
    ForEach(Member(object, "redacted"), [&](const json& item) {
        out.push_back({TypeOrDescription(Member(item, "name")), Text(item, "method"),
                       TypeOrDescription(Member(item, "reason"))});
    });
    return out;
}

bool ParameterHas(const json& parameters, const char* name, std::string_view wanted) {
    const json& value = Member(parameters, name);
    if (value.is_string()) {
        return value.get_ref<const std::string&>() == wanted;
    }
    bool found = false;
    ForEach(value, [&](const json& item) {
        found = found || (item.is_string() && item.get_ref<const std::string&>() == wanted);
    });
    return found;
}

// The first text of a property value: a string, or the first string of a
// structured value ("org" may be ["Example Inc.", "Unit"]).
std::string FirstText(const json& value) {
    if (value.is_array()) {
        return value.empty() ? std::string() : TextOf(value.front());
    }
    return TextOf(value);
}

void ReadVcardProperty(const json& property, Contact& contact, bool& voiceSeen) {
    if (!property.is_array() || property.size() < 4 || !property[0].is_string()) {
        return;
    }
    const std::string& name = property[0].get_ref<const std::string&>();
    const json& parameters = property[1];
    const json& value = property[3];
    if (name == "fn" && contact.name.empty()) {
        contact.name = FirstText(value);
    } else if (name == "org" && contact.organisation.empty()) {
        contact.organisation = FirstText(value);
    } else if (name == "email" && contact.email.empty()) {
        contact.email = FirstText(value);
    } else if (name == "adr" && contact.country.empty()) {
        contact.country = Text(parameters, "cc");
        if (contact.country.empty() && value.is_array() && value.size() >= 7) {
            contact.country = FirstText(value[6]);
        }
    } else if (name == "tel") {
        const bool voice = ParameterHas(parameters, "type", "voice");
        if (contact.phone.empty() || (voice && !voiceSeen)) {
            std::string phone = FirstText(value);
            if (phone.rfind("tel:", 0) == 0) {
                phone.erase(0, 4);
            }
            if (!phone.empty()) {
                contact.phone = std::move(phone);
                voiceSeen = voiceSeen || voice;
            }
        }
    }
}

Contact ContactOf(const json& entity) {
    Contact contact;
    const json& card = Member(entity, "vcardArray");
    if (!card.is_array() || card.size() < 2 || card[0] != "vcard") {
        return contact;
    }
    bool voiceSeen = false;
    ForEach(card[1],
            [&](const json& property) { ReadVcardProperty(property, contact, voiceSeen); });
    return contact;
}

void RequireObject(const json& answer, const char* objectClass) {
    if (!answer.is_object()) {
        throw RdapError("the answer is not an RDAP object");
    }
    const std::string named = Text(answer, "objectClassName");
    if (!named.empty() && named != objectClass) {
        throw RdapError("the answer is a \"" + named + "\" object, not a \"" + objectClass +
                        "\" object");
    }
}

} // namespace

bool Entity::HasRole(const std::string& role) const {
    for (const std::string& mine : roles) {
        if (mine == role) {
            return true;
        }
    }
    return false;
}

std::string AnswerDecoder::Bounded(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) {
        return std::string(text);
    }
    std::size_t cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut; // never split a UTF-8 sequence
    }
    return std::string(text.substr(0, cut)) + "\xE2\x80\xA6";
}

nlohmann::json AnswerDecoder::Parse(std::string_view body) {
    try {
        return orvanta::json::ParseBounded(body, kMaxJsonDepth);
    } catch (const orvanta::json::JsonError& error) {
        throw RdapError(std::string("the answer is not usable JSON (") + error.what() + ")");
    }
}

Entity AnswerDecoder::DecodeEntity(const json& object, int depth) {
    Entity entity;
    entity.handle = Text(object, "handle");
    entity.roles = Texts(Member(object, "roles"));
    entity.contact = ContactOf(object);
    ForEach(Member(object, "publicIds"), [&](const json& item) {
        entity.publicIds.push_back({Text(item, "type"), Text(item, "identifier")});
    });
    entity.events = Events(object);
    entity.remarks = Notices(object, "remarks");
    entity.entities = Entities(object, depth + 1);
    return entity;
}

std::vector<Entity> AnswerDecoder::Entities(const json& object, int depth) {
    std::vector<Entity> out;
    if (depth >= kMaxEntityDepth) {
        return out;
    }
    ForEach(Member(object, "entities"), [&](const json& item) {
        if (item.is_object() && entityCount_ < kMaxEntities) {
            ++entityCount_;
            out.push_back(DecodeEntity(item, depth));
        }
    });
    return out;
}

Domain AnswerDecoder::DecodeDomain(const json& answer) {
    RequireObject(answer, "domain");
    Domain domain;
    domain.ldhName = Text(answer, "ldhName");
    domain.unicodeName = Text(answer, "unicodeName");
    domain.handle = Text(answer, "handle");
    domain.status = Texts(Member(answer, "status"));
    domain.events = Events(answer);
    ForEach(Member(answer, "nameservers"), [&](const json& item) {
        NameServer server{Text(item, "ldhName"), Text(item, "unicodeName"), {}};
        const json& addresses = Member(item, "ipAddresses");
        for (const char* family : {"v4", "v6"}) {
            for (std::string& address : Texts(Member(addresses, family))) {
                server.addresses.push_back(std::move(address));
            }
        }
        domain.nameServers.push_back(std::move(server));
    });
    const json& secure = Member(answer, "secureDNS");
    for (auto [key, field] : {std::pair{"delegationSigned", &SecureDns::delegationSigned},
                              std::pair{"zoneSigned", &SecureDns::zoneSigned}}) {
        if (const json& flag = Member(secure, key); flag.is_boolean()) {
            domain.secureDns.*field = flag.get<bool>();
        }
    }
    ForEach(Member(secure, "dsData"), [&](const json& item) {
        domain.secureDns.dsData.push_back({Text(item, "keyTag"), Text(item, "algorithm"),
                                           Text(item, "digestType"), Text(item, "digest")});
    });
    domain.entities = Entities(answer, 0);
    domain.redactions = Redactions(answer);
    domain.notices = Notices(answer, "notices");
    domain.remarks = Notices(answer, "remarks");
    domain.links = Links(answer);
    domain.port43 = Text(answer, "port43");
    return domain;
}

IpNetwork AnswerDecoder::DecodeIpNetwork(const json& answer) {
    RequireObject(answer, "ip network");
    IpNetwork network;
    network.startAddress = Text(answer, "startAddress");
    network.endAddress = Text(answer, "endAddress");
    ForEach(Member(answer, "cidr0_cidrs"), [&](const json& item) {
        std::string prefix = Text(item, "v4prefix");
        network.cidrs.push_back(
            {prefix.empty() ? Text(item, "v6prefix") : prefix, Text(item, "length")});
    });
    network.name = Text(answer, "name");
    network.handle = Text(answer, "handle");
    network.type = Text(answer, "type");
    network.country = Text(answer, "country");
    network.parentHandle = Text(answer, "parentHandle");
    network.status = Texts(Member(answer, "status"));
    network.entities = Entities(answer, 0);
    network.events = Events(answer);
    network.remarks = Notices(answer, "remarks");
    network.notices = Notices(answer, "notices");
    network.links = Links(answer);
    return network;
}

ErrorAnswer AnswerDecoder::DecodeError(const json& answer) {
    ErrorAnswer error;
    if (const json& code = Member(answer, "errorCode"); code.is_number_integer()) {
        error.errorCode = code.get<long>();
    }
    error.title = Text(answer, "title");
    error.description = Texts(Member(answer, "description"));
    return error;
}

} // namespace orvanta::rdap
