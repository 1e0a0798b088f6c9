// The lint's word helpers: edit distances worked by hand, and which known name a misspelt
// word is taken for.
#include <gtest/gtest.h>

#include <array>

#include "check/control_lint.hpp"

namespace {

struct DistanceCase {
    const char* a;
    const char* b;
    int32_t distance;
};

constexpr DistanceCase kDistances[] = {
    {"", "", 0},
    {"", "TGA", 3},
    {"Source", "source", 0},   // case is ignored
    {"Sorce", "Source", 1},    // one deletion
    {"Sourcee", "Source", 1},  // one insertion
    {"TGS", "TGA", 1},         // one substitution
    {"Hotspt", "Hotspot", 1},
    {"Destnation", "Dest", 6},  // six deletions
    {"kitten", "sitting", 3},   // the classic example: two substitutions, one insertion
    {"flaw", "lawn", 2},
    {"Midle", "Middle", 1},
};

TEST(LintWords, EditDistance) {
    for (const DistanceCase& c : kDistances) {
        EXPECT_EQ(editDistanceNoCase(c.a, c.b), c.distance) << c.a << " / " << c.b;
        EXPECT_EQ(editDistanceNoCase(c.b, c.a), c.distance) << c.b << " / " << c.a;
    }
}

constexpr std::array<const char*, 6> kNames = {"Padding", "Dest", "TGA", "PCX", "BIN", "Middle"};

struct NearCase {
    const char* word;
    const char* nearest;  // "" when none is near enough
};

constexpr NearCase kNear[] = {
    {"Pading", "Padding"},   // one edit
    {"Padin", "Padding"},    // two edits, allowed for a long name
    {"Paddnig", "Padding"},  // two substitutions
    {"Pdgn", ""},            // three edits is too far
    {"TGS", "TGA"},          // one edit on a short name
    {"TXX", ""},             // two edits on a short name is too far
    {"a", ""},               // a single letter is near everything short, so nothing
    {"Dets", ""},            // two substitutions on a four-letter name
    {"BIM", "BIN"},
    {"PXC", ""},
    {"tga", "TGA"},  // case alone makes no difference
    {"Midle", "Middle"},
    {"Xyzzyplugh", ""},
};

TEST(LintWords, NearestName) {
    for (const NearCase& c : kNear) {
        EXPECT_EQ(nearestName(c.word, kNames), c.nearest) << c.word;
    }
}

}  // namespace
