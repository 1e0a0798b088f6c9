#include "tests/support/json_lite.hpp"

#include <charconv>
#include <cmath>
#include <utility>

namespace testsupport {

namespace {

constexpr int MAX_DEPTH = 64;

class Parser {
  public:
    explicit Parser(std::string_view text) : text_(text) {}

    bool parseDocument(JsonValue& out, std::string& error) {
        skipBlanks();
        bool ok = parseValue(out, 0);
        if (ok) {
            skipBlanks();
            if (pos_ != text_.size()) ok = fail("text after the value");
        }
        if (!ok) error = error_ + " at byte " + std::to_string(pos_);
        return ok;
    }

  private:
    bool fail(const char* what) {
        if (error_.empty()) error_ = what;
        return false;
    }

    int peek() const { return pos_ < text_.size() ? static_cast<unsigned char>(text_[pos_]) : -1; }

    void skipBlanks() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' ||
                                       text_[pos_] == '\n' || text_[pos_] == '\r')) {
            ++pos_;
        }
    }

    bool literal(std::string_view word) {
        if (text_.substr(pos_, word.size()) != word) return fail("unknown word");
        pos_ += word.size();
        return true;
    }

    bool parseValue(JsonValue& out, int depth) {
        if (depth > MAX_DEPTH) return fail("nesting too deep");
        switch (peek()) {
            case '{':
                return parseObject(out, depth);
            case '[':
                return parseArray(out, depth);
            case '"':
                out.kind = JsonValue::Kind::String;
                return parseString(out.text);
            case 't':
                out.kind = JsonValue::Kind::Bool;
                out.boolean = true;
                return literal("true");
            case 'f':
                out.kind = JsonValue::Kind::Bool;
                out.boolean = false;
                return literal("false");
            case 'n':
                out.kind = JsonValue::Kind::Null;
                return literal("null");
            default:
                return parseNumber(out);
        }
    }

    bool parseObject(JsonValue& out, int depth) {
        out.kind = JsonValue::Kind::Object;
        ++pos_;  // '{'
        skipBlanks();
        if (peek() == '}') {
            ++pos_;
            return true;
        }
        for (;;) {
            skipBlanks();
            std::string key;
            if (peek() != '"') return fail("expected a member name");
            if (!parseString(key)) return false;
            skipBlanks();
            if (peek() != ':') return fail("expected ':'");
            ++pos_;
            skipBlanks();
            JsonValue value;
            if (!parseValue(value, depth + 1)) return false;
            out.members.push_back({std::move(key), std::move(value)});
            skipBlanks();
            if (peek() == ',') {
                ++pos_;
                continue;
            }
            if (peek() == '}') {
                ++pos_;
                return true;
            }
            return fail("expected ',' or '}'");
        }
    }

    bool parseArray(JsonValue& out, int depth) {
        out.kind = JsonValue::Kind::Array;
        ++pos_;  // '['
        skipBlanks();
        if (peek() == ']') {
            ++pos_;
            return true;
        }
        for (;;) {
            skipBlanks();
            JsonValue value;
            if (!parseValue(value, depth + 1)) return false;
            out.items.push_back(std::move(value));
            skipBlanks();
            if (peek() == ',') {
                ++pos_;
                continue;
            }
            if (peek() == ']') {
                ++pos_;
                return true;
            }
            return fail("expected ',' or ']'");
        }
    }

    bool parseHex4(uint32_t& code) {
        if (text_.size() - pos_ < 4) return fail("short \\u escape");
        code = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = text_[pos_++];
            uint32_t digit;
            if (c >= '0' && c <= '9') {
                digit = static_cast<uint32_t>(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                digit = static_cast<uint32_t>(c - 'a' + 10);
            } else if (c >= 'A' && c <= 'F') {
                digit = static_cast<uint32_t>(c - 'A' + 10);
            } else {
                return fail("bad \\u escape");
            }
            code = code << 4 | digit;
        }
        return true;
    }

    static void appendUtf8(std::string& out, uint32_t code) {
        if (code < 0x80) {
            out.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            out.push_back(static_cast<char>(0xC0 | code >> 6));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | code >> 12));
            out.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | code >> 18));
            out.push_back(static_cast<char>(0x80 | (code >> 12 & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }

    bool parseEscape(std::string& out) {
        if (pos_ >= text_.size()) return fail("unterminated string");
        const char c = text_[pos_++];
        switch (c) {
            case '"':
            case '\\':
            case '/':
                out.push_back(c);
                return true;
            case 'b':
                out.push_back('\b');
                return true;
            case 'f':
                out.push_back('\f');
                return true;
            case 'n':
                out.push_back('\n');
                return true;
            case 'r':
                out.push_back('\r');
                return true;
            case 't':
                out.push_back('\t');
                return true;
            case 'u': {
                uint32_t code;
                if (!parseHex4(code)) return false;
                // A high surrogate pairs with the low one that must follow it.
                if (code >= 0xD800 && code < 0xDC00) {
                    uint32_t low;
                    if (text_.substr(pos_, 2) != "\\u") return fail("lone surrogate");
                    pos_ += 2;
                    if (!parseHex4(low)) return false;
                    if (low < 0xDC00 || low >= 0xE000) return fail("lone surrogate");
                    code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                } else if (code >= 0xDC00 && code < 0xE000) {
                    return fail("lone surrogate");
                }
                appendUtf8(out, code);
                return true;
            }
            default:
                return fail("bad escape");
        }
    }

    bool parseString(std::string& out) {
        ++pos_;  // opening quote
        for (;;) {
            if (pos_ >= text_.size()) return fail("unterminated string");
            const char c = text_[pos_++];
            if (c == '"') return true;
            if (c == '\\') {
                if (!parseEscape(out)) return false;
            } else if (static_cast<unsigned char>(c) < 0x20) {
                return fail("control character in string");
            } else {
                out.push_back(c);
            }
        }
    }

    bool parseNumber(JsonValue& out) {
        // The grammar: -? (0 | [1-9][0-9]*) (. [0-9]+)? ([eE] [+-]? [0-9]+)?
        const size_t start = pos_;
        auto digits = [this] {
            const size_t from = pos_;
            while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') ++pos_;
            return pos_ - from;
        };
        if (peek() == '-') ++pos_;
        if (peek() == '0') {
            ++pos_;
        } else if (digits() == 0) {
            return fail("expected a value");
        }
        if (peek() == '.') {
            ++pos_;
            if (digits() == 0) return fail("bad number");
        }
        if (peek() == 'e' || peek() == 'E') {
            ++pos_;
            if (peek() == '+' || peek() == '-') ++pos_;
            if (digits() == 0) return fail("bad number");
        }
        out.kind = JsonValue::Kind::Number;
        const char* first = text_.data() + start;
        const auto [ptr, ec] = std::from_chars(first, text_.data() + pos_, out.number);
        if (ec != std::errc() || ptr != text_.data() + pos_) return fail("bad number");
        return true;
    }

    std::string_view text_;
    size_t pos_ = 0;
    std::string error_;
};

}  // namespace

const JsonValue* JsonValue::find(std::string_view key) const {
    if (kind != Kind::Object) return nullptr;
    for (const auto& [name, value] : members) {
        if (name == key) return &value;
    }
    return nullptr;
}

std::optional<std::string> JsonValue::asString() const {
    if (kind != Kind::String) return std::nullopt;
    return text;
}

std::optional<int64_t> JsonValue::asInt() const {
    // Whole numbers within +-2^53 are exact in a double.
    if (kind != Kind::Number || std::trunc(number) != number ||
        std::fabs(number) > 9007199254740992.0) {
        return std::nullopt;
    }
    return static_cast<int64_t>(number);
}

std::optional<bool> JsonValue::asBool() const {
    if (kind != Kind::Bool) return std::nullopt;
    return boolean;
}

bool parseJson(std::string_view text, JsonValue& out, std::string& error) {
    out = JsonValue{};
    return Parser(text).parseDocument(out, error);
}

}  // namespace testsupport
