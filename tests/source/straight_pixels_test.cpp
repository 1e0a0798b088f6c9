// A sprite's cropped pixels in its file's own colours: translucent TGA pixels keep the colours
// stored, where the premultiplied road scales them; each case built byte by byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "source/straight_pixels.hpp"
#include "tests/support/sprite_builders.hpp"
#include "tests/support/test_support.hpp"

namespace {

// A TGA header: type, depth, descriptor, sides.
std::vector<uint8_t> tgaHead(uint8_t type, uint8_t depth, uint8_t descriptor, uint8_t w,
                             uint8_t h) {
    std::vector<uint8_t> head(18, 0);
    head[2] = type;
    head[12] = w;
    head[14] = h;
    head[16] = depth;
    head[17] = descriptor;
    return head;
}

struct StraightCase {
    const char* what;
    std::vector<uint8_t> file;
    int32_t kind;
    std::vector<uint8_t> straight;
    std::vector<uint8_t> premultiplied;  // loadCroppedSpriteRgba's, for the same box
};

std::vector<StraightCase> cases() {
    // A 3 x 1 row: transparent, (200, 100, 50) at alpha 128, (10, 20, 30) at alpha 255.
    drivertest::Picture row(3, 1);
    row.at(1, 0) = {200, 100, 50, 128};
    row.at(2, 0) = {10, 20, 30, 255};
    // trunc(c/255 * 128/255 * 255): 200 -> 100, 100 -> 50, 50 -> 25.
    const std::vector<uint8_t> straightRow = {200, 100, 50, 128, 10, 20, 30, 255};
    const std::vector<uint8_t> premultipliedRow = {100, 50, 25, 128, 10, 20, 30, 255};

    // Run-length, top-left origin: a raw packet of 3 pixels (blue, green, red, alpha).
    std::vector<uint8_t> rle = tgaHead(10, 32, 0x28, 3, 1);
    for (const uint8_t b : {0x02, 0, 0, 0, 0, 50, 100, 200, 128, 30, 20, 10, 255}) rle.push_back(b);

    // Black-and-white with alpha: grey 90 at alpha 0 (cropped away), grey 200 at alpha 51.
    std::vector<uint8_t> grey = tgaHead(3, 16, 0x08, 2, 1);
    for (const uint8_t b : {90, 0, 200, 51}) grey.push_back(b);

    // 24-bit: opaque, its colours as they are.
    std::vector<uint8_t> opaque = tgaHead(2, 24, 0, 1, 1);
    for (const uint8_t b : {3, 2, 1}) opaque.push_back(b);

    // A 2 x 1 PCX: index 255 then index 7, palette entry 7 = (70, 71, 72).
    drivertest::IndexPicture indices(2, 1);
    indices.at(1, 0) = 7;
    std::vector<uint8_t> pcx = drivertest::pcxFile(indices);
    pcx[pcx.size() - 768 + 21] = 70;
    pcx[pcx.size() - 768 + 22] = 71;
    pcx[pcx.size() - 768 + 23] = 72;

    return {
        {"raw 32-bit", drivertest::tgaFile(row), SOURCE_TGA, straightRow, premultipliedRow},
        {"run-length 32-bit", rle, SOURCE_TGA, straightRow, premultipliedRow},
        // trunc(200/255 * 51/255 * 255) in doubles: 40.
        {"grey and alpha", grey, SOURCE_TGA, {200, 200, 200, 51}, {40, 40, 40, 51}},
        {"24-bit", opaque, SOURCE_TGA, {1, 2, 3, 255}, {1, 2, 3, 255}},
        {"PCX", pcx, SOURCE_PCX, {70, 71, 72, 255}, {70, 71, 72, 255}},
    };
}

TEST(StraightPixels, KeepTheFilesColours) {
    for (const StraightCase& c : cases()) {
        testsupport::TempDir dir;
        const std::string path = dir.file("s");
        testsupport::writeFile(path, c.file);
        CroppedSprite sprite;
        std::vector<uint8_t> rgba;
        EXPECT_EQ(loadCroppedSpriteStraight(path, c.kind, sprite, rgba), SpriteLoad::loaded)
            << c.what;
        EXPECT_EQ(rgba, c.straight) << c.what;
        EXPECT_EQ(loadCroppedSpriteRgba(path, c.kind, sprite, rgba), SpriteLoad::loaded) << c.what;
        EXPECT_EQ(rgba, c.premultiplied) << c.what;
    }
}

TEST(StraightPixels, BlankOrMissingGivesNoPixels) {
    testsupport::TempDir dir;
    CroppedSprite sprite;
    std::vector<uint8_t> rgba = {1};
    EXPECT_EQ(loadCroppedSpriteStraight(dir.file("none.tga"), SOURCE_TGA, sprite, rgba),
              SpriteLoad::notLoaded);
    EXPECT_TRUE(rgba.empty());
    testsupport::writeFile(dir.file("blank.tga"), drivertest::tgaFile(drivertest::Picture(2, 2)));
    EXPECT_EQ(loadCroppedSpriteStraight(dir.file("blank.tga"), SOURCE_TGA, sprite, rgba),
              SpriteLoad::loaded);
    EXPECT_TRUE(rgba.empty());
}

}  // namespace
