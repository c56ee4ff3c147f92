// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Registration data as RDAP servers send it (RFC 9083), decoded into plain
// values. Only what the program shows is kept; every text is valid UTF-8,
// cut to a bounded length, and every list is bounded in count, so a hostile
// answer decodes into something small.

#include <optional>
#include <string>
#include <vector>

namespace orvanta::rdap {

struct Link {
    std::string value; // the address of the answer that carries the link
    std::string rel;
    std::string href;
    std::string type;
};

struct Event {
    std::string action; // "registration", "expiration", "last changed", ...
    std::string date;
    std::string actor;
};

// A notice or a remark.
struct Notice {
    std::string title;
    std::vector<std::string> description;
    std::vector<Link> links;
};

// What a vCard says about a contact, first value of each kind.
struct Contact {
    std::string name;
    std::string organisation;
    std::string country; // country code, else the address's country name
    std::string email;
    std::string phone; // voice before any other kind
};

struct PublicId {
    std::string type; // "IANA Registrar ID"
    std::string identifier;
};

struct Entity {
    std::string handle;
    std::vector<std::string> roles;
    Contact contact;
    std::vector<PublicId> publicIds;
    std::vector<Event> events;
    std::vector<Notice> remarks;
    std::vector<Entity> entities; // e.g. the registrar's abuse contact

    bool HasRole(const std::string& role) const;
};

// One redacted field (RFC 9537).
struct Redaction {
    std::string name; // "Registrant Name", or the description when unnamed
    std::string method;
    std::string reason;
};

struct NameServer {
    std::string ldhName;
    std::string unicodeName;
    std::vector<std::string> addresses;
};

struct DelegationSigner {
    std::string keyTag;
    std::string algorithm;
    std::string digestType;
    std::string digest;
};

struct SecureDns {
    std::optional<bool> delegationSigned;
    std::optional<bool> zoneSigned;
    std::vector<DelegationSigner> dsData;
};

struct Domain {
    std::string ldhName;
    std::string unicodeName;
    std::string handle;
    std::vector<std::string> status;
    std::vector<Event> events;
    std::vector<NameServer> nameServers;
    SecureDns secureDns;
    std::vector<Entity> entities;
    std::vector<Redaction> redactions;
    std::vector<Notice> notices;
    std::vector<Notice> remarks;
    std::vector<Link> links;
    std::string port43;
};

struct Cidr {
    std::string prefix;
    std::string length;
};

struct IpNetwork {
    std::string startAddress;
    std::string endAddress;
    std::vector<Cidr> cidrs;
    std::string name;
    std::string handle;
    std::string type;
    std::string country;
    std::string parentHandle;
    std::vector<std::string> status;
    std::vector<Entity> entities;
    std::vector<Event> events;
    std::vector<Notice> remarks;
    std::vector<Notice> notices;
    std::vector<Link> links;
};

// An RDAP error answer.
struct ErrorAnswer {
    std::optional<long> errorCode;
    std::string title;
    std::vector<std::string> description;
};

} // namespace orvanta::rdap
