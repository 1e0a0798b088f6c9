// The Sprites patterns without the disk: the natural order of paths, one segment's match, how a
// pattern is cut, and which file names count as sprites. Every expectation is worked out by
// hand from the rules in docs/control-file.md.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "control/sprite_patterns.hpp"

namespace {

struct OrderCase {
    const char* what;
    std::vector<std::string> sorted;  // in natural order, each strictly before the next
};

const OrderCase kOrderCases[] = {
    {"the example: digit runs by value, case folded, folders after",
     {"f1", "f2", "F10", "sub/9", "sub/10"}},
    {"equal values: fewer leading zeros first", {"1", "01", "001", "2", "010"}},
    {"the zeros decide at their run, before later bytes", {"a1c", "a01b"}},
    {"a digit run before any other byte", {"x1", "x_", "xa"}},
    {"a digit run before the extension's dot", {"f1.png", "f.png"}},
    {"a name that runs out first", {"x", "x1", "xa"}},
    {"letters folded: a before B though 'B' is the smaller byte", {"a.png", "B.png", "c.png"}},
    {"a case-only tie by raw bytes: upper case first", {"A.png", "a.png"}},
    {"a case-only tie inside the name", {"HERO", "Hero", "hero"}},
    {"runs longer than any integer",
     {"99999999999999999999", "100000000000000000000", "123456789012345678901234567890",
      "123456789012345678901234567891"}},
    {"a long run of zeros is still the value 1", {"0000000000000000000000001", "2"}},
    {"UTF-8: bytes above ASCII after it, and not folded", {"z", "\xC3\x89", "\xC3\xA9"}},
    {"UTF-8 then letters",
     {"\xC3\xA9"
      "a",
      "\xC3\xA9"
      "B"}},
    {"segment by segment, not byte by byte: a/b before a-b", {"a/b", "a-b"}},
    {"a folder's name before its longer sibling", {"sub/9", "sub9"}},
    {"the file named as a folder is its prefix", {"a", "a/b", "a.png"}},
    {"digit runs in folders too", {"w2/x", "w10/a", "W10/b"}},
};

TEST(NaturalOrder, SortsEveryCaseAsWorkedOut) {
    for (const OrderCase& c : kOrderCases) {
        for (size_t i = 0; i < c.sorted.size(); ++i) {
            EXPECT_EQ(naturalCompare(c.sorted[i], c.sorted[i]), 0) << c.what;
            for (size_t j = i + 1; j < c.sorted.size(); ++j) {
                EXPECT_LT(naturalCompare(c.sorted[i], c.sorted[j]), 0)
                    << c.what << ": " << c.sorted[i] << " before " << c.sorted[j];
                EXPECT_GT(naturalCompare(c.sorted[j], c.sorted[i]), 0)
                    << c.what << ": " << c.sorted[j] << " after " << c.sorted[i];
            }
        }
        std::vector<std::string> shuffled(c.sorted.rbegin(), c.sorted.rend());
        std::sort(shuffled.begin(), shuffled.end(), naturalLess);
        EXPECT_EQ(shuffled, c.sorted) << c.what;
    }
}

struct MatchCase {
    const char* glob;
    const char* name;
    bool matches;
};

const MatchCase kMatchCases[] = {
    {"*.png", "walk.png", true},
    {"*.png", "walk.PNG", false},  // letters match exactly
    {"*", "x.tga", true},
    {"0001.png", "0001.png", true},
    {"0001.png", "001.png", false},
    {"?.pcx", "9.pcx", true},
    {"?.pcx", "10.pcx", false},
    {"?", "\xC3\xA9", true},  // one UTF-8 character is one `?`
    {"??", "\xC3\xA9", false},
    {"?x",
     "\xE2\x82\xAC"
     "x",
     true},
    {"a?c", "abc", true},
    {"a*b*c", "axxbyyc", true},
    {"a*b", "abba", false},
    {"*a", "bba", true},
    {"*x*", "abc", false},
    {"**", "any.tga", true},
    {"f*1*.tga", "f11.tga", true},
    {"f*1*.tga", "f2.tga", false},
};

TEST(SegmentMatch, StarsAndQuestionMarksWithinOneName) {
    for (const MatchCase& c : kMatchCases) {
        EXPECT_EQ(segmentMatches(c.glob, c.name), c.matches) << c.glob << " ~ " << c.name;
    }
}

struct ParseCase {
    const char* text;
    std::vector<PatternSegment> segments;  // none: the pattern matches nothing
};

constexpr SegmentKind L = SegmentKind::literal;
constexpr SegmentKind W = SegmentKind::wildcard;
constexpr SegmentKind A = SegmentKind::anyFolders;

const ParseCase kParseCases[] = {
    {"", {}},
    {"walk/*.png", {{L, "walk"}, {W, "*.png"}}},
    {"items/", {{L, "items"}, {W, "*"}}},
    {"enemies/**/*.tga", {{L, "enemies"}, {A, "**"}, {W, "*.tga"}}},
    {"hero.tga", {{L, "hero.tga"}}},
    {"../art/*.tga", {}},
    {"a/../b.tga", {}},
    {"a/..", {}},
    {"...x/*.tga", {{L, "...x"}, {W, "*.tga"}}},  // only `..` itself leaves the folder
    {"a//b.tga", {{L, "a"}, {L, "b.tga"}}},
    {"./a/./b.tga", {{L, "a"}, {L, "b.tga"}}},
    {"/a.tga", {{L, "a.tga"}}},
    {"/", {{W, "*"}}},
    {".", {}},
    {"**", {{W, "**"}}},  // not followed by `/`: within one name
    {"a/**/**/b.tga", {{L, "a"}, {A, "**"}, {L, "b.tga"}}},
    {"a/**/", {{L, "a"}, {A, "**"}, {W, "*"}}},
    {".cache/x?.pcx", {{L, ".cache"}, {W, "x?.pcx"}}},
};

TEST(ParsePattern, CutsAtSlashes) {
    for (const ParseCase& c : kParseCases) {
        const SpritePattern pattern = parseSpritePattern(c.text);
        EXPECT_EQ(pattern.matchesNothing, c.segments.empty()) << c.text;
        ASSERT_EQ(pattern.segments.size(), c.segments.size()) << c.text;
        for (size_t i = 0; i < c.segments.size(); ++i) {
            EXPECT_EQ(pattern.segments[i].kind, c.segments[i].kind) << c.text << " #" << i;
            EXPECT_EQ(pattern.segments[i].text, c.segments[i].text) << c.text << " #" << i;
        }
    }
}

TEST(SpriteFileKind, ByTheExtensionInAnyCase) {
    const struct {
        const char* name;
        int32_t kind;
    } cases[] = {
        {"x.tga", SOURCE_TGA},
        {"x.TGA", SOURCE_TGA},
        {"x.PcX", SOURCE_PCX},
        {"0001.PNG", SOURCE_PNG},
        {"a.tar.png", SOURCE_PNG},
        {"x.png.tga", SOURCE_TGA},
        {".png", -1},
        {"x.jpg", -1},
        {"xtga", -1},
        {"x.tga ", -1},
        {"tga", -1},
    };
    for (const auto& c : cases) EXPECT_EQ(spriteKindOfFile(c.name), c.kind) << c.name;
}

}  // namespace
