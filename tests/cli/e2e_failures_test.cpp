// Exit statuses, failed writes, the full sprite table, and sources that change between the
// statement loop and the pixel pass, end to end through the real executable.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "filesys/hash.hpp"
#include "sprite/sprite_types.hpp"
#include "tests/support/sprite_builders.hpp"

namespace drivertest {
namespace {

// The names in a folder, sorted, to show that nothing was left behind.
std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        names.push_back(entry.path().lexically_relative(folder).string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

const Picture kBox = boxPicture(8, 7, 2, 1, 6, 4);  // 6 x 4 visible
const std::vector<uint8_t> kBoxPixels = rgbaBlock(kBox, 2, 1, 6, 4);
const std::string kCantWriteEmpty =
    "Couldn't open  to write the info file.  Info file not written, press key to continue.\n";

struct StatusCase {
    const char* name;
    std::string control;
    std::string out;
    int status;
};

class ExitStatus : public ::testing::TestWithParam<StatusCase> {};

TEST_P(ExitStatus, IsZeroOnlyWhenAFileWasWrittenWhole) {
    const StatusCase& c = GetParam();
    BakeDir dir;
    dir.writeTga("art/box.tga", kBox);
    testsupport::ChildResult result = dir.run(c.control);
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(result.exitStatus, c.status);
}

const StatusCase kStatusCases[] = {
    {"InfoFileWritten", kHead + "TGA box\n", "", 0},
    {"SingleFileWritten", kHead + "WriteOneFile s.bin\nBIN\nTGA box\n", "", 0},
    {"SkippedSpritesStillWriteTheFile", kHead + "TGA nothere\n",
     "Couldn't open sprite source art/nothere.tga, skipping.\n", 0},
    {"NoInfoFileNamed", "Source art/\nDest out/\nTGA box\n", kCantWriteEmpty, 1},
    {"InfoFileInAMissingFolder", "InfoFile nodir/info.txt\n",
     "fileOpen didn't find nodir/info.txt in game dir. or blob.\n"
     "fileLoad failed to open nodir/info.txt.\n"
     "Warning!  Couldn't open sprite header nodir/info.txt for reading.\n"
     "Couldn't open nodir/info.txt to write the info file.  Info file not written, press key "
     "to continue.\n",
     1},
    {"ADirectoryNamedAsTheInfoFile", "InfoFile art\n",
     "Warning!  Couldn't open sprite header art for reading.\n"
     "Couldn't open art to write the info file.  Info file not written, press key to "
     "continue.\n",
     1},
    {"SingleFileInAMissingFolder", "Dest nodir/\nWriteOneFile sheet.bin\n",
     "Couldn't open nodir/sheet.bin to write single sprite file.\n", 1},
    {"WriteOneFileWithoutAName", kHead + "WriteOneFile   \n",
     "Error, file name for single sprite file not specified.\n"
     "Config. file sprites.ctl should have a line that looks like:\n"
     "WriteOneFile FNAME\n",
     1},
};

INSTANTIATE_TEST_SUITE_P(Driver, ExitStatus, ::testing::ValuesIn(kStatusCases),
                         [](const ::testing::TestParamInfo<StatusCase>& info) {
                             return std::string(info.param.name);
                         });

// Writes fail once the output reaches the child's file-size limit.
struct WriteFailureCase {
    const char* name;
    std::string control;
    uint64_t limit;
    std::string out;
    const char* file;
};

class WriteFailure : public ::testing::TestWithParam<WriteFailureCase> {};

// The incomplete file is the temporary one; the previous output stays as it was and nothing else
// is left in its folder.
TEST_P(WriteFailure, KeepsThePreviousOutputAndExitsWithOne) {
    const WriteFailureCase& c = GetParam();
    for (bool callerIgnoresXfsz : {true, false}) {
        BakeDir dir;
        dir.writeTga("art/box.tga", kBox);
        // Loads with a warning each time, so a load in the pixel pass would show.
        dir.writePcx("art/warn.pcx", boxIndexPicture(4, 4, 1, 1, 2, 2), 10);
        dir.writeText(c.file, "an older file");
        dir.writeText("sprites.ctl", c.control);
        const auto before = filesIn(dir.path(""));
        testsupport::ChildResult result =
            dir.run(c.control, testsupport::ChildLimits{c.limit, callerIgnoresXfsz});
        EXPECT_EQ(result.out, c.out);
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_EQ(result.signal, 0);
        EXPECT_EQ(dir.readText(c.file), "an older file");
        EXPECT_EQ(filesIn(dir.path("")), before);
    }
}

const WriteFailureCase kWriteFailureCases[] = {
    {"InPixelsOfTheBinaryFile", kHead + "BIN\nWriteOneFile sheet.bin\nTGA box\n", 50,
     "Error while writing out/sheet.bin, incomplete file removed.\n", "out/sheet.bin"},
    // The box's pixels fail to go out before warn is loaded again: no second warning.
    {"StopsThePixelPass", kHead + "BIN\nWriteOneFile sheet.bin\nTGA box\nPCX warn\n", 100,
     "Warning, byte after frame buffer not 12.\n"
     "Error while writing out/sheet.bin, incomplete file removed.\n",
     "out/sheet.bin"},
    {"InTheTextHeader", kHead + "WriteOneFile sheet.txt\nPCX warn\n", 4,
     "Warning, byte after frame buffer not 12.\n"
     "Error while writing out/sheet.txt, incomplete file removed.\n",
     "out/sheet.txt"},
    {"InTheInfoFile", kHead + "TGA box\n", 10,
     "Error while writing info.txt, incomplete file removed.\n", "info.txt"},
};

INSTANTIATE_TEST_SUITE_P(Driver, WriteFailure, ::testing::ValuesIn(kWriteFailureCases),
                         [](const ::testing::TestParamInfo<WriteFailureCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(WriteFailure, AFileThatJustFitsIsKept) {
    BakeDir dir;
    dir.writeTga("art/box.tga", kBox);
    const std::vector<uint8_t> expected =
        concat({words({1, hashName("box"), 1, 1, 0, 0, 6, 4, 0}), kBoxPixels});
    testsupport::ChildResult result = dir.run(kHead + "BIN\nWriteOneFile sheet.bin\nTGA box\n",
                                              testsupport::ChildLimits{expected.size()});
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(dir.read("out/sheet.bin"), expected);
}

TEST(SpriteTable, TheSpriteAfterTheLastSlotIsSkipped) {
    BakeDir dir;
    dir.writeTga("art/s.tga", boxPicture(3, 3, 1, 1, 1, 1));
    std::string control = kHead;
    for (int i = 0; i < MAX_SPRITES; ++i) control += "TGA s\n";
    // The full table is reported before any other check, even for a source that is missing.
    control += "TGA missing\nPCX s\n";
    testsupport::ChildResult result = dir.run(control);
    EXPECT_EQ(result.out,
              "Sprite missing skipped, the sprite table is full (10000 sprites).\n"
              "Sprite s skipped, the sprite table is full (10000 sprites).\n");
    EXPECT_EQ(result.exitStatus, 0);
    std::string expected = "10000 sprites\n";
    const std::string line = infoLine(hashName("s"), "UpLeft", 1, 0, 0, 1, 1);
    for (int i = 0; i < MAX_SPRITES; ++i) expected += line;
    EXPECT_EQ(dir.readText("info.txt"), expected);
}

// The output file itself is the sprite's source: the new output takes its path only once it is
// complete, so both passes read the previous content and the sprite keeps its pixels.
TEST(OutputAsSource, BothPassesReadThePreviousContent) {
    struct Case {
        std::string control;
        std::vector<uint8_t> header;
    };
    const uint32_t hid = hashName("sheet");
    const Case cases[] = {
        {"Source out/\nDest out/\nWriteOneFile sheet.tga\nTGA sheet\n",
         bytesOf("1 sprites\n" + infoLine(hid, "UpLeft", 1, 0, 0, 6, 4))},
        {"Source out/\nDest out/\nBIN\nWriteOneFile sheet.tga\nTGA sheet\n",
         words({1, hid, 1, 1, 0, 0, 6, 4, 0})},
    };
    for (const Case& c : cases) {
        BakeDir dir;
        dir.writeTga("out/sheet.tga", kBox);
        testsupport::ChildResult result = dir.run(c.control);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.exitStatus, 0);
        EXPECT_EQ(dir.read("out/sheet.tga"), concat({c.header, kBoxPixels}));
    }
}

}  // namespace
}  // namespace drivertest
