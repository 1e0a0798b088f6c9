// A loaded sprite carries its crop offsets: the top-left corner of its visible box in the
// upright picture, or the picture's sides for a blank one. Each case builds a file whose box
// is known and loads it both ways, the box alone (as the listing does) and with its pixels (as
// the pixel pass does): the TGA files with a fast path, one without (colour-mapped), and PCX.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "source/sprite_loading.hpp"
#include "tests/support/sprite_builders.hpp"
#include "tests/support/test_support.hpp"

namespace {

using drivertest::IndexPicture;
using drivertest::Picture;

struct OffsetCase {
    const char* what;
    std::vector<uint8_t> file;
    int32_t kind;
    int32_t width, height;  // the picture's sides
    int32_t left, top;      // worked out from where the visible box was put
    int32_t wd, ht;
};

// An 8-bit colour-mapped TGA (type 1) of 5 x 4 with a two-entry 32-bit map, entry 0 clear and
// entry 1 opaque red, whose only visible pixels are (1, 2) and (3, 3) of the upright picture.
std::vector<uint8_t> colourMappedTga() {
    // The header, then the map's two entries as blue, green, red, alpha.
    std::vector<uint8_t> out = {0, 1, 1, 0, 0, 2, 0, 32, 0, 0, 0, 0, 5, 0, 4, 0, 8, 8,
                                0, 0, 0, 0, 0, 0, 255, 255};
    // Bottom-left origin: the file's first row is the picture's row 3.
    const uint8_t rows[4][5] = {{0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}, {0, 1, 0, 0, 0}, {0, 0, 0, 1, 0}};
    for (int32_t y = 3; y >= 0; --y) {
        for (const uint8_t index : rows[y]) out.push_back(index);
    }
    return out;
}

std::vector<OffsetCase> cases() {
    return {
        {"TGA, box inside", drivertest::tgaFile(drivertest::boxPicture(6, 5, 2, 1, 3, 2)),
         SOURCE_TGA, 6, 5, 2, 1, 3, 2},
        {"TGA, box at the bottom-right corner",
         drivertest::tgaFile(drivertest::boxPicture(4, 6, 3, 4, 1, 2)), SOURCE_TGA, 4, 6, 3, 4, 1,
         2},
        {"TGA, blank", drivertest::tgaFile(Picture(4, 3)), SOURCE_TGA, 4, 3, 4, 3, 0, 0},
        {"TGA without a fast path", colourMappedTga(), SOURCE_TGA, 5, 4, 1, 2, 3, 2},
        {"PCX, box inside", drivertest::pcxFile(drivertest::boxIndexPicture(7, 4, 3, 2, 2, 1)),
         SOURCE_PCX, 7, 4, 3, 2, 2, 1},
        {"PCX, box at the top-left corner",
         drivertest::pcxFile(drivertest::boxIndexPicture(5, 5, 0, 0, 2, 3)), SOURCE_PCX, 5, 5, 0, 0,
         2, 3},
        {"PCX, blank", drivertest::pcxFile(IndexPicture(5, 2)), SOURCE_PCX, 5, 2, 5, 2, 0, 0},
    };
}

TEST(CropOffsets, EachLoadCarriesItsBoxCorner) {
    testsupport::TempDir dir;
    for (const OffsetCase& c : cases()) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.file(c.kind == SOURCE_TGA ? "sprite.tga" : "sprite.pcx");
        testsupport::writeFile(path, c.file);
        for (const bool withPixels : {false, true}) {
            SCOPED_TRACE(withPixels ? "with pixels" : "box alone");
            CroppedSprite sprite;
            const SpriteLoad load = withPixels
                                        ? loadCroppedSprite(path, c.kind, sprite)
                                        : loadSpriteBox(path, c.kind, DiskEntry::regular, sprite);
            ASSERT_EQ(load, SpriteLoad::loaded);
            EXPECT_EQ(sprite.width, c.width);
            EXPECT_EQ(sprite.height, c.height);
            EXPECT_EQ(sprite.left, c.left);
            EXPECT_EQ(sprite.top, c.top);
            EXPECT_EQ(sprite.wd, c.wd);
            EXPECT_EQ(sprite.ht, c.ht);
        }
    }
}

}  // namespace
