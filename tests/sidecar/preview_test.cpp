// The preview sheet decoded again with libspng and checked at places worked out by hand from the
// documented layout: the sheet's size, the checkerboard, a sprite's corners, a premultiplied
// pixel over the checkerboard, a PCX palette colour, the grey ramp, the padded box's outline,
// the hotspot's cross and the index label.
#include <gtest/gtest.h>

#include <array>
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

// The sheet's zoom is 4 (its widest box, 4). Cell 0 (TGA, 3 x 2 padded to 4 x 2, UpLeft):
// 36 x 49 at (0, 0), name at (4, 16), content at (4, 25), sprite origin (10, 31), cross centre
// (10, 31), outline from (9, 30) to (26, 39). Cell 1 (PCX, 3 x 1, Middle so hx = -1): 32 x 45
// at (36, 0), name at (40, 16), content at (40, 25), origin (46, 31), cross centre (50, 31).
// A checker square is light where x / 8 + y / 8 is even.
TEST(Preview, TgaAndPcxCellsAtComputedPlaces) {
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("box.tga"), tgaSource());
    testsupport::writeFile(dir.file("dots.pcx"), pcxSource(true));
    SpriteView view;
    view.sprites = {tgaEntry(dir.file("box.tga")), pcxEntry(dir.file("dots.pcx"))};
    const sidecartest::RgbImage image = render(view);
    ASSERT_TRUE(image.ok);
    EXPECT_EQ(image.width, 68u);
    EXPECT_EQ(image.height, 49u);

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
        {"name \"box\": b's stem", 4, 16, kWhite},
        {"name \"box\": beside b's stem", 5, 16, kBackground},
        {"name \"box\": top of o", 9, 17, kWhite},
        {"name \"box\": x's upper left arm", 12, 17, kWhite},
        {"name \"dots\": d's stem", 42, 16, kWhite},
        {"name \"dots\": left of d's stem", 40, 16, kBackground},
        {"checker, a light square", 5, 33, kLight},
        {"checker, next square right", 8, 33, kDark},
        {"checker inside the padded box, no pixel there", 23, 32, kLight},
        {"cross centre", 10, 31, kCross},
        {"cross, right arm end", 14, 31, kCross},
        {"cross, left arm end", 6, 31, kCross},
        {"cross, lower arm end", 10, 35, kCross},
        {"past the cross arm", 15, 31, Pixel{0, 255, 0}},
        {"sprite top-right pixel, blue", 21, 34, Pixel{0, 0, 255}},
        {"sprite bottom-left pixel, yellow", 13, 38, Pixel{255, 255, 0}},
        {"sprite bottom-right pixel, white", 21, 38, kWhite},
        // 0 + 204 x (255 - 128) / 255 = 101.6, rounded.
        {"half-transparent black over light", 16, 36, Pixel{102, 102, 102}},
        // 0 + 153 x 127 / 255 = 76.2, rounded.
        {"half-transparent black over dark", 15, 36, Pixel{76, 76, 76}},
        {"outline, bottom-right corner", 26, 39, kOutline},
        {"outline, left side", 9, 37, kOutline},
        {"inside the outline", 25, 38, kDark},
        {"PCX index 0 through the palette", 47, 33, Pixel{0, 255, 0}},
        {"PCX index 7", 53, 34, Pixel{7, 248, 49}},
        {"PCX index 200", 57, 34, Pixel{200, 55, 120}},
        {"PCX cross centre", 50, 31, kCross},
        {"no outline around a PCX sprite", 45, 30, kLight},
    };
    for (const Place& p : places) {
        EXPECT_EQ(image.at(p.x, p.y), p.colour) << p.what << " at " << p.x << ", " << p.y;
    }
}

// An expected sheet, drawn here from the layout worked out by hand.
class ExpectedSheet {
  public:
    ExpectedSheet(uint32_t width, uint32_t height)
        : width_(width), pixels_(static_cast<size_t>(width) * height, kBackground) {}
    void put(uint32_t x, uint32_t y, Pixel colour) { pixels_[y * width_ + x] = colour; }
    Pixel at(uint32_t x, uint32_t y) const { return pixels_[y * width_ + x]; }
    void checker(uint32_t left, uint32_t top, uint32_t w, uint32_t h) {
        for (uint32_t y = top; y < top + h; ++y) {
            for (uint32_t x = left; x < left + w; ++x) {
                put(x, y, (x / 8 + y / 8) % 2 == 0 ? kLight : kDark);
            }
        }
    }
    void block(uint32_t left, uint32_t top, uint32_t side, Pixel colour) {
        for (uint32_t y = top; y < top + side; ++y) {
            for (uint32_t x = left; x < left + side; ++x) put(x, y, colour);
        }
    }
    // A glyph given as five rows of three '#' or '.', each pixel `scale` x `scale`, its columns
    // from `clipX` on left out.
    void glyph(uint32_t left, uint32_t top, const std::array<const char*, 5>& rows, uint32_t scale,
               uint32_t clipX) {
        for (uint32_t gy = 0; gy < 5; ++gy) {
            for (uint32_t gx = 0; gx < 3; ++gx) {
                if (rows[gy][gx] != '#') continue;
                for (uint32_t d = 0; d < scale * scale; ++d) {
                    const uint32_t x = left + gx * scale + d % scale;
                    if (x < clipX) put(x, top + gy * scale + d / scale, kWhite);
                }
            }
        }
    }

  private:
    uint32_t width_;
    std::vector<Pixel> pixels_;
};

// Two TGA cells, no padding, hotspots far outside (not drawn). The widest box, 19, sets the
// sheet's zoom to 64 / 19 = 3 for both. Cell 0, "Ab\xE9", 2 x 1: content 2 x 3 + 12 = 18 wide,
// 1 x 3 + 12 = 15 tall, cell 26 x 44 at (0, 0), content at (4, 25), origin (10, 31), index at
// (4, 4), name at (4, 16), its third byte a filled box. Cell 1, twenty '#', 19 x 1: content
// 69 x 15, cell 77 x 44 at (26, 0), content at (30, 25), origin (36, 31), name at (30, 16) cut
// at x = 26 + 77 - 4 = 99: glyphs 0 to 16 whole, glyph 17 (x = 98) its first column only.
TEST(Preview, OneZoomAndNamesClippedToTheCellPixelForPixel) {
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("a.tga"),
                           sidecartest::tgaBytes(2, 1, {{255, 0, 0, 255}, {0, 0, 255, 255}}));
    std::vector<Rgba> row;
    for (int i = 0; i < 19; ++i) {
        row.push_back({static_cast<uint8_t>(i * 10), 100, static_cast<uint8_t>(200 - i * 10), 255});
    }
    testsupport::writeFile(dir.file("b.tga"), sidecartest::tgaBytes(19, 1, row));
    SpriteViewEntry a = tgaEntry(dir.file("a.tga"));
    a.name = "Ab\xE9";
    a.wd = 2;
    a.ht = 1;
    a.padding = 0;
    a.hx = 100;
    SpriteViewEntry b = a;
    b.name = std::string(20, '#');
    b.source = dir.file("b.tga");
    b.wd = 19;
    SpriteView view;
    view.sprites = {a, b};
    const sidecartest::RgbImage image = render(view);
    ASSERT_TRUE(image.ok);
    ASSERT_EQ(image.width, 103u);
    ASSERT_EQ(image.height, 44u);

    ExpectedSheet expected(103, 44);
    expected.checker(4, 25, 18, 15);
    expected.block(10, 31, 3, Pixel{255, 0, 0});
    expected.block(13, 31, 3, Pixel{0, 0, 255});
    expected.checker(30, 25, 69, 15);
    for (uint32_t i = 0; i < 19; ++i) {
        expected.block(36 + 3 * i, 31, 3,
                       Pixel{static_cast<int>(i * 10), 100, static_cast<int>(200 - i * 10)});
    }
    const uint32_t none = 103;
    expected.glyph(4, 4, {"###", "#.#", "#.#", "#.#", "###"}, 2, none);    // 0
    expected.glyph(30, 4, {".#.", "##.", ".#.", ".#.", "###"}, 2, none);   // 1
    expected.glyph(4, 16, {".#.", "#.#", "###", "#.#", "#.#"}, 1, none);   // A
    expected.glyph(8, 16, {"#..", "##.", "#.#", "#.#", "##."}, 1, none);   // b
    expected.glyph(12, 16, {"###", "###", "###", "###", "###"}, 1, none);  // the byte 0xE9
    for (uint32_t i = 0; i < 18; ++i) {
        expected.glyph(30 + 4 * i, 16, {"#.#", "###", "#.#", "###", "#.#"}, 1, 99);  // #
    }

    int differences = 0;
    for (uint32_t y = 0; y < 44; ++y) {
        for (uint32_t x = 0; x < 103; ++x) {
            if (image.at(x, y) == expected.at(x, y)) continue;
            if (++differences <= 10) ADD_FAILURE() << "pixel " << x << ", " << y;
        }
    }
    EXPECT_EQ(differences, 0);
}

TEST(Preview, PcxWithoutPaletteUsesTheGreyRamp) {
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("dots.pcx"), pcxSource(false));
    SpriteView view;
    view.sprites = {pcxEntry(dir.file("dots.pcx"))};
    const sidecartest::RgbImage image = render(view);
    ASSERT_TRUE(image.ok);
    // The single cell sits at (0, 0): origin (10, 31).
    EXPECT_EQ(image.at(11, 33), (Pixel{0, 0, 0}));
    EXPECT_EQ(image.at(17, 34), (Pixel{7, 7, 7}));
    EXPECT_EQ(image.at(21, 34), (Pixel{200, 200, 200}));
}

TEST(Preview, SourceThatNoLongerCropsToTheEntryShowsTheCheckerboard) {
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("box.tga"), tgaSource());
    SpriteView view;
    view.sprites = {tgaEntry(dir.file("box.tga")), tgaEntry(dir.file("missing.tga"))};
    view.sprites[0].wd = 2;  // the file crops to 3 x 2
    const sidecartest::RgbImage image = render(view);
    ASSERT_TRUE(image.ok);
    EXPECT_EQ(image.at(21, 34), kLight);  // where the blue pixel would be: (2 + 4) is even
    EXPECT_EQ(image.at(10, 31), kCross);
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
