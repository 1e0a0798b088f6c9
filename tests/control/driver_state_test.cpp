// The driver state that a control text leaves behind, statement by statement. The texts hold
// no sprite that loads, so nothing here touches the disk but an InfoFile read-back.
#include <gtest/gtest.h>

#include <string>

#include "control/driver.hpp"
#include "control/driver_state.hpp"
#include "control/hotspot_names.hpp"
#include "filesys/file_access.hpp"

namespace {

const DriverState& run(const std::string& text) {
    fileSystemInit("", nullptr);
    runControlText(text);
    return driverState();
}

TEST(DriverState, StartsWithTheDefaults) {
    const DriverState& s = run("");
    EXPECT_EQ(s.lineNumber, 1);
    EXPECT_EQ(s.spriteCount, 0);
    EXPECT_EQ(s.padding, 1);
    EXPECT_EQ(s.hotspotMethod, HS_UPLEFT);
    EXPECT_EQ(s.hotX, 0);
    EXPECT_EQ(s.hotY, 0);
    EXPECT_EQ(s.srcDir, "");
    EXPECT_EQ(s.destDir, "");
    EXPECT_EQ(s.writeOneFile, 0);
    EXPECT_EQ(s.writeBinary, 0);
    // Room for every sprite is taken at the start, so no entry moves while a run goes on.
    EXPECT_GE(s.tables.spriteTable.capacity(), static_cast<size_t>(MAX_SPRITES));
    EXPECT_GE(s.tables.spritePath.capacity(), static_cast<size_t>(MAX_SPRITES));
    EXPECT_EQ(s.tables.spriteTable.size(), 0u);
}

TEST(DriverState, DestValueBeginsAtALetter) {
    EXPECT_EQ(run("Dest ../out/\n").destDir, "out/");
    EXPECT_EQ(run("Dest\n\n  ./42out/\n").destDir, "out/");  // on a later line, digits passed over
    EXPECT_EQ(run("Dest ../out/\n").lineNumber, 2);
    EXPECT_EQ(run("Dest\n\n  ./42out/\n").lineNumber, 4);
}

TEST(DriverState, SourceValueIsTakenAsWritten) {
    EXPECT_EQ(run("Source ../art/\n").srcDir, "../art/");
    EXPECT_EQ(run("Source \t../art/ more\n").srcDir, "../art/");
}

TEST(DriverState, SourceValueOnTheNextLineLeavesItEmpty) {
    const DriverState& s = run("Source\n../art/\n");
    EXPECT_EQ(s.srcDir, "");
    EXPECT_EQ(s.lineNumber, 3);  // art/ is reported as unexpected input on line 2
}

TEST(DriverState, BinarySetsWriteBinary) {
    const DriverState& s = run("Binary\n");
    EXPECT_EQ(s.writeBinary, 1);
    EXPECT_EQ(s.writeOneFile, 0);
    EXPECT_EQ(s.lineNumber, 2);
}

TEST(DriverState, WriteOneFileTakesTheRestOfItsLine) {
    const DriverState& s = run("WriteOneFile   my sheet.bin \r\nBIN\n");
    EXPECT_EQ(s.writeOneFile, 1);
    EXPECT_EQ(s.singleFileName, "my sheet.bin ");
    EXPECT_EQ(s.writeBinary, 1);
}

TEST(DriverState, WriteOneFileWithoutANameLeavesItEmpty) {
    const DriverState& s = run("WriteOneFile\nDest out/\n");
    EXPECT_EQ(s.writeOneFile, 1);
    EXPECT_EQ(s.singleFileName, "");
    EXPECT_EQ(s.destDir, "out/");
}

TEST(DriverState, LineNumbersCountCommentsAndBlankLines) {
    struct Case {
        const char* text;
        int32_t line;
    };
    const Case cases[] = {
        {"// one\n// two\n", 3},  {"// one\r\n\r\n\n", 4}, {"\n\n\n", 4},
        {"// at the end", 2},      // a comment counts one line, line end or not
        {"HotXY\n\n 3\n 4\n", 2},  // the numbers' line feeds are not counted
        {"WriteOneFile x\n", 2},   // the line end after the name is matched later
        {"Hotspot\nMiddle\n", 3}, {"Padding\n\nOff\n", 4}, {"hello there\nagain\n", 3},
    };
    for (const Case& c : cases) EXPECT_EQ(run(c.text).lineNumber, c.line) << c.text;
}

TEST(DriverState, PaddingValues) {
    struct Case {
        const char* text;
        int32_t padding;
    };
    const Case cases[] = {
        {"Padding Off", 0},
        {"padding = off", 0},
        {"PADDING FALSE", 0},
        {"Padding Off\nPadding True", 1},
        {"Padding Off\nPadding Onward", 0},
        {"Padding Off\nPadding 1", 0},        // the digit is no value; the text then ends
        {"Padding Off\nPadding 0\nTrue", 1},  // the value is the next word that begins a letter
    };
    for (const Case& c : cases) EXPECT_EQ(run(c.text).padding, c.padding) << c.text;
}

TEST(DriverState, HotXYTakesTheNextTwoNumbers) {
    const DriverState& a = run("HotXY -4 6\n");
    EXPECT_EQ(a.hotX, -4);
    EXPECT_EQ(a.hotY, 6);
    EXPECT_EQ(a.hotspotMethod, HS_HOTXY);

    const DriverState& b = run("HotXY\nDest out9/\n12\n");  // numbers anywhere ahead
    EXPECT_EQ(b.hotX, 9);
    EXPECT_EQ(b.hotY, 12);

    const DriverState& c = run("HotXY 7");  // the text ends: 0
    EXPECT_EQ(c.hotX, 7);
    EXPECT_EQ(c.hotY, 0);

    const DriverState& d = run("HotXY 1 2\nHotspot Middle\n");  // the point stays
    EXPECT_EQ(d.hotspotMethod, HS_MIDDLE);
    EXPECT_EQ(d.hotX, 1);
    EXPECT_EQ(d.hotY, 2);
}

TEST(DriverState, AValueKeepsAtMost9999Characters) {
    const std::string longName(12000, 'a');
    const DriverState& s = run("Source " + longName + "\n");
    EXPECT_EQ(s.srcDir, std::string(9999, 'a'));
}

TEST(DriverState, ABlankEndsAValueAndACommentMarkInsideItIsKept) {
    EXPECT_EQ(run("Dest out/ // the output\n").destDir, "out/");
    EXPECT_EQ(run("Dest out/// the output\n").destDir, "out///");
    EXPECT_EQ(run("Dest my out/\n").destDir, "my");
}

TEST(DriverState, ResetForgetsTheLastRun) {
    run("Dest a/\nWriteOneFile x\nBIN\nPadding Off\nHotXY 3 4\n");
    resetDriverState();
    const DriverState& s = driverState();
    EXPECT_EQ(s.destDir, "");
    EXPECT_EQ(s.writeOneFile, 0);
    EXPECT_EQ(s.writeBinary, 0);
    EXPECT_EQ(s.padding, 1);
    EXPECT_EQ(s.hotX, 0);
    EXPECT_EQ(s.hotspotMethod, HS_UPLEFT);
}

TEST(HotspotMethodFromName, FindsTheSixNamesInAnyCase) {
    struct Case {
        const char* name;
        int32_t method;
    };
    const Case cases[] = {
        {"Middle", 0},   {"middle", 0},    {"MIDDLE", 0},   {"UpLeft", 1},   {"upright", 2},
        {"DOWNLEFT", 3}, {"DownRight", 4}, {"hotxy", 5},    {"Middles", -1}, {"Mid", -1},
        {"", -1},        {"Centre", -1},   {"Up Left", -1},
    };
    for (const Case& c : cases) EXPECT_EQ(hotspotMethodFromName(c.name), c.method) << c.name;
    EXPECT_EQ(hotspotMethodFromName(nullptr), -1);
}

}  // namespace
