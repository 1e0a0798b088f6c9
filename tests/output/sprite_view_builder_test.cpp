// The view built from the driver's state after a control text, checked against the real
// executable's output for the same text: each entry's block must sit at its offset in the
// file the executable wrote, and the blocks must end where the file ends. The crop offsets and
// source sides come from the pictures the test drew.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "control/driver.hpp"
#include "filesys/file_access.hpp"
#include "output/sprite_view_builder.hpp"
#include "tests/support/sprite_builders.hpp"

namespace drivertest {
namespace {

// Visible boxes: box (2, 1) 6 x 4 in 8 x 7; dots (1, 2) 3 x 3 in 5 x 6.
const Picture kBox = boxPicture(8, 7, 2, 1, 6, 4);
const IndexPicture kDots = boxIndexPicture(5, 6, 1, 2, 3, 3);

constexpr const char* kSprites = "TGA box\nPCX dots\nPadding Off\nHotspot DownLeft\nTGA box\n";

struct Expected {
    int32_t kind;
    std::vector<uint8_t> block;
    int32_t sourceWidth, sourceHeight, cropLeft, cropTop;
    const char* method;
};

std::vector<Expected> expectedEntries() {
    return {
        {SOURCE_TGA, rgbaBlock(kBox, 2, 1, 6, 4), 8, 7, 2, 1, "UpLeft"},
        {SOURCE_PCX, indexBlock(kDots, 1, 2, 3, 3), 5, 6, 1, 2, "UpLeft"},
        {SOURCE_TGA, rgbaBlock(kBox, 2, 1, 6, 4), 8, 7, 2, 1, "DownLeft"},
    };
}

class SpriteViewBuilder : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_.writeTga("art/box.tga", kBox);
        dir_.writePcx("art/dots.pcx", kDots);
    }

    // The view of `tail` run in this process, with the sources named by absolute paths.
    SpriteView viewOf(const std::string& tail) {
        fileSystemInit("", nullptr);
        runControlText("Source " + dir_.path("art/") + "\nDest out/\nInfoFile " +
                       dir_.path("info.txt") + "\n" + tail);
        return buildSpriteView(driverState());
    }

    void checkAgainstOutput(const std::string& options, OutputForm form) {
        const std::string tail = options + kSprites;
        const SpriteView view = viewOf(tail);
        EXPECT_EQ(view.form, form);
        EXPECT_EQ(view.outputPath, "out/sprites.bin");
        ASSERT_EQ(dir_.run(kHead + tail).exitStatus, 0);
        const std::vector<uint8_t> file = dir_.read("out/sprites.bin");
        const std::vector<Expected> expected = expectedEntries();
        ASSERT_EQ(view.sprites.size(), expected.size());
        uint64_t end = 0;
        for (size_t i = 0; i < expected.size(); ++i) {
            const SpriteViewEntry& entry = view.sprites[i];
            ASSERT_TRUE(entry.block.has_value()) << i;
            const BlockPlace place = *entry.block;
            EXPECT_EQ(place.length, expected[i].block.size()) << i;
            ASSERT_LE(place.offset + place.length, file.size()) << i;
            const std::vector<uint8_t> inFile(
                file.begin() + static_cast<std::ptrdiff_t>(place.offset),
                file.begin() + static_cast<std::ptrdiff_t>(place.offset + place.length));
            EXPECT_EQ(inFile, expected[i].block) << i;
            end = place.offset + place.length;
        }
        EXPECT_EQ(end, file.size());
    }

    BakeDir dir_;
};

TEST_F(SpriteViewBuilder, BinaryBlocksSitWhereTheFileHasThem) {
    checkAgainstOutput("WriteOneFile sprites.bin\nBIN\n", OutputForm::SingleBinary);
}

TEST_F(SpriteViewBuilder, TextBlocksSitWhereTheFileHasThem) {
    checkAgainstOutput("WriteOneFile sprites.bin\n", OutputForm::SingleText);
}

TEST_F(SpriteViewBuilder, EntriesCarryNamesSourcesAndCrops) {
    const SpriteView view = viewOf(kSprites);
    EXPECT_EQ(view.form, OutputForm::Info);
    EXPECT_EQ(view.outputPath, dir_.path("info.txt"));
    const std::vector<Expected> expected = expectedEntries();
    ASSERT_EQ(view.sprites.size(), expected.size());
    const char* names[] = {"box", "dots", "box"};
    const char* files[] = {"art/box.tga", "art/dots.pcx", "art/box.tga"};
    for (size_t i = 0; i < expected.size(); ++i) {
        const SpriteViewEntry& e = view.sprites[i];
        EXPECT_EQ(e.name, names[i]);
        EXPECT_EQ(e.source, dir_.path(files[i]));
        EXPECT_EQ(e.kind, expected[i].kind);
        EXPECT_EQ(e.sourceWidth, expected[i].sourceWidth) << i;
        EXPECT_EQ(e.sourceHeight, expected[i].sourceHeight) << i;
        EXPECT_EQ(e.cropLeft, expected[i].cropLeft) << i;
        EXPECT_EQ(e.cropTop, expected[i].cropTop) << i;
        EXPECT_EQ(e.methodName, expected[i].method) << i;
        EXPECT_FALSE(e.block.has_value()) << i;
    }
    // DownLeft on the cropped 6 x 4 with padding off: hy = -4.
    EXPECT_EQ(view.sprites[2].hy, -4);
    EXPECT_EQ(view.sprites[2].padding, 0);
}

}  // namespace
}  // namespace drivertest
