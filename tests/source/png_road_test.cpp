// The PNG road from a file to a cropped sprite: the listing's box, the pixel pass's cropped and
// premultiplied pixels, the preview's RGBA, a refused file and a lack of memory, on files built
// byte by byte with values worked out by hand.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <string>
#include <vector>

#include "source/sprite_loading.hpp"
#include "tests/support/png_builder.hpp"
#include "tests/support/sanitizers.hpp"
#include "tests/support/test_support.hpp"

namespace {

using testsupport::filteredScanlines;
using testsupport::pngFile;
using testsupport::pngHeader;
using testsupport::zlibDeflated;
using Bytes = std::vector<uint8_t>;

// 4 x 3 RGBA, transparent (colour 99, alpha 0) but for (1, 1) = (200, 100, 50, 128) and
// (2, 1) = (10, 20, 30, 255): the box is 2 x 1 at (1, 1).
Bytes twoPixelFile(uint8_t interlace = 0) {
    std::vector<Bytes> rows(3, Bytes{99, 99, 99, 0, 99, 99, 99, 0, 99, 99, 99, 0, 99, 99, 99, 0});
    const Bytes visible = {200, 100, 50, 128, 10, 20, 30, 255};
    std::copy(visible.begin(), visible.end(), rows[1].begin() + 4);
    const Bytes scanlines = interlace != 0
                                ? testsupport::interlacedScanlines(rows, 4, 32, {0})
                                : filteredScanlines(rows, 4, {0});
    return pngFile(pngHeader(4, 3, 8, 6, interlace), zlibDeflated(scanlines));
}

// trunc((c / 255) * (128 / 255) * 255) for 200, 100, 50: 100, 50, 25; alpha 255 keeps them.
const Bytes PREMULTIPLIED = {100, 50, 25, 128, 10, 20, 30, 255};

class PngRoad : public testing::Test {
  protected:
    std::string write(const std::string& name, const Bytes& bytes) {
        const std::string path = dir_.file(name);
        testsupport::writeFile(path, bytes);
        return path;
    }
    testsupport::TempDir dir_;
};

TEST_F(PngRoad, ListingPixelPassAndPreviewAgree) {
    for (uint8_t interlace : {0, 1}) {
        SCOPED_TRACE(interlace != 0 ? "interlaced" : "not interlaced");
        const std::string path = write("a.png", twoPixelFile(interlace));
        CroppedSprite listed;
        ASSERT_EQ(loadSpriteBox(path, SOURCE_PNG, DiskEntry::regular, listed), SpriteLoad::loaded);
        EXPECT_EQ(listed.width, 4);
        EXPECT_EQ(listed.height, 3);
        EXPECT_EQ(listed.wd, 2);
        EXPECT_EQ(listed.ht, 1);
        EXPECT_EQ(listed.left, 1);
        EXPECT_EQ(listed.top, 1);
        EXPECT_EQ(listed.pixels, nullptr);

        CroppedSprite sprite;
        ASSERT_EQ(loadCroppedSprite(path, SOURCE_PNG, sprite), SpriteLoad::loaded);
        EXPECT_EQ(sprite.wd, 2);
        EXPECT_EQ(sprite.ht, 1);
        EXPECT_EQ(sprite.left, 1);
        EXPECT_EQ(sprite.top, 1);
        ASSERT_NE(sprite.pixels, nullptr);
        EXPECT_EQ(Bytes(sprite.pixels, sprite.pixels + 8), PREMULTIPLIED);

        std::vector<uint8_t> rgba;
        ASSERT_EQ(loadCroppedSpriteRgba(path, SOURCE_PNG, sprite, rgba), SpriteLoad::loaded);
        EXPECT_EQ(rgba, PREMULTIPLIED);
    }
}

TEST_F(PngRoad, ABlankPictureCropsToNothing) {
    const std::string path = write(
        "blank.png", pngFile(pngHeader(3, 2, 8, 4),
                             zlibDeflated(filteredScanlines({Bytes(6, 0), Bytes(6, 0)}, 2, {0}))));
    for (bool withPixels : {false, true}) {
        CroppedSprite sprite;
        const SpriteLoad load = withPixels
                                    ? loadCroppedSprite(path, SOURCE_PNG, sprite)
                                    : loadSpriteBox(path, SOURCE_PNG, DiskEntry::regular, sprite);
        ASSERT_EQ(load, SpriteLoad::loaded);
        EXPECT_EQ(sprite.wd, 0);
        EXPECT_EQ(sprite.ht, 0);
        // As cropping a blank picture leaves the offsets: its sides.
        EXPECT_EQ(sprite.left, 3);
        EXPECT_EQ(sprite.top, 2);
        EXPECT_EQ(sprite.pixels, nullptr);
    }
}

TEST_F(PngRoad, ARefusedOrMissingFileDoesNotLoad) {
    Bytes broken = twoPixelFile();
    broken[broken.size() - 13] ^= 1;  // the last byte of the IDAT's CRC
    const std::string path = write("broken.png", broken);
    for (const std::string& p : {path, dir_.file("missing.png")}) {
        CroppedSprite sprite;
        EXPECT_EQ(loadSpriteBox(p, SOURCE_PNG, fileEntryOnDisk(p.c_str()), sprite),
                  SpriteLoad::notLoaded);
        EXPECT_EQ(loadCroppedSprite(p, SOURCE_PNG, sprite), SpriteLoad::notLoaded);
        std::vector<uint8_t> rgba = {1};
        EXPECT_EQ(loadCroppedSpriteRgba(p, SOURCE_PNG, sprite, rgba), SpriteLoad::notLoaded);
        EXPECT_TRUE(rgba.empty());
    }
}

TEST_F(PngRoad, LackOfMemoryIsToldApart) {
    if (testsupport::SANITIZED) GTEST_SKIP() << "address-space limits do not work under the sanitizers";
    // 16384 x 16384 grey of 1 bit, all 0: a file of some 33 KiB whose picture would take 1 GiB.
    // The listing finds its box from the rows, then asks for that memory; the pixel pass needs it.
    const std::vector<Bytes> rows(16384, Bytes(2048, 0));
    const std::string path = write(
        "huge.png", pngFile(pngHeader(16384, 16384, 1, 0), zlibDeflated(filteredScanlines(rows, 1, {0}))));
    const testsupport::ChildResult child = testsupport::runInChild([&] {
        const rlimit limit{size_t{256} << 20, size_t{256} << 20};
        setrlimit(RLIMIT_AS, &limit);
        CroppedSprite sprite;
        const SpriteLoad box = loadSpriteBox(path, SOURCE_PNG, DiskEntry::regular, sprite);
        const SpriteLoad load = loadCroppedSprite(path, SOURCE_PNG, sprite);
        std::printf("%d %d\n", static_cast<int>(box), static_cast<int>(load));
    });
    const int outOfMemory = static_cast<int>(SpriteLoad::outOfMemory);
    EXPECT_EQ(child.out, std::to_string(outOfMemory) + " " + std::to_string(outOfMemory) + "\n");
}

}  // namespace
