// The preview sheet decoded again with libpng and checked at places worked out by hand from the
// documented layout: the sheet's size, the checkerboard, a sprite's corners, a premultiplied
// pixel over the checkerboard, a PCX palette colour, the grey ramp, the padded box's outline,
// the hotspot's cross and the index label.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sidecar/preview.hpp"
#include "tests/sidecar/png_reader.hpp"
#include "tests/sidecar/source_files.hpp"
#include "tests/support/test_support.hpp"

namespace {

using sidecartest::Rgba;
using Pixel = sidecartest::RgbImage::Pixel;

constexpr Pixel kLight = {204, 204, 204};
constexpr Pixel kDark = {153, 153, 153};
constexpr Pixel kBackground = {48, 48, 48};
constexpr Pixel kCross = {255, 0, 255};
constexpr Pixel kOutline = {0, 255, 255};
constexpr Pixel kWhite = {255, 255, 255};

// A 5 x 4 picture whose visible box is (1, 1) to (3, 2): red, green, blue over yellow, a
// half-transparent black, white.
std::vector<uint8_t> tgaSource() {
    std::vector<Rgba> pixels(20);
    pixels[1 * 5 + 1] = {255, 0, 0, 255};
    pixels[1 * 5 + 2] = {0, 255, 0, 255};
    pixels[1 * 5 + 3] = {0, 0, 255, 255};
    pixels[2 * 5 + 1] = {255, 255, 0, 255};
    pixels[2 * 5 + 2] = {0, 0, 0, 128};
    pixels[2 * 5 + 3] = {255, 255, 255, 255};
    return sidecartest::tgaBytes(5, 4, pixels);
}

// A 5 x 3 picture whose only visible row is row 1, indices 0, 7, 200 at x = 1..3.
std::vector<uint8_t> pcxSource(bool withPalette) {
    std::vector<uint8_t> indices(15, 255);
    indices[5 + 1] = 0;
    indices[5 + 2] = 7;
    indices[5 + 3] = 200;
    std::vector<uint8_t> palette;
    if (withPalette) {
        for (int i = 0; i < 256; ++i) {
            palette.push_back(static_cast<uint8_t>(i));
            palette.push_back(static_cast<uint8_t>(255 - i));
            palette.push_back(static_cast<uint8_t>(i * 7));
        }
    }
    return sidecartest::pcxBytes(5, 3, indices, palette);
}

SpriteViewEntry tgaEntry(const std::string& path) {
    SpriteViewEntry e;
    e.name = "box";
    e.kind = SOURCE_TGA;
    e.source = path;
    e.wd = 3;
    e.ht = 2;
    e.padding = 1;
    e.method = HS_UPLEFT;
    return e;
}

SpriteViewEntry pcxEntry(const std::string& path) {
    SpriteViewEntry e;
    e.name = "dots";
    e.kind = SOURCE_PCX;
    e.source = path;
    e.wd = 3;
    e.ht = 1;
    e.padding = 1;  // PCX entries are never padded: no outline
    e.method = HS_MIDDLE;
    e.hx = -1;
    return e;
}

sidecartest::RgbImage render(const SpriteView& view) {
    const PreviewResult result = previewPng(view);
    EXPECT_EQ(result.status, PreviewStatus::Written);
    sidecartest::RgbImage image = sidecartest::readPng(result.png);
    EXPECT_TRUE(image.ok);
    return image;
}

// Cell 0 (TGA, 3 x 2 padded to 4 x 2, zoom 4, UpLeft): 36 x 42 at (0, 0), content at (4, 18),
// sprite origin (10, 24), cross centre (10, 24), outline from (9, 23) to (26, 32).
// Cell 1 (PCX, 3 x 1, zoom 4, Middle so hx = -1): 32 x 38 at (36, 0), content at (40, 18),
// origin (46, 24), cross centre (50, 24).
TEST(Preview, TgaAndPcxCellsAtComputedPlaces) {
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("box.tga"), tgaSource());
    testsupport::writeFile(dir.file("dots.pcx"), pcxSource(true));
    SpriteView view;
    view.sprites = {tgaEntry(dir.file("box.tga")), pcxEntry(dir.file("dots.pcx"))};
    const sidecartest::RgbImage image = render(view);
    ASSERT_TRUE(image.ok);
    EXPECT_EQ(image.width, 68u);
    EXPECT_EQ(image.height, 42u);

    struct Place {
        const char* what;
        uint32_t x, y;
        Pixel colour;
    };
    const Place places[] = {
        {"background", 0, 0, kBackground},
        {"label 0, top-left of the glyph", 4, 4, kWhite},
        {"label 0, hole of the glyph", 6, 6, kBackground},
        {"label 1 (second cell), stem", 42, 4, kWhite},
        {"checker, first square", 5, 19, kLight},
        {"checker, next square right", 8, 18, kDark},
        {"checker inside the padded box, no pixel there", 23, 25, kDark},
        {"cross centre", 10, 24, kCross},
        {"cross, right arm end", 14, 24, kCross},
        {"cross, left arm end", 6, 24, kCross},
        {"cross, lower arm end", 10, 28, kCross},
        {"past the cross arm", 15, 24, Pixel{0, 255, 0}},
        {"sprite top-right pixel, blue", 21, 27, Pixel{0, 0, 255}},
        {"sprite bottom-left pixel, yellow", 13, 31, Pixel{255, 255, 0}},
        {"sprite bottom-right pixel, white", 21, 31, kWhite},
        // 0 + 204 x (255 - 128) / 255 = 101.6, rounded.
        {"half-transparent black over light", 15, 29, Pixel{102, 102, 102}},
        {"outline, bottom-right corner", 26, 32, kOutline},
        {"outline, left side", 9, 30, kOutline},
        {"inside the outline", 25, 31, kLight},
        {"PCX index 0 through the palette", 47, 26, Pixel{0, 255, 0}},
        {"PCX index 7", 53, 27, Pixel{7, 248, 49}},
        {"PCX index 200", 57, 27, Pixel{200, 55, 120}},
        {"PCX cross centre", 50, 24, kCross},
        {"no outline around a PCX sprite", 45, 23, kDark},
    };
    for (const Place& p : places) {
        EXPECT_EQ(image.at(p.x, p.y), p.colour) << p.what << " at " << p.x << ", " << p.y;
    }
}

TEST(Preview, PcxWithoutPaletteUsesTheGreyRamp) {
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("dots.pcx"), pcxSource(false));
    SpriteView view;
    view.sprites = {pcxEntry(dir.file("dots.pcx"))};
    const sidecartest::RgbImage image = render(view);
    ASSERT_TRUE(image.ok);
    // The single cell sits at (0, 0): origin (10, 24).
    EXPECT_EQ(image.at(11, 26), (Pixel{0, 0, 0}));
    EXPECT_EQ(image.at(17, 27), (Pixel{7, 7, 7}));
    EXPECT_EQ(image.at(21, 27), (Pixel{200, 200, 200}));
}

TEST(Preview, SourceThatNoLongerCropsToTheEntryShowsTheCheckerboard) {
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("box.tga"), tgaSource());
    SpriteView view;
    view.sprites = {tgaEntry(dir.file("box.tga")), tgaEntry(dir.file("missing.tga"))};
    view.sprites[0].wd = 2;  // the file crops to 3 x 2
    const sidecartest::RgbImage image = render(view);
    ASSERT_TRUE(image.ok);
    EXPECT_EQ(image.at(21, 27), kDark);  // where the blue pixel would be: (2 + 3) is odd
    EXPECT_EQ(image.at(10, 24), kCross);
}

TEST(Preview, EmptyTableGivesASmallBlankSheet) {
    const sidecartest::RgbImage image = render(SpriteView{});
    ASSERT_TRUE(image.ok);
    EXPECT_EQ(image.width, 16u);
    EXPECT_EQ(image.height, 16u);
    EXPECT_EQ(image.at(15, 15), kBackground);
}

TEST(Preview, HugeSpriteFailsBeforeAnyAllocation) {
    SpriteView view;
    SpriteViewEntry e;
    e.kind = SOURCE_PCX;
    e.source = "never/read.pcx";
    e.wd = 20000;  // wider than the widest sheet at zoom 1
    e.ht = 1;
    view.sprites = {e};
    EXPECT_EQ(previewPng(view).status, PreviewStatus::TooLarge);
}

}  // namespace
