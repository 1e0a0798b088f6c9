#include "sidecar/json_text.hpp"

#include <array>

namespace {

constexpr std::string_view REPLACEMENT = "\xEF\xBF\xBD";  // U+FFFD
constexpr std::array<char, 16> HEX_DIGITS = {'0', '1', '2', '3', '4', '5', '6', '7',
                                             '8', '9', 'a', 'b', 'c', 'd', 'e', 'f'};

bool isContinuation(uint8_t byte) {
    return (byte & 0xC0) == 0x80;
}

// The length of the well-formed sequence at bytes[pos], or 0 when its first byte is not part
// of one. The ranges of the second byte rule out overlong forms, surrogates and code points
// above U+10FFFF.
size_t sequenceLength(std::string_view bytes, size_t pos) {
    const auto at = [&](size_t i) { return static_cast<uint8_t>(bytes[pos + i]); };
    const uint8_t lead = at(0);
    if (lead < 0x80) return 1;
    size_t length = 0;
    uint8_t low = 0x80;
    uint8_t high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (bytes.size() - pos < length) return 0;
    if (at(1) < low || at(1) > high) return 0;
    for (size_t i = 2; i < length; ++i) {
        if (!isContinuation(at(i))) return 0;
    }
    return length;
}

}  // namespace

std::string repairUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    size_t pos = 0;
    while (pos < bytes.size()) {
        const size_t length = sequenceLength(bytes, pos);
        if (length == 0) {
            out += REPLACEMENT;
            pos += 1;
        } else {
            out.append(bytes.substr(pos, length));
            pos += length;
        }
    }
    return out;
}

std::string jsonString(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size() + 2);
    out += '"';
    for (const char c : utf8) {
        const auto byte = static_cast<uint8_t>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            out += "\\u00";
            out += HEX_DIGITS[byte >> 4];
            out += HEX_DIGITS[byte & 0x0F];
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

std::string hexBytes(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto byte = static_cast<uint8_t>(c);
        out += HEX_DIGITS[byte >> 4];
        out += HEX_DIGITS[byte & 0x0F];
    }
    return out;
}
