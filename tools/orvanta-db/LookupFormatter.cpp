// SPDX-License-Identifier: GPL-3.0-or-later
#include "LookupFormatter.h"

#include "geoip/IPv6Text.h"
#include "geoip/IanaBlocks.h"
#include "geoip/TextRecord.h"

#include <charconv>

namespace orvanta::dbtool {
namespace {

const geoip::TGeoIPCity EmptyRecord{};

void AppendNumber(std::string& out, double value) {
    char text[64];
    auto [end, error] =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, 15);
    if (error == std::errc()) {
        out.append(text, end);
    } else {
        out += "nan";
    }
}

void AppendInteger(std::string& out, std::int64_t value) {
    char text[24];
    auto [end, error] = std::to_chars(text, text + sizeof text, value);
    out.append(text, error == std::errc() ? end : text);
}

void AppendTsvEscaped(std::string& out, unsigned char c) {
    switch (c) {
    case '\t':
        out += "\\t";
        break;
    case '\r':
        out += "\\r";
        break;
    case '\n':
        out += "\\n";
        break;
    case '\\':
        out += "\\\\";
        break;
    default:
        out += static_cast<char>(c);
    }
}

// Latin-1 bytes as UTF-8, escaped for a tab-separated field.
void AppendTsvLatin1(std::string& out, std::string_view latin1) {
    for (char ch : latin1) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            AppendTsvEscaped(out, c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
}

void AppendJsonEscaped(std::string& out, unsigned char c) {
    static const char hex[] = "0123456789abcdef";
    switch (c) {
    case '"':
        out += "\\\"";
        break;
    case '\\':
        out += "\\\\";
        break;
    case '\n':
        out += "\\n";
        break;
    case '\r':
        out += "\\r";
        break;
    case '\t':
        out += "\\t";
        break;
    default:
        if (c < 0x20) {
            out += "\\u00";
            out += hex[c >> 4];
            out += hex[c & 0xF];
        } else {
            out += static_cast<char>(c);
        }
    }
}

void AppendJsonLatin1(std::string& out, std::string_view latin1) {
    out += '"';
    for (char ch : latin1) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            AppendJsonEscaped(out, c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    out += '"';
}

// The length of the well-formed UTF-8 sequence at the start of `text`, or 0.
std::size_t Utf8SequenceLength(std::string_view text) {
    const auto c = static_cast<unsigned char>(text[0]);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        low = c == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
        high = c == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        low = c == 0xF0 ? 0x90 : 0x80;
        high = c == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() < length) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) {
            return 0;
        }
    }
    return length;
}

// An address is echoed so that a reader can tell the lines apart, not to
// carry whatever a caller sent: a line of megabytes comes back as its first
// EchoLimit bytes, cut before a UTF-8 sequence the limit would split.
std::string_view EchoedPart(std::string_view address) {
    if (address.size() <= EchoLimit) {
        return address;
    }
    std::size_t start = EchoLimit;
    while (start > EchoLimit - 3 && (static_cast<unsigned char>(address[start]) & 0xC0) == 0x80) {
        --start;
    }
    const std::size_t length = Utf8SequenceLength(address.substr(start));
    const bool split = length > 0 && start < EchoLimit && start + length > EchoLimit;
    return address.substr(0, split ? start : EchoLimit);
}

bool NeedsTsvEscape(char ch) {
    const auto c = static_cast<unsigned char>(ch);
    return c == '\t' || c == '\r' || c == '\n' || c == '\\' || c >= 0x80;
}

// The output is UTF-8 text: a byte of the address that starts no well-formed
// sequence is written as \xNN, so terminals and UTF-8 readers get text.
void AppendTsvUtf8(std::string& out, std::string_view text) {
    static const char hex[] = "0123456789abcdef";
    while (!text.empty()) {
        const auto c = static_cast<unsigned char>(text[0]);
        if (c < 0x80) {
            AppendTsvEscaped(out, c);
            text.remove_prefix(1);
            continue;
        }
        const std::size_t length = Utf8SequenceLength(text);
        if (length == 0) {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 0xF];
            text.remove_prefix(1);
        } else {
            out.append(text.substr(0, length));
            text.remove_prefix(length);
        }
    }
}

// The address as given is whatever bytes the caller sent; JSON text must be
// UTF-8, so a byte that starts no well-formed sequence becomes U+FFFD.
void AppendJsonUtf8(std::string& out, std::string_view text) {
    out += '"';
    while (!text.empty()) {
        const auto c = static_cast<unsigned char>(text[0]);
        if (c < 0x80) {
            AppendJsonEscaped(out, c);
            text.remove_prefix(1);
            continue;
        }
        const std::size_t length = Utf8SequenceLength(text);
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            text.remove_prefix(1);
        } else {
            out.append(text.substr(0, length));
            text.remove_prefix(length);
        }
    }
    out += '"';
}

void AppendDotted(std::string& out, std::uint32_t number) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        AppendInteger(out, (number >> shift) & 0xFF);
        if (shift > 0) {
            out += '.';
        }
    }
}

} // namespace

void LookupFormatter::AppendAddress(std::string& out, std::string_view address) const {
    address = EchoedPart(address);
    if (format_ == LookupFormat::Json) {
        out += "{\"address\":";
        AppendJsonUtf8(out, address);
        return;
    }
    // Most addresses need no escape: copy the run up to the first that does.
    std::size_t plain = 0;
    while (plain < address.size() && !NeedsTsvEscape(address[plain])) {
        ++plain;
    }
    out.append(address.substr(0, plain));
    AppendTsvUtf8(out, address.substr(plain));
}

void LookupFormatter::AppendRecord(std::string& out, geoip::TLookupResult result,
                                   const geoip::TGeoIPCity& record) const {
    const bool json = format_ == LookupFormat::Json;
    out += json ? ",\"result\":\"" : "\t";
    out += geoip::LookupResultName(result);
    out += json ? "\"" : "";
    struct Text {
        const char* key;
        const std::string& value;
    };
    for (const Text& text : {Text{"CountryCode", record.CountryCode},
                             Text{"CountryName", record.CountryName}, Text{"Region", record.Region},
                             Text{"City", record.City}, Text{"PostalCode", record.PostalCode}}) {
        if (json) {
            out += ",\"";
            out += text.key;
            out += "\":";
            AppendJsonLatin1(out, text.value);
        } else {
            out += '\t';
            AppendTsvLatin1(out, text.value);
        }
    }
    out += json ? ",\"Latitude\":" : "\t";
    AppendNumber(out, record.Latitude);
    out += json ? ",\"Longitude\":" : "\t";
    AppendNumber(out, record.Longitude);
    out += json ? ",\"DmaCode\":" : "\t";
    AppendInteger(out, record.DmaCode);
    out += json ? ",\"AreaCode\":" : "\t";
    AppendInteger(out, record.AreaCode);
}

void LookupFormatter::AppendNetwork(std::string& out, std::uint32_t number,
                                    int prefixLength) const {
    const bool json = format_ == LookupFormat::Json;
    out += json ? ",\"network\":" : "\t";
    if (prefixLength < 0) {
        out += json ? "null" : "";
        return;
    }
    const std::uint32_t mask = prefixLength == 0 ? 0 : ~std::uint32_t(0) << (32 - prefixLength);
    out += json ? "\"" : "";
    AppendDotted(out, number & mask);
    out += '/';
    AppendInteger(out, prefixLength);
    out += json ? "\"" : "";
}

void LookupFormatter::AppendOrganization(std::string& out,
                                         std::optional<std::string_view> text) const {
    const bool json = format_ == LookupFormat::Json;
    if (!text) {
        out += json ? ",\"asn\":null,\"organization\":null" : "\t\t";
        return;
    }
    const geoip::AsnName name = geoip::SplitAsnText(*text);
    out += json ? ",\"asn\":" : "\t";
    if (name.number) {
        AppendInteger(out, *name.number);
    } else {
        out += json ? "null" : "";
    }
    out += json ? ",\"organization\":" : "\t";
    // Our files store the name as UTF-8; a damaged one may hold any bytes,
    // which come out escaped as those of the address do.
    if (json) {
        AppendJsonUtf8(out, name.organization);
    } else {
        AppendTsvUtf8(out, name.organization);
    }
}

void LookupFormatter::AppendSpecial(std::string& out, std::optional<std::string_view> name) const {
    const bool json = format_ == LookupFormat::Json;
    out += json ? ",\"special\":" : "\t";
    if (!name) {
        out += json ? "null" : "";
    } else if (json) {
        AppendJsonUtf8(out, *name);
    } else {
        AppendTsvUtf8(out, *name);
    }
}

std::optional<std::string_view> SpecialOf(const LookupAnswer& answer) {
    if (answer.result == geoip::lrInvalidAddress) {
        return std::nullopt;
    }
    return answer.ipv6 ? geoip::SpecialPurposeOf6(answer.ipv6Number)
                       : geoip::SpecialPurposeOf4(answer.number);
}

void LookupFormatter::AppendEnd(std::string& out) const {
    out += format_ == LookupFormat::Json ? "}\n" : "\n";
}

void LookupFormatter::AppendCount(std::string& out, std::string_view key,
                                  std::uint64_t value) const {
    if (format_ == LookupFormat::Json) {
        out += ",\"";
        out += key;
        out += "\":";
    } else {
        out += '\t';
    }
    char text[24];
    auto [end, error] = std::to_chars(text, text + sizeof text, value);
    out.append(text, error == std::errc() ? end : text);
}

void LookupFormatter::AppendLine(std::string& out, const LookupAnswer& answer) const {
    AppendAddress(out, answer.address);
    const bool found = answer.result == geoip::lrFound && answer.record != nullptr;
    AppendRecord(out, answer.result, found ? *answer.record : EmptyRecord);
    if (answer.ipv6) {
        AppendIPv6Network(out, answer.ipv6Number, answer.prefixLength);
    } else {
        AppendNetwork(out, answer.number, answer.prefixLength);
    }
    AppendOrganization(out, answer.organization);
    AppendSpecial(out, SpecialOf(answer));
    AppendEnd(out);
}

std::string FormatLookupLine(const LookupAnswer& answer) {
    std::string line;
    LookupFormatter(LookupFormat::Tsv).AppendLine(line, answer);
    line.pop_back();
    return line;
}

std::string FormatNumber(double value) {
    std::string text;
    AppendNumber(text, value);
    return text;
}

std::string EscapeField(std::string_view text) {
    std::string out;
    for (char c : text) {
        AppendTsvEscaped(out, static_cast<unsigned char>(c));
    }
    return out;
}

std::string NetworkText(std::uint32_t number, int prefixLength) {
    std::string text;
    LookupFormatter(LookupFormat::Tsv).AppendNetwork(text, number, prefixLength);
    text.erase(0, 1);
    return text;
}

void LookupFormatter::AppendIPv6Network(std::string& out, geoip::AddressValue number,
                                        int prefixLength) const {
    if (prefixLength < 0) {
        AppendNetwork(out, 0, prefixLength);
        return;
    }
    const bool json = format_ == LookupFormat::Json;
    out += json ? ",\"network\":\"" : "\t";
    out += geoip::IPv6NetworkText(number, prefixLength);
    out += json ? "\"" : "";
}

} // namespace orvanta::dbtool
