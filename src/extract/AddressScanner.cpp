// SPDX-License-Identifier: GPL-3.0-or-later
#include "extract/AddressScanner.h"

#include <arpa/inet.h>
#include <cstring>
#include <sys/socket.h>

namespace orvanta::extract {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsHex(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// [0-9A-Fa-f:.], the characters an address text is made of, as a table:
// most of a log is other text, skipped a table look-up per byte.
struct TokenTable {
    bool in[256] = {};
    constexpr TokenTable() {
        for (int c = 0; c < 256; ++c)
            in[c] = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') ||
                    c == ':' || c == '.';
    }
};
constexpr TokenTable kToken;

bool IsTokenChar(char c) {
    return kToken.in[static_cast<unsigned char>(c)];
}

// A letter, digit or underscore next to an IPv6 candidate makes it part of
// a word ("std::abc", "Foo::Bad"), not an address.
bool IsWordChar(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

// A letter or underscore next to an IPv4 address, or a dot and then one,
// makes it part of a host name ("host129.206.196.21.example.com"), whose
// owner is not that address. Bytes above 127 are no letters here: binary
// junk around an address does not hide it.
bool IsNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

// The longest IPv6 text: eight groups of four, or six and an IPv4 tail.
constexpr std::size_t kMaxV6Text = 45;

} // namespace

std::string Address::Text() const {
    char text[INET6_ADDRSTRLEN] = {};
    inet_ntop(v6 ? AF_INET6 : AF_INET, bytes.data(), text, sizeof text);
    return text;
}

AddressScanner::AddressScanner(Found found) : found_(std::move(found)) {}

void AddressScanner::Feed(std::string_view piece) {
    const char* at = piece.data();
    const char* const end = at + piece.size();
    const char* slowUntil = at; // a token being taken a byte at a time
    while (at < end) {
        if (tokenLength_ == 0 && runLength_ == 0 && runDots_ == 0) {
            // Between candidates only the byte before the next one matters.
            const char* next = at;
            while (next < end && !IsTokenChar(*next))
                ++next;
            if (next != at) {
                beforeToken_ = next[-1];
                previous_ = next[-1];
                at = next;
                if (at == end)
                    break;
            }
            if (at >= slowUntil) {
                // Most tokens of a log hold no colon, so no IPv6 address,
                // and end inside the piece: taken whole.
                const char* tokenEnd = at;
                bool colon = false;
                while (tokenEnd < end && IsTokenChar(*tokenEnd)) {
                    colon = colon || *tokenEnd == ':';
                    ++tokenEnd;
                }
                if (tokenEnd < end && !colon) {
                    TakeWholeToken({at, static_cast<std::size_t>(tokenEnd - at)}, previous_,
                                   *tokenEnd);
                    beforeToken_ = *tokenEnd;
                    previous_ = *tokenEnd;
                    at = tokenEnd;
                    continue;
                }
                slowUntil = tokenEnd;
            }
        }
        Take(*at++);
    }
}

void AddressScanner::TakeWholeToken(std::string_view token, char before, char after) {
    // Without a colon a token holds no IPv6 address: what it holds are the
    // IPv4 addresses among its runs of digits and dots, found here without
    // the byte-at-a-time bookkeeping of Take.
    std::size_t at = 0;
    while (at < token.size()) {
        while (at < token.size() && !IsDigit(token[at]))
            ++at;
        std::size_t last = at; // the run's last digit
        std::size_t stop = at;
        std::size_t dots = 0; // up to the last digit
        std::size_t dotsAfter = 0;
        while (stop < token.size() && (IsDigit(token[stop]) || token[stop] == '.')) {
            if (IsDigit(token[stop])) {
                last = stop;
                dots += dotsAfter;
                dotsAfter = 0;
            } else {
                ++dotsAfter;
            }
            ++stop;
        }
        // Numbers, versions and times end here, before any parsing.
        if (stop > at && dots == 3 && last + 1 - at <= kRunCap &&
            !GluedToName(token, at, stop, dotsAfter, before, after)) {
            Address address;
            if (ParseV4(token.substr(at, last + 1 - at), address))
                found_(address);
        }
        at = stop;
    }
}

// The run token[first, stop) ends in `trailingDots` dots; `before` and
// `after` are the bytes around the token. The same rule as Take's.
bool AddressScanner::GluedToName(std::string_view token, std::size_t first, std::size_t stop,
                                 std::size_t trailingDots, char before, char after) {
    const char ahead = first == 0 ? before : token[first - 1];
    bool named = IsNameChar(ahead);
    if (!named && ahead == '.' && first > 0)
        named = IsNameChar(first == 1 ? before : token[first - 2]);
    const char behind = stop < token.size() ? token[stop] : after;
    return named || (trailingDots <= 1 && IsNameChar(behind));
}

void AddressScanner::Finish() {
    Take(' ');
    beforeToken_ = ' ';
    previous_ = ' ';
}

void AddressScanner::Take(char c) {
    if (IsDigit(c) || c == '.') {
        if (IsDigit(c)) {
            if (runLength_ == 0) {
                // A letter right before, or one dot after a letter
                // ("www.1.2.3.4"): the run is a name's.
                runNamed_ = runDots_ == 0 ? IsNameChar(previous_)
                                          : runDots_ == 1 && IsNameChar(beforeDots_);
                runDots_ = 0; // dots before the first digit do not belong to it
            }
            // Dots between digits belong to the run.
            for (; runDots_ > 0; --runDots_) {
                if (runLength_ == kRunCap)
                    runTooLong_ = true;
                else
                    run_[runLength_++] = '.';
            }
            if (runLength_ == kRunCap)
                runTooLong_ = true;
            else
                run_[runLength_++] = c;
        } else {
            if (runLength_ == 0 && runDots_ == 0)
                beforeDots_ = previous_;
            ++runDots_;
        }
    } else if (runLength_ > 0 || runDots_ > 0) {
        EndRun(c);
    }
    previous_ = c;

    if (IsTokenChar(c)) {
        if (tokenLength_ < kTokenCap)
            token_[tokenLength_] = c;
        if (++tokenLength_ == kTokenCap + 1) {
            // Too long for IPv6: what it held back is reported now.
            for (std::size_t i = 0; i < pendingCount_; ++i)
                found_(pending_[i]);
            pendingCount_ = 0;
        }
        return;
    }
    if (tokenLength_ > 0)
        EndToken(c);
    beforeToken_ = c;
}

void AddressScanner::EndRun(char after) {
    // Glued to a name on the right: "1.2.3.4x" or "1.2.3.4.example.com".
    const bool named = runNamed_ || (runDots_ <= 1 && IsNameChar(after));
    if (!runTooLong_ && runLength_ > 0 && !named)
        ReportV4({run_.data(), runLength_});
    runLength_ = 0;
    runDots_ = 0;
    runTooLong_ = false;
    runNamed_ = false;
}

void AddressScanner::ReportV4(std::string_view run) {
    Address address;
    if (!ParseV4(run, address))
        return;
    if (tokenLength_ <= kTokenCap && pendingCount_ < kMaxPending)
        pending_[pendingCount_++] = address;
    else
        found_(address);
}

bool AddressScanner::ParseV4(std::string_view run, Address& address) {
    int groups = 0;
    std::size_t at = 0;
    while (at <= run.size()) {
        std::size_t end = at;
        while (end < run.size() && IsDigit(run[end]))
            ++end;
        const std::size_t digits = end - at;
        if (digits == 0 || digits > 3 || (digits > 1 && run[at] == '0') || groups == 4)
            return false;
        int value = 0;
        for (std::size_t i = at; i < end; ++i)
            value = value * 10 + (run[i] - '0');
        if (value > 255)
            return false;
        address.bytes[static_cast<std::size_t>(groups++)] = static_cast<std::uint8_t>(value);
        at = end + 1; // past the dot
    }
    return groups == 4;
}

void AddressScanner::EndToken(char after) {
    if (tokenLength_ > kTokenCap || !TryV6(after)) {
        for (std::size_t i = 0; i < pendingCount_; ++i)
            found_(pending_[i]);
    }
    pendingCount_ = 0;
    tokenLength_ = 0;
}

bool AddressScanner::TryV6(char after) {
    std::string_view text(token_.data(), tokenLength_);
    char before = beforeToken_;
    // Punctuation around the address: a sentence's full stop, a "host:"
    // prefix, a trailing colon of a log field.
    while (!text.empty() && text.back() == '.') {
        text.remove_suffix(1);
        after = '.';
    }
    if (text.size() >= 2 && text.back() == ':' && text[text.size() - 2] != ':') {
        text.remove_suffix(1);
        after = ':';
    }
    if (text.size() >= 2 && text.front() == ':' && text[1] != ':') {
        text.remove_prefix(1);
        before = ':';
    }
    if (text.size() < 2 || text.size() > kMaxV6Text || IsWordChar(before) || IsWordChar(after) ||
        text.find(':') == std::string_view::npos)
        return false;
    // "::" alone is the unspecified address, which no log means to name.
    // Without "::" an address has seven colons, or six before an IPv4
    // tail: times of day ("10:00:00") end here, before any parsing.
    bool anyHex = false;
    int colons = 0;
    for (const char c : text) {
        anyHex = anyHex || IsHex(c);
        colons += c == ':';
    }
    if (!anyHex || (colons < 6 && text.find("::") == std::string_view::npos))
        return false;
    char buffer[kMaxV6Text + 1];
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    Address address;
    address.v6 = true;
    if (inet_pton(AF_INET6, buffer, address.bytes.data()) != 1)
        return false;
    found_(address);
    return true;
}

} // namespace orvanta::extract
