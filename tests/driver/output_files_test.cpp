// The pixel pass of the single sprite file against a table that no longer matches its sources:
// a source that still loads but now crops to another size must not shift the blocks that
// follow it, so its block is written blank at the size the header announces.
#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdio>
#include <string>
#include <vector>

#include "driver/driver_state.hpp"
#include "driver/output_files.hpp"
#include "filesys/file_layer.hpp"
#include "tests/driver/sprite_builders.hpp"

namespace drivertest {
namespace {

struct Listed {
    std::string path;
    int32_t kind;
    int32_t wd;
    int32_t ht;
};

DriverState stateListing(const std::vector<Listed>& sprites) {
    DriverState state;
    state.writeOneFile = 1;
    state.writeBinary = 1;
    for (const Listed& s : sprites) {
        SpriteRecord record;
        record.wd = s.wd;
        record.ht = s.ht;
        state.tables.spriteTable.push_back(record);
        state.tables.spriteNames.push_back({});
        state.tables.spriteSource.push_back(s.kind);
        state.tables.spritePath.push_back(s.path);
    }
    state.spriteCount = static_cast<int32_t>(sprites.size());
    return state;
}

std::vector<uint8_t> header(const std::vector<Listed>& sprites) {
    std::vector<uint8_t> bytes = words({static_cast<uint32_t>(sprites.size())});
    for (const Listed& s : sprites) {
        const std::vector<uint8_t> entry =
            words({0, 0, 0, 0, 0, static_cast<uint32_t>(s.wd), static_cast<uint32_t>(s.ht), 0});
        bytes.insert(bytes.end(), entry.begin(), entry.end());
    }
    return bytes;
}

TEST(PixelPass, SourceThatCropsToAnotherSizeGetsBlankPixelsOfTheListedSize) {
    BakeDir dir;
    const Picture box = boxPicture(8, 7, 2, 1, 6, 4);             // crops to 6 x 4
    const IndexPicture dots = boxIndexPicture(5, 6, 1, 2, 3, 3);  // crops to 3 x 3
    dir.writeTga("art/box.tga", box);
    dir.writePcx("art/dots.pcx", dots);
    dir.writeTga("art/after.tga", box);
    // Each of the first two is listed one pixel off its crop in one direction; the last matches.
    const std::vector<Listed> listed = {
        {dir.path("art/box.tga"), SOURCE_TGA, 6, 5},
        {dir.path("art/dots.pcx"), SOURCE_PCX, 2, 3},
        {dir.path("art/after.tga"), SOURCE_TGA, 6, 4},
    };
    const std::string out = dir.path("out/sheet.bin");

    const testsupport::ChildResult result = testsupport::runInChild([&] {
        fileSystemInit("", nullptr);
        const bool written = writeSingleSpriteFile(stateListing(listed), out);
        std::fflush(stdout);
        _exit(written ? 0 : 1);
    });

    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, "Warning, " + listed[0].path +
                              " changed since it was listed, writing blank pixels.\n"
                              "Warning, " +
                              listed[1].path +
                              " changed since it was listed, writing blank pixels.\n");
    EXPECT_EQ(dir.read("out/sheet.bin"),
              concat({header(listed), std::vector<uint8_t>(6 * 5 * 4, 0),
                      std::vector<uint8_t>(2 * 3, 255), rgbaBlock(box, 2, 1, 6, 4)}));
}

}  // namespace
}  // namespace drivertest
