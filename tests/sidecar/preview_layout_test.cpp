// The preview's layout rules on hand-worked cases: the sheet's one zoom, the cell's shape and
// its label lines, band wrapping and the size bounds. A cell's content starts 25 pixels down:
// a 4-pixel margin, the index 10 tall, a 2-pixel gap, the name 5 tall, a 4-pixel margin.
#include <gtest/gtest.h>

#include "sidecar/preview_layout.hpp"

namespace {

struct ZoomCase {
    int64_t w, h;
    int32_t zoom;
};

constexpr ZoomCase kZoomCases[] = {
    {0, 0, 4},   {1, 1, 4},  {16, 3, 4}, {17, 1, 3}, {21, 21, 3},  {22, 1, 2},
    {32, 32, 2}, {33, 1, 1}, {1, 64, 1}, {65, 2, 1}, {5000, 1, 1},
};

TEST(PreviewZoom, LargestIntegerKeepingTheLongestSideWithin64) {
    for (const ZoomCase& c : kZoomCases) {
        EXPECT_EQ(previewZoom(c.w, c.h), c.zoom) << c.w << " x " << c.h;
    }
}

SpriteViewEntry pcx(int32_t wd, int32_t ht) {
    SpriteViewEntry e;
    e.kind = SOURCE_PCX;
    e.wd = wd;
    e.ht = ht;
    return e;
}

TEST(LayoutSheet, PaddedBoxAndHotspotShapeTheCell) {
    SpriteView view;
    SpriteViewEntry e = pcx(20, 10);
    e.kind = SOURCE_TGA;
    e.padding = 1;  // 32 x 16 at zoom 2: box 64 x 32
    e.hx = -16;     // Middle: hotspot at (16, 8), displayed at (32, 16)
    e.hy = -8;
    view.sprites = {e};
    const auto sheet = layoutSheet(view);
    ASSERT_TRUE(sheet.has_value());
    const CellLayout& cell = sheet->cells[0];
    EXPECT_EQ(cell.zoom, 2);
    EXPECT_TRUE(cell.outlined);
    EXPECT_EQ(cell.boxWidth, 32);
    EXPECT_EQ(cell.boxHeight, 16);
    EXPECT_EQ(cell.contentWidth, 64 + 12);
    EXPECT_EQ(cell.contentHeight, 32 + 12);
    EXPECT_EQ(cell.width, 76 + 8);
    EXPECT_EQ(cell.height, 25 + 44 + 4);
    EXPECT_EQ(cell.originX, 10);
    EXPECT_EQ(cell.originY, 31);
    EXPECT_TRUE(cell.hotspotShown);
    EXPECT_EQ(cell.hotspotX, 42);
    EXPECT_EQ(cell.hotspotY, 47);
    EXPECT_EQ(cell.labelX, 4);
    EXPECT_EQ(cell.labelY, 4);
    EXPECT_EQ(cell.nameX, 4);
    EXPECT_EQ(cell.nameY, 16);
    EXPECT_EQ(cell.nameRight, 80);
    EXPECT_EQ(sheet->zoom, 2);
    EXPECT_EQ(sheet->width, 84);
    EXPECT_EQ(sheet->height, 73);
}

TEST(LayoutSheet, HotspotOutsideTheBoxWidensTheContentOrIsLeftOut) {
    SpriteView view;
    SpriteViewEntry nearby = pcx(4, 4);  // zoom 4: box 16 x 16, frame to (-6..22)
    nearby.hx = 10;                      // hotspot at x = -40, 34 left of the frame: too far
    nearby.hy = 5;                       // hotspot at y = -20: within reach
    SpriteViewEntry within = nearby;
    within.hx = 5;  // x = -20: within reach, so the content starts at -20 - 6
    view.sprites = {nearby, within};
    const auto sheet = layoutSheet(view);
    ASSERT_TRUE(sheet.has_value());
    EXPECT_FALSE(sheet->cells[0].hotspotShown);
    EXPECT_EQ(sheet->cells[0].contentWidth, 28);
    EXPECT_TRUE(sheet->cells[1].hotspotShown);
    EXPECT_EQ(sheet->cells[1].contentWidth, 22 + 26);
    EXPECT_EQ(sheet->cells[1].contentHeight, 22 + 26);
    EXPECT_EQ(sheet->cells[1].originX - sheet->cells[1].contentX, 26);
    EXPECT_EQ(sheet->cells[1].hotspotX, sheet->cells[1].contentX + 6);
}

TEST(LayoutSheet, CellsWrapBeforeTheRowWidth) {
    // Each 64 x 1 PCX cell: zoom 1, content 76 x 13, cell 84 wide and 42 tall; twelve fit in
    // 1024 (1008), the thirteenth starts a band.
    SpriteView view;
    for (int i = 0; i < 13; ++i) view.sprites.push_back(pcx(64, 1));
    const auto sheet = layoutSheet(view);
    ASSERT_TRUE(sheet.has_value());
    ASSERT_EQ(sheet->bands.size(), 2u);
    EXPECT_EQ(sheet->bands[0].endCell, 12u);
    EXPECT_EQ(sheet->cells[11].x, 11 * 84);
    EXPECT_EQ(sheet->cells[12].x, 0);
    EXPECT_EQ(sheet->cells[12].y, 42);
    EXPECT_EQ(sheet->cells[12].nameY, 42 + 16);
    EXPECT_EQ(sheet->cells[12].nameRight, 80);
    EXPECT_EQ(sheet->width, 1008);
    EXPECT_EQ(sheet->height, 84);
}

TEST(LayoutSheet, ManySmallSpritesStayWithinTheBounds) {
    SpriteView view;
    view.sprites.assign(MAX_SPRITES, pcx(1, 1));  // cells 24 to 38 wide, 45 tall
    const auto sheet = layoutSheet(view);
    ASSERT_TRUE(sheet.has_value());
    // At most 1024 / 24 cells a band, at least 1024 / 38 - 1.
    EXPECT_GE(sheet->bands.size(), static_cast<size_t>(MAX_SPRITES / 42));
    EXPECT_LE(sheet->bands.size(), static_cast<size_t>(MAX_SPRITES / 25 + 1));
    EXPECT_EQ(sheet->height, static_cast<int64_t>(sheet->bands.size()) * 45);
    EXPECT_LE(sheet->width, PREVIEW_ROW_WIDTH);
}

// The widest box sets the zoom of every cell: 19 pixels give 64 / 19 = 3, so the 2 x 1 sprite
// is drawn at 3 too (alone it would get 4); a 17 x 2 PNG sprite with padding on is drawn as
// 32 x 2 and brings every cell to 2.
TEST(LayoutSheet, OneZoomForTheWholeSheet) {
    SpriteView view;
    view.sprites = {pcx(2, 1), pcx(19, 1)};
    auto sheet = layoutSheet(view);
    ASSERT_TRUE(sheet.has_value());
    EXPECT_EQ(sheet->zoom, 3);
    EXPECT_EQ(sheet->cells[0].zoom, 3);
    EXPECT_EQ(sheet->cells[1].zoom, 3);
    EXPECT_EQ(sheet->cells[0].contentWidth, 2 * 3 + 12);
    EXPECT_EQ(sheet->cells[1].contentWidth, 19 * 3 + 12);
    EXPECT_EQ(sheet->cells[1].x, 26);
    EXPECT_EQ(sheet->cells[1].nameX, 30);
    EXPECT_EQ(sheet->cells[1].nameRight, 26 + 77 - 4);

    SpriteViewEntry padded = pcx(17, 2);
    padded.kind = SOURCE_PNG;
    padded.padding = 1;
    view.sprites.push_back(padded);
    sheet = layoutSheet(view);
    ASSERT_TRUE(sheet.has_value());
    EXPECT_EQ(sheet->zoom, 2);
    EXPECT_EQ(sheet->cells[0].contentWidth, 2 * 2 + 12);
    EXPECT_TRUE(sheet->cells[2].outlined);
    EXPECT_EQ(sheet->cells[2].contentWidth, 32 * 2 + 12);
}

TEST(LayoutSheet, RefusesSheetsPastTheBounds) {
    SpriteView wide;
    wide.sprites = {pcx(16373, 1)};  // 16373 + 12 + 8 = 16393 > 16384
    EXPECT_FALSE(layoutSheet(wide).has_value());
    SpriteView fits;
    fits.sprites = {pcx(16364, 1)};  // exactly 16384
    EXPECT_TRUE(layoutSheet(fits).has_value());
    SpriteView tall;
    tall.sprites = {pcx(1, 1000000)};
    EXPECT_FALSE(layoutSheet(tall).has_value());
    SpriteView band;  // 4000 x 9000 at zoom 1: under each side bound, over the band's pixels
    band.sprites = {pcx(4000, 9000)};
    EXPECT_FALSE(layoutSheet(band).has_value());
}

}  // namespace
