// lookup2 against an independent straightforward implementation, and hashName's
// values, case folding and cut.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "filesys/hash.hpp"

namespace {

// lookup2 written plainly from its description: the tail is padded into a zeroed 12-byte block
// whose third word is shifted up one byte, since the low byte of c carries the length.
uint32_t referenceLookup2(const std::vector<uint8_t>& key, uint32_t initial) {
    auto le = [](const uint8_t* p) {
        return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    };
    uint32_t abc[3] = {0x9e3779b9u, 0x9e3779b9u, initial};
    auto mix = [&abc]() {
        // (target, first, second, shift; positive = right shift of `second`, negative = left)
        static const int steps[9][4] = {{0, 1, 2, 13}, {1, 2, 0, -8},  {2, 0, 1, 13},
                                        {0, 1, 2, 12}, {1, 2, 0, -16}, {2, 0, 1, 5},
                                        {0, 1, 2, 3},  {1, 2, 0, -10}, {2, 0, 1, 15}};
        for (const auto& s : steps) {
            uint32_t& t = abc[s[0]];
            uint32_t x = abc[s[1]];
            uint32_t y = abc[s[2]];
            t = t - x - y;
            uint32_t shifted = s[3] > 0 ? (y >> s[3]) : (y << -s[3]);
            // The xor takes the word named last in the step: c, a, b in turn.
            t ^= shifted;
        }
    };
    size_t pos = 0;
    for (; key.size() - pos >= 12; pos += 12) {
        abc[0] += le(&key[pos]);
        abc[1] += le(&key[pos + 4]);
        abc[2] += le(&key[pos + 8]);
        mix();
    }
    uint8_t tail[12] = {};
    for (size_t i = pos; i < key.size(); ++i) tail[i - pos] = key[i];
    abc[0] += le(tail);
    abc[1] += le(tail + 4);
    abc[2] += uint32_t(key.size()) + (le(tail + 8) << 8);
    mix();
    return abc[2];
}

uint32_t hashOf(const std::vector<uint8_t>& key, uint32_t initial) {
    return hashBytes(std::span<const uint8_t>(key.data(), key.size()), initial);
}

}  // namespace

TEST(HashBytes, MatchesAnIndependentLookup2OnEveryTailLength) {
    std::mt19937 rng(12345);
    for (size_t length :
         {0u, 1u, 2u, 3u, 4u, 5u, 7u, 8u, 9u, 10u, 11u, 12u, 13u, 23u, 24u, 25u, 36u, 100u}) {
        for (uint32_t initial : {0u, 1u, 123456u, 0xffffffffu}) {
            std::vector<uint8_t> key(length);
            for (auto& b : key) b = uint8_t(rng());
            EXPECT_EQ(hashOf(key, initial), referenceLookup2(key, initial))
                << "length " << length << " initial " << initial;
        }
    }
}

TEST(HashBytes, AllHighBytesAreUnsigned) {
    for (size_t length : {1u, 11u, 12u, 13u, 24u}) {
        std::vector<uint8_t> key(length, 0xff);
        EXPECT_EQ(hashOf(key, 7), referenceLookup2(key, 7)) << length;
    }
}

TEST(HashBytes, KnownValues) {
    EXPECT_EQ(hashOf({'A', 'B', 'C'}, 123456), 3087970575u);
    EXPECT_EQ(hashOf({}, 123456), 455927809u);
}

TEST(HashName, AbcInEitherCase) {
    EXPECT_EQ(hashName("abc"), 3087970575u);
    EXPECT_EQ(hashName("ABC"), 3087970575u);
    EXPECT_EQ(hashName("aBc"), 3087970575u);
    EXPECT_EQ(static_cast<int32_t>(hashName("abc")), -1206996721);
}

TEST(HashName, EmptyName) {
    EXPECT_EQ(hashName(""), 455927809u);
}

TEST(HashName, FoldsOnlyAsciiLetters) {
    EXPECT_EQ(hashName("data/hero_01.tga"), hashName("DATA/HERO_01.TGA"));
    // '@' (64) and '`' (96), '[' and '{' sit next to the letters and are not folded.
    EXPECT_NE(hashName("`"), hashName("@"));
    EXPECT_NE(hashName("{"), hashName("["));
    // The fold is the upper case: the name hashes as its upper-case bytes.
    const std::string upper = "SPRITES/HERO.TGA";
    EXPECT_EQ(hashName("sprites/hero.tga"),
              hashBytes(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(upper.data()),
                                                 upper.size()),
                        123456));
}

TEST(HashName, BytesOf128AndAboveAreNotFolded) {
    EXPECT_NE(hashName("caf\xe9"), hashName("caf\xc9"));  // é and É in Latin-1
    EXPECT_EQ(hashName("caf\xe9"), hashName("CAF\xe9"));
    EXPECT_NE(hashName("\xff"), hashName("\xdf"));
}

TEST(HashName, CutAfter999Characters) {
    std::string name999(999, 'q');
    std::string name1000 = name999 + "Z";
    std::string name5000 = name999 + std::string(4001, '!');
    EXPECT_EQ(hashName(name1000.c_str()), hashName(name999.c_str()));
    EXPECT_EQ(hashName(name5000.c_str()), hashName(name999.c_str()));
    EXPECT_EQ(hashName(name999.c_str()), referenceLookup2(std::vector<uint8_t>(999, 'Q'), 123456));
    // Below the cut every character counts.
    std::string name998(998, 'q');
    EXPECT_NE(hashName(name998.c_str()), hashName(name999.c_str()));
}
