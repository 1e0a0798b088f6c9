// The pixel pass of the single sprite file against a table that no longer matches its sources:
// a source that still loads but now crops to another size must not shift the blocks that
// follow it, so its block is written blank at the size the header announces.
#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdio>
#include <string>
#include <vector>

#include "control/driver.hpp"
#include "control/driver_state.hpp"
#include "filesys/file_access.hpp"
#include "filesys/hash.hpp"
#include "output/output_files.hpp"
#include "tests/support/sprite_builders.hpp"

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
        state.tables.spriteGeometry.push_back({});
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

// The pixel pass's seam: a whole run in which the sources change after the statements listed
// them and before the pixel pass reloads them.
std::string changedFolder;

void changeSources(int32_t index, const std::string& /*path*/) {
    if (index == 0) {  // another picture: it crops to 3 x 3 instead of 6 x 4
        testsupport::writeFile(changedFolder + "/art/box.tga",
                               tgaFile(boxPicture(8, 7, 1, 1, 3, 3)));
    } else if (index == 1) {  // gone: it no longer loads at all
        std::remove((changedFolder + "/art/dots.pcx").c_str());
    }
}

TEST(PixelPass, SourcesChangedBetweenThePassesGetBlankBlocks) {
    BakeDir dir;
    const Picture box = boxPicture(8, 7, 2, 1, 6, 4);
    const IndexPicture dots = boxIndexPicture(5, 6, 1, 2, 3, 3);
    dir.writeTga("art/box.tga", box);
    dir.writePcx("art/dots.pcx", dots);
    dir.writeTga("art/after.tga", box);
    changedFolder = dir.path("");
    const std::string control =
        kHead + "BIN\nWriteOneFile sheet.bin\nTGA box\nPCX dots\nTGA after\n";

    const testsupport::ChildResult result = testsupport::runInChild([&] {
        if (chdir(changedFolder.c_str()) != 0) _exit(3);
        fileSystemInit("", nullptr);
        setPixelPassHook(changeSources);
        const ExitStatus status = runControlTextWithOutput(control, "sprites.ctl");
        std::fflush(stdout);
        _exit(static_cast<int>(status));
    });

    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out,
              "Warning, art/box.tga changed since it was listed, writing blank pixels.\n"
              "fileOpen didn't find art/dots.pcx in game dir. or blob.\n"
              "fileLoad failed to open art/dots.pcx.\n"
              "Couldn't open PCX file art/dots.pcx for reading.\n"
              "Warning, art/dots.pcx changed since it was listed, writing blank pixels.\n");
    const uint32_t hidBox = hashName("box");
    const uint32_t hidDots = hashName("dots");
    const uint32_t hidAfter = hashName("after");
    EXPECT_EQ(dir.read("out/sheet.bin"),
              concat({words({3, hidBox, 1, 1, 0,        0, 6, 4, 0, hidDots, 1, 1, 0,
                             0, 3,      3, 0, hidAfter, 1, 1, 0, 0, 6,       4, 0}),
                      std::vector<uint8_t>(6 * 4 * 4, 0), std::vector<uint8_t>(3 * 3, 255),
                      rgbaBlock(box, 2, 1, 6, 4)}));
}

}  // namespace
}  // namespace drivertest
