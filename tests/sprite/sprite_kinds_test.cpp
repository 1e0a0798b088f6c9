// The kind table against what the documentation gives for each kind: its statement keyword and
// extension, its pixel bytes, its blank pixel, its letter and code in the C header and the
// loader, its manifest name and whether Padding applies to it.
#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <utility>

#include "sprite/sprite_types.hpp"

namespace {

struct KindCase {
    int32_t kind;
    const char* keyword;
    const char* extension;
    int32_t bytesPerPixel;
    uint8_t blankByte;
    char headerLetter;
    int32_t loaderKind;
    const char* manifestName;
    const char* fileFormat;
    bool paddingRoundsSides;
};

// The loader's sb_kind values: SB_KIND_PCX 0, SB_KIND_TGA 1. A PNG sprite is stored exactly as
// a TGA sprite, so the loader and the C header see a TGA sprite.
constexpr KindCase kKinds[] = {
    {0, "PCX", ".pcx", 1, 255, 'P', 0, "pcx", "pcx", false},
    {1, "TGA", ".tga", 4, 0, 'T', 1, "tga", "tga", true},
    {2, "PNG", ".png", 4, 0, 'T', 1, "tga", "png", true},
};

TEST(SpriteKinds, EachRowHoldsItsKindsRules) {
    EXPECT_EQ(SPRITE_KINDS.size(), std::size(kKinds));
    for (const KindCase& c : kKinds) {
        SCOPED_TRACE(c.keyword);
        const SpriteKind& row = spriteKind(c.kind);
        EXPECT_EQ(spriteKindIndex(c.kind), static_cast<size_t>(c.kind));
        EXPECT_STREQ(row.keyword, c.keyword);
        EXPECT_STREQ(row.extension, c.extension);
        EXPECT_EQ(row.bytesPerPixel, c.bytesPerPixel);
        EXPECT_EQ(row.blankByte, c.blankByte);
        EXPECT_EQ(row.headerLetter, c.headerLetter);
        EXPECT_EQ(row.loaderKind, c.loaderKind);
        EXPECT_STREQ(row.manifestName, c.manifestName);
        EXPECT_STREQ(row.fileFormat, c.fileFormat);
        EXPECT_EQ(row.paddingRoundsSides, c.paddingRoundsSides);
    }
}

TEST(SpriteKinds, EnumNamesTheRowsOfItsKinds) {
    EXPECT_STREQ(spriteKind(SOURCE_TGA).keyword, "TGA");
    EXPECT_STREQ(spriteKind(SOURCE_PCX).keyword, "PCX");
    EXPECT_STREQ(spriteKind(SOURCE_PNG).keyword, "PNG");
}

// A value that names no kind never reads outside the table.
TEST(SpriteKinds, ValueOfNoKindReadsTheFirstRow) {
    for (const int32_t kind : {-1, 3, 7, INT32_MIN, INT32_MAX}) {
        SCOPED_TRACE(kind);
        EXPECT_EQ(spriteKindIndex(kind), 0u);
        EXPECT_EQ(&spriteKind(kind), &SPRITE_KINDS[0]);
    }
}

TEST(HotspotMethodNames, IndexedByMethod) {
    const std::pair<int32_t, const char*> names[] = {
        {HS_MIDDLE, "Middle"},     {HS_UPLEFT, "UpLeft"},       {HS_UPRIGHT, "UpRight"},
        {HS_DOWNLEFT, "DownLeft"}, {HS_DOWNRIGHT, "DownRight"}, {HS_HOTXY, "HotXY"},
    };
    EXPECT_EQ(hotspotMethodNames.size(), std::size(names));
    for (const auto& [method, name] : names) {
        EXPECT_STREQ(hotspotMethodNames[static_cast<size_t>(method)], name);
    }
}

}  // namespace
