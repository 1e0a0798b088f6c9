// Bob Jenkins' lookup2 hash (1996), word for word, and the name hash built on it.
#include "filesys/hash.hpp"

#include <cstring>

namespace {

constexpr uint32_t GOLDEN_RATIO = 0x9e3779b9u;
constexpr uint32_t NAME_HASH_INITIAL_VALUE = 123456u;
constexpr size_t NAME_WORK_BUFFER = 1000;  // names of 1000+ characters are cut to 999

inline void mix(uint32_t& a, uint32_t& b, uint32_t& c) {
    a = (a - b - c) ^ (c >> 13);
    b = (b - c - a) ^ (a << 8);
    c = (c - a - b) ^ (b >> 13);
    a = (a - b - c) ^ (c >> 12);
    b = (b - c - a) ^ (a << 16);
    c = (c - a - b) ^ (b >> 5);
    a = (a - b - c) ^ (c >> 3);
    b = (b - c - a) ^ (a << 10);
    c = (c - a - b) ^ (b >> 15);
}

inline uint32_t word(const uint8_t* k) {
    return k[0] + (uint32_t{k[1]} << 8) + (uint32_t{k[2]} << 16) + (uint32_t{k[3]} << 24);
}

}  // namespace

uint32_t hashBytes(std::span<const uint8_t> bytes, uint32_t initialValue) {
    const uint8_t* k = bytes.data();
    const auto length = static_cast<uint32_t>(bytes.size());
    uint32_t len = length;
    uint32_t a = GOLDEN_RATIO;
    uint32_t b = GOLDEN_RATIO;
    uint32_t c = initialValue;

    while (len >= 12) {
        a += word(k);
        b += word(k + 4);
        c += word(k + 8);
        mix(a, b, c);
        k += 12;
        len -= 12;
    }

    c += length;
    // The last 0 to 11 bytes; the low byte of c already carries the length, so the bytes that
    // go to c start at bit 8.
    for (uint32_t i = 0; i < len; ++i) {
        const uint32_t byte = k[i];
        if (i < 4) {
            a += byte << (8 * i);
        } else if (i < 8) {
            b += byte << (8 * (i - 4));
        } else {
            c += byte << (8 * (i - 8) + 8);
        }
    }
    mix(a, b, c);
    return c;
}

uint32_t hashName(const char* name) {
    uint8_t copy[NAME_WORK_BUFFER];
    size_t length = name == nullptr ? 0 : strnlen(name, NAME_WORK_BUFFER - 1);
    for (size_t i = 0; i < length; ++i) {
        auto ch = static_cast<uint8_t>(name[i]);
        copy[i] = (ch >= 'a' && ch <= 'z') ? static_cast<uint8_t>(ch - 32) : ch;
    }
    return hashBytes(std::span<const uint8_t>(copy, length), NAME_HASH_INITIAL_VALUE);
}
