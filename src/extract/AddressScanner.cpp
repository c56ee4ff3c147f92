// SPDX-License-Identifier: GPL-3.0-or-later
#include "extract/AddressScanner.h"

#include <arpa/inet.h>
#include <bit>
#include <cstring>
#include <sys/socket.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orvanta::extract {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsHex(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// [0-9A-Fa-f:.], the characters an address text is made of, as a table.
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

// What a byte is to a token, for counting a token's dots and colons while
// finding its end.
enum Kind : char { kOther, kHex, kDot, kColon };
struct KindTable {
    Kind of[256] = {};
    constexpr KindTable() {
        for (int c = 0; c < 256; ++c)
            of[c] = c == '.' ? kDot : c == ':' ? kColon : kToken.in[c] ? kHex : kOther;
    }
};
constexpr KindTable kKinds;

Kind KindOf(char c) {
    return kKinds.of[static_cast<unsigned char>(c)];
}

// The first dot or colon in [at, end), or end. Most bytes of a log lie
// between tokens that hold neither, so this is where a scan spends its
// time: sixteen bytes a step where the processor allows.
const char* NextMark(const char* at, const char* end) {
#if defined(__SSE2__)
    const __m128i dot = _mm_set1_epi8('.');
    const __m128i colon = _mm_set1_epi8(':');
    for (; end - at >= 16; at += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        const int marks = _mm_movemask_epi8(
            _mm_or_si128(_mm_cmpeq_epi8(bytes, dot), _mm_cmpeq_epi8(bytes, colon)));
        if (marks != 0)
            return at + std::countr_zero(static_cast<unsigned>(marks));
    }
#endif
    while (at < end && *at != '.' && *at != ':')
        ++at;
    return at;
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

// The byte path tries a token as IPv6 only while it fits its cap, and the
// try fails without "::" or six colons (trimming the token's ends adds
// neither): a time of day or "host:1.2.3.4:80" holds only the IPv4
// addresses among its runs of digits and dots. `colons` is the number of
// colons in [at, end).
bool MaybeV6(const char* at, const char* end, std::size_t colons) {
    if (colons >= 6)
        return true;
    for (; colons >= 2 && at + 1 < end; ++at) {
        if (at[0] == ':' && at[1] == ':')
            return true;
    }
    return false;
}

// Dotted quad `run` (a run of digits and dots from digit to digit) into
// the first four bytes of `address`.
bool ParseV4(std::string_view run, Address& address) {
    // Four groups of one to three digits, 0..255, no leading zero; one
    // pass, as this runs for every address of a log.
    std::size_t group = 0;
    std::size_t digits = 0;
    unsigned value = 0;
    for (const char c : run) {
        if (c == '.') {
            if (digits == 0 || group == 3)
                return false;
            address.bytes[group++] = static_cast<std::uint8_t>(value);
            digits = 0;
            value = 0;
            continue;
        }
        if (digits == 1 && value == 0)
            return false; // a leading zero
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (++digits > 3 || value > 255)
            return false;
    }
    if (digits == 0 || group != 3)
        return false;
    address.bytes[3] = static_cast<std::uint8_t>(value);
    return true;
}

// Whether `text`, a token of at most kTokenCap bytes between the bytes
// `before` and `after`, is an IPv6 address, and which.
bool ParseV6(std::string_view text, char before, char after, Address& address) {
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
    address.v6 = true;
    return inet_pton(AF_INET6, buffer, address.bytes.data()) == 1;
}

// The run token[first, stop) ends in `trailingDots` dots; `before` and
// `after` are the bytes around the token. The same rule as Take's.
bool GluedToName(std::string_view token, std::size_t first, std::size_t stop,
                 std::size_t trailingDots, char before, char after) {
    const char ahead = first == 0 ? before : token[first - 1];
    bool named = IsNameChar(ahead);
    if (!named && ahead == '.' && first > 0)
        named = IsNameChar(first == 1 ? before : token[first - 2]);
    const char behind = stop < token.size() ? token[stop] : after;
    return named || (trailingDots <= 1 && IsNameChar(behind));
}

// Reports the IPv4 addresses among the runs of digits and dots of a whole
// token, in order: what Take finds in it a byte at a time, without its
// bookkeeping.
template <typename Report>
void EachV4(std::string_view token, char before, char after, Report&& report) {
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
        Address address;
        if (stop > at && dots == 3 && last + 1 - at <= AddressScanner::kRunCap &&
            !GluedToName(token, at, stop, dotsAfter, before, after) &&
            ParseV4(token.substr(at, last + 1 - at), address))
            report(address);
        at = stop;
    }
}

} // namespace

std::string Address::Text() const {
    if (!v6) {
        // A dotted quad by hand: the C library's goes through printf, a
        // cost of its own for each of a million addresses.
        char text[16];
        char* out = text;
        for (std::size_t i = 0; i < 4; ++i) {
            if (i > 0)
                *out++ = '.';
            const unsigned part = bytes[i];
            if (part >= 100)
                *out++ = static_cast<char>('0' + part / 100);
            if (part >= 10)
                *out++ = static_cast<char>('0' + part / 10 % 10);
            *out++ = static_cast<char>('0' + part % 10);
        }
        return std::string(text, out);
    }
    char text[INET6_ADDRSTRLEN] = {};
    inet_ntop(v6 ? AF_INET6 : AF_INET, bytes.data(), text, sizeof text);
    return text;
}

AddressScanner::AddressScanner(Found found) : found_(std::move(found)) {}

void AddressScanner::Feed(std::string_view piece) {
    const char* at = piece.data();
    const char* const end = at + piece.size();
    // A token the last piece ended inside goes on a byte at a time.
    while (at < end && tokenLength_ > 0)
        Take(*at++);
    if (at == end)
        return;
    // So does a token this piece ends inside, for the next piece to go on
    // with. Every token before it lies whole in the piece.
    const char* tail = end;
    while (tail > at && IsTokenChar(tail[-1]))
        --tail;
    // An address has a dot or a colon, so only the tokens that hold one
    // are looked at; the search jumps over all other bytes.
    for (const char* from = at; (at = NextMark(from, tail)) < tail; from = at) {
        // No mark lies before `at` in its token, so its dots and colons
        // are counted from here. The byte before `tail` is no token byte,
        // so the token ends before it.
        std::size_t dots = 0;
        std::size_t colons = 0;
        const char* last = at;
        for (Kind kind; (kind = KindOf(*last)) != kOther; ++last) {
            dots += kind == kDot;
            colons += kind == kColon;
        }
        // Most such tokens are no address: "index.html", "HTTP/1.1", the
        // time "2026:10:00:00".
        bool v6 = colons >= 2 && MaybeV6(at, last, colons);
        if (v6 || dots >= 3) {
            const char* first = at;
            while (first > from && IsTokenChar(first[-1]))
                --first;
            const std::string_view token(first, static_cast<std::size_t>(last - first));
            v6 = v6 && token.size() <= kTokenCap;
            if (v6 || dots >= 3)
                TakeWholeToken(token, first > piece.data() ? first[-1] : previous_, *last, v6);
        }
        at = last + 1; // *last ends the token, so is no mark
    }
    // Between tokens the byte path needs only the byte before the next.
    if (tail > piece.data()) {
        previous_ = tail[-1];
        beforeToken_ = tail[-1];
    }
    for (at = tail; at < end; ++at)
        Take(*at);
}

void AddressScanner::TakeWholeToken(std::string_view token, char before, char after, bool v6) {
    if (!v6) {
        EachV4(token, before, after, found_);
        return;
    }
    // An IPv6 address's IPv4 tail is not counted on its own: the IPv4
    // addresses of a possible IPv6 token are held until it is parsed.
    std::array<Address, kMaxPending> held;
    std::size_t heldCount = 0;
    EachV4(token, before, after, [&](const Address& address) {
        if (heldCount < kMaxPending)
            held[heldCount++] = address;
        else
            found_(address);
    });
    Address address;
    if (ParseV6(token, before, after, address)) {
        found_(address);
        return;
    }
    for (std::size_t i = 0; i < heldCount; ++i)
        found_(held[i]);
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

void AddressScanner::EndToken(char after) {
    Address v6;
    if (tokenLength_ <= kTokenCap &&
        ParseV6({token_.data(), tokenLength_}, beforeToken_, after, v6)) {
        found_(v6);
    } else {
        for (std::size_t i = 0; i < pendingCount_; ++i)
            found_(pending_[i]);
    }
    pendingCount_ = 0;
    tokenLength_ = 0;
}

} // namespace orvanta::extract
