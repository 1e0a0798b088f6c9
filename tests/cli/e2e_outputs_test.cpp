// The outputs end to end: sprites through the real executable, and the info file and the
// single sprite file (text and binary headers, pixel blocks) compared byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "filesys/hash.hpp"
#include "tests/support/sprite_builders.hpp"

namespace drivertest {
namespace {

// abc: visible pixels in a 20 x 10 box at (3, 2) of a 24 x 14 picture.
const Picture kAbc = boxPicture(24, 14, 3, 2, 20, 10);
const std::vector<uint8_t> kAbcPixels = rgbaBlock(kAbc, 3, 2, 20, 10);
const std::string kAbcLine =
    "hid -1206996721 hotspot method UpLeft padding 1  hx 0  hy 0  wd 20  ht 10\n";

TEST(Outputs, TheAbcExampleInTheInfoFile) {
    BakeDir dir;
    dir.writeTga("art/abc.tga", kAbc);
    testsupport::ChildResult result = dir.run(kHead + "TGA abc\n");
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(dir.readText("info.txt"), "1 sprites\n" + kAbcLine);
}

TEST(Outputs, TheAbcExampleInTheBinarySingleFile) {
    BakeDir dir;
    dir.writeTga("art/abc.tga", kAbc);
    testsupport::ChildResult result = dir.run(kHead + "BIN\nWriteOneFile sheet.bin\nTGA abc\n");
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(dir.read("out/sheet.bin"),
              concat({words({1, 3087970575u, 1, 1, 0, 0, 20, 10, 0}), kAbcPixels}));
    EXPECT_EQ(dir.readText("info.txt"), "0 sprites\n");  // only one output is written
}

TEST(Outputs, TheTextSingleFileIsTheInfoTextThenTheRawPixels) {
    BakeDir dir;
    dir.writeTga("art/abc.tga", kAbc);
    testsupport::ChildResult result = dir.run(kHead + "WriteOneFile sheet.txt\nTGA abc\n");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(dir.read("out/sheet.txt"), concat({bytesOf("1 sprites\n" + kAbcLine), kAbcPixels}));
}

TEST(Outputs, NoSpritesInAllThreeForms) {
    struct Case {
        std::string control;
        std::string file;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {kHead, "info.txt", bytesOf("0 sprites\n")},
        {kHead + "WriteOneFile sheet.txt\n", "out/sheet.txt", bytesOf("0 sprites\n")},
        {kHead + "WriteOneFile sheet.bin\nBIN\n", "out/sheet.bin", words({0})},
    };
    for (const Case& c : cases) {
        BakeDir dir;
        dir.remove("info.txt");
        testsupport::ChildResult result = dir.run(c.control);
        EXPECT_EQ(result.exitStatus, 0) << c.control;
        EXPECT_EQ(dir.read(c.file), c.bytes) << c.control;
    }
}

TEST(Outputs, CrLfControlFileStillWritesLfOnly) {
    BakeDir dir;
    dir.writeTga("art/abc.tga", kAbc);
    testsupport::ChildResult result =
        dir.run("Source art/\r\nDest out/\r\nInfoFile info.txt\r\nTGA abc\r\nTGA abc\r\n");
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(dir.readText("info.txt"), "2 sprites\n" + kAbcLine + kAbcLine);
}

TEST(Outputs, ABlankSpriteHasAnEntryAndNoPixels) {
    BakeDir dir;
    dir.writeTga("art/abc.tga", kAbc);
    dir.writeTga("art/empty.tga", Picture(5, 3));
    dir.writePcx("art/void.pcx", IndexPicture(4, 4));
    testsupport::ChildResult result =
        dir.run(kHead + "WriteOneFile sheet.txt\nTGA empty\nPCX void\nTGA abc\n");
    EXPECT_EQ(result.out, "WARNING!  Sprite empty is blank.\nWARNING!  Sprite void is blank.\n");
    EXPECT_EQ(result.exitStatus, 0);
    const std::string header = "3 sprites\n" +
                               infoLine(hashName("empty"), "UpLeft", 1, 0, 0, 0, 0) +
                               infoLine(hashName("void"), "UpLeft", 1, 0, 0, 0, 0) + kAbcLine;
    EXPECT_EQ(dir.read("out/sheet.txt"), concat({bytesOf(header), kAbcPixels}));
}

TEST(Outputs, PaddingPlacesTgaHotspotsOnPowerOfTwoSides) {
    BakeDir dir;
    dir.writeTga("art/abc.tga", kAbc);
    const IndexPicture pcx = boxIndexPicture(24, 14, 3, 2, 20, 10);
    dir.writePcx("art/abc.pcx", pcx);
    dir.writeTga("art/empty.tga", Picture(2, 2));
    testsupport::ChildResult result = dir.run(kHead +
                                              "Hotspot Middle\nTGA abc\nPCX abc\n"
                                              "Padding Off\nTGA abc\n"
                                              "Padding On\nHotspot DownRight\nTGA empty\n"
                                              "Padding Off\nTGA empty\n");
    EXPECT_EQ(result.out, "WARNING!  Sprite empty is blank.\nWARNING!  Sprite empty is blank.\n");
    const uint32_t abc = 3087970575u;
    const uint32_t empty = hashName("empty");
    EXPECT_EQ(dir.readText("info.txt"), "5 sprites\n" +
                                            infoLine(abc, "Middle", 1, -16, -8, 20, 10) +
                                            infoLine(abc, "Middle", 1, -10, -5, 20, 10) +
                                            infoLine(abc, "Middle", 0, -10, -5, 20, 10) +
                                            infoLine(empty, "DownRight", 1, -1, -1, 0, 0) +
                                            infoLine(empty, "DownRight", 0, 0, 0, 0, 0));
}

TEST(Outputs, PaddedSpritesKeepTheirCroppedPixels) {
    BakeDir dir;
    dir.writeTga("art/abc.tga", kAbc);
    const IndexPicture pcx = boxIndexPicture(9, 9, 1, 2, 5, 3);
    dir.writePcx("art/pal.pcx", pcx);
    testsupport::ChildResult result =
        dir.run(kHead + "WriteOneFile sheet.bin\nBIN\nHotspot Middle\nTGA abc\nPCX pal\n");
    EXPECT_EQ(result.out, "");
    const uint32_t pal = hashName("pal");
    EXPECT_EQ(dir.read("out/sheet.bin"),
              concat({words({2, 3087970575u, 0, 1, static_cast<uint32_t>(-16),
                             static_cast<uint32_t>(-8), 20, 10, 0, pal, 0, 1,
                             static_cast<uint32_t>(-2), static_cast<uint32_t>(-1), 5, 3, 0}),
                      kAbcPixels, indexBlock(pcx, 1, 2, 5, 3)}));
}

TEST(Outputs, HotXYIsMeasuredOnTheUprightPicture) {
    BakeDir dir;
    // Visible pixels start at column 12 and row 25 counted from the top of the picture.
    dir.writeTga("art/far.tga", boxPicture(40, 40, 12, 25, 3, 2));
    dir.writePcx("art/far.pcx", boxIndexPicture(40, 40, 12, 25, 3, 2));
    testsupport::ChildResult result = dir.run(kHead + "HotXY 10 20\nTGA far\nPCX far\n");
    EXPECT_EQ(result.out, "Hotspot XY mode enabled, x: 10 y: 20 \n");
    const uint32_t far = hashName("far");
    EXPECT_EQ(dir.readText("info.txt"), "2 sprites\n" + infoLine(far, "HotXY", 1, 2, 5, 3, 2) +
                                            infoLine(far, "HotXY", 1, 2, 5, 3, 2));
}

TEST(Outputs, LongNamesAreStoredWithAtMost78Characters) {
    BakeDir dir;
    const std::string name78(78, 'n');
    const std::string name79 = std::string(78, 'n') + "x";
    dir.writeTga("art/" + name78 + ".tga", kAbc);
    dir.writeTga("art/" + name79 + ".tga", kAbc);
    testsupport::ChildResult result = dir.run(kHead + "TGA " + name78 + "\nTGA " + name79 + "\n");
    EXPECT_EQ(result.out, "Truncating name " + name79 + " as it is longer than 80.\n");
    // The hid is taken of the stored name, so both entries share it.
    const std::string line = infoLine(hashName(name78.c_str()), "UpLeft", 1, 0, 0, 20, 10);
    EXPECT_EQ(dir.readText("info.txt"), "2 sprites\n" + line + line);
}

TEST(Outputs, ALongNameStillGetsItsOwnPixelsInTheSingleFile) {
    BakeDir dir;
    const std::string name79 = std::string(78, 'n') + "x";
    const std::string name78(78, 'n');
    const Picture other = boxPicture(5, 5, 1, 1, 2, 3);
    dir.writeTga("art/" + name79 + ".tga", kAbc);
    dir.writeTga("art/" + name78 + ".tga", other);  // what the stored name would find
    testsupport::ChildResult result =
        dir.run(kHead + "WriteOneFile sheet.bin\nBIN\nTGA " + name79 + "\n");
    EXPECT_EQ(result.out, "Truncating name " + name79 + " as it is longer than 80.\n");
    EXPECT_EQ(dir.read("out/sheet.bin"),
              concat({words({1, hashName(name78.c_str()), 1, 1, 0, 0, 20, 10, 0}), kAbcPixels}));
}

TEST(Outputs, ANameGivenWithItsExtensionIsNotFound) {
    BakeDir dir;
    dir.writeTga("art/hero.tga", kAbc);
    testsupport::ChildResult result = dir.run(kHead + "TGA hero.tga\nPCX hero.pcx\n");
    EXPECT_EQ(result.out,
              "Couldn't open sprite source art/hero.tga.tga, skipping.\n"
              "Couldn't open sprite source art/hero.pcx.pcx, skipping.\n");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(dir.readText("info.txt"), "0 sprites\n");
}

TEST(Outputs, FailedSpritesLeaveNoTrace) {
    BakeDir dir;
    dir.writeTga("art/abc.tga", kAbc);
    const IndexPicture pcx = boxIndexPicture(6, 6, 0, 0, 6, 6);
    dir.writePcx("art/pal.pcx", pcx);
    dir.writeText("art/broken.tga", "not a picture");
    dir.writeText("art/short.pcx", "too short");
    testsupport::ChildResult result = dir.run(kHead +
                                              "WriteOneFile sheet.bin\nBIN\n"
                                              "TGA abc\nTGA missing\nTGA broken\nPCX short\n"
                                              "PCX pal\n");
    EXPECT_EQ(result.out,
              "Couldn't open sprite source art/missing.tga, skipping.\n"
              "Warning, couldn't load art/broken.tga, skipping.\n"
              "Couldn't open PCX file art/short.pcx for reading.\n"
              "Warning, couldn't load art/short.pcx, skipping.\n");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(dir.read("out/sheet.bin"), concat({words({2, 3087970575u, 1, 1, 0, 0, 20, 10, 0,
                                                        hashName("pal"), 1, 1, 0, 0, 6, 6, 0}),
                                                 kAbcPixels, indexBlock(pcx, 0, 0, 6, 6)}));
}

TEST(Outputs, DuplicateNamesAreAllStored) {
    BakeDir dir;
    dir.writeTga("art/abc.tga", kAbc);
    dir.writeTga("art/ABC.tga", kAbc);
    testsupport::ChildResult result = dir.run(kHead + "TGA abc\nTGA ABC\nTGA abc\n");
    // Names that differ in letter case share their hid; each later entry is reported against
    // the first entry of the other name.
    const std::string hid = std::to_string(static_cast<int32_t>(hashName("abc")));
    EXPECT_EQ(result.out, "Warning, sprites abc and ABC have the same hid " + hid +
                              "; the game cannot tell them apart.\n"
                              "Warning, sprites ABC and abc have the same hid " +
                              hid + "; the game cannot tell them apart.\n");
    EXPECT_EQ(dir.readText("info.txt"), "3 sprites\n" + kAbcLine + kAbcLine + kAbcLine);
}

// Three names with one hid: the third is reported against the first entry of another name
// (abc), not the latest (ABC). The hid of abc, -1206996721, is worked out by hand.
TEST(Outputs, ACollisionNamesTheFirstOtherEntry) {
    BakeDir dir;
    for (const char* name : {"abc", "ABC", "Abc"})
        dir.writeTga("art/" + std::string(name) + ".tga", kAbc);
    testsupport::ChildResult result = dir.run(kHead + "TGA abc\nTGA ABC\nTGA Abc\n");
    EXPECT_EQ(result.out,
              "Warning, sprites abc and ABC have the same hid -1206996721; the game cannot tell "
              "them apart.\n"
              "Warning, sprites abc and Abc have the same hid -1206996721; the game cannot tell "
              "them apart.\n");
    EXPECT_EQ(result.exitStatus, 0);
}

TEST(Outputs, EachSpriteKeepsThePixelsOfItsOwnSourceFolder) {
    BakeDir dir;
    dir.makeDir("art2");
    const Picture second = boxPicture(7, 7, 2, 3, 4, 2);
    dir.writeTga("art/pic.tga", kAbc);
    dir.writeTga("art2/pic.tga", second);
    const IndexPicture pcx = boxIndexPicture(3, 3, 1, 1, 1, 1);
    dir.writePcx("art2/pal.pcx", pcx);
    testsupport::ChildResult result =
        dir.run(kHead + "WriteOneFile sheet.txt\nTGA pic\nSource art2/\nTGA pic\nPCX pal\n");
    EXPECT_EQ(result.out, "");
    const uint32_t pic = hashName("pic");
    const std::string header = "3 sprites\n" + infoLine(pic, "UpLeft", 1, 0, 0, 20, 10) +
                               infoLine(pic, "UpLeft", 1, 0, 0, 4, 2) +
                               infoLine(hashName("pal"), "UpLeft", 1, 0, 0, 1, 1);
    EXPECT_EQ(dir.read("out/sheet.txt"),
              concat({bytesOf(header), kAbcPixels, rgbaBlock(second, 2, 3, 4, 2),
                      indexBlock(pcx, 1, 1, 1, 1)}));
}

TEST(Outputs, TheLastDestNamesTheSingleFilesFolder) {
    BakeDir dir;
    dir.makeDir("b");
    testsupport::ChildResult result = dir.run("Dest out/\nDest b/\nWriteOneFile my sheet.txt\n");
    EXPECT_EQ(result.out, "Warning! on line 2 the dest directory is respecified.\n");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(dir.readText("b/my sheet.txt"), "0 sprites\n");
    EXPECT_FALSE(dir.exists("out/my sheet.txt"));
}

TEST(Outputs, AHidWithTheTopBitClearPrintsPositive) {
    BakeDir dir;
    // Find a name whose hid has the top bit clear, to set beside abc's negative one.
    std::string name = "a";
    while (hashName(name.c_str()) >= 0x80000000u) name += "a";
    dir.writeTga("art/" + name + ".tga", kAbc);
    dir.writeTga("art/abc.tga", kAbc);
    testsupport::ChildResult result = dir.run(kHead + "TGA " + name + "\nTGA abc\n");
    const uint32_t hid = hashName(name.c_str());
    EXPECT_EQ(dir.readText("info.txt"), "2 sprites\nhid " + std::to_string(hid) +
                                            " hotspot method UpLeft padding 1  hx 0  hy 0  wd "
                                            "20  ht 10\n" +
                                            kAbcLine);
}

TEST(Outputs, InfoFileReadBack) {
    struct Case {
        const char* name;
        const char* existing;  // null: no such file yet
        std::string out;
    };
    const Case cases[] = {
        {"missing", nullptr,
         "fileOpen didn't find info.txt in game dir. or blob.\n"
         "fileLoad failed to open info.txt.\n"
         "Warning!  Couldn't open sprite header info.txt for reading.\n"},
        {"zero sprites", "0 sprites\n", ""},
        {"negative hotspots",
         "2 sprites\n"
         "hid -1206996721 hotspot method Middle padding 1  hx -16  hy -8  wd 20  ht 10\n"
         "hid 7 hotspot method DownRight padding 1  hx -1  hy -1  wd 0  ht 0\n",
         ""},
        {"count of two million", "2000000 sprites\n",
         "Couldn't memAlloc for sprite set info.txt in getSpriteHeader.\n"},
        {"negative count", "-3 sprites\n",
         "Couldn't memAlloc for sprite set info.txt in getSpriteHeader.\n"},
    };
    for (const Case& c : cases) {
        BakeDir dir;
        dir.writeTga("art/abc.tga", kAbc);
        if (c.existing == nullptr) {
            dir.remove("info.txt");
        } else {
            dir.writeText("info.txt", c.existing);
        }
        // The run goes on after the read-back, whatever it found.
        testsupport::ChildResult result = dir.run(kHead + "TGA abc\n");
        EXPECT_EQ(result.out, c.out) << c.name;
        EXPECT_EQ(result.exitStatus, 0) << c.name;
        EXPECT_EQ(dir.readText("info.txt"), "1 sprites\n" + kAbcLine) << c.name;
    }
}

}  // namespace
}  // namespace drivertest
