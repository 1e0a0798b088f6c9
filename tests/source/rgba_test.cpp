// A sprite's cropped pixels as RGBA, whatever its kind: the bytes and the printed lines worked
// out by hand from small files built byte by byte.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "source/sprite_loading.hpp"
#include "tests/support/sprite_builders.hpp"
#include "tests/support/test_support.hpp"

namespace {

// A 3 x 2 PCX whose rows are {255, 4, 255} and {9, 255, 255}, each index a literal byte (all are
// below 0xC0 but 255, which is written as a run of one), so its visible box is the 2 x 2 at the
// top-left corner. With a palette, entry 4 is (40, 41, 42), entry 9 (90, 91, 92), the rest black.
std::vector<uint8_t> pcxBytes(bool withPalette) {
    std::vector<uint8_t> out(128, 0);
    out[0] = 10;
    out[1] = 5;
    out[2] = 1;
    out[3] = 8;
    out[8] = 2;   // the right edge, inclusive
    out[10] = 1;  // the bottom edge
    out[65] = 1;
    out[66] = 3;
    for (const uint8_t code : {0xC1, 255, 4, 0xC1, 255, 9, 0xC2, 255}) out.push_back(code);
    if (withPalette) {
        std::vector<uint8_t> palette(768, 0);
        for (size_t c = 0; c < 3; ++c) {
            palette[4 * 3 + c] = static_cast<uint8_t>(40 + c);
            palette[9 * 3 + c] = static_cast<uint8_t>(90 + c);
        }
        out.push_back(12);
        out.insert(out.end(), palette.begin(), palette.end());
    }
    return out;
}

struct RgbaCase {
    const char* what;
    const char* name;
    std::vector<uint8_t> file;  // none written when empty
    int32_t kind;
    SpriteLoad load;
    std::vector<uint8_t> rgba;
    std::string printed;  // with "@" for the file's path
};

std::vector<RgbaCase> cases() {
    return {
        // boxPicture colours pixel (x, y) (10 + x, 100 + y, 3x + y), opaque.
        {"TGA",
         "a.tga",
         drivertest::tgaFile(drivertest::boxPicture(3, 3, 1, 1, 2, 1)),
         SOURCE_TGA,
         SpriteLoad::loaded,
         {11, 101, 4, 255, 12, 101, 7, 255},
         ""},
        {"TGA, blank",
         "b.tga",
         drivertest::tgaFile(drivertest::Picture(2, 2)),
         SOURCE_TGA,
         SpriteLoad::loaded,
         {},
         ""},
        {"TGA, missing", "c.tga", {}, SOURCE_TGA, SpriteLoad::notLoaded, {}, ""},
        {"PCX through its palette",
         "d.pcx",
         pcxBytes(true),
         SOURCE_PCX,
         SpriteLoad::loaded,
         {0, 0, 0, 0, 40, 41, 42, 255, 90, 91, 92, 255, 0, 0, 0, 0},
         ""},
        {"PCX without a palette: the grey ramp",
         "e.pcx",
         pcxBytes(false),
         SOURCE_PCX,
         SpriteLoad::loaded,
         {0, 0, 0, 0, 4, 4, 4, 255, 9, 9, 9, 255, 0, 0, 0, 0},
         "Warning, byte after frame buffer not 12.\n"},
        {"PCX, missing: the file layer's lines alone",
         "f.pcx",
         {},
         SOURCE_PCX,
         SpriteLoad::notLoaded,
         {},
         "fileOpen didn't find @ in game dir. or blob.\nfileLoad failed to open @.\n"},
    };
}

std::string withPath(const std::string& text, const std::string& path) {
    std::string out;
    for (const char c : text) out += c == '@' ? path : std::string(1, c);
    return out;
}

TEST(SpriteRgba, PixelsAndLinesOfEachKind) {
    testsupport::TempDir dir;
    for (const RgbaCase& c : cases()) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.file(c.name);
        if (!c.file.empty()) testsupport::writeFile(path, c.file);
        CroppedSprite sprite;
        std::vector<uint8_t> rgba = {1, 2, 3};  // whatever it held goes
        testing::internal::CaptureStdout();
        const SpriteLoad load = loadCroppedSpriteRgba(path, c.kind, sprite, rgba);
        std::fflush(stdout);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), withPath(c.printed, path));
        EXPECT_EQ(load, c.load);
        EXPECT_EQ(rgba, c.rgba);
    }
}

}  // namespace
