// The pixel pass reuses its blocks from sprite to sprite: sprites of falling and rising sizes,
// blank ones and PCX ones between them, must each still get exactly their own pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/support/sprite_builders.hpp"

namespace drivertest {
namespace {

TEST(ReusedBlocks, EverySpriteGetsItsOwnPixelsWhateverCameBefore) {
    BakeDir dir;
    const Picture big = boxPicture(60, 40, 5, 4, 50, 33);
    const Picture small = boxPicture(7, 6, 1, 2, 3, 2);
    const Picture blank(9, 9);
    const Picture wide = boxPicture(80, 3, 0, 1, 80, 1);
    const IndexPicture indexed = boxIndexPicture(30, 20, 2, 3, 20, 11);
    dir.writeTga("art/big.tga", big);
    dir.writeTga("art/small.tga", small);
    dir.writeTga("art/blank.tga", blank);
    dir.writeTga("art/wide.tga", wide);
    dir.writePcx("art/indexed.pcx", indexed);
    const testsupport::ChildResult result =
        dir.run(kHead +
                "BIN\nWriteOneFile sheet.bin\nTGA big\nTGA small\nTGA blank\nPCX indexed\n"
                "TGA small\nTGA wide\nTGA big\n");
    EXPECT_EQ(result.out, "WARNING!  Sprite blank is blank.\n");
    const std::vector<uint8_t> pixels =
        concat({rgbaBlock(big, 5, 4, 50, 33), rgbaBlock(small, 1, 2, 3, 2),
                indexBlock(indexed, 2, 3, 20, 11), rgbaBlock(small, 1, 2, 3, 2),
                rgbaBlock(wide, 0, 1, 80, 1), rgbaBlock(big, 5, 4, 50, 33)});
    const std::vector<uint8_t> sheet = dir.read("out/sheet.bin");
    const size_t header = 4 + 7 * 32;  // the count, then eight words a sprite
    ASSERT_EQ(sheet.size(), header + pixels.size());
    EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), sheet.begin() + header));
}

}  // namespace
}  // namespace drivertest
