// The loader's name hash against a second lookup2 written here from the algorithm's description,
// and against the ids docs/example.md lists for the bundled example.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "spritebake/spritebake.h"

namespace {

// lookup2 in its original shape: 12-byte rounds, then a fall-through over the last 11 bytes.
uint32_t secondLookup2(const std::vector<uint8_t>& k, uint32_t initval) {
    uint32_t a = 0x9e3779b9u, b = 0x9e3779b9u, c = initval;
    // clang-format off
    auto mix = [&] {
        a -= b; a -= c; a ^= (c >> 13);
        b -= c; b -= a; b ^= (a << 8);
        c -= a; c -= b; c ^= (b >> 13);
        a -= b; a -= c; a ^= (c >> 12);
        b -= c; b -= a; b ^= (a << 16);
        c -= a; c -= b; c ^= (b >> 5);
        a -= b; a -= c; a ^= (c >> 3);
        b -= c; b -= a; b ^= (a << 10);
        c -= a; c -= b; c ^= (b >> 15);
    };
    // clang-format on
    auto at = [&](size_t i) { return uint32_t(k[i]); };
    size_t p = 0;
    size_t len = k.size();
    while (len >= 12) {
        a += at(p) + (at(p + 1) << 8) + (at(p + 2) << 16) + (at(p + 3) << 24);
        b += at(p + 4) + (at(p + 5) << 8) + (at(p + 6) << 16) + (at(p + 7) << 24);
        c += at(p + 8) + (at(p + 9) << 8) + (at(p + 10) << 16) + (at(p + 11) << 24);
        mix();
        p += 12;
        len -= 12;
    }
    c += uint32_t(k.size());
    // clang-format off
    switch (len) {
        case 11: c += at(p + 10) << 24; [[fallthrough]];
        case 10: c += at(p + 9) << 16; [[fallthrough]];
        case 9: c += at(p + 8) << 8; [[fallthrough]];
        case 8: b += at(p + 7) << 24; [[fallthrough]];
        case 7: b += at(p + 6) << 16; [[fallthrough]];
        case 6: b += at(p + 5) << 8; [[fallthrough]];
        case 5: b += at(p + 4); [[fallthrough]];
        case 4: a += at(p + 3) << 24; [[fallthrough]];
        case 3: a += at(p + 2) << 16; [[fallthrough]];
        case 2: a += at(p + 1) << 8; [[fallthrough]];
        case 1: a += at(p); break;
        default: break;
    }
    // clang-format on
    mix();
    return c;
}

std::vector<uint8_t> upperBytes(const std::string& name) {
    std::vector<uint8_t> bytes;
    for (char ch : name) bytes.push_back(uint8_t(ch >= 'a' && ch <= 'z' ? ch - 32 : ch));
    return bytes;
}

}  // namespace

TEST(LoaderLookup2, MatchesASecondImplementationOnEveryTailLength) {
    std::mt19937 rng(2026);
    for (size_t length = 0; length <= 40; ++length) {
        for (uint32_t initval : {0u, 123456u, 0xffffffffu}) {
            std::vector<uint8_t> key(length);
            for (auto& byte : key) byte = uint8_t(rng());
            EXPECT_EQ(sb_lookup2(key.data(), key.size(), initval), secondLookup2(key, initval))
                << "length " << length << " initval " << initval;
        }
    }
    EXPECT_EQ(sb_lookup2(nullptr, 5, 123456u), secondLookup2({}, 123456u));
}

// The ids spritebake wrote for the bundled example (docs/example.md: its info file and hexdump).
struct KnownId {
    const char* name;
    int32_t hid;
};
constexpr KnownId kExampleIds[] = {
    {"brick", -614236920},    {"crate", 1439883040},     {"hero", 447219442},
    {"ghost", -322513045},    {"slime", -905023262},     {"coin", -1397072912},
    {"heart", 689943987},     {"potion", -1501240000},   {"gem", -897385162},
    {"key", -2053183000},     {"explode1", 1299988028},  {"explode2", -1698324082},
    {"explode3", 2126513297}, {"explode4", -1058447712}, {"explode5", 1905813106},
    {"sword", 1892223977},    {"abc", -1206996721},      {"ABC", -1206996721},
};

TEST(LoaderNameHash, GivesTheIdsOfTheBundledExample) {
    EXPECT_EQ(sb_hash_sprite_name("brick"), 0xdb637d08u);
    for (const KnownId& known : kExampleIds) {
        EXPECT_EQ(int32_t(sb_hash_sprite_name(known.name)), known.hid) << known.name;
        EXPECT_EQ(int32_t(sb_hash_name(known.name, std::string(known.name).size())), known.hid)
            << known.name;
    }
    EXPECT_EQ(sb_hash_name("", 0), 455927809u);
    EXPECT_EQ(sb_hash_name(nullptr, 3), 455927809u);
    EXPECT_EQ(sb_hash_sprite_name(nullptr), 455927809u);
}

TEST(LoaderNameHash, IsLookup2OfTheUpperCasedBytesWithHighBytesKept) {
    const std::string names[] = {
        "hero",         "Sprites/Hero_01.tga", "`@[{az AZ~",
        "caf\xe9",      "\xff\xdf\x80zz",      "a",
        "twelve chars", "thirteen char",       std::string("nul\0inside", 10),
    };
    for (const std::string& name : names) {
        EXPECT_EQ(sb_hash_name(name.data(), name.size()), secondLookup2(upperBytes(name), 123456u))
            << name;
    }
    // Letters of 128 and above are not letters here: 0xe9 (e acute) and 0xc9 stay apart.
    EXPECT_NE(sb_hash_name("caf\xe9", 4), sb_hash_name("CAF\xc9", 4));
}

TEST(LoaderNameHash, SpriteNamesAreHashedAsTheirFirst78Bytes) {
    const std::string name78 = std::string(70, 'x') + "abcdefgh";
    const std::string name79 = name78 + "Q";
    const std::string name200 = name78 + std::string(122, 'z');
    const uint32_t expected = secondLookup2(upperBytes(name78), 123456u);
    EXPECT_EQ(sb_hash_sprite_name(name78.c_str()), expected);
    EXPECT_EQ(sb_hash_sprite_name(name79.c_str()), expected);
    EXPECT_EQ(sb_hash_sprite_name(name200.c_str()), expected);
    // sb_hash_name takes every byte it is given.
    EXPECT_NE(sb_hash_name(name79.data(), name79.size()), expected);
    const std::string name77 = name78.substr(0, 77);
    EXPECT_EQ(sb_hash_sprite_name(name77.c_str()), secondLookup2(upperBytes(name77), 123456u));
}
