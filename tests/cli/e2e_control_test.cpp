// The control-file language end to end: the real executable on control files in a scratch
// folder, with its standard output, exit status and info file compared exactly.
#include <gtest/gtest.h>

#include <string>

#include "filesys/hash.hpp"
#include "tests/support/sprite_builders.hpp"

namespace drivertest {
namespace {

// The sprite most rows list: a 6 x 4 box at (2, 1) of an 8 x 7 picture, in art/box.tga.
constexpr int32_t BOX_W = 6;
constexpr int32_t BOX_H = 4;

struct ControlCase {
    const char* name;
    std::string control;
    std::string out;   // standard output
    int status;        // exit status
    std::string info;  // info.txt afterwards
};

std::string boxLine(const std::string& method, int32_t padding, int32_t hx, int32_t hy) {
    return infoLine(hashName("box"), method, padding, hx, hy, BOX_W, BOX_H);
}

class ControlLanguage : public ::testing::TestWithParam<ControlCase> {};

TEST_P(ControlLanguage, PrintsAndWritesExactly) {
    const ControlCase& c = GetParam();
    BakeDir dir;
    dir.writeTga("art/box.tga", boxPicture(8, 7, 2, 1, BOX_W, BOX_H));
    testsupport::ChildResult result = dir.run(c.control);
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(result.exitStatus, c.status);
    EXPECT_EQ(dir.readText("info.txt"), c.info);
}

const ControlCase kControlCases[] = {
    {"CommentsAndBlankLines",
     "// sprites for level one\n"
     "\n"
     "// another comment\r\n"
     "\r\n"
     "stray words here\n"
     "InfoFile info.txt // comment after a blank\n"
     "\n"
     "42 more\n",
     "Unexpected input, stray words here, found on line 5.\n"
     "Unexpected input, 42 more, found on line 8.\n",
     0, "0 sprites\n"},
    {"UnexpectedInputOfEveryClass",
     "InfoFile info.txt\nhello world\n  lower case\r\n7 up\n(Upper)\n",
     "Unexpected input, hello world, found on line 2.\n"
     "Unexpected input, lower case, found on line 3.\n"
     "Unexpected input, 7 up, found on line 4.\n"
     "Unexpected input, Upper), found on line 5.\n",
     0, "0 sprites\n"},
    {"AWordThatBeginsWithAKeyword", "InfoFile info.txt\nDestination x/\nSourcery\n",
     "Unexpected input, x/, found on line 2.\n", 0, "0 sprites\n"},
    {"BinaryIsBinPlusUnexpectedAry", "InfoFile info.txt\nBinary\n",
     "Unexpected input, ary, found on line 2.\n", 0, "0 sprites\n"},
    {"SecondDestOnLine7",
     "Dest out/\n\n// c\nInfoFile info.txt\nSource art/\n\nDest art/\nTGA box\n",
     "Warning! on line 7 the dest directory is respecified.\n", 0,
     "1 sprites\n" + boxLine("UpLeft", 1, 0, 0)},
    {"DestValueOnALaterLine", "Dest out/\nDest\n\n  ../out/\n",
     "Warning! on line 4 the dest directory is respecified.\n"
     "Couldn't open  to write the info file.  Info file not written, press key to continue.\n",
     1, "0 sprites\n"},
    {"ASpriteLineReportsNothing", kHead + "TGA box\n", "", 0,
     "1 sprites\n" + boxLine("UpLeft", 1, 0, 0)},
    {"PaddingEqualsOff", kHead + "Padding = Off\nTGA box\n", "", 0,
     "1 sprites\n" + boxLine("UpLeft", 0, 0, 0)},
    {"PaddingZeroTakesTheNextWord", kHead + "Padding Off\nPadding 0\nTGA box\nTGA box\n",
     "Pad passed an incorrect parameter, TGA, on line 6.\n"
     "Unexpected input, box, found on line 6.\n",
     0, "1 sprites\n" + boxLine("UpLeft", 0, 0, 0)},
    {"PaddingInAnyCase", kHead + "PADDING OFF\nTGA box\npadding true\nTGA box\n", "", 0,
     "2 sprites\n" + boxLine("UpLeft", 0, 0, 0) + boxLine("UpLeft", 1, 0, 0)},
    {"PaddingWithAnUnknownWord", kHead + "Padding Off\nPadding Maybe\nTGA box\n",
     "Pad passed an incorrect parameter, Maybe, on line 5.\n", 0,
     "1 sprites\n" + boxLine("UpLeft", 0, 0, 0)},
    {"HotspotOnTheNextLine", kHead + "Hotspot\nDownRight\nTGA box\n",
     "Undefined hotspot type requested, .  Switching to HS_MIDDLE.\n"
     "Unexpected input, DownRight, found on line 5.\n",
     0, "1 sprites\n" + boxLine("Middle", 1, -4, -2)},
    {"HotspotUnknownName", kHead + "Hotspot Centre\nTGA box\n",
     "Undefined hotspot type requested, Centre.  Switching to HS_MIDDLE.\n", 0,
     "1 sprites\n" + boxLine("Middle", 1, -4, -2)},
    {"HotspotInAnyCase", kHead + "Hotspot downright\nTGA box\nHotspot UPRIGHT\nTGA box\n", "", 0,
     "2 sprites\n" + boxLine("DownRight", 1, -8, -4) + boxLine("UpRight", 1, -8, 0)},
    {"HotXYNegative", kHead + "HotXY -4 6\nTGA box\n", "Hotspot XY mode enabled, x: -4 y: 6 \n", 0,
     "1 sprites\n" + boxLine("HotXY", 1, 2 + 4, 1 - 6)},
    {"HotXYDoesNotCountItsLines", kHead + "HotXY\n1\n2\nhello\n",
     "Hotspot XY mode enabled, x: 1 y: 2 \n"
     "Unexpected input, hello, found on line 5.\n",
     0, "0 sprites\n"},
    {"HotspotAfterHotXYKeepsThePoint",
     kHead + "HotXY 1 1\nHotspot Middle\nTGA box\nHotspot HotXY\nTGA box\n",
     "Hotspot XY mode enabled, x: 1 y: 1 \n", 0,
     "2 sprites\n" + boxLine("Middle", 1, -4, -2) + boxLine("HotXY", 1, 1, 0)},
    {"WriteOneFileWithoutAName", kHead + "WriteOneFile\nBIN\nwhat\n",
     "Unexpected input, what, found on line 6.\n"
     "Error, file name for single sprite file not specified.\n"
     "Config. file sprites.ctl should have a line that looks like:\n"
     "WriteOneFile FNAME\n",
     1, "0 sprites\n"},
    {"SourceOnTheNextLine", "Dest out/\nInfoFile info.txt\nSource\nart/\nTGA box\n",
     "Unexpected input, art/, found on line 4.\n"
     "Sprite box requested before src directory specified.\n",
     0, "0 sprites\n"},
    {"SpriteBeforeDest", "Source art/\nInfoFile info.txt\nTGA box\nPCX box\n",
     "Sprite box requested before dest directory specified.\n"
     "Sprite box requested before dest directory specified.\n",
     0, "0 sprites\n"},
    {"NoStatementsAtAll", "\n\n// nothing\n",
     "Couldn't open  to write the info file.  Info file not written, press key to continue.\n", 1,
     "0 sprites\n"},
};

INSTANTIATE_TEST_SUITE_P(Driver, ControlLanguage, ::testing::ValuesIn(kControlCases),
                         [](const ::testing::TestParamInfo<ControlCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(ControlFile, MissingControlFile) {
    BakeDir dir;
    testsupport::ChildResult result = testsupport::runSpritebake({"nothere.ctl"}, dir.path(""));
    EXPECT_EQ(result.out,
              "fileOpen didn't find nothere.ctl in game dir. or blob.\n"
              "fileLoad failed to open nothere.ctl.\n"
              "Couldn't open control file, check path.\n"
              "Couldn't open  to write the info file.  Info file not written, press key to "
              "continue.\n");
    EXPECT_EQ(result.exitStatus, 1);
}

TEST(ControlFile, ADirectoryAsTheControlFile) {
    BakeDir dir;
    testsupport::ChildResult result = testsupport::runSpritebake({"art"}, dir.path(""));
    EXPECT_EQ(result.out,
              "Couldn't open control file, check path.\n"
              "Couldn't open  to write the info file.  Info file not written, press key to "
              "continue.\n");
    EXPECT_EQ(result.exitStatus, 1);
}

TEST(ControlFile, AnEmptyControlFile) {
    BakeDir dir;
    testsupport::ChildResult result = dir.run("");
    EXPECT_EQ(result.out,
              "Couldn't open control file, check path.\n"
              "Couldn't open  to write the info file.  Info file not written, press key to "
              "continue.\n");
    EXPECT_EQ(result.exitStatus, 1);
}

TEST(ControlFile, MissingArgument) {
    BakeDir dir;
    testsupport::ChildResult result = testsupport::runSpritebake({}, dir.path(""));
    EXPECT_EQ(result.out, "Usage: spritebake CONTROL_FILE\n");
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(dir.readText("info.txt"), "0 sprites\n");
}

}  // namespace
}  // namespace drivertest
