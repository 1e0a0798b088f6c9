// The identifiers of the generated header, worked out by hand from the naming rule.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "sidecar/constant_names.hpp"

namespace {

using namespace std::string_view_literals;

struct MangleCase {
    std::string_view name;
    const char* identifier;
};

constexpr MangleCase kMangleCases[] = {
    {"hero"sv, "SPRITE_HERO"},
    {"Hero_Run2"sv, "SPRITE_HERO_RUN2"},
    {"2fast"sv, "SPRITE_2FAST"},
    {""sv, "SPRITE_"},
    {"a-b.c d"sv, "SPRITE_A_B_C_D"},
    {"*/"sv, "SPRITE___"},
    {"?\?/"sv, "SPRITE____"},
    {"x\\"sv, "SPRITE_X_"},
    {"\xC3\xA9t\xC3\xA9"sv, "SPRITE___T__"},  // each byte of a sequence is one '_'
    {"z\0y"sv, "SPRITE_Z_Y"},
    {"`{@["sv, "SPRITE_____"},  // the neighbours of the letter ranges are not letters
};

TEST(MangledConstantName, UpperCasesAndReplacesEveryOtherByte) {
    for (const MangleCase& c : kMangleCases) {
        EXPECT_EQ(mangledConstantName(c.name), c.identifier) << c.name;
    }
}

struct CollisionCase {
    const char* what;
    std::vector<std::string_view> names;
    std::vector<std::string> identifiers;
};

const CollisionCase kCollisionCases[] = {
    {"no collision", {"a", "b"}, {"SPRITE_A", "SPRITE_B"}},
    {"case-only duplicates",
     {"hero", "HERO", "Hero"},
     {"SPRITE_HERO", "SPRITE_HERO_2", "SPRITE_HERO_3"}},
    {"punctuation collides", {"a.b", "a-b", "a b"}, {"SPRITE_A_B", "SPRITE_A_B_2", "SPRITE_A_B_3"}},
    // A name that mangles to an already-suffixed identifier takes the next free suffix.
    {"later name hits a suffix", {"a", "a", "a_2"}, {"SPRITE_A", "SPRITE_A_2", "SPRITE_A_2_2"}},
    {"earlier name owns a suffix", {"a_2", "a", "a"}, {"SPRITE_A_2", "SPRITE_A", "SPRITE_A_3"}},
    {"empty names", {"", "", "*"}, {"SPRITE_", "SPRITE__2", "SPRITE__"}},
};

TEST(ConstantNames, CollisionsTakeTheFirstFreeSuffixInTableOrder) {
    for (const CollisionCase& c : kCollisionCases) {
        EXPECT_EQ(constantNames(c.names), c.identifiers) << c.what;
    }
}

}  // namespace
