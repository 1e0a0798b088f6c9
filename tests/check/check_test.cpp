// The control-file lint on control texts in a scratch folder: what it reports and at which
// line, that it writes nothing, and that a run after it is the same as without it. Every
// expected line is written out by hand from the control text.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <ostream>
#include <string>

#include "check/check.hpp"
#include "console/console.hpp"
#include "control/driver.hpp"
#include "output/output_files.hpp"
#include "tests/support/sprite_builders.hpp"

namespace drivertest {
namespace {

// Two names whose hids collide: hashName gives both 2810089104 (-1484878192 signed), found
// and checked with a separate lookup2 written from its description (it also gives abc's
// 3087970575).
const std::string kCollideA = "n1665";
const std::string kCollideB = "n12120";
constexpr const char* kCollideHid = "-1484878192";

// 85 characters, stored as the first 78.
const std::string kLongName = "long_" + std::string(80, 'x');

// art/ holds box.tga and BOX.tga (visible), dots.pcx (palette marker 12), odd.pcx (marker 0, which
// the PCX reader warns about), blank.tga (no visible pixel), bad.tga (not a picture), only.pcx (no
// .tga of that name), the colliding pair and the long name.
void fillArt(const BakeDir& dir) {
    const Picture box = boxPicture(8, 7, 2, 1, 6, 4);
    dir.writeTga("art/box.tga", box);
    dir.writeTga("art/BOX.tga", box);
    dir.writeTga("art/blank.tga", Picture(5, 3));
    dir.writeText("art/bad.tga", "this is no picture");
    dir.writePcx("art/dots.pcx", boxIndexPicture(5, 6, 1, 2, 3, 3));
    dir.writePcx("art/odd.pcx", boxIndexPicture(5, 6, 1, 2, 3, 3), 0);
    dir.writePcx("art/only.pcx", boxIndexPicture(4, 4, 0, 0, 2, 2));
    dir.writeTga("art/" + kCollideA + ".tga", box);
    dir.writeTga("art/" + kCollideB + ".tga", box);
    dir.writeTga("art/" + kLongName + ".tga", box);
}

// Runs the lint on `text` in a child whose working folder is `cwd`; the child exits with the
// lint's status.
testsupport::ChildResult checkIn(const std::string& cwd, const std::string& text,
                                 const std::string& shownName = "c.ctl") {
    return testsupport::runInChild([&] {
        if (chdir(cwd.c_str()) != 0) _exit(120);
        setupConsole();
        const ExitStatus status = runCheckText(text, shownName);
        std::fflush(stdout);
        _exit(static_cast<int>(status));
    });
}

// Every file under the folder with its bytes, to show that nothing was written.
std::map<std::string, std::vector<uint8_t>> snapshot(const BakeDir& dir) {
    std::map<std::string, std::vector<uint8_t>> files;
    const std::filesystem::path root = dir.path("");
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const std::string relative = std::filesystem::relative(entry.path(), root).string();
        files[relative] = entry.is_regular_file() ? dir.read(relative) : std::vector<uint8_t>{};
    }
    return files;
}

std::string warn(int line, const std::string& text) {
    return "c.ctl:" + std::to_string(line) + ": warning: " + text + "\n";
}

TEST(Check, CleanControlFilePrintsNothingAndWritesNothing) {
    BakeDir dir;
    fillArt(dir);
    const auto before = snapshot(dir);
    // Informational lines (the HotXY echo, the read-back of an info file not there yet) are
    // no problems; CR LF line ends and statements sharing a line are fine.
    const std::string text =
        "// all good\r\nSource art/ Dest out/\r\nInfoFile new.txt\r\nPadding = Off\r\n"
        "Hotspot downright\r\nHotXY -3 4\r\nTGA box\r\nPCX dots\r\n";
    const testsupport::ChildResult result = checkIn(dir.path(""), text);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(snapshot(dir), before);
}

TEST(Check, SingleSpriteFileIsNotWritten) {
    BakeDir dir;
    fillArt(dir);
    const auto before = snapshot(dir);
    const testsupport::ChildResult result =
        checkIn(dir.path(""), kHead + "BIN\nWriteOneFile set.bin\nTGA box\n");
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(snapshot(dir), before);
}

TEST(Check, FileNameIsShownAsGiven) {
    BakeDir dir;
    const testsupport::ChildResult result = checkIn(dir.path(""), kHead + "oops\n", "-");
    EXPECT_EQ(result.out, "-:4: warning: unexpected input \"oops\"\n");
    EXPECT_EQ(result.exitStatus, 3);
}

struct LintCase {
    const char* name;
    std::string control;
    std::string out;
};

void PrintTo(const LintCase& c, std::ostream* os) {
    *os << c.name;
}

class Findings : public ::testing::TestWithParam<LintCase> {};

TEST_P(Findings, ReportedAtTheStatementsLine) {
    const LintCase& c = GetParam();
    BakeDir dir;
    fillArt(dir);
    const testsupport::ChildResult result = checkIn(dir.path(""), c.control);
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(result.exitStatus, c.out.empty() ? 0 : 3);
}

// kHead takes lines 1 to 3.
INSTANTIATE_TEST_SUITE_P(
    Words, Findings,
    ::testing::Values(
        LintCase{"MisspeltKeyword", kHead + "Hotspt Middle\n",
                 warn(4, "unexpected input \"Hotspt Middle\"; did you mean \"Hotspot\"?")},
        LintCase{"MisspeltShortKeyword", kHead + "TGS box\n",
                 warn(4, "unexpected input \"TGS box\"; did you mean \"TGA\"?")},
        LintCase{"MisspeltHotspotName", kHead + "  Midle\n",
                 warn(4, "unexpected input \"Midle\"; did you mean \"Middle\"?")},
        LintCase{"NothingNear", kHead + "hello world\n",
                 warn(4, "unexpected input \"hello world\"")},
        LintCase{"DestinationTakesTheRestAsItsFolder",
                 "Source art/\nDestination out/\nInfoFile info.txt\n",
                 warn(2,
                      "\"Destination\" is read as the keyword Dest followed by \"ination\"; "
                      "write Dest and its value apart") +
                     warn(2, "unexpected input \"out/\"")},
        LintCase{"BinaryIsBinAndAStrayWord", kHead + "Binary\nWriteOneFile s.bin\nBIN_2\n",
                 warn(4, "\"Binary\" is read as BIN followed by the stray word \"ary\"") +
                     warn(6, "\"BIN_2\" is read as BIN followed by the stray word \"_2\"")},
        LintCase{"HotXYWithADigitAttached", kHead + "HotXY2 3\n",
                 warn(4,
                      "\"HotXY2\" is read as the keyword HotXY followed by \"2\"; write "
                      "HotXY and its value apart")},
        LintCase{"SourcesTakesTheRestAsItsFolder", "Sources art/\nDest out/\nInfoFile info.txt\n",
                 warn(1,
                      "\"Sources\" is read as the keyword Source followed by \"s\"; write "
                      "Source and its value apart") +
                     warn(1, "unexpected input \"art/\"")},
        LintCase{"HotspotWithoutName", kHead + "Hotspot\nTGA box\n",
                 warn(4, "Hotspot has no method on its line; Middle is used")},
        LintCase{"UnknownHotspotName", kHead + "Hotspot UpLeftt\n",
                 warn(4,
                      "unknown hotspot method \"UpLeftt\"; Middle is used; did you mean "
                      "\"UpLeft\"?")}));

INSTANTIATE_TEST_SUITE_P(
    Values, Findings,
    ::testing::Values(
        LintCase{"PaddingWord", kHead + "Padding Maybe\n",
                 warn(4,
                      "Padding value \"Maybe\" is not On, Off, True or False; padding "
                      "stays On")},
        LintCase{"PaddingDigitTakesTheNextLinesKeyword",
                 kHead + "Padding Off\nPadding 0\nTGA box\n",
                 warn(5,
                      "Padding value \"TGA\", read from line 6, is not On, Off, True or "
                      "False; padding stays Off") +
                     warn(6, "unexpected input \"box\"")},
        LintCase{"PaddingAtTheEnd", kHead + "Padding",
                 warn(4, "Padding has no value (On, Off, True or False); padding stays On")},
        LintCase{"HotXYSecondNumberOnALaterLine", kHead + "HotXY 3\nTGA box\nHotXY 1 2\n",
                 warn(4,
                      "HotXY's two numbers are not both on its line: Y is read from line 6; "
                      "lost from their statements: \"TGA box\" (line 5), \"HotXY\" (line 6)") +
                     warn(6, "unexpected input \"2\"")},
        LintCase{"HotXYBothNumbersLater", kHead + "HotXY\n\nPCX dots 5\n6\n",
                 warn(4,
                      "HotXY's two numbers are not both on its line: X is read from line 6, "
                      "Y is read from line 7; lost from their statements: \"PCX dots\" "
                      "(line 6)")},
        LintCase{"HotXYSecondNumberMissing", kHead + "HotXY 7",
                 warn(4,
                      "HotXY's two numbers are not both on its line: Y reads as 0 at the "
                      "end of the file")},
        LintCase{"HotXYWithoutNumbers", kHead + "HotXY\n",
                 warn(4, "HotXY has no numbers before the end of the file; X and Y read as 0")},
        LintCase{"FoldersWithoutSlash", "Source art\nDest out\nInfoFile info.txt\n",
                 warn(1,
                      "Source \"art\" does not end with \"/\"; no separator is put between "
                      "it and a name") +
                     warn(2,
                          "Dest \"out\" does not end with \"/\"; no separator is put between "
                          "it and a name")},
        LintCase{"FoldersThatDoNotExist", "Source pics/\nDest build/\nInfoFile info.txt\n",
                 warn(1, "Source folder \"pics/\" does not exist") +
                     warn(2, "Dest folder \"build/\" does not exist")},
        LintCase{
            "SourceOnTheNextLine", "Source\nart/\nDest out/\nInfoFile info.txt\n",
            warn(1, "Source has no folder on its line") + warn(2, "unexpected input \"art/\"")},
        LintCase{"InfoFileWithoutName", "Source art/\nDest out/\nInfoFile\n",
                 warn(3, "InfoFile has no file name on its line")}));

INSTANTIATE_TEST_SUITE_P(
    Sprites, Findings,
    ::testing::Values(
        LintCase{"BeforeSource", "TGA box\n" + kHead,
                 warn(1, "sprite \"box\" skipped: no Source folder is set")},
        LintCase{"BeforeDest", "Source art/\nTGA box\nDest out/\nInfoFile info.txt\n",
                 warn(2, "sprite \"box\" skipped: no Dest folder is set")},
        LintCase{"NameWithExtension", kHead + "TGA box.tga\n",
                 warn(4, "sprite name \"box.tga\" has an extension; TGA adds \".tga\" itself") +
                     warn(4, "sprite source \"art/box.tga.tga\" does not exist")},
        LintCase{"NameWithSeparator", kHead + "PCX sub\\dots\n",
                 warn(4,
                      "sprite name \"sub\\dots\" holds a path separator; the folder belongs "
                      "in Source") +
                     warn(4, "sprite source \"art/sub\\dots.pcx\" does not exist")},
        LintCase{"FoundUnderTheOtherExtension", kHead + "TGA only\nPCX box\n",
                 warn(4,
                      "\"art/only.tga\" does not exist, but \"art/only.pcx\" does; list it "
                      "with PCX") +
                     warn(5,
                          "\"art/box.pcx\" does not exist, but \"art/box.tga\" does; list it "
                          "with TGA")},
        LintCase{"Missing", kHead + "TGA gone\n",
                 warn(4, "sprite source \"art/gone.tga\" does not exist")},
        LintCase{"DoesNotLoad", kHead + "TGA bad\n",
                 warn(4, "\"art/bad.tga\" does not load as a TGA picture")},
        LintCase{"Blank", kHead + "TGA blank\n",
                 warn(4, "sprite \"blank\" is blank (no visible pixel); it is kept as 0 x 0")},
        LintCase{"ReadersWarningOnALoadedSprite", kHead + "\n\nPCX odd\n",
                 warn(6, "Warning, byte after frame buffer not 12")},
        LintCase{"NameCut", kHead + "TGA " + kLongName + "\n",
                 warn(4, "sprite name of 85 characters is stored cut to 78: \"" +
                             kLongName.substr(0, 78) + "\"")},
        LintCase{"NoNameAtTheEnd", kHead + "TGA", warn(4, "TGA has no sprite name")}));

INSTANTIATE_TEST_SUITE_P(
    Pairs, Findings,
    ::testing::Values(
        LintCase{"SameNameTwice", kHead + "TGA box\nPCX dots\nTGA box\nTGA box\n",
                 warn(6, "sprite \"box\" is listed again (first on line 4)") +
                     warn(7, "sprite \"box\" is listed again (first on line 4)")},
        LintCase{"CaseOnlyPairOnceNotAsHidCollision", kHead + "TGA box\nTGA BOX\nTGA BOX\n",
                 warn(5,
                      "sprites \"box\" (line 4) and \"BOX\" differ only in letter case; the "
                      "game cannot tell them apart") +
                     warn(6, "sprite \"BOX\" is listed again (first on line 5)")},
        LintCase{"HidCollisionOnce",
                 kHead + "TGA " + kCollideA + "\nTGA " + kCollideB + "\nTGA " + kCollideB + "\n",
                 warn(5, "sprites \"" + kCollideA + "\" (line 4) and \"" + kCollideB +
                             "\" have the same hid " + kCollideHid +
                             "; the game cannot tell them apart") +
                     warn(6, "sprite \"" + kCollideB + "\" is listed again (first on line 5)")}));

INSTANTIATE_TEST_SUITE_P(
    Outputs, Findings,
    ::testing::Values(
        LintCase{"NoOutputStatement", "\n\nSource art/\nDest out/\nTGA box\n",
                 warn(1, "no InfoFile or WriteOneFile statement; nothing would be written")},
        LintCase{"EmptyText", "",
                 warn(1, "no InfoFile or WriteOneFile statement; nothing would be written")},
        LintCase{"WriteOneFileWithoutName", kHead + "WriteOneFile s.bin\nTGA box\nWriteOneFile\n",
                 warn(6,
                      "WriteOneFile \"\" replaces WriteOneFile \"s.bin\" from line 4; only "
                      "the last one counts") +
                     warn(6, "WriteOneFile has no file name; nothing would be written")},
        LintCase{"InfoFileInAMissingFolder", "Source art/\nDest out/\nInfoFile no/info.txt\n",
                 warn(3, "\"no/info.txt\" cannot be written: folder \"no/\" does not exist")},
        LintCase{"SingleFileInAMissingFolder", kHead + "WriteOneFile sub/s.bin\n",
                 warn(4,
                      "\"out/sub/s.bin\" cannot be written: folder \"out/sub/\" does not "
                      "exist")},
        LintCase{"BinWithoutWriteOneFile", kHead + "BIN\nTGA box\nBIN\n",
                 warn(4, "BIN has no effect without WriteOneFile")},
        LintCase{"InfoFileReplacedEvenAfterSprites", kHead + "TGA box\nInfoFile info.txt\n",
                 warn(5,
                      "InfoFile \"info.txt\" replaces InfoFile \"info.txt\" from line 3; only "
                      "the last one counts")},
        LintCase{"SourceReplacedBeforeUse", "Source out/\n" + kHead + "TGA box\nSource art/\n",
                 warn(2,
                      "Source \"art/\" replaces Source \"out/\" from line 1 before any sprite "
                      "used it")},
        LintCase{"DestReplacedBeforeUseAndAfter", "Dest art/\n" + kHead + "TGA box\nDest art/\n",
                 warn(3,
                      "Dest \"out/\" replaces Dest \"art/\" from line 1 before any sprite "
                      "used it") +
                     warn(6, "Dest given again: \"art/\" replaces Dest \"out/\" from line 3")}));

TEST(Check, ReadersAndFileLayerLinesBecomeDiagnostics) {
    BakeDir dir;
    fillArt(dir);
    dir.writeText("art/bad.pcx", "short");
    dir.writeText("damaged.txt", "-5 sprites\n");
    const testsupport::ChildResult result =
        checkIn(dir.path(""), "Source art/\nDest out/\nInfoFile damaged.txt\nPCX bad\n");
    EXPECT_EQ(result.out,
              warn(3, "Couldn't memAlloc for sprite set damaged.txt in getSpriteHeader") +
                  warn(4,
                       "\"art/bad.pcx\" does not load as a PCX picture (Couldn't open PCX "
                       "file art/bad.pcx for reading)"));
    EXPECT_EQ(result.exitStatus, 3);
}

// The physical line of each statement, whatever the run's own line counter says: HotXY's
// numbers on later lines, CR LF line ends and statements that share a line.
TEST(Check, LinesAreCountedFromTheText) {
    BakeDir dir;
    fillArt(dir);
    const std::string text = kHead + "HotXY 1\r\n\r\n2\r\nTGA gone TGA box.x\r\n";
    const testsupport::ChildResult result = checkIn(dir.path(""), text);
    EXPECT_EQ(result.out,
              warn(4, "HotXY's two numbers are not both on its line: Y is read from line 6") +
                  warn(7, "sprite source \"art/gone.tga\" does not exist") +
                  warn(7, "sprite name \"box.x\" has an extension; TGA adds \".tga\" itself") +
                  warn(7, "sprite source \"art/box.x.tga\" does not exist"));
}

// A run after a check in the same process prints and writes what a fresh run does.
TEST(Check, LeavesTheRunAsItWas) {
    const std::string control = kHead + "Padding 0\nTGA box\nHotXY 1 2\nPCX dots\nTGA gone\n";
    BakeDir exeDir;
    BakeDir memDir;
    fillArt(exeDir);
    fillArt(memDir);
    exeDir.writeText("mem.ctl", control);
    const testsupport::ChildResult exe = testsupport::runSpritebake({"mem.ctl"}, exeDir.path(""));
    const testsupport::ChildResult mem = testsupport::runInChild([&] {
        if (chdir(memDir.path("").c_str()) != 0) _exit(120);
        setupConsole();
        runCheckText(control + "Sorce x/\n", "mem.ctl");
        const ExitStatus status = runControlTextWithOutput(control, "mem.ctl");
        std::fflush(stdout);
        _exit(static_cast<int>(status));
    });
    const std::string lint =
        "mem.ctl:4: warning: Padding value \"TGA\", read from line 5, is "
        "not On, Off, True or False; padding stays On\n"
        "mem.ctl:5: warning: unexpected input \"box\"\n"
        "mem.ctl:8: warning: sprite source \"art/gone.tga\" does not exist\n"
        "mem.ctl:9: warning: unexpected input \"Sorce x/\"; did you mean "
        "\"Source\"?\n";
    EXPECT_EQ(mem.out, lint + exe.out);
    EXPECT_EQ(mem.exitStatus, exe.exitStatus);
    EXPECT_EQ(memDir.read("info.txt"), exeDir.read("info.txt"));
}

}  // namespace
}  // namespace drivertest
