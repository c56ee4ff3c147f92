#include "mmdbimport/JsonValue.h"

#include "mmdbimport/ImportError.h"

#include <charconv>
#include <cstdint>

namespace orvanta::mmdbimport {
namespace {

constexpr int kMaxDepth = 64;

class Parser {
public:
    explicit Parser(std::string_view in) : in_(in) {}

    JsonValue Document() {
        JsonValue value = Value(0);
        SkipSpace();
        if (at_ != in_.size())
            Fail("unexpected text after the document");
        return value;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const {
        throw ImportError("Malformed JSON at byte " + std::to_string(at_) + ": " + what);
    }

    void SkipSpace() {
        while (at_ < in_.size() &&
               (in_[at_] == ' ' || in_[at_] == '\t' || in_[at_] == '\n' || in_[at_] == '\r'))
            ++at_;
    }

    bool Take(char c) {
        SkipSpace();
        if (at_ < in_.size() && in_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }

    void Expect(char c) {
        if (!Take(c))
            Fail(std::string("expected '") + c + "'");
    }

    bool Word(std::string_view word) {
        if (in_.substr(at_, word.size()) != word)
            return false;
        at_ += word.size();
        return true;
    }

    JsonValue Value(int depth) {
        if (depth > kMaxDepth)
            Fail("nested too deeply");
        SkipSpace();
        if (at_ >= in_.size())
            Fail("unexpected end of input");
        JsonValue value;
        const char c = in_[at_];
        if (c == '{') {
            ++at_;
            value.kind = JsonValue::Kind::Object;
            if (Take('}'))
                return value;
            do {
                SkipSpace();
                std::string key = String();
                Expect(':');
                value.names.push_back(std::move(key));
                value.items.push_back(Value(depth + 1));
            } while (Take(','));
            Expect('}');
        } else if (c == '[') {
            ++at_;
            value.kind = JsonValue::Kind::Array;
            if (Take(']'))
                return value;
            do
                value.items.push_back(Value(depth + 1));
            while (Take(','));
            Expect(']');
        } else if (c == '"') {
            value.kind = JsonValue::Kind::String;
            value.text = String();
        } else if (Word("true")) {
            value.kind = JsonValue::Kind::Boolean;
            value.boolean = true;
        } else if (Word("false")) {
            value.kind = JsonValue::Kind::Boolean;
        } else if (Word("null")) {
            value.kind = JsonValue::Kind::Null;
        } else {
            value.kind = JsonValue::Kind::Number;
            value.number = Number();
        }
        return value;
    }

    double Number() {
        const std::size_t start = at_;
        if (at_ < in_.size() && in_[at_] == '-')
            ++at_;
        auto digits = [&] {
            const std::size_t from = at_;
            while (at_ < in_.size() && in_[at_] >= '0' && in_[at_] <= '9')
                ++at_;
            return at_ > from;
        };
        if (!digits())
            Fail("expected a value");
        if (at_ < in_.size() && in_[at_] == '.') {
            ++at_;
            if (!digits())
                Fail("expected digits after '.'");
        }
        if (at_ < in_.size() && (in_[at_] == 'e' || in_[at_] == 'E')) {
            ++at_;
            if (at_ < in_.size() && (in_[at_] == '+' || in_[at_] == '-'))
                ++at_;
            if (!digits())
                Fail("expected digits in the exponent");
        }
        double value = 0;
        std::from_chars(in_.data() + start, in_.data() + at_, value);
        return value;
    }

    unsigned Hex4() {
        if (in_.size() - at_ < 4)
            Fail("short \\u escape");
        unsigned value = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = in_[at_++];
            value <<= 4;
            if (c >= '0' && c <= '9')
                value |= unsigned(c - '0');
            else if (c >= 'a' && c <= 'f')
                value |= unsigned(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                value |= unsigned(c - 'A' + 10);
            else
                Fail("bad \\u escape");
        }
        return value;
    }

    static void AppendUtf8(std::string& out, std::uint32_t cp) {
        if (cp < 0x80) {
            out += char(cp);
        } else if (cp < 0x800) {
            out += char(0xC0 | (cp >> 6));
            out += char(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += char(0xE0 | (cp >> 12));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        } else {
            out += char(0xF0 | (cp >> 18));
            out += char(0x80 | ((cp >> 12) & 0x3F));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        }
    }

    std::string String() {
        if (at_ >= in_.size() || in_[at_] != '"')
            Fail("expected a string");
        ++at_;
        std::string out;
        while (true) {
            if (at_ >= in_.size())
                Fail("unterminated string");
            const char c = in_[at_++];
            if (c == '"')
                return out;
            if (static_cast<unsigned char>(c) < 0x20)
                Fail("control character in a string");
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ >= in_.size())
                Fail("unterminated escape");
            const char e = in_[at_++];
            switch (e) {
            case '"':
            case '\\':
            case '/':
                out += e;
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                std::uint32_t cp = Hex4();
                if (cp >= 0xD800 && cp <= 0xDBFF) {
                    if (!Word("\\u"))
                        Fail("lone high surrogate");
                    const std::uint32_t low = Hex4();
                    if (low < 0xDC00 || low > 0xDFFF)
                        Fail("bad low surrogate");
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
                    Fail("lone low surrogate");
                }
                AppendUtf8(out, cp);
                break;
            }
            default:
                Fail("unknown escape");
            }
        }
    }

    std::string_view in_;
    std::size_t at_ = 0;
};

} // namespace

const JsonValue* JsonValue::Find(std::string_view key) const {
    if (kind != Kind::Object)
        return nullptr;
    for (std::size_t i = 0; i < names.size() && i < items.size(); ++i)
        if (names[i] == key)
            return &items[i];
    return nullptr;
}

JsonValue JsonValue::Parse(std::string_view document) {
    return Parser(document).Document();
}

} // namespace orvanta::mmdbimport
