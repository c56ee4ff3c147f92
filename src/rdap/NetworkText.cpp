// SPDX-License-Identifier: GPL-3.0-or-later
#include "rdap/NetworkText.h"

namespace orvanta::rdap {
namespace {

void Line(std::string& out, std::string_view label, const std::string& value) {
    if (value.empty()) {
        return;
    }
    out += label;
    out += ':';
    out.append(label.size() < 13 ? 13 - label.size() : 1, ' ');
    out += OneLine(value);
    out += '\n';
}

std::string Joined(const std::vector<std::string>& parts, std::string_view separator) {
    std::string out;
    for (const std::string& part : parts) {
        if (part.empty()) {
            continue;
        }
        if (!out.empty()) {
            out += separator;
        }
        out += part;
    }
    return out;
}

// "Example Org (EO-1)", the organisation before the person.
std::string WhoIs(const Entity& entity) {
    const Contact& c = entity.contact;
    std::string who = Joined({c.organisation, c.organisation == c.name ? "" : c.name}, ", ");
    if (!entity.handle.empty()) {
        who += who.empty() ? entity.handle : " (" + entity.handle + ")";
    }
    return who;
}

} // namespace

std::string OneLine(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (ch == '\r' || ch == '\n' || ch == '\t') {
            out += ' ';
        } else if (c < 0x20 || c == 0x7f) {
            out += "\xEF\xBF\xBD";
        } else {
            out += ch;
        }
    }
    return out;
}

const Entity* FindRole(const std::vector<Entity>& entities, const std::string& role) {
    for (const Entity& entity : entities) {
        if (entity.HasRole(role)) {
            return &entity;
        }
    }
    for (const Entity& entity : entities) {
        if (const Entity* found = FindRole(entity.entities, role)) {
            return found;
        }
    }
    return nullptr;
}

std::string EventDate(const std::vector<Event>& events, std::string_view action) {
    for (const Event& event : events) {
        if (event.action == action) {
            return event.date;
        }
    }
    return {};
}

std::string NetworkText(const IpNetwork& network, const std::string& source) {
    std::string out;
    const std::string range = network.startAddress.empty() && network.endAddress.empty()
                                  ? std::string()
                                  : network.startAddress + " - " + network.endAddress;
    Line(out, "Range", range);
    std::vector<std::string> cidrs;
    for (const Cidr& cidr : network.cidrs) {
        cidrs.push_back(cidr.length.empty() ? cidr.prefix : cidr.prefix + "/" + cidr.length);
    }
    Line(out, "CIDR", Joined(cidrs, ", "));
    Line(out, "Name", network.name);
    Line(out, "Handle", network.handle);
    Line(out, "Type", network.type);
    Line(out, "Country", network.country);
    Line(out, "Parent", network.parentHandle);
    Line(out, "Status", Joined(network.status, ", "));
    if (const Entity* holder = FindRole(network.entities, "registrant")) {
        Line(out, "Holder", WhoIs(*holder));
    }
    if (const Entity* abuse = FindRole(network.entities, "abuse")) {
        Line(out, "Abuse", Joined({abuse->contact.email, abuse->contact.phone}, ", "));
        Line(out, "Abuse contact", WhoIs(*abuse));
    }
    Line(out, "Registered", EventDate(network.events, "registration"));
    Line(out, "Last changed", EventDate(network.events, "last changed"));
    for (const Notice& remark : network.remarks) {
        out += "\nRemark";
        out += remark.title.empty() ? std::string(":") : ": " + OneLine(remark.title);
        out += '\n';
        for (const std::string& line : remark.description) {
            out += "  " + OneLine(line) + '\n';
        }
    }
    out += '\n';
    Line(out, "Source", source);
    return out;
}

} // namespace orvanta::rdap
