// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Finds IP addresses in text that arrives in pieces of any size, such as a
// log read from a file or the clipboard: every IPv4 address (four decimal
// groups 0..255 without leading zeros, not part of a longer run of digits
// and dots, not glued to a host name's letters) and every IPv6 address in the text forms of RFC
// 4291 ("::" compression, an IPv4 tail), also in brackets or with ":port" after them. Addresses
// split across pieces are found as if the text were whole.
//
//     AddressScanner scanner([&](const Address& a) { tally.Add(a); });
//     while (reading) scanner.Feed(piece);
//     scanner.Finish();
//
// Memory stays bounded whatever the text: the scanner keeps only the
// current candidate (at most a few dozen bytes), never a line or the text.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace orvanta::extract {

struct Address {
    bool v6 = false;
    // Network byte order; an IPv4 address uses the first four bytes.
    std::array<std::uint8_t, 16> bytes{};

    // The canonical text: dotted quad, or RFC 5952 for IPv6.
    std::string Text() const;
    bool operator==(const Address&) const = default;
};

class AddressScanner {
public:
    using Found = std::function<void(const Address&)>;
    explicit AddressScanner(Found found);

    // Scans the next piece of the text.
    void Feed(std::string_view piece);
    // The text has ended: reports an address that ran up to its last byte.
    void Finish();

    // A run of [0-9A-Fa-f:.] longer than this is no IPv6 address (only
    // the IPv4 addresses inside count), a run of digits and dots longer
    // than this no IPv4 address.
    static constexpr std::size_t kTokenCap = 64;
    static constexpr std::size_t kRunCap = 15;

private:
    void Take(char c);
    void EndToken(char after);
    void EndRun(char after);
    void ReportV4(std::string_view run);
    // A token that lies whole inside the piece, with the bytes around it;
    // `v6` if it could be an IPv6 address.
    void TakeWholeToken(std::string_view token, char before, char after, bool v6);

    Found found_;
    // The current run of [0-9A-Fa-f:.], kept while it could still be an
    // IPv6 address; longer runs only count.
    std::array<char, kTokenCap> token_{};
    std::size_t tokenLength_ = 0;
    char beforeToken_ = ' ';
    // The current run of digits and dots, from its first digit to its last
    // (dots at its ends do not belong to an address).
    std::array<char, kRunCap> run_{};
    std::size_t runLength_ = 0;
    std::size_t runDots_ = 0; // dots after the last digit, not yet stored
    bool runTooLong_ = false;
    // The run is glued to a name on its left (see IsNameChar).
    bool runNamed_ = false;
    // The byte taken last, and the one before the dots a run starts with.
    char previous_ = ' ';
    char beforeDots_ = ' ';
    // IPv4 runs inside the current token, held back until the token ends:
    // an IPv6 address with an IPv4 tail must not count that tail on its own.
    static constexpr std::size_t kMaxPending = kTokenCap / 8 + 1;
    std::array<Address, kMaxPending> pending_{};
    std::size_t pendingCount_ = 0;
};

} // namespace orvanta::extract
