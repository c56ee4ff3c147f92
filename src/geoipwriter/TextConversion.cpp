// SPDX-License-Identifier: GPL-3.0-or-later
#include "geoipwriter/TextConversion.h"

#include <cmath>
#include <cstdint>
#include <iconv.h>
#include <locale.h>

namespace orvanta::geoip {
namespace {

// Length of the well-formed UTF-8 sequence at `text[i]` and its code point,
// or 0 for a malformed one (bad lead byte, truncated, overlong, surrogate,
// beyond U+10FFFF).
std::size_t DecodeUtf8(std::string_view text, std::size_t i, char32_t& codePoint) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, minimum = 0x80, codePoint = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, minimum = 0x800, codePoint = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, minimum = 0x10000, codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() - i < length) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        codePoint = codePoint << 6 | (next & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF ||
        (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        return 0;
    }
    return length;
}

// iconv's transliteration follows the LC_CTYPE locale of the calling thread;
// a fixed UTF-8 C locale makes "Ł" give "L" whatever locale the caller runs.
class Transliterator {
public:
    Transliterator()
        : converter_(iconv_open("ISO-8859-1//TRANSLIT", "UTF-8")),
          locale_(newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr))) {}
    ~Transliterator() {
        if (converter_ != reinterpret_cast<iconv_t>(-1)) {
            iconv_close(converter_);
        }
        if (locale_) {
            freelocale(locale_);
        }
    }
    Transliterator(const Transliterator&) = delete;
    Transliterator& operator=(const Transliterator&) = delete;

    // Appends the Latin-1 form of one well-formed character outside Latin-1.
    void Append(std::string_view character, std::string& out) {
        if (converter_ == reinterpret_cast<iconv_t>(-1)) {
            out += '?';
            return;
        }
        locale_t previous = locale_ ? uselocale(locale_) : nullptr;
        char buffer[32];
        char* in = const_cast<char*>(character.data());
        std::size_t inLeft = character.size();
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        iconv(converter_, nullptr, nullptr, nullptr, nullptr);
        std::size_t result = iconv(converter_, &in, &inLeft, &outPtr, &outLeft);
        if (previous) {
            uselocale(previous);
        }
        if (result == static_cast<std::size_t>(-1) || inLeft != 0 || outPtr == buffer) {
            out += '?';
        } else {
            out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        }
    }

private:
    iconv_t converter_;
    locale_t locale_;
};

} // namespace

std::string Utf8ToLatin1(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t codePoint = 0;
        std::size_t length = DecodeUtf8(utf8, i, codePoint);
        if (length == 0) {
            out += '?';
            ++i;
            continue;
        }
        if (codePoint < 0x100) {
            out += static_cast<char>(codePoint);
        } else {
            thread_local Transliterator transliterator;
            transliterator.Append(utf8.substr(i, length), out);
        }
        i += length;
    }
    return out;
}

std::string Latin1ToUtf8(std::string_view latin1) {
    std::string out;
    out.reserve(latin1.size());
    for (char c : latin1) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | byte >> 6);
            out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return out;
}

double RoundCoordinate(double degrees) {
    return std::round(degrees * 10000.0) / 10000.0;
}

} // namespace orvanta::geoip
